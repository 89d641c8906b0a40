// Windows bitmaps with the 40-byte information header: 1, 4 and 8-bit colour-table pictures
// (plain, or run-length encoded at 8 and 4 bits), 24 and 32-bit pictures, stored either way up.

#include <array>
#include <climits>
#include <cstring>

#include "images/image.h"
#include "images/reader_local.h"
#include "images/readers.h"

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;

using ColourTable = std::array<std::array<std::uint8_t, 3>, 256>;  // blue, green, red

// Writes colour-table pictures into a 3-byte buffer; positions outside the picture are dropped,
// so a run-length stream can never write past a row or past the last row.
struct IndexedWriter {
    std::uint8_t* pixels;
    std::int32_t stride;
    std::int32_t width;
    std::int32_t height;
    const ColourTable& table;

    void Put(std::int64_t x, std::int64_t y, std::uint8_t index) const {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return;
        }
        std::memcpy(pixels + y * stride + x * 3, table[index].data(), 3);
    }
};

// Reads `count` 4-byte entries (blue, green, red, unused) into the table.
bool ReadColourTable(ByteCursor& cursor, std::uint32_t count, ColourTable& table) {
    if (count > table.size() || !cursor.Has(std::size_t{count} * 4)) {
        return false;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        std::memcpy(table[i].data(), cursor.Here(), 3);
        cursor.Skip(4);
    }
    return true;
}

// The pixel data normally follows the colour table directly. Writers may leave a gap, which the
// file header's data offset accounts for; an offset that points backwards or past the end of the
// file is not trusted.
void MoveToPixelData(ByteCursor& cursor, std::uint32_t dataOffset, std::size_t fileLength) {
    if (dataOffset > cursor.Position() && dataOffset <= fileLength) {
        cursor.Seek(dataOffset);
    }
}

bool DecodePacked(ByteCursor& cursor, int bitCount, const IndexedWriter& out) {
    const std::int64_t rowBytes = (std::int64_t{out.width} * bitCount + 31) / 32 * 4;
    if (!cursor.Has(static_cast<std::size_t>(rowBytes * out.height))) {
        return false;  // truncated
    }
    const int mask = (1 << bitCount) - 1;
    for (std::int32_t y = 0; y < out.height; ++y) {
        const std::uint8_t* row = cursor.Here() + rowBytes * y;
        for (std::int32_t x = 0; x < out.width; ++x) {
            const std::int64_t bit = std::int64_t{x} * bitCount;
            const int shift = 8 - bitCount - static_cast<int>(bit % 8);
            out.Put(x, y, static_cast<std::uint8_t>((row[bit / 8] >> shift) & mask));
        }
    }
    return true;
}

// Run-length records at 8 bits per index, or at 4 bits (`nibbles`). Ends at the end-of-picture
// record or once the write position has left the last row; a stream cut short fails.
bool DecodeRunLength(ByteCursor& cursor, bool nibbles, const IndexedWriter& out) {
    std::int64_t x = 0;
    std::int64_t y = 0;
    for (;;) {
        if (y >= out.height) {
            return true;
        }
        std::uint8_t count = 0;
        std::uint8_t value = 0;
        if (!cursor.U8(count) || !cursor.U8(value)) {
            return false;
        }
        if (count > 0) {
            for (int k = 0; k < count; ++k, ++x) {
                const std::uint8_t index =
                    !nibbles ? value
                             : static_cast<std::uint8_t>(k % 2 == 0 ? value >> 4 : value & 15);
                out.Put(x, y, index);
            }
            continue;
        }
        switch (value) {
            case 0:  // end of row
                x = 0;
                ++y;
                break;
            case 1:  // end of picture
                return true;
            case 2: {  // move right and down
                std::uint8_t dx = 0;
                std::uint8_t dy = 0;
                if (!cursor.U8(dx) || !cursor.U8(dy)) {
                    return false;
                }
                x += dx;
                y += dy;
                break;
            }
            default: {  // `value` indices stored as they are, padded to an even byte count
                const int n = value;
                const std::size_t bytes = nibbles ? static_cast<std::size_t>((n + 1) / 2) : n;
                const std::size_t padded = bytes + (bytes % 2);
                if (!cursor.Has(padded)) {
                    return false;
                }
                const std::uint8_t* data = cursor.Here();
                for (int k = 0; k < n; ++k, ++x) {
                    const std::uint8_t index =
                        !nibbles ? data[k]
                                 : static_cast<std::uint8_t>(k % 2 == 0 ? data[k / 2] >> 4
                                                                        : data[k / 2] & 15);
                    out.Put(x, y, index);
                }
                cursor.Skip(padded);
                break;
            }
        }
    }
}

}  // namespace

bool BmpReader::Read(const std::string& path) {
    Destroy();
    std::vector<std::uint8_t> file;
    return ReadPictureFile(path, file) && ReadMemory(file.data(), file.size());
}

bool BmpReader::ReadMemory(const std::uint8_t* file, std::size_t fileSize) {
    Destroy();
    ByteCursor cursor(file, fileSize);
    if (!cursor.Has(kFileHeaderBytes + kInfoHeaderBytes) || file[0] != 'B' || file[1] != 'M') {
        return false;
    }
    std::uint32_t dataOffset = 0;
    cursor.Seek(10);
    cursor.U32(dataOffset);

    std::uint32_t infoSize = 0;
    std::int32_t headerWidth = 0;
    std::int32_t headerHeight = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    cursor.U32(infoSize);
    cursor.I32(headerWidth);
    cursor.I32(headerHeight);
    cursor.U16(planes);
    cursor.U16(bitCount);
    cursor.U32(compression);
    cursor.Seek(46);
    cursor.U32(coloursUsed);
    cursor.Seek(kFileHeaderBytes + kInfoHeaderBytes);

    if (infoSize != kInfoHeaderBytes || compression > 2) {
        return false;
    }
    if (headerWidth <= 0 || headerHeight == 0 || headerHeight == INT32_MIN) {
        return false;
    }
    const std::int32_t pictureHeight = headerHeight < 0 ? -headerHeight : headerHeight;
    if (headerWidth > kMaxImageSide || pictureHeight > kMaxImageSide) {
        return false;
    }

    bool ok = false;
    ColourTable table{};
    if (compression == 0 && (bitCount == 24 || bitCount == 32)) {
        if (!AllocatePixels(headerWidth, pictureHeight, bitCount == 32)) {
            return false;
        }
        MoveToPixelData(cursor, dataOffset, fileSize);
        // File rows already have the in-memory layout: 4-byte aligned blue, green, red (, x).
        const std::size_t bytes = static_cast<std::size_t>(Stride()) * height;
        ok = cursor.Has(bytes);
        if (ok) {
            std::memcpy(pixels.get(), cursor.Here(), bytes);
        }
    } else if (compression == 0 && (bitCount == 1 || bitCount == 4 || bitCount == 8)) {
        const std::uint32_t tableLength = coloursUsed != 0 ? coloursUsed : 1u << bitCount;
        if (tableLength > (1u << bitCount) || !ReadColourTable(cursor, tableLength, table) ||
            !AllocatePixels(headerWidth, pictureHeight, false)) {
            return false;
        }
        MoveToPixelData(cursor, dataOffset, fileSize);
        ok = DecodePacked(cursor, bitCount, {pixels.get(), Stride(), width, height, table});
    } else if ((compression == 1 && bitCount == 8) || (compression == 2 && bitCount == 4)) {
        const std::uint32_t limit = compression == 1 ? 256 : 16;
        const std::uint32_t tableLength = coloursUsed != 0 ? coloursUsed : limit;
        if (tableLength > limit || !ReadColourTable(cursor, tableLength, table) ||
            !AllocatePixels(headerWidth, pictureHeight, false)) {
            return false;
        }
        MoveToPixelData(cursor, dataOffset, fileSize);
        ok = DecodeRunLength(cursor, compression == 2,
                             {pixels.get(), Stride(), width, height, table});
    }
    // Anything else (16 bits, run length at other depths, bit-field masks) is not read.

    if (!ok) {
        Destroy();
        return false;
    }
    if (headerHeight > 0) {
        FlipRows();  // stored bottom row first
    }
    return true;
}
