// board2d end to end on a real X display: a fresh game folder, the first-run language choice,
// a pair found with the hint and removed with real mouse clicks, F12, and the settings file the
// program wrote. Skipped without a display (the test runner provides one through Xvfb).
#include <QThread>

#include <string>
#include <vector>

#include "tests/shell/end_to_end_support.h"

TEST(Board2DEndToEnd, FirstRunMoveWithTheMouseAndExitWritesTheSettings) {
    if (!CanRunEndToEnd()) {
        GTEST_SKIP() << "no X display";
    }
    const EndToEndFolder own;
    const fs::path& folder = own.path;
    ASSERT_FALSE(folder.empty());

    QProcess game;
    // No sound device: the sound libraries are let go again once the device failed to open.
    ASSERT_TRUE(StartProgram(
        game, folder, {{QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("no-such-driver")}}));

    // The first-run language choice comes before the main window: OK takes English.
    ASSERT_TRUE(PressReturnIn(QStringLiteral("^Varnel's mah-jong v2.4.2 2D$")))
        << "no language dialog";

    const QString main = WaitForWindow(QStringLiteral("2D - Default.tvl$"), 20000);
    ASSERT_FALSE(main.isEmpty()) << "no main window";
    QThread::msleep(800);
    const std::string maps = ReadFile("/proc/" + std::to_string(game.processId()) + "/maps");
    EXPECT_NE(maps.find("board2d"), std::string::npos);
    EXPECT_EQ(maps.find("libSDL2"), std::string::npos) << "sound libraries kept without a device";
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), main});
    QThread::msleep(300);
    const QRect window = WindowRect(main);
    ASSERT_GT(window.width(), 300);
    // The board lies between the toolbar and the status bar.
    const int top = 70;
    const int bottom = window.height() - 30;

    const QImage before = Grab(window);
    Xdotool({QStringLiteral("key"), QStringLiteral("F6")});
    QThread::msleep(600);
    const QImage hinted = Grab(window);
    const std::vector<QRect> marked = SplitPair(ChangedRegions(before, hinted, top, bottom));
    ASSERT_EQ(marked.size(), 2u) << "the hint should mark two tiles";

    Click(window, marked[0].center());
    QThread::msleep(400);
    Click(window, marked[1].center());
    QThread::msleep(1500);  // the removal fade
    const QImage removed = Grab(window);
    // Where the pair stood the picture changed again: the tiles are gone.
    for (const QRect& tile : marked) {
        const QPoint c = tile.center();
        EXPECT_NE(hinted.pixel(c), removed.pixel(c));
    }
    Xdotool({QStringLiteral("key"), QStringLiteral("F12")});
    ASSERT_NO_FATAL_FAILURE(ExpectTheProgramEnds(game, "F12"));

    const std::string ini = ReadFile(folder / "TAVX2D.INI");
    EXPECT_EQ(ini.rfind("; Varnel's mah-jong v2.4.2 2D INI File, do not edit\r\n", 0), 0u);
    EXPECT_NE(ini.find("Language           = \"English.txt\""), std::string::npos);
    EXPECT_NE(ini.find("Layout             = \"Default.tvl\""), std::string::npos);
    EXPECT_NE(ini.find("WindowXSize        = "), std::string::npos);
}

int main(int argc, char** argv) {
    return RunEndToEndTests(argc, argv);
}
