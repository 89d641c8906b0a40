#include "tests/shell/shell_test_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/tile_focus.h"

namespace {

void CopyInto(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
}

// The command of the list's entry for `fileName` (the list's commands start at `first`), or 0.
int MenuEntry(const FileList& list, int first, const std::string& fileName) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].fileName == fileName) {
            return first + static_cast<int>(i);
        }
    }
    return 0;
}

}  // namespace

GameFolder::GameFolder() {
    char pattern[] = "/tmp/varnel-shell-XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made != nullptr ? made : "/tmp/varnel-shell-fallback";
    const fs::path data(GAME_DATA_DIR);
    for (const char* sub :
         {"TILESETS", "LANGUAGE", "LAYOUTS", "SOUNDS", "SCORES", "SAVEGAME", "BACKGRND"}) {
        fs::create_directories(fs::path(path_) / sub);
    }
    CopyInto(data / "LANGUAGE" / "English.txt", fs::path(path_) / "LANGUAGE" / "English.txt");
    CopyInto(data / "LANGUAGE" / "English.html", fs::path(path_) / "LANGUAGE" / "English.html");
    for (const auto& entry : fs::directory_iterator(data / "LAYOUTS")) {
        CopyInto(entry.path(), fs::path(path_) / "LAYOUTS" / entry.path().filename());
    }
    CopyInto(data / "TILESETS" / "Standard.jpg", fs::path(path_) / "TILESETS" / "Standard.jpg");
    CopyInto(data / "BACKGRND" / "Mountain.jpg", fs::path(path_) / "BACKGRND" / "Mountain.jpg");
    for (const char* sound : {"Select.wav", "Remove.wav", "Beside.wav", "Bell.wav"}) {
        Touch(std::string("SOUNDS/") + sound);
    }
    Touch("SOUNDS/Tune478.mid");
}

GameFolder::~GameFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
}

void GameFolder::Touch(const std::string& relative) const {
    std::ofstream(File(relative)) << "x";
}

void ShellTest::Start(bool waveDevice) {
    app = std::make_unique<TestApp>(desktop);
    app->waveDevice = waveDevice;
    app->SetStartFolder(folder.Path());
    app->OfferFirstRunLanguage();
    ASSERT_TRUE(app->LoadSettings());
    app->AttachWindow(&window);
    app->StartGame();
}

void FacePoint2D(const GameApp2D& app, int t, int& x, int& y) {
    const View2D& view = const_cast<GameApp2D&>(app).View();
    const TileRecord& tile = app.board.tiles[static_cast<std::size_t>(t)];
    const int left = tile.x2d + view.Border();
    x = left + view.TileWidth() / 2;
    y = tile.y2d + view.TileHeight() / 2;
    // On a small view the layers' shift is large beside the tiles: a free tile's centre may lie
    // under the picture of a tile above it. Then the first point of its face a click reaches.
    for (int dy = 0; dy < view.TileHeight() && view.HitTest2D(x, y, 0).tile != t; ++dy) {
        for (int dx = 0; dx < view.TileWidth(); ++dx) {
            if (view.HitTest2D(left + dx, tile.y2d + dy, 0).tile == t) {
                x = left + dx;
                y = tile.y2d + dy;
                break;
            }
        }
    }
}

int TileSetMenuEntry(const GameApp& app, const std::string& fileName) {
    return MenuEntry(app.tileSetList, command::TileSetList, fileName);
}

int LanguageMenuEntry(const GameApp& app, const std::string& fileName) {
    return MenuEntry(app.languageList, command::LanguageList, fileName);
}

int LayoutMenuEntry(const GameApp& app, const std::string& fileName) {
    return MenuEntry(app.layoutList, command::LayoutList, fileName);
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void StartIn(GameApp& app, const GameFolder& folder, WindowPort& window) {
    app.SetStartFolder(folder.Path());
    app.OfferFirstRunLanguage();
    ASSERT_TRUE(app.LoadSettings());
    app.AttachWindow(&window);
    app.StartGame();
}

void StartWithoutLanguageQuestion(GameApp& app, const GameFolder& folder, WindowPort& window) {
    app.SetStartFolder(folder.Path());
    ASSERT_TRUE(app.LoadSettings());
    app.AttachWindow(&window);
    app.StartGame();
}

void WinByClicking(TestApp& app) {
    for (int i = 0; i < kTiles; i += 2) {
        app.OnLeftButtonDown(app.board.dealOrder[static_cast<std::size_t>(i)], 0);
        app.OnLeftButtonDown(app.board.dealOrder[static_cast<std::size_t>(i + 1)], 0);
    }
}

void WinWithKeys(GameApp& app, const std::function<void(KeyCode)>& press) {
    // Tab to tile `wanted`; no more presses than there are tiles, or Tab has lost its way.
    auto tabTo = [&](int wanted) {
        for (int presses = 0; presses <= kTiles && app.FocusedTile() != wanted; ++presses) {
            press(KeyCode::Tab);
            const int focus = app.FocusedTile();
            if (!TileOnBoard(app.board, focus) || !app.board.IsFree(focus)) {
                ADD_FAILURE() << "Tab landed on tile " << focus << ", not a free tile on the board";
                return false;
            }
        }
        EXPECT_EQ(app.FocusedTile(), wanted) << "Tab never reached tile " << wanted;
        return app.FocusedTile() == wanted;
    };
    for (int i = 0; i < kTiles; ++i) {
        if (!tabTo(app.board.dealOrder[static_cast<std::size_t>(i)])) {
            return;
        }
        press(i % 4 < 2 ? KeyCode::Space : KeyCode::Return);
    }
}
