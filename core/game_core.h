// The game-core part of the application object: it owns the boards and runs the game's
// operations. Everything outside the core (sound, views, status bar, title, message boxes) is
// reached through the virtual functions below, which the shell's application object overrides
// and tests replace with recording versions.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "core/board.h"
#include "core/desktop.h"
#include "core/editor_board.h"
#include "settings/settings.h"

class GameCore {
public:
    explicit GameCore(Desktop* gameDesktop = nullptr) : desktop(gameDesktop) {}
    // Stops a running autoplay and waits for its thread. The hooks of a derived object are gone
    // by then, so the derived destructor must call StopAutoplay itself first.
    virtual ~GameCore();
    GameCore(const GameCore&) = delete;
    GameCore& operator=(const GameCore&) = delete;

    Board board;
    EditorBoard editor;
    Desktop* desktop;

    // Window title, also the caption of every message box.
    std::string titleText{kGameTitle};
    // The game's configuration, the one copy of every setting: the rules read easy mode, the
    // `.lay` switch, the lost-game message, the chrono and the autoplay pace from it.
    Settings settings;

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

    // -- the aids' commands (undo_hint.cpp) --
    // UNDO: takes back the last pair (the MesUndo box when there is none), then free states,
    // shadows, tile placement and a redraw.
    void UndoCommand();
    // RESTART_GAME: the same deal from its start, placed and drawn.
    void RestartCommand();
    // HINT: a minute on the chrono and the next available pair highlighted, then a redraw.
    void HintCommand();
    // EASYMODE: asks with the MesEasyMode box; on OK toggles easy mode and returns true, and the
    // caller then starts a new game (NEW_GAME). Cancel changes nothing.
    bool EasyModeCommand();

    // -- autoplay (autoplay.cpp) --
    // AUTOPLAY: replays the easy-mode deal's order on a worker thread, then restarts the game.
    // Refused with the MesAutoplayError box when easy mode is off, the deal recorded no removal
    // order (it was not a solvable deal, or the easy-mode deal fell back to a random one), a pair
    // has been removed, the game was loaded from a file, or a replay is still running (which
    // that refusal also stops). Called on the window thread with boardMutex held. True when a
    // worker started.
    bool AutoplayCommand();
    // Asks a running replay to stop and waits until its thread has ended. A caller holding the
    // board through a BoardLock lets go of it meanwhile (the worker needs it to finish its step
    // and restart the game); boardMutex must not be held in any other way.
    void StopAutoplay();
    // Whether a worker thread is still replaying or restarting the game.
    bool AutoplayActive() const { return autoplayActive_.load(); }
    // Autoplay from here: plays `pairs` (a winning order for the board as it is, `count` pairs)
    // on the same worker and at the same pace, `delay` milliseconds a step, then puts the board
    // back as it was when the replay started: the pairs go back, with the redo chain and the
    // chrono as they were. A click stops it as it stops the replay. Refused (false) while a
    // replay runs, which the refusal stops, and when the order is empty. Called on the window
    // thread with boardMutex held.
    bool AutoplayFromHere(const TilePair* pairs, int count, int delay);

    // -- chrono and status (chrono_status.cpp) --
    // The one-second timer: counts the second, then refreshes the status when the chrono shows.
    void ChronoTick();
    // The text of the status bar: tiles left, the chrono, and the hint or the end of the game.
    std::string StatusLine() const;
    // Builds the status text, handles a won game (CheckWin) and hands the text to the status bar
    // (ShowStatusText). In the layout editor it shows the editor's count and checks nothing.
    void StatusText();

    // -- hall of fame (hall_of_fame.cpp) --
    // Once per game, when the board is empty: stops the chrono, asks the winner's name and, when
    // the time beats the tenth entry, sorts it in, shows the table and saves it (a loaded game
    // is shown but never saved). Does nothing while an autoplay replay is running.
    void CheckWin();
    // The hall-of-fame dialog with the current table (HALL_OF_FAME).
    void HallOfFameDialog();

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
    virtual void RefreshStatus() { StatusText(); }
    // Shows the status text in the status bar.
    virtual void ShowStatusText(const std::string& text) { (void)text; }
    // Whether the layout editor is open (the status then counts the editor's positions).
    virtual bool InLayoutEditor() const { return false; }

    // The two hooks below are called on the autoplay worker's thread, never with boardMutex
    // held (the worker also calls PlayEffect (1) there, with the mutex held). None of them may
    // touch a window directly or wait for the window thread; they post to it instead.
    // The wait before pair (a, b) is removed; `delay` is the autoplay pace as it was when the
    // replay started. The 3D editions sleep (this default); the 2D edition redraws and fades the
    // pair out, taking boardMutex itself for each frame it composes.
    virtual void AutoplayWait(int a, int b, int delay);
    // Asks the window thread to draw the board again (after placing the tiles when asked).
    virtual void AutoplayRedraw(bool placeTiles) { (void)placeTiles; }
    // The text of a language key; the built-in English text when no language is loaded.
    virtual std::string LanguageText(const char* key) const;

private:
    // Threads. The autoplay worker changes the board on its own thread, one step at a time,
    // holding the board mutex for each step. The window thread takes the same mutex, through a
    // BoardLock, while it draws the board, picks a tile and runs a command or a click, so a step
    // is never seen half done. The operations of GameCore do not lock it themselves: the caller
    // holds it.
    //
    // A command is atomic only between dialogs: while a message box or dialog is open the lock
    // is let go (BoardUnlock), so the window can still draw and the worker go on; a command that
    // shows a dialog therefore reads the board again after it. Lock order: the board first, then
    // a view's own mutexes (the 2D view's viewMutex, then its frameMutex); a view never takes the
    // board while it holds one of its own.
    std::mutex boardMutex;
    friend class BoardLock;
    friend class BoardUnlock;
    // Tests look from another thread whether the board could be taken.
    friend struct BoardLockProbe;

    void AutoplayWorker(std::uint32_t serial, int delay);

    // Puts back what autoplay from here removed, when nobody else changed the game meanwhile.
    void RestoreAfterAutoplay();

    // The order autoplay from here plays (the written autoplay plays the deal's own order), and
    // the game as it was when it started.
    bool autoplayFromHere_ = false;
    int autoplayPairCount_ = 0;
    std::array<TilePair, kPairs> autoplayPairs_{};
    std::int16_t hereUndoCount_ = 0;
    std::int16_t hereRedoLimit_ = 0;
    std::int32_t hereChrono_ = 0;
    UndoStack hereUndoStack_{};

    std::thread autoplayThread_;
    std::atomic<bool> autoplayActive_{false};
    // The thread that holds boardMutex through a BoardLock, so a dialog can let it go.
    std::atomic<std::thread::id> boardOwner_{};
};

// Holds the board for the window thread's drawing, picking and commands, and for each autoplay
// step. A thread that already holds it may take it again (inner locks do nothing), so the shell
// can lock each entry point without minding which of them call each other.
class BoardLock {
public:
    explicit BoardLock(GameCore& game);
    ~BoardLock();
    BoardLock(const BoardLock&) = delete;
    BoardLock& operator=(const BoardLock&) = delete;

private:
    GameCore& game_;
    bool nested_ = false;  // the thread held the board already: nothing to take or give back
};

// Lets go of the board while a modal dialog runs (its event loop may draw the board or run a
// queued redraw), when the calling thread holds it through a BoardLock; takes it back after.
class BoardUnlock {
public:
    explicit BoardUnlock(GameCore& game);
    ~BoardUnlock();
    BoardUnlock(const BoardUnlock&) = delete;
    BoardUnlock& operator=(const BoardUnlock&) = delete;

private:
    GameCore& game_;
    bool released_ = false;
};
