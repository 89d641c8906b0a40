// The software 3D device of board3d_d3d: the few operations the tile drawing needs (transforms, one
// vertex buffer, triangle lists, textures, modulate, blending, depth with bias, culling, clipping,
// bilinear filtering), drawing into an Image on every core of the machine. No GPU, no OpenGL.
//
// Draw calls only transform, clip and set up their triangles; EndScene rasterises the whole scene
// band by band on a small persistent pool of threads, each band in the order the draws were made.
#pragma once

#include <cstdint>
#include <memory>

#include "images/image.h"
#include "view3d/math3d.h"
#include "view3d/tile_geometry.h"

// One vertex of the vertex buffer: the tile geometry's 36-byte vertex (position, normal unused as
// lighting is off, colour 0xAARRGGBB, texture coordinate).
using DeviceVertex = TileVertex;
static_assert(sizeof(DeviceVertex) == 36, "the vertex buffer holds 36-byte vertices");

enum class DeviceTransform { World, View, Projection };

inline constexpr int kNoTexture = -1;
// The largest texture side the device accepts; backgrounds are sized from it.
inline constexpr int kMaxTextureSide = 2048;
// The z-bias states 0..16: a larger bias draws in front of coplanar geometry.
inline constexpr int kMaxDepthBias = 16;

// Time spent in the two stages of the last scene, for the benchmarks and the frame-rate display.
struct DeviceFrameStats {
    double setupSeconds = 0.0;   // transform, clip, cull, triangle setup (inside the draw calls)
    double rasterSeconds = 0.0;  // EndScene: rasterising all bands
    int trianglesDrawn = 0;      // triangles that reached the rasteriser
};

struct DeviceState;  // device_local.h

class D3DDevice {
public:
    D3DDevice();
    ~D3DDevice();
    D3DDevice(const D3DDevice&) = delete;
    D3DDevice& operator=(const D3DDevice&) = delete;

    // Allocates the target and depth buffer of width x height pixels and starts the drawing
    // threads (`threadCount` 0 means one per core). Fails only when memory runs out or the size is
    // outside 1..kMaxImageSide; it never needs a GPU.
    bool Create(int width, int height, int threadCount = 0);
    // Stops the threads and frees target, depth buffer, textures and vertex buffer.
    void Release();
    bool IsCreated() const;
    // New target size; the content is undefined until the next Clear.
    bool Resize(int width, int height);

    // Textures hold 32-bit texels; an id stays valid until ReleaseTexture. CreateTexture fails
    // (kNoTexture) for sides outside 1..kMaxTextureSide.
    int CreateTexture(int width, int height);
    // Copies a 3- or 4-byte picture of exactly the texture's size into it (a 3-byte picture gets
    // alpha 255). False for an unknown id or a picture of another size.
    bool UploadTexture(int texture, const Image& picture);
    void ReleaseTexture(int texture);

    // Fills the one vertex buffer; false (buffer unchanged) for a negative count or no memory.
    bool SetVertices(const DeviceVertex* vertices, int count);
    int VertexCount() const;

    void SetTransform(DeviceTransform which, const Matrix4& matrix);
    const Matrix4& Transform(DeviceTransform which) const;
    // kNoTexture draws the vertex colour alone.
    void SetTexture(int texture);
    // Source-alpha blending: result = source x alpha + target x (1 - alpha), alpha from the
    // vertex colour only (texture alpha is ignored).
    void SetBlending(bool on);
    // Depth test (less or equal) and depth writes together, as one z-enable state.
    void SetDepthTest(bool on);
    void SetDepthBias(int bias);
    // On: triangles whose corners run clockwise on screen are not drawn.
    void SetCullClockwise(bool on);

    // Clears the whole target to `argb` (alpha kept at 255) and the depth buffer to `depth`.
    void Clear(std::uint32_t argb, float depth);
    // Clears the target to a copy of `picture` (4 bytes per pixel, the target's size) and the depth
    // buffer to `depth`: a frame that starts from a picture drawn before. False (nothing cleared)
    // for a picture of another size or format. The picture must stay unchanged until EndScene.
    bool ClearToPicture(const Image& picture, float depth);
    // Draws `triangleCount` triangles from vertex `startVertex` of the vertex buffer with the
    // current states. Asserts the range lies inside the buffer.
    void DrawTriangleList(int startVertex, int triangleCount);
    // Rasterises everything cleared and drawn since the last EndScene into the target.
    void EndScene();

    // The picture drawn: 4 bytes per pixel, blue, green, red, alpha 255, rows top-down.
    const Image& Target() const;
    // Depth of a target pixel as the projection gave it (0 near .. 1 far), for tests.
    float DepthAt(int x, int y) const;
    const DeviceFrameStats& LastFrameStats() const;
    int ThreadCount() const;

private:
    std::unique_ptr<DeviceState> state_;
};
