// Speed of board3d_gl's renderer on the machine's OpenGL (Mesa's llvmpipe where there is no
// graphics card) next to the software renderer of board3d_d3d, on the same full board at the same
// sizes: whole frames, finished (glFinish) so the time is the drawing's, not the queueing's.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include "bench/view3d/d3d8/full_board_plan.h"
#include "tests/view3d/gl/gl_offscreen.h"
#include "view3d/d3d8/software_renderer.h"
#include "view3d/gl/gl_renderer.h"

namespace {

// Arguments: width, height, relief (0 off, 1 on), tilted (the pause spin's 25 degrees).
void BM_GlFullBoardFrame(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const bool tilted = state.range(3) != 0;
    GlOffscreen context;
    if (!context.Create(width, height)) {
        state.SkipWithError(context.Failure().c_str());
        return;
    }
    GlRenderer renderer;
    TileSet tileSet;
    LoadBoardTileSet(tileSet, 64);
    if (!renderer.Create() || !renderer.LoadTileSetTextures(tileSet) ||
        !renderer.LoadBackgroundTexture(LoadBoardBackground())) {
        state.SkipWithError("renderer could not be made");
        return;
    }
    renderer.SetBumpMapping(state.range(2) != 0);
    const FramePlan plan =
        FullBoardPlan(width, height, tilted ? 0.5f : 0.0f, tilted ? kPi * 0.1388889f : 0.0f);
    for (auto _ : state) {
        renderer.Render(plan);
        glFinish();
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(context.RendererName());
    renderer.Release();
}
BENCHMARK(BM_GlFullBoardFrame)
    ->ArgNames({"width", "height", "relief", "tilted"})
    ->Args({1280, 800, 0, 0})
    ->Args({1280, 800, 1, 0})
    ->Args({1280, 800, 0, 1})
    ->Args({1920, 1080, 0, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The software renderer on the same plan, every core drawing, for the ratio.
void BM_SoftwareFullBoardFrame(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const bool tilted = state.range(2) != 0;
    SoftwareRenderer renderer;
    TileSet tileSet;
    LoadBoardTileSet(tileSet, 64);
    if (!renderer.Create(width, height) || !renderer.LoadTileSetTextures(tileSet) ||
        !renderer.LoadBackgroundTexture(LoadBoardBackground())) {
        state.SkipWithError("renderer could not be made");
        return;
    }
    const FramePlan plan =
        FullBoardPlan(width, height, tilted ? 0.5f : 0.0f, tilted ? kPi * 0.1388889f : 0.0f);
    for (auto _ : state) {
        renderer.Render(plan);
        benchmark::DoNotOptimize(renderer.Target().Pixels());
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SoftwareFullBoardFrame)
    ->ArgNames({"width", "height", "tilted"})
    ->Args({1280, 800, 0})
    ->Args({1280, 800, 1})
    ->Args({1920, 1080, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
