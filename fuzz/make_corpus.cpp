// Makes the seed corpora of the fuzz targets: shipped files copied as they are (layouts, language
// files, music, the image test pictures), and files written by the game's own code (layouts in
// the binary and grid formats, saved games part-way through a deal, hall-of-fame tables,
// configuration files of both editions). Usage: fuzz_make_corpus <corpus folder>.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/board.h"
#include "files/file_io.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

namespace {

bool Copy(const fs::path& from, const fs::path& toFolder) {
    std::error_code error;
    fs::create_directories(toFolder, error);
    fs::copy_file(from, toFolder / from.filename(), fs::copy_options::overwrite_existing, error);
    if (error) {
        std::fprintf(stderr, "cannot copy %s\n", from.c_str());
        return false;
    }
    return true;
}

bool Write(const fs::path& path, const std::string& bytes) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (!files::WriteFileReplacing(path.string(), bytes)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool LoadShipped(Board& board, const std::string& layout) {
    board.layoutsFolder = GAME_DATA_DIR "/LAYOUTS";
    board.layoutFileName = layout;
    board.millisecondSource = [] { return 321; };
    return board.LoadLayout();
}

// The 308-byte form: 144 entries of two bytes, each marking cell (b >> 6) * 34 + (b & 63) of the
// bottom layer. Only the first rows fit, so its positions overlap.
std::string BinaryLayout() {
    std::string bytes(308, '\0');
    int k = 0;
    for (int b = 0; b < 256 && k < kTiles; ++b) {
        const int cell = (b >> 6) * kColumns + (b & 63);
        if (cell % kColumns <= kLastTileColumn && (b & 63) <= kLastTileColumn) {
            bytes[static_cast<std::size_t>(2 * k++)] = static_cast<char>(b);
        }
    }
    return bytes;
}

// The grid form: a line starting with 'K', an ignored line, then one character per cell.
std::string GridLayout(const Board& board) {
    std::string text = "K grid layout\r\nignored line\r\n";
    for (std::uint8_t cell : board.positionGrid) {
        text += cell == 1 ? '1' : '0';
    }
    return text;
}

bool MakeLayouts(const fs::path& corpus) {
    const fs::path folder = corpus / "layout";
    Board board;
    if (!LoadShipped(board, "Default.tvl")) {
        return false;
    }
    return Copy(GAME_DATA_DIR "/LAYOUTS/Default.tvl", folder) &&
           Copy(GAME_DATA_DIR "/LAYOUTS/Pyramid.tvl", folder) &&
           Write(folder / "binary_overlapping.lay", BinaryLayout()) &&
           Write(folder / "grid_default.lay", GridLayout(board)) &&
           Write(folder / "comments_and_short_lines.tvl",
                 "; a comment\n1\n-1 2 3\n0 0 0 extra\n18 32 4\n19 33 5\n");
}

bool MakeSavedGames(const fs::path& corpus) {
    const fs::path folder = corpus / "saved_game";
    std::error_code error;
    fs::create_directories(folder, error);
    for (const int pairs : {0, 5, 40}) {
        Board board;
        if (!LoadShipped(board, "Pyramid.tvl")) {
            return false;
        }
        board.Deal();
        for (int k = 0; k < pairs && board.moveCount > 0; ++k) {
            const TilePair pair = board.moveList[0];
            board.RemovePairTiles(pair.first, pair.second);
            board.UpdateFreeTiles();
            board.UpdateShadows();
            board.BuildMoveList(false);
        }
        board.firstSelected = board.moveCount > 0 ? board.moveList[0].first : NoTile;
        board.chronoSeconds = 61 * pairs;
        board.savedGamesFolder = folder.string();
        board.savedGameFileName = "pyramid_" + std::to_string(pairs) + "_pairs.tvm";
        if (!board.SaveGame()) {
            return false;
        }
    }
    return true;
}

bool MakeHalls(const fs::path& corpus) {
    Board board;
    board.scoresFolder = (corpus / "hall_of_fame").string();
    std::error_code error;
    fs::create_directories(board.scoresFolder, error);
    board.layoutFileName = "Default.tvl";
    board.FillDefaultHall();
    if (!board.SaveHall()) {
        return false;
    }
    board.layoutFileName = "Won.tvl";
    std::snprintf(board.hall[3].name, sizeof board.hall[3].name, "%s", "Winner");
    board.hall[3].seconds = 7;
    board.SortHall(0, kHallEntries - 1);
    return board.SaveHall();
}

bool MakeSettings(const fs::path& corpus) {
    const fs::path folder = corpus / "settings";
    const ScreenMetrics screen;
    ViewSettingsHooks hooks2D;
    View3DSettingsHooks hooks3D;
    Settings settings;
    SetDefaultSettings(settings, screen, hooks2D);
    settings.language = "English.txt";
    bool ok =
        Write(folder / "TAVX2D.INI", FormatSettings(settings, Edition::TwoD, screen, hooks2D));
    SetDefaultSettings(settings, screen, hooks3D);
    settings.background.clear();
    settings.lay = true;
    settings.textureSize = 128;
    settings.zPosition = -12.5f;
    settings.rgbLevelColor[2] = {1, 2, 3, 255};
    ok = ok && Write(folder / "TAVX3D.INI", FormatSettings(settings, Edition::GL, screen, hooks3D));
    return ok;
}

bool CopyShipped(const fs::path& corpus) {
    bool ok = Copy(GAME_DATA_DIR "/LANGUAGE/English.txt", corpus / "language") &&
              Copy(GAME_DATA_DIR "/LANGUAGE/Deutsch.txt", corpus / "language") &&
              Copy(GAME_DATA_DIR "/SOUNDS/Lanterns.mid", corpus / "midi");
    const std::vector<std::pair<std::string, std::string>> pictures = {
        {".bmp", "bmp"}, {".tga", "tga"}, {".jpg", "jpeg"}};
    for (const auto& entry : fs::directory_iterator(IMAGE_FIXTURE_DIR)) {
        for (const auto& [ending, target] : pictures) {
            if (entry.path().extension() == ending) {
                ok = ok && Copy(entry.path(), corpus / target);
            }
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const fs::path corpus = argv[1];
    const bool ok = MakeLayouts(corpus) && MakeSavedGames(corpus) && MakeHalls(corpus) &&
                    MakeSettings(corpus) && CopyShipped(corpus);
    return ok ? 0 : 1;
}
