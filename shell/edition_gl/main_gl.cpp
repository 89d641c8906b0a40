// board3d_gl: the 3D board through OpenGL.
#include <QApplication>
#include <QSurfaceFormat>

#include "shell/edition_gl/game_app_gl.h"
#include "shell/edition_gl/gl_board_view.h"
#include "shell/qt_desktop.h"
#include "shell/start_up.h"

int main(int argc, char** argv) {
    // The renderer's textures and lists are made in its own context before the window shows;
    // the board view's context, made later by Qt, must share them. Both must come before the
    // application object of Qt.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QSurfaceFormat::setDefaultFormat(BoardSurfaceFormat());
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnel's mah-jong"));
    QtDesktop desktop;
    GameAppGL app(desktop);
    return RunGame(app, desktop, GlBoardViewFactory(app));
}
