#include "tests/support/golden_picture.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

void Put16(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    Put16(bytes, value & 0xFFFFu);
    Put16(bytes, value >> 16);
}

// Blue, green, red of pixel (x, y) of a 3- or 4-byte picture.
const std::uint8_t* PixelAt(const Image& picture, int x, int y) {
    return picture.Pixels() + static_cast<std::size_t>(y) * picture.Stride() +
           static_cast<std::size_t>(x) * picture.BytesPerPixel();
}

}  // namespace

bool WriteBmp24(const Image& picture, const std::string& path) {
    if (!picture.HasPixels() || picture.BytesPerPixel() < 3) {
        return false;
    }
    const int width = picture.Width();
    const int height = picture.Height();
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    std::vector<std::uint8_t> bytes;
    bytes.push_back('B');
    bytes.push_back('M');
    Put32(bytes, 54 + rowBytes * static_cast<std::uint32_t>(height));
    Put32(bytes, 0);
    Put32(bytes, 54);
    Put32(bytes, 40);
    Put32(bytes, static_cast<std::uint32_t>(width));
    Put32(bytes, static_cast<std::uint32_t>(height));
    Put16(bytes, 1);
    Put16(bytes, 24);
    for (int i = 0; i < 6; ++i) {
        Put32(bytes, 0);
    }
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = PixelAt(picture, x, y);
            bytes.insert(bytes.end(), p, p + 3);
        }
        bytes.resize(bytes.size() + (rowBytes - static_cast<std::uint32_t>(width) * 3), 0);
    }
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

PictureDifference CompareWithGolden(const Image& frame, const std::string& path) {
    if (std::getenv("VARNEL_UPDATE_GOLDEN") != nullptr) {
        WriteBmp24(frame, path);
    }
    PictureDifference result;
    Image golden;
    if (!frame.HasPixels() || !golden.Load(path) || golden.Width() != frame.Width() ||
        golden.Height() != frame.Height() || golden.BytesPerPixel() < 3) {
        return result;
    }
    result.comparable = true;
    double sum = 0;
    std::size_t farOff = 0;
    for (int y = 0; y < frame.Height(); ++y) {
        for (int x = 0; x < frame.Width(); ++x) {
            const std::uint8_t* a = PixelAt(frame, x, y);
            const std::uint8_t* b = PixelAt(golden, x, y);
            int worst = 0;
            for (int c = 0; c < 3; ++c) {
                const int d = std::abs(static_cast<int>(a[c]) - static_cast<int>(b[c]));
                sum += d;
                worst = std::max(worst, d);
            }
            farOff += worst > 48 ? 1 : 0;
        }
    }
    const double pixels = static_cast<double>(frame.Width()) * frame.Height();
    result.meanDifference = sum / (pixels * 3);
    result.shareFarOff = static_cast<double>(farOff) / pixels;
    return result;
}
