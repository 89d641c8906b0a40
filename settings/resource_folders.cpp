// Resource folders, name resolution without regard to case, fallbacks and file lists.
#include "settings/resource_folders.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "files/file_io.h"

namespace fs = std::filesystem;

namespace {

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The name with its ASCII capitals made small. Two folded names compare as bytes exactly as
// CompareNoCase compares the names, so a long list folds each name once and then sorts by bytes.
std::string FoldedName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        c = FoldCase(c);
    }
    return folded;
}

// The entries of `folder` whose name equals `name` without regard to case. An exact match is
// looked up first because it needs no directory scan.
std::string ResolveComponent(const std::string& folder, std::string_view name, bool wantFile) {
    std::error_code ec;
    const std::string exact = JoinPath(folder, name);
    if (fs::exists(fs::path(exact), ec)) {
        return exact;
    }
    const fs::path dir = folder.empty() ? fs::path(".") : fs::path(folder);
    fs::directory_iterator it(dir, ec);
    if (ec) {
        return {};
    }
    std::string best;
    bool bestIsWanted = false;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) {
            break;
        }
        const std::string entryName = it->path().filename().string();
        if (!EqualNoCase(entryName, name)) {
            continue;
        }
        std::error_code statusError;
        const bool isFile = it->is_regular_file(statusError);
        const bool isDir = it->is_directory(statusError);
        const bool wanted = wantFile ? isFile : isDir;
        if (best.empty() || (wanted && !bestIsWanted) ||
            (wanted == bestIsWanted && entryName < best)) {
            best = entryName;
            bestIsWanted = wanted;
        }
    }
    return best.empty() ? std::string() : JoinPath(folder, best);
}

std::vector<std::string_view> SplitPatterns(std::string_view patterns) {
    std::vector<std::string_view> result;
    while (!patterns.empty()) {
        const size_t semicolon = patterns.find(';');
        std::string_view one = patterns.substr(0, semicolon);
        while (!one.empty() && one.front() == ' ') {
            one.remove_prefix(1);
        }
        while (!one.empty() && one.back() == ' ') {
            one.remove_suffix(1);
        }
        if (!one.empty()) {
            result.push_back(one);
        }
        if (semicolon == std::string_view::npos) {
            break;
        }
        patterns.remove_prefix(semicolon + 1);
    }
    return result;
}

}  // namespace

ResourceFolders MakeResourceFolders(const std::string& startFolder) {
    auto sub = [&startFolder](std::string_view capitalName) {
        std::string found = ResolveComponent(startFolder, capitalName, false);
        std::string folder = found.empty() ? JoinPath(startFolder, capitalName) : found;
        folder += '/';
        return folder;
    };
    ResourceFolders folders;
    folders.start = startFolder;
    folders.tileSets = sub("TILESETS");
    folders.language = sub("LANGUAGE");
    folders.layouts = sub("LAYOUTS");
    folders.sounds = sub("SOUNDS");
    folders.scores = sub("SCORES");
    folders.savedGames = sub("SAVEGAME");
    folders.backgrounds = sub("BACKGRND");
    return folders;
}

bool CurrentStartFolder(std::string& folder) {
    std::error_code ec;
    const fs::path current = fs::current_path(ec);
    if (ec) {
        folder.clear();
        return false;
    }
    folder = current.string();
    return true;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    path += name;
    return path;
}

std::string ResolveInFolder(const std::string& folder, std::string_view name) {
    std::string current = folder;
    if (folder.empty() && !name.empty() && name.front() == '/') {
        current.assign(1, '/');
    }
    bool resolvedAny = false;
    while (!name.empty()) {
        const size_t slash = name.find('/');
        const std::string_view part = name.substr(0, slash);
        if (!part.empty()) {
            const bool last = name.find_first_not_of('/', part.size()) == std::string_view::npos;
            current = ResolveComponent(current, part, last);
            if (current.empty()) {
                return {};
            }
            resolvedAny = true;
        }
        if (slash == std::string_view::npos) {
            break;
        }
        name.remove_prefix(slash + 1);
    }
    return resolvedAny ? current : std::string();
}

std::string PathForWriting(const std::string& folder, std::string_view name) {
    std::string existing = ResolveInFolder(folder, name);
    return existing.empty() ? JoinPath(folder, name) : existing;
}

bool FileExistsInFolder(const std::string& folder, std::string_view name) {
    const std::string path = ResolveInFolder(folder, name);
    if (path.empty()) {
        return false;
    }
    return files::IsReadableFile(path);
}

std::string ReplaceExtension(std::string_view name, std::string_view extension) {
    const size_t dot = name.rfind('.');
    std::string result(name.substr(0, dot));
    result += extension;
    return result;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(FoldCase(a[i]));
        const auto cb = static_cast<unsigned char>(FoldCase(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

bool MatchesPattern(std::string_view pattern, std::string_view fileName) {
    // Iterative wildcard match with one backtrack point: linear in practice, never recursive.
    size_t p = 0;
    size_t n = 0;
    size_t starP = std::string_view::npos;
    size_t starN = 0;
    while (n < fileName.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || FoldCase(pattern[p]) == FoldCase(fileName[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::vector<std::string> SearchFolder(const std::string& folder, std::string_view pattern) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    if (ec) {
        return names;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) {
            break;
        }
        std::error_code statusError;
        if (!it->is_regular_file(statusError)) {
            continue;
        }
        std::string name = it->path().filename().string();
        // Names with a quote or a control character cannot stand in the configuration file or
        // a menu; such files are not offered.
        const bool usable = std::none_of(name.begin(), name.end(), [](char c) {
            return c == '"' || (static_cast<unsigned char>(c) < 0x20);
        });
        if (usable && MatchesPattern(pattern, name)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int order = CompareNoCase(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

std::string FindFallbackFile(std::string_view patterns, const std::string& folder,
                             std::string_view preferred) {
    std::string result;
    bool preferredSeen = false;
    for (std::string_view pattern : SplitPatterns(patterns)) {
        const std::vector<std::string> found = SearchFolder(folder, pattern);
        if (found.empty()) {
            continue;
        }
        result = found.front();
        for (const std::string& name : found) {
            if (EqualNoCase(name, preferred)) {
                preferredSeen = true;
                break;
            }
        }
    }
    if (preferredSeen) {
        result = std::string(preferred);
    }
    return result;
}

void MakeFileList(std::vector<std::string> foundNames, FileList& list) {
    // The menus have always inserted each file as it was found: in front when it is smaller than
    // the first entry, else after the leading run of smaller entries. So the list is sorted by
    // display name, and only the order among equal display names depends on the history. A file
    // equal to entries already there goes in front of them, except while no smaller file had
    // been found: then the group leads the list and the file goes just behind its first member.
    // Sorting once and arranging each group of equals that way gives the same list in
    // O(n log n), where inserting one by one took O(n^2) on a big folder.
    const size_t count = foundNames.size();
    std::vector<FileEntry> entries(count);
    std::vector<std::string> keys(count);  // folded display names
    std::vector<bool> smallerBefore(count, false);
    size_t smallest = 0;
    for (size_t i = 0; i < count; ++i) {
        entries[i].displayName = ReplaceExtension(foundNames[i], "");
        entries[i].fileName = std::move(foundNames[i]);
        keys[i] = FoldedName(entries[i].displayName);
        if (i > 0) {
            const int order = keys[i].compare(keys[smallest]);
            smallerBefore[i] = order > 0;
            if (order < 0) {
                smallest = i;
            }
        }
    }

    std::vector<size_t> order(count);
    for (size_t i = 0; i < count; ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });

    // Each group of equal display names, in the order its members were found: the first, then
    // those found while the group led the list, then those found after a smaller file. The
    // list shows the last ones newest first, then the first member, then the leading ones
    // newest first. (Once a smaller file exists it stays, so the two kinds do not interleave.)
    for (auto group = order.begin(); group != order.end();) {
        const auto groupEnd =
            std::find_if(group + 1, order.end(), [&](size_t i) { return keys[i] != keys[*group]; });
        const auto behind =
            std::find_if(group + 1, groupEnd, [&](size_t i) { return smallerBefore[i]; });
        std::reverse(group + 1, behind);
        std::reverse(behind, groupEnd);
        std::rotate(group, behind, groupEnd);
        group = groupEnd;
    }

    list.clear();
    list.reserve(count);
    for (size_t i : order) {
        list.push_back(std::move(entries[i]));
    }
}

int BuildFileList(std::string_view patterns, const std::string& folder, FileList& list) {
    std::vector<std::string> found;
    for (std::string_view pattern : SplitPatterns(patterns)) {
        std::vector<std::string> names = SearchFolder(folder, pattern);
        found.insert(found.end(), std::make_move_iterator(names.begin()),
                     std::make_move_iterator(names.end()));
    }
    MakeFileList(std::move(found), list);
    return static_cast<int>(list.size());
}

FileMenuPlan PlanFileMenu(const FileList& list, std::string_view currentName, int firstCommand,
                          int lastCommand, int maxMenuItems) {
    FileMenuPlan plan;
    const int perMenu = std::max(1, maxMenuItems);
    long long available = static_cast<long long>(lastCommand) - firstCommand + 1;
    available = std::clamp<long long>(available, 0, static_cast<long long>(list.size()));
    const int count = static_cast<int>(available);

    auto makeItem = [&](int index) {
        FileMenuItem item;
        item.command = firstCommand + index;
        item.index = index;
        item.displayName = list[static_cast<size_t>(index)].displayName;
        item.fileName = list[static_cast<size_t>(index)].fileName;
        item.checked = EqualNoCase(item.fileName, currentName);
        return item;
    };

    int next = 0;
    int left = count;
    while (left > perMenu) {
        const int take = left > 2LL * perMenu ? perMenu : left - perMenu;
        std::vector<FileMenuItem> more;
        more.reserve(static_cast<size_t>(take));
        for (int i = 0; i < take; ++i) {
            more.push_back(makeItem(next++));
        }
        plan.moreMenus.push_back(std::move(more));
        left -= take;
    }
    for (; next < count; ++next) {
        plan.items.push_back(makeItem(next));
    }
    return plan;
}
