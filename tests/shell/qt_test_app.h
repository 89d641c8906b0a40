// The one QApplication of a shell test process, made on first use (offscreen unless the caller's
// environment chose a platform) and kept to the end of the process.
#pragma once

#include <QApplication>

#include <cstdlib>

inline QApplication& TestQtApp() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return *existing;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "shell_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
