// The configuration file: defaults, grammar edge cases, the fallback checks, the refusals, the
// exact written bytes of each edition and the round trip.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "tests/settings/test_support.h"

namespace {

constexpr ScreenMetrics kScreen{1920, 1080, 4, 4, 20};

// A game folder with one file of every kind the checks look for.
struct GameFolder {
    TempFolder game;
    ResourceFolders folders;
    SettingsLoad loaded;  // what the last Load ended with
    LanguageTexts texts;
    Settings settings;
    ViewSettingsHooks flatHooks;
    View3DSettingsHooks hooks3D;

    GameFolder() {
        game.Write("LANGUAGE/English.txt",
                   "MesNoLayout = \"no layout\"\nMesNoTileSet = \"no tile set\"\n"
                   "MesWriteError = \"cannot write\"\n");
        game.Write("LANGUAGE/Deutsch.txt", "MesWriteError = \"nicht schreibbar\"\n");
        game.Write("LAYOUTS/Default.tvl", "x");
        game.Write("LAYOUTS/Turtle.tvl", "x");
        game.Write("TILESETS/Standard.jpg", "x");
        game.Write("TILESETS/Marble.BMP", "x");
        game.Write("BACKGRND/Mountain.jpg", "x");
        game.Write("BACKGRND/Sea.tga", "x");
        game.Write("SOUNDS/Select.wav", "x");
        game.Write("SOUNDS/Remove.wav", "x");
        game.Write("SOUNDS/Beside.wav", "x");
        game.Write("SOUNDS/Click.wav", "x");
        game.Write("SOUNDS/Tune478.mid", "x");
        game.Write("SOUNDS/Waltz.mid", "x");
        folders = MakeResourceFolders(game.Path());
    }

    bool Load(Edition edition, std::string_view config) {
        game.Write(ConfigFileName(edition), config);
        return LoadAsIs(edition);
    }
    bool LoadAsIs(Edition edition) {
        ViewSettingsHooks& hooks = edition == Edition::TwoD ? flatHooks : hooks3D;
        loaded = LoadSettings(settings, texts, folders, edition, kScreen, hooks);
        return loaded.Usable();
    }
};

std::string Header(Edition edition) {
    return "; " + WindowTitle(edition) + " INI File, do not edit\r\n";
}

// The exact bytes an edition writes, kept in fixtures/ byte for byte (CR LF line ends, no end of
// line after the last value).
std::string Fixture(std::string_view name) {
    return ReadFileBytes(std::string(SETTINGS_FIXTURE_DIR "/") + std::string(name));
}

}  // namespace

TEST(ConfigNames, TitlesAndFileNamesOfTheEditions) {
    EXPECT_EQ(WindowTitle(Edition::D3D), "Varnel's mah-jong v2.4.2 DX8.1");
    EXPECT_EQ(WindowTitle(Edition::GL), "Varnel's mah-jong v2.4.2 GL");
    EXPECT_EQ(WindowTitle(Edition::TwoD), "Varnel's mah-jong v2.4.2 2D");
    EXPECT_EQ(ConfigFileName(Edition::D3D), "TAVX3D.INI");
    EXPECT_EQ(ConfigFileName(Edition::GL), "TAVX3D.INI");
    EXPECT_EQ(ConfigFileName(Edition::TwoD), "TAVX2D.INI");
    EXPECT_EQ(ColourRef({0x12, 0x34, 0x56, 255}), 0x00563412u);
}

TEST(ConfigDefaults, MaxMenuItemsComesFromTheDefaultWindowHeight) {
    EXPECT_EQ(ComputeMaxMenuItems({1920, 1080, 4, 4, 20}), (1080 - 8) / 20 - 4);
    EXPECT_EQ(ComputeMaxMenuItems({1920, 1080, 4, 4, 0}), 10);
    EXPECT_EQ(ComputeMaxMenuItems({1920, 1080, 4, 4, -3}), 10);
    EXPECT_EQ(ComputeMaxMenuItems({1920, 100, 4, 4, 40}), -2);
}

TEST(ConfigDefaults, FirstRunTakesEveryDefaultAndKeepsTheChosenLanguage) {
    GameFolder g;
    g.settings.language = "Deutsch.txt";
    g.settings.easyMode = false;
    g.settings.layout = "Turtle.tvl";
    ASSERT_TRUE(g.LoadAsIs(Edition::TwoD));
    const Settings& s = g.settings;
    EXPECT_EQ(s.language, "Deutsch.txt");
    EXPECT_EQ(g.texts.Text(TextId::MesWriteError), "nicht schreibbar");
    EXPECT_TRUE(s.easyMode);
    EXPECT_EQ(s.layout, "Default.tvl");
    EXPECT_EQ(s.tileSet, "Standard.jpg");
    EXPECT_EQ(s.background, "Mountain.jpg");
    EXPECT_EQ(s.sound1, "Select.wav");
    EXPECT_EQ(s.sound2, "Remove.wav");
    EXPECT_EQ(s.sound3, "Beside.wav");
    EXPECT_EQ(s.music, "Tune478.mid");
    EXPECT_EQ(s.backgroundColor, (Colour{0, 160, 0, 255}));
    EXPECT_EQ(s.sidesColor, (Colour{184, 120, 24, 255}));
    EXPECT_EQ(s.autoPlaySleep, 500);
    EXPECT_EQ(s.removeTileTime, 500);
    EXPECT_EQ(s.windowXPos, 0);
    EXPECT_EQ(s.windowYPos, 0);
    EXPECT_EQ(s.windowXSize, 1920 - 8);
    EXPECT_EQ(s.windowYSize, 1080 - 8);
    EXPECT_EQ(s.borderSize, 5);
    EXPECT_EQ(s.shadowSize, 15);
    EXPECT_EQ(s.maxMenuItems, 49);
    EXPECT_TRUE(g.loaded.Usable());
}

TEST(ConfigGrammar, AFileOfCommentsGivesDefaultsAndCheckedNamesOnly) {
    GameFolder g;
    g.settings.language = "Deutsch.txt";
    g.settings.textureSize = 256;
    ASSERT_TRUE(g.Load(Edition::GL, "; only a comment\r\n;EasyMode = 0\r\n\r\n"));
    const Settings& s = g.settings;
    EXPECT_EQ(s.language, "English.txt");
    EXPECT_EQ(s.layout, "Default.tvl");
    EXPECT_EQ(s.tileSet, "Standard.jpg");
    EXPECT_EQ(s.background, "");
    EXPECT_EQ(s.sound1, "");
    EXPECT_EQ(s.sound2, "");
    EXPECT_EQ(s.sound3, "");
    EXPECT_EQ(s.music, "");
    EXPECT_TRUE(s.easyMode);
    EXPECT_EQ(s.textureSize, 64);
    EXPECT_EQ(s.stepRotation, 5.0f);
    EXPECT_EQ(s.rgbLevelColor[1], (Colour{224, 224, 224, 255}));
    EXPECT_EQ(g.texts.Text(TextId::MesWriteError), "cannot write");
}

TEST(ConfigGrammar, IntegersFlagsAndTheirRefusals) {
    GameFolder g;
    ASSERT_TRUE(g.Load(Edition::TwoD,
                       "EasyMode = 0\n"
                       "EasyMode = x\n"
                       "ShowChrono = 7\n"
                       "Shadows=0\n"
                       "shadows = 0\n"
                       "CoolMenu =1\n"
                       "NewCursors\n"
                       "AutoPlaySleep = 300ms\n"
                       "RemoveTileTime : +42\n"
                       "MessageBoxWhenLose = 99999999999\n"
                       ".lay = 1\n"));
    const Settings& s = g.settings;
    EXPECT_FALSE(s.easyMode);  // the x line leaves the 0 of the line before
    EXPECT_TRUE(s.showChrono);
    EXPECT_TRUE(s.shadows);
    EXPECT_FALSE(s.coolMenu);
    EXPECT_FALSE(s.newCursors);
    EXPECT_EQ(s.autoPlaySleep, 300);
    EXPECT_EQ(s.removeTileTime, 42);
    EXPECT_TRUE(s.messageBoxWhenLose);
    EXPECT_TRUE(s.lay);

    GameFolder h;
    ASSERT_TRUE(h.Load(Edition::TwoD, "EasyMode = 0\nEasyMode = 7\n"));
    EXPECT_TRUE(h.settings.easyMode);
}

// The two delays take 0 to 60000 ms; anything else leaves the delay as it was, so a later line
// out of range keeps an earlier one.
TEST(ConfigGrammar, DelaysOutsideNoneToAMinuteAreRefused) {
    struct Case {
        const char* value;
        int expected;
    };
    const Case cases[] = {
        {"0", 0},      {"100", 100},        {"60000", 60000},     {"59999", 59999},
        {"+7", 7},     {"250ms", 250},      {"60001", 500},       {"-1", 500},
        {"-100", 500}, {"2147483647", 500}, {"-2147483648", 500}, {"99999999999", 500},
        {"x", 500},
    };
    for (const char* key : {"AutoPlaySleep", "RemoveTileTime"}) {
        for (const Case& c : cases) {
            GameFolder g;
            ASSERT_TRUE(g.Load(Edition::TwoD, std::string(key) + " = " + c.value + "\n"));
            const int delay = std::string_view(key) == "AutoPlaySleep" ? g.settings.autoPlaySleep
                                                                       : g.settings.removeTileTime;
            EXPECT_EQ(delay, c.expected) << key << " = " << c.value;
        }
    }
    GameFolder g;
    ASSERT_TRUE(g.Load(Edition::GL,
                       "AutoPlaySleep = 300\nAutoPlaySleep = 70000\n"
                       "RemoveTileTime = 0\nRemoveTileTime = -5\n"));
    EXPECT_EQ(g.settings.autoPlaySleep, 300);
    EXPECT_EQ(g.settings.removeTileTime, 0);
}

// The "+" and "-" of the configuration dialogs: steps of 100 that stop at 0 and at a minute,
// whatever the delay was.
TEST(ConfigDialogSteps, DelaysStepByAHundredWithinNoneToAMinute) {
    struct Case {
        int delay;
        int direction;
        int expected;
    };
    const Case cases[] = {
        {500, 1, 600},       {500, -1, 400},       {500, 0, 500},     {0, 1, 100},
        {0, -1, 0},          {50, -1, 50},         {100, -1, 0},      {150, -1, 50},
        {59900, 1, 60000},   {59950, 1, 60000},    {60000, 1, 60000}, {60000, -1, 59900},
        {INT_MAX, 1, 60000}, {INT_MAX, -1, 59900}, {INT_MIN, 1, 100}, {INT_MIN, -1, 0},
        {-5, 1, 100},        {70000, 0, 60000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StepDelay(c.delay, c.direction), c.expected) << c.delay << " and " << c.direction;
    }
    int delay = 0;
    for (int press = 0; press < 1000; ++press) {
        delay = StepDelay(delay, 1);
    }
    EXPECT_EQ(delay, kLongestDelay);
    for (int press = 0; press < 1000; ++press) {
        delay = StepDelay(delay, -1);
    }
    EXPECT_EQ(delay, kShortestDelay);
}

TEST(ConfigGrammar, ColoursKeepTheLowEightBitsOfEachNumber) {
    GameFolder g;
    ASSERT_TRUE(g.Load(Edition::TwoD,
                       "BackgroundColor = 300 -1 20\n"
                       "SidesColor = 1 2\n"
                       "SidesColor = 7 abc 9x\n"));
    EXPECT_EQ(g.settings.backgroundColor, (Colour{44, 255, 20, 255}));
    EXPECT_EQ(g.settings.sidesColor, (Colour{7, 0, 9, 255}));
}

TEST(ConfigGrammar, NamesTakeTheTextBetweenTheFirstTwoQuotes) {
    GameFolder g;
    g.game.Write("LAYOUTS/My Turtle.tvl", "x");
    ASSERT_TRUE(g.Load(Edition::TwoD,
                       "Layout = \"My Turtle.tvl\" and more\n"
                       "TileSet = Marble.BMP\n"
                       "Language = \"Deutsch.txt\n"
                       "Sound1 = none\n"
                       "Sound2 = \"none\"\n"
                       "Sound3 = \"Click.wav\"\n"
                       "Music = nothing\n"
                       "Background = \"Sea.tga\"\n"
                       "Background =\n"));
    const Settings& s = g.settings;
    EXPECT_EQ(s.layout, "My Turtle.tvl");
    EXPECT_EQ(s.tileSet, "Standard.jpg");  // no quotes: ignored, then the fallback
    EXPECT_EQ(s.language, "English.txt");
    EXPECT_EQ(s.sound1, "");
    EXPECT_EQ(s.sound2, "Remove.wav");  // a file called none does not exist
    EXPECT_EQ(s.sound3, "Click.wav");
    EXPECT_EQ(s.music, "");
    EXPECT_EQ(s.background, "Sea.tga");
}

TEST(ConfigGrammar, BackgroundNoneIsWrittenBackAsNone) {
    GameFolder g;
    ASSERT_TRUE(g.Load(Edition::TwoD, "Background = none\nMusic = \"Waltz.mid\"\n"));
    EXPECT_EQ(g.settings.background, "");
    ViewSettingsHooks hooks;
    const std::string bytes = FormatSettings(g.settings, Edition::TwoD, kScreen, hooks);
    EXPECT_NE(bytes.find("\r\nBackground         = none\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nMusic              = \"Waltz.mid\"\r\n"), std::string::npos);

    GameFolder quoted;
    ASSERT_TRUE(quoted.Load(Edition::TwoD, "Background = \"none\"\n"));
    EXPECT_EQ(quoted.settings.background, "Mountain.jpg");
}

TEST(ConfigFile, NamesTheFileCannotHoldAreWrittenAsNoName) {
    Settings s;
    s.layout = "Turtle\"\r\nEasyMode = 0.tvl";
    s.music = "Waltz\n.mid";
    ViewSettingsHooks hooks;
    const std::string bytes = FormatSettings(s, Edition::TwoD, kScreen, hooks);
    EXPECT_NE(bytes.find("\r\nLayout             = \"\"\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nMusic              = none\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("EasyMode = 0"), std::string::npos);
}

TEST(ConfigGrammar, NamesThatReachIntoOtherFoldersAreRefused) {
    GameFolder g;
    g.game.Write("LAYOUTS/sub/Other.tvl", "x");
    ASSERT_TRUE(g.Load(Edition::TwoD,
                       "Layout = \"Turtle.tvl\"\nLayout = \"sub/Other.tvl\"\n"
                       "Music = \"../SOUNDS/Waltz.mid\"\n"));
    EXPECT_EQ(g.settings.layout, "Turtle.tvl");
    EXPECT_EQ(g.settings.music, "");
}

TEST(ConfigChecks, MissingFilesAreReplacedAndOtherCasesAreFound) {
    GameFolder g;
    ASSERT_TRUE(g.Load(Edition::TwoD,
                       "Layout = \"TURTLE.TVL\"\n"
                       "TileSet = \"Gone.jpg\"\n"
                       "Background = \"sea.TGA\"\n"
                       "Sound1 = \"click.wav\"\n"
                       "Sound2 = \"Gone.wav\"\n"
                       "Music = \"Gone.mid\"\n"
                       "Language = \"DEUTSCH.TXT\"\n"));
    const Settings& s = g.settings;
    EXPECT_EQ(s.layout, "TURTLE.TVL");
    EXPECT_EQ(s.tileSet, "Standard.jpg");
    EXPECT_EQ(s.background, "sea.TGA");
    EXPECT_EQ(s.sound1, "click.wav");
    EXPECT_EQ(s.sound2, "Remove.wav");
    EXPECT_EQ(s.music, "Tune478.mid");
    EXPECT_EQ(s.language, "DEUTSCH.TXT");
    EXPECT_EQ(g.texts.Text(TextId::MesWriteError), "nicht schreibbar");
}

TEST(ConfigChecks, TheRandomLayoutIsKeptWithoutAFile) {
    GameFolder g;
    ASSERT_TRUE(g.Load(Edition::TwoD, "Layout = \"RANDOM.TVL\"\n"));
    EXPECT_EQ(g.settings.layout, "RANDOM.TVL");
}

// Only the exact spelling is the random layout (the board compares it with case); any other
// spelling names a file and is checked like one.
TEST(ConfigChecks, TheRandomLayoutNameInAnotherCaseIsAFileName) {
    GameFolder g;
    ASSERT_TRUE(g.Load(Edition::TwoD, "Layout = \"random.tvl\"\n"));
    EXPECT_EQ(g.settings.layout, "Default.tvl");

    GameFolder withFile;
    withFile.game.Write("LAYOUTS/Random.TVL", "x");
    ASSERT_TRUE(withFile.Load(Edition::TwoD, "Layout = \"Random.tvl\"\n"));
    EXPECT_EQ(withFile.settings.layout, "Random.tvl");
}

TEST(ConfigChecks, AFallbackPicksAnotherFileWhenTheDefaultIsGoneToo) {
    GameFolder g;
    std::filesystem::remove(g.game / "TILESETS/Standard.jpg");
    std::filesystem::remove(g.game / "SOUNDS/Select.wav");
    ASSERT_TRUE(g.Load(Edition::TwoD, "TileSet = \"Gone.jpg\"\nSound1 = \"Gone.wav\"\n"));
    EXPECT_EQ(g.settings.tileSet, "Marble.BMP");
    EXPECT_EQ(g.settings.sound1, "Beside.wav");
}

TEST(ConfigRefusals, NoLanguageFileStopsTheGame) {
    GameFolder g;
    std::filesystem::remove_all(g.game / "LANGUAGE");
    EXPECT_FALSE(g.Load(Edition::GL, "Language = \"English.txt\"\n"));
    EXPECT_EQ(g.loaded.refusal,
              "No language file found ! The game will stop. Please reinstall Varnel's mah-jong");
}

TEST(ConfigRefusals, NoLayoutThenNoTileSetStopTheGameWithTheirTexts) {
    GameFolder g;
    std::filesystem::remove_all(g.game / "LAYOUTS");
    std::filesystem::remove_all(g.game / "TILESETS");
    EXPECT_FALSE(g.Load(Edition::TwoD, "Layout = \"Default.tvl\"\n"));
    EXPECT_EQ(g.loaded.refusal, "no layout");

    EXPECT_FALSE(g.Load(Edition::TwoD, "Layout = \"RANDOM.TVL\"\n"));
    EXPECT_EQ(g.loaded.refusal, "no tile set");
}

TEST(ConfigGrammar, EditionKeysBelongToTheirEdition) {
    const std::string config =
        "BorderSize = 8\nShadowSize = 20\nMoveBoard = 0\nTextureSize = 128\n"
        "RGBLevel[3]Color = 1 2 3\nZPosition = 12.5abc\nMaxZoom = nan\nMinZoom = -4\n"
        "lightPosX = inf\nStepRotation = 1e3\n";
    GameFolder flat;
    ASSERT_TRUE(flat.Load(Edition::TwoD, config));
    EXPECT_EQ(flat.settings.borderSize, 8);
    EXPECT_EQ(flat.settings.shadowSize, 20);
    EXPECT_TRUE(flat.settings.moveBoard);
    EXPECT_EQ(flat.settings.textureSize, 64);
    EXPECT_EQ(flat.settings.zPosition, 225.0f);

    GameFolder solid;
    ASSERT_TRUE(solid.Load(Edition::D3D, config));
    EXPECT_EQ(solid.settings.borderSize, 5);
    EXPECT_EQ(solid.settings.shadowSize, 15);
    EXPECT_FALSE(solid.settings.moveBoard);
    EXPECT_EQ(solid.settings.textureSize, 128);
    EXPECT_EQ(solid.settings.rgbLevelColor[3], (Colour{1, 2, 3, 255}));
    EXPECT_EQ(solid.settings.zPosition, 12.5f);
    EXPECT_EQ(solid.settings.maxZoom, 500.0f);
    EXPECT_EQ(solid.settings.minZoom, -4.0f);
    EXPECT_EQ(solid.settings.lightPosX, 0.0f);
    EXPECT_EQ(solid.settings.stepRotation, 1000.0f);
}

TEST(ConfigGrammar, SizesOutsideWhatTheDialogsOfferAreRefused) {
    GameFolder g;
    ASSERT_TRUE(g.Load(Edition::TwoD, "BorderSize = 70000\nShadowSize = 1\n"));
    EXPECT_EQ(g.settings.borderSize, 5);
    EXPECT_EQ(g.settings.shadowSize, 15);
    GameFolder h;
    ASSERT_TRUE(h.Load(Edition::TwoD, "BorderSize = 65546\nShadowSize = 25\n"));
    EXPECT_EQ(h.settings.borderSize, 10);  // kept as a 16-bit value
    EXPECT_EQ(h.settings.shadowSize, 25);
    GameFolder t;
    ASSERT_TRUE(t.Load(Edition::GL, "TextureSize = 100000\n"));
    EXPECT_EQ(t.settings.textureSize, 64);
}

TEST(ConfigGrammar, AWindowOffTheScreenOpensAtTheDefaultPlace) {
    GameFolder g;
    ASSERT_TRUE(
        g.Load(Edition::TwoD,
               "WindowXPos = -20\nWindowYPos = 10\nWindowXSize = 800\nWindowYSize = 600\n"));
    EXPECT_EQ(g.settings.windowXPos, 0);
    EXPECT_EQ(g.settings.windowXSize, 1920 - 8);
    GameFolder h;
    ASSERT_TRUE(h.Load(Edition::TwoD,
                       "WindowXPos = 20\nWindowYPos = 10\nWindowXSize = 800\nWindowYSize = 600\n"));
    EXPECT_EQ(h.settings.windowXPos, 20);
    EXPECT_EQ(h.settings.windowYSize, 600);
}

TEST(ConfigGrammar, LongLinesJunkAndHugeFilesAreReadSafely) {
    GameFolder g;
    std::string config = "Layout = \"" + std::string(300, 'L') + ".tvl\"\n";
    // The tail of a long line is read as a line of its own.
    config += std::string(254, ' ') + "EasyMode = 0\n";
    config.append("ShowChrono\0 = 0\n", 16);
    std::string junk;
    unsigned state = 99;
    while (junk.size() < 10u * 1024 * 1024) {
        state = state * 1103515245u + 12345u;
        junk.push_back(static_cast<char>(state >> 24));
    }
    config += junk;
    config += "\nShadows = 0\n";
    ASSERT_TRUE(g.Load(Edition::TwoD, config));
    EXPECT_EQ(g.settings.layout, "Default.tvl");
    EXPECT_FALSE(g.settings.easyMode);
    EXPECT_TRUE(g.settings.showChrono);
    EXPECT_FALSE(g.settings.shadows);
}

TEST(ConfigFile, AFolderInPlaceOfTheFileIsTheFirstRunAndCannotBeWritten) {
    GameFolder g;
    g.game.MakeFolder("TAVX2D.INI/inside");
    EXPECT_FALSE(ConfigFileExists(g.folders, Edition::TwoD));
    g.settings.language = "English.txt";
    ASSERT_TRUE(g.LoadAsIs(Edition::TwoD));
    EXPECT_EQ(g.settings.music, "Tune478.mid");
    ViewSettingsHooks hooks;
    EXPECT_FALSE(SaveSettings(g.settings, g.folders, Edition::TwoD, kScreen, hooks));
    EXPECT_EQ(ConfigFilePath(g.folders, Edition::TwoD), g.game / "TAVX2D.INI");
    EXPECT_TRUE(std::filesystem::is_directory(g.game / "TAVX2D.INI/inside"));
    // No temporary file is left behind.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(g.game.Path())) {
        entries += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(entries, 0);
}

TEST(ConfigFile, SavingReplacesTheFileOfAnyCaseInPlace) {
    GameFolder g;
    g.game.Write("tavx3d.ini", "EasyMode = 0\n");
    EXPECT_TRUE(ConfigFileExists(g.folders, Edition::D3D));
    ASSERT_TRUE(g.LoadAsIs(Edition::D3D));
    EXPECT_FALSE(g.settings.easyMode);
    g.settings.easyMode = true;
    ASSERT_TRUE(SaveSettings(g.settings, g.folders, Edition::D3D, kScreen, g.hooks3D));
    EXPECT_FALSE(std::filesystem::exists(g.game / "TAVX3D.INI"));
    EXPECT_EQ(g.game.Read("tavx3d.ini"),
              FormatSettings(g.settings, Edition::D3D, kScreen, g.hooks3D));
}

TEST(ConfigFile, TheWrittenBytesOf2D) {
    Settings s;
    s.language = "English.txt";
    s.background.clear();
    s.windowXPos = 10;
    s.windowYPos = 20;
    s.windowXSize = 800;
    s.windowYSize = 600;
    s.lay = true;
    s.borderSize = 7;
    ViewSettingsHooks hooks;
    EXPECT_EQ(FormatSettings(s, Edition::TwoD, kScreen, hooks), Fixture("written_2d.ini"));
}

TEST(ConfigFile, TheWrittenBytesOfTheOpenGLEdition) {
    Settings s;
    s.language = "Deutsch.txt";
    s.backgroundColor = {1, 2, 3, 255};
    s.easyMode = false;
    s.sound2.clear();
    s.music.clear();
    s.windowXPos = -5;  // partly off the screen: no window lines
    s.windowXSize = 800;
    s.windowYSize = 600;
    s.coolMenu = true;
    s.textureSize = 256;
    s.rgbLevelColor[2] = {10, 20, 30, 255};
    s.xPosition = -1.5f;
    s.lightPosY = 0.25f;
    s.maxZoom = 123.456f;
    View3DSettingsHooks hooks;
    EXPECT_EQ(FormatSettings(s, Edition::GL, kScreen, hooks), Fixture("written_gl.ini"));
}

TEST(ConfigFile, TheWrittenBytesOfTheDirect3DEditionOnDisk) {
    GameFolder g;
    Settings& s = g.settings;
    s.language = "English.txt";
    s.windowXPos = 1920;  // the bounds are inclusive
    s.windowYPos = 1080;
    s.windowXSize = 1920;
    s.windowYSize = 1080;
    s.moveBoard = false;
    s.bumpMapping = false;
    s.stepRotation = 12.0f;
    ASSERT_TRUE(SaveSettings(s, g.folders, Edition::D3D, kScreen, g.hooks3D));
    const std::string expected = Fixture("written_d3d.ini");
    EXPECT_EQ(g.game.Read("TAVX3D.INI"), expected);
    EXPECT_EQ(Header(Edition::D3D), expected.substr(0, Header(Edition::D3D).size()));
    EXPECT_TRUE(g.loaded.Usable());
}

TEST(ConfigFile, WrittenSettingsReadBackTheSame) {
    for (Edition edition : {Edition::TwoD, Edition::GL}) {
        GameFolder g;
        Settings& s = g.settings;
        s.language = "Deutsch.txt";
        s.backgroundColor = {255, 0, 7, 255};
        s.sidesColor = {9, 8, 7, 255};
        s.easyMode = false;
        s.autoPlaySleep = 1200;
        s.removeTileTime = 0;
        s.showChrono = false;
        s.shadows = false;
        s.layout = "Turtle.tvl";
        s.tileSet = "Marble.BMP";
        s.background.clear();
        s.soundEffects = false;
        s.sound1 = "Click.wav";
        s.sound3.clear();
        s.music = "Waltz.mid";
        s.windowXPos = 100;
        s.windowYPos = 50;
        s.windowXSize = 1024;
        s.windowYSize = 700;
        s.newCursors = true;
        s.messageBoxWhenLose = false;
        s.borderSize = 3;
        s.shadowSize = 22;
        s.coolMenu = true;
        s.lay = true;
        s.moveBoard = false;
        s.bumpMapping = false;
        s.textureSize = 128;
        s.rgbLevelColor = {
            {{1, 2, 3, 255}, {4, 5, 6, 255}, {7, 8, 9, 255}, {10, 11, 12, 255}, {13, 14, 15, 255}}};
        s.xPosition = 1.25f;
        s.yPosition = -2.5f;
        s.zPosition = 300.0f;
        s.lightPosX = 3.0f;
        s.lightPosY = 4.0f;
        s.lightPosZ = 5.5f;
        s.minZoom = 10.0f;
        s.maxZoom = 400.0f;
        s.stepRotation = 7.0f;
        ViewSettingsHooks& hooks =
            edition == Edition::TwoD ? static_cast<ViewSettingsHooks&>(g.flatHooks) : g.hooks3D;
        ASSERT_TRUE(SaveSettings(s, g.folders, edition, kScreen, hooks));
        const std::string written = g.game.Read(ConfigFileName(edition));

        const Settings saved = s;
        g.settings = Settings();
        ASSERT_TRUE(g.LoadAsIs(edition));
        EXPECT_EQ(FormatSettings(g.settings, edition, kScreen, hooks), written);
        EXPECT_EQ(g.settings.music, saved.music);
        EXPECT_EQ(g.settings.sound3, "");
        EXPECT_EQ(g.settings.windowYSize, 700);
        EXPECT_TRUE(g.settings.lay);
        if (edition == Edition::GL) {
            EXPECT_EQ(g.settings.rgbLevelColor[4], saved.rgbLevelColor[4]);
            EXPECT_EQ(g.settings.lightPosZ, 5.5f);
        } else {
            EXPECT_EQ(g.settings.shadowSize, 22);
        }
    }
}

// The first-run list in its order, with the entry spelt exactly like the current language
// preselected; another case of the name preselects nothing.
TEST(FirstRunLanguage, OffersTheListWithTheCurrentLanguagePreselected) {
    const FileList languages = {{"Deutsch.txt", "Deutsch"},
                                {"English.txt", "English"},
                                {"Fran\xC3\xA7"
                                 "ais.txt",
                                 "Fran\xC3\xA7"
                                 "ais"}};
    int preselected = -2;
    const std::vector<LanguageChoice> choices =
        FirstRunChoices(languages, "English.txt", preselected);
    EXPECT_EQ(preselected, 1);
    ASSERT_EQ(choices.size(), 3u);
    EXPECT_EQ(choices[0].displayName, "Deutsch");
    EXPECT_EQ(choices[2].fileName,
              "Fran\xC3\xA7"
              "ais.txt");
    FirstRunChoices(languages, "english.txt", preselected);
    EXPECT_EQ(preselected, -1);
}
