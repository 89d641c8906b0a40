// What one 3D frame draws, decided once without any graphics interface and executed as it stands
// by either renderer (the software rasterizer and OpenGL). Picking reads the matrices of the plan
// that was drawn, so a click always lands on what the player saw.
//
// Executing a plan:
//   1. Clear colour to `clearColour`, depth to 1.
//   2. If `background`: world, view and projection identity, depth test off, background texture
//      (untextured when none could be loaded), draw kBackgroundPiece; depth test on.
//   3. View and projection = `view`, `projection`. For each entry of `tiles`, in order, with
//      world = its `world`, run the steps of kTileDrawOrder:
//        Sides      bias 0, texture 42, kSidesPiece;
//        Face       bias 0, texture `faceTexture`, LevelFacePiece(`layer`);
//        Highlight  only if `highlight`: bias 2, face texture still bound, kHighlightPiece;
//        Marks      only if `marks` is not 0: bias 3, no texture, kSelectedFramePiece (or
//                   kHintFramePiece) and kFrameEdgePiece for a selected (or hinted) tile, then
//                   kFocusRingPiece for the keyboard focus;
//        Shadow     only rows set in `shadowRows`: bias 1, no texture, ShadowRowPiece(row)
//                   in row order.
#pragma once

#include <array>
#include <cstdint>

#include "core/board.h"
#include "settings/settings.h"
#include "view3d/math3d.h"
#include "view3d/tile_geometry.h"

class Scene3D;

// One tile as this frame draws it.
struct PlannedTile {
    Matrix4 world;                 // model to world; applied as the world transform
    Matrix4 placement;             // its exact inverse (world to model), for picking
    std::uint8_t tile = NoTile;    // record index 0..143
    std::uint8_t layer = 0;        // 0..4: the level face piece and colour
    std::uint8_t faceTexture = 0;  // 0..42; 42 while paused
    bool highlight = false;        // selected or hinted, and not paused
    std::uint8_t marks = 0;        // kMark* bits, 0 while paused
    std::uint16_t shadowRows = 0;  // bit k: shadow row k (0 when shadows are off)
};

// The frames a tile carries. A tile both selected and hinted shows the selection's frame.
inline constexpr std::uint8_t kMarkSelected = 1;
inline constexpr std::uint8_t kMarkHint = 2;
inline constexpr std::uint8_t kMarkFocus = 4;

struct FramePlan {
    std::uint32_t clearColour = 0xFF00A000;  // 0xAARRGGBB, alpha 255: `BackgroundColor`
    bool background = false;                 // a background picture is configured
    bool paused = false;                     // every face blank, no highlight
    Matrix4 view;
    Matrix4 projection;
    // The camera's placement, the exact inverse of `view` (picking's ray origin and direction).
    Matrix4 camera;
    int viewWidth = 0;  // pixels the frame was planned for
    int viewHeight = 0;
    std::uint32_t sidesColour = 0xFFB87818;  // vertex colours the geometry was built with
    LevelColours levelColours{};
    int tileCount = 0;  // entries used in `tiles`
    std::array<PlannedTile, kTiles> tiles{};
    // Entry of `tiles` that drew record t, or NoTile when t was not drawn.
    std::array<std::uint8_t, kTiles> entryOfTile{};
};

// What the frame takes from the settings and the game besides the board and the scene.
struct FrameOptions {
    bool background = false;                      // `Background` names a picture (not "none")
    bool shadows = true;                          // `Shadows`
    std::uint32_t backgroundColour = 0xFF00A000;  // `BackgroundColor` as 0xAARRGGBB
    std::uint32_t sidesColour = 0xFFB87818;       // `SidesColor` as 0xAARRGGBB
    // The two tiles of the hint shown, or NoTile (see ShownHint).
    std::array<int, 2> hintTiles{NoTile, NoTile};
    // The tile the keyboard focus is on, or NoTile.
    int focusTile = NoTile;
};

// 0xFFRRGGBB of a configuration colour (its alpha is ignored: these colours are opaque).
std::uint32_t OpaqueVertexColour(const Colour& colour);

// Background flag, shadows, background and side colours of the configuration; no hint.
FrameOptions FrameOptionsFromSettings(const Settings& settings);

// The tiles of the hint currently shown, NoTile for none (always none while paused). Like the
// game's hint test it moves a hint index that ran past the list back to the first pair, so call
// it once per frame, with the board lock held, before BuildFramePlan.
std::array<int, 2> ShownHint(Board& board);

// The decision of one frame: in record order every tile still on the board, with the world
// matrix of the scene's board angles, its face texture, layer, highlight and shadow rows. Reads
// the board, so it runs with the board lock held; the plan is then drawn outside the lock.
FramePlan BuildFramePlan(const Board& board, const Scene3D& scene, const FrameOptions& options);
