#include "shell/edition_3d/game_app_3d.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "settings/resource_folders.h"
#include "shell/command_ids.h"
#include "view3d/picking.h"

namespace {

std::int64_t NowMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// The face sizes the configuration dialog offers, in its list's order.
constexpr int kFaceSizes[] = {64, 128, 256};

}  // namespace

GameApp3D::GameApp3D(ShellDesktop& desktop, Edition edition) : GameApp(desktop, edition) {
    scene_.StartFrameMeter(NowMilliseconds());
}

GameApp3D::~GameApp3D() {
    // The worker calls this object's hooks: it must end before they go.
    StopAutoplay();
}

// ---------------------------------------------------------------------------------------------
// View slots
// ---------------------------------------------------------------------------------------------

void GameApp3D::SetViewDefaults(Settings& s) {
    settingsHooks_.SetViewDefaults(s);
}

void GameApp3D::ReadViewSettings(std::string_view line, std::string_view key, Settings& s) {
    settingsHooks_.ReadViewSettings(line, key, s);
    scene_.LoadSettings(s);
}

void GameApp3D::WriteViewSettings(ConfigWriter& writer, const Settings& s) {
    settingsHooks_.WriteViewSettings(writer, s);
}

void GameApp3D::PlaceTiles() {
    BoardLock lock(*this);
    scene_.LoadSettings(settings);
    scene_.PlaceTiles(board.tiles);
}

void GameApp3D::Resize() {
    BoardLock lock(*this);
    scene_.SetViewSize(viewPixelWidth, viewPixelHeight);
}

void GameApp3D::Tick() {
    FramePlan plan;
    {
        BoardLock lock(*this);
        scene_.AdvanceSpin(board.ChronoPaused != 0);
        FrameOptions options = FrameOptionsFromSettings(settings);
        options.hintTiles = ShownHint(board);
        options.focusTile = FocusedTile();
        plan = BuildFramePlan(board, scene_, options);
    }
    Render(plan);
    {
        std::lock_guard lock(planMutex_);
        lastPlan_ = plan;
    }
    scene_.CountFrame(NowMilliseconds());
    BoardLock lock(*this);
    RefreshStatus();
}

FramePlan GameApp3D::LastPlan() const {
    std::lock_guard lock(planMutex_);
    return lastPlan_;
}

void GameApp3D::UpdateView() {
    scene_.UpdateView();
}

void GameApp3D::RotateBoard(float yaw, float pitch, float roll) {
    scene_.RotateBoard(yaw, pitch, roll);
}

// ---------------------------------------------------------------------------------------------
// Input
// ---------------------------------------------------------------------------------------------

void GameApp3D::OnIdle() {
    if (!IsShutDown()) {
        Tick();
    }
}

void GameApp3D::PickAt(int x, int y) {
    const FramePlan drawn = LastPlan();
    PickTile(board, drawn, x, y, [this](int tile) { return ClickTile(tile); });
}

void GameApp3D::ResetCamera() {
    scene_.ResetCamera();
    UpdateView();
    scene_.StoreSettings(settings);
}

void GameApp3D::OnKey(KeyCode key) {
    // A camera key moves the camera only: no command, so GameOverShown stays.
    scene_.CameraKey(static_cast<CameraKeyCode>(key));
    UpdateView();
    scene_.StoreSettings(settings);
}

void GameApp3D::OnWheel(int delta) {
    scene_.CameraWheel(delta > 0);
    UpdateView();
    scene_.StoreSettings(settings);
}

void GameApp3D::OnPointerMoved(const PointerState& pointer) {
    GameApp::OnPointerMoved(pointer);
    PointerMove move;
    move.x = pointer.x;
    move.y = pointer.y;
    move.screenX = pointer.screenX;
    move.screenY = pointer.screenY;
    move.rightButtonOnly = pointer.OnlyRight();
    const WindowPlacement window{settings.windowXPos, settings.windowYPos, settings.windowXSize,
                                 settings.windowYSize};
    BoardLock lock(*this);
    scene_.moveBoard = settings.moveBoard;
    scene_.MovePointer(move, window);
}

void GameApp3D::OnPauseChanged(bool paused) {
    if (!paused) {
        scene_.Resume();
    }
}

// ---------------------------------------------------------------------------------------------
// Pictures and dialogs
// ---------------------------------------------------------------------------------------------

std::string GameApp3D::TileSetPath() const {
    std::string path = ResolveInFolder(folders.tileSets, settings.tileSet);
    return path.empty() ? JoinPath(folders.tileSets, settings.tileSet) : path;
}

bool GameApp3D::ReadTileSetPicture(Image& picture) const {
    return picture.Load(TileSetPath()) && IsTileSetPicture(picture);
}

void GameApp3D::UseTileSetPicture(TileSet& tiles, Image picture) const {
    tiles.Release();
    tiles.source = std::move(picture);
    tiles.hasSource = true;
    tiles.BuildFaces(FaceSize());
}

std::string GameApp3D::BackgroundPath() const {
    std::string path = ResolveInFolder(folders.backgrounds, settings.background);
    return path.empty() ? JoinPath(folders.backgrounds, settings.background) : path;
}

int GameApp3D::FaceSize() const {
    // A damaged settings file may hold any number: the faces stay within sizes a texture holds.
    const int size = settings.textureSize;
    return size >= 8 && size <= 1024 ? size : 64;
}

void GameApp3D::ColourDialog() {
    std::vector<ColourButton> buttons;
    for (int level = 0; level < 5; ++level) {
        buttons.push_back(
            {Text(static_cast<TextId>(static_cast<int>(TextId::COLORS3DLEVEL0) + level)),
             settings.rgbLevelColor[static_cast<std::size_t>(level)]});
    }
    buttons.push_back({Text(TextId::COLORSBACK), settings.backgroundColor});
    buttons.push_back({Text(TextId::COLORSSIDE), settings.sidesColor});
    {
        BoardUnlock unlock(*this);
        GetDesktop().ShowColourDialog(
            DialogTexts{Text(TextId::COLORS3DCAPTION), {Text(TextId::OK)}}, buttons,
            [this](int button) {
                BoardLock lock(*this);
                Colour* colour = nullptr;
                if (button < 5) {
                    colour = &settings.rgbLevelColor[static_cast<std::size_t>(button)];
                    *colour = PickColour(*colour);
                    return *colour;
                }
                colour = button == 5 ? &settings.backgroundColor : &settings.sidesColor;
                Colour picked = PickColour(Colour{colour->red, colour->green, colour->blue, 255});
                picked.alpha = 255;
                *colour = picked;
                return *colour;
            },
            ColourGroup{Text(TextId::COLORS3DLEVELGRP), 5});
    }
    // OK: the renderer takes the new colours.
    scene_.SetLevelColours(settings.rgbLevelColor);
    InitRendererObjects();
}

void GameApp3D::ConfigDialog() {
    const std::string milliseconds = " " + Text(TextId::MILLISECONDS);
    auto msText = [milliseconds](int value) { return std::to_string(value) + milliseconds; };
    // The rotation step is shown as a whole number; a settings file may hold any real, so a
    // value outside what an int holds (or not a number) is shown at the nearest limit.
    auto stepText = [](float value) {
        const float shown = std::isfinite(value) ? std::clamp(value, -1.0e6f, 1.0e6f) : 0.0f;
        return std::to_string(static_cast<int>(shown));
    };
    std::vector<ConfigRow> rows = {
        {Text(TextId::AUTOPLAYDELAY), msText(settings.autoPlaySleep)},
        {Text(TextId::REMOVETILEDELAY), stepText(settings.stepRotation)},
    };
    ConfigExtras extras;
    extras.checkBoxes.push_back({Text(TextId::MOVEBOARD), settings.moveBoard});
    if (HasBumpMapping()) {
        extras.checkBoxes.push_back({Text(TextId::BUMPMAPPING), settings.bumpMapping});
    }
    extras.choiceLabel = Text(TextId::TEXTURESIZE);
    for (int size : kFaceSizes) {
        extras.choices.push_back(std::to_string(size) + "x" + std::to_string(size) + " pixels");
        if (size == settings.textureSize) {
            extras.chosen = static_cast<int>(extras.choices.size()) - 1;
        }
    }
    {
        BoardUnlock unlock(*this);
        GetDesktop().ShowConfigDialog(
            DialogTexts{Text(TextId::CONFIGCAPTION), {Text(TextId::OK)}}, rows,
            [this, msText, stepText](int row, int delta) -> std::string {
                BoardLock lock(*this);
                if (row == 0) {
                    settings.autoPlaySleep = StepDelay(settings.autoPlaySleep, delta);
                    return msText(settings.autoPlaySleep);
                }
                if (row == 1) {
                    if (delta > 0 && settings.stepRotation < 255.0f) {
                        settings.stepRotation += 1.0f;
                    } else if (delta < 0 && settings.stepRotation > 1.0f) {
                        settings.stepRotation -= 1.0f;
                    }
                    return stepText(settings.stepRotation);
                }
                return std::string();
            },
            extras);
    }
    // OK: the switches and the face size take effect.
    settings.moveBoard = extras.checkBoxes[0].checked;
    scene_.moveBoard = settings.moveBoard;
    if (HasBumpMapping()) {
        settings.bumpMapping = extras.checkBoxes[1].checked;
    }
    if (extras.chosen >= 0 && extras.chosen < static_cast<int>(std::size(kFaceSizes))) {
        const int chosen = kFaceSizes[extras.chosen];
        if (chosen != settings.textureSize) {
            settings.textureSize = chosen;
            FaceSizeChanged();
        }
    }
    PlaceTiles();
}
