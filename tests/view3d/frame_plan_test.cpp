#include "view3d/frame_plan.h"

#include <gtest/gtest.h>

#include "view3d/scene.h"
#include "view3d_test_support.h"

namespace {

// Four tiles: 0 and 2 on layer 0, 1 removed, 3 on layer 1 above tile 0 (casting a shadow).
std::unique_ptr<Board> SmallBoard() {
    auto board = EmptyBoard();
    PutTile(*board, 0, 0, 2, 2, 5, false);
    PutTile(*board, 1, 0, 2, 4, NoTile, false);
    PutTile(*board, 2, 0, 2, 6, 7, true);
    PutTile(*board, 3, 1, 2, 2, 9, true);
    board->shadows[3].corner = 1;
    board->shadows[3].rightUpperCut = 1;
    board->shadows[2].joinLeft = 1;
    return board;
}

}  // namespace

// Removed tiles are skipped; every other record is drawn in record order with its own matrices.
TEST(FramePlan, DrawsTheTilesOnTheBoardInRecordOrder) {
    auto board = SmallBoard();
    Scene3D scene;
    scene.SetViewSize(800, 600);
    scene.PlaceTiles(board->tiles);
    scene.RotateBoard(0.1f, 0.2f, 0.0f);
    FrameOptions options;
    const FramePlan plan = BuildFramePlan(*board, scene, options);
    ASSERT_EQ(plan.tileCount, 3);
    EXPECT_EQ(plan.tiles[0].tile, 0);
    EXPECT_EQ(plan.tiles[1].tile, 2);
    EXPECT_EQ(plan.tiles[2].tile, 3);
    EXPECT_EQ(plan.entryOfTile[0], 0);
    EXPECT_EQ(plan.entryOfTile[1], NoTile);
    EXPECT_EQ(plan.entryOfTile[2], 1);
    EXPECT_EQ(plan.entryOfTile[3], 2);
    EXPECT_EQ(plan.entryOfTile[4], NoTile);
    EXPECT_EQ(plan.tiles[0].faceTexture, 5);
    EXPECT_EQ(plan.tiles[2].faceTexture, 9);
    EXPECT_EQ(plan.tiles[2].layer, 1);
    EXPECT_EQ(plan.tiles[2].shadowRows, (1u << 4) | (1u << 7));
    EXPECT_EQ(plan.tiles[1].shadowRows, 1u);
    EXPECT_EQ(plan.tiles[0].shadowRows, 0u);
    for (int k = 0; k < plan.tileCount; ++k) {
        const TileRecord& record = board->tiles[plan.tiles[k].tile];
        EXPECT_EQ(plan.tiles[k].world, scene.TileWorld(record));
        EXPECT_EQ(plan.tiles[k].placement, scene.TilePlacement(record));
        EXPECT_FALSE(plan.tiles[k].highlight);
    }
    EXPECT_EQ(plan.view, scene.View());
    EXPECT_EQ(plan.projection, scene.Projection());
    EXPECT_EQ(plan.camera, scene.CameraPlacement());
    EXPECT_EQ(plan.viewWidth, 800);
    EXPECT_EQ(plan.viewHeight, 600);
    EXPECT_EQ(plan.levelColours, scene.LevelVertexColours());
    EXPECT_FALSE(plan.paused);
}

// Selected and hinted tiles are darkened once each; a selected tile that is hinted is one entry
// with both frames' bits; the keyboard focus adds its ring and no veil.
TEST(FramePlan, HighlightOfSelectionAndHint) {
    auto board = SmallBoard();
    Scene3D scene;
    FrameOptions options;
    board->firstSelected = 2;
    options.hintTiles = {2, 3};
    options.focusTile = 0;
    FramePlan plan = BuildFramePlan(*board, scene, options);
    EXPECT_FALSE(plan.tiles[0].highlight);
    EXPECT_TRUE(plan.tiles[1].highlight);
    EXPECT_TRUE(plan.tiles[2].highlight);
    EXPECT_EQ(plan.tiles[0].marks, kMarkFocus);
    EXPECT_EQ(plan.tiles[1].marks, kMarkSelected | kMarkHint);
    EXPECT_EQ(plan.tiles[2].marks, kMarkHint);

    board->firstSelected = NoTile;
    board->secondSelected = 0;
    options.hintTiles = {NoTile, NoTile};
    plan = BuildFramePlan(*board, scene, options);
    EXPECT_TRUE(plan.tiles[0].highlight);
    EXPECT_FALSE(plan.tiles[1].highlight);
    EXPECT_FALSE(plan.tiles[2].highlight);
}

// Paused: every face blank (42), no highlight or frame, shadows still drawn.
TEST(FramePlan, PausedBoardIsBlank) {
    auto board = SmallBoard();
    board->ChronoPaused = 1;
    board->firstSelected = 3;
    Scene3D scene;
    FrameOptions options;
    options.hintTiles = {0, 2};
    options.focusTile = 3;
    const FramePlan plan = BuildFramePlan(*board, scene, options);
    EXPECT_TRUE(plan.paused);
    for (int k = 0; k < plan.tileCount; ++k) {
        EXPECT_EQ(plan.tiles[k].faceTexture, kBlankFace);
        EXPECT_FALSE(plan.tiles[k].highlight);
        EXPECT_EQ(plan.tiles[k].marks, 0);
    }
    EXPECT_NE(plan.tiles[2].shadowRows, 0u);
}

// Shadows off draws no shadow rows; background and clear colour come from the options.
TEST(FramePlan, OptionsFromTheConfiguration) {
    auto board = SmallBoard();
    Scene3D scene;
    Settings settings;
    settings.shadows = false;
    settings.background.clear();
    settings.backgroundColor = Colour{1, 2, 3, 0};
    settings.sidesColor = Colour{0xB8, 0x78, 0x18, 255};
    FrameOptions options = FrameOptionsFromSettings(settings);
    FramePlan plan = BuildFramePlan(*board, scene, options);
    EXPECT_FALSE(plan.background);
    EXPECT_EQ(plan.clearColour, 0xFF010203u);
    EXPECT_EQ(plan.sidesColour, 0xFFB87818u);
    for (int k = 0; k < plan.tileCount; ++k) {
        EXPECT_EQ(plan.tiles[k].shadowRows, 0u);
    }
    settings.background = "Mountain.jpg";
    settings.shadows = true;
    options = FrameOptionsFromSettings(settings);
    plan = BuildFramePlan(*board, scene, options);
    EXPECT_TRUE(plan.background);
    EXPECT_NE(plan.tiles[2].shadowRows, 0u);
}

// A record damaged in a saved game cannot make a renderer read past its pieces or textures.
TEST(FramePlan, DamagedRecordsStayInRange) {
    auto board = SmallBoard();
    board->tiles[0].layer = 9;
    board->tiles[2].face = 200;
    Scene3D scene;
    const FramePlan plan = BuildFramePlan(*board, scene, FrameOptions{});
    EXPECT_EQ(plan.tiles[0].layer, 0);
    EXPECT_EQ(plan.tiles[1].faceTexture, kBlankFace);
}

// The shown hint: none before a hint, the listed pair after one, wrapped when past the list's
// end, and never asked while paused.
TEST(FramePlan, ShownHint) {
    auto board = SmallBoard();
    board->moveCount = 2;
    board->moveList[0] = TilePair{0, 2};
    board->moveList[1] = TilePair{2, 3};
    board->GameOverShown = 0;
    EXPECT_EQ(ShownHint(*board), (std::array<int, 2>{NoTile, NoTile}));
    board->GameOverShown = 1;
    board->hintIndex = 1;
    EXPECT_EQ(ShownHint(*board), (std::array<int, 2>{2, 3}));
    board->hintIndex = 2;  // one past the end: the first pair again
    board->ChronoPaused = 1;
    EXPECT_EQ(ShownHint(*board), (std::array<int, 2>{NoTile, NoTile}));
    EXPECT_EQ(board->hintIndex, 2);
    board->ChronoPaused = 0;
    EXPECT_EQ(ShownHint(*board), (std::array<int, 2>{0, 2}));
    EXPECT_EQ(board->hintIndex, 0);
    board->moveCount = 0;
    EXPECT_EQ(ShownHint(*board), (std::array<int, 2>{NoTile, NoTile}));
}

// A full dealt board: 144 entries with all faces in 0..41.
TEST(FramePlan, FullBoard) {
    auto board = FullBoard();
    ASSERT_EQ(board->tilesLeft, kTiles);
    Scene3D scene;
    scene.SetViewSize(1024, 768);
    scene.PlaceTiles(board->tiles);
    const FramePlan plan = BuildFramePlan(*board, scene, FrameOptions{});
    ASSERT_EQ(plan.tileCount, kTiles);
    int shadowed = 0;
    for (int k = 0; k < kTiles; ++k) {
        EXPECT_EQ(plan.tiles[k].tile, k);
        EXPECT_LT(plan.tiles[k].faceTexture, kFaces);
        shadowed += plan.tiles[k].shadowRows != 0;
    }
    EXPECT_GT(shadowed, 0);
}
