// The application object: start-up and shut-down, the command dispatch, the mouse, timer and
// focus handling of the main window, the menus and toolbar, and the file choices.
//
// Index
//   Construction and the global accessor
//   Settings and start-up
//   Game aids used by the commands
//   Command dispatch
//   Window input
//   Menus and toolbar
//   Dialogs and file choices
#include "shell/game_app.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "shell/command_ids.h"

// ---------------------------------------------------------------------------------------------
// Construction and the global accessor
// ---------------------------------------------------------------------------------------------

namespace {

GameApp* theApp = nullptr;

constexpr std::array<int, 13> kToolbarCommands = {command::LOAD_LAYOUT,
                                                  command::NEW_GAME,
                                                  0,
                                                  command::PAUSE_CHRONO,
                                                  command::HINT,
                                                  command::UNDO,
                                                  0,
                                                  command::USE_SOUNDS,
                                                  command::HALL_OF_FAME,
                                                  0,
                                                  command::HELP_FILE,
                                                  command::HELP_ABOUT,
                                                  command::EXIT};

constexpr std::array<TextId, 13> kToolbarTips = {
    TextId::T_LOAD_LAYOUT,  TextId::T_NEW_GAME,     TextId::T_NEW_GAME,  TextId::T_PAUSE_CHRONO,
    TextId::T_HINT,         TextId::T_UNDO,         TextId::T_UNDO,      TextId::T_SOUND,
    TextId::T_HALL_OF_FAME, TextId::T_HALL_OF_FAME, TextId::T_HELP_FILE, TextId::T_HELP_ABOUT,
    TextId::T_EXIT};

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string FileTitle(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

}  // namespace

GameApp* TheApp() {
    return theApp;
}

GameApp::GameApp(ShellDesktop& desktop, Edition edition)
    : GameCore(&desktop), shellDesktop_(desktop), edition_(edition) {
    titleText = std::string(kGameTitle);
    settings.backgroundColor = Colour{0, 0, 0, 255};
    theApp = this;
}

GameApp::~GameApp() {
    // The worker calls this object's hooks: it must end before they go.
    StopAutoplay();
    if (theApp == this) {
        theApp = nullptr;
    }
}

std::string GameApp::LanguageText(const char* key) const {
    TextId id;
    if (FindTextId(key, id) && !texts.Text(id).empty()) {
        return texts.Text(id);
    }
    return GameCore::LanguageText(key);
}

bool GameApp::PaintFrame(const FrameSink&) {
    return false;
}

// ---------------------------------------------------------------------------------------------
// Settings and start-up
// ---------------------------------------------------------------------------------------------

void GameApp::SetStartFolder(const std::string& startFolder) {
    folders = MakeResourceFolders(startFolder);
    board.layoutsFolder = folders.layouts;
    board.scoresFolder = folders.scores;
    board.savedGamesFolder = folders.savedGames;
    board.soundsFolder = folders.sounds;
    editor.layoutsFolder = folders.layouts;
}

bool GameApp::OfferFirstRunLanguage() {
    BuildFileList(kLanguagePattern, folders.language, languageList);
    if (ConfigFileExists(folders, edition_)) {
        return false;
    }
    settings.language = std::string(kDefaultLanguage);
    ChooseFirstRunLanguage(settings, languageList, edition_, shellDesktop_);
    return true;
}

bool GameApp::LoadSettings() {
    if (!::LoadSettings(settings, texts, folders, edition_, screen, *this, shellDesktop_)) {
        return false;
    }
    SettingsToBoard();
    board.pairLimit = kPairLimit;
    return true;
}

void GameApp::SettingsToBoard() {
    board.easyMode = settings.easyMode ? 1 : 0;
    board.soundEffects = settings.soundEffects ? 1 : 0;
    board.gridFormat = settings.lay ? 1 : 0;
    board.layoutFileName = settings.layout;
    board.soundFiles = {settings.sound1, settings.sound2, settings.sound3};
    SettingsToCore();
}

void GameApp::SettingsToCore() {
    MessageBoxWhenLose = settings.messageBoxWhenLose;
    ShowChrono = settings.showChrono;
    AutoPlaySleep = settings.autoPlaySleep;
}

void GameApp::BoardToSettings() {
    settings.easyMode = board.easyMode != 0;
    settings.soundEffects = board.soundEffects != 0;
    settings.lay = board.gridFormat != 0;
    settings.layout = board.layoutFileName;
    settings.sound1 = board.soundFiles[0];
    settings.sound2 = board.soundFiles[1];
    settings.sound3 = board.soundFiles[2];
    settings.messageBoxWhenLose = MessageBoxWhenLose;
}

void GameApp::SaveSettings() {
    WindowRect rect;
    if (window_ != nullptr && window_->GetFrameRect(rect)) {
        settings.windowXPos = rect.left;
        settings.windowYPos = rect.top;
        settings.windowXSize = rect.width;
        settings.windowYSize = rect.height;
    }
    BoardToSettings();
    ::SaveSettings(settings, texts, folders, edition_, screen, *this, shellDesktop_);
}

void GameApp::LoadPictures() {
    if (edition_ == Edition::TwoD) {
        LoadBackground2D();
        LoadTileSet2D();
    } else {
        InitRendererObjects();
    }
}

void GameApp::StartGame() {
    BuildMenus();
    LoadCursors();
    if (window_ != nullptr) {
        window_->SetToolbarTips(ToolbarTips());
    }
    timerId = command::TimerId;
    PlaceWindow();
    LoadPictures();
    if (!board.LoadLayout()) {
        ShowMessage(Text(TextId::MesNo144Tiles), MessageIcon::Warning);
    }
    NewGame();
    RefreshStatus();
    PlayMusic();
    CloseSplash();
}

void GameApp::ShutDown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    board.AutoplayRunning = 0;
    mainMenu_.popups.clear();
    editorMenu_.popups.clear();
    menusBuilt_ = false;
    for (FileList* list : {&layoutList, &languageList, &tileSetList, &backgroundList, &sound1List,
                           &sound2List, &sound3List, &musicList}) {
        list->clear();
    }
    if (window_ != nullptr) {
        window_->Close();
    }
}

void GameApp::OnDestroy() {
    if (shutDown_) {
        return;
    }
    StopAutoplay();
    BoardLock lock(*this);
    SaveSettings();
    ReleaseRendererObjects();
    ShutDown();
}

void GameApp::LoadCursors() {
    SetCursorKind(CursorKind::Normal);
}

void GameApp::SetCursorKind(CursorKind kind) {
    cursor = kind;
    if (window_ != nullptr) {
        window_->SetCursor(kind, settings.newCursors);
    }
}

// ---------------------------------------------------------------------------------------------
// Game aids used by the commands
// ---------------------------------------------------------------------------------------------

void GameApp::ShowStatusText(const std::string& text) {
    shownStatus_ = text;
    if (window_ != nullptr) {
        window_->SetStatusText(text);
    }
}

void GameApp::AutoplayRedraw(bool placeTiles) {
    if (window_ == nullptr) {
        return;
    }
    window_->RunOnWindowThread([this, placeTiles] {
        if (shutDown_) {
            return;
        }
        BoardLock lock(*this);
        if (placeTiles) {
            PlaceTiles();
        }
        Tick();
    });
}

void GameApp::StartNewGame() {
    NewGame();
}

void GameApp::LoadLayoutAndDeal() {
    if (!board.LoadLayout()) {
        ShowMessage(Text(TextId::MesNo144Tiles), MessageIcon::Warning);
    }
    StartNewGame();
}

// ---------------------------------------------------------------------------------------------
// Command dispatch
// ---------------------------------------------------------------------------------------------

void GameApp::ExecuteCommand(int id) {
    if (shutDown_) {
        return;
    }
    if (id == command::EXIT) {
        // Leaving waits for a running autoplay, which needs the board to finish its step.
        OnDestroy();
        return;
    }
    BoardLock lock(*this);
    board.GameOverShown = 0;
    switch (id) {
        case command::NEW_GAME:
            while (board.undoCount > 0 && board.Undo()) {
            }
            StartNewGame();
            break;
        case command::RESTART_GAME:
            RestartCommand();
            break;
        case command::EASYMODE:
            if (EasyModeCommand()) {
                settings.easyMode = board.easyMode != 0;
                ExecuteCommand(command::NEW_GAME);
            }
            break;
        case command::AUTOPLAY:
            AutoplayCommand();
            break;
        case command::PAUSE_CHRONO:
            board.ChronoPaused = board.ChronoPaused ? 0 : 1;
            Tick();
            break;
        case command::HINT:
            HintCommand();
            break;
        case command::UNDO:
            UndoCommand();
            break;
        case command::SAVE_GAME:
            SaveGameCommand();
            break;
        case command::LOAD_GAME:
            LoadGameCommand();
            break;
        case command::SHADOWS:
            settings.shadows = !settings.shadows;
            Tick();
            break;
        case command::SHOW_CHRONO:
            settings.showChrono = !settings.showChrono;
            SettingsToCore();
            RefreshStatus();
            break;
        case command::CHANGE_COLORS:
            ColourDialog();
            Tick();
            break;
        case command::CONFIG:
            ConfigDialog();
            Tick();
            break;
        case command::HALL_OF_FAME:
            HallOfFameDialog();
            break;
        case command::LOAD_LAYOUT:
            LoadLayoutCommand();
            break;
        case command::SAVE_LAYOUT:
            SaveLayoutCommand();
            break;
        case command::RANDOM_LAYOUT:
            board.layoutFileName = Upper(board.randomLayoutName);
            CheckListEntry(board.layoutFileName, command::LayoutList, layoutList);
            LoadLayoutAndDeal();
            break;
        case command::HELP_FILE:
            HelpCommand();
            break;
        case command::HELP_ABOUT:
            AboutCommand();
            break;
        case command::USE_SOUNDS:
            // The toolbar's button stays without a device, but the sound stays off for the run.
            if (!HasWaveDevice()) {
                break;
            }
            board.soundEffects = board.soundEffects ? 0 : 1;
            settings.soundEffects = board.soundEffects != 0;
            break;
        case command::CHANGE_CURSOR:
            settings.newCursors = !settings.newCursors;
            LoadCursors();
            break;
        case command::MSG_WHEN_LOSE:
            MessageBoxWhenLose = !MessageBoxWhenLose;
            settings.messageBoxWhenLose = MessageBoxWhenLose;
            break;
        case command::EDIT_LAYOUT:
            if (edition_ == Edition::TwoD) {
                ToggleEditor();
            }
            break;
        case command::NEW_LAYOUT:
            if (edition_ == Edition::TwoD && editMode) {
                editor.EditorClear();
                editor.EditorRebuild();
                editorMenu_.SetEnabled(command::SAVE_LAYOUT, false);
                if (window_ != nullptr && editorMenuShown_) {
                    window_->UpdateMenuStates(editorMenu_);
                }
                RefreshStatus();
                AnimationFrame(NoTile, NoTile, 0, 0);
            }
            break;
        case command::ZOOM_DEFAULT:
            if (edition_ != Edition::TwoD) {
                ResetCamera();
            }
            break;
        default:
            ExecuteListCommand(id);
            break;
    }
    RefreshChecks();
}

void GameApp::ExecuteListCommand(int id) {
    const int low = id & 0xFFFF;
    if (low == command::Sound1Base || low == command::Sound2Base || low == command::Sound3Base) {
        if (ImportResourceFile(std::string(kSoundPattern), Text(TextId::FilterSound),
                               folders.sounds)) {
            BuildMenus();
        }
    } else if (low == command::MusicBase) {
        if (ImportResourceFile(std::string(kMusicPattern), Text(TextId::FilterMusic),
                               folders.sounds)) {
            BuildMenus();
        }
    } else if (low == command::BackgroundBase) {
        if (ImportResourceFile(std::string(kPicturePattern), Text(TextId::FilterBitmap),
                               folders.backgrounds)) {
            BuildMenus();
        }
    } else if (low >= command::LanguageList && low < command::LanguageList + command::ListSpan) {
        if (SelectListEntry(id, settings.language, command::LanguageList, languageList)) {
            texts.LoadLanguage(folders, settings.language);
            BuildMenus();
            RefreshStatus();
        }
    } else if (low >= command::TileSetList && low < command::TileSetList + command::ListSpan) {
        if (SelectListEntry(id, settings.tileSet, command::TileSetList, tileSetList)) {
            LoadTileSet2D();
            Tick();
        }
    } else if (low >= command::LayoutList && low < command::LayoutList + command::ListSpan) {
        if (SelectListEntry(id, board.layoutFileName, command::LayoutList, layoutList)) {
            settings.layout = board.layoutFileName;
            LoadLayoutAndDeal();
        }
    } else if (low > command::Sound1Base && low < command::Sound1Base + command::ListSpan) {
        SoundListCommand(id, command::Sound1Base, board.soundFiles[0], sound1List, false);
        settings.sound1 = board.soundFiles[0];
    } else if (low > command::Sound2Base && low < command::Sound2Base + command::ListSpan) {
        SoundListCommand(id, command::Sound2Base, board.soundFiles[1], sound2List, false);
        settings.sound2 = board.soundFiles[1];
    } else if (low > command::Sound3Base && low < command::Sound3Base + command::ListSpan) {
        SoundListCommand(id, command::Sound3Base, board.soundFiles[2], sound3List, false);
        settings.sound3 = board.soundFiles[2];
    } else if (low > command::MusicBase && low < command::MusicBase + command::ListSpan) {
        SoundListCommand(id, command::MusicBase, settings.music, musicList, true);
    } else if (low == command::BackgroundBase + command::NoneOffset) {
        mainMenu_.SetChecked(low, true);
        settings.background.clear();
        for (std::size_t i = 0; i < backgroundList.size(); ++i) {
            mainMenu_.SetChecked(
                command::BackgroundBase + command::FilesOffset + static_cast<int>(i), false);
        }
        if (window_ != nullptr) {
            window_->UpdateMenuStates(mainMenu_);
        }
        Tick();
    } else if (low > command::BackgroundBase && low < command::BackgroundBase + command::ListSpan) {
        mainMenu_.SetChecked(command::BackgroundBase + command::NoneOffset, false);
        if (SelectListEntry(id, settings.background, command::BackgroundBase + command::FilesOffset,
                            backgroundList)) {
            LoadBackground2D();
            Tick();
        }
    }
}

void GameApp::SoundListCommand(int id, int base, std::string& setting, const FileList& list,
                               bool music) {
    const int low = id & 0xFFFF;
    if (low == base + command::NoneOffset) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            mainMenu_.SetChecked(base + command::FilesOffset + static_cast<int>(i), false);
        }
        mainMenu_.SetChecked(low, true);
        setting.clear();
        if (window_ != nullptr) {
            window_->UpdateMenuStates(mainMenu_);
        }
    } else {
        mainMenu_.SetChecked(base + command::NoneOffset, false);
        SelectListEntry(id, setting, base + command::FilesOffset, list);
    }
    if (music) {
        PlayMusic();
    }
}

void GameApp::ToggleEditor() {
    editMode = !editMode;
    ExecuteCommand(command::PAUSE_CHRONO);
    if (editMode) {
        editor.layoutsFolder = folders.layouts;
        editor.StartFrom(board.positionGrid);
        editorMenu_.SetEnabled(command::SAVE_LAYOUT, false);
        editorMenuShown_ = true;
        if (window_ != nullptr) {
            window_->ShowMenuBar(editorMenu_);
        }
        PlaceTiles();
        RefreshStatus();
    } else {
        editorMenuShown_ = false;
        if (window_ != nullptr) {
            window_->ShowMenuBar(mainMenu_);
        }
        ExecuteCommand(command::NEW_GAME);
        RefreshStatus();
    }
    AnimationFrame(NoTile, NoTile, 0, 0);
}

void GameApp::LoadLayoutCommand() {
    std::string name;
    if (!ChooseResourceFile(folders.layouts, name, std::string(kLayoutPattern),
                            Text(TextId::FilterLayout), false)) {
        return;
    }
    board.layoutFileName = Upper(name);
    settings.layout = board.layoutFileName;
    CheckListEntry(board.layoutFileName, command::LayoutList, layoutList);
    LoadLayoutAndDeal();
}

void GameApp::SaveLayoutCommand() {
    if (editMode && !editor.CanSave()) {
        return;  // the editor offers saving only with a whole layout of 144 positions
    }
    std::string name;
    if (!ChooseResourceFile(folders.layouts, name, std::string(kLayoutPattern),
                            Text(TextId::FilterLayout), true)) {
        return;
    }
    const std::string previous = board.layoutFileName;
    board.layoutFileName = name;
    bool saved = false;
    if (editMode) {
        editor.layoutsFolder = folders.layouts;
        editor.layoutFileName = name;
        saved = editor.SaveLayout();
    } else {
        saved = board.SaveLayout();
    }
    if (saved) {
        board.layoutFileName = Upper(name);
        settings.layout = board.layoutFileName;
    } else {
        // A layout that could not be written is not taken into use: the game keeps the layout
        // it has, and the next game is dealt from it.
        ShowFileMessage(name, TextId::MesWriteError);
        board.layoutFileName = previous;
    }
    BuildMenus();
    CheckListEntry(board.layoutFileName, command::LayoutList, layoutList);
    UpdateTitle();
    if (editMode) {
        // The next game is played on the saved layout; editing goes on meanwhile.
        if (saved && !board.LoadLayout()) {
            ShowMessage(Text(TextId::MesNo144Tiles), MessageIcon::Warning);
        }
        editorMenuShown_ = true;
        if (window_ != nullptr) {
            window_->ShowMenuBar(editorMenu_);
        }
    }
}

void GameApp::SaveGameCommand() {
    std::string name;
    if (!ChooseResourceFile(folders.savedGames, name, std::string(kSavedGamePattern),
                            Text(TextId::FilterSaveGame), true)) {
        return;
    }
    board.savedGameFileName = name;
    if (!board.SaveGame()) {
        ShowFileMessage(name, TextId::MesWriteError);
    }
}

void GameApp::LoadGameCommand() {
    std::string name;
    if (!ChooseResourceFile(folders.savedGames, name, std::string(kSavedGamePattern),
                            Text(TextId::FilterSaveGame), false)) {
        return;
    }
    board.savedGameFileName = name;
    if (board.LoadGame()) {
        UpdateTitle();
        PlaceTiles();
        Tick();
    } else {
        ShowFileMessage(name, TextId::MesReadError);
    }
}

void GameApp::ShowFileMessage(const std::string& file, TextId message) {
    ShowMessage(file + " : " + Text(message), MessageIcon::Warning);
}

void GameApp::HelpCommand() {
    const std::string& help = texts.HelpFile();
    if (help.empty()) {
        return;
    }
    std::string path = ResolveInFolder(folders.language, help);
    if (path.empty()) {
        path = JoinPath(folders.language, help);
    }
    BoardUnlock unlock(*this);
    shellDesktop_.ShowHelp(path, titleText);
}

void GameApp::AboutCommand() {
    BoardUnlock unlock(*this);
    shellDesktop_.ShowAbout(DialogTexts{
        Text(TextId::ABOUTCAPTION), {titleText, Text(TextId::ABOUTCOPYRIGHT), Text(TextId::OK)}});
}

// ---------------------------------------------------------------------------------------------
// Window input
// ---------------------------------------------------------------------------------------------

void GameApp::OnFunctionKey(int key) {
    static constexpr std::array<int, 13> kKeys = {0,
                                                  command::HELP_FILE,
                                                  command::NEW_GAME,
                                                  command::RESTART_GAME,
                                                  command::LOAD_LAYOUT,
                                                  command::PAUSE_CHRONO,
                                                  command::HINT,
                                                  command::UNDO,
                                                  command::HALL_OF_FAME,
                                                  command::SHADOWS,
                                                  0,
                                                  command::SHOW_CHRONO,
                                                  command::EXIT};
    if (key >= 1 && key <= 12 && kKeys[static_cast<std::size_t>(key)] != 0) {
        ExecuteCommand(kKeys[static_cast<std::size_t>(key)]);
    }
}

void GameApp::OnLeftButtonDown(int x, int y) {
    if (shutDown_ || (board.ChronoPaused && !editMode)) {
        return;
    }
    BoardLock lock(*this);
    SetCursorKind(CursorKind::Busy);
    board.GameOverShown = 0;
    board.AutoplayRunning = 0;
    HitTest2D(x, y, 0);
    if (editMode) {
        editorMenu_.SetEnabled(command::SAVE_LAYOUT, editor.CanSave());
        if (window_ != nullptr) {
            window_->UpdateMenuStates(editorMenu_);
        }
        RefreshStatus();
    }
    Tick();
    SetCursorKind(CursorKind::Normal);
    RefreshChecks();
}

void GameApp::OnRightButtonDown(int x, int y) {
    if (shutDown_) {
        return;
    }
    if (!editMode) {
        ExecuteCommand(command::UNDO);
        return;
    }
    BoardLock lock(*this);
    SetCursorKind(CursorKind::Busy);
    HitTest2D(x, y, 1);
    editorMenu_.SetEnabled(command::SAVE_LAYOUT, editor.CanSave());
    if (window_ != nullptr) {
        window_->UpdateMenuStates(editorMenu_);
    }
    RefreshStatus();
    Tick();
    SetCursorKind(CursorKind::Normal);
}

void GameApp::OnMiddleButtonDown() {
    ExecuteCommand(edition_ == Edition::TwoD ? command::CHANGE_COLORS : command::UNDO);
}

void GameApp::OnMouseMove(bool onlyLeftHeld) {
    const CursorKind wanted = onlyLeftHeld ? CursorKind::Busy : CursorKind::Normal;
    if (wanted != cursor) {
        SetCursorKind(wanted);
    }
}

void GameApp::OnTimer() {
    if (shutDown_) {
        return;
    }
    BoardLock lock(*this);
    ChronoTick();
}

void GameApp::OnFocus(bool gained) {
    if (shutDown_) {
        return;
    }
    BoardLock lock(*this);
    if (gained) {
        board.ChronoPaused = 0;
    } else {
        board.ChronoPaused = 1;
        board.GameOverShown = 0;
    }
    Tick();
    RefreshChecks();
}

void GameApp::OnViewResized(int pixelWidth, int pixelHeight, bool minimised) {
    if (minimised || shutDown_) {
        return;
    }
    BoardLock lock(*this);
    viewPixelWidth = pixelWidth;
    viewPixelHeight = pixelHeight;
    PlaceWindow();
}

void GameApp::OnMoved() {
    WindowRect rect;
    if (window_ != nullptr && window_->GetFrameRect(rect)) {
        settings.windowXPos = rect.left;
        settings.windowYPos = rect.top;
    }
}

void GameApp::PlaceWindow() {
    WindowRect rect;
    if (window_ != nullptr && window_->GetFrameRect(rect)) {
        settings.windowXPos = rect.left;
        settings.windowYPos = rect.top;
        settings.windowXSize = rect.width;
        settings.windowYSize = rect.height;
    }
    if (window_ != nullptr) {
        window_->GetViewSize(viewPixelWidth, viewPixelHeight);
    }
    Resize();
}

void GameApp::UpdateTitle() {
    std::string name = board.layoutFileName;
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (!name.empty()) {
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    }
    if (window_ != nullptr) {
        window_->SetTitle(titleText + " - " + name);
    }
}

// ---------------------------------------------------------------------------------------------
// Menus and toolbar
// ---------------------------------------------------------------------------------------------

const std::array<int, 13>& GameApp::ToolbarCommands() {
    return kToolbarCommands;
}

std::array<std::string, 13> GameApp::ToolbarTips() const {
    std::array<std::string, 13> tips;
    for (std::size_t i = 0; i < tips.size(); ++i) {
        if (kToolbarCommands[i] != 0) {
            tips[i] = Text(kToolbarTips[i]);
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

void GameApp::BuildMenus() {
    using command::AddOffset;
    using command::FilesOffset;
    using command::NoneOffset;
    mainMenu_.popups.clear();
    editorMenu_.popups.clear();
    auto text = [this](TextId id) { return Text(id); };
    auto entry = [&](int id, TextId label, bool checkable = false) {
        return MenuItem::Command(id, text(label), checkable);
    };

    // The layout editor's menu bar.
    MenuItem editPopup = MenuItem::Popup(text(TextId::EDIT_LAYOUT));
    editPopup.items = {entry(command::NEW_LAYOUT, TextId::NEW_LAYOUT),
                       entry(command::SAVE_LAYOUT, TextId::SAVE_LAYOUT), MenuItem::Separator(),
                       entry(command::EXIT_EDIT_LAYOUT, TextId::EXIT_EDIT_LAYOUT)};
    editPopup.items[1].enabled = editMode && editor.CanSave();
    editorMenu_.popups.push_back(editPopup);

    MenuItem game = MenuItem::Popup(text(TextId::GAME));
    game.items = {entry(command::NEW_GAME, TextId::NEW_GAME),
                  entry(command::RESTART_GAME, TextId::RESTART_GAME),
                  entry(command::EASYMODE, TextId::EASYMODE, true),
                  entry(command::AUTOPLAY, TextId::AUTOPLAY),
                  MenuItem::Separator(),
                  entry(command::PAUSE_CHRONO, TextId::PAUSE_CHRONO),
                  entry(command::HINT, TextId::HINT),
                  entry(command::UNDO, TextId::UNDO),
                  MenuItem::Separator(),
                  entry(command::SAVE_GAME, TextId::SAVE_GAME),
                  entry(command::LOAD_GAME, TextId::LOAD_GAME),
                  MenuItem::Separator(),
                  entry(command::EXIT, TextId::EXIT)};
    mainMenu_.popups.push_back(game);

    MenuItem options = MenuItem::Popup(text(TextId::OPTIONS));
    options.items = {entry(command::SHOW_CHRONO, TextId::SHOW_CHRONO, true),
                     entry(command::SHADOWS, TextId::SHADOWS, true),
                     entry(command::CHANGE_CURSOR, TextId::CHANGE_CURSOR, true),
                     entry(command::MSG_WHEN_LOSE, TextId::MSG_WHEN_LOSE, true),
                     MenuItem::Separator()};
    MenuItem languages = MenuItem::Popup(text(TextId::LANGUAGE));
    BuildFileList(kLanguagePattern, folders.language, languageList);
    AddFileMenu(languages, languageList, settings.language, command::LanguageList,
                command::LanguageList + command::ListSpan - 1);
    options.items.push_back(languages);
    options.items.push_back(entry(command::CONFIG, TextId::CONFIG));
    mainMenu_.popups.push_back(options);

    if (HasWaveDevice()) {
        MenuItem sounds = MenuItem::Popup(text(TextId::SOUNDS));
        struct SoundMenu {
            TextId label;
            int base;
            std::string_view pattern;
            FileList* list;
            const std::string* current;
        };
        const SoundMenu soundMenus[] = {
            {TextId::CHANGE_MUSIC, command::MusicBase, kMusicPattern, &musicList, &settings.music},
            {TextId::CHANGE_SOUND1, command::Sound1Base, kSoundPattern, &sound1List,
             &board.soundFiles[0]},
            {TextId::CHANGE_SOUND2, command::Sound2Base, kSoundPattern, &sound2List,
             &board.soundFiles[1]},
            {TextId::CHANGE_SOUND3, command::Sound3Base, kSoundPattern, &sound3List,
             &board.soundFiles[2]},
        };
        for (const SoundMenu& menu : soundMenus) {
            MenuItem popup = MenuItem::Popup(text(menu.label));
            popup.items.push_back(entry(menu.base + AddOffset, TextId::ADD));
            MenuItem none = entry(menu.base + NoneOffset, TextId::NONE, true);
            none.checked = menu.current->empty();
            popup.items.push_back(none);
            popup.items.push_back(MenuItem::Separator());
            BuildFileList(menu.pattern, folders.sounds, *menu.list);
            AddFileMenu(popup, *menu.list, *menu.current, menu.base + FilesOffset,
                        menu.base + command::ListSpan - 1);
            sounds.items.push_back(popup);
        }
        sounds.items.push_back(entry(command::USE_SOUNDS, TextId::USE_SOUNDS, true));
        mainMenu_.popups.push_back(sounds);
    }

    MenuItem graphics = MenuItem::Popup(text(TextId::GRAPHICS));
    MenuItem tileSets = MenuItem::Popup(text(TextId::TILESET));
    BuildFileList(kPicturePattern, folders.tileSets, tileSetList);
    AddFileMenu(tileSets, tileSetList, settings.tileSet, command::TileSetList,
                command::TileSetList + command::ListSpan - 1);
    graphics.items.push_back(tileSets);
    MenuItem backgrounds = MenuItem::Popup(text(TextId::BACKGROUND));
    backgrounds.items.push_back(entry(command::BackgroundBase + AddOffset, TextId::ADD));
    MenuItem noBackground = entry(command::BackgroundBase + NoneOffset, TextId::NONE, true);
    noBackground.checked = settings.background.empty();
    backgrounds.items.push_back(noBackground);
    backgrounds.items.push_back(MenuItem::Separator());
    BuildFileList(kPicturePattern, folders.backgrounds, backgroundList);
    AddFileMenu(backgrounds, backgroundList, settings.background,
                command::BackgroundBase + FilesOffset,
                command::BackgroundBase + command::ListSpan - 1);
    graphics.items.push_back(backgrounds);
    graphics.items.push_back(entry(command::CHANGE_COLORS, TextId::CHANGE_COLORS));
    if (edition_ != Edition::TwoD) {
        graphics.items.push_back(MenuItem::Separator());
        graphics.items.push_back(entry(command::ZOOM_DEFAULT, TextId::ZOOM_DEFAULT));
    }
    mainMenu_.popups.push_back(graphics);

    MenuItem layout = MenuItem::Popup(text(TextId::LAYOUT));
    if (edition_ == Edition::TwoD) {
        layout.items.push_back(entry(command::EDIT_LAYOUT, TextId::EDIT_LAYOUT));
    }
    layout.items.push_back(entry(command::LOAD_LAYOUT, TextId::LOAD_LAYOUT));
    layout.items.push_back(entry(command::SAVE_LAYOUT, TextId::SAVE_LAYOUT));
    layout.items.push_back(entry(command::HALL_OF_FAME, TextId::HALL_OF_FAME));
    layout.items.push_back(MenuItem::Separator());
    BuildFileList(kLayoutPattern, folders.layouts, layoutList);
    AddFileMenu(layout, layoutList, board.layoutFileName, command::LayoutList,
                command::LayoutList + command::ListSpan - 1);
    layout.items.push_back(MenuItem::Separator());
    layout.items.push_back(entry(command::RANDOM_LAYOUT, TextId::RANDOM_LAYOUT, true));
    mainMenu_.popups.push_back(layout);

    MenuItem help = MenuItem::Popup(text(TextId::HELP));
    help.items = {entry(command::HELP_FILE, TextId::HELP_FILE),
                  entry(command::HELP_ABOUT, TextId::HELP_ABOUT)};
    mainMenu_.popups.push_back(help);

    if (settings.coolMenu) {
        // The toolbar's pictures beside the entries of the same commands (5, sound, has none).
        static constexpr std::array<std::pair<int, int>, 9> kPictures = {
            {{command::LOAD_LAYOUT, 0},
             {command::NEW_GAME, 1},
             {command::UNDO, 2},
             {command::HINT, 3},
             {command::PAUSE_CHRONO, 4},
             {command::HALL_OF_FAME, 6},
             {command::HELP_FILE, 7},
             {command::HELP_ABOUT, 8},
             {command::EXIT, 9}}};
        for (auto [id, picture] : kPictures) {
            if (MenuItem* item = mainMenu_.Find(id)) {
                item->picture = picture;
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

void GameApp::RefreshChecks() {
    if (!menusBuilt_) {
        return;
    }
    mainMenu_.SetChecked(command::SHOW_CHRONO, settings.showChrono);
    mainMenu_.SetChecked(command::EASYMODE, board.easyMode != 0);
    mainMenu_.SetChecked(command::USE_SOUNDS, board.soundEffects != 0);
    mainMenu_.SetChecked(command::SHADOWS, settings.shadows);
    mainMenu_.SetChecked(command::CHANGE_CURSOR, settings.newCursors);
    mainMenu_.SetChecked(command::MSG_WHEN_LOSE, MessageBoxWhenLose);
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

// ---------------------------------------------------------------------------------------------
// Dialogs and file choices
// ---------------------------------------------------------------------------------------------

bool GameApp::ChooseResourceFile(const std::string& folder, std::string& name,
                                 const std::string& pattern, const std::string& description,
                                 bool save) {
    std::string chosen;
    BoardUnlock unlock(*this);
    if (!shellDesktop_.ChooseFile(titleText, folder, pattern, description, save, chosen)) {
        return false;
    }
    const std::string title = FileTitle(chosen);
    if (title.empty()) {
        return false;
    }
    name = title;
    return true;
}

bool GameApp::ImportResourceFile(const std::string& pattern, const std::string& description,
                                 const std::string& destinationFolder) {
    std::string chosen;
    BoardUnlock unlock(*this);
    if (!shellDesktop_.ChooseFile(titleText, std::string(), pattern, description, false, chosen)) {
        return false;
    }
    const std::string title = FileTitle(chosen);
    if (title.empty()) {
        return true;
    }
    // A file of that name in any case is replaced rather than joined by a twin.
    const std::string destination = PathForWriting(destinationFolder, title);
    std::error_code error;
    if (!std::filesystem::equivalent(chosen, destination, error)) {
        std::filesystem::copy_file(chosen, destination,
                                   std::filesystem::copy_options::overwrite_existing, error);
    }
    return true;
}

Colour GameApp::PickColour(Colour colour) {
    return shellDesktop_.PickColour(titleText, colour);
}

void GameApp::ColourDialog() {
    std::vector<ColourButton> buttons = {
        {Text(TextId::COLORSBACK), settings.backgroundColor},
        {Text(TextId::COLORSSIDE), settings.sidesColor},
    };
    BoardUnlock unlock(*this);
    shellDesktop_.ShowColourDialog(
        DialogTexts{Text(TextId::COLORSCAPTION), {Text(TextId::OK)}}, buttons, [this](int button) {
            BoardLock lock(*this);
            Colour& colour = button == 0 ? settings.backgroundColor : settings.sidesColor;
            Colour picked = PickColour(Colour{colour.red, colour.green, colour.blue, 255});
            picked.alpha = 255;
            colour = picked;
            if (button == 1) {
                // The tile sides are cut into the faces: cut them again in the new colour.
                SizeTileSet2D(viewPixelWidth, viewPixelHeight);
            }
            return colour;
        });
}

void GameApp::ConfigDialog() {
    const std::string milliseconds = " " + Text(TextId::MILLISECONDS);
    auto msText = [milliseconds](int value) { return std::to_string(value) + milliseconds; };
    auto ratioText = [](int value) { return "1 / " + std::to_string(value); };
    std::vector<ConfigRow> rows = {
        {Text(TextId::AUTOPLAYDELAY), msText(settings.autoPlaySleep)},
        {Text(TextId::REMOVETILEDELAY), msText(settings.removeTileTime)},
        {Text(TextId::BORDERSIZE), ratioText(settings.borderSize)},
        {Text(TextId::SHADOWSIZE), ratioText(settings.shadowSize)},
    };
    BoardUnlock unlock(*this);
    shellDesktop_.ShowConfigDialog(
        DialogTexts{Text(TextId::CONFIGCAPTION), {Text(TextId::OK)}}, rows,
        [this, msText, ratioText](int row, int delta) -> std::string {
            BoardLock lock(*this);
            auto stepDelay = [delta](int& value) {
                if (delta > 0) {
                    value += 100;
                } else if (value >= 100) {
                    value -= 100;
                }
            };
            auto stepSize = [this, delta](int& value, int low, int high) {
                const int next = value + (delta > 0 ? 1 : -1);
                if (next < low || next > high) {
                    return;  // at the limit nothing changes and nothing is redrawn
                }
                value = next;
                SizeTileSet2D(viewPixelWidth, viewPixelHeight);
                PlaceTiles();
                Tick();
            };
            switch (row) {
                case 0:
                    stepDelay(settings.autoPlaySleep);
                    SettingsToCore();
                    return msText(settings.autoPlaySleep);
                case 1:
                    stepDelay(settings.removeTileTime);
                    return msText(settings.removeTileTime);
                case 2:
                    stepSize(settings.borderSize, 2, 10);
                    return ratioText(settings.borderSize);
                case 3:
                    stepSize(settings.shadowSize, 2, 25);
                    return ratioText(settings.shadowSize);
                default:
                    return std::string();
            }
        });
}
