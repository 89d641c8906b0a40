// The configuration file: every setting the player can change, read once at start-up and written
// once when the game ends ("TAVX3D.INI" for both 3D programs, "TAVX2D.INI" for board2d). The
// whole file logic runs without a window: screen metrics come in as values, the edition's own keys
// go through ViewSettingsHooks, and refusals and failures are results the shell shows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/colour.h"
#include "settings/language.h"
#include "settings/resource_folders.h"
#include "version/version.h"

// Which program is running; it picks the file name, the title and the edition's keys.
enum class Edition { D3D, GL, TwoD };

inline constexpr std::string_view kGameTitle = "Varnel's mah-jong v" VARNEL_VERSION;
inline constexpr std::string_view kRandomLayout = "RANDOM.TVL";

// "Varnel's mah-jong v" and the version, followed by " DX8.1", " GL" or " 2D": the window title and
// the caption of every message box.
std::string WindowTitle(Edition edition);

// "TAVX3D.INI" or "TAVX2D.INI".
std::string_view ConfigFileName(Edition edition);

// Sizes of the screen the defaults and the on-screen test are computed from (pixels).
struct ScreenMetrics {
    int maximisedWidth = 1024;  // outer size of a maximised window
    int maximisedHeight = 768;
    int frameWidth = 4;  // width and height of a sizing frame
    int frameHeight = 4;
    int menuBarHeight = 20;  // height of a menu bar
};

// Every configuration key, named as the key. The defaults are those of a first start.
struct Settings {
    // Main list, in the order it is written.
    Colour backgroundColor{0, 160, 0, 255};
    Colour sidesColor{184, 120, 24, 255};
    bool easyMode = true;
    int autoPlaySleep = 500;   // milliseconds between two moves of automatic play
    int removeTileTime = 500;  // milliseconds of the 2D removal fade
    bool showChrono = true;
    bool shadows = true;
    std::string language;  // set by the start-up (first run) or read from the file
    std::string layout{kDefaultLayout};
    std::string tileSet{kDefaultTileSet};
    std::string background{kDefaultBackground};  // empty: no background picture
    bool soundEffects = true;
    std::string sound1{kDefaultSound1};  // empty: no sound
    std::string sound2{kDefaultSound2};
    std::string sound3{kDefaultSound3};
    std::string music{kDefaultMusic};  // empty: no music
    int windowXPos = 0;
    int windowYPos = 0;
    int windowXSize = 0;
    int windowYSize = 0;
    bool newCursors = false;
    bool messageBoxWhenLose = true;
    int borderSize = 5;   // board2d only: tile thickness, 2..10
    int shadowSize = 15;  // board2d only: shadow size, 2..25
    bool coolMenu = false;
    bool lay = false;  // the ".lay" key: layout files beginning with 'K' use the grid format

    // 3D section (board3d_d3d and board3d_gl).
    bool moveBoard = true;
    bool bumpMapping = true;
    int textureSize = 64;  // 64, 128 or 256
    std::array<Colour, 5> rgbLevelColor{{{192, 192, 192, 255},
                                         {224, 224, 224, 255},
                                         {192, 192, 192, 255},
                                         {224, 224, 224, 255},
                                         {192, 192, 192, 255}}};
    float xPosition = 0.0f;
    float yPosition = 0.0f;
    float zPosition = 225.0f;
    float lightPosX = 0.0f;
    float lightPosY = 0.0f;
    float lightPosZ = 225.0f;
    float minZoom = 0.0f;
    float maxZoom = 500.0f;
    float stepRotation = 5.0f;

    // Not stored: how many entries a file menu shows before it opens a MORE sub-menu.
    int maxMenuItems = 10;

    friend bool operator==(const Settings&, const Settings&) = default;

    // The effect files by number: 0 select, 1 remove, 2 a tile beside the selected one.
    std::string& SoundFile(int effect) {
        return effect == 0 ? sound1 : effect == 1 ? sound2 : sound3;
    }
    const std::string& SoundFile(int effect) const {
        return effect == 0 ? sound1 : effect == 1 ? sound2 : sound3;
    }
};

// The level colour as the 3D back ends take it: 0x00BBGGRR.
std::uint32_t ColourRef(Colour colour);

// Appends the lines of the configuration file; each line is preceded by CR LF.
class ConfigWriter {
public:
    void Line(std::string_view text);
    const std::string& Bytes() const { return bytes_; }
    std::string& Bytes() { return bytes_; }

private:
    std::string bytes_;
};

// The edition's own keys. The base does nothing, which is what board2d needs: its own keys
// (BorderSize, ShadowSize) are part of its main list.
class ViewSettingsHooks {
public:
    virtual ~ViewSettingsHooks() = default;
    // Sets the edition's own settings to their defaults, before the file is read.
    virtual void SetViewDefaults(Settings& settings);
    // Called for every line that has a key, after the main list was tried: `line` is empty when
    // the main list took it. Does nothing when line or key is empty.
    virtual void ReadViewSettings(std::string_view line, std::string_view key, Settings& settings);
    // Writes the edition's own lines after the main list.
    virtual void WriteViewSettings(ConfigWriter& writer, const Settings& settings);
};

// The 3D section shared by both 3D programs: MoveBoard, BumpMapping, TextureSize, the five level
// colours, camera and light positions, zoom limits and rotation step.
class View3DSettingsHooks : public ViewSettingsHooks {
public:
    void SetViewDefaults(Settings& settings) override;
    void ReadViewSettings(std::string_view line, std::string_view key, Settings& settings) override;
    void WriteViewSettings(ConfigWriter& writer, const Settings& settings) override;
};

// The pauses AutoPlaySleep and RemoveTileTime, in milliseconds: from none to a minute, changed in
// the configuration dialogs in steps of 100. A value outside the range is not read from the file.
inline constexpr int kShortestDelay = 0;
inline constexpr int kLongestDelay = 60000;
inline constexpr int kDelayStep = 100;

// One press of "+" (direction > 0) or "-" (direction < 0) on a delay of the configuration
// dialogs: "+" adds a step, up to the longest delay; "-" takes a step off while the delay is at
// least one step. A delay outside the range is first brought into it.
int StepDelay(int delay, int direction);

// Configuration lines are read with a buffer of this size; a longer line reads as several lines.
inline constexpr size_t kConfigLineBuffer = 255;

// Where the edition's configuration file lies (an existing file of that name in any case wins).
std::string ConfigFilePath(const ResourceFolders& folders, Edition edition);

// Whether the configuration file exists; when it does not, this is the first run.
bool ConfigFileExists(const ResourceFolders& folders, Edition edition);

// The number of file menu entries shown before a MORE sub-menu: the default window height divided
// by the menu-bar height, minus 4, as a 16-bit value; 10 when the menu-bar height is not positive.
int ComputeMaxMenuItems(const ScreenMetrics& screen);

// Whether a window rectangle lies on the screen well enough to be remembered.
bool WindowOnScreen(const Settings& settings, const ScreenMetrics& screen);

// Sets the main list's defaults, the file names included (as a first start has them), computes
// maxMenuItems, then calls SetViewDefaults. `language` is left alone.
void SetDefaultSettings(Settings& settings, const ScreenMetrics& screen, ViewSettingsHooks& hooks);

// Reads the lines of a whole configuration file held in memory over `settings`, which hold the
// values the file may change (LoadSettings starts from the defaults). Every file name starts
// empty; a window the file places off the screen keeps the position and size it had. LoadSettings
// reads the file this way; the fallbacks for missing files and the language are its own.
void ReadConfigText(std::string_view bytes, Settings& settings, Edition edition,
                    const ScreenMetrics& screen, ViewSettingsHooks& hooks);

// What the start-up read of the configuration ends with: `refusal` is the text of the error
// message the game must show (with the window title as caption) before it stops, empty when the
// game can go on.
struct SettingsLoad {
    std::string refusal;
    bool Usable() const { return refusal.empty(); }
};

// Reads the configuration at start-up: defaults, the file, the replacement of missing files by
// fallbacks, the language (into `texts`). The game must stop (with the refusal's message) when no
// language file, no layout or no tile set could be found.
// The caller then also sets the board's pair limit and rebuilds the status text.
SettingsLoad LoadSettings(Settings& settings, LanguageTexts& texts, const ResourceFolders& folders,
                          Edition edition, const ScreenMetrics& screen, ViewSettingsHooks& hooks);

// The exact bytes of the configuration file for these settings. The window lines are written
// only when WindowOnScreen holds.
std::string FormatSettings(const Settings& settings, Edition edition, const ScreenMetrics& screen,
                           ViewSettingsHooks& hooks);

// Writes the configuration file anew (at ConfigFilePath). The file is written under a temporary
// name and renamed over the old one, so a failed write leaves the previous file as it was; false
// then, and the caller names the file in its warning. The caller first stores the window's outer
// rectangle in the window settings.
bool SaveSettings(const Settings& settings, const ResourceFolders& folders, Edition edition,
                  const ScreenMetrics& screen, ViewSettingsHooks& hooks);

// The entries of the first-run language choice, in the list's order; `preselected` is the entry
// spelt exactly like `current` (case included), or -1 when none is.
std::vector<LanguageChoice> FirstRunChoices(const FileList& languages, const std::string& current,
                                            int& preselected);
