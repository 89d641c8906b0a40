// Picking tiles on the 3D board.
#include "view3d/picking.h"

namespace {

// Below this the ray runs along the face plane or reaches the face from behind.
constexpr float kHitThreshold = 0.0001f;

// The face's two triangles in model space, in the order they are tried.
const Vector3 kFaceTriangles[2][3] = {
    {{0, 0, 10}, {15, 0, 10}, {0, 20, 10}},
    {{15, 0, 10}, {15, 20, 10}, {0, 20, 10}},
};

}  // namespace

bool RayHitsTriangle(const Vector3& origin, const Vector3& direction, const Vector3& a,
                     const Vector3& b, const Vector3& c) {
    const Vector3 e1 = b - a;
    const Vector3 e2 = c - a;
    const Vector3 p = Cross(direction, e2);
    const float det = Dot(e1, p);
    if (!(det >= kHitThreshold)) {
        return false;  // also a NaN ray
    }
    const Vector3 t = origin - a;
    const float u = Dot(t, p);
    if (u < 0.0f || u > det) {
        return false;
    }
    const Vector3 q = Cross(t, e1);
    const float w = Dot(direction, q);
    return !(w < 0.0f || u + w > det);
}

bool RayThroughPixel(const FramePlan& drawn, int x, int y, PickRay& ray) {
    if (drawn.viewWidth <= 0 || drawn.viewHeight <= 0) {
        return false;
    }
    const float nx = 2.0f * static_cast<float>(x) / static_cast<float>(drawn.viewWidth) - 1.0f;
    const float ny = -(2.0f * static_cast<float>(y) / static_cast<float>(drawn.viewHeight) - 1.0f);
    const Vector3 farInView = TransformPoint({nx, ny, 1.0f}, drawn.projection.Inverse());
    // The exact camera placement, not the inverse view with its diagonal forced to the aspect:
    // once the arrow keys have turned the camera, only the exact one keeps the ray on what is
    // drawn.
    ray.farPoint = TransformPoint(farInView, drawn.camera);
    ray.origin = {drawn.camera[12], drawn.camera[13], drawn.camera[14]};
    return true;
}

bool RayHitsFace(const PickRay& ray, const PlannedTile& entry) {
    const Vector3 origin = TransformPoint(ray.origin, entry.placement);
    const Vector3 direction = TransformPoint(ray.farPoint, entry.placement) - origin;
    for (const auto& triangle : kFaceTriangles) {
        if (RayHitsTriangle(origin, direction, triangle[0], triangle[1], triangle[2])) {
            return true;
        }
    }
    return false;
}

PickCandidates FindPickCandidates(const Board& board, const FramePlan& drawn, int x, int y) {
    PickCandidates candidates;
    PickRay ray;
    if (!RayThroughPixel(drawn, x, y, ray)) {
        return candidates;
    }
    for (int t = 0; t < kTiles; ++t) {
        const TileRecord& record = board.tiles[t];
        const std::uint8_t entry = drawn.entryOfTile[t];
        if (record.face == NoTile || record.state != 1 || entry == NoTile ||
            entry >= drawn.tileCount) {
            continue;
        }
        if (RayHitsFace(ray, drawn.tiles[entry])) {
            candidates.tiles[candidates.count++] = static_cast<std::uint8_t>(t);
        }
    }
    return candidates;
}

int PickTile(const Board& board, const FramePlan& drawn, int x, int y,
             const std::function<bool(int tile)>& clickTile) {
    const PickCandidates candidates = FindPickCandidates(board, drawn, x, y);
    for (int k = 0; k < candidates.count; ++k) {
        if (clickTile(candidates.tiles[k])) {
            return candidates.tiles[k];
        }
    }
    clickTile(NoTile);
    return NoTile;
}
