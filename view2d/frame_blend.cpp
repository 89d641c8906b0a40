// The clipped alpha copy of tile pieces onto the 2D frame. Drawing a whole board is about 150
// faces plus their shadow pieces per frame, so the loops here are the view's hot path: the blend
// runs four pixels at a time, and the painter draws only the parts of a piece that no opaque face
// drawn later covers.
#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__GNUC__)
#include <tmmintrin.h>
#define VARNEL_EXPAND_SSSE3 1
#endif

#include "view2d/view2d_local.h"

namespace {

// d + (s - d) * a / 255 with the division truncating toward zero, as the game has always blended.
inline std::uint8_t BlendChannel(int d, int s, int a) {
    return static_cast<std::uint8_t>(d + (s - d) * a / 255);
}

// One pixel's blue, green and red at alpha `a`: 255 copies them, 0 leaves the pixel alone.
inline void BlendPixel(std::uint8_t* d, const std::uint8_t* s, int a) {
    if (a == 255) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
    } else if (a != 0) {
        d[0] = BlendChannel(d[0], s[0], a);
        d[1] = BlendChannel(d[1], s[1], a);
        d[2] = BlendChannel(d[2], s[2], a);
    }
}

// The blend of `count` 4-byte source pixels over the destination, blue, green and red only (the
// destination's alpha is kept): alpha 0 leaves a pixel alone, 255 copies it, anything else blends
// it. With `forced` >= 0 every pixel that is not fully transparent uses that alpha instead.
inline void BlendRowScalar(std::uint8_t* d, const std::uint8_t* s, int count, int forced) {
    for (int i = 0; i < count; ++i, s += 4, d += 4) {
        const int a = s[3];
        if (a == 0) {
            continue;
        }
        BlendPixel(d, s, forced >= 0 ? forced : a);
    }
}

#if defined(__SSE2__)
// Eight 16-bit channels (two pixels) of d + (s - d) * a / 255, exactly as BlendChannel rounds:
// the product |s - d| * a is at most 65025, and (p * 0x8081) >> 23 is p / 255 for every such p;
// the sign is put back afterwards, so the quotient truncates toward zero. A channel whose alpha
// lane is 0 comes out as d.
inline __m128i BlendHalf(__m128i s16, __m128i d16, __m128i a16) {
    const __m128i diff = _mm_sub_epi16(s16, d16);
    const __m128i sign = _mm_srai_epi16(diff, 15);
    const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(diff, sign), sign);
    const __m128i product = _mm_mullo_epi16(magnitude, a16);
    const __m128i quotient =
        _mm_srli_epi16(_mm_mulhi_epu16(product, _mm_set1_epi16(static_cast<short>(0x8081))), 7);
    return _mm_add_epi16(d16, _mm_sub_epi16(_mm_xor_si128(quotient, sign), sign));
}

// BlendRowScalar four pixels at a time: spans wholly transparent are skipped, wholly opaque ones
// copied, the rest blended with the same rounding.
inline void BlendRow(std::uint8_t* d, const std::uint8_t* s, int count, int forced) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i opaqueAlpha = _mm_set1_epi32(255);
    const __m128i forcedAlpha = _mm_set1_epi32(forced);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i * 4));
        __m128i alpha = _mm_srli_epi32(sv, 24);
        const __m128i clear = _mm_cmpeq_epi32(alpha, zero);
        if (_mm_movemask_epi8(clear) == 0xFFFF) {
            continue;
        }
        auto* dp = reinterpret_cast<__m128i*>(d + i * 4);
        const __m128i dv = _mm_loadu_si128(dp);
        if (forced < 0 && _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, opaqueAlpha)) == 0xFFFF) {
            _mm_storeu_si128(
                dp, _mm_or_si128(_mm_andnot_si128(alphaBytes, sv), _mm_and_si128(alphaBytes, dv)));
            continue;
        }
        if (forced >= 0) {
            alpha = _mm_andnot_si128(clear, forcedAlpha);
        }
        // The alpha in blue, green and red of each pixel, 0 in its alpha byte.
        const __m128i spread =
            _mm_or_si128(alpha, _mm_or_si128(_mm_slli_epi32(alpha, 8), _mm_slli_epi32(alpha, 16)));
        const __m128i low = BlendHalf(_mm_unpacklo_epi8(sv, zero), _mm_unpacklo_epi8(dv, zero),
                                      _mm_unpacklo_epi8(spread, zero));
        const __m128i high = BlendHalf(_mm_unpackhi_epi8(sv, zero), _mm_unpackhi_epi8(dv, zero),
                                       _mm_unpackhi_epi8(spread, zero));
        _mm_storeu_si128(dp, _mm_packus_epi16(low, high));
    }
    BlendRowScalar(d + i * 4, s + i * 4, count - i, forced);
}
#else
inline void BlendRow(std::uint8_t* d, const std::uint8_t* s, int count, int forced) {
    BlendRowScalar(d, s, count, forced);
}
#endif

bool Usable(const PixelView& v) {
    return v.pixels != nullptr && v.width > 0 && v.height > 0 &&
           (v.bytesPerPixel == 3 || v.bytesPerPixel == 4) && v.stride >= v.width * v.bytesPerPixel;
}

// The part of a piece placed at (x, y) that lies inside the frame, in frame coordinates; 64 bits,
// so that huge offsets cannot overflow.
struct Placed {
    long long left, top, right, bottom;
};
Placed PlacePiece(const PixelView& frame, const PixelView& piece, int x, int y) {
    return {std::max<long long>(0, x), std::max<long long>(0, y),
            std::min<long long>(frame.width, static_cast<long long>(x) + piece.width),
            std::min<long long>(frame.height, static_cast<long long>(y) + piece.height)};
}

}  // namespace

bool BlendPiece(const PixelView& frame, const PixelView& piece, int x, int y, int alphaOverride) {
    if (!Usable(frame) || !Usable(piece) || frame.bytesPerPixel != 4) {
        return false;
    }
    const auto [left, top, right, bottom] = PlacePiece(frame, piece, x, y);
    if (left >= right || top >= bottom) {
        return true;  // nothing of the piece is inside the frame
    }
    const int columns = static_cast<int>(right - left);
    const int sx0 = static_cast<int>(left - x);
    const int sp = piece.bytesPerPixel;
    const int forced = alphaOverride > 255 ? 255 : alphaOverride;

    for (long long fy = top; fy < bottom; ++fy) {
        const int sy = static_cast<int>(fy - y);
        const std::uint8_t* s = piece.pixels + static_cast<std::size_t>(sy) * piece.stride +
                                static_cast<std::size_t>(sx0) * sp;
        std::uint8_t* d = frame.pixels + static_cast<std::size_t>(fy) * frame.stride +
                          static_cast<std::size_t>(left) * 4;
        if (sp == 3 && forced < 0) {
            for (int i = 0; i < columns; ++i, s += 3, d += 4) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            }
            continue;
        }
        if (sp == 4) {
            BlendRow(d, s, columns, forced);
            continue;
        }
        // A 3-byte piece with the fade's alpha.
        for (int i = 0; i < columns; ++i, s += 3, d += 4) {
            BlendPixel(d, s, forced);
        }
    }
    return true;
}

bool CopyPiece(const PixelView& frame, const PixelView& piece, int x, int y) {
    if (!Usable(frame) || !Usable(piece) || frame.bytesPerPixel != 4 || piece.bytesPerPixel != 4) {
        return false;
    }
    const auto [left, top, right, bottom] = PlacePiece(frame, piece, x, y);
    if (left >= right || top >= bottom) {
        return true;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(right - left) * 4;
    for (long long fy = top; fy < bottom; ++fy) {
        std::memcpy(frame.pixels + static_cast<std::size_t>(fy) * frame.stride +
                        static_cast<std::size_t>(left) * 4,
                    piece.pixels + static_cast<std::size_t>(fy - y) * piece.stride +
                        static_cast<std::size_t>(left - x) * 4,
                    rowBytes);
    }
    return true;
}

namespace {

// `count` three-byte pixels (blue, green, red) into four-byte ones with an alpha of 255.
void ExpandRowScalar(std::uint8_t* d, const std::uint8_t* s, int count) {
    for (int i = 0; i < count; ++i, s += 3, d += 4) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        d[3] = 255;
    }
}

#if defined(VARNEL_EXPAND_SSSE3)
// The same four pixels at a time: one shuffle spreads twelve bytes over sixteen. Each load reads
// sixteen bytes, so the last pixels (whose load would reach past the row) go one by one.
__attribute__((target("ssse3"))) void ExpandRowSsse3(std::uint8_t* d, const std::uint8_t* s,
                                                     int count) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    int i = 0;
    for (; i + 6 <= count; i += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i * 3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i * 4),
                         _mm_or_si128(_mm_shuffle_epi8(in, spread), opaque));
    }
    ExpandRowScalar(d + i * 4, s + i * 3, count - i);
}
#endif

void ExpandRow(std::uint8_t* d, const std::uint8_t* s, int count) {
#if defined(VARNEL_EXPAND_SSSE3)
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) {
        ExpandRowSsse3(d, s, count);
        return;
    }
#endif
    ExpandRowScalar(d, s, count);
}

}  // namespace

bool CopyBackground(const PixelView& frame, const PixelView& source) {
    if (!Usable(frame) || !Usable(source) || frame.bytesPerPixel != 4 ||
        source.width != frame.width || source.height != frame.height) {
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(frame.width) * 4;
    for (int row = 0; row < frame.height; ++row) {
        std::uint8_t* d = frame.pixels + static_cast<std::size_t>(row) * frame.stride;
        const std::uint8_t* s = source.pixels + static_cast<std::size_t>(row) * source.stride;
        if (source.bytesPerPixel == 4) {
            std::memcpy(d, s, rowBytes);
        } else {
            ExpandRow(d, s, frame.width);
        }
    }
    return true;
}

bool FillFrame(const PixelView& frame, std::uint32_t bgra) {
    if (!Usable(frame) || frame.bytesPerPixel != 4) {
        return false;
    }
    for (int row = 0; row < frame.height; ++row) {
        std::uint8_t* d = frame.pixels + static_cast<std::size_t>(row) * frame.stride;
        if (row == 0) {
            for (int i = 0; i < frame.width; ++i) {
                std::memcpy(d + static_cast<std::size_t>(i) * 4, &bgra, 4);
            }
        } else {
            std::memcpy(d, frame.pixels, static_cast<std::size_t>(frame.width) * 4);
        }
    }
    return true;
}

bool BlendRect(const PixelView& frame, int x, int y, int width, int height, std::uint32_t bgra,
               int alpha) {
    if (!Usable(frame) || frame.bytesPerPixel != 4 || width <= 0 || height <= 0) {
        return false;
    }
    alpha = std::clamp(alpha, 0, 255);
    // Clipped to the frame, in 64-bit sums so that no position near the int limits overflows.
    const int left = static_cast<int>(std::max<long long>(x, 0));
    const int top = static_cast<int>(std::max<long long>(y, 0));
    const int right =
        static_cast<int>(std::min<long long>(static_cast<long long>(x) + width, frame.width));
    const int bottom =
        static_cast<int>(std::min<long long>(static_cast<long long>(y) + height, frame.height));
    const int blue = static_cast<int>(bgra & 0xFFu);
    const int green = static_cast<int>((bgra >> 8) & 0xFFu);
    const int red = static_cast<int>((bgra >> 16) & 0xFFu);
    for (int row = top; row < bottom; ++row) {
        std::uint8_t* d = frame.pixels + static_cast<std::size_t>(row) * frame.stride +
                          static_cast<std::size_t>(left) * 4;
        for (int column = left; column < right; ++column, d += 4) {
            d[0] = BlendChannel(d[0], blue, alpha);
            d[1] = BlendChannel(d[1], green, alpha);
            d[2] = BlendChannel(d[2], red, alpha);
        }
    }
    return true;
}

void FrameRect::Add(const FrameRect& other) {
    if (other.Empty()) {
        return;
    }
    if (Empty()) {
        *this = other;
        return;
    }
    left = std::min(left, other.left);
    top = std::min(top, other.top);
    right = std::max(right, other.right);
    bottom = std::max(bottom, other.bottom);
}

FrameRect FrameRect::Clipped(int width, int height) const {
    FrameRect inside{std::max(left, 0), std::max(top, 0), std::min(right, width),
                     std::min(bottom, height)};
    return inside.Empty() ? FrameRect{} : inside;
}

namespace {

// A rectangle at (x, y), its far edges kept within int.
FrameRect RectAt(int x, int y, int width, int height) {
    static constexpr long long kLimit = 1 << 30;
    const auto edge = [](long long v) { return static_cast<int>(std::clamp(v, -kLimit, kLimit)); };
    return {edge(x), edge(y), edge(static_cast<long long>(x) + width),
            edge(static_cast<long long>(y) + height)};
}

}  // namespace

void ForEachVisiblePart(const FrameRect& area, const FrameRect* hidden, int count, int shiftY,
                        void (*visible)(const FrameRect& part, void* context), void* context) {
    if (area.Empty()) {
        return;
    }
    // The hidden rectangles over the area, cut to it, and the rows where any of them starts or
    // ends: between two such rows every one of them covers either all rows or none.
    constexpr int kMost = 64;
    FrameRect over[kMost];
    int rows[2 * kMost + 2];
    int overCount = 0;
    int rowCount = 0;
    rows[rowCount++] = area.top;
    rows[rowCount++] = area.bottom;
    for (int i = 0; i < count; ++i) {
        FrameRect h{hidden[i].left, hidden[i].top - shiftY, hidden[i].right,
                    hidden[i].bottom - shiftY};
        h = {std::max(h.left, area.left), std::max(h.top, area.top), std::min(h.right, area.right),
             std::min(h.bottom, area.bottom)};
        if (h.Empty()) {
            continue;
        }
        if (overCount == kMost) {
            // More than a tile's neighbours can put over it: the rest is simply drawn.
            break;
        }
        over[overCount++] = h;
        rows[rowCount++] = h.top;
        rows[rowCount++] = h.bottom;
    }
    if (overCount == 0) {
        visible(area, context);
        return;
    }
    std::sort(rows, rows + rowCount);
    rowCount = static_cast<int>(std::unique(rows, rows + rowCount) - rows);
    std::sort(over, over + overCount,
              [](const FrameRect& a, const FrameRect& b) { return a.left < b.left; });
    for (int r = 0; r + 1 < rowCount; ++r) {
        const int top = rows[r];
        const int bottom = rows[r + 1];
        int column = area.left;
        for (int i = 0; i < overCount; ++i) {
            const FrameRect& h = over[i];
            if (h.top > top || h.bottom < bottom) {
                continue;  // not over these rows
            }
            if (h.left > column) {
                visible({column, top, h.left, bottom}, context);
            }
            column = std::max(column, h.right);
        }
        if (column < area.right) {
            visible({column, top, area.right, bottom}, context);
        }
    }
}

namespace {

// Blends the part of `piece` (drawn with its top-left corner at (x, y)) that lies in `part`, and
// copies the columns of it from `opaqueLeft` to `opaqueRight` of the piece instead.
void DrawPart(const PixelView& frame, const PixelView& piece, int x, int y, int alphaOverride,
              int opaqueLeft, int opaqueRight, const FrameRect& part) {
    const auto cut = [&](int left, int right) {
        PixelView from = piece;
        from.pixels += static_cast<std::size_t>(part.top - y) * from.stride +
                       static_cast<std::size_t>(left - x) * from.bytesPerPixel;
        from.width = right - left;
        from.height = part.bottom - part.top;
        return from;
    };
    const int copyLeft = std::clamp(x + opaqueLeft, part.left, part.right);
    const int copyRight = std::clamp(x + opaqueRight, copyLeft, part.right);
    if (copyLeft >= copyRight) {
        BlendPiece(frame, cut(part.left, part.right), part.left, part.top, alphaOverride);
        return;
    }
    if (part.left < copyLeft) {
        BlendPiece(frame, cut(part.left, copyLeft), part.left, part.top, alphaOverride);
    }
    CopyPiece(frame, cut(copyLeft, copyRight), copyLeft, part.top);
    if (copyRight < part.right) {
        BlendPiece(frame, cut(copyRight, part.right), copyRight, part.top, alphaOverride);
    }
}

}  // namespace

bool TilePainter::Piece(const PixelView& piece, int x, int y, int alphaOverride, int opaqueLeft,
                        int opaqueRight) const {
    if (reach != nullptr) {
        if (!Usable(piece)) {
            return false;
        }
        reach->Add(RectAt(x, y, piece.width, piece.height));
        return true;
    }
    const bool copies = alphaOverride < 0 && piece.bytesPerPixel == 4 && opaqueLeft >= 0 &&
                        opaqueLeft < opaqueRight && opaqueRight <= piece.width;
    if ((hiddenCount == 0 && !copies) || !Usable(piece)) {
        return BlendPiece(frame, piece, x, y, alphaOverride);
    }
    if (!Usable(frame) || frame.bytesPerPixel != 4) {
        return false;
    }
    // Each visible part of the piece is drawn as a piece of its own: the same pixels over the
    // same places, so the result is the same as drawing the whole piece there.
    struct Parts {
        const PixelView* frame;
        const PixelView* piece;
        int x, y, alpha, opaqueLeft, opaqueRight;
    } parts{&frame, &piece, x, y, alphaOverride, copies ? opaqueLeft : 0, copies ? opaqueRight : 0};
    const FrameRect whole =
        RectAt(x, y, piece.width, piece.height).Clipped(frame.width, frame.height);
    ForEachVisiblePart(
        whole, hidden, hiddenCount, frameTop,
        [](const FrameRect& part, void* context) {
            const Parts& p = *static_cast<const Parts*>(context);
            DrawPart(*p.frame, *p.piece, p.x, p.y, p.alpha, p.opaqueLeft, p.opaqueRight, part);
        },
        &parts);
    return true;
}

void TilePainter::Rect(int x, int y, int width, int height, std::uint32_t bgra, int alpha) const {
    if (reach != nullptr) {
        if (width > 0 && height > 0) {
            reach->Add(RectAt(x, y, width, height));
        }
        return;
    }
    if (hiddenCount == 0 || width <= 0 || height <= 0) {
        BlendRect(frame, x, y, width, height, bgra, alpha);
        return;
    }
    struct Parts {
        const TilePainter* painter;
        std::uint32_t bgra;
        int alpha;
    } parts{this, bgra, alpha};
    ForEachVisiblePart(
        RectAt(x, y, width, height).Clipped(frame.width, frame.height), hidden, hiddenCount,
        frameTop,
        [](const FrameRect& part, void* context) {
            const Parts& p = *static_cast<const Parts*>(context);
            BlendRect(p.painter->frame, part.left, part.top, part.right - part.left,
                      part.bottom - part.top, p.bgra, p.alpha);
        },
        &parts);
}
