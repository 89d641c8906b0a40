// board2d: the flat board with tile thickness and shadows, and the layout editor.
#include <QApplication>

#include "shell/edition_2d/game_app_2d.h"
#include "shell/qt_desktop.h"
#include "shell/start_up.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnel's mah-jong"));
    QtDesktop desktop;
    GameApp2D app(desktop);
    return RunGame(app, desktop);
}
