// How long the solver takes to settle a freshly dealt game: 1000 random deals of every shipped
// layout (the deals of the milliseconds 0..999, loaded and dealt by the game itself), each
// solved from scratch. Reports the median, 99th percentile and worst time, the share of deals
// that cannot be won and the share left unknown at the one-second limit. Also the winnable
// shuffle of a part-played turtle game.
//
// To compare versions of the solver by work rather than by time on a busy machine, set
// SOLVER_BENCH_POSITIONS to a bound on positions per deal (the time limit then becomes a minute)
// and SOLVER_BENCH_PROBE_FROM to the attempt from which the solver tries splits; with
// SOLVER_BENCH_SHOW set, the deals left unknown or taking over that many positions are listed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/board.h"
#include "core/solver.h"

namespace {

const std::string kLayouts = std::string(GAME_DATA_DIR) + "/LAYOUTS";
constexpr int kDeals = 1000;

int g_millisecond = 0;
int PinnedMillisecond() {
    return g_millisecond;
}

std::unique_ptr<Board> Loaded(const std::string& name) {
    auto board = std::make_unique<Board>();
    board->layoutsFolder = kLayouts;
    board->layoutFileName = name;
    board->millisecondSource = &PinnedMillisecond;
    board->LoadLayout();
    return board;
}

std::uint64_t FromEnvironment(const char* name, std::uint64_t otherwise) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != 0 ? std::strtoull(text, nullptr, 10) : otherwise;
}

void SolveDeals(benchmark::State& state, const std::string& name) {
    auto board = Loaded(name);
    const std::uint64_t maxPositions = FromEnvironment("SOLVER_BENCH_POSITIONS", 0);
    const std::uint64_t show = FromEnvironment("SOLVER_BENCH_SHOW", 0);
    Solver solver(18, static_cast<int>(FromEnvironment("SOLVER_BENCH_PROBE_FROM", 3)));
    std::vector<double> ms;
    int lost = 0;
    int unknown = 0;
    std::uint64_t positions = 0;
    for (auto _ : state) {
        ms.clear();
        lost = 0;
        unknown = 0;
        positions = 0;
        for (int deal = 0; deal < kDeals; ++deal) {
            g_millisecond = deal;
            board->Deal(false);
            const auto start = std::chrono::steady_clock::now();
            SolveLimits limits = SolveLimits::Within(std::chrono::seconds(maxPositions ? 60 : 1));
            limits.maxPositions = maxPositions;
            const SolveResult result = solver.Solve(*board, limits);
            const auto stop = std::chrono::steady_clock::now();
            if (show != 0 && (result.answer == SolveAnswer::Unknown || result.positions > show)) {
                std::printf("%s deal %d: %s, %llu positions, %.1f ms\n", name.c_str(), deal,
                            result.answer == SolveAnswer::Unknown
                                ? "unknown"
                                : (result.answer == SolveAnswer::Winnable ? "winnable" : "lost"),
                            static_cast<unsigned long long>(result.positions),
                            std::chrono::duration<double, std::milli>(stop - start).count());
            }
            ms.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
            lost += result.answer == SolveAnswer::NotWinnable ? 1 : 0;
            unknown += result.answer == SolveAnswer::Unknown ? 1 : 0;
            positions += result.positions;
        }
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p99 = ms[ms.size() * 99 / 100];
    const double worst = ms.back();
    state.counters["median_ms"] = median;
    state.counters["p99_ms"] = p99;
    state.counters["worst_ms"] = worst;
    state.counters["not_winnable_pct"] = 100.0 * lost / kDeals;
    state.counters["unknown_pct"] = 100.0 * unknown / kDeals;
    state.counters["positions_per_deal"] = static_cast<double>(positions) / kDeals;
    char label[160];
    std::snprintf(label, sizeof label,
                  "median %.3f ms, p99 %.3f ms, worst %.3f ms, not winnable %.1f%%, unknown %d",
                  median, p99, worst, 100.0 * lost / kDeals, unknown);
    state.SetLabel(label);
}

void ShuffleTurtle(benchmark::State& state) {
    auto board = Loaded("Default.tvl");
    g_millisecond = 250;
    board->Deal(false);
    for (int k = 0; k < 20; ++k) {
        board->BuildMoveList(false);
        if (board->moveCount == 0) {
            break;
        }
        board->RemovePairTiles(board->moveList[0].first, board->moveList[0].second);
        board->UpdateFreeTiles();
    }
    Solver solver;
    std::uint32_t seed = 0;
    int found = 0;
    for (auto _ : state) {
        ShuffleResult result;
        found += ShuffleRemaining(*board, ++seed, solver, result) ? 1 : 0;
    }
    state.counters["found_pct"] =
        100.0 * found / std::max<double>(1.0, static_cast<double>(state.iterations()));
}
BENCHMARK(ShuffleTurtle)->Unit(benchmark::kMillisecond);

// One benchmark per layout file, registered at start so a new layout is measured too.
const bool kRegistered = [] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kLayouts)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        benchmark::RegisterBenchmark(("SolveDeals/" + name).c_str(),
                                     [name](benchmark::State& state) { SolveDeals(state, name); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
