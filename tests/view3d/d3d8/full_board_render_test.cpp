// The renderer on a real dealt board planned by the scene: the picture does not depend on how
// many threads draw it, and the faces nothing can cover show their textures in their layer's
// colour.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/view3d/view3d_test_support.h"
#include "view3d/d3d8/software_renderer.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 400;

std::uint32_t FaceColour(int face) {
    return 0xFF000000u | static_cast<std::uint32_t>(face * 6) << 16 |
           static_cast<std::uint32_t>(255 - face * 6) << 8 | static_cast<std::uint32_t>(face);
}

void MakeFlatTileSet(TileSet& tileSet) {
    for (int face = 0; face < kTileSetFaceCount; ++face) {
        Image& image = tileSet.faces[static_cast<std::size_t>(face)];
        ASSERT_TRUE(image.Create(32, 32, 4));
        const std::uint32_t c = FaceColour(face);
        ASSERT_TRUE(
            image.Fill({static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                        static_cast<std::uint8_t>(c), 255}));
    }
}

std::uint32_t Modulate(std::uint32_t texel, std::uint32_t colour) {
    std::uint32_t out = 0xFF000000u;
    for (const int shift : {0, 8, 16}) {
        out |= ((((texel >> shift) & 0xFF) * ((colour >> shift) & 0xFF) + 127) / 255) << shift;
    }
    return out;
}

FramePlan BoardPlan(Board& board, float yaw, float pitch) {
    Scene3D scene;
    scene.SetViewSize(kWidth, kHeight);
    scene.PlaceTiles(board.tiles);
    scene.RotateBoard(yaw, pitch, 0.0f);
    FrameOptions options;
    options.background = true;
    options.hintTiles = {0, 1};
    return BuildFramePlan(board, scene, options);
}

// Bands are drawn by whichever thread takes them; every pixel must come out the same.
TEST(SoftwareRendererBoard, PictureDoesNotDependOnThreadCount) {
    auto board = FullBoard();
    TileSet tileSet;
    MakeFlatTileSet(tileSet);
    Image background;
    ASSERT_TRUE(background.Create(300, 200, 3));
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x) {
            std::uint8_t* p = background.Row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(x), p[1] = static_cast<std::uint8_t>(y), p[2] = 60;
        }
    }
    for (const float pitch : {0.0f, 0.45f}) {
        SCOPED_TRACE(testing::Message() << "pitch " << pitch);
        const FramePlan plan = BoardPlan(*board, pitch * 0.7f, pitch);
        Image first;
        for (const int threads : {1, 2, 3}) {
            SoftwareRenderer renderer;
            ASSERT_TRUE(renderer.Create(kWidth, kHeight, threads));
            ASSERT_TRUE(renderer.LoadTileSetTextures(tileSet));
            ASSERT_TRUE(renderer.LoadBackgroundTexture(background));
            // The second frame starts from the kept background pass.
            for (int frame = 0; frame < 2; ++frame) {
                ASSERT_TRUE(renderer.Render(plan));
                if (first.HasPixels()) {
                    EXPECT_EQ(std::memcmp(first.Pixels(), renderer.Target().Pixels(),
                                          static_cast<std::size_t>(first.Size())),
                              0)
                        << "threads " << threads << " frame " << frame;
                } else {
                    first = renderer.Target();
                }
            }
        }
    }
}

// Nothing stands above the top layer, so the centre of every top-layer face shows its own face
// texture in its layer's colour (a hinted one darkened by the highlight).
TEST(SoftwareRendererBoard, TopLayerFacesShowTheirTextures) {
    auto board = FullBoard();
    TileSet tileSet;
    MakeFlatTileSet(tileSet);
    SoftwareRenderer renderer;
    ASSERT_TRUE(renderer.Create(kWidth, kHeight));
    ASSERT_TRUE(renderer.LoadTileSetTextures(tileSet));
    const FramePlan plan = BoardPlan(*board, 0.0f, 0.0f);
    ASSERT_TRUE(renderer.Render(plan));
    int topLayer = 0;
    for (int entry = 0; entry < plan.tileCount; ++entry) {
        topLayer = std::max(topLayer, static_cast<int>(plan.tiles[entry].layer));
    }
    int checked = 0;
    for (int entry = 0; entry < plan.tileCount; ++entry) {
        const PlannedTile& tile = plan.tiles[entry];
        if (tile.layer != topLayer || tile.highlight) {
            continue;
        }
        const Vector2 at = ProjectToPixel(plan, tile, {7.5f, 10.0f, 10.0f});
        std::uint32_t pixel = 0;
        std::memcpy(&pixel,
                    renderer.Target().Row(static_cast<int>(at.y)) + 4 * static_cast<int>(at.x), 4);
        EXPECT_EQ(pixel, Modulate(FaceColour(tile.faceTexture), plan.levelColours[tile.layer]))
            << "tile " << static_cast<int>(tile.tile) << " at " << at.x << "," << at.y;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

}  // namespace
