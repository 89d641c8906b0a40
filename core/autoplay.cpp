// Autoplay: a worker thread replays the removal order recorded by the easy-mode deal, one pair
// per step, then puts the game back at its start. The board lock that makes each step atomic to
// the window thread lives here too.
#include <algorithm>
#include <chrono>
#include <cstring>

#include "core/game_core.h"

// ---------------------------------------------------------------------------------------------
// The board lock
// ---------------------------------------------------------------------------------------------

BoardLock::BoardLock(GameCore& game) : game_(game) {
    if (game_.boardOwner_.load() == std::this_thread::get_id()) {
        nested_ = true;
        return;
    }
    game_.boardMutex.lock();
    game_.boardOwner_.store(std::this_thread::get_id());
}

BoardLock::~BoardLock() {
    if (!nested_) {
        game_.boardOwner_.store(std::thread::id());
        game_.boardMutex.unlock();
    }
}

BoardUnlock::BoardUnlock(GameCore& game) : game_(game) {
    if (game_.boardOwner_.load() == std::this_thread::get_id()) {
        released_ = true;
        game_.boardOwner_.store(std::thread::id());
        game_.boardMutex.unlock();
    }
}

BoardUnlock::~BoardUnlock() {
    if (released_) {
        game_.boardMutex.lock();
        game_.boardOwner_.store(std::this_thread::get_id());
    }
}

// ---------------------------------------------------------------------------------------------
// The worker
// ---------------------------------------------------------------------------------------------

GameCore::~GameCore() {
    StopAutoplay();
}

bool GameCore::AutoplayCommand() {
    board.AutoplayRunning = 1;
    // A replay only makes sense on the untouched easy-mode deal it was recorded for: an easy-mode
    // deal that found no winnable order was dealt at random and recorded none. A second
    // AUTOPLAY while one runs is refused too, and its refusal stops the running one. A shuffled
    // deal no longer has the faces the order was recorded for.
    const bool refused = AutoplayActive() || !settings.easyMode || board.tilesLeft != kTiles ||
                         board.LoadedGame || board.Shuffled ||
                         board.lastDeal != DealResult::Solvable;
    if (refused) {
        board.AutoplayRunning = 0;
        ShowMessage(LanguageText("MesAutoplayError"), MessageIcon::Information);
        return false;
    }
    if (autoplayThread_.joinable()) {
        autoplayThread_.join();  // the last replay has ended; only its thread is left
    }
    autoplayActive_ = true;
    autoplayThread_ =
        std::thread(&GameCore::AutoplayWorker, this, board.gameSerial, settings.autoPlaySleep);
    return true;
}

bool GameCore::AutoplayFromHere(const TilePair* pairs, int count, int delay) {
    if (AutoplayActive() || count <= 0 || count > kPairs) {
        board.AutoplayRunning = 0;
        return false;
    }
    if (autoplayThread_.joinable()) {
        autoplayThread_.join();
    }
    std::copy(pairs, pairs + count, autoplayPairs_.begin());
    autoplayPairCount_ = count;
    autoplayFromHere_ = true;
    hereUndoCount_ = board.undoCount;
    hereRedoLimit_ = board.redoLimit;
    hereChrono_ = board.chronoSeconds;
    hereUndoStack_ = board.undoStack;
    board.firstSelected = NoTile;
    board.secondSelected = NoTile;
    board.AutoplayRunning = 1;
    autoplayActive_ = true;
    autoplayThread_ = std::thread(&GameCore::AutoplayWorker, this, board.gameSerial, delay);
    return true;
}

void GameCore::RestoreAfterAutoplay() {
    // Only the worker's own removals are taken back: when an UNDO, a load or anything else
    // changed the pairs below the starting point, the game is left as it is.
    const bool ours =
        board.undoCount >= hereUndoCount_ &&
        std::memcmp(hereUndoStack_.data(), board.undoStack.data(),
                    sizeof(UndoEntry) * static_cast<std::size_t>(hereUndoCount_)) == 0;
    if (!ours) {
        return;
    }
    while (board.undoCount > hereUndoCount_ && board.Undo()) {
    }
    board.undoStack = hereUndoStack_;
    board.redoLimit = hereRedoLimit_;
    board.chronoSeconds = hereChrono_;
    board.GameOverShown = 0;
    board.UpdateFreeTiles();
    board.UpdateShadows();
}

void GameCore::StopAutoplay() {
    board.AutoplayRunning = 0;
    if (autoplayThread_.joinable() && autoplayThread_.get_id() != std::this_thread::get_id()) {
        // The worker needs the board to finish its step and restart the game: a caller that
        // holds it through a BoardLock lets go while waiting.
        BoardUnlock unlock(*this);
        autoplayThread_.join();
    }
}

void GameCore::AutoplayWait(int a, int b, int delay) {
    (void)a;
    (void)b;
    // Sleep in short slices so a click or a second AUTOPLAY stops the replay at once.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(delay);
    while (board.AutoplayRunning && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void GameCore::AutoplayWorker(std::uint32_t serial, int delay) {
    // The replay goes on while nobody has stopped it and the game is still the one it started
    // on: a new deal, a restart or a loaded game ends it (and that game is then left alone).
    auto stillReplaying = [this, serial] {
        return board.AutoplayRunning && board.gameSerial == serial;
    };
    const bool fromHere = autoplayFromHere_;
    const int steps = fromHere ? autoplayPairCount_ : kPairs;
    for (int step = 0; step < steps; ++step) {
        int a = NoTile;
        int b = NoTile;
        {
            BoardLock lock(*this);
            if (!stillReplaying()) {
                break;
            }
            if (fromHere) {
                a = autoplayPairs_[static_cast<std::size_t>(step)].first;
                b = autoplayPairs_[static_cast<std::size_t>(step)].second;
            } else {
                a = board.dealOrder[static_cast<std::size_t>(2 * step)];
                b = board.dealOrder[static_cast<std::size_t>(2 * step + 1)];
            }
            board.firstSelected = static_cast<std::int16_t>(a);
            board.secondSelected = static_cast<std::int16_t>(b);
        }
        if (a == NoTile || b == NoTile) {
            continue;
        }
        AutoplayRedraw(false);
        AutoplayWait(a, b, delay);
        {
            BoardLock lock(*this);
            if (!stillReplaying()) {
                break;
            }
            // Whatever the window thread did meanwhile, the worker only ever takes out a pair
            // that is on the board and matches, so the counters and the undo stack stay true.
            const bool present = board.IsTile(a) && board.IsTile(b) && a != b &&
                                 board.tiles[a].face != NoTile && board.tiles[b].face != NoTile &&
                                 FacesMatch(board.tiles[a].face, board.tiles[b].face);
            if (!present) {
                continue;
            }
            board.RemovePairTiles(a, b);
            // The pair has left the board, so nothing stays selected: a game saved before the
            // next step must not name a removed tile as its selection (the loader refuses it).
            board.firstSelected = NoTile;
            board.secondSelected = NoTile;
            board.UpdateShadows();
            // Still under the lock, so the effect may read the board's sound settings.
            PlayEffect(EffectRemove);
        }
        AutoplayRedraw(false);
    }

    bool restarted = false;
    {
        BoardLock lock(*this);
        if (board.gameSerial == serial) {
            board.firstSelected = NoTile;
            board.secondSelected = NoTile;
            if (fromHere) {
                RestoreAfterAutoplay();
            } else {
                board.RestartGame();
            }
            restarted = true;
        }
        autoplayFromHere_ = false;
    }
    if (restarted) {
        AutoplayRedraw(true);
    }
    board.AutoplayRunning = 0;
    autoplayActive_ = false;
}
