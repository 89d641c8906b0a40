// The in-memory picture, the alpha-blending copy and the filtered rescale.

#include "images/image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <numbers>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "images/readers.h"

// ================================================================================================
// Image
// ================================================================================================

std::int32_t ImageStride(std::int32_t width, std::uint32_t bytesPerPixel) {
    if (width <= 0 || width > kMaxImageSide || (bytesPerPixel != 3 && bytesPerPixel != 4)) {
        return 0;
    }
    const std::int64_t rowBytes = (std::int64_t{width} * bytesPerPixel * 8 + 7) / 8;
    return static_cast<std::int32_t>((rowBytes + 3) / 4 * 4);
}

Image::Image(const std::string& path) {
    Load(path);
}

Image::Image(const Image& other)
    : width_(other.width_),
      height_(other.height_),
      stride_(other.stride_),
      size_(other.size_),
      bytesPerPixel_(other.bytesPerPixel_) {
    if (other.pixels_) {
        pixels_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size_)]);
        if (pixels_) {
            std::memcpy(pixels_.get(), other.pixels_.get(), static_cast<std::size_t>(size_));
        } else {
            Release();
        }
    }
}

Image& Image::operator=(const Image& other) {
    if (this != &other) {
        Image copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Image::Image(Image&& other) noexcept
    : width_(other.width_),
      height_(other.height_),
      stride_(other.stride_),
      size_(other.size_),
      bytesPerPixel_(other.bytesPerPixel_),
      pixels_(std::move(other.pixels_)) {
    other.Release();
}

Image& Image::operator=(Image&& other) noexcept {
    if (this != &other) {
        width_ = other.width_;
        height_ = other.height_;
        stride_ = other.stride_;
        size_ = other.size_;
        bytesPerPixel_ = other.bytesPerPixel_;
        pixels_ = std::move(other.pixels_);
        other.Release();
    }
    return *this;
}

bool Image::Load(const std::string& path) {
    Release();
    // Only the last three characters choose the reader, so "x.jpeg" is refused like "x.png".
    if (path.size() <= 4) {
        return false;
    }
    std::unique_ptr<ImageReader> reader = ReaderForPath(path);
    if (!reader || !reader->Read(path)) {
        return false;
    }
    return TakePicture(*reader);
}

bool Image::LoadMemory(const std::string& name, const std::uint8_t* data, std::size_t size) {
    Release();
    if (name.size() <= 4) {
        return false;
    }
    std::unique_ptr<ImageReader> reader = ReaderForPath(name);
    if (!reader || !reader->ReadMemory(data, size)) {
        return false;
    }
    return TakePicture(*reader);
}

bool Image::TakePicture(ImageReader& reader) {
    if (!Create(reader.width, reader.height, reader.BytesPerPixel())) {
        return false;
    }
    std::memcpy(pixels_.get(), reader.pixels.get(), static_cast<std::size_t>(size_));
    reader.Destroy();
    // Alpha read from a file never reaches the game.
    if (bytesPerPixel_ == 4) {
        SetAlpha(255, false);
    }
    return true;
}

bool Image::Create(std::int32_t width, std::int32_t height, std::uint32_t bytesPerPixel) {
    Release();
    bytesPerPixel_ = 4;
    const std::int32_t stride = ImageStride(width, bytesPerPixel);
    if (stride == 0 || height <= 0 || height > kMaxImageSide) {
        return false;
    }
    const std::int64_t size = std::int64_t{stride} * height;  // at most 2^30
    pixels_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]);
    if (!pixels_) {
        Release();
        return false;
    }
    width_ = width;
    height_ = height;
    stride_ = stride;
    size_ = static_cast<std::int32_t>(size);
    bytesPerPixel_ = bytesPerPixel;
    return true;
}

bool Image::CreateFilled(std::int32_t width, std::int32_t height, std::uint32_t bytesPerPixel) {
    if (!Create(width, height, bytesPerPixel)) {
        return false;
    }
    std::memset(pixels_.get(), 0xFF, static_cast<std::size_t>(size_));
    return true;
}

void Image::Release() {
    pixels_.reset();
    width_ = 0;
    height_ = 0;
    stride_ = 0;
    size_ = 0;
    bytesPerPixel_ = 0;
}

bool Image::Fill(ImageColour colour) {
    if (!pixels_) {
        return false;
    }
    const std::uint8_t stored[4] = {colour.blue, colour.green, colour.red, colour.alpha};
    for (std::int32_t y = 0; y < height_; ++y) {
        std::uint8_t* p = Row(y);
        for (std::int32_t x = 0; x < width_; ++x, p += bytesPerPixel_) {
            std::memcpy(p, stored, bytesPerPixel_);
        }
    }
    return true;
}

bool Image::SetAlpha(std::uint8_t value, bool onlyNonZero) {
    if (!pixels_ || bytesPerPixel_ != 4) {
        return false;
    }
    for (std::int32_t y = 0; y < height_; ++y) {
        std::uint8_t* p = Row(y) + 3;
        for (std::int32_t x = 0; x < width_; ++x, p += 4) {
            if (!onlyNonZero || *p != 0) {
                *p = value;
            }
        }
    }
    return true;
}

// ================================================================================================
// Blit
// ================================================================================================

bool Blit(Image& destination, const Image& source, const ImageRect& sourceRect,
          const ImageRect& destRect) {
    if (!destination.HasPixels()) {
        return false;
    }
    if (sourceRect.width < 0 || sourceRect.height < 0 || destRect.width < 0 ||
        destRect.height < 0) {
        return false;
    }
    if (destRect.width < sourceRect.width || destRect.height < sourceRect.height) {
        return false;
    }
    if (sourceRect.width > source.Width() || sourceRect.height > source.Height() ||
        destRect.width > destination.Width() || destRect.height > destination.Height()) {
        return false;
    }

    // Clip the copied block to both images; 64-bit so that extreme offsets cannot overflow.
    std::int64_t sx = sourceRect.x, sy = sourceRect.y;
    std::int64_t dx = destRect.x, dy = destRect.y;
    std::int64_t w = sourceRect.width, h = sourceRect.height;
    const std::int64_t leftCut = std::max({std::int64_t{0}, -sx, -dx});
    const std::int64_t topCut = std::max({std::int64_t{0}, -sy, -dy});
    sx += leftCut;
    dx += leftCut;
    w -= leftCut;
    sy += topCut;
    dy += topCut;
    h -= topCut;
    w = std::min({w, source.Width() - sx, destination.Width() - dx});
    h = std::min({h, source.Height() - sy, destination.Height() - dy});
    if (w <= 0 || h <= 0 || !source.HasPixels()) {
        return true;  // nothing of the block lies inside both images
    }

    const std::uint32_t sbpp = source.BytesPerPixel();
    const std::uint32_t dbpp = destination.BytesPerPixel();
    for (std::int64_t row = 0; row < h; ++row) {
        const std::uint8_t* s = source.Row(static_cast<std::int32_t>(sy + row)) + sx * sbpp;
        std::uint8_t* d = destination.Row(static_cast<std::int32_t>(dy + row)) + dx * dbpp;
        if (sbpp == 3) {
            for (std::int64_t x = 0; x < w; ++x, s += 3, d += dbpp) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            }
            continue;
        }
        for (std::int64_t x = 0; x < w; ++x, s += 4, d += dbpp) {
            const int a = s[3];
            if (a == 255) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            } else if (a != 0) {
                for (int c = 0; c < 3; ++c) {
                    d[c] = static_cast<std::uint8_t>(d[c] + (s[c] - d[c]) * a / 255);
                }
            }
        }
    }
    return true;
}

bool Blit(Image& destination, const Image& source) {
    return Blit(destination, source, source.Bounds(), destination.Bounds());
}

// ================================================================================================
// Resample
// ================================================================================================

namespace {

double Sinc(double x) {
    if (x == 0.0) {
        return 1.0;
    }
    x *= std::numbers::pi;
    return std::sin(x) / x;
}

// The taps of every output position along one axis, stored flat: taps [first[i], first[i + 1]).
struct ContributionLists {
    std::vector<std::int32_t> first;
    std::vector<std::int32_t> pixel;
    std::vector<float> weight;
};

ContributionLists Contributions(ResampleFilter filter, std::int32_t sourceLength,
                                std::int32_t destLength) {
    const double scale = static_cast<double>(destLength) / sourceLength;
    const double support = FilterSupport(filter);
    const bool shrinking = scale < 1.0;
    const double width = shrinking ? support / scale : support;
    const auto capacity = static_cast<std::int32_t>(std::floor(2.0 * width + 1.0));

    ContributionLists lists;
    lists.first.reserve(static_cast<std::size_t>(destLength) + 1);
    lists.pixel.reserve(static_cast<std::size_t>(destLength) * capacity);
    lists.weight.reserve(static_cast<std::size_t>(destLength) * capacity);
    for (std::int32_t i = 0; i < destLength; ++i) {
        lists.first.push_back(static_cast<std::int32_t>(lists.pixel.size()));
        const double centre = i / scale;
        const auto left = static_cast<std::int64_t>(std::floor(centre - width));
        const auto right = static_cast<std::int64_t>(std::ceil(centre + width));
        std::int32_t count = 0;
        for (std::int64_t j = left; j <= right && count < capacity; ++j) {
            // Source positions stay below 2^15, exact in a double.
            const double distance = centre - static_cast<double>(j);
            const double w = shrinking ? FilterKernel(filter, distance * scale) * scale
                                       : FilterKernel(filter, distance);
            if (w == 0.0) {
                continue;
            }
            // Taps beyond an edge mirror back into the picture; a very small picture can mirror
            // past the other edge, so the result is kept inside as well.
            std::int64_t n = j;
            if (n < 0) {
                n = -n;
            } else if (n >= sourceLength) {
                n = 2 * std::int64_t{sourceLength} - n - 1;
            }
            n = std::clamp<std::int64_t>(n, 0, sourceLength - 1);
            lists.pixel.push_back(static_cast<std::int32_t>(n));
            lists.weight.push_back(static_cast<float>(w));
            ++count;
        }
    }
    lists.first.push_back(static_cast<std::int32_t>(lists.pixel.size()));
    return lists;
}

inline std::uint8_t ClampToByte(float value) {
    if (value <= 0.0f) {
        return 0;
    }
    if (value >= 255.0f) {
        return 255;
    }
    return static_cast<std::uint8_t>(value);  // truncates toward zero
}

// Whether the taps along an axis leave every pixel where it is: each output position has its own
// source position at weight 1 and the other taps' weights are so small (an interpolating
// filter's zeros, off by rounding) that together they cannot move a sum by half a float step of
// any byte value. Filtering such an axis gives back the source bytes exactly, so it is skipped.
bool LeavesPixelsInPlace(const ContributionLists& lists, std::int32_t length) {
    if (static_cast<std::int32_t>(lists.first.size()) != length + 1) {
        return false;
    }
    for (std::int32_t i = 0; i < length; ++i) {
        int own = 0;
        double others = 0.0;
        for (std::int32_t t = lists.first[i]; t < lists.first[i + 1]; ++t) {
            if (lists.pixel[t] == i && lists.weight[t] == 1.0f) {
                ++own;
            } else {
                others += std::fabs(static_cast<double>(lists.weight[t]));
            }
        }
        if (own != 1 || others * 255.0 >= 0x1p-26) {
            return false;
        }
    }
    return true;
}

// A row of sums to bytes, as ClampToByte does each one (sixteen at a time where it can).
void ClampRowToBytes(const float* sum, std::uint8_t* bytes, std::size_t count) {
    std::size_t k = 0;
#if defined(__SSE2__)
    const __m128 zero = _mm_setzero_ps();
    const __m128 top = _mm_set1_ps(255.0f);
    const auto whole = [&](std::size_t at) {
        return _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(_mm_loadu_ps(sum + at), zero), top));
    };
    for (; k + 16 <= count; k += 16) {
        const __m128i low = _mm_packs_epi32(whole(k), whole(k + 4));
        const __m128i high = _mm_packs_epi32(whole(k + 8), whole(k + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + k), _mm_packus_epi16(low, high));
    }
#endif
    for (; k < count; ++k) {
        bytes[k] = ClampToByte(sum[k]);
    }
}

// One row of the horizontal pass with SB source and DB destination bytes per pixel, from the
// source row already widened to floats (each source byte feeds several taps; a 3-byte row has
// one float more at its end, so four floats can be read at its last pixel). A 4-byte destination
// of a 3-byte source gets alpha 255. Every channel's sum is built tap by tap in the list's order,
// whether channel by channel or four channels at once, so both ways give the same bytes.
template <int SB, int DB>
void FilterRowHorizontally(const ContributionLists& lists, const float* source,
                           std::uint8_t* destination, std::int32_t destWidth) {
    constexpr int kChannels = SB < DB ? SB : DB;
    const std::int32_t* first = lists.first.data();
    const std::int32_t* pixel = lists.pixel.data();
    const float* weight = lists.weight.data();
#if defined(__SSE2__)
    if constexpr (DB == 4) {
        const __m128 zero = _mm_setzero_ps();
        const __m128 top = _mm_set1_ps(255.0f);
        for (std::int32_t x = 0; x < destWidth; ++x, destination += DB) {
            __m128 sum = zero;
            for (std::int32_t t = first[x]; t < first[x + 1]; ++t) {
                const __m128 s = _mm_loadu_ps(source + std::ptrdiff_t{pixel[t]} * SB);
                sum = _mm_add_ps(sum, _mm_mul_ps(s, _mm_set1_ps(weight[t])));
            }
            // Clamped to 0..255 and truncated, as ClampToByte does one channel.
            const __m128i whole = _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(sum, zero), top));
            const __m128i words = _mm_packs_epi32(whole, whole);
            const __m128i bytes = _mm_packus_epi16(words, words);
            std::uint32_t four = static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes));
            if constexpr (SB == 3) {
                four |= 0xFF000000u;
            }
            std::memcpy(destination, &four, 4);
        }
        return;
    }
#endif
    for (std::int32_t x = 0; x < destWidth; ++x, destination += DB) {
        float sum[kChannels] = {};
        for (std::int32_t t = first[x]; t < first[x + 1]; ++t) {
            const float* s = source + std::ptrdiff_t{pixel[t]} * SB;
            const float w = weight[t];
            for (int c = 0; c < kChannels; ++c) {
                sum[c] += s[c] * w;
            }
        }
        for (int c = 0; c < kChannels; ++c) {
            destination[c] = ClampToByte(sum[c]);
        }
        if constexpr (DB > SB) {
            destination[3] = 255;
        }
    }
}

// The horizontal pass of one source row, written into `out` (the destination's width and bytes
// per pixel). `widened` has room for the row as floats and one float more.
void FilterRow(const ContributionLists& across, bool copyAcross, const Image& source,
               std::int32_t y, std::vector<float>& widened, std::uint8_t* out,
               std::int32_t destWidth, std::uint32_t dbpp) {
    const std::uint32_t sbpp = source.BytesPerPixel();
    const std::uint8_t* s = source.Row(y);
    if (copyAcross) {
        // An axis that leaves pixels in place: the source bytes, with alpha 255 added for a
        // 4-byte destination of a 3-byte source.
        if (sbpp == dbpp) {
            std::memcpy(out, s, static_cast<std::size_t>(destWidth) * sbpp);
            return;
        }
        for (std::int32_t x = 0; x < destWidth; ++x, s += sbpp, out += dbpp) {
            out[0] = s[0];
            out[1] = s[1];
            out[2] = s[2];
            if (dbpp == 4) {
                out[3] = 255;
            }
        }
        return;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(source.Width()) * sbpp;
    for (std::size_t k = 0; k < rowBytes; ++k) {
        widened[k] = s[k];
    }
    if (sbpp == 3 && dbpp == 3) {
        FilterRowHorizontally<3, 3>(across, widened.data(), out, destWidth);
    } else if (sbpp == 3) {
        FilterRowHorizontally<3, 4>(across, widened.data(), out, destWidth);
    } else if (dbpp == 3) {
        FilterRowHorizontally<4, 3>(across, widened.data(), out, destWidth);
    } else {
        FilterRowHorizontally<4, 4>(across, widened.data(), out, destWidth);
    }
}

// The inner loop of the vertical pass; the restrict qualifiers tell the compiler that the rows
// cannot overlap, so the loop can use vector instructions.
void AccumulateRow(const float* __restrict source, float weight, float* __restrict sum,
                   std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        sum[k] += source[k] * weight;
    }
}

// The vertical pass, over rows of the horizontal pass made when a tap first needs them. The
// taps of one output row reach a run of neighbouring source rows (mirrored ones included) and
// the runs move down with the output, so a few rows, each kept in the slot of its number, serve
// the whole picture: every row is filtered across once, and no filtered copy of the whole
// picture is made. A kept row holds the bytes of the horizontal pass as floats, so each byte is
// widened once rather than once for every tap that reads it.
void ResampleVertically(const ContributionLists& down, const ContributionLists& across,
                        bool copyAcross, const Image& source, Image& destination) {
    const std::uint32_t dbpp = destination.BytesPerPixel();
    const std::size_t rowBytes = static_cast<std::size_t>(destination.Width()) * dbpp;
    std::int32_t slots = 1;
    for (std::int32_t y = 0; y < destination.Height(); ++y) {
        const auto [low, high] = std::minmax_element(down.pixel.begin() + down.first[y],
                                                     down.pixel.begin() + down.first[y + 1]);
        if (down.first[y] < down.first[y + 1]) {
            slots = std::max(slots, *high - *low + 1);
        }
    }
    std::vector<float> rows(static_cast<std::size_t>(slots) * rowBytes);
    std::vector<std::uint8_t> filtered(rowBytes);
    std::vector<std::int32_t> held(static_cast<std::size_t>(slots), -1);
    std::vector<float> widened(static_cast<std::size_t>(source.Width()) * source.BytesPerPixel() +
                               1);
    std::vector<float> sum(rowBytes);
    for (std::int32_t y = 0; y < destination.Height(); ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (std::int32_t t = down.first[y]; t < down.first[y + 1]; ++t) {
            const std::int32_t row = down.pixel[t];
            const auto slot = static_cast<std::size_t>(row % slots);
            float* kept = rows.data() + slot * rowBytes;
            if (held[slot] != row) {
                FilterRow(across, copyAcross, source, row, widened, filtered.data(),
                          destination.Width(), dbpp);
                for (std::size_t k = 0; k < rowBytes; ++k) {
                    kept[k] = filtered[k];
                }
                held[slot] = row;
            }
            AccumulateRow(kept, down.weight[t], sum.data(), rowBytes);
        }
        ClampRowToBytes(sum.data(), destination.Row(y), rowBytes);
    }
}

}  // namespace

double FilterSupport(ResampleFilter filter) {
    switch (filter) {
        case ResampleFilter::Box:
            return 0.5;
        case ResampleFilter::Triangle:
            return 1.0;
        case ResampleFilter::Hermite:
            return 1.0;
        case ResampleFilter::Bell:
            return 1.5;
        case ResampleFilter::BSpline:
            return 2.0;
        case ResampleFilter::Lanczos3:
            return 3.0;
        case ResampleFilter::Mitchell:
            return 2.0;
    }
    return 0.0;
}

double FilterKernel(ResampleFilter filter, double x) {
    const double a = std::fabs(x);
    switch (filter) {
        case ResampleFilter::Box:
            return (x > -0.5 && x <= 0.5) ? 1.0 : 0.0;
        case ResampleFilter::Triangle:
            return a < 1.0 ? 1.0 - a : 0.0;
        case ResampleFilter::Hermite:
            return a < 1.0 ? (2.0 * a - 3.0) * a * a + 1.0 : 0.0;
        case ResampleFilter::Bell:
            if (a < 0.5) {
                return 0.75 - a * a;
            }
            if (a < 1.5) {
                return 0.5 * (a - 1.5) * (a - 1.5);
            }
            return 0.0;
        case ResampleFilter::BSpline:
            if (a < 1.0) {
                return 0.5 * a * a * a - a * a + 2.0 / 3.0;
            }
            if (a < 2.0) {
                return (2.0 - a) * (2.0 - a) * (2.0 - a) / 6.0;
            }
            return 0.0;
        case ResampleFilter::Lanczos3:
            return a < 3.0 ? Sinc(a) * Sinc(a / 3.0) : 0.0;
        case ResampleFilter::Mitchell:
            if (a < 1.0) {
                return (7.0 * a * a * a - 12.0 * a * a + 16.0 / 3.0) / 6.0;
            }
            if (a < 2.0) {
                return (-7.0 / 3.0 * a * a * a + 12.0 * a * a - 20.0 * a + 32.0 / 3.0) / 6.0;
            }
            return 0.0;
    }
    return 0.0;
}

bool Resample(ResampleFilter filter, const Image& source, Image& destination) {
    if (!source.HasPixels() || source.Width() <= 1 || source.Height() <= 1) {
        return false;
    }
    if (!destination.HasPixels() || destination.Width() <= 4 || destination.Height() <= 4) {
        return false;
    }
    const std::uint32_t sbpp = source.BytesPerPixel();
    const std::uint32_t dbpp = destination.BytesPerPixel();

    if (source.Width() == destination.Width() && source.Height() == destination.Height()) {
        const std::uint32_t bytes = std::min(sbpp, dbpp);
        for (std::int32_t y = 0; y < source.Height(); ++y) {
            const std::uint8_t* s = source.Row(y);
            std::uint8_t* d = destination.Row(y);
            for (std::int32_t x = 0; x < source.Width(); ++x, s += sbpp, d += dbpp) {
                std::memcpy(d, s, bytes);
            }
        }
        return false;
    }

    // The contribution lists and the rows of sums are the only allocations that could fail.
    try {
        const ContributionLists across = Contributions(filter, source.Width(), destination.Width());
        const ContributionLists down = Contributions(filter, source.Height(), destination.Height());
        ResampleVertically(down, across, LeavesPixelsInPlace(across, source.Width()), source,
                           destination);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
