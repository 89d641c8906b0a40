// board2d's own application object with its real view, driven headless: clicks at the screen
// points where the view placed the tiles win a whole easy-mode game.
#include <chrono>
#include <thread>

#include "shell/edition_2d/game_app_2d.h"
#include "tests/shell/shell_test_support.h"

namespace {

class GameApp2DClickTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<GameApp2D>(desktop);
        app->SetStartFolder(folder.Path());
        app->OfferFirstRunLanguage();
        ASSERT_TRUE(app->LoadSettings());
        app->settings.removeTileTime = 0;  // no fade: the pairs go at once
        app->AttachWindow(&window);
        app->StartGame();
    }

    GameFolder folder;
    ScriptedDesktop desktop;
    RecordingWindow window;
    std::unique_ptr<GameApp2D> app;
};

}  // namespace

TEST_F(GameApp2DClickTest, ClicksOnThePlacedFacesWinAnEasyGame) {
    ASSERT_GT(app->View().TileWidth(), 0) << "the shipped tile set did not load";
    ASSERT_TRUE(app->settings.easyMode);
    for (int i = 0; i < kTiles; i += 2) {
        for (int k = 0; k < 2; ++k) {
            const int t = app->board.dealOrder[static_cast<std::size_t>(i + k)];
            int x = 0;
            int y = 0;
            FacePoint2D(*app, t, x, y);
            app->OnLeftButtonDown(x, y);
        }
        ASSERT_EQ(app->board.tilesLeft, kTiles - i - 2) << "pair " << i / 2;
    }
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::WinnerName), 1);
    EXPECT_NE(window.status.find(app->Text(TextId::MesStatusWin)), std::string::npos);
    EXPECT_GT(window.invalidates, 0);
}

TEST_F(GameApp2DClickTest, ClickBesideEveryTileSelectsNothing) {
    app->OnLeftButtonDown(1, 1);
    EXPECT_EQ(app->board.firstSelected, NoTile);
    // A click on a free tile's face picks that tile.
    int t = NoTile;
    for (int i = kTiles - 1; i >= 0; --i) {
        if (app->board.IsFree(i)) {
            t = i;
            break;
        }
    }
    ASSERT_NE(t, NoTile);
    int x = 0;
    int y = 0;
    FacePoint2D(*app, t, x, y);
    app->OnLeftButtonDown(x, y);
    EXPECT_EQ(app->board.firstSelected, t);
}

TEST_F(GameApp2DClickTest, FrameFollowsTheViewSizeOfTheWindow) {
    int width = 0;
    int height = 0;
    app->PaintFrame([&](const std::uint8_t*, int w, int h, int) {
        width = w;
        height = h;
    });
    EXPECT_EQ(width, window.viewWidth);
    EXPECT_EQ(height, window.viewHeight);
    window.viewWidth = 1920;
    window.viewHeight = 1000;
    app->OnViewResized(1920, 1000, false);
    app->PaintFrame([&](const std::uint8_t*, int w, int h, int) {
        width = w;
        height = h;
    });
    EXPECT_EQ(width, 1920);
    EXPECT_EQ(height, 1000);
    // A minimised window keeps the frame it has.
    app->OnViewResized(0, 0, true);
    EXPECT_EQ(app->viewPixelWidth, 1920);
}

TEST_F(GameApp2DClickTest, AQuietFrameIsFreedAndComposedAgainWhenTheWindowPaints) {
    const auto paint = [&] {
        std::vector<std::uint8_t> bytes;
        app->PaintFrame([&](const std::uint8_t* bgra, int w, int h, int stride) {
            for (int y = 0; y < h; ++y) {
                bytes.insert(bytes.end(), bgra + y * stride, bgra + y * stride + w * 4);
            }
        });
        return bytes;
    };
    const std::vector<std::uint8_t> shown = paint();
    ASSERT_FALSE(shown.empty());
    View2D& view = app->View();
    // Just composed: the game's second leaves it.
    app->OnTimer();
    EXPECT_FALSE(view.FrameFreed());
    // Quiet, but held by the window or during a replay: kept.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    {
        const std::shared_ptr<const Image> held = view.PaintFrame();
        EXPECT_FALSE(view.FreeFrame(0));
    }
    app->board.AutoplayRunning = 1;
    app->OnTimer();
    EXPECT_FALSE(view.FrameFreed());
    app->board.AutoplayRunning = 0;
    app->OnTimer();
    EXPECT_TRUE(view.FrameFreed());
    EXPECT_EQ(view.PaintFrame(), nullptr);
    // The paint composes the same picture again.
    EXPECT_EQ(paint(), shown);
    EXPECT_FALSE(view.FrameFreed());
    // A released view has nothing to compose again: the window shows its colour.
    EXPECT_TRUE(view.FreeFrame(0));
    app->ReleaseRendererObjects();
    EXPECT_TRUE(paint().empty());
}
