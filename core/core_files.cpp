// Exact-size reads and replacing writes for the files the game core writes itself.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core_files_local.h"

namespace {

struct FileCloser {
    std::FILE* file;
    ~FileCloser() {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
};

}  // namespace

std::FILE* OpenRegularFile(const std::string& path) {
    if (path.empty()) {
        return nullptr;
    }
    // Opened without waiting (a pipe would otherwise block right here), then checked on the
    // descriptor itself, so a file swapped after a name check cannot slip through.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat status {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        ::close(fd);
    }
    return file;
}

bool ReadExactFile(const std::string& path, std::uint8_t* bytes, std::size_t size) {
    FileCloser in{OpenRegularFile(path)};
    if (in.file == nullptr) {
        return false;
    }
    if (std::fread(bytes, 1, size, in.file) != size) {
        return false;
    }
    // One more byte means the file is too long.
    std::uint8_t extra;
    return std::fread(&extra, 1, 1, in.file) == 0 && !std::ferror(in.file);
}

bool WriteFileReplacing(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
    if (path.empty()) {
        return false;
    }
    const std::string temporary = path + ".part";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes, 1, size, out) == size && std::fflush(out) == 0;
    const bool closed = std::fclose(out) == 0;
    std::error_code error;
    if (!written || !closed) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

void WriteHallEntry(const HallEntry& entry, std::uint8_t* bytes) {
    std::memcpy(bytes, entry.name, sizeof entry.name);
    std::memcpy(bytes + 23, entry.time, sizeof entry.time);
    PutLE32(bytes + 36, static_cast<std::uint32_t>(entry.seconds));
}

bool ReadHallEntry(const std::uint8_t* bytes, int rank, HallEntry& entry) {
    const std::int32_t seconds = static_cast<std::int32_t>(GetLE32(bytes + 36));
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
