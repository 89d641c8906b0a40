// Case-insensitive file lookup inside one folder.
#include "core_local.h"

#include <filesystem>
#include <system_error>

namespace core_local {

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') {
            x = static_cast<unsigned char>(x - 'a' + 'A');
        }
        if (y >= 'a' && y <= 'z') {
            y = static_cast<unsigned char>(y - 'a' + 'A');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string ResolveInFolder(const std::string& folder, const std::string& name) {
    std::string joined = folder;
    if (!joined.empty() && joined.back() != '/') {
        joined += '/';
    }
    joined += name;

    std::error_code error;
    if (name.empty() || std::filesystem::exists(joined, error)) {
        return joined;
    }
    const std::filesystem::path dir = folder.empty() ? std::filesystem::path(".") : std::filesystem::path(folder);
    std::filesystem::directory_iterator it(dir, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string candidate = it->path().filename().string();
        if (EqualNoCase(candidate, name)) {
            return it->path().string();
        }
    }
    return joined;
}

}  // namespace core_local
