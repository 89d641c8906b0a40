// Speed of the aids that run while the player waits: a saved game written and read back (with
// every check a loaded file passes), the status text the timer rebuilds each second, the hint
// test the views ask for every tile of every frame, a full restart, and the hall sort.
// Run with --benchmark_repetitions=9 to read medians.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/game_core.h"

namespace {

int FixedMillisecond() {
    return 500;
}

// A turtle game with ten pairs removed, its saved games in a scratch folder.
class BenchGame : public GameCore {
public:
    BenchGame() {
        board.layoutsFolder = std::string(GAME_DATA_DIR) + "/LAYOUTS";
        board.layoutFileName = "Default.tvl";
        board.millisecondSource = &FixedMillisecond;
        board.LoadLayout();
        std::srand(5);
        board.Deal();
        for (int k = 0; k < 10; ++k) {
            ClickTile(board.dealOrder[static_cast<std::size_t>(2 * k)]);
            ClickTile(board.dealOrder[static_cast<std::size_t>(2 * k + 1)]);
        }
        folder = std::filesystem::temp_directory_path() / "varnel_bench_saved";
        std::filesystem::create_directories(folder);
        board.savedGamesFolder = folder.string();
        board.savedGameFileName = "Bench.TVM";
    }
    ~BenchGame() override { std::filesystem::remove_all(folder); }
    std::string LanguageText(const char* key) const override { return key; }

    std::filesystem::path folder;
};

void SaveGameFile(benchmark::State& state) {
    BenchGame game;
    for (auto _ : state) {
        benchmark::DoNotOptimize(game.board.SaveGame());
    }
}

void LoadGameFile(benchmark::State& state) {
    BenchGame game;
    game.board.SaveGame();
    bool loaded = true;
    for (auto _ : state) {
        loaded = game.board.LoadGame() && loaded;
    }
    state.counters["loaded"] = loaded ? 1 : 0;
}

void StatusLine(benchmark::State& state) {
    BenchGame game;
    game.board.Hint();
    for (auto _ : state) {
        benchmark::DoNotOptimize(game.StatusLine());
    }
}

void HintTilesOfAFrame(benchmark::State& state) {
    BenchGame game;
    game.board.Hint();
    for (auto _ : state) {
        int shown = 0;
        for (int t = 0; t < kTiles; ++t) {
            shown += game.board.IsHintTile(t) ? 1 : 0;
        }
        benchmark::DoNotOptimize(shown);
    }
}

void RestartAfterTenPairs(benchmark::State& state) {
    BenchGame game;
    const UndoStack history = game.board.undoStack;
    const TileRecords records = game.board.tiles;
    const TileGrid grid = game.board.tileGrid;
    for (auto _ : state) {
        state.PauseTiming();
        game.board.undoStack = history;
        game.board.tiles = records;
        game.board.tileGrid = grid;
        game.board.undoCount = 10;
        game.board.tilesLeft = kTiles - 20;
        state.ResumeTiming();
        game.board.RestartGame();
    }
}

void HallSort(benchmark::State& state) {
    Board board;
    for (auto _ : state) {
        for (int k = 0; k <= kHallEntries; ++k) {
            board.hall[static_cast<std::size_t>(k)].seconds = (k * 7919) % 1000;
        }
        board.SortHall(0, kHallEntries);
        benchmark::DoNotOptimize(board.hall.data());
    }
}

}  // namespace

BENCHMARK(SaveGameFile);
BENCHMARK(LoadGameFile);
BENCHMARK(StatusLine);
BENCHMARK(HintTilesOfAFrame);
BENCHMARK(RestartAfterTenPairs);
BENCHMARK(HallSort);

BENCHMARK_MAIN();
