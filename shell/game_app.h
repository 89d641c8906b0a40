// The application object: all state of one run of the game (settings, texts, resource folders,
// file lists, menus, the board and the layout editor's board) and every input of the main window
// turned into game operations through one command dispatch. The window itself is reached only
// through WindowPort and the desktop through ShellDesktop, so the whole program logic runs in tests
// without a display. The board is drawn by the edition's class, through the view slots below.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/editor_board.h"
#include "core/game_core.h"
#include "settings/language.h"
#include "settings/resource_folders.h"
#include "settings/settings.h"
#include "shell/key_code.h"
#include "shell/menu_model.h"
#include "shell/shell_desktop.h"
#include "shell/sound_player.h"
#include "shell/splash_screen.h"
#include "shell/window_port.h"
#include "shell/winnable_watch.h"

// The one application object of the program, or nullptr before it is built. Set by the
// constructor, cleared by the destructor; tests that build their own object get theirs.
class GameApp;
GameApp* TheApp();

class GameApp : public GameCore, public ViewSettingsHooks {
public:
    GameApp(ShellDesktop& desktop, Edition edition);
    ~GameApp() override;
    GameApp(const GameApp&) = delete;
    GameApp& operator=(const GameApp&) = delete;

    // -----------------------------------------------------------------------------------------
    // View slots, in their order; the edition's class overrides them.
    // -----------------------------------------------------------------------------------------
    virtual bool CreateRenderer() { return true; }
    virtual void InitRendererObjects() {}
    virtual void ReleaseRendererObjects() {}
    void PlaceTiles() override = 0;
    void Tick() override = 0;
    void SetViewDefaults(Settings& settings) override {
        ViewSettingsHooks::SetViewDefaults(settings);
    }
    void ReadViewSettings(std::string_view line, std::string_view key,
                          Settings& settings) override {
        ViewSettingsHooks::ReadViewSettings(line, key, settings);
    }
    void WriteViewSettings(ConfigWriter& writer, const Settings& settings) override {
        ViewSettingsHooks::WriteViewSettings(writer, settings);
    }
    void AnimateRemoval(int, int) override {}
    virtual void Resize() { PlaceTiles(); }

    // -----------------------------------------------------------------------------------------
    // What each edition adds to the slots: its pictures, picking, redrawing, dialogs and input.
    // -----------------------------------------------------------------------------------------
    // What the window shows: the edition hands its picture to `sink` and returns true, or
    // returns false while it has none (an edition drawing through OpenGL never has one).
    virtual bool PaintFrame(const FrameSink& sink);
    // Called every second with the board held: frees what the view can make again when it is
    // next needed.
    virtual void LetGoOfIdleMemory() {}
    // The colour the window fills where no frame covers the view.
    Colour ViewFillColour() const { return settings.backgroundColor; }
    // The background picture and the tile set of the settings, loaded for the board's drawing.
    virtual void LoadBackgroundPicture() {}
    // False when the file of `TileSet` cannot be read as a tile set; the edition then keeps the
    // tile set it had, and the shell says so and decides which set to use.
    virtual bool LoadTileSetPicture() { return true; }
    // Both at the start of a game, with LoadTileSetPicture's answer; an edition that can make
    // the two at once does.
    virtual bool LoadBackgroundAndTileSet() {
        LoadBackgroundPicture();
        return LoadTileSetPicture();
    }
    // The left click at a point of the view, in view pixels: picks the tile there (or edits the
    // layout in the editor) and hands it to the rules.
    virtual void PickAt(int x, int y) {
        (void)x;
        (void)y;
    }
    // Draws the board again at once, without any animation (the layout editor's changes).
    virtual void RedrawNow() { Tick(); }
    // ZOOM_DEFAULT: the camera back to where the settings put it.
    virtual void ResetCamera() {}
    // Whether the edition has the layout editor (its menu entries and commands).
    virtual bool HasLayoutEditor() const { return false; }
    // Whether the edition has a camera (the ZOOM_DEFAULT entry).
    virtual bool HasCamera() const { return false; }
    // The command of the middle button.
    virtual int MiddleButtonCommand() const;
    // Whether the board is drawn again whenever no event waits (the 3D editions' main loop).
    virtual bool WantsIdleLoop() const { return false; }
    // One turn of the idle loop: bring the picture up to date.
    virtual void OnIdle();
    // The chrono was paused (true) or resumed (false) by the focus or the PAUSE_CHRONO command;
    // called before the picture is brought up to date.
    virtual void OnPauseChanged(bool paused) { (void)paused; }

    // -----------------------------------------------------------------------------------------
    // Start-up and shut-down
    // -----------------------------------------------------------------------------------------
    // Builds the resource folders below `startFolder` and gives the board its folders.
    void SetStartFolder(const std::string& startFolder);
    // The first-run choice: when the configuration file does not exist, the language becomes
    // "English.txt" and the player chooses one. True when the choice was offered.
    bool OfferFirstRunLanguage();
    // Reads the settings and the language; false (after the message) when the game must stop.
    bool LoadSettings();
    // Writes the settings, storing the window's outer rectangle first.
    void SaveSettings();
    // The core's texts come from the language table.
    std::string LanguageText(const char* key) const override;
    // The window the application talks to (may be null: nothing is shown).
    // A running question of the solver is dropped first: its answer was for the old window.
    void AttachWindow(WindowPort* window);
    WindowPort* Window() const { return window_; }
    // The pictures of start-up: the renderer's objects, then the background and the tile set.
    void LoadPictures();
    // Start-up after the window exists: menus, cursors, toolbar tips, window placement, pictures,
    // layout, first deal, music.
    void StartGame();
    // Destroys the menus, frees the lists and closes the window (ends the main loop).
    void ShutDown();
    bool IsShutDown() const { return shutDown_; }

    // The splash picture "Splash.bmp" of the start folder, shown until the first game is dealt.
    virtual void ShowSplash();
    virtual void CloseSplash();
    // Whether the audio device could be opened; without one, effects and music stay off. While
    // OpenAudioAside is still opening it, false: the game is silent until the device answers.
    virtual bool HasWaveDevice();
    // Opens the audio device (and the MIDI player with its sound font) on a thread of its own, so
    // that the window shows without waiting for the sound system. The answer reaches the window
    // thread through AudioOpened; a game already started then gets its Sound menu, its speaker
    // button and its music, in that order. Without a device nothing the player sees changes.
    void OpenAudioAside();
    // The device answered (on the window thread): the opening thread is joined and, once the
    // game has started, StartSound follows.
    void AudioOpened();
    bool AudioOpening() const { return audioOpening_.load(); }
    // The end of start-up's sound: a device that answered after the menus were built gets its
    // Sound menu and speaker button, then the music of the settings starts. Nothing while the
    // device is still being opened.
    void StartSound();
    // Starts the music of the `Music` setting from its beginning, or stops it when empty.
    virtual void PlayMusic();
    // The end of a piece, posted to the window's thread: the current piece starts again.
    void OnMusicFinished(std::uint64_t play);
    void PlayEffect(int effect) override;
    void LoadCursors();

    // -----------------------------------------------------------------------------------------
    // Main window input
    // -----------------------------------------------------------------------------------------
    // The one dispatch of every command: menus, toolbar, function keys, mouse buttons.
    void ExecuteCommand(int id);
    void OnCommand(int id) { ExecuteCommand(id); }
    void OnFunctionKey(int key);  // 1..12
    virtual void OnLeftButtonDown(int x, int y);
    // The right button: nothing in the base (the 3D editions turn the board by dragging).
    virtual void OnRightButtonDown(int x, int y);
    void OnMiddleButtonDown();
    // The pointer moved over the board view; the base shows the busy cursor while exactly the
    // left button is held.
    virtual void OnPointerMoved(const PointerState& pointer);
    // The pointer left the board view.
    virtual void OnPointerLeft() {}
    // The wheel turned: positive away from the player, negative towards.
    virtual void OnWheel(int delta) { (void)delta; }
    // A key that is not a command key (F10 and every key but F1..F9, F11, F12).
    virtual void OnKey(KeyCode key) { (void)key; }
    // The game clock's second: the chronometer moves on, and the view may give back memory the
    // shown picture no longer needs (LetGoOfIdleMemory).
    void OnTimer();
    void OnFocus(bool gained);
    // The board view got a new size (device pixels).
    void OnViewResized(int pixelWidth, int pixelHeight, bool minimised);
    void OnMoved();
    // The window is being destroyed (close box): settings written, objects released.
    void OnDestroy();

    // Stores the window's outer rectangle and adapts the view (Resize).
    void PlaceWindow();
    // The window title: title text, " - " and the layout name with only its first letter upper.
    void UpdateTitle() override;
    // The status text goes to the window's status bar.
    void ShowStatusText(const std::string& text) override;
    bool InLayoutEditor() const override { return editMode; }
    // The autoplay worker's redraw request, carried over to the window's thread.
    void AutoplayRedraw(bool placeTiles) override;

    // -----------------------------------------------------------------------------------------
    // Aids beyond undo and hint: whether the game can still be won, redo, shuffle
    // (game_app_aids.cpp)
    // -----------------------------------------------------------------------------------------
    // What the second part of the status bar says about the game on the board.
    enum class Outlook { None, Thinking, Winnable, NotWinnable, Unknown };
    Outlook CurrentOutlook() const { return outlook_; }
    // How long the solver may think about one position before its answer is "unknown".
    std::chrono::milliseconds winnableTimeLimit{2000};
    // After anything that may have changed the position (a removal, undo, redo, shuffle,
    // restart, load, deal): when it did, the solver's worker is asked about the new position and
    // the status says it is thinking. Cheap when nothing changed.
    void WatchPosition();
    // The solver's answer to question `question`, on the window thread; an answer to an older
    // question is dropped.
    void OnWinnableAnswer(std::uint64_t question, const SolveResult& result);
    // HINT: the hint of the rules, with a pair that keeps the game winnable shown first when the
    // solver knows one for this position.
    void HintWithSolver();
    // REDO: replays the pair the last UNDO took back; nothing when there is none.
    void RedoCommand();
    // SHUFFLE: deals the faces left again over the same tiles so that the game can be won; a
    // minute on the chrono, undone by one UNDO, and the game enters no hall of fame.
    void ShuffleCommand();
    // AUTOPLAY_HERE: plays the solver's winning order from the board as it is, at the autoplay's
    // pace, then puts the board back. Refused with a message while the position is not known to
    // be winnable (the menu entry is greyed then) or an autoplay runs (which is stopped).
    void AutoplayHereCommand();
    // Whether the solver has found a winning order for the board as it is now.
    bool KnownWinnable() const;
    // UNDO: takes back the last shuffle when nothing was removed since, else the last pair.
    void UndoWithShuffles();
    // RESTART_GAME: every shuffle and pair taken back, so the deal starts as it was dealt.
    void RestartWithShuffles();

    // -----------------------------------------------------------------------------------------
    // Keyboard play and the screen reader (game_app_focus.cpp)
    // -----------------------------------------------------------------------------------------
    // A key of the board view: the keyboard focus's keys (Tab, Shift+Tab, hjkl, Ctrl+arrows,
    // Ctrl+Page Up/Down, Space, Return, Escape) are the game's; every other key goes to OnKey.
    void KeyPressed(KeyCode key);
    // Handles `key` when it is a key of the keyboard focus; false for any other key. In the
    // layout editor and after shut-down the focus keys do nothing (and are still taken).
    bool FocusKey(KeyCode key);
    // The tile with the keyboard focus, or NoTile before the first focus key of a game. Never
    // a removed tile: every change of the board brings the focus back onto it.
    int FocusedTile() const { return focusTile_; }
    // The focused tile in the player's language ("Bamboo 3, free, layer 2"), or the board's name
    // and how to reach a tile when no tile has the focus.
    std::string FocusText();
    // "140 tiles left, 12 free pairs", in the player's language.
    std::string BoardCountsText();
    // What was announced last (a removed pair, the hint, the win or the loss), empty before.
    const std::string& LastAnnouncement() const { return announcement_; }

    // -----------------------------------------------------------------------------------------
    // Menus and toolbar
    // -----------------------------------------------------------------------------------------
    void BuildMenus();
    void RefreshChecks();
    // A text the language file gives empty takes its English text, as a missing one does: an
    // empty title would hide its whole menu.
    void FillEmptyTexts();
    // The texts of a new language in force: empty ones filled, the desktop's own buttons and
    // dialogs told (start-up and every language change).
    void ApplyLanguage();
    // Moves the check mark of a file list to the entry of `id` and copies its file name into
    // `destination`; false when no entry has that identifier.
    bool SelectListEntry(int id, std::string& destination, int firstId, const FileList& list);
    // Checks the entry whose file name equals `name` without regard to case.
    bool CheckListEntry(const std::string& name, int firstId, const FileList& list);
    const MenuBar& MainMenu() const { return mainMenu_; }
    const MenuBar& EditorMenu() const { return editorMenu_; }
    bool EditorMenuShown() const { return editorMenuShown_; }
    // The tooltip of each toolbar button, in button order (empty for the gaps).
    std::array<std::string, 13> ToolbarTips() const;
    // The command of each toolbar button, 0 for the gaps.
    static std::array<int, 13> ToolbarCommands();

    // -----------------------------------------------------------------------------------------
    // File choices and colour
    // -----------------------------------------------------------------------------------------
    // A file of a resource folder: true and the chosen name without its folder, false on cancel.
    bool ChooseResourceFile(const std::string& folder, std::string& name,
                            const std::string& pattern, const std::string& description, bool save);
    // Copies a file the player chooses into `destinationFolder`; true when one was chosen (also
    // when the copy failed), false on cancel.
    bool ImportResourceFile(const std::string& pattern, const std::string& description,
                            const std::string& destinationFolder);
    Colour PickColour(Colour colour);

    const std::string& Text(TextId id) const { return texts.Text(id); }
    const std::string& TitleText() const { return titleText; }
    const std::string& ShownStatus() const { return shownStatus_; }
    Edition GetEdition() const { return edition_; }
    ShellDesktop& GetDesktop() { return shellDesktop_; }

    // -----------------------------------------------------------------------------------------
    // State
    // -----------------------------------------------------------------------------------------
    LanguageTexts texts;
    ResourceFolders folders;
    ScreenMetrics screen;
    FileList layoutList;
    FileList languageList;
    FileList tileSetList;
    FileList backgroundList;
    FileList sound1List;
    FileList sound2List;
    FileList sound3List;
    FileList musicList;
    // The board, the layout editor's board (`editor`) and the title text are the core's.
    bool editMode = false;
    int fadeSteps = 0;
    int timerId = 0;
    // The board view's size in device pixels, kept current by the window.
    int viewPixelWidth = 0;
    int viewPixelHeight = 0;
    CursorKind cursor = CursorKind::Normal;
    SoundPlayer sound;
    SplashScreen splash;

protected:
    // The one path of a left click, whether the mouse or the keyboard gave it: `pick` hands the
    // tile to the rules (or edits the layout), then the board is drawn and watched.
    void Click(const std::function<void()>& pick);
    // The dialogs of the colour and configuration commands, which differ by edition.
    virtual void ColourDialog() {}
    virtual void ConfigDialog() {}
    // Shows the busy cursor while a click is handled, and the normal one again after.
    class BusyCursor {
    public:
        explicit BusyCursor(GameApp& app);
        ~BusyCursor();
        BusyCursor(const BusyCursor&) = delete;
        BusyCursor& operator=(const BusyCursor&) = delete;

    private:
        GameApp& app_;
    };
    // A renderer that cannot serve the window ends the game in this order: the settings are
    // written, the renderer's objects released, the application shut down, and then `message`
    // is shown with the caption "ERROR".
    void RendererFailed(const std::string& message);
    // After a click or an editor change: the editor's SAVE_LAYOUT state and the status.
    void AfterEditorChange();
    // The new-game step: deal, title, placing and drawing.
    void StartNewGame();
    // Loads the current layout and starts a game on it. A layout that is unusable is refused
    // with the message: the layout name goes back to `previous` and the game goes on.
    void LoadLayoutAndDeal(const std::string& previous);
    // Whether the layout file holds 144 whole positions of which none overlaps another partly.
    bool LayoutUsable(const std::string& name) const;
    // The board holds no tile after a failed load: status and chrono say so.
    void ShowNoGame();

private:
    void ExecuteListCommand(int id);
    void SoundListCommand(int id, int base, std::string& setting, const FileList& list, bool music);
    void SetCursorKind(CursorKind kind);
    void ShowFileMessage(const std::string& file, TextId message);
    // Start-up with a tile set that cannot be read: the shipped default, else the first readable
    // picture of the tile-set folder becomes `TileSet`. Nothing changes when none is readable.
    void FallBackToReadableTileSet();
    // A popup of a resource folder: ADD, NONE, a separator and the folder's files.
    MenuItem ResourceMenu(TextId label, int base, std::string_view pattern,
                          const std::string& folder, FileList& list, const std::string& current);
    void AddFileMenu(MenuItem& popup, const FileList& list, const std::string& current, int firstId,
                     int lastId);
    void LoadLayoutCommand();
    void SaveLayoutCommand();
    void SaveGameCommand();
    void LoadGameCommand();
    void ToggleEditor();
    // Whether the editor holds positions that differ from those it started from or last saved.
    bool EditorHasUnsavedPositions() const;
    // Before the editor throws away unsaved positions (New layout, Exit editor) or, on leaving,
    // a game in progress: asks the player; false on Cancel.
    bool ConfirmEditorDiscard(bool leaving);
    void HelpCommand();
    void AboutCommand();

    ShellDesktop& shellDesktop_;
    Edition edition_;
    WindowPort* window_ = nullptr;
    MenuBar mainMenu_;
    MenuBar editorMenu_;
    bool editorMenuShown_ = false;
    PositionGrid editorKept_{};  // the editor's positions when it started or last saved
    bool menusBuilt_ = false;
    bool shutDown_ = false;
    std::string shownStatus_;

    // Whether the game can still be won. The worker is made with the first question; the
    // answer kept is the one for the position of `watchedKey_`.
    void ShowOutlook();
    std::unique_ptr<WinnableWatch> watch_;
    // Answers queued to the window check it: the application may be gone when the window runs
    // them.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    std::uint64_t watchQuestion_ = 0;
    std::uint64_t watchedKey_ = 0;
    bool watching_ = false;
    Outlook outlook_ = Outlook::None;
    SolveResult answer_;
    // The position whose first hint was given the winning pair (only once per position).
    std::uint64_t hintArrangedKey_ = 0;
    bool hintArranged_ = false;
    // The shuffles of the game in progress, newest last: the faces before each and the undo
    // count it was made at, so UNDO can take it back. Those of an earlier game are dropped.
    struct ShuffleStep {
        std::uint32_t gameSerial = 0;
        std::int16_t undoCount = 0;
        std::array<std::uint8_t, kTiles> faces{};
    };
    std::vector<ShuffleStep> shuffles_;
    bool UndoLastShuffle();
    // The thread of OpenAudioAside while it runs or its answer waits for the window thread, and
    // whether StartGame has come to its sound (before that, an early answer only joins).
    std::thread audioOpener_;
    std::atomic<bool> audioOpening_{false};  // effects may be asked for on the autoplay worker
    bool gameStarted_ = false;

    // The keyboard focus, and what the board looked like at the last announcement, so that a
    // change from any source (a click, a key, undo, autoplay, the hint) is announced once.
    void MoveFocus(int tile);
    void AnnounceChanges();
    int focusTile_ = NoTile;
    struct SeenBoard {
        std::uint32_t gameSerial = 0;
        int tilesLeft = -1;
        int undoCount = 0;
        int hintFirst = NoTile;
        int hintSecond = NoTile;
        bool over = false;
    };
    SeenBoard seen_;
    std::string announcement_;
};
