// Whether the game on the board can still be won, asked of the exact solver on a worker thread of
// its own, so a click never waits for the answer.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "core/solver.h"

// One long-lived thread answers one question at a time. A new question replaces the one waiting
// and cancels the one being solved: only the newest position matters to the player. Each answer
// is handed, on the worker's thread, to the report given at construction, with the number of the
// question it answers; an answer to a replaced question is never reported.
class WinnableWatch {
public:
    using Report = std::function<void(std::uint64_t question, const SolveResult& result)>;

    // `limit` is the time a question may take before its answer is Unknown.
    explicit WinnableWatch(Report report,
                           std::chrono::milliseconds limit = std::chrono::milliseconds(2000));
    // Cancels the question being solved and waits for the thread.
    ~WinnableWatch();
    WinnableWatch(const WinnableWatch&) = delete;
    WinnableWatch& operator=(const WinnableWatch&) = delete;

    // Asks about `position`; returns at once. The thread starts with the first question.
    void Ask(std::uint64_t question, const SolverPosition& position);
    // Drops the question waiting and cancels the one being solved; nothing more is reported
    // until the next Ask.
    void Cancel();

private:
    void Run();

    Report report_;
    std::chrono::milliseconds limit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool pending_ = false;
    bool stopping_ = false;
    std::uint64_t latest_ = 0;  // the newest question; answers to older ones are dropped
    SolverPosition position_;
    std::atomic<bool> cancel_{false};
    std::thread thread_;
};

// A number that tells positions apart: the faces and places of the tiles on the board. Equal
// positions give equal keys, so a command that changed nothing asks nothing again.
std::uint64_t PositionKey(const Board& board);
