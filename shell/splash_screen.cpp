#include "shell/splash_screen.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSplashScreen>

#include "images/image.h"
#include "settings/resource_folders.h"
#include "shell/game_app.h"

struct SplashScreen::Shown {
    // The picture's pixels stay with the window, as the window shows them.
    QPixmap pixmap;
    std::unique_ptr<QSplashScreen> window;
};

void SplashPosition(int areaLeft, int areaTop, int areaWidth, int areaHeight, int width, int height,
                    int& x, int& y) {
    // Halves rounded towards minus infinity, so a picture one pixel too large sits at -1, not 0.
    auto half = [](int value) { return value >= 0 ? value / 2 : -((1 - value) / 2); };
    x = areaLeft + half(areaWidth - width);
    y = areaTop + half(areaHeight - height);
}

namespace {

// The game's pictures are blue, green, red (and alpha) bytes, rows top-down, padded rows; Qt
// reads three-byte rows as BGR888 and four-byte ones as ARGB32 on a little-endian machine.
QImage ToQImage(const Image& picture) {
    const QImage::Format format =
        picture.BytesPerPixel() == 4 ? QImage::Format_ARGB32 : QImage::Format_BGR888;
    QImage view(picture.Pixels(), picture.Width(), picture.Height(), picture.Stride(), format);
    // The splash is opaque, whatever alpha a picture carries.
    return view.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

SplashScreen::SplashScreen() = default;

SplashScreen::~SplashScreen() {
    Close();
}

bool SplashScreen::Show(const std::string& path) {
    Image picture;
    if (path.empty() || !picture.Load(path)) {
        return false;
    }
    return Show(picture);
}

bool SplashScreen::Show(const Image& picture) {
    Close();
    if (!picture.HasPixels() || picture.Width() <= 0 || picture.Height() <= 0 ||
        QGuiApplication::instance() == nullptr) {
        return false;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return false;
    }
    auto shown = std::make_unique<Shown>();
    shown->pixmap = QPixmap::fromImage(ToQImage(picture));
    if (shown->pixmap.isNull()) {
        return false;
    }
    // Not kept above other windows: the first-run language choice opens while it shows.
    shown->window = std::make_unique<QSplashScreen>(screen, shown->pixmap);
    shown->window->setObjectName(QStringLiteral("SplashWindow"));
    shown->window->setWindowTitle(QStringLiteral("SplashWindow"));
    const QRect area = screen->availableGeometry();
    int x = 0;
    int y = 0;
    SplashPosition(area.left(), area.top(), area.width(), area.height(), picture.Width(),
                   picture.Height(), x, y);
    shown->window->setFixedSize(picture.Width(), picture.Height());
    shown->window->move(x, y);
    shown->window->show();
    shown->window->raise();
    // On screen before the slow parts of start-up begin.
    shown->window->repaint();
    QCoreApplication::processEvents();
    shown_ = std::move(shown);
    return true;
}

void SplashScreen::Close() {
    if (shown_ != nullptr) {
        shown_->window->close();
        shown_.reset();
    }
}

bool SplashScreen::IsShown() const {
    return shown_ != nullptr;
}

bool SplashScreen::Geometry(int& x, int& y, int& width, int& height) const {
    if (shown_ == nullptr) {
        return false;
    }
    const QRect frame = shown_->window->geometry();
    x = frame.x();
    y = frame.y();
    width = frame.width();
    height = frame.height();
    return true;
}

QWidget* SplashScreen::Widget() const {
    return shown_ != nullptr ? shown_->window.get() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// The application object's splash
// ---------------------------------------------------------------------------------------------

void GameApp::ShowSplash() {
    // No picture, no splash, no message.
    const std::string path = ResolveInFolder(folders.start, "Splash.bmp");
    if (!path.empty()) {
        splash.Show(path);
    }
}

void GameApp::CloseSplash() {
    splash.Close();
}
