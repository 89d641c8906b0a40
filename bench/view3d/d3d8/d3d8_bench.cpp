// Speed of the software renderer: whole frames of a full board at the window sizes players use,
// with one drawing thread and with one per core, and the two stages of a frame (set-up inside
// the draw calls, rasterising at the end of the scene). CPU is the whole process's time, so on a
// machine busy with other work it tells what a frame costs when real time cannot.
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
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The full-screen background quad through the device alone: what the first frame, and the frame
// after a new background or a resize, costs on top of the board (later frames reuse it).
void BM_BackgroundPass(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    D3DDevice device;
    Image texture;
    TileVertices vertices{};
    BuildGeometry(vertices, 0xFFB87818, {});
    if (!device.Create(width, height, static_cast<int>(state.range(2))) ||
        !MakeBackgroundTexture(LoadBoardBackground(), kMaxTextureSide, kMaxTextureSide, texture) ||
        !device.SetVertices(vertices.data(), kTileVertexCount)) {
        state.SkipWithError("device could not be made");
        return;
    }
    const int id = device.CreateTexture(texture.Width(), texture.Height());
    device.UploadTexture(id, texture);
    device.SetTexture(id);
    device.SetDepthTest(false);
    device.SetBlending(true);
    for (auto _ : state) {
        device.Clear(0xFF00A000, 1.0f);
        device.DrawTriangleList(kBackgroundPiece.first, kBackgroundPiece.Triangles());
        device.EndScene();
        benchmark::DoNotOptimize(device.Target().Pixels());
    }
    state.counters["threads"] = device.ThreadCount();
}
BENCHMARK(BM_BackgroundPass)
    ->ArgNames({"width", "height", "threads"})
    ->Args({1280, 800, 0})
    ->Args({1280, 800, 1})
    ->Args({1920, 1080, 0})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
