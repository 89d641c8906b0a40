// The inner loops of the software device: spans of set-up triangles within one band of rows,
// with depth test, perspective-correct bilinear texturing, modulate and source-alpha blending.
//
// Coverage is decided exactly on fixed-point corners with the top-left rule: a pixel whose centre
// lies on an edge belongs to the triangle only if that edge is a top or a left edge, so the two
// triangles of a quad, and quads sharing an edge, cover every pixel of the edge exactly once and a
// half-transparent quad never blends its diagonal twice.

#include <algorithm>
#include <cassert>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Half a texel in 1/256 texels, less half a step for rounding to the nearest step.
constexpr float kHalfTexel = 127.5f;

inline std::uint32_t SampleBilinear(const DeviceTexture& texture, float u, float v) {
    // Position in 1/256 texels from the first texel's centre, rounded to the nearest step so that
    // a texel centre hit within rounding error reads that texel alone.
    const int fu = FloorToInt(u * static_cast<float>(texture.width * 256) - kHalfTexel);
    const int fv = FloorToInt(v * static_cast<float>(texture.height * 256) - kHalfTexel);
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
        const float i = static_cast<float>(x);  // spans index from their own first pixel
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

#if defined(__SSE2__)
// ------------------------------------------------------------------------------------------------
// Four pixels at a time (SSE2, every x86-64 has it): the same arithmetic as DrawSpan, lane by lane,
// for flat-coloured triangles with no texture or a texture whose sides are powers of two. Groups
// of four pixels hidden by the depth buffer cost one compare.
// ------------------------------------------------------------------------------------------------

inline __m128i FloorToInt4(__m128 value) {
    // max returns its second operand for NaN, so NaN becomes the lower limit.
    value = _mm_min_ps(_mm_max_ps(value, _mm_set1_ps(-1.0e9f)), _mm_set1_ps(1.0e9f));
    const __m128i truncated = _mm_cvttps_epi32(value);
    const __m128 above = _mm_cmpgt_ps(_mm_cvtepi32_ps(truncated), value);
    return _mm_add_epi32(truncated, _mm_castps_si128(above));  // -1 where truncation went up
}

// LerpTexels on four pixels; `f` and `keep` hold each pixel's weight in both 16-bit halves.
inline __m128i LerpTexels4(__m128i a, __m128i b, __m128i f, __m128i keep) {
    const __m128i lanes = _mm_set1_epi32(0x00FF00FF);
    const __m128i round = _mm_set1_epi32(0x00800080);
    const __m128i rb = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(a, lanes), keep),
                                                   _mm_mullo_epi16(_mm_and_si128(b, lanes), f)),
                                     round);
    const __m128i ag = _mm_add_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(a, 8), lanes), keep),
                      _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(b, 8), lanes), f)),
        round);
    return _mm_or_si128(_mm_srli_epi16(rb, 8), _mm_andnot_si128(lanes, ag));
}

// round(x / 255) in every 16-bit lane, x up to 65025.
inline __m128i DivideBy255Lanes4(__m128i x) {
    x = _mm_add_epi16(x, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
}

// Modulate on four pixels: `blueRed` and `green` hold the vertex colour's channels in the lanes
// of the blue-red and the green-alpha halves; `alpha` is the vertex alpha in the top byte.
inline __m128i Modulate4(__m128i texel, __m128i blueRed, __m128i green, __m128i alpha) {
    const __m128i lanes = _mm_set1_epi32(0x00FF00FF);
    const __m128i rb = DivideBy255Lanes4(_mm_mullo_epi16(_mm_and_si128(texel, lanes), blueRed));
    const __m128i g = DivideBy255Lanes4(
        _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(texel, 8), _mm_set1_epi32(0xFF)), green));
    return _mm_or_si128(_mm_or_si128(rb, _mm_slli_epi32(g, 8)), alpha);
}

// Blend on four pixels with one alpha; the target keeps alpha 255.
inline __m128i Blend4(__m128i source, __m128i target, __m128i alpha, __m128i inverse) {
    const __m128i lanes = _mm_set1_epi32(0x00FF00FF);
    const __m128i rb =
        DivideBy255Lanes4(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(source, lanes), alpha),
                                        _mm_mullo_epi16(_mm_and_si128(target, lanes), inverse)));
    const __m128i greenMask = _mm_set1_epi32(0xFF);
    const __m128i g = DivideBy255Lanes4(_mm_add_epi16(
        _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(source, 8), greenMask), alpha),
        _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(target, 8), greenMask), inverse)));
    return _mm_or_si128(_mm_or_si128(rb, _mm_slli_epi32(g, 8)),
                        _mm_set1_epi32(static_cast<int>(0xFF000000u)));
}

inline int Log2(int powerOfTwo) {
    int shift = 0;
    while ((1 << shift) < powerOfTwo) {
        ++shift;
    }
    return shift;
}

template <bool kDepthTest, bool kTextured, bool kModulate, bool kBlend>
void DrawSpan4(const RasterTriangle& tri, const DrawStates& states, const SpanStart& start,
               int first, int last, std::uint32_t* pixels, float* depth) {
    assert(first == 0);
    const DeviceTexture* texture = states.texture;
    const std::uint32_t colour = tri.flatColour;
    const __m128 steps = _mm_set_ps(3.0f, 2.0f, 1.0f, 0.0f);
    const __m128 closenessDx = _mm_set1_ps(tri.closeness.dx);
    const __m128 inverseWDx = _mm_set1_ps(tri.inverseW.dx);
    const __m128 uDx = _mm_set1_ps(tri.uOverW.dx);
    const __m128 vDx = _mm_set1_ps(tri.vOverW.dx);
    const __m128 closenessStart = _mm_set1_ps(start.closeness);
    const __m128 inverseWStart = _mm_set1_ps(start.inverseW);
    const __m128 uStart = _mm_set1_ps(start.uOverW);
    const __m128 vStart = _mm_set1_ps(start.vOverW);
    const auto b = static_cast<std::int16_t>(colour & 0xFF);
    const auto g = static_cast<std::int16_t>((colour >> 8) & 0xFF);
    const auto r = static_cast<std::int16_t>((colour >> 16) & 0xFF);
    const __m128i blueRed = _mm_set_epi16(r, b, r, b, r, b, r, b);
    const __m128i green = _mm_set_epi16(0, g, 0, g, 0, g, 0, g);
    const __m128i alphaTop = _mm_set1_epi32(static_cast<int>(colour & 0xFF000000u));
    const auto alpha = static_cast<std::int16_t>(colour >> 24);
    const __m128i alpha16 = _mm_set1_epi16(alpha);
    const __m128i inverse16 = _mm_set1_epi16(static_cast<std::int16_t>(255 - alpha));
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));

    int widthShift = 0;
    __m128 scaleU = _mm_setzero_ps();
    __m128 scaleV = _mm_setzero_ps();
    __m128i maskU = _mm_setzero_si128();
    __m128i maskV = _mm_setzero_si128();
    const std::uint32_t* texels = nullptr;
    if constexpr (kTextured) {
        widthShift = Log2(texture->width);
        scaleU = _mm_set1_ps(static_cast<float>(texture->width * 256));
        scaleV = _mm_set1_ps(static_cast<float>(texture->height * 256));
        maskU = _mm_set1_epi32(texture->width - 1);
        maskV = _mm_set1_epi32(texture->height - 1);
        texels = texture->texels.data();
    }
    const __m128i shiftY = _mm_cvtsi32_si128(widthShift);

    int x = first;
    for (; x + 3 <= last; x += 4) {
        const __m128 i = _mm_add_ps(_mm_set1_ps(static_cast<float>(x)), steps);
        const __m128 closeness = _mm_add_ps(closenessStart, _mm_mul_ps(closenessDx, i));
        __m128 visible = _mm_castsi128_ps(_mm_set1_epi32(-1));
        if constexpr (kDepthTest) {
            visible = _mm_cmpge_ps(closeness, _mm_loadu_ps(depth + x));
            if (_mm_movemask_ps(visible) == 0) {
                continue;
            }
        }
        __m128i source = _mm_set1_epi32(static_cast<int>(colour));
        if constexpr (kTextured) {
            const __m128 w =
                _mm_div_ps(_mm_set1_ps(1.0f), _mm_add_ps(inverseWStart, _mm_mul_ps(inverseWDx, i)));
            const __m128 u = _mm_mul_ps(_mm_add_ps(uStart, _mm_mul_ps(uDx, i)), w);
            const __m128 v = _mm_mul_ps(_mm_add_ps(vStart, _mm_mul_ps(vDx, i)), w);
            const __m128 half = _mm_set1_ps(kHalfTexel);
            const __m128i fu = FloorToInt4(_mm_sub_ps(_mm_mul_ps(u, scaleU), half));
            const __m128i fv = FloorToInt4(_mm_sub_ps(_mm_mul_ps(v, scaleV), half));
            const __m128i one = _mm_set1_epi32(1);
            const __m128i x0 = _mm_and_si128(_mm_srai_epi32(fu, 8), maskU);
            const __m128i x1 = _mm_and_si128(_mm_add_epi32(x0, one), maskU);
            const __m128i y0 = _mm_and_si128(_mm_srai_epi32(fv, 8), maskV);
            const __m128i y1 = _mm_and_si128(_mm_add_epi32(y0, one), maskV);
            const __m128i row0 = _mm_sll_epi32(y0, shiftY);
            const __m128i row1 = _mm_sll_epi32(y1, shiftY);
            alignas(16) std::int32_t index[4][4];
            _mm_store_si128(reinterpret_cast<__m128i*>(index[0]), _mm_add_epi32(row0, x0));
            _mm_store_si128(reinterpret_cast<__m128i*>(index[1]), _mm_add_epi32(row0, x1));
            _mm_store_si128(reinterpret_cast<__m128i*>(index[2]), _mm_add_epi32(row1, x0));
            _mm_store_si128(reinterpret_cast<__m128i*>(index[3]), _mm_add_epi32(row1, x1));
            const auto gather = [texels](const std::int32_t* at) {
                return _mm_set_epi32(
                    static_cast<int>(texels[at[3]]), static_cast<int>(texels[at[2]]),
                    static_cast<int>(texels[at[1]]), static_cast<int>(texels[at[0]]));
            };
            const __m128i byte = _mm_set1_epi32(255);
            __m128i wx = _mm_and_si128(fu, byte);
            __m128i wy = _mm_and_si128(fv, byte);
            wx = _mm_or_si128(wx, _mm_slli_epi32(wx, 16));
            wy = _mm_or_si128(wy, _mm_slli_epi32(wy, 16));
            const __m128i full = _mm_set1_epi16(256);
            const __m128i keepX = _mm_sub_epi16(full, wx);
            const __m128i keepY = _mm_sub_epi16(full, wy);
            const __m128i top = LerpTexels4(gather(index[0]), gather(index[1]), wx, keepX);
            const __m128i bottom = LerpTexels4(gather(index[2]), gather(index[3]), wx, keepX);
            const __m128i texel = LerpTexels4(top, bottom, wy, keepY);
            if constexpr (kModulate) {
                source = Modulate4(texel, blueRed, green, alphaTop);
            } else {
                source = _mm_or_si128(_mm_and_si128(texel, _mm_set1_epi32(0x00FFFFFF)), alphaTop);
            }
        }
        __m128i* out = reinterpret_cast<__m128i*>(pixels + x);
        const __m128i old = _mm_loadu_si128(out);
        __m128i result;
        if constexpr (kBlend) {
            result = Blend4(source, old, alpha16, inverse16);
        } else {
            result = _mm_or_si128(source, opaque);
        }
        if constexpr (kDepthTest) {
            const __m128i keep = _mm_castps_si128(visible);
            result = _mm_or_si128(_mm_and_si128(keep, result), _mm_andnot_si128(keep, old));
            _mm_storeu_ps(depth + x, _mm_or_ps(_mm_and_ps(visible, closeness),
                                               _mm_andnot_ps(visible, _mm_loadu_ps(depth + x))));
        }
        _mm_storeu_si128(out, result);
    }
    if (x <= last) {
        DrawSpan<kDepthTest, kTextured, kModulate, true, kBlend>(tri, states, start, x, last,
                                                                 pixels, depth);
    }
}

template <bool kDepthTest, bool kTextured, bool kModulate>
SpanFunction PickBlend4(bool blend) {
    return blend ? &DrawSpan4<kDepthTest, kTextured, kModulate, true>
                 : &DrawSpan4<kDepthTest, kTextured, kModulate, false>;
}

template <bool kDepthTest>
SpanFunction PickTexture4(bool textured, bool modulate, bool blend) {
    if (!textured) {
        return PickBlend4<kDepthTest, false, false>(blend);
    }
    return modulate ? PickBlend4<kDepthTest, true, true>(blend)
                    : PickBlend4<kDepthTest, true, false>(blend);
}
#endif

bool IsPowerOfTwo(int value) {
    return value > 0 && (value & (value - 1)) == 0;
}

// One span function per triangle: the state tests leave the pixel loop.
SpanFunction PickSpanFunction(const RasterTriangle& tri, const DrawStates& states) {
    const bool textured = states.texture != nullptr;
    // White leaves the texture as it is, and an opaque source replaces the target exactly.
    const bool modulate = !tri.flat || (tri.flatColour & 0x00FFFFFFu) != 0x00FFFFFFu;
    const bool blend = states.blending && (!tri.flat || (tri.flatColour >> 24) != 255u);
#if defined(__SSE2__)
    if (tri.flat && (!textured || (IsPowerOfTwo(states.texture->width) &&
                                   IsPowerOfTwo(states.texture->height)))) {
        return states.depthTest ? PickTexture4<true>(textured, modulate, blend)
                                : PickTexture4<false>(textured, modulate, blend);
    }
#endif
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
            if (work.clearPicture != nullptr) {
                const auto* from =
                    reinterpret_cast<const std::uint32_t*>(work.clearPicture->Row(y));
                std::copy(from, from + width, row);
            } else {
                std::fill(row, row + width, colour);
            }
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
