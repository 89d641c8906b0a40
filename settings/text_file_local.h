// Reading the game's text files line by line with a fixed line buffer, as the configuration and
// language readers do: a line longer than the buffer is read as several lines, CR LF counts as
// one line end, and a line is cut at a zero byte. Internal to the settings library.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_io.h"

namespace textfile {

// An open text file, closed when the reader goes. Only regular files are opened, so a folder or
// a device named like a game file reads as missing instead of blocking or failing mid-way.
class LineReader {
public:
    explicit LineReader(const std::string& path) : file_(path) {}
    // Reads the lines of a whole file held in memory; the bytes must outlive the reader.
    explicit LineReader(std::string_view bytes) : bytes_(bytes), inMemory_(true) {}

    bool IsOpen() const { return inMemory_ || file_.IsOpen(); }

    // The next line of at most bufferSize - 1 bytes, its line end ('\n') included when it fits.
    // False at the end of the file.
    bool Next(std::string& line, size_t bufferSize);

private:
    int NextByte();
    void PutBack(int c);

    files::InputFile file_;
    std::string_view bytes_;
    size_t position_ = 0;
    bool inMemory_ = false;
};

// Whitespace-separated tokens of a line, as the C library's scanf "%s" takes them.
std::vector<std::string_view> Tokens(std::string_view line, size_t maxTokens);

// The text between the first and the second double quote; false when there are not two.
bool QuotedText(std::string_view line, std::string& text);

// Length of the longest prefix of `text` of at most `limit` bytes that does not end inside a
// UTF-8 sequence, so that cut texts stay valid.
size_t CutUtf8(std::string_view text, size_t limit);

}  // namespace textfile
