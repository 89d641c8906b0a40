// Helpers of the shell tests: a throw-away game folder, a window that records what the
// application shows, and an application whose view stands in for the real board drawing.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "shell/command_ids.h"
#include "shell/edition_2d/game_app_2d.h"
#include "shell/game_app.h"
#include "tests/support/recording_window.h"
#include "tests/support/scripted_desktop.h"

namespace fs = std::filesystem;

// A fresh game folder holding the shipped language, layouts and tile set, and a few sound files.
class GameFolder {
public:
    GameFolder();
    ~GameFolder();
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& relative) const { return path_ + "/" + relative; }
    void Touch(const std::string& relative) const;

private:
    std::string path_;
};

// The view of this application treats a click's x as the tile number, so tests click tiles
// directly; it counts the view slots the shell calls.
class TestApp : public GameApp {
public:
    explicit TestApp(ShellDesktop& desktop, Edition edition = Edition::TwoD)
        : GameApp(desktop, edition) {}
    int placeTiles = 0;
    int ticks = 0;
    int resizes = 0;
    int tileSetLoads = 0;
    int backgroundLoads = 0;
    int musicPlays = 0;
    bool waveDevice = true;
    std::vector<std::pair<int, int>> hits;

    bool HasLayoutEditor() const override { return GetEdition() == Edition::TwoD; }
    bool HasCamera() const override { return GetEdition() != Edition::TwoD; }
    void PlaceTiles() override { ++placeTiles; }
    void Tick() override { ++ticks; }
    void Resize() override {
        ++resizes;
        GameApp::Resize();
    }
    void PickAt(int x, int y) override {
        hits.emplace_back(x, 0);
        (void)y;
        if (!editMode) {
            ClickTile(x);
        }
    }
    bool LoadTileSetPicture() override {
        ++tileSetLoads;
        return true;
    }
    void LoadBackgroundPicture() override { ++backgroundLoads; }
    bool HasWaveDevice() override { return waveDevice; }
    void PlayMusic() override { ++musicPlays; }
};

// An edition's own application object without the splash window and without sound.
template <class Edition>
class QuietEdition : public Edition {
public:
    using Edition::Edition;
    void ShowSplash() override {}
    void CloseSplash() override {}
    bool HasWaveDevice() override { return false; }
    void PlayMusic() override {}
    void PlayEffect(int) override {}
};

// board2d's own application object, counting the re-cuts of its tile set, the placements and the
// redraws; without sound.
class TestApp2D : public QuietEdition<GameApp2D> {
public:
    explicit TestApp2D(ShellDesktop& desktop) : QuietEdition<GameApp2D>(desktop) {}
    int sizeTileSets = 0;
    int placeTiles = 0;
    int ticks = 0;

    void SizeTileSet() override {
        ++sizeTileSets;
        GameApp2D::SizeTileSet();
    }
    void PlaceTiles() override {
        ++placeTiles;
        GameApp2D::PlaceTiles();
    }
    void Tick() override {
        ++ticks;
        GameApp2D::Tick();
    }
};

// A point of tile t's face as board2d's view placed it where a click reaches the tile, in view
// pixels: the face's middle unless a tile above covers it.
void FacePoint2D(const GameApp2D& app, int t, int& x, int& y);

// The command of the Tile set, Language or Layout menu's entry for `fileName`, or 0 when the
// menu has none.
int TileSetMenuEntry(const GameApp& app, const std::string& fileName);
int LanguageMenuEntry(const GameApp& app, const std::string& fileName);
int LayoutMenuEntry(const GameApp& app, const std::string& fileName);

// The whole of a file as bytes; empty when it cannot be read.
std::string ReadAll(const std::string& path);

// Starts `app` in `folder` with `window` attached, as the program does.
void StartIn(GameApp& app, const GameFolder& folder, WindowPort& window);
// The same without the first-run language question, which the real desktop would ask in a dialog.
void StartWithoutLanguageQuestion(GameApp& app, const GameFolder& folder, WindowPort& window);

// A started game in a fresh folder: first-run language choice answered, settings loaded, the
// recording window attached and the first game dealt.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { Start(); }
    void Start(bool waveDevice = true);

    GameFolder folder;
    ScriptedDesktop desktop;
    RecordingWindow window;
    std::unique_ptr<TestApp> app;
};

// Removes pairs in the deal's recorded order by clicking both tiles.
void WinByClicking(TestApp& app);

// Wins the easy-mode deal with keys alone, the way a player without a mouse does: for each pair
// of the deal's recorded order, Tab until the focus is on its first tile, `click` (Space or
// Return, taking turns), Tab to the second, `click`. `press` sends one key. Every Tab must land on
// a free tile standing on the board; a failure is reported and ends the game early.
void WinWithKeys(GameApp& app, const std::function<void(KeyCode)>& press);
