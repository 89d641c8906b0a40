// The worker thread that asks the solver whether the game can still be won.
#include "shell/winnable_watch.h"

#include <memory>

WinnableWatch::WinnableWatch(Report report, std::chrono::milliseconds limit)
    : report_(std::move(report)), limit_(limit) {}

WinnableWatch::~WinnableWatch() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_ = false;
        cancel_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void WinnableWatch::Ask(std::uint64_t question, const SolverPosition& position) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        latest_ = question;
        position_ = position;
        pending_ = true;
        cancel_ = true;  // the question being solved, if any, is out of date
        if (!thread_.joinable()) {
            thread_ = std::thread(&WinnableWatch::Run, this);
        }
    }
    wake_.notify_all();
}

void WinnableWatch::Cancel() {
    std::lock_guard lock(mutex_);
    pending_ = false;
    ++latest_;  // whatever is being solved now is answered to nobody
    cancel_ = true;
}

void WinnableWatch::Run() {
    // The solver's tables are allocated once, for the life of the thread.
    auto solver = std::make_unique<Solver>();
    auto position = std::make_unique<SolverPosition>();
    for (;;) {
        std::uint64_t question = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return pending_ || stopping_; });
            if (stopping_) {
                return;
            }
            pending_ = false;
            question = latest_;
            *position = position_;
            cancel_ = false;
        }
        const SolveResult result = solver->Solve(*position, SolveLimits::Within(limit_, &cancel_));
        {
            std::lock_guard lock(mutex_);
            if (stopping_ || question != latest_) {
                continue;  // replaced or cancelled meanwhile
            }
        }
        // Reported outside the lock: the report may post to the window, which may ask again.
        report_(question, result);
    }
}

std::uint64_t PositionKey(const Board& board) {
    // FNV-1a over what makes the position: each tile's face and place.
    std::uint64_t key = 1469598103934665603ull;
    auto mix = [&key](std::uint8_t byte) {
        key ^= byte;
        key *= 1099511628211ull;
    };
    for (const TileRecord& tile : board.tiles) {
        mix(tile.face);
        mix(tile.layer);
        mix(tile.row);
        mix(tile.column);
    }
    return key;
}
