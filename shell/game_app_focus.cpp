// Keyboard play and the screen reader: the keys that move the keyboard focus over the board and
// click the focused tile, the focused tile and the board's counts in words, and the announcement
// of every removed pair, hint, win and loss, whatever made them happen.
#include <string>

#include "core/tile_focus.h"
#include "shell/game_app.h"

void GameApp::KeyPressed(KeyCode key) {
    if (!FocusKey(key)) {
        OnKey(key);
    }
}

bool GameApp::FocusKey(KeyCode key) {
    int direction = -1;  // a FocusDirection, or -1 for a key that is not a direction
    switch (key) {
        case KeyCode::LetterH:
        case KeyCode::CtrlLeft:
            direction = static_cast<int>(FocusDirection::Left);
            break;
        case KeyCode::LetterL:
        case KeyCode::CtrlRight:
            direction = static_cast<int>(FocusDirection::Right);
            break;
        case KeyCode::LetterK:
        case KeyCode::CtrlUp:
            direction = static_cast<int>(FocusDirection::Up);
            break;
        case KeyCode::LetterJ:
        case KeyCode::CtrlDown:
            direction = static_cast<int>(FocusDirection::Down);
            break;
        case KeyCode::Tab:
        case KeyCode::ShiftTab:
        case KeyCode::CtrlPageUp:
        case KeyCode::CtrlPageDown:
        case KeyCode::Space:
        case KeyCode::Return:
        case KeyCode::Escape:
            break;
        default:
            return false;
    }
    // The layout editor has no tiles to play, and a paused board hides its faces: the focus
    // would give them away.
    if (IsShutDown() || editMode || board.ChronoPaused) {
        return true;
    }
    if (key == KeyCode::Space || key == KeyCode::Return) {
        const int tile = focusTile_;
        if (tile == NoTile) {
            BoardLock lock(*this);
            MoveFocus(NextFreeTile(board, NoTile, true));
            return true;
        }
        // The very click a mouse gives, so selection, removal, sounds and the win are the same.
        Click([this, tile] { ClickTile(tile); });
        if (WindowPort* window = Window()) {
            window->FocusMoved();  // "selected" was added or dropped, or the tile is gone
        }
        return true;
    }
    BoardLock lock(*this);
    if (key == KeyCode::Escape) {
        board.firstSelected = NoTile;
        board.secondSelected = NoTile;
        Tick();
        if (WindowPort* window = Window()) {
            window->FocusMoved();
        }
        return true;
    }
    int next = focusTile_;
    if (key == KeyCode::Tab || key == KeyCode::ShiftTab) {
        next = NextFreeTile(board, focusTile_, key == KeyCode::Tab);
    } else if (focusTile_ == NoTile) {
        next = NextFreeTile(board, NoTile, true);  // the first key only shows where the focus is
    } else if (direction >= 0) {
        next = NearestInDirection(board, focusTile_, static_cast<FocusDirection>(direction));
    } else {
        next = TileOnNextLayer(board, focusTile_, key == KeyCode::CtrlPageUp ? 1 : -1);
    }
    MoveFocus(next);
    return true;
}

void GameApp::MoveFocus(int tile) {
    focusTile_ = tile;
    Tick();
    if (WindowPort* window = Window()) {
        window->FocusMoved();
    }
}

std::string GameApp::FocusText() {
    BoardLock lock(*this);
    const std::string boardName = Text(TextId::AccBoard);
    if (editMode) {
        return boardName;
    }
    if (board.ChronoPaused) {
        return boardName + ", " + Text(TextId::MesChronoPaused);
    }
    const int tile = KeepFocusOnBoard(board, focusTile_);
    if (tile == NoTile) {
        return boardName + ": " + Text(TextId::AccNoFocus);
    }
    return DescribeTile(board, tile, [this](const char* key) { return LanguageText(key); });
}

std::string GameApp::BoardCountsText() {
    BoardLock lock(*this);
    return FillText(Text(TextId::AccCounts), std::to_string(board.tilesLeft),
                    std::to_string(FreePairs(board)));
}

void GameApp::AnnounceChanges() {
    if (editMode || IsShutDown()) {
        return;
    }
    BoardLock lock(*this);
    // A removal, undo or new deal may have taken the focused tile away.
    const int kept = KeepFocusOnBoard(board, focusTile_);
    const bool focusMoved = kept != focusTile_;
    focusTile_ = kept;

    SeenBoard now;
    now.gameSerial = board.gameSerial;
    now.tilesLeft = board.tilesLeft;
    now.undoCount = board.undoCount;
    if (board.GameOverShown && board.moveCount > 0 && board.hintIndex >= 0) {
        // The views show the first pair again once the index has run past the list.
        const int index = board.hintIndex < board.moveCount ? board.hintIndex : 0;
        now.hintFirst = board.moveList[static_cast<std::size_t>(index)].first;
        now.hintSecond = board.moveList[static_cast<std::size_t>(index)].second;
    }
    now.over = board.tilesLeft == 0 || (board.tilesLeft > 0 && board.moveCount == 0);

    const auto text = [this](const char* key) { return LanguageText(key); };
    std::string words;
    const bool sameGame = seen_.tilesLeft >= 0 && now.gameSerial == seen_.gameSerial;
    if (sameGame && now.tilesLeft == seen_.tilesLeft - 2 && now.undoCount == seen_.undoCount + 1 &&
        now.undoCount > 0 && now.undoCount <= kUndoSlots) {
        const UndoEntry& removed = board.undoStack[static_cast<std::size_t>(now.undoCount - 1)];
        words = FillText(Text(TextId::AccRemoved), FaceName(removed.firstFace, text),
                         FaceName(removed.secondFace, text));
    }
    if (sameGame && now.hintFirst != NoTile &&
        (now.hintFirst != seen_.hintFirst || now.hintSecond != seen_.hintSecond)) {
        words = FillText(Text(TextId::AccHint), DescribeTile(board, now.hintFirst, text),
                         DescribeTile(board, now.hintSecond, text));
    }
    if (sameGame && now.over && !seen_.over) {
        words += (words.empty() ? "" : ". ") +
                 LanguageText(now.tilesLeft == 0 ? "MesStatusWin" : "MesStatusLose");
    }
    seen_ = now;
    WindowPort* window = Window();
    if (!words.empty()) {
        announcement_ = words;
        if (window != nullptr) {
            window->Announce(words);
        }
    }
    if (focusMoved && window != nullptr) {
        window->FocusMoved();
    }
}
