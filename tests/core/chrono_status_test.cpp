#include <gtest/gtest.h>

#include <limits>

#include "tests/core/aids_test_support.h"

namespace {

const std::string kGap(20, ' ');

class StatusTest : public ::testing::Test {
protected:
    ScriptedDesktop desktop;
    AidsGame game{&desktop};
};

// Status texts built from one long language text.
class LongTextGame : public AidsGame {
public:
    using AidsGame::AidsGame;
    std::string LanguageText(const char* key) const override {
        return std::string(key) == "Tiles" ? std::string(5000, 'x') : std::string(key);
    }
};

}  // namespace

TEST(FormatTime, HoursMinutesAndSecondsWithLeadingZeros) {
    EXPECT_EQ(FormatTime(0), "00:00:00");
    EXPECT_EQ(FormatTime(59), "00:00:59");
    EXPECT_EQ(FormatTime(3725), "01:02:05");
    EXPECT_EQ(FormatTime(36000), "10:00:00");
    EXPECT_EQ(FormatTime(360000), "100:00:00");  // a game of 100 hours
    EXPECT_EQ(FormatTime(-5), "00:00:00");
    // The largest value still fits a hall entry's time field with its terminating zero.
    EXPECT_EQ(FormatTime(std::numeric_limits<std::int32_t>::max()), "596523:14:07");
    EXPECT_LT(FormatTime(std::numeric_limits<std::int32_t>::max()).size(),
              sizeof(HallEntry{}.time));
}

TEST_F(StatusTest, StatusShowsTilesAndChronoWithTheirSpacing) {
    game.board.tilesLeft = 144;
    game.board.chronoSeconds = 3725;
    EXPECT_EQ(game.StatusLine(), "144 Tiles" + kGap + "Chrono : 01:02:05");
    game.board.ChronoPaused = 1;
    EXPECT_EQ(game.StatusLine(), "144 Tiles" + kGap + "Chrono : MesChronoPaused");
    game.settings.showChrono = false;
    EXPECT_EQ(game.StatusLine(), "144 Tiles");
}

TEST_F(StatusTest, StatusShowsTheEndOnlyWhileAsked) {
    game.settings.showChrono = false;
    game.board.tilesLeft = 10;
    game.board.GameOverShown = 1;
    EXPECT_EQ(game.StatusLine(), "10 Tiles" + kGap + "MesStatusLose");
    game.board.tilesLeft = 0;
    EXPECT_EQ(game.StatusLine(), "0 Tiles" + kGap + "MesStatusWin");
    game.board.moveCount = 4;
    game.board.hintIndex = 2;
    game.board.tilesLeft = 20;
    EXPECT_EQ(game.StatusLine(), "20 Tiles" + kGap + "Sol 3 / 4");
    game.board.GameOverShown = 0;
    EXPECT_EQ(game.StatusLine(), "20 Tiles");
}

TEST_F(StatusTest, EditorStatusCountsPositionsAndChecksNoWin) {
    game.editing = true;
    game.editor.positionCount = 37;
    game.board.tilesLeft = 0;
    game.StatusText();
    EXPECT_EQ(game.shownStatus, "37 Tiles");
    EXPECT_EQ(game.board.WinHandled, 0);
    EXPECT_TRUE(desktop.Calls(ScriptedDesktop::Call::WinnerName).empty());
}

TEST_F(StatusTest, StatusTextIsHandedToTheStatusBarAfterTheWinIsHandled) {
    game.board.tilesLeft = 0;
    game.board.chronoSeconds = 42;
    game.StatusText();
    EXPECT_EQ(game.board.WinHandled, 1);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::WinnerName).size(), 1u);
    EXPECT_EQ(game.statusShown, 1);
    EXPECT_EQ(game.shownStatus, "0 Tiles" + kGap + "Chrono : 00:00:42");
}

TEST_F(StatusTest, TooLongTextsAreCutToTheStatusRoom) {
    LongTextGame longGame(&desktop);
    longGame.board.tilesLeft = 12;
    const std::string text = longGame.StatusLine();
    EXPECT_EQ(text.size(), 3071u);
    EXPECT_EQ(text.substr(0, 4), "12 x");
}

TEST_F(StatusTest, ChronoCountsOnlyWhileRunning) {
    game.board.tilesLeft = 144;
    game.ChronoTick();
    game.ChronoTick();
    EXPECT_EQ(game.board.chronoSeconds, 2);
    EXPECT_EQ(game.statusShown, 2);
    EXPECT_EQ(game.shownStatus, "144 Tiles" + kGap + "Chrono : 00:00:02");

    // Paused: frozen at its value; unpaused it goes on from there.
    game.board.ChronoPaused = 1;
    game.ChronoTick();
    EXPECT_EQ(game.board.chronoSeconds, 2);
    game.board.ChronoPaused = 0;
    game.ChronoTick();
    EXPECT_EQ(game.board.chronoSeconds, 3);

    // The recorded win stops it for good.
    game.board.WinHandled = 1;
    game.ChronoTick();
    EXPECT_EQ(game.board.chronoSeconds, 3);

    // Hidden, the ticks still count but no longer rebuild the status.
    game.board.WinHandled = 0;
    game.settings.showChrono = false;
    const int shown = game.statusShown;
    game.ChronoTick();
    EXPECT_EQ(game.board.chronoSeconds, 4);
    EXPECT_EQ(game.statusShown, shown);
}

TEST_F(StatusTest, ChronoAndHintsNeverWrapRound) {
    game.board.chronoSeconds = std::numeric_limits<std::int32_t>::max() - 30;
    game.board.Hint();
    EXPECT_EQ(game.board.chronoSeconds, std::numeric_limits<std::int32_t>::max());
    game.board.ChronoTick();
    EXPECT_EQ(game.board.chronoSeconds, std::numeric_limits<std::int32_t>::max());
}

TEST_F(StatusTest, NewGameRestartAndLoadEndThePause) {
    DealTurtle(game.board, false);
    game.board.ChronoPaused = 1;
    game.RestartCommand();
    EXPECT_EQ(game.board.ChronoPaused, 0);
    game.board.ChronoPaused = 1;
    game.NewGame();
    EXPECT_EQ(game.board.ChronoPaused, 0);
}
