// Small builders shared by the game-core tests.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/board.h"

struct Position {
    int layer;
    int row;
    int column;
};

// A board whose layout is exactly `positions`, numbered, with every tile dealt `face`.
inline std::unique_ptr<Board> BoardWith(std::initializer_list<Position> positions, int face = 0) {
    auto board = std::make_unique<Board>();
    for (const Position& p : positions) {
        board->positionGrid[CellIndex(p.layer, p.row, p.column)] = 1;
    }
    board->NumberTiles();
    for (TileRecord& t : board->tiles) {
        t.face = NoTile;
    }
    for (const Position& p : positions) {
        board->tiles[board->TileAt(p.layer, p.row, p.column)].face =
            static_cast<std::uint8_t>(face);
    }
    board->UpdateFreeTiles();
    board->UpdateShadows();
    return board;
}

inline int TileOf(const Board& board, Position p) {
    return board.TileAt(p.layer, p.row, p.column);
}

// A fresh empty folder under the system's temporary folder, removed at the end of the test. The
// process id keeps tests that run at the same time (ctest -j) out of each other's folders.
class TempFolder {
public:
    explicit TempFolder(const std::string& name)
        : path_(std::filesystem::temp_directory_path() /
                ("varnel_core_" + name + "_" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string Path() const { return path_.string(); }
    std::string Write(const std::string& file, const std::string& bytes) const {
        const auto full = path_ / file;
        std::ofstream(full, std::ios::binary) << bytes;
        return full.string();
    }
    std::string Read(const std::string& file) const {
        std::ifstream in(path_ / file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The names in the folder, sorted: a replacing write must leave no temporary file beside.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

private:
    std::filesystem::path path_;
};

// Runs `write` while no file may grow past `bytes` bytes, as on a disc that fills up part way,
// and returns its result.
inline bool WriteOnAFullDisc(std::size_t bytes, const std::function<bool()>& write) {
    std::fflush(nullptr);
    rlimit saved{};
    if (::getrlimit(RLIMIT_FSIZE, &saved) != 0) {
        return true;  // reported as a write that went through, so the caller's test fails
    }
    rlimit small = saved;
    small.rlim_cur = bytes;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &small) != 0) {
        std::signal(SIGXFSZ, oldHandler);
        return true;
    }
    const bool written = write();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    return written;
}

// Makes `path` a named pipe that nobody writes to, the way a player's folder might hold one under
// a game file's name, and runs `read` on another thread. True when `read` returned within a few
// seconds, with its result in `result`. Otherwise the pipe is opened for writing and closed again
// until the blocked reader sees the end of it, so the test fails instead of hanging; false.
inline bool ReadReturnsBesideAnIdlePipe(const std::string& path, const std::function<bool()>& read,
                                        bool& result) {
    result = false;
    if (::mkfifo(path.c_str(), 0600) != 0) {
        return false;
    }
    auto done = std::async(std::launch::async, read);
    const bool inTime = done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) {
            ::close(writer);
        }
    }
    result = done.get();
    return inTime;
}

inline int CountPositions(const PositionGrid& grid) {
    int n = 0;
    for (std::uint8_t cell : grid) {
        n += cell == 1 ? 1 : 0;
    }
    return n;
}

// Checks the drawing order NumberTiles promises: lower layers first, and within a layer each
// tile before the tiles below it (straight or half a tile aside) and after the tiles to its right
// (straight or half a tile lower). Also that the TileGrid agrees with every record. Returns an
// empty text when all holds, else what failed.
inline std::string DrawingOrderProblem(const Board& board) {
    struct Rule {
        int dr, dc;
        bool upperSmaller;
    };
    const Rule rules[] = {{2, 1, true},  {2, -1, true}, {1, 2, false},
                          {1, -2, true}, {2, 0, true},  {0, 2, false}};
    for (int t = 0; t < kTiles; ++t) {
        const TileRecord& r = board.tiles[t];
        for (int dr = 0; dr < 2; ++dr) {
            for (int dc = 0; dc < 2; ++dc) {
                if (board.TileAt(r.layer, r.row + dr, r.column + dc) != t) {
                    return "grid disagrees with record " + std::to_string(t);
                }
            }
        }
        if (t > 0 && board.tiles[t - 1].layer > r.layer) {
            return "layer order broken at " + std::to_string(t);
        }
    }
    for (int layer = 0; layer < kLayers; ++layer) {
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                if (board.positionGrid[CellIndex(layer, row, column)] != 1) {
                    continue;
                }
                for (const Rule& rule : rules) {
                    const int row2 = row + rule.dr;
                    const int column2 = column + rule.dc;
                    if (row2 >= kRows || column2 < 0 || column2 >= kColumns ||
                        board.positionGrid[CellIndex(layer, row2, column2)] != 1) {
                        continue;
                    }
                    const int p = board.TileAt(layer, row, column);
                    const int q = board.TileAt(layer, row2, column2);
                    if (rule.upperSmaller ? p > q : p < q) {
                        return "order broken between " + std::to_string(p) + " and " +
                               std::to_string(q);
                    }
                }
            }
        }
    }
    return "";
}
