// Saved games: the 11534-byte dump of a game in progress, the same in all three editions, and
// the checks a file the player may have edited must pass before the board takes it.
#include <algorithm>
#include <array>
#include <cstring>

#include "core/core_files_local.h"
#include "settings/resource_folders.h"

namespace {

// The file's fields, in order; little-endian, no header.
constexpr std::size_t kRecordsAt = 0;
constexpr std::size_t kTileGridAt = kRecordsAt + kTiles * kTileRecordBytes;  // 4032
constexpr std::size_t kPositionGridAt = kTileGridAt + kCells;                // 7432
constexpr std::size_t kUndoAt = kPositionGridAt + kCells;                    // 10832
constexpr std::size_t kHallAt = kUndoAt + kUndoSlots * sizeof(UndoEntry);    // 11124
constexpr std::size_t kTilesLeftAt = kHallAt + kHallFileBytes;               // 11524
constexpr std::size_t kUndoCountAt = kTilesLeftAt + 2;                       // 11526
constexpr std::size_t kSelectedAt = kUndoCountAt + 2;                        // 11528
constexpr std::size_t kChronoAt = kSelectedAt + 2;                           // 11530
constexpr std::size_t kSavedGameBytes = kChronoAt + 4;
static_assert(kTileGridAt == 4032 && kUndoAt == 10832 && kHallAt == 11124);
static_assert(kTilesLeftAt == 11524 && kChronoAt == 11530);
static_assert(kSavedGameBytes == 11534);

using SavedGameBytes = std::array<std::uint8_t, kSavedGameBytes>;

// Everything a saved game holds, read out of the file but not yet on the board.
struct SavedGame {
    TileRecords tiles{};
    TileGrid tileGrid{};
    PositionGrid positionGrid{};
    UndoStack undoStack{};
    std::array<HallEntry, kHallEntries> hall{};
    std::int16_t tilesLeft = 0;
    std::int16_t undoCount = 0;
    std::int16_t firstSelected = NoTile;
    std::int32_t chronoSeconds = 0;
};

void Parse(const SavedGameBytes& bytes, SavedGame& game) {
    for (int t = 0; t < kTiles; ++t) {
        game.tiles[static_cast<std::size_t>(t)] =
            ReadTileRecord(bytes.data() + kRecordsAt + t * kTileRecordBytes);
    }
    std::memcpy(game.tileGrid.data(), bytes.data() + kTileGridAt, kCells);
    std::memcpy(game.positionGrid.data(), bytes.data() + kPositionGridAt, kCells);
    for (int k = 0; k < kUndoSlots; ++k) {
        const std::uint8_t* e = bytes.data() + kUndoAt + k * sizeof(UndoEntry);
        game.undoStack[static_cast<std::size_t>(k)] = UndoEntry{e[0], e[1], e[2], e[3]};
    }
    for (int k = 0; k < kHallEntries; ++k) {
        ReadHallEntry(bytes.data() + kHallAt + k * kHallEntryBytes, k,
                      game.hall[static_cast<std::size_t>(k)]);
    }
    game.tilesLeft = static_cast<std::int16_t>(files::GetLE16(bytes.data() + kTilesLeftAt));
    game.undoCount = static_cast<std::int16_t>(files::GetLE16(bytes.data() + kUndoCountAt));
    game.firstSelected = static_cast<std::int16_t>(files::GetLE16(bytes.data() + kSelectedAt));
    game.chronoSeconds = static_cast<std::int32_t>(files::GetLE32(bytes.data() + kChronoAt));
}

// Whether the game read from a file is one the rules can go on with: every face, position, grid
// cell, undo entry and counter agrees with the others, so nothing later indexes past a table or
// undoes a tile into the place of another.
bool IsConsistent(const SavedGame& game) {
    // Records: a dealt face or none, and a position that holds a whole tile.
    int present = 0;
    for (const TileRecord& r : game.tiles) {
        if (r.face >= kFaces && r.face != NoTile) {
            return false;
        }
        if (r.layer >= kLayers || r.row > kLastTileRow || r.column > kLastTileColumn) {
            return false;
        }
        present += r.face != NoTile ? 1 : 0;
    }
    // No two tiles stand on the same cell, present or removed, so an undo never overwrites one.
    std::array<std::uint8_t, kCells> covered{};
    for (const TileRecord& r : game.tiles) {
        for (int dr = 0; dr < 2; ++dr) {
            for (int dc = 0; dc < 2; ++dc) {
                std::uint8_t& cell = covered[static_cast<std::size_t>(
                    CellIndex(r.layer, r.row + dr, r.column + dc))];
                if (cell != 0) {
                    return false;
                }
                cell = 1;
            }
        }
    }
    // The TileGrid holds each present tile in its four cells and nothing anywhere else.
    for (int cell = 0; cell < kCells; ++cell) {
        const std::uint8_t t = game.tileGrid[static_cast<std::size_t>(cell)];
        if (t == NoTile) {
            continue;
        }
        if (t >= kTiles || game.tiles[t].face == NoTile) {
            return false;
        }
    }
    for (int t = 0; t < kTiles; ++t) {
        const TileRecord& r = game.tiles[static_cast<std::size_t>(t)];
        const std::uint8_t expected = r.face == NoTile ? NoTile : static_cast<std::uint8_t>(t);
        for (int dr = 0; dr < 2; ++dr) {
            for (int dc = 0; dc < 2; ++dc) {
                if (game.tileGrid[static_cast<std::size_t>(
                        CellIndex(r.layer, r.row + dr, r.column + dc))] != expected) {
                    return false;
                }
            }
        }
    }
    for (std::uint8_t cell : game.positionGrid) {
        if (cell > 1) {
            return false;
        }
    }
    // The undo history names each removed tile once, with the matching faces it had.
    if (game.undoCount < 0 || game.undoCount > kPairs) {
        return false;
    }
    std::array<std::uint8_t, kTiles> undone{};
    for (int k = 0; k < game.undoCount; ++k) {
        const UndoEntry& e = game.undoStack[static_cast<std::size_t>(k)];
        if (e.firstTile >= kTiles || e.secondTile >= kTiles || e.firstTile == e.secondTile) {
            return false;
        }
        if (e.firstFace >= kFaces || e.secondFace >= kFaces ||
            !FacesMatch(e.firstFace, e.secondFace)) {
            return false;
        }
        for (std::uint8_t t : {e.firstTile, e.secondTile}) {
            if (undone[t] != 0 || game.tiles[t].face != NoTile) {
                return false;
            }
            undone[t] = 1;
        }
    }
    if (game.tilesLeft != present || game.tilesLeft != kTiles - 2 * game.undoCount) {
        return false;
    }
    if (game.firstSelected != NoTile &&
        (game.firstSelected < 0 || game.firstSelected >= kTiles ||
         game.tiles[static_cast<std::size_t>(game.firstSelected)].face == NoTile)) {
        return false;
    }
    return game.chronoSeconds >= 0;
}

// Whether the board takes the game read from a file. A selection of a tile that has left the
// board is dropped rather than the whole game refused: a game saved while an autoplay replay
// showed its pair can hold one, and the selection is the least of what the file carries.
bool Accept(SavedGame& game) {
    if (game.firstSelected >= 0 && game.firstSelected < kTiles &&
        game.tiles[static_cast<std::size_t>(game.firstSelected)].face == NoTile) {
        game.firstSelected = NoTile;
    }
    return IsConsistent(game);
}

}  // namespace

bool Board::SaveGame() const {
    if (savedGameFileName.empty() || savedGamesFolder.empty()) {
        return false;
    }
    SavedGameBytes bytes{};
    for (int t = 0; t < kTiles; ++t) {
        WriteTileRecord(tiles[static_cast<std::size_t>(t)],
                        bytes.data() + kRecordsAt + t * kTileRecordBytes);
    }
    std::memcpy(bytes.data() + kTileGridAt, tileGrid.data(), kCells);
    std::memcpy(bytes.data() + kPositionGridAt, positionGrid.data(), kCells);
    for (int k = 0; k < kUndoSlots; ++k) {
        const UndoEntry& e = undoStack[static_cast<std::size_t>(k)];
        std::uint8_t* out = bytes.data() + kUndoAt + k * sizeof(UndoEntry);
        out[0] = e.firstFace;
        out[1] = e.secondFace;
        out[2] = e.firstTile;
        out[3] = e.secondTile;
    }
    for (int k = 0; k < kHallEntries; ++k) {
        WriteHallEntry(hall[static_cast<std::size_t>(k)],
                       bytes.data() + kHallAt + k * kHallEntryBytes);
    }
    files::PutLE16(bytes.data() + kTilesLeftAt, static_cast<std::uint16_t>(tilesLeft));
    files::PutLE16(bytes.data() + kUndoCountAt, static_cast<std::uint16_t>(undoCount));
    files::PutLE16(bytes.data() + kSelectedAt, static_cast<std::uint16_t>(firstSelected));
    files::PutLE32(bytes.data() + kChronoAt, static_cast<std::uint32_t>(chronoSeconds));

    // Only a game the loader takes back is written. A layout with partly overlapping positions
    // passes the layout check and plays, but its tiles share cells, which no saved game may
    // hold; such a game is refused here, as a write that failed, instead of being written into
    // a file that could never be loaded.
    SavedGame game;
    Parse(bytes, game);
    if (!Accept(game)) {
        return false;
    }
    return files::WriteFileReplacing(PathForWriting(savedGamesFolder, savedGameFileName),
                                     bytes.data(), bytes.size());
}

bool Board::LoadGame() {
    // A wrong size, a short read or a failed check all leave the game on the board as it was;
    // the caller names the file in the MesReadError message.
    SavedGameBytes bytes;
    if (savedGameFileName.empty() ||
        !files::ReadExactFile(ResolveInFolder(savedGamesFolder, savedGameFileName), bytes.data(),
                              bytes.size())) {
        return false;
    }
    return ReadGame(bytes.data(), bytes.size());
}

bool Board::ReadGame(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size != kSavedGameBytes) {
        return false;
    }
    SavedGameBytes bytes;
    std::memcpy(bytes.data(), data, size);
    SavedGame game;
    Parse(bytes, game);
    if (!Accept(game)) {
        return false;
    }

    ResetPlayState();
    tiles = game.tiles;
    tileGrid = game.tileGrid;
    positionGrid = game.positionGrid;
    undoStack = game.undoStack;
    std::copy(game.hall.begin(), game.hall.end(), hall.begin());
    tilesLeft = game.tilesLeft;
    undoCount = game.undoCount;
    firstSelected = game.firstSelected;
    chronoSeconds = game.chronoSeconds;
    LoadedGame = 1;
    UpdateFreeTiles();
    UpdateShadows();
    // The entries beyond the undo count are the pairs taken back before the game was saved; as
    // many of them as are whole entries form the redo chain (each is checked again on replay).
    redoLimit = undoCount;
    while (redoLimit < kPairs && IsTile(undoStack[static_cast<std::size_t>(redoLimit)].firstTile)) {
        ++redoLimit;
    }
    return true;
}
