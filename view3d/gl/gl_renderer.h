// The renderer of board3d_gl: draws a FramePlan through OpenGL 1.1 (display lists, the 43 face
// textures with their height images for the embossed relief, the background texture) into
// whatever framebuffer the caller's current context draws to. No window system: the caller owns
// the context and makes it (or one sharing its objects) current around every call.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "images/image.h"
#include "images/tile_set.h"
#include "view3d/frame_plan.h"
#include "view3d/math3d.h"

// How the context draws: 0 a software rasteriser, 1 a generic accelerated one, 2 the device's
// own driver. The relief and the board's tilt toward the cursor cost too much on class 0.
inline constexpr int kSoftwareAcceleration = 0;
inline constexpr int kGenericAcceleration = 1;
inline constexpr int kDeviceAcceleration = 2;
// The class of a context from its GL_RENDERER string: Mesa's software rasterisers (llvmpipe,
// softpipe, swrast) are class 0, anything else class 2. A missing name counts as software.
int AccelerationClassOf(const char* rendererName);

// What the current context offers: whether it draws at all (it names its version), its renderer
// and acceleration class, and its largest texture side.
struct GlContextInfo {
    bool usable = false;
    std::string version;
    std::string rendererName;
    int accelerationClass = kSoftwareAcceleration;
    int maxTextureSize = 0;
};
GlContextInfo QueryCurrentContext();

// Clears the current framebuffer's colour (0xAARRGGBB, drawn opaque) and depth, leaving the
// context's states as they were: what a view shows before the board can be drawn.
void ClearFrame(std::uint32_t argb);

// The game's projection (depth 0 at the near plane, 1 at the far one) as OpenGL takes it (clip
// depth -1..1): the same clipping and, through the default depth range, the same depth values.
Matrix4 GlProjectionMatrix(const Matrix4& projection);

// The consecutive display lists, by offset from the first: the 13 of the tile and the background,
// then the mark frames (untextured; their colour is set before each call).
enum GlList : int {
    kFaceList = 0,         // the face quad with texture coordinates
    kSidesList = 1,        // back and four sides with texture coordinates
    kHighlightList = 2,    // the quad that darkens a selected or hinted face
    kFirstShadowList = 3,  // shadow rows 0..8, one list each
    kBackgroundList =
        12,               // blending and depth test off, decal, the full-screen quad, depth test on
    kMarkFrameList = 13,  // the selection's and the hint's coloured band
    kFrameEdgeList = 14,  // the dark line inside it
    kFocusRingList = 15,  // the keyboard focus ring, in its own colours
    kGlListCount = 16,
};

// The 127 texture names: faces 0..42, the height images of faces 0..41, then their inverted
// height images. Face 42 (the tile body) has no relief.
inline constexpr int kGlTextureCount = 127;
inline constexpr int kFirstHeightTexture = 43;
inline constexpr int kFirstInvertedHeightTexture = 85;
inline constexpr int kReliefFaces = 42;
// How far the inverted height image is shifted (in texture widths) to raise the relief.
inline constexpr float kReliefShift = 0.025f;

class GlRenderer {
public:
    GlRenderer() = default;
    // The GL objects belong to the context: Release them while it is current. A renderer
    // destroyed unreleased leaves them to die with the context.
    ~GlRenderer() = default;
    GlRenderer(const GlRenderer&) = delete;
    GlRenderer& operator=(const GlRenderer&) = delete;

    // Needs a current context. Reads the largest texture size and builds the display lists.
    // False when the context gives no lists (nothing is kept then).
    bool Create();
    // Deletes lists and textures. Needs the context (or one sharing its objects) current.
    void Release();
    bool IsReady() const { return listBase_ != 0; }
    // Forgets every object without deleting it: the context they lived in is gone.
    void Abandon();

    // Deletes the 13 lists and compiles them anew (the colours are set per draw, so they do not
    // depend on the settings; the start-up and the colour dialog rebuild them all the same).
    bool BuildLists();
    // The view size the frames that name none are drawn at.
    void Resize(int width, int height);

    // Replaces the 127 face textures with the tile set's faces and their height images. A face
    // without pixels, or one the context refuses, leaves its texture empty (drawn untextured).
    // False when any texture could not be filled.
    bool LoadTileSetTextures(const TileSet& tileSet);
    // Replaces the background texture with the picture scaled by the halving rule from the
    // context's largest texture size, with Lanczos3. A picture without pixels changes nothing.
    bool LoadBackgroundTexture(const Image& picture);
    bool HasBackgroundTexture() const { return backgroundTexture_ != 0; }

    // The embossed relief of the faces (three passes per face instead of one).
    void SetBumpMapping(bool on) { bumpMapping_ = on; }
    bool BumpMapping() const { return bumpMapping_; }

    // The camera's view and the board's own world transform, stored as the frame draws them.
    // A frame takes the view from its plan and leaves the last tile's world stored.
    void UpdateView(const Matrix4& view) { storedView_ = view; }
    void RotateBoard(const Matrix4& world) { storedWorld_ = world; }
    const Matrix4& StoredView() const { return storedView_; }
    const Matrix4& StoredWorld() const { return storedWorld_; }

    // Draws one frame into the current draw framebuffer. Every GL state it changes (attributes,
    // the projection, modelview and texture matrices) is as it found it when it returns, so a
    // toolkit that shares the context keeps its own. False when not created.
    bool Render(const FramePlan& plan);

    int MaxTextureSize() const { return maxTextureSize_; }
    unsigned int ListBase() const { return listBase_; }
    // The GL name of texture `index` (0..126), 0 when it was not made.
    unsigned int TextureName(int index) const;
    unsigned int BackgroundTextureName() const { return backgroundTexture_; }

private:
    void DeleteLists();
    void DeleteFaceTextures();
    void DrawTile(const FramePlan& plan, const PlannedTile& tile);

    unsigned int listBase_ = 0;
    std::array<unsigned int, kGlTextureCount> textures_{};
    unsigned int backgroundTexture_ = 0;
    int maxTextureSize_ = 64;
    int viewWidth_ = 0;
    int viewHeight_ = 0;
    bool bumpMapping_ = false;
    Matrix4 storedView_;
    Matrix4 storedWorld_;
};
