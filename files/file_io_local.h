// Internals of the files module shared with its tests: the temporary names of a replacing write
// come from a source the tests can replace, to put a trap exactly where the next name falls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace files {

// The unique part of the temporary name for try number `attempt` (0, 1, ...).
using TemporaryNameSource = std::function<std::string(int attempt)>;

// How many names a write tries before it gives up; a name is taken again only when something
// already stands under it.
inline constexpr int kTemporaryNameAttempts = 64;

// The temporary file beside `path` for the unique part `unique`: "<path>.<unique>.part", so it
// lies in the same folder (a rename never crosses discs) and no file list of the game, which
// look for their own extensions, ever shows it.
std::string TemporaryPath(const std::string& path, std::string_view unique);

// WriteFileReplacing with the temporary names taken from `names`.
bool WriteFileReplacingWith(const std::string& path, const std::uint8_t* bytes, std::size_t size,
                            const TemporaryNameSource& names);

}  // namespace files
