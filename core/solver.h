// The exact solver: decides whether every tile still on a board can be removed under the game's
// own free-tile and matching rules, finds a winning order of pairs, and deals new winnable faces
// over the tiles left (the shuffle). Works on its own copy of the position, so a worker thread
// can run it while the game goes on; its tables are allocated once, when it is built.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

#include "core/board.h"

// What the solver needs of a board, copied out of it: the cells, the faces as the board holds
// them, and where each tile stands. Taking it is quick, so the window thread can copy the board
// under its lock and hand the copy to a worker.
struct SolverPosition {
    TileGrid tileGrid{};
    std::array<std::uint8_t, kTiles> faces{};    // NoTile for tiles no longer on the board
    std::array<std::uint8_t, kTiles> layers{};   // the records' places, used to empty the four
    std::array<std::uint8_t, kTiles> rows{};     // cells of a removed tile exactly as the game
    std::array<std::uint8_t, kTiles> columns{};  // does
};

SolverPosition TakePosition(const Board& board);

enum class SolveAnswer {
    Winnable,     // a winning order was found; it is in the result
    NotWinnable,  // proved: no order of removals empties the board
    Unknown,      // the deadline passed, the work bound ran out or the question was cancelled
};

// When to give up. The deadline is checked every few hundred positions, the flag more often.
struct SolveLimits {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    std::uint64_t maxPositions = 0;             // 0: no bound; a bound makes Unknown repeatable
    const std::atomic<bool>* cancel = nullptr;  // set by another thread to stop at once

    static SolveLimits Within(std::chrono::milliseconds time,
                              const std::atomic<bool>* cancel = nullptr) {
        SolveLimits limits;
        limits.deadline = std::chrono::steady_clock::now() + time;
        limits.cancel = cancel;
        return limits;
    }
};

struct SolveResult {
    SolveAnswer answer = SolveAnswer::Unknown;
    // When Winnable: the pairs to remove, in order (first < second in each); removing them with
    // the game's rules empties the board.
    int pairCount = 0;
    std::array<TilePair, kPairs> pairs{};
    std::uint64_t positions = 0;  // positions searched, for the curious and the benchmarks
};

struct SolverState;

class Solver {
public:
    // The transposition table holds 2^tableBits positions proved lost (32 bytes each); the
    // default, 2^18, reserves 8 MiB, of which only the pages a search writes are taken from the
    // system. Nothing else is allocated after construction. From the
    // attempt `probeFromAttempt` on (the search starts over with a longer share each time), each
    // position also tries every split of its groups of four with the relaxed check: slower per
    // position, far fewer positions on the hardest deals; and when that attempt begins, the splits
    // of groups with tiles in the same rows are tried two groups at a time, once. The first
    // attempts settle most deals without it.
    explicit Solver(int tableBits = 18, int probeFromAttempt = 3);
    ~Solver();
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;

    // Whether the tiles left on the position can all be removed. The same position always gets
    // the same answer and the same order, unless a limit cuts the search short.
    SolveResult Solve(const SolverPosition& position, const SolveLimits& limits);
    SolveResult Solve(const Board& board, const SolveLimits& limits) {
        return Solve(TakePosition(board), limits);
    }

private:
    std::unique_ptr<SolverState> state_;
    int probeFromAttempt_;
};

// How hard ShuffleRemaining tries.
struct ShuffleOptions {
    int attempts = 40;                           // shuffles tried before giving up
    std::uint64_t positionsPerAttempt = 200000;  // work bound of each solve (keeps it repeatable)
    std::chrono::milliseconds timeLimit{2000};   // for the whole shuffle
    const std::atomic<bool>* cancel = nullptr;
};

struct ShuffleResult {
    // The new face of every tile (NoTile for tiles no longer on the board); the faces still on
    // the board, moved among the same tiles.
    std::array<std::uint8_t, kTiles> faces{};
    int attempts = 0;      // shuffles tried
    SolveResult solution;  // the winning order of the arrangement found
};

// Deals the faces still on the board anew over the same tiles until the solver finds the
// arrangement winnable. The shuffles follow from the seed alone, so a seed always gives the same
// faces. False when no tried arrangement was proved winnable (the board is not modified either
// way; `result` then holds the last arrangement tried).
bool ShuffleRemaining(const Board& board, std::uint32_t seed, Solver& solver, ShuffleResult& result,
                      const ShuffleOptions& options = {});
