// The Qt main window of the game: menu bar, toolbar, status bar and the board view, the one-second
// timer, the function keys and the mouse. It holds no game state: every input goes to the
// application object, which answers through the WindowPort this window implements.
#pragma once

#include <QMainWindow>
#include <QWidget>

#include <array>
#include <map>

#include "shell/window_port.h"

class GameApp;
class QAction;
class QLabel;
class QTimer;
class QToolBar;

// The central widget: shows the composed frame in device pixels and passes mouse input on.
class BoardWidget : public QWidget {
public:
    BoardWidget(GameApp& app, QWidget* parent);

    // The view's size in device pixels.
    int PixelWidth() const;
    int PixelHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    GameApp& app_;
};

class MainWindow : public QMainWindow, public WindowPort {
public:
    explicit MainWindow(GameApp& app);
    ~MainWindow() override;

    BoardWidget* Board() const { return board_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QLabel* StatusLabel() const { return statusLabel_; }
    // The actions of the menu bar shown now, by command identifier.
    const std::multimap<int, QAction*>& MenuActions() const { return menuActions_; }
    const std::array<QAction*, 13>& ToolbarActions() const { return toolbarActions_; }

    // Starts the one-second timer.
    void StartTimer();
    // Places the window at the stored outer rectangle.
    void PlaceAt(const WindowRect& rect);

    // WindowPort
    void SetTitle(const std::string& title) override;
    void SetStatusText(const std::string& text) override;
    void Invalidate() override;
    void PaintNow() override;
    void ShowMenuBar(const MenuBar& bar) override;
    void UpdateMenuStates(const MenuBar& bar) override;
    void SetToolbarTips(const std::array<std::string, 13>& tips) override;
    void SetCursor(CursorKind kind, bool ownCursors) override;
    void GetViewSize(int& pixelWidth, int& pixelHeight) const override;
    void RunOnWindowThread(std::function<void()> work) override;
    bool GetFrameRect(WindowRect& rect) const override;
    void Close() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void BuildToolBar();
    void FixFrameSize();

    GameApp& app_;
    BoardWidget* board_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QTimer* timer_ = nullptr;
    std::multimap<int, QAction*> menuActions_;
    std::array<QAction*, 13> toolbarActions_{};
    bool closing_ = false;
    // The outer size asked for at start-up, applied again once the frame's decoration is known.
    WindowRect placed_;
    bool frameFixPending_ = false;
};

// The ten pictures of the toolbar strip as icons, 16 and 32 pixels, light grey made transparent;
// drawn placeholders stand in while the strip is missing.
std::array<QIcon, 10> ToolbarIcons();
