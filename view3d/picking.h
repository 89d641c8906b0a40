// Picking on the 3D board: the click becomes a ray through the camera, tested against the faces
// of the free tiles with the very matrices of the frame the player saw.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "core/board.h"
#include "view3d/frame_plan.h"
#include "view3d/math3d.h"

// The one-sided ray/triangle test: true when the line through `origin` along `direction` meets
// triangle a, b, c from its front (counter-clockwise) side, edges and corners included.
bool RayHitsTriangle(const Vector3& origin, const Vector3& direction, const Vector3& a,
                     const Vector3& b, const Vector3& c);

// The ray through view pixel (x, y) in world space: from the camera toward the far plane.
struct PickRay {
    Vector3 origin;
    Vector3 farPoint;
};
// False when the drawn frame has no view size to turn pixels into a direction.
bool RayThroughPixel(const FramePlan& drawn, int x, int y, PickRay& ray);

// Whether the ray meets the face of the tile as entry `entry` of the drawn frame placed it.
bool RayHitsFace(const PickRay& ray, const PlannedTile& entry);

// Every free tile still on the board whose drawn face lies under view pixel (x, y), in record
// order. Tiles the frame did not draw are not candidates.
struct PickCandidates {
    int count = 0;
    std::array<std::uint8_t, kTiles> tiles{};
};
PickCandidates FindPickCandidates(const Board& board, const FramePlan& drawn, int x, int y);

// A left click at view pixel (x, y): `clickTile` is offered the candidates in record order until
// one takes the click; if none does, it is called once with NoTile (a click on nothing, which
// clears the selection). Returns the tile that took the click, or NoTile.
int PickTile(const Board& board, const FramePlan& drawn, int x, int y,
             const std::function<bool(int tile)>& clickTile);
