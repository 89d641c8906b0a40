#include "shell/edition_2d/game_app_2d.h"

#include <chrono>
#include <future>
#include <system_error>
#include <thread>

#include "shell/command_ids.h"

GameApp2D::GameApp2D(ShellDesktop& desktop) : GameApp(desktop, Edition::TwoD) {
    view_.sources.board = &board;
    view_.sources.editor = &editor;
    view_.sources.editing = [this] { return editMode; };
    view_.sources.isHintTile = [this](int t) { return board.IsHintTile(t); };
    view_.sources.focusTile = [this] { return FocusedTile(); };
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

void GameApp2D::OnPointerMoved(const PointerState& pointer) {
    PointerAt(pointer.x, pointer.y);
    GameApp::OnPointerMoved(pointer);
}

void GameApp2D::OnPointerLeft() {
    PointerAt(-1, -1);
}

void GameApp2D::PointerAt(int x, int y) {
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
    std::shared_ptr<const Image> frame = view_.PaintFrame();
    if (!frame && view_.FrameFreed()) {
        BoardLock lock(*this);
        SyncViewOptions();
        view_.ComposeFrame();
        frame = view_.PaintFrame();
    }
    if (!frame || !frame->HasPixels()) {
        return false;
    }
    sink(frame->Pixels(), frame->Width(), frame->Height(), frame->Stride());
    return true;
}

void GameApp2D::LetGoOfIdleMemory() {
    constexpr std::int64_t kQuietMicroseconds = 500000;
    if (board.AutoplayRunning == 0) {
        view_.FreeFrame(kQuietMicroseconds);
    }
}

std::string GameApp2D::BackgroundPath() const {
    std::string path = ResolveInFolder(folders.backgrounds, settings.background);
    return path.empty() ? JoinPath(folders.backgrounds, settings.background) : path;
}

void GameApp2D::LoadBackgroundPicture() {
    SyncViewOptions();
    if (settings.background.empty()) {
        return;  // "none": the background colour shows
    }
    view_.LoadBackground2D(BackgroundPath());
}

bool GameApp2D::LoadBackgroundAndTileSet() {
    SyncViewOptions();
    if (settings.background.empty()) {
        return LoadTileSetPicture();
    }
    std::future<View2D::PreparedBackground> background;
    try {
        background = std::async(std::launch::async, View2D::PrepareBackground2D, BackgroundPath(),
                                view_.ViewWidth(), view_.ViewHeight());
    } catch (const std::system_error&) {
        LoadBackgroundPicture();  // no thread to spare: one after the other
        return LoadTileSetPicture();
    }
    const bool faces = LoadTileSetPicture();
    view_.TakeBackground2D(background.get());
    return faces;
}

bool GameApp2D::LoadTileSetPicture() {
    BoardLock lock(*this);
    SyncViewOptions();
    std::string path = ResolveInFolder(folders.tileSets, settings.tileSet);
    if (path.empty()) {
        path = JoinPath(folders.tileSets, settings.tileSet);
    }
    return view_.LoadTileSet2D(path);
}

void GameApp2D::SizeTileSet() {
    SyncViewOptions();
    view_.SizeTileSet2D(viewPixelWidth, viewPixelHeight);
}

int GameApp2D::MiddleButtonCommand() const {
    return command::CHANGE_COLORS;
}

void GameApp2D::PickAt(int x, int y) {
    HitTest2D(x, y, 0);
}

void GameApp2D::OnRightButtonDown(int x, int y) {
    if (IsShutDown()) {
        return;
    }
    if (!editMode) {
        ExecuteCommand(command::UNDO);
        return;
    }
    BoardLock lock(*this);
    BusyCursor busy(*this);
    HitTest2D(x, y, 1);
    AfterEditorChange();
    Tick();
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

// The colour and configuration dialogs of board2d: the side colour, border and shadow are cut
// into the tile set, so a change re-cuts it at the current view size.
void GameApp2D::ColourDialog() {
    std::vector<ColourButton> buttons = {
        {Text(TextId::COLORSBACK), settings.backgroundColor},
        {Text(TextId::COLORSSIDE), settings.sidesColor},
    };
    BoardUnlock unlock(*this);
    GetDesktop().ShowColourDialog(
        DialogTexts{Text(TextId::COLORSCAPTION), {Text(TextId::OK)}}, buttons, [this](int button) {
            BoardLock lock(*this);
            Colour& colour = button == 0 ? settings.backgroundColor : settings.sidesColor;
            Colour picked = PickColour(Colour{colour.red, colour.green, colour.blue, 255});
            picked.alpha = 255;
            colour = picked;
            if (button == 1) {
                // The tile sides are cut into the faces: cut them again in the new colour.
                SizeTileSet();
            }
            return colour;
        });
}

void GameApp2D::ConfigDialog() {
    const std::string milliseconds = " " + Text(TextId::MILLISECONDS);
    auto msText = [milliseconds](int value) { return std::to_string(value) + milliseconds; };
    auto ratioText = [](int value) { return "1 / " + std::to_string(value); };
    std::vector<ConfigRow> rows = {
        {Text(TextId::AUTOPLAYDELAY), msText(settings.autoPlaySleep)},
        {Text(TextId::REMOVETILEDELAY), msText(settings.removeTileTime)},
        {Text(TextId::BORDERSIZE), ratioText(settings.borderSize)},
        {Text(TextId::SHADOWSIZE), ratioText(settings.shadowSize)},
    };
    BoardUnlock unlock(*this);
    GetDesktop().ShowConfigDialog(
        DialogTexts{Text(TextId::CONFIGCAPTION), {Text(TextId::OK)}}, rows,
        [this, msText, ratioText](int row, int delta) -> std::string {
            BoardLock lock(*this);
            auto stepDelay = [delta](int& value) { value = StepDelay(value, delta); };
            auto stepSize = [this, delta](int& value, int low, int high) {
                const int next = value + (delta > 0 ? 1 : -1);
                if (next < low || next > high) {
                    return;  // at the limit nothing changes and nothing is redrawn
                }
                value = next;
                SizeTileSet();
                PlaceTiles();
                Tick();
            };
            switch (row) {
                case 0:
                    stepDelay(settings.autoPlaySleep);
                    return msText(settings.autoPlaySleep);
                case 1:
                    stepDelay(settings.removeTileTime);
                    return msText(settings.removeTileTime);
                case 2:
                    stepSize(settings.borderSize, 2, 10);
                    return ratioText(settings.borderSize);
                case 3:
                    stepSize(settings.shadowSize, 2, 25);
                    return ratioText(settings.shadowSize);
                default:
                    return std::string();
            }
        });
}
