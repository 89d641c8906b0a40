#include <gtest/gtest.h>

#include <vector>

#include "tests/core/aids_test_support.h"

namespace {

class AidsTest : public ::testing::Test {
protected:
    ScriptedDesktop desktop;
    AidsGame game{&desktop};
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Undo and restart
// ---------------------------------------------------------------------------------------------

TEST_F(AidsTest, UndoWithNothingToUndoShowsMesUndoAndClearsTheSelection) {
    DealTurtle(game.board, false);
    game.board.firstSelected = 3;
    game.board.secondSelected = 4;
    game.UndoCommand();
    ASSERT_EQ(desktop.Calls(ScriptedDesktop::Call::Message).size(), 1u);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message)[0].text, "MesUndo");
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message)[0].icon, MessageIcon::Information);
    EXPECT_EQ(game.board.firstSelected, NoTile);
    EXPECT_EQ(game.board.secondSelected, NoTile);
    EXPECT_EQ(game.placed, 1);
    EXPECT_EQ(game.ticks, 1);
}

TEST_F(AidsTest, UndoPutsThePairBackWithItsFacesAndCells) {
    DealTurtle(game.board, false);
    const std::vector<int> dealt = Faces(game.board);
    const TileGrid grid = game.board.tileGrid;
    ASSERT_TRUE(PlayFirstPair(game));
    ASSERT_TRUE(PlayFirstPair(game));
    EXPECT_EQ(game.board.tilesLeft, 140);
    game.board.Hint();

    game.UndoCommand();
    EXPECT_EQ(game.board.tilesLeft, 142);
    EXPECT_EQ(game.board.undoCount, 1);
    EXPECT_EQ(game.board.moveCount, 0);
    EXPECT_EQ(game.board.hintIndex, 0);
    game.UndoCommand();
    EXPECT_TRUE(desktop.Calls(ScriptedDesktop::Call::Message).empty());
    EXPECT_EQ(Faces(game.board), dealt);
    EXPECT_EQ(game.board.tileGrid, grid);
    EXPECT_EQ(game.board.tilesLeft, 144);
    // The command brought the free states back too: the deal's free tiles are free again.
    Board fresh;
    DealTurtle(fresh, false);
    for (int t = 0; t < kTiles; ++t) {
        EXPECT_EQ(game.board.tiles[t].state, fresh.tiles[t].state) << "tile " << t;
    }
}

TEST_F(AidsTest, UndoAfterTheWinKeepsTheChronoStoppedAndAsksNoSecondName) {
    DealTurtle(game.board, true);
    game.board.chronoSeconds = 100;
    PlayDealOrder(game);
    ASSERT_EQ(game.board.tilesLeft, 0);
    game.StatusText();
    ASSERT_EQ(desktop.Calls(ScriptedDesktop::Call::WinnerName).size(), 1u);
    EXPECT_EQ(game.board.WinHandled, 1);

    game.UndoCommand();
    EXPECT_EQ(game.board.tilesLeft, 2);
    EXPECT_EQ(game.board.WinHandled, 1);
    game.ChronoTick();
    EXPECT_EQ(game.board.chronoSeconds, 100);

    // Removing the pair again wins again, but the hall of fame is not asked twice.
    const UndoEntry last = game.board.undoStack[game.board.undoCount];
    game.ClickTile(last.firstTile);
    game.ClickTile(last.secondTile);
    ASSERT_EQ(game.board.tilesLeft, 0);
    game.StatusText();
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::WinnerName).size(), 1u);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::HallOfFame).size(), 1u);
}

TEST_F(AidsTest, RestartGoesBackToTheDealAndClearsTheGameState) {
    DealTurtle(game.board, false);
    const std::vector<int> dealt = Faces(game.board);
    for (int k = 0; k < 5; ++k) {
        PlayFirstPair(game);
    }
    game.board.chronoSeconds = 77;
    game.board.ChronoPaused = 1;
    game.board.WinHandled = 1;
    game.board.GameOverShown = 1;
    game.RestartCommand();
    EXPECT_EQ(Faces(game.board), dealt);
    EXPECT_EQ(game.board.tilesLeft, 144);
    EXPECT_EQ(game.board.undoCount, 0);
    EXPECT_EQ(game.board.chronoSeconds, 0);
    EXPECT_EQ(game.board.ChronoPaused, 0);
    EXPECT_EQ(game.board.WinHandled, 0);
    EXPECT_EQ(game.board.GameOverShown, 0);
    EXPECT_EQ(game.board.moveCount, 0);
    EXPECT_EQ(game.placed, 1);
    EXPECT_EQ(game.ticks, 1);
}

// UNDO and RESTART bring back the free states and the shadows of the board they go back to, not
// only its faces: each undo those after one pair fewer, a restart those of the deal.
TEST_F(AidsTest, UndoAndRestartBringBackTheFreeTilesAndShadows) {
    struct Step {
        std::vector<int> states;
        ShadowTable shadows;
    };
    auto look = [](const Board& board) {
        Step step{{}, board.shadows};
        for (const TileRecord& t : board.tiles) {
            step.states.push_back(t.state);
        }
        return step;
    };
    for (const bool restart : {false, true}) {
        AidsGame g{&desktop};
        DealTurtle(g.board, false);
        std::vector<Step> steps{look(g.board)};
        for (int k = 0; k < 10; ++k) {
            ASSERT_TRUE(PlayFirstPair(g));
            steps.push_back(look(g.board));
        }
        // The pairs taken changed both, so a command that left them would be seen.
        ASSERT_NE(steps.back().shadows, steps.front().shadows);
        ASSERT_NE(steps.back().states, steps.front().states);
        if (restart) {
            g.RestartCommand();
            EXPECT_EQ(look(g.board).states, steps.front().states);
            EXPECT_TRUE(look(g.board).shadows == steps.front().shadows);
            continue;
        }
        for (int k = 9; k >= 0; --k) {
            g.UndoCommand();
            EXPECT_EQ(look(g.board).states, steps[k].states) << "undo to " << k;
            EXPECT_TRUE(look(g.board).shadows == steps[k].shadows) << "undo to " << k;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Hints
// ---------------------------------------------------------------------------------------------

namespace {

// The hint pair as the views see it: the tiles for which IsHintTile holds.
std::vector<int> HintTiles(Board& board) {
    std::vector<int> tiles;
    for (int t = 0; t < kTiles; ++t) {
        if (board.IsHintTile(t)) {
            tiles.push_back(t);
        }
    }
    return tiles;
}

}  // namespace

TEST_F(AidsTest, HintStepsThroughEveryPairAndWrapsToTheFirst) {
    DealTurtle(game.board, false);
    Board listed;
    DealTurtle(listed, false);
    listed.BuildMoveList(false);
    const int n = listed.moveCount;
    ASSERT_GE(n, 2);

    for (int press = 0; press <= n; ++press) {
        game.HintCommand();
        const int shown = press % n;  // n + 1 presses: pairs 1..n, then pair 1 again
        const TilePair pair = listed.moveList[static_cast<std::size_t>(shown)];
        EXPECT_EQ(HintTiles(game.board), (std::vector<int>{pair.first, pair.second}))
            << "press " << press;
        // Drawn first, then the status names the pair actually highlighted.
        const std::string expected =
            "144 Tiles" + std::string(20, ' ') + "Chrono : " + FormatTime(60 * (press + 1)) +
            std::string(20, ' ') + "Sol " + std::to_string(shown + 1) + " / " + std::to_string(n);
        EXPECT_EQ(game.StatusLine(), expected);
    }
    EXPECT_EQ(game.ticks, n + 1);
}

TEST_F(AidsTest, FirstHintAfterARemovalShowsTheSecondListedPair) {
    DealTurtle(game.board, false);
    ASSERT_TRUE(PlayFirstPair(game));
    ASSERT_GE(game.board.moveCount, 2);
    const TilePair second = game.board.moveList[1];
    game.HintCommand();
    EXPECT_EQ(HintTiles(game.board), (std::vector<int>{second.first, second.second}));
}

TEST_F(AidsTest, HintWithNoPairCostsAMinuteAndShowsTheEnd) {
    // Two tiles of different faces: nothing to play.
    auto small = BoardWith({{0, 0, 0}, {0, 0, 4}}, 3);
    small->tiles[small->TileAt(0, 0, 4)].face = 4;
    small->tilesLeft = 2;
    small->chronoSeconds = 5;
    small->Hint();
    EXPECT_EQ(small->chronoSeconds, 65);
    EXPECT_EQ(small->moveCount, 0);
    EXPECT_EQ(small->GameOverShown, 1);
    EXPECT_TRUE(HintTiles(*small).empty());

    DealTurtle(game.board, false);
    game.board.tiles = small->tiles;
    game.board.tileGrid = small->tileGrid;
    game.board.tilesLeft = 2;
    game.board.chronoSeconds = 5;
    game.HintCommand();
    EXPECT_EQ(game.StatusLine(), "2 Tiles" + std::string(20, ' ') + "Chrono : 00:01:05" +
                                     std::string(20, ' ') + "MesStatusLose");
}

TEST_F(AidsTest, HintTileIsFalseWhileNoHintIsAsked) {
    DealTurtle(game.board, false);
    game.board.Hint();
    game.board.GameOverShown = 0;
    EXPECT_TRUE(HintTiles(game.board).empty());
}

// ---------------------------------------------------------------------------------------------
// Easy mode
// ---------------------------------------------------------------------------------------------

TEST_F(AidsTest, EasyModeAnsweredWithCancelChangesNothing) {
    DealTurtle(game.board, true);
    const std::vector<int> dealt = Faces(game.board);
    desktop.defaultAnswer = MessageAnswer::Cancel;
    EXPECT_FALSE(game.EasyModeCommand());
    EXPECT_TRUE(game.settings.easyMode);
    EXPECT_EQ(Faces(game.board), dealt);
    ASSERT_EQ(desktop.Calls(ScriptedDesktop::Call::Message).size(), 1u);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message)[0].text, "MesEasyMode");
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message)[0].buttons, MessageButtons::OkCancel);

    desktop.defaultAnswer = MessageAnswer::Ok;
    EXPECT_TRUE(game.EasyModeCommand());
    EXPECT_FALSE(game.settings.easyMode);
    EXPECT_TRUE(game.EasyModeCommand());
    EXPECT_TRUE(game.settings.easyMode);
}
