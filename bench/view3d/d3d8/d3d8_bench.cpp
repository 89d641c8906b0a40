// Speed of the software renderer: whole frames of a full board at the window sizes players use,
// with one drawing thread and with one per core, and the two stages of a frame (set-up inside
// the draw calls, rasterising at the end of the scene).
#include <benchmark/benchmark.h>

#include "bench/view3d/d3d8/full_board_plan.h"
#include "view3d/d3d8/software_renderer.h"

namespace {

struct Fixture {
    SoftwareRenderer renderer;
    FramePlan plan;
    bool ready = false;

    Fixture(int width, int height, int threads, float yaw, float pitch) {
        TileSet tileSet;
        LoadBoardTileSet(tileSet, 64);
        ready = renderer.Create(width, height, threads) && renderer.LoadTileSetTextures(tileSet) &&
                renderer.LoadBackgroundTexture(LoadBoardBackground());
        plan = FullBoardPlan(width, height, yaw, pitch);
    }
};

// Arguments: width, height, threads (0 = one per core), tilted (the pause spin's 25 degrees).
void BM_FullBoardFrame(benchmark::State& state) {
    const bool tilted = state.range(3) != 0;
    Fixture fixture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                    static_cast<int>(state.range(2)), tilted ? 0.5f : 0.0f,
                    tilted ? kPi * 0.1388889f : 0.0f);
    if (!fixture.ready) {
        state.SkipWithError("renderer could not be made");
        return;
    }
    double setup = 0.0;
    double raster = 0.0;
    for (auto _ : state) {
        fixture.renderer.Render(fixture.plan);
        benchmark::DoNotOptimize(fixture.renderer.Target().Pixels());
        const DeviceFrameStats& stats = fixture.renderer.Device().LastFrameStats();
        setup += stats.setupSeconds;
        raster += stats.rasterSeconds;
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["setup_ms"] = setup * 1000.0 / frames;
    state.counters["raster_ms"] = raster * 1000.0 / frames;
    state.counters["triangles"] = fixture.renderer.Device().LastFrameStats().trianglesDrawn;
    state.counters["threads"] = fixture.renderer.Device().ThreadCount();
}
BENCHMARK(BM_FullBoardFrame)
    ->ArgNames({"width", "height", "threads", "tilted"})
    ->Args({1280, 800, 0, 0})
    ->Args({1280, 800, 1, 0})
    ->Args({1280, 800, 0, 1})
    ->Args({1920, 1080, 0, 0})
    ->Args({1920, 1080, 1, 0})
    ->Args({1920, 1080, 0, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
