#include "shell/main_window.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <cmath>

#include "shell/board_accessible.h"
#include "shell/command_ids.h"
#include "shell/cursor_set.h"
#include "shell/game_app.h"

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool OnGuiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

// Light grey is the strip's background: it becomes transparent.
QPixmap CutPicture(const QImage& strip, int index, int size) {
    QImage picture = strip.copy(index * size, 0, size, size).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            if ((row[x] & 0x00FFFFFFu) == 0x00C0C0C0u) {
                row[x] = 0;
            }
        }
    }
    return QPixmap::fromImage(picture);
}

// A simple drawn stand-in for a missing picture of the strip.
QPixmap PlaceholderPicture(int index, int size) {
    static const char* const kLetters = "LNUHPSFHAX";
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor::fromHsv((index * 36) % 360, 120, 200));
    painter.setPen(QColor(60, 60, 60));
    painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1.0, size - 1.0), size / 5.0, size / 5.0);
    QFont font = painter.font();
    font.setPixelSize(size * 2 / 3);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString(QChar(kLetters[index])));
    return pixmap;
}

}  // namespace

std::array<QIcon, 10> ToolbarIcons() {
    std::array<QIcon, 10> icons;
    QImage strip(QStringLiteral(":/toolbar.png"));
    QImage strip2x(QStringLiteral(":/toolbar@2x.png"));
    for (int i = 0; i < 10; ++i) {
        if (strip.width() >= 160 && strip.height() >= 16) {
            icons[i].addPixmap(CutPicture(strip, i, 16));
        } else {
            icons[i].addPixmap(PlaceholderPicture(i, 16));
        }
        if (strip2x.width() >= 320 && strip2x.height() >= 32) {
            icons[i].addPixmap(CutPicture(strip2x, i, 32));
        } else {
            icons[i].addPixmap(PlaceholderPicture(i, 32));
        }
    }
    return icons;
}

// ---------------------------------------------------------------------------------------------
// BoardWidget
// ---------------------------------------------------------------------------------------------

namespace board_input {

namespace {

int ToPixels(double position, const QWidget& view) {
    return static_cast<int>(std::floor(position * view.devicePixelRatioF()));
}

PointerState Pointer(const QWidget& view, const QMouseEvent* event) {
    PointerState pointer;
    pointer.x = ToPixels(event->position().x(), view);
    pointer.y = ToPixels(event->position().y(), view);
    const QPoint screen = event->globalPosition().toPoint();
    pointer.screenX = screen.x();
    pointer.screenY = screen.y();
    const Qt::MouseButtons held = event->buttons();
    pointer.buttons = (held & Qt::LeftButton ? kPointerLeft : 0u) |
                      (held & Qt::RightButton ? kPointerRight : 0u) |
                      (held & Qt::MiddleButton ? kPointerMiddle : 0u);
    pointer.modifiers =
        (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) != 0;
    return pointer;
}

}  // namespace

void Press(GameApp& app, QWidget& view, QMouseEvent* event) {
    const int x = ToPixels(event->position().x(), view);
    const int y = ToPixels(event->position().y(), view);
    switch (event->button()) {
        case Qt::LeftButton:
            app.OnLeftButtonDown(x, y);
            break;
        case Qt::RightButton:
            app.OnRightButtonDown(x, y);
            break;
        case Qt::MiddleButton:
            app.OnMiddleButtonDown();
            break;
        default:
            break;
    }
    event->accept();
}

void Move(GameApp& app, QWidget& view, QMouseEvent* event) {
    app.OnPointerMoved(Pointer(view, event));
    event->accept();
}

void Wheel(GameApp& app, QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta != 0) {
        app.OnWheel(delta);
    }
    event->accept();
}

void Leave(GameApp& app) {
    app.OnPointerLeft();
}

int PixelWidth(const QWidget& view) {
    return static_cast<int>(std::lround(view.width() * view.devicePixelRatioF()));
}

int PixelHeight(const QWidget& view) {
    return static_cast<int>(std::lround(view.height() * view.devicePixelRatioF()));
}

}  // namespace board_input

KeyCode KeyFromQt(int key, Qt::KeyboardModifiers modifiers) {
    const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
    const bool other = (modifiers & (Qt::AltModifier | Qt::MetaModifier)) != 0;
    // The keyboard focus's keys: Tab, hjkl, Space, Return and Escape alone, the arrows and the
    // Page keys with Ctrl (alone they stay the camera's).
    if (!other && !(modifiers & Qt::KeypadModifier)) {
        if (key == Qt::Key_Backtab || (key == Qt::Key_Tab && (modifiers & Qt::ShiftModifier))) {
            return ctrl ? KeyCode::Other : KeyCode::ShiftTab;
        }
        if (ctrl) {
            switch (key) {
                case Qt::Key_Left:
                    return KeyCode::CtrlLeft;
                case Qt::Key_Right:
                    return KeyCode::CtrlRight;
                case Qt::Key_Up:
                    return KeyCode::CtrlUp;
                case Qt::Key_Down:
                    return KeyCode::CtrlDown;
                case Qt::Key_PageUp:
                    return KeyCode::CtrlPageUp;
                case Qt::Key_PageDown:
                    return KeyCode::CtrlPageDown;
                default:
                    break;
            }
        } else if (!(modifiers & Qt::ShiftModifier)) {
            switch (key) {
                case Qt::Key_Tab:
                    return KeyCode::Tab;
                case Qt::Key_Return:
                case Qt::Key_Enter:
                    return KeyCode::Return;
                case Qt::Key_Escape:
                    return KeyCode::Escape;
                case Qt::Key_Space:
                    return KeyCode::Space;
                case Qt::Key_H:
                    return KeyCode::LetterH;
                case Qt::Key_J:
                    return KeyCode::LetterJ;
                case Qt::Key_K:
                    return KeyCode::LetterK;
                case Qt::Key_L:
                    return KeyCode::LetterL;
                default:
                    break;
            }
        }
    }
    if (modifiers & Qt::KeypadModifier) {
        // With Num Lock off the keypad sends the cursor keys; they count as the digits.
        switch (key) {
            case Qt::Key_0:
            case Qt::Key_Insert:
                return KeyCode::Keypad0;
            case Qt::Key_1:
            case Qt::Key_End:
                return KeyCode::Keypad1;
            case Qt::Key_2:
            case Qt::Key_Down:
                return KeyCode::Keypad2;
            case Qt::Key_3:
            case Qt::Key_PageDown:
                return KeyCode::Keypad3;
            case Qt::Key_4:
            case Qt::Key_Left:
                return KeyCode::Keypad4;
            case Qt::Key_5:
            case Qt::Key_Clear:
                return KeyCode::Keypad5;
            case Qt::Key_6:
            case Qt::Key_Right:
                return KeyCode::Keypad6;
            case Qt::Key_7:
            case Qt::Key_Home:
                return KeyCode::Keypad7;
            case Qt::Key_8:
            case Qt::Key_Up:
                return KeyCode::Keypad8;
            case Qt::Key_9:
            case Qt::Key_PageUp:
                return KeyCode::Keypad9;
            case Qt::Key_Asterisk:
                return KeyCode::KeypadMultiply;
            case Qt::Key_Plus:
                return KeyCode::KeypadAdd;
            case Qt::Key_Minus:
                return KeyCode::KeypadSubtract;
            case Qt::Key_Period:
            case Qt::Key_Delete:
                return KeyCode::KeypadDecimal;
            case Qt::Key_Slash:
                return KeyCode::KeypadDivide;
            case Qt::Key_Enter:
                return KeyCode::Return;
            default:
                return KeyCode::Other;
        }
    }
    switch (key) {
        case Qt::Key_PageUp:
            return KeyCode::PageUp;
        case Qt::Key_PageDown:
            return KeyCode::PageDown;
        case Qt::Key_End:
            return KeyCode::End;
        case Qt::Key_Home:
            return KeyCode::Home;
        case Qt::Key_Left:
            return KeyCode::Left;
        case Qt::Key_Up:
            return KeyCode::Up;
        case Qt::Key_Right:
            return KeyCode::Right;
        case Qt::Key_Down:
            return KeyCode::Down;
        case Qt::Key_Insert:
            return KeyCode::Insert;
        case Qt::Key_Delete:
            return KeyCode::Delete;
        case Qt::Key_F10:
            return KeyCode::F10;
        default:
            return KeyCode::Other;
    }
}

BoardWidget::BoardWidget(GameApp& app, QWidget* parent) : QWidget(parent), app_(app) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(160, 120);
}

BoardViewFactory PictureBoardView() {
    return [](GameApp& app, QWidget* parent) { return new BoardWidget(app, parent); };
}

void BoardWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    bool shown = false;
    int frameWidth = 0;
    int frameHeight = 0;
    app_.PaintFrame([&](const std::uint8_t* bgra, int width, int height, int stride) {
        // BGRA bytes are Qt's 32-bit pixel format on little-endian machines; the image is drawn
        // one device pixel per frame pixel, so the board stays crisp on dense screens.
        QImage image(bgra, width, height, stride, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        painter.drawImage(QPointF(0, 0), image);
        shown = true;
        frameWidth = width;
        frameHeight = height;
    });
    const Colour colour = app_.ViewFillColour();
    const QColor fill(colour.red, colour.green, colour.blue);
    const qreal shownWidth = frameWidth / ratio;
    const qreal shownHeight = frameHeight / ratio;
    if (!shown) {
        painter.fillRect(rect(), fill);
        return;
    }
    // While the frame lags behind a resize, the uncovered strips get the background colour.
    if (shownWidth < width()) {
        painter.fillRect(QRectF(shownWidth, 0, width() - shownWidth, height()), fill);
    }
    if (shownHeight < height()) {
        painter.fillRect(QRectF(0, shownHeight, shownWidth, height() - shownHeight), fill);
    }
}

void BoardWidget::mousePressEvent(QMouseEvent* event) {
    board_input::Press(app_, *this, event);
}

void BoardWidget::mouseMoveEvent(QMouseEvent* event) {
    board_input::Move(app_, *this, event);
}

void BoardWidget::wheelEvent(QWheelEvent* event) {
    board_input::Wheel(app_, event);
}

void BoardWidget::leaveEvent(QEvent* event) {
    board_input::Leave(app_);
    QWidget::leaveEvent(event);
}

void BoardWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    app_.OnViewResized(PixelWidth(), PixelHeight(), window()->isMinimized());
}

// ---------------------------------------------------------------------------------------------
// MainWindow
// ---------------------------------------------------------------------------------------------

MainWindow::MainWindow(GameApp& app, const BoardViewFactory& makeView) : app_(app) {
    setObjectName(QStringLiteral("MainWindow"));
    board_ = makeView ? makeView(app, this) : new BoardWidget(app, this);
    board_->setObjectName(QStringLiteral("Board"));
    setCentralWidget(board_);
    // The board keeps Tab for the keyboard focus on its tiles, and screen readers read it.
    board_->installEventFilter(this);
    MarkAccessibleBoard(*board_, app);
    board_->setFocus();
    BuildToolBar();
    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName(QStringLiteral("StatusText"));
    statusLabel_->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(statusLabel_, 1);
    outlookLabel_ = new QLabel(this);
    outlookLabel_->setObjectName(QStringLiteral("OutlookText"));
    outlookLabel_->setTextFormat(Qt::PlainText);
    statusBar()->addPermanentWidget(outlookLabel_);
    statusBar()->setSizeGripEnabled(true);

    // The function keys reach the game wherever the focus is inside the window.
    for (int key = 1; key <= 12; ++key) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1 + (key - 1)), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, key] { app_.OnFunctionKey(key); });
    }
    // The Ctrl keys of the aids added later (redo, shuffle).
    for (const command::CommandShortcut& keys : command::kShortcuts) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(keys.keys)), this);
        shortcut->setContext(Qt::WindowShortcut);
        const int id = keys.command;
        connect(shortcut, &QShortcut::activated, this, [this, id] { app_.OnCommand(id); });
    }
    // The Ctrl keys most programs use, beside the function keys.
    for (const command::ClassicKey& classic : command::kClassicKeys) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(classic.keys)), this);
        shortcut->setContext(Qt::WindowShortcut);
        const int id = classic.command;
        connect(shortcut, &QShortcut::activated, this, [this, id] { app_.OnCommand(id); });
    }
    timer_ = new QTimer(this);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, [this] { app_.OnTimer(); });
    // A zero timer fires whenever the event queue is empty: the 3D editions' idle loop.
    idle_ = new QTimer(this);
    idle_->setInterval(0);
    connect(idle_, &QTimer::timeout, this, [this] { app_.OnIdle(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildToolBar() {
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("ToolBar"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    toolBar_->toggleViewAction()->setEnabled(false);
    const std::array<QIcon, 10> icons = ToolbarIcons();
    for (std::size_t i = 0; i < command::kToolbar.size(); ++i) {
        const command::ToolbarButton& button = command::kToolbar[i];
        if (button.command == 0) {
            toolbarActions_[i] = toolBar_->addSeparator();
            continue;
        }
        QAction* action = toolBar_->addAction(icons[static_cast<std::size_t>(button.picture)], {});
        action->setData(button.command);
        const int id = button.command;
        connect(action, &QAction::triggered, this, [this, id] { app_.OnCommand(id); });
        toolbarActions_[i] = action;
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);
}

void MainWindow::StartTimer() {
    timer_->start();
}

void MainWindow::StartIdleLoop() {
    // A frame whenever no event waits, but no more often than the screen can show one: frames
    // the display never shows would only take the processor from the rest of the desktop.
    const QScreen* shown = screen();
    const double refresh = shown != nullptr ? shown->refreshRate() : 60.0;
    const int interval = refresh >= 1.0 ? static_cast<int>(1000.0 / refresh) : 16;
    idle_->setTimerType(Qt::PreciseTimer);
    idle_->setInterval(std::clamp(interval, 0, 100));
    idle_->start();
}

bool MainWindow::IdleLoopRunning() const {
    return idle_->isActive();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // The function keys other than F10 are the window's shortcuts and never arrive here.
    const KeyCode key = KeyFromQt(event->key(), event->modifiers());
    if (key == KeyCode::Other) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    app_.KeyPressed(key);
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Tab would move Qt's focus away from the board; on the board it moves the tile focus.
    if (watched == board_ && event->type() == QEvent::KeyPress) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        const KeyCode key = KeyFromQt(keyEvent->key(), keyEvent->modifiers());
        if (key == KeyCode::Tab || key == KeyCode::ShiftTab) {
            app_.KeyPressed(key);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::FocusMoved() {
    if (!OnGuiThread()) {
        QMetaObject::invokeMethod(
            this, [this] { FocusMoved(); }, Qt::QueuedConnection);
        return;
    }
    QAccessibleEvent nameChanged(board_, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    if (board_->hasFocus()) {
        QAccessibleEvent focus(board_, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void MainWindow::Announce(const std::string&) {
    if (!OnGuiThread()) {
        QMetaObject::invokeMethod(
            this, [this] { Announce(std::string()); }, Qt::QueuedConnection);
        return;
    }
    // The board's description now starts with the announcement; the alert has it read out.
    QAccessibleEvent described(board_, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
    QAccessibleEvent alert(board_, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void MainWindow::PlaceAt(const WindowRect& rect) {
    placed_ = rect;
    move(rect.left, rect.top);
    resize(std::max(rect.width, 320), std::max(rect.height, 240));
    frameFixPending_ = true;
}

// The stored size is the outer size; once the window manager has put its frame around the
// window, the inner size is reduced so that the outer size is the stored one.
void MainWindow::FixFrameSize() {
    if (!frameFixPending_ || !isVisible()) {
        return;
    }
    const QRect outer = frameGeometry();
    const int extraWidth = outer.width() - width();
    const int extraHeight = outer.height() - height();
    if (extraWidth <= 0 && extraHeight <= 0) {
        return;
    }
    frameFixPending_ = false;
    resize(std::max(placed_.width - extraWidth, 320), std::max(placed_.height - extraHeight, 240));
}

void MainWindow::SetTitle(const std::string& title) {
    setWindowTitle(FromUtf8(title));
}

void MainWindow::SetStatusText(const std::string& text) {
    const QString qtext = FromUtf8(text);
    if (OnGuiThread()) {
        statusLabel_->setText(qtext);
    } else {
        QMetaObject::invokeMethod(
            statusLabel_, [this, qtext] { statusLabel_->setText(qtext); }, Qt::QueuedConnection);
    }
}

void MainWindow::SetOutlookText(const std::string& text) {
    const QString qtext = FromUtf8(text);
    if (OnGuiThread()) {
        outlookLabel_->setText(qtext);
    } else {
        QMetaObject::invokeMethod(
            outlookLabel_, [this, qtext] { outlookLabel_->setText(qtext); }, Qt::QueuedConnection);
    }
}

void MainWindow::Invalidate() {
    if (OnGuiThread()) {
        board_->update();
    } else {
        QMetaObject::invokeMethod(
            board_, [this] { board_->update(); }, Qt::QueuedConnection);
    }
}

void MainWindow::PaintNow() {
    if (OnGuiThread()) {
        board_->repaint();
    } else {
        // The worker does not wait for the window: the frame it composed is shown as soon as the
        // window thread is free, and the worker can never block a window thread that waits for it.
        QMetaObject::invokeMethod(
            board_, [this] { board_->repaint(); }, Qt::QueuedConnection);
    }
}

namespace {

// The keys after an entry's tab ("F2, Ctrl+N") named as the desktop names them in the player's
// language; a text after the tab that is no key sequence stays as the language file gives it.
QString MenuLabel(const std::string& text) {
    const QString label = FromUtf8(text);
    const qsizetype tab = label.indexOf(QLatin1Char('\t'));
    if (tab < 0) {
        return label;
    }
    const QString keys = label.mid(tab + 1);
    const QKeySequence sequence = QKeySequence::fromString(keys, QKeySequence::PortableText);
    if (sequence.isEmpty() || sequence.toString(QKeySequence::PortableText) != keys) {
        return label;
    }
    return label.left(tab + 1) + sequence.toString(QKeySequence::NativeText);
}

void AddItems(QMenu* menu, const std::vector<MenuItem>& items, const std::array<QIcon, 10>& icons,
              std::multimap<int, QAction*>& actions, GameApp& app) {
    for (const MenuItem& item : items) {
        switch (item.kind) {
            case MenuItem::Kind::Separator:
                menu->addSeparator();
                break;
            case MenuItem::Kind::Popup: {
                QMenu* sub = menu->addMenu(FromUtf8(item.text));
                AddItems(sub, item.items, icons, actions, app);
                break;
            }
            case MenuItem::Kind::Command: {
                QAction* action = menu->addAction(MenuLabel(item.text));
                action->setData(item.id);
                action->setCheckable(item.checkable);
                action->setChecked(item.checked);
                action->setEnabled(item.enabled);
                if (item.picture >= 0 && item.picture < 10) {
                    action->setIcon(icons[static_cast<std::size_t>(item.picture)]);
                    action->setIconVisibleInMenu(true);
                }
                const int id = item.id;
                QObject::connect(action, &QAction::triggered, menu,
                                 [&app, id] { app.OnCommand(id); });
                actions.emplace(id, action);
                break;
            }
        }
    }
}

}  // namespace

void MainWindow::ShowMenuBar(const MenuBar& bar) {
    // The old menus may be the ones whose action is running right now: they are deleted later.
    QMenuBar* old = menuBar();
    auto* fresh = new QMenuBar(this);
    fresh->setObjectName(QStringLiteral("MenuBar"));
    menuActions_.clear();
    const std::array<QIcon, 10> icons = ToolbarIcons();
    for (const MenuItem& popup : bar.popups) {
        QMenu* menu = fresh->addMenu(FromUtf8(popup.text));
        AddItems(menu, popup.items, icons, menuActions_, app_);
    }
    setMenuBar(fresh);  // takes ownership; the old bar is deleted by Qt
    if (old != nullptr && old != fresh) {
        old->hide();
    }
}

void MainWindow::UpdateMenuStates(const MenuBar& bar) {
    for (const MenuItem* item : bar.Commands()) {
        auto [begin, end] = menuActions_.equal_range(item->id);
        for (auto it = begin; it != end; ++it) {
            if (it->second->isCheckable() && it->second->isChecked() != item->checked) {
                it->second->setChecked(item->checked);
            }
            if (it->second->isEnabled() != item->enabled) {
                it->second->setEnabled(item->enabled);
            }
        }
    }
}

void MainWindow::SetToolbarTips(const std::array<std::string, 13>& tips) {
    for (std::size_t i = 0; i < toolbarActions_.size(); ++i) {
        if (toolbarActions_[i] != nullptr && !toolbarActions_[i]->isSeparator()) {
            // Tooltips hold at most 79 characters.
            QString tip = FromUtf8(tips[i]);
            if (tip.size() > 79) {
                tip.truncate(79);
            }
            toolbarActions_[i]->setToolTip(tip);
            toolbarActions_[i]->setText(tip);
        }
    }
}

void MainWindow::SetToolbarEnabled(int command, bool enabled) {
    for (QAction* action : toolbarActions_) {
        if (action != nullptr && !action->isSeparator() && action->data().toInt() == command) {
            action->setEnabled(enabled);
        }
    }
}

void MainWindow::SetCursor(CursorKind kind, bool ownCursors) {
    board_->setCursor(GameCursor(kind, ownCursors));
}

void MainWindow::RunOnWindowThread(std::function<void()> work) {
    if (OnGuiThread()) {
        work();
    } else {
        QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
    }
}

void MainWindow::GetViewSize(int& pixelWidth, int& pixelHeight) const {
    if (!isVisible()) {
        // Before the window shows, its layout is settled here, so that the first frame is
        // composed at the size it will be shown (menu bar and toolbar included).
        const_cast<MainWindow*>(this)->layout()->activate();
    }
    pixelWidth = board_input::PixelWidth(*board_);
    pixelHeight = board_input::PixelHeight(*board_);
}

bool MainWindow::GetFrameRect(WindowRect& rect) const {
    const QRect outer = frameGeometry();
    if (!outer.isValid()) {
        return false;
    }
    rect.left = outer.left();
    rect.top = outer.top();
    rect.width = outer.width();
    rect.height = outer.height();
    return true;
}

void MainWindow::Close() {
    closing_ = true;
    timer_->stop();
    idle_->stop();
    close();
    QApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        // The close box: the same shut-down as the EXIT command.
        closing_ = true;
        timer_->stop();
        idle_->stop();
        app_.OnDestroy();
        QApplication::quit();
    }
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !closing_) {
        app_.OnFocus(isActiveWindow());
    }
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    FixFrameSize();
    if (!isMinimized()) {
        app_.OnMoved();
    }
}
