#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "tests/core/aids_test_support.h"

namespace {

// The 40-byte file form of an entry.
std::string EntryBytes(const std::string& name, const std::string& time, std::int32_t seconds) {
    std::string bytes(40, '\0');
    std::memcpy(&bytes[0], name.data(), std::min<std::size_t>(name.size(), 23));
    std::memcpy(&bytes[23], time.data(), std::min<std::size_t>(time.size(), 13));
    const auto s = static_cast<std::uint32_t>(seconds);
    for (int k = 0; k < 4; ++k) {
        bytes[36 + static_cast<std::size_t>(k)] = static_cast<char>((s >> (8 * k)) & 0xFF);
    }
    return bytes;
}

std::string HallFile(int fastestSeconds) {
    std::string bytes;
    for (int k = 0; k < kHallEntries; ++k) {
        const int seconds = fastestSeconds + 10 * k;
        bytes += EntryBytes("P" + std::to_string(k), FormatTime(seconds), seconds);
    }
    return bytes;
}

void ExpectDefaultTable(const Board& board) {
    for (int k = 0; k < kHallEntries; ++k) {
        EXPECT_STREQ(board.hall[k].name, "Tavrix");
        EXPECT_EQ(board.hall[k].seconds, 300 + 60 * k);
        EXPECT_EQ(std::string(board.hall[k].time), FormatTime(300 + 60 * k));
    }
    EXPECT_STREQ(board.hall[0].time, "00:05:00");
    EXPECT_STREQ(board.hall[9].time, "00:14:00");
}

class HallTest : public ::testing::Test {
protected:
    TempFolder scores{"scores"};
    ScriptedDesktop desktop;
    AidsGame game{&desktop};

    void SetUp() override {
        game.board.scoresFolder = scores.Path();
        game.board.layoutFileName = "Default.tvl";
        game.board.LoadHall();
    }

    // A won board: empty, with the given time.
    void Win(std::int32_t seconds) {
        game.board.ResetPlayState();
        game.board.tilesLeft = 0;
        game.board.chronoSeconds = seconds;
        game.board.GameOverShown = 1;
        game.StatusText();
    }
};

}  // namespace

TEST_F(HallTest, MissingOrWronglySizedFileGivesTheDefaultTable) {
    EXPECT_EQ(game.board.hallFileName, "Default.TVS");
    ExpectDefaultTable(game.board);
    scores.Write("Default.TVS", HallFile(10).substr(0, 399));
    EXPECT_FALSE(game.board.LoadHall());
    ExpectDefaultTable(game.board);
    scores.Write("Default.TVS", HallFile(10) + "x");
    EXPECT_FALSE(game.board.LoadHall());
    ExpectDefaultTable(game.board);
}

// Every layout load reads its hall: a named pipe in its place must not stop the game.
TEST_F(HallTest, PipeNamedLikeTheHallFileGivesTheDefaultTableWithoutWaiting) {
    game.board.hall[0].seconds = 1;
    bool loaded = true;
    EXPECT_TRUE(ReadReturnsBesideAnIdlePipe(
        scores.Path() + "/Default.TVS", [this] { return game.board.LoadHall(); }, loaded));
    EXPECT_FALSE(loaded);
    ExpectDefaultTable(game.board);
}

TEST_F(HallTest, FileOfTheLayoutIsReadWhateverTheCase) {
    scores.Write("default.tvs", HallFile(10));
    EXPECT_TRUE(game.board.LoadHall());
    EXPECT_STREQ(game.board.hall[0].name, "P0");
    EXPECT_EQ(game.board.hall[9].seconds, 100);
    // A layout name without a dot keeps its hall under the whole name.
    game.board.layoutFileName = "Plain";
    game.board.LoadHall();
    EXPECT_EQ(game.board.hallFileName, "Plain.TVS");
    game.board.layoutFileName = "RANDOM.TVL";
    game.board.LoadHall();
    EXPECT_EQ(game.board.hallFileName, "RANDOM.TVS");
}

TEST_F(HallTest, NamesAndTimesAreCutAndNegativeTimesReplaced) {
    std::string bytes = HallFile(10);
    std::memset(&bytes[0], 'A', 36);                             // no terminators at all
    bytes.replace(40, 40, EntryBytes("Cheat", "00:00:00", -5));  // would stand first for ever
    scores.Write("Default.TVS", bytes);
    EXPECT_TRUE(game.board.LoadHall());
    EXPECT_EQ(std::string(game.board.hall[0].name), std::string(22, 'A'));
    EXPECT_EQ(std::string(game.board.hall[0].time), std::string(12, 'A'));
    EXPECT_STREQ(game.board.hall[1].name, "Tavrix");
    EXPECT_EQ(game.board.hall[1].seconds, 360);
    game.HallOfFameDialog();
    ASSERT_EQ(desktop.Calls(ScriptedDesktop::Call::HallOfFame).size(), 1u);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::HallOfFame)[0].rows[0].name,
              std::string(22, 'A'));
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::HallOfFame)[0].rows[1].time, "00:06:00");
}

TEST_F(HallTest, SaveWritesTheTenEntriesThroughAReplacingWrite) {
    std::memset(game.board.hall[0].name, 0, sizeof game.board.hall[0].name);
    std::strcpy(game.board.hall[0].name, "Ada");
    ASSERT_TRUE(game.board.SaveHall());
    const std::string bytes = scores.Read("Default.TVS");
    ASSERT_EQ(bytes.size(), 400u);
    EXPECT_EQ(bytes.substr(0, 40), EntryBytes("Ada", "00:05:00", 300));
    EXPECT_EQ(bytes.substr(360, 40), EntryBytes("Tavrix", "00:14:00", 840));
    EXPECT_EQ(scores.Names(), std::set<std::string>{"Default.TVS"});

    // A write that cannot be made whole (a disc full part way) leaves the file as it was.
    std::strcpy(game.board.hall[0].name, "Bob");
    EXPECT_FALSE(WriteOnAFullDisc(100, [&] { return game.board.SaveHall(); }));
    EXPECT_EQ(scores.Read("Default.TVS"), bytes);
    EXPECT_EQ(scores.Names(), std::set<std::string>{"Default.TVS"});
}

TEST(HallSort, SortsByTimeAndGivesTiesTheOrderOfItsSteps) {
    Board board;
    const int seconds[11] = {300, 360, 360, 420, 480, 540, 600, 660, 720, 780, 360};
    for (int k = 0; k < 11; ++k) {
        board.hall[k].seconds = seconds[k];
        board.hall[k].name[0] = static_cast<char>('a' + k);
    }
    board.SortHall(0, 10);
    std::string order;
    for (int k = 0; k < 11; ++k) {
        order += board.hall[k].name[0];
        if (k > 0) {
            EXPECT_LE(board.hall[k - 1].seconds, board.hall[k].seconds);
        }
    }
    // Traced by hand through the steps: the scans stop at b and c, which swap; the pivot k then
    // takes b's new place and b, moved to the end, sorts back in behind it.
    EXPECT_EQ(order, "ackbdefghij");
}

TEST(HallSort, SortsAnyOrderWithinItsBounds) {
    Board board;
    const int seconds[11] = {900, -4, 2147483647, 5, 5, 5, -2147483647 - 1, 0, 77, 5, 1};
    for (int k = 0; k < 11; ++k) {
        board.hall[k].seconds = seconds[k];
    }
    board.SortHall(0, 10);
    std::vector<int> sorted(seconds, seconds + 11);
    std::sort(sorted.begin(), sorted.end());
    for (int k = 0; k < 11; ++k) {
        EXPECT_EQ(board.hall[k].seconds, sorted[static_cast<std::size_t>(k)]);
    }
}

TEST_F(HallTest, FourMinuteWinStandsFirstAndDropsTheSlowestDefault) {
    desktop.defaultWinnerName = "Zoe";
    Win(240);
    ASSERT_EQ(desktop.Calls(ScriptedDesktop::Call::WinnerName).size(), 1u);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::WinnerName)[0].text, "WINCAPTION");
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::WinnerName)[0].labels,
              (std::vector<std::string>{"HALLFAMETIME : 00:04:00", "WINNAME", "OK"}));
    EXPECT_STREQ(game.board.hall[0].name, "Zoe");
    EXPECT_STREQ(game.board.hall[0].time, "00:04:00");
    EXPECT_STREQ(game.board.hall[9].time, "00:13:00");
    ASSERT_EQ(desktop.Calls(ScriptedDesktop::Call::HallOfFame).size(), 1u);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::HallOfFame)[0].rows.size(), 10u);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::HallOfFame)[0].rows[0].name, "Zoe");
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::HallOfFame)[0].labels,
              (std::vector<std::string>{"HALLFAMENAME", "HALLFAMETIME", "OK"}));
    EXPECT_TRUE(desktop.Calls(ScriptedDesktop::Call::Message).empty());
    const std::string bytes = scores.Read("Default.TVS");
    ASSERT_EQ(bytes.size(), 400u);
    EXPECT_EQ(bytes.substr(0, 40), EntryBytes("Zoe", "00:04:00", 240));

    // Acts once per game: later status refreshes ask nothing.
    game.StatusText();
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::WinnerName).size(), 1u);
}

TEST_F(HallTest, TimeEqualToTheTenthEntryStaysOut) {
    Win(840);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::WinnerName).size(),
              1u);  // the name is still asked
    EXPECT_TRUE(desktop.Calls(ScriptedDesktop::Call::HallOfFame).empty());
    EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{"MesWinNoHall"});
    ExpectDefaultTable(game.board);
    EXPECT_FALSE(std::filesystem::exists(scores.Path() + "/Default.TVS"));
}

TEST_F(HallTest, WinOfALoadedGameIsShownButNotSaved) {
    scores.Write("Default.TVS", HallFile(1000));
    game.board.LoadHall();
    game.board.LoadedGame = 1;
    Win(500);
    ASSERT_EQ(desktop.Calls(ScriptedDesktop::Call::HallOfFame).size(), 1u);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::HallOfFame)[0].rows[0].name, "Player");
    EXPECT_EQ(desktop.MessageTexts(), std::vector<std::string>{"MesWinLoad"});
    EXPECT_EQ(scores.Read("Default.TVS"), HallFile(1000));
}

TEST_F(HallTest, FailedSaveIsReportedWithTheFileName) {
    game.board.scoresFolder = scores.Path() + "/missing";
    Win(100);
    ASSERT_EQ(desktop.Calls(ScriptedDesktop::Call::Message).size(), 1u);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message)[0].text, "Default.TVS : MesWriteError");
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message)[0].icon, MessageIcon::Warning);
    EXPECT_STREQ(game.board.hall[0].time, "00:01:40");  // the table stays in memory
}

TEST_F(HallTest, WinnerNameIsCutToTwentyOneCharacters) {
    desktop.defaultWinnerName = std::string(30, 'w');
    Win(100);
    EXPECT_EQ(std::string(game.board.hall[0].name), std::string(21, 'w'));

    // Characters, not bytes, but never more than the field holds, and never half a character.
    std::string accented;
    for (int k = 0; k < 30; ++k) {
        accented += "\xC3\xA9";  // é
    }
    desktop.defaultWinnerName = accented;
    Win(90);
    EXPECT_EQ(std::string(game.board.hall[0].name), accented.substr(0, 22));
}

TEST_F(HallTest, NoWinIsRecordedWhileTilesRemain) {
    game.board.tilesLeft = 2;
    game.StatusText();
    EXPECT_EQ(game.board.WinHandled, 0);
    EXPECT_TRUE(desktop.Calls(ScriptedDesktop::Call::WinnerName).empty());
}

// The bytes of a hall-of-fame file in memory read like the file; any other size gives the
// default table.
TEST_F(HallTest, BytesInMemoryReadLikeTheFile) {
    const std::string file = HallFile(10);
    scores.Write("Default.TVS", file);
    ASSERT_TRUE(game.board.LoadHall());
    Board fromBytes;
    ASSERT_TRUE(
        fromBytes.ReadHall(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()));
    for (int k = 0; k < kHallEntries; ++k) {
        EXPECT_STREQ(fromBytes.hall[k].name, game.board.hall[k].name);
        EXPECT_STREQ(fromBytes.hall[k].time, game.board.hall[k].time);
        EXPECT_EQ(fromBytes.hall[k].seconds, game.board.hall[k].seconds);
    }
    for (const std::size_t size : {std::size_t{0}, std::size_t{399}}) {
        EXPECT_FALSE(fromBytes.ReadHall(reinterpret_cast<const std::uint8_t*>(file.data()), size));
        ExpectDefaultTable(fromBytes);
    }
    EXPECT_FALSE(fromBytes.ReadHall(nullptr, 400));
    ExpectDefaultTable(fromBytes);
}
