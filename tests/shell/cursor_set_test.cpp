// The game's two cursors and the system's, and when the game shows the busy one.
#include <gtest/gtest.h>
#include <QCursor>
#include <QPixmap>

#include "shell/cursor_set.h"
#include "shell/main_window.h"
#include "tests/shell/media_test_support.h"
#include "tests/shell/shell_test_support.h"

namespace {

class CursorTest : public ::testing::Test {
protected:
    void SetUp() override { media_test::Qt(); }
};

TEST_F(CursorTest, OwnCursorsAre32PixelsWithTheirHotSpots) {
    const QCursor normal = GameCursor(CursorKind::Normal, true);
    const QCursor busy = GameCursor(CursorKind::Busy, true);
    EXPECT_EQ(normal.shape(), Qt::BitmapCursor);
    EXPECT_EQ(busy.shape(), Qt::BitmapCursor);
    EXPECT_EQ(normal.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(busy.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(normal.hotSpot(), QPoint(8, 3));
    EXPECT_EQ(busy.hotSpot(), QPoint(7, 11));
    EXPECT_NE(normal.pixmap().toImage(), busy.pixmap().toImage());
}

TEST_F(CursorTest, SystemCursorsAreTheArrowAndTheBusyArrow) {
    EXPECT_EQ(GameCursor(CursorKind::Normal, false).shape(), Qt::ArrowCursor);
    EXPECT_EQ(GameCursor(CursorKind::Busy, false).shape(), Qt::BusyCursor);
}

// A window that keeps every cursor change, to see the busy cursor come and go within one click.
class CursorLogWindow : public RecordingWindow {
public:
    std::vector<std::pair<CursorKind, bool>> log;
    void SetCursor(CursorKind kind, bool own) override {
        RecordingWindow::SetCursor(kind, own);
        log.emplace_back(kind, own);
    }
};

class CursorUseTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<TestApp>(desktop);
        ASSERT_NO_FATAL_FAILURE(StartIn(*app, folder, window));
    }
    GameFolder folder;
    ScriptedDesktop desktop;
    CursorLogWindow window;
    std::unique_ptr<TestApp> app;
};

TEST_F(CursorUseTest, ChangeCursorSwitchesBetweenOwnAndSystemCursors) {
    const bool own = app->settings.newCursors;
    EXPECT_EQ(window.ownCursors, own);
    app->ExecuteCommand(command::CHANGE_CURSOR);
    EXPECT_EQ(window.ownCursors, !own);
    EXPECT_EQ(window.cursor, CursorKind::Normal);
    app->ExecuteCommand(command::CHANGE_CURSOR);
    EXPECT_EQ(window.ownCursors, own) << "twice returns to the first pair";
    app->settings.newCursors = false;
    window.log.clear();
    app->OnPointerMoved(PointerState{0, 0, 0, 0, kPointerLeft});
    ASSERT_FALSE(window.log.empty());
    EXPECT_EQ(window.log.back(), std::make_pair(CursorKind::Busy, false));
}

TEST_F(CursorUseTest, BusyWhileALeftClickIsHandledOrTheLeftButtonIsHeld) {
    window.log.clear();
    app->OnLeftButtonDown(NoTile, 0);
    ASSERT_GE(window.log.size(), 2u);
    EXPECT_EQ(window.log.front().first, CursorKind::Busy);
    EXPECT_EQ(window.log.back().first, CursorKind::Normal);
    app->OnPointerMoved(PointerState{0, 0, 0, 0, kPointerLeft});
    EXPECT_EQ(window.cursor, CursorKind::Busy);
    app->OnPointerMoved(PointerState{});
    EXPECT_EQ(window.cursor, CursorKind::Normal);
}

TEST_F(CursorUseTest, MainWindowPutsTheCursorOnTheBoard) {
    media_test::Qt();
    MainWindow main(*app);
    main.SetCursor(CursorKind::Busy, true);
    EXPECT_EQ(main.Board()->cursor().hotSpot(), QPoint(7, 11));
    main.SetCursor(CursorKind::Normal, true);
    EXPECT_EQ(main.Board()->cursor().hotSpot(), QPoint(8, 3));
    main.SetCursor(CursorKind::Busy, false);
    EXPECT_EQ(main.Board()->cursor().shape(), Qt::BusyCursor);
}

}  // namespace
