// The in-memory picture every view draws from: blue, green, red (and alpha) bytes, rows top-down,
// rows padded to four bytes; with filling, alpha setting, alpha-blending copy and filtered rescale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class ImageReader;

// The largest width or height any picture may have. A tile set or background never comes close;
// the limit keeps a damaged or hostile file from asking for gigabytes.
inline constexpr std::int32_t kMaxImageSide = 16384;

// A colour handed to the image operations, in the order red, green, blue, alpha; it is stored into
// pixels as blue, green, red, alpha. Same field order as the settings' colour record.
struct ImageColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;
    friend bool operator==(const ImageColour&, const ImageColour&) = default;
};

struct ImageRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const ImageRect&, const ImageRect&) = default;
};

// Bytes per row for a width and pixel size: width x bytes per pixel rounded up to a multiple of 4.
// Returns 0 for widths or pixel sizes that no picture can have.
std::int32_t ImageStride(std::int32_t width, std::uint32_t bytesPerPixel);

class Image {
public:
    Image() = default;
    // The same as constructing an empty image and calling Load.
    explicit Image(const std::string& path);
    Image(const Image& other);
    Image& operator=(const Image& other);
    Image(Image&& other) noexcept;
    Image& operator=(Image&& other) noexcept;
    ~Image() = default;

    // Reads a .bmp, .tga or .jpg picture (chosen by the last three characters of the path, in any
    // case). On failure the image is left without pixels. Four-byte pictures get alpha 255.
    bool Load(const std::string& path);
    // The same for the bytes of a whole picture file held in memory; the last three characters
    // of `name` choose the reader as those of a path do.
    bool LoadMemory(const std::string& name, const std::uint8_t* data, std::size_t size);
    // Sets the size and allocates the pixels (content undefined). Fails, leaving the image empty,
    // for sizes outside 1..kMaxImageSide, pixel sizes other than 3 or 4, or when memory runs out.
    bool Create(std::int32_t width, std::int32_t height, std::uint32_t bytesPerPixel);
    // Create, then every byte 0xFF (opaque white).
    bool CreateFilled(std::int32_t width, std::int32_t height, std::uint32_t bytesPerPixel);
    // Frees the pixels and sets every field to zero.
    void Release();
    // Every pixel gets the colour (a 3-byte image gets blue, green, red only).
    bool Fill(ImageColour colour);
    // Four-byte images only: sets the alpha of every pixel, or with `onlyNonZero` only of the
    // pixels whose alpha is not 0.
    bool SetAlpha(std::uint8_t value, bool onlyNonZero);

    bool HasPixels() const { return pixels_ != nullptr; }
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    std::int32_t Stride() const { return stride_; }
    std::int32_t Size() const { return size_; }
    std::uint32_t BytesPerPixel() const { return bytesPerPixel_; }
    std::uint8_t* Pixels() { return pixels_.get(); }
    const std::uint8_t* Pixels() const { return pixels_.get(); }
    std::uint8_t* Row(std::int32_t y) { return pixels_.get() + std::ptrdiff_t{y} * stride_; }
    const std::uint8_t* Row(std::int32_t y) const {
        return pixels_.get() + std::ptrdiff_t{y} * stride_;
    }
    ImageRect Bounds() const { return {0, 0, width_, height_}; }

private:
    // Copies the picture a reader has read into this image (alpha set to 255) and frees it there.
    bool TakePicture(ImageReader& reader);

    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t stride_ = 0;
    std::int32_t size_ = 0;
    std::uint32_t bytesPerPixel_ = 4;  // an image never created says 4, as the tile cutter expects
    std::unique_ptr<std::uint8_t[]> pixels_;
};

// Copies sourceRect.width x sourceRect.height pixels from (sourceRect.x, sourceRect.y) of the
// source to (destRect.x, destRect.y) of the destination. Per pixel: a 3-byte source counts as alpha
// 255; alpha 255 copies blue, green, red (the destination's alpha is left alone), alpha 0 writes
// nothing, anything else blends d + (s - d) * alpha / 255. Fails without copying when the
// destination has no pixels, when the destination rectangle is narrower or lower than the source
// rectangle, or when a rectangle is larger than its image. Parts that would fall outside either
// image are not copied.
bool Blit(Image& destination, const Image& source, const ImageRect& sourceRect,
          const ImageRect& destRect);
// The same with whole-image rectangles.
bool Blit(Image& destination, const Image& source);

enum class ResampleFilter : int {
    Box = 0,
    Triangle = 1,
    Hermite = 2,
    Bell = 3,
    BSpline = 4,
    Lanczos3 = 5,  // the one the game uses
    Mitchell = 6,
};

// The filter's kernel at distance x (in source pixels) and its support.
double FilterKernel(ResampleFilter filter, double x);
double FilterSupport(ResampleFilter filter);

// Rescales the whole source into the whole, already created destination with a separable filter.
// Does nothing (false) unless the source has pixels and is wider and higher than 1 pixel and the
// destination has pixels and is wider and higher than 4. Equal sizes copy the pixels and return
// false (nothing was filtered). Weights are not normalised; results are clamped to 0..255.
bool Resample(ResampleFilter filter, const Image& source, Image& destination);
