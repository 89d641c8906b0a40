// Commands by identifier, function keys, mouse buttons, timer and focus, through the one dispatch.
#include <fstream>

#include "tests/shell/shell_test_support.h"

namespace {

using CommandsTest = ShellTest;

int FirstFreeTile(const Board& board) {
    for (int t = 0; t < kTiles; ++t) {
        if (board.IsFree(t)) {
            return t;
        }
    }
    return NoTile;
}

}  // namespace

TEST_F(CommandsTest, StartShowsTitleStatusAndTheFirstDeal) {
    EXPECT_EQ(window.title, "Varnel's mah-jong v2.4.2 2D - Default.tvl");
    EXPECT_EQ(app->board.tilesLeft, kTiles);
    EXPECT_NE(window.status.find("144 tiles"), std::string::npos);
    EXPECT_NE(window.status.find("Time : 00:00:00"), std::string::npos);
    EXPECT_GE(app->placeTiles, 1);
    EXPECT_GE(app->ticks, 1);
    EXPECT_EQ(app->tileSetLoads, 1);
    EXPECT_EQ(app->backgroundLoads, 1);
    EXPECT_EQ(app->musicPlays, 1);
    // The first run offered the language choice with English preselected.
    ASSERT_EQ(desktop.Count(ScriptedDesktop::Call::Language), 1);
}

TEST_F(CommandsTest, FunctionKeysSendTheirCommands) {
    app->OnFunctionKey(5);
    EXPECT_EQ(app->board.ChronoPaused, 1);
    app->OnFunctionKey(5);
    EXPECT_EQ(app->board.ChronoPaused, 0);
    const int seconds = app->board.chronoSeconds;
    app->OnFunctionKey(6);  // a hint costs a minute and is shown
    EXPECT_EQ(app->board.chronoSeconds, seconds + 60);
    EXPECT_EQ(app->board.GameOverShown, 1);
    app->OnFunctionKey(7);  // nothing to undo
    auto messages = desktop.Calls(ScriptedDesktop::Call::Message);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, app->Text(TextId::MesUndo));
    EXPECT_EQ(messages.back().caption, app->TitleText());
    app->OnFunctionKey(8);
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::HallOfFame), 1);
    app->OnFunctionKey(11);
    EXPECT_FALSE(app->settings.showChrono);
    EXPECT_EQ(window.status.find("Time"), std::string::npos);
    app->OnFunctionKey(1);
    ASSERT_EQ(desktop.Count(ScriptedDesktop::Call::Help), 1);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Help)[0].text,
              folder.File("LANGUAGE/English.html"));
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Help)[0].labels,
              std::vector<std::string>{app->Text(TextId::CLOSE)});
    app->OnFunctionKey(10);  // no command
    app->OnFunctionKey(4);   // open layout: cancelled
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::ChooseFile).back().pattern, "*.TVL");
    app->OnFunctionKey(12);
    EXPECT_TRUE(app->IsShutDown());
    EXPECT_EQ(window.closes, 1);
}

TEST_F(CommandsTest, HintClearedByTheNextCommandButSetByHint) {
    app->ExecuteCommand(command::HINT);
    EXPECT_EQ(app->board.GameOverShown, 1);
    app->ExecuteCommand(12345);  // any identifier clears it
    EXPECT_EQ(app->board.GameOverShown, 0);
}

TEST_F(CommandsTest, LeftClickIsIgnoredWhilePausedAndSelectsOtherwise) {
    const int tile = FirstFreeTile(app->board);
    ASSERT_NE(tile, NoTile);
    app->OnFocus(false);
    EXPECT_EQ(app->board.ChronoPaused, 1);
    app->OnLeftButtonDown(tile, 0);
    EXPECT_TRUE(app->hits.empty());
    EXPECT_EQ(app->board.firstSelected, NoTile);
    app->OnFocus(true);
    EXPECT_EQ(app->board.ChronoPaused, 0);
    app->OnLeftButtonDown(tile, 0);
    EXPECT_EQ(app->board.firstSelected, tile);
    EXPECT_EQ(window.cursor, CursorKind::Normal);
}

TEST_F(CommandsTest, TimerCountsOnlyWhileRunning) {
    app->OnTimer();
    app->OnTimer();
    EXPECT_EQ(app->board.chronoSeconds, 2);
    EXPECT_NE(window.status.find("00:00:02"), std::string::npos);
    app->ExecuteCommand(command::PAUSE_CHRONO);
    app->OnTimer();
    EXPECT_EQ(app->board.chronoSeconds, 2);
    EXPECT_NE(window.status.find(app->Text(TextId::MesChronoPaused)), std::string::npos);
}

TEST_F(CommandsTest, EasyModeCancelKeepsTheGameAndOkDealsAgain) {
    const int ticks = app->ticks;
    desktop.messageAnswers.push_back(MessageAnswer::Cancel);
    app->ExecuteCommand(command::EASYMODE);
    EXPECT_TRUE(app->settings.easyMode);
    EXPECT_EQ(app->ticks, ticks);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message).back().buttons,
              MessageButtons::OkCancel);
    desktop.messageAnswers.push_back(MessageAnswer::Ok);
    app->ExecuteCommand(command::EASYMODE);
    EXPECT_FALSE(app->settings.easyMode);
    EXPECT_GT(app->ticks, ticks);
}

TEST_F(CommandsTest, UndoPutsTheLastPairBack) {
    const int a = app->board.dealOrder[0];
    const int b = app->board.dealOrder[1];
    app->OnLeftButtonDown(a, 0);
    app->OnLeftButtonDown(b, 0);
    ASSERT_EQ(app->board.tilesLeft, kTiles - 2);
    app->ExecuteCommand(command::UNDO);
    EXPECT_EQ(app->board.tilesLeft, kTiles);
    EXPECT_NE(app->board.tiles[static_cast<std::size_t>(a)].face, NoTile);
    EXPECT_EQ(app->board.undoCount, 0);
}

TEST_F(CommandsTest, RandomLayoutAndLayoutListMoveTheCheckMark) {
    app->ExecuteCommand(command::RANDOM_LAYOUT);
    EXPECT_EQ(app->board.layoutFileName, "RANDOM.TVL");
    EXPECT_TRUE(app->MainMenu().IsChecked(command::RANDOM_LAYOUT));
    EXPECT_EQ(window.title, "Varnel's mah-jong v2.4.2 2D - Random.tvl");
    EXPECT_EQ(app->board.tilesLeft, kTiles);
    // A tile set chosen meanwhile keeps the random layout's mark.
    app->ExecuteCommand(command::TileSetList);
    EXPECT_TRUE(app->MainMenu().IsChecked(command::RANDOM_LAYOUT));
    EXPECT_EQ(app->tileSetLoads, 2);
    app->ExecuteCommand(command::LayoutList + 1);
    EXPECT_EQ(app->board.layoutFileName, app->layoutList[1].fileName);
    EXPECT_FALSE(app->MainMenu().IsChecked(command::RANDOM_LAYOUT));
    EXPECT_TRUE(app->MainMenu().IsChecked(command::LayoutList + 1));
    EXPECT_FALSE(app->MainMenu().IsChecked(command::LayoutList));
}

TEST_F(CommandsTest, LoadLayoutTakesTheChosenNameUpperCased) {
    desktop.chosenFiles.push_back(folder.File("LAYOUTS/Pyramid.tvl"));
    app->ExecuteCommand(command::LOAD_LAYOUT);
    EXPECT_EQ(app->board.layoutFileName, "PYRAMID.TVL");
    EXPECT_EQ(window.title, "Varnel's mah-jong v2.4.2 2D - Pyramid.tvl");
    EXPECT_EQ(app->board.tilesLeft, kTiles);
    const int pyramid = LayoutMenuEntry(*app, "Pyramid.tvl");
    ASSERT_NE(pyramid, 0);
    EXPECT_TRUE(app->MainMenu().IsChecked(pyramid));
}

TEST_F(CommandsTest, SoundNoneEmptiesTheSettingAndAListEntryChoosesAgain) {
    app->ExecuteCommand(command::Sound2Base + command::NoneOffset);
    EXPECT_EQ(app->settings.sound2, "");
    EXPECT_TRUE(app->MainMenu().IsChecked(command::Sound2Base + 1));
    app->ExecuteCommand(command::Sound2Base + command::FilesOffset);  // Bell
    EXPECT_EQ(app->settings.sound2, "Bell.wav");
    EXPECT_FALSE(app->MainMenu().IsChecked(command::Sound2Base + 1));
    const int plays = app->musicPlays;
    app->ExecuteCommand(command::MusicBase + command::NoneOffset);
    EXPECT_EQ(app->settings.music, "");
    EXPECT_EQ(app->musicPlays, plays + 1);
}

TEST_F(CommandsTest, BackgroundNoneAndListEntry) {
    app->ExecuteCommand(command::BackgroundBase + command::NoneOffset);
    EXPECT_EQ(app->settings.background, "");
    EXPECT_TRUE(app->MainMenu().IsChecked(command::BackgroundBase + 1));
    app->ExecuteCommand(command::BackgroundBase + command::FilesOffset);
    EXPECT_EQ(app->settings.background, "Mountain.jpg");
    EXPECT_EQ(app->backgroundLoads, 2);
    EXPECT_FALSE(app->MainMenu().IsChecked(command::BackgroundBase + 1));
}

TEST_F(CommandsTest, AddCopiesTheFileIntoItsFolderAndRebuildsTheMenus) {
    const std::string outside = folder.File("new picture.BMP");
    std::ofstream(outside) << "picture";
    desktop.chosenFiles.push_back(outside);
    app->ExecuteCommand(command::BackgroundBase);
    EXPECT_TRUE(fs::exists(folder.File("BACKGRND/new picture.BMP")));
    EXPECT_EQ(app->backgroundList.size(), 2u);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::ChooseFile).back().pattern, "*.BMP;*.TGA;*.JPG");
    // Adding a file of the same name in another case replaces it rather than adding a twin.
    const std::string again = folder.File("NEW PICTURE.bmp");
    std::ofstream(again) << "newer";
    desktop.chosenFiles.push_back(again);
    app->ExecuteCommand(command::BackgroundBase);
    EXPECT_EQ(app->backgroundList.size(), 2u);
    EXPECT_EQ(ReadAll(folder.File("BACKGRND/new picture.BMP")), "newer");
    // A link planted under the name is replaced by the copy, not written through.
    const std::string elsewhere = folder.File("elsewhere.wav");
    std::ofstream(elsewhere) << "keep me";
    fs::create_symlink(elsewhere, folder.File("SOUNDS/Ring.wav"));
    const std::string ring = folder.File("Ring.wav");
    std::ofstream(ring) << "ring";
    desktop.chosenFiles.push_back(ring);
    app->ExecuteCommand(command::Sound1Base);
    EXPECT_EQ(ReadAll(elsewhere), "keep me");
    EXPECT_FALSE(fs::is_symlink(folder.File("SOUNDS/Ring.wav")));
    EXPECT_EQ(ReadAll(folder.File("SOUNDS/Ring.wav")), "ring");
    // Cancel: nothing rebuilt.
    const int shown = window.menuBarsShown;
    app->ExecuteCommand(command::Sound1Base);
    EXPECT_EQ(window.menuBarsShown, shown);
}

TEST_F(CommandsTest, ConfigurationStepsStayWithinTheirLimits) {
    TestApp2D board2d(desktop);
    StartIn(board2d, folder, window);
    TestApp2D* app = &board2d;
    app->settings.borderSize = 10;
    app->settings.autoPlaySleep = 50;
    desktop.configPresses.push_back({{2, +1}, {0, -1}, {1, +1}, {3, -1}});
    const int sizes = app->sizeTileSets;
    app->ExecuteCommand(command::CONFIG);
    EXPECT_EQ(app->settings.borderSize, 10);
    EXPECT_EQ(app->settings.autoPlaySleep, 50);
    EXPECT_EQ(app->settings.removeTileTime, 600);
    EXPECT_EQ(app->settings.shadowSize, 14);
    EXPECT_EQ(app->sizeTileSets, sizes + 1);  // only the shadow change re-cut the tiles
    EXPECT_EQ(desktop.configResults,
              (std::vector<std::string>{"1 / 10", "50 ms", "600 ms", "1 / 14"}));
}

TEST_F(CommandsTest, ColourDialogStoresPickedColoursWithFullAlpha) {
    TestApp2D board2d(desktop);
    StartIn(board2d, folder, window);
    TestApp2D* app = &board2d;
    desktop.pickedColours.push_back(Colour{10, 20, 30, 7});
    desktop.pickedColours.push_back(Colour{200, 100, 50, 0});
    desktop.colourPresses.push_back({0, 1});
    const int sizes = app->sizeTileSets;
    app->ExecuteCommand(command::CHANGE_COLORS);
    EXPECT_EQ(app->settings.backgroundColor, (Colour{10, 20, 30, 255}));
    EXPECT_EQ(app->settings.sidesColor, (Colour{200, 100, 50, 255}));
    EXPECT_EQ(app->sizeTileSets, sizes + 1);
}

TEST_F(CommandsTest, ExitWritesTheSettingsWithTheWindowRectangle) {
    app->ExecuteCommand(command::SHADOWS);
    window.frame = WindowRect{30, 40, 1000, 700};
    app->ExecuteCommand(command::EXIT);
    const std::string ini = ReadAll(folder.File("TAVX2D.INI"));
    EXPECT_EQ(ini.rfind("; Varnel's mah-jong v2.4.2 2D INI File, do not edit", 0), 0u);
    EXPECT_NE(ini.find("Shadows            = 0"), std::string::npos);
    EXPECT_NE(ini.find("WindowXSize        = 1000"), std::string::npos);
    EXPECT_NE(ini.find("Layout             = \"Default.tvl\""), std::string::npos);
    // Nothing runs after shut-down, and a second close writes nothing new.
    fs::remove(folder.File("TAVX2D.INI"));
    app->OnDestroy();
    app->ExecuteCommand(command::NEW_GAME);
    EXPECT_FALSE(fs::exists(folder.File("TAVX2D.INI")));
}

TEST_F(CommandsTest, EditorToggleSwapsMenusAndPausesTheChrono) {
    app->ExecuteCommand(command::EDIT_LAYOUT);
    EXPECT_TRUE(app->editMode);
    EXPECT_TRUE(app->EditorMenuShown());
    EXPECT_EQ(app->board.ChronoPaused, 1);
    ASSERT_EQ(window.shownBar.popups.size(), 1u);
    EXPECT_FALSE(window.shownBar.Find(command::SAVE_LAYOUT)->enabled);
    EXPECT_EQ(app->editor.positionCount, kTiles);
    EXPECT_EQ(window.status, "144 " + app->Text(TextId::Tiles));
    app->ExecuteCommand(command::NEW_LAYOUT);
    EXPECT_EQ(app->editor.positionCount, 0);
    app->ExecuteCommand(command::EXIT_EDIT_LAYOUT);
    EXPECT_FALSE(app->editMode);
    EXPECT_EQ(app->board.ChronoPaused, 0);  // the new game ends the pause
    EXPECT_GT(window.shownBar.popups.size(), 1u);
}
