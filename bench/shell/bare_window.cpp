// The least a Qt program of board2d's shape holds: a main window with a menu bar, a toolbar, a
// status bar and a view painted in one colour, the size of the screen, and nothing else. Started
// by tools/measure-start.sh --bare, it shows how much of board2d's memory and start time is Qt's
// and the window's own.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

namespace {

class PlainView : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(0, 160, 0)); }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare Qt window"));
    for (const char* title : {"&Game", "&Options", "&Graphics", "&Layout", "&Help"}) {
        QMenu* menu = window.menuBar()->addMenu(QString::fromLatin1(title));
        for (int i = 1; i <= 8; ++i) {
            menu->addAction(QStringLiteral("Item %1").arg(i));
        }
    }
    auto* toolBar = new QToolBar(&window);
    for (int i = 1; i <= 10; ++i) {
        toolBar->addAction(QStringLiteral("%1").arg(i));
    }
    window.addToolBar(toolBar);
    window.statusBar()->showMessage(QStringLiteral("144 tiles"));
    window.setCentralWidget(new PlainView);
    window.resize(window.screen()->availableSize());
    window.show();
    return QApplication::exec();
}
