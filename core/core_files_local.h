// The byte form of the hall-of-fame entries, shared by the hall-of-fame files and the saved
// games. Reading and writing the files themselves goes through the files module.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/board.h"
#include "files/file_io.h"

// Bytes of one hall entry in a file, and of a whole hall-of-fame table.
inline constexpr std::size_t kHallEntryBytes = 40;
inline constexpr std::size_t kHallFileBytes = kHallEntryBytes * kHallEntries;  // 400

// The 40-byte form of a hall entry: name (23 bytes), time text (13), seconds (int32, little-
// endian).
void WriteHallEntry(const HallEntry& entry, std::uint8_t* bytes);
// Reads an entry from a file the player may have edited: the name and the time text are cut at
// their field's end. A negative time (which would stand first for ever) gives the default entry
// of that rank instead. Returns false when it had to do that.
bool ReadHallEntry(const std::uint8_t* bytes, int rank, HallEntry& entry);

// The default entry of a rank (0..9): "Tavrix" with 5 minutes plus one per rank.
HallEntry DefaultHallEntry(int rank);
