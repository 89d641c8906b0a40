// The clipped alpha copy of tile pieces onto the 2D frame. Drawing a whole board is about 150
// faces plus their shadow pieces per frame, so the loops here are the view's hot path.
#include <algorithm>
#include <cstring>

#include "view2d/view2d_local.h"

namespace {

// d + (s - d) * a / 255 with the division truncating toward zero, as the game has always blended.
inline std::uint8_t BlendChannel(int d, int s, int a) {
    return static_cast<std::uint8_t>(d + (s - d) * a / 255);
}

// True when every one of `count` 4-byte pixels has alpha 255. Written without early exit so that
// the compiler can vectorise it.
inline bool RowIsOpaque(const std::uint8_t* pixels, int count) {
    unsigned all = 255;
    for (int i = 0; i < count; ++i) {
        all &= pixels[i * 4 + 3];
    }
    return all == 255;
}

// Blue, green and red of `count` source pixels over the destination, the destination's alpha kept.
inline void CopyOpaqueRow(std::uint8_t* __restrict d, const std::uint8_t* __restrict s, int count) {
    for (int i = 0; i < count; ++i) {
        std::uint32_t source;
        std::uint32_t target;
        std::memcpy(&source, s + i * 4, 4);
        std::memcpy(&target, d + i * 4, 4);
        target = (source & 0x00FFFFFFu) | (target & 0xFF000000u);
        std::memcpy(d + i * 4, &target, 4);
    }
}

bool Usable(const PixelView& v) {
    return v.pixels != nullptr && v.width > 0 && v.height > 0 &&
           (v.bytesPerPixel == 3 || v.bytesPerPixel == 4) && v.stride >= v.width * v.bytesPerPixel;
}

}  // namespace

bool BlendPiece(const PixelView& frame, const PixelView& piece, int x, int y, int alphaOverride) {
    if (!Usable(frame) || !Usable(piece) || frame.bytesPerPixel != 4) {
        return false;
    }
    // Clip the piece's rectangle to the frame; work in 64 bits so huge offsets cannot overflow.
    const long long left = std::max<long long>(0, x);
    const long long top = std::max<long long>(0, y);
    const long long right =
        std::min<long long>(frame.width, static_cast<long long>(x) + piece.width);
    const long long bottom =
        std::min<long long>(frame.height, static_cast<long long>(y) + piece.height);
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
        if (sp == 4 && forced < 0 && RowIsOpaque(s, columns)) {
            // Most rows of a face are wholly opaque: copy them without looking at each pixel.
            CopyOpaqueRow(d, s, columns);
            continue;
        }
        for (int i = 0; i < columns; ++i, s += sp, d += 4) {
            int a = sp == 4 ? s[3] : 255;
            if (a == 0) {
                continue;
            }
            if (forced >= 0) {
                a = forced;
            }
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
    }
    return true;
}

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
            for (int i = 0; i < frame.width; ++i, s += 3, d += 4) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                d[3] = 255;
            }
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
