// board3d_d3d: the 3D board drawn by the game's own software rasterizer.
#include <QApplication>

#include "shell/edition_d3d/game_app_d3d.h"
#include "shell/qt_desktop.h"
#include "shell/start_up.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnel's mah-jong"));
    QtDesktop desktop;
    GameAppD3D app(desktop);
    return RunGame(app, desktop);
}
