// Speed of the 2D board: composing a whole frame of a full board, and cutting the tile set for a
// window size. The compositions also time a memcpy of a frame of the same size in the same run
// and report `ratio`, the composition's time over the copy's: the copy is what the machine's
// memory allows, so the ratio says how near the composition comes to it.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/view2d/full_board.h"

namespace {

// Processor time of this thread: on a shared machine another program's turn on the processor
// would otherwise count against whichever of the two was running.
double ThreadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The median processor time of copying a frame of `bytes` with memcpy, copied over and over so that
// the copy runs as fast as the machine allows (both buffers warm in the caches).
double MemcpyMilliseconds(std::size_t bytes) {
    std::vector<std::uint8_t> source(bytes, 1);
    std::vector<std::uint8_t> copy(bytes, 2);
    std::vector<double> times;
    for (int i = 0; i < 41; ++i) {
        const double start = ThreadMilliseconds();
        std::memcpy(copy.data(), source.data(), bytes);
        benchmark::ClobberMemory();
        times.push_back(ThreadMilliseconds() - start);
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

// Runs `compose` as the benchmark and reports its mean processor time, the time of one memcpy of a
// frame of the same size measured just before and just after, and `ratio`, the first over the
// second.
template <typename Compose>
void ComposeAgainstMemcpy(benchmark::State& state, FullBoardScene& scene, Compose compose) {
    const auto bytes = static_cast<std::size_t>(scene.view.ViewWidth()) * 4 *
                       static_cast<std::size_t>(scene.view.ViewHeight());
    const double copyBefore = MemcpyMilliseconds(bytes);
    double composing = 0;
    for (auto _ : state) {
        const double start = ThreadMilliseconds();
        compose();
        composing += ThreadMilliseconds() - start;
    }
    const double copyMs = std::min(copyBefore, MemcpyMilliseconds(bytes));
    const double composeMs = composing / static_cast<double>(state.iterations());
    state.counters["compose_ms"] = composeMs;
    state.counters["memcpy_ms"] = copyMs;
    state.counters["ratio"] = copyMs > 0 ? composeMs / copyMs : 0;
}

// The full board at the run's size (its first two arguments), or nothing when the shipped tile
// set could not be loaded (the run is then skipped with that error).
std::unique_ptr<FullBoardScene> SceneOfTheRunsSize(benchmark::State& state) {
    auto scene = std::make_unique<FullBoardScene>(static_cast<int>(state.range(0)),
                                                  static_cast<int>(state.range(1)));
    if (!scene->tileSetLoaded) {
        state.SkipWithError("the shipped tile set could not be loaded");
        return nullptr;
    }
    return scene;
}

void ComposeFullBoard(benchmark::State& state) {
    const std::unique_ptr<FullBoardScene> built = SceneOfTheRunsSize(state);
    if (!built) {
        return;
    }
    FullBoardScene& scene = *built;
    scene.view.options.shadows = true;
    // One selected tile, as in play.
    scene.board->firstSelected = 60;
    ComposeAgainstMemcpy(state, scene,
                         [&] { benchmark::DoNotOptimize(scene.view.ComposeFrame()); });
    state.counters["tileWidth"] = scene.view.TileWidth();
}

void ComposeFadeFrame(benchmark::State& state) {
    const std::unique_ptr<FullBoardScene> built = SceneOfTheRunsSize(state);
    if (!built) {
        return;
    }
    FullBoardScene& scene = *built;
    int alpha = 255;
    ComposeAgainstMemcpy(state, scene, [&] {
        benchmark::DoNotOptimize(scene.view.ComposeFrame(100, 101, alpha, alpha));
        alpha = alpha > 10 ? alpha - 10 : 255;
    });
}

// The fade as the autoplay worker composes it: the window holds the frame shown while the next
// one is composed, so each frame goes into a spare buffer that holds an older picture.
void ComposeFadeFrameWhileShown(benchmark::State& state) {
    const std::unique_ptr<FullBoardScene> built = SceneOfTheRunsSize(state);
    if (!built) {
        return;
    }
    FullBoardScene& scene = *built;
    int alpha = 255;
    std::shared_ptr<const Image> shown = scene.view.PaintFrame();
    ComposeAgainstMemcpy(state, scene, [&] {
        benchmark::DoNotOptimize(scene.view.ComposeFrame(100, 101, alpha, alpha));
        alpha = alpha > 10 ? alpha - 10 : 255;
        shown = scene.view.PaintFrame();
    });
}

// The first composition after a quiet spell: the frame was freed, so a fresh buffer is taken
// from the system and painted whole. board2d hands large blocks straight back to the system, as
// here, so the time includes the kernel giving the pages again.
void ComposeAfterTheFrameWasFreed(benchmark::State& state) {
    // Set before the scene is built, as board2d sets it first thing: no large block freed
    // earlier is left in the heap for the fresh frame to reuse without the kernel's help.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    const std::unique_ptr<FullBoardScene> built = SceneOfTheRunsSize(state);
    if (!built) {
        return;
    }
    FullBoardScene& scene = *built;
    ComposeAgainstMemcpy(state, scene, [&] {
        scene.view.FreeFrame(0);
        benchmark::DoNotOptimize(scene.view.ComposeFrame());
    });
}

void CutTileSetForView(benchmark::State& state) {
    const std::unique_ptr<FullBoardScene> built = SceneOfTheRunsSize(state);
    if (!built) {
        return;
    }
    FullBoardScene& scene = *built;
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
BENCHMARK(ComposeFadeFrameWhileShown)
    ->Args({1280, 800})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CutTileSetForView)
    ->Args({1280, 800})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
// Last: it changes how the C library hands out large blocks for the rest of the run.
BENCHMARK(ComposeAfterTheFrameWasFreed)
    ->Args({1280, 800})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond);
