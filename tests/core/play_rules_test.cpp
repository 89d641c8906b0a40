#include <gtest/gtest.h>

#include "core/board.h"
#include "tests/core/core_test_support.h"

TEST(FreeRule, HalfOffsetNeighbourBlocksOnlyItsSide) {
    auto oneSide = BoardWith({{0, 2, 4}, {0, 1, 2}});
    EXPECT_TRUE(oneSide->IsFree(TileOf(*oneSide, {0, 2, 4})));

    auto bothSides = BoardWith({{0, 2, 4}, {0, 1, 2}, {0, 3, 6}});
    EXPECT_FALSE(bothSides->IsFree(TileOf(*bothSides, {0, 2, 4})));
    EXPECT_TRUE(bothSides->IsFree(TileOf(*bothSides, {0, 1, 2})));
    EXPECT_TRUE(bothSides->IsFree(TileOf(*bothSides, {0, 3, 6})));

    // A neighbour a whole tile away leaves the side open.
    auto apart = BoardWith({{0, 2, 4}, {0, 2, 1}, {0, 2, 7}});
    EXPECT_TRUE(apart->IsFree(TileOf(*apart, {0, 2, 4})));
}

TEST(FreeRule, AQuarterOfATileAboveCovers) {
    auto board = BoardWith({{0, 0, 2}, {1, 1, 3}});
    EXPECT_FALSE(board->IsFree(TileOf(*board, {0, 0, 2})));
    EXPECT_TRUE(board->IsFree(TileOf(*board, {1, 1, 3})));

    // Only the layer directly above counts.
    auto twoUp = BoardWith({{0, 0, 2}, {2, 0, 2}});
    EXPECT_TRUE(twoUp->IsFree(TileOf(*twoUp, {0, 0, 2})));
}

TEST(FreeRule, BoardEdgesAreAlwaysOpen) {
    Board board;
    for (int column = 0; column <= 32; column += 2) {
        board.positionGrid[CellIndex(0, 4, column)] = 1;
    }
    board.NumberTiles();
    for (TileRecord& t : board.tiles) {
        t.face = 0;
    }
    board.UpdateFreeTiles();
    for (int column = 0; column <= 32; column += 2) {
        EXPECT_EQ(board.IsFree(board.TileAt(0, 4, column)), column == 0 || column == 32) << column;
    }
}

TEST(FreeRule, RemovedTilesAreNeverFree) {
    auto board = BoardWith({{0, 0, 0}, {0, 2, 0}});
    const int a = TileOf(*board, {0, 0, 0});
    board->RemovePairTiles(a, TileOf(*board, {0, 2, 0}));
    board->UpdateFreeTiles();
    EXPECT_FALSE(board->IsFree(a));
}

TEST(Matching, FlowersAndSeasonsMatchWithinTheirGroup) {
    EXPECT_TRUE(FacesMatch(27, 30));
    EXPECT_TRUE(FacesMatch(28, 29));
    EXPECT_TRUE(FacesMatch(35, 38));
    EXPECT_TRUE(FacesMatch(36, 37));
    EXPECT_TRUE(FacesMatch(12, 12));
    EXPECT_FALSE(FacesMatch(30, 35));
    EXPECT_FALSE(FacesMatch(26, 27));
    EXPECT_FALSE(FacesMatch(38, 39));
    EXPECT_FALSE(FacesMatch(31, 32));
}

TEST(Matching, EveryPairOfFacesMatchesExactlyWithinItsGroup) {
    // The flowers and the seasons each form one group of four; every other face is its own.
    auto group = [](int face) {
        if (face >= 27 && face <= 30) {
            return 100;
        }
        return face >= 35 && face <= 38 ? 101 : face;
    };
    int seasonPairs = 0;
    for (int a = 0; a < kFaces; ++a) {
        for (int b = 0; b < kFaces; ++b) {
            EXPECT_EQ(FacesMatch(a, b), group(a) == group(b)) << a << " and " << b;
            seasonPairs += a >= 35 && a <= 38 && FacesMatch(a, b) ? 1 : 0;
        }
    }
    EXPECT_EQ(seasonPairs, 16);  // each season with each, itself included
}

TEST(Matching, CanMatchNeedsTwoDifferentFreeTiles) {
    auto board = BoardWith({{0, 0, 0}, {0, 2, 0}, {0, 4, 2}, {0, 4, 4}, {0, 4, 6}}, 7);
    const int a = TileOf(*board, {0, 0, 0});
    const int b = TileOf(*board, {0, 2, 0});
    const int blocked = TileOf(*board, {0, 4, 4});
    EXPECT_TRUE(board->CanMatch(a, b));
    EXPECT_FALSE(board->CanMatch(a, a));
    EXPECT_FALSE(board->CanMatch(a, blocked));
    EXPECT_FALSE(board->CanMatch(a, NoTile));
    EXPECT_FALSE(board->CanMatch(-1, a));
    board->tiles[b].face = 8;
    EXPECT_FALSE(board->CanMatch(a, b));
}

TEST(MoveList, ListsEachPairOnceInTileOrder) {
    auto board = BoardWith({{0, 0, 0}, {0, 2, 0}, {0, 4, 0}, {0, 6, 0}, {0, 8, 0}});
    const int faces[5] = {3, 8, 3, 3, 8};
    for (int k = 0; k < 5; ++k) {
        board->tiles[TileOf(*board, {0, 2 * k, 0})].face = static_cast<std::uint8_t>(faces[k]);
    }
    ASSERT_EQ(TileOf(*board, {0, 0, 0}), 0);
    ASSERT_EQ(TileOf(*board, {0, 8, 0}), 4);
    board->UpdateFreeTiles();
    board->hintIndex = 3;
    board->BuildMoveList(false);
    ASSERT_EQ(board->moveCount, 4);
    const int expected[4][2] = {{0, 2}, {0, 3}, {1, 4}, {2, 3}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(board->moveList[k].first, expected[k][0]);
        EXPECT_EQ(board->moveList[k].second, expected[k][1]);
    }
    EXPECT_EQ(board->hintIndex, 0);
}

TEST(MoveList, EmptyListHasNoPairInItsFirstSlot) {
    auto board = BoardWith({{0, 0, 0}, {0, 2, 0}});
    board->tiles[1].face = 9;
    board->BuildMoveList(false);
    EXPECT_EQ(board->moveCount, 0);
    EXPECT_EQ(board->moveList[0].first, NoTile);
    EXPECT_EQ(board->moveList[0].second, NoTile);
}

TEST(MoveList, LimitedListStopsJustPastThePairLimit) {
    Board board;
    for (int row = 0; row <= 16; row += 2) {
        for (int column = 0; column <= 30; column += 2) {
            board.positionGrid[CellIndex(0, row, column)] = 1;
        }
    }
    board.NumberTiles();
    for (TileRecord& t : board.tiles) {
        t.face = 1;
    }
    board.UpdateFreeTiles();
    board.BuildMoveList(false);
    EXPECT_EQ(board.moveCount, 18 * 17 / 2);  // the 18 tiles on the two edges
    board.BuildMoveList(true);
    EXPECT_EQ(board.moveCount, kPairLimit + 1);
}

TEST(RemovePairTiles, RecordsTheUndoEntryAndEmptiesTheCells) {
    auto board = BoardWith({{0, 0, 0}, {0, 2, 0}, {0, 4, 0}}, 27);
    board->tiles[2].face = 30;
    board->moveCount = 3;
    board->hintIndex = 1;
    board->RemovePairTiles(0, 2);
    EXPECT_EQ(board->undoCount, 1);
    EXPECT_EQ(board->undoStack[0].firstFace, 27);
    EXPECT_EQ(board->undoStack[0].secondFace, 30);
    EXPECT_EQ(board->undoStack[0].firstTile, 0);
    EXPECT_EQ(board->undoStack[0].secondTile, 2);
    EXPECT_EQ(board->tiles[0].face, NoTile);
    EXPECT_EQ(board->tiles[2].face, NoTile);
    EXPECT_EQ(board->TileAt(0, 0, 0), NoTile);
    EXPECT_EQ(board->TileAt(0, 5, 1), NoTile);
    EXPECT_EQ(board->TileAt(0, 3, 1), 1);
    EXPECT_EQ(board->tilesLeft, 142);
    EXPECT_EQ(board->moveCount, 0);
    EXPECT_EQ(board->hintIndex, 0);
}
