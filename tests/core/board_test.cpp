#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/board.h"
#include "tests/core/core_test_support.h"

TEST(TileRecordFile, WritesLittleEndianFieldsAtTheirOffsets) {
    TileRecord record;
    record.x2d = 0x01020304;
    record.y2d = -2;
    record.x3d = 1.5f;
    record.y3d = -0.25f;
    record.z3d = 100.0f;
    record.face = 41;
    record.state = 1;
    record.layer = 4;
    record.row = 18;
    record.column = 32;
    record.padding[0] = 7;
    std::uint8_t bytes[28];
    WriteTileRecord(record, bytes);

    const std::uint8_t x2d[4] = {0x04, 0x03, 0x02, 0x01};
    const std::uint8_t y2d[4] = {0xFE, 0xFF, 0xFF, 0xFF};
    const std::uint8_t x3d[4] = {0x00, 0x00, 0xC0, 0x3F};  // 1.5f
    EXPECT_EQ(0, std::memcmp(bytes, x2d, 4));
    EXPECT_EQ(0, std::memcmp(bytes + 4, y2d, 4));
    EXPECT_EQ(0, std::memcmp(bytes + 8, x3d, 4));
    EXPECT_EQ(bytes[20], 41);
    EXPECT_EQ(bytes[21], 1);
    EXPECT_EQ(bytes[22], 4);
    EXPECT_EQ(bytes[23], 18);
    EXPECT_EQ(bytes[24], 32);
    EXPECT_EQ(bytes[25], 7);

    const TileRecord back = ReadTileRecord(bytes);
    EXPECT_EQ(back.x2d, record.x2d);
    EXPECT_EQ(back.y2d, record.y2d);
    EXPECT_EQ(back.x3d, record.x3d);
    EXPECT_EQ(back.y3d, record.y3d);
    EXPECT_EQ(back.z3d, record.z3d);
    EXPECT_EQ(back.face, 41);
    EXPECT_EQ(back.column, 32);
    EXPECT_EQ(back.padding[0], 7);
}

TEST(NumberTiles, FlatBandNumbersFromTheTopRightCorner) {
    Board board;
    for (int row = 0; row <= 16; row += 2) {
        for (int column = 0; column <= 30; column += 2) {
            board.positionGrid[CellIndex(0, row, column)] = 1;
        }
    }
    EXPECT_EQ(board.NumberTiles(), 144);
    EXPECT_EQ(board.TileAt(0, 0, 30), 0);
    EXPECT_EQ(board.TileAt(0, 16, 0), 143);
    EXPECT_EQ(DrawingOrderProblem(board), "");
}

TEST(NumberTiles, OffsetNeighboursGetDrawingOrder) {
    // One tile right and half a tile lower: the right-hand one is drawn first.
    auto halfLower = BoardWith({{0, 0, 0}, {0, 1, 2}});
    EXPECT_LT(TileOf(*halfLower, {0, 1, 2}), TileOf(*halfLower, {0, 0, 0}));
    // Directly below: the upper one first.
    auto below = BoardWith({{0, 0, 4}, {0, 2, 4}});
    EXPECT_LT(TileOf(*below, {0, 0, 4}), TileOf(*below, {0, 2, 4}));
    // Half a tile right and one tile lower: the first numbering puts the lower one first, the
    // sort exchanges them.
    auto halfRight = BoardWith({{0, 0, 0}, {0, 2, 1}});
    EXPECT_EQ(TileOf(*halfRight, {0, 0, 0}), 0);
    EXPECT_EQ(TileOf(*halfRight, {0, 2, 1}), 1);
    // Upper layers come after lower ones whatever their place.
    auto layers = BoardWith({{0, 0, 0}, {0, 0, 2}, {1, 0, 1}});
    EXPECT_EQ(TileOf(*layers, {1, 0, 1}), 2);
}

// Each case is a layout of half-offset tiles on one layer whose order one pass of the sort
// decides: without that pass (or with its rule turned round) the numbers come out otherwise.
// The positions are listed in the order of their numbers after the sort.
TEST(NumberTiles, EachPassOfTheSortOrdersItsHalfOffsetLayout) {
    struct Case {
        const char* pass;
        std::vector<Position> drawingOrder;
    };
    const Case cases[] = {
        {"half a tile right, one tile lower", {{0, 0, 0}, {0, 2, 1}}},
        {"half a tile left, one tile lower", {{0, 0, 0}, {0, 2, 1}, {0, 4, 0}, {0, 6, 1}}},
        {"one tile right, half a tile lower", {{0, 1, 2}, {0, 0, 0}}},
        {"one tile left, half a tile lower",
         {{0, 0, 8}, {0, 3, 8}, {0, 1, 2}, {0, 3, 3}, {0, 5, 4}, {0, 7, 5}, {0, 8, 3}}},
        {"directly below", {{0, 0, 0}, {0, 2, 0}, {0, 4, 1}}},
        {"directly right",
         {{0, 0, 9}, {0, 6, 9}, {0, 3, 1}, {0, 5, 2}, {0, 7, 3}, {0, 9, 4}, {0, 9, 2}}},
    };
    for (const Case& c : cases) {
        Board board;
        for (const Position& p : c.drawingOrder) {
            board.positionGrid[CellIndex(p.layer, p.row, p.column)] = 1;
        }
        ASSERT_EQ(board.NumberTiles(), static_cast<int>(c.drawingOrder.size())) << c.pass;
        for (std::size_t n = 0; n < c.drawingOrder.size(); ++n) {
            const Position& p = c.drawingOrder[n];
            EXPECT_EQ(TileOf(board, p), static_cast<int>(n))
                << c.pass << ": position " << p.row << "," << p.column;
            const TileRecord& r = board.tiles[n];
            EXPECT_TRUE(r.row == p.row && r.column == p.column) << c.pass << ": record " << n;
        }
    }
}

TEST(NumberTiles, SwapCarriesWholeRecordsAndKeepsGridInStep) {
    Board board;
    board.positionGrid[CellIndex(0, 0, 0)] = 1;
    board.positionGrid[CellIndex(0, 2, 1)] = 1;
    board.tiles[0].x2d = 111;  // record 0 first stands at (0, 2, 1)
    board.tiles[0].face = 5;
    board.tiles[1].x2d = 222;  // record 1 first stands at (0, 0, 0)
    board.tiles[1].face = 7;
    board.NumberTiles();
    EXPECT_EQ(board.tiles[0].row, 0);
    EXPECT_EQ(board.tiles[0].column, 0);
    EXPECT_EQ(board.tiles[0].x2d, 222);
    EXPECT_EQ(board.tiles[0].face, 7);
    EXPECT_EQ(board.tiles[1].row, 2);
    EXPECT_EQ(board.tiles[1].column, 1);
    EXPECT_EQ(board.tiles[1].x2d, 111);
    EXPECT_EQ(board.tiles[1].face, 5);
    EXPECT_EQ(board.TileAt(0, 1, 1), 0);
    EXPECT_EQ(board.TileAt(0, 2, 1), 1);
    EXPECT_EQ(board.TileAt(0, 3, 2), 1);
}

TEST(NumberTiles, OverlappingPositionsNeverEscapeTheRecords) {
    // Partly overlapping positions and ones on the last row and column, as a file may give.
    Board board;
    for (int column = 0; column < kColumns; ++column) {
        board.positionGrid[CellIndex(0, 0, column)] = 1;
        board.positionGrid[CellIndex(0, 19, column)] = 1;
        board.positionGrid[CellIndex(1, 5, column)] = 1;
    }
    const int numbered = board.NumberTiles();
    EXPECT_LE(numbered, kTiles);
    for (std::uint8_t cell : board.tileGrid) {
        EXPECT_TRUE(cell < numbered || cell == NoTile);
    }
}

TEST(UpdateShadows, LowerLayerNeverCastsAndOwnLayerHidesTheShadow) {
    auto board = BoardWith({{0, 0, 0}, {0, 0, 2}, {0, 2, 0}, {0, 2, 2}, {1, 0, 0}, {1, 2, 1}});
    for (const Position p : {Position{0, 0, 0}, {0, 0, 2}, {0, 2, 0}, {0, 2, 2}}) {
        EXPECT_EQ(board->shadows[TileOf(*board, p)], ShadowFlags{});
    }
    const ShadowFlags& t = board->shadows[TileOf(*board, {1, 0, 0})];
    EXPECT_EQ(t.bottomLeft, 1);
    EXPECT_EQ(t.bottomRight, 0);
    EXPECT_EQ(t.bottomJoint, 0);
}

TEST(UpdateShadows, TileHalfLowerOnTheRightCutsTheRightShadow) {
    auto board = BoardWith(
        {{0, 0, 0}, {0, 0, 2}, {0, 0, 4}, {0, 2, 0}, {0, 2, 2}, {0, 2, 4}, {1, 0, 0}, {1, 1, 2}});
    ShadowFlags expectT;
    expectT.bottomLeft = expectT.bottomRight = expectT.bottomJoint = 1;
    expectT.rightUpperCut = 1;
    EXPECT_EQ(board->shadows[TileOf(*board, {1, 0, 0})], expectT);

    ShadowFlags expectV;
    expectV.bottomLeft = expectV.bottomRight = expectV.bottomJoint = 1;
    expectV.rightUpper = expectV.rightLower = expectV.rightJoint = expectV.corner = 1;
    EXPECT_EQ(board->shadows[TileOf(*board, {1, 1, 2})], expectV);
}

TEST(UpdateShadows, NeighboursJoinTheirShadowsAndDropTheCorner) {
    auto sideBySide = BoardWith(
        {{0, 0, 0}, {0, 0, 2}, {0, 0, 4}, {0, 2, 0}, {0, 2, 2}, {0, 2, 4}, {1, 0, 0}, {1, 0, 2}});
    ShadowFlags expectT;
    expectT.bottomLeft = expectT.bottomRight = expectT.bottomJoint = 1;
    EXPECT_EQ(sideBySide->shadows[TileOf(*sideBySide, {1, 0, 0})], expectT);
    ShadowFlags expectU;
    expectU.joinLeft = 1;
    expectU.bottomLeft = expectU.bottomRight = expectU.bottomJoint = 1;
    expectU.rightUpper = expectU.rightLower = expectU.rightJoint = expectU.corner = 1;
    EXPECT_EQ(sideBySide->shadows[TileOf(*sideBySide, {1, 0, 2})], expectU);

    auto stacked = BoardWith(
        {{0, 0, 0}, {0, 0, 2}, {0, 2, 0}, {0, 2, 2}, {0, 4, 0}, {0, 4, 2}, {1, 0, 0}, {1, 2, 0}});
    const ShadowFlags& upper = stacked->shadows[TileOf(*stacked, {1, 0, 0})];
    const ShadowFlags& lower = stacked->shadows[TileOf(*stacked, {1, 2, 0})];
    EXPECT_EQ(upper.rightLower, 1);
    EXPECT_EQ(upper.corner, 0);
    EXPECT_EQ(lower.rightUpper, 1);
    EXPECT_EQ(lower.joinAbove, 1);
}

TEST(UpdateShadows, RemovedTilesCastNothingAndFacesDoNotMatter) {
    auto board = BoardWith(
        {{0, 0, 0}, {0, 0, 2}, {0, 0, 4}, {0, 2, 0}, {0, 2, 2}, {0, 2, 4}, {1, 0, 0}, {1, 0, 2}});
    const int t = TileOf(*board, {1, 0, 0});
    const int u = TileOf(*board, {1, 0, 2});
    const ShadowTable before = board->shadows;
    for (TileRecord& r : board->tiles) {
        r.face = 33;
    }
    board->UpdateShadows();
    EXPECT_EQ(board->shadows, before);

    board->RemovePairTiles(u, TileOf(*board, {0, 0, 4}));
    board->UpdateShadows();
    EXPECT_EQ(board->shadows[u], ShadowFlags{});
    EXPECT_EQ(board->shadows[t].rightUpper, 1);  // the cell beside t is open now
}

TEST(Board, ResetPlayStateClearsCountersButKeepsTheBoard) {
    auto board = BoardWith({{0, 0, 0}, {0, 0, 2}});
    board->tilesLeft = 10;
    board->firstSelected = 1;
    board->secondSelected = 0;
    board->WinHandled = board->ChronoPaused = board->GameOverShown = 1;
    board->undoCount = 3;
    board->chronoSeconds = 99;
    board->hintIndex = 2;
    board->moveCount = 5;
    board->dealOrder[0] = 7;
    const TileGrid grid = board->tileGrid;
    board->ResetPlayState();
    EXPECT_EQ(board->tilesLeft, 144);
    EXPECT_EQ(board->firstSelected, NoTile);
    EXPECT_EQ(board->secondSelected, NoTile);
    EXPECT_EQ(board->WinHandled + board->ChronoPaused + board->GameOverShown, 0);
    EXPECT_EQ(board->undoCount, 0);
    EXPECT_EQ(board->chronoSeconds, 0);
    EXPECT_EQ(board->hintIndex, 0);
    EXPECT_EQ(board->moveCount, 0);
    EXPECT_EQ(board->dealOrder[0], 7);
    EXPECT_EQ(board->tileGrid, grid);
    EXPECT_EQ(board->randomLayoutName, "RANDOM.TVL");
}
