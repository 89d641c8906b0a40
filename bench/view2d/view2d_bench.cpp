// Speed of the 2D board: composing a whole frame of a full board, and cutting the tile set for a
// window size.
#include <benchmark/benchmark.h>

#include "bench/view2d/full_board.h"

namespace {

void ComposeFullBoard(benchmark::State& state) {
    FullBoardScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (!scene.tileSetLoaded) {
        state.SkipWithError("the shipped tile set could not be loaded");
        return;
    }
    scene.view.options.shadows = true;
    // One selected tile, as in play.
    scene.board->firstSelected = 60;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.view.ComposeFrame());
    }
    state.counters["tileWidth"] = scene.view.TileWidth();
}

void ComposeFadeFrame(benchmark::State& state) {
    FullBoardScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (!scene.tileSetLoaded) {
        state.SkipWithError("the shipped tile set could not be loaded");
        return;
    }
    int alpha = 255;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.view.ComposeFrame(100, 101, alpha, alpha));
        alpha = alpha > 10 ? alpha - 10 : 255;
    }
}

void CutTileSetForView(benchmark::State& state) {
    FullBoardScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (!scene.tileSetLoaded) {
        state.SkipWithError("the shipped tile set could not be loaded");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.view.SizeTileSet2D(static_cast<int>(state.range(0)),
                                                          static_cast<int>(state.range(1))));
    }
}

}  // namespace

BENCHMARK(ComposeFullBoard)
    ->Args({1280, 800})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(ComposeFadeFrame)->Args({1280, 800})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(CutTileSetForView)
    ->Args({1280, 800})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
