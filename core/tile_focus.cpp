// The keyboard focus: reading order, the nearest tile in a direction, layer steps, and the words a
// screen reader says for a tile.
#include "core/tile_focus.h"

#include <array>
#include <cstdlib>
#include <tuple>

namespace {

// Reading order: rows top to bottom, then columns left to right; of two tiles on one place the
// higher layer comes first, as it is the one the player sees.
std::tuple<int, int, int> ReadingKey(const TileRecord& record) {
    return {record.row, record.column, -static_cast<int>(record.layer)};
}

bool ComesBefore(const Board& board, int a, int b) {
    return ReadingKey(board.tiles[a]) < ReadingKey(board.tiles[b]);
}

bool HasPlace(const TileRecord& record) {
    return record.layer < kLayers && record.row <= kLastTileRow && record.column <= kLastTileColumn;
}

}  // namespace

bool TileOnBoard(const Board& board, int t) {
    if (!board.IsTile(t)) {
        return false;
    }
    const TileRecord& record = board.tiles[t];
    return record.face != NoTile && HasPlace(record) &&
           board.TileAt(record.layer, record.row, record.column) == t;
}

int NextFreeTile(const Board& board, int from, bool forwards) {
    assert(from == NoTile || board.IsTile(from));
    const bool placed = from != NoTile && HasPlace(board.tiles[from]);
    int best = NoTile;     // the nearest free tile beyond `from` in the chosen order
    int wrapped = NoTile;  // the first (or last) free tile of all, for the wrap-around
    for (int t = 0; t < kTiles; ++t) {
        if (t == from || !TileOnBoard(board, t) || !board.IsFree(t)) {
            continue;
        }
        const bool beyond =
            placed && (forwards ? ComesBefore(board, from, t) : ComesBefore(board, t, from));
        auto better = [&](int current) {
            return current == NoTile ||
                   (forwards ? ComesBefore(board, t, current) : ComesBefore(board, current, t));
        };
        if (beyond && better(best)) {
            best = t;
        }
        if (better(wrapped)) {
            wrapped = t;
        }
    }
    return best != NoTile ? best : wrapped;
}

int NearestInDirection(const Board& board, int from, FocusDirection direction) {
    if (!TileOnBoard(board, from)) {
        return from == NoTile ? NoTile : KeepFocusOnBoard(board, from);
    }
    const TileRecord& origin = board.tiles[from];
    int best = from;
    int bestCost = 0;
    for (int t = 0; t < kTiles; ++t) {
        if (t == from || !TileOnBoard(board, t) || board.tiles[t].layer != origin.layer) {
            continue;
        }
        const int dc = board.tiles[t].column - origin.column;
        const int dr = board.tiles[t].row - origin.row;
        int along = 0;
        int across = 0;
        switch (direction) {
            case FocusDirection::Left:
                along = -dc;
                across = dr;
                break;
            case FocusDirection::Right:
                along = dc;
                across = dr;
                break;
            case FocusDirection::Up:
                along = -dr;
                across = dc;
                break;
            case FocusDirection::Down:
                along = dr;
                across = dc;
                break;
        }
        if (along <= 0) {
            continue;
        }
        const int cost = along + 2 * std::abs(across);
        if (best == from || cost < bestCost || (cost == bestCost && ComesBefore(board, t, best))) {
            best = t;
            bestCost = cost;
        }
    }
    return best;
}

int TileOnNextLayer(const Board& board, int from, int step) {
    assert(step == 1 || step == -1);
    if (!TileOnBoard(board, from)) {
        return from == NoTile ? NoTile : KeepFocusOnBoard(board, from);
    }
    const TileRecord& origin = board.tiles[from];
    for (int layer = origin.layer + step; layer >= 0 && layer < kLayers; layer += step) {
        int best = NoTile;
        int bestDistance = 0;
        for (int t = 0; t < kTiles; ++t) {
            if (!TileOnBoard(board, t) || board.tiles[t].layer != layer) {
                continue;
            }
            const int dc = board.tiles[t].column - origin.column;
            const int dr = board.tiles[t].row - origin.row;
            const int distance = dc * dc + dr * dr;
            if (best == NoTile || distance < bestDistance ||
                (distance == bestDistance && ComesBefore(board, t, best))) {
                best = t;
                bestDistance = distance;
            }
        }
        if (best != NoTile) {
            return best;
        }
    }
    return from;
}

int KeepFocusOnBoard(const Board& board, int focus) {
    if (focus == NoTile || TileOnBoard(board, focus)) {
        return focus;
    }
    if (!board.IsTile(focus)) {
        return NoTile;
    }
    const int next = NextFreeTile(board, focus, true);
    if (next != NoTile) {
        return next;
    }
    // Nothing is free (a lost game): any tile left keeps the focus on the board.
    for (int t = 0; t < kTiles; ++t) {
        if (TileOnBoard(board, t)) {
            return t;
        }
    }
    return NoTile;
}

int FreePairs(const Board& board) {
    std::array<int, kTiles> free{};
    int count = 0;
    for (int t = 0; t < kTiles; ++t) {
        if (TileOnBoard(board, t) && board.IsFree(t)) {
            free[static_cast<std::size_t>(count++)] = t;
        }
    }
    int pairs = 0;
    for (int i = 0; i < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
            if (FacesMatch(board.tiles[free[static_cast<std::size_t>(i)]].face,
                           board.tiles[free[static_cast<std::size_t>(j)]].face)) {
                ++pairs;
            }
        }
    }
    return pairs;
}

std::string FillText(std::string pattern, const std::string& first, const std::string& second) {
    for (const auto& [mark, value] : {std::pair{"%1", &first}, std::pair{"%2", &second}}) {
        const std::string::size_type at = pattern.find(mark);
        if (at != std::string::npos) {
            pattern.replace(at, 2, *value);
        }
    }
    return pattern;
}

std::string FaceName(int face, const FocusTextLookup& text) {
    // Faces 0..26 are three suits of nine; the honours and bonus tiles have a key each.
    static constexpr const char* kSuits[] = {"AccCharacter", "AccCircle", "AccBamboo"};
    static constexpr const char* kHonours[] = {
        "AccPlum",      "AccOrchid",   "AccChrysanthemum", "AccBambooFlower", "AccEastWind",
        "AccSouthWind", "AccWestWind", "AccNorthWind",     "AccSpring",       "AccSummer",
        "AccAutumn",    "AccWinter",   "AccRedDragon",     "AccGreenDragon",  "AccWhiteDragon",
    };
    if (face >= 0 && face < 27) {
        return FillText(text(kSuits[face / 9]), std::to_string(face % 9 + 1));
    }
    if (face >= 27 && face < kFaces) {
        return text(kHonours[face - 27]);
    }
    return std::string();
}

std::string DescribeTile(const Board& board, int t, const FocusTextLookup& text) {
    if (!TileOnBoard(board, t)) {
        return std::string();
    }
    const TileRecord& record = board.tiles[t];
    std::string words = FaceName(record.face, text);
    words += ", " + text(board.IsFree(t) ? "AccFree" : "AccBlocked");
    words += ", " + FillText(text("AccLayer"), std::to_string(record.layer + 1));
    if (t == board.firstSelected) {
        words += ", " + text("AccSelected");
    }
    return words;
}
