// Layout files in all three formats (a 308-byte file is binary; with the grid switch on a file
// starting with 'K' is a grid, else lines), then what a player does with a layout: a deal, a few
// removals by clicks, undo, restart, and the 2D board composed and clicked.
#include <algorithm>

#include "core/game_core.h"
#include "fuzz/fuzz_support.h"
#include "view2d/view2d.h"

namespace {

Board& EmptyBoard() {
    static Board empty;
    return empty;
}

// A 2D view with a small tile set of one colour per face, made once: composing is what is
// fuzzed here, not the resampler (the picture targets do that).
View2D& SharedView() {
    static View2D* view = [] {
        auto* v = new View2D;
        Image picture;
        picture.CreateFilled(9 * 18, 5 * 20, 3);
        for (int y = 0; y < picture.Height(); ++y) {
            for (int x = 0; x < picture.Width(); ++x) {
                picture.Row(y)[x * 3] = static_cast<std::uint8_t>(x / 18 * 25 + y / 20 * 5);
            }
        }
        v->Tiles().source = std::move(picture);
        v->Tiles().hasSource = true;
        v->options.showBackground = false;
        v->minFrameMicroseconds = 0;
        v->sources.editing = [] { return false; };
        v->sources.board = &EmptyBoard();
        static EditorBoard editor;
        v->sources.editor = &editor;
        v->Resize(324, 234);
        return v;
    }();
    return *view;
}

int FirstTileLeft(const Board& board) {
    for (int t = 0; t < kTiles; ++t) {
        if (board.tiles[static_cast<std::size_t>(t)].face != NoTile) {
            return t;
        }
    }
    return NoTile;
}

void Play(GameCore& game) {
    Board& board = game.board;
    board.millisecondSource = [] { return 417; };
    game.NewGame();
    FUZZ_CHECK(board.tilesLeft == kTiles);
    // A few pairs the move list offers, removed as a player would: two clicks each.
    for (int step = 0; step < 3 && board.moveCount > 0; ++step) {
        const TilePair pair = board.moveList[0];
        FUZZ_CHECK(board.IsFree(pair.first) && board.IsFree(pair.second));
        game.ClickTile(pair.first);
        game.ClickTile(pair.second);
        FUZZ_CHECK(board.tilesLeft == kTiles - 2 * (step + 1));
    }
    game.UndoCommand();
    View2D& view = SharedView();
    view.sources.board = &board;
    view.PlaceTiles();
    FUZZ_CHECK(view.ComposeFrame());
    // Clicks across the view: every hit must be a tile of the board.
    for (int y = 0; y < view.ViewHeight(); y += 23) {
        for (int x = 0; x < view.ViewWidth(); x += 17) {
            const HitResult2D hit = view.HitTest2D(x, y, 0);
            if (hit.kind == HitResult2D::Tile) {
                FUZZ_CHECK(board.IsTile(hit.tile));
                game.ClickTile(hit.tile);
            }
        }
    }
    game.RestartCommand();
    FUZZ_CHECK(board.tilesLeft == kTiles && FirstTileLeft(board) != NoTile);
    view.PlaceTiles();
    FUZZ_CHECK(view.ComposeFrame());
    view.sources.board = &EmptyBoard();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const bool gridFormat : {false, true}) {
        GameCore game;
        game.settings.lay = gridFormat;
        // Easy mode with a short search keeps a layout without any winning order quick.
        game.settings.easyMode = gridFormat;
        game.board.solvableAttempts = 3;
        if (game.board.ReadLayout(data, size, gridFormat)) {
            Play(game);
        }
    }
    return 0;
}
