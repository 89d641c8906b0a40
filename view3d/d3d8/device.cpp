// The software device: states, textures, the vertex buffer, and the front half of the pipeline
// (transform, clipping, culling, triangle set-up, binning into bands). The pixel loops are in
// raster.cpp, the thread pool in band_workers.cpp.

#include "view3d/d3d8/device.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cmath>
#include <new>
#include <thread>

#include "view3d/d3d8/device_local.h"

namespace {

// A vertex after the combined transform, before the division by w.
struct ClipVertex {
    float x, y, z, w;
    float u, v;
    float colour[4];  // blue, green, red, alpha, 0..255
};

// A vertex on the screen: fixed-point-ready position and the values its planes are built from.
struct ScreenVertex {
    double x, y;
    double closeness;
    double inverseW;
    double uOverW, vOverW;
    double colourOverW[4];
};

// The clip planes as signed distances: inside when >= 0. The near and far planes bound the
// depth, the four guard planes keep screen positions inside the fixed-point range.
enum ClipPlane { kNear, kFar, kLeft, kRight, kBottom, kTop, kPlaneCount };

float PlaneDistance(const ClipVertex& v, int plane) {
    switch (plane) {
        case kNear:
            return v.z;
        case kFar:
            return v.w - v.z;
        case kLeft:
            return v.x + kGuardBand * v.w;
        case kRight:
            return kGuardBand * v.w - v.x;
        case kBottom:
            return v.y + kGuardBand * v.w;
        default:
            return kGuardBand * v.w - v.y;
    }
}

unsigned OutCode(const ClipVertex& v) {
    unsigned code = 0;
    for (int plane = 0; plane < kPlaneCount; ++plane) {
        if (PlaneDistance(v, plane) < 0.0f) {
            code |= 1u << plane;
        }
    }
    return code;
}

// Outside the view itself (not just the guard band) on one side.
unsigned ViewOutCode(const ClipVertex& v) {
    unsigned code = 0;
    code |= (v.z < 0.0f) ? 1u : 0u;
    code |= (v.z > v.w) ? 2u : 0u;
    code |= (v.x < -v.w) ? 4u : 0u;
    code |= (v.x > v.w) ? 8u : 0u;
    code |= (v.y < -v.w) ? 16u : 0u;
    code |= (v.y > v.w) ? 32u : 0u;
    return code;
}

ClipVertex Interpolate(const ClipVertex& a, const ClipVertex& b, float t) {
    ClipVertex r;
    r.x = a.x + (b.x - a.x) * t;
    r.y = a.y + (b.y - a.y) * t;
    r.z = a.z + (b.z - a.z) * t;
    r.w = a.w + (b.w - a.w) * t;
    r.u = a.u + (b.u - a.u) * t;
    r.v = a.v + (b.v - a.v) * t;
    for (int c = 0; c < 4; ++c) {
        r.colour[c] = a.colour[c] + (b.colour[c] - a.colour[c]) * t;
    }
    return r;
}

// Sutherland-Hodgman against the planes in `planes`; a triangle becomes at most 9 corners.
int ClipPolygon(ClipVertex (&polygon)[12], int count, unsigned planes) {
    ClipVertex scratch[12];
    for (int plane = 0; plane < kPlaneCount && count > 0; ++plane) {
        if ((planes & (1u << plane)) == 0) {
            continue;
        }
        int out = 0;
        for (int i = 0; i < count; ++i) {
            const ClipVertex& a = polygon[i];
            const ClipVertex& b = polygon[(i + 1) % count];
            const float da = PlaneDistance(a, plane);
            const float db = PlaneDistance(b, plane);
            if (da >= 0.0f) {
                scratch[out++] = a;
            }
            if ((da >= 0.0f) != (db >= 0.0f)) {
                // Always from the inside corner, so the two triangles sharing this edge get the
                // very same new corner and keep sharing it exactly.
                scratch[out++] = da >= 0.0f ? Interpolate(a, b, da / (da - db))
                                            : Interpolate(b, a, db / (db - da));
            }
        }
        count = out;
        std::copy(scratch, scratch + count, polygon);
    }
    return count;
}

AttributePlane MakePlane(double a0, double a1, double a2, double dx1, double dy1, double dx2,
                         double dy2, double inverseArea, double offsetX, double offsetY) {
    const double dx = ((a1 - a0) * dy2 - (a2 - a0) * dy1) * inverseArea;
    const double dy = ((a2 - a0) * dx1 - (a1 - a0) * dx2) * inverseArea;
    AttributePlane plane;
    plane.at = static_cast<float>(a0 + dx * offsetX + dy * offsetY);
    plane.dx = static_cast<float>(dx);
    plane.dy = static_cast<float>(dy);
    return plane;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

// ================================================================================================
// Device state
// ================================================================================================

struct DeviceState {
    Image target;
    std::vector<float> depth;  // closeness 1 - z per pixel: larger is nearer
    int width = 0;
    int height = 0;
    BandWorkers workers;

    std::vector<std::unique_ptr<DeviceTexture>> textures;
    std::vector<DeviceVertex> vertices;
    std::vector<ClipVertex> transformed;  // scratch of one draw call

    Matrix4 transforms[3];
    Matrix4 combined;
    bool combinedDirty = true;
    DrawStates current;
    int depthBias = 0;
    bool cullClockwise = true;
    bool statesDirty = true;

    SceneWork work;
    DeviceFrameStats stats;
    DeviceFrameStats lastStats;

    void Flush();
    void AddTriangle(const ScreenVertex (&corners)[3], bool flat, std::uint32_t flatColour);
    void AddClipped(const ClipVertex* polygon, int count, bool flat, std::uint32_t flatColour);
};

void DeviceState::Flush() {
    if (!work.clearPending && work.triangles.empty()) {
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    struct Context {
        DeviceState* state;
    } context{this};
    const int bandCount = static_cast<int>(work.bins.size());
    workers.Run(
        [](void* c, int band) {
            DeviceState* s = static_cast<Context*>(c)->state;
            RasteriseBand(s->work, band, s->target, s->depth.data());
        },
        &context, bandCount);
    stats.rasterSeconds += SecondsSince(start);
    stats.trianglesDrawn += static_cast<int>(work.triangles.size());
    work.clearPending = false;
    work.clearPicture = nullptr;
    work.triangles.clear();
    work.states.clear();
    for (auto& bin : work.bins) {
        bin.clear();
    }
    statesDirty = true;
}

void DeviceState::AddTriangle(const ScreenVertex (&corners)[3], bool flat,
                              std::uint32_t flatColour) {
    RasterTriangle tri;
    for (int i = 0; i < 3; ++i) {
        tri.x[i] = static_cast<std::int32_t>(std::llround(corners[i].x * kSubpixelOne));
        tri.y[i] = static_cast<std::int32_t>(std::llround(corners[i].y * kSubpixelOne));
    }
    const std::int64_t area = std::int64_t{tri.x[1] - tri.x[0]} * (tri.y[2] - tri.y[0]) -
                              std::int64_t{tri.x[2] - tri.x[0]} * (tri.y[1] - tri.y[0]);
    if (area == 0) {
        return;
    }
    // A positive area runs clockwise on the screen (y grows downward).
    if (area > 0 && cullClockwise) {
        return;
    }
    int order[3] = {0, 1, 2};
    if (area < 0) {
        std::swap(tri.x[1], tri.x[2]);
        std::swap(tri.y[1], tri.y[2]);
        std::swap(order[1], order[2]);
    }
    const auto [minX, maxX] = std::minmax({tri.x[0], tri.x[1], tri.x[2]});
    const auto [minY, maxY] = std::minmax({tri.y[0], tri.y[1], tri.y[2]});
    // Pixels whose centres (256 p + 128) lie within the bounds.
    const auto firstCentre = [](std::int32_t v) {
        return static_cast<std::int32_t>(
            -((-(std::int64_t{v} - kSubpixelOne / 2)) >> kSubpixelBits));
    };
    const auto lastCentre = [](std::int32_t v) {
        return static_cast<std::int32_t>((std::int64_t{v} - kSubpixelOne / 2) >> kSubpixelBits);
    };
    tri.columnFirst = std::max(firstCentre(minX), 0);
    tri.columnLast = std::min(lastCentre(maxX), width - 1);
    tri.rowFirst = std::max(firstCentre(minY), 0);
    tri.rowLast = std::min(lastCentre(maxY), height - 1);
    if (tri.columnFirst > tri.columnLast || tri.rowFirst > tri.rowLast) {
        return;
    }
    tri.referenceX = tri.columnFirst;
    tri.referenceY = tri.rowFirst;

    // Planes from the snapped corners, so attributes agree with the coverage.
    const ScreenVertex& v0 = corners[order[0]];
    const ScreenVertex& v1 = corners[order[1]];
    const ScreenVertex& v2 = corners[order[2]];
    const double x0 = tri.x[0] / double{kSubpixelOne};
    const double y0 = tri.y[0] / double{kSubpixelOne};
    const double dx1 = tri.x[1] / double{kSubpixelOne} - x0;
    const double dy1 = tri.y[1] / double{kSubpixelOne} - y0;
    const double dx2 = tri.x[2] / double{kSubpixelOne} - x0;
    const double dy2 = tri.y[2] / double{kSubpixelOne} - y0;
    const double inverseArea = 1.0 / (dx1 * dy2 - dx2 * dy1);
    const double offsetX = tri.referenceX + 0.5 - x0;
    const double offsetY = tri.referenceY + 0.5 - y0;
    const auto plane = [&](double a0, double a1, double a2) {
        return MakePlane(a0, a1, a2, dx1, dy1, dx2, dy2, inverseArea, offsetX, offsetY);
    };
    const double biasScale = 1.0 + depthBias * kDepthBiasStep;
    tri.closeness =
        plane(v0.closeness * biasScale, v1.closeness * biasScale, v2.closeness * biasScale);
    tri.inverseW = plane(v0.inverseW, v1.inverseW, v2.inverseW);
    tri.uOverW = plane(v0.uOverW, v1.uOverW, v2.uOverW);
    tri.vOverW = plane(v0.vOverW, v1.vOverW, v2.vOverW);
    tri.flat = flat;
    tri.flatColour = flatColour;
    if (!flat) {
        for (int c = 0; c < 4; ++c) {
            tri.colourOverW[c] = plane(v0.colourOverW[c], v1.colourOverW[c], v2.colourOverW[c]);
        }
    }

    if (statesDirty) {
        if (work.states.size() >= 0xFFFF) {
            Flush();
        }
        work.states.push_back(current);
        statesDirty = false;
    }
    tri.states = static_cast<std::uint16_t>(work.states.size() - 1);
    const auto index = static_cast<std::uint32_t>(work.triangles.size());
    work.triangles.push_back(tri);
    for (int band = tri.rowFirst / kBandHeight; band <= tri.rowLast / kBandHeight; ++band) {
        work.bins[static_cast<std::size_t>(band)].push_back(index);
    }
}

void DeviceState::AddClipped(const ClipVertex* polygon, int count, bool flat,
                             std::uint32_t flatColour) {
    ScreenVertex screen[12];
    for (int i = 0; i < count; ++i) {
        const ClipVertex& c = polygon[i];
        if (!(c.w > 0.0f)) {
            return;  // only a corner on the camera's own point can get here: nothing to see
        }
        const double inverseW = 1.0 / c.w;
        ScreenVertex& s = screen[i];
        s.x = (c.x * inverseW + 1.0) * 0.5 * width;
        s.y = (1.0 - c.y * inverseW) * 0.5 * height;
        s.closeness = (double{c.w} - c.z) * inverseW;
        s.inverseW = inverseW;
        s.uOverW = c.u * inverseW;
        s.vOverW = c.v * inverseW;
        for (int k = 0; k < 4; ++k) {
            s.colourOverW[k] = c.colour[k] * inverseW;
        }
    }
    // A clipped triangle is convex: a fan from its first corner covers it with shared edges.
    for (int i = 1; i + 1 < count; ++i) {
        const ScreenVertex corners[3] = {screen[0], screen[i], screen[i + 1]};
        AddTriangle(corners, flat, flatColour);
    }
}

// ================================================================================================
// D3DDevice
// ================================================================================================

D3DDevice::D3DDevice() = default;
D3DDevice::~D3DDevice() {
    Release();
}

bool D3DDevice::Create(int width, int height, int threadCount) {
    Release();
    state_.reset(new (std::nothrow) DeviceState);
    if (!state_) {
        return false;
    }
    if (!Resize(width, height)) {
        state_.reset();
        return false;
    }
    if (threadCount <= 0) {
        threadCount = static_cast<int>(std::thread::hardware_concurrency());
    }
    state_->workers.Start(std::clamp(threadCount, 1, 16));
    return true;
}

void D3DDevice::Release() {
    if (state_) {
        state_->workers.Stop();
        state_.reset();
    }
}

bool D3DDevice::IsCreated() const {
    return state_ != nullptr;
}

bool D3DDevice::Resize(int width, int height) {
    assert(state_);
    DeviceState& s = *state_;
    s.Flush();
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) {
        return false;
    }
    if (!s.target.Create(width, height, 4)) {
        return false;
    }
    const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    try {
        s.depth.assign(pixels, 0.0f);
        s.work.bins.resize(static_cast<std::size_t>((height + kBandHeight - 1) / kBandHeight));
    } catch (const std::bad_alloc&) {
        s.target.Release();
        s.width = s.height = 0;
        return false;
    }
    s.width = width;
    s.height = height;
    return true;
}

int D3DDevice::CreateTexture(int width, int height) {
    assert(state_);
    if (width < 1 || height < 1 || width > kMaxTextureSide || height > kMaxTextureSide) {
        return kNoTexture;
    }
    DeviceState& s = *state_;
    std::size_t slot = 0;
    while (slot < s.textures.size() && s.textures[slot] && s.textures[slot]->inUse) {
        ++slot;
    }
    try {
        if (slot == s.textures.size()) {
            s.textures.push_back(nullptr);
        }
        if (!s.textures[slot]) {
            s.textures[slot] = std::make_unique<DeviceTexture>();
        }
        DeviceTexture& texture = *s.textures[slot];
        texture.texels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                              0xFFFFFFFFu);
        texture.width = width;
        texture.height = height;
        texture.inUse = true;
    } catch (const std::bad_alloc&) {
        return kNoTexture;
    }
    return static_cast<int>(slot);
}

bool D3DDevice::UploadTexture(int texture, const Image& picture) {
    assert(state_);
    DeviceState& s = *state_;
    if (texture < 0 || static_cast<std::size_t>(texture) >= s.textures.size() ||
        !s.textures[static_cast<std::size_t>(texture)]->inUse) {
        return false;
    }
    DeviceTexture& t = *s.textures[static_cast<std::size_t>(texture)];
    if (!picture.HasPixels() || picture.Width() != t.width || picture.Height() != t.height) {
        return false;
    }
    s.Flush();  // draws already made keep the texels they were made with
    const std::uint32_t bpp = picture.BytesPerPixel();
    for (int y = 0; y < t.height; ++y) {
        const std::uint8_t* p = picture.Row(y);
        std::uint32_t* out = t.texels.data() + static_cast<std::ptrdiff_t>(y) * t.width;
        for (int x = 0; x < t.width; ++x, p += bpp) {
            const std::uint32_t alpha = bpp == 4 ? p[3] : 255u;
            out[x] =
                (alpha << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
    }
    return true;
}

void D3DDevice::ReleaseTexture(int texture) {
    assert(state_);
    DeviceState& s = *state_;
    if (texture < 0 || static_cast<std::size_t>(texture) >= s.textures.size()) {
        return;
    }
    s.Flush();
    DeviceTexture& t = *s.textures[static_cast<std::size_t>(texture)];
    if (s.current.texture == &t) {
        s.current.texture = nullptr;
        s.statesDirty = true;
    }
    t.inUse = false;
    std::vector<std::uint32_t>().swap(t.texels);
    t.width = t.height = 0;
}

bool D3DDevice::SetVertices(const DeviceVertex* vertices, int count) {
    assert(state_);
    if (count < 0 || (count > 0 && vertices == nullptr)) {
        return false;
    }
    try {
        state_->vertices.assign(vertices, vertices + count);
        state_->transformed.reserve(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

int D3DDevice::VertexCount() const {
    assert(state_);
    return static_cast<int>(state_->vertices.size());
}

void D3DDevice::SetTransform(DeviceTransform which, const Matrix4& matrix) {
    assert(state_);
    state_->transforms[static_cast<int>(which)] = matrix;
    state_->combinedDirty = true;
}

const Matrix4& D3DDevice::Transform(DeviceTransform which) const {
    assert(state_);
    return state_->transforms[static_cast<int>(which)];
}

void D3DDevice::SetTexture(int texture) {
    assert(state_);
    DeviceState& s = *state_;
    const DeviceTexture* t = nullptr;
    if (texture >= 0 && static_cast<std::size_t>(texture) < s.textures.size() &&
        s.textures[static_cast<std::size_t>(texture)]->inUse) {
        t = s.textures[static_cast<std::size_t>(texture)].get();
    }
    if (t != s.current.texture) {
        s.current.texture = t;
        s.statesDirty = true;
    }
}

void D3DDevice::SetBlending(bool on) {
    assert(state_);
    if (state_->current.blending != on) {
        state_->current.blending = on;
        state_->statesDirty = true;
    }
}

void D3DDevice::SetDepthTest(bool on) {
    assert(state_);
    if (state_->current.depthTest != on) {
        state_->current.depthTest = on;
        state_->statesDirty = true;
    }
}

void D3DDevice::SetDepthBias(int bias) {
    assert(state_);
    state_->depthBias = std::clamp(bias, 0, kMaxDepthBias);
}

void D3DDevice::SetCullClockwise(bool on) {
    assert(state_);
    state_->cullClockwise = on;
}

void D3DDevice::Clear(std::uint32_t argb, float depth) {
    assert(state_);
    DeviceState& s = *state_;
    // Draws made before the clear are rasterised first, so they are cleared as the order says.
    if (!s.work.triangles.empty()) {
        s.Flush();
    }
    s.work.clearPending = true;
    s.work.clearColour = argb;
    s.work.clearPicture = nullptr;
    s.work.clearCloseness = 1.0f - std::clamp(depth, 0.0f, 1.0f);
}

bool D3DDevice::ClearToPicture(const Image& picture, float depth) {
    assert(state_);
    DeviceState& s = *state_;
    if (!picture.HasPixels() || picture.BytesPerPixel() != 4 || picture.Width() != s.width ||
        picture.Height() != s.height) {
        return false;
    }
    Clear(0, depth);
    s.work.clearPicture = &picture;
    return true;
}

void D3DDevice::DrawTriangleList(int startVertex, int triangleCount) {
    assert(state_);
    DeviceState& s = *state_;
    assert(startVertex >= 0 && triangleCount >= 0);
    assert(static_cast<std::size_t>(startVertex) + 3u * static_cast<std::size_t>(triangleCount) <=
           s.vertices.size());
    if (triangleCount <= 0 || s.width == 0) {
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    if (s.combinedDirty) {
        s.combined = s.transforms[0] * s.transforms[1] * s.transforms[2];
        s.combinedDirty = false;
    }
    const float* m = s.combined.m;
    const int vertexCount = triangleCount * 3;
    s.transformed.resize(static_cast<std::size_t>(vertexCount));
    for (int i = 0; i < vertexCount; ++i) {
        const DeviceVertex& v = s.vertices[static_cast<std::size_t>(startVertex + i)];
        ClipVertex& c = s.transformed[static_cast<std::size_t>(i)];
        c.x = v.x * m[0] + v.y * m[4] + v.z * m[8] + m[12];
        c.y = v.x * m[1] + v.y * m[5] + v.z * m[9] + m[13];
        c.z = v.x * m[2] + v.y * m[6] + v.z * m[10] + m[14];
        c.w = v.x * m[3] + v.y * m[7] + v.z * m[11] + m[15];
        c.u = v.u;
        c.v = v.v;
        c.colour[0] = static_cast<float>(v.colour & 0xFFu);
        c.colour[1] = static_cast<float>((v.colour >> 8) & 0xFFu);
        c.colour[2] = static_cast<float>((v.colour >> 16) & 0xFFu);
        c.colour[3] = static_cast<float>(v.colour >> 24);
    }

    for (int t = 0; t < triangleCount; ++t) {
        const ClipVertex* corners = &s.transformed[static_cast<std::size_t>(t) * 3];
        if ((ViewOutCode(corners[0]) & ViewOutCode(corners[1]) & ViewOutCode(corners[2])) != 0) {
            continue;  // wholly outside on one side
        }
        const auto first = static_cast<std::size_t>(startVertex + t * 3);
        const std::uint32_t c0 = s.vertices[first].colour;
        const bool flat = c0 == s.vertices[first + 1].colour && c0 == s.vertices[first + 2].colour;
        const unsigned planes = OutCode(corners[0]) | OutCode(corners[1]) | OutCode(corners[2]);
        ClipVertex polygon[12] = {corners[0], corners[1], corners[2]};
        int count = 3;
        if (planes != 0) {
            count = ClipPolygon(polygon, 3, planes);
        }
        if (count >= 3) {
            s.AddClipped(polygon, count, flat, c0);
        }
    }
    s.stats.setupSeconds += SecondsSince(start);
}

void D3DDevice::EndScene() {
    assert(state_);
    state_->Flush();
    state_->lastStats = state_->stats;
    state_->stats = DeviceFrameStats{};
}

const Image& D3DDevice::Target() const {
    assert(state_);
    return state_->target;
}

float D3DDevice::DepthAt(int x, int y) const {
    assert(state_);
    const DeviceState& s = *state_;
    assert(x >= 0 && y >= 0 && x < s.width && y < s.height);
    return 1.0f - s.depth[static_cast<std::size_t>(y) * static_cast<std::size_t>(s.width) +
                          static_cast<std::size_t>(x)];
}

const DeviceFrameStats& D3DDevice::LastFrameStats() const {
    assert(state_);
    return state_->lastStats;
}

int D3DDevice::ThreadCount() const {
    assert(state_);
    return state_->workers.ThreadCount();
}
