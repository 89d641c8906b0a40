// The clipped alpha copy that puts tile pieces on the frame.
#include <gtest/gtest.h>

#include <vector>

#include "view2d/view2d_local.h"

namespace {

// A small 4-byte picture held in a vector, every pixel the given colour.
struct Picture {
    std::vector<std::uint8_t> bytes;
    PixelView view;
    Picture(int width, int height, int bytesPerPixel, std::vector<std::uint8_t> pixel) {
        const int stride = (width * bytesPerPixel + 3) / 4 * 4;
        bytes.assign(static_cast<std::size_t>(stride) * height, 0);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                for (int c = 0; c < bytesPerPixel; ++c) {
                    bytes[y * stride + x * bytesPerPixel + c] = pixel[c];
                }
            }
        }
        view = {bytes.data(), width, height, stride, bytesPerPixel};
    }
    const std::uint8_t* At(int x, int y) const {
        return bytes.data() + y * view.stride + x * view.bytesPerPixel;
    }
};

}  // namespace

TEST(FrameBlend, AlphaRuleCopiesBlendsOrSkips) {
    Picture frame(4, 1, 4, {100, 100, 100, 7});
    Picture piece(4, 1, 4, {0, 0, 0, 0});
    const std::uint8_t alphas[] = {255, 0, 64, 128};
    for (int x = 0; x < 4; ++x) {
        std::uint8_t* p = piece.bytes.data() + x * 4;
        p[0] = 200, p[1] = 10, p[2] = 100, p[3] = alphas[x];
    }
    ASSERT_TRUE(BlendPiece(frame.view, piece.view, 0, 0));
    // Opaque: copied, the frame's own alpha kept.
    EXPECT_EQ(frame.At(0, 0)[0], 200);
    EXPECT_EQ(frame.At(0, 0)[1], 10);
    EXPECT_EQ(frame.At(0, 0)[3], 7);
    // Transparent: untouched.
    EXPECT_EQ(frame.At(1, 0)[0], 100);
    // Blended with truncation toward zero: 100 + (200 - 100) * 64 / 255 = 125,
    // 100 + (10 - 100) * 64 / 255 = 78 (-22.6 truncated to -22).
    EXPECT_EQ(frame.At(2, 0)[0], 125);
    EXPECT_EQ(frame.At(2, 0)[1], 78);
    EXPECT_EQ(frame.At(2, 0)[2], 100);
    EXPECT_EQ(frame.At(3, 0)[0], 100 + 100 * 128 / 255);
}

TEST(FrameBlend, OverrideAlphaSparesTransparentPixels) {
    Picture frame(2, 1, 4, {0, 0, 0, 255});
    Picture piece(2, 1, 4, {255, 255, 255, 255});
    piece.bytes[4 + 3] = 0;  // second pixel transparent
    ASSERT_TRUE(BlendPiece(frame.view, piece.view, 0, 0, 100));
    EXPECT_EQ(frame.At(0, 0)[0], 100);
    EXPECT_EQ(frame.At(1, 0)[0], 0);
}

TEST(FrameBlend, ThreeBytePiecesAreOpaque) {
    Picture frame(3, 2, 4, {1, 1, 1, 255});
    Picture piece(3, 2, 3, {9, 8, 7});
    ASSERT_TRUE(BlendPiece(frame.view, piece.view, 0, 0));
    EXPECT_EQ(frame.At(2, 1)[0], 9);
    EXPECT_EQ(frame.At(2, 1)[2], 7);
    EXPECT_EQ(frame.At(2, 1)[3], 255);
}

TEST(FrameBlend, PiecesAreClippedAtEveryEdge) {
    // A 3 x 3 piece placed so that it hangs over each edge in turn writes only inside.
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{
             {-2, -2}, {3, -2}, {3, 3}, {-2, 3}, {-100, 0}, {0, 100}, {2147483640, 0}}) {
        Picture frame(4, 4, 4, {0, 0, 0, 255});
        // Guard bytes after the frame catch a write past its end.
        frame.bytes.resize(frame.bytes.size() + 64, 0xAB);
        frame.view.pixels = frame.bytes.data();
        Picture piece(3, 3, 4, {50, 60, 70, 255});
        ASSERT_TRUE(BlendPiece(frame.view, piece.view, x, y));
        int painted = 0;
        for (int fy = 0; fy < 4; ++fy) {
            for (int fx = 0; fx < 4; ++fx) {
                const bool inside = fx >= x && fx < x + 3 && fy >= y && fy < y + 3;
                EXPECT_EQ(frame.At(fx, fy)[0], inside ? 50 : 0) << fx << "," << fy;
                painted += inside;
            }
        }
        for (std::size_t i = 64; i > 0; --i) {
            ASSERT_EQ(frame.bytes[frame.bytes.size() - i], 0xAB);
        }
        if (x == -2 && y == -2) {
            EXPECT_EQ(painted, 1);
        }
    }
}

TEST(FrameBlend, RefusesMissingPixelsAndThreeByteFrames) {
    Picture frame(2, 2, 3, {0, 0, 0});
    Picture piece(1, 1, 4, {1, 2, 3, 255});
    EXPECT_FALSE(BlendPiece(frame.view, piece.view, 0, 0));
    Picture frame4(2, 2, 4, {0, 0, 0, 255});
    EXPECT_FALSE(BlendPiece(frame4.view, PixelView{}, 0, 0));
    EXPECT_FALSE(BlendPiece(PixelView{}, piece.view, 0, 0));
}

TEST(FrameBlend, BackgroundCopyAndFill) {
    Picture frame(3, 2, 4, {0, 0, 0, 0});
    ASSERT_TRUE(FillFrame(frame.view, 0xFF030201u));
    EXPECT_EQ(frame.At(2, 1)[0], 1);
    EXPECT_EQ(frame.At(2, 1)[2], 3);
    EXPECT_EQ(frame.At(2, 1)[3], 255);
    Picture background(3, 2, 3, {7, 8, 9});
    ASSERT_TRUE(CopyBackground(frame.view, background.view));
    EXPECT_EQ(frame.At(1, 1)[0], 7);
    EXPECT_EQ(frame.At(1, 1)[3], 255);
    Picture wrongSize(2, 2, 4, {7, 8, 9, 255});
    EXPECT_FALSE(CopyBackground(frame.view, wrongSize.view));
    // A three-byte background of every width up to two groups of pixels and a few over, into
    // part of a wider frame: each pixel's bytes with an alpha of 255, nothing beside it touched.
    for (int width = 1; width <= 21; ++width) {
        Picture wide(width + 1, 2, 4, {0, 0, 0, 0});
        Picture from(width, 2, 3, {0, 0, 0});
        for (std::size_t i = 0; i < from.bytes.size(); ++i) {
            from.bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
        }
        PixelView to = wide.view;
        to.width = width;
        ASSERT_TRUE(CopyBackground(to, from.view));
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::vector<std::uint8_t> expected{from.At(x, y)[0], from.At(x, y)[1],
                                                         from.At(x, y)[2], 255};
                EXPECT_EQ(std::vector<std::uint8_t>(wide.At(x, y), wide.At(x, y) + 4), expected)
                    << "width " << width << " pixel " << x << ", " << y;
            }
            EXPECT_EQ(wide.At(width, y)[3], 0) << "width " << width;
        }
    }
}

// Every destination value, source value and alpha with the piece's own alpha (and a spread of
// destination values with the fade's override), on rows of odd length so that whole groups of
// pixels and the leftovers both run: each channel is d + (s - d) * a / 255 truncated toward
// zero, and the frame's alpha byte is kept.
TEST(FrameBlend, EveryChannelValueAndAlphaBlendsExactly) {
    const int overrides[] = {kOwnAlpha, 0, 1, 77, 254, 255};
    for (const int forced : overrides) {
        for (int d = 0; d < 256; d += forced == kOwnAlpha ? 1 : 15) {
            // One row per source value: pixel i of the row has alpha i; 257 pixels, so the last
            // one is left over after the groups of four (it repeats alpha 0).
            const int width = 257;
            Picture frame(width, 256, 4, {0, 0, 0, 0});
            Picture piece(width, 256, 4, {0, 0, 0, 0});
            for (int s = 0; s < 256; ++s) {
                for (int i = 0; i < width; ++i) {
                    std::uint8_t* f = frame.bytes.data() + s * frame.view.stride + i * 4;
                    std::uint8_t* p = piece.bytes.data() + s * piece.view.stride + i * 4;
                    f[0] = static_cast<std::uint8_t>(d);
                    f[1] = static_cast<std::uint8_t>(255 - d);
                    f[2] = static_cast<std::uint8_t>(d);
                    f[3] = static_cast<std::uint8_t>(i * 7);
                    p[0] = static_cast<std::uint8_t>(s);
                    p[1] = static_cast<std::uint8_t>(s);
                    p[2] = static_cast<std::uint8_t>(255 - s);
                    p[3] = static_cast<std::uint8_t>(i % 256);
                }
            }
            ASSERT_TRUE(BlendPiece(frame.view, piece.view, 0, 0, forced));
            int wrong = 0;
            for (int s = 0; s < 256; ++s) {
                for (int i = 0; i < width; ++i) {
                    const std::uint8_t* f = frame.At(i, s);
                    const int own = i % 256;
                    const int a = own == 0 ? 0 : (forced >= 0 ? forced : own);
                    const int under[3] = {d, 255 - d, d};
                    const int over[3] = {s, s, 255 - s};
                    for (int c = 0; c < 3; ++c) {
                        wrong += f[c] != under[c] + (over[c] - under[c]) * a / 255;
                    }
                    wrong += f[3] != static_cast<std::uint8_t>(i * 7);
                }
            }
            ASSERT_EQ(wrong, 0) << "destination " << d << ", override " << forced;
        }
    }
}
