#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "tests/core/aids_test_support.h"

namespace {

// A game whose autoplay waits are held at a gate the test opens one step at a time, so each
// test decides exactly between which steps it acts. Everything the worker reports is recorded
// under the gate's own mutex.
class GatedGame : public AidsGame {
public:
    using AidsGame::AidsGame;
    // A test that failed half way must not leave the worker waiting at the gate.
    ~GatedGame() override {
        OpenForever();
        StopAutoplay();
    }

    // Blocks the test until the worker waits before step `step` (0-based), or has ended.
    // False when the worker ended first.
    bool WaitForStep(int step) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return waiting_ >= step || finished_; });
        return waiting_ >= step;
    }
    // Lets the worker go on past its current wait.
    void Open(int steps = 1) {
        std::lock_guard<std::mutex> lock(mutex_);
        allowed_ += steps;
        changed_.notify_all();
    }
    void OpenForever() { Open(1000); }
    // Waits until the worker has ended by itself, then takes back its thread.
    void WaitUntilEnded() {
        while (AutoplayActive()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        StopAutoplay();
    }

    int Effects() {
        std::lock_guard<std::mutex> lock(mutex_);
        return effects_;
    }
    int LowestTilesLeft() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lowestTilesLeft_;
    }
    int Redraws(bool placed) {
        std::lock_guard<std::mutex> lock(mutex_);
        return placed ? placedRedraws_ : plainRedraws_;
    }

    void AutoplayWait(int a, int b, int delay) override {
        (void)delay;
        std::unique_lock<std::mutex> lock(mutex_);
        waitedPairs.push_back({static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b)});
        ++waiting_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return allowed_ >= waiting_; });
    }
    void PlayEffect(int effect) override {
        // Called by the worker with the board held, so the board may be read here.
        std::lock_guard<std::mutex> lock(mutex_);
        if (effect == EffectRemove) {
            ++effects_;
            lowestTilesLeft_ = std::min(lowestTilesLeft_, static_cast<int>(board.tilesLeft));
        }
    }
    void AutoplayRedraw(bool placeTiles) override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++(placeTiles ? placedRedraws_ : plainRedraws_);
        if (placeTiles) {
            finished_ = true;
            changed_.notify_all();
        }
    }

    std::vector<TilePair> waitedPairs;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int waiting_ = 0;
    int allowed_ = 0;
    bool finished_ = false;
    int effects_ = 0;
    int lowestTilesLeft_ = kTiles;
    int placedRedraws_ = 0;
    int plainRedraws_ = 0;
};

class AutoplayTest : public ::testing::Test {
protected:
    ScriptedDesktop desktop;
    GatedGame game{&desktop};

    void SetUp() override { DealTurtle(game.board, true); }

    // AUTOPLAY as the window sends it: with the board held.
    bool Autoplay() {
        BoardLock lock(game);
        return game.AutoplayCommand();
    }
};

}  // namespace

TEST_F(AutoplayTest, RefusedAfterARemovalInALoadedGameWithoutEasyModeOrWithoutARecordedOrder) {
    PlayFirstPair(game);
    EXPECT_FALSE(Autoplay());
    game.RestartCommand();

    game.board.LoadedGame = 1;
    EXPECT_FALSE(Autoplay());
    game.board.LoadedGame = 0;

    game.settings.easyMode = false;
    EXPECT_FALSE(Autoplay());
    game.settings.easyMode = true;

    // An easy-mode deal that found no winnable order was dealt at random and has no order to
    // replay: refused, and the game (its chrono too) goes on untouched.
    game.board.solvableAttempts = 0;
    ASSERT_EQ(game.board.Deal(), DealResult::SolvableFellBack);
    const std::vector<int> dealt = Faces(game.board);
    game.board.chronoSeconds = 33;
    EXPECT_FALSE(Autoplay());
    EXPECT_EQ(game.board.chronoSeconds, 33);
    EXPECT_EQ(Faces(game.board), dealt);

    EXPECT_EQ(desktop.MessageTexts(),
              (std::vector<std::string>{"MesAutoplayError", "MesAutoplayError", "MesAutoplayError",
                                        "MesAutoplayError"}));
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message)[0].icon, MessageIcon::Information);
    EXPECT_EQ(game.board.AutoplayRunning, 0);
    EXPECT_FALSE(game.AutoplayActive());
    EXPECT_EQ(game.board.tilesLeft, 144);
}

TEST_F(AutoplayTest, ReplayWinsTheEasyGameInTheDealOrderThenRestarts) {
    const std::vector<int> dealt = Faces(game.board);
    game.board.chronoSeconds = 12;
    ASSERT_TRUE(Autoplay());
    // Held at the gate before its first pair, so the replay cannot have ended yet.
    ASSERT_TRUE(game.WaitForStep(1));
    EXPECT_EQ(game.board.AutoplayRunning, 1);
    game.OpenForever();
    game.WaitUntilEnded();

    // Every pair of the order was shown and removed, down to the empty board.
    ASSERT_EQ(game.waitedPairs.size(), static_cast<std::size_t>(kPairs));
    for (int k = 0; k < kPairs; ++k) {
        EXPECT_EQ(game.waitedPairs[k].first, game.board.dealOrder[2 * k]);
        EXPECT_EQ(game.waitedPairs[k].second, game.board.dealOrder[2 * k + 1]);
    }
    EXPECT_EQ(game.Effects(), kPairs);
    EXPECT_EQ(game.LowestTilesLeft(), 0);
    EXPECT_EQ(game.Redraws(true), 1);

    // Then the game is back at the full deal, as if restarted.
    EXPECT_EQ(Faces(game.board), dealt);
    EXPECT_EQ(game.board.tilesLeft, 144);
    EXPECT_EQ(game.board.undoCount, 0);
    EXPECT_EQ(game.board.chronoSeconds, 0);
    EXPECT_EQ(game.board.firstSelected, NoTile);
    EXPECT_EQ(game.board.secondSelected, NoTile);
    EXPECT_EQ(game.board.AutoplayRunning, 0);
    // The computer's win enters no hall of fame.
    EXPECT_TRUE(desktop.Calls(ScriptedDesktop::Call::WinnerName).empty());
    EXPECT_EQ(game.board.WinHandled, 0);
}

TEST_F(AutoplayTest, StatusRefreshDuringTheReplayRecordsNoWin) {
    game.Open(kPairs - 1);
    ASSERT_TRUE(Autoplay());
    ASSERT_TRUE(game.WaitForStep(kPairs));  // waiting before the last pair
    {
        BoardLock lock(game);
        EXPECT_EQ(game.board.tilesLeft, 2);
        // Empty the board by hand while the worker is still replaying.
        game.board.tilesLeft = 0;
        game.ChronoTick();
        game.board.tilesLeft = 2;
    }
    EXPECT_TRUE(desktop.Calls(ScriptedDesktop::Call::WinnerName).empty());
    EXPECT_EQ(game.board.WinHandled, 0);
    game.OpenForever();
    game.WaitUntilEnded();
}

TEST_F(AutoplayTest, SecondAutoplayIsRefusedAndStopsTheFirst) {
    const std::vector<int> dealt = Faces(game.board);
    ASSERT_TRUE(Autoplay());
    ASSERT_TRUE(game.WaitForStep(1));  // the first worker waits before its first pair
    EXPECT_FALSE(Autoplay());
    EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{"MesAutoplayError"});
    EXPECT_EQ(game.board.AutoplayRunning, 0);
    game.OpenForever();
    game.WaitUntilEnded();
    EXPECT_EQ(game.Effects(), 0);  // stopped before it removed anything
    EXPECT_EQ(Faces(game.board), dealt);
    EXPECT_EQ(game.board.tilesLeft, 144);
    EXPECT_EQ(game.Redraws(true), 1);  // the first worker restarted the game
}

TEST_F(AutoplayTest, ClickStopsTheReplayAfterItsStepAndTheGameRestarts) {
    const std::vector<int> dealt = Faces(game.board);
    game.Open(3);
    ASSERT_TRUE(Autoplay());
    ASSERT_TRUE(game.WaitForStep(4));
    {
        // The window's left click: stop the replay, then the click itself.
        BoardLock lock(game);
        EXPECT_EQ(game.board.tilesLeft, 144 - 6);
        EXPECT_EQ(game.board.undoCount, 3);
        game.board.GameOverShown = 0;
        game.board.AutoplayRunning = 0;
        game.ClickTile(NoTile);
    }
    game.OpenForever();
    game.WaitUntilEnded();
    EXPECT_EQ(game.Effects(), 3);
    EXPECT_EQ(game.waitedPairs.size(), 4u);
    EXPECT_EQ(Faces(game.board), dealt);
    EXPECT_EQ(game.board.tilesLeft, 144);
    EXPECT_EQ(game.board.undoCount, 0);

    // A new replay may start once the last one has ended.
    desktop.Clear();
    EXPECT_TRUE(Autoplay());
    game.StopAutoplay();
    EXPECT_TRUE(desktop.Calls(ScriptedDesktop::Call::Message).empty());
}

TEST_F(AutoplayTest, NewGameDuringTheReplayIsLeftAlone) {
    game.Open(2);
    ASSERT_TRUE(Autoplay());
    ASSERT_TRUE(game.WaitForStep(3));
    std::vector<int> newDeal;
    {
        BoardLock lock(game);
        while (game.board.Undo()) {
        }
        std::srand(11);
        game.NewGame();
        newDeal = Faces(game.board);
        game.board.Hint();  // a game in progress: its state must survive the worker's end
    }
    game.OpenForever();
    game.WaitUntilEnded();
    EXPECT_EQ(game.Effects(), 2);
    EXPECT_EQ(Faces(game.board), newDeal);
    EXPECT_EQ(game.board.chronoSeconds, 60);
    EXPECT_EQ(game.board.GameOverShown, 1);
    EXPECT_EQ(game.Redraws(true), 0);
}

TEST_F(AutoplayTest, DefaultWaitSleepsAndStopsEarly) {
    // The default wait of the 3D editions sleeps the delay, but a stop cuts it short.
    AidsGame plain(&desktop);
    plain.board.AutoplayRunning = 1;
    auto start = std::chrono::steady_clock::now();
    plain.AutoplayWait(0, 1, 40);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
    plain.board.AutoplayRunning = 0;
    start = std::chrono::steady_clock::now();
    plain.AutoplayWait(0, 1, 60000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

// Whether another thread could take the board right now.
struct BoardLockProbe {
    static bool FreeForOthers(GameCore& game) {
        bool free = false;
        std::thread([&] {
            free = game.boardMutex.try_lock();
            if (free) {
                game.boardMutex.unlock();
            }
        }).join();
        return free;
    }
};

namespace {

bool BoardFreeForOthers(GameCore& game) {
    return BoardLockProbe::FreeForOthers(game);
}

// A desktop whose message boxes look whether the board is free while they are open.
class ProbingDesktop : public ScriptedDesktop {
public:
    GameCore* game = nullptr;
    std::vector<bool> boardFree;
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override {
        boardFree.push_back(BoardFreeForOthers(*game));
        return ScriptedDesktop::ShowMessage(text, caption, icon, buttons);
    }
};

}  // namespace

TEST(BoardLock, InnerLocksOfTheSameThreadDoNothing) {
    ScriptedDesktop desktop;
    AidsGame game(&desktop);
    EXPECT_TRUE(BoardFreeForOthers(game));
    {
        BoardLock outer(game);
        {
            BoardLock inner(game);
            EXPECT_FALSE(BoardFreeForOthers(game));
        }
        EXPECT_FALSE(BoardFreeForOthers(game));  // still held by the outer lock
    }
    EXPECT_TRUE(BoardFreeForOthers(game));
}

TEST(BoardLock, MessageBoxesLetGoOfTheBoardWhileOpen) {
    ProbingDesktop desktop;
    AidsGame game(&desktop);
    desktop.game = &game;
    {
        BoardLock lock(game);
        game.UndoCommand();                      // nothing to undo: the MesUndo box
        EXPECT_FALSE(BoardFreeForOthers(game));  // taken back after the box
    }
    game.UndoCommand();  // without a lock there is nothing to let go
    EXPECT_EQ(desktop.boardFree, (std::vector<bool>{true, true}));
}

TEST_F(AutoplayTest, StopWhileHoldingTheBoardWaitsForTheWorkerWithoutDeadlock) {
    ASSERT_TRUE(Autoplay());
    ASSERT_TRUE(game.WaitForStep(1));
    game.OpenForever();
    {
        BoardLock lock(game);
        game.StopAutoplay();  // the worker takes the board to restart the game meanwhile
        EXPECT_FALSE(game.AutoplayActive());
        EXPECT_FALSE(BoardFreeForOthers(game));  // held again afterwards
    }
    EXPECT_EQ(game.Redraws(true), 1);
    EXPECT_EQ(game.board.tilesLeft, 144);
}

namespace {

// A game that saves itself right after a replay step has taken its first pair out, as a
// SAVE_GAME that gets the board between two steps would.
class SavingBetweenStepsGame : public GatedGame {
public:
    using GatedGame::GatedGame;
    void AutoplayRedraw(bool placeTiles) override {
        GatedGame::AutoplayRedraw(placeTiles);
        BoardLock lock(*this);
        if (!placeTiles && !savedOnce && board.tilesLeft == kTiles - 2) {
            savedOnce = board.SaveGame();
        }
    }
    bool savedOnce = false;
};

}  // namespace

TEST(AutoplaySave, GameSavedBetweenTwoStepsLoadsAgain) {
    TempFolder folder("autoplay_save");
    ScriptedDesktop desktop;
    SavingBetweenStepsGame game(&desktop);
    DealTurtle(game.board, true);
    game.board.savedGamesFolder = folder.Path();
    game.board.savedGameFileName = "Replay.TVM";
    game.OpenForever();
    {
        BoardLock lock(game);
        ASSERT_TRUE(game.AutoplayCommand());
    }
    game.WaitUntilEnded();
    ASSERT_TRUE(game.savedOnce);

    // The replay's pair left the board with it: the saved game names no selected tile that is
    // gone, so it loads like any other.
    EXPECT_TRUE(game.board.LoadGame());
    EXPECT_EQ(game.board.tilesLeft, kTiles - 2);
    EXPECT_EQ(game.board.undoCount, 1);
    EXPECT_EQ(game.board.firstSelected, NoTile);
}
