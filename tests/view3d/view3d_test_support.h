// Boards and projections the 3D view tests share.
#pragma once

#include <memory>
#include <string>

#include "core/board.h"
#include "view3d/frame_plan.h"
#include "view3d/math3d.h"
#include "view3d/scene.h"

// A board with no tiles dealt: every record removed, positions at (0, 0, 0).
std::unique_ptr<Board> EmptyBoard();

// Puts tile `t` at (layer, row, column) with `face`, free or not.
void PutTile(Board& board, int t, int layer, int row, int column, int face, bool free);

// The shipped Default layout, dealt the same way every run, free states and shadows computed.
std::unique_ptr<Board> FullBoard();

// Where the model point `p` of the tile drawn as `entry` lands in the frame, in view pixels
// (fractions kept), through the same matrices the renderers use.
Vector2 ProjectToPixel(const FramePlan& plan, const PlannedTile& entry, const Vector3& p);
