#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "settings/resource_folders.h"
#include "tests/core/aids_test_support.h"

namespace {

constexpr std::size_t kSavedGameBytes = 11534;

std::uint16_t Le16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
}

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k) {
        v = (v << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(k)]);
    }
    return v;
}

class SavedGameTest : public ::testing::Test {
protected:
    TempFolder folder{"saved_games"};
    ScriptedDesktop desktop;
    AidsGame game{&desktop};

    void SetUp() override {
        DealTurtle(game.board, false);
        game.board.savedGamesFolder = folder.Path();
        game.board.savedGameFileName = "Game.TVM";
        for (int k = 0; k < 6; ++k) {
            PlayFirstPair(game);
        }
        game.board.chronoSeconds = 4321;
        game.board.firstSelected = FirstFreeTile(game.board);
        game.board.hall[0].seconds = 99;
        std::strcpy(game.board.hall[0].name, "Ada");
    }

    static std::int16_t FirstFreeTile(const Board& board) {
        for (int t = 0; t < kTiles; ++t) {
            if (board.IsFree(t)) {
                return static_cast<std::int16_t>(t);
            }
        }
        return NoTile;
    }

    // The whole game state in the file's own form, to compare boards byte for byte.
    std::string Snapshot(const Board& board, const std::string& name) {
        Board& b = const_cast<Board&>(board);
        const std::string keep = b.savedGameFileName;
        b.savedGameFileName = name;
        EXPECT_TRUE(b.SaveGame());
        b.savedGameFileName = keep;
        return folder.Read(name);
    }
};

}  // namespace

TEST_F(SavedGameTest, SavedFileHoldsEachFieldAtItsOffset) {
    ASSERT_TRUE(game.board.SaveGame());
    const std::string bytes = folder.Read("Game.TVM");
    ASSERT_EQ(bytes.size(), kSavedGameBytes);
    const Board& b = game.board;
    for (int t = 0; t < kTiles; t += 13) {
        EXPECT_EQ(static_cast<std::uint8_t>(bytes[t * 28 + 20]), b.tiles[t].face);
        EXPECT_EQ(static_cast<std::uint8_t>(bytes[t * 28 + 22]), b.tiles[t].layer);
        EXPECT_EQ(static_cast<std::uint8_t>(bytes[t * 28 + 24]), b.tiles[t].column);
    }
    EXPECT_EQ(bytes.compare(4032, 3400, reinterpret_cast<const char*>(b.tileGrid.data()), 3400), 0);
    EXPECT_EQ(bytes.compare(7432, 3400, reinterpret_cast<const char*>(b.positionGrid.data()), 3400),
              0);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[10832 + 2]), b.undoStack[0].firstTile);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[10832 + 5 * 4 + 3]), b.undoStack[5].secondTile);
    EXPECT_EQ(bytes.substr(11124, 4), std::string("Ada\0", 4));
    EXPECT_EQ(Le32(bytes, 11124 + 36), 99u);
    EXPECT_EQ(Le16(bytes, 11524), 132);
    EXPECT_EQ(Le16(bytes, 11526), 6);
    EXPECT_EQ(Le16(bytes, 11528), static_cast<std::uint16_t>(b.firstSelected));
    EXPECT_EQ(Le32(bytes, 11530), 4321u);
}

TEST_F(SavedGameTest, LoadRestoresTheGameAndSavesBackByteForByte) {
    ASSERT_TRUE(game.board.SaveGame());
    const std::string saved = folder.Read("Game.TVM");

    AidsGame other(&desktop);
    DealTurtle(other.board, true, 99);
    other.board.savedGamesFolder = folder.Path();
    other.board.savedGameFileName = "game.tvm";  // found whatever the case
    other.board.WinHandled = 1;
    other.board.ChronoPaused = 1;
    other.board.secondSelected = 5;
    ASSERT_TRUE(other.board.LoadGame());

    EXPECT_EQ(other.board.LoadedGame, 1);
    EXPECT_EQ(other.board.WinHandled, 0);
    EXPECT_EQ(other.board.ChronoPaused, 0);
    EXPECT_EQ(other.board.secondSelected, NoTile);
    EXPECT_EQ(other.board.moveCount, 0);
    EXPECT_EQ(other.board.tilesLeft, 132);
    EXPECT_EQ(other.board.chronoSeconds, 4321);
    EXPECT_EQ(other.board.firstSelected, game.board.firstSelected);
    EXPECT_STREQ(other.board.hall[0].name, "Ada");
    EXPECT_EQ(other.board.shadows, game.board.shadows);
    for (int t = 0; t < kTiles; ++t) {
        EXPECT_EQ(other.board.tiles[t].state, game.board.tiles[t].state) << "tile " << t;
    }
    EXPECT_EQ(Snapshot(other.board, "Again.TVM"), saved);

    // The undo history goes back to the deal.
    Board dealt;
    DealTurtle(dealt, false);
    while (other.board.Undo()) {
    }
    EXPECT_EQ(Faces(other.board), Faces(dealt));
    EXPECT_EQ(other.board.tileGrid, dealt.tileGrid);
    EXPECT_EQ(other.board.tilesLeft, 144);
}

TEST_F(SavedGameTest, EveryShippedLayoutSurvivesTheRoundTrip) {
    const std::string layouts = std::string(GAME_DATA_DIR) + "/LAYOUTS";
    for (const std::string& name : SearchFolder(layouts, "*.TVL")) {
        AidsGame played(&desktop);
        played.board.layoutsFolder = layouts;
        played.board.layoutFileName = name;
        played.board.millisecondSource = &FixedMillisecond;
        ASSERT_TRUE(played.board.LoadLayout()) << name;
        std::srand(3);
        played.board.Deal();
        PlayDealOrder(played, 10);
        played.board.savedGamesFolder = folder.Path();
        played.board.savedGameFileName = "Round.TVM";
        const std::string before = Snapshot(played.board, "Round.TVM");

        AidsGame loaded(&desktop);
        loaded.board.savedGamesFolder = folder.Path();
        loaded.board.savedGameFileName = "Round.TVM";
        EXPECT_TRUE(loaded.board.LoadGame()) << name;
        EXPECT_EQ(Snapshot(loaded.board, "Back.TVM"), before) << name;
    }
}

TEST_F(SavedGameTest, FilesOfAnyOtherSizeChangeNothing) {
    ASSERT_TRUE(game.board.SaveGame());
    const std::string saved = folder.Read("Game.TVM");
    const std::string before = Snapshot(game.board, "Before.TVM");
    for (const std::string& bytes :
         {saved.substr(0, kSavedGameBytes - 1), saved + '\0', std::string()}) {
        folder.Write("Odd.TVM", bytes);
        game.board.savedGameFileName = "Odd.TVM";
        EXPECT_FALSE(game.board.LoadGame()) << bytes.size();
        EXPECT_EQ(game.board.LoadedGame, 0);
        EXPECT_EQ(Snapshot(game.board, "After.TVM"), before) << bytes.size();
    }
    game.board.savedGameFileName = "Missing.TVM";
    EXPECT_FALSE(game.board.LoadGame());
}

// A named pipe is no saved game: loading one must not wait for a writer that never comes.
TEST_F(SavedGameTest, PipeNamedLikeASavedGameIsRefusedWithoutWaiting) {
    const std::string before = Snapshot(game.board, "Before.TVM");
    game.board.savedGameFileName = "Pipe.TVM";
    bool loaded = true;
    EXPECT_TRUE(ReadReturnsBesideAnIdlePipe(
        folder.Path() + "/Pipe.TVM", [this] { return game.board.LoadGame(); }, loaded));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(game.board.LoadedGame, 0);
    EXPECT_EQ(Snapshot(game.board, "After.TVM"), before);
}

TEST_F(SavedGameTest, CorruptedGamesAreRejectedWithTheBoardUnchanged) {
    ASSERT_TRUE(game.board.SaveGame());
    const std::string saved = folder.Read("Game.TVM");
    const std::string before = Snapshot(game.board, "Before.TVM");
    const int present = game.board.firstSelected;
    const int removed = game.board.undoStack[0].firstTile;

    struct Damage {
        const char* what;
        std::function<void(std::string&)> apply;
    };
    auto put16 = [](std::string& b, std::size_t at, int v) {
        b[at] = static_cast<char>(v & 0xFF);
        b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    };
    const std::vector<Damage> damages = {
        {"face past the last", [&](std::string& b) { b[present * 28 + 20] = 42; }},
        {"layer past the top", [&](std::string& b) { b[removed * 28 + 22] = 5; }},
        {"row past the grid", [&](std::string& b) { b[removed * 28 + 23] = 19; }},
        {"column past the grid", [&](std::string& b) { b[removed * 28 + 24] = 33; }},
        {"grid cell of a removed tile",
         [&](std::string& b) { b[4032] = static_cast<char>(removed); }},
        {"grid cell past the tiles",
         [&](std::string& b) { b[4032 + 3399] = static_cast<char>(200); }},
        {"present tile missing from its cells",
         [&](std::string& b) {
             const TileRecord& r = game.board.tiles[present];
             b[4032 + CellIndex(r.layer, r.row + 1, r.column + 1)] = static_cast<char>(NoTile);
         }},
        {"two tiles on one place",
         [&](std::string& b) {
             const int other = game.board.undoStack[0].secondTile;
             std::memcpy(&b[other * 28 + 22], &b[removed * 28 + 22], 3);
         }},
        {"position grid value 2", [&](std::string& b) { b[7432 + 100] = 2; }},
        {"undo count past 72", [&](std::string& b) { put16(b, 11526, 73); }},
        {"negative undo count", [&](std::string& b) { put16(b, 11526, -1); }},
        {"undo count not agreeing with tiles left", [&](std::string& b) { put16(b, 11526, 5); }},
        {"undo entry naming a present tile",
         [&](std::string& b) { b[10832 + 2] = static_cast<char>(present); }},
        {"undo entry naming no tile",
         [&](std::string& b) { b[10832 + 3] = static_cast<char>(144); }},
        {"undo entry with a face past the last", [&](std::string& b) { b[10832] = 50; }},
        {"undo entry with faces that do not match",
         [&](std::string& b) { b[10832] = static_cast<char>((b[10832 + 1] + 1) % 27); }},
        {"tiles left not agreeing", [&](std::string& b) { put16(b, 11524, 134); }},
        {"selection past the tiles", [&](std::string& b) { put16(b, 11528, 144); }},
        {"negative chrono", [&](std::string& b) { b[11533] = static_cast<char>(0x80); }},
    };
    for (const Damage& damage : damages) {
        std::string bytes = saved;
        damage.apply(bytes);
        ASSERT_NE(bytes, saved) << damage.what;
        folder.Write("Bad.TVM", bytes);
        game.board.savedGameFileName = "Bad.TVM";
        EXPECT_FALSE(game.board.LoadGame()) << damage.what;
        EXPECT_EQ(game.board.LoadedGame, 0) << damage.what;
        EXPECT_EQ(Snapshot(game.board, "After.TVM"), before) << damage.what;
    }
}

TEST_F(SavedGameTest, ASelectionOfARemovedTileIsDroppedAndTheGameLoads) {
    // A game saved while an autoplay replay showed its pair can name a removed tile.
    const int removed = game.board.undoStack[0].firstTile;
    game.board.firstSelected = static_cast<std::int16_t>(removed);
    const std::string expected = [&] {
        game.board.firstSelected = NoTile;
        return Snapshot(game.board, "Expected.TVM");
    }();
    game.board.firstSelected = static_cast<std::int16_t>(removed);
    ASSERT_TRUE(game.board.SaveGame());
    EXPECT_EQ(Le16(folder.Read("Game.TVM"), 11528), removed);  // written as it stood

    AidsGame other{&desktop};
    other.board.savedGamesFolder = folder.Path();
    other.board.savedGameFileName = "Game.TVM";
    ASSERT_TRUE(other.board.LoadGame());
    EXPECT_EQ(other.board.firstSelected, NoTile);
    EXPECT_EQ(other.board.LoadedGame, 1);
    EXPECT_EQ(Snapshot(other.board, "Loaded.TVM"), expected);
}

TEST(SavedGameLayouts, AGameThatCouldNotBeLoadedIsNotSaved) {
    // Layouts whose positions partly overlap pass the layout check and play, but their tiles
    // share cells, which the loader refuses: the save fails (the shell shows the write error)
    // and leaves the file there as it was. The same layout without the overlap saves and loads.
    struct Case {
        const char* what;
        Position extra;  // the 144th position, beside 143 whole tiles on layer 0
        bool saves;
    };
    const Case cases[] = {
        {"half a tile right", {0, 0, 1}, false},
        {"half a tile lower", {0, 1, 0}, false},
        {"half a tile both ways", {0, 1, 1}, false},
        {"on its own", {1, 0, 0}, true},
    };
    for (const Case& c : cases) {
        TempFolder folder("overlap_save");
        folder.Write("Old.TVM", "old game");
        Board board;
        int n = 0;
        for (int row = 0; row <= kLastTileRow && n < kTiles - 1; row += 2) {
            for (int column = 0; column <= kLastTileColumn && n < kTiles - 1; column += 2, ++n) {
                board.positionGrid[CellIndex(0, row, column)] = 1;
            }
        }
        board.positionGrid[CellIndex(c.extra.layer, c.extra.row, c.extra.column)] = 1;
        ASSERT_TRUE(board.CheckLayout()) << c.what;
        board.millisecondSource = [] { return 3; };
        board.Deal(false);
        board.savedGamesFolder = folder.Path();
        board.savedGameFileName = "Old.TVM";
        EXPECT_EQ(board.SaveGame(), c.saves) << c.what;
        if (c.saves) {
            EXPECT_TRUE(board.LoadGame()) << c.what;
        } else {
            EXPECT_EQ(folder.Read("Old.TVM"), "old game") << c.what;
            EXPECT_EQ(folder.Names(), std::set<std::string>{"Old.TVM"}) << c.what;
        }
    }
}

TEST_F(SavedGameTest, HallNamesFromAGameAreCutAtTheirFieldEnd) {
    ASSERT_TRUE(game.board.SaveGame());
    std::string bytes = folder.Read("Game.TVM");
    std::memset(&bytes[11124 + 40], 'N', 36);          // entry 1: name and time without terminators
    bytes[11124 + 80 + 39] = static_cast<char>(0x80);  // entry 2: negative seconds
    folder.Write("Long.TVM", bytes);
    game.board.savedGameFileName = "Long.TVM";
    ASSERT_TRUE(game.board.LoadGame());
    EXPECT_EQ(std::string(game.board.hall[1].name), std::string(22, 'N'));
    EXPECT_EQ(std::string(game.board.hall[1].time), std::string(12, 'N'));
    EXPECT_STREQ(game.board.hall[2].name, "Tavrix");
    EXPECT_EQ(game.board.hall[2].seconds, 300 + 60 * 2);
}

TEST_F(SavedGameTest, FailedWriteKeepsThePreviousFile) {
    ASSERT_TRUE(game.board.SaveGame());
    const std::string first = folder.Read("Game.TVM");
    // The disc fills up part way through the new game: the old one stays, nothing is left beside.
    PlayFirstPair(game);
    EXPECT_FALSE(WriteOnAFullDisc(1000, [&] { return game.board.SaveGame(); }));
    EXPECT_EQ(folder.Read("Game.TVM"), first);
    EXPECT_EQ(folder.Names(), std::set<std::string>{"Game.TVM"});

    game.board.savedGamesFolder = folder.Path() + "/missing";
    EXPECT_FALSE(game.board.SaveGame());
}

TEST_F(SavedGameTest, SavingUnderAnotherCaseOverwritesTheSameFile) {
    ASSERT_TRUE(game.board.SaveGame());
    game.board.savedGameFileName = "GAME.tvm";
    PlayFirstPair(game);
    ASSERT_TRUE(game.board.SaveGame());
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
    EXPECT_EQ(Le16(folder.Read("Game.TVM"), 11524), 130);
}

// The bytes of a saved game in memory load like the file; any other size is refused and leaves
// the board as it was.
TEST_F(SavedGameTest, BytesInMemoryLoadLikeTheFile) {
    ASSERT_TRUE(game.board.SaveGame());
    const std::string saved = folder.Read("Game.TVM");
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(saved.data());

    AidsGame other(&desktop);
    DealTurtle(other.board, true, 99);
    other.board.savedGamesFolder = folder.Path();
    const std::string before = Snapshot(other.board, "Before.TVM");
    for (const std::size_t size : {std::size_t{0}, kSavedGameBytes - 1, kSavedGameBytes + 1}) {
        std::string longer = saved + "x";
        EXPECT_FALSE(
            other.board.ReadGame(reinterpret_cast<const std::uint8_t*>(longer.data()), size));
    }
    EXPECT_FALSE(other.board.ReadGame(nullptr, kSavedGameBytes));
    EXPECT_EQ(Snapshot(other.board, "Unchanged.TVM"), before);

    ASSERT_TRUE(other.board.ReadGame(bytes, saved.size()));
    EXPECT_EQ(other.board.LoadedGame, 1);
    EXPECT_EQ(Snapshot(other.board, "Again.TVM"), saved);
}
