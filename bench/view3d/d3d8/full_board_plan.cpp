// A full 144-tile board planned the way the game plans a frame.

#include "bench/view3d/d3d8/full_board_plan.h"

#include <string>

namespace {

struct Layer {
    int firstColumn, columns, firstRow, rows;
};
// 84 + 40 + 12 + 6 + 2 = 144 tiles; positions in half-tile units.
constexpr Layer kLayers3D[kLayers] = {
    {0, 12, 0, 7}, {4, 8, 2, 5}, {8, 4, 4, 3}, {10, 2, 4, 3}, {10, 2, 6, 1}};

// Model to world of a tile at its stored position, as the game computes it.
Matrix4 TileWorld(float aspect, float yaw, float pitch, float x3d, float y3d, float z3d) {
    return (Matrix4::Scaling(aspect) *
            Matrix4::RotationQuaternion(QuaternionFromYawPitchRoll(yaw, pitch, 0.0f)) *
            Matrix4::Translation(x3d, y3d, z3d))
        .Inverse();
}

}  // namespace

FramePlan FullBoardPlan(int width, int height, float yaw, float pitch) {
    FramePlan plan;
    const float aspect = height > 0 ? static_cast<float>(width) / height : 4.0f / 3.0f;
    plan.viewWidth = width;
    plan.viewHeight = height;
    plan.background = true;
    plan.clearColour = 0xFF00A000;
    plan.sidesColour = 0xFFB87818;
    plan.levelColours = {0xFFC0C0C0, 0xFFE0E0E0, 0xFFC0C0C0, 0xFFE0E0E0, 0xFFC0C0C0};
    plan.projection = Matrix4::Perspective(kPi * 0.25f, aspect, 1.0f, 5000.0f);
    plan.view = (Matrix4::Scaling(aspect) * Matrix4::Translation(0.0f, 0.0f, 225.0f)).Inverse();
    plan.camera = plan.view.Inverse();
    // Board centre as the placement computes it: columns 0..22, rows 0..12.
    const float cx = 22 / 4 + 0.5f;
    const float cy = 12 / 4;
    int entry = 0;
    for (int layer = 0; layer < kLayers; ++layer) {
        const Layer& l = kLayers3D[layer];
        for (int r = 0; r < l.rows; ++r) {
            for (int c = 0; c < l.columns; ++c) {
                const int column = l.firstColumn + 2 * c;
                const int row = l.firstRow + 2 * r;
                PlannedTile& tile = plan.tiles[static_cast<std::size_t>(entry)];
                tile.world = TileWorld(aspect, yaw, pitch, column * 15 * -0.5f + cx * 15,
                                       row * 20 * 0.5f - cy * 20, -(layer * 10.0f));
                tile.placement = tile.world.Inverse();
                tile.tile = static_cast<std::uint8_t>(entry);
                tile.layer = static_cast<std::uint8_t>(layer);
                tile.faceTexture = static_cast<std::uint8_t>(entry % 42);
                tile.highlight = entry == 100 || entry == 120;
                // Upper layers cast their whole shadow on the layer below.
                tile.shadowRows = layer > 0 ? 0x1FF : 0;
                plan.entryOfTile[static_cast<std::size_t>(entry)] =
                    static_cast<std::uint8_t>(entry);
                ++entry;
            }
        }
    }
    plan.tileCount = entry;
    return plan;
}

void LoadBoardTileSet(TileSet& tileSet, int faceSize) {
    tileSet.borderOn = false;
    tileSet.shadowsOn = false;
    const std::string path = std::string(GAME_DATA_DIR) + "/TILESETS/Standard.jpg";
    if (tileSet.LoadTileSet(path, faceSize) && tileSet.source.HasPixels()) {
        return;
    }
    for (int face = 0; face < kTileSetFaceCount; ++face) {
        Image& image = tileSet.faces[static_cast<std::size_t>(face)];
        image.Create(faceSize, faceSize, 4);
        for (int y = 0; y < faceSize; ++y) {
            std::uint8_t* p = image.Row(y);
            for (int x = 0; x < faceSize; ++x, p += 4) {
                const bool ink = ((x / 8 + y / 8 + face) % 3) == 0;
                p[0] = ink ? static_cast<std::uint8_t>(face * 6) : 240;
                p[1] = ink ? 40 : 235;
                p[2] = ink ? 160 : 230;
                p[3] = 255;
            }
        }
    }
}

Image LoadBoardBackground() {
    Image picture(std::string(GAME_DATA_DIR) + "/BACKGRND/Mountain.jpg");
    if (picture.HasPixels()) {
        return picture;
    }
    picture.Create(800, 600, 3);
    for (int y = 0; y < 600; ++y) {
        std::uint8_t* p = picture.Row(y);
        for (int x = 0; x < 800; ++x, p += 3) {
            p[0] = static_cast<std::uint8_t>(y * 255 / 599);
            p[1] = static_cast<std::uint8_t>(x * 255 / 799);
            p[2] = 90;
        }
    }
    return picture;
}
