// Speed of the deals on every shipped layout, and of the free-tile and move-list sweeps that
// run after every removal. Run with --benchmark_repetitions=9 to read medians.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/board.h"

namespace {

const std::string kLayouts = std::string(GAME_DATA_DIR) + "/LAYOUTS";

std::unique_ptr<Board> Loaded(const std::string& name) {
    auto board = std::make_unique<Board>();
    board->layoutsFolder = kLayouts;
    board->layoutFileName = name;
    board->LoadLayout();
    return board;
}

void DealLayout(benchmark::State& state, const std::string& name, bool easy) {
    auto board = Loaded(name);
    int fellBack = 0;
    for (auto _ : state) {
        fellBack += board->Deal(easy) == DealResult::SolvableFellBack ? 1 : 0;
        benchmark::DoNotOptimize(board->tiles.data());
    }
    state.counters["fell_back"] = fellBack;
}

void FreeTilesAndMoves(benchmark::State& state) {
    auto board = Loaded("Default.tvl");
    board->Deal(false);
    for (auto _ : state) {
        board->UpdateFreeTiles();
        board->BuildMoveList(false);
        benchmark::DoNotOptimize(board->moveCount);
    }
}
BENCHMARK(FreeTilesAndMoves);

void Shadows(benchmark::State& state) {
    auto board = Loaded("Default.tvl");
    for (auto _ : state) {
        board->UpdateShadows();
        benchmark::DoNotOptimize(board->shadows.data());
    }
}
BENCHMARK(Shadows);

void LoadAndNumber(benchmark::State& state) {
    auto board = std::make_unique<Board>();
    board->layoutsFolder = kLayouts;
    board->layoutFileName = "Default.tvl";
    for (auto _ : state) {
        benchmark::DoNotOptimize(board->LoadLayout());
    }
}
BENCHMARK(LoadAndNumber)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kLayouts)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        benchmark::RegisterBenchmark(("DealRandom/" + name).c_str(), DealLayout, name, false)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("DealSolvable/" + name).c_str(), DealLayout, name, true)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
