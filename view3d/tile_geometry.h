// The model of one 3D tile and everything drawn with it: the 120 vertices of the tile (box, drop
// shadows, highlight, the five layer-coloured faces, the full-screen background) and after them
// the frames that mark a selected, hinted or keyboard-focused face, the vertex ranges of each
// piece, and the order in which a tile's pieces are drawn.
#pragma once

#include <array>
#include <cstdint>

#include "core/board.h"

// One vertex as the renderers store it: 36 bytes, position, normal (always 0: lighting is off),
// colour as 0xAARRGGBB, texture coordinates.
struct TileVertex {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float nx = 0.0f, ny = 0.0f, nz = 0.0f;
    std::uint32_t colour = 0;
    float u = 0.0f, v = 0.0f;
};
static_assert(sizeof(TileVertex) == 36);

inline constexpr int kTileVertexCount = 120;  // the tile and the background
inline constexpr int kMarkVertexCount = 144;  // the mark frames after them
inline constexpr int kVertexCount = kTileVertexCount + kMarkVertexCount;
using TileVertices = std::array<TileVertex, kVertexCount>;

// Model space of a tile: x 0..15, y 0..20, z 0..10; the face is z = 10, facing +z.
inline constexpr float kTileWidth = 15.0f;
inline constexpr float kTileHeight = 20.0f;
inline constexpr float kTileDepth = 10.0f;

// A run of vertices drawn as an independent-triangle list.
struct PieceRange {
    int first = 0;
    int count = 0;  // vertices, a multiple of 3
    constexpr int Triangles() const { return count / 3; }
    constexpr int End() const { return first + count; }
};

inline constexpr PieceRange kFaceQuad{0, 6};     // the source of the level faces; not drawn itself
inline constexpr PieceRange kSidesPiece{6, 30};  // back and four sides, texture 42
inline constexpr PieceRange kShadowPiece{36, 42};  // all 14 shadow triangles
inline constexpr PieceRange kHighlightPiece{78, 6};
inline constexpr PieceRange kLevelFacesPiece{84, 30};
inline constexpr PieceRange kBackgroundPiece{114, 6};  // drawn with identity matrices

// The frames on the face, each a ring of four flat bands in the face plane, as far in from the
// face's edge as the 2D board draws them (a twelfth of the face's width): the selected tile's and
// the hint pair's coloured band at the edge with a dark line inside it; the keyboard focus ring
// further in (a white line, a blue band, a white line), so it shows together with either frame.
inline constexpr PieceRange kSelectedFramePiece{120, 24};
inline constexpr PieceRange kHintFramePiece{144, 24};
inline constexpr PieceRange kFrameEdgePiece{168, 24};
inline constexpr PieceRange kFocusRingPiece{192, 72};

// The face quad in the colour of layer `layer` (0..4).
constexpr PieceRange LevelFacePiece(int layer) {
    return {84 + 6 * layer, 6};
}

// Colours of the translucent pieces: grey 64 at alpha 128.
inline constexpr std::uint32_t kShadowColour = 0x80404040;
inline constexpr std::uint32_t kHighlightColour = 0x80404040;
inline constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFF;
// Colours of the mark frames, opaque, the same as on the 2D board.
inline constexpr std::uint32_t kSelectedFrameVertexColour = 0xFFFF6E00;  // orange
inline constexpr std::uint32_t kHintFrameVertexColour = 0xFFE61EC8;      // magenta
inline constexpr std::uint32_t kFrameEdgeVertexColour = 0xFF000000;
// The keyboard focus ring: a blue band between white lines, as on the 2D board.
inline constexpr std::uint32_t kFocusBandVertexColour = 0xFF0050DC;
inline constexpr std::uint32_t kFocusLineVertexColour = 0xFFFFFFFF;

// Texture of the tile body, of the paused faces, and of faces without a picture.
inline constexpr int kBodyTexture = kBlankFace;  // 42

// The drop shadow, in the rows the game core's ShadowFlags describe, in drawing order. A row
// with two flags is drawn once when either is set.
inline constexpr int kShadowRows = 9;
PieceRange ShadowRowPiece(int row);  // row 0..8
// Bit k set = shadow row k is drawn for a tile with these flags.
std::uint16_t ShadowRowMask(const ShadowFlags& flags);

// Depth bias of a draw: larger wins over coplanar geometry drawn earlier.
inline constexpr int kBodyDepthBias = 0;
inline constexpr int kShadowDepthBias = 1;
inline constexpr int kHighlightDepthBias = 2;
inline constexpr int kMarkDepthBias = 3;  // the frames lie on the veiled face

// The pieces of one tile, in the order they are drawn, and where each takes its texture.
enum class TilePiece : std::uint8_t { Sides, Face, Highlight, Marks, Shadow };
enum class PieceTexture : std::uint8_t {
    Body,      // texture 42
    Face,      // the tile's face texture, or 42 while paused
    KeepFace,  // whatever the face was drawn with stays bound
    None,      // untextured
};
struct TileDrawStep {
    TilePiece piece;
    int depthBias;
    PieceTexture texture;
};
inline constexpr std::array<TileDrawStep, 5> kTileDrawOrder{{
    {TilePiece::Sides, kBodyDepthBias, PieceTexture::Body},
    {TilePiece::Face, kBodyDepthBias, PieceTexture::Face},
    {TilePiece::Highlight, kHighlightDepthBias, PieceTexture::KeepFace},
    {TilePiece::Marks, kMarkDepthBias, PieceTexture::None},
    {TilePiece::Shadow, kShadowDepthBias, PieceTexture::None},
}};

// Opaque vertex colour (0xFFRRGGBB) of a colour stored as 0x00BBGGRR.
constexpr std::uint32_t VertexColourFromColourRef(std::uint32_t colourRef) {
    return 0xFF000000u | ((colourRef & 0xFFu) << 16) | (colourRef & 0xFF00u) |
           ((colourRef >> 16) & 0xFFu);
}

using LevelColours = std::array<std::uint32_t, kLayers>;  // vertex colours, one per layer

// Fills all vertices: the box and side colour, shadows, highlight, level faces, background, and
// the mark frames.
void BuildGeometry(TileVertices& vertices, std::uint32_t sidesColour,
                   const LevelColours& levelColours);
// Writes the level colours into the five face copies (vertices 84..113).
void SetLevelColours(TileVertices& vertices, const LevelColours& levelColours);
