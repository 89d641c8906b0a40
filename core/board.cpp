// Board construction, the tile records' file form, tile numbering, shadows and the play-state
// reset.
#include "core/board.h"

#include <cassert>
#include <chrono>
#include <cstring>
#include <utility>

#include "files/file_io.h"
#include "settings/resource_folders.h"

namespace {

std::uint32_t FloatBits(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

float BitsFloat(std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

}  // namespace

int CurrentMillisecond() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return static_cast<int>(ms % 1000);
}

void WriteTileRecord(const TileRecord& record, std::uint8_t* bytes) {
    files::PutLE32(bytes + 0, static_cast<std::uint32_t>(record.x2d));
    files::PutLE32(bytes + 4, static_cast<std::uint32_t>(record.y2d));
    files::PutLE32(bytes + 8, FloatBits(record.x3d));
    files::PutLE32(bytes + 12, FloatBits(record.y3d));
    files::PutLE32(bytes + 16, FloatBits(record.z3d));
    bytes[20] = record.face;
    bytes[21] = record.state;
    bytes[22] = record.layer;
    bytes[23] = record.row;
    bytes[24] = record.column;
    bytes[25] = record.padding[0];
    bytes[26] = record.padding[1];
    bytes[27] = record.padding[2];
}

TileRecord ReadTileRecord(const std::uint8_t* bytes) {
    TileRecord record;
    record.x2d = static_cast<std::int32_t>(files::GetLE32(bytes + 0));
    record.y2d = static_cast<std::int32_t>(files::GetLE32(bytes + 4));
    record.x3d = BitsFloat(files::GetLE32(bytes + 8));
    record.y3d = BitsFloat(files::GetLE32(bytes + 12));
    record.z3d = BitsFloat(files::GetLE32(bytes + 16));
    record.face = bytes[20];
    record.state = bytes[21];
    record.layer = bytes[22];
    record.row = bytes[23];
    record.column = bytes[24];
    record.padding[0] = bytes[25];
    record.padding[1] = bytes[26];
    record.padding[2] = bytes[27];
    return record;
}

// ---------------------------------------------------------------------------------------------
// LayoutGrid
// ---------------------------------------------------------------------------------------------

LayoutGrid::LayoutGrid() {
    tileGrid.fill(NoTile);
    positionGrid.fill(0);
}

void LayoutGrid::FillTileCells(int tile, std::uint8_t value) {
    assert(tile >= 0 && tile < kTiles);
    const TileRecord& t = tiles[tile];
    // Records get their places from NumberTiles, or from a saved game that was checked first.
    assert(t.layer < kLayers && t.row <= kLastTileRow && t.column <= kLastTileColumn);
    const int cell = CellIndex(t.layer, t.row, t.column);
    tileGrid[cell] = value;
    tileGrid[cell + 1] = value;
    tileGrid[cell + kColumns] = value;
    tileGrid[cell + kColumns + 1] = value;
}

namespace {

// One pass of the drawing-order sort: looks at every pair of positions P, Q = P + (dr, dc) on
// one layer and exchanges their tiles when the order between them is wrong.
struct SortPass {
    int dr;
    int dc;
    bool swapWhenGreater;  // swap when p > q; otherwise when p < q
};

constexpr SortPass kSortPasses[6] = {
    {2, +1, true},   // half a tile right, one tile lower
    {2, -1, true},   // half a tile left, one tile lower
    {1, +2, false},  // one tile right, half a tile lower
    {1, -2, true},   // one tile left, half a tile lower
    {2, 0, true},    // directly below
    {0, +2, false},  // directly right
};

// Enough for any layout whose positions admit a drawing order; a file with partly overlapping
// positions can ask for a cyclic order, and the sort must still end.
constexpr int kMaxSortCycles = 1000;

}  // namespace

int LayoutGrid::NumberTiles() {
    // First numbering: layer by layer, columns right to left, rows top to bottom.
    int n = 0;
    for (int layer = 0; layer < kLayers; ++layer) {
        for (int column = kLastTileColumn; column >= 0; --column) {
            for (int row = 0; row <= kLastTileRow; ++row) {
                if (positionGrid[CellIndex(layer, row, column)] != 1 || n >= kTiles) {
                    continue;
                }
                TileRecord& record = tiles[n];
                record.layer = static_cast<std::uint8_t>(layer);
                record.row = static_cast<std::uint8_t>(row);
                record.column = static_cast<std::uint8_t>(column);
                FillTileCells(n, static_cast<std::uint8_t>(n));
                ++n;
            }
        }
    }

    // Sort into drawing order with neighbour swaps until a whole cycle of passes is quiet.
    auto holds = [this](int tile, int layer, int row, int column) {
        const TileRecord& t = tiles[tile];
        return t.layer == layer && t.row == row && t.column == column;
    };
    for (int cycle = 0; cycle < kMaxSortCycles; ++cycle) {
        bool swapped = false;
        for (const SortPass& pass : kSortPasses) {
            for (int layer = 0; layer < kLayers; ++layer) {
                for (int row = 0; row < kRows; ++row) {
                    const int row2 = row + pass.dr;
                    if (row2 < 0 || row2 >= kRows) {
                        continue;
                    }
                    for (int column = 0; column < kColumns; ++column) {
                        const int column2 = column + pass.dc;
                        if (column2 < 0 || column2 >= kColumns) {
                            continue;
                        }
                        const int cellP = CellIndex(layer, row, column);
                        const int cellQ = CellIndex(layer, row2, column2);
                        if (positionGrid[cellP] != 1 || positionGrid[cellQ] != 1) {
                            continue;
                        }
                        const int p = tileGrid[cellP];
                        const int q = tileGrid[cellQ];
                        // Only tiles that really stand at P and Q are exchanged (with partly
                        // overlapping positions a cell can hold a neighbour's number).
                        if (p >= kTiles || q >= kTiles || p == q || !holds(p, layer, row, column) ||
                            !holds(q, layer, row2, column2)) {
                            continue;
                        }
                        if (pass.swapWhenGreater ? p > q : p < q) {
                            std::swap(tiles[p], tiles[q]);
                            FillTileCells(q, static_cast<std::uint8_t>(q));
                            FillTileCells(p, static_cast<std::uint8_t>(p));
                            swapped = true;
                        }
                    }
                }
            }
        }
        if (!swapped) {
            break;
        }
    }
    return n;
}

std::string LayoutGrid::LayoutPath() const {
    return JoinPath(layoutsFolder, layoutFileName);
}

// ---------------------------------------------------------------------------------------------
// Board
// ---------------------------------------------------------------------------------------------

Board::Board() {
    moveList[0] = TilePair{};
    ResetPlayState();
}

void Board::ResetPlayState() {
    tilesLeft = kTiles;
    firstSelected = NoTile;
    secondSelected = NoTile;
    WinHandled = 0;
    ChronoPaused = 0;
    undoCount = 0;
    chronoSeconds = 0;
    GameOverShown = 0;
    hintIndex = 0;
    moveCount = 0;
    Shuffled = 0;
    EndRedoChain();
    ++gameSerial;
}

void Board::UpdateShadows() {
    shadows.fill(ShadowFlags{});

    // E(dr, dc): the cell beside the tile on its own layer is empty and the one below it is not.
    auto exposed = [this](int layer, int row, int column) {
        if (row >= kRows || column >= kColumns) {
            return false;
        }
        return tileGrid[CellIndex(layer, row, column)] == NoTile &&
               tileGrid[CellIndex(layer - 1, row, column)] != NoTile;
    };
    // The tile standing at a position that starts at (layer, row, column), or NoTile.
    auto tileAtPosition = [this](int layer, int row, int column) -> int {
        const int cell = CellIndex(layer, row, column);
        return positionGrid[cell] == 1 ? tileGrid[cell] : NoTile;
    };
    // Runs `visit(t, layer, row, column)` over the present tiles of layers 1..4 in cell order.
    auto sweep = [&](auto&& visit) {
        for (int layer = 1; layer < kLayers; ++layer) {
            for (int row = 0; row < kRows; ++row) {
                for (int column = 0; column < kColumns; ++column) {
                    const int t = tileAtPosition(layer, row, column);
                    if (t < kTiles) {
                        visit(t, layer, row, column);
                    }
                }
            }
        }
    };

    sweep([&](int t, int layer, int r, int c) {
        ShadowFlags& f = shadows[t];
        f.bottomLeft = r < 18 && exposed(layer, r + 2, c);
        f.bottomRight = r < 18 && exposed(layer, r + 2, c + 1);
        f.bottomJoint = f.bottomLeft && f.bottomRight;
        f.rightUpper = c < 32 && exposed(layer, r, c + 2);
        f.rightLower = r < 19 && c < 32 && exposed(layer, r + 1, c + 2);
        f.rightJoint = f.rightLower && f.rightUpper;
        f.corner =
            r < 18 && c < 32 && (f.bottomRight || f.rightLower) && exposed(layer, r + 2, c + 2);
    });

    sweep([&](int t, int layer, int r, int c) {
        ShadowFlags& f = shadows[t];
        if (c < 32) {
            const int u = tileAtPosition(layer, r, c + 2);
            if (u < kTiles && f.bottomRight && shadows[u].bottomLeft) {
                shadows[u].joinLeft = 1;
            }
        }
        if (r >= 2) {
            const int u = tileAtPosition(layer, r - 2, c);
            if (u < kTiles && f.rightUpper && shadows[u].rightLower) {
                f.joinAbove = 1;
            }
        }
    });

    sweep([&](int t, int layer, int r, int c) {
        ShadowFlags& f = shadows[t];
        if (c < 32) {
            const int u = tileAtPosition(layer, r, c + 2);
            if (u < kTiles && shadows[u].joinLeft && shadows[u].bottomLeft) {
                f.corner = 0;
            }
        }
        if (r < 18) {
            const int u = tileAtPosition(layer, r + 2, c);
            if (u < kTiles && shadows[u].rightUpper && shadows[u].joinAbove) {
                f.corner = 0;
            }
        }
        if (r < 18 && c < 32 && tileAtPosition(layer, r + 2, c + 2) < kTiles && f.rightLower) {
            f.rightLower = 0;
            f.rightLowerCut = 1;
        }
        if (r < 19 && c < 32 && tileAtPosition(layer, r + 1, c + 2) < kTiles && f.rightUpper) {
            f.rightUpper = 0;
            f.rightUpperCut = 1;
        }
    });
}
