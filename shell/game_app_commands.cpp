// The application object's command dispatch: every menu entry, toolbar button, function key and
// mouse button reaches the game here, and the file choices the commands make.
#include "shell/game_app.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "files/file_io.h"
#include "shell/command_ids.h"

namespace {

// Sounds, music and pictures a player adds: a picture of the largest size the readers take, with
// room to spare.
constexpr std::uint64_t kLargestImportedFile = 512ull * 1024 * 1024;

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
            RestartWithShuffles();
            break;
        case command::EASYMODE:
            if (EasyModeCommand()) {
                ExecuteCommand(command::NEW_GAME);
            }
            break;
        case command::AUTOPLAY:
            AutoplayCommand();
            break;
        case command::PAUSE_CHRONO:
            board.ChronoPaused = board.ChronoPaused ? 0 : 1;
            OnPauseChanged(board.ChronoPaused != 0);
            Tick();
            break;
        case command::HINT:
            HintWithSolver();
            break;
        case command::UNDO:
            UndoWithShuffles();
            break;
        case command::REDO:
            RedoCommand();
            break;
        case command::SHUFFLE:
            ShuffleCommand();
            break;
        case command::AUTOPLAY_HERE:
            AutoplayHereCommand();
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
        case command::RANDOM_LAYOUT: {
            const std::string previous = board.layoutFileName;
            board.layoutFileName = Upper(board.randomLayoutName);
            CheckListEntry(board.layoutFileName, command::LayoutList, layoutList);
            LoadLayoutAndDeal(previous);
            break;
        } break;
        case command::HELP_FILE:
            HelpCommand();
            break;
        case command::HELP_ABOUT:
            AboutCommand();
            break;
        case command::USE_SOUNDS:
            // Without a device the button is greyed; the effects' choice is kept for a later run.
            if (!HasWaveDevice()) {
                break;
            }
            settings.soundEffects = !settings.soundEffects;
            break;
        case command::CHANGE_CURSOR:
            settings.newCursors = !settings.newCursors;
            LoadCursors();
            break;
        case command::MSG_WHEN_LOSE:
            settings.messageBoxWhenLose = !settings.messageBoxWhenLose;
            break;
        case command::EDIT_LAYOUT:
            if (HasLayoutEditor()) {
                ToggleEditor();
            }
            break;
        case command::NEW_LAYOUT:
            if (HasLayoutEditor() && editMode && ConfirmEditorDiscard(false)) {
                editor.EditorClear();
                editor.EditorRebuild();
                editorMenu_.SetEnabled(command::SAVE_LAYOUT, false);
                if (window_ != nullptr && editorMenuShown_) {
                    window_->UpdateMenuStates(editorMenu_);
                }
                RefreshStatus();
                RedrawNow();
            }
            break;
        case command::ZOOM_DEFAULT:
            if (HasCamera()) {
                ResetCamera();
            }
            break;
        default:
            ExecuteListCommand(id);
            break;
    }
    RefreshChecks();
    WatchPosition();
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
            ApplyLanguage();
            BuildMenus();
            RefreshStatus();
        }
    } else if (low >= command::TileSetList && low < command::TileSetList + command::ListSpan) {
        const std::string previous = settings.tileSet;
        if (SelectListEntry(id, settings.tileSet, command::TileSetList, tileSetList)) {
            if (!LoadTileSetPicture()) {
                // The board keeps the tile set it shows, and the choice stays with it.
                ShowFileMessage(settings.tileSet, TextId::MesReadError);
                settings.tileSet = previous;
                CheckListEntry(previous, command::TileSetList, tileSetList);
            }
            Tick();
        }
    } else if (low >= command::LayoutList && low < command::LayoutList + command::ListSpan) {
        const std::string previous = board.layoutFileName;
        if (SelectListEntry(id, board.layoutFileName, command::LayoutList, layoutList)) {
            settings.layout = board.layoutFileName;
            LoadLayoutAndDeal(previous);
        }
    } else if (low > command::Sound1Base && low < command::Sound1Base + command::ListSpan) {
        SoundListCommand(id, command::Sound1Base, settings.sound1, sound1List, false);
    } else if (low > command::Sound2Base && low < command::Sound2Base + command::ListSpan) {
        SoundListCommand(id, command::Sound2Base, settings.sound2, sound2List, false);
    } else if (low > command::Sound3Base && low < command::Sound3Base + command::ListSpan) {
        SoundListCommand(id, command::Sound3Base, settings.sound3, sound3List, false);
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
            LoadBackgroundPicture();
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

bool GameApp::EditorHasUnsavedPositions() const {
    return editor.positionCount > 0 && editor.positionGrid != editorKept_;
}

bool GameApp::ConfirmEditorDiscard(bool leaving) {
    std::string text;
    if (EditorHasUnsavedPositions()) {
        text = Text(TextId::MesUnsavedLayout);
    }
    // Leaving deals a new game: a game with pairs taken and tiles still to take would be lost.
    if (leaving && board.undoCount > 0 && board.tilesLeft > 0) {
        text += (text.empty() ? "" : "\n") + Text(TextId::MesGameInProgress);
    }
    if (text.empty()) {
        return true;
    }
    return ShowMessage(text, MessageIcon::Warning, MessageButtons::OkCancel) == MessageAnswer::Ok;
}

void GameApp::ToggleEditor() {
    if (editMode && !ConfirmEditorDiscard(true)) {
        return;  // Cancel: the editor stays open with its positions, and the game stays as it is
    }
    editMode = !editMode;
    ExecuteCommand(command::PAUSE_CHRONO);
    if (editMode) {
        editor.layoutsFolder = folders.layouts;
        editor.StartFrom(board.positionGrid);
        editorKept_ = editor.positionGrid;
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
    RedrawNow();
}

void GameApp::LoadLayoutCommand() {
    std::string name;
    if (!ChooseResourceFile(folders.layouts, name, std::string(kLayoutPattern),
                            Text(TextId::FilterLayout), false)) {
        return;
    }
    const std::string previous = board.layoutFileName;
    board.layoutFileName = Upper(name);
    settings.layout = board.layoutFileName;
    CheckListEntry(board.layoutFileName, command::LayoutList, layoutList);
    LoadLayoutAndDeal(previous);
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
        if (saved) {
            editorKept_ = editor.positionGrid;
        }
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
        if (saved && !board.LoadLayout(settings.lay)) {
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

void GameApp::FallBackToReadableTileSet() {
    const std::string refused = settings.tileSet;
    if (tileSetList.empty()) {
        BuildFileList(kPicturePattern, folders.tileSets, tileSetList);
    }
    std::vector<std::string> candidates{std::string(kDefaultTileSet)};
    for (const FileEntry& entry : tileSetList) {
        if (!EqualNoCase(entry.fileName, candidates.front())) {
            candidates.push_back(entry.fileName);
        }
    }
    for (const std::string& candidate : candidates) {
        if (EqualNoCase(candidate, refused) || !FileExistsInFolder(folders.tileSets, candidate)) {
            continue;
        }
        settings.tileSet = candidate;
        if (LoadTileSetPicture()) {
            CheckListEntry(candidate, command::TileSetList, tileSetList);
            return;
        }
    }
    settings.tileSet = refused;
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
    const DialogTexts texts{titleText, {Text(TextId::CLOSE)}};
    BoardUnlock unlock(*this);
    shellDesktop_.ShowHelp(path, texts);
}

void GameApp::AboutCommand() {
    BoardUnlock unlock(*this);
    shellDesktop_.ShowAbout(DialogTexts{
        Text(TextId::ABOUTCAPTION),
        {titleText, Text(TextId::ABOUTCOPYRIGHT), Text(TextId::OK), Text(TextId::ABOUTVERSION),
         Text(TextId::ABOUTLICENCE), Text(TextId::ABOUTFOLDER)}});
}

// ---------------------------------------------------------------------------------------------
// File choices
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
    // The copy goes through the one writer of game files: a new temporary file renamed over the
    // destination, so a link planted under the name is replaced, never written through.
    std::error_code error;
    if (!std::filesystem::equivalent(chosen, destination, error)) {
        std::vector<std::uint8_t> bytes;
        if (files::ReadWholeFile(chosen, kLargestImportedFile, bytes)) {
            files::WriteFileReplacing(destination, bytes.data(), bytes.size());
        }
    }
    return true;
}

Colour GameApp::PickColour(Colour colour) {
    return shellDesktop_.PickColour(titleText, colour);
}
