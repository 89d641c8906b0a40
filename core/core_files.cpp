// The byte form of hall-of-fame entries.
#include <cstdio>
#include <cstring>

#include "core/core_files_local.h"

void WriteHallEntry(const HallEntry& entry, std::uint8_t* bytes) {
    std::memcpy(bytes, entry.name, sizeof entry.name);
    std::memcpy(bytes + 23, entry.time, sizeof entry.time);
    files::PutLE32(bytes + 36, static_cast<std::uint32_t>(entry.seconds));
}

bool ReadHallEntry(const std::uint8_t* bytes, int rank, HallEntry& entry) {
    const std::int32_t seconds = static_cast<std::int32_t>(files::GetLE32(bytes + 36));
    if (seconds < 0) {
        entry = DefaultHallEntry(rank);
        return false;
    }
    std::memcpy(entry.name, bytes, sizeof entry.name);
    std::memcpy(entry.time, bytes + 23, sizeof entry.time);
    entry.name[sizeof entry.name - 1] = '\0';
    entry.time[sizeof entry.time - 1] = '\0';
    entry.seconds = seconds;
    return true;
}

HallEntry DefaultHallEntry(int rank) {
    HallEntry entry;
    std::snprintf(entry.name, sizeof entry.name, "%s", "Tavrix");
    entry.seconds = 300 + 60 * rank;
    std::snprintf(entry.time, sizeof entry.time, "%s", FormatTime(entry.seconds).c_str());
    return entry;
}
