// The layout editor in the real Qt main window on the offscreen platform: the editor's menu bar
// as the window renders it, mouse moves and clicks on the board widget reaching the editor, the
// hint tile following the pointer and leaving with it, and the status bar's count.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>

#include "shell/main_window.h"
#include "tests/shell/edition_2d/editor_test_support.h"
#include "tests/shell/qt_test_app.h"

namespace {

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        TestQtApp();
        app = std::make_unique<EditorTestApp>(desktop);
        app->SetStartFolder(folder.Path());
        app->OfferFirstRunLanguage();
        ASSERT_TRUE(app->LoadSettings());
        app->settings.removeTileTime = 0;
        window = std::make_unique<MainWindow>(*app);
        app->AttachWindow(window.get());
        window->resize(1000, 760);
        window->show();
        QApplication::processEvents();
        app->StartGame();
        ASSERT_GT(app->View().TileWidth(), 0);
    }
    void TearDown() override {
        app->StopAutoplay();
        app->AttachWindow(nullptr);
        window.reset();
    }

    QAction* Action(int id) const {
        auto it = window->MenuActions().find(id);
        return it == window->MenuActions().end() ? nullptr : it->second;
    }

    void Send(QEvent::Type type, QPoint at, Qt::MouseButton button) {
        QWidget* board = window->Board();
        const QPointF local(at);
        const QPointF global(board->mapToGlobal(at));
        const Qt::MouseButtons held = type == QEvent::MouseMove ? Qt::NoButton : button;
        QMouseEvent event(type, local, global, button, held, Qt::NoModifier);
        QApplication::sendEvent(board, &event);
    }

    QPoint CellPoint(int layer, int row, int column) const {
        const EditorCellShape shape = app->View().EditorShape();
        const int cell = CellIndex(layer, row, column);
        return {app->editor.cellX[cell] + shape.offsetX + shape.width / 2,
                app->editor.cellY[cell] + shape.height / 2};
    }

    GameFolder folder;
    ScriptedDesktop desktop;
    std::unique_ptr<EditorTestApp> app;
    std::unique_ptr<MainWindow> window;
};

}  // namespace

TEST_F(EditorWindow, MenuEntriesEnterAndLeaveTheEditorWithItsOwnMenuBar) {
    QAction* edit = Action(command::EDIT_LAYOUT);
    ASSERT_NE(edit, nullptr);
    edit->trigger();
    ASSERT_TRUE(app->editMode);

    // The window now shows one popup, with saving greyed.
    const QList<QAction*> bar = window->menuBar()->actions();
    ASSERT_EQ(bar.size(), 1);
    EXPECT_EQ(bar[0]->text().toStdString(), app->Text(TextId::EDIT_LAYOUT));
    QAction* save = Action(command::SAVE_LAYOUT);
    ASSERT_NE(save, nullptr);
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(window->StatusLabel()->text().toStdString(),
              std::to_string(kTiles) + " " + app->Text(TextId::Tiles));

    QAction* clear = Action(command::NEW_LAYOUT);
    ASSERT_NE(clear, nullptr);
    clear->trigger();
    EXPECT_EQ(window->StatusLabel()->text().toStdString(), "0 " + app->Text(TextId::Tiles));

    QAction* leave = Action(command::EXIT_EDIT_LAYOUT);
    ASSERT_NE(leave, nullptr);
    leave->trigger();
    EXPECT_FALSE(app->editMode);
    EXPECT_GT(window->menuBar()->actions().size(), 1);
}

TEST_F(EditorWindow, ThePointerAndTheButtonsOnTheBoardEditTheLayout) {
    Action(command::EDIT_LAYOUT)->trigger();
    Action(command::NEW_LAYOUT)->trigger();
    const QPoint p = CellPoint(0, 6, 8);

    // A move over the board shows the hint there; leaving the board takes it away.
    Send(QEvent::MouseMove, p, Qt::NoButton);
    EXPECT_EQ(app->View().sources.editorTarget(), CellIndex(0, 6, 8));
    QEvent leaveEvent(QEvent::Leave);
    QApplication::sendEvent(window->Board(), &leaveEvent);
    EXPECT_EQ(app->View().sources.editorTarget(), -1);

    // A left press adds, a right press removes, and the status bar counts.
    Send(QEvent::MouseMove, p, Qt::NoButton);
    Send(QEvent::MouseButtonPress, p, Qt::LeftButton);
    EXPECT_EQ(app->editor.positionGrid[CellIndex(0, 6, 8)], 1);
    EXPECT_EQ(window->StatusLabel()->text().toStdString(), "1 " + app->Text(TextId::Tiles));
    Send(QEvent::MouseButtonPress, p, Qt::RightButton);
    EXPECT_EQ(app->editor.positionCount, 0);
    EXPECT_EQ(window->StatusLabel()->text().toStdString(), "0 " + app->Text(TextId::Tiles));
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::Message), 0);
}
