// The picture file readers: Windows bitmap, Truevision TGA and JPEG. One reader object per load;
// it leaves the picture in the in-memory layout of Image (top-down, 3 or 4 bytes, 4-byte stride).
// Every size, count and offset read from a file is checked: a damaged file fails to read quietly.
// A picture may be 16384 pixels wide or high, and hold at most 8192 x 8192 pixels in all.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class ImageReader {
public:
    virtual ~ImageReader() = default;
    // Reads the picture; on failure nothing is kept.
    virtual bool Read(const std::string& path) = 0;
    // Reads the picture from the bytes of a whole file held in memory; Read calls it with the
    // file's bytes. On failure nothing is kept.
    virtual bool ReadMemory(const std::uint8_t* data, std::size_t size) = 0;
    // Frees the pixels and clears the size.
    virtual void Destroy();

    std::int32_t width = 0;
    std::int32_t height = 0;
    bool alpha = false;  // 4 bytes per pixel (blue, green, red, alpha) when set, else 3
    std::unique_ptr<std::uint8_t[]> pixels;

    std::uint32_t BytesPerPixel() const { return alpha ? 4u : 3u; }
    std::int32_t Stride() const;

protected:
    // Checks the size and allocates a zeroed buffer for it.
    bool AllocatePixels(std::int32_t newWidth, std::int32_t newHeight, bool withAlpha);
    // Turns bottom-up rows into top-down ones.
    void FlipRows();
};

class BmpReader : public ImageReader {
public:
    // 1, 4, 8 (plain or run-length), 24 and 32 bits; 40-byte information header only.
    bool Read(const std::string& path) override;
    bool ReadMemory(const std::uint8_t* data, std::size_t size) override;
};

class TgaReader : public ImageReader {
public:
    // Types 1, 2, 3 and their run-length forms 9, 10, 11; 16, 24 and 32-bit pixels; colour maps.
    bool Read(const std::string& path) override;
    bool ReadMemory(const std::uint8_t* data, std::size_t size) override;

private:
    std::array<std::array<std::uint8_t, 3>, 256> colours3_{};
    std::array<std::array<std::uint8_t, 4>, 256> colours4_{};
};

class JpegReader : public ImageReader {
public:
    // Colour JPEGs, baseline or progressive, through libjpeg; grey or CMYK pictures fail. Writes
    // "can't open <path>" on the standard error stream when the file cannot be opened.
    bool Read(const std::string& path) override;
    bool ReadMemory(const std::uint8_t* data, std::size_t size) override;
};

// The reader for a path by its last three characters ("bmp", "tga", "jpg" in any case), or null.
std::unique_ptr<ImageReader> ReaderForPath(const std::string& path);
