// Command identifiers of the main window: every menu entry, toolbar button, function key and mouse
// button reaches the game through GameApp::ExecuteCommand with one of these numbers.
#pragma once

#include <array>

#include "settings/language.h"

namespace command {

// The fixed commands.
inline constexpr int NEW_GAME = 40000;
inline constexpr int RESTART_GAME = 40001;
inline constexpr int EASYMODE = 40002;
inline constexpr int AUTOPLAY = 40003;
inline constexpr int PAUSE_CHRONO = 40004;
inline constexpr int HINT = 40005;
inline constexpr int UNDO = 40006;
inline constexpr int SAVE_GAME = 40007;
inline constexpr int LOAD_GAME = 40008;
inline constexpr int EXIT = 40010;
inline constexpr int SHADOWS = 40012;
inline constexpr int SHOW_CHRONO = 40013;
inline constexpr int CHANGE_COLORS = 40014;
inline constexpr int CONFIG = 40016;
inline constexpr int HALL_OF_FAME = 40017;
inline constexpr int LOAD_LAYOUT = 40018;
inline constexpr int SAVE_LAYOUT = 40019;
inline constexpr int RANDOM_LAYOUT = 40020;
inline constexpr int HELP_FILE = 40021;
inline constexpr int HELP_ABOUT = 40022;
inline constexpr int USE_SOUNDS = 40023;
inline constexpr int CHANGE_CURSOR = 40026;
inline constexpr int MSG_WHEN_LOSE = 40028;
inline constexpr int EDIT_LAYOUT = 40029;  // also EXIT_EDIT_LAYOUT: the editor toggle
inline constexpr int EXIT_EDIT_LAYOUT = 40029;
inline constexpr int NEW_LAYOUT = 40030;
inline constexpr int ZOOM_DEFAULT = 40031;
// Aids the game gained later; the Ctrl keys below reach them.
inline constexpr int REDO = 40032;
inline constexpr int SHUFFLE = 40033;
inline constexpr int AUTOPLAY_HERE = 40034;

// First identifiers of the file lists. Sounds and music have ADD at the base, NONE at base + 1 and
// their files from base + 2; the background list likewise.
inline constexpr int LanguageList = 20000;
inline constexpr int TileSetList = 21000;
inline constexpr int LayoutList = 22000;
inline constexpr int Sound1Base = 23000;
inline constexpr int Sound2Base = 24000;
inline constexpr int Sound3Base = 25000;
inline constexpr int MusicBase = 26000;
inline constexpr int BackgroundBase = 27000;
inline constexpr int AddOffset = 0;
inline constexpr int NoneOffset = 1;
inline constexpr int FilesOffset = 2;
// Each list owns 999 identifiers (20000..20998, ...).
inline constexpr int ListSpan = 999;

// The Ctrl keys most programs give these commands; they work beside the function keys, and the
// menus show them after the function key of the same entry.
struct ClassicKey {
    int command;
    const char* keys;  // in the portable form of Qt's key sequences
};
inline constexpr std::array<ClassicKey, 5> kClassicKeys = {{
    {NEW_GAME, "Ctrl+N"},
    {UNDO, "Ctrl+Z"},
    {LOAD_GAME, "Ctrl+O"},
    {SAVE_GAME, "Ctrl+S"},
    {EXIT, "Ctrl+Q"},
}};

// Keys with Ctrl that send a command, as the menus name them ("\tCtrl+Y" after the label).
struct CommandShortcut {
    int command;
    const char* keys;  // in the portable form of Qt's key sequences
};
inline constexpr std::array<CommandShortcut, 4> kShortcuts = {{
    {REDO, "Ctrl+Shift+Z"},
    {REDO, "Ctrl+Y"},
    {SHUFFLE, "Ctrl+R"},
    {AUTOPLAY_HERE, "Ctrl+P"},
}};

// The one-second timer of the main window.
inline constexpr int TimerId = 900;

// The toolbar, button by button: its command (0 for a gap), its picture in the toolbar strip,
// its tooltip, and whether the menu entry of the same command shows the picture too when
// `CoolMenu` is on (the sound button's picture is the toolbar's alone).
struct ToolbarButton {
    int command;
    int picture;
    TextId tip;
    bool inMenu;
};
inline constexpr std::array<ToolbarButton, 13> kToolbar = {{
    {LOAD_LAYOUT, 0, TextId::T_LOAD_LAYOUT, true},
    {NEW_GAME, 1, TextId::T_NEW_GAME, true},
    {0, -1, TextId::T_NEW_GAME, false},
    {PAUSE_CHRONO, 4, TextId::T_PAUSE_CHRONO, true},
    {HINT, 3, TextId::T_HINT, true},
    {UNDO, 2, TextId::T_UNDO, true},
    {0, -1, TextId::T_UNDO, false},
    {USE_SOUNDS, 5, TextId::T_SOUND, false},
    {HALL_OF_FAME, 6, TextId::T_HALL_OF_FAME, true},
    {0, -1, TextId::T_HALL_OF_FAME, false},
    {HELP_FILE, 7, TextId::T_HELP_FILE, true},
    {HELP_ABOUT, 8, TextId::T_HELP_ABOUT, true},
    {EXIT, 9, TextId::T_EXIT, true},
}};

}  // namespace command
