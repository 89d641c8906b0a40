// Every layout the game ships must load, hold 144 well-stacked positions and be dealt as a
// winnable game that replaying its deal order wins.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "core/game_core.h"
#include "tests/core/core_test_support.h"

namespace {

std::vector<std::string> ShippedLayouts() {
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(GAME_DATA_DIR) + "/LAYOUTS")) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Counts the clicks' outcome instead of showing anything.
class QuietGame : public GameCore {
public:
    int loseBoxes = 0;
    int statusRefreshes = 0;
    void RefreshStatus() override { ++statusRefreshes; }
};

}  // namespace

TEST(ShippedLayouts, ThereAreTheTurtleAndElevenMore) {
    const auto names = ShippedLayouts();
    EXPECT_GE(names.size(), 12u);
    EXPECT_NE(std::find(names.begin(), names.end(), "Default.tvl"), names.end());
}

TEST(ShippedLayouts, EachIsWellStackedAndWinsByReplayingItsDealOrder) {
    for (const std::string& name : ShippedLayouts()) {
        SCOPED_TRACE(name);
        QuietGame game;
        Board& board = game.board;
        board.layoutsFolder = std::string(GAME_DATA_DIR) + "/LAYOUTS";
        board.layoutFileName = name;
        ASSERT_TRUE(board.LoadLayout());
        ASSERT_EQ(CountPositions(board.positionGrid), 144);
        EXPECT_EQ(DrawingOrderProblem(board), "");

        // Every cell of an upper tile lies over a tile of the layer below.
        for (const TileRecord& t : board.tiles) {
            for (int dr = 0; dr < 2 && t.layer > 0; ++dr) {
                for (int dc = 0; dc < 2; ++dc) {
                    ASSERT_NE(board.TileAt(t.layer - 1, t.row + dr, t.column + dc), NoTile);
                }
            }
        }

        for (unsigned seed = 0; seed < 8; ++seed) {
            std::srand(seed);
            ASSERT_EQ(board.Deal(), DealResult::Solvable) << "seed " << seed;
            // Play the recorded pairs with the mouse, as a player would.
            for (int i = 0; i < kTiles; i += 2) {
                const int a = board.dealOrder[i];
                const int b = board.dealOrder[i + 1];
                ASSERT_TRUE(game.ClickTile(a));
                ASSERT_TRUE(game.ClickTile(b));
                ASSERT_EQ(board.tilesLeft, kTiles - i - 2) << "pair " << i / 2;
            }
            EXPECT_EQ(board.GameOverShown, 1);
            EXPECT_EQ(board.moveCount, 0);
            // Back to the full layout for the next deal.
            ASSERT_TRUE(board.LoadLayout());
        }
    }
}
