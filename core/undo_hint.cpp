// Undo, restart and hints on the board, and the commands of the application object that use
// them (UNDO, RESTART_GAME, HINT, EASYMODE).
#include <algorithm>
#include <cassert>
#include <limits>

#include "core/game_core.h"

namespace {

// The chrono never wraps round, however many hints a very long game takes.
std::int32_t AddSeconds(std::int32_t chrono, std::int32_t seconds) {
    if (chrono > std::numeric_limits<std::int32_t>::max() - seconds) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return chrono + seconds;
}

}  // namespace

bool Board::Undo() {
    bool result = false;
    if (undoCount > 0) {
        assert(undoCount <= kUndoSlots);
        --undoCount;
        const UndoEntry entry = undoStack[static_cast<std::size_t>(undoCount)];
        // Every entry below the count was written by a removal, or checked when its game was
        // loaded: two removed tiles.
        assert(IsTile(entry.firstTile) && IsTile(entry.secondTile));
        assert(tiles[entry.firstTile].face == NoTile && tiles[entry.secondTile].face == NoTile);
        tiles[entry.firstTile].face = entry.firstFace;
        tiles[entry.secondTile].face = entry.secondFace;
        FillTileCells(entry.firstTile, entry.firstTile);
        FillTileCells(entry.secondTile, entry.secondTile);
        tilesLeft = static_cast<std::int16_t>(tilesLeft + 2);
        hintIndex = 0;
        moveCount = 0;
        result = true;
    }
    firstSelected = NoTile;
    secondSelected = NoTile;
    return result;
}

void Board::RestartGame() {
    while (undoCount > 0) {
        Undo();
    }
    UpdateFreeTiles();
    UpdateShadows();
    ResetPlayState();
}

void Board::Hint() {
    chronoSeconds = AddSeconds(chronoSeconds, 60);
    hintIndex += 1;
    GameOverShown = 1;
    // After a deal, an undo or a removal the list is stale or empty: the first hint builds it.
    if (hintIndex > moveCount) {
        hintIndex = 0;
        BuildMoveList(false);
    }
}

bool Board::IsHintTile(int t) {
    // The views ask for the tiles they draw; the index only ever counts up from 0.
    assert(IsTile(t));
    assert(hintIndex >= 0);
    if (!GameOverShown) {
        return false;
    }
    // One step past the last pair shows the first pair again.
    if (hintIndex >= moveCount) {
        hintIndex = 0;
    }
    if (moveCount <= 0) {
        return false;
    }
    const TilePair& pair = moveList[static_cast<std::size_t>(hintIndex)];
    return t == pair.first || t == pair.second;
}

bool Board::CanRedo() const {
    if (undoCount < 0 || undoCount >= redoLimit || undoCount >= kUndoSlots) {
        return false;
    }
    const UndoEntry& e = undoStack[static_cast<std::size_t>(undoCount)];
    return IsTile(e.firstTile) && IsTile(e.secondTile) && e.firstTile != e.secondTile &&
           tiles[e.firstTile].face == e.firstFace && tiles[e.secondTile].face == e.secondFace &&
           e.firstFace != NoTile && e.secondFace != NoTile && CanMatch(e.firstTile, e.secondTile);
}

bool Board::Redo() {
    if (!CanRedo()) {
        return false;
    }
    const UndoEntry e = undoStack[static_cast<std::size_t>(undoCount)];
    // The entry is written again with the same bytes, and the chain beyond it stays.
    TakePairOut(e.firstTile, e.secondTile);
    UpdateFreeTiles();
    UpdateShadows();
    firstSelected = NoTile;
    secondSelected = NoTile;
    BuildMoveList(false);
    return true;
}

void Board::EndRedoChain() {
    redoLimit = undoCount;
    for (int k = std::max<int>(undoCount, 0); k < kUndoSlots; ++k) {
        undoStack[static_cast<std::size_t>(k)] = UndoEntry{};
    }
}

void Board::ApplyShuffle(const std::array<std::uint8_t, kTiles>& faces) {
    for (int t = 0; t < kTiles; ++t) {
        // The shuffle moves faces among the tiles still there and leaves the others gone.
        assert((tiles[t].face == NoTile) == (faces[t] == NoTile));
        if (tiles[t].face != NoTile) {
            tiles[t].face = faces[t];
        }
    }
    chronoSeconds = AddSeconds(chronoSeconds, 60);
    firstSelected = NoTile;
    secondSelected = NoTile;
    hintIndex = 0;
    moveCount = 0;
    Shuffled = 1;
    EndRedoChain();
}

// ---------------------------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------------------------

void GameCore::UndoCommand() {
    if (!board.Undo()) {
        ShowMessage(LanguageText("MesUndo"), MessageIcon::Information);
    }
    board.UpdateFreeTiles();
    board.UpdateShadows();
    PlaceTiles();
    Tick();
}

void GameCore::RestartCommand() {
    board.RestartGame();
    PlaceTiles();
    Tick();
}

void GameCore::HintCommand() {
    board.Hint();
    Tick();
}

bool GameCore::EasyModeCommand() {
    if (ShowMessage(LanguageText("MesEasyMode"), MessageIcon::Information,
                    MessageButtons::OkCancel) != MessageAnswer::Ok) {
        return false;
    }
    settings.easyMode = !settings.easyMode;
    return true;
}
