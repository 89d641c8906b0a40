// Helpers of the settings tests: a scratch game folder that removes itself, file writing and
// reading.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The whole of a file, or nothing when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Path of `relative` inside the folder.
    std::string operator/(std::string_view relative) const;
    // Makes the sub-folder `relative` (and its parents).
    void MakeFolder(std::string_view relative) const;
    // Writes `bytes` to `relative`, making the folders on the way.
    void Write(std::string_view relative, std::string_view bytes) const;
    std::string Read(std::string_view relative) const;

private:
    std::string path_;
};
