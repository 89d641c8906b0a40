// The application object's menus and toolbar, built as data from the settings and the file lists;
// the window renders them.
#include "shell/game_app.h"

#include <span>

#include "shell/command_ids.h"

// ---------------------------------------------------------------------------------------------
// Menus and toolbar
// ---------------------------------------------------------------------------------------------

std::array<int, 13> GameApp::ToolbarCommands() {
    std::array<int, 13> commands{};
    for (std::size_t i = 0; i < commands.size(); ++i) {
        commands[i] = command::kToolbar[i].command;
    }
    return commands;
}

std::array<std::string, 13> GameApp::ToolbarTips() const {
    std::array<std::string, 13> tips;
    for (std::size_t i = 0; i < tips.size(); ++i) {
        if (command::kToolbar[i].command != 0) {
            tips[i] = Text(command::kToolbar[i].tip);
        }
    }
    return tips;
}

void GameApp::AddFileMenu(MenuItem& popup, const FileList& list, const std::string& current,
                          int firstId, int lastId) {
    const FileMenuPlan plan = PlanFileMenu(list, current, firstId, lastId, settings.maxMenuItems);
    for (const auto& more : plan.moreMenus) {
        MenuItem sub = MenuItem::Popup(Text(TextId::MORE));
        for (const FileMenuItem& file : more) {
            MenuItem item = MenuItem::Command(file.command, file.displayName, true);
            item.checked = file.checked;
            sub.items.push_back(item);
        }
        popup.items.push_back(sub);
    }
    for (const FileMenuItem& file : plan.items) {
        MenuItem item = MenuItem::Command(file.command, file.displayName, true);
        item.checked = file.checked;
        popup.items.push_back(item);
    }
}

namespace {

// One fixed entry of a menu: its command and label, or a separator (command 0).
struct FixedEntry {
    int command;
    TextId label;
    bool checkable;
};
constexpr FixedEntry kSeparator{0, TextId::GAME, false};

constexpr FixedEntry kEditorEntries[] = {
    {command::NEW_LAYOUT, TextId::NEW_LAYOUT, false},
    {command::SAVE_LAYOUT, TextId::SAVE_LAYOUT, false},
    kSeparator,
    {command::EXIT_EDIT_LAYOUT, TextId::EXIT_EDIT_LAYOUT, false}};

constexpr FixedEntry kGameEntries[] = {{command::NEW_GAME, TextId::NEW_GAME, false},
                                       {command::RESTART_GAME, TextId::RESTART_GAME, false},
                                       {command::EASYMODE, TextId::EASYMODE, true},
                                       {command::AUTOPLAY, TextId::AUTOPLAY, false},
                                       {command::AUTOPLAY_HERE, TextId::AUTOPLAY_HERE, false},
                                       kSeparator,
                                       {command::PAUSE_CHRONO, TextId::PAUSE_CHRONO, false},
                                       {command::HINT, TextId::HINT, false},
                                       {command::UNDO, TextId::UNDO, false},
                                       {command::REDO, TextId::REDO, false},
                                       {command::SHUFFLE, TextId::SHUFFLE, false},
                                       kSeparator,
                                       {command::SAVE_GAME, TextId::SAVE_GAME, false},
                                       {command::LOAD_GAME, TextId::LOAD_GAME, false},
                                       kSeparator,
                                       {command::EXIT, TextId::EXIT, false}};

constexpr FixedEntry kOptionEntries[] = {{command::SHOW_CHRONO, TextId::SHOW_CHRONO, true},
                                         {command::SHADOWS, TextId::SHADOWS, true},
                                         {command::CHANGE_CURSOR, TextId::CHANGE_CURSOR, true},
                                         {command::MSG_WHEN_LOSE, TextId::MSG_WHEN_LOSE, true},
                                         kSeparator};

constexpr FixedEntry kLayoutEntries[] = {{command::LOAD_LAYOUT, TextId::LOAD_LAYOUT, false},
                                         {command::SAVE_LAYOUT, TextId::SAVE_LAYOUT, false},
                                         {command::HALL_OF_FAME, TextId::HALL_OF_FAME, false},
                                         kSeparator};

constexpr FixedEntry kHelpEntries[] = {{command::HELP_FILE, TextId::HELP_FILE, false},
                                       {command::HELP_ABOUT, TextId::HELP_ABOUT, false}};

// The label of an entry with the Ctrl key of its command after its function key ("\tF2, Ctrl+N").
std::string WithClassicKey(int id, std::string label) {
    for (const command::ClassicKey& key : command::kClassicKeys) {
        if (key.command == id) {
            label += label.find('\t') == std::string::npos ? "\t" : ", ";
            label += key.keys;
        }
    }
    return label;
}

void AddFixedEntries(MenuItem& popup, std::span<const FixedEntry> entries,
                     const LanguageTexts& texts) {
    for (const FixedEntry& fixed : entries) {
        popup.items.push_back(
            fixed.command == 0
                ? MenuItem::Separator()
                : MenuItem::Command(fixed.command,
                                    WithClassicKey(fixed.command, texts.Text(fixed.label)),
                                    fixed.checkable));
    }
}

}  // namespace

MenuItem GameApp::ResourceMenu(TextId label, int base, std::string_view pattern,
                               const std::string& folder, FileList& list,
                               const std::string& current) {
    MenuItem popup = MenuItem::Popup(Text(label));
    popup.items.push_back(MenuItem::Command(base + command::AddOffset, Text(TextId::ADD)));
    MenuItem none = MenuItem::Command(base + command::NoneOffset, Text(TextId::NONE), true);
    none.checked = current.empty();
    popup.items.push_back(none);
    popup.items.push_back(MenuItem::Separator());
    BuildFileList(pattern, folder, list);
    AddFileMenu(popup, list, current, base + command::FilesOffset, base + command::ListSpan - 1);
    return popup;
}

void GameApp::BuildMenus() {
    mainMenu_.popups.clear();
    editorMenu_.popups.clear();

    // The layout editor's menu bar.
    MenuItem editPopup = MenuItem::Popup(Text(TextId::EDIT_LAYOUT));
    AddFixedEntries(editPopup, kEditorEntries, texts);
    editPopup.items[1].enabled = editMode && editor.CanSave();
    editorMenu_.popups.push_back(editPopup);

    MenuItem game = MenuItem::Popup(Text(TextId::GAME));
    AddFixedEntries(game, kGameEntries, texts);
    mainMenu_.popups.push_back(game);

    MenuItem options = MenuItem::Popup(Text(TextId::OPTIONS));
    AddFixedEntries(options, kOptionEntries, texts);
    MenuItem languages = MenuItem::Popup(Text(TextId::LANGUAGE));
    BuildFileList(kLanguagePattern, folders.language, languageList);
    AddFileMenu(languages, languageList, settings.language, command::LanguageList,
                command::LanguageList + command::ListSpan - 1);
    options.items.push_back(languages);
    options.items.push_back(MenuItem::Command(command::CONFIG, Text(TextId::CONFIG)));
    mainMenu_.popups.push_back(options);

    const bool audible = HasWaveDevice();
    if (window_ != nullptr) {
        // Without a device the speaker button would do nothing: it is greyed.
        window_->SetToolbarEnabled(command::USE_SOUNDS, audible);
    }
    if (audible) {
        MenuItem sounds = MenuItem::Popup(Text(TextId::SOUNDS));
        sounds.items.push_back(ResourceMenu(TextId::CHANGE_MUSIC, command::MusicBase, kMusicPattern,
                                            folders.sounds, musicList, settings.music));
        sounds.items.push_back(ResourceMenu(TextId::CHANGE_SOUND1, command::Sound1Base,
                                            kSoundPattern, folders.sounds, sound1List,
                                            settings.sound1));
        sounds.items.push_back(ResourceMenu(TextId::CHANGE_SOUND2, command::Sound2Base,
                                            kSoundPattern, folders.sounds, sound2List,
                                            settings.sound2));
        sounds.items.push_back(ResourceMenu(TextId::CHANGE_SOUND3, command::Sound3Base,
                                            kSoundPattern, folders.sounds, sound3List,
                                            settings.sound3));
        sounds.items.push_back(
            MenuItem::Command(command::USE_SOUNDS, Text(TextId::USE_SOUNDS), true));
        mainMenu_.popups.push_back(sounds);
    }

    MenuItem graphics = MenuItem::Popup(Text(TextId::GRAPHICS));
    MenuItem tileSets = MenuItem::Popup(Text(TextId::TILESET));
    BuildFileList(kPicturePattern, folders.tileSets, tileSetList);
    AddFileMenu(tileSets, tileSetList, settings.tileSet, command::TileSetList,
                command::TileSetList + command::ListSpan - 1);
    graphics.items.push_back(tileSets);
    graphics.items.push_back(ResourceMenu(TextId::BACKGROUND, command::BackgroundBase,
                                          kPicturePattern, folders.backgrounds, backgroundList,
                                          settings.background));
    graphics.items.push_back(
        MenuItem::Command(command::CHANGE_COLORS, Text(TextId::CHANGE_COLORS)));
    if (HasCamera()) {
        graphics.items.push_back(MenuItem::Separator());
        graphics.items.push_back(
            MenuItem::Command(command::ZOOM_DEFAULT, Text(TextId::ZOOM_DEFAULT)));
    }
    mainMenu_.popups.push_back(graphics);

    MenuItem layout = MenuItem::Popup(Text(TextId::LAYOUT));
    if (HasLayoutEditor()) {
        layout.items.push_back(MenuItem::Command(command::EDIT_LAYOUT, Text(TextId::EDIT_LAYOUT)));
    }
    AddFixedEntries(layout, kLayoutEntries, texts);
    BuildFileList(kLayoutPattern, folders.layouts, layoutList);
    AddFileMenu(layout, layoutList, board.layoutFileName, command::LayoutList,
                command::LayoutList + command::ListSpan - 1);
    layout.items.push_back(MenuItem::Separator());
    layout.items.push_back(
        MenuItem::Command(command::RANDOM_LAYOUT, Text(TextId::RANDOM_LAYOUT), true));
    mainMenu_.popups.push_back(layout);

    MenuItem help = MenuItem::Popup(Text(TextId::HELP));
    AddFixedEntries(help, kHelpEntries, texts);
    mainMenu_.popups.push_back(help);

    if (settings.coolMenu) {
        // The toolbar's pictures beside the entries of the same commands.
        for (const command::ToolbarButton& button : command::kToolbar) {
            if (button.inMenu) {
                if (MenuItem* item = mainMenu_.Find(button.command)) {
                    item->picture = button.picture;
                }
            }
        }
    }
    menusBuilt_ = true;
    RefreshChecks();
    if (board.layoutFileName == board.randomLayoutName) {
        mainMenu_.SetChecked(command::RANDOM_LAYOUT, true);
    }
    if (window_ != nullptr) {
        window_->ShowMenuBar(editorMenuShown_ ? editorMenu_ : mainMenu_);
        window_->SetToolbarTips(ToolbarTips());
    }
}

void GameApp::FillEmptyTexts() {
    LanguageTexts english;
    english.ReadLanguageFile(folders, kDefaultLanguage);
    for (int i = 0; i < kTextCount; ++i) {
        const TextId id = static_cast<TextId>(i);
        // The reader appends a key's function-key suffix to whatever the file gives, so a text
        // that is only its suffix was given empty.
        const std::size_t suffix = TextSuffix(id).size();
        const std::string& fallback = english.Text(id);
        if (texts.Text(id).size() == suffix && fallback.size() > suffix) {
            texts.SetText(id, std::string_view(fallback).substr(0, fallback.size() - suffix));
        }
    }
}

void GameApp::ApplyLanguage() {
    FillEmptyTexts();
    shellDesktop_.UseLanguage(settings.language,
                              DialogTexts{{}, {Text(TextId::OK), Text(TextId::CANCEL)}});
}

void GameApp::RefreshChecks() {
    if (!menusBuilt_) {
        return;
    }
    mainMenu_.SetChecked(command::SHOW_CHRONO, settings.showChrono);
    mainMenu_.SetChecked(command::EASYMODE, settings.easyMode);
    mainMenu_.SetChecked(command::USE_SOUNDS, settings.soundEffects);
    mainMenu_.SetChecked(command::SHADOWS, settings.shadows);
    mainMenu_.SetChecked(command::CHANGE_CURSOR, settings.newCursors);
    mainMenu_.SetChecked(command::MSG_WHEN_LOSE, settings.messageBoxWhenLose);
    // REDO is offered only while UNDO has taken back a pair that can be replayed.
    mainMenu_.SetEnabled(command::REDO, board.CanRedo());
    if (window_ != nullptr && !editorMenuShown_) {
        window_->UpdateMenuStates(mainMenu_);
    }
}

bool GameApp::SelectListEntry(int id, std::string& destination, int firstId, const FileList& list) {
    mainMenu_.SetChecked(command::RANDOM_LAYOUT, false);
    const int wanted = id & 0xFFFF;
    bool matched = false;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const int entryId = firstId + static_cast<int>(i);
        const bool hit = !matched && entryId == wanted;
        mainMenu_.SetChecked(entryId, hit);
        if (hit) {
            destination = list[i].fileName;
            matched = true;
        }
    }
    if (board.layoutFileName == board.randomLayoutName) {
        mainMenu_.SetChecked(command::RANDOM_LAYOUT, true);
    }
    if (window_ != nullptr && !editorMenuShown_) {
        window_->UpdateMenuStates(mainMenu_);
    }
    return matched;
}

bool GameApp::CheckListEntry(const std::string& name, int firstId, const FileList& list) {
    mainMenu_.SetChecked(command::RANDOM_LAYOUT, false);
    bool matched = false;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const bool hit = !matched && EqualNoCase(list[i].fileName, name);
        mainMenu_.SetChecked(firstId + static_cast<int>(i), hit);
        matched = matched || hit;
    }
    if (board.layoutFileName == board.randomLayoutName) {
        mainMenu_.SetChecked(command::RANDOM_LAYOUT, true);
    }
    if (window_ != nullptr && !editorMenuShown_) {
        window_->UpdateMenuStates(mainMenu_);
    }
    return matched;
}
