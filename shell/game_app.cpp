// The application object: construction, settings, start-up and shut-down, and the window's
// input (mouse, keys, wheel, timer, focus, size) turned into game operations. The commands are in
// game_app_commands.cpp, the menus and the toolbar in game_app_menus.cpp.
#include "shell/game_app.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <system_error>

#include "shell/command_ids.h"

// ---------------------------------------------------------------------------------------------
// Construction and the global accessor
// ---------------------------------------------------------------------------------------------

namespace {

GameApp* theApp = nullptr;

}  // namespace

GameApp* TheApp() {
    return theApp;
}

GameApp::GameApp(ShellDesktop& desktop, Edition edition)
    : GameCore(&desktop), shellDesktop_(desktop), edition_(edition) {
    // The title names the edition: "Varnel's mah-jong v<version>" and " DX8.1", " GL" or " 2D".
    titleText = WindowTitle(edition);
    settings.backgroundColor = Colour{0, 0, 0, 255};
    theApp = this;
}

GameApp::~GameApp() {
    // The workers call this object's hooks: they must end before they go.
    watch_.reset();
    StopAutoplay();
    if (audioOpener_.joinable()) {
        audioOpener_.join();
    }
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

int GameApp::MiddleButtonCommand() const {
    return command::UNDO;
}

void GameApp::OnIdle() {
    if (shutDown_) {
        return;
    }
    BoardLock lock(*this);
    Tick();
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
    if (languageList.empty()) {
        return true;
    }
    int preselected = -1;
    const std::vector<LanguageChoice> choices =
        FirstRunChoices(languageList, settings.language, preselected);
    const int chosen = shellDesktop_.ChooseLanguage(WindowTitle(edition_), choices, preselected);
    if (chosen >= 0 && chosen < static_cast<int>(choices.size())) {
        settings.language = choices[static_cast<std::size_t>(chosen)].fileName;
    }
    return true;
}

bool GameApp::LoadSettings() {
    const SettingsLoad loaded = ::LoadSettings(settings, texts, folders, edition_, screen, *this);
    if (!loaded.Usable()) {
        shellDesktop_.ShowMessage(loaded.refusal, WindowTitle(edition_), MessageIcon::Error);
        return false;
    }
    board.layoutFileName = settings.layout;
    board.pairLimit = kPairLimit;
    return true;
}

void GameApp::SaveSettings() {
    WindowRect rect;
    if (window_ != nullptr && window_->GetFrameRect(rect)) {
        settings.windowXPos = rect.left;
        settings.windowYPos = rect.top;
        settings.windowXSize = rect.width;
        settings.windowYSize = rect.height;
    }
    if (!::SaveSettings(settings, folders, edition_, screen, *this)) {
        shellDesktop_.ShowMessage(
            ConfigFilePath(folders, edition_) + " : " + Text(TextId::MesWriteError), titleText,
            MessageIcon::Warning);
    }
}

void GameApp::LoadPictures() {
    InitRendererObjects();
    if (!LoadBackgroundAndTileSet()) {
        // Without faces the board would be invisible: the player hears which file failed, and
        // a readable tile set of the folder takes its place.
        ShowFileMessage(settings.tileSet, TextId::MesReadError);
        FallBackToReadableTileSet();
    }
}

void GameApp::StartGame() {
    ApplyLanguage();
    BuildMenus();
    LoadCursors();
    if (window_ != nullptr) {
        window_->SetToolbarTips(ToolbarTips());
    }
    timerId = command::TimerId;
    PlaceWindow();
    LoadPictures();
    if (!LayoutUsable(board.layoutFileName)) {
        ShowMessage(Text(TextId::MesNo144Tiles), MessageIcon::Warning);
        // No game to keep yet: the shipped default layout takes the refused one's place.
        const std::string fallback(kDefaultLayout);
        if (!EqualNoCase(board.layoutFileName, fallback) && LayoutUsable(fallback)) {
            board.layoutFileName = fallback;
            settings.layout = fallback;
            CheckListEntry(fallback, command::LayoutList, layoutList);
        }
    }
    const bool laidOut = board.LoadLayout(settings.lay);
    NewGame();
    if (!laidOut) {
        ShowNoGame();
    }
    RefreshStatus();
    WatchPosition();
    gameStarted_ = true;
    StartSound();
    CloseSplash();
}

void GameApp::ShutDown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    board.AutoplayRunning = 0;
    if (watch_) {
        watch_->Cancel();  // not waited for here: its answer may be waiting for the board
    }
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

void GameApp::RendererFailed(const std::string& message) {
    StopAutoplay();
    {
        BoardLock lock(*this);
        SaveSettings();
        ReleaseRendererObjects();
        ShutDown();
    }
    shellDesktop_.ShowMessage(message, "ERROR", MessageIcon::Warning, MessageButtons::Ok);
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
    // Every change of the board refreshes the status: the screen reader hears of it here.
    AnnounceChanges();
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
        WatchPosition();
    });
}

void GameApp::StartNewGame() {
    NewGame();
}

bool GameApp::LayoutUsable(const std::string& name) const {
    if (name == board.randomLayoutName || EqualNoCase(name, board.randomLayoutName)) {
        return true;  // the generator always places 144 whole positions
    }
    // The file is tried on a board of its own, so a refusal leaves the game untouched.
    auto probe = std::make_unique<Board>();
    probe->layoutsFolder = board.layoutsFolder;
    probe->layoutFileName = name;
    return probe->LoadLayout(settings.lay) && !probe->PositionsOverlap();
}

void GameApp::ShowNoGame() {
    // Not even the default layout could be read: the board holds no tile, so the status counts
    // none and the chrono stands still (the win is marked as handled: there is none to have).
    board.tilesLeft = 0;
    board.moveCount = 0;
    board.WinHandled = 1;
    board.firstSelected = NoTile;
    board.secondSelected = NoTile;
}

void GameApp::LoadLayoutAndDeal(const std::string& previous) {
    if (!LayoutUsable(board.layoutFileName)) {
        // The layout is refused: the game in progress, its layout and easy mode stay.
        ShowMessage(Text(TextId::MesNo144Tiles), MessageIcon::Warning);
        board.layoutFileName = previous;
        settings.layout = previous;
        CheckListEntry(previous, command::LayoutList, layoutList);
        return;
    }
    board.LoadLayout(settings.lay);
    StartNewGame();
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

GameApp::BusyCursor::BusyCursor(GameApp& app) : app_(app) {
    app_.SetCursorKind(CursorKind::Busy);
}

GameApp::BusyCursor::~BusyCursor() {
    app_.SetCursorKind(CursorKind::Normal);
}

void GameApp::AfterEditorChange() {
    editorMenu_.SetEnabled(command::SAVE_LAYOUT, editor.CanSave());
    if (window_ != nullptr) {
        window_->UpdateMenuStates(editorMenu_);
    }
    RefreshStatus();
}

void GameApp::OnLeftButtonDown(int x, int y) {
    Click([this, x, y] { PickAt(x, y); });
}

void GameApp::Click(const std::function<void()>& pick) {
    if (shutDown_ || (board.ChronoPaused && !editMode)) {
        return;
    }
    BoardLock lock(*this);
    bool focusFollowed = false;
    {
        BusyCursor busy(*this);
        board.GameOverShown = 0;
        board.AutoplayRunning = 0;
        const int selectedBefore = board.firstSelected;
        pick();
        if (editMode) {
            AfterEditorChange();
        } else if (focusTile_ != NoTile && board.firstSelected != NoTile &&
                   board.firstSelected != selectedBefore) {
            // A keyboard focus that is shown follows a tile the mouse selected, so that the keys
            // go on from where the player's eyes are.
            focusFollowed = focusTile_ != board.firstSelected;
            focusTile_ = board.firstSelected;
        }
        Tick();
    }
    if (focusFollowed && Window() != nullptr) {
        Window()->FocusMoved();
    }
    RefreshChecks();
    WatchPosition();
}

void GameApp::OnRightButtonDown(int, int) {}

void GameApp::OnMiddleButtonDown() {
    ExecuteCommand(MiddleButtonCommand());
}

void GameApp::OnPointerMoved(const PointerState& pointer) {
    const CursorKind wanted = pointer.OnlyLeft() ? CursorKind::Busy : CursorKind::Normal;
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
    LetGoOfIdleMemory();
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
    OnPauseChanged(!gained);
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
