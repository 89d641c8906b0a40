// What the application asks of its main window. The Qt window implements it; tests attach a
// recording window, so all program logic runs without a display.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "shell/menu_model.h"

enum class CursorKind { Normal, Busy };

// Receives the composed board picture to show: BGRA bytes, rows top-down, in device pixels.
using FrameSink = std::function<void(const std::uint8_t* bgra, int width, int height, int stride)>;

// The window's outer rectangle on the screen, in pixels.
struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

class WindowPort {
public:
    virtual ~WindowPort() = default;

    virtual void SetTitle(const std::string& title) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    // The status bar's second part: whether the game can still be won.
    virtual void SetOutlookText(const std::string& text) = 0;
    // Schedules a repaint of the board from the current frame; safe from any thread.
    virtual void Invalidate() = 0;
    // Repaints the board at once (the removal fade); safe from any thread, and waits for the paint
    // when called from another thread.
    virtual void PaintNow() = 0;
    // Shows `bar` as the window's menu bar, rebuilding it from the model.
    virtual void ShowMenuBar(const MenuBar& bar) = 0;
    // Brings check marks and enabled states of the shown menu bar up to date with `bar`, whose
    // structure equals the one last shown.
    virtual void UpdateMenuStates(const MenuBar& bar) = 0;
    // Tooltips of the toolbar's buttons, in button order (separators have none).
    virtual void SetToolbarTips(const std::array<std::string, 13>& tips) = 0;
    // Greys the toolbar button of `command` (false) or makes it pressable again (true).
    virtual void SetToolbarEnabled(int command, bool enabled) = 0;
    virtual void SetCursor(CursorKind kind, bool ownCursors) = 0;
    // The size of the board view in device pixels.
    virtual void GetViewSize(int& pixelWidth, int& pixelHeight) const = 0;
    // The outer rectangle of the window; false when it cannot be read.
    virtual bool GetFrameRect(WindowRect& rect) const = 0;
    // Runs `work` on the window's thread: at once when called there, else queued to it.
    virtual void RunOnWindowThread(std::function<void()> work) = 0;
    // Closes the window and ends the main loop.
    virtual void Close() = 0;
    // The keyboard focus moved to another tile, or the focused tile changed (a screen reader
    // reads it again).
    virtual void FocusMoved() {}
    // Says `text` through the screen reader: a removed pair, the hint, the win, the loss.
    virtual void Announce(const std::string& text) { (void)text; }
};
