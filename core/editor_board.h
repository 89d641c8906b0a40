// The layout editor's board: a layout grid of its own, edited with the mouse, that the game
// board is not touched by until the layout is saved.
#pragma once

#include "core/board.h"

// Which half-tile rectangle of a cell a click must fall in, as the 2D view draws the editor:
// a point (x, y) is in cell i when cellX[i] + offsetX <= x < cellX[i] + offsetX + width and
// cellY[i] <= y < cellY[i] + height.
struct EditorCellShape {
    int offsetX = 0;
    int width = 0;
    int height = 0;
};

enum class EditorButton { Add, Remove };

struct EditorBoard : LayoutGrid {
    // Screen position of each cell's top-left corner, filled by the 2D view.
    std::array<std::int32_t, kCells> cellX{};
    std::array<std::int32_t, kCells> cellY{};
    std::int16_t positionCount = 0;

    // In the editor's PositionGrid, 1 marks a position's top-left cell and 2 its other three.
    void EditorClear();
    void EditorRebuild();

    // Starts editing from a game layout: copies its positions, rebuilds and numbers them.
    void StartFrom(const PositionGrid& layout);

    // A click at (x, y): Add puts a position on the lowest layer where the four cells under the
    // point are free (never more than 144), Remove takes away the topmost position whose
    // top-left cell is under the point. True when the layout changed (then it is rebuilt and
    // numbered again).
    bool EditorClick(int x, int y, EditorButton button, const EditorCellShape& shape);

    // Where an Add click at (x, y) would put its position: the top-left cell on the lowest layer
    // with room, or -1 when the click would change nothing. The view shows it as a hint.
    int AddTarget(int x, int y, const EditorCellShape& shape) const;

    // Saving is offered exactly when the layout holds 144 positions.
    bool CanSave() const { return positionCount == kTiles; }

private:
    // The cell (rows 0..18, columns 0..32) of `layer` whose rectangle holds the point, or -1.
    int CellUnder(int layer, int x, int y, const EditorCellShape& shape) const;
    void Renumber();
};
