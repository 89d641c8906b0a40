// The play rules on the board: free tiles, the list of playable pairs and taking a pair out.
#include "core/board.h"

#include <cassert>

void Board::UpdateFreeTiles() {
    constexpr std::uint8_t kHeld = 2;  // removed or covered, for the length of this sweep
    for (TileRecord& t : tiles) {
        t.state = t.face == NoTile ? kHeld : 0;
    }

    // Any tile on the layer directly above, even over a quarter of a tile, covers it.
    for (int cell = kRows * kColumns; cell < kCells; ++cell) {
        const int above = tileGrid[cell];
        const int below = tileGrid[cell - kRows * kColumns];
        if (above < kTiles && below < kTiles) {
            tiles[below].state = kHeld;
        }
    }

    auto setFree = [this](int t) {
        if (t < kTiles && tiles[t].state != kHeld) {
            tiles[t].state = 1;
        }
    };
    auto empty = [this](int layer, int row, int column) {
        return tileGrid[CellIndex(layer, row, column)] == NoTile;
    };
    for (int layer = 0; layer < kLayers; ++layer) {
        for (int row = 0; row < kRows; ++row) {
            // The board's edges are always open.
            setFree(tileGrid[CellIndex(layer, row, 0)]);
            setFree(tileGrid[CellIndex(layer, row, kColumns - 1)]);
            if (row == kRows - 1) {
                continue;
            }
            // A side is open when a column beside the tile is empty in both of its rows; a tile
            // half a tile higher or lower there blocks it.
            for (int x = 0; x < kColumns; ++x) {
                const int t = tileGrid[CellIndex(layer, row, x)];
                if (t >= kTiles || tileGrid[CellIndex(layer, row + 1, x)] != t) {
                    continue;
                }
                const bool openLeft =
                    x >= 2 && empty(layer, row, x - 2) && empty(layer, row + 1, x - 2);
                const bool openRight =
                    x <= kColumns - 3 && empty(layer, row, x + 2) && empty(layer, row + 1, x + 2);
                if (openLeft || openRight) {
                    setFree(t);
                }
            }
        }
    }

    for (TileRecord& t : tiles) {
        if (t.state == kHeld) {
            t.state = 0;
        }
    }
}

void Board::BuildMoveList(bool limited) {
    moveCount = 0;
    moveList[0] = TilePair{};
    // Each pair once, as (smaller, larger), ordered by the smaller number, then the larger.
    for (int i = 0; i < kTiles; ++i) {
        if (tiles[i].state != 1) {
            continue;
        }
        for (int j = i + 1; j < kTiles; ++j) {
            if (tiles[j].state != 1 || !FacesMatch(tiles[i].face, tiles[j].face)) {
                continue;
            }
            moveList[moveCount++] =
                TilePair{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(j)};
            if (limited && moveCount > pairLimit) {
                hintIndex = 0;
                return;
            }
        }
    }
    hintIndex = 0;
}

bool Board::CanMatch(int a, int b) const {
    return IsFree(a) && IsFree(b) && a != b && FacesMatch(tiles[a].face, tiles[b].face);
}

void Board::RemovePairTiles(int a, int b) {
    TakePairOut(a, b);
    EndRedoChain();
}

void Board::TakePairOut(int a, int b) {
    // The pair comes from a matched click, the move list or the deal order: two tiles still on
    // the board, and a game never has more removals than its stack has room for.
    assert(IsTile(a) && IsTile(b) && a != b);
    assert(tiles[a].face != NoTile && tiles[b].face != NoTile);
    assert(undoCount >= 0 && undoCount < kUndoSlots);
    undoStack[undoCount] = UndoEntry{tiles[a].face, tiles[b].face, static_cast<std::uint8_t>(a),
                                     static_cast<std::uint8_t>(b)};
    ++undoCount;
    FillTileCells(a, NoTile);
    FillTileCells(b, NoTile);
    tiles[a].face = NoTile;
    tiles[b].face = NoTile;
    tilesLeft = static_cast<std::int16_t>(tilesLeft - 2);
    hintIndex = 0;
    moveCount = 0;
}
