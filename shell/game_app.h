// The application object: all state of one run of the game (settings, texts, resource folders,
// file lists, menus, the board and the layout editor's board) and every input of the main window
// turned into game operations through one command dispatch. The window itself is reached only
// through WindowPort and the desktop through ShellDesktop, so the whole program logic runs in tests
// without a display. The board is drawn by the edition's class, through the view slots below.
#pragma once

#include <array>
#include <string>

#include "core/editor_board.h"
#include "core/game_core.h"
#include "settings/language.h"
#include "settings/resource_folders.h"
#include "settings/settings.h"
#include "shell/menu_model.h"
#include "shell/shell_desktop.h"
#include "shell/sound_player.h"
#include "shell/splash_screen.h"
#include "shell/window_port.h"

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

    // What the window shows: the edition hands its composed frame to `sink` and returns true, or
    // returns false while it has none. The base has no frame.
    virtual bool PaintFrame(const FrameSink& sink);
    // The colour the window fills where no frame covers the view.
    Colour ViewFillColour() const { return settings.backgroundColor; }
    // The 2D edition loads its pictures through these; the 3D editions through their textures.
    virtual void LoadBackground2D() {}
    virtual void LoadTileSet2D() {}
    // Re-cuts the tile set for the current view size (2D colour and configuration dialogs).
    virtual void SizeTileSet2D(int, int) {}
    // Hit test of a click in view pixels: the 2D view picks a tile or edits the layout.
    virtual void HitTest2D(int, int, int) {}
    // The pictures of start-up: the 2D edition loads its background and tile set; the 3D
    // editions create their device objects and textures.
    virtual void LoadPictures();
    // ZOOM_DEFAULT of the 3D editions.
    virtual void ResetCamera() {}
    // Redraw while the layout editor changes (no fade).
    virtual void AnimationFrame(int, int, int, int) { Tick(); }

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
    // Copies the settings the board keeps a copy of into the board, and back.
    void SettingsToBoard();
    void BoardToSettings();
    // Copies the settings the core's rules read (chrono shown, autoplay delay, lose message).
    void SettingsToCore();
    // The core's texts come from the language table.
    std::string LanguageText(const char* key) const override;
    // The window the application talks to (may be null: nothing is shown).
    void AttachWindow(WindowPort* window) { window_ = window; }
    WindowPort* Window() const { return window_; }
    // Start-up after the window exists: menus, cursors, toolbar tips, window placement, pictures,
    // layout, first deal, music.
    void StartGame();
    // Destroys the menus, frees the lists and closes the window (ends the main loop).
    void ShutDown();
    bool IsShutDown() const { return shutDown_; }

    // The splash picture "Splash.bmp" of the start folder, shown until the first game is dealt.
    virtual void ShowSplash();
    virtual void CloseSplash();
    // Whether the audio device could be opened; without one, effects and music stay off.
    virtual bool HasWaveDevice();
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
    virtual void OnRightButtonDown(int x, int y);
    virtual void OnMiddleButtonDown();
    virtual void OnMouseMove(bool onlyLeftHeld);
    // Where the pointer is over the board view, in view pixels; (-1, -1) when it left the view.
    // The 2D layout editor shows the tile a left click there would add.
    virtual void OnPointerMoved(int x, int y) {
        (void)x;
        (void)y;
    }
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
    // Menus and toolbar
    // -----------------------------------------------------------------------------------------
    void BuildMenus();
    void RefreshChecks();
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
    static const std::array<int, 13>& ToolbarCommands();

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
    Settings settings;
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
    // The dialogs of the colour and configuration commands; the edition may offer others.
    virtual void ColourDialog();
    virtual void ConfigDialog();
    // The new-game step: deal, title, placing and drawing.
    void StartNewGame();
    // Loads the current layout and starts a game on it, with the message when it is unusable.
    void LoadLayoutAndDeal();

private:
    void ExecuteListCommand(int id);
    void SoundListCommand(int id, int base, std::string& setting, const FileList& list, bool music);
    void SetCursorKind(CursorKind kind);
    void ShowFileMessage(const std::string& file, TextId message);
    void AddFileMenu(MenuItem& popup, const FileList& list, const std::string& current, int firstId,
                     int lastId);
    void LoadLayoutCommand();
    void SaveLayoutCommand();
    void SaveGameCommand();
    void LoadGameCommand();
    void ToggleEditor();
    void HelpCommand();
    void AboutCommand();

    ShellDesktop& shellDesktop_;
    Edition edition_;
    WindowPort* window_ = nullptr;
    MenuBar mainMenu_;
    MenuBar editorMenu_;
    bool editorMenuShown_ = false;
    bool menusBuilt_ = false;
    bool shutDown_ = false;
    std::string shownStatus_;
};
