// Builders shared by the tests of undo, hints, autoplay, the chrono and status, saved games and
// the hall of fame: a game core that records its hooks, and dealt games on the shipped turtle
// layout. The scripted desktop is the one every test shares.
#pragma once

#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/game_core.h"
#include "tests/core/core_test_support.h"
#include "tests/support/scripted_desktop.h"

// A game core whose language texts are their own keys, so the tests read exactly which text was
// used, and which counts the hooks it is asked for.
class AidsGame : public GameCore {
public:
    explicit AidsGame(Desktop* desktop) : GameCore(desktop) {}
    ~AidsGame() override { StopAutoplay(); }

    std::string LanguageText(const char* key) const override { return key; }
    void PlaceTiles() override { ++placed; }
    void Tick() override { ++ticks; }
    void ShowStatusText(const std::string& text) override {
        shownStatus = text;
        ++statusShown;
    }
    bool InLayoutEditor() const override { return editing; }

    int placed = 0;
    int ticks = 0;
    int statusShown = 0;
    std::string shownStatus;
    bool editing = false;
};

inline int FixedMillisecond() {
    return 321;
}

// Loads the shipped turtle into `board` and deals it, the same way every time.
inline void DealTurtle(Board& board, bool easy, unsigned seed = 7) {
    board.layoutsFolder = std::string(GAME_DATA_DIR) + "/LAYOUTS";
    board.layoutFileName = "Default.tvl";
    board.millisecondSource = &FixedMillisecond;
    board.LoadLayout();
    std::srand(seed);
    board.Deal(easy);
}

// The faces of all 144 records, to compare a board with the deal it started from.
inline std::vector<int> Faces(const Board& board) {
    std::vector<int> faces;
    for (const TileRecord& t : board.tiles) {
        faces.push_back(t.face);
    }
    return faces;
}

// Removes the first pair the move list offers, by clicking it as a player would. False when no
// pair is left.
inline bool PlayFirstPair(GameCore& game) {
    game.board.BuildMoveList(false);
    if (game.board.moveCount == 0) {
        return false;
    }
    const TilePair pair = game.board.moveList[0];
    game.ClickTile(pair.first);
    game.ClickTile(pair.second);
    return true;
}

// Wins an easy-mode deal by clicking its pairs in the order the deal recorded.
inline void PlayDealOrder(GameCore& game, int pairs = kPairs) {
    for (int k = 0; k < pairs; ++k) {
        game.ClickTile(game.board.dealOrder[static_cast<std::size_t>(2 * k)]);
        game.ClickTile(game.board.dealOrder[static_cast<std::size_t>(2 * k + 1)]);
    }
}
