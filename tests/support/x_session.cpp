#include "tests/support/x_session.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

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

std::vector<QRect> SplitPair(const std::vector<QRect>& marked) {
    if (marked.size() != 1) {
        return marked;
    }
    const QRect both = marked[0];
    if (both.width() > both.height()) {
        return {QRect(both.x(), both.y(), both.width() / 2, both.height()),
                QRect(both.x() + both.width() / 2, both.y(), both.width() / 2, both.height())};
    }
    return {QRect(both.x(), both.y(), both.width(), both.height() / 2),
            QRect(both.x(), both.y() + both.height() / 2, both.width(), both.height() / 2)};
}

fs::path FreshGameFolder() {
    char pattern[] = "/tmp/varnel-e2e-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return {};
    }
    const fs::path folder(pattern);
    fs::copy(GAME_DATA_DIR, folder, fs::copy_options::recursive);
    fs::remove(folder / "TAVX2D.INI");
    fs::remove(folder / "TAVX3D.INI");
    return folder;
}
