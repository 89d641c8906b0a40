// Saved games: the bytes as a saved game and, when the board takes it, the game played on from
// there: pairs removed by clicks, a hint, every removal undone (the file's own history with it),
// a restart, and the end of the game when the board empties.
#include "core/game_core.h"
#include "fuzz/fuzz_support.h"

namespace {

int TilesOnBoard(const Board& board) {
    int count = 0;
    for (const TileRecord& record : board.tiles) {
        count += record.face != NoTile ? 1 : 0;
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    GameCore game;
    Board& board = game.board;
    if (!board.ReadGame(data, size)) {
        return 0;
    }
    FUZZ_CHECK(board.LoadedGame == 1 && TilesOnBoard(board) == board.tilesLeft);
    board.BuildMoveList(false);
    game.ClickTile(board.firstSelected);  // the selection the file kept, clicked off again
    for (int step = 0; step < 80 && board.moveCount > 0; ++step) {
        const TilePair pair = board.moveList[0];
        game.ClickTile(pair.first);
        game.ClickTile(pair.second);
        game.RefreshStatus();
    }
    FUZZ_CHECK(TilesOnBoard(board) == board.tilesLeft);
    game.HintCommand();
    while (board.undoCount > 0) {
        game.UndoCommand();
    }
    FUZZ_CHECK(board.tilesLeft == kTiles && TilesOnBoard(board) == kTiles);
    game.RestartCommand();
    FUZZ_CHECK(board.tilesLeft == kTiles);
    game.StatusLine();
    return 0;
}
