// board3d_d3d's application object with its real software renderer, driven headless: the frame it
// shows, clicks at the projected centres of a free pair, the right-drag and the wheel, the 3D
// dialogs and the settings file it writes.
#include <cmath>

#include "shell/edition_d3d/game_app_d3d.h"
#include "tests/shell/game_app_3d_test_support.h"
#include "tests/support/golden_picture.h"
#include "view3d/picking.h"

namespace {

class GameAppD3DTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.viewWidth = 640;
        window.viewHeight = 400;
        app = std::make_unique<QuietEdition<GameAppD3D>>(desktop);
        ASSERT_NO_FATAL_FAILURE(StartWithRenderer(*app, folder, window, desktop));
    }
    void TearDown() override { app->AttachWindow(nullptr); }

    GameFolder folder;
    ScriptedDesktop desktop;
    RecordingWindow window;
    std::unique_ptr<QuietEdition<GameAppD3D>> app;
};

}  // namespace

TEST_F(GameAppD3DTest, ShowsTheBoardOverTheBackgroundInTheViewsSize) {
    EXPECT_EQ(window.title, "Varnel's mah-jong v" VARNEL_VERSION " DX8.1 - Default.tvl");
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> centre;
    std::vector<std::uint8_t> corner;
    ASSERT_TRUE(app->PaintFrame([&](const std::uint8_t* bgra, int w, int h, int stride) {
        width = w;
        height = h;
        const std::uint8_t* mid = bgra + static_cast<std::size_t>(h / 2) * stride + (w / 2) * 4;
        centre.assign(mid, mid + 3);
        corner.assign(bgra + 4 * 4, bgra + 4 * 4 + 3);
    }));
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 400);
    // The corner shows the background picture, not the plain background colour.
    const Colour fill = app->settings.backgroundColor;
    EXPECT_NE(corner, (std::vector<std::uint8_t>{fill.blue, fill.green, fill.red}));
    EXPECT_GT(window.invalidates, 0);
    EXPECT_NE(window.status.find("144"), std::string::npos);
    if (std::getenv("VARNEL_UPDATE_GOLDEN") != nullptr) {
        WriteBmp24(app->Renderer().Target(), "/tmp/board3d_d3d_start.bmp");
    }
}

// Clicks at the projected centres of the first free pair remove it; a right-drag of 50 pixels
// to the left turns the board 10 degrees and sends no command; the wheel moves the camera.
TEST_F(GameAppD3DTest, ClicksRemoveAFreePairAndTheMouseTurnsAndZooms) {
    app->settings.moveBoard = false;
    ASSERT_NO_FATAL_FAILURE(ClickTheFirstPairAndDrag(*app, window));
    app->OnRightButtonDown(250, 200);
    EXPECT_EQ(app->board.GameOverShown, 1) << "the right button sends no command";

    const float z = app->Scene().CameraPosition().z;
    app->OnWheel(120);
    EXPECT_GT(app->Scene().CameraPosition().z, z) << "away from the player: z grows";
    EXPECT_EQ(app->settings.zPosition, app->Scene().CameraPosition().z);
    app->ExecuteCommand(command::ZOOM_DEFAULT);
    EXPECT_EQ(app->Scene().CameraPosition().z, 225.0f);
}

// The 3D colour dialog groups the five level colours; its OK rebuilds the renderer's colours. The
// configuration dialog steps the delay and the rotation step within their limits, and its OK
// takes the move-board switch and a new face size, which cuts the tile set again.
TEST_F(GameAppD3DTest, ColourAndConfigurationDialogsOfThe3DEditions) {
    desktop.pickedColours.push_back(Colour{10, 20, 30, 255});
    desktop.colourPresses.push_back({2});
    app->ExecuteCommand(command::CHANGE_COLORS);
    EXPECT_EQ(desktop.lastColourGroup.count, 5);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Colours).back().labels.size(), 7u);
    EXPECT_EQ(app->settings.rgbLevelColor[2], (Colour{10, 20, 30, 255}));

    app->settings.stepRotation = 255.0f;
    app->settings.autoPlaySleep = 50;
    desktop.configPresses.push_back({{1, +1}, {0, -1}, {0, +1}});
    ConfigExtras closing;
    closing.checkBoxes = {{"", false}};
    closing.choiceLabel = "size";
    closing.chosen = 2;
    desktop.configCloses.push_back(closing);
    app->ExecuteCommand(command::CONFIG);
    EXPECT_EQ(desktop.configResults, (std::vector<std::string>{"255", "50 ms", "150 ms"}));
    ASSERT_EQ(desktop.lastConfigExtras.checkBoxes.size(), 1u) << "no relief switch in software";
    EXPECT_EQ(desktop.lastConfigExtras.chosen, 0);
    EXPECT_FALSE(app->settings.moveBoard);
    EXPECT_EQ(app->settings.textureSize, 256);
    EXPECT_EQ(app->Tiles().faces[0].Width(), 256);

    // A rotation step no int holds, read from a damaged file, is shown at a limit, not undefined.
    for (float damaged : {3.0e38f, -3.0e38f, std::nanf("")}) {
        app->settings.stepRotation = damaged;
        desktop.configPresses.push_back({});
        app->ExecuteCommand(command::CONFIG);
        const auto rows = desktop.Calls(ScriptedDesktop::Call::Config).back().labels;
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_TRUE(rows[1].ends_with("=1000000") || rows[1].ends_with("=-1000000") ||
                    rows[1].ends_with("=0"))
            << rows[1];
    }
}

// EXIT writes TAVX3D.INI with the 3D section, byte for byte as the stored file.
TEST_F(GameAppD3DTest, ExitWritesTheSettingsWithThe3DSection) {
    window.frame = WindowRect{30, 40, 1000, 700};
    app->OnKey(KeyCode::PageDown);  // the camera's place is kept
    app->ExecuteCommand(command::EXIT);
    ExpectSettingsAsStored(folder.File("TAVX3D.INI"),
                           std::string(GAME_TEST_DIR) + "/edition_d3d/TAVX3D.INI");
}

// A tile-set picture that cannot be read keeps the faces cut before, with the message naming
// the file; the choice stays with the tile set shown.
TEST_F(GameAppD3DTest, UnreadableTileSetKeepsTheFacesAndSaysWhichFile) {
    ChooseUnreadableTileSet(*app, desktop, folder);
}

// Keyboard play in the software-rendered edition: the focus reaches the frame plan as the focus
// ring's mark, the layer keys leave the camera where it is (plain Page keys stay the camera's),
// and an easy game is won with Tab and Space alone.
TEST_F(GameAppD3DTest, KeysAloneWinAnEasyGameAndTheFocusIsDrawn) {
    window.viewWidth = 160;  // a small frame keeps the thousands of key presses quick
    window.viewHeight = 120;
    app->PlaceWindow();
    auto focusMarks = [this] {
        const FramePlan plan = app->LastPlan();
        int marked = NoTile;
        for (int t = 0; t < kTiles; ++t) {
            const int entry = plan.entryOfTile[static_cast<std::size_t>(t)];
            if (entry != NoTile &&
                (plan.tiles[static_cast<std::size_t>(entry)].marks & kMarkFocus)) {
                EXPECT_EQ(marked, NoTile) << "one tile carries the focus";
                marked = t;
            }
        }
        return marked;
    };
    EXPECT_EQ(focusMarks(), NoTile);
    app->KeyPressed(KeyCode::Tab);
    EXPECT_NE(app->FocusedTile(), NoTile);
    EXPECT_EQ(focusMarks(), app->FocusedTile());

    const Vector3 camera = app->Scene().CameraPosition();
    app->KeyPressed(KeyCode::CtrlPageUp);
    EXPECT_EQ(app->board.tiles[static_cast<std::size_t>(app->FocusedTile())].layer, 1);
    EXPECT_EQ(focusMarks(), app->FocusedTile());
    app->KeyPressed(KeyCode::CtrlPageDown);
    EXPECT_EQ(app->board.tiles[static_cast<std::size_t>(app->FocusedTile())].layer, 0);
    EXPECT_EQ(app->Scene().CameraPosition().z, camera.z) << "Ctrl+Page keys are the focus's";
    app->KeyPressed(KeyCode::PageUp);
    EXPECT_NE(app->Scene().CameraPosition().z, camera.z) << "Page Up alone is the camera's";
    app->KeyPressed(KeyCode::PageDown);

    WinWithKeys(*app, [this](KeyCode key) { app->KeyPressed(key); });
    EXPECT_EQ(app->board.tilesLeft, 0);
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::WinnerName), 1);
    EXPECT_NE(app->LastAnnouncement().find(app->Text(TextId::MesStatusWin)), std::string::npos);
}
