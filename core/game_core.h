// The game-core part of the application object: it owns the boards and runs the game's
// operations. Everything outside the core (sound, views, status bar, title, message boxes) is
// reached through the virtual functions below, which the shell's application object overrides
// and tests replace with recording versions.
#pragma once

#include <string>

#include "board.h"
#include "editor_board.h"
#include "settings/desktop.h"

class GameCore {
public:
    explicit GameCore(Desktop* desktop = nullptr) : desktop(desktop) {}
    virtual ~GameCore() = default;
    GameCore(const GameCore&) = delete;
    GameCore& operator=(const GameCore&) = delete;

    Board board;
    EditorBoard editor;
    Desktop* desktop;

    // Window title, also the caption of every message box.
    std::string titleText = "Varnel's mah-jong v2.4.2";
    // Settings the rules read.
    bool MessageBoxWhenLose = true;

    // Deals the current layout and shows the new game: title, tile placement, redraw. When easy
    // mode could not find a winnable deal for this layout, says so after dealing at random.
    void NewGame();

    // A click on tile t (NoTile for a click beside every tile). Selects a free tile, or tries
    // the pair with the tile already selected. True when a tile was selected or a pair tried.
    bool ClickTile(int t);

    // Tries the selected tile a with the clicked tile b: removes them when they match, else
    // moves or clears the selection. Announces the end of the game when no pair is left.
    void TryPair(int a, int b);

    // Removes a matched pair and brings free states, shadows and the move list up to date.
    void RemovePair(int a, int b);

    // A message box with the window title as caption; Ok when there is no desktop.
    MessageAnswer ShowMessage(const std::string& text, MessageIcon icon,
                              MessageButtons buttons = MessageButtons::Ok);

    // -- what the rest of the program supplies --

    // Sound effect 0 select, 1 remove, 2 miss. The override plays it only when sound effects
    // are on and the effect has a file.
    virtual void PlayEffect(int effect) { (void)effect; }
    // Shows a matched pair leaving; returns when the effect is over.
    virtual void AnimateRemoval(int a, int b) {
        (void)a;
        (void)b;
    }
    // Computes where each tile is drawn (the view values of the tile records).
    virtual void PlaceTiles() {}
    // Brings the picture up to date.
    virtual void Tick() {}
    // Shows the layout name in the window title.
    virtual void UpdateTitle() {}
    // Rebuilds the status text (which also handles a won game).
    virtual void RefreshStatus() {}
    // The text of a language key; the built-in English text when no language is loaded.
    virtual std::string LanguageText(const char* key) const;
};
