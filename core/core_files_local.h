// File helpers shared by the saved games and the hall of fame: whole-file reads of an exact
// size, writes that replace a file only once the new one is complete, and the byte form of the
// hall-of-fame entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "board.h"

// Bytes of one hall entry in a file, and of a whole hall-of-fame table.
inline constexpr std::size_t kHallEntryBytes = 40;
inline constexpr std::size_t kHallFileBytes = kHallEntryBytes * kHallEntries;  // 400

// Opens `path` for reading when it is a regular file; null otherwise. A named pipe or a device
// that a player's folder holds under a game file's name reads as missing, instead of blocking the
// game until something writes to it or feeding it bytes without end.
std::FILE* OpenRegularFile(const std::string& path);

// Reads the file at `path` into `bytes` when it holds exactly `size` bytes. False when it cannot
// be opened or has any other size.
bool ReadExactFile(const std::string& path, std::uint8_t* bytes, std::size_t size);

// Writes `size` bytes to a temporary file beside `path` and renames it over `path`, so a failed
// write (full disc, missing folder, no permission) never leaves a damaged or shortened file.
bool WriteFileReplacing(const std::string& path, const std::uint8_t* bytes, std::size_t size);

// The 40-byte form of a hall entry: name (23 bytes), time text (13), seconds (int32, little-
// endian).
void WriteHallEntry(const HallEntry& entry, std::uint8_t* bytes);
// Reads an entry from a file the player may have edited: the name and the time text are cut at
// their field's end. A negative time (which would stand first for ever) gives the default entry
// of that rank instead. Returns false when it had to do that.
bool ReadHallEntry(const std::uint8_t* bytes, int rank, HallEntry& entry);

// The default entry of a rank (0..9): "Tavrix" with 5 minutes plus one per rank.
HallEntry DefaultHallEntry(int rank);

inline void PutLE32(std::uint8_t* out, std::uint32_t v) {
    out[0] = static_cast<std::uint8_t>(v);
    out[1] = static_cast<std::uint8_t>(v >> 8);
    out[2] = static_cast<std::uint8_t>(v >> 16);
    out[3] = static_cast<std::uint8_t>(v >> 24);
}

inline std::uint32_t GetLE32(const std::uint8_t* in) {
    return static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
           (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
}

inline void PutLE16(std::uint8_t* out, std::uint16_t v) {
    out[0] = static_cast<std::uint8_t>(v);
    out[1] = static_cast<std::uint8_t>(v >> 8);
}

inline std::uint16_t GetLE16(const std::uint8_t* in) {
    return static_cast<std::uint16_t>(in[0] | (in[1] << 8));
}
