#include "view3d/tile_geometry.h"

#include <gtest/gtest.h>

#include "view3d/math3d.h"

namespace {

Vector3 PositionOf(const TileVertex& v) {
    return {v.x, v.y, v.z};
}

// Normal of a triangle by its winding: counter-clockwise seen from where it points.
Vector3 WindingNormal(const TileVertices& vertices, int first) {
    const Vector3 a = PositionOf(vertices[first]);
    return Cross(PositionOf(vertices[first + 1]) - a, PositionOf(vertices[first + 2]) - a);
}

TileVertices Built() {
    TileVertices vertices;
    const LevelColours levels{0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004, 0xFF000005};
    BuildGeometry(vertices, 0xFFB87818, levels);
    return vertices;
}

}  // namespace

// The pieces tile the vertices without gap or overlap, in the documented order: the tile's 120,
// then the mark frames.
TEST(TileGeometry, PieceRangesCoverAllVertices) {
    const PieceRange order[] = {
        kFaceQuad,        kSidesPiece,         kShadowPiece,    kHighlightPiece, kLevelFacesPiece,
        kBackgroundPiece, kSelectedFramePiece, kHintFramePiece, kFrameEdgePiece, kFocusRingPiece};
    int next = 0;
    for (const PieceRange& piece : order) {
        EXPECT_EQ(piece.first, next);
        EXPECT_EQ(piece.count % 3, 0);
        next = piece.End();
    }
    EXPECT_EQ(next, kVertexCount);
    EXPECT_EQ(kBackgroundPiece.End(), kTileVertexCount);
    next = kShadowPiece.first;
    for (int row = 0; row < kShadowRows; ++row) {
        EXPECT_EQ(ShadowRowPiece(row).first, next) << row;
        next = ShadowRowPiece(row).End();
    }
    EXPECT_EQ(next, kShadowPiece.End());
    for (int layer = 0; layer < kLayers; ++layer) {
        EXPECT_EQ(LevelFacePiece(layer).first, 84 + 6 * layer);
        EXPECT_EQ(LevelFacePiece(layer).count, 6);
    }
    EXPECT_EQ(kSidesPiece.Triangles(), 10);
}

// Every box triangle faces outward; shadows, highlight, faces and background all face +z.
TEST(TileGeometry, TrianglesFaceOutward) {
    const TileVertices v = Built();
    const Vector3 centre{7.5f, 10.0f, 5.0f};
    for (int first = 0; first < 36; first += 3) {
        const Vector3 middle =
            (PositionOf(v[first]) + PositionOf(v[first + 1]) + PositionOf(v[first + 2])) *
            (1.0f / 3.0f);
        EXPECT_GT(Dot(WindingNormal(v, first), middle - centre), 0.0f) << "vertex " << first;
    }
    for (int first = kShadowPiece.first; first < kVertexCount; first += 3) {
        const Vector3 n = WindingNormal(v, first);
        EXPECT_GT(n.z, 0.0f) << "vertex " << first;
        EXPECT_EQ(n.x, 0.0f) << "vertex " << first;
        EXPECT_EQ(n.y, 0.0f) << "vertex " << first;
    }
}

// Positions, colours and texture coordinates of each piece, vertex by vertex where it matters.
TEST(TileGeometry, VerticesAsDocumented) {
    const TileVertices v = Built();
    struct Case {
        int vertex;
        float x, y, z, u, w;
        std::uint32_t colour;
    };
    const Case cases[] = {
        {0, 0, 0, 10, 0, 1, kOpaqueWhite},    // face: corner 4
        {2, 15, 20, 10, 1, 0, kOpaqueWhite},  // corner 7
        {4, 0, 20, 10, 0, 0, kOpaqueWhite},   // corner 6: top left of the picture
        {6, 0, 0, 0, 1, 1, 0xFFB87818},       // back: corner 0
        {8, 15, 20, 0, 0, 0, 0xFFB87818},     // corner 3
        {35, 0, 20, 0, 0, 1, 0xFFB87818},     // left side ends at corner 2
        {36, 0, 0, 0, 0, 0, kShadowColour},   // joinLeft
        {38, 3.75f, -5, 0, 0, 0, kShadowColour}, {56, 20, -5, 0, 0, 0, kShadowColour},  // corner
        {77, 15, 20, 0, 0, 0, kShadowColour},                                           // joinAbove
        {78, 0, 0, 10, 0, 0, kHighlightColour},  {82, 15, 20, 10, 0, 0, kHighlightColour},
        {84, 0, 0, 10, 0, 1, 0xFF000001},      // level 0 face copy
        {113, 0, 0, 10, 0, 1, 0xFF000005},     // level 4, last vertex
        {114, -1, -1, 0, 0, 1, kOpaqueWhite},  // background
        {116, 1, 1, 0, 1, 0, kOpaqueWhite},      {118, -1, 1, 0, 0, 0, kOpaqueWhite},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(v[c.vertex].x, c.x) << c.vertex;
        EXPECT_EQ(v[c.vertex].y, c.y) << c.vertex;
        EXPECT_EQ(v[c.vertex].z, c.z) << c.vertex;
        EXPECT_EQ(v[c.vertex].u, c.u) << c.vertex;
        EXPECT_EQ(v[c.vertex].v, c.w) << c.vertex;
        EXPECT_EQ(v[c.vertex].colour, c.colour) << c.vertex;
        EXPECT_EQ(v[c.vertex].nx + v[c.vertex].ny + v[c.vertex].nz, 0.0f) << c.vertex;
    }
    // The five level faces repeat the face quad; only the colour differs.
    for (int layer = 0; layer < kLayers; ++layer) {
        for (int k = 0; k < 6; ++k) {
            const TileVertex& copy = v[LevelFacePiece(layer).first + k];
            EXPECT_EQ(PositionOf(copy), PositionOf(v[k]));
            EXPECT_EQ(copy.u, v[k].u);
            EXPECT_EQ(copy.v, v[k].v);
        }
    }
    // The picture's top (v = 0) lies at y = 20 and its left (u = 0) at x = 0.
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(v[k].v == 0.0f, v[k].y == 20.0f) << k;
        EXPECT_EQ(v[k].u == 0.0f, v[k].x == 0.0f) << k;
    }
}

// Level colours land in 84..113 only, converted from 0x00BBGGRR.
TEST(TileGeometry, LevelColours) {
    EXPECT_EQ(VertexColourFromColourRef(0x00563412u), 0xFF123456u);
    EXPECT_EQ(VertexColourFromColourRef(0x00C0C0C0u), 0xFFC0C0C0u);
    TileVertices v = Built();
    const TileVertices before = v;
    SetLevelColours(v, LevelColours{0xFF0000AA, 0xFF0000BB, 0xFF0000CC, 0xFF0000DD, 0xFF0000EE});
    for (int k = 0; k < kVertexCount; ++k) {
        if (k >= kLevelFacesPiece.first && k < kLevelFacesPiece.End()) {
            EXPECT_EQ(v[k].colour, 0xFF0000AAu + 0x11u * ((k - 84) / 6)) << k;
        } else {
            EXPECT_EQ(v[k].colour, before[k].colour) << k;
        }
    }
}

// Each shadow row follows its flag; the two cut flags share the rows of their plain flags.
TEST(TileGeometry, ShadowRowMask) {
    struct Case {
        std::uint8_t ShadowFlags::*flag;
        std::uint16_t mask;
    };
    const Case cases[] = {
        {&ShadowFlags::joinLeft, 1u << 0},      {&ShadowFlags::bottomLeft, 1u << 1},
        {&ShadowFlags::bottomJoint, 1u << 2},   {&ShadowFlags::bottomRight, 1u << 3},
        {&ShadowFlags::corner, 1u << 4},        {&ShadowFlags::rightLower, 1u << 5},
        {&ShadowFlags::rightLowerCut, 1u << 5}, {&ShadowFlags::rightJoint, 1u << 6},
        {&ShadowFlags::rightUpper, 1u << 7},    {&ShadowFlags::rightUpperCut, 1u << 7},
        {&ShadowFlags::joinAbove, 1u << 8},
    };
    for (const Case& c : cases) {
        ShadowFlags flags;
        flags.*c.flag = 1;
        EXPECT_EQ(ShadowRowMask(flags), c.mask);
    }
    EXPECT_EQ(ShadowRowMask(ShadowFlags{}), 0);
    ShadowFlags both;
    both.rightLower = both.rightLowerCut = 1;
    EXPECT_EQ(ShadowRowMask(both), 1u << 5);
    ShadowFlags all{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(ShadowRowMask(all), 0x1FF);
}
