// A symbolic link in the game folder never carries a write out of it: the game's own writers of a
// saved game, a hall-of-fame file, a layout and the settings file are run with links planted
// under the file's name (in its own spelling and in another case) and under the temporary names
// the write tries, each leading to a file outside the game folder or to a place where none is
// yet. Nothing outside the game folder may change.
//
// The temporary name of a write is random, so it cannot be known before. This test binary
// therefore puts its own open() in front of the C library's: while a trap is armed, the first
// two opens that would create a new file find a link already standing under their name, one
// leading to a file outside, one leading nowhere, exactly as if it had been planted in advance.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdarg>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/board.h"
#include "settings/settings.h"
#include "tests/settings/test_support.h"

namespace fs = std::filesystem;

namespace {

// The trap of the open() below: a test seam, so a global. Only this test's thread creates files
// while it is armed.
struct TemporaryNameTrap {
    bool armed = false;
    std::string outsideFile;     // the first link leads here (an existing file outside)
    std::string outsideMissing;  // the second leads here (nothing there yet)
    std::vector<std::string> planted;
};
TemporaryNameTrap trap;

int OpenFile(const char* path, int flags, mode_t mode) {
    struct stat existing {};
    const bool creates = path != nullptr && (flags & O_CREAT) != 0 && ::lstat(path, &existing) != 0;
    if (trap.armed && creates && trap.planted.size() < 2) {
        const std::string& leadsTo = trap.planted.empty() ? trap.outsideFile : trap.outsideMissing;
        if (::symlink(leadsTo.c_str(), path) == 0) {
            trap.planted.emplace_back(path);
        }
    }
    return static_cast<int>(::syscall(SYS_openat, AT_FDCWD, path, flags, mode));
}

}  // namespace

// The game's files module opens its temporary files through these; the mode argument is there
// only when the open may create a file.
#define VARNEL_TRAPPED_OPEN(name)                                         \
    extern "C" int name(const char* path, int flags, ...) {               \
        mode_t mode = 0;                                                  \
        if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) { \
            va_list arguments;                                            \
            va_start(arguments, flags);                                   \
            mode = static_cast<mode_t>(va_arg(arguments, int));           \
            va_end(arguments);                                            \
        }                                                                 \
        return OpenFile(path, flags, mode);                               \
    }
VARNEL_TRAPPED_OPEN(open)
VARNEL_TRAPPED_OPEN(open64)

namespace {

// Everything below a folder: each entry's kind, and a file's bytes or a link's target.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string path = entry.path().string();
        if (entry.is_symlink()) {
            entries[path] = "link to " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_regular_file()) {
            entries[path] = "file " + ReadFileBytes(path);
        } else {
            entries[path] = "other";
        }
    }
    return entries;
}

struct GameWriter {
    const char* what;
    std::string folder;    // where the game writes the file
    const char* fileName;  // the name the game writes
    std::function<bool()> write;
};

}  // namespace

TEST(WriteLinks, NoWriteOfTheGameLeavesTheGameFolderThroughALink) {
    TempFolder root;
    root.MakeFolder("game");
    root.Write("outside/keep.tvm", "a saved game of someone else");
    root.Write("outside/keep.tvs", "a hall of fame of someone else");
    root.Write("outside/keep.tvl", "a layout of someone else");
    root.Write("outside/keep.ini", "settings of someone else");
    root.Write("outside/temporary.target", "a file the temporary name leads to");
    const std::string outside = root / "outside";
    const ResourceFolders folders = MakeResourceFolders(root / "game");
    for (const std::string& folder : {folders.savedGames, folders.scores, folders.layouts}) {
        fs::create_directories(folder);
    }
    trap.outsideFile = outside + "/temporary.target";
    trap.outsideMissing = outside + "/created.through.link";

    // A dealt game of the shipped turtle, to be saved, with its hall of fame and its layout.
    Board board;
    board.layoutsFolder = std::string(GAME_DATA_DIR) + "/LAYOUTS";
    board.layoutFileName = "Default.tvl";
    board.scoresFolder = folders.scores;
    ASSERT_TRUE(board.LoadLayout());
    board.Deal();
    board.layoutsFolder = folders.layouts;
    board.savedGamesFolder = folders.savedGames;
    board.savedGameFileName = "Mine.TVM";

    Settings settings;
    settings.language = "English.txt";
    ViewSettingsHooks hooks;
    const ScreenMetrics screen;

    const GameWriter writers[] = {
        {"saved game", folders.savedGames, "Mine.TVM", [&] { return board.SaveGame(); }},
        {"hall of fame", folders.scores, "Default.TVS", [&] { return board.SaveHall(); }},
        {"layout", folders.layouts, "Default.tvl", [&] { return board.SaveLayout(); }},
        {"settings", folders.start, "TAVX2D.INI",
         [&] { return SaveSettings(settings, folders, Edition::TwoD, screen, hooks); }},
    };
    const char* victims[] = {"keep.tvm", "keep.tvs", "keep.tvl", "keep.ini"};

    for (size_t w = 0; w < std::size(writers); ++w) {
        const GameWriter& writer = writers[w];
        const std::string victim = outside + "/" + victims[w];
        // The link under the file's own name, then under the name in small letters: the game
        // writes to an existing file of its name in any case.
        for (const bool otherCase : {false, true}) {
            SCOPED_TRACE(std::string(writer.what) + (otherCase ? ", name in small letters" : ""));
            std::string linkName = writer.fileName;
            if (otherCase) {
                for (char& c : linkName) {
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                }
            }
            const std::string link = JoinPath(writer.folder, linkName);
            fs::remove(JoinPath(writer.folder, writer.fileName));
            fs::create_symlink(victim, link);
            const auto outsideBefore = Snapshot(outside);

            trap.planted.clear();
            trap.armed = true;
            const bool written = writer.write();
            trap.armed = false;

            EXPECT_TRUE(written);
            EXPECT_EQ(trap.planted.size(), 2u) << "the write made no temporary file";
            EXPECT_EQ(Snapshot(outside), outsideBefore);
            EXPECT_FALSE(fs::exists(trap.outsideMissing));
            // The link under the name was replaced by the game's file, not written through.
            EXPECT_FALSE(fs::is_symlink(link));
            EXPECT_TRUE(fs::is_regular_file(link));
            EXPECT_GT(ReadFileBytes(link).size(), 0u);
            // The links met under temporary names still stand, untouched, and are cleared away.
            for (const std::string& planted : trap.planted) {
                EXPECT_TRUE(fs::is_symlink(planted)) << planted;
                fs::remove(planted);
            }
            // Only the game's file is left in its folder: no twin in another case, no
            // temporary file.
            size_t entries = 0;
            for (const auto& entry : fs::directory_iterator(writer.folder)) {
                entries += EqualNoCase(entry.path().filename().string(), writer.fileName) ? 1 : 0;
                EXPECT_FALSE(entry.path().string().ends_with(".part")) << entry.path();
            }
            EXPECT_EQ(entries, 1u);
            fs::remove(link);
        }
    }
}
