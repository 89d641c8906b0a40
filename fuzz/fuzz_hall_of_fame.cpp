// Hall-of-fame files: the bytes as a layout's table, shown and sorted, and a win entered into it.
#include <cstring>

#include "core/game_core.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    GameCore game;
    Board& board = game.board;
    board.ReadHall(data, size);
    for (int k = 0; k < kHallEntries; ++k) {
        const HallEntry& entry = board.hall[static_cast<std::size_t>(k)];
        FUZZ_CHECK(entry.seconds >= 0);
        FUZZ_CHECK(std::memchr(entry.name, 0, sizeof entry.name) != nullptr);
        FUZZ_CHECK(std::memchr(entry.time, 0, sizeof entry.time) != nullptr);
    }
    game.HallOfFameDialog();
    board.SortHall(0, kHallEntries - 1);
    for (int k = 1; k < kHallEntries; ++k) {
        FUZZ_CHECK(board.hall[static_cast<std::size_t>(k - 1)].seconds <=
                   board.hall[static_cast<std::size_t>(k)].seconds);
    }
    // A won game, timed by the first bytes: it enters the table or not, and nothing is written
    // (the board has no scores folder).
    std::int32_t seconds = 0;
    std::memcpy(&seconds, data, size < sizeof seconds ? size : sizeof seconds);
    board.tilesLeft = 0;
    board.chronoSeconds = seconds < 0 ? -(seconds + 1) : seconds;
    game.CheckWin();
    FUZZ_CHECK(board.WinHandled == 1);
    return 0;
}
