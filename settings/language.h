// The game's texts: one text per language key, read from the language files of the LANGUAGE
// folder with "English.txt" always underneath, and the help page that belongs to the language.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "settings/resource_folders.h"

namespace textfile {
class LineReader;
}

// One entry of the first-run language choice: the name shown and the file it stands for.
struct LanguageChoice {
    std::string displayName;
    std::string fileName;
};

// Every language key, in the order the reader tests them. The enumerators are spelt exactly as
// the keys of the language files. Menu and toolbar texts run from GAME to T_EXIT; the menu
// entries added later (REDO, SHUFFLE), the texts of the status bar's second part and the words a
// screen reader says for the board (Acc*) follow the older keys at the end.
// clang-format off
#define VARNEL_TEXT_KEYS(X)                                                                        \
    X(GAME) X(NEW_GAME) X(RESTART_GAME) X(EASYMODE) X(AUTOPLAY) X(PAUSE_CHRONO) X(HINT) X(UNDO)    \
    X(SAVE_GAME) X(LOAD_GAME) X(EXIT) X(OPTIONS) X(SHOW_CHRONO) X(SHADOWS) X(CHANGE_CURSOR)        \
    X(MSG_WHEN_LOSE) X(LANGUAGE) X(CONFIG) X(SOUNDS) X(CHANGE_MUSIC) X(CHANGE_SOUND1)              \
    X(CHANGE_SOUND2) X(CHANGE_SOUND3) X(USE_SOUNDS) X(GRAPHICS) X(TILESET) X(BACKGROUND)           \
    X(CHANGE_COLORS) X(ZOOM_DEFAULT) X(LAYOUT) X(LOAD_LAYOUT) X(SAVE_LAYOUT) X(EDIT_LAYOUT)        \
    X(NEW_LAYOUT) X(EXIT_EDIT_LAYOUT) X(HALL_OF_FAME) X(RANDOM_LAYOUT) X(HELP) X(HELP_FILE)        \
    X(HELP_ABOUT) X(NONE) X(MORE) X(ADD) X(T_NEW_GAME) X(T_UNDO) X(T_HINT) X(T_LOAD_LAYOUT)        \
    X(T_PAUSE_CHRONO) X(T_SOUND) X(T_HALL_OF_FAME) X(T_HELP_FILE) X(T_HELP_ABOUT) X(T_EXIT)        \
    X(MesReadError) X(MesWriteError) X(MesUndo) X(MesWinLoad) X(MesWinNoHall) X(MesStatusWin)      \
    X(MesStatusLose) X(MesChronoPaused) X(MesAutoplayError) X(MesEasyMode) X(MesNoLayout)          \
    X(MesNoTileSet) X(MesNo144Tiles) X(MesDealNotWinnable) X(Tiles) X(Chrono) X(Sol)               \
    X(FilterSound) X(FilterMusic)                                                                  \
    X(FilterBitmap) X(FilterLayout) X(FilterSaveGame) X(OK) X(ABOUTCAPTION) X(ABOUTCOPYRIGHT)      \
    X(WINCAPTION) X(WINNAME) X(HALLFAMECAPTION) X(HALLFAMENAME) X(HALLFAMETIME) X(COLORSCAPTION)   \
    X(COLORSBACK) X(COLORSSIDE) X(COLORS3DCAPTION) X(COLORS3DLEVELGRP) X(COLORS3DLEVEL0)           \
    X(COLORS3DLEVEL1) X(COLORS3DLEVEL2) X(COLORS3DLEVEL3) X(COLORS3DLEVEL4) X(CONFIGCAPTION)       \
    X(MILLISECONDS) X(AUTOPLAYDELAY) X(REMOVETILEDELAY) X(BORDERSIZE) X(SHADOWSIZE) X(MOVEBOARD)   \
    X(TEXTURESIZE) X(BUMPMAPPING) X(USE_TEXTURES) X(MesScores) X(MesSizeError)                     \
    X(MesOpenGLSoftwareOnly) X(CANCEL) X(ABOUTAUTHOR) X(ABOUTEMAIL) X(ABOUTHOMEPAGE)               \
    X(COLORS3DCOLORSEL) X(COLORS3DTILEGRP) X(COLORS3DTILE1) X(COLORS3DTILE2) X(COLORS3DTILE3)      \
    X(COLORS3DTILE4) X(STRETCHTILES) X(SELECTMODE) X(SELECTDARKER) X(SELECTINVERT) X(STEP3D)     \
    X(MesUnsavedLayout) X(MesGameInProgress) X(CLOSE) X(ABOUTVERSION) X(ABOUTLICENCE)            \
    X(ABOUTFOLDER) X(REDO) X(SHUFFLE) X(MesWinnable) X(MesNotWinnable) X(MesWinnableThinking)      \
    X(MesWinnableUnknown) X(MesHintWinnable) X(MesHintNotWinnable) X(MesShuffleFailed)            \
    X(MesWinShuffled) X(AUTOPLAY_HERE) X(MesAutoplayHereError)                                     \
    X(AccCharacter) X(AccCircle) X(AccBamboo) X(AccPlum) X(AccOrchid) X(AccChrysanthemum)          \
    X(AccBambooFlower) X(AccEastWind) X(AccSouthWind) X(AccWestWind) X(AccNorthWind) X(AccSpring)  \
    X(AccSummer) X(AccAutumn) X(AccWinter) X(AccRedDragon) X(AccGreenDragon) X(AccWhiteDragon)     \
    X(AccFree) X(AccBlocked) X(AccLayer) X(AccSelected) X(AccBoard) X(AccCounts) X(AccRemoved)     \
    X(AccHint) X(AccNoFocus)
// clang-format on

enum class TextId : int {
#define VARNEL_TEXT_ENUMERATOR(key) key,
    VARNEL_TEXT_KEYS(VARNEL_TEXT_ENUMERATOR)
#undef VARNEL_TEXT_ENUMERATOR
};

#define VARNEL_TEXT_COUNT_ONE(key) +1
inline constexpr int kTextCount = 0 VARNEL_TEXT_KEYS(VARNEL_TEXT_COUNT_ONE);
#undef VARNEL_TEXT_COUNT_ONE

// Room of a text, its appended function-key suffix included: menu and toolbar texts hold 127
// bytes, the language menu's title and all other texts 4095. Longer texts are cut.
inline constexpr size_t kMenuTextRoom = 127;
inline constexpr size_t kTextRoom = 4095;

// Language lines are read with a buffer of this size; a longer line reads as several lines.
inline constexpr size_t kLanguageLineBuffer = 1024;

// The key names, indexed by TextId.
extern const std::array<std::string_view, kTextCount> kTextKeys;

std::string_view TextKey(TextId id);

// The function-key suffix the reader appends to a key's text ("\tF2" for NEW_GAME), or empty.
std::string_view TextSuffix(TextId id);

// The room of a key's text (kMenuTextRoom or kTextRoom).
size_t TextRoom(TextId id);

// The key spelt exactly `key` (case counts); false for an unknown key.
bool FindTextId(std::string_view key, TextId& id);

// The text table and the help page of the current language. Before the first load every text is
// empty; a load overwrites only the keys its file holds.
class LanguageTexts {
public:
    const std::string& Text(TextId id) const { return texts_[static_cast<size_t>(id)]; }

    // Stores a text as a language file would give it: the suffix is appended and the whole is cut
    // to the key's room, the suffix kept intact.
    void SetText(TextId id, std::string_view text);

    // Empties every text and the help page.
    void Clear();

    // The help page of the language: a file name in the LANGUAGE folder, or empty when the folder
    // holds no help page.
    const std::string& HelpFile() const { return helpFile_; }

    // Reads one file of the LANGUAGE folder into the table and derives the help page from its
    // name. False when the file cannot be opened (the texts are then unchanged; the help page is
    // still derived).
    bool ReadLanguageFile(const ResourceFolders& folders, std::string_view fileName);
    // Reads the texts of a whole language file held in memory into the table; the help page is
    // left alone. ReadLanguageFile reads the file this way.
    void ReadLanguageText(std::string_view bytes);

    // Reads "English.txt" (unless `chosen` is exactly that name) and then `chosen`, so that keys
    // a translation lacks keep their English text. The result is that of reading `chosen`.
    bool LoadLanguage(const ResourceFolders& folders, std::string_view chosen);

private:
    void ReadLines(textfile::LineReader& reader);

    std::array<std::string, kTextCount> texts_;
    std::string helpFile_;
};

// The help page for a language file: its name with ".html" when that page exists in the LANGUAGE
// folder, else "English.html" or any other page found there, else empty. A language file name
// without an extension has no page of its own.
std::string HelpFileFor(const ResourceFolders& folders, std::string_view languageFile);
