// A main window for tests: it keeps what the application shows (title, status, menus, cursor,
// paints) so tests check the program's logic without a display.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "shell/window_port.h"

class RecordingWindow : public WindowPort {
public:
    std::string title;
    std::string status;
    std::string outlook;  // the status bar's second part
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
    void SetOutlookText(const std::string& text) override { outlook = text; }
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
    // Work from another thread waits until the test runs it on its own thread (RunHeldWork), as
    // a window would run it on the window's thread; cleared, such work runs at once on the thread
    // that sent it.
    bool holdOtherThreads = true;
    void RunOnWindowThread(std::function<void()> work) override {
        if (holdOtherThreads && std::this_thread::get_id() != owner_) {
            std::lock_guard lock(heldMutex_);
            held_.push_back(std::move(work));
            return;
        }
        work();
    }
    // Runs the work held so far; returns how many pieces ran.
    int RunHeldWork() {
        std::deque<std::function<void()>> work;
        {
            std::lock_guard lock(heldMutex_);
            work.swap(held_);
        }
        for (auto& piece : work) {
            piece();
        }
        return static_cast<int>(work.size());
    }
    void Close() override { ++closes; }

private:
    std::thread::id owner_ = std::this_thread::get_id();
    std::mutex heldMutex_;
    std::deque<std::function<void()>> held_;
};
