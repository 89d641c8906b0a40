#include "tests/images/test_pictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

std::string FixturePath(const std::string& name) {
    return std::string(IMAGE_FIXTURE_DIR) + "/" + name;
}

bool ReadExpected(const std::string& path, ExpectedPicture& expected) {
    std::ifstream in(path);
    if (!(in >> expected.width >> expected.height >> expected.bytesPerPixel)) {
        return false;
    }
    expected.rows.clear();
    std::string token;
    for (std::int32_t y = 0; y < expected.height; ++y) {
        std::vector<std::uint8_t> row;
        for (std::int32_t x = 0; x < expected.width; ++x) {
            if (!(in >> token) || token.size() != 2 * expected.bytesPerPixel) {
                return false;
            }
            for (std::size_t i = 0; i < token.size(); i += 2) {
                row.push_back(
                    static_cast<std::uint8_t>(std::stoi(token.substr(i, 2), nullptr, 16)));
            }
        }
        expected.rows.push_back(row);
    }
    return true;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string WriteScratch(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = testing::TempDir() + "varnel_images_" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<std::vector<std::uint8_t>> RowsOf(const Image& image) {
    std::vector<std::vector<std::uint8_t>> rows;
    const std::size_t rowBytes = static_cast<std::size_t>(image.Width()) * image.BytesPerPixel();
    for (std::int32_t y = 0; y < image.Height(); ++y) {
        rows.emplace_back(image.Row(y), image.Row(y) + rowBytes);
    }
    return rows;
}

Image PatternImage(std::int32_t width, std::int32_t height, std::uint32_t bytesPerPixel,
                   std::uint32_t seed) {
    Image image;
    image.Create(width, height, bytesPerPixel);
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width * static_cast<std::int32_t>(bytesPerPixel); ++x) {
            state = state * 1664525u + 1013904223u;
            image.Row(y)[x] = static_cast<std::uint8_t>(state >> 24);
        }
    }
    return image;
}

const std::uint8_t* PixelAt(const Image& image, std::int32_t x, std::int32_t y) {
    return image.Row(y) + static_cast<std::ptrdiff_t>(x) * image.BytesPerPixel();
}
