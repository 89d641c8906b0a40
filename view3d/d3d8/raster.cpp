// The inner loops of the software device: spans of set-up triangles within one band of rows,
// with depth test, perspective-correct bilinear texturing, modulate and source-alpha blending.
//
// Coverage is decided exactly on fixed-point corners with the top-left rule: a pixel whose centre
// lies on an edge belongs to the triangle only if that edge is a top or a left edge, so the two
// triangles of a quad, and quads sharing an edge, cover every pixel of the edge exactly once and a
// half-transparent quad never blends its diagonal twice.

#include <algorithm>
#include <cstdint>

#include "view3d/d3d8/device_local.h"

namespace {

// ------------------------------------------------------------------------------------------------
// Colour arithmetic on 0xAARRGGBB words
// ------------------------------------------------------------------------------------------------

// round(x / 255) for x in 0..65025, on two 16-bit lanes of a word at once.
inline std::uint32_t DivideBy255Lanes(std::uint32_t x) {
    x += 0x00800080u;
    return ((x + ((x >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

inline std::uint32_t DivideBy255(std::uint32_t x) {
    x += 128u;
    return (x + (x >> 8)) >> 8;
}

// Texture colour times vertex colour, channel by channel, rounded; alpha from the vertex alone.
inline std::uint32_t Modulate(std::uint32_t texel, std::uint32_t colour) {
    const std::uint32_t b = DivideBy255((texel & 0xFFu) * (colour & 0xFFu));
    const std::uint32_t g = DivideBy255(((texel >> 8) & 0xFFu) * ((colour >> 8) & 0xFFu));
    const std::uint32_t r = DivideBy255(((texel >> 16) & 0xFFu) * ((colour >> 16) & 0xFFu));
    return (colour & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

// source x alpha + target x (1 - alpha), rounded; the target keeps alpha 255.
inline std::uint32_t Blend(std::uint32_t source, std::uint32_t target, std::uint32_t alpha) {
    const std::uint32_t inverse = 255u - alpha;
    const std::uint32_t rb =
        DivideBy255Lanes((source & 0x00FF00FFu) * alpha + (target & 0x00FF00FFu) * inverse);
    const std::uint32_t g =
        DivideBy255Lanes(((source >> 8) & 0xFFu) * alpha + ((target >> 8) & 0xFFu) * inverse);
    return 0xFF000000u | rb | (g << 8);
}

// ------------------------------------------------------------------------------------------------
// Bilinear texture fetch, wrapping at the borders; texel i has its centre at u = (i + 0.5) / width
// ------------------------------------------------------------------------------------------------

inline int FloorToInt(float value) {
    // Keeps the conversion defined for any float, NaN included.
    constexpr float kLimit = 1.0e9f;
    if (!(value >= -kLimit)) {
        value = -kLimit;
    }
    if (value > kLimit) {
        value = kLimit;
    }
    int i = static_cast<int>(value);
    i -= (static_cast<float>(i) > value) ? 1 : 0;
    return i;
}

inline int WrapTexel(int i, int size) {
    if (static_cast<unsigned>(i) < static_cast<unsigned>(size)) {
        return i;
    }
    i %= size;
    return i < 0 ? i + size : i;
}

// Blends two texels with weights (256 - f) and f, rounded, on the blue-red and the alpha-green
// lanes at once (each lane stays below 65536).
inline std::uint32_t LerpTexels(std::uint32_t a, std::uint32_t b, std::uint32_t f) {
    const std::uint32_t keep = 256u - f;
    const std::uint32_t rb =
        (((a & 0x00FF00FFu) * keep + (b & 0x00FF00FFu) * f + 0x00800080u) >> 8) & 0x00FF00FFu;
    const std::uint32_t ag =
        (((a >> 8) & 0x00FF00FFu) * keep + ((b >> 8) & 0x00FF00FFu) * f + 0x00800080u) &
        0xFF00FF00u;
    return rb | ag;
}

inline std::uint32_t SampleBilinear(const DeviceTexture& texture, float u, float v) {
    const int fu = FloorToInt(u * static_cast<float>(texture.width * 256) - 128.0f);
    const int fv = FloorToInt(v * static_cast<float>(texture.height * 256) - 128.0f);
    const int x0 = WrapTexel(fu >> 8, texture.width);
    const int y0 = WrapTexel(fv >> 8, texture.height);
    const int x1 = (x0 + 1 == texture.width) ? 0 : x0 + 1;
    const int y1 = (y0 + 1 == texture.height) ? 0 : y0 + 1;
    const std::uint32_t* row0 =
        texture.texels.data() + static_cast<std::ptrdiff_t>(y0) * texture.width;
    const std::uint32_t* row1 =
        texture.texels.data() + static_cast<std::ptrdiff_t>(y1) * texture.width;
    const std::uint32_t wx = static_cast<std::uint32_t>(fu & 255);
    const std::uint32_t wy = static_cast<std::uint32_t>(fv & 255);
    const std::uint32_t top = LerpTexels(row0[x0], row0[x1], wx);
    const std::uint32_t bottom = LerpTexels(row1[x0], row1[x1], wx);
    return LerpTexels(top, bottom, wy);
}

inline std::uint32_t ClampChannel(float value) {
    if (!(value > 0.0f)) {
        return 0;
    }
    if (value >= 255.0f) {
        return 255;
    }
    return static_cast<std::uint32_t>(value + 0.5f);
}

// ------------------------------------------------------------------------------------------------
// Spans
// ------------------------------------------------------------------------------------------------

// One row of one triangle: the attribute values at its first pixel and their steps along x.
struct SpanStart {
    float closeness;
    float inverseW;
    float uOverW;
    float vOverW;
    float colourOverW[4];
};

template <bool kDepthTest, bool kTextured, bool kModulate, bool kFlat, bool kBlend>
void DrawSpan(const RasterTriangle& tri, const DrawStates& states, const SpanStart& start,
              int first, int last, std::uint32_t* pixels, float* depth) {
    const DeviceTexture* texture = states.texture;
    const std::uint32_t flatAlpha = tri.flatColour >> 24;
    for (int x = first; x <= last; ++x) {
        const float i = static_cast<float>(x - first);
        const float closeness = start.closeness + tri.closeness.dx * i;
        if constexpr (kDepthTest) {
            if (closeness < depth[x]) {
                continue;
            }
        }
        std::uint32_t colour = tri.flatColour;
        float w = 1.0f;
        if constexpr (kTextured || !kFlat) {
            w = 1.0f / (start.inverseW + tri.inverseW.dx * i);
        }
        if constexpr (!kFlat) {
            const std::uint32_t b =
                ClampChannel((start.colourOverW[0] + tri.colourOverW[0].dx * i) * w);
            const std::uint32_t g =
                ClampChannel((start.colourOverW[1] + tri.colourOverW[1].dx * i) * w);
            const std::uint32_t r =
                ClampChannel((start.colourOverW[2] + tri.colourOverW[2].dx * i) * w);
            const std::uint32_t a =
                ClampChannel((start.colourOverW[3] + tri.colourOverW[3].dx * i) * w);
            colour = (a << 24) | (r << 16) | (g << 8) | b;
        }
        std::uint32_t source = colour;
        if constexpr (kTextured) {
            const float u = (start.uOverW + tri.uOverW.dx * i) * w;
            const float v = (start.vOverW + tri.vOverW.dx * i) * w;
            const std::uint32_t texel = SampleBilinear(*texture, u, v);
            if constexpr (kModulate) {
                source = Modulate(texel, colour);
            } else {
                source = (colour & 0xFF000000u) | (texel & 0x00FFFFFFu);
            }
        }
        if constexpr (kBlend) {
            const std::uint32_t alpha = kFlat ? flatAlpha : (source >> 24);
            pixels[x] = Blend(source, pixels[x], alpha);
        } else {
            pixels[x] = source | 0xFF000000u;
        }
        if constexpr (kDepthTest) {
            depth[x] = closeness;
        }
    }
}

using SpanFunction = void (*)(const RasterTriangle&, const DrawStates&, const SpanStart&, int, int,
                              std::uint32_t*, float*);

template <bool kDepthTest, bool kTextured, bool kModulate, bool kFlat>
SpanFunction PickBlend(bool blend) {
    return blend ? &DrawSpan<kDepthTest, kTextured, kModulate, kFlat, true>
                 : &DrawSpan<kDepthTest, kTextured, kModulate, kFlat, false>;
}

template <bool kDepthTest, bool kTextured, bool kModulate>
SpanFunction PickFlat(bool flat, bool blend) {
    return flat ? PickBlend<kDepthTest, kTextured, kModulate, true>(blend)
                : PickBlend<kDepthTest, kTextured, kModulate, false>(blend);
}

template <bool kDepthTest>
SpanFunction PickTexture(bool textured, bool modulate, bool flat, bool blend) {
    if (!textured) {
        return PickFlat<kDepthTest, false, false>(flat, blend);
    }
    return modulate ? PickFlat<kDepthTest, true, true>(flat, blend)
                    : PickFlat<kDepthTest, true, false>(flat, blend);
}

// One span function per triangle: the state tests leave the pixel loop.
SpanFunction PickSpanFunction(const RasterTriangle& tri, const DrawStates& states) {
    const bool textured = states.texture != nullptr;
    // White leaves the texture as it is, and an opaque source replaces the target exactly.
    const bool modulate = !tri.flat || (tri.flatColour & 0x00FFFFFFu) != 0x00FFFFFFu;
    const bool blend = states.blending && (!tri.flat || (tri.flatColour >> 24) != 255u);
    return states.depthTest ? PickTexture<true>(textured, modulate, tri.flat, blend)
                            : PickTexture<false>(textured, modulate, tri.flat, blend);
}

// ------------------------------------------------------------------------------------------------
// Edges
// ------------------------------------------------------------------------------------------------

inline std::int64_t FloorDivide(std::int64_t numerator, std::int64_t denominator) {
    std::int64_t q = numerator / denominator;
    if ((numerator % denominator) != 0 && numerator < 0) {
        --q;
    }
    return q;
}

// The last (right edge) or first (left edge) pixel column of one edge, row after row:
// floor(m(y) / d) with m linear in the row, stepped without division.
struct EdgeWalk {
    std::int64_t quotient = 0;
    std::int64_t remainder = 0;
    std::int64_t divisor = 1;
    std::int64_t stepQuotient = 0;
    std::int64_t stepRemainder = 0;

    void Start(std::int64_t numerator, std::int64_t step, std::int64_t d) {
        divisor = d;
        quotient = FloorDivide(numerator, d);
        remainder = numerator - quotient * d;
        stepQuotient = FloorDivide(step, d);
        stepRemainder = step - stepQuotient * d;
    }
    void NextRow() {
        quotient += stepQuotient;
        remainder += stepRemainder;
        if (remainder >= divisor) {
            remainder -= divisor;
            ++quotient;
        }
    }
};

}  // namespace

void RasteriseBand(const SceneWork& work, int band, Image& target, float* depth) {
    const int width = target.Width();
    const int bandFirst = band * kBandHeight;
    const int bandLast = std::min(bandFirst + kBandHeight, target.Height()) - 1;

    if (work.clearPending) {
        const std::uint32_t colour = work.clearColour | 0xFF000000u;
        for (int y = bandFirst; y <= bandLast; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(target.Row(y));
            std::fill(row, row + width, colour);
            float* depthRow = depth + static_cast<std::ptrdiff_t>(y) * width;
            std::fill(depthRow, depthRow + width, work.clearCloseness);
        }
    }

    for (const std::uint32_t index : work.bins[static_cast<std::size_t>(band)]) {
        const RasterTriangle& tri = work.triangles[index];
        const DrawStates& states = work.states[tri.states];
        const int rowFirst = std::max(tri.rowFirst, bandFirst);
        const int rowLast = std::min(tri.rowLast, bandLast);
        if (rowFirst > rowLast) {
            continue;
        }
        const SpanFunction drawSpan = PickSpanFunction(tri, states);

        // Edge a -> b covers the pixel centre p when dx (py - ay) - dy (px - ax) >= t, where t is 0
        // for top and left edges and 1 for the others (integers, so > 0 for those).
        EdgeWalk lefts[3];
        EdgeWalk rights[3];
        int leftCount = 0;
        int rightCount = 0;
        int firstRow = rowFirst;
        int lastRow = rowLast;
        for (int e = 0; e < 3; ++e) {
            const std::int64_t ax = tri.x[e];
            const std::int64_t ay = tri.y[e];
            const std::int64_t dx = tri.x[(e + 1) % 3] - ax;
            const std::int64_t dy = tri.y[(e + 1) % 3] - ay;
            const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
            const std::int64_t t = topLeft ? 0 : 1;
            const std::int64_t py = std::int64_t{firstRow} * kSubpixelOne + kSubpixelOne / 2;
            // k(y) = dx (py - ay) + dy ax - t; covered when k - dy px >= 0, px = 256 x + 128.
            const std::int64_t k = dx * (py - ay) + dy * ax - t;
            const std::int64_t kStep = dx * kSubpixelOne;
            if (dy > 0) {
                // x <= floor((k - 128 dy) / (256 dy))
                rights[rightCount++].Start(k - dy * (kSubpixelOne / 2), kStep, dy * kSubpixelOne);
            } else if (dy < 0) {
                // x >= ceil((-k - 128 |dy|) / (256 |dy|))
                const std::int64_t d = -dy * kSubpixelOne;
                lefts[leftCount++].Start(-k - (-dy) * (kSubpixelOne / 2) + d - 1, -kStep, d);
            } else if (dx > 0) {
                // Top edge: rows whose centres lie on or below it.
                while (firstRow <= lastRow &&
                       std::int64_t{firstRow} * kSubpixelOne + kSubpixelOne / 2 < ay) {
                    ++firstRow;
                }
            } else {
                // Bottom edge: rows whose centres lie strictly above it.
                while (lastRow >= firstRow &&
                       std::int64_t{lastRow} * kSubpixelOne + kSubpixelOne / 2 >= ay) {
                    --lastRow;
                }
            }
        }
        // The horizontal-edge rows moved the start: bring the walks to the first row drawn.
        for (int r = rowFirst; r < firstRow; ++r) {
            for (int e = 0; e < leftCount; ++e) {
                lefts[e].NextRow();
            }
            for (int e = 0; e < rightCount; ++e) {
                rights[e].NextRow();
            }
        }

        for (int y = firstRow; y <= lastRow; ++y) {
            std::int64_t first = tri.columnFirst;
            std::int64_t last = tri.columnLast;
            for (int e = 0; e < leftCount; ++e) {
                first = std::max(first, lefts[e].quotient);
                lefts[e].NextRow();
            }
            for (int e = 0; e < rightCount; ++e) {
                last = std::min(last, rights[e].quotient);
                rights[e].NextRow();
            }
            if (first > last) {
                continue;
            }
            const float fx = static_cast<float>(first - tri.referenceX);
            const float fy = static_cast<float>(y - tri.referenceY);
            SpanStart start;
            start.closeness = tri.closeness.at + tri.closeness.dx * fx + tri.closeness.dy * fy;
            start.inverseW = tri.inverseW.at + tri.inverseW.dx * fx + tri.inverseW.dy * fy;
            start.uOverW = tri.uOverW.at + tri.uOverW.dx * fx + tri.uOverW.dy * fy;
            start.vOverW = tri.vOverW.at + tri.vOverW.dx * fx + tri.vOverW.dy * fy;
            if (!tri.flat) {
                for (int c = 0; c < 4; ++c) {
                    start.colourOverW[c] = tri.colourOverW[c].at + tri.colourOverW[c].dx * fx +
                                           tri.colourOverW[c].dy * fy;
                }
            }
            // Spans index from their own first pixel.
            auto* row = reinterpret_cast<std::uint32_t*>(target.Row(y)) + first;
            float* depthRow = depth + static_cast<std::ptrdiff_t>(y) * width + first;
            drawSpan(tri, states, start, 0, static_cast<int>(last - first), row, depthRow);
        }
    }
}
