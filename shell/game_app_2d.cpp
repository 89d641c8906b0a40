#include "shell/game_app_2d.h"

GameApp2D::GameApp2D(ShellDesktop& desktop) : GameApp(desktop, Edition::TwoD) {
    titleText = WindowTitle(Edition::TwoD);
    view_.sources.board = &board;
    view_.sources.editor = &editor;
    view_.sources.editing = [this] { return editMode; };
    view_.sources.isHintTile = [this](int t) { return IsHintTile(t); };
    // A fade frame is shown at once; from the autoplay worker the window shows it when it can.
    view_.paintNow = [this] {
        if (WindowPort* window = Window()) {
            window->PaintNow();
        }
    };
}

GameApp2D::~GameApp2D() {
    // The view's callbacks point into this object; nothing may call them during destruction.
    view_.paintNow = nullptr;
}

void GameApp2D::SyncViewOptions() {
    View2DOptions& o = view_.options;
    o.shadows = settings.shadows;
    o.showBackground = !settings.background.empty();
    o.backgroundColour = {settings.backgroundColor.red, settings.backgroundColor.green,
                          settings.backgroundColor.blue, 255};
    o.sidesColour = {settings.sidesColor.red, settings.sidesColor.green, settings.sidesColor.blue,
                     255};
    o.borderSize = settings.borderSize;
    o.shadowSize = settings.shadowSize;
    o.removeTileTime = settings.removeTileTime;
}

bool GameApp2D::IsHintTile(int t) {
    if (!board.GameOverShown) {
        return false;
    }
    if (board.hintIndex >= board.moveCount) {
        board.hintIndex = 0;
    }
    // With no pair listed there is nothing to show.
    if (board.moveCount <= 0 || board.hintIndex < 0) {
        return false;
    }
    const TilePair& pair = board.moveList[static_cast<std::size_t>(board.hintIndex)];
    return t == pair.first || t == pair.second;
}

void GameApp2D::ReleaseRendererObjects() {
    view_.Release();
}

void GameApp2D::PlaceTiles() {
    SyncViewOptions();
    view_.PlaceTiles();
}

void GameApp2D::Tick() {
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

void GameApp2D::Resize() {
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
