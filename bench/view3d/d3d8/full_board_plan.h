// A full board of 144 tiles as board3d_d3d would plan it, for the benchmarks and the frame shot:
// five layers stacked as a pyramid, placed, viewed and projected with the game's own formulas,
// textured with the shipped tile set and background when they are found (else drawn ones).
#pragma once

#include "images/image.h"
#include "images/tile_set.h"
#include "view3d/frame_plan.h"

// The plan of one frame at width x height pixels; the board turned by `yaw` and `pitch` radians.
FramePlan FullBoardPlan(int width, int height, float yaw = 0.0f, float pitch = 0.0f);
// Faces of `faceSize` pixels: the shipped Standard tile set, or a drawn pattern without it.
void LoadBoardTileSet(TileSet& tileSet, int faceSize);
// The shipped Mountain background, or a drawn gradient of 800 x 600 pixels.
Image LoadBoardBackground();
