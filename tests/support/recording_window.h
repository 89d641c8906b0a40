// A main window for tests: it keeps what the application shows (title, status, menus, cursor,
// paints) so tests check the program's logic without a display.
#pragma once

#include <array>
#include <functional>
#include <set>
#include <string>

#include "shell/window_port.h"

class RecordingWindow : public WindowPort {
public:
    std::string title;
    std::string status;
    int invalidates = 0;
    int paints = 0;
    int menuBarsShown = 0;
    MenuBar shownBar;
    std::array<std::string, 13> tips;
    std::set<int> greyedButtons;  // commands whose toolbar button is greyed
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
    void SetToolbarEnabled(int command, bool enabled) override {
        if (enabled) {
            greyedButtons.erase(command);
        } else {
            greyedButtons.insert(command);
        }
    }
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
