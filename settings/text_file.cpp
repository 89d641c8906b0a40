// Line reading and tokens for the configuration and language files.
#include "settings/text_file_local.h"

namespace textfile {

int LineReader::NextByte() {
    if (inMemory_) {
        return position_ < bytes_.size() ? static_cast<unsigned char>(bytes_[position_++]) : EOF;
    }
    return std::getc(file_.Stream());
}

void LineReader::PutBack(int c) {
    if (inMemory_) {
        --position_;
    } else {
        std::ungetc(c, file_.Stream());
    }
}

bool LineReader::Next(std::string& line, size_t bufferSize) {
    line.clear();
    if (!IsOpen() || bufferSize < 2) {
        return false;
    }
    const size_t room = bufferSize - 1;
    bool readAny = false;
    while (line.size() < room) {
        int c = NextByte();
        if (c == EOF) {
            break;
        }
        readAny = true;
        if (c == '\r') {
            // CR LF is one line end, as a text-mode read gives it; a lone CR stays.
            const int following = NextByte();
            if (following == '\n') {
                c = '\n';
            } else if (following != EOF) {
                PutBack(following);
            }
        }
        line.push_back(static_cast<char>(c));
        if (c == '\n') {
            break;
        }
    }
    if (!readAny) {
        return false;
    }
    const size_t zero = line.find('\0');
    if (zero != std::string::npos) {
        line.resize(zero);
    }
    return true;
}

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
}  // namespace

std::vector<std::string_view> Tokens(std::string_view line, size_t maxTokens) {
    std::vector<std::string_view> tokens;
    size_t i = 0;
    while (tokens.size() < maxTokens) {
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        if (i >= line.size()) {
            break;
        }
        const size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) {
            ++i;
        }
        tokens.push_back(line.substr(start, i - start));
    }
    return tokens;
}

bool QuotedText(std::string_view line, std::string& text) {
    const size_t open = line.find('"');
    if (open == std::string_view::npos) {
        return false;
    }
    const size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos) {
        return false;
    }
    text.assign(line.substr(open + 1, close - open - 1));
    return true;
}

size_t CutUtf8(std::string_view text, size_t limit) {
    if (text.size() <= limit) {
        return text.size();
    }
    // Step back over at most three continuation bytes so that the cut falls before the lead byte
    // of a sequence; bytes that are no UTF-8 at all are simply cut at the limit.
    for (size_t back = 0; back < 4 && back < limit; ++back) {
        if ((static_cast<unsigned char>(text[limit - back]) & 0xC0) != 0x80) {
            return limit - back;
        }
    }
    return limit;
}

}  // namespace textfile
