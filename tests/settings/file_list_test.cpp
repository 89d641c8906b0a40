// The file lists of the menus: the sorted list built at once matches the one-by-one insertion the
// menus have always used, ties and case variants included, and a folder of 50,000 layouts gives a
// sorted list, a menu split into MORE sub-menus and files beyond the menu that stay reachable.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "settings/resource_folders.h"
#include "tests/settings/test_support.h"

namespace {

// The insertion the menus used before, kept here as the reference: each file in turn goes in
// front when its display name is smaller than the first entry's, else after the leading run of
// entries with smaller display names.
FileList InsertOneByOne(const std::vector<std::string>& found) {
    FileList list;
    for (const std::string& name : found) {
        FileEntry entry{name, ReplaceExtension(name, "")};
        if (list.empty() || CompareNoCase(entry.displayName, list.front().displayName) < 0) {
            list.insert(list.begin(), std::move(entry));
            continue;
        }
        size_t at = 1;
        while (at < list.size() && CompareNoCase(list[at].displayName, entry.displayName) < 0) {
            ++at;
        }
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    }
    return list;
}

FileList Made(const std::vector<std::string>& found) {
    FileList list{{"stale.tvl", "stale"}};
    MakeFileList(found, list);
    return list;
}

std::vector<std::string> FileNames(const FileList& list) {
    std::vector<std::string> names;
    for (const FileEntry& entry : list) {
        names.push_back(entry.fileName);
    }
    return names;
}

std::vector<std::string> DisplayNames(const FileList& list) {
    std::vector<std::string> names;
    for (const FileEntry& entry : list) {
        names.push_back(entry.displayName);
    }
    return names;
}

// A random file name from a small alphabet, so that case variants, shared prefixes and equal
// display names are frequent. '_' sorts between the capitals and the small letters as bytes but
// before the letters once they are folded.
std::string RandomName(std::mt19937& random) {
    static constexpr char kLetters[] = "aAbBzZ_1";
    static constexpr const char* kExtensions[] = {".tvl", ".TVL", ".Tvl", ".jpg", ".x.tvl"};
    std::uniform_int_distribution<int> length(0, 3);
    std::uniform_int_distribution<int> letter(0, 7);
    std::uniform_int_distribution<int> extension(0, 4);
    std::string name;
    for (int i = length(random); i >= 0; --i) {
        name += kLetters[letter(random)];
    }
    return name + kExtensions[extension(random)];
}

// The names in the order a folder search gives them: sorted without regard to case, ties by
// bytes, one pattern after the other.
std::vector<std::string> InSearchOrder(std::vector<std::string> names, size_t patterns) {
    const auto searchOrder = [](const std::string& a, const std::string& b) {
        const int order = CompareNoCase(a, b);
        return order != 0 ? order < 0 : a < b;
    };
    const size_t part = names.size() / patterns + 1;
    for (size_t start = 0; start < names.size(); start += part) {
        const auto end =
            names.begin() + static_cast<std::ptrdiff_t>(std::min(names.size(), start + part));
        std::sort(names.begin() + static_cast<std::ptrdiff_t>(start), end, searchOrder);
    }
    return names;
}

}  // namespace

TEST(MakeFileList, KeepsTheOrderOfTiesThatOneByOneInsertionGave) {
    struct Case {
        std::vector<std::string> found;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{}, {}},
        {{"b.wav", "A.wav", "c.WAV"}, {"A.wav", "b.wav", "c.WAV"}},
        // Equal to the first entry: behind the first member of its group, newest first.
        {{"a.bmp", "A.jpg", "a.tga"}, {"a.bmp", "a.tga", "A.jpg"}},
        // Equal to a later entry: in front of its group.
        {{"a.bmp", "c.bmp", "C.jpg", "c.tga"}, {"a.bmp", "c.tga", "C.jpg", "c.bmp"}},
        // The group led the list for two files, then a smaller file came, then one more.
        {{"m.1", "M.2", "m.3", "a.4", "M.5"}, {"a.4", "M.5", "m.1", "m.3", "M.2"}},
        // The same name twice (a pattern list naming one extension twice).
        {{"x.tvl", "y.tvl", "x.tvl", "y.tvl"}, {"x.tvl", "x.tvl", "y.tvl", "y.tvl"}},
        // Display names cut at the last dot; a name without a dot keeps all of it.
        {{"A_.tvl", "a.b.tvl", "ab", "a.tvl"}, {"a.tvl", "a.b.tvl", "A_.tvl", "ab"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileNames(InsertOneByOne(c.found)), c.expected) << "reference";
        const FileList list = Made(c.found);
        EXPECT_EQ(FileNames(list), c.expected);
        EXPECT_EQ(DisplayNames(list), DisplayNames(InsertOneByOne(c.found)));
    }
}

// Random names with many case variants and duplicates, in any order and in the order of one to
// three folder searches: the list made at once equals the one inserted one by one.
TEST(MakeFileList, EqualsOneByOneInsertionOnRandomNames) {
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> size(0, 120);
    std::uniform_int_distribution<int> reuse(0, 3);
    std::uniform_int_distribution<size_t> patterns(1, 3);
    for (int trial = 0; trial < 3000; ++trial) {
        std::vector<std::string> names;
        for (int i = size(random); i > 0; --i) {
            if (!names.empty() && reuse(random) == 0) {
                std::uniform_int_distribution<size_t> pick(0, names.size() - 1);
                names.push_back(names[pick(random)]);
            } else {
                names.push_back(RandomName(random));
            }
        }
        const std::vector<std::string> found =
            trial % 2 == 0 ? names : InSearchOrder(names, patterns(random));
        const FileList expected = InsertOneByOne(found);
        const FileList list = Made(found);
        ASSERT_EQ(FileNames(list), FileNames(expected)) << "trial " << trial;
        ASSERT_EQ(DisplayNames(list), DisplayNames(expected)) << "trial " << trial;
    }
}

// 50,000 layouts: a case twin for every 1,000th number, files of other kinds and a sub-folder
// that the list leaves out. The list is sorted by number; each pair of twins comes newest first
// (the search gives "LAYOUT" before "Layout"), except the pair that leads the list.
TEST(BuildFileList, AFolderOfFiftyThousandLayoutsGivesTheOrderAndTheMenuSplit) {
    constexpr int kLayouts = 50000;
    TempFolder game;
    game.MakeFolder("LAYOUTS/Sub.tvl");
    const std::string folder = game / "LAYOUTS";
    // Hard links of one small file: each is a file of its own in the folder, and they are made
    // several times faster than new files.
    game.Write("layout.original", "144 tiles");
    auto create = [&](const std::string& name) {
        ASSERT_EQ(::link((game / "layout.original").c_str(), (folder + "/" + name).c_str()), 0)
            << name;
    };
    std::vector<std::string> expected;
    for (int i = 0; i < kLayouts; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%05d", i);
        const std::string name = std::string("Layout") + number + ".tvl";
        const std::string twin = std::string("LAYOUT") + number + ".TVL";
        create(name);
        if (i % 1000 == 0) {
            create(twin);
            expected.push_back(i == 0 ? twin : name);
            expected.push_back(i == 0 ? name : twin);
        } else {
            expected.push_back(name);
        }
        if (i % 5000 == 0) {
            create(std::string("Notes") + number + ".txt");
        }
    }

    FileList list;
    ASSERT_EQ(BuildFileList(kLayoutPattern, folder, list), static_cast<int>(expected.size()));
    EXPECT_EQ(FileNames(list), expected);
    EXPECT_EQ(list[1].displayName, "Layout00000");

    // The LAYOUT menu as the game plans it: 999 identifiers from 22000, 34 entries per menu.
    const FileMenuPlan plan = PlanFileMenu(list, "layout00450.TVL", 22000, 22998, 34);
    ASSERT_EQ(plan.moreMenus.size(), 29u);
    for (size_t i = 0; i + 1 < plan.moreMenus.size(); ++i) {
        EXPECT_EQ(plan.moreMenus[i].size(), 34u);
    }
    EXPECT_EQ(plan.moreMenus.back().size(), 13u);
    ASSERT_EQ(plan.items.size(), 34u);
    int command = 22000;
    int checked = 0;
    auto follow = [&](const FileMenuItem& item) {
        EXPECT_EQ(item.command, command);
        EXPECT_EQ(item.index, command - 22000);
        EXPECT_EQ(item.fileName, expected[static_cast<size_t>(item.index)]);
        checked += item.checked ? 1 : 0;
        ++command;
    };
    for (const auto& more : plan.moreMenus) {
        std::for_each(more.begin(), more.end(), follow);
    }
    std::for_each(plan.items.begin(), plan.items.end(), follow);
    EXPECT_EQ(command, 22999);
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(plan.items.back().fileName, "Layout00997.tvl");

    // Files past the menu are not in it, but the file dialog of the folder still finds them by
    // name, in any case.
    EXPECT_TRUE(FileExistsInFolder(folder, "Layout49999.tvl"));
    EXPECT_TRUE(FileExistsInFolder(folder, "LAYOUT49999.TVL"));
    EXPECT_EQ(FindFallbackFile(kLayoutPattern, folder, "Default.tvl"), "LAYOUT00000.TVL");
}
