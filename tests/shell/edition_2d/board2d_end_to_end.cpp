// board2d end to end on a real X display: a fresh game folder, the first-run language choice,
// a pair found with the hint and removed with real mouse clicks, F12, and the settings file the
// program wrote. Skipped without a display (the test runner provides one through Xvfb).
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string gProgram;

QString Xdotool(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished(10000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

// The id of the first window whose name matches the pattern, waiting up to `ms`.
QString WaitForWindow(const QString& pattern, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        const QStringList ids =
            Xdotool({QStringLiteral("search"), QStringLiteral("--name"), pattern})
                .split('\n', Qt::SkipEmptyParts);
        for (const QString& id : ids) {
            const QString geometry = Xdotool({QStringLiteral("getwindowgeometry"), id});
            if (!geometry.contains(QStringLiteral("Geometry: 1x1"))) {
                return id;
            }
        }
        QThread::msleep(100);
    }
    return {};
}

QRect WindowRect(const QString& id) {
    // "Window N\n  Position: X,Y (screen: 0)\n  Geometry: WxH"
    const QString text = Xdotool({QStringLiteral("getwindowgeometry"), id});
    int x = 0, y = 0, w = 0, h = 0;
    std::sscanf(text.toUtf8().constData(),
                "Window %*d Position: %d,%d (screen: %*d) Geometry: %dx%d", &x, &y, &w, &h);
    return QRect(x, y, w, h);
}

QImage Grab(const QRect& area) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Connected regions of pixels that differ between two pictures, as bounding boxes.
std::vector<QRect> ChangedRegions(const QImage& before, const QImage& after, int top, int bottom) {
    const int w = before.width();
    const int h = before.height();
    std::vector<unsigned char> mask(static_cast<std::size_t>(w * h), 0);
    for (int y = top; y < bottom && y < h; ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            mask[static_cast<std::size_t>(y * w + x)] = a[x] != b[x] ? 1 : 0;
        }
    }
    std::vector<QRect> regions;
    std::vector<int> stack;
    for (int start = 0; start < w * h; ++start) {
        if (mask[static_cast<std::size_t>(start)] != 1) {
            continue;
        }
        QRect box(start % w, start / w, 1, 1);
        int count = 0;
        stack.push_back(start);
        mask[static_cast<std::size_t>(start)] = 2;
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            ++count;
            box = box.united(QRect(p % w, p / w, 1, 1));
            const int neighbours[4] = {p - 1, p + 1, p - w, p + w};
            for (int q : neighbours) {
                if (q >= 0 && q < w * h && mask[static_cast<std::size_t>(q)] == 1 &&
                    std::abs(q % w - p % w) <= 1) {
                    mask[static_cast<std::size_t>(q)] = 2;
                    stack.push_back(q);
                }
            }
        }
        if (count > 100) {  // a tile's face, not a blinking caret or a digit of the chrono
            regions.push_back(box);
        }
    }
    return regions;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Click(const QRect& window, const QPoint& point) {
    Xdotool({QStringLiteral("mousemove"), QString::number(window.x() + point.x()),
             QString::number(window.y() + point.y()), QStringLiteral("click"),
             QStringLiteral("1")});
}

}  // namespace

TEST(Board2DEndToEnd, FirstRunMoveWithTheMouseAndExitWritesTheSettings) {
    if (std::getenv("DISPLAY") == nullptr || gProgram.empty()) {
        GTEST_SKIP() << "no X display";
    }
    char pattern[] = "/tmp/varnel-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path folder(pattern);
    fs::copy(GAME_DATA_DIR, folder, fs::copy_options::recursive);
    fs::remove(folder / "TAVX2D.INI");

    QProcess game;
    game.setWorkingDirectory(QString::fromStdString(folder.string()));
    game.setProcessChannelMode(QProcess::ForwardedChannels);
    game.start(QString::fromStdString(gProgram), {});
    ASSERT_TRUE(game.waitForStarted(10000));

    // The first-run language choice comes before the main window: OK takes English.
    const QString dialog = WaitForWindow(QStringLiteral("^Varnel's mah-jong v2.4.2 2D$"), 20000);
    ASSERT_FALSE(dialog.isEmpty()) << "no language dialog";
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), dialog});
    Xdotool({QStringLiteral("key"), QStringLiteral("Return")});

    const QString main = WaitForWindow(QStringLiteral("2D - Default.tvl$"), 20000);
    ASSERT_FALSE(main.isEmpty()) << "no main window";
    QThread::msleep(800);
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
    std::vector<QRect> marked = ChangedRegions(before, hinted, top, bottom);
    // Two tiles side by side make one region: split it along its longer side.
    if (marked.size() == 1) {
        const QRect both = marked[0];
        if (both.width() > both.height()) {
            marked = {
                QRect(both.x(), both.y(), both.width() / 2, both.height()),
                QRect(both.x() + both.width() / 2, both.y(), both.width() / 2, both.height())};
        } else {
            marked = {
                QRect(both.x(), both.y(), both.width(), both.height() / 2),
                QRect(both.x(), both.y() + both.height() / 2, both.width(), both.height() / 2)};
        }
    }
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
    ASSERT_TRUE(game.waitForFinished(15000)) << "F12 did not end the program";
    EXPECT_EQ(game.exitCode(), 0);

    const std::string ini = ReadFile(folder / "TAVX2D.INI");
    EXPECT_EQ(ini.rfind("; Varnel's mah-jong v2.4.2 2D INI File, do not edit\r\n", 0), 0u);
    EXPECT_NE(ini.find("Language           = \"English.txt\""), std::string::npos);
    EXPECT_NE(ini.find("Layout             = \"Default.tvl\""), std::string::npos);
    EXPECT_NE(ini.find("WindowXSize        = "), std::string::npos);
    std::error_code error;
    fs::remove_all(folder, error);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc > 1) {
        gProgram = fs::absolute(argv[1]).string();
    }
    if (std::getenv("DISPLAY") == nullptr) {
        return RUN_ALL_TESTS();
    }
    QGuiApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
