// The splash window: "Splash.bmp" read with the game's image reader, centred in the work area at
// its full size, shown from start-up until the first game is dealt, and absent without a picture.
#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include "images/image.h"
#include "shell/splash_screen.h"
#include "tests/shell/media_test_support.h"
#include "tests/shell/shell_test_support.h"

namespace {

using media_test::DataFile;

TEST(SplashPosition, CentresInTheWorkAreaAndOverhangsWhenLarger) {
    int x = 0;
    int y = 0;
    SplashPosition(0, 0, 1920, 1080, 800, 600, x, y);
    EXPECT_EQ(x, 560);
    EXPECT_EQ(y, 240);
    // A work area that does not start at the corner (a panel on the left or top).
    SplashPosition(64, 30, 1856, 1050, 800, 600, x, y);
    EXPECT_EQ(x, 64 + 528);
    EXPECT_EQ(y, 30 + 225);
    // Larger than the area: full size, starting at a negative position.
    SplashPosition(0, 0, 800, 600, 1000, 701, x, y);
    EXPECT_EQ(x, -100);
    EXPECT_EQ(y, -51);
}

class SplashTest : public ::testing::Test {
protected:
    void SetUp() override { media_test::Qt(); }
};

TEST_F(SplashTest, ShowsTheShippedPictureAtFullSizeCentred) {
    Image picture;
    ASSERT_TRUE(picture.Load(DataFile("Splash.bmp")));
    SplashScreen splash;
    ASSERT_TRUE(splash.Show(DataFile("Splash.bmp")));
    EXPECT_TRUE(splash.IsShown());
    ASSERT_NE(splash.Widget(), nullptr);
    EXPECT_TRUE(splash.Widget()->isVisible());
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(splash.Geometry(x, y, width, height));
    EXPECT_EQ(width, picture.Width());
    EXPECT_EQ(height, picture.Height());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    int wantedX = 0;
    int wantedY = 0;
    SplashPosition(area.left(), area.top(), area.width(), area.height(), width, height, wantedX,
                   wantedY);
    EXPECT_EQ(x, wantedX);
    EXPECT_EQ(y, wantedY);

    // What the window shows are the picture's pixels (blue, green, red bytes in the file).
    const QImage shown = splash.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    shown.save(QStringLiteral("/tmp/varnel-splash.png"));
    ASSERT_EQ(shown.width(), picture.Width());
    ASSERT_EQ(shown.height(), picture.Height());
    for (int py : {0, picture.Height() / 3, picture.Height() - 1}) {
        for (int px : {0, picture.Width() / 2, picture.Width() - 1}) {
            const std::uint8_t* pixel = picture.Row(py) + px * picture.BytesPerPixel();
            const QRgb rgb = shown.pixel(px, py);
            EXPECT_EQ(qBlue(rgb), pixel[0]) << px << "," << py;
            EXPECT_EQ(qGreen(rgb), pixel[1]) << px << "," << py;
            EXPECT_EQ(qRed(rgb), pixel[2]) << px << "," << py;
        }
    }
    splash.Close();
    EXPECT_FALSE(splash.IsShown());
    EXPECT_EQ(splash.Widget(), nullptr);
    splash.Close();  // closing twice is harmless
}

TEST_F(SplashTest, MissingOrDamagedPictureShowsNoWindow) {
    SplashScreen splash;
    EXPECT_FALSE(splash.Show("/no/such/Splash.bmp"));
    EXPECT_FALSE(splash.Show(""));
    const std::string damaged = "/tmp/varnel-damaged-splash.bmp";
    media_test::WriteBytes(damaged, {'B', 'M', 0xFF, 0xFF, 0xFF, 0x7F, 0, 0});
    EXPECT_FALSE(splash.Show(damaged));
    fs::remove(damaged);
    EXPECT_FALSE(splash.Show(Image()));
    EXPECT_FALSE(splash.IsShown());
}

TEST_F(SplashTest, PictureLargerThanTheScreenKeepsItsSize) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    Image picture;
    ASSERT_TRUE(picture.CreateFilled(area.width() + 200, area.height() + 100, 3));
    SplashScreen splash;
    ASSERT_TRUE(splash.Show(picture));
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(splash.Geometry(x, y, width, height));
    EXPECT_EQ(width, area.width() + 200);
    EXPECT_EQ(height, area.height() + 100);
    EXPECT_EQ(x, area.left() - 100);
    EXPECT_EQ(y, area.top() - 50);
}

class SplashStartUpTest : public ShellTest {
protected:
    void SetUp() override { media_test::Qt(); }
    void Begin() {
        app = std::make_unique<TestApp>(desktop);
        app->SetStartFolder(folder.Path());
    }
};

TEST_F(SplashStartUpTest, ShownFromStartUpUntilTheFirstDeal) {
    fs::copy_file(DataFile("Splash.bmp"), folder.File("SPLASH.BMP"));  // any case of the name
    Begin();
    app->ShowSplash();
    EXPECT_TRUE(app->splash.IsShown());
    app->OfferFirstRunLanguage();
    ASSERT_TRUE(app->LoadSettings());
    EXPECT_TRUE(app->splash.IsShown());
    app->AttachWindow(&window);
    app->StartGame();
    EXPECT_FALSE(app->splash.IsShown()) << "closed once the first game is dealt";
    EXPECT_EQ(app->board.tilesLeft, kTiles);
}

TEST_F(SplashStartUpTest, NoPictureNoSplashNoMessage) {
    Begin();
    app->ShowSplash();
    EXPECT_FALSE(app->splash.IsShown());
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::Message), 0);
    app->CloseSplash();
    EXPECT_FALSE(app->splash.IsShown());
}

}  // namespace
