// The vertices of the 3D tile, its shadow rows and its mark frames.
#include "view3d/tile_geometry.h"

#include <cassert>

namespace {

struct Corner {
    float x, y, z;
};

// The eight corners of the box.
constexpr Corner kCorners[8] = {{0, 0, 0},  {15, 0, 0},  {0, 20, 0},  {15, 20, 0},
                                {0, 0, 10}, {15, 0, 10}, {0, 20, 10}, {15, 20, 10}};

struct Side {
    int corners[6];
    float uv[6][2];
};

// The six sides, two triangles each, wound to face outward. The picture's top edge (v = 0) lies
// at y = 20 and its left edge (u = 0) at x = 0.
constexpr float kStandardUv[6][2] = {{0, 1}, {1, 1}, {1, 0}, {1, 0}, {0, 0}, {0, 1}};
constexpr Side kSides[6] = {
    {{4, 5, 7, 7, 6, 4}, {{0, 1}, {1, 1}, {1, 0}, {1, 0}, {0, 0}, {0, 1}}},  // face, z = 10
    {{0, 2, 3, 3, 1, 0}, {{1, 1}, {1, 0}, {0, 0}, {0, 0}, {0, 1}, {1, 1}}},  // back, z = 0
    {{0, 1, 5, 5, 4, 0}, {{0, 1}, {1, 1}, {1, 0}, {1, 0}, {0, 0}, {0, 1}}},  // bottom, y = 0
    {{1, 3, 7, 7, 5, 1}, {{0, 1}, {1, 1}, {1, 0}, {1, 0}, {0, 0}, {0, 1}}},  // right, x = 15
    {{3, 2, 6, 6, 7, 3}, {{0, 1}, {1, 1}, {1, 0}, {1, 0}, {0, 0}, {0, 1}}},  // top, y = 20
    {{2, 0, 4, 4, 6, 2}, {{0, 1}, {1, 1}, {1, 0}, {1, 0}, {0, 0}, {0, 1}}},  // left, x = 0
};

// The drop shadow in the plane z = 0 (the face plane of the layer below), reaching 5 units past
// the bottom edge and the right edge: 14 triangles as (x, y) corners.
constexpr float kShadowCorners[42][2] = {
    {0, 0},    {0, -5},      {3.75f, -5},                                        // joinLeft
    {0, 0},    {3.75f, -5},  {7.5f, 0},    {3.75f, -5},  {7.5f, -5}, {7.5f, 0},  // bottomLeft
    {7.5f, 0}, {7.5f, -5},   {11.25f, -5},                                       // bottomJoint
    {7.5f, 0}, {11.25f, -5}, {15, 0},      {11.25f, -5}, {15, -5},   {15, 0},    // bottomRight
    {15, 0},   {15, -5},     {20, -5},     {20, -5},     {20, 0},    {15, 0},    // corner
    {15, 0},   {20, 0},      {20, 5},      {15, 0},      {20, 5},    {15, 10},   // rightLower
    {20, 5},   {20, 10},     {15, 10},                                           // rightJoint
    {15, 10},  {20, 10},     {20, 15},     {15, 10},     {20, 15},   {15, 20},   // rightUpper
    {20, 15},  {20, 20},     {15, 20},                                           // joinAbove
};

// Vertex ranges of the nine shadow rows.
constexpr PieceRange kShadowRowPieces[kShadowRows] = {{36, 3}, {39, 6}, {45, 3}, {48, 6}, {54, 6},
                                                      {60, 6}, {66, 3}, {69, 6}, {75, 3}};

// The highlight: the face, as two triangles of its own.
constexpr Corner kHighlightCorners[6] = {{0, 0, 10},  {15, 0, 10},  {0, 20, 10},
                                         {15, 0, 10}, {15, 20, 10}, {0, 20, 10}};

// The background: the whole view in normalised coordinates.
constexpr Corner kBackgroundCorners[6] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0},
                                          {1, 1, 0},   {-1, 1, 0}, {-1, -1, 0}};

TileVertex MakeVertex(float x, float y, float z, std::uint32_t colour, float u, float v) {
    TileVertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.z = z;
    vertex.colour = colour;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

// Insets of the mark frames from the face's edge, in model units: the 2D board's frame is a
// twelfth of the face's width with a dark line a third of that inside it.
constexpr float kFrameWidth = kTileWidth / 12.0f;
constexpr float kEdgeWidth = kFrameWidth / 3.0f;
constexpr float kFocusInset = kFrameWidth + kEdgeWidth + 0.25f;

// A ring on the face between `outer` and `inner` inset from its edge: bands along the bottom and
// the top edge over the whole width, then the left and the right between them; 24 vertices, every
// triangle facing +z.
int WriteRing(TileVertices& vertices, int first, float outer, float inner, std::uint32_t colour) {
    const float bands[4][4] = {
        {outer, outer, kTileWidth - outer, inner},                              // bottom
        {outer, kTileHeight - inner, kTileWidth - outer, kTileHeight - outer},  // top
        {outer, inner, inner, kTileHeight - inner},                             // left
        {kTileWidth - inner, inner, kTileWidth - outer, kTileHeight - inner},   // right
    };
    int k = first;
    for (const auto& band : bands) {
        const float x0 = band[0], y0 = band[1], x1 = band[2], y1 = band[3];
        const float corners[6][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x1, y1}, {x0, y1}, {x0, y0}};
        for (const auto& corner : corners) {
            vertices[static_cast<std::size_t>(k++)] =
                MakeVertex(corner[0], corner[1], kTileDepth, colour, 0, 0);
        }
    }
    return k;
}

void BuildMarkFrames(TileVertices& vertices) {
    WriteRing(vertices, kSelectedFramePiece.first, 0.0f, kFrameWidth, kSelectedFrameVertexColour);
    WriteRing(vertices, kHintFramePiece.first, 0.0f, kFrameWidth, kHintFrameVertexColour);
    WriteRing(vertices, kFrameEdgePiece.first, kFrameWidth, kFrameWidth + kEdgeWidth,
              kFrameEdgeVertexColour);
    int k = kFocusRingPiece.first;
    k = WriteRing(vertices, k, kFocusInset, kFocusInset + kEdgeWidth, kFocusLineVertexColour);
    k = WriteRing(vertices, k, kFocusInset + kEdgeWidth, kFocusInset + kEdgeWidth + kFrameWidth,
                  kFocusBandVertexColour);
    k = WriteRing(vertices, k, kFocusInset + kEdgeWidth + kFrameWidth,
                  kFocusInset + 2 * kEdgeWidth + kFrameWidth, kFocusLineVertexColour);
    assert(k == kFocusRingPiece.End() && k == kVertexCount);
}

}  // namespace

PieceRange ShadowRowPiece(int row) {
    assert(row >= 0 && row < kShadowRows);
    return kShadowRowPieces[row];
}

std::uint16_t ShadowRowMask(const ShadowFlags& flags) {
    const bool rows[kShadowRows] = {
        flags.joinLeft != 0,    flags.bottomLeft != 0,
        flags.bottomJoint != 0, flags.bottomRight != 0,
        flags.corner != 0,      flags.rightLower != 0 || flags.rightLowerCut != 0,
        flags.rightJoint != 0,  flags.rightUpper != 0 || flags.rightUpperCut != 0,
        flags.joinAbove != 0,
    };
    std::uint16_t mask = 0;
    for (int row = 0; row < kShadowRows; ++row) {
        if (rows[row]) {
            mask = static_cast<std::uint16_t>(mask | (1u << row));
        }
    }
    return mask;
}

void BuildGeometry(TileVertices& vertices, std::uint32_t sidesColour,
                   const LevelColours& levelColours) {
    // The box: the face quad in white, then back and sides in the side colour.
    for (int side = 0; side < 6; ++side) {
        const std::uint32_t colour = (side == 0) ? kOpaqueWhite : sidesColour;
        for (int k = 0; k < 6; ++k) {
            const Corner& c = kCorners[kSides[side].corners[k]];
            vertices[6 * side + k] =
                MakeVertex(c.x, c.y, c.z, colour, kSides[side].uv[k][0], kSides[side].uv[k][1]);
        }
    }
    for (int k = 0; k < kShadowPiece.count; ++k) {
        vertices[kShadowPiece.first + k] =
            MakeVertex(kShadowCorners[k][0], kShadowCorners[k][1], 0.0f, kShadowColour, 0, 0);
    }
    for (int k = 0; k < kHighlightPiece.count; ++k) {
        const Corner& c = kHighlightCorners[k];
        vertices[kHighlightPiece.first + k] = MakeVertex(c.x, c.y, c.z, kHighlightColour, 0, 0);
    }
    for (int layer = 0; layer < kLayers; ++layer) {
        for (int k = 0; k < 6; ++k) {
            vertices[LevelFacePiece(layer).first + k] = vertices[kFaceQuad.first + k];
        }
    }
    SetLevelColours(vertices, levelColours);
    for (int k = 0; k < kBackgroundPiece.count; ++k) {
        const Corner& c = kBackgroundCorners[k];
        vertices[kBackgroundPiece.first + k] =
            MakeVertex(c.x, c.y, c.z, kOpaqueWhite, kStandardUv[k][0], kStandardUv[k][1]);
    }
    BuildMarkFrames(vertices);
}

void SetLevelColours(TileVertices& vertices, const LevelColours& levelColours) {
    for (int layer = 0; layer < kLayers; ++layer) {
        const PieceRange piece = LevelFacePiece(layer);
        for (int k = piece.first; k < piece.End(); ++k) {
            vertices[k].colour = levelColours[layer];
        }
    }
}
