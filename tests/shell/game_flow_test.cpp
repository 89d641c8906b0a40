// Whole games played by clicking: a win with the winner's name and hall of fame, and losses with
// and without the message box.
#include <cstdio>

#include "tests/shell/shell_test_support.h"

namespace {

class GameFlowTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        // The table of a layout without winners: ten times from 5 to 14 minutes.
        for (int k = 0; k < kHallEntries; ++k) {
            HallEntry& entry = app->board.hall[static_cast<std::size_t>(k)];
            entry = HallEntry{};
            std::snprintf(entry.name, sizeof entry.name, "Tavrix");
            std::snprintf(entry.time, sizeof entry.time, "00:%02d:00", 5 + k);
            entry.seconds = 300 + 60 * k;
        }
    }
};

// Plays the first listed pair until no pair is left; true when the game ended lost.
bool PlayGreedily(TestApp& app) {
    app.board.BuildMoveList(false);
    while (app.board.moveCount > 0) {
        const TilePair pair = app.board.moveList[0];
        app.OnLeftButtonDown(pair.first, 0);
        app.OnLeftButtonDown(pair.second, 0);
    }
    return app.board.tilesLeft > 0;
}

// Deals random games with pinned clocks until one is lost by greedy play.
bool LoseAGame(TestApp& app) {
    app.settings.easyMode = false;
    static int millisecond = 0;
    for (int attempt = 0; attempt < 200; ++attempt) {
        millisecond = attempt * 7 % 1000;
        app.board.millisecondSource = [] { return millisecond; };
        app.ExecuteCommand(command::NEW_GAME);
        if (PlayGreedily(app)) {
            return true;
        }
    }
    return false;
}

}  // namespace

TEST_F(GameFlowTest, EasyGameWonByClickingEntersTheHallOfFame) {
    for (int i = 0; i < 30; ++i) {
        app->OnTimer();
    }
    desktop.winnerNames.push_back("A name that is far longer than allowed");
    WinByClicking(*app);
    EXPECT_EQ(app->board.tilesLeft, 0);
    EXPECT_EQ(app->board.WinHandled, 1);
    auto asked = desktop.Calls(ScriptedDesktop::Call::WinnerName);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, app->Text(TextId::WINCAPTION));
    EXPECT_EQ(asked[0].labels[0], app->Text(TextId::HALLFAMETIME) + " : 00:00:30");
    auto hall = desktop.Calls(ScriptedDesktop::Call::HallOfFame);
    ASSERT_EQ(hall.size(), 1u);
    EXPECT_EQ(hall[0].rows[0].name, "A name that is far lo");  // 21 characters
    EXPECT_EQ(hall[0].rows[0].time, "00:00:30");
    EXPECT_NE(window.status.find(app->Text(TextId::MesStatusWin)), std::string::npos);
    // The chrono has stopped and no lose message was shown.
    app->OnTimer();
    EXPECT_EQ(app->board.chronoSeconds, 30);
    for (const auto& message : desktop.Calls(ScriptedDesktop::Call::Message)) {
        EXPECT_NE(message.text, app->Text(TextId::MesStatusLose));
    }
    // Undoing the last pair and removing it again asks for no second name.
    app->ExecuteCommand(command::UNDO);
    app->OnLeftButtonDown(app->board.dealOrder[142], 0);
    app->OnLeftButtonDown(app->board.dealOrder[143], 0);
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::WinnerName), 1);
}

TEST_F(GameFlowTest, SlowWinIsNotEnteredAndSaysSo) {
    app->board.chronoSeconds = 14 * 60;  // equal to the tenth entry of a fresh table
    WinByClicking(*app);
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::WinnerName), 1);
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::HallOfFame), 0);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message).back().text,
              app->Text(TextId::MesWinNoHall));
}

TEST_F(GameFlowTest, LostGameShowsTheMessageOnlyWhenAsked) {
    ASSERT_TRUE(LoseAGame(*app));
    auto messages = desktop.Calls(ScriptedDesktop::Call::Message);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, app->Text(TextId::MesStatusLose));
    EXPECT_EQ(messages.back().icon, MessageIcon::Information);
    EXPECT_NE(window.status.find(app->Text(TextId::MesStatusLose)), std::string::npos);
    const int shown = desktop.Count(ScriptedDesktop::Call::Message);

    app->ExecuteCommand(command::MSG_WHEN_LOSE);
    ASSERT_TRUE(LoseAGame(*app));
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::Message), shown)
        << desktop.Calls(ScriptedDesktop::Call::Message).back().text;
    EXPECT_NE(window.status.find(app->Text(TextId::MesStatusLose)), std::string::npos);
}
