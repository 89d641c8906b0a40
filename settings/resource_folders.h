// The seven resource folders of the game folder, the small path operations every module uses, the
// fallback search that replaces a missing file by one that exists, and the sorted file lists that
// the menus of languages, layouts, tile sets, backgrounds, sounds and music are made from.
//
// The game folder may come from a system whose file names ignore case, so every lookup of a name
// inside a folder goes through ResolveInFolder: "DEFAULT.TVL" opens Default.tvl, "*.WAV" lists
// c.wav.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The game's text string: plain bytes, UTF-8 where the player's texts are concerned.
using TextString = std::string;

// Patterns (semicolon-separated "*.EXT" lists) and default files of each kind of resource.
inline constexpr std::string_view kLayoutPattern = "*.TVL";
inline constexpr std::string_view kPicturePattern = "*.BMP;*.TGA;*.JPG";
inline constexpr std::string_view kSoundPattern = "*.WAV";
inline constexpr std::string_view kMusicPattern = "*.MID";
inline constexpr std::string_view kLanguagePattern = "*.TXT";
inline constexpr std::string_view kHelpPattern = "*.HTML";
inline constexpr std::string_view kSavedGamePattern = "*.TVM";

inline constexpr std::string_view kDefaultLayout = "Default.tvl";
inline constexpr std::string_view kDefaultTileSet = "Standard.jpg";
inline constexpr std::string_view kDefaultBackground = "Mountain.jpg";
inline constexpr std::string_view kDefaultSound1 = "Select.wav";
inline constexpr std::string_view kDefaultSound2 = "Remove.wav";
inline constexpr std::string_view kDefaultSound3 = "Beside.wav";
inline constexpr std::string_view kDefaultMusic = "Tune478.mid";
inline constexpr std::string_view kDefaultLanguage = "English.txt";
inline constexpr std::string_view kDefaultHelp = "English.html";

// The start folder and its seven sub-folders. Every path ends with '/', so a file path is the
// folder followed by the name. The folders are never created; a missing one acts as empty.
struct ResourceFolders {
    std::string start;        // the working directory at start-up; holds the configuration file
    std::string tileSets;     // TILESETS
    std::string language;     // LANGUAGE: language files and help pages
    std::string layouts;      // LAYOUTS
    std::string sounds;       // SOUNDS: sound effects and music
    std::string scores;       // SCORES: hall of fame
    std::string savedGames;   // SAVEGAME
    std::string backgrounds;  // BACKGRND
};

// Builds the folders below `startFolder`. A sub-folder that exists under another case (for
// example "Layouts") is used as it is spelt on disk; otherwise the capital name is used.
ResourceFolders MakeResourceFolders(const std::string& startFolder);

// The working directory as the start folder; false (and `folder` empty) when it cannot be had.
bool CurrentStartFolder(std::string& folder);

// The folder, a '/' unless the folder already ends with one, then the name. An empty folder
// gives the name alone.
std::string JoinPath(const std::string& folder, std::string_view name);

// The full path of the entry `name` in `folder`, matched without regard to case (an exact match
// wins; among several case variants a regular file wins, then the smallest name). Components of
// a name holding '/' are each resolved the same way. Empty when nothing matches or `name` is
// empty.
std::string ResolveInFolder(const std::string& folder, std::string_view name);

// Where a file of this name is to be written: the existing file in any case, else the joined
// path, so that writing never creates a twin that differs only in case.
std::string PathForWriting(const std::string& folder, std::string_view name);

// Whether `name` is a regular file in `folder` (matched without regard to case) that can be
// opened for reading. Anything that cannot be read counts as absent.
bool FileExistsInFolder(const std::string& folder, std::string_view name);

// The name cut just before its last dot, followed by `extension` (with its dot, or empty). A
// name without a dot keeps all of it.
std::string ReplaceExtension(std::string_view name, std::string_view extension);

// Byte comparison without regard to ASCII case, as the game sorts and compares file names.
// Negative, zero or positive.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualNoCase(std::string_view a, std::string_view b);

// Whether `fileName` matches one wildcard pattern ('*' and '?'), without regard to case.
bool MatchesPattern(std::string_view pattern, std::string_view fileName);

// The regular files of `folder` that match one pattern, in the order the game searches them
// (without regard to case, ties by bytes). Names holding a double quote or a control character
// are left out. Empty for a missing folder.
std::vector<std::string> SearchFolder(const std::string& folder, std::string_view pattern);

// The file to use in place of a missing one: `preferred` (in its own spelling) when a file of
// that name matches one of the patterns; otherwise the first file found for the last pattern that
// found anything; otherwise empty.
std::string FindFallbackFile(std::string_view patterns, const std::string& folder,
                             std::string_view preferred);

// One file of a menu list: the name on disk and the name shown (without its extension).
struct FileEntry {
    std::string fileName;
    std::string displayName;
};

// Kept sorted by display name, without regard to case.
using FileList = std::vector<FileEntry>;

// Fills `list` anew with the files of `folder` matching the patterns (all the files of one
// pattern, then those of the next), in display name order. Returns the number of entries.
int BuildFileList(std::string_view patterns, const std::string& folder, FileList& list);

// Fills `list` anew with the files named in `foundNames`, given in the order they were found,
// as if each were inserted in turn: in front when its display name is smaller than the first
// entry's, else after the leading run of entries with smaller display names (without regard to
// case). Takes O(n log n) for n names.
void MakeFileList(std::vector<std::string> foundNames, FileList& list);

// One menu entry of a file list, with its command identifier.
struct FileMenuItem {
    int command = 0;
    int index = 0;  // position in the FileList
    std::string displayName;
    std::string fileName;
    bool checked = false;
};

// How a file list is shown in a menu: first the "more" sub-menus, each appended as a pop-up
// titled with the MORE text, then the items placed in the menu itself. The shell only renders it.
struct FileMenuPlan {
    std::vector<std::vector<FileMenuItem>> moreMenus;
    std::vector<FileMenuItem> items;
};

// Splits `list` for a menu that shows at most `maxMenuItems` entries before it opens a further
// sub-menu (values below 1 count as 1). Entries get the identifiers firstCommand, firstCommand+1,
// ... in list order; entries that would get an identifier above `lastCommand` are left out, so
// that a crowded folder never reaches into the identifiers of another menu. An entry is checked
// when its file name equals `currentName` without regard to case.
FileMenuPlan PlanFileMenu(const FileList& list, std::string_view currentName, int firstCommand,
                          int lastCommand, int maxMenuItems);
