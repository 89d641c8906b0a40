// Helpers of the tests of the two 3D editions' application objects: the start up to the first
// frame, where a face was drawn, clicks and a drag on the board, the settings file compared with
// the stored one, and a tile-set picture that cannot be read.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "shell/edition_3d/game_app_3d.h"
#include "tests/shell/shell_test_support.h"

// Starts `app` in `folder` as the program does, with its renderer, up to the first frame.
inline void StartWithRenderer(GameApp3D& app, const GameFolder& folder, RecordingWindow& window,
                              const ScriptedDesktop& desktop) {
    app.SetStartFolder(folder.Path());
    app.OfferFirstRunLanguage();
    ASSERT_TRUE(app.LoadSettings());
    app.AttachWindow(&window);
    ASSERT_TRUE(app.CreateRenderer()) << desktop.Calls(ScriptedDesktop::Call::Message).size();
    app.StartGame();
    app.Tick();
}

// The pixel where the middle of tile t's face was drawn in the last frame.
inline bool FaceCentre(const GameApp3D& app, int t, int& x, int& y) {
    const FramePlan plan = app.LastPlan();
    const int entry = plan.entryOfTile[static_cast<std::size_t>(t)];
    if (entry == NoTile) {
        return false;
    }
    // The face lies at the tile's front (z = 10 in model space), 15 wide and 20 high.
    const PlannedTile& tile = plan.tiles[static_cast<std::size_t>(entry)];
    const Vector3 world = TransformPoint(Vector3{7.5f, 10.0f, 10.0f}, tile.world);
    const Vector3 ndc = TransformPoint(TransformPoint(world, plan.view), plan.projection);
    x = static_cast<int>((ndc.x + 1.0f) * 0.5f * static_cast<float>(plan.viewWidth));
    y = static_cast<int>((1.0f - ndc.y) * 0.5f * static_cast<float>(plan.viewHeight));
    return true;
}

// Clicks at the projected face centres of the deal's first pair, free in an easy deal: the pair
// is removed and the status counts 142 tiles. Then a right-drag of 50 pixels to the left turns
// the board 10 degrees and sends no command (a command would clear GameOverShown).
inline void ClickTheFirstPairAndDrag(GameApp3D& app, const RecordingWindow& window) {
    const int a = app.board.dealOrder[0];
    const int b = app.board.dealOrder[1];
    for (int t : {a, b}) {
        int x = 0;
        int y = 0;
        ASSERT_TRUE(FaceCentre(app, t, x, y));
        app.OnLeftButtonDown(x, y);
    }
    EXPECT_EQ(app.board.tiles[static_cast<std::size_t>(a)].face, NoTile);
    EXPECT_EQ(app.board.tiles[static_cast<std::size_t>(b)].face, NoTile);
    EXPECT_NE(window.status.find("142"), std::string::npos);

    app.board.GameOverShown = 1;
    app.OnPointerMoved(PointerState{300, 200, 0, 0, kPointerRight});
    const float yaw = app.Scene().BoardYaw();
    app.OnPointerMoved(PointerState{250, 200, 0, 0, kPointerRight});
    EXPECT_NEAR(app.Scene().BoardYaw() - yaw, 10.0f * kPi / 180.0f, 1e-4f);
    EXPECT_EQ(app.board.GameOverShown, 1) << "the right-drag sends no command";
}

// The settings file `written` is byte for byte the stored file `golden` but for the camera's z,
// which depends on the frame rate measured: it is compared on its own, below the default 225.
// VARNEL_UPDATE_GOLDEN stores the written file instead.
inline void ExpectSettingsAsStored(const std::string& written, const std::string& golden) {
    std::string ini = ReadAll(written);
    if (std::getenv("VARNEL_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(golden, std::ios::binary) << ini;
    }
    std::string expected = ReadAll(golden);
    const std::size_t z = ini.find("ZPosition        = ");
    const std::size_t ez = expected.find("ZPosition        = ");
    ASSERT_NE(z, std::string::npos);
    ASSERT_NE(ez, std::string::npos);
    EXPECT_LT(std::stof(ini.substr(z + 19)), 225.0f);
    ini.replace(z + 19, ini.find('\r', z) - (z + 19), "CAMERA");
    expected.replace(ez + 19, expected.find('\r', ez) - (ez + 19), "CAMERA");
    EXPECT_EQ(ini, expected);
}

// Chooses a tile-set picture that cannot be read: the message names the file, the choice stays
// with the tile set shown and the faces cut before are kept.
template <class App>
void ChooseUnreadableTileSet(App& app, ScriptedDesktop& desktop, const GameFolder& folder) {
    std::ofstream(folder.File("TILESETS/Broken.bmp"), std::ios::binary) << "no picture here";
    app.BuildMenus();
    const int id = TileSetMenuEntry(app, "Broken.bmp");
    ASSERT_NE(id, 0);
    const Image before = app.Tiles().faces[5];
    ASSERT_TRUE(before.HasPixels());
    desktop.Clear();
    app.ExecuteCommand(id);
    const auto messages = desktop.Calls(ScriptedDesktop::Call::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Broken.bmp : " + app.Text(TextId::MesReadError));
    EXPECT_EQ(app.settings.tileSet, "Standard.jpg");
    const Image& after = app.Tiles().faces[5];
    ASSERT_EQ(after.Width(), before.Width());
    EXPECT_EQ(std::vector<std::uint8_t>(after.Pixels(), after.Pixels() + 256),
              std::vector<std::uint8_t>(before.Pixels(), before.Pixels() + 256));
}
