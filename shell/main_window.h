// The Qt main window of the game: menu bar, toolbar, status bar and the board view, the one-second
// timer, the function keys and the mouse. It holds no game state: every input goes to the
// application object, which answers through the WindowPort this window implements.
#pragma once

#include <QMainWindow>
#include <QWidget>

#include <array>
#include <functional>
#include <map>

#include "shell/key_code.h"
#include "shell/window_port.h"

class GameApp;
class QAction;
class QLabel;
class QMouseEvent;
class QWheelEvent;
class QTimer;
class QToolBar;

// The board view's mouse input, shared by every board widget: positions in device pixels go to
// the application object with the buttons held and the screen position.
namespace board_input {
void Press(GameApp& app, QWidget& view, QMouseEvent* event);
void Move(GameApp& app, QWidget& view, QMouseEvent* event);
void Wheel(GameApp& app, QWheelEvent* event);
void Leave(GameApp& app);
// The view's size in device pixels.
int PixelWidth(const QWidget& view);
int PixelHeight(const QWidget& view);
}  // namespace board_input

// A key of the keyboard as the game knows it; keypad keys are told apart from the others.
KeyCode KeyFromQt(int key, Qt::KeyboardModifiers modifiers);

// The board view of the editions that compose a picture (board2d, board3d_d3d): shows the
// picture in device pixels and passes the mouse on.
class BoardWidget : public QWidget {
public:
    BoardWidget(GameApp& app, QWidget* parent);

    // The view's size in device pixels.
    int PixelWidth() const { return board_input::PixelWidth(*this); }
    int PixelHeight() const { return board_input::PixelHeight(*this); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    GameApp& app_;
};

// Makes the edition's board view as a child of the main window.
using BoardViewFactory = std::function<QWidget*(GameApp& app, QWidget* parent)>;
// The picture view of BoardWidget.
BoardViewFactory PictureBoardView();

class MainWindow : public QMainWindow, public WindowPort {
public:
    // The board view comes from `makeView`; without one it is the picture view.
    explicit MainWindow(GameApp& app, const BoardViewFactory& makeView = PictureBoardView());
    ~MainWindow() override;

    QWidget* Board() const { return board_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QLabel* StatusLabel() const { return statusLabel_; }
    // The status bar's second part: whether the game can still be won.
    QLabel* OutlookLabel() const { return outlookLabel_; }
    // The actions of the menu bar shown now, by command identifier.
    const std::multimap<int, QAction*>& MenuActions() const { return menuActions_; }
    const std::array<QAction*, 13>& ToolbarActions() const { return toolbarActions_; }

    // Starts the one-second timer.
    void StartTimer();
    // Starts drawing the board whenever no event waits (the 3D editions' main loop).
    void StartIdleLoop();
    bool IdleLoopRunning() const;
    // Places the window at the stored outer rectangle.
    void PlaceAt(const WindowRect& rect);

    // WindowPort
    void SetTitle(const std::string& title) override;
    void SetStatusText(const std::string& text) override;
    void SetOutlookText(const std::string& text) override;
    void Invalidate() override;
    void PaintNow() override;
    void ShowMenuBar(const MenuBar& bar) override;
    void UpdateMenuStates(const MenuBar& bar) override;
    void SetToolbarTips(const std::array<std::string, 13>& tips) override;
    void SetToolbarEnabled(int command, bool enabled) override;
    void SetCursor(CursorKind kind, bool ownCursors) override;
    void GetViewSize(int& pixelWidth, int& pixelHeight) const override;
    void RunOnWindowThread(std::function<void()> work) override;
    bool GetFrameRect(WindowRect& rect) const override;
    void Close() override;
    void FocusMoved() override;
    void Announce(const std::string& text) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildToolBar();
    void FixFrameSize();

    GameApp& app_;
    QWidget* board_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLabel* outlookLabel_ = nullptr;
    QTimer* timer_ = nullptr;
    QTimer* idle_ = nullptr;
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
