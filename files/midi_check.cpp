// The MIDI file check: header chunk, then a track chunk, big-endian sizes.
#include "files/midi_check.h"

#include <string_view>

#include "files/file_io.h"

namespace files {

namespace {

std::uint32_t GetBE32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

bool HasName(const std::uint8_t* p, std::string_view name) {
    return std::string_view(reinterpret_cast<const char*>(p), 4) == name;
}

}  // namespace

bool LooksLikeMidi(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeadBytes = 14;
    if (data == nullptr || size < kHeadBytes || !HasName(data, "MThd")) {
        return false;
    }
    const std::uint32_t headerSize = GetBE32(data + 4);
    const unsigned format = (unsigned{data[8]} << 8) | data[9];
    const unsigned tracks = (unsigned{data[10]} << 8) | data[11];
    if (headerSize < 6 || headerSize > 256 || format > 2 || tracks == 0) {
        return false;
    }
    const std::size_t trackAt = 8 + std::size_t{headerSize};
    return trackAt + 4 <= size && HasName(data + trackAt, "MTrk");
}

bool LooksLikeMidiFile(const std::string& path) {
    InputFile file(path);
    if (!file.IsOpen()) {
        return false;
    }
    std::uint8_t head[kMidiCheckBytes];
    const std::size_t got = std::fread(head, 1, sizeof head, file.Stream());
    return LooksLikeMidi(head, got);
}

}  // namespace files
