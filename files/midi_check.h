// Whether a music file starts as a standard MIDI file, checked before the MIDI player sees it. The
// player takes a damaged file as an empty piece, which would end, and be restarted, over and over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace files {

// The bytes a check needs at most: the 8-byte chunk head, a header of up to 256 bytes and the
// 4-byte name of the chunk after it.
inline constexpr std::size_t kMidiCheckBytes = 8 + 256 + 4;

// Whether `data` (the start of a file, or all of it) begins with a header chunk "MThd" of 6 to
// 256 bytes with format 0, 1 or 2 and at least one track, followed by a track chunk "MTrk".
bool LooksLikeMidi(const std::uint8_t* data, std::size_t size);

// The same for a file: false when it is not a regular file or cannot be read.
bool LooksLikeMidiFile(const std::string& path);

}  // namespace files
