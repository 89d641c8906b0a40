#include "shell/game_app_2d.h"

#include <chrono>
#include <thread>

GameApp2D::GameApp2D(ShellDesktop& desktop) : GameApp(desktop, Edition::TwoD) {
    titleText = WindowTitle(Edition::TwoD);
    view_.sources.board = &board;
    view_.sources.editor = &editor;
    view_.sources.editing = [this] { return editMode; };
    view_.sources.isHintTile = [this](int t) { return board.IsHintTile(t); };
    view_.sources.editorTarget = [this] {
        const int target = EditorTargetUnderPointer();
        shownEditorTarget_ = target;
        return target;
    };
    // A fade frame is shown at once; from the autoplay worker the window shows it when it can.
    view_.paintNow = [this] {
        if (WindowPort* window = Window()) {
            window->PaintNow();
        }
    };
    // Each frame reads the board whole: the autoplay worker composes its fade frames holding
    // the board; on the window thread the lock is already held and taking it again is free.
    view_.composeGuard = [this](const std::function<void()>& compose) {
        BoardLock lock(*this);
        compose();
    };
}

GameApp2D::~GameApp2D() {
    // The autoplay worker draws through this object's view: it must end before the view goes.
    StopAutoplay();
    // The view's callbacks point into this object; nothing may call them during destruction.
    view_.paintNow = nullptr;
    view_.composeGuard = nullptr;
}

void GameApp2D::SyncViewOptions() {
    View2DOptions o;
    o.shadows = settings.shadows;
    o.showBackground = !settings.background.empty();
    o.backgroundColour = {settings.backgroundColor.red, settings.backgroundColor.green,
                          settings.backgroundColor.blue, 255};
    o.sidesColour = {settings.sidesColor.red, settings.sidesColor.green, settings.sidesColor.blue,
                     255};
    o.borderSize = settings.borderSize;
    o.shadowSize = settings.shadowSize;
    o.removeTileTime = settings.removeTileTime;
    view_.SetOptions(o);
}

int GameApp2D::EditorTargetUnderPointer() {
    const int x = pointerX_.load();
    const int y = pointerY_.load();
    if (!editMode || x < 0 || y < 0) {
        return -1;
    }
    return editor.AddTarget(x, y, view_.EditorShape());
}

void GameApp2D::OnPointerMoved(int x, int y) {
    pointerX_ = x;
    pointerY_ = y;
    // Most moves stay within one cell: the board is composed again only when the hint moves.
    if (editMode && EditorTargetUnderPointer() != shownEditorTarget_) {
        Tick();
    }
}

void GameApp2D::ReleaseRendererObjects() {
    view_.Release();
}

void GameApp2D::PlaceTiles() {
    BoardLock lock(*this);
    SyncViewOptions();
    view_.PlaceTiles();
}

void GameApp2D::Tick() {
    BoardLock lock(*this);
    SyncViewOptions();
    view_.Tick();
    fadeSteps = view_.FadeSteps();
    if (WindowPort* window = Window()) {
        window->Invalidate();
    }
}

void GameApp2D::AnimationFrame(int a, int b, int alphaA, int alphaB) {
    SyncViewOptions();
    view_.AnimationFrame(a, b, alphaA, alphaB);
    fadeSteps = view_.FadeSteps();
}

void GameApp2D::AnimateRemoval(int a, int b) {
    SyncViewOptions();
    view_.AnimateRemoval(a, b);
    fadeSteps = view_.FadeSteps();
}

void GameApp2D::AutoplayWait(int a, int b, int delay) {
    // The worker has selected the pair: show it, then fade it out as a click would.
    view_.AnimationFrame(NoTile, NoTile, 255, 255);
    const auto start = std::chrono::steady_clock::now();
    if (delay > 0) {
        view_.AnimateRemoval(a, b, [this] { return board.AutoplayRunning != 0; });
    }
    // Without a fade (RemoveTileTime 0) the replay still pauses, so that it can be followed.
    const auto end = start + std::chrono::milliseconds(delay);
    while (board.AutoplayRunning && std::chrono::steady_clock::now() < end &&
           view_.Options().removeTileTime <= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void GameApp2D::Resize() {
    BoardLock lock(*this);
    SyncViewOptions();
    view_.Resize(viewPixelWidth, viewPixelHeight);
    if (WindowPort* window = Window()) {
        window->Invalidate();
    }
}

bool GameApp2D::PaintFrame(const FrameSink& sink) {
    // The frame stays alive while the window copies it, whatever the autoplay worker composes.
    const std::shared_ptr<const Image> frame = view_.PaintFrame();
    if (!frame || !frame->HasPixels()) {
        return false;
    }
    sink(frame->Pixels(), frame->Width(), frame->Height(), frame->Stride());
    return true;
}

void GameApp2D::LoadBackground2D() {
    SyncViewOptions();
    if (settings.background.empty()) {
        return;  // "none": the background colour shows
    }
    std::string path = ResolveInFolder(folders.backgrounds, settings.background);
    if (path.empty()) {
        path = JoinPath(folders.backgrounds, settings.background);
    }
    view_.LoadBackground2D(path);
}

void GameApp2D::LoadTileSet2D() {
    BoardLock lock(*this);
    SyncViewOptions();
    std::string path = ResolveInFolder(folders.tileSets, settings.tileSet);
    if (path.empty()) {
        path = JoinPath(folders.tileSets, settings.tileSet);
    }
    view_.LoadTileSet2D(path);
}

void GameApp2D::SizeTileSet2D(int pixelWidth, int pixelHeight) {
    SyncViewOptions();
    view_.SizeTileSet2D(pixelWidth, pixelHeight);
}

void GameApp2D::HitTest2D(int x, int y, int button) {
    BoardLock lock(*this);
    SyncViewOptions();
    const HitResult2D hit = view_.HitTest2D(x, y, button);
    switch (hit.kind) {
        case HitResult2D::Tile:
            ClickTile(hit.tile);
            break;
        case HitResult2D::EditorPoint:
            editor.EditorClick(hit.x, hit.y, button == 0 ? EditorButton::Add : EditorButton::Remove,
                               view_.EditorShape());
            break;
        case HitResult2D::Nothing:
            break;  // a click beside every tile does nothing
    }
}
