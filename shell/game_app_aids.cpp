// The aids added to undo and hint: the status bar's word on whether the game can still be won
// (the solver asked on a worker thread), hints that lead to a win, redo and the winnable shuffle.
#include <algorithm>

#include "shell/command_ids.h"
#include "shell/game_app.h"

// ---------------------------------------------------------------------------------------------
// Still winnable?
// ---------------------------------------------------------------------------------------------

void GameApp::WatchPosition() {
    AnnounceChanges();  // the screen reader hears of the change first
    if (shutDown_ || window_ == nullptr) {
        return;  // nothing to show it in
    }
    const std::uint64_t key = PositionKey(board);
    if (!watching_ || key != watchedKey_) {
        watching_ = true;
        watchedKey_ = key;
        ++watchQuestion_;
        answer_ = SolveResult{};
        if (board.tilesLeft > 0 && !editMode) {
            outlook_ = Outlook::Thinking;
            if (!watch_) {
                watch_ = std::make_unique<WinnableWatch>(
                    [this, window = window_, alive = std::weak_ptr<int>(alive_)](
                        std::uint64_t question, const SolveResult& result) {
                        // On the worker's thread: the answer is carried to the window's.
                        window->RunOnWindowThread([this, alive, question, result] {
                            if (alive.expired()) {
                                return;
                            }
                            BoardLock lock(*this);
                            if (!shutDown_) {
                                OnWinnableAnswer(question, result);
                            }
                        });
                    },
                    winnableTimeLimit);
            }
            // The copy is taken under the board lock the caller holds; the solving is not.
            watch_->Ask(watchQuestion_, TakePosition(board));
        } else {
            outlook_ = Outlook::None;
            if (watch_) {
                watch_->Cancel();
            }
        }
    }
    ShowOutlook();
}

void GameApp::AttachWindow(WindowPort* window) {
    // The watch reports to the window it was made with; it ends (waiting for its thread) before
    // that window may go.
    watch_.reset();
    watching_ = false;
    outlook_ = Outlook::None;
    window_ = window;
}

void GameApp::OnWinnableAnswer(std::uint64_t question, const SolveResult& result) {
    if (question != watchQuestion_) {
        return;  // the board has changed since it was asked
    }
    answer_ = result;
    switch (result.answer) {
        case SolveAnswer::Winnable:
            outlook_ = Outlook::Winnable;
            break;
        case SolveAnswer::NotWinnable:
            outlook_ = Outlook::NotWinnable;
            break;
        case SolveAnswer::Unknown:
            outlook_ = Outlook::Unknown;
            break;
    }
    ShowOutlook();
}

void GameApp::ShowOutlook() {
    if (window_ == nullptr) {
        return;
    }
    std::string text;
    // While a hint is shown, the word is about the hint.
    const bool hinting = board.GameOverShown && board.hintIndex < board.moveCount;
    const bool hintedWinning =
        hinting && outlook_ == Outlook::Winnable && answer_.pairCount > 0 &&
        board.moveList[static_cast<std::size_t>(board.hintIndex)].first == answer_.pairs[0].first &&
        board.moveList[static_cast<std::size_t>(board.hintIndex)].second == answer_.pairs[0].second;
    if (editMode) {
        text.clear();
    } else if (hintedWinning) {
        text = Text(TextId::MesHintWinnable);
    } else if (hinting && outlook_ == Outlook::NotWinnable) {
        text = Text(TextId::MesHintNotWinnable);
    } else {
        switch (outlook_) {
            case Outlook::None:
                break;
            case Outlook::Thinking:
                text = Text(TextId::MesWinnableThinking);
                break;
            case Outlook::Winnable:
                text = Text(TextId::MesWinnable);
                break;
            case Outlook::NotWinnable:
                text = Text(TextId::MesNotWinnable);
                break;
            case Outlook::Unknown:
                text = Text(TextId::MesWinnableUnknown);
                break;
        }
    }
    window_->SetOutlookText(text);
    // Autoplay from here is offered only on a board the solver has won.
    if (menusBuilt_) {
        mainMenu_.SetEnabled(command::AUTOPLAY_HERE, KnownWinnable() && !AutoplayActive());
        if (!editorMenuShown_) {
            window_->UpdateMenuStates(mainMenu_);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Hints that lead to a win
// ---------------------------------------------------------------------------------------------

void GameApp::HintWithSolver() {
    board.Hint();
    // The first hint given on a position the solver has won puts the first pair of its winning
    // order where the hint looks, swapping it with the pair listed there: the same pairs in
    // another order, and the one shown first keeps the game winnable.
    const std::uint64_t key = PositionKey(board);
    const bool known =
        watching_ && key == watchedKey_ && outlook_ == Outlook::Winnable && answer_.pairCount > 0;
    if (known && (!hintArranged_ || hintArrangedKey_ != key) && board.moveCount > 0) {
        const int shown = board.hintIndex < board.moveCount ? board.hintIndex : 0;
        const TilePair winning = answer_.pairs[0];
        for (int i = 0; i < board.moveCount; ++i) {
            const TilePair pair = board.moveList[static_cast<std::size_t>(i)];
            if (pair.first == winning.first && pair.second == winning.second) {
                std::swap(board.moveList[static_cast<std::size_t>(i)],
                          board.moveList[static_cast<std::size_t>(shown)]);
                hintArranged_ = true;
                hintArrangedKey_ = key;
                break;
            }
        }
    }
    Tick();
}

// ---------------------------------------------------------------------------------------------
// Autoplay from here
// ---------------------------------------------------------------------------------------------

bool GameApp::KnownWinnable() const {
    return !editMode && watching_ && outlook_ == Outlook::Winnable && answer_.pairCount > 0 &&
           PositionKey(board) == watchedKey_;
}

void GameApp::AutoplayHereCommand() {
    // The order is the solver's answer for this very board; anything else is refused, as the
    // written autoplay refuses a game it has no order for (and a running replay is stopped).
    if (!KnownWinnable() || AutoplayActive()) {
        board.AutoplayRunning = 0;
        ShowMessage(Text(TextId::MesAutoplayHereError), MessageIcon::Information);
        return;
    }
    AutoplayFromHere(answer_.pairs.data(), answer_.pairCount, settings.autoPlaySleep);
}

// ---------------------------------------------------------------------------------------------
// Redo
// ---------------------------------------------------------------------------------------------

void GameApp::RedoCommand() {
    if (!board.Redo()) {
        return;
    }
    PlayEffect(EffectRemove);
    PlaceTiles();
    Tick();
    if (board.moveCount == 0) {
        // The replayed pair ended the game, as it did the first time.
        board.GameOverShown = 1;
        RefreshStatus();
    }
}

// ---------------------------------------------------------------------------------------------
// Shuffle
// ---------------------------------------------------------------------------------------------

void GameApp::ShuffleCommand() {
    // While autoplay replays the deal, the faces it removes must stay the ones it recorded.
    if (editMode || board.tilesLeft < 2 || AutoplayActive()) {
        return;
    }
    ShuffleResult shuffled;
    bool found = false;
    {
        BusyCursor busy(*this);
        // A solver of its own: the watch's is busy on its thread. A smaller table does: each
        // arrangement tried is bounded anyway.
        auto solver = std::make_unique<Solver>(16);
        const std::uint32_t seed = static_cast<std::uint32_t>(board.millisecondSource()) * 7919u +
                                   board.gameSerial * 131u +
                                   static_cast<std::uint32_t>(board.undoCount);
        found = ShuffleRemaining(board, seed, *solver, shuffled);
    }
    if (!found) {
        ShowMessage(Text(TextId::MesShuffleFailed), MessageIcon::Information);
        return;
    }
    ShuffleStep step;
    step.gameSerial = board.gameSerial;
    step.undoCount = board.undoCount;
    for (int t = 0; t < kTiles; ++t) {
        step.faces[static_cast<std::size_t>(t)] = board.tiles[static_cast<std::size_t>(t)].face;
    }
    std::erase_if(shuffles_,
                  [this](const ShuffleStep& s) { return s.gameSerial != board.gameSerial; });
    shuffles_.push_back(step);
    board.ApplyShuffle(shuffled.faces);
    board.UpdateFreeTiles();
    board.UpdateShadows();
    // The shuffle's own solve already knows the answer: nothing to ask.
    watching_ = window_ != nullptr;
    watchedKey_ = PositionKey(board);
    ++watchQuestion_;
    if (watch_) {
        watch_->Cancel();
    }
    answer_ = shuffled.solution;
    outlook_ = Outlook::Winnable;
    PlaceTiles();
    Tick();
}

bool GameApp::UndoLastShuffle() {
    std::erase_if(shuffles_,
                  [this](const ShuffleStep& s) { return s.gameSerial != board.gameSerial; });
    if (shuffles_.empty() || shuffles_.back().undoCount != board.undoCount) {
        return false;
    }
    const ShuffleStep& step = shuffles_.back();
    for (int t = 0; t < kTiles; ++t) {
        TileRecord& tile = board.tiles[static_cast<std::size_t>(t)];
        if (tile.face != NoTile) {
            tile.face = step.faces[static_cast<std::size_t>(t)];
        }
    }
    shuffles_.pop_back();
    board.firstSelected = NoTile;
    board.secondSelected = NoTile;
    board.hintIndex = 0;
    board.moveCount = 0;
    // The pairs taken back after the shuffle had its faces: they cannot be replayed now.
    board.EndRedoChain();
    return true;
}

void GameApp::UndoWithShuffles() {
    if (!UndoLastShuffle()) {
        UndoCommand();
        return;
    }
    board.UpdateFreeTiles();
    board.UpdateShadows();
    PlaceTiles();
    Tick();
}

void GameApp::RestartWithShuffles() {
    for (;;) {
        if (UndoLastShuffle()) {
            continue;
        }
        if (!board.Undo()) {
            break;
        }
    }
    RestartCommand();
}
