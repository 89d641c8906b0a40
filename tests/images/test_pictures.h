// Helpers for the image tests: expected-pixel files, scratch files and small pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "images/image.h"

// The pixels a fixture must load as: width, height, bytes per pixel and the rows without padding.
struct ExpectedPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t bytesPerPixel = 0;
    std::vector<std::vector<std::uint8_t>> rows;
};

std::string FixturePath(const std::string& name);
bool ReadExpected(const std::string& path, ExpectedPicture& expected);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
// Writes bytes to a fresh file in the test's scratch folder and returns its path.
std::string WriteScratch(const std::string& name, const std::vector<std::uint8_t>& bytes);
// Rows of an image without their padding.
std::vector<std::vector<std::uint8_t>> RowsOf(const Image& image);
// A picture whose every pixel differs, for copies and rescales.
Image PatternImage(std::int32_t width, std::int32_t height, std::uint32_t bytesPerPixel,
                   std::uint32_t seed = 1);
const std::uint8_t* PixelAt(const Image& image, std::int32_t x, std::int32_t y);
