// The menus as the application builds them: popups and entries in order, identifiers, check
// marks, file lists, pictures, and the rebuild on a language change.
#include <algorithm>
#include <fstream>

#include "tests/shell/shell_test_support.h"

namespace {

std::vector<std::string> PopupTexts(const MenuBar& bar) {
    std::vector<std::string> texts;
    for (const MenuItem& popup : bar.popups) {
        texts.push_back(popup.text);
    }
    return texts;
}

std::vector<int> EntryIds(const MenuItem& popup) {
    std::vector<int> ids;
    for (const MenuItem& item : popup.items) {
        ids.push_back(item.kind == MenuItem::Kind::Command     ? item.id
                      : item.kind == MenuItem::Kind::Separator ? -1
                                                               : -2);
    }
    return ids;
}

using MenusTest = ShellTest;

}  // namespace

TEST_F(MenusTest, MainMenuHasEveryPopupAndEntryInOrder) {
    const MenuBar& bar = app->MainMenu();
    const std::vector<std::string> expected = {
        app->Text(TextId::GAME),     app->Text(TextId::OPTIONS), app->Text(TextId::SOUNDS),
        app->Text(TextId::GRAPHICS), app->Text(TextId::LAYOUT),  app->Text(TextId::HELP)};
    EXPECT_EQ(PopupTexts(bar), expected);
    using namespace command;
    EXPECT_EQ(EntryIds(bar.popups[0]),
              (std::vector<int>{NEW_GAME, RESTART_GAME, EASYMODE, AUTOPLAY, AUTOPLAY_HERE, -1,
                                PAUSE_CHRONO, HINT, UNDO, REDO, SHUFFLE, -1, SAVE_GAME, LOAD_GAME,
                                -1, EXIT}));
    EXPECT_EQ(EntryIds(bar.popups[1]), (std::vector<int>{SHOW_CHRONO, SHADOWS, CHANGE_CURSOR,
                                                         MSG_WHEN_LOSE, -1, -2, CONFIG}));
    EXPECT_EQ(EntryIds(bar.popups[2]), (std::vector<int>{-2, -2, -2, -2, USE_SOUNDS}));
    EXPECT_EQ(EntryIds(bar.popups[3]), (std::vector<int>{-2, -2, CHANGE_COLORS}));
    EXPECT_EQ(EntryIds(bar.popups[5]), (std::vector<int>{HELP_FILE, HELP_ABOUT}));
    // The layout popup of the 2D edition starts with the editor, then the shipped layouts.
    const MenuItem& layout = bar.popups[4];
    EXPECT_EQ(layout.items[0].id, EDIT_LAYOUT);
    EXPECT_EQ(layout.items[1].id, LOAD_LAYOUT);
    EXPECT_EQ(layout.items.back().id, RANDOM_LAYOUT);
    EXPECT_EQ(app->layoutList.size(), 12u);
    const int defaultEntry = LayoutMenuEntry(*app, "Default.tvl");
    ASSERT_NE(defaultEntry, 0);
    const MenuItem* defaultLayout = bar.Find(defaultEntry);
    ASSERT_NE(defaultLayout, nullptr);
    EXPECT_TRUE(defaultLayout->checked);
    EXPECT_EQ(defaultLayout->text, "Default");
    // The menu function keys come from the language file's suffixes.
    EXPECT_NE(bar.Find(NEW_GAME)->text.find("\tF2"), std::string::npos);
}

TEST_F(MenusTest, SoundMenusHaveAddNoneAndTheirFiles) {
    const MenuItem& sounds = app->MainMenu().popups[2];
    const MenuItem& music = sounds.items[0];
    ASSERT_GE(music.items.size(), 4u);
    EXPECT_EQ(music.items[0].id, command::MusicBase);
    EXPECT_EQ(music.items[0].text, app->Text(TextId::ADD));
    EXPECT_EQ(music.items[1].id, command::MusicBase + 1);
    EXPECT_FALSE(music.items[1].checked);  // a piece is chosen
    EXPECT_EQ(music.items[2].kind, MenuItem::Kind::Separator);
    EXPECT_EQ(music.items[3].text, "Tune478");
    EXPECT_TRUE(music.items[3].checked);
    const MenuItem& select = sounds.items[1];
    EXPECT_EQ(select.items[0].id, command::Sound1Base);
    // Bell, Beside, Remove, Select: sorted by display name.
    ASSERT_EQ(select.items.size(), 3u + 4u);
    EXPECT_EQ(select.items[3].text, "Bell");
    EXPECT_EQ(select.items[6].text, "Select");
    EXPECT_TRUE(select.items[6].checked);
}

TEST_F(MenusTest, WithoutWaveDeviceTheSoundsPopupIsMissing) {
    app.reset();
    Start(false);
    const MenuBar& bar = app->MainMenu();
    ASSERT_EQ(bar.popups.size(), 5u);
    EXPECT_EQ(bar.popups[2].text, app->Text(TextId::GRAPHICS));
    EXPECT_EQ(bar.popups[3].text, app->Text(TextId::LAYOUT));
    EXPECT_EQ(bar.Find(command::USE_SOUNDS), nullptr);
}

TEST_F(MenusTest, CoolMenuPutsTheToolbarPicturesBesideNineEntries) {
    EXPECT_EQ(app->MainMenu().Find(command::LOAD_LAYOUT)->picture, -1);
    app->settings.coolMenu = true;
    app->BuildMenus();
    const MenuBar& bar = app->MainMenu();
    const std::pair<int, int> expected[] = {
        {command::LOAD_LAYOUT, 0}, {command::NEW_GAME, 1},     {command::UNDO, 2},
        {command::HINT, 3},        {command::PAUSE_CHRONO, 4}, {command::HALL_OF_FAME, 6},
        {command::HELP_FILE, 7},   {command::HELP_ABOUT, 8},   {command::EXIT, 9}};
    for (auto [id, picture] : expected) {
        EXPECT_EQ(bar.Find(id)->picture, picture) << id;
    }
    EXPECT_EQ(bar.Find(command::EDIT_LAYOUT)->picture, -1);
    EXPECT_EQ(bar.Find(command::USE_SOUNDS)->picture, -1);
    int withPicture = 0;
    for (const MenuItem* item : bar.Commands()) {
        withPicture += item->picture >= 0 ? 1 : 0;
    }
    EXPECT_EQ(withPicture, 9);
}

TEST_F(MenusTest, ToggleChecksFollowTheSettingsAfterEveryCommand) {
    const MenuBar& bar = app->MainMenu();
    EXPECT_TRUE(bar.IsChecked(command::SHADOWS));
    EXPECT_TRUE(bar.IsChecked(command::SHOW_CHRONO));
    EXPECT_TRUE(bar.IsChecked(command::EASYMODE));
    EXPECT_FALSE(bar.IsChecked(command::CHANGE_CURSOR));
    app->OnFunctionKey(9);
    EXPECT_FALSE(app->settings.shadows);
    EXPECT_FALSE(bar.IsChecked(command::SHADOWS));
    EXPECT_FALSE(window.shownBar.IsChecked(command::SHADOWS));
    app->ExecuteCommand(command::CHANGE_CURSOR);
    EXPECT_TRUE(bar.IsChecked(command::CHANGE_CURSOR));
    EXPECT_TRUE(window.ownCursors);
    app->ExecuteCommand(command::MSG_WHEN_LOSE);
    EXPECT_FALSE(bar.IsChecked(command::MSG_WHEN_LOSE));
    EXPECT_FALSE(app->settings.messageBoxWhenLose);
    // Easy mode through its confirmation shows its mark without a rebuild of the menus.
    const int builds = window.menuBarsShown;
    desktop.messageAnswers.push_back(MessageAnswer::Ok);
    app->ExecuteCommand(command::EASYMODE);
    EXPECT_FALSE(bar.IsChecked(command::EASYMODE));
    EXPECT_EQ(window.menuBarsShown, builds);
}

TEST_F(MenusTest, LongListsSplitIntoMoreSubMenus) {
    for (int i = 0; i < 13; ++i) {
        folder.Touch("BACKGRND/Extra" + std::to_string(10 + i) + ".bmp");
    }
    app->settings.maxMenuItems = 10;
    app->BuildMenus();
    // 14 pictures with room for 10: one MORE sub-menu with the first 4, then 10 entries.
    const MenuItem& backgrounds = app->MainMenu().popups[3].items[1];
    ASSERT_EQ(backgrounds.items.size(), 3u + 1u + 10u);
    EXPECT_EQ(backgrounds.items[3].kind, MenuItem::Kind::Popup);
    EXPECT_EQ(backgrounds.items[3].text, app->Text(TextId::MORE));
    EXPECT_EQ(backgrounds.items[3].items.size(), 4u);
    EXPECT_EQ(backgrounds.items[3].items[0].id, command::BackgroundBase + 2);
    EXPECT_EQ(backgrounds.items.back().id, command::BackgroundBase + 2 + 13);
}

TEST_F(MenusTest, LanguageChangeRebuildsMenusAndTooltips) {
    std::ofstream(folder.File("LANGUAGE/Testish.txt"))
        << "GAME = \"&Spiel\"\nNEW_GAME = \"&Neues Spiel\"\nT_HINT = \"Zeig mir ein Paar\"\n";
    app->BuildMenus();
    ASSERT_EQ(app->languageList.size(), 2u);
    EXPECT_EQ(window.tips[4], "Show a matching pair (F6)");
    const int testish = LanguageMenuEntry(*app, "Testish.txt");
    ASSERT_NE(testish, 0);
    app->ExecuteCommand(testish);
    EXPECT_EQ(app->settings.language, "Testish.txt");
    EXPECT_EQ(window.shownBar.popups[0].text, "&Spiel");
    EXPECT_EQ(window.shownBar.Find(command::NEW_GAME)->text, "&Neues Spiel\tF2, Ctrl+N");
    // Keys the translation lacks keep their English text.
    EXPECT_EQ(window.shownBar.popups[1].text, "&Options");
    EXPECT_EQ(window.tips[4], "Zeig mir ein Paar");
    EXPECT_TRUE(window.shownBar.IsChecked(testish));
}

TEST_F(MenusTest, ToolbarHasThirteenEntriesWithTipsOfTheirCommands) {
    const std::array<int, 13>& commands = GameApp::ToolbarCommands();
    EXPECT_EQ(commands[0], command::LOAD_LAYOUT);
    EXPECT_EQ(commands[2], 0);
    EXPECT_EQ(commands[12], command::EXIT);
    EXPECT_EQ(window.tips[0], app->Text(TextId::T_LOAD_LAYOUT));
    EXPECT_EQ(window.tips[2], "");
    EXPECT_EQ(window.tips[7], app->Text(TextId::T_SOUND));
    EXPECT_EQ(window.tips[12], app->Text(TextId::T_EXIT));
}

// A text given empty falls back to English as a missing one does: an empty title would hide the
// whole menu, an empty entry would show only its function key.
TEST_F(MenusTest, EmptyTextsOfALanguageFileShowTheirEnglishText) {
    std::ofstream(folder.File("LANGUAGE/Testish.txt"))
        << "GAME = \"&Spiel\"\nLAYOUT = \"\"\nHINT = \"\"\nHELP = \"\"\nT_UNDO = \"\"\n"
           "MesReadError = \"\"\n";
    app->BuildMenus();
    const int testish = LanguageMenuEntry(*app, "Testish.txt");
    ASSERT_NE(testish, 0);
    const struct {
        TextId id;
        const char* english;
    } cases[] = {{TextId::LAYOUT, "&Layout"},
                 {TextId::HINT, "&Hint\tF6"},
                 {TextId::HELP, "&Help"},
                 {TextId::T_UNDO, "Undo the last pair (F7)"},
                 {TextId::MesReadError, "this file could not be read."}};
    // At a language change and at the next start alike.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "language change" : "start-up");
        if (round == 0) {
            app->ExecuteCommand(testish);
        } else {
            app->SaveSettings();
            app.reset();
            Start();
        }
        ASSERT_EQ(app->settings.language, "Testish.txt");
        EXPECT_EQ(window.shownBar.popups[0].text, "&Spiel");
        const std::vector<std::string> titles = PopupTexts(window.shownBar);
        EXPECT_NE(std::find(titles.begin(), titles.end(), app->Text(TextId::LAYOUT)), titles.end());
        for (const auto& c : cases) {
            EXPECT_EQ(app->Text(c.id).substr(0, std::string(c.english).size()), c.english)
                << TextKey(c.id);
        }
        EXPECT_EQ(window.shownBar.Find(command::HINT)->text, app->Text(TextId::HINT));
        EXPECT_EQ(window.tips[5], app->Text(TextId::T_UNDO));
    }
}

// The Ctrl keys most programs use stand beside the function keys in the menus: after the
// function key when the entry has one, else alone after a tab.
TEST_F(MenusTest, ClassicCtrlKeysStandBesideTheFunctionKeys) {
    const MenuBar& bar = app->MainMenu();
    const struct {
        int id;
        TextId label;
        const char* keys;
    } cases[] = {{command::NEW_GAME, TextId::NEW_GAME, "\tF2, Ctrl+N"},
                 {command::UNDO, TextId::UNDO, "\tF7, Ctrl+Z"},
                 {command::LOAD_GAME, TextId::LOAD_GAME, "\tCtrl+O"},
                 {command::SAVE_GAME, TextId::SAVE_GAME, "\tCtrl+S"},
                 {command::EXIT, TextId::EXIT, "\tF12, Ctrl+Q"},
                 {command::HINT, TextId::HINT, "\tF6"},
                 {command::HELP_FILE, TextId::HELP_FILE, "\tF1"}};
    for (const auto& c : cases) {
        const std::string label = app->Text(c.label);
        const std::string bare = label.substr(0, label.find('\t'));
        ASSERT_NE(bar.Find(c.id), nullptr) << c.keys;
        EXPECT_EQ(bar.Find(c.id)->text, bare + c.keys);
    }
}
