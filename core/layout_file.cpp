// Layout files (line, 308-byte and grid formats), the random layout, the layout check and the
// writer. Every number read from a file is range-checked before it touches a grid.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/board.h"
#include "files/file_io.h"
#include "settings/resource_folders.h"

namespace {

// Lines are taken up to 254 characters at a time; a longer line is read as several lines.
constexpr int kLineChunk = 254;
constexpr std::uint64_t kBinaryLayoutSize = 308;
// A layout of 144 lines is a few kilobytes; a file far beyond any comment a player could write is
// not read at all (and so is refused like a missing one).
constexpr std::uint64_t kMaxLayoutFileBytes = std::uint64_t{16} << 20;

// The bytes of a layout file, read one at a time like a C stream: EOF after the last.
struct LayoutBytes {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;

    int Get() { return position < size ? data[position++] : EOF; }
};

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

// Reads one decimal integer the way "%d" does: leading white space, an optional sign, at least
// one digit. Values too large for any grid saturate instead of overflowing.
bool ParseInt(const char*& p, long& value) {
    while (IsSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (*p < '0' || *p > '9') {
        return false;
    }
    long v = 0;
    while (*p >= '0' && *p <= '9') {
        if (v < 1000000) {
            v = v * 10 + (*p - '0');
        }
        ++p;
    }
    value = negative ? -v : v;
    return true;
}

// Reads the next chunk of a line like fgets with a 255-byte buffer. False at end of file.
bool ReadLineChunk(LayoutBytes& file, char (&line)[kLineChunk + 1]) {
    int length = 0;
    while (length < kLineChunk) {
        const int ch = file.Get();
        if (ch == EOF) {
            break;
        }
        line[length++] = static_cast<char>(ch);
        if (ch == '\n') {
            break;
        }
    }
    line[length] = '\0';
    return length > 0;
}

void ReadLineFormat(LayoutBytes& file, PositionGrid& grid) {
    char line[kLineChunk + 1];
    while (ReadLineChunk(file, line)) {
        // The text ends at the first zero byte, as it would for the C string functions.
        int length = 0;
        while (line[length] != '\0') {
            ++length;
        }
        if (line[0] == ';' || length < 3) {
            continue;
        }
        const char* p = line;
        long row = 0;
        long column = 0;
        long layer = 0;
        if (!ParseInt(p, row) || !ParseInt(p, column) || !ParseInt(p, layer)) {
            continue;
        }
        if (row < 0 || column < 0 || layer < 0 || row >= kRows || column >= kColumns ||
            layer >= kLayers) {
            continue;
        }
        grid[CellIndex(static_cast<int>(layer), static_cast<int>(row), static_cast<int>(column))] =
            1;
    }
}

// 144 entries of two bytes. Only the first byte b of each is used: it marks cell
// (b >> 6) * 34 + (b & 63) of layer 0, at most cell 165, so it always lies inside the grid.
void ReadBinaryFormat(const LayoutBytes& file, PositionGrid& grid) {
    for (std::size_t k = 0; k < kTiles && 2 * k < file.size; ++k) {
        const int b = file.data[2 * k];
        grid[(b >> 6) * kColumns + (b & 63)] = 1;
    }
}

// 'K' line, one ignored line, then one character per cell.
void ReadGridFormat(LayoutBytes& file, PositionGrid& grid) {
    for (int headerLines = 0; headerLines < 2; ++headerLines) {
        int ch;
        do {
            ch = file.Get();
        } while (ch != EOF && ch != '\n');
        if (ch == EOF) {
            return;
        }
    }
    for (int cell = 0; cell < kCells; ++cell) {
        const int ch = file.Get();
        if (ch == EOF) {
            return;
        }
        if (ch == '1') {
            grid[cell] = 1;
        }
    }
}

}  // namespace

bool Board::LoadLayout(bool gridFormat) {
    bool result = false;
    if (layoutFileName == randomLayoutName) {
        tileGrid.fill(NoTile);
        positionGrid.fill(0);
        GenerateRandomLayout();
        result = CheckLayout();
    } else {
        // Layout names are matched without regard to case; an empty path means no such file,
        // which reads as a layout without positions.
        std::vector<std::uint8_t> bytes;
        files::ReadWholeFile(ResolveInFolder(layoutsFolder, layoutFileName), kMaxLayoutFileBytes,
                             bytes);
        result = ReadLayout(bytes.data(), bytes.size(), gridFormat);
    }
    LoadHall();
    return result;
}

bool Board::ReadLayout(const std::uint8_t* data, std::size_t size, bool gridFormat) {
    tileGrid.fill(NoTile);
    positionGrid.fill(0);
    LayoutBytes file{data, size};
    if (size == kBinaryLayoutSize) {
        ReadBinaryFormat(file, positionGrid);
    } else if (file.Get() == 'K' && gridFormat) {
        ReadGridFormat(file, positionGrid);
    } else {
        file.position = 0;
        ReadLineFormat(file, positionGrid);
    }
    return CheckLayout();
}

bool Board::PositionsOverlap() const {
    for (int layer = 0; layer < kLayers; ++layer) {
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                if (positionGrid[CellIndex(layer, row, column)] != 1) {
                    continue;
                }
                // A later position within one cell right, below or diagonally shares cells.
                const int others[][2] = {{0, 1}, {1, -1}, {1, 0}, {1, 1}};
                for (const auto& step : others) {
                    const int r = row + step[0];
                    const int c = column + step[1];
                    if (r < kRows && c >= 0 && c < kColumns &&
                        positionGrid[CellIndex(layer, r, c)] == 1) {
                        return true;
                    }
                }
            }
        }
    }
    return false;
}

bool Board::CheckLayout() {
    int count = 0;
    bool wholeTiles = true;
    for (int layer = 0; layer < kLayers; ++layer) {
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                if (positionGrid[CellIndex(layer, row, column)] != 1) {
                    continue;
                }
                ++count;
                // A position on the last row or column has no room for a whole tile and could
                // never be numbered, leaving a tile without a place; such a layout is refused.
                if (row > kLastTileRow || column > kLastTileColumn) {
                    wholeTiles = false;
                }
            }
        }
    }
    if (count == kTiles && wholeTiles) {
        NumberTiles();
        layoutRefused = 0;
        return true;
    }
    layoutRefused = 1;
    return false;
}

void Board::GenerateRandomLayout() {
    std::srand(static_cast<unsigned>(millisecondSource()));
    int count = 0;
    while (count < kTiles) {
        const int column = (std::rand() % 17) * 2;
        const int row = (std::rand() % 10) * 2;
        for (int layer = 0; layer < kLayers; ++layer) {
            std::uint8_t& cell = positionGrid[CellIndex(layer, row, column)];
            if (cell != 1) {
                cell = 1;
                ++count;
                break;
            }
        }
    }
}

bool LayoutGrid::SaveLayout() const {
    // The lines are made first and written through a temporary file, so a save that fails part
    // way (a full disc) never leaves the layout already there cut short. A layout already there
    // under another case is replaced rather than given a twin.
    std::string text;
    char line[32];
    for (int layer = 0; layer < kLayers; ++layer) {
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                if (positionGrid[CellIndex(layer, row, column)] == 1) {
                    const int length =
                        std::snprintf(line, sizeof line, "%d %d %d%c\n", row, column, layer, 13);
                    text.append(line, static_cast<std::size_t>(length));
                }
            }
        }
    }
    return files::WriteFileReplacing(PathForWriting(layoutsFolder, layoutFileName), text);
}
