// Dealing faces: the random deal and the solvable (easy-mode) deal.
//
// Both use the C library's rand(), reseeded from the millisecond of the time of day exactly
// where the game always did, so a deal made in a given millisecond is the same as ever.
#include <cstdlib>

#include "core/board.h"

namespace {

using FaceTable = std::array<std::uint8_t, kTiles>;

// Tables A (entries 0..71) and B (72..143): entry k of A always matches entry k of B, and
// together they hold every face of the 144 tiles once.
constexpr FaceTable MakeFaceTable() {
    FaceTable w{};
    int k = 0;
    for (int face = 0; face <= 26; ++face) {
        w[k++] = static_cast<std::uint8_t>(face);
        w[k++] = static_cast<std::uint8_t>(face);
    }
    constexpr std::uint8_t tailA[18] = {27, 28, 31, 31, 32, 32, 33, 33, 34,
                                        34, 35, 36, 39, 39, 40, 40, 41, 41};
    constexpr std::uint8_t tailB[18] = {29, 30, 31, 31, 32, 32, 33, 33, 34,
                                        34, 37, 38, 39, 39, 40, 40, 41, 41};
    for (std::uint8_t face : tailA) {
        w[k++] = face;
    }
    for (int i = 0; i < 72; ++i) {
        w[72 + i] = i < 54 ? w[i] : tailB[i - 54];
    }
    return w;
}

constexpr FaceTable kFaceTable = MakeFaceTable();

// rand() % n redrawn until `taken(k)` is false. A C library whose generator never reached a
// free slot would otherwise hang the deal, so after a generous number of draws the first free
// slot is taken.
template <typename Taken>
int DrawFree(int n, Taken taken) {
    for (int draw = 0; draw < 1000000; ++draw) {
        const int k = std::rand() % n;
        if (!taken(k)) {
            return k;
        }
    }
    for (int k = 0; k < n; ++k) {
        if (!taken(k)) {
            return k;
        }
    }
    return 0;
}

}  // namespace

DealResult Board::Deal(bool easyMode, bool gridFormat) {
    if (LoadedGame != 0) {
        LoadLayout(gridFormat);
        LoadedGame = 0;
    }

    FaceTable faces = kFaceTable;
    DealResult result = DealResult::Random;
    if (!easyMode || layoutRefused != 0) {
        RandomDeal(faces);
    } else if (SolvableDeal(faces)) {
        result = DealResult::Solvable;
    } else {
        // No removal order was found within the bound: the layout is dealt at random, and the
        // recorded order is cleared so that autoplay has nothing to replay.
        dealOrder.fill(NoTile);
        faces = kFaceTable;
        RandomDeal(faces);
        result = DealResult::SolvableFellBack;
    }

    int dealt = 0;
    for (const TileRecord& t : tiles) {
        dealt += t.face != NoTile ? 1 : 0;
    }
    tilesLeft = static_cast<std::int16_t>(dealt);

    UpdateFreeTiles();
    UpdateShadows();
    ResetPlayState();
    lastDeal = result;
    return result;
}

void Board::RandomDeal(FaceTable& faces) {
    for (TileRecord& t : tiles) {
        t.face = NoTile;
    }
    for (int i = 0; i < kTiles; ++i) {
        std::srand(static_cast<unsigned>(millisecondSource()));
        const int k = DrawFree(kTiles, [this](int slot) { return tiles[slot].face != NoTile; });
        tiles[k].face = faces[i];
        faces[i] = NoTile;
    }
}

bool Board::SolvableDeal(FaceTable& faces) {
    const TileGrid fullGrid = tileGrid;
    bool failed = true;
    dealAttempts = 0;
    for (int attempt = 0; attempt < solvableAttempts && failed; ++attempt) {
        ++dealAttempts;
        // Simulate a whole game in which every two tiles match, picking pairs at random among
        // the first listed ones; the pairs taken become the deal order.
        for (TileRecord& t : tiles) {
            t.face = 1;
        }
        failed = false;
        bool hopeless = false;
        for (int i = 0; i < kTiles && !failed; i += 2) {
            UpdateFreeTiles();
            BuildMoveList(true);
            if (moveCount == 0) {
                failed = true;
                // Nothing is free on the full layout: no later attempt can do better.
                hopeless = i == 0;
                break;
            }
            const int k = moveCount >= 3 ? std::rand() % (moveCount - 1) : 0;
            const TilePair pair = moveList[k];
            dealOrder[i] = pair.first;
            dealOrder[i + 1] = pair.second;
            FillTileCells(pair.first, NoTile);
            FillTileCells(pair.second, NoTile);
            tiles[pair.first].face = NoTile;
            tiles[pair.second].face = NoTile;
        }
        tileGrid = fullGrid;
        if (hopeless) {
            break;
        }
    }
    if (failed) {
        return false;
    }

    for (int j = 0; j < kPairs; ++j) {
        std::srand(static_cast<unsigned>(millisecondSource()));
        const int k = DrawFree(kPairs, [&faces](int slot) { return faces[slot] == NoTile; });
        tiles[dealOrder[2 * j]].face = faces[k];
        tiles[dealOrder[2 * j + 1]].face = faces[k + kPairs];
        faces[k] = NoTile;
        faces[k + kPairs] = NoTile;
    }
    return true;
}
