// Opening, reading and replacing the game's files.
#include "files/file_io.h"

#include <atomic>
#include <cassert>
#include <cerrno>
#include <chrono>
#include <new>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/file_io_local.h"

namespace files {

// ---------------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------------

bool InputFile::Open(const std::string& path) {
    Close();
    if (path.empty()) {
        return false;
    }
    // Opened without waiting (a pipe would otherwise block right here until something writes to
    // it), then checked on the descriptor itself, and only then switched back to blocking reads.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat status {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0 || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    stream_ = ::fdopen(fd, "rb");
    if (stream_ == nullptr) {
        ::close(fd);
        return false;
    }
    size_ = static_cast<std::uint64_t>(status.st_size);
    return true;
}

void InputFile::Close() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    size_ = 0;
}

bool IsReadableFile(const std::string& path) {
    return InputFile(path).IsOpen();
}

bool ReadWholeFile(const std::string& path, std::uint64_t maxBytes,
                   std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    InputFile in(path);
    if (!in.IsOpen() || in.Size() > maxBytes) {
        return false;
    }
    try {
        bytes.resize(static_cast<std::size_t>(in.Size()));
    } catch (const std::bad_alloc&) {
        bytes.clear();
        return false;
    }
    if (std::fread(bytes.data(), 1, bytes.size(), in.Stream()) != bytes.size()) {
        bytes.clear();
        return false;
    }
    return true;
}

bool ReadExactFile(const std::string& path, std::uint8_t* bytes, std::size_t size) {
    InputFile in(path);
    if (!in.IsOpen() || in.Size() != size) {
        return false;
    }
    if (std::fread(bytes, 1, size, in.Stream()) != size) {
        return false;
    }
    // One more byte means the file grew since it was opened: not the file that was measured.
    std::uint8_t extra;
    return std::fread(&extra, 1, 1, in.Stream()) == 0 && !std::ferror(in.Stream());
}

// ---------------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------------

namespace {

// Twelve letters and digits. Uniqueness comes from the exclusive creation, which retries on a
// name already taken; the randomness only makes a taken name unlikely.
std::string RandomUnique(int attempt) {
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t seed = 0;
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof seed)) {
        seed = static_cast<std::uint64_t>(
                   std::chrono::steady_clock::now().time_since_epoch().count()) ^
               (static_cast<std::uint64_t>(::getpid()) << 32);
    }
    seed ^= (counter.fetch_add(1) + static_cast<std::uint64_t>(attempt)) * 0x9E3779B97F4A7C15ull;
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string unique(12, 'x');
    for (char& c : unique) {
        c = kLetters[seed % 36];
        seed /= 36;
        if (seed == 0) {
            seed = 0xD1B54A32D192ED03ull * (counter.load() + 1);
        }
    }
    return unique;
}

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Makes the rename itself last through a power cut. The file is already in place whatever this
// says, so a failure here is not a failed write.
void SyncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::string TemporaryPath(const std::string& path, std::string_view unique) {
    std::string temporary = path;
    temporary += '.';
    temporary += unique;
    temporary += ".part";
    return temporary;
}

bool WriteFileReplacingWith(const std::string& path, const std::uint8_t* bytes, std::size_t size,
                            const TemporaryNameSource& names) {
    assert(bytes != nullptr || size == 0);
    if (path.empty() || path.back() == '/') {
        return false;
    }
    // The new file keeps the rights of the file it replaces (of the file a link there leads
    // to); a new file gets rw-r--r--.
    mode_t mode = 0644;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 0777;
    }

    // Created exclusively: whatever stands under a name already (a file, a folder, a symbolic
    // link, even one that leads nowhere) makes the creation fail, so nothing is written through.
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && fd < 0; ++attempt) {
        temporary = TemporaryPath(path, names(attempt));
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST && errno != EINTR) {
            return false;  // a missing folder, no right to write there, a full disc
        }
    }
    if (fd < 0) {
        return false;
    }

    bool written = WriteAll(fd, bytes, size) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    written = (::close(fd) == 0) && written;
    // rename replaces whatever entry stands under `path`, a symbolic link included, in one step.
    written = written && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolderOf(path);
    return true;
}

bool WriteFileReplacing(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
    return WriteFileReplacingWith(path, bytes, size, &RandomUnique);
}

bool WriteFileReplacing(const std::string& path, std::string_view bytes) {
    return WriteFileReplacing(path, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                              bytes.size());
}

}  // namespace files
