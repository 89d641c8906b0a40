// The renderer of board3d_d3d: draws a FramePlan through the software device in the game's fixed
// order (background, then per tile its sides, face, highlight and shadows), keeping the tile
// geometry in the device's vertex buffer and the 43 face textures and the background texture in
// the device. The picture drawn is an Image the window shows as it is.
#pragma once

#include <array>
#include <cstdint>

#include "images/image.h"
#include "images/tile_set.h"
#include "view3d/d3d8/device.h"
#include "view3d/frame_plan.h"
#include "view3d/tile_geometry.h"

class SoftwareRenderer {
public:
    SoftwareRenderer() = default;
    ~SoftwareRenderer() { Release(); }
    SoftwareRenderer(const SoftwareRenderer&) = delete;
    SoftwareRenderer& operator=(const SoftwareRenderer&) = delete;

    // Makes the device for a view of width x height pixels, builds the geometry with the default
    // colours and sets the fixed states. Needs no GPU: fails only for an impossible size or when
    // memory runs out. `threadCount` 0 means one drawing thread per core.
    bool Create(int width, int height, int threadCount = 0);
    // Frees textures, geometry and the device (and stops its threads).
    void Release();
    bool IsReady() const { return device_.IsCreated(); }

    // New view size (the frame plans that follow are made for it).
    bool Resize(int width, int height);
    // Rebuilds the vertex buffer with these side and level colours (0xAARRGGBB).
    bool SetColours(std::uint32_t sidesColour, const LevelColours& levelColours);

    // Replaces the 43 face textures with the tile set's faces as they were cut. A face without
    // pixels, or one the device cannot hold, leaves its tiles untextured. False when any face
    // texture could not be made.
    bool LoadTileSetTextures(const TileSet& tileSet);
    // Replaces the background texture with the picture scaled by the halving rule from the
    // device's largest texture size, with Lanczos3. A picture without pixels changes nothing
    // (false); a picture that cannot be scaled leaves no background texture (false), so the
    // background is drawn untextured.
    bool LoadBackgroundTexture(const Image& picture);
    bool HasBackgroundTexture() const { return backgroundTexture_ != kNoTexture; }

    // Draws one frame. The target follows the plan's view size when it names one. False when not
    // created.
    bool Render(const FramePlan& plan);
    // The last frame: 4 bytes per pixel (blue, green, red, 255), rows top-down.
    const Image& Target() const { return device_.Target(); }
    const D3DDevice& Device() const { return device_; }

private:
    void ReleaseFaceTextures();
    void DrawPiece(const PieceRange& piece);
    // The selection or hint frame and the focus ring of a tile with these kMark* bits.
    void DrawMarks(std::uint8_t marks);

    D3DDevice device_;
    TileVertices vertices_{};
    std::uint32_t sidesColour_ = 0;
    LevelColours levelColours_{};
    std::array<int, kTileSetFaceCount> faceTextures_{};
    int backgroundTexture_ = kNoTexture;
    // The background pass of the last frame that drew one: it depends only on the background
    // texture and the view size, so later frames start from this copy instead of drawing the
    // full-screen quad again (the same pixels, a fraction of the time).
    Image backgroundFrame_;
    bool backgroundFrameValid_ = false;
};
