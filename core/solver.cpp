// The exact solver and the winnable shuffle.
//
// The solver keeps its own copy of the tile grid, empties the cells of each removed tile exactly
// as the game does, and decides freedom with the game's own sweep, restricted to the tiles whose
// cells it reads. On layouts whose tiles never share a cell (all shipped and random layouts),
// removing a tile can only free others. There it searches pairings rather than orders (see The
// pairing search), with forced pairs, groups that can never pair off, a relaxed check of
// blocking (on the free rule turned into sets of tiles), the splits of groups of four that the
// relaxed check rules out, and a table of positions proved lost. On layouts with partly overlapping
// positions a removal can block a tile again, and every order of removals is searched instead.
//
// Index: the position and the free rule; what must come first; the transposition table; the
// pairing search; the move search; public interface; the winnable shuffle.
#include "core/solver.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

constexpr int kLayerCells = kRows * kColumns;

// A set of tile numbers.
struct TileSet {
    std::uint64_t w[3] = {0, 0, 0};

    void Add(int t) { w[t >> 6] |= std::uint64_t{1} << (t & 63); }
    void Remove(int t) { w[t >> 6] &= ~(std::uint64_t{1} << (t & 63)); }
    void Put(int t, bool in) {
        if (in) {
            Add(t);
        } else {
            Remove(t);
        }
    }
    bool Has(int t) const { return ((w[t >> 6] >> (t & 63)) & 1) != 0; }
    bool Any() const { return (w[0] | w[1] | w[2]) != 0; }
    // Counted by hand: without a popcount instruction in the target, std::popcount becomes a
    // library call, and counting is what the search does most.
    static int Bits(std::uint64_t v) {
        v = v - ((v >> 1) & 0x5555555555555555ull);
        v = (v & 0x3333333333333333ull) + ((v >> 2) & 0x3333333333333333ull);
        v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Full;
        return static_cast<int>((v * 0x0101010101010101ull) >> 56);
    }
    int Count() const { return Bits(w[0]) + Bits(w[1]) + Bits(w[2]); }
    bool HasTwo() const {
        const int words = (w[0] != 0) + (w[1] != 0) + (w[2] != 0);
        return words >= 2 || (w[0] & (w[0] - 1)) != 0 || (w[1] & (w[1] - 1)) != 0 ||
               (w[2] & (w[2] - 1)) != 0;
    }
    bool Meets(const TileSet& o) const {
        return ((w[0] & o.w[0]) | (w[1] & o.w[1]) | (w[2] & o.w[2])) != 0;
    }
    TileSet Without(const TileSet& o) const {
        return {{w[0] & ~o.w[0], w[1] & ~o.w[1], w[2] & ~o.w[2]}};
    }
    TileSet operator&(const TileSet& o) const {
        return {{w[0] & o.w[0], w[1] & o.w[1], w[2] & o.w[2]}};
    }
    TileSet operator|(const TileSet& o) const {
        return {{w[0] | o.w[0], w[1] | o.w[1], w[2] | o.w[2]}};
    }
    TileSet& operator|=(const TileSet& o) {
        w[0] |= o.w[0];
        w[1] |= o.w[1];
        w[2] |= o.w[2];
        return *this;
    }
    bool operator==(const TileSet&) const = default;

    template <typename Visit>
    void ForEach(Visit visit) const {
        for (int k = 0; k < 3; ++k) {
            for (std::uint64_t m = w[k]; m != 0; m &= m - 1) {
                visit(k * 64 + std::countr_zero(m));
            }
        }
    }
    // The tile numbers in increasing order; returns how many.
    int List(std::uint8_t* out) const {
        int n = 0;
        ForEach([&](int t) { out[n++] = static_cast<std::uint8_t>(t); });
        return n;
    }
};

// Keys of the transposition table. splitmix64 from a fixed seed, so every run hashes alike.
std::uint64_t SplitMix(std::uint64_t& s) {
    std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Faces that match each other share a group: the flowers 27..30, the seasons 35..38, and each
// other face on its own. Any byte a board holds gets a group, so odd faces are solved as held.
int GroupKey(int face) {
    if (face >= 27 && face <= 30) {
        return 27;
    }
    if (face >= 35 && face <= 38) {
        return 35;
    }
    return face;
}

// Most pairs a search can have open at once: C(2k, 2) summed over k = 1..72.
constexpr std::size_t kMoveCapacity = 251412 + kTiles;

struct Move {
    std::uint8_t a;
    std::uint8_t b;
};

// One stored lost position: the tiles on the board (144 bits) and how the groups of four are
// split (72 bits). `tag` holds the last 16 bits of the tiles, the last 8 of the splits (bits
// 16..23), a work estimate (bits 24..31) and the question the entry belongs to (bits 32..63).
struct TableEntry {
    std::uint64_t w0 = 0;
    std::uint64_t w1 = 0;
    std::uint64_t code = 0;
    std::uint64_t tag = 0;
};

// The three ways to split four tiles into two pairs, by position in the group.
constexpr int kSplit[3][4] = {{0, 1, 2, 3}, {0, 2, 1, 3}, {0, 3, 1, 2}};

// A decision of the pairing search: the partners tried for one tile, best first.
struct Decision {
    std::uint8_t tile = NoTile;
    int count = 0;
    std::array<std::uint8_t, kTiles> partners;
    std::array<int, kTiles> scores;
};

enum class Outcome { Won, Lost, Stopped };

// The pairing search's attempts: the first one's share of positions, and the spread of the
// shuffle of partner scores in the later ones (a freed tile is worth 64).
constexpr std::uint64_t kFirstShare = 64;

// The attempts' shares follow Luby's sequence 1 1 2 1 1 2 4 1 1 2 ...: mostly short attempts,
// now and then a long one, and every length eventually, so the last attempt can finish.
std::uint64_t Luby(std::uint64_t i) {
    for (;;) {
        int k = 1;
        while (((std::uint64_t{1} << k) - 1) < i) {
            ++k;
        }
        if (i == (std::uint64_t{1} << k) - 1) {
            return std::uint64_t{1} << (k - 1);
        }
        i -= (std::uint64_t{1} << (k - 1)) - 1;
    }
}
constexpr int kNoise = 400;

}  // namespace

struct SolverState {
    explicit SolverState(int tableBits);

    bool Prepare(const SolverPosition& position);
    bool FreeNow(int t) const;
    bool FreeByCells(int t) const;
    void BuildFreeRules();
    void RemovePair(int a, int b);
    void RemoveSingle(int a);
    void UndoTo(int count);
    bool RelaxedClears();
    bool RelaxedClearsByRules();
    struct RelaxRun {
        TileSet left;     // tiles not taken yet
        TileSet open;     // of those, the free ones
        TileSet gone;     // unpaired tiles taken alone
        TileSet pending;  // tiles whose way out may have opened since they were last looked at
    };
    void Relax(RelaxRun& run, TileSet watched, RelaxRun* marks, TileSet until = {},
               TileSet held = {});
    bool FreeAmong(int t, const TileSet& left) const;
    enum class ProbeOutcome { Nothing, Split, Lost };
    ProbeOutcome ProbeSplits();
    bool ProbeSplitPairs(const std::uint8_t* probed, int probedCount, std::uint8_t* pass);
    bool SameRows(int g1, int g2) const;
    bool Stacked(int a, int b) const;
    int ValidSplits(const std::uint8_t* four) const;
    bool SplitCode(std::uint64_t& low, std::uint64_t& high) const;
    bool TableHas(std::uint64_t code, std::uint64_t codeHigh) const;
    void TableStore(std::uint64_t code, std::uint64_t codeHigh, std::uint64_t work);
    bool ShouldStop();
    void Commit(int x, int p);
    void UndoCommitsTo(int count);
    bool Propagate(bool& newPairs);
    int PairScore(int a, int b);
    bool ChooseDecision(Decision& decision);
    Outcome SearchPairings(bool newPairs);
    Outcome SearchMoves();

    // -- tables sized at construction --
    // Taken zeroed from the system (calloc of a large block maps fresh pages), so only the parts
    // a search writes become resident: an easy question touches a few pages of the table.
    struct FreeTable {
        void operator()(TableEntry* entries) const { std::free(entries); }
    };
    std::unique_ptr<TableEntry[], FreeTable> table;
    std::size_t tableSize = 0;
    std::uint64_t tableMask = 0;
    std::uint32_t generation = 0;
    std::vector<Move> moves;
    std::vector<TileSet> cellReaders;  // per cell: the tiles whose freedom reads it
    std::array<std::uint64_t, kTiles> zobrist{};

    // -- the position, fixed for one question --
    TileGrid grid{};
    std::array<std::array<std::uint16_t, 4>, kTiles> removedCells{};  // cells a removal empties
    std::array<std::uint16_t, kCells> ownCells{};  // cells holding each tile's number, by tile
    std::array<std::uint16_t, kTiles + 1> ownStart{};
    std::array<TileSet, kTiles> dependents{};   // tiles whose freedom a tile's removal can change
    std::array<TileSet, kTiles> above{};        // tiles that must go before a tile can be free
    std::array<std::int16_t, kTiles> weight{};  // how much a tile holds up: for move ordering
    std::array<std::uint8_t, kTiles> groupOf{};
    std::array<TileSet, kTiles> groupTiles{};
    std::array<std::int8_t, kTiles> groupSplits{};  // ValidSplits of a group of four, else -1
    // The splits of each group of four not yet ruled out on the way to the current position.
    std::array<std::uint8_t, kTiles> splitsLeft{};
    // How often the split checks ruled out splits of each group in this question, over all
    // attempts: the groups that keep failing are decided early in the next ones.
    std::array<int, kTiles> splitFailures{};
    std::array<RelaxRun, kTiles> relaxMarks{};  // per group: the relaxed check before it began
    // In the unsplit relaxed check of ProbeSplits: how many tiles had gone when each tile became
    // free, and when it went itself.
    std::array<std::uint8_t, kTiles> relaxOpened{};
    std::array<std::uint8_t, kTiles> relaxTaken{};
    std::array<TileSet, kTiles> canPair{};  // the tiles each tile may ever be paired with
    // The free rule of each tile as sets of tiles that must be gone: every tile lying on it, and
    // for at least one side (or a board edge), every tile beside it.
    struct FreeRule {
        TileSet on;
        std::array<TileSet, 4> sides;
        int sideCount = 0;
        bool edge = false;
        bool never = false;
    };
    std::array<FreeRule, kTiles> freeRules{};
    bool byRules = false;
    bool probing = false;
    bool probingPairs = false;  // ProbeSplits also tries splits of two groups together
    int groupCount = 0;
    bool monotone = true;  // no removal can block a tile again
    bool impossible = false;

    // -- the search --
    TileSet present;
    TileSet free;
    std::uint64_t hash = 0;
    struct Removal {
        std::uint8_t a;
        std::uint8_t b;
        std::uint8_t cells[8];
        TileSet free;
    };
    std::array<Removal, kTiles> removals{};  // pairs, and single tiles while relaxing
    int removed = 0;
    std::size_t moveTop = 0;
    // Fixed pairs of the pairing search; the log holds one tile of each, newest last.
    std::array<std::uint8_t, kTiles> partner{};
    TileSet committed;
    std::array<std::uint8_t, kTiles> commitLog{};
    int commits = 0;

    // -- attempts --
    std::uint64_t restartAt = 0;  // positions at which the current attempt gives up
    int noise = 0;                // how far partners' scores are shuffled
    std::uint64_t noiseState = 0;

    // -- limits --
    SolveLimits limits;
    std::uint64_t positions = 0;
    bool stopped = false;
};

SolverState::SolverState(int tableBits)
    : table(static_cast<TableEntry*>(std::calloc(std::size_t{1} << tableBits, sizeof(TableEntry)))),
      tableSize(std::size_t{1} << tableBits),
      tableMask((std::uint64_t{1} << tableBits) - 1),
      moves(kMoveCapacity),
      cellReaders(kCells) {
    if (table == nullptr) {
        throw std::bad_alloc();  // as the other tables' allocations report it
    }
    std::uint64_t seed = 0x5641524E454C21ull;
    for (std::uint64_t& key : zobrist) {
        key = SplitMix(seed);
    }
}

// ---------------------------------------------------------------------------------------------
// The position and the free rule
// ---------------------------------------------------------------------------------------------

bool SolverState::Prepare(const SolverPosition& position) {
    grid = position.tileGrid;
    present = {};
    byRules = false;
    monotone = true;
    impossible = false;
    for (int t = 0; t < kTiles; ++t) {
        if (position.faces[t] == NoTile) {
            continue;
        }
        // A tile on the board always has a place inside the grid; a board where it has not is
        // not one the game can make, and the solver will not guess what its removal would do.
        if (position.layers[t] >= kLayers || position.rows[t] > kLastTileRow ||
            position.columns[t] > kLastTileColumn) {
            return false;
        }
        present.Add(t);
        const int cell = CellIndex(position.layers[t], position.rows[t], position.columns[t]);
        removedCells[t] = {static_cast<std::uint16_t>(cell), static_cast<std::uint16_t>(cell + 1),
                           static_cast<std::uint16_t>(cell + kColumns),
                           static_cast<std::uint16_t>(cell + kColumns + 1)};
    }

    // The cells holding each tile's number: only those can ever show it again, since a search
    // only empties cells.
    std::array<std::uint16_t, kTiles + 1> counts{};
    for (int c = 0; c < kCells; ++c) {
        if (grid[c] < kTiles) {
            ++counts[grid[c]];
        }
    }
    ownStart[0] = 0;
    for (int t = 0; t < kTiles; ++t) {
        ownStart[t + 1] = static_cast<std::uint16_t>(ownStart[t] + counts[t]);
        counts[t] = ownStart[t];
    }
    for (int c = 0; c < kCells; ++c) {
        if (grid[c] < kTiles) {
            ownCells[counts[grid[c]]++] = static_cast<std::uint16_t>(c);
        }
    }

    // Who reads which cell: a tile's own cells, the cells above them and the columns one and
    // two beyond each side, as the free rule looks at them.
    for (TileSet& readers : cellReaders) {
        readers = {};
    }
    present.ForEach([&](int t) {
        for (int k = ownStart[t]; k < ownStart[t + 1]; ++k) {
            const int c = ownCells[k];
            const int row = (c / kColumns) % kRows;
            const int column = c % kColumns;
            cellReaders[c].Add(t);
            if (c + kLayerCells < kCells) {
                cellReaders[c + kLayerCells].Add(t);
            }
            if (row < kRows - 1) {
                cellReaders[c + kColumns].Add(t);
                if (column >= 2) {
                    cellReaders[c - 2].Add(t);
                    cellReaders[c + kColumns - 2].Add(t);
                }
                if (column <= kColumns - 3) {
                    cellReaders[c + 2].Add(t);
                    cellReaders[c + kColumns + 2].Add(t);
                }
            }
        }
    });
    present.ForEach([&](int t) {
        TileSet d;
        for (int c : removedCells[t]) {
            d |= cellReaders[c];
            // Emptying a cell that shows another tile still on the board can take that tile's
            // freedom away: the search must then do without the monotone prunings.
            const int shown = grid[c];
            if (shown != t && shown < kTiles && present.Has(shown)) {
                monotone = false;
            }
        }
        d.Remove(t);
        dependents[t] = d & present;
    });

    // Face groups.
    std::array<std::int16_t, 256> groupOfKey;
    groupOfKey.fill(-1);
    groupCount = 0;
    present.ForEach([&](int t) {
        const int key = GroupKey(position.faces[t]);
        if (groupOfKey[key] < 0) {
            groupOfKey[key] = static_cast<std::int16_t>(groupCount);
            groupTiles[groupCount] = {};
            ++groupCount;
        }
        groupOf[t] = static_cast<std::uint8_t>(groupOfKey[key]);
        groupTiles[groupOf[t]].Add(t);
    });

    free = {};
    present.ForEach([&](int t) { free.Put(t, FreeNow(t)); });
    hash = 0;
    present.ForEach([&](int t) { hash ^= zobrist[t]; });

    for (TileSet& a : above) {
        a = {};
    }
    groupSplits.fill(-1);
    weight.fill(0);
    if (!monotone) {
        return true;
    }

    // A tile that is not free even with every other tile gone can never be removed.
    const TileGrid full = grid;
    present.ForEach([&](int t) {
        for (int c : removedCells[t]) {
            grid[c] = NoTile;
        }
    });
    const TileGrid wiped = grid;
    present.ForEach([&](int t) {
        for (int k = ownStart[t]; k < ownStart[t + 1]; ++k) {
            grid[ownCells[k]] = static_cast<std::uint8_t>(t);
        }
        impossible = impossible || !FreeNow(t);
        for (int k = ownStart[t]; k < ownStart[t + 1]; ++k) {
            grid[ownCells[k]] = wiped[ownCells[k]];
        }
    });
    grid = full;

    // The tiles lying on each tile, directly or through others: all must go before it is free.
    present.ForEach([&](int t) {
        for (int k = ownStart[t]; k < ownStart[t + 1]; ++k) {
            const int c = ownCells[k];
            if (c + kLayerCells < kCells) {
                const int on = grid[c + kLayerCells];
                if (on < kTiles && on != t && present.Has(on)) {
                    above[t].Add(on);
                }
            }
        }
    });
    for (bool grew = true; grew;) {
        grew = false;
        present.ForEach([&](int t) {
            TileSet all = above[t];
            above[t].ForEach([&](int on) { all |= above[on]; });
            all.Remove(t);
            if (!(all == above[t])) {
                above[t] = all;
                grew = true;
            }
        });
    }
    present.ForEach([&](int t) { above[t].ForEach([&](int on) { ++weight[on]; }); });
    for (int g = 0; g < groupCount; ++g) {
        if (groupTiles[g].Count() == 4) {
            std::uint8_t four[4];
            groupTiles[g].List(four);
            groupSplits[g] = static_cast<std::int8_t>(ValidSplits(four));
            splitsLeft[g] = static_cast<std::uint8_t>(groupSplits[g]);
        }
    }
    present.ForEach([&](int t) {
        const int g = groupOf[t];
        canPair[t] = {};
        std::uint8_t four[4];
        const bool ofFour = groupTiles[g].Count() == 4;
        if (ofFour) {
            groupTiles[g].List(four);
        }
        groupTiles[g].ForEach([&](int y) {
            if (y == t || Stacked(t, y)) {
                return;
            }
            if (ofFour) {
                int i = 0;
                int j = 0;
                for (int k = 0; k < 4; ++k) {
                    i = four[k] == t ? k : i;
                    j = four[k] == y ? k : j;
                }
                const int partnerOfFirst = i == 0 ? j : (j == 0 ? i : 6 - i - j);
                if ((groupSplits[g] & (1 << (partnerOfFirst - 1))) == 0) {
                    return;
                }
            }
            canPair[t].Add(y);
        });
    });
    BuildFreeRules();
    return true;
}

// The game's free rule for one tile, read from the search's own grid: present, nothing on any
// of its cells from the layer above, and a board edge or an empty column beside it.
bool SolverState::FreeNow(int t) const {
    if (byRules) {
        return present.Has(t) && FreeAmong(t, present);
    }
    return FreeByCells(t);
}

bool SolverState::FreeAmong(int t, const TileSet& left) const {
    const FreeRule& rule = freeRules[t];
    if (rule.never || rule.on.Meets(left)) {
        return false;
    }
    if (rule.edge) {
        return true;
    }
    for (int k = 0; k < rule.sideCount; ++k) {
        if (!rule.sides[k].Meets(left)) {
            return true;
        }
    }
    return false;
}

// Reading the free rule off the grid's cells, as the game does: each cell an own cell, the cell
// above it, or a cell beside it, that is emptied only with the tile that owns it (or never), so
// that the rule becomes sets of tiles. Not done when a cell is emptied by two tiles or shows
// another than the tile emptying it: the cells are read then.
void SolverState::BuildFreeRules() {
    std::array<std::uint8_t, kCells> owner;
    owner.fill(NoTile);
    bool clean = true;
    present.ForEach([&](int t) {
        clean = clean && ownStart[t + 1] - ownStart[t] == 4;
        for (int c : removedCells[t]) {
            clean = clean && owner[c] == NoTile && grid[c] == t;
            owner[c] = static_cast<std::uint8_t>(t);
        }
    });
    if (!clean) {
        return;
    }
    // A cell is empty when its owner is gone; without an owner it keeps what it shows.
    enum class Cell { Owned, Empty, Held };
    auto kind = [&](int c) {
        return owner[c] != NoTile ? Cell::Owned : (grid[c] == NoTile ? Cell::Empty : Cell::Held);
    };
    present.ForEach([&](int t) {
        FreeRule rule;
        for (int c : removedCells[t]) {
            if (c + kLayerCells < kCells && grid[c + kLayerCells] < kTiles) {
                if (kind(c + kLayerCells) == Cell::Owned) {
                    rule.on.Add(owner[c + kLayerCells]);
                } else {
                    rule.never = true;
                }
            }
        }
        for (int c : removedCells[t]) {
            const int column = c % kColumns;
            if (column == 0 || column == kColumns - 1) {
                rule.edge = true;
                continue;
            }
            if ((c / kColumns) % kRows == kRows - 1 || grid[c + kColumns] != t) {
                continue;
            }
            for (int step : {-2, 2}) {
                if ((step < 0 && column < 2) || (step > 0 && column > kColumns - 3)) {
                    continue;
                }
                TileSet side;
                bool possible = true;
                for (int beside : {c + step, c + kColumns + step}) {
                    const Cell k = kind(beside);
                    if (k == Cell::Owned) {
                        side.Add(owner[beside]);
                    } else if (k == Cell::Held) {
                        possible = false;
                    }
                }
                if (!possible) {
                    continue;
                }
                if (!side.Any()) {
                    rule.edge = true;
                } else {
                    assert(rule.sideCount < 4);
                    rule.sides[rule.sideCount++] = side;
                }
            }
        }
        freeRules[t] = rule;
    });
    byRules = true;
}

bool SolverState::FreeByCells(int t) const {
    if (!present.Has(t)) {
        return false;
    }
    const int first = ownStart[t];
    const int last = ownStart[t + 1];
    for (int k = first; k < last; ++k) {
        const int c = ownCells[k];
        if (grid[c] == t && c + kLayerCells < kCells && grid[c + kLayerCells] < kTiles) {
            return false;
        }
    }
    for (int k = first; k < last; ++k) {
        const int c = ownCells[k];
        if (grid[c] != t) {
            continue;
        }
        const int column = c % kColumns;
        if (column == 0 || column == kColumns - 1) {
            return true;
        }
        if ((c / kColumns) % kRows == kRows - 1 || grid[c + kColumns] != t) {
            continue;
        }
        if (column >= 2 && grid[c - 2] == NoTile && grid[c + kColumns - 2] == NoTile) {
            return true;
        }
        if (column <= kColumns - 3 && grid[c + 2] == NoTile && grid[c + kColumns + 2] == NoTile) {
            return true;
        }
    }
    return false;
}

void SolverState::RemovePair(int a, int b) {
    assert(removed < kTiles && present.Has(a) && present.Has(b) && a != b);
    Removal& r = removals[removed++];
    r.a = static_cast<std::uint8_t>(a);
    r.b = static_cast<std::uint8_t>(b);
    r.free = free;
    for (int k = 0; k < 4; ++k) {
        r.cells[k] = grid[removedCells[a][k]];
        grid[removedCells[a][k]] = NoTile;
    }
    for (int k = 0; k < 4; ++k) {
        r.cells[4 + k] = grid[removedCells[b][k]];
        grid[removedCells[b][k]] = NoTile;
    }
    present.Remove(a);
    present.Remove(b);
    free.Remove(a);
    free.Remove(b);
    hash ^= zobrist[a] ^ zobrist[b];
    ((dependents[a] | dependents[b]) & present).ForEach([&](int t) { free.Put(t, FreeNow(t)); });
}

// Takes one tile off alone: only the relaxed check does, never a real move.
void SolverState::RemoveSingle(int a) {
    assert(removed < kTiles && present.Has(a));
    Removal& r = removals[removed++];
    r.a = static_cast<std::uint8_t>(a);
    r.b = NoTile;
    r.free = free;
    for (int k = 0; k < 4; ++k) {
        r.cells[k] = grid[removedCells[a][k]];
        grid[removedCells[a][k]] = NoTile;
    }
    present.Remove(a);
    free.Remove(a);
    hash ^= zobrist[a];
    (dependents[a] & present).ForEach([&](int t) { free.Put(t, FreeNow(t)); });
}

void SolverState::UndoTo(int count) {
    while (removed > count) {
        const Removal& r = removals[--removed];
        // Back in the reverse order, so a cell both tiles emptied gets its first value again.
        if (r.b != NoTile) {
            for (int k = 3; k >= 0; --k) {
                grid[removedCells[r.b][k]] = r.cells[4 + k];
            }
            present.Add(r.b);
            hash ^= zobrist[r.b];
        }
        for (int k = 3; k >= 0; --k) {
            grid[removedCells[r.a][k]] = r.cells[k];
        }
        present.Add(r.a);
        free = r.free;
        hash ^= zobrist[r.a];
    }
}

// A check that sees blocking no order of removals can get out of, sideways as well as stacked.
// Each fixed pair goes as soon as both its tiles are free; a tile without a partner goes alone
// as soon as it is free and some other unpaired tile of its group is free too or already gone.
// Whatever a real winning order removes, this removes as well (by then its tiles are at least
// as free), so a tile this leaves on the board can never go.
bool SolverState::RelaxedClears() {
    if (byRules) {
        return RelaxedClearsByRules();
    }
    const int mark = removed;
    TileSet gone;  // unpaired tiles taken off alone
    for (bool progress = true; progress;) {
        progress = false;
        free.ForEach([&](int t) {
            if (!free.Has(t)) {
                return;
            }
            if (committed.Has(t)) {
                if (free.Has(partner[t])) {
                    RemovePair(t, partner[t]);
                    progress = true;
                }
                return;
            }
            if (canPair[t].Meets(free.Without(committed) | gone)) {
                RemoveSingle(t);
                gone.Add(t);
                progress = true;
            }
        });
    }
    const bool clear = !present.Any();
    UndoTo(mark);
    return clear;
}

// The relaxed check, with every way a whole group of four can still be split tried as well: a
// split under which even the relaxed removals leave tiles behind can never happen, here or in any
// position after this one (fewer tiles and more fixed pairs never let the relaxed removals take
// more), so it stays ruled out below. No split left: the position is lost; one left: the group is
// split that way. A split changes only how its own group's tiles may go, so its check takes up the
// unsplit check where that first took a tile of the group, rather than starting over.
SolverState::ProbeOutcome SolverState::ProbeSplits() {
    TileSet watched;
    std::uint8_t probed[kTiles];
    int probedCount = 0;
    for (int g = 0; g < groupCount; ++g) {
        if (groupSplits[g] > 0 && std::popcount(static_cast<unsigned>(splitsLeft[g])) >= 2 &&
            (present & groupTiles[g]) == groupTiles[g] && !groupTiles[g].Meets(committed)) {
            watched |= groupTiles[g];
            probed[probedCount++] = static_cast<std::uint8_t>(g);
        }
    }
    RelaxRun run{present, free, {}, free};
    free.ForEach([&](int t) { relaxOpened[t] = 0; });
    Relax(run, watched, relaxMarks.data());
    if (run.left.Any()) {
        return ProbeOutcome::Lost;
    }
    // Most splits pass, and most need no check of their own: in the unsplit check, take each
    // pair together once both its tiles are free. A tile that went earlier stays a while longer;
    // if every tile whose freedom reads it and that became free in that while was free then even
    // with the tiles held back still on the board, every other removal of the unsplit check
    // still happens on time, and the board still clears.
    struct HeldBack {
        int tile;
        int went;   // when the unsplit check took it
        int until;  // when both tiles of its pair are free
    };
    auto onTime = [&](const std::uint8_t* four, int k) {
        HeldBack held[2];
        int heldCount = 0;
        for (int half = 0; half < 4; half += 2) {
            const int x = four[kSplit[k][half]];
            const int y = four[kSplit[k][half + 1]];
            const int both = std::max(relaxOpened[x], relaxOpened[y]);
            for (int z : {x, y}) {
                if (relaxTaken[z] < both) {
                    held[heldCount++] = HeldBack{z, relaxTaken[z], both};
                }
            }
        }
        auto goneBy = [&](const TileSet& tiles, int when) {
            bool gone = true;
            (tiles & present).ForEach([&](int m) {
                for (int j = 0; j < heldCount; ++j) {
                    gone = gone &&
                           !(m == held[j].tile && held[j].went < when && when <= held[j].until);
                }
                gone = gone && relaxTaken[m] < when;
            });
            return gone;
        };
        for (int j = 0; j < heldCount; ++j) {
            bool late = false;
            (dependents[held[j].tile] & present).ForEach([&](int d) {
                const int when = relaxOpened[d];
                if (late || when <= held[j].went || when > held[j].until) {
                    return;
                }
                const FreeRule& rule = freeRules[d];
                bool freeThen = !rule.never && goneBy(rule.on, when);
                if (freeThen && !rule.edge) {
                    bool side = false;
                    for (int n = 0; n < rule.sideCount && !side; ++n) {
                        side = goneBy(rule.sides[n], when);
                    }
                    freeThen = side;
                }
                late = !freeThen;
            });
            if (late) {
                return false;
            }
        }
        return true;
    };
    std::uint8_t pass[kTiles];
    for (int i = 0; i < probedCount; ++i) {
        const int g = probed[i];
        std::uint8_t four[4];
        groupTiles[g].List(four);
        pass[i] = 0;
        RelaxRun shared;
        bool sharedRun = false;
        for (int k = 0; k < 3; ++k) {
            if ((splitsLeft[g] & (1 << k)) == 0) {
                continue;
            }
            if (onTime(four, k)) {
                pass[i] = static_cast<std::uint8_t>(pass[i] | (1 << k));
                continue;
            }
            // The split's check starts where the unsplit one first took a tile of the group, and
            // ends once all four have gone: from there on it has fewer tiles left and as many
            // taken alone as the unsplit check had at that start, the other groups' rules are
            // the same, and the unsplit check went on from there to clear the board. What can go
            // without the group's tiles is taken once for all its splits; when that frees all
            // four, every split passes.
            if (!sharedRun) {
                shared = relaxMarks[g];
                Relax(shared, {}, nullptr, {}, groupTiles[g]);
                sharedRun = true;
            }
            if ((shared.open & groupTiles[g]) == groupTiles[g]) {
                pass[i] = static_cast<std::uint8_t>(pass[i] | (1 << k));
                continue;
            }
            const int before = commits;
            Commit(four[kSplit[k][0]], four[kSplit[k][1]]);
            Commit(four[kSplit[k][2]], four[kSplit[k][3]]);
            RelaxRun split = shared;
            split.pending |= groupTiles[g] & split.open;
            Relax(split, {}, nullptr, groupTiles[g]);
            if (!split.left.Meets(groupTiles[g])) {
                pass[i] = static_cast<std::uint8_t>(pass[i] | (1 << k));
            }
            UndoCommitsTo(before);
        }
        if (pass[i] == 0) {
            ++splitFailures[g];
            return ProbeOutcome::Lost;
        }
    }
    if (probingPairs && !ProbeSplitPairs(probed, probedCount, pass)) {
        return ProbeOutcome::Lost;
    }
    bool split = false;
    for (int i = 0; i < probedCount; ++i) {
        const int g = probed[i];
        if (pass[i] != splitsLeft[g]) {
            ++splitFailures[g];
        }
        splitsLeft[g] = pass[i];
        if (std::popcount(static_cast<unsigned>(pass[i])) == 1) {
            std::uint8_t four[4];
            groupTiles[g].List(four);
            const int k = std::countr_zero(static_cast<unsigned>(pass[i]));
            Commit(four[kSplit[k][0]], four[kSplit[k][1]]);
            Commit(four[kSplit[k][2]], four[kSplit[k][3]]);
            split = true;
        }
    }
    return split ? ProbeOutcome::Split : ProbeOutcome::Nothing;
}

// Whether two groups have two tiles each in one row of one layer: there, tiles go only from the
// row's ends, and the two groups' splits often decide each other.
bool SolverState::SameRows(int g1, int g2) const {
    std::array<std::uint8_t, kLayers * kRows> count1{};
    std::array<std::uint8_t, kLayers * kRows> count2{};
    auto rowOf = [&](int t) {
        const int cell = removedCells[t][0];
        return cell / kLayerCells * kRows + cell / kColumns % kRows;
    };
    groupTiles[g1].ForEach([&](int t) { ++count1[rowOf(t)]; });
    groupTiles[g2].ForEach([&](int t) { ++count2[rowOf(t)]; });
    for (std::size_t r = 0; r < count1.size(); ++r) {
        if (count1[r] >= 2 && count2[r] >= 2) {
            return true;
        }
    }
    return false;
}

// The splits of two groups sharing rows, tried together with the relaxed check: a split of one
// group that clears with no split of the other can never happen, here or below. The check
// starts where the unsplit one first took a tile of either group and ends once all eight have
// gone, as for one group. `pass` holds the splits left of each probed group and is narrowed;
// false when a group has none left.
bool SolverState::ProbeSplitPairs(const std::uint8_t* probed, int probedCount, std::uint8_t* pass) {
    for (int i = 0; i < probedCount; ++i) {
        for (int j = i + 1; j < probedCount; ++j) {
            if (std::popcount(static_cast<unsigned>(pass[i])) < 2 ||
                std::popcount(static_cast<unsigned>(pass[j])) < 2 ||
                !SameRows(probed[i], probed[j])) {
                continue;
            }
            const int g1 = probed[i];
            const int g2 = probed[j];
            const TileSet eight = groupTiles[g1] | groupTiles[g2];
            const RelaxRun& start = relaxMarks[g1].left.Count() >= relaxMarks[g2].left.Count()
                                        ? relaxMarks[g1]
                                        : relaxMarks[g2];
            std::uint8_t four1[4];
            std::uint8_t four2[4];
            groupTiles[g1].List(four1);
            groupTiles[g2].List(four2);
            int clears1 = 0;
            int clears2 = 0;
            for (int k1 = 0; k1 < 3; ++k1) {
                for (int k2 = 0; k2 < 3; ++k2) {
                    if ((pass[i] & (1 << k1)) == 0 || (pass[j] & (1 << k2)) == 0 ||
                        ((clears1 & (1 << k1)) != 0 && (clears2 & (1 << k2)) != 0)) {
                        continue;
                    }
                    const int before = commits;
                    Commit(four1[kSplit[k1][0]], four1[kSplit[k1][1]]);
                    Commit(four1[kSplit[k1][2]], four1[kSplit[k1][3]]);
                    Commit(four2[kSplit[k2][0]], four2[kSplit[k2][1]]);
                    Commit(four2[kSplit[k2][2]], four2[kSplit[k2][3]]);
                    RelaxRun run = start;
                    run.pending |= eight & run.open;
                    Relax(run, {}, nullptr, eight);
                    if (!run.left.Meets(eight)) {
                        clears1 |= 1 << k1;
                        clears2 |= 1 << k2;
                    }
                    UndoCommitsTo(before);
                }
            }
            if (clears1 == 0) {
                ++splitFailures[g1];
                ++splitFailures[g2];
                return false;
            }
            pass[i] = static_cast<std::uint8_t>(clears1);
            pass[j] = static_cast<std::uint8_t>(clears2);
        }
    }
    return true;
}

// The relaxed check on the free rules' tile sets, without touching the grid: the same removals,
// each tile looked at again only when a way out may have opened for it.
bool SolverState::RelaxedClearsByRules() {
    RelaxRun run{present, free, {}, free};
    Relax(run, {}, nullptr);
    return !run.left.Any();
}

// Runs the relaxed removals from `run` until none is left, or until every tile of `until` has
// gone when it is not empty. For each group with tiles in `watched`, `marks` gets the run as it
// stood just before the first of them went, and the times at which tiles became free and went
// are kept.
void SolverState::Relax(RelaxRun& run, TileSet watched, RelaxRun* marks, TileSet until,
                        TileSet held) {
    int steps = 0;
    auto take = [&](int t) {
        run.left.Remove(t);
        run.open.Remove(t);
        if (marks != nullptr) {
            relaxTaken[t] = static_cast<std::uint8_t>(steps++);
        }
        (dependents[t] & run.left).Without(run.open).ForEach([&](int d) {
            if (FreeAmong(d, run.left)) {
                run.open.Add(d);
                run.pending.Add(d);
                if (marks != nullptr) {
                    relaxOpened[d] = static_cast<std::uint8_t>(steps);
                }
            }
        });
    };
    const bool bounded = until.Any();
    const bool holding = held.Any();
    while (run.pending.Any()) {
        if (bounded && !run.left.Meets(until)) {
            return;
        }
        if (holding && !(held & run.left).Without(run.open).Any()) {
            return;
        }
        int t = 0;
        for (int k = 0; k < 3; ++k) {
            if (run.pending.w[k] != 0) {
                t = k * 64 + std::countr_zero(run.pending.w[k]);
                break;
            }
        }
        run.pending.Remove(t);
        if (!run.open.Has(t) || held.Has(t)) {
            continue;
        }
        if (committed.Has(t)) {
            if (run.open.Has(partner[t])) {
                take(t);
                take(partner[t]);
            }
            continue;
        }
        if (canPair[t].Meets(run.open.Without(committed) | run.gone)) {
            if (watched.Has(t)) {
                const int g = groupOf[t];
                marks[g] = run;
                marks[g].pending.Add(t);
                watched = watched.Without(groupTiles[g]);
            }
            take(t);
            run.gone.Add(t);
            run.pending |= canPair[t] & run.open;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// What must come first
// ---------------------------------------------------------------------------------------------

bool SolverState::Stacked(int a, int b) const {
    return above[a].Has(b) || above[b].Has(a);
}

// Of the three ways to split four tiles of a group into two pairs, the ones that can happen: no
// pair has one tile lying on the other, and the two pairs do not each have to go first. Bit k
// stands for split k: (0 1)(2 3), (0 2)(1 3), (0 3)(1 2).
int SolverState::ValidSplits(const std::uint8_t* four) const {
    const int g = groupOf[four[0]];
    if (groupSplits[g] >= 0) {
        return splitsLeft[g];  // a group of exactly four: always the same four tiles
    }
    int valid = 0;
    for (int k = 0; k < 3; ++k) {
        const int a = four[kSplit[k][0]];
        const int b = four[kSplit[k][1]];
        const int c = four[kSplit[k][2]];
        const int d = four[kSplit[k][3]];
        if (Stacked(a, b) || Stacked(c, d)) {
            continue;
        }
        const TileSet onAB = above[a] | above[b];
        const TileSet onCD = above[c] | above[d];
        const bool cdFirst = onAB.Has(c) || onAB.Has(d);
        const bool abFirst = onCD.Has(a) || onCD.Has(b);
        if (!(cdFirst && abFirst)) {
            valid |= 1 << k;
        }
    }
    return valid;
}

// ---------------------------------------------------------------------------------------------
// The transposition table
// ---------------------------------------------------------------------------------------------

// Which way the groups of four still whole are split, two bits per group in group order (0 while
// a group is unsplit). Groups of two are always paired by then, so with the tiles on the board
// this names the search position exactly. Not usable when a bigger group has a fixed pair.
bool SolverState::SplitCode(std::uint64_t& low, std::uint64_t& high) const {
    low = 0;
    high = 0;
    int bit = 0;
    for (int g = 0; g < groupCount; ++g) {
        const TileSet left = present & groupTiles[g];
        const int n = left.Count();
        if (n <= 2) {
            continue;
        }
        if (n > 4) {
            if ((left & committed).Any()) {
                return false;
            }
            continue;
        }
        std::uint8_t four[4];
        left.List(four);
        std::uint64_t split = 0;
        if (committed.Has(four[0])) {
            split = partner[four[0]] == four[1] ? 1 : (partner[four[0]] == four[2] ? 2 : 3);
        }
        if (bit < 64) {
            low |= split << bit;
        } else {
            high |= split << (bit - 64);
        }
        bit += 2;
    }
    return true;
}

bool SolverState::TableHas(std::uint64_t code, std::uint64_t codeHigh) const {
    const std::uint64_t index = (hash ^ (code * 0x9E3779B97F4A7C15ull) ^ codeHigh) & tableMask;
    for (std::uint64_t slot : {index, index ^ 1}) {
        const TableEntry& e = table[slot];
        if ((e.tag >> 32) == generation && e.w0 == present.w[0] && e.w1 == present.w[1] &&
            (e.tag & 0xFFFF) == present.w[2] && e.code == code &&
            ((e.tag >> 16) & 0xFF) == codeHigh) {
            return true;
        }
    }
    return false;
}

void SolverState::TableStore(std::uint64_t code, std::uint64_t codeHigh, std::uint64_t work) {
    const std::uint64_t workBits = std::min<std::uint64_t>(std::bit_width(work), 255);
    const std::uint64_t index = (hash ^ (code * 0x9E3779B97F4A7C15ull) ^ codeHigh) & tableMask;
    TableEntry* target = nullptr;
    for (std::uint64_t slot : {index, index ^ 1}) {
        if ((table[slot].tag >> 32) != generation) {
            target = &table[slot];
            break;
        }
    }
    if (target == nullptr) {
        // Both slots hold this question's positions: keep the one that took more work.
        TableEntry& first = table[index];
        TableEntry& second = table[index ^ 1];
        target = ((first.tag >> 24) & 0xFF) <= ((second.tag >> 24) & 0xFF) ? &first : &second;
    }
    target->w0 = present.w[0];
    target->w1 = present.w[1];
    target->code = code;
    target->tag = (std::uint64_t{generation} << 32) | (workBits << 24) | ((codeHigh & 0xFF) << 16) |
                  (present.w[2] & 0xFFFF);
}

bool SolverState::ShouldStop() {
    if (stopped) {
        return true;
    }
    if (positions >= restartAt) {
        return true;  // this attempt's share is spent; the next starts afresh
    }
    if (limits.cancel != nullptr && limits.cancel->load(std::memory_order_relaxed)) {
        stopped = true;
    } else if (limits.maxPositions != 0 && positions >= limits.maxPositions) {
        stopped = true;
    } else if ((positions & 63) == 0 && std::chrono::steady_clock::now() >= limits.deadline) {
        stopped = true;
    }
    return stopped;
}

// ---------------------------------------------------------------------------------------------
// The pairing search (layouts where freedom is never lost)
// ---------------------------------------------------------------------------------------------
//
// Once it is fixed which tile pairs with which, the order no longer matters: a pair whose tiles
// are both free can go at once, since waiting never frees anything more. So the search decides
// pairings, one free tile's partner at a time, and removes every fixed pair as soon as it is
// free. A group of four is split by its first decision; a free tile may also be given a partner
// still covered, which is how the search waits for it.

void SolverState::Commit(int x, int p) {
    assert(!committed.Has(x) && !committed.Has(p) && x != p);
    partner[x] = static_cast<std::uint8_t>(p);
    partner[p] = static_cast<std::uint8_t>(x);
    committed.Add(x);
    committed.Add(p);
    commitLog[commits++] = static_cast<std::uint8_t>(x);
}

void SolverState::UndoCommitsTo(int count) {
    while (commits > count) {
        const int x = commitLog[--commits];
        const int p = partner[x];
        committed.Remove(x);
        committed.Remove(p);
        partner[x] = NoTile;
        partner[p] = NoTile;
    }
}

// Takes every step that needs no choice, until none is left: removes fixed pairs that are free;
// pairs the last two unpaired tiles of a group; removes a group's unpaired tiles when all are
// free (they can only pair among themselves, and any pairing of free tiles does); splits a
// group of four that can be split only one way. False when a group can no longer pair off.
bool SolverState::Propagate(bool& newPairs) {
    for (bool progress = true; progress;) {
        progress = false;
        (committed & free).ForEach([&](int x) {
            const int p = partner[x];
            if (x < p && free.Has(x) && free.Has(p)) {
                RemovePair(x, p);
                progress = true;
            }
        });
        for (int g = 0; g < groupCount; ++g) {
            const TileSet left = present & groupTiles[g];
            const TileSet unpaired = left.Without(committed);
            const int u = unpaired.Count();
            if (u == 0) {
                continue;
            }
            if ((u & 1) != 0) {
                return false;
            }
            std::uint8_t tiles[kTiles];
            unpaired.List(tiles);
            if (u == 2) {
                if (Stacked(tiles[0], tiles[1])) {
                    return false;
                }
                Commit(tiles[0], tiles[1]);
                newPairs = true;
                progress = true;
            } else if ((unpaired & free) == unpaired) {
                for (int k = 0; k < u; k += 2) {
                    Commit(tiles[k], tiles[k + 1]);
                    RemovePair(tiles[k], tiles[k + 1]);
                }
                progress = true;
            } else if (u == 4) {
                const int valid = ValidSplits(tiles);
                if (valid == 0) {
                    return false;
                }
                if (std::popcount(static_cast<unsigned>(valid)) == 1) {
                    const int* split = kSplit[std::countr_zero(static_cast<unsigned>(valid))];
                    Commit(tiles[split[0]], tiles[split[1]]);
                    Commit(tiles[split[2]], tiles[split[3]]);
                    newPairs = true;
                    progress = true;
                }
            }
        }
    }
    return true;
}

// How much removing a free pair opens the board: the tiles it frees, then the tiles lying
// under the pair.
int SolverState::PairScore(int a, int b) {
    const int before = free.Count();
    RemovePair(a, b);
    const int freed = free.Count() - (before - 2);
    UndoTo(removed - 1);
    return 1000 + 64 * freed + weight[a] + weight[b];
}

// The decision to take: the partner of one unpaired tile. A group of four that can still be split
// only two ways comes first, the one whose splits the checks ruled out most often in this question
// and then the one whose tiles have most tiles lying on them: a two-way choice settled early lets
// the split checks below rule out more, and a group deep under others is the one whose wrong split
// shows latest. Such a group is decided even when its
// tiles are covered (its first tile then takes the partner). Otherwise the decision is in a group
// with at least two free unpaired tiles, for the tile of the free pair that opens the board most,
// and that pair is tried first; then the tile's other partners, those letting a pair go at once
// first. With no group having two free unpaired tiles nothing can be removed. False when the
// position is lost.
bool SolverState::ChooseDecision(Decision& decision) {
    constexpr int kTwoWay = 1000000;  // above any pair's score
    constexpr int kPerTileOn = 10000;
    constexpr int kPerFailure = 100000;
    int bestScore = -1;
    bool movable = false;
    for (int g = 0; g < groupCount; ++g) {
        const TileSet unpaired = (present & groupTiles[g]).Without(committed);
        const TileSet open = unpaired & free;
        std::uint8_t tiles[kTiles];
        const int u = unpaired.List(tiles);
        const int valid = u == 4 ? ValidSplits(tiles) : 0;
        const bool twoWay = u == 4 && std::popcount(static_cast<unsigned>(valid)) == 2;
        const bool withFreePair = open.HasTwo();
        movable = movable || withFreePair;
        if (!withFreePair && !twoWay) {
            continue;
        }
        int priority = 0;
        if (twoWay) {
            priority = kTwoWay;
            for (int q = 0; q < 4; ++q) {
                priority += kPerTileOn * (above[tiles[q]] & present).Count();
            }
            priority += kPerFailure * std::min(splitFailures[g], 8);
        }
        // Every partner of every free tile, scored; the best free pair names the decision.
        for (int i = 0; i < u; ++i) {
            const int x = tiles[i];
            if (withFreePair ? !free.Has(x) : i != 0) {
                continue;
            }
            Decision d;
            d.tile = static_cast<std::uint8_t>(x);
            d.count = 0;
            int top = -1;
            for (int j = 0; j < u; ++j) {
                const int p = tiles[j];
                if (p == x || Stacked(x, p)) {
                    continue;
                }
                int score = 0;
                if (u == 4) {
                    // The split this pair makes is named by tile 0's partner.
                    const int partnerOfFirst = i == 0 ? j : (j == 0 ? i : 6 - i - j);
                    const int k = partnerOfFirst - 1;
                    if ((valid & (1 << k)) == 0) {
                        continue;
                    }
                    for (int half = 0; half < 4; half += 2) {
                        const int a = tiles[kSplit[k][half]];
                        const int b = tiles[kSplit[k][half + 1]];
                        if (free.Has(a) && free.Has(b)) {
                            score = std::max(score, PairScore(a, b));
                        }
                    }
                    // With no free pair to go at once, the split whose pairs' tiles came free
                    // closest together in this position's relaxed check goes first: its tiles
                    // wait least for each other.
                    if (score == 0 && probing && byRules) {
                        int spread = 0;
                        for (int half = 0; half < 4; half += 2) {
                            spread += std::abs(relaxOpened[tiles[kSplit[k][half]]] -
                                               relaxOpened[tiles[kSplit[k][half + 1]]]);
                        }
                        score = 4 * std::max(0, 200 - spread);
                    }
                } else if (free.Has(p)) {
                    score = PairScore(x, p);
                }
                if (noise > 0) {
                    score += static_cast<int>((SplitMix(noiseState) >> 40) % noise);
                }
                d.partners[d.count] = static_cast<std::uint8_t>(p);
                d.scores[d.count] = score;
                ++d.count;
                top = std::max(top, score);
            }
            if (d.count == 0) {
                return false;  // a free tile no tile of its group can ever pair with
            }
            top += priority;
            if (top > bestScore) {
                bestScore = top;
                decision = d;
            }
        }
    }
    if (bestScore < 0 || !movable) {
        return false;
    }
    // Best partner first; equal scores keep tile order, so the search is repeatable.
    for (int i = 1; i < decision.count; ++i) {
        for (int j = i; j > 0 && decision.scores[j] > decision.scores[j - 1]; --j) {
            std::swap(decision.scores[j], decision.scores[j - 1]);
            std::swap(decision.partners[j], decision.partners[j - 1]);
        }
    }
    return true;
}

Outcome SolverState::SearchPairings(bool newPairs) {
    if (ShouldStop()) {
        return Outcome::Stopped;
    }
    ++positions;
    const std::uint64_t startPositions = positions;
    const int removedMark = removed;
    const int commitMark = commits;
    const std::array<std::uint8_t, kTiles> splitsMark = splitsLeft;
    bool lost = false;
    for (;;) {
        lost = !Propagate(newPairs);
        if (!lost && !present.Any()) {
            return Outcome::Won;
        }
        // The relaxed check also sees fixed pairs that lie on each other's tiles, through any
        // chain.
        if (lost || !probing || !byRules) {
            lost = lost || !RelaxedClears();
            break;
        }
        const ProbeOutcome probe = ProbeSplits();
        if (probe != ProbeOutcome::Split) {
            lost = probe == ProbeOutcome::Lost;
            break;
        }
        newPairs = true;
    }
    std::uint64_t code = 0;
    std::uint64_t codeHigh = 0;
    const bool storable = !lost && SplitCode(code, codeHigh);
    lost = lost || (storable && TableHas(code, codeHigh));
    Decision decision;
    if (!lost && !ChooseDecision(decision)) {
        lost = true;
        if (storable) {
            TableStore(code, codeHigh, 1);
        }
    }
    if (lost) {
        UndoTo(removedMark);
        UndoCommitsTo(commitMark);
        splitsLeft = splitsMark;
        return Outcome::Lost;
    }

    Outcome outcome = Outcome::Lost;
    for (int k = 0; k < decision.count; ++k) {
        const int before = commits;
        Commit(decision.tile, decision.partners[k]);
        outcome = SearchPairings(true);
        if (outcome == Outcome::Won) {
            return outcome;
        }
        UndoCommitsTo(before);
        if (outcome == Outcome::Stopped) {
            break;
        }
    }
    if (outcome == Outcome::Lost && storable) {
        TableStore(code, codeHigh, positions - startPositions + 1);
    }
    UndoTo(removedMark);
    UndoCommitsTo(commitMark);
    splitsLeft = splitsMark;
    return outcome;
}

// ---------------------------------------------------------------------------------------------
// The move search (layouts with partly overlapping positions)
// ---------------------------------------------------------------------------------------------
//
// A removal there can block another tile again, so no pair can be taken without trying the
// others first: every order of removals is searched, with only the table and the groups' counts
// to cut it short.

Outcome SolverState::SearchMoves() {
    if (ShouldStop()) {
        return Outcome::Stopped;
    }
    ++positions;
    const std::uint64_t startPositions = positions;
    if (!present.Any()) {
        return Outcome::Won;
    }
    for (int g = 0; g < groupCount; ++g) {
        if (((present & groupTiles[g]).Count() & 1) != 0) {
            return Outcome::Lost;
        }
    }
    if (TableHas(0, 0)) {
        return Outcome::Lost;
    }
    const std::size_t base = moveTop;
    std::size_t top = base;
    for (int g = 0; g < groupCount; ++g) {
        std::uint8_t tiles[kTiles];
        const int n = (free & groupTiles[g]).List(tiles);
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j < n; ++j) {
                assert(top < moves.size());
                moves[top++] = Move{tiles[i], tiles[j]};
            }
        }
    }
    moveTop = top;
    Outcome outcome = Outcome::Lost;
    for (std::size_t m = base; m < top; ++m) {
        const int before = removed;
        RemovePair(moves[m].a, moves[m].b);
        outcome = SearchMoves();
        if (outcome == Outcome::Won) {
            break;
        }
        UndoTo(before);
        if (outcome == Outcome::Stopped) {
            break;
        }
        outcome = Outcome::Lost;
    }
    moveTop = base;
    if (outcome == Outcome::Lost) {
        TableStore(0, 0, positions - startPositions + 1);
    }
    return outcome;
}

// ---------------------------------------------------------------------------------------------
// Public interface
// ---------------------------------------------------------------------------------------------

SolverPosition TakePosition(const Board& board) {
    SolverPosition position;
    position.tileGrid = board.tileGrid;
    for (int t = 0; t < kTiles; ++t) {
        const TileRecord& r = board.tiles[t];
        position.faces[t] = r.face;
        position.layers[t] = r.layer;
        position.rows[t] = r.row;
        position.columns[t] = r.column;
    }
    return position;
}

Solver::Solver(int tableBits, int probeFromAttempt)
    : state_(std::make_unique<SolverState>(tableBits)), probeFromAttempt_(probeFromAttempt) {
    assert(tableBits >= 1 && tableBits <= 30);
}

Solver::~Solver() = default;

SolveResult Solver::Solve(const SolverPosition& position, const SolveLimits& limits) {
    SolverState& s = *state_;
    SolveResult result;
    s.limits = limits;
    s.positions = 0;
    s.stopped = false;
    s.restartAt = ~std::uint64_t{0};
    s.removed = 0;
    s.moveTop = 0;
    s.commits = 0;
    s.committed = {};
    s.partner.fill(NoTile);
    s.splitFailures.fill(0);
    if (s.ShouldStop() || std::chrono::steady_clock::now() >= limits.deadline) {
        return result;
    }
    // Each question has its own generation of table entries, so nothing is cleared between
    // questions; the table is wiped only when the counter wraps.
    if (++s.generation == 0) {
        std::fill(s.table.get(), s.table.get() + s.tableSize, TableEntry{});
        s.generation = 1;
    }
    if (!s.Prepare(position)) {
        return result;
    }
    Outcome outcome = Outcome::Lost;
    if (s.impossible) {
        outcome = Outcome::Lost;
    } else if (!s.monotone) {
        s.restartAt = ~std::uint64_t{0};
        outcome = s.SearchMoves();
    } else {
        // A few choices made early in the wrong way can hide a short win behind a long search,
        // so the pairing search starts over with a doubled share of positions each time, its
        // choices among near-equal partners shuffled by a generator seeded with the attempt
        // number. Positions proved lost stay in the table from one attempt to the next, and an
        // attempt that runs to its end settles the question either way.
        for (int attempt = 0;; ++attempt) {
            s.probing = attempt >= probeFromAttempt_;
            if (attempt == probeFromAttempt_ && s.byRules) {
                // A deal the first attempts did not settle gets its groups' splits tried two
                // groups at a time, once: what that rules out holds in every position, and
                // most deals that cannot be won are proved so here.
                s.probingPairs = true;
                const SolverState::ProbeOutcome root = s.ProbeSplits();
                s.probingPairs = false;
                if (root == SolverState::ProbeOutcome::Lost) {
                    outcome = Outcome::Lost;
                    break;
                }
            }
            s.noise = attempt == 0 ? 0 : kNoise;
            s.noiseState = static_cast<std::uint64_t>(attempt) * 0x2545F4914F6CDD1Dull;
            s.restartAt = s.positions + kFirstShare * Luby(attempt + 1);
            outcome = s.SearchPairings(true);
            if (outcome != Outcome::Stopped || s.stopped) {
                break;
            }
        }
    }
    result.positions = s.positions;
    if (outcome == Outcome::Stopped) {
        return result;
    }
    if (outcome == Outcome::Lost) {
        result.answer = SolveAnswer::NotWinnable;
        return result;
    }
    result.answer = SolveAnswer::Winnable;
    result.pairCount = s.removed;
    for (int k = 0; k < s.removed; ++k) {
        const auto& r = s.removals[k];
        result.pairs[k] = TilePair{std::min(r.a, r.b), std::max(r.a, r.b)};
    }
    s.UndoTo(0);
    s.UndoCommitsTo(0);
    return result;
}

// ---------------------------------------------------------------------------------------------
// The winnable shuffle
// ---------------------------------------------------------------------------------------------

bool ShuffleRemaining(const Board& board, std::uint32_t seed, Solver& solver, ShuffleResult& result,
                      const ShuffleOptions& options) {
    const SolverPosition original = TakePosition(board);
    std::array<std::uint8_t, kTiles> onBoard{};
    std::array<std::uint8_t, kTiles> faces{};
    int count = 0;
    for (int t = 0; t < kTiles; ++t) {
        if (original.faces[t] != NoTile) {
            onBoard[count] = static_cast<std::uint8_t>(t);
            faces[count] = original.faces[t];
            ++count;
        }
    }
    // The shuffle draws from its own generator rather than rand() or a standard distribution,
    // whose sequences differ between libraries: a seed must give the same faces everywhere.
    std::uint64_t state = 0x4D414A4F4E47ull ^ (std::uint64_t{seed} << 17);
    const auto deadline = std::chrono::steady_clock::now() + options.timeLimit;
    SolverPosition position = original;
    result = ShuffleResult{};
    result.faces = original.faces;
    for (int attempt = 0; attempt < options.attempts; ++attempt) {
        for (int i = count - 1; i > 0; --i) {
            // Multiply-shift keeps the draw in range without the bias of a modulo.
            const auto j =
                static_cast<int>((SplitMix(state) >> 32) * static_cast<std::uint64_t>(i + 1) >> 32);
            std::swap(faces[i], faces[j]);
        }
        for (int k = 0; k < count; ++k) {
            position.faces[onBoard[k]] = faces[k];
        }
        result.faces = position.faces;
        result.attempts = attempt + 1;
        SolveLimits limits;
        limits.deadline = deadline;
        limits.maxPositions = options.positionsPerAttempt;
        limits.cancel = options.cancel;
        result.solution = solver.Solve(position, limits);
        if (result.solution.answer == SolveAnswer::Winnable) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline ||
            (options.cancel != nullptr && options.cancel->load())) {
            return false;
        }
    }
    return false;
}
