// Golden frames of the software renderer: the seeded turtle deal with the shipped tile set and
// background, at two sizes, in the start view, paused and spun, with a hinted pair, a selected tile
// and the keyboard focus, and without shadows. Each frame is compared with a stored picture within
// a small tolerance; the stored pictures were looked at when they were made (VARNEL_UPDATE_GOLDEN=1
// writes them anew).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "images/tile_set.h"
#include "tests/support/golden_picture.h"
#include "tests/view3d/view3d_test_support.h"
#include "view3d/d3d8/software_renderer.h"

namespace {

struct GoldenCase {
    const char* name;
    int width;
    int height;
    bool paused;
    int spinFrames;
    bool hinted;
    bool shadows;
};

constexpr GoldenCase kCases[] = {
    {"start", 400, 250, false, 0, false, true},
    {"start", 256, 192, false, 0, false, true},
    {"paused_spun", 400, 250, true, 40, false, true},
    {"paused_spun", 256, 192, true, 40, false, true},
    {"hinted", 400, 250, false, 0, true, true},
    {"hinted", 256, 192, false, 0, true, true},
    {"no_shadows", 400, 250, false, 0, false, false},
    {"no_shadows", 256, 192, false, 0, false, false},
};

}  // namespace

TEST(GoldenFrames, SeededTurtleDealAtTwoSizes) {
    TileSet tileSet;
    tileSet.borderOn = false;
    tileSet.shadowsOn = false;
    ASSERT_TRUE(tileSet.LoadTileSet(std::string(GAME_DATA_DIR) + "/TILESETS/Standard.jpg", 64));
    Image background;
    ASSERT_TRUE(background.Load(std::string(GAME_DATA_DIR) + "/BACKGRND/Mountain.jpg"));

    for (const GoldenCase& c : kCases) {
        // The easy deal's simulation draws from the generator as it stands: start it the same.
        std::srand(478);
        auto board = FullBoard();
        Scene3D scene;
        scene.SetViewSize(c.width, c.height);
        scene.PlaceTiles(board->tiles);
        board->ChronoPaused = c.paused ? 1 : 0;
        for (int i = 0; i < c.spinFrames; ++i) {
            scene.AdvanceSpin(c.paused);
        }
        if (c.hinted) {
            board->BuildMoveList(false);
            board->GameOverShown = 1;  // the hint shows until the next command
            // A free tile of a pair of another face than the hint's.
            const int hintFace = board->tiles[board->moveList[0].first].face;
            for (int m = 1; m < board->moveCount; ++m) {
                if (board->tiles[board->moveList[m].first].face != hintFace) {
                    board->firstSelected = board->moveList[m].first;
                    break;
                }
            }
        }
        Settings settings;
        settings.shadows = c.shadows;
        FrameOptions options = FrameOptionsFromSettings(settings);
        options.hintTiles = c.hinted ? ShownHint(*board) : std::array<int, 2>{NoTile, NoTile};
        if (c.hinted) {
            ASSERT_NE(options.hintTiles[0], NoTile);
            options.focusTile = options.hintTiles[1];
        }
        const FramePlan plan = BuildFramePlan(*board, scene, options);

        SoftwareRenderer renderer;
        ASSERT_TRUE(renderer.Create(c.width, c.height, 1));
        ASSERT_TRUE(renderer.SetColours(plan.sidesColour, plan.levelColours));
        ASSERT_TRUE(renderer.LoadTileSetTextures(tileSet));
        ASSERT_TRUE(renderer.LoadBackgroundTexture(background));
        ASSERT_TRUE(renderer.Render(plan));

        const std::string path = std::string(GOLDEN_DIR) + "/" + c.name + "_" +
                                 std::to_string(c.width) + "x" + std::to_string(c.height) + ".bmp";
        const PictureDifference difference = CompareWithGolden(renderer.Target(), path);
        ASSERT_TRUE(difference.comparable) << path;
        EXPECT_LT(difference.meanDifference, 1.0) << path;
        EXPECT_LT(difference.shareFarOff, 0.002) << path;
    }
}
