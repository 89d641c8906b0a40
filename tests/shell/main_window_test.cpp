// The Qt main window on the offscreen platform: the menu bar rendered from the application's
// model with its identifiers and check marks, the toolbar's thirteen entries and their tips,
// commands reaching the dispatch, and the function keys.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QToolBar>

#include <fstream>

#include "shell/main_window.h"
#include "shell/start_up.h"
#include "tests/shell/qt_test_app.h"
#include "tests/shell/shell_test_support.h"

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestQtApp();
        app = std::make_unique<TestApp>(desktop);
        app->SetStartFolder(folder.Path());
        app->OfferFirstRunLanguage();
        ASSERT_TRUE(app->LoadSettings());
        window = std::make_unique<MainWindow>(*app);
        app->AttachWindow(window.get());
        app->StartGame();
    }
    void TearDown() override {
        app->AttachWindow(nullptr);
        window.reset();
    }

    QAction* Action(int id) const {
        auto it = window->MenuActions().find(id);
        return it == window->MenuActions().end() ? nullptr : it->second;
    }

    GameFolder folder;
    ScriptedDesktop desktop;
    std::unique_ptr<TestApp> app;
    std::unique_ptr<MainWindow> window;
};

}  // namespace

TEST_F(MainWindowTest, MenuBarShowsThePopupsOfTheModel) {
    const QList<QAction*> popups = window->menuBar()->actions();
    ASSERT_EQ(popups.size(), static_cast<qsizetype>(app->MainMenu().popups.size()));
    EXPECT_EQ(popups[0]->text().toStdString(), app->Text(TextId::GAME));
    EXPECT_EQ(popups[5]->text().toStdString(), app->Text(TextId::HELP));
    // Every command of the model has its action carrying the identifier.
    for (const MenuItem* item : app->MainMenu().Commands()) {
        QAction* action = Action(item->id);
        ASSERT_NE(action, nullptr) << item->id;
        EXPECT_EQ(action->data().toInt(), item->id);
        EXPECT_EQ(action->isChecked(), item->checked) << item->id;
    }
    ASSERT_NE(Action(command::NEW_GAME), nullptr);
    EXPECT_EQ(Action(command::NEW_GAME)->text().toStdString(),
              app->Text(TextId::NEW_GAME) + ", Ctrl+N");
}

TEST_F(MainWindowTest, TriggeredActionsRunTheirCommandsAndMarksFollow) {
    ASSERT_TRUE(Action(command::SHADOWS)->isChecked());
    Action(command::SHADOWS)->trigger();
    EXPECT_FALSE(app->settings.shadows);
    EXPECT_FALSE(Action(command::SHADOWS)->isChecked());
    Action(command::PAUSE_CHRONO)->trigger();
    EXPECT_EQ(app->board.ChronoPaused, 1);
}

TEST_F(MainWindowTest, ToolbarHasThirteenEntriesWithTheLanguagesTips) {
    const QList<QAction*> buttons = window->ToolBar()->actions();
    ASSERT_EQ(buttons.size(), 13);
    int separators = 0;
    for (int i = 0; i < buttons.size(); ++i) {
        const int command = GameApp::ToolbarCommands()[static_cast<std::size_t>(i)];
        if (command == 0) {
            EXPECT_TRUE(buttons[i]->isSeparator());
            ++separators;
            continue;
        }
        EXPECT_EQ(buttons[i]->data().toInt(), command);
        EXPECT_FALSE(buttons[i]->icon().isNull());
    }
    EXPECT_EQ(separators, 3);
    EXPECT_EQ(buttons[4]->toolTip().toStdString(), app->Text(TextId::T_HINT));
    const int seconds = app->board.chronoSeconds;
    buttons[4]->trigger();  // the hint button
    EXPECT_EQ(app->board.chronoSeconds, seconds + 60);
}

// Without an audio device the speaker button is greyed; with one it can be pressed.
TEST_F(MainWindowTest, SpeakerButtonIsGreyedWithoutAnAudioDevice) {
    const QList<QAction*> buttons = window->ToolBar()->actions();
    ASSERT_EQ(buttons[7]->data().toInt(), command::USE_SOUNDS);
    EXPECT_TRUE(buttons[7]->isEnabled());
    for (const bool device : {false, true}) {
        app->waveDevice = device;
        app->BuildMenus();
        EXPECT_EQ(buttons[7]->isEnabled(), device);
        for (int i : {0, 1, 3, 4, 5, 8, 10, 11, 12}) {
            EXPECT_TRUE(buttons[i]->isEnabled()) << i;
        }
    }
}

TEST_F(MainWindowTest, StatusAndTitleReachTheWindow) {
    EXPECT_EQ(window->windowTitle().toStdString(), "Varnel's mah-jong v2.4.2 2D - Default.tvl");
    EXPECT_NE(window->StatusLabel()->text().toStdString().find("144"), std::string::npos);
    app->OnTimer();
    EXPECT_NE(window->StatusLabel()->text().toStdString().find("00:00:01"), std::string::npos);
}

TEST_F(MainWindowTest, LanguageChangeRebuildsTheRenderedMenus) {
    std::ofstream(folder.File("LANGUAGE/Testish.txt"))
        << "GAME = \"&Spiel\"\nT_UNDO = \"Zurück\"\n";
    app->BuildMenus();
    const int testish = LanguageMenuEntry(*app, "Testish.txt");
    ASSERT_NE(testish, 0);
    Action(testish)->trigger();
    QApplication::processEvents();
    EXPECT_EQ(window->menuBar()->actions()[0]->text().toStdString(), "&Spiel");
    EXPECT_EQ(window->ToolBar()->actions()[5]->toolTip().toStdString(), "Zurück");
}

// Ctrl+N, Ctrl+Z, Ctrl+O, Ctrl+S and Ctrl+Q reach their commands wherever the focus is in the
// window, as the function keys do.
TEST_F(MainWindowTest, ClassicCtrlKeysRunTheirCommands) {
    const auto shortcuts = window->findChildren<QShortcut*>();
    auto trigger = [&](const char* keys) {
        for (QShortcut* shortcut : shortcuts) {
            if (shortcut->key() == QKeySequence(QString::fromLatin1(keys))) {
                emit shortcut->activated();
                return true;
            }
        }
        return false;
    };
    app->OnTimer();
    ASSERT_EQ(app->board.chronoSeconds, 1);
    ASSERT_TRUE(trigger("Ctrl+N"));
    EXPECT_EQ(app->board.chronoSeconds, 0) << "a new game starts its chrono anew";
    desktop.Clear();
    ASSERT_TRUE(trigger("Ctrl+O"));
    ASSERT_TRUE(trigger("Ctrl+S"));
    const auto choices = desktop.Calls(ScriptedDesktop::Call::ChooseFile);
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_FALSE(choices[0].save);
    EXPECT_TRUE(choices[1].save);
    ASSERT_TRUE(trigger("Ctrl+Z"));
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::Message), 1) << "nothing to undo";
    ASSERT_TRUE(trigger("Ctrl+Q"));
    EXPECT_TRUE(app->IsShutDown());
}

// The menu bar's height is measured on a bar that holds a menu (an empty bar measures 0, which
// made every file menu split after 10 entries); on a 1080-pixel screen the file menus then hold
// about fifty entries, so the shipped Layout menu shows all its layouts.
TEST(MenuBarMeasure, ARealMenuBarGivesTheFileMenusTheirLength) {
    TestQtApp();
    const int height = MenuBarHeight();
    EXPECT_GE(height, 15);
    EXPECT_LE(height, 40);
    ScreenMetrics screen;
    screen.maximisedHeight = 1080;
    screen.menuBarHeight = height;
    const int entries = ComputeMaxMenuItems(screen);
    EXPECT_GE(entries, 20);
    EXPECT_GT(entries, 12) << "the twelve shipped layouts fit without MORE";
}
