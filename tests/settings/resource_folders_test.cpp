// Paths, name resolution without regard to case, fallbacks, file lists and the MORE split.
#include "settings/resource_folders.h"

#include <gtest/gtest.h>

#include "tests/settings/test_support.h"

namespace {

std::vector<std::string> FileNames(const FileList& list) {
    std::vector<std::string> names;
    for (const FileEntry& entry : list) {
        names.push_back(entry.fileName);
    }
    return names;
}

std::vector<int> Commands(const std::vector<FileMenuItem>& items) {
    std::vector<int> commands;
    for (const FileMenuItem& item : items) {
        commands.push_back(item.command);
    }
    return commands;
}

FileList NumberedList(int count) {
    FileList list;
    for (int i = 0; i < count; ++i) {
        list.push_back({"f" + std::to_string(i) + ".tvl", "f" + std::to_string(i)});
    }
    return list;
}

}  // namespace

TEST(PathHelpers, JoinPathAddsOneSlashOnlyWhenNeeded) {
    EXPECT_EQ(JoinPath("/games/tiles", "a.tvl"), "/games/tiles/a.tvl");
    EXPECT_EQ(JoinPath("/games/tiles/", "a.tvl"), "/games/tiles/a.tvl");
    EXPECT_EQ(JoinPath("", "a.tvl"), "a.tvl");
    EXPECT_EQ(JoinPath("/", "a.tvl"), "/a.tvl");
}

TEST(PathHelpers, ReplaceExtensionCutsAtTheLastDot) {
    EXPECT_EQ(ReplaceExtension("English.txt", ".CHM"), "English.CHM");
    EXPECT_EQ(ReplaceExtension("Standard.jpg", ""), "Standard");
    EXPECT_EQ(ReplaceExtension("my.old.layout.tvl", ".tvs"), "my.old.layout.tvs");
    EXPECT_EQ(ReplaceExtension("Deutsch", ".html"), "Deutsch.html");
    EXPECT_EQ(ReplaceExtension(".wav", ""), "");
}

TEST(PathHelpers, CompareNoCaseFoldsAsciiLettersOnly) {
    EXPECT_EQ(CompareNoCase("Abc", "aBC"), 0);
    EXPECT_LT(CompareNoCase("A", "b"), 0);
    EXPECT_GT(CompareNoCase("c", "B"), 0);
    EXPECT_LT(CompareNoCase("ab", "abc"), 0);
    EXPECT_TRUE(EqualNoCase("STANDARD.JPG", "Standard.jpg"));
    EXPECT_FALSE(EqualNoCase("Standard.jpg", "Standard.jpeg"));
}

TEST(PathHelpers, PatternsMatchWithoutRegardToCase) {
    EXPECT_TRUE(MatchesPattern("*.WAV", "c.wav"));
    EXPECT_TRUE(MatchesPattern("*.wav", "Select.WAV"));
    EXPECT_TRUE(MatchesPattern("*.TVL", "my.old.tvl"));
    EXPECT_FALSE(MatchesPattern("*.WAV", "wav"));
    EXPECT_FALSE(MatchesPattern("*.WAV", "c.wave"));
    EXPECT_FALSE(MatchesPattern("*.WAV", "c.wav.bak"));
    EXPECT_TRUE(MatchesPattern("?.mid", "a.MID"));
    EXPECT_FALSE(MatchesPattern("?.mid", "ab.mid"));
    EXPECT_TRUE(MatchesPattern("*a*b*c", "xxaxxbxxbxxc"));
}

TEST(ResolveInFolder, FindsANameSpeltInAnotherCase) {
    TempFolder game;
    game.Write("LAYOUTS/Default.tvl", "x");
    const std::string folder = game / "LAYOUTS/";
    EXPECT_EQ(ResolveInFolder(folder, "DEFAULT.TVL"), folder + "Default.tvl");
    EXPECT_EQ(ResolveInFolder(folder, "Default.tvl"), folder + "Default.tvl");
    EXPECT_EQ(ResolveInFolder(folder, "Other.tvl"), "");
    EXPECT_EQ(ResolveInFolder(folder, ""), "");
    EXPECT_EQ(ResolveInFolder(game / "MISSING/", "Default.tvl"), "");
}

TEST(ResolveInFolder, PrefersTheExactNameThenAFileThenTheSmallestName) {
    TempFolder game;
    game.Write("f/abc.wav", "exact");
    game.Write("f/ABC.WAV", "other");
    EXPECT_EQ(ResolveInFolder(game / "f", "abc.wav"), game / "f/abc.wav");
    EXPECT_EQ(ResolveInFolder(game / "f", "ABC.WAV"), game / "f/ABC.WAV");
    // Neither spelling given: the smallest of the two is taken every time.
    EXPECT_EQ(ResolveInFolder(game / "f", "Abc.wav"), game / "f/ABC.WAV");

    game.MakeFolder("g/TUNE.MID");
    game.Write("g/tune.mid", "file");
    EXPECT_EQ(ResolveInFolder(game / "g", "Tune.mid"), game / "g/tune.mid");
}

TEST(ResolveInFolder, ResolvesEachFolderOfANameWithSlashes) {
    TempFolder game;
    game.Write("Sub/Deeper/File.TXT", "x");
    EXPECT_EQ(ResolveInFolder(game.Path(), "SUB/deeper/file.txt"), game / "Sub/Deeper/File.TXT");
}

TEST(ResolveInFolder, PathForWritingReusesAnExistingFileInAnotherCase) {
    TempFolder game;
    game.Write("tavx2d.ini", "old");
    EXPECT_EQ(PathForWriting(game.Path(), "TAVX2D.INI"), game / "tavx2d.ini");
    EXPECT_EQ(PathForWriting(game.Path(), "TAVX3D.INI"), game / "TAVX3D.INI");
}

TEST(FileExistsInFolder, CountsOnlyReadableRegularFiles) {
    TempFolder game;
    game.Write("SOUNDS/Select.wav", "RIFF");
    game.MakeFolder("SOUNDS/Folder.wav");
    const std::string sounds = game / "SOUNDS";
    EXPECT_TRUE(FileExistsInFolder(sounds, "select.WAV"));
    EXPECT_FALSE(FileExistsInFolder(sounds, "Folder.wav"));
    EXPECT_FALSE(FileExistsInFolder(sounds, "Missing.wav"));
    EXPECT_FALSE(FileExistsInFolder(sounds, ""));
    EXPECT_TRUE(FileExistsInFolder("", sounds + "/Select.wav"));
}

TEST(ResourceFolders, EveryFolderEndsWithASlashAndKeepsItsSpellingOnDisk) {
    TempFolder game;
    game.MakeFolder("Layouts");
    game.MakeFolder("SOUNDS");
    const ResourceFolders folders = MakeResourceFolders(game.Path());
    EXPECT_EQ(folders.start, game.Path());
    EXPECT_EQ(folders.layouts, game / "Layouts/");
    EXPECT_EQ(folders.sounds, game / "SOUNDS/");
    EXPECT_EQ(folders.tileSets, game / "TILESETS/");
    EXPECT_EQ(folders.language, game / "LANGUAGE/");
    EXPECT_EQ(folders.scores, game / "SCORES/");
    EXPECT_EQ(folders.savedGames, game / "SAVEGAME/");
    EXPECT_EQ(folders.backgrounds, game / "BACKGRND/");
    EXPECT_EQ(MakeResourceFolders("/").tileSets, "/TILESETS/");
}

TEST(FindFallbackFile, ThePreferredNameWinsWhenItExists) {
    TempFolder game;
    game.Write("TILESETS/Marble.BMP", "x");
    game.Write("TILESETS/Standard.jpg", "x");
    EXPECT_EQ(FindFallbackFile(kPicturePattern, game / "TILESETS", "Standard.jpg"), "Standard.jpg");
}

TEST(FindFallbackFile, OtherwiseTheFirstFileOfTheLastPatternThatMatched) {
    TempFolder game;
    game.Write("TILESETS/A.bmp", "x");
    game.Write("TILESETS/C.jpg", "x");
    game.Write("TILESETS/B.jpg", "x");
    EXPECT_EQ(FindFallbackFile(kPicturePattern, game / "TILESETS", "Standard.jpg"), "B.jpg");
}

TEST(FindFallbackFile, ThePreferredNameIsFoundInAnyCaseAndKeepsItsOwnSpelling) {
    TempFolder game;
    game.Write("SOUNDS/SELECT.WAV", "x");
    game.Write("SOUNDS/Remove.wav", "x");
    EXPECT_EQ(FindFallbackFile(kSoundPattern, game / "SOUNDS", "Select.wav"), "Select.wav");
}

TEST(FindFallbackFile, AnEmptyOrMissingFolderGivesNoName) {
    TempFolder game;
    game.MakeFolder("SOUNDS/Sub.mid");
    game.Write("SOUNDS/readme", "x");
    EXPECT_EQ(FindFallbackFile(kMusicPattern, game / "SOUNDS", "Tune478.mid"), "");
    EXPECT_EQ(FindFallbackFile(kMusicPattern, game / "NOWHERE", "Tune478.mid"), "");
}

TEST(BuildFileList, SortsByDisplayNameWithoutRegardToCase) {
    TempFolder game;
    game.Write("SOUNDS/b.wav", "x");
    game.Write("SOUNDS/A.wav", "x");
    game.Write("SOUNDS/c.WAV", "x");
    game.Write("SOUNDS/Tune.mid", "x");
    game.Write("SOUNDS/nodot", "x");
    game.Write("SOUNDS/quote\".wav", "x");
    game.Write("SOUNDS/line\nbreak.wav", "x");
    game.MakeFolder("SOUNDS/dir.wav");
    FileList list;
    EXPECT_EQ(BuildFileList(kSoundPattern, game / "SOUNDS", list), 3);
    EXPECT_EQ(FileNames(list), (std::vector<std::string>{"A.wav", "b.wav", "c.WAV"}));
    EXPECT_EQ(list[2].displayName, "c");
}

TEST(BuildFileList, MergesAllPatternsIntoOneListAndEmptiesItFirst) {
    TempFolder game;
    game.Write("P/a.bmp", "x");
    game.Write("P/c.bmp", "x");
    game.Write("P/b.jpg", "x");
    game.Write("P/a.jpg", "x");
    game.Write("P/z.tga", "x");
    game.Write("P/c.jpg", "x");
    FileList list = NumberedList(3);
    EXPECT_EQ(BuildFileList(kPicturePattern, game / "P", list), 6);
    // An entry equal to the first one never goes in front of it; one equal to a later entry
    // goes in front of that entry.
    EXPECT_EQ(FileNames(list),
              (std::vector<std::string>{"a.bmp", "a.jpg", "b.jpg", "c.jpg", "c.bmp", "z.tga"}));
    EXPECT_EQ(BuildFileList(kPicturePattern, game / "none", list), 0);
    EXPECT_TRUE(list.empty());
}

TEST(PlanFileMenu, TwentyFiveFilesWithTenPerMenu) {
    const FileMenuPlan plan = PlanFileMenu(NumberedList(25), "", 22000, 22998, 10);
    ASSERT_EQ(plan.moreMenus.size(), 2u);
    EXPECT_EQ(Commands(plan.moreMenus[0]), (std::vector<int>{22000, 22001, 22002, 22003, 22004,
                                                             22005, 22006, 22007, 22008, 22009}));
    EXPECT_EQ(Commands(plan.moreMenus[1]), (std::vector<int>{22010, 22011, 22012, 22013, 22014}));
    ASSERT_EQ(plan.items.size(), 10u);
    EXPECT_EQ(plan.items.front().command, 22015);
    EXPECT_EQ(plan.items.front().displayName, "f15");
    EXPECT_EQ(plan.items.back().index, 24);
}

TEST(PlanFileMenu, FifteenFilesMakeOneSubMenuAndTenMakeNone) {
    FileMenuPlan plan = PlanFileMenu(NumberedList(15), "", 1, 1000, 10);
    ASSERT_EQ(plan.moreMenus.size(), 1u);
    EXPECT_EQ(plan.moreMenus[0].size(), 5u);
    EXPECT_EQ(plan.items.size(), 10u);
    EXPECT_EQ(plan.items.front().index, 5);

    plan = PlanFileMenu(NumberedList(10), "", 1, 1000, 10);
    EXPECT_TRUE(plan.moreMenus.empty());
    EXPECT_EQ(plan.items.size(), 10u);

    plan = PlanFileMenu(NumberedList(45), "", 1, 1000, 10);
    ASSERT_EQ(plan.moreMenus.size(), 4u);
    EXPECT_EQ(plan.moreMenus[3].size(), 5u);
    EXPECT_EQ(plan.items.size(), 10u);
}

TEST(PlanFileMenu, ASizeBelowOneStillEnds) {
    const FileMenuPlan plan = PlanFileMenu(NumberedList(4), "", 1, 1000, -7);
    EXPECT_EQ(plan.moreMenus.size(), 3u);
    EXPECT_EQ(plan.items.size(), 1u);
}

TEST(PlanFileMenu, ChecksTheCurrentFileWithoutRegardToCase) {
    const FileMenuPlan plan = PlanFileMenu(NumberedList(3), "F1.TVL", 1, 1000, 10);
    ASSERT_EQ(plan.items.size(), 3u);
    EXPECT_FALSE(plan.items[0].checked);
    EXPECT_TRUE(plan.items[1].checked);
    EXPECT_FALSE(plan.items[2].checked);
}

TEST(PlanFileMenu, EntriesBeyondTheLastIdentifierAreLeftOut) {
    const FileMenuPlan plan = PlanFileMenu(NumberedList(30), "", 100, 111, 5);
    int placed = static_cast<int>(plan.items.size());
    int highest = 0;
    for (const auto& more : plan.moreMenus) {
        placed += static_cast<int>(more.size());
        for (const FileMenuItem& item : more) {
            highest = std::max(highest, item.command);
        }
    }
    for (const FileMenuItem& item : plan.items) {
        highest = std::max(highest, item.command);
    }
    EXPECT_EQ(placed, 12);
    EXPECT_EQ(highest, 111);
}
