// board3d_gl end to end on a real X display with Mesa's OpenGL: a fresh game folder, the
// first-run language choice, a hinted pair removed with real mouse clicks on the 3D board, a
// right-drag that turns the board, the wheel, F12 and the settings file the program wrote; and a
// run on a machine whose OpenGL drivers cannot be loaded, which ends with the renderer's message
// and exit code 0. Skipped without a display (the test runner provides one through Xvfb).
#include <QImage>
#include <QThread>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/shell/end_to_end_support.h"

namespace {

// The stored settings file the program's own is compared with.
const std::string& GoldenSettings() {
    return EndToEndArguments()[1];
}

// Pixels of the board area that differ by more than a few levels.
int ChangedPixels(const QImage& before, const QImage& after, int top, int bottom) {
    int changed = 0;
    for (int y = top; y < bottom && y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            const QRgb a = before.pixel(x, y);
            const QRgb b = after.pixel(x, y);
            changed += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                           std::abs(qBlue(a) - qBlue(b)) >
                       24;
        }
    }
    return changed;
}

// The settings file with the lines that depend on the run (where the window was placed, how far
// the camera moved at the frame rate measured) reduced to their keys.
std::string WithoutRunValues(std::string ini) {
    for (const char* key :
         {"WindowXPos         = ", "WindowYPos         = ", "WindowXSize        = ",
          "WindowYSize        = ", "ZPosition        = "}) {
        const std::size_t at = ini.find(key);
        if (at != std::string::npos) {
            const std::size_t value = at + std::strlen(key);
            ini.replace(value, ini.find('\r', value) - value, "RUN");
        }
    }
    return ini;
}

}  // namespace

TEST(Board3DGLEndToEnd, PlayTurnZoomAndExitWritesTheSettings) {
    if (!CanRunEndToEnd(2)) {
        GTEST_SKIP() << "no X display";
    }
    const EndToEndFolder own;
    const fs::path& folder = own.path;
    ASSERT_FALSE(folder.empty());

    QProcess game;
    // An audio device that always opens, so the sound settings are kept as on a desktop.
    ASSERT_TRUE(
        StartProgram(game, folder, {{QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy")}}));
    ASSERT_TRUE(PressReturnIn(QStringLiteral("^Varnel's mah-jong v2.4.2 GL$")))
        << "no language dialog";

    const QString main = WaitForWindow(QStringLiteral("GL - Default.tvl$"), 20000);
    ASSERT_FALSE(main.isEmpty()) << "no main window";
    QThread::msleep(1500);
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), main});
    QThread::msleep(500);
    const QRect window = WindowRect(main);
    ASSERT_GT(window.width(), 300);
    const int top = 70;
    const int bottom = window.height() - 30;
    // The pointer rests in a corner of the board view, away from the tiles.
    MoveTo(window, QPoint(20, top + 10));
    QThread::msleep(800);

    // The hint darkens two faces of the board the OpenGL view shows. Two hinted tiles that touch
    // a third region of change (rarely, where faces meet) are skipped for the next hint.
    std::vector<QRect> marked;
    QImage hinted;
    for (int attempt = 0; attempt < 4 && marked.size() != 2; ++attempt) {
        const QImage before = Grab(window);
        Xdotool({QStringLiteral("key"), QStringLiteral("F6")});
        QThread::msleep(800);
        hinted = Grab(window);
        marked = SplitPair(ChangedRegions(before, hinted, top, bottom));
    }
    ASSERT_EQ(marked.size(), 2u) << "the hint should darken two tiles";

    Click(window, marked[0].center());
    QThread::msleep(400);
    Click(window, marked[1].center());
    QThread::msleep(1000);
    MoveTo(window, QPoint(20, top + 10));
    QThread::msleep(500);
    const QImage removed = Grab(window);
    for (const QRect& tile : marked) {
        const QPoint c = tile.center();
        EXPECT_NE(hinted.pixel(c), removed.pixel(c)) << "the pair is still there";
    }

    // A right-drag of 100 pixels turns the board 20 degrees.
    const QPoint start(window.width() / 2, window.height() / 2);
    MoveTo(window, start);
    Xdotool({QStringLiteral("mousedown"), QStringLiteral("3")});
    for (int step = 1; step <= 10; ++step) {
        MoveTo(window, start - QPoint(10 * step, 0));
        QThread::msleep(30);
    }
    Xdotool({QStringLiteral("mouseup"), QStringLiteral("3")});
    MoveTo(window, QPoint(20, top + 10));
    QThread::msleep(800);
    const QImage turned = Grab(window);
    EXPECT_GT(ChangedPixels(removed, turned, top, bottom), 20000) << "the board did not turn";

    // The wheel turned away from the player brings the camera closer: the board grows.
    MoveTo(window, start);
    for (int notch = 0; notch < 5; ++notch) {
        Xdotool({QStringLiteral("click"), QStringLiteral("4")});
        QThread::msleep(50);
    }
    MoveTo(window, QPoint(20, top + 10));
    QThread::msleep(800);
    const QImage zoomed = Grab(window);
    EXPECT_GT(ChangedPixels(turned, zoomed, top, bottom), 20000) << "the wheel did not zoom";

    Xdotool({QStringLiteral("key"), QStringLiteral("F12")});
    ASSERT_NO_FATAL_FAILURE(ExpectTheProgramEnds(game, "F12"));

    // Byte for byte the stored file but for where the window stood and the camera's distance;
    // llvmpipe renders in software, so the relief and the tilt were written off.
    const std::string ini = ReadFile(folder / "TAVX3D.INI");
    EXPECT_EQ(WithoutRunValues(ini), WithoutRunValues(ReadFile(GoldenSettings())));
    const std::size_t z = ini.find("ZPosition        = ");
    ASSERT_NE(z, std::string::npos);
    EXPECT_GT(std::stof(ini.substr(z + 19)), 225.0f) << "the wheel's zoom is kept";
}

// No OpenGL driver can be loaded: the program saves its settings, says why and ends with 0.
TEST(Board3DGLEndToEnd, WithoutOpenGLTheGameEndsWithTheMessage) {
    if (!CanRunEndToEnd(2)) {
        GTEST_SKIP() << "no X display";
    }
    const EndToEndFolder own;
    const fs::path& folder = own.path;
    ASSERT_FALSE(folder.empty());
    // A settings file: no language dialog first.
    fs::copy_file(GoldenSettings(), folder / "TAVX3D.INI");

    QProcess game;
    ASSERT_TRUE(StartProgram(
        game, folder,
        {{QStringLiteral("LIBGL_DRIVERS_PATH"), QStringLiteral("/nonexistent")},
         {QStringLiteral("__EGL_VENDOR_LIBRARY_FILENAMES"), QStringLiteral("/nonexistent.json")}}));

    const QString message = WaitForWindow(QStringLiteral("^ERROR$"), 20000);
    ASSERT_FALSE(message.isEmpty()) << "no message";
    EXPECT_TRUE(WaitForWindow(QStringLiteral("GL - "), 500).isEmpty())
        << "the game window must not show";
    // Written before the message: the window's place stands in the file already.
    EXPECT_NE(ReadFile(folder / "TAVX3D.INI").find("GL INI File"), std::string::npos);
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), message});
    Xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    ExpectTheProgramEnds(game, "the message");
}

int main(int argc, char** argv) {
    return RunEndToEndTests(argc, argv);
}
