// The layout editor's mouse: left clicks add positions on the lowest layer with room, right clicks
// take away the topmost position whose top-left cell is under the pointer, never more than 144
// positions, and the hint that shows where the next left click lands.
#include "tests/shell/edition_2d/editor_test_support.h"

namespace {

class EditorClicks : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        app->ExecuteCommand(command::EDIT_LAYOUT);
        app->ExecuteCommand(command::NEW_LAYOUT);
        ASSERT_EQ(app->editor.positionCount, 0);
    }
};

}  // namespace

TEST_F(EditorClicks, LeftClickAddsOnTheLowestLayerWithRoom) {
    // A free spot of layer 0: the position goes there although layer 1 has room too.
    const ViewPoint p = CellPoint(0, 4, 6);
    LeftClick(p);
    EXPECT_EQ(EditorPositions(), std::vector<int>{CellIndex(0, 4, 6)});
    EXPECT_EQ(app->editor.positionGrid[CellIndex(0, 5, 7)], 2);
    EXPECT_EQ(window.status, TilesStatus(1));

    // The same point again: layer 0 is taken, so the position goes on layer 1, at the cell under
    // the pointer on that layer's shifted grid.
    const int upper = CellAt(1, p);
    ASSERT_GE(upper, 0);
    LeftClick(p);
    EXPECT_EQ(app->editor.positionCount, 2);
    EXPECT_EQ(app->editor.positionGrid[upper], 1);
    EXPECT_EQ(window.status, TilesStatus(2));

    // A third and fourth time climb to layers 2 and 3.
    LeftClick(p);
    LeftClick(p);
    EXPECT_EQ(app->editor.positionGrid[CellAt(2, p)], 1);
    EXPECT_EQ(app->editor.positionGrid[CellAt(3, p)], 1);
    EXPECT_EQ(app->editor.positionCount, 4);

    // A click beside the grid changes nothing.
    LeftClick(ViewPoint{1, 1});
    EXPECT_EQ(app->editor.positionCount, 4);
}

TEST_F(EditorClicks, LeftClickOnAQuarterOfAPositionGoesUpAtTheCellUnderThePointer) {
    LeftClick(0, 4, 6);
    // The lower right quarter of that position is taken on layer 0 too: the new position starts
    // on layer 1 wherever the pointer falls there, overlapping the one below.
    const ViewPoint quarter = CellPoint(0, 5, 7);
    const int upper = CellAt(1, quarter);
    LeftClick(quarter);
    ASSERT_EQ(app->editor.positionCount, 2);
    EXPECT_EQ(app->editor.positionGrid[upper], 1);
    EXPECT_EQ(app->editor.positionGrid[CellIndex(0, 5, 7)], 2);
}

TEST_F(EditorClicks, TheHundredAndFortyFifthAddIsRefused) {
    // 144 positions side by side on layer 0, clicked one by one.
    int placed = 0;
    for (int row = 0; row <= 16 && placed < kTiles; row += 2) {
        for (int column = 0; column <= 32 && placed < kTiles; column += 2, ++placed) {
            LeftClick(0, row, column);
            ASSERT_EQ(app->editor.positionCount, placed + 1);
            // Saving is offered exactly at 144.
            ASSERT_EQ(SaveShownEnabled(), placed + 1 == kTiles) << "after " << placed + 1;
        }
    }
    EXPECT_EQ(window.status, TilesStatus(kTiles));

    const std::vector<int> full = EditorPositions();
    LeftClick(0, 18, 0);  // a free spot, but the layout is whole
    EXPECT_EQ(EditorPositions(), full);
    EXPECT_EQ(window.status, TilesStatus(kTiles));
    EXPECT_TRUE(SaveShownEnabled());

    // Taking one away makes room for one more, and saving is offered again only then.
    RightClick(0, 0, 0);
    EXPECT_EQ(app->editor.positionCount, kTiles - 1);
    EXPECT_FALSE(SaveShownEnabled());
    LeftClick(0, 18, 0);
    EXPECT_EQ(app->editor.positionCount, kTiles);
    EXPECT_EQ(app->editor.positionGrid[CellIndex(0, 18, 0)], 1);
    EXPECT_TRUE(SaveShownEnabled());
}

TEST_F(EditorClicks, RightClickTakesTheTopmostPositionWhoseTopLeftCellIsUnderThePointer) {
    const ViewPoint p = CellPoint(0, 8, 10);
    LeftClick(p);
    LeftClick(p);  // layer 1, its top-left cell under p
    ASSERT_EQ(app->editor.positionCount, 2);
    const int upper = CellAt(1, p);

    // The upper one goes first, then the lower one.
    RightClick(p);
    EXPECT_EQ(EditorPositions(), std::vector<int>{CellIndex(0, 8, 10)});
    EXPECT_EQ(window.status, TilesStatus(1));
    EXPECT_EQ(app->editor.positionGrid[upper], 0);
    RightClick(p);
    EXPECT_TRUE(EditorPositions().empty());
    EXPECT_EQ(window.status, TilesStatus(0));
    // The quarters went with their positions: the spot takes a new position on layer 0 again.
    LeftClick(p);
    EXPECT_EQ(EditorPositions(), std::vector<int>{CellIndex(0, 8, 10)});
}

TEST_F(EditorClicks, RightClickOnAnotherQuarterPassesThePositionByAndScansDownwards) {
    // A layer 0 position whose top-left cell lies under point p, and a layer 1 position placed so
    // that p falls on its lower right quarter.
    const ViewPoint p = CellPoint(0, 8, 10);
    const int onUpper = CellAt(1, p);
    ASSERT_GE(onUpper, 0);
    const int upperTopLeft = onUpper - kColumns - 1;
    PositionGrid layout{};
    layout[CellIndex(0, 8, 10)] = 1;
    layout[upperTopLeft] = 1;
    app->editor.StartFrom(layout);
    ASSERT_EQ(app->editor.positionGrid[onUpper], 2);

    // Only the lower position's top-left cell is under p: it is the one removed.
    RightClick(p);
    EXPECT_EQ(EditorPositions(), std::vector<int>{upperTopLeft});
    EXPECT_EQ(window.status, TilesStatus(1));

    // p now falls only on a quarter of the upper position: nothing is removed.
    RightClick(p);
    EXPECT_EQ(EditorPositions(), std::vector<int>{upperTopLeft});
    // Nor on a quarter other than the top-left of a layer 0 position.
    LeftClick(0, 12, 12);
    RightClick(0, 13, 13);
    RightClick(0, 12, 13);
    RightClick(0, 13, 12);
    EXPECT_EQ(app->editor.positionCount, 2);
    RightClick(0, 12, 12);
    EXPECT_EQ(app->editor.positionCount, 1);
}

TEST_F(EditorClicks, ClicksWorkWhileTheGameChronoIsPaused) {
    // Entering paused the chrono of the game; the editor still takes left clicks.
    ASSERT_EQ(app->board.ChronoPaused, 1);
    LeftClick(0, 2, 2);
    EXPECT_EQ(app->editor.positionCount, 1);
    // Right clicks edit too, and never undo a move of the game.
    const int undoBefore = app->board.undoCount;
    RightClick(0, 2, 2);
    EXPECT_EQ(app->editor.positionCount, 0);
    EXPECT_EQ(app->board.undoCount, undoBefore);
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::Message), 0);  // no "nothing to undo" box
}

TEST_F(EditorClicks, ThePointerShowsWhereTheNextLeftClickLands) {
    const std::vector<std::uint8_t> empty = Frame();
    ASSERT_FALSE(empty.empty());

    const ViewPoint p = CellPoint(0, 6, 6);
    app->OnPointerMoved(PointerState{p.x, p.y});
    EXPECT_EQ(app->View().sources.editorTarget(), CellIndex(0, 6, 6));
    const std::vector<std::uint8_t> hinted = Frame();
    EXPECT_NE(hinted, empty) << "the hint tile is drawn";

    // The hint is see-through: where it lies the frame is neither the empty board nor a placed
    // tile.
    LeftClick(p);
    app->OnPointerLeft();  // the pointer leaves the view: no hint
    const std::vector<std::uint8_t> placed = Frame();
    EXPECT_NE(placed, hinted);
    EXPECT_NE(placed, empty);

    // Over the new position the hint climbs to layer 1, where the click would put the next one.
    app->OnPointerMoved(PointerState{p.x, p.y});
    EXPECT_EQ(app->View().sources.editorTarget(), CellAt(1, p));
    const int ticks = window.invalidates;
    app->OnPointerMoved(PointerState{p.x + 1, p.y});  // the same cell: nothing is drawn again
    EXPECT_EQ(window.invalidates, ticks);

    // With 144 positions no click adds, and no hint is shown.
    app->ExecuteCommand(command::EXIT_EDIT_LAYOUT);
    app->ExecuteCommand(command::EDIT_LAYOUT);
    app->OnPointerMoved(PointerState{p.x, p.y});
    EXPECT_EQ(app->View().sources.editorTarget(), -1);
    // Outside the editor the pointer draws nothing.
    app->ExecuteCommand(command::EXIT_EDIT_LAYOUT);
    const int before = window.invalidates;
    app->OnPointerMoved(PointerState{p.x + 40, p.y + 40});
    EXPECT_EQ(window.invalidates, before);
}
