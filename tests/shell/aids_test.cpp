// The aids beyond undo and hint: the status bar's word on whether the game can still be won,
// hints that lead to a win, redo and the winnable shuffle, all through the headless shell.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "shell/winnable_watch.h"
#include "tests/shell/shell_test_support.h"

namespace {

// Everything of the board that a removal, an undo or a redo may touch, as bytes.
struct BoardBytes {
    std::vector<std::uint8_t> bytes;
    explicit BoardBytes(const Board& b) {
        auto add = [this](const void* data, std::size_t size) {
            const auto* p = static_cast<const std::uint8_t*>(data);
            bytes.insert(bytes.end(), p, p + size);
        };
        add(b.tiles.data(), sizeof b.tiles);
        add(b.tileGrid.data(), b.tileGrid.size());
        add(b.positionGrid.data(), b.positionGrid.size());
        add(b.shadows.data(), sizeof b.shadows);
        add(b.undoStack.data(), sizeof b.undoStack);
        add(b.moveList.data(), sizeof(TilePair) * static_cast<std::size_t>(b.moveCount));
        for (std::int32_t v :
             {std::int32_t{b.tilesLeft}, std::int32_t{b.undoCount}, b.moveCount, b.hintIndex,
              std::int32_t{b.firstSelected}, std::int32_t{b.secondSelected},
              std::int32_t{b.GameOverShown}, b.chronoSeconds}) {
            add(&v, sizeof v);
        }
    }
};

std::vector<int> FacesLeft(const Board& board) {
    std::vector<int> faces;
    for (const TileRecord& t : board.tiles) {
        if (t.face != NoTile) {
            faces.push_back(t.face);
        }
    }
    std::sort(faces.begin(), faces.end());
    return faces;
}

// Tiles in a column of three, each directly on the one below, as the shipped default layout has
// in its middle; false when the layout has none.
bool FindColumnOfThree(const Board& board, int (&column)[3]) {
    for (int top = 0; top < kTiles; ++top) {
        const TileRecord& t = board.tiles[static_cast<std::size_t>(top)];
        if (t.layer < 2) {
            continue;
        }
        const int middle = board.TileAt(t.layer - 1, t.row, t.column);
        const int bottom = board.TileAt(t.layer - 2, t.row, t.column);
        auto standsAt = [&](int u, int layer) {
            return u < kTiles && board.tiles[static_cast<std::size_t>(u)].layer == layer &&
                   board.tiles[static_cast<std::size_t>(u)].row == t.row &&
                   board.tiles[static_cast<std::size_t>(u)].column == t.column;
        };
        if (standsAt(middle, t.layer - 1) && standsAt(bottom, t.layer - 2)) {
            column[0] = top;
            column[1] = middle;
            column[2] = bottom;
            return true;
        }
    }
    return false;
}

// Makes the game on the board lost: three tiles of one face stand in a column, so the middle one
// can never be paired. Only faces are swapped, so the faces left stay the same.
void MakeLost(Board& board) {
    int column[3];
    ASSERT_TRUE(FindColumnOfThree(board, column));
    int face = -1;
    for (int f = 0; f < 27 && face < 0; ++f) {
        int count = 0;
        for (const TileRecord& t : board.tiles) {
            count += t.face == f ? 1 : 0;
        }
        face = count == 4 ? f : -1;
    }
    ASSERT_GE(face, 0);
    auto inColumn = [&](int t) { return t == column[0] || t == column[1] || t == column[2]; };
    for (int k = 0; k < 3; ++k) {
        TileRecord& wanted = board.tiles[static_cast<std::size_t>(column[k])];
        for (int t = 0; t < kTiles && wanted.face != face; ++t) {
            TileRecord& other = board.tiles[static_cast<std::size_t>(t)];
            if (other.face == face && !inColumn(t)) {
                std::swap(other.face, wanted.face);
            }
        }
    }
    board.UpdateFreeTiles();
}

bool SameTiles(const TileRecords& a, const TileRecords& b) {
    return std::memcmp(a.data(), b.data(), sizeof a) == 0;
}

// A started game whose window keeps the work of other threads until the test runs it, as the
// real window runs it on its own thread.
class AidsTest : public ShellTest {
protected:
    void SetUp() override {
        Start();
        app->winnableTimeLimit = std::chrono::milliseconds(60000);
    }
    // Runs the answers of the solver's thread until the status part leaves "thinking".
    void AwaitAnswer() {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (app->CurrentOutlook() == GameApp::Outlook::Thinking &&
               std::chrono::steady_clock::now() < giveUp) {
            if (window.RunHeldWork() == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
    }
    void Click(int t) { app->OnLeftButtonDown(t, 0); }
    void RemoveDealPair(int k) {
        Click(app->board.dealOrder[static_cast<std::size_t>(2 * k)]);
        Click(app->board.dealOrder[static_cast<std::size_t>(2 * k + 1)]);
    }
    std::string Text(TextId id) const { return app->Text(id); }
};

}  // namespace

// The second status part thinks after every change and then says what the solver proved; the
// first part keeps its own text.
TEST_F(AidsTest, StatusPartSaysWhetherTheGameCanStillBeWon) {
    ASSERT_EQ(app->board.lastDeal, DealResult::Solvable);
    EXPECT_EQ(window.outlook, Text(TextId::MesWinnableThinking));
    AwaitAnswer();
    EXPECT_EQ(window.outlook, Text(TextId::MesWinnable));
    EXPECT_EQ(window.status.find(Text(TextId::MesWinnable)), std::string::npos);

    RemoveDealPair(0);
    EXPECT_EQ(window.outlook, Text(TextId::MesWinnableThinking));
    AwaitAnswer();
    EXPECT_EQ(window.outlook, Text(TextId::MesWinnable));

    // A command that changes nothing asks nothing.
    app->ExecuteCommand(command::SHADOWS);
    EXPECT_EQ(window.outlook, Text(TextId::MesWinnable));

    MakeLost(app->board);
    app->WatchPosition();
    EXPECT_EQ(window.outlook, Text(TextId::MesWinnableThinking));
    AwaitAnswer();
    EXPECT_EQ(window.outlook, Text(TextId::MesNotWinnable));

    // The editor has no game to judge.
    app->ExecuteCommand(command::EDIT_LAYOUT);
    EXPECT_EQ(window.outlook, "");
}

// The first hint on a position the solver has won shows a pair of its winning order, after a
// deal (the first listed pair shown) and after a removal (the second); the game is still won
// after that pair. On a lost position the hint says no pair can win.
TEST_F(AidsTest, FirstHintKeepsTheGameWinnable) {
    Solver solver;
    for (int removals : {0, 1, 3}) {
        SCOPED_TRACE(removals);
        app->ExecuteCommand(command::NEW_GAME);
        for (int k = 0; k < removals; ++k) {
            RemoveDealPair(k);
        }
        AwaitAnswer();
        ASSERT_EQ(app->CurrentOutlook(), GameApp::Outlook::Winnable);
        app->ExecuteCommand(command::HINT);
        ASSERT_TRUE(app->board.GameOverShown);
        ASSERT_LT(app->board.hintIndex, app->board.moveCount);
        EXPECT_EQ(window.outlook, Text(TextId::MesHintWinnable));
        const TilePair shown = app->board.moveList[static_cast<std::size_t>(app->board.hintIndex)];
        // The hint still lists every pair once.
        auto pairsListed = [this] {
            std::vector<int> pairs;
            for (int i = 0; i < app->board.moveCount; ++i) {
                const TilePair pair = app->board.moveList[static_cast<std::size_t>(i)];
                pairs.push_back(pair.first * 256 + pair.second);
            }
            return pairs;
        };
        std::vector<int> listed = pairsListed();
        const int count = app->board.moveCount;
        app->board.BuildMoveList(false);
        const std::vector<int> fresh = pairsListed();
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(count, app->board.moveCount);
        EXPECT_EQ(listed, fresh);

        Click(shown.first);
        Click(shown.second);
        ASSERT_EQ(app->board.tilesLeft, kTiles - 2 * (removals + 1));
        EXPECT_EQ(solver.Solve(app->board, SolveLimits::Within(std::chrono::seconds(60))).answer,
                  SolveAnswer::Winnable);
    }

    MakeLost(app->board);
    app->WatchPosition();
    AwaitAnswer();
    ASSERT_EQ(app->CurrentOutlook(), GameApp::Outlook::NotWinnable);
    app->ExecuteCommand(command::HINT);
    EXPECT_EQ(window.outlook, Text(TextId::MesHintNotWinnable));
    EXPECT_EQ(window.status.find(Text(TextId::MesHintNotWinnable)), std::string::npos);
}

// Undo then redo gives back the board byte for byte, for one step and for several; a new
// removal ends the chain. REDO is greyed in the menu while there is nothing to redo, and the
// Ctrl keys reach it.
TEST_F(AidsTest, RedoReplaysUndoneRemovalsByteForByte) {
    for (int k = 0; k < 6; ++k) {
        RemoveDealPair(k);
    }
    const BoardBytes played(app->board);
    EXPECT_FALSE(window.shownBar.Find(command::REDO)->enabled);
    for (int steps : {1, 2, 6}) {
        SCOPED_TRACE(steps);
        for (int k = 0; k < steps; ++k) {
            app->ExecuteCommand(command::UNDO);
        }
        EXPECT_EQ(app->board.undoCount, 6 - steps);
        EXPECT_TRUE(window.shownBar.Find(command::REDO)->enabled);
        for (int k = 0; k < steps; ++k) {
            app->ExecuteCommand(command::REDO);
        }
        EXPECT_TRUE(BoardBytes(app->board).bytes == played.bytes);
        EXPECT_FALSE(window.shownBar.Find(command::REDO)->enabled);
        // Nothing left to redo: the board stays.
        app->ExecuteCommand(command::REDO);
        EXPECT_TRUE(BoardBytes(app->board).bytes == played.bytes);
    }

    // Undo two, remove another pair: nothing can be redone.
    app->ExecuteCommand(command::UNDO);
    app->ExecuteCommand(command::UNDO);
    const int left = app->board.tilesLeft;
    app->board.BuildMoveList(false);
    ASSERT_GT(app->board.moveCount, 0);
    const TilePair other = app->board.moveList[0];
    Click(other.first);
    Click(other.second);
    ASSERT_EQ(app->board.tilesLeft, left - 2);
    EXPECT_FALSE(app->board.CanRedo());
    EXPECT_FALSE(window.shownBar.Find(command::REDO)->enabled);
    const BoardBytes after(app->board);
    app->ExecuteCommand(command::REDO);
    EXPECT_TRUE(BoardBytes(app->board).bytes == after.bytes);
    // Restarting starts the chain afresh too: a restarted game cannot be replayed to a quick win.
    app->ExecuteCommand(command::RESTART_GAME);
    EXPECT_FALSE(app->board.CanRedo());

    int redoKeys = 0;
    for (const command::CommandShortcut& keys : command::kShortcuts) {
        redoKeys += keys.command == command::REDO ? 1 : 0;
    }
    EXPECT_EQ(redoKeys, 2);
    EXPECT_NE(window.shownBar.Find(command::REDO)->text.find("\tCtrl+Y"), std::string::npos);
}

// Autoplay from here is greyed and refused with its message until the solver has won the board
// as it is (while it thinks, and on a lost board); on a won board it plays the winning order to
// the last pair at the autoplay's pace and then gives the board back byte for byte, with its
// redo chain and its chrono.
TEST_F(AidsTest, AutoplayFromHerePlaysToTheEndAndPutsTheBoardBack) {
    ASSERT_EQ(app->CurrentOutlook(), GameApp::Outlook::Thinking);
    EXPECT_FALSE(window.shownBar.Find(command::AUTOPLAY_HERE)->enabled);
    EXPECT_NE(window.shownBar.Find(command::AUTOPLAY_HERE)->text.find("\tCtrl+P"),
              std::string::npos);
    const BoardBytes dealt(app->board);
    app->ExecuteCommand(command::AUTOPLAY_HERE);
    EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{Text(TextId::MesAutoplayHereError)});
    EXPECT_FALSE(app->AutoplayActive());
    EXPECT_TRUE(BoardBytes(app->board).bytes == dealt.bytes);

    for (int k = 0; k < 3; ++k) {
        RemoveDealPair(k);
    }
    app->ExecuteCommand(command::UNDO);  // a redo chain of one pair, kept through the replay
    app->board.chronoSeconds = 77;
    AwaitAnswer();
    ASSERT_EQ(app->CurrentOutlook(), GameApp::Outlook::Winnable);
    EXPECT_TRUE(window.shownBar.Find(command::AUTOPLAY_HERE)->enabled);
    const BoardBytes before(app->board);
    const int redoLimit = app->board.redoLimit;
    app->settings.autoPlaySleep = 20;
    app->ExecuteCommand(command::AUTOPLAY_HERE);
    ASSERT_TRUE(app->AutoplayActive());
    int fewest = kTiles;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (app->AutoplayActive() && std::chrono::steady_clock::now() < giveUp) {
        {
            BoardLock lock(*app);
            fewest = std::min<int>(fewest, app->board.tilesLeft);
        }
        window.RunHeldWork();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(app->AutoplayActive());
    window.RunHeldWork();
    EXPECT_LE(fewest, 2);  // the last pair was on its way out
    EXPECT_TRUE(BoardBytes(app->board).bytes == before.bytes);
    EXPECT_EQ(app->board.redoLimit, redoLimit);
    EXPECT_TRUE(app->board.CanRedo());
    EXPECT_EQ(desktop.MessageTexts().size(), 1u);

    MakeLost(app->board);
    app->WatchPosition();
    AwaitAnswer();
    ASSERT_EQ(app->CurrentOutlook(), GameApp::Outlook::NotWinnable);
    EXPECT_FALSE(window.shownBar.Find(command::AUTOPLAY_HERE)->enabled);
    app->ExecuteCommand(command::AUTOPLAY_HERE);
    EXPECT_EQ(desktop.MessageTexts().size(), 2u);
    EXPECT_FALSE(app->AutoplayActive());
}

// The pairs taken back before a game was saved can be redone after it is loaded; a saved game
// whose chain was ended by a new removal offers none.
TEST_F(AidsTest, RedoChainSurvivesSaveAndLoad) {
    for (int k = 0; k < 4; ++k) {
        RemoveDealPair(k);
    }
    const TileRecords playedTiles = app->board.tiles;
    const TileGrid playedGrid = app->board.tileGrid;
    app->ExecuteCommand(command::UNDO);
    app->ExecuteCommand(command::UNDO);
    desktop.chosenFiles.push_back(folder.File("SAVEGAME/chain.tvm"));
    app->ExecuteCommand(command::SAVE_GAME);
    ASSERT_EQ(fs::file_size(folder.File("SAVEGAME/chain.tvm")), 11534u);
    app->ExecuteCommand(command::NEW_GAME);
    desktop.chosenFiles.push_back(folder.File("SAVEGAME/chain.tvm"));
    app->ExecuteCommand(command::LOAD_GAME);
    ASSERT_TRUE(app->board.LoadedGame);
    EXPECT_TRUE(window.shownBar.Find(command::REDO)->enabled);
    app->ExecuteCommand(command::REDO);
    app->ExecuteCommand(command::REDO);
    EXPECT_EQ(app->board.tilesLeft, kTiles - 8);
    EXPECT_TRUE(SameTiles(app->board.tiles, playedTiles));
    EXPECT_TRUE(app->board.tileGrid == playedGrid);
    EXPECT_FALSE(app->board.CanRedo());

    // Undo one, remove another pair, save: the file holds no chain beyond the count.
    app->ExecuteCommand(command::UNDO);
    app->board.BuildMoveList(false);
    Click(app->board.moveList[0].first);
    Click(app->board.moveList[0].second);
    desktop.chosenFiles.push_back(folder.File("SAVEGAME/ended.tvm"));
    app->ExecuteCommand(command::SAVE_GAME);
    desktop.chosenFiles.push_back(folder.File("SAVEGAME/ended.tvm"));
    app->ExecuteCommand(command::LOAD_GAME);
    EXPECT_FALSE(app->board.CanRedo());
}

// SHUFFLE deals the faces left anew so that the game is winnable, costs a minute, is taken back
// by one UNDO, refuses autoplay, and keeps the game out of the hall of fame; RESTART_GAME gives
// back the deal as it was dealt.
TEST_F(AidsTest, ShuffleMakesALostGameWinnable) {
    RemoveDealPair(0);
    RemoveDealPair(1);
    MakeLost(app->board);
    app->WatchPosition();
    const TileRecords lostTiles = app->board.tiles;
    const TileGrid lostGrid = app->board.tileGrid;
    const std::vector<int> faces = FacesLeft(app->board);
    const std::int32_t chrono = app->board.chronoSeconds;

    app->ExecuteCommand(command::SHUFFLE);
    EXPECT_EQ(app->board.chronoSeconds, chrono + 60);
    EXPECT_EQ(FacesLeft(app->board), faces);
    EXPECT_FALSE(SameTiles(app->board.tiles, lostTiles));
    EXPECT_TRUE(app->board.tileGrid == lostGrid);
    EXPECT_TRUE(app->board.Shuffled);
    EXPECT_EQ(window.outlook, Text(TextId::MesWinnable));  // known without asking again
    Solver solver;
    EXPECT_EQ(solver.Solve(app->board, SolveLimits::Within(std::chrono::seconds(60))).answer,
              SolveAnswer::Winnable);

    // One UNDO takes the shuffle back, face for face; the minute stays spent.
    app->ExecuteCommand(command::UNDO);
    EXPECT_EQ(app->board.chronoSeconds, chrono + 60);
    EXPECT_TRUE(SameTiles(app->board.tiles, lostTiles));
    EXPECT_TRUE(app->board.tileGrid == lostGrid);
    EXPECT_EQ(app->board.tilesLeft, kTiles - 4);
    // The next UNDO takes back a pair.
    app->ExecuteCommand(command::UNDO);
    EXPECT_EQ(app->board.tilesLeft, kTiles - 2);

    // A shuffle on the full deal refuses autoplay (its order was recorded for the old faces).
    app->ExecuteCommand(command::UNDO);
    app->ExecuteCommand(command::SHUFFLE);
    desktop.Clear();
    app->ExecuteCommand(command::AUTOPLAY);
    EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{Text(TextId::MesAutoplayError)});

    // Restart after shuffles between removals: every tile back with the face it was dealt.
    app->ExecuteCommand(command::NEW_GAME);
    std::array<std::uint8_t, kTiles> dealt{};
    for (int t = 0; t < kTiles; ++t) {
        dealt[static_cast<std::size_t>(t)] = app->board.tiles[static_cast<std::size_t>(t)].face;
    }
    RemoveDealPair(0);
    app->ExecuteCommand(command::SHUFFLE);
    app->board.BuildMoveList(false);
    ASSERT_GT(app->board.moveCount, 0);
    Click(app->board.moveList[0].first);
    Click(app->board.moveList[0].second);
    app->ExecuteCommand(command::SHUFFLE);
    ASSERT_EQ(app->board.tilesLeft, kTiles - 4);
    app->ExecuteCommand(command::RESTART_GAME);
    EXPECT_FALSE(app->board.Shuffled);
    EXPECT_EQ(app->board.tilesLeft, kTiles);
    EXPECT_EQ(app->board.chronoSeconds, 0);
    for (int t = 0; t < kTiles; ++t) {
        EXPECT_EQ(app->board.tiles[static_cast<std::size_t>(t)].face,
                  dealt[static_cast<std::size_t>(t)]);
    }

    // Shuffled and won: the message says why no name is asked and no score is written.
    app->ExecuteCommand(command::SHUFFLE);
    const SolveResult way = solver.Solve(app->board, SolveLimits::Within(std::chrono::seconds(60)));
    ASSERT_EQ(way.answer, SolveAnswer::Winnable);
    desktop.Clear();
    for (int k = 0; k < way.pairCount; ++k) {
        Click(way.pairs[static_cast<std::size_t>(k)].first);
        Click(way.pairs[static_cast<std::size_t>(k)].second);
    }
    ASSERT_EQ(app->board.tilesLeft, 0);
    app->ExecuteCommand(command::SHOW_CHRONO);
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::WinnerName), 0);
    EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{Text(TextId::MesWinShuffled)});
    EXPECT_FALSE(fs::exists(folder.File("SCORES/Default.TVS")));
}

// Two tiles left, one on the other: no arrangement wins, so SHUFFLE says so and changes nothing.
TEST_F(AidsTest, ShuffleThatFindsNoWinnableArrangementChangesNothing) {
    int column[3];
    ASSERT_TRUE(FindColumnOfThree(app->board, column));
    Board& board = app->board;
    std::vector<int> others;
    for (int t = 0; t < kTiles; ++t) {
        if (t != column[0] && t != column[1]) {
            others.push_back(t);
        }
    }
    for (std::size_t k = 0; k + 1 < others.size(); k += 2) {
        board.RemovePairTiles(others[k], others[k + 1]);
    }
    board.UpdateFreeTiles();
    const BoardBytes before(board);
    desktop.Clear();
    app->ExecuteCommand(command::SHUFFLE);
    EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{Text(TextId::MesShuffleFailed)});
    EXPECT_TRUE(BoardBytes(board).bytes == before.bytes);
    EXPECT_FALSE(board.Shuffled);
}

// The worker answers only the newest question: an answer to a replaced one is never reported
// after the newer one's.
TEST(WinnableWatch, NewestQuestionReplacesOlder) {
    auto board = std::make_unique<Board>();
    std::mutex mutex;
    std::vector<std::uint64_t> reported;
    std::vector<SolveAnswer> answers;
    {
        WinnableWatch watch([&](std::uint64_t question, const SolveResult& result) {
            std::lock_guard lock(mutex);
            reported.push_back(question);
            answers.push_back(result.answer);
        });
        const SolverPosition empty = TakePosition(*board);
        watch.Ask(1, empty);
        watch.Ask(2, empty);
        for (int wait = 0; wait < 10000; ++wait) {
            std::lock_guard lock(mutex);
            if (!reported.empty() && reported.back() == 2) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        // Cancelled: the next question's answer is the next report.
        watch.Cancel();
    }
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), 2u);
    EXPECT_EQ(answers.back(), SolveAnswer::Winnable);  // an empty board is won
    EXPECT_LE(reported.size(), 2u);
    // Keys tell positions apart.
    auto other = std::make_unique<Board>();
    EXPECT_EQ(PositionKey(*board), PositionKey(*other));
    other->tiles[5].face = 3;
    EXPECT_NE(PositionKey(*board), PositionKey(*other));
}
