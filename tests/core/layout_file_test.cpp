#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/board.h"
#include "tests/core/core_test_support.h"

namespace {

// 144 distinct whole-tile positions on layers 0 and 1, in the line format.
std::string ValidLines() {
    std::string text;
    int n = 0;
    for (int row = 0; row <= 16 && n < kTiles; row += 2) {
        for (int column = 0; column <= 30 && n < kTiles; column += 2, ++n) {
            text += std::to_string(row) + " " + std::to_string(column) + " 0\r\n";
        }
    }
    return text;
}

std::unique_ptr<Board> BoardIn(const TempFolder& folder, const std::string& name) {
    auto board = std::make_unique<Board>();
    board->layoutsFolder = folder.Path();
    board->layoutFileName = name;
    return board;
}

}  // namespace

TEST(LayoutFile, LineFormatCountsDuplicatesOnceAndSkipsCommentsAndShortLines) {
    TempFolder folder("lines");
    // 145 position lines, two of them equal, plus lines the reader passes over.
    std::string text =
        "; a comment 1 2 3\r\n" + ValidLines() + "0 0 0\n" + "5 6\n" + "7\n" + "\n" + "x 1 2 3\n";
    folder.Write("a.tvl", text);
    auto board = BoardIn(folder, "a.tvl");
    EXPECT_TRUE(board->LoadLayout());
    EXPECT_EQ(CountPositions(board->positionGrid), 144);
    EXPECT_EQ(board->TileAt(0, 0, 30), 0);
}

TEST(LayoutFile, LineFormatAcceptsTheTopLayerCornerAndIgnoresOutOfRangeNumbers) {
    TempFolder folder("ranges");
    folder.Write("a.tvl",
                 "18 32 4\n20 0 0\n0 34 0\n0 0 5\n-1 0 0\n0 -2 0\n"
                 "99999999999999999999 1 1\n1 1 -99999999999999999999\n2147483648 2 2\n");
    auto board = BoardIn(folder, "a.tvl");
    EXPECT_FALSE(board->LoadLayout());
    EXPECT_EQ(CountPositions(board->positionGrid), 1);
    EXPECT_EQ(board->positionGrid[CellIndex(4, 18, 32)], 1);
}

TEST(LayoutFile, LongLinesAreReadAsSeveralLines) {
    TempFolder folder("long");
    // A comment of 254 characters: the rest of the line is read as a line of its own.
    std::string text = ";" + std::string(253, 'x') + "4 6 1\n";
    text += std::string(10000, '7') + "\n";  // one huge number and its pieces: all out of range
    folder.Write("a.tvl", text);
    auto board = BoardIn(folder, "a.tvl");
    board->LoadLayout();
    EXPECT_EQ(CountPositions(board->positionGrid), 1);
    EXPECT_EQ(board->positionGrid[CellIndex(1, 4, 6)], 1);
}

TEST(LayoutFile, JunkBytesNeverMarkOutsideTheGrid) {
    TempFolder folder("junk");
    std::mt19937 random(12345);
    std::string junk;
    for (int i = 0; i < 20000; ++i) {
        junk += static_cast<char>(random() & 0xFF);
    }
    folder.Write("a.tvl", junk);
    auto board = BoardIn(folder, "a.tvl");
    const bool loaded = board->LoadLayout();
    EXPECT_EQ(loaded, CountPositions(board->positionGrid) == 144);
    for (std::uint8_t cell : board->positionGrid) {
        EXPECT_LE(cell, 1);
    }
}

TEST(LayoutFile, BinaryFileOnlyEverMarksLayerZero) {
    TempFolder folder("binary");
    std::mt19937 random(777);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(308, '\0');
        for (char& b : bytes) {
            b = static_cast<char>(random() & 0xFF);
        }
        folder.Write("b.tvl", bytes);
        auto board = BoardIn(folder, "b.tvl");
        board->LoadLayout();
        for (int cell = 166; cell < kCells; ++cell) {
            ASSERT_EQ(board->positionGrid[cell], 0) << cell;
        }
    }
}

TEST(LayoutFile, BinaryFileUsesTheFirstByteOfEachEntry) {
    TempFolder folder("binary144");
    std::string bytes(308, '\0');
    int entry = 0;
    // 144 distinct cells of layer 0, none on the last column; bytes whose low six bits pass 33
    // run on into the next row.
    std::vector<bool> used(kCells, false);
    for (int b = 0; b < 256 && entry < kTiles; ++b) {
        const int cell = (b >> 6) * kColumns + (b & 63);
        if (cell % kColumns != kColumns - 1 && !used[cell]) {
            used[cell] = true;
            bytes[2 * entry] = static_cast<char>(b);
            bytes[2 * entry + 1] = static_cast<char>(0xFF);  // not interpreted
            ++entry;
        }
    }
    ASSERT_EQ(entry, kTiles);
    folder.Write("b.tvl", bytes);
    auto board = BoardIn(folder, "b.tvl");
    EXPECT_TRUE(board->LoadLayout());
    EXPECT_EQ(CountPositions(board->positionGrid), 144);
}

TEST(LayoutFile, GridFormatNeedsTheSwitchAndReadsExactly3400Characters) {
    TempFolder folder("grid");
    std::string cells(kCells, '0');
    cells[CellIndex(0, 0, 0)] = '1';
    cells[CellIndex(2, 4, 6)] = '1';
    folder.Write("g.tvl", "K grid header\n3 1 2 is ignored\n" + cells);
    auto board = BoardIn(folder, "g.tvl");
    board->LoadLayout(true);
    EXPECT_EQ(CountPositions(board->positionGrid), 2);
    EXPECT_EQ(board->positionGrid[CellIndex(2, 4, 6)], 1);

    // With the switch off the same file is read as lines: the ignored line's numbers count.
    board->LoadLayout(false);
    EXPECT_EQ(CountPositions(board->positionGrid), 1);
    EXPECT_EQ(board->positionGrid[CellIndex(2, 3, 1)], 1);

    // Line breaks inside the cells are cells too: every line after the first shifts.
    std::string broken;
    for (int row = 0; row < 3; ++row) {
        broken += "1" + std::string(kColumns - 1, '0') + "\n";
    }
    folder.Write("g.tvl", "K\n\n" + broken);
    board->LoadLayout(true);
    EXPECT_EQ(board->positionGrid[CellIndex(0, 0, 0)], 1);
    EXPECT_EQ(board->positionGrid[CellIndex(0, 1, 1)], 1);
    EXPECT_EQ(board->positionGrid[CellIndex(0, 2, 2)], 1);

    // Cut short anywhere: fewer positions, no failure beyond the count.
    folder.Write("g.tvl", "K");
    EXPECT_FALSE(board->LoadLayout(true));
    EXPECT_EQ(CountPositions(board->positionGrid), 0);
}

// A refused layout is marked so: even in easy mode its grid is dealt at random (there is no
// winning order to look for), and the next layout that passes clears the mark.
TEST(LayoutFile, MissingFileOrWrongCountIsDealtAtRandom) {
    TempFolder folder("missing");
    auto board = BoardIn(folder, "none.tvl");
    board->tileGrid[5] = 3;
    EXPECT_FALSE(board->LoadLayout());
    EXPECT_EQ(board->layoutRefused, 1);
    for (std::uint8_t cell : board->tileGrid) {
        ASSERT_EQ(cell, NoTile);
    }
    EXPECT_EQ(board->Deal(true), DealResult::Random);
    folder.Write("none.tvl", ValidLines());
    EXPECT_TRUE(board->LoadLayout());
    EXPECT_EQ(board->layoutRefused, 0);
}

// A named pipe in the layouts folder reads as a missing layout instead of blocking the game.
TEST(LayoutFile, PipeNamedLikeALayoutIsRefusedWithoutWaiting) {
    TempFolder folder("layout_pipe");
    auto board = BoardIn(folder, "Pipe.tvl");
    bool loaded = true;
    EXPECT_TRUE(ReadReturnsBesideAnIdlePipe(
        folder.Path() + "/Pipe.tvl", [&board] { return board->LoadLayout(); }, loaded));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(CountPositions(board->positionGrid), 0);
}

TEST(LayoutFile, PositionsWithoutRoomForATileAreRefused) {
    TempFolder folder("edge");
    std::string text = ValidLines();
    text = text.substr(0, text.rfind("16 30 0"));  // drop the last of the 144
    folder.Write("row19.tvl", text + "19 0 0\r\n");
    folder.Write("col33.tvl", text + "0 33 0\r\n");
    folder.Write("fine.tvl", text + "18 32 0\r\n");
    for (const char* name : {"row19.tvl", "col33.tvl"}) {
        auto board = BoardIn(folder, name);
        EXPECT_FALSE(board->LoadLayout()) << name;
        EXPECT_EQ(CountPositions(board->positionGrid), 144) << name;
    }
    EXPECT_TRUE(BoardIn(folder, "fine.tvl")->LoadLayout());
}

TEST(LayoutFile, NamesAreMatchedWithoutRegardToCase) {
    TempFolder folder("case");
    folder.Write("default.tvl", ValidLines());
    auto board = BoardIn(folder, "DEFAULT.TVL");
    EXPECT_TRUE(board->LoadLayout());
    // Saving under another case overwrites the file instead of making a twin.
    board->positionGrid.fill(0);
    board->positionGrid[CellIndex(0, 2, 2)] = 1;
    EXPECT_TRUE(board->SaveLayout());
    EXPECT_EQ(folder.Read("default.tvl"), "2 2 0\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "/DEFAULT.TVL"));
}

TEST(LayoutFile, SaveWritesCrLfLinesInCellOrderAndReadsBackIdentically) {
    TempFolder folder("save");
    auto board = BoardIn(folder, "s.tvl");
    board->positionGrid[CellIndex(1, 3, 5)] = 1;
    board->positionGrid[CellIndex(0, 18, 32)] = 1;
    board->positionGrid[CellIndex(0, 0, 7)] = 1;
    board->positionGrid[CellIndex(0, 0, 8)] = 2;  // editor marks are not positions
    EXPECT_TRUE(board->SaveLayout());
    EXPECT_EQ(folder.Read("s.tvl"), "0 7 0\r\n18 32 0\r\n3 5 1\r\n");

    folder.Write("v.tvl", ValidLines());
    auto original = BoardIn(folder, "v.tvl");
    ASSERT_TRUE(original->LoadLayout());
    original->layoutFileName = "copy.tvl";
    ASSERT_TRUE(original->SaveLayout());
    auto copy = BoardIn(folder, "copy.tvl");
    ASSERT_TRUE(copy->LoadLayout());
    EXPECT_EQ(copy->positionGrid, original->positionGrid);
    EXPECT_EQ(copy->tileGrid, original->tileGrid);
}

TEST(LayoutFile, SaveIntoAMissingFolderFails) {
    Board board;
    board.layoutsFolder = "/nonexistent/varnel/folder";
    board.layoutFileName = "x.tvl";
    EXPECT_FALSE(board.SaveLayout());
}

// A layout saved over an existing file is written whole or not at all: when the disc refuses the
// new lines part way (here a file-size limit stands in for a full disc), the old layout stays.
TEST(LayoutFile, FailedSaveKeepsThePreviousLayoutWhole) {
    TempFolder folder("save_full");
    const std::string previous = "0 0 0\r\n0 2 0\r\n";
    folder.Write("keep.tvl", previous);
    folder.Write("v.tvl", ValidLines());
    auto board = BoardIn(folder, "v.tvl");
    ASSERT_TRUE(board->LoadLayout());
    board->layoutFileName = "keep.tvl";

    // 64 bytes is far less than 144 lines.
    EXPECT_FALSE(WriteOnAFullDisc(64, [&] { return board->SaveLayout(); }));
    EXPECT_EQ(folder.Read("keep.tvl"), previous);
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"keep.tvl", "v.tvl"}));

    // With room again the same save goes through.
    ASSERT_TRUE(board->SaveLayout());
    auto again = BoardIn(folder, "keep.tvl");
    ASSERT_TRUE(again->LoadLayout());
    EXPECT_EQ(again->positionGrid, board->positionGrid);
}

TEST(RandomLayout, SameMillisecondGivesTheSameStackedLayout) {
    Board first;
    Board second;
    first.millisecondSource = second.millisecondSource = [] { return 421; };
    first.layoutFileName = second.layoutFileName = "RANDOM.TVL";
    EXPECT_TRUE(first.LoadLayout());
    EXPECT_TRUE(second.LoadLayout());
    EXPECT_EQ(first.positionGrid, second.positionGrid);

    for (int layer = 0; layer < kLayers; ++layer) {
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                if (first.positionGrid[CellIndex(layer, row, column)] != 1) {
                    continue;
                }
                EXPECT_EQ(row % 2, 0);
                EXPECT_EQ(column % 2, 0);
                EXPECT_LE(row, 18);
                EXPECT_LE(column, 32);
                if (layer > 0) {
                    EXPECT_EQ(first.positionGrid[CellIndex(layer - 1, row, column)], 1);
                }
            }
        }
    }
    EXPECT_EQ(DrawingOrderProblem(first), "");

    Board other;
    other.millisecondSource = [] { return 422; };
    other.layoutFileName = "RANDOM.TVL";
    other.LoadLayout();
    EXPECT_NE(other.positionGrid, first.positionGrid);
}

TEST(RandomLayout, LowerCaseNameIsLookedUpAsAFile) {
    TempFolder folder("random");
    auto board = BoardIn(folder, "random.tvl");
    EXPECT_FALSE(board->LoadLayout(true));
    EXPECT_EQ(CountPositions(board->positionGrid), 0);
}

// The bytes of a layout file in memory give the same grid as the file, in each format, and a
// layout read from memory leaves the hall of fame alone.
TEST(LayoutFile, BytesInMemoryReadLikeTheFileInEveryFormat) {
    std::string grid = "K\nheader\n";
    for (int cell = 0; cell < kCells; ++cell) {
        grid += cell % kColumns % 2 == 0 && cell / kColumns % kRows % 2 == 0 && cell < 2 * 340 &&
                        cell / kColumns % kRows <= kLastTileRow &&
                        cell % kColumns <= kLastTileColumn
                    ? '1'
                    : '0';
    }
    std::string binary(308, '\0');
    for (int k = 0; k < kTiles; ++k) {
        binary[static_cast<std::size_t>(2 * k)] = static_cast<char>(k % 33 + (k / 33 << 6));
    }
    const struct {
        const char* name;
        std::string bytes;
        bool gridFormat;
    } cases[] = {
        {"lines", ValidLines(), false}, {"grid off", grid, false}, {"grid on", grid, true},
        {"binary", binary, false},      {"empty", "", false},      {"one byte K", "K", true},
        {"junk", "\x01\xff 3 3", true},
    };
    TempFolder folder("memory");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        folder.Write("a.tvl", c.bytes);
        auto fromFile = BoardIn(folder, "a.tvl");
        const bool fileResult = fromFile->LoadLayout(c.gridFormat);
        Board fromBytes;
        fromBytes.hall[0].seconds = 12345;
        EXPECT_EQ(fromBytes.ReadLayout(reinterpret_cast<const std::uint8_t*>(c.bytes.data()),
                                       c.bytes.size(), c.gridFormat),
                  fileResult);
        EXPECT_EQ(fromBytes.positionGrid, fromFile->positionGrid);
        EXPECT_EQ(fromBytes.tileGrid, fromFile->tileGrid);
        EXPECT_EQ(fromBytes.hall[0].seconds, 12345);
    }
}
