// The 3D view's work per frame and per click on the full 144-tile Default layout.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "view3d/frame_plan.h"
#include "view3d/picking.h"
#include "view3d/scene.h"

namespace {

struct FullScene {
    std::unique_ptr<Board> board = std::make_unique<Board>();
    Scene3D scene;

    FullScene() {
        board->layoutsFolder = std::string(GAME_DATA_DIR) + "/LAYOUTS/";
        board->layoutFileName = "Default.tvl";
        board->millisecondSource = [] { return 478; };  // the same deal every run
        if (board->LoadLayout()) {
            board->Deal();
            board->UpdateFreeTiles();
            board->UpdateShadows();
        }
        scene.SetViewSize(1024, 768);
        scene.PlaceTiles(board->tiles);
        scene.RotateBoard(0.2f, -0.1f, 0.0f);
    }
};

// Deciding one frame: 144 world matrices and their inverses, faces, highlights, shadow rows.
void BM_BuildFramePlan(benchmark::State& state) {
    FullScene s;
    if (s.board->tilesLeft != kTiles) {
        state.SkipWithError("the Default layout did not load");
        return;
    }
    const FrameOptions options;
    for (auto _ : state) {
        FramePlan plan = BuildFramePlan(*s.board, s.scene, options);
        benchmark::DoNotOptimize(plan);
    }
}
BENCHMARK(BM_BuildFramePlan);

// One click at the middle of the view: the ray against the faces of every free tile.
void BM_PickTile(benchmark::State& state) {
    FullScene s;
    if (s.board->tilesLeft != kTiles) {
        state.SkipWithError("the Default layout did not load");
        return;
    }
    const FramePlan plan = BuildFramePlan(*s.board, s.scene, FrameOptions{});
    int picked = 0;
    for (auto _ : state) {
        picked = PickTile(*s.board, plan, 512, 384, [](int tile) { return tile != NoTile; });
        benchmark::DoNotOptimize(picked);
    }
}
BENCHMARK(BM_PickTile);

}  // namespace
