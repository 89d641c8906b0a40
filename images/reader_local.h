// Helpers shared by the picture readers: the whole file in memory and a cursor that never reads
// past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/file_io.h"

// No picture the game can use comes near this; larger files are refused before they are read.
inline constexpr std::uint64_t kMaxPictureFileBytes = std::uint64_t{1} << 31;

// The most pixels a picture read from a file may have: an 8K photograph fits with room to spare.
// The side limit alone would let a few hundred damaged bytes (a run-length stream that ends at
// once, a JPEG cut short before its end marker) ask for a gigabyte and seconds of work.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{8192} * 8192;

// Reads a picture file whole: a regular file of at most kMaxPictureFileBytes. False (and no
// bytes) for folders, pipes, devices, missing, unreadable or larger files.
inline bool ReadPictureFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    return files::ReadWholeFile(path, kMaxPictureFileBytes, bytes);
}

// Little-endian reads from a byte buffer; every read checks what is left first.
class ByteCursor {
public:
    ByteCursor(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Position() const { return position_; }
    std::size_t Left() const { return size_ - position_; }
    bool Has(std::size_t count) const { return count <= Left(); }
    const std::uint8_t* Here() const { return data_ + position_; }

    bool Seek(std::size_t position) {
        if (position > size_) {
            return false;
        }
        position_ = position;
        return true;
    }
    bool Skip(std::size_t count) {
        if (!Has(count)) {
            return false;
        }
        position_ += count;
        return true;
    }
    bool U8(std::uint8_t& value) {
        if (!Has(1)) {
            return false;
        }
        value = data_[position_++];
        return true;
    }
    bool U16(std::uint16_t& value) {
        if (!Has(2)) {
            return false;
        }
        value = files::GetLE16(data_ + position_);
        position_ += 2;
        return true;
    }
    bool U32(std::uint32_t& value) {
        if (!Has(4)) {
            return false;
        }
        value = files::GetLE32(data_ + position_);
        position_ += 4;
        return true;
    }
    bool I32(std::int32_t& value) {
        std::uint32_t raw = 0;
        if (!U32(raw)) {
            return false;
        }
        value = static_cast<std::int32_t>(raw);
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};
