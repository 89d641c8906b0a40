// The in-memory picture: sizes and strides, filling, alpha, the blending copy and the rescale.

#include "images/image.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "tests/images/test_pictures.h"

namespace {

void SetPixel(Image& image, std::int32_t x, std::int32_t y, std::vector<std::uint8_t> bytes) {
    std::memcpy(image.Row(y) + static_cast<std::ptrdiff_t>(x) * image.BytesPerPixel(), bytes.data(),
                bytes.size());
}

std::vector<std::uint8_t> GetPixel(const Image& image, std::int32_t x, std::int32_t y) {
    const std::uint8_t* p = PixelAt(image, x, y);
    return {p, p + image.BytesPerPixel()};
}

}  // namespace

TEST(Image, StrideIsRowBytesRoundedUpToFour) {
    EXPECT_EQ(ImageStride(11, 3), 36);
    EXPECT_EQ(ImageStride(4, 3), 12);
    EXPECT_EQ(ImageStride(5, 3), 16);
    EXPECT_EQ(ImageStride(3, 4), 12);
    EXPECT_EQ(ImageStride(1, 3), 4);
    Image image;
    ASSERT_TRUE(image.Create(11, 6, 3));
    EXPECT_EQ(image.Stride(), 36);
    EXPECT_EQ(image.Size(), 36 * 6);
    EXPECT_EQ(image.Row(2) - image.Row(0), 72);
}

TEST(Image, FreshImageSaysFourBytesAndReleaseZeroesEverything) {
    Image image;
    EXPECT_FALSE(image.HasPixels());
    EXPECT_EQ(image.BytesPerPixel(), 4u);
    ASSERT_TRUE(image.CreateFilled(3, 2, 3));
    for (std::int32_t y = 0; y < 2; ++y) {
        for (std::int32_t x = 0; x < 9; ++x) {
            EXPECT_EQ(image.Row(y)[x], 0xFF);
        }
    }
    image.Release();
    EXPECT_FALSE(image.HasPixels());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_EQ(image.Stride(), 0);
    EXPECT_EQ(image.Size(), 0);
    EXPECT_EQ(image.BytesPerPixel(), 0u);
}

TEST(Image, CreateRefusesImpossibleSizes) {
    Image image;
    EXPECT_FALSE(image.Create(0, 5, 4));
    EXPECT_FALSE(image.Create(5, -1, 4));
    EXPECT_FALSE(image.Create(kMaxImageSide + 1, 5, 4));
    EXPECT_FALSE(image.Create(5, kMaxImageSide + 1, 3));
    EXPECT_FALSE(image.Create(5, 5, 2));
    EXPECT_FALSE(image.HasPixels());
}

TEST(Image, CopiesOwnTheirPixels) {
    Image original = PatternImage(5, 4, 4);
    Image copy = original;
    ASSERT_EQ(RowsOf(copy), RowsOf(original));
    copy.Row(0)[0] ^= 0xFF;
    EXPECT_NE(copy.Row(0)[0], original.Row(0)[0]);
}

TEST(Image, FillWritesOnlyThePixelBytes) {
    Image bgr;
    ASSERT_TRUE(bgr.Create(5, 2, 3));
    std::memset(bgr.Pixels(), 0x11, static_cast<std::size_t>(bgr.Size()));
    ASSERT_TRUE(bgr.Fill({10, 20, 30, 40}));
    EXPECT_EQ(GetPixel(bgr, 4, 1), (std::vector<std::uint8_t>{30, 20, 10}));
    EXPECT_EQ(bgr.Row(0)[15], 0x11);  // row padding untouched

    Image bgra;
    ASSERT_TRUE(bgra.Create(2, 2, 4));
    ASSERT_TRUE(bgra.Fill({10, 20, 30, 40}));
    EXPECT_EQ(GetPixel(bgra, 1, 1), (std::vector<std::uint8_t>{30, 20, 10, 40}));

    Image empty;
    EXPECT_FALSE(empty.Fill({1, 2, 3, 4}));
}

TEST(Image, SetAlphaOnlyOnFourBytePicturesAndOptionallyOnlyNonZero) {
    Image bgr = PatternImage(3, 3, 3);
    const auto before = RowsOf(bgr);
    EXPECT_FALSE(bgr.SetAlpha(7, false));
    EXPECT_EQ(RowsOf(bgr), before);

    Image bgra;
    ASSERT_TRUE(bgra.Create(2, 1, 4));
    SetPixel(bgra, 0, 0, {1, 2, 3, 0});
    SetPixel(bgra, 1, 0, {1, 2, 3, 9});
    ASSERT_TRUE(bgra.SetAlpha(100, true));
    EXPECT_EQ(GetPixel(bgra, 0, 0)[3], 0);
    EXPECT_EQ(GetPixel(bgra, 1, 0)[3], 100);
    ASSERT_TRUE(bgra.SetAlpha(200, false));
    EXPECT_EQ(GetPixel(bgra, 0, 0)[3], 200);
}

TEST(Blit, AlphaRuleCopiesSkipsOrBlendsTruncatingTowardZero) {
    Image destination;
    ASSERT_TRUE(destination.Create(4, 1, 4));
    for (std::int32_t x = 0; x < 4; ++x) {
        SetPixel(destination, x, 0, {200, 100, 50, 77});
    }
    Image source;
    ASSERT_TRUE(source.Create(4, 1, 4));
    SetPixel(source, 0, 0, {1, 2, 3, 255});
    SetPixel(source, 1, 0, {1, 2, 3, 0});
    SetPixel(source, 2, 0, {100, 200, 50, 128});
    SetPixel(source, 3, 0, {0, 255, 51, 1});
    ASSERT_TRUE(Blit(destination, source));

    EXPECT_EQ(GetPixel(destination, 0, 0), (std::vector<std::uint8_t>{1, 2, 3, 77}));
    EXPECT_EQ(GetPixel(destination, 1, 0), (std::vector<std::uint8_t>{200, 100, 50, 77}));
    // 200 + (100 - 200) * 128 / 255 = 200 - 50 (not 51): the division truncates toward zero.
    EXPECT_EQ(GetPixel(destination, 2, 0), (std::vector<std::uint8_t>{150, 150, 50, 77}));
    EXPECT_EQ(GetPixel(destination, 3, 0), (std::vector<std::uint8_t>{200, 100, 50, 77}));
}

TEST(Blit, ThreeByteSourceCountsAsOpaque) {
    Image destination;
    ASSERT_TRUE(destination.Create(2, 2, 4));
    ASSERT_TRUE(destination.Fill({0, 0, 0, 33}));
    Image source = PatternImage(2, 2, 3);
    ASSERT_TRUE(Blit(destination, source));
    for (std::int32_t y = 0; y < 2; ++y) {
        for (std::int32_t x = 0; x < 2; ++x) {
            const std::vector<std::uint8_t> s = GetPixel(source, x, y);
            EXPECT_EQ(GetPixel(destination, x, y),
                      (std::vector<std::uint8_t>{s[0], s[1], s[2], 33}));
        }
    }
}

TEST(Blit, RefusesSmallerDestinationRectanglesAndOversizedRectangles) {
    Image destination;
    ASSERT_TRUE(destination.CreateFilled(8, 8, 4));
    const Image source = PatternImage(4, 4, 4);
    const auto before = RowsOf(destination);
    EXPECT_FALSE(Blit(destination, source, {0, 0, 4, 4}, {0, 0, 3, 4}));
    EXPECT_FALSE(Blit(destination, source, {0, 0, 4, 4}, {0, 0, 4, 3}));
    EXPECT_FALSE(Blit(destination, source, {0, 0, 5, 4}, {0, 0, 8, 8}));
    EXPECT_FALSE(Blit(destination, source, {0, 0, 4, 4}, {0, 0, 9, 8}));
    EXPECT_FALSE(Blit(destination, source, {0, 0, -1, 4}, {0, 0, 8, 8}));
    EXPECT_EQ(RowsOf(destination), before);
    Image empty;
    EXPECT_FALSE(Blit(empty, source, {0, 0, 0, 0}, {0, 0, 0, 0}));
    // An empty piece copies nothing and is not an error.
    EXPECT_TRUE(Blit(destination, empty, {0, 0, 0, 0}, {2, 2, 0, 0}));
}

TEST(Blit, CopiesOnlyWhatLiesInsideBothImages) {
    const Image source = PatternImage(4, 4, 3);
    struct Case {
        ImageRect from;
        ImageRect to;
    };
    const Case cases[] = {
        {{0, 0, 4, 4}, {-2, -1, 4, 4}},  // hangs over the destination's top-left
        {{0, 0, 4, 4}, {4, 5, 4, 4}},    // over its bottom-right
        {{2, 1, 4, 4}, {1, 1, 4, 4}},    // the source rectangle leaves the source
        {{-3, 0, 4, 4}, {0, 0, 4, 4}},   // starts left of the source
        {{0, 0, 4, 4}, {100, 100, 4, 4}},
    };
    for (const Case& c : cases) {
        Image destination;
        ASSERT_TRUE(destination.Create(6, 6, 4));
        ASSERT_TRUE(destination.Fill({9, 9, 9, 9}));
        ASSERT_TRUE(Blit(destination, source, c.from, c.to));
        for (std::int32_t y = 0; y < 6; ++y) {
            for (std::int32_t x = 0; x < 6; ++x) {
                const std::int32_t sx = x - c.to.x + c.from.x;
                const std::int32_t sy = y - c.to.y + c.from.y;
                const bool copied = x >= c.to.x && x < c.to.x + c.from.width && y >= c.to.y &&
                                    y < c.to.y + c.from.height && sx >= 0 && sx < 4 && sy >= 0 &&
                                    sy < 4;
                std::vector<std::uint8_t> want{9, 9, 9, 9};
                if (copied) {
                    const std::vector<std::uint8_t> s = GetPixel(source, sx, sy);
                    want = {s[0], s[1], s[2], 9};
                }
                EXPECT_EQ(GetPixel(destination, x, y), want) << x << "," << y;
            }
        }
    }
}

// ---- Resample ------------------------------------------------------------------------------

namespace {

constexpr ResampleFilter kAllFilters[] = {
    ResampleFilter::Box,      ResampleFilter::Triangle, ResampleFilter::Hermite,
    ResampleFilter::Bell,     ResampleFilter::BSpline,  ResampleFilter::Lanczos3,
    ResampleFilter::Mitchell,
};

// A plain, slow rescale written straight from the filter's definition: for every output position
// every source position within reach is weighed, mirrored at the edges.
std::uint8_t ReferenceSample(ResampleFilter filter, std::int32_t i, std::int32_t sourceLength,
                             std::int32_t destLength, const std::vector<double>& line) {
    const double scale = static_cast<double>(destLength) / sourceLength;
    const double support = scale < 1 ? FilterSupport(filter) / scale : FilterSupport(filter);
    const double centre = i / scale;
    double sum = 0;
    for (int j = static_cast<int>(std::floor(centre - support));
         j <= static_cast<int>(std::ceil(centre + support)); ++j) {
        const double weight = scale < 1 ? FilterKernel(filter, (centre - j) * scale) * scale
                                        : FilterKernel(filter, centre - j);
        int n = j < 0 ? -j : (j >= sourceLength ? 2 * sourceLength - j - 1 : j);
        n = std::max(0, std::min(sourceLength - 1, n));
        sum += line[static_cast<std::size_t>(n)] * weight;
    }
    return static_cast<std::uint8_t>(std::max(0.0, std::min(255.0, sum)));
}

Image ReferenceResample(ResampleFilter filter, const Image& source, std::int32_t width,
                        std::int32_t height) {
    const std::uint32_t bpp = source.BytesPerPixel();
    Image temp;
    temp.Create(width, source.Height(), bpp);
    for (std::int32_t y = 0; y < source.Height(); ++y) {
        for (std::uint32_t c = 0; c < bpp; ++c) {
            std::vector<double> line;
            for (std::int32_t x = 0; x < source.Width(); ++x) {
                line.push_back(PixelAt(source, x, y)[c]);
            }
            for (std::int32_t x = 0; x < width; ++x) {
                temp.Row(y)[x * bpp + c] = ReferenceSample(filter, x, source.Width(), width, line);
            }
        }
    }
    Image result;
    result.Create(width, height, bpp);
    for (std::int32_t x = 0; x < width; ++x) {
        for (std::uint32_t c = 0; c < bpp; ++c) {
            std::vector<double> line;
            for (std::int32_t y = 0; y < source.Height(); ++y) {
                line.push_back(PixelAt(temp, x, y)[c]);
            }
            for (std::int32_t y = 0; y < height; ++y) {
                result.Row(y)[x * bpp + c] =
                    ReferenceSample(filter, y, source.Height(), height, line);
            }
        }
    }
    return result;
}

}  // namespace

TEST(ResampleFilters, KernelsHaveTheirShapesAndVanishAtTheirSupport) {
    EXPECT_EQ(FilterKernel(ResampleFilter::Box, 0.5), 1.0);
    EXPECT_EQ(FilterKernel(ResampleFilter::Box, -0.5), 0.0);
    EXPECT_DOUBLE_EQ(FilterKernel(ResampleFilter::Triangle, 0.25), 0.75);
    EXPECT_DOUBLE_EQ(FilterKernel(ResampleFilter::Hermite, 0.5), 0.5);
    EXPECT_DOUBLE_EQ(FilterKernel(ResampleFilter::Bell, 1.0), 0.125);
    EXPECT_DOUBLE_EQ(FilterKernel(ResampleFilter::Bell, 0.0), 0.75);
    EXPECT_DOUBLE_EQ(FilterKernel(ResampleFilter::BSpline, 0.0), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(FilterKernel(ResampleFilter::BSpline, 1.0), 1.0 / 6.0);
    EXPECT_DOUBLE_EQ(FilterKernel(ResampleFilter::Lanczos3, 0.0), 1.0);
    EXPECT_NEAR(FilterKernel(ResampleFilter::Lanczos3, 1.0), 0.0, 1e-12);
    EXPECT_NEAR(FilterKernel(ResampleFilter::Lanczos3, 1.5), -0.135095, 1e-6);
    EXPECT_DOUBLE_EQ(FilterKernel(ResampleFilter::Mitchell, 0.0), 16.0 / 18.0);
    EXPECT_NEAR(FilterKernel(ResampleFilter::Mitchell, 1.0), 1.0 / 18.0, 1e-12);
    EXPECT_NEAR(FilterKernel(ResampleFilter::Mitchell, 1.5), -0.0347222, 1e-6);
    for (ResampleFilter filter : kAllFilters) {
        const double support = FilterSupport(filter);
        EXPECT_EQ(FilterKernel(filter, support + 0.01), 0.0);
        EXPECT_EQ(FilterKernel(filter, -support - 0.01), 0.0);
    }
}

TEST(Resample, DoesNothingForTinyPicturesOrEmptyOnes) {
    const Image source = PatternImage(8, 8, 3);
    for (auto [w, h] : {std::pair{4, 20}, std::pair{20, 4}}) {
        Image destination;
        ASSERT_TRUE(destination.CreateFilled(w, h, 3));
        EXPECT_FALSE(Resample(ResampleFilter::Lanczos3, source, destination));
        EXPECT_EQ(destination.Row(0)[0], 0xFF);
    }
    Image destination;
    ASSERT_TRUE(destination.CreateFilled(10, 10, 3));
    EXPECT_FALSE(Resample(ResampleFilter::Lanczos3, PatternImage(1, 8, 3), destination));
    EXPECT_FALSE(Resample(ResampleFilter::Lanczos3, PatternImage(8, 1, 3), destination));
    EXPECT_FALSE(Resample(ResampleFilter::Lanczos3, Image(), destination));
    EXPECT_EQ(destination.Row(9)[29], 0xFF);
    Image notCreated;
    EXPECT_FALSE(Resample(ResampleFilter::Lanczos3, source, notCreated));
}

TEST(Resample, EqualSizesCopyTheCommonBytesAndReportNoFiltering) {
    const Image source = PatternImage(6, 5, 4);
    Image destination;
    ASSERT_TRUE(destination.CreateFilled(6, 5, 3));
    EXPECT_FALSE(Resample(ResampleFilter::Lanczos3, source, destination));
    for (std::int32_t y = 0; y < 5; ++y) {
        for (std::int32_t x = 0; x < 6; ++x) {
            const std::vector<std::uint8_t> s = GetPixel(source, x, y);
            EXPECT_EQ(GetPixel(destination, x, y), (std::vector<std::uint8_t>{s[0], s[1], s[2]}));
        }
    }
}

TEST(Resample, BoxDoublingRepeatsEveryPixel) {
    const Image source = PatternImage(5, 6, 3);
    Image destination;
    ASSERT_TRUE(destination.Create(10, 12, 3));
    ASSERT_TRUE(Resample(ResampleFilter::Box, source, destination));
    for (std::int32_t y = 0; y < 12; ++y) {
        for (std::int32_t x = 0; x < 10; ++x) {
            EXPECT_EQ(GetPixel(destination, x, y), GetPixel(source, x / 2, y / 2));
        }
    }
}

TEST(Resample, EveryFilterMatchesTheDirectFormulaWhenEnlargingAndShrinking) {
    struct Size {
        std::int32_t sw, sh, dw, dh;
        std::uint32_t bpp;
    };
    // Includes a source only two pixels wide, whose taps reach past both edges.
    const Size sizes[] = {{7, 5, 23, 11, 3}, {40, 31, 9, 6, 4}, {2, 9, 13, 5, 3}, {17, 3, 6, 8, 4}};
    for (ResampleFilter filter : kAllFilters) {
        for (const Size& s : sizes) {
            const Image source = PatternImage(s.sw, s.sh, s.bpp, s.sw * 7 + s.dh);
            Image destination;
            ASSERT_TRUE(destination.Create(s.dw, s.dh, s.bpp));
            ASSERT_TRUE(Resample(filter, source, destination));
            const Image want = ReferenceResample(filter, source, s.dw, s.dh);
            int mismatches = 0;
            for (std::int32_t y = 0; y < s.dh; ++y) {
                for (std::int32_t x = 0; x < s.dw * static_cast<std::int32_t>(s.bpp); ++x) {
                    // Single-precision sums may land one step lower or higher at a boundary.
                    if (std::abs(destination.Row(y)[x] - want.Row(y)[x]) > 1) {
                        ++mismatches;
                    }
                }
            }
            EXPECT_EQ(mismatches, 0) << "filter " << static_cast<int>(filter) << " " << s.sw << "x"
                                     << s.sh << " -> " << s.dw << "x" << s.dh;
        }
    }
}

// The four-byte destinations are filtered four channels at a time, the three-byte ones channel
// by channel: the colour bytes must agree exactly.
TEST(Resample, FourByteDestinationsGetTheSameColourAsThreeByteOnes) {
    for (ResampleFilter filter : kAllFilters) {
        for (auto [sw, sh, dw, dh, bpp] :
             {std::array{9, 9, 18, 18, 3}, std::array{41, 23, 13, 30, 4},
              std::array{30, 7, 29, 11, 3}}) {
            const Image source = PatternImage(sw, sh, static_cast<std::uint32_t>(bpp), sw + dh);
            Image four;
            Image three;
            ASSERT_TRUE(four.Create(dw, dh, 4) && three.Create(dw, dh, 3));
            ASSERT_TRUE(Resample(filter, source, four) && Resample(filter, source, three));
            for (std::int32_t y = 0; y < dh; ++y) {
                for (std::int32_t x = 0; x < dw; ++x) {
                    const std::vector<std::uint8_t> p = GetPixel(four, x, y);
                    ASSERT_EQ(std::vector<std::uint8_t>(p.begin(), p.begin() + 3),
                              GetPixel(three, x, y))
                        << "filter " << static_cast<int>(filter) << " at " << x << "," << y;
                }
            }
        }
    }
}

// A width that stays the same is not filtered across by the filters that go through their
// samples (a background as wide as the window); the bytes must be those of filtering it, which
// the vertical pass of the picture turned on its side gives.
TEST(Resample, AnUnchangedWidthGivesTheBytesOfFilteringIt) {
    const auto turned = [](const Image& image) {
        Image result;
        result.Create(image.Height(), image.Width(), image.BytesPerPixel());
        for (std::int32_t y = 0; y < image.Height(); ++y) {
            for (std::int32_t x = 0; x < image.Width(); ++x) {
                std::memcpy(result.Row(x) + std::size_t{image.BytesPerPixel()} * y,
                            PixelAt(image, x, y), image.BytesPerPixel());
            }
        }
        return result;
    };
    for (ResampleFilter filter : {ResampleFilter::Box, ResampleFilter::Triangle,
                                  ResampleFilter::Hermite, ResampleFilter::Lanczos3}) {
        for (std::uint32_t bpp : {3u, 4u}) {
            const Image source = PatternImage(37, 20, bpp, 5);
            Image across;
            Image down;
            ASSERT_TRUE(across.Create(37, 13, bpp) && down.Create(13, 37, bpp));
            ASSERT_TRUE(Resample(filter, source, across));
            ASSERT_TRUE(Resample(filter, turned(source), down));
            const Image back = turned(down);
            for (std::int32_t y = 0; y < 13; ++y) {
                ASSERT_EQ(std::memcmp(across.Row(y), back.Row(y), std::size_t{37} * bpp), 0)
                    << "filter " << static_cast<int>(filter) << ", row " << y;
            }
        }
    }
}
