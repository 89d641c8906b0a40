// Reading and writing the game's files safely: only regular files are opened (a folder, a named
// pipe or a device under a game file's name reads as missing, without blocking), whole-file
// reads have a size limit, and every write goes through a new temporary file renamed over the
// target, so a failed write never leaves a damaged file. Little-endian byte helpers for the
// binary formats (saved games, halls of fame, pictures).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace files {

// ---------------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------------

// A file open for reading, closed when the object goes. Only regular files open: the file is
// opened without waiting and checked on its descriptor, so a pipe cannot block the game and a
// name swapped after a check cannot slip through.
class InputFile {
public:
    InputFile() = default;
    explicit InputFile(const std::string& path) { Open(path); }
    ~InputFile() { Close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Closes any file held, then opens `path`. False (and nothing open) for an empty path, a
    // missing or unreadable file, or anything that is not a regular file.
    bool Open(const std::string& path);
    void Close();

    bool IsOpen() const { return stream_ != nullptr; }
    // The open stream, for readers that work on standard C streams (line readers, libjpeg).
    // Null when nothing is open. The stream stays owned by this object.
    std::FILE* Stream() const { return stream_; }
    // The size of the file when it was opened.
    std::uint64_t Size() const { return size_; }

private:
    std::FILE* stream_ = nullptr;
    std::uint64_t size_ = 0;
};

// Whether `path` names a regular file that can be opened for reading.
bool IsReadableFile(const std::string& path);

// Reads a regular file whole into `bytes`. False (and `bytes` empty) when it cannot be opened,
// is not a regular file, holds more than `maxBytes` bytes, or a read fails.
bool ReadWholeFile(const std::string& path, std::uint64_t maxBytes,
                   std::vector<std::uint8_t>& bytes);

// Reads a regular file into `bytes` when it holds exactly `size` bytes. False when it cannot be
// read or has any other size; `bytes` may then hold part of the file.
bool ReadExactFile(const std::string& path, std::uint8_t* bytes, std::size_t size);

// ---------------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------------

// Replaces the file at `path` with `size` bytes. The bytes go to a new temporary file beside it
// (created exclusively under a unique name, so neither an existing file nor a symbolic link
// there is ever written through), are flushed to the disc, take the permissions of the file
// they replace (rw-r--r-- for a new file), and are renamed over `path`. A symbolic link at
// `path` is itself replaced, not written through. On any failure the temporary file is removed
// and the file at `path` stays as it was. False when the file could not be written.
bool WriteFileReplacing(const std::string& path, const std::uint8_t* bytes, std::size_t size);
bool WriteFileReplacing(const std::string& path, std::string_view bytes);

// ---------------------------------------------------------------------------------------------
// Little-endian bytes
// ---------------------------------------------------------------------------------------------

inline void PutLE16(std::uint8_t* out, std::uint16_t v) {
    out[0] = static_cast<std::uint8_t>(v);
    out[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void PutLE32(std::uint8_t* out, std::uint32_t v) {
    out[0] = static_cast<std::uint8_t>(v);
    out[1] = static_cast<std::uint8_t>(v >> 8);
    out[2] = static_cast<std::uint8_t>(v >> 16);
    out[3] = static_cast<std::uint8_t>(v >> 24);
}

inline std::uint16_t GetLE16(const std::uint8_t* in) {
    return static_cast<std::uint16_t>(in[0] | (in[1] << 8));
}

inline std::uint32_t GetLE32(const std::uint8_t* in) {
    return static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
           (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
}

}  // namespace files
