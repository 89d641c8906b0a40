#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/game_core.h"
#include "tests/core/core_test_support.h"
#include "tests/support/scripted_desktop.h"

namespace {

// Records every call the core makes to the rest of the program, in order.
class RecordingGame : public GameCore {
public:
    explicit RecordingGame(Desktop* desktop) : GameCore(desktop) {}
    std::vector<std::string> calls;
    int tilesLeftWhenAnimated = -1;

    void PlayEffect(int effect) override { calls.push_back("effect " + std::to_string(effect)); }
    void AnimateRemoval(int a, int b) override {
        calls.push_back("animate " + std::to_string(a) + " " + std::to_string(b));
        tilesLeftWhenAnimated = board.tilesLeft;
    }
    void PlaceTiles() override { calls.push_back("place"); }
    void Tick() override { calls.push_back("tick"); }
    void UpdateTitle() override { calls.push_back("title"); }
    void RefreshStatus() override { calls.push_back("status"); }
};

// A small game: four tiles in a column at the left edge (all free) and one blocked tile in the
// middle of a row of three.
struct SmallGame {
    int a = 0, b = 0, c = 0, d = 0, blocked = 0;

    void Build(Board& board) {
        const Position positions[7] = {{0, 0, 0},   {0, 2, 0},   {0, 4, 0},  {0, 6, 0},
                                       {0, 10, 10}, {0, 10, 12}, {0, 10, 14}};
        for (const Position& p : positions) {
            board.positionGrid[CellIndex(p.layer, p.row, p.column)] = 1;
        }
        board.NumberTiles();
        a = board.TileAt(0, 0, 0);
        b = board.TileAt(0, 2, 0);
        c = board.TileAt(0, 4, 0);
        d = board.TileAt(0, 6, 0);
        blocked = board.TileAt(0, 10, 12);
        const int faces[7] = {5, 5, 9, 9, 2, 1, 3};
        for (int k = 0; k < 7; ++k) {
            const Position& p = positions[k];
            board.tiles[board.TileAt(p.layer, p.row, p.column)].face =
                static_cast<std::uint8_t>(faces[k]);
        }
        board.tilesLeft = 7;
        board.UpdateFreeTiles();
    }
};

class ClickTest : public ::testing::Test, protected SmallGame {
protected:
    ScriptedDesktop desktop;
    RecordingGame game{&desktop};

    void SetUp() override { Build(game.board); }
};

}  // namespace

TEST_F(ClickTest, MissPlaysTheMissEffectAndClearsTheSelection) {
    game.board.firstSelected = static_cast<std::int16_t>(a);
    EXPECT_FALSE(game.ClickTile(NoTile));
    EXPECT_EQ(game.calls, std::vector<std::string>{"effect 2"});
    EXPECT_EQ(game.board.firstSelected, NoTile);
    EXPECT_EQ(game.board.secondSelected, NoTile);
}

TEST_F(ClickTest, FirstClickSelectsOnlyAFreeTile) {
    EXPECT_FALSE(game.ClickTile(blocked));
    EXPECT_EQ(game.board.firstSelected, NoTile);
    EXPECT_TRUE(game.ClickTile(c));
    EXPECT_EQ(game.board.firstSelected, c);
    EXPECT_EQ(game.calls, (std::vector<std::string>{"effect 2", "effect 0"}));
}

TEST_F(ClickTest, ClickingTheSelectedTileAgainDeselectsIt) {
    game.ClickTile(a);
    EXPECT_TRUE(game.ClickTile(a));
    EXPECT_EQ(game.board.firstSelected, NoTile);
    EXPECT_EQ(game.board.secondSelected, NoTile);
    EXPECT_EQ(game.calls, (std::vector<std::string>{"effect 0", "effect 0"}));
}

TEST_F(ClickTest, NonMatchingFreeTileTakesOverTheSelection) {
    game.ClickTile(a);
    game.ClickTile(c);
    EXPECT_EQ(game.board.firstSelected, c);
    EXPECT_EQ(game.board.tilesLeft, 7);
    // A tile that is not free ends the selection with the miss effect.
    game.ClickTile(blocked);
    EXPECT_EQ(game.board.firstSelected, NoTile);
    EXPECT_EQ(game.calls, (std::vector<std::string>{"effect 0", "effect 0", "effect 2"}));
}

TEST_F(ClickTest, MatchingPairIsShownLeavingThenRemoved) {
    game.ClickTile(a);
    EXPECT_TRUE(game.ClickTile(b));
    EXPECT_EQ(game.calls, (std::vector<std::string>{
                              "effect 0", "animate " + std::to_string(a) + " " + std::to_string(b),
                              "effect 1"}));
    EXPECT_EQ(game.tilesLeftWhenAnimated, 7);  // still on the board while it fades
    EXPECT_EQ(game.board.tilesLeft, 5);
    EXPECT_EQ(game.board.undoCount, 1);
    EXPECT_EQ(game.board.firstSelected, NoTile);
    EXPECT_EQ(game.board.secondSelected, NoTile);
    EXPECT_EQ(game.board.moveCount, 1);  // c and d are left to play
    EXPECT_EQ(game.board.GameOverShown, 0);
}

TEST_F(ClickTest, StuckGameShowsTheLoseBoxOnlyWhenAsked) {
    game.board.tiles[d].face = 10;  // after a and b nothing matches
    game.ClickTile(a);
    game.ClickTile(b);
    EXPECT_EQ(game.board.GameOverShown, 1);
    EXPECT_EQ(game.calls.back(), "status");
    ASSERT_EQ(desktop.Calls(ScriptedDesktop::Call::Message).size(), 1u);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message)[0].text,
              "No matching pair is left. You lost.");
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message)[0].caption, "Varnel's mah-jong v2.4.2");
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message)[0].icon, MessageIcon::Information);

    // The same end with the box switched off: status only.
    ScriptedDesktop quiet;
    RecordingGame other(&quiet);
    SmallGame small;
    small.Build(other.board);
    other.board.tiles[small.d].face = 10;
    other.settings.messageBoxWhenLose = false;
    other.ClickTile(small.a);
    other.ClickTile(small.b);
    EXPECT_EQ(other.board.GameOverShown, 1);
    EXPECT_EQ(other.calls.back(), "status");
    EXPECT_TRUE(quiet.Calls(ScriptedDesktop::Call::Message).empty());
}

TEST_F(ClickTest, LastPairEndsTheGameWithoutTheLoseBox) {
    Board& board = game.board;
    // Take away everything but a and b.
    for (int t : {c, d}) {
        board.FillTileCells(t, NoTile);
        board.tiles[t].face = NoTile;
    }
    for (const Position p : {Position{0, 10, 10}, {0, 10, 12}, {0, 10, 14}}) {
        const int t = board.TileAt(p.layer, p.row, p.column);
        board.FillTileCells(t, NoTile);
        board.tiles[t].face = NoTile;
    }
    board.tilesLeft = 2;
    board.UpdateFreeTiles();
    game.ClickTile(a);
    game.ClickTile(b);
    EXPECT_EQ(board.tilesLeft, 0);
    EXPECT_EQ(board.moveCount, 0);
    EXPECT_EQ(board.GameOverShown, 1);
    EXPECT_EQ(game.calls.back(), "status");
    EXPECT_TRUE(desktop.Calls(ScriptedDesktop::Call::Message).empty());
}

TEST(GameCore, NewGameDealsThenShowsTheBoard) {
    ScriptedDesktop desktop;
    RecordingGame game(&desktop);
    game.board.layoutsFolder = std::string(GAME_DATA_DIR) + "/LAYOUTS";
    ASSERT_TRUE(game.board.LoadLayout());
    game.NewGame();
    EXPECT_EQ(game.calls, (std::vector<std::string>{"title", "place", "tick"}));
    EXPECT_TRUE(desktop.Calls(ScriptedDesktop::Call::Message).empty());
    EXPECT_EQ(game.board.lastDeal, DealResult::Solvable);

    // When no winnable deal is found the player is told so after the board is shown.
    game.calls.clear();
    game.board.solvableAttempts = 0;
    game.NewGame();
    EXPECT_EQ(game.calls, (std::vector<std::string>{"title", "place", "tick"}));
    ASSERT_EQ(desktop.Calls(ScriptedDesktop::Call::Message).size(), 1u);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message)[0].icon, MessageIcon::Information);
}

TEST(GameCore, WorksWithoutADesktop) {
    GameCore game;
    EXPECT_EQ(game.ShowMessage("x", MessageIcon::Warning), MessageAnswer::Ok);
    EXPECT_EQ(game.LanguageText("SomeKey"), "SomeKey");
}

// A tile number or a cell that the game's own code got wrong stops it in a build with checks,
// instead of being quietly clamped; values read from files are checked before they get here.
TEST(CoreChecks, BadTileNumbersAndCellsOfTheGameItselfStopIt) {
#ifdef NDEBUG
    GTEST_SKIP() << "assertions are compiled out of this build";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* what;
        std::function<void(GameCore&)> run;
    };
    const Case cases[] = {
        {"layer above the top", [](GameCore&) { (void)CellIndex(kLayers, 0, 0); }},
        {"row below the grid", [](GameCore&) { (void)CellIndex(0, kRows, 0); }},
        {"negative column", [](GameCore&) { (void)CellIndex(0, 0, -1); }},
        {"cells of no tile", [](GameCore& g) { g.board.FillTileCells(kTiles, 0); }},
        {"record off the grid",
         [](GameCore& g) {
             g.board.tiles[3].row = kLastTileRow + 1;
             g.board.FillTileCells(3, 3);
         }},
        {"pair of one tile", [](GameCore& g) { g.board.RemovePairTiles(5, 5); }},
        {"pair with no tile", [](GameCore& g) { g.board.RemovePairTiles(5, NoTile); }},
        {"pair of removed tiles",
         [](GameCore& g) {
             g.board.RemovePairTiles(5, 6);
             g.board.RemovePairTiles(5, 6);
         }},
        {"undo entry naming no tile",
         [](GameCore& g) {
             g.board.undoStack[0] = UndoEntry{};
             g.board.undoCount = 1;
             g.board.Undo();
         }},
        {"hint asked for no tile", [](GameCore& g) { g.board.IsHintTile(kTiles); }},
        {"click on no tile", [](GameCore& g) { g.ClickTile(kTiles); }},
    };
    for (const Case& c : cases) {
        EXPECT_DEATH(
            {
                GameCore game;
                game.board.layoutsFolder = std::string(GAME_DATA_DIR) + "/LAYOUTS";
                game.board.LoadLayout();
                game.board.Deal();
                c.run(game);
            },
            "")
            << c.what;
    }
#endif
}
