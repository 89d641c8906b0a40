// Helpers of the shell tests: a throw-away game folder, a window that records what the
// application shows, and an application whose view stands in for the real board drawing.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/command_ids.h"
#include "shell/game_app.h"
#include "shell/scripted_desktop.h"
#include "shell/window_port.h"

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

class RecordingWindow : public WindowPort {
public:
    std::string title;
    std::string status;
    int invalidates = 0;
    int paints = 0;
    int menuBarsShown = 0;
    MenuBar shownBar;
    std::array<std::string, 13> tips;
    CursorKind cursor = CursorKind::Normal;
    bool ownCursors = false;
    int closes = 0;
    WindowRect frame{10, 20, 1280, 800};
    int viewWidth = 1280;
    int viewHeight = 700;

    void SetTitle(const std::string& text) override { title = text; }
    void SetStatusText(const std::string& text) override { status = text; }
    void Invalidate() override { ++invalidates; }
    void PaintNow() override { ++paints; }
    void ShowMenuBar(const MenuBar& bar) override {
        shownBar = bar;
        ++menuBarsShown;
    }
    void UpdateMenuStates(const MenuBar& bar) override { shownBar = bar; }
    void SetToolbarTips(const std::array<std::string, 13>& texts) override { tips = texts; }
    void SetCursor(CursorKind kind, bool own) override {
        cursor = kind;
        ownCursors = own;
    }
    void GetViewSize(int& width, int& height) const override {
        width = viewWidth;
        height = viewHeight;
    }
    bool GetFrameRect(WindowRect& rect) const override {
        rect = frame;
        return true;
    }
    void RunOnWindowThread(std::function<void()> work) override { work(); }
    void Close() override { ++closes; }
};

// The view of this application treats a click's x as the tile number, so tests click tiles
// directly; it counts the view slots the shell calls.
class TestApp : public GameApp {
public:
    explicit TestApp(ShellDesktop& desktop, Edition edition = Edition::TwoD)
        : GameApp(desktop, edition) {
        titleText += edition == Edition::TwoD ? " 2D" : " GL";
    }
    int placeTiles = 0;
    int ticks = 0;
    int resizes = 0;
    int tileSetLoads = 0;
    int backgroundLoads = 0;
    int sizeTileSets = 0;
    int musicPlays = 0;
    bool waveDevice = true;
    std::vector<std::pair<int, int>> hits;

    void PlaceTiles() override { ++placeTiles; }
    void Tick() override { ++ticks; }
    void Resize() override {
        ++resizes;
        GameApp::Resize();
    }
    void HitTest2D(int x, int y, int button) override {
        hits.emplace_back(x, button);
        (void)y;
        if (!editMode) {
            ClickTile(x);
        }
    }
    void LoadTileSet2D() override { ++tileSetLoads; }
    void LoadBackground2D() override { ++backgroundLoads; }
    void SizeTileSet2D(int, int) override { ++sizeTileSets; }
    bool HasWaveDevice() override { return waveDevice; }
    void PlayMusic() override { ++musicPlays; }
};

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
