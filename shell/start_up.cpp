#include "shell/start_up.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>

#include <algorithm>

#include "shell/game_app.h"
#include "shell/main_window.h"
#include "shell/qt_desktop.h"

namespace {

// The screen sizes the settings' defaults and the on-screen test are made from.
ScreenMetrics MeasureScreen() {
    ScreenMetrics metrics;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        metrics.maximisedWidth = area.width();
        metrics.maximisedHeight = area.height();
    }
    metrics.frameWidth = 4;
    metrics.frameHeight = 4;
    metrics.menuBarHeight = MenuBarHeight();
    return metrics;
}

void SetProgramIcon() {
    QIcon icon;
    for (const char* name : {":/icon_32.png", ":/icon_48.png", ":/icon.png"}) {
        QPixmap pixmap{QString::fromLatin1(name)};
        if (!pixmap.isNull()) {
            icon.addPixmap(pixmap);
        }
    }
    if (!icon.isNull()) {
        QApplication::setWindowIcon(icon);
    }
}

}  // namespace

int MenuBarHeight() {
    // An empty menu bar measures 0: the height of a bar holding one menu is the real one.
    QMenuBar probe;
    probe.addMenu(QStringLiteral("Game"));
    probe.adjustSize();
    return std::max(probe.sizeHint().height(), probe.heightForWidth(400));
}

int RunGame(GameApp& app, QtDesktop& desktop, const BoardViewFactory& makeView) {
    SetProgramIcon();
    std::string start;
    if (!CurrentStartFolder(start)) {
        desktop.ShowMessage("Window Creation Error.", "ERROR", MessageIcon::Warning,
                            MessageButtons::Ok);
        return 0;
    }
    app.SetStartFolder(start);
    // The sound system answers while the splash, the settings and the board are made.
    app.OpenAudioAside();
    app.screen = MeasureScreen();
    app.ShowSplash();
    app.OfferFirstRunLanguage();
    if (!app.LoadSettings()) {
        app.CloseSplash();
        return 0;
    }

    MainWindow window(app, makeView);
    window.setWindowTitle(QString::fromUtf8(app.TitleText().c_str()));
    app.AttachWindow(&window);
    desktop.SetOwner(&window);
    window.PlaceAt(WindowRect{app.settings.windowXPos, app.settings.windowYPos,
                              app.settings.windowXSize, app.settings.windowYSize});
    // The window's native surface exists from here on, so a renderer may make its context on it.
    window.winId();
    if (!app.CreateRenderer()) {
        // The renderer has saved the settings, released its objects and said why.
        app.AttachWindow(nullptr);
        desktop.SetOwner(nullptr);
        return 0;
    }
    // The view's size is known before the window shows, so the first frame is composed once.
    window.layout()->activate();
    app.StartGame();
    window.StartTimer();
    if (app.WantsIdleLoop()) {
        window.StartIdleLoop();
    }
    window.show();
    window.raise();
    window.activateWindow();
    const int code = QApplication::exec();
    // Closing by any route writes the settings once.
    app.OnDestroy();
    app.AttachWindow(nullptr);
    desktop.SetOwner(nullptr);
    return code;
}
