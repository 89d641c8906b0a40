#include <gtest/gtest.h>

#include <memory>

#include "core/editor_board.h"
#include "tests/core/core_test_support.h"

namespace {

// The editor grid as the 2D view places it: half-tile steps of 10 x 14 pixels, each layer up
// shifted 4 pixels right and up, clicks tested against the face area right of the side strip.
constexpr int kHalfWidth = 10;
constexpr int kHalfHeight = 14;
constexpr int kBorder = 4;
constexpr EditorCellShape kShape{kBorder, kHalfWidth, kHalfHeight};

std::unique_ptr<EditorBoard> Editor() {
    auto editor = std::make_unique<EditorBoard>();
    for (int layer = 0; layer < kLayers; ++layer) {
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                const int cell = CellIndex(layer, row, column);
                editor->cellX[cell] = 100 + column * kHalfWidth + layer * kBorder;
                editor->cellY[cell] = 100 + row * kHalfHeight - layer * kBorder;
            }
        }
    }
    return editor;
}

// A point inside the face area of cell (layer, row, column).
int X(int layer, int column) {
    return 100 + column * kHalfWidth + layer * kBorder + kBorder + 1;
}
int Y(int layer, int row) {
    return 100 + row * kHalfHeight - layer * kBorder + 1;
}

bool Click(EditorBoard& editor, Position p, EditorButton button) {
    return editor.EditorClick(X(p.layer, p.column), Y(p.layer, p.row), button, kShape);
}

int ShownTiles(const EditorBoard& editor) {
    int n = 0;
    for (const TileRecord& t : editor.tiles) {
        n += t.face != NoTile ? 1 : 0;
    }
    return n;
}

PositionGrid Band(int count) {
    PositionGrid grid{};
    int n = 0;
    for (int row = 0; row <= 18 && n < count; row += 2) {
        for (int column = 0; column <= 32 && n < count; column += 2, ++n) {
            grid[CellIndex(0, row, column)] = 1;
        }
    }
    return grid;
}

}  // namespace

TEST(EditorBoard, AddPutsAPositionOnTheLowestLayerWithRoom) {
    auto editor = Editor();
    EXPECT_TRUE(Click(*editor, {0, 4, 4}, EditorButton::Add));
    EXPECT_EQ(editor->positionGrid[CellIndex(0, 4, 4)], 1);
    EXPECT_EQ(editor->positionGrid[CellIndex(0, 4, 5)], 2);
    EXPECT_EQ(editor->positionGrid[CellIndex(0, 5, 4)], 2);
    EXPECT_EQ(editor->positionGrid[CellIndex(0, 5, 5)], 2);
    EXPECT_EQ(editor->positionCount, 1);
    ASSERT_EQ(ShownTiles(*editor), 1);
    EXPECT_EQ(editor->tiles[0].row, 4);
    EXPECT_EQ(editor->tiles[0].column, 4);

    // The same point again: layer 0 is taken, so the position goes on layer 1 at the cell under
    // the point there, which is shifted by the layer's offset.
    EXPECT_TRUE(Click(*editor, {0, 4, 4}, EditorButton::Add));
    EXPECT_EQ(editor->positionGrid[CellIndex(1, 4, 3)], 1);
    EXPECT_EQ(editor->positionCount, 2);
    EXPECT_EQ(ShownTiles(*editor), 2);
    EXPECT_EQ(editor->tiles[1].layer, 1);  // upper layers are drawn last
}

TEST(EditorBoard, AddNeverGoesPastTheTilesOfAGame) {
    auto editor = Editor();
    editor->StartFrom(Band(144));
    EXPECT_EQ(editor->positionCount, 144);
    EXPECT_TRUE(editor->CanSave());
    EXPECT_FALSE(Click(*editor, {0, 18, 30}, EditorButton::Add));  // free spot, but full
    EXPECT_EQ(editor->positionCount, 144);

    EXPECT_TRUE(Click(*editor, {0, 0, 0}, EditorButton::Remove));
    EXPECT_EQ(editor->positionCount, 143);
    EXPECT_FALSE(editor->CanSave());
    EXPECT_TRUE(Click(*editor, {0, 18, 30}, EditorButton::Add));
    EXPECT_EQ(editor->positionCount, 144);
    EXPECT_TRUE(editor->CanSave());
}

TEST(EditorBoard, RemoveTakesOnlyAPositionWhoseTopLeftCellIsUnderThePoint) {
    auto editor = Editor();
    PositionGrid layout{};
    layout[CellIndex(0, 4, 4)] = 1;
    layout[CellIndex(1, 3, 2)] = 1;  // on layer 1 the point falls in its lower right quarter
    editor->StartFrom(layout);
    ASSERT_EQ(editor->positionCount, 2);

    // The lower right quarter of the layer 0 position: nothing to take.
    EXPECT_FALSE(Click(*editor, {0, 5, 5}, EditorButton::Remove));
    EXPECT_EQ(editor->positionCount, 2);

    // The top-left cell of the layer 0 position: the layer 1 quarter above is passed over.
    EXPECT_TRUE(Click(*editor, {0, 4, 4}, EditorButton::Remove));
    EXPECT_EQ(editor->positionCount, 1);
    EXPECT_EQ(editor->positionGrid[CellIndex(0, 4, 4)], 0);
    EXPECT_EQ(editor->positionGrid[CellIndex(0, 5, 5)], 0);
    EXPECT_EQ(editor->positionGrid[CellIndex(1, 3, 2)], 1);
}

TEST(EditorBoard, RebuildMarksQuartersAndNumbersRecordsInCellOrder) {
    auto editor = Editor();
    editor->positionGrid[CellIndex(0, 0, 0)] = 1;
    editor->positionGrid[CellIndex(2, 6, 8)] = 1;
    editor->positionGrid[CellIndex(0, 10, 10)] = 2;  // a stray 2 is kept
    editor->EditorRebuild();
    EXPECT_EQ(editor->positionCount, 2);
    EXPECT_EQ(editor->tiles[0].face, 0);
    EXPECT_EQ(editor->tiles[1].face, 1);
    EXPECT_EQ(editor->tiles[2].face, NoTile);
    EXPECT_EQ(editor->positionGrid[CellIndex(2, 7, 9)], 2);
    EXPECT_EQ(editor->positionGrid[CellIndex(0, 10, 10)], 2);
    for (std::uint8_t cell : editor->tileGrid) {
        ASSERT_EQ(cell, NoTile);
    }

    editor->EditorClear();
    EXPECT_EQ(editor->positionCount, 0);
    EXPECT_EQ(CountPositions(editor->positionGrid), 0);
    EXPECT_EQ(editor->positionGrid[CellIndex(0, 10, 10)], 0);
}

TEST(EditorBoard, LayoutsFromFilesNeverReachOutsideTheGrid) {
    auto editor = Editor();
    PositionGrid layout{};
    layout[CellIndex(4, 19, 33)] = 1;  // the very last cell
    layout[CellIndex(0, 0, 33)] = 1;
    editor->StartFrom(layout);
    EXPECT_EQ(editor->positionCount, 0);  // neither can hold a whole tile
    EXPECT_EQ(ShownTiles(*editor), 0);

    PositionGrid crowded{};
    for (int layer = 0; layer < 2; ++layer) {
        for (int row = 0; row <= 18; row += 2) {
            for (int column = 0; column <= 32; column += 2) {
                crowded[CellIndex(layer, row, column)] = 1;
            }
        }
    }
    editor->StartFrom(crowded);
    EXPECT_EQ(editor->positionCount, 340);
    EXPECT_EQ(ShownTiles(*editor), 144);
    EXPECT_FALSE(Click(*editor, {2, 0, 0}, EditorButton::Add));
}

// A file's position on the last row or column can never be shown, clicked away or played: the
// editor drops it, so the count is what the player sees and a saved layout always loads.
TEST(EditorBoard, PositionsWithoutRoomForATileAreDroppedSoASavedLayoutLoads) {
    TempFolder folder("editor_edge");
    auto editor = Editor();
    editor->layoutsFolder = folder.Path();
    editor->layoutFileName = "Edge.tvl";
    PositionGrid layout = Band(143);
    layout[CellIndex(0, 19, 0)] = 1;
    layout[CellIndex(1, 4, 33)] = 1;
    editor->StartFrom(layout);
    EXPECT_EQ(editor->positionCount, 143);
    EXPECT_EQ(ShownTiles(*editor), 143);
    EXPECT_EQ(editor->positionGrid[CellIndex(0, 19, 0)], 0);
    EXPECT_EQ(editor->positionGrid[CellIndex(1, 4, 33)], 0);
    EXPECT_FALSE(editor->CanSave());

    ASSERT_TRUE(Click(*editor, {0, 16, 20}, EditorButton::Add));
    EXPECT_EQ(editor->positionCount, 144);
    EXPECT_EQ(ShownTiles(*editor), 144);
    ASSERT_TRUE(editor->CanSave());
    ASSERT_TRUE(editor->SaveLayout());

    auto board = std::make_unique<Board>();
    board->layoutsFolder = folder.Path();
    board->layoutFileName = "Edge.tvl";
    EXPECT_TRUE(board->LoadLayout());
}

TEST(EditorBoard, SavesOnlyItsPositions) {
    TempFolder folder("editor_save");
    auto editor = Editor();
    editor->layoutsFolder = folder.Path();
    editor->layoutFileName = "MINE.TVL";
    Click(*editor, {0, 2, 2}, EditorButton::Add);
    Click(*editor, {0, 2, 2}, EditorButton::Add);
    ASSERT_TRUE(editor->SaveLayout());
    EXPECT_EQ(folder.Read("MINE.TVL"), "2 2 0\r\n2 1 1\r\n");
}

TEST(EditorBoard, AddTargetNamesTheCellTheNextAddFills) {
    auto editor = Editor();
    const int x = X(0, 6);
    const int y = Y(0, 8);
    EXPECT_EQ(editor->AddTarget(x, y, kShape), CellIndex(0, 8, 6));
    ASSERT_TRUE(editor->EditorClick(x, y, EditorButton::Add, kShape));
    // Layer 0 is taken there now: the hint moves up with the layer's shift, as the click does.
    const int next = editor->AddTarget(x, y, kShape);
    EXPECT_EQ(next, CellIndex(1, 8, 5));
    ASSERT_TRUE(editor->EditorClick(x, y, EditorButton::Add, kShape));
    EXPECT_EQ(editor->positionGrid[next], 1);
    EXPECT_EQ(editor->AddTarget(10, 10, kShape), -1);  // beside the grid

    editor->StartFrom(Band(144));
    EXPECT_EQ(editor->AddTarget(X(0, 30), Y(0, 18), kShape), -1);  // a free spot, but full
}
