// board3d_d3d end to end on a real X display: a fresh game folder, the first-run language choice,
// the hinted pair removed with real clicks on the drawn faces, the board turned with a right-drag
// and the camera moved with the wheel, F12, and the settings file the program wrote. Skipped
// without a display (the test runner provides one through Xvfb).
#include <QThread>

#include <string>
#include <vector>

#include "tests/shell/end_to_end_support.h"
#include "version/version.h"

namespace {

// Share of pixels that differ between two grabs of the same size.
double ChangedShare(const QImage& a, const QImage& b, int top, int bottom) {
    long changed = 0;
    long all = 0;
    for (int y = top; y < bottom && y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            changed += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
            ++all;
        }
    }
    return all > 0 ? static_cast<double>(changed) / static_cast<double>(all) : 0.0;
}

}  // namespace

TEST(Board3DD3DEndToEnd, HintedPairRemovedByClicksTurnZoomAndExit) {
    if (!CanRunEndToEnd()) {
        GTEST_SKIP() << "no X display";
    }
    const EndToEndFolder own;
    const fs::path& folder = own.path;
    ASSERT_FALSE(folder.empty());

    QProcess game;
    ASSERT_TRUE(StartProgram(game, folder));
    ASSERT_TRUE(PressReturnIn(QStringLiteral("^Varnel's mah-jong v.* DX8.1$")))
        << "no language dialog";

    const QString main = WaitForWindow(QStringLiteral("DX8.1 - Default.tvl$"), 20000);
    ASSERT_FALSE(main.isEmpty()) << "no main window";
    QThread::msleep(800);
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), main});
    const QRect window = WindowRect(main);
    ASSERT_GT(window.width(), 300);
    const int top = 70;
    const int bottom = window.height() - 30;
    // The pointer rests at the window's middle: the board leans toward it by nothing, and it
    // stays there while the hint is compared.
    const QPoint middle(window.width() / 2, window.height() / 2);
    MoveTo(window, middle);
    QThread::msleep(600);

    const QImage before = Grab(window);
    Xdotool({QStringLiteral("key"), QStringLiteral("F6")});
    QThread::msleep(600);
    const QImage hinted = Grab(window);
    const std::vector<QRect> marked = SplitPair(ChangedRegions(before, hinted, top, bottom));
    ASSERT_EQ(marked.size(), 2u) << "the hint should mark two tiles";
    Click(window, marked[0].center());
    QThread::msleep(400);
    Click(window, marked[1].center());
    QThread::msleep(800);
    // Move back to the middle so the lean is the same as in the picture with the hint.
    MoveTo(window, middle);
    QThread::msleep(600);
    const QImage removed = Grab(window);
    for (const QRect& tile : marked) {
        EXPECT_NE(hinted.pixel(tile.center()), removed.pixel(tile.center()));
    }

    // A right-drag turns the board: much of the picture changes.
    const int cx = window.x() + window.width() / 2;
    const int cy = window.y() + window.height() / 2;
    Xdotool({QStringLiteral("mousemove"), QString::number(cx), QString::number(cy),
             QStringLiteral("mousedown"), QStringLiteral("3")});
    Xdotool({QStringLiteral("mousemove"), QString::number(cx - 120), QString::number(cy)});
    Xdotool({QStringLiteral("mouseup"), QStringLiteral("3")});
    QThread::msleep(600);
    const QImage turned = Grab(window);
    EXPECT_GT(ChangedShare(removed, turned, top, bottom), 0.05);

    // Page Down and the wheel move the camera: the board's size on the screen changes.
    for (int i = 0; i < 5; ++i) {
        Xdotool({QStringLiteral("click"), QStringLiteral("5")});
    }
    QThread::msleep(600);
    const QImage zoomed = Grab(window);
    EXPECT_GT(ChangedShare(turned, zoomed, top, bottom), 0.02);

    Xdotool({QStringLiteral("key"), QStringLiteral("F12")});
    ASSERT_NO_FATAL_FAILURE(ExpectTheProgramEnds(game, "F12"));

    const std::string ini = ReadFile(folder / "TAVX3D.INI");
    EXPECT_EQ(
        ini.rfind("; Varnel's mah-jong v" VARNEL_VERSION " DX8.1 INI File, do not edit\r\n", 0),
        0u);
    EXPECT_NE(ini.find("\r\n\r\n; 3D values\r\nMoveBoard        = 1\r\n"), std::string::npos);
    EXPECT_NE(ini.find("TextureSize      = 64\r\n"), std::string::npos);
    // The wheel moved the camera away from the board: its z is kept.
    const std::size_t z = ini.find("ZPosition        = ");
    ASSERT_NE(z, std::string::npos);
    EXPECT_LT(std::stof(ini.substr(z + 19)), 225.0f);
}

int main(int argc, char** argv) {
    return RunEndToEndTests(argc, argv);
}
