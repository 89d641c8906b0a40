// The cost of the game's sound on the window thread: an effect started from its cached chunk,
// and the music started again, either the piece already loaded (the restart at its end) or a
// new piece, which loads the General MIDI sound font anew. SDL's dummy driver, no speakers needed.
#include <benchmark/benchmark.h>

#include <SDL_mixer.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "shell/sound_player.h"

namespace {

std::string Shipped(const char* name) {
    return std::string(GAME_DATA_DIR) + "/SOUNDS/" + name;
}

void BM_PlayEffectCached(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SoundPlayer player;
    if (!player.Open()) {
        state.SkipWithError("no audio device");
        return;
    }
    const std::string path = Shipped("Select.wav");
    player.PlayEffect(path);
    for (auto _ : state) {
        benchmark::DoNotOptimize(player.PlayEffect(path));
        state.PauseTiming();
        Mix_HaltChannel(-1);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlayEffectCached);

void BM_RestartLoadedPiece(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SoundPlayer player;
    if (!player.Open()) {
        state.SkipWithError("no audio device");
        return;
    }
    const std::string path = Shipped("Tune478.mid");
    player.PlayMusic(path);
    for (auto _ : state) {
        benchmark::DoNotOptimize(player.PlayMusic(path));
        // Let the mixer play a little, as between two real restarts.
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RestartLoadedPiece)->Unit(benchmark::kMillisecond)->Iterations(50);

void BM_StartNewPiece(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SoundPlayer player;
    if (!player.Open()) {
        state.SkipWithError("no audio device");
        return;
    }
    const std::string pieces[2] = {Shipped("Tune478.mid"), Shipped("Bamboo.mid")};
    int next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(player.PlayMusic(pieces[next]));
        next = 1 - next;
    }
}
BENCHMARK(BM_StartNewPiece)->Unit(benchmark::kMillisecond)->Iterations(6);

}  // namespace

BENCHMARK_MAIN();
