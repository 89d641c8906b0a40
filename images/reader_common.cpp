// What every reader shares: the pixel buffer, the row flip and the choice of reader by file name.

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

#include "images/image.h"
#include "images/reader_local.h"
#include "images/readers.h"

void ImageReader::Destroy() {
    pixels.reset();
    width = 0;
    height = 0;
    alpha = false;
}

std::int32_t ImageReader::Stride() const {
    return ImageStride(width, BytesPerPixel());
}

bool ImageReader::AllocatePixels(std::int32_t newWidth, std::int32_t newHeight, bool withAlpha) {
    Destroy();
    const std::int32_t stride = ImageStride(newWidth, withAlpha ? 4 : 3);
    if (stride == 0 || newHeight <= 0 || newHeight > kMaxImageSide ||
        std::int64_t{newWidth} * newHeight > kMaxPicturePixels) {
        return false;
    }
    const auto size = static_cast<std::size_t>(stride) * static_cast<std::size_t>(newHeight);
    pixels.reset(new (std::nothrow) std::uint8_t[size]);
    if (!pixels) {
        return false;
    }
    std::memset(pixels.get(), 0, size);
    width = newWidth;
    height = newHeight;
    alpha = withAlpha;
    return true;
}

void ImageReader::FlipRows() {
    if (!pixels) {
        return;
    }
    const std::int32_t stride = Stride();
    for (std::int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(pixels.get() + std::ptrdiff_t{top} * stride,
                         pixels.get() + std::ptrdiff_t{top + 1} * stride,
                         pixels.get() + std::ptrdiff_t{bottom} * stride);
    }
}

std::unique_ptr<ImageReader> ReaderForPath(const std::string& path) {
    if (path.size() < 3) {
        return nullptr;
    }
    std::string ending = path.substr(path.size() - 3);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ending == "bmp") {
        return std::make_unique<BmpReader>();
    }
    if (ending == "tga") {
        return std::make_unique<TgaReader>();
    }
    if (ending == "jpg") {
        return std::make_unique<JpegReader>();
    }
    return nullptr;
}
