#include "core/tile_focus.h"

#include <gtest/gtest.h>

#include <map>

#include "core_test_support.h"

namespace {

// Layer 0:   A . B . C        (B lies under H)
//            D . E . F        (I stands two layers above E)
//              G              (half a tile to the right)
// Layer 1:   H over B;  layer 2 empty;  layer 3: I over E.
constexpr Position kA{0, 0, 0}, kB{0, 0, 2}, kC{0, 0, 4}, kD{0, 2, 0}, kE{0, 2, 2}, kF{0, 2, 4},
    kG{0, 4, 1}, kH{1, 0, 2}, kI{3, 2, 2};

struct FocusBoard {
    std::unique_ptr<Board> board = BoardWith({kA, kB, kC, kD, kE, kF, kG, kH, kI});
    int A = TileOf(*board, kA), B = TileOf(*board, kB), C = TileOf(*board, kC),
        D = TileOf(*board, kD), E = TileOf(*board, kE), F = TileOf(*board, kF),
        G = TileOf(*board, kG), H = TileOf(*board, kH), I = TileOf(*board, kI);

    FocusBoard() {
        // Two free pairs: A with H (equal faces) and C with D (two flowers).
        const std::pair<int, int> faces[] = {{A, 0},  {B, 20}, {C, 27}, {D, 30}, {E, 1},
                                             {F, 40}, {G, 5},  {H, 0},  {I, 39}};
        for (const auto& [tile, face] : faces) {
            board->tiles[tile].face = static_cast<std::uint8_t>(face);
        }
    }
    void Remove(int t) {
        board->FillTileCells(t, NoTile);
        board->tiles[t].face = NoTile;
        board->UpdateFreeTiles();
    }
};

std::string English(const char* key) {
    static const std::map<std::string, std::string> kTexts = {
        {"AccCharacter", "Character %1"},
        {"AccBamboo", "Bamboo %1"},
        {"AccRedDragon", "Red dragon"},
        {"AccBambooFlower", "Bamboo flower"},
        {"AccFree", "free"},
        {"AccBlocked", "blocked"},
        {"AccLayer", "layer %1"},
        {"AccSelected", "selected"},
    };
    const auto found = kTexts.find(key);
    return found != kTexts.end() ? found->second : key;
}

TEST(TileFocus, TabVisitsFreeTilesInReadingOrderAndWraps) {
    FocusBoard f;
    // Free: A, H (on B), C, D, I (above E), F, G; B is covered and E is blocked at both sides.
    const std::vector<int> order = {f.A, f.H, f.C, f.D, f.I, f.F, f.G};
    int focus = NoTile;
    for (int expected : order) {
        focus = NextFreeTile(*f.board, focus, true);
        EXPECT_EQ(focus, expected);
    }
    EXPECT_EQ(NextFreeTile(*f.board, focus, true), f.A) << "wraps to the first";
    for (auto it = order.rbegin() + 1; it != order.rend(); ++it) {
        focus = NextFreeTile(*f.board, focus, false);
        EXPECT_EQ(focus, *it);
    }
    EXPECT_EQ(NextFreeTile(*f.board, f.A, false), f.G) << "wraps to the last";
    EXPECT_EQ(NextFreeTile(*f.board, NoTile, false), f.G);

    struct Case {
        const char* name;
        int from;
        bool forwards;
        int expected;
    };
    const Case cases[] = {
        {"from a covered tile", f.B, true, f.C},
        {"from a blocked tile", f.E, true, f.F},
        {"from a blocked tile backwards", f.E, false, f.I},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NextFreeTile(*f.board, c.from, c.forwards), c.expected) << c.name;
    }

    // A removed tile keeps its place in the order, and is never landed on.
    f.Remove(f.I);
    f.Remove(f.C);
    EXPECT_EQ(NextFreeTile(*f.board, f.I, true), f.F);
    EXPECT_EQ(NextFreeTile(*f.board, f.C, false), f.H);
    for (int from = 0; from < kTiles; ++from) {
        for (bool forwards : {true, false}) {
            const int next = NextFreeTile(*f.board, from, forwards);
            EXPECT_TRUE(TileOnBoard(*f.board, next) && f.board->IsFree(next)) << from;
        }
    }
}

TEST(TileFocus, DirectionKeysStayOnTheLayerAndSkipRemovedTiles) {
    FocusBoard f;
    struct Case {
        const char* name;
        int from;
        FocusDirection direction;
        int expected;
    };
    const Case cases[] = {
        {"right along the row, covered tiles too", f.A, FocusDirection::Right, f.B},
        {"down the column", f.A, FocusDirection::Down, f.D},
        {"left", f.E, FocusDirection::Left, f.D},
        {"up", f.E, FocusDirection::Up, f.B},
        {"down to the half-step tile", f.E, FocusDirection::Down, f.G},
        {"the far corner is still that way", f.F, FocusDirection::Down, f.G},
        {"nothing further right", f.C, FocusDirection::Right, f.C},
        {"nothing above the top row", f.A, FocusDirection::Up, f.A},
        {"alone on its layer", f.H, FocusDirection::Left, f.H},
        {"no focus stays none", NoTile, FocusDirection::Left, NoTile},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NearestInDirection(*f.board, c.from, c.direction), c.expected) << c.name;
    }
    f.Remove(f.D);
    // E (two down, two across) ties with G (four down, one across); reading order picks E.
    EXPECT_EQ(NearestInDirection(*f.board, f.A, FocusDirection::Down), f.E);
    f.Remove(f.B);
    f.Remove(f.H);
    EXPECT_EQ(NearestInDirection(*f.board, f.A, FocusDirection::Right), f.C);
    // From a removed tile the focus first comes back onto the board.
    EXPECT_TRUE(TileOnBoard(*f.board, NearestInDirection(*f.board, f.B, FocusDirection::Down)));
}

TEST(TileFocus, LayerKeysSkipEmptyLayersAndTakeTheNearestTile) {
    FocusBoard f;
    struct Case {
        const char* name;
        int from;
        int step;
        int expected;
    };
    const Case cases[] = {
        {"up to the only tile of layer 1", f.A, 1, f.H},
        {"over the empty layer 2", f.H, 1, f.I},
        {"no layer above the top", f.I, 1, f.I},
        {"down over the empty layer", f.I, -1, f.H},
        {"down to the tile right below", f.H, -1, f.B},
        {"no layer below the bottom", f.G, -1, f.G},
        {"no focus stays none", NoTile, 1, NoTile},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TileOnNextLayer(*f.board, c.from, c.step), c.expected) << c.name;
    }
    f.Remove(f.H);
    EXPECT_EQ(TileOnNextLayer(*f.board, f.B, 1), f.I) << "layer 1 is empty now";
}

TEST(TileFocus, FocusIsKeptOnTheBoardAfterChanges) {
    FocusBoard f;
    EXPECT_EQ(KeepFocusOnBoard(*f.board, f.E), f.E);
    EXPECT_EQ(KeepFocusOnBoard(*f.board, NoTile), NoTile);
    f.Remove(f.C);
    EXPECT_EQ(KeepFocusOnBoard(*f.board, f.C), f.D) << "the next free tile after its place";
    f.Remove(f.G);
    EXPECT_EQ(KeepFocusOnBoard(*f.board, f.G), f.A) << "wraps";
    // With no free tile left the focus still finds a tile; on an empty board there is none.
    for (int t : {f.A, f.H, f.D, f.I, f.F}) {
        f.board->tiles[t].state = 0;
    }
    EXPECT_TRUE(TileOnBoard(*f.board, KeepFocusOnBoard(*f.board, f.C)));
    for (int t : {f.A, f.B, f.D, f.E, f.F, f.H, f.I}) {
        f.Remove(t);
    }
    EXPECT_EQ(KeepFocusOnBoard(*f.board, f.C), NoTile);
}

TEST(TileFocus, FreePairsCountMatchingFreeTiles) {
    FocusBoard f;
    EXPECT_EQ(FreePairs(*f.board), 2);  // A-H, and the flowers C-D
    f.board->tiles[f.G].face = 0;       // a third face 0 among the free tiles: A-G and H-G too
    EXPECT_EQ(FreePairs(*f.board), 4);
    f.Remove(f.A);
    f.Remove(f.H);
    EXPECT_EQ(FreePairs(*f.board), 1);
}

TEST(TileFocus, TilesAreDescribedInTheGivenLanguage) {
    FocusBoard f;
    f.board->firstSelected = static_cast<std::int16_t>(f.I);
    struct Case {
        int tile;
        const char* words;
    };
    const Case cases[] = {
        {f.A, "Character 1, free, layer 1"},
        {f.B, "Bamboo 3, blocked, layer 1"},
        {f.D, "Bamboo flower, free, layer 1"},
        {f.I, "Red dragon, free, layer 4, selected"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DescribeTile(*f.board, c.tile, English), c.words);
    }
    f.Remove(f.A);
    EXPECT_EQ(DescribeTile(*f.board, f.A, English), "");
    EXPECT_EQ(DescribeTile(*f.board, NoTile, English), "");
    // Each language places the number where its grammar wants it.
    const FocusTextLookup numberFirst = [](const char* key) {
        return std::string(key) == "AccBamboo" ? std::string("%1 bambous") : English(key);
    };
    EXPECT_EQ(FaceName(20, numberFirst), "3 bambous");
    EXPECT_EQ(FaceName(kBlankFace, English), "");
    EXPECT_EQ(FillText("%2 and %1", "one", "two"), "two and one");
}

}  // namespace
