// board2d: the flat board with tile thickness and shadows, and the layout editor.
#include <QApplication>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "shell/edition_2d/game_app_2d.h"
#include "shell/qt_desktop.h"
#include "shell/start_up.h"

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // Pictures are decoded and stretched once, into buffers of several megabytes that are freed
    // at once. The C library would otherwise raise its threshold for mapping large blocks after
    // the first such free and keep the later ones in its heap; a fixed threshold gives each one
    // back to the system when it is freed, so the board holds only the pictures it shows.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnel's mah-jong"));
    QtDesktop desktop;
    GameApp2D app(desktop);
    return RunGame(app, desktop);
}
