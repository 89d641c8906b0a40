#include "view3d_test_support.h"

std::unique_ptr<Board> EmptyBoard() {
    auto board = std::make_unique<Board>();
    for (TileRecord& record : board->tiles) {
        record = TileRecord{};
    }
    return board;
}

void PutTile(Board& board, int t, int layer, int row, int column, int face, bool free) {
    TileRecord& record = board.tiles[t];
    record.layer = static_cast<std::uint8_t>(layer);
    record.row = static_cast<std::uint8_t>(row);
    record.column = static_cast<std::uint8_t>(column);
    record.face = static_cast<std::uint8_t>(face);
    record.state = free ? 1 : 0;
}

std::unique_ptr<Board> FullBoard() {
    auto board = std::make_unique<Board>();
    board->layoutsFolder = std::string(GAME_DATA_DIR) + "/LAYOUTS/";
    board->layoutFileName = "Default.tvl";
    board->millisecondSource = [] { return 478; };
    if (board->LoadLayout()) {
        board->Deal();
        board->UpdateFreeTiles();
        board->UpdateShadows();
    }
    return board;
}

Vector2 ProjectToPixel(const FramePlan& plan, const PlannedTile& entry, const Vector3& p) {
    const Vector3 world = TransformPoint(p, entry.world);
    const Vector3 ndc = TransformPoint(TransformPoint(world, plan.view), plan.projection);
    return {(ndc.x + 1.0f) * 0.5f * static_cast<float>(plan.viewWidth),
            (1.0f - ndc.y) * 0.5f * static_cast<float>(plan.viewHeight)};
}
