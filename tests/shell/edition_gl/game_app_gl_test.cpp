// board3d_gl's application object with its real renderer and context, driven through the
// recording window on the X display the test runner gives (skipped without one): the frame its
// view would show, the switches a software renderer turns off, the five failures of the
// renderer in their order, clicks, the mouse, the dialogs and the settings file it writes.
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include <cstdlib>

#include "shell/edition_gl/game_app_gl.h"
#include "tests/shell/game_app_3d_test_support.h"
#include "tests/shell/qt_test_app.h"

namespace {

using QuietGL = QuietEdition<GameAppGL>;

constexpr int kViewWidth = 640;
constexpr int kViewHeight = 400;

class GameAppGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no X display for OpenGL";
        }
        TestQtApp();
        unsetenv(kGlFailAtVariable);
        window.viewWidth = kViewWidth;
        window.viewHeight = kViewHeight;
    }
    void TearDown() override {
        unsetenv(kGlFailAtVariable);
        if (app != nullptr) {
            app->AttachWindow(nullptr);
        }
    }

    // Builds the application up to its first frame; `forcedClass` -1 keeps the context's class.
    void Start(int forcedClass = -1) {
        app = std::make_unique<QuietGL>(desktop);
        app->ForceAccelerationClass(forcedClass);
        StartWithRenderer(*app, folder, window, desktop);
    }

    // The frame the board view would show, drawn in the renderer's context into a framebuffer.
    QImage DrawnFrame() {
        QOpenGLContext* context = app->Context();
        EXPECT_NE(context, nullptr);
        if (context == nullptr || !context->makeCurrent(app->Surface())) {
            return {};
        }
        QOpenGLFramebufferObject frame(kViewWidth, kViewHeight,
                                       QOpenGLFramebufferObject::CombinedDepthStencil);
        frame.bind();
        EXPECT_TRUE(app->DrawLastFrame());
        frame.release();
        QImage image = frame.toImage().convertToFormat(QImage::Format_RGB32);
        context->doneCurrent();
        return image;
    }

    GameFolder folder;
    ScriptedDesktop desktop;
    RecordingWindow window;
    std::unique_ptr<QuietGL> app;
};

}  // namespace

// Mesa's llvmpipe is a software renderer: the relief and the tilt are off, whatever the file
// said; the frame shows the background and the board, and it was asked for through the window.
TEST_F(GameAppGLTest, SoftwareContextDrawsTheBoardWithoutReliefOrTilt) {
    Start();
    EXPECT_EQ(window.title, "Varnel's mah-jong v" VARNEL_VERSION " GL - Default.tvl");
    EXPECT_EQ(app->AccelerationClass(), kSoftwareAcceleration);
    EXPECT_FALSE(app->settings.moveBoard);
    EXPECT_FALSE(app->settings.bumpMapping);
    EXPECT_FALSE(app->Scene().moveBoard);
    EXPECT_TRUE(app->IsReady());
    EXPECT_GT(window.invalidates, 0);
    EXPECT_NE(window.status.find("144"), std::string::npos);
    EXPECT_EQ(app->Tiles().faces[0].Width(), 64);

    const QImage frame = DrawnFrame();
    ASSERT_EQ(frame.width(), kViewWidth);
    const Colour fill = app->settings.backgroundColor;
    const QRgb plain = qRgb(fill.red, fill.green, fill.blue);
    EXPECT_NE(frame.pixel(4, 4), plain) << "the corner shows the background picture";
    int x = 0;
    int y = 0;
    const int tile = app->board.dealOrder[0];
    ASSERT_TRUE(FaceCentre(*app, tile, x, y));
    // The middle of a free face shows the middle of its picture in the layer's colour.
    const TileRecord& record = app->board.tiles[static_cast<std::size_t>(tile)];
    const Image& face = app->Tiles().faces[record.face];
    const Colour level = app->settings.rgbLevelColor[record.layer];
    int expected = 0;
    for (const int dy : {31, 32}) {
        for (const int dx : {31, 32}) {
            expected += face.Row(dy)[dx * 4 + 1];  // green
        }
    }
    expected = expected / 4 * level.green / 255;
    EXPECT_NEAR(qGreen(frame.pixel(x, y)), expected, 40);
}

// On a device's own driver both switches keep what the file says, and the relief shows.
TEST_F(GameAppGLTest, DeviceClassKeepsTheSwitchesAndDrawsTheRelief) {
    Start(kDeviceAcceleration);
    EXPECT_TRUE(app->settings.moveBoard);
    EXPECT_TRUE(app->settings.bumpMapping);
    const QImage relief = DrawnFrame();
    app->settings.bumpMapping = false;
    const QImage flat = DrawnFrame();
    ASSERT_FALSE(relief.isNull());
    int x = 0;
    int y = 0;
    ASSERT_TRUE(FaceCentre(*app, app->board.dealOrder[0], x, y));
    EXPECT_NE(relief.pixel(x, y), flat.pixel(x, y));
    EXPECT_EQ(relief.pixel(4, 4), flat.pixel(4, 4)) << "the background has no relief";
}

// Each of the five checks, failing, writes the settings, shuts the game down and then names
// itself in a warning "ERROR"; the game gets no renderer.
TEST_F(GameAppGLTest, EachFailedCheckEndsTheGameWithItsMessage) {
    for (int check = 1; check <= 5; ++check) {
        SCOPED_TRACE(check);
        GameFolder own;
        ScriptedDesktop scripted;
        RecordingWindow recording;
        setenv(kGlFailAtVariable, std::to_string(check).c_str(), 1);
        QuietGL failing(scripted);
        failing.SetStartFolder(own.Path());
        failing.OfferFirstRunLanguage();
        ASSERT_TRUE(failing.LoadSettings());
        failing.AttachWindow(&recording);
        EXPECT_FALSE(failing.CreateRenderer());
        const auto messages = scripted.Calls(ScriptedDesktop::Call::Message);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, kGlFailureMessages[check - 1]);
        EXPECT_EQ(messages[0].caption, "ERROR");
        EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
        EXPECT_TRUE(failing.IsShutDown());
        EXPECT_EQ(recording.closes, 1);
        EXPECT_EQ(failing.Context(), nullptr);
        EXPECT_FALSE(failing.IsReady());
        EXPECT_NE(ReadAll(own.File("TAVX3D.INI")).find("GL INI File"), std::string::npos);
        failing.AttachWindow(nullptr);
    }
}

// Clicks at the projected centres of the first free pair remove it; a right-drag turns the
// board, and RotateBoard leaves the board's matrix with the renderer; the wheel moves the camera
// and the renderer keeps the new view.
TEST_F(GameAppGLTest, ClicksRemoveAFreePairAndTheMouseTurnsAndZooms) {
    Start();
    ASSERT_NO_FATAL_FAILURE(ClickTheFirstPairAndDrag(*app, window));
    // The slot itself: the renderer keeps the board's matrix as its stored world.
    app->RotateBoard(0.1f, 0.0f, 0.0f);
    EXPECT_EQ(app->Renderer().StoredWorld(), app->Scene().BoardMatrix());

    const float z = app->Scene().CameraPosition().z;
    app->OnWheel(120);
    EXPECT_GT(app->Scene().CameraPosition().z, z);
    EXPECT_EQ(app->Renderer().StoredView(), app->Scene().View());
    // The moved pointer with move board off (a software renderer) does not tilt the board.
    const float pitch = app->Scene().BoardPitch();
    app->OnPointerMoved(PointerState{10, 10, 10, 10, 0});
    EXPECT_EQ(app->Scene().BoardPitch(), pitch);
}

// The configuration dialog of this edition has the relief switch; on a software renderer its OK
// leaves both switches off, on a device's driver it takes them.
TEST_F(GameAppGLTest, ConfigurationDialogHasTheReliefSwitch) {
    for (const int accelerationClass : {kSoftwareAcceleration, kDeviceAcceleration}) {
        SCOPED_TRACE(accelerationClass);
        Start(accelerationClass);
        ConfigExtras closing;
        closing.checkBoxes = {{"", true}, {"", true}};
        closing.choiceLabel = "size";
        closing.chosen = 0;
        desktop.configCloses.push_back(closing);
        app->ExecuteCommand(command::CONFIG);
        ASSERT_EQ(desktop.lastConfigExtras.checkBoxes.size(), 2u);
        const bool on = accelerationClass != kSoftwareAcceleration;
        EXPECT_EQ(app->settings.moveBoard, on);
        EXPECT_EQ(app->settings.bumpMapping, on);
        app->AttachWindow(nullptr);
        app.reset();
    }
}

// EXIT writes TAVX3D.INI with the GL title and the 3D section, byte for byte as the stored file:
// the switches a software renderer turned off are written off.
TEST_F(GameAppGLTest, ExitWritesTheSettingsWithTheSwitchesOff) {
    Start();
    window.frame = WindowRect{30, 40, 1000, 700};
    app->OnKey(KeyCode::PageDown);
    app->ExecuteCommand(command::EXIT);
    EXPECT_EQ(app->Context(), nullptr) << "the context goes with the renderer's objects";
    ExpectSettingsAsStored(folder.File("TAVX3D.INI"),
                           std::string(GAME_TEST_DIR) + "/edition_gl/TAVX3D.INI");
}

// A tile-set picture that cannot be read keeps the faces and their textures, with the message
// naming the file.
TEST_F(GameAppGLTest, UnreadableTileSetKeepsTheFacesAndSaysWhichFile) {
    Start();
    const QImage frameBefore = DrawnFrame();
    ASSERT_NO_FATAL_FAILURE(ChooseUnreadableTileSet(*app, desktop, folder));
    app->Tick();
    EXPECT_EQ(DrawnFrame(), frameBefore) << "the board looks as before";
}
