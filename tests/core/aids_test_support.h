// Builders shared by the tests of undo, hints, autoplay, the chrono and status, saved games and
// the hall of fame: a scripted desktop, a game core that records its hooks, and dealt games on
// the shipped turtle layout.
#pragma once

#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/core/core_test_support.h"
#include "core/game_core.h"

// Answers every message box and dialog as the test scripted it, and remembers what was asked.
class ScriptedDesktop : public Desktop {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon;
        MessageButtons buttons;
    };
    std::vector<Message> messages;
    MessageAnswer answer = MessageAnswer::Ok;

    std::string winnerName = "Winner";
    std::vector<DialogTexts> winnerDialogs;
    std::vector<std::vector<HallRow>> hallDialogs;
    std::vector<DialogTexts> hallTexts;

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override {
        std::lock_guard<std::mutex> lock(mutex_);
        messages.push_back({text, caption, icon, buttons});
        return answer;
    }
    bool ChooseFile(const std::string&, const std::string&, const std::string&, const std::string&,
                    bool, std::string&) override {
        return false;
    }
    Colour PickColour(const std::string&, Colour initial) override { return initial; }
    std::string AskWinnerName(const DialogTexts& texts) override {
        winnerDialogs.push_back(texts);
        return winnerName;
    }
    void ShowHallOfFame(const DialogTexts& texts, const std::vector<HallRow>& rows) override {
        hallTexts.push_back(texts);
        hallDialogs.push_back(rows);
    }
    int ChooseLanguage(const std::string&, const std::vector<LanguageChoice>&, int) override {
        return 0;
    }

    std::vector<std::string> MessageTexts() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> texts;
        for (const Message& m : messages) {
            texts.push_back(m.text);
        }
        return texts;
    }

private:
    std::mutex mutex_;
};

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
    board.easyMode = easy ? 1 : 0;
    board.LoadLayout();
    std::srand(seed);
    board.Deal();
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
