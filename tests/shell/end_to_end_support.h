// What the end-to-end tests of the three programs share: the program under test and its files
// named on the command line, a fresh game folder removed afterwards, the program started in it,
// the first-run language question answered with OK, and F12 ending the program.
#pragma once

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/x_session.h"

namespace fs = std::filesystem;

// The arguments after the test program's own, as absolute paths: the program under test first.
inline std::vector<std::string>& EndToEndArguments() {
    static std::vector<std::string> arguments;
    return arguments;
}

// Whether there is an X display and the command line named `arguments` files.
inline bool CanRunEndToEnd(std::size_t arguments = 1) {
    return std::getenv("DISPLAY") != nullptr && EndToEndArguments().size() >= arguments;
}

// A fresh copy of the shipped game folder without settings, removed with this object.
struct EndToEndFolder {
    EndToEndFolder() : path(FreshGameFolder()) {}
    ~EndToEndFolder() {
        std::error_code error;
        if (!path.empty()) {
            fs::remove_all(path, error);
        }
    }
    EndToEndFolder(const EndToEndFolder&) = delete;
    EndToEndFolder& operator=(const EndToEndFolder&) = delete;
    const fs::path path;
};

// Starts the program under test in `folder`, with the environment's `variables` (name, value)
// set over the test's own; false when it did not start.
inline bool StartProgram(QProcess& game, const fs::path& folder,
                         const std::vector<std::pair<QString, QString>>& variables = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : variables) {
        environment.insert(name, value);
    }
    game.setProcessEnvironment(environment);
    game.setWorkingDirectory(QString::fromStdString(folder.string()));
    game.setProcessChannelMode(QProcess::ForwardedChannels);
    game.start(QString::fromStdString(EndToEndArguments()[0]), {});
    return game.waitForStarted(10000);
}

// Waits for the window titled as `pattern` says, focuses it and presses Return; false when no
// such window came.
inline bool PressReturnIn(const QString& pattern) {
    const QString dialog = WaitForWindow(pattern, 20000);
    if (dialog.isEmpty()) {
        return false;
    }
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), dialog});
    Xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    return true;
}

// Moves the pointer to `point` of the window.
inline void MoveTo(const QRect& window, const QPoint& point) {
    Xdotool({QStringLiteral("mousemove"), QString::number(window.x() + point.x()),
             QString::number(window.y() + point.y())});
}

// `how` ends the program (F12 or the answer to its message): it ends normally with code 0.
inline void ExpectTheProgramEnds(QProcess& game, const char* how) {
    ASSERT_TRUE(game.waitForFinished(15000)) << how << " did not end the program";
    EXPECT_EQ(game.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(game.exitCode(), 0);
}

// The main of an end-to-end test program: arguments taken, tests run with a Qt application when
// there is a display (for the screen grabs).
inline int RunEndToEndTests(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        EndToEndArguments().push_back(fs::absolute(argv[i]).string());
    }
    if (std::getenv("DISPLAY") == nullptr) {
        return RUN_ALL_TESTS();
    }
    QGuiApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
