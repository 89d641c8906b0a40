// What the shell hands each edition: the mouse buttons by edition, the keys, wheel and drags of
// the board view, the idle loop, the busy cursor while a click is handled, and the order in
// which a renderer that cannot serve the window ends the game.
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>

#include <fstream>

#include "shell/main_window.h"
#include "tests/shell/qt_test_app.h"
#include "tests/shell/shell_test_support.h"

namespace {

// An edition shaped like the 3D ones: it has a camera and an idle loop, and records the input
// the shell gives it and the order of the renderer's shut-down steps.
class CameraApp : public TestApp {
public:
    explicit CameraApp(ShellDesktop& desktop, ScriptedDesktop* script = nullptr)
        : TestApp(desktop, Edition::GL), script_(script) {}

    std::vector<KeyCode> keys;
    std::vector<int> wheel;
    std::vector<PointerState> moves;
    std::vector<bool> pauses;
    std::vector<std::string> steps;
    int idles = 0;
    bool rendererWorks = true;
    std::string iniPath;

    bool HasCamera() const override { return true; }
    bool WantsIdleLoop() const override { return true; }
    void OnIdle() override { ++idles; }
    void OnKey(KeyCode key) override { keys.push_back(key); }
    void OnWheel(int delta) override { wheel.push_back(delta); }
    void OnPointerMoved(const PointerState& pointer) override {
        moves.push_back(pointer);
        TestApp::OnPointerMoved(pointer);
    }
    void OnPauseChanged(bool paused) override { pauses.push_back(paused); }
    bool CreateRenderer() override {
        if (!rendererWorks) {
            RendererFailed("Cannot draw here.");
            steps.push_back(std::string("message shown: ") +
                            (script_ != nullptr && script_->Count(ScriptedDesktop::Call::Message)
                                 ? "yes"
                                 : "no"));
            return false;
        }
        return true;
    }
    void ReleaseRendererObjects() override {
        steps.push_back(std::string("release, settings written: ") +
                        (std::ifstream(iniPath).good() ? "yes" : "no") + ", messages: " +
                        std::to_string(script_ != nullptr
                                           ? script_->Count(ScriptedDesktop::Call::Message)
                                           : -1));
    }

private:
    ScriptedDesktop* script_;
};

}  // namespace

// The buttons by edition: board2d undoes with the right button and opens the colours with the
// middle one; a camera edition turns the board with the right button (no command at all) and
// undoes with the middle one.
TEST(EditionSeams, MouseButtonsSendTheCommandsOfTheEdition) {
    struct Case {
        bool twoD;
        int rightUndoMessages;
        int middleUndoMessages;
        int middleColourDialogs;
    };
    for (const Case c : {Case{true, 1, 0, 1}, Case{false, 0, 1, 0}}) {
        GameFolder folder;
        ScriptedDesktop desktop;
        RecordingWindow window;
        std::unique_ptr<GameApp> app;
        if (c.twoD) {
            app = std::make_unique<TestApp2D>(desktop);
        } else {
            app = std::make_unique<CameraApp>(desktop);
        }
        StartIn(*app, folder, window);
        desktop.Clear();
        app->board.GameOverShown = 1;
        app->OnRightButtonDown(5, 5);
        EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::Message), c.rightUndoMessages) << c.twoD;
        // No command ran: a command would have cleared GameOverShown.
        EXPECT_EQ(app->board.GameOverShown, c.twoD ? 0 : 1);
        desktop.Clear();
        app->OnMiddleButtonDown();
        EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::Message), c.middleUndoMessages);
        EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::Colours), c.middleColourDialogs);
        if (c.middleUndoMessages > 0) {
            EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message)[0].text,
                      app->Text(TextId::MesUndo));
        }
        // Only the camera edition offers ZOOM_DEFAULT, only board2d the editor.
        EXPECT_EQ(app->MainMenu().Find(command::ZOOM_DEFAULT) != nullptr, !c.twoD);
        EXPECT_EQ(app->MainMenu().Find(command::EDIT_LAYOUT) != nullptr, c.twoD);
        app->AttachWindow(nullptr);
    }
}

// Keys, the wheel and pointer moves reach the edition through the real window; the function
// keys stay commands, F10 and the keypad arrive as keys, and the pause hook follows the focus
// and PAUSE_CHRONO.
TEST(EditionSeams, KeysWheelAndDragsReachTheEdition) {
    TestQtApp();
    GameFolder folder;
    ScriptedDesktop desktop;
    CameraApp app(desktop);
    MainWindow window(app);
    StartIn(app, folder, window);
    QWidget* view = window.Board();

    struct KeyCase {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        KeyCode expected;
    };
    const KeyCase keyCases[] = {
        {Qt::Key_PageUp, Qt::NoModifier, KeyCode::PageUp},
        {Qt::Key_Left, Qt::NoModifier, KeyCode::Left},
        {Qt::Key_Left, Qt::KeypadModifier, KeyCode::Keypad4},
        {Qt::Key_8, Qt::KeypadModifier, KeyCode::Keypad8},
        {Qt::Key_Home, Qt::NoModifier, KeyCode::Home},
        {Qt::Key_F10, Qt::NoModifier, KeyCode::F10},
    };
    for (const KeyCase& k : keyCases) {
        QKeyEvent press(QEvent::KeyPress, k.qtKey, k.modifiers);
        QApplication::sendEvent(view, &press);
    }
    ASSERT_EQ(app.keys.size(), std::size(keyCases));
    for (std::size_t i = 0; i < app.keys.size(); ++i) {
        EXPECT_EQ(app.keys[i], keyCases[i].expected) << i;
    }
    // A key the game does not know is not handed on.
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier);
    QApplication::sendEvent(view, &letter);
    EXPECT_EQ(app.keys.size(), std::size(keyCases));

    QWheelEvent away(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &away);
    QWheelEvent toward(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -240), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &toward);
    EXPECT_EQ(app.wheel, (std::vector<int>{120, -240}));

    QMouseEvent drag(QEvent::MouseMove, QPointF(40, 30), QPointF(540, 330), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(view, &drag);
    QMouseEvent shifted(QEvent::MouseMove, QPointF(41, 30), QPointF(541, 330), Qt::NoButton,
                        Qt::RightButton, Qt::ShiftModifier);
    QApplication::sendEvent(view, &shifted);
    ASSERT_EQ(app.moves.size(), 2u);
    const double ratio = view->devicePixelRatioF();
    EXPECT_EQ(app.moves[0].x, static_cast<int>(40 * ratio));
    EXPECT_EQ(app.moves[0].screenX, 540);
    EXPECT_EQ(app.moves[0].screenY, 330);
    EXPECT_TRUE(app.moves[0].OnlyRight());
    EXPECT_FALSE(app.moves[1].OnlyRight()) << "a modifier held makes it no drag";

    app.pauses.clear();
    app.OnFocus(false);
    app.OnFocus(true);
    app.ExecuteCommand(command::PAUSE_CHRONO);
    EXPECT_EQ(app.pauses, (std::vector<bool>{true, false, true}));
    app.AttachWindow(nullptr);
}

// The idle loop turns only for an edition that asks for it, and stops with the window.
TEST(EditionSeams, IdleLoopRunsOnlyWhenSwitchedOn) {
    TestQtApp();
    GameFolder folder;
    ScriptedDesktop desktop;
    CameraApp app(desktop);
    MainWindow window(app);
    StartIn(app, folder, window);
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(app.idles, 0);
    EXPECT_FALSE(window.IdleLoopRunning());
    window.StartIdleLoop();
    EXPECT_TRUE(window.IdleLoopRunning());
    QElapsedTimer waited;
    waited.start();
    while (app.idles < 3 && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_GE(app.idles, 3);
    app.AttachWindow(nullptr);
    window.Close();
    const int stopped = app.idles;
    QCoreApplication::processEvents();
    EXPECT_EQ(app.idles, stopped);
}

// A renderer that cannot serve the window: the settings are written and the objects released
// before the message, which has the caption "ERROR".
TEST(EditionSeams, AFailingRendererSavesReleasesShutsDownThenTellsWhy) {
    GameFolder folder;
    ScriptedDesktop desktop;
    RecordingWindow window;
    CameraApp app(desktop, &desktop);
    app.iniPath = folder.File("TAVX3D.INI");
    app.SetStartFolder(folder.Path());
    app.OfferFirstRunLanguage();
    ASSERT_TRUE(app.LoadSettings());
    app.AttachWindow(&window);
    desktop.Clear();
    app.rendererWorks = false;
    EXPECT_FALSE(app.CreateRenderer());
    EXPECT_EQ(app.steps, (std::vector<std::string>{"release, settings written: yes, messages: 0",
                                                   "message shown: yes"}));
    EXPECT_TRUE(app.IsShutDown());
    EXPECT_EQ(window.closes, 1);
    const auto messages = desktop.Calls(ScriptedDesktop::Call::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Cannot draw here.");
    EXPECT_EQ(messages[0].caption, "ERROR");
    EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
    app.AttachWindow(nullptr);
}

// The busy cursor is what the board shows while a click's fade is drawn, and the normal one
// once the click is handled.
TEST(EditionSeams, TheBusyCursorIsShownWhileAClickFades) {
    TestQtApp();
    class FadeWatch : public TestApp2D {
    public:
        using TestApp2D::TestApp2D;
        MainWindow* window = nullptr;
        std::vector<Qt::CursorShape> shownDuringPaint;
        bool PaintFrame(const FrameSink& sink) override {
            if (window != nullptr) {
                shownDuringPaint.push_back(window->Board()->cursor().shape());
            }
            return TestApp2D::PaintFrame(sink);
        }
    };
    GameFolder folder;
    ScriptedDesktop desktop;
    FadeWatch app(desktop);
    MainWindow window(app);
    StartIn(app, folder, window);
    window.show();
    for (int i = 0; i < 10 && !window.windowHandle()->isExposed(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    app.OnFocus(true);
    app.settings.newCursors = false;
    // A free matching pair: the easy deal's first two tiles.
    const int a = app.board.dealOrder[0];
    const int b = app.board.dealOrder[1];
    app.ClickTile(a);
    app.window = &window;
    int x = 0;
    int y = 0;
    FacePoint2D(app, b, x, y);
    app.OnLeftButtonDown(x, y);
    ASSERT_EQ(app.board.tiles[static_cast<std::size_t>(b)].face, NoTile) << "the pair is gone";
    app.window = nullptr;
    ASSERT_FALSE(app.shownDuringPaint.empty()) << "the fade painted no frame";
    for (Qt::CursorShape shape : app.shownDuringPaint) {
        EXPECT_EQ(shape, Qt::BusyCursor);
    }
    EXPECT_EQ(window.Board()->cursor().shape(), Qt::ArrowCursor);
    app.AttachWindow(nullptr);
}
