// Truevision TGA: colour-mapped (1), true-colour (2) and grey (3) pictures and their run-length
// forms (9, 10, 11), with 16, 24 and 32-bit pixels and 16, 24 or 32-bit colour maps.

#include <cstring>

#include "images/image.h"
#include "images/reader_local.h"
#include "images/readers.h"

namespace {

constexpr std::size_t kHeaderBytes = 18;

// 16-bit pixels keep five bits per channel; the low three bits of each 8-bit channel are zero.
void Widen16(std::uint16_t v, std::uint8_t* out) {
    out[0] = static_cast<std::uint8_t>((v & 31) * 8);
    out[1] = static_cast<std::uint8_t>(((v >> 5) & 31) * 8);
    out[2] = static_cast<std::uint8_t>(((v >> 10) & 31) * 8);
    out[3] = 255;
}

enum class PixelKind { Indexed, TrueColour, Grey };

}  // namespace

bool TgaReader::Read(const std::string& path) {
    Destroy();
    std::vector<std::uint8_t> file;
    return ReadPictureFile(path, file) && ReadMemory(file.data(), file.size());
}

bool TgaReader::ReadMemory(const std::uint8_t* file, std::size_t fileSize) {
    Destroy();
    colours3_ = {};
    colours4_ = {};
    if (fileSize < kHeaderBytes) {
        return false;
    }
    const std::uint8_t idLength = file[0];
    const std::uint8_t mapType = file[1];
    const std::uint8_t imageType = file[2];
    const std::uint32_t mapFirst = files::GetLE16(&file[3]);
    const std::uint32_t mapLength = files::GetLE16(&file[5]);
    const std::uint8_t mapEntryBits = file[7];
    const std::int32_t headerWidth = files::GetLE16(&file[12]);
    const std::int32_t headerHeight = files::GetLE16(&file[14]);
    const std::uint8_t depth = file[16];
    const std::uint8_t descriptor = file[17];

    ByteCursor cursor(file, fileSize);
    if (!cursor.Seek(kHeaderBytes + idLength)) {
        return false;
    }

    // The colour map: entry k of the file goes to table index first + k. Entries that would land
    // past the 256 table slots are skipped; no picture can point at them with a one-byte index.
    if (mapType == 1) {
        if (mapEntryBits != 16 && mapEntryBits != 24 && mapEntryBits != 32) {
            return false;
        }
        const std::size_t entryBytes = mapEntryBits / 8u;
        if (!cursor.Has(mapLength * entryBytes)) {
            return false;
        }
        std::uint16_t map16[256] = {};
        for (std::uint32_t k = 0; k < mapLength; ++k) {
            const std::uint8_t* entry = cursor.Here();
            cursor.Skip(entryBytes);
            const std::uint32_t index = mapFirst + k;
            if (index >= 256) {
                continue;
            }
            if (mapEntryBits == 24) {
                std::memcpy(colours3_[index].data(), entry, 3);
            } else if (mapEntryBits == 32) {
                std::memcpy(colours4_[index].data(), entry, 4);
            } else {
                map16[index] = files::GetLE16(entry);
            }
        }
        if (mapEntryBits == 16) {
            for (int i = 0; i < 256; ++i) {
                Widen16(map16[i], colours4_[i].data());
            }
        }
    }

    PixelKind kind = PixelKind::TrueColour;
    bool withAlpha = false;
    std::size_t pixelBytes = 1;
    switch (imageType) {
        case 1:
        case 9:
            // One-byte indices; a wider index would be misread as two pixels.
            if (depth != 8) {
                return false;
            }
            if (mapEntryBits == 16 || mapEntryBits == 32) {
                withAlpha = true;
            } else if (mapEntryBits != 24) {
                return false;
            }
            kind = PixelKind::Indexed;
            break;
        case 2:
        case 10:
            if (depth != 16 && depth != 24 && depth != 32) {
                return false;
            }
            withAlpha = depth != 24;
            pixelBytes = depth / 8u;
            break;
        case 3:
        case 11:
            if (depth != 8) {
                return false;  // grey with alpha would be misread as two pixels
            }
            kind = PixelKind::Grey;
            break;
        default:
            return false;
    }
    const bool runLength = imageType >= 9;

    if (headerWidth <= 0 || headerHeight <= 0 || headerWidth > kMaxImageSide ||
        headerHeight > kMaxImageSide) {
        return false;
    }
    const std::uint64_t pixelCount = std::uint64_t(headerWidth) * std::uint64_t(headerHeight);
    // Refuse files too short for their size before allocating: a run packet of 1 + pixelBytes
    // bytes covers at most 128 pixels, a raw picture needs every pixel.
    const std::uint64_t leastBytes =
        runLength ? (pixelCount + 127) / 128 * (1 + pixelBytes) : pixelCount * pixelBytes;
    if (leastBytes > cursor.Left() || !AllocatePixels(headerWidth, headerHeight, withAlpha)) {
        return false;
    }

    const std::int32_t stride = Stride();
    const std::uint32_t outBytes = BytesPerPixel();
    auto put = [&](std::uint64_t i, const std::uint8_t* in) {
        std::uint8_t* out = pixels.get() + (i / static_cast<std::uint64_t>(width)) * stride +
                            (i % static_cast<std::uint64_t>(width)) * outBytes;
        switch (kind) {
            case PixelKind::Indexed:
                std::memcpy(out, withAlpha ? colours4_[in[0]].data() : colours3_[in[0]].data(),
                            outBytes);
                break;
            case PixelKind::Grey:
                out[0] = out[1] = out[2] = in[0];
                break;
            case PixelKind::TrueColour:
                if (pixelBytes == 2) {
                    Widen16(files::GetLE16(in), out);
                } else {
                    std::memcpy(out, in, pixelBytes);
                }
                break;
        }
    };

    bool ok = true;
    if (!runLength) {
        for (std::uint64_t i = 0; i < pixelCount; ++i) {
            put(i, cursor.Here());
            cursor.Skip(pixelBytes);
        }
    } else {
        // Packets fill the picture row after row (a packet may run on into the next row); pixels
        // of a packet that runs past the last row are dropped.
        std::uint64_t i = 0;
        while (i < pixelCount) {
            std::uint8_t packet = 0;
            if (!cursor.U8(packet)) {
                ok = false;
                break;
            }
            if (packet < 128) {
                const std::size_t count = packet + 1u;
                if (!cursor.Has(count * pixelBytes)) {
                    ok = false;
                    break;
                }
                for (std::size_t k = 0; k < count; ++k, cursor.Skip(pixelBytes)) {
                    if (i < pixelCount) {
                        put(i++, cursor.Here());
                    }
                }
            } else {
                if (!cursor.Has(pixelBytes)) {
                    ok = false;
                    break;
                }
                for (int k = 0; k < packet - 127 && i < pixelCount; ++k) {
                    put(i++, cursor.Here());
                }
                cursor.Skip(pixelBytes);
            }
        }
    }

    if (!ok) {
        Destroy();
        return false;
    }
    if ((descriptor & 0x20) == 0) {
        FlipRows();  // stored bottom row first
    }
    return true;
}
