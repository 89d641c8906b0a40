// The game board: the grids of half-tile cells, the 144 tile records, and every table the rules,
// the views and the saved games work on. Fixed-size storage only, so play never allocates.
#pragma once

#include <array>
#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>

// ---------------------------------------------------------------------------------------------
// Grid geometry and limits
// ---------------------------------------------------------------------------------------------

inline constexpr int kLayers = 5;    // layer 0 at the bottom, 4 on top
inline constexpr int kRows = 20;     // half-tile rows; a tile stands on rows 0..18
inline constexpr int kColumns = 34;  // half-tile columns; a tile stands on columns 0..32
inline constexpr int kCells = kLayers * kRows * kColumns;  // 3400
inline constexpr int kLastTileRow = kRows - 2;             // 18
inline constexpr int kLastTileColumn = kColumns - 2;       // 32
inline constexpr int kTiles = 144;
inline constexpr int kPairs = kTiles / 2;
inline constexpr int kFaces = 42;      // faces 0..41 are dealt
inline constexpr int kBlankFace = 42;  // drawn while the chrono is paused
inline constexpr int kMaxMoves = kTiles * kTiles;
inline constexpr int kUndoSlots = 73;  // a game has at most 72 removals
inline constexpr int kPairLimit = 50;  // move-list cut used by the solvable deal
inline constexpr int kHallEntries = 10;

// Empty cell, removed tile, no selection, unused slot.
inline constexpr std::uint8_t NoTile = 250;

// Sound effects the rules ask for.
enum Effect : int { EffectSelect = 0, EffectRemove = 1, EffectMiss = 2 };

// Every caller has its cell inside the grid (a value read from a file is checked first), so a
// cell outside it is a fault of the game's own code.
constexpr int CellIndex(int layer, int row, int column) {
    assert(layer >= 0 && layer < kLayers && row >= 0 && row < kRows && column >= 0 &&
           column < kColumns);
    return (layer * kRows + row) * kColumns + column;
}

// ---------------------------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------------------------

// One tile. Saved games store the 144 records byte for byte, so the layout is fixed; the five
// view values belong to the views, the core only carries them along.
struct TileRecord {
    std::int32_t x2d = 0;
    std::int32_t y2d = 0;
    float x3d = 0.0f;
    float y3d = 0.0f;
    float z3d = 0.0f;
    std::uint8_t face = NoTile;  // 0..41, or NoTile when removed or not dealt
    std::uint8_t state = 0;      // 1 = free
    std::uint8_t layer = 0;
    std::uint8_t row = 0;
    std::uint8_t column = 0;
    std::uint8_t padding[3] = {0, 0, 0};
};
static_assert(sizeof(TileRecord) == 28);
static_assert(offsetof(TileRecord, x2d) == 0 && offsetof(TileRecord, y2d) == 4);
static_assert(offsetof(TileRecord, x3d) == 8 && offsetof(TileRecord, y3d) == 12);
static_assert(offsetof(TileRecord, z3d) == 16 && offsetof(TileRecord, face) == 20);
static_assert(offsetof(TileRecord, state) == 21 && offsetof(TileRecord, layer) == 22);
static_assert(offsetof(TileRecord, row) == 23 && offsetof(TileRecord, column) == 24);

inline constexpr std::size_t kTileRecordBytes = 28;

// File form of a record: little-endian whatever the machine.
void WriteTileRecord(const TileRecord& record, std::uint8_t* bytes);  // writes 28 bytes
TileRecord ReadTileRecord(const std::uint8_t* bytes);                 // reads 28 bytes

// One removed pair, in removal order.
struct UndoEntry {
    std::uint8_t firstFace = NoTile;
    std::uint8_t secondFace = NoTile;
    std::uint8_t firstTile = NoTile;
    std::uint8_t secondTile = NoTile;
};
static_assert(sizeof(UndoEntry) == 4);

// The pieces of shadow a tile of layers 1..4 casts onto the layer below; each byte is 0 or 1.
struct ShadowFlags {
    std::uint8_t joinLeft = 0;
    std::uint8_t bottomLeft = 0;
    std::uint8_t bottomJoint = 0;
    std::uint8_t bottomRight = 0;
    std::uint8_t corner = 0;
    std::uint8_t rightLower = 0;
    std::uint8_t rightJoint = 0;
    std::uint8_t rightUpper = 0;
    std::uint8_t joinAbove = 0;
    std::uint8_t rightLowerCut = 0;
    std::uint8_t rightUpperCut = 0;
    friend bool operator==(const ShadowFlags&, const ShadowFlags&) = default;
};
static_assert(sizeof(ShadowFlags) == 11);

// A playable pair of tile numbers, first < second.
struct TilePair {
    std::uint8_t first = NoTile;
    std::uint8_t second = NoTile;
};
static_assert(sizeof(TilePair) == 2);

// One line of a layout's hall of fame (also the form in score files and saved games).
struct HallEntry {
    char name[23] = {};
    char time[13] = {};
    std::int32_t seconds = 0;
};
static_assert(sizeof(HallEntry) == 40);
static_assert(offsetof(HallEntry, time) == 23 && offsetof(HallEntry, seconds) == 36);

using TileGrid = std::array<std::uint8_t, kCells>;      // tile number per cell, or NoTile
using PositionGrid = std::array<std::uint8_t, kCells>;  // 1 at the top-left cell of a position
using TileRecords = std::array<TileRecord, kTiles>;
using MoveList = std::array<TilePair, kMaxMoves>;
using DealOrder = std::array<std::uint8_t, kTiles>;  // 72 pairs: entries 2k and 2k+1
using UndoStack = std::array<UndoEntry, kUndoSlots>;
using ShadowTable = std::array<ShadowFlags, kTiles>;

// Seconds as hours, minutes and seconds: "01:02:05"; hours grow past two digits ("100:00:00").
// Negative values show as 00:00:00. Never longer than a HallEntry's time field can hold.
std::string FormatTime(std::int32_t seconds);

// Source of the millisecond part (0..999) of the time of day, which seeds the layout and deal
// generators. Tests replace it to pin a deal.
using MillisecondSource = int (*)();
int CurrentMillisecond();

// ---------------------------------------------------------------------------------------------
// LayoutGrid: what the game board shares with the layout editor's board
// ---------------------------------------------------------------------------------------------

struct LayoutGrid {
    TileGrid tileGrid{};
    PositionGrid positionGrid{};
    TileRecords tiles{};
    std::string layoutsFolder;
    std::string layoutFileName = "Default.tvl";

    LayoutGrid();

    std::uint8_t TileAt(int layer, int row, int column) const {
        return tileGrid[CellIndex(layer, row, column)];
    }
    // Writes `value` into the four cells of tile `tile`'s position.
    void FillTileCells(int tile, std::uint8_t value);

    // Numbers the positions of the PositionGrid into drawing order: lower numbers are drawn
    // first, so every tile is painted after the tiles it hides. Expects an all-empty TileGrid.
    // Numbers at most 144 positions; positions that cannot hold a whole tile get none.
    // Returns how many tiles were numbered.
    int NumberTiles();

    // Writes every position (cells equal to 1) in the line format, CR LF line ends.
    // False when the file cannot be created.
    bool SaveLayout() const;

    // The layouts folder joined with the layout file name.
    std::string LayoutPath() const;
};

// ---------------------------------------------------------------------------------------------
// Board: the whole state of a game
// ---------------------------------------------------------------------------------------------

// How Deal ended; the solvable deal gives up on layouts it cannot clear (see Deal).
enum class DealResult { Random, Solvable, SolvableFellBack };

struct Board : LayoutGrid {
    MoveList moveList{};
    UndoStack undoStack{};
    DealOrder dealOrder{};
    ShadowTable shadows{};
    std::int16_t firstSelected = NoTile;
    std::int16_t secondSelected = NoTile;
    std::int16_t tilesLeft = kTiles;
    std::array<HallEntry, kHallEntries + 1> hall{};  // the 11th receives a new winner
    std::string scoresFolder;
    std::string hallFileName;
    std::string savedGamesFolder;
    std::string savedGameFileName;
    std::string randomLayoutName = "RANDOM.TVL";
    std::string soundsFolder;
    std::int32_t hintIndex = 0;
    std::int32_t moveCount = 0;
    std::int16_t undoCount = 0;
    std::uint8_t GameOverShown = 0;
    std::int32_t chronoSeconds = 0;
    std::uint8_t ChronoPaused = 0;
    std::int32_t pairLimit = kPairLimit;
    std::uint8_t WinHandled = 0;
    std::atomic<std::uint8_t> AutoplayRunning{0};  // cleared by the window thread to stop a replay
    std::uint8_t LoadedGame = 0;
    // Set when the last layout read failed its check: its grid holds no winnable order to find.
    std::uint8_t layoutRefused = 0;
    // Grows each time a game starts afresh (ResetPlayState), so an autoplay replay notices that
    // the game it was showing has been replaced.
    std::uint32_t gameSerial = 0;
    // The redo chain: the undo entries from undoCount up to redoLimit were taken back by UNDO and
    // can be replayed in order. A new removal, a shuffle or a fresh start ends the chain.
    std::int16_t redoLimit = 0;
    // Set when the faces left were dealt again (SHUFFLE); such a game enters no hall of fame.
    std::uint8_t Shuffled = 0;

    MillisecondSource millisecondSource = &CurrentMillisecond;

    // The bound of the solvable deal: simulations tried before dealing at random instead. The
    // shipped layouts and the random layouts of all 1000 milliseconds need at most a dozen; 200
    // keeps a layout without any removal order to roughly a tenth of a second.
    int solvableAttempts = 200;
    // How the last Deal ended, and how many simulations its solvable deal ran.
    DealResult lastDeal = DealResult::Random;
    int dealAttempts = 0;

    Board();
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    // -- board state (board.cpp) --
    void ResetPlayState();
    void UpdateShadows();

    // -- layouts (layout_file.cpp) --
    // Reads the current layout (or generates a random one), checks and numbers it, then loads
    // the layout's hall of fame. True when the layout has exactly 144 usable positions.
    // `gridFormat` is the configuration's `.lay` switch: files starting with 'K' are grids.
    bool LoadLayout(bool gridFormat = false);
    // Reads a layout from the bytes of a whole layout file (the format told apart as LoadLayout
    // does), checks and numbers it; the hall of fame is left alone. LoadLayout reads the file
    // through it. True when the layout has exactly 144 usable positions.
    bool ReadLayout(const std::uint8_t* data, std::size_t size, bool gridFormat = false);
    bool CheckLayout();
    // Whether two positions of one layer cover some of the same cells without standing on the
    // same place: such a layout has 144 positions but no sound drawing or saved game.
    bool PositionsOverlap() const;
    void GenerateRandomLayout();

    // -- hall of fame (hall_of_fame.cpp) --
    // Reads the hall of fame of the current layout from the scores folder; a missing, wrongly
    // sized or damaged file gives the default table. True when the file gave the table.
    bool LoadHall();
    // The same from the bytes of a whole hall-of-fame file; LoadHall reads the file through it.
    // Any size but 400 bytes gives the default table.
    bool ReadHall(const std::uint8_t* data, std::size_t size);
    // Writes the ten entries (400 bytes) through a temporary file, so a failed write leaves the
    // previous file whole. False when the file cannot be written.
    bool SaveHall();
    // The table of a layout nobody has won yet: "Tavrix", 00:05:00 up to 00:14:00.
    void FillDefaultHall();
    // Sorts hall entries lo..hi by seconds, fastest first, exactly as the game always has (ties
    // do not keep their order).
    void SortHall(int lo, int hi);

    // -- undo and hints (undo_hint.cpp) --
    // Puts the last removed pair back. False when nothing is left to undo. Clears the selection
    // either way; free states, shadows and the move list are left to the caller.
    bool Undo();
    // Undoes every removal and starts the same deal afresh (chrono, pause and win cleared).
    void RestartGame();
    // The HINT step: a minute on the chrono, then the next listed pair (the list is built when
    // the index runs past it).
    void Hint();
    // Whether tile t belongs to the hint pair shown; wraps the hint index to the first pair
    // once it has run to the end of the list. Asked by the views while drawing.
    bool IsHintTile(int t);
    // Whether the entry at the undo count is one UNDO took back and can be replayed now: its two
    // tiles are on the board with the faces it names, free and matching. Entries of a saved game
    // are checked here, since the file may have been edited.
    bool CanRedo() const;
    // Replays the entry at the undo count (REDO): the pair leaves exactly as it did the first
    // time, and free states, shadows and the move list are brought up to date as after a
    // removal. False, changing nothing, when CanRedo is false.
    bool Redo();
    // Forgets the redo chain; the entries beyond the undo count are cleared, so a saved game
    // carries only a chain that can still be replayed.
    void EndRedoChain();
    // Deals `faces` (a face per tile, NoTile for the tiles gone) over the tiles left: the same
    // faces moved among the same tiles. The chrono takes a minute, as a hint does; the selection,
    // the hint and the redo chain end, and the game is marked Shuffled.
    void ApplyShuffle(const std::array<std::uint8_t, kTiles>& faces);

    // -- chrono (chrono_status.cpp) --
    // One second of play, unless the chrono is paused or the win is recorded.
    void ChronoTick();

    // -- saved games (saved_game.cpp) --
    // Writes the game to the saved-game file of the saved-games folder (11534 bytes), through a
    // temporary file. False when the file cannot be written, and also, writing nothing, when
    // LoadGame would refuse the game (tiles of a layout with partly overlapping positions share
    // cells); an older file then stays whole.
    bool SaveGame() const;
    // Reads the saved-game file and, when it is whole and consistent, puts its game on the board
    // (marked LoadedGame); a selection of a removed tile is dropped. False when it cannot be read
    // or fails a check: the board is untouched.
    bool LoadGame();
    // The same from the bytes of a whole saved-game file; LoadGame reads the file through it.
    // Any size but 11534 bytes is refused.
    bool ReadGame(const std::uint8_t* data, std::size_t size);

    // -- dealing (deal.cpp) --
    // Deals faces to the current layout and starts the game's counters afresh: with `easyMode`
    // in a winnable order, else at random (always at random on a refused layout). A board that
    // holds a loaded game reads its layout again first, with the `gridFormat` switch. Returns
    // how the deal was made; with easy mode on, SolvableFellBack means no winnable order was
    // found within the bound and the faces were dealt at random.
    DealResult Deal(bool easyMode = true, bool gridFormat = false);

    // -- play rules (play_rules.cpp) --
    void UpdateFreeTiles();
    void BuildMoveList(bool limited);
    bool CanMatch(int a, int b) const;
    // Step one of a removal: records the undo entry, empties the pair's cells and faces and
    // updates the counters. The caller recomputes free states, shadows and moves. A new removal
    // ends the redo chain.
    void RemovePairTiles(int a, int b);

    bool IsTile(int t) const { return t >= 0 && t < kTiles; }
    bool IsFree(int t) const { return IsTile(t) && tiles[t].state == 1; }

private:
    // RemovePairTiles without ending the redo chain (REDO replays through it).
    void TakePairOut(int a, int b);
    void RandomDeal(std::array<std::uint8_t, kTiles>& faces);
    bool SolvableDeal(std::array<std::uint8_t, kTiles>& faces);
};

// Faces match when equal, or both among the flowers 27..30, or both among the seasons 35..38.
constexpr bool FacesMatch(int a, int b) {
    if (a == b) {
        return true;
    }
    if (a >= 27 && a <= 30 && b >= 27 && b <= 30) {
        return true;
    }
    return a >= 35 && a <= 38 && b >= 35 && b <= 38;
}
