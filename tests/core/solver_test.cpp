// The solver's answers against a plain exhaustive search over the game's own rules, its winning
// orders replayed through the game's removal, its limits, and the winnable shuffle.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/game_core.h"
#include "core/solver.h"
#include "tests/core/core_test_support.h"

namespace {

using TileBits = std::array<std::uint64_t, 3>;

TileBits OnBoard(const Board& board) {
    TileBits bits{};
    for (int t = 0; t < kTiles; ++t) {
        if (board.tiles[t].face != NoTile) {
            bits[t >> 6] |= std::uint64_t{1} << (t & 63);
        }
    }
    return bits;
}

// Every order of removals, tried with the board's own UpdateFreeTiles, CanMatch and
// RemovePairTiles; positions found lost are remembered by the tiles left on the board.
class ExhaustiveSearch {
public:
    explicit ExhaustiveSearch(Board& board) : board_(board) {}

    bool Winnable() {
        if (OnBoard(board_) == TileBits{}) {
            return true;
        }
        const TileBits key = OnBoard(board_);
        if (lost_.count(key) != 0) {
            return false;
        }
        board_.UpdateFreeTiles();
        std::vector<std::pair<int, int>> pairs;
        for (int a = 0; a < kTiles; ++a) {
            for (int b = a + 1; b < kTiles; ++b) {
                if (board_.CanMatch(a, b)) {
                    pairs.emplace_back(a, b);
                }
            }
        }
        for (const auto& [a, b] : pairs) {
            const TileGrid grid = board_.tileGrid;
            const TileRecords tiles = board_.tiles;
            board_.RemovePairTiles(a, b);
            const bool won = Winnable();
            board_.tileGrid = grid;
            board_.tiles = tiles;
            board_.undoCount = static_cast<std::int16_t>(board_.undoCount - 1);
            board_.tilesLeft = static_cast<std::int16_t>(board_.tilesLeft + 2);
            if (won) {
                return true;
            }
        }
        lost_.insert(key);
        return false;
    }

private:
    Board& board_;
    std::set<TileBits> lost_;
};

// Removes the solver's pairs one by one with the game's rules; true when each pair was a legal
// move when its turn came and the board ends empty. The board keeps the result.
bool ReplaysToEmptyBoard(Board& board, const SolveResult& result) {
    board.UpdateFreeTiles();
    for (int k = 0; k < result.pairCount; ++k) {
        const TilePair p = result.pairs[k];
        if (!board.CanMatch(p.first, p.second)) {
            return false;
        }
        board.RemovePairTiles(p.first, p.second);
        board.UpdateFreeTiles();
    }
    return OnBoard(board) == TileBits{};
}

// A small layout of random positions on layers 0..layers-1, numbered the way the game numbers
// a loaded layout, with faces dealt in pairs. Returns how many tiles it has.
struct SmallLayout {
    int minTiles;
    int maxTiles;
    int layers;
    int rows;          // positions use rows 0..rows-1
    int columns;       // and columns 0..columns-1
    bool halfOffsets;  // positions may lie on odd rows and columns
    bool overlaps;     // positions on one layer may share cells (a layout the game accepts)
    int faceKinds;     // faces drawn from this many groups
};

int MakeSmallBoard(Board& board, const SmallLayout& shape, std::mt19937& random) {
    board.positionGrid.fill(0);
    board.tileGrid.fill(NoTile);
    board.tiles = TileRecords{};
    const int wanted = shape.minTiles +
                       2 * static_cast<int>(random() % ((shape.maxTiles - shape.minTiles) / 2 + 1));
    int placed = 0;
    for (int tries = 0; placed < wanted && tries < 10000; ++tries) {
        const int layer = static_cast<int>(random() % shape.layers);
        int row = static_cast<int>(random() % shape.rows);
        int column = static_cast<int>(random() % shape.columns);
        if (!shape.halfOffsets) {
            row &= ~1;
            column &= ~1;
        }
        bool clash = false;
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                const int r = row + dr;
                const int c = column + dc;
                if (r < 0 || c < 0 || r >= kRows || c >= kColumns) {
                    continue;
                }
                const bool same = dr == 0 && dc == 0;
                if (board.positionGrid[CellIndex(layer, r, c)] == 1 && (same || !shape.overlaps)) {
                    clash = true;
                }
            }
        }
        if (!clash) {
            board.positionGrid[CellIndex(layer, row, column)] = 1;
            ++placed;
        }
    }
    const int count = board.NumberTiles() & ~1;
    // Pairs of faces; the flowers and seasons are dealt as different faces of their group.
    for (int k = 0; k < count; k += 2) {
        const int kind = static_cast<int>(random() % shape.faceKinds);
        for (int j = 0; j < 2; ++j) {
            int face = kind;
            if (kind == 0) {
                face = 27 + static_cast<int>(random() % 4);
            } else if (kind == 1) {
                face = 35 + static_cast<int>(random() % 4);
            }
            board.tiles[k + j].face = static_cast<std::uint8_t>(face);
        }
    }
    // The deal pairs neighbours in drawing order; scatter the faces over the tiles.
    for (int k = count - 1; k > 0; --k) {
        std::swap(board.tiles[k].face, board.tiles[random() % (k + 1)].face);
    }
    // A position left over when the count is odd gets no face and leaves the board.
    for (std::uint8_t& cell : board.tileGrid) {
        if (cell != NoTile && cell >= count) {
            cell = NoTile;
        }
    }
    board.tilesLeft = static_cast<std::int16_t>(count);
    board.undoCount = 0;
    board.UpdateFreeTiles();
    return count;
}

int g_millisecond = 0;
int PinnedMillisecond() {
    return g_millisecond;
}

std::unique_ptr<Board> ShippedLayout(const std::string& name) {
    auto board = std::make_unique<Board>();
    board->layoutsFolder = std::string(GAME_DATA_DIR) + "/LAYOUTS";
    board->layoutFileName = name;
    board->millisecondSource = &PinnedMillisecond;
    board->LoadLayout();
    return board;
}

SolveLimits Generous() {
    return SolveLimits::Within(std::chrono::seconds(20));
}

}  // namespace

// Thousands of small random layouts: stacked, half-offset and partly overlapping positions,
// faces in groups of two to many, including the flowers and seasons. The solver's answer is the
// exhaustive search's, and each winning order it gives plays out legally to an empty board.
TEST(Solver, AgreesWithExhaustiveSearchOnSmallLayouts) {
    const SmallLayout shapes[] = {
        // tiles, layers, rows, columns, half offsets, overlaps, face kinds
        {8, 12, 2, 6, 10, false, false, 4},  {8, 16, 3, 8, 12, false, false, 5},
        {12, 20, 3, 8, 12, true, false, 6},  {16, 24, 3, 10, 14, false, false, 7},
        {16, 22, 4, 8, 10, true, false, 8},  {8, 16, 2, 6, 10, true, true, 4},
        {12, 18, 3, 8, 12, true, true, 6},   {18, 22, 3, 12, 16, true, false, 10},
        {8, 14, 3, 4, 6, true, false, 2},    {16, 20, 3, 8, 10, true, false, 5},
        {12, 16, 2, 2, 26, false, false, 4},
    };
    // The second solver tries the splits of groups of four from its first attempt on, and keeps
    // the splits it ruled out for the positions below; the last two shapes have many groups of
    // four, the last in two long rows, where two groups' splits are also tried together.
    Solver solver(12);
    Solver probing(12, 0);
    auto board = std::make_unique<Board>();
    int winnable = 0;
    int lost = 0;
    for (std::size_t s = 0; s < std::size(shapes); ++s) {
        std::mt19937 random(1000 + static_cast<unsigned>(s));
        for (int deal = 0; deal < 250; ++deal) {
            SCOPED_TRACE("shape " + std::to_string(s) + " deal " + std::to_string(deal));
            MakeSmallBoard(*board, shapes[s], random);
            const SolverPosition position = TakePosition(*board);
            const SolveResult result = solver.Solve(position, Generous());
            ASSERT_NE(result.answer, SolveAnswer::Unknown);
            const bool expected = ExhaustiveSearch(*board).Winnable();
            ASSERT_EQ(result.answer == SolveAnswer::Winnable, expected);
            const SolveResult probed = probing.Solve(position, Generous());
            ASSERT_EQ(probed.answer == SolveAnswer::Winnable, expected);
            if (expected) {
                ++winnable;
                const TileGrid grid = board->tileGrid;
                const TileRecords tiles = board->tiles;
                ASSERT_TRUE(ReplaysToEmptyBoard(*board, result));
                board->tileGrid = grid;
                board->tiles = tiles;
                ASSERT_TRUE(ReplaysToEmptyBoard(*board, probed));
            } else {
                ++lost;
            }
        }
    }
    // Both answers must be common, or the comparison proves little.
    EXPECT_GT(winnable, 400);
    EXPECT_GT(lost, 400);
}

// Hand-made positions whose answer is known; each in a row of tiles on layer 0 unless stacked.
TEST(Solver, KnownSmallPositions) {
    struct Case {
        const char* what;
        std::vector<Position> positions;
        std::vector<int> faces;  // by position
        SolveAnswer answer;
    };
    std::vector<Position> rowOfEight;
    for (int column = 0; column < 16; column += 2) {
        rowOfEight.push_back({0, 0, column});
    }
    const std::vector<Case> cases = {
        {"empty board", {}, {}, SolveAnswer::Winnable},
        {"a free pair", {{0, 0, 0}, {0, 0, 4}}, {3, 3}, SolveAnswer::Winnable},
        {"one on the other", {{0, 0, 0}, {1, 0, 0}}, {3, 3}, SolveAnswer::NotWinnable},
        {"a quarter on the other", {{0, 0, 0}, {1, 1, 1}}, {3, 3}, SolveAnswer::NotWinnable},
        {"odd group",
         {{0, 0, 0}, {0, 0, 4}, {0, 0, 8}, {0, 0, 12}},
         {3, 3, 3, 4},
         SolveAnswer::NotWinnable},
        {"A B A B in a row",
         {{0, 0, 0}, {0, 0, 2}, {0, 0, 4}, {0, 0, 6}},
         {1, 2, 1, 2},
         SolveAnswer::NotWinnable},
        {"A B B A in a row",
         {{0, 0, 0}, {0, 0, 2}, {0, 0, 4}, {0, 0, 6}},
         {1, 2, 2, 1},
         SolveAnswer::Winnable},
        {"flower and season pairs",
         {{0, 0, 0}, {0, 0, 2}, {0, 0, 4}, {0, 0, 6}},
         {27, 36, 38, 30},
         SolveAnswer::Winnable},
        {"flower with season", {{0, 0, 0}, {0, 0, 4}}, {30, 35}, SolveAnswer::NotWinnable},
        {"stack of four",
         {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}},
         {5, 5, 5, 5},
         SolveAnswer::NotWinnable},
        {"three stacked of a four",
         {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 0, 4}},
         {5, 5, 5, 5},
         SolveAnswer::NotWinnable},
        {"two stacks crossed",
         {{0, 0, 0}, {1, 0, 0}, {0, 0, 4}, {1, 0, 4}},
         {6, 7, 7, 6},
         SolveAnswer::NotWinnable},
        {"two stacks alike",
         {{0, 0, 0}, {1, 0, 0}, {0, 0, 4}, {1, 0, 4}},
         {6, 7, 6, 7},
         SolveAnswer::Winnable},
        // Half a tile higher on the left and nothing on the right: the right tile is free.
        {"half-offset neighbour",
         {{0, 1, 0}, {0, 0, 2}, {0, 4, 2}},
         {8, 8, 9},
         SolveAnswer::NotWinnable},
        {"half-offset pair", {{0, 1, 0}, {0, 0, 2}}, {8, 8}, SolveAnswer::Winnable},
        // A row goes only from its two ends, so it clears when its faces read the same backwards.
        {"two groups of four in a row, mirrored",
         rowOfEight,
         {1, 2, 1, 2, 2, 1, 2, 1},
         SolveAnswer::Winnable},
        {"two groups of four in a row, not mirrored",
         rowOfEight,
         {1, 1, 2, 2, 1, 1, 2, 2},
         SolveAnswer::NotWinnable},
    };
    // The second solver tries splits, alone and two groups together, from its first attempt.
    Solver solver(10);
    Solver probing(10, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<Board> board = std::make_unique<Board>();
        for (const Position& p : c.positions) {
            board->positionGrid[CellIndex(p.layer, p.row, p.column)] = 1;
        }
        board->NumberTiles();
        for (TileRecord& t : board->tiles) {
            t.face = NoTile;
        }
        for (std::size_t k = 0; k < c.positions.size(); ++k) {
            board->tiles[TileOf(*board, c.positions[k])].face =
                static_cast<std::uint8_t>(c.faces[k]);
        }
        const SolveResult probed = probing.Solve(*board, Generous());
        EXPECT_EQ(probed.answer, c.answer);
        const SolveResult result = solver.Solve(*board, Generous());
        EXPECT_EQ(result.answer, c.answer);
        if (result.answer == SolveAnswer::Winnable) {
            EXPECT_EQ(result.pairCount, static_cast<int>(c.positions.size() / 2));
            EXPECT_TRUE(ReplaysToEmptyBoard(*board, result));
        }
    }
}

// Every easy-mode deal of the shipped layouts is winnable, and the order found wins through the
// game's own clicks-and-removal path.
TEST(Solver, FindsEveryEasyModeDealWinnable) {
    Solver solver;
    for (const char* name : {"Default.tvl", "Fortress.tvl", "Pyramid.tvl", "Dragon.tvl"}) {
        GameCore game;
        Board& board = game.board;
        board.layoutsFolder = std::string(GAME_DATA_DIR) + "/LAYOUTS";
        board.layoutFileName = name;
        ASSERT_TRUE(board.LoadLayout());
        board.millisecondSource = &PinnedMillisecond;
        for (int deal = 0; deal < 25; ++deal) {
            SCOPED_TRACE(std::string(name) + " deal " + std::to_string(deal));
            g_millisecond = deal * 37 % 1000;
            std::srand(static_cast<unsigned>(deal));
            ASSERT_EQ(board.Deal(), DealResult::Solvable);
            const SolveResult result = solver.Solve(board, Generous());
            ASSERT_EQ(result.answer, SolveAnswer::Winnable);
            ASSERT_EQ(result.pairCount, kPairs);
            for (int k = 0; k < result.pairCount; ++k) {
                ASSERT_TRUE(board.CanMatch(result.pairs[k].first, result.pairs[k].second));
                game.RemovePair(result.pairs[k].first, result.pairs[k].second);
            }
            EXPECT_EQ(board.tilesLeft, 0);
            EXPECT_EQ(board.moveCount, 0);
            board.RestartGame();
        }
    }
}

// Random deals of every shipped layout, whole and part played: the same answer and order when
// asked again (by the same solver, its table full of the last question, and by a fresh one), and
// a winning order that wins. The work bound keeps the answers repeatable; nearly all are definite.
TEST(Solver, AnswersRandomDealsOfShippedLayoutsTheSameEachTime) {
    Solver solver;
    int lost = 0;
    int unknown = 0;
    SolveLimits bounded;  // the same bound, so also the same answer when it runs out
    bounded.maxPositions = 100000;
    for (const char* name : {"Default.tvl", "Bridge.tvl", "Butterfly.tvl", "Crab.tvl", "Cross.tvl",
                             "Ring.tvl", "Spiral.tvl", "Stairs.tvl", "Towers.tvl", "RANDOM.TVL"}) {
        auto board = ShippedLayout(name);
        board->millisecondSource = &PinnedMillisecond;
        for (int deal = 0; deal < 12; ++deal) {
            SCOPED_TRACE(std::string(name) + " deal " + std::to_string(deal));
            g_millisecond = deal * 83 % 1000;
            board->Deal(false);
            // Half the deals are asked after a few pairs, taken from the front of the list.
            for (int k = 0; k < deal % 2 * 3; ++k) {
                board->BuildMoveList(false);
                if (board->moveCount == 0) {
                    break;
                }
                board->RemovePairTiles(board->moveList[0].first, board->moveList[0].second);
                board->UpdateFreeTiles();
            }
            const SolveResult first = solver.Solve(*board, bounded);
            const SolveResult again = solver.Solve(*board, bounded);
            Solver fresh;
            const SolveResult third = fresh.Solve(*board, bounded);
            ASSERT_EQ(first.answer, again.answer);
            ASSERT_EQ(first.answer, third.answer);
            unknown += first.answer == SolveAnswer::Unknown ? 1 : 0;
            ASSERT_EQ(first.pairCount, again.pairCount);
            ASSERT_EQ(first.pairCount, third.pairCount);
            for (int k = 0; k < first.pairCount; ++k) {
                ASSERT_EQ(first.pairs[k].first, again.pairs[k].first);
                ASSERT_EQ(first.pairs[k].second, again.pairs[k].second);
                ASSERT_EQ(first.pairs[k].first, third.pairs[k].first);
                ASSERT_EQ(first.pairs[k].second, third.pairs[k].second);
            }
            if (first.answer == SolveAnswer::Winnable) {
                EXPECT_TRUE(ReplaysToEmptyBoard(*board, first));
            } else if (first.answer == SolveAnswer::NotWinnable) {
                ++lost;
            }
            board->RestartGame();
        }
    }
    // Part-played games taken from the front of the move list are often lost already; a few
    // deals need more than the bound.
    EXPECT_GT(lost, 0);
    EXPECT_LE(unknown, 15);
}

// A question stops with Unknown, and leaves the caller's board alone, when it is cancelled,
// its deadline has passed, or its work bound runs out; unbounded it gets its answer.
TEST(Solver, LimitsGiveUnknown) {
    auto board = ShippedLayout("Default.tvl");
    board->millisecondSource = &PinnedMillisecond;
    g_millisecond = 321;
    board->Deal(false);
    const TileGrid grid = board->tileGrid;
    Solver solver;

    std::atomic<bool> cancelled{true};
    SolveResult result =
        solver.Solve(*board, SolveLimits::Within(std::chrono::seconds(20), &cancelled));
    EXPECT_EQ(result.answer, SolveAnswer::Unknown);
    EXPECT_EQ(result.positions, 0u);

    SolveLimits expired;
    expired.deadline = std::chrono::steady_clock::now() - std::chrono::milliseconds(1);
    result = solver.Solve(*board, expired);
    EXPECT_EQ(result.answer, SolveAnswer::Unknown);
    EXPECT_EQ(result.positions, 0u);

    SolveLimits oneStep;
    oneStep.maxPositions = 1;
    result = solver.Solve(*board, oneStep);
    EXPECT_EQ(result.answer, SolveAnswer::Unknown);
    EXPECT_EQ(result.pairCount, 0);

    result = solver.Solve(*board, Generous());
    EXPECT_NE(result.answer, SolveAnswer::Unknown);
    EXPECT_GT(result.positions, 1u);
    EXPECT_EQ(board->tileGrid, grid);
    EXPECT_EQ(board->tilesLeft, kTiles);
}

// A flag raised by another thread stops a long search, which then answers Unknown. The position
// takes long: two tiles of one face lie one on the other and can never go, but on a layout with
// partly overlapping positions no pruning sees it, and the search must first try every order of
// removing the forty-two tiles of another face in rows.
TEST(Solver, CancelFromAnotherThreadStopsALongSearch) {
    auto board = std::make_unique<Board>();
    for (int row = 4; row <= 10; row += 2) {
        for (int column = 0; column <= 18; column += 2) {
            board->positionGrid[CellIndex(0, row, column)] = 1;
        }
    }
    board->positionGrid[CellIndex(0, 14, 0)] = 1;
    board->positionGrid[CellIndex(0, 15, 1)] = 1;  // shares a cell with the tile above it
    board->positionGrid[CellIndex(0, 0, 30)] = 1;
    board->positionGrid[CellIndex(1, 0, 30)] = 1;
    ASSERT_EQ(board->NumberTiles(), 44);
    for (int t = 0; t < 44; ++t) {
        board->tiles[t].face = 7;
    }
    board->tiles[board->TileAt(0, 0, 30)].face = 1;
    board->tiles[board->TileAt(1, 0, 30)].face = 1;
    Solver solver;
    std::atomic<bool> cancel{false};
    SolveResult result;
    std::thread worker([&] {
        result = solver.Solve(*board, SolveLimits::Within(std::chrono::seconds(60), &cancel));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    cancel = true;
    worker.join();
    EXPECT_EQ(result.answer, SolveAnswer::Unknown);
    EXPECT_GT(result.positions, 1000u);
}

// The shuffle moves the faces still on the board among the same tiles, keeps removed tiles
// removed, gives an arrangement the solver wins, follows the seed alone, and leaves the board
// as it was. A board no arrangement can clear makes it give up.
TEST(Solver, ShuffleKeepsTheFacesAndIsWinnable) {
    auto board = ShippedLayout("Default.tvl");
    board->millisecondSource = &PinnedMillisecond;
    g_millisecond = 77;
    board->Deal(false);
    for (int k = 0; k < 10; ++k) {
        board->BuildMoveList(false);
        ASSERT_GT(board->moveCount, 0);
        board->RemovePairTiles(board->moveList[0].first, board->moveList[0].second);
        board->UpdateFreeTiles();
    }
    const SolverPosition before = TakePosition(*board);
    Solver solver;
    for (std::uint32_t seed : {1u, 2u, 99u}) {
        SCOPED_TRACE(seed);
        ShuffleResult shuffled;
        ASSERT_TRUE(ShuffleRemaining(*board, seed, solver, shuffled));
        std::vector<int> oldFaces;
        std::vector<int> newFaces;
        for (int t = 0; t < kTiles; ++t) {
            EXPECT_EQ(before.faces[t] == NoTile, shuffled.faces[t] == NoTile);
            if (before.faces[t] != NoTile) {
                oldFaces.push_back(before.faces[t]);
                newFaces.push_back(shuffled.faces[t]);
            }
        }
        EXPECT_NE(oldFaces, newFaces);
        std::sort(oldFaces.begin(), oldFaces.end());
        std::sort(newFaces.begin(), newFaces.end());
        EXPECT_EQ(oldFaces, newFaces);
        EXPECT_EQ(TakePosition(*board).faces, before.faces);

        ShuffleResult again;
        ASSERT_TRUE(ShuffleRemaining(*board, seed, solver, again));
        EXPECT_EQ(again.faces, shuffled.faces);

        // The new faces on a copy of the position win by the order found with them.
        auto copy = std::make_unique<Board>();
        copy->tileGrid = board->tileGrid;
        copy->tiles = board->tiles;
        for (int t = 0; t < kTiles; ++t) {
            copy->tiles[t].face = shuffled.faces[t];
        }
        EXPECT_TRUE(ReplaysToEmptyBoard(*copy, shuffled.solution));
    }

    // Two tiles, one on the other: whatever their faces, the board never clears.
    auto stacked = BoardWith({{0, 0, 0}, {1, 0, 0}}, 4);
    ShuffleResult none;
    ShuffleOptions few;
    few.attempts = 3;
    EXPECT_FALSE(ShuffleRemaining(*stacked, 5, solver, none, few));
    EXPECT_EQ(none.attempts, 3);
}
