// The decision of one 3D frame.
#include "view3d/frame_plan.h"

#include "view3d/scene.h"

std::uint32_t OpaqueVertexColour(const Colour& colour) {
    return 0xFF000000u | (static_cast<std::uint32_t>(colour.red) << 16) |
           (static_cast<std::uint32_t>(colour.green) << 8) | colour.blue;
}

FrameOptions FrameOptionsFromSettings(const Settings& settings) {
    FrameOptions options;
    options.background = !settings.background.empty();
    options.shadows = settings.shadows;
    options.backgroundColour = OpaqueVertexColour(settings.backgroundColor);
    options.sidesColour = OpaqueVertexColour(settings.sidesColor);
    return options;
}

std::array<int, 2> ShownHint(Board& board) {
    // A paused board shows no highlight, so the hint is not even asked for then (asking moves a
    // hint index that ran past the list back to the first pair, which decides the next hint).
    if (board.ChronoPaused) {
        return {NoTile, NoTile};
    }
    board.IsHintTile(0);
    if (!board.GameOverShown || board.moveCount <= 0 || board.hintIndex < 0 ||
        board.hintIndex >= board.moveCount) {
        return {NoTile, NoTile};
    }
    const TilePair& pair = board.moveList[static_cast<std::size_t>(board.hintIndex)];
    return {pair.first, pair.second};
}

FramePlan BuildFramePlan(const Board& board, const Scene3D& scene, const FrameOptions& options) {
    FramePlan plan;
    plan.clearColour = options.backgroundColour | 0xFF000000u;
    plan.background = options.background;
    plan.paused = board.ChronoPaused != 0;
    plan.view = scene.View();
    plan.projection = scene.Projection();
    plan.camera = scene.CameraPlacement();
    plan.viewWidth = scene.ViewWidth();
    plan.viewHeight = scene.ViewHeight();
    plan.sidesColour = options.sidesColour | 0xFF000000u;
    plan.levelColours = scene.LevelVertexColours();
    plan.entryOfTile.fill(NoTile);

    const Matrix4 rotation = scene.BoardRotation();
    for (int t = 0; t < kTiles; ++t) {
        const TileRecord& record = board.tiles[t];
        if (record.face == NoTile) {
            continue;  // removed: neither drawn nor shadowed
        }
        PlannedTile& entry = plan.tiles[plan.tileCount];
        scene.TileMatrices(record, rotation, entry.world, entry.placement);
        entry.tile = static_cast<std::uint8_t>(t);
        // A damaged record must not index past the five level faces or the 43 textures.
        entry.layer = static_cast<std::uint8_t>(record.layer < kLayers ? record.layer : 0);
        entry.faceTexture = (plan.paused || record.face > kBlankFace)
                                ? static_cast<std::uint8_t>(kBlankFace)
                                : record.face;
        const bool selected = t == board.firstSelected || t == board.secondSelected;
        const bool hinted = t == options.hintTiles[0] || t == options.hintTiles[1];
        entry.highlight = !plan.paused && (selected || hinted);
        if (!plan.paused) {
            entry.marks = static_cast<std::uint8_t>((selected ? kMarkSelected : 0) |
                                                    (hinted ? kMarkHint : 0) |
                                                    (t == options.focusTile ? kMarkFocus : 0));
        }
        entry.shadowRows = options.shadows ? ShadowRowMask(board.shadows[t]) : 0;
        plan.entryOfTile[t] = static_cast<std::uint8_t>(plan.tileCount);
        ++plan.tileCount;
    }
    return plan;
}
