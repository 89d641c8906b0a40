// The layout editor's board: adding and removing positions, rebuilding the tiles it shows.
#include "core/editor_board.h"

void EditorBoard::EditorClear() {
    positionCount = 0;
    positionGrid.fill(0);
}

void EditorBoard::EditorRebuild() {
    for (TileRecord& t : tiles) {
        t.face = NoTile;
    }
    positionCount = 0;
    tileGrid.fill(NoTile);
    for (int layer = 0; layer < kLayers; ++layer) {
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                const int cell = CellIndex(layer, row, column);
                if (positionGrid[cell] != 1) {
                    continue;
                }
                // A layout read from a file may put a position on the last row or column. It has
                // no room for a whole tile, so it could never be shown, clicked away or played,
                // and a layout saved with it would be refused: the editor drops it.
                if (row > kLastTileRow || column > kLastTileColumn) {
                    positionGrid[cell] = 0;
                    continue;
                }
                positionGrid[cell + 1] = 2;
                positionGrid[cell + kColumns] = 2;
                positionGrid[cell + kColumns + 1] = 2;
                if (positionCount < kTiles) {
                    tiles[positionCount].face = static_cast<std::uint8_t>(positionCount);
                }
                ++positionCount;
            }
        }
    }
}

void EditorBoard::Renumber() {
    const int numbered = NumberTiles();
    // Records without a place (positions beyond the 144th, or on the last row or column) are
    // not shown.
    for (int t = numbered; t < kTiles; ++t) {
        tiles[t].face = NoTile;
    }
}

void EditorBoard::StartFrom(const PositionGrid& layout) {
    positionGrid = layout;
    EditorRebuild();
    Renumber();
}

int EditorBoard::CellUnder(int layer, int x, int y, const EditorCellShape& shape) const {
    for (int row = 0; row <= kLastTileRow; ++row) {
        for (int column = 0; column <= kLastTileColumn; ++column) {
            const int cell = CellIndex(layer, row, column);
            const long left = static_cast<long>(cellX[cell]) + shape.offsetX;
            const long top = cellY[cell];
            if (x >= left && x < left + shape.width && y >= top && y < top + shape.height) {
                return cell;
            }
        }
    }
    return -1;
}

int EditorBoard::AddTarget(int x, int y, const EditorCellShape& shape) const {
    if (positionCount >= kTiles) {
        return -1;
    }
    for (int layer = 0; layer < kLayers; ++layer) {
        const int cell = CellUnder(layer, x, y, shape);
        if (cell < 0) {
            continue;
        }
        if (positionGrid[cell] == 0 && positionGrid[cell + 1] == 0 &&
            positionGrid[cell + kColumns] == 0 && positionGrid[cell + kColumns + 1] == 0) {
            return cell;
        }
    }
    return -1;
}

bool EditorBoard::EditorClick(int x, int y, EditorButton button, const EditorCellShape& shape) {
    bool changed = false;
    if (button == EditorButton::Add) {
        const int cell = AddTarget(x, y, shape);
        if (cell >= 0) {
            positionGrid[cell] = 1;
            positionGrid[cell + 1] = 2;
            positionGrid[cell + kColumns] = 2;
            positionGrid[cell + kColumns + 1] = 2;
            changed = true;
        }
    } else {
        for (int layer = kLayers - 1; layer >= 0 && !changed; --layer) {
            const int cell = CellUnder(layer, x, y, shape);
            if (cell < 0 || positionGrid[cell] != 1) {
                continue;
            }
            positionGrid[cell] = 0;
            // Only the position's own quarters are cleared: in a layout read from a file a
            // partly overlapping neighbour may start in one of them, and it stays.
            for (int q : {cell + 1, cell + kColumns, cell + kColumns + 1}) {
                if (positionGrid[q] == 2) {
                    positionGrid[q] = 0;
                }
            }
            changed = true;
        }
    }
    if (changed) {
        EditorRebuild();
        Renumber();
    }
    return changed;
}
