// Helpers of the dialog tests: the Qt application on the offscreen platform, a driver that acts
// on each modal dialog as it opens (so the real desktop's exec() runs as the player would see it),
// and key presses sent the way the keyboard sends them.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <ostream>

#include "core/desktop.h"
#include "tests/shell/qt_test_app.h"

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const Colour& colour, std::ostream* out) {
    *out << "rgba(" << int(colour.red) << ", " << int(colour.green) << ", " << int(colour.blue)
         << ", " << int(colour.alpha) << ")";
}

// The one QApplication of the test program, made on first use.
inline QApplication& DialogTestApp() {
    return TestQtApp();
}

inline void PressKey(QWidget* target, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

// Types `text` into the widget one key at a time.
inline void TypeText(QWidget* target, const QString& text) {
    for (QChar c : text) {
        // Qt's key codes of printable ASCII are the upper-case characters themselves.
        const int key = c.unicode() < 128 ? c.toUpper().unicode() : int(Qt::Key_unknown);
        PressKey(target, key, QString(c));
    }
}

// Acts on modal dialogs as they open: each new modal widget gets the next queued action. A
// dialog still open long after its action, or one without an action, is closed by force and
// counted as a failure, so a test never hangs on a dialog.
class ModalDriver {
public:
    using Action = std::function<void(QWidget*)>;

    ModalDriver() {
        DialogTestApp();
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }
    ~ModalDriver() { timer_.stop(); }

    void Then(Action action) { actions_.push_back(std::move(action)); }
    // Dialogs the driver saw, by class name, in the order they opened.
    const std::vector<std::string>& Seen() const { return seen_; }
    int Unexpected() const { return unexpected_; }
    int Forced() const { return forced_; }
    bool AllActionsUsed() const { return actions_.empty(); }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            return;
        }
        if (!modal->property("driven").toBool()) {
            modal->setProperty("driven", true);
            seen_.emplace_back(modal->metaObject()->className());
            ticks_[modal] = 0;
            if (actions_.empty()) {
                ++unexpected_;
                ForceClose(modal);
                return;
            }
            // The action runs from its own timer: a timer does not fire again while its own
            // slot runs, and an action may open a further dialog that needs the poll.
            auto action = std::make_shared<Action>(std::move(actions_.front()));
            actions_.pop_front();
            QPointer<QWidget> target(modal);
            QTimer::singleShot(0, &context_, [action, target] {
                if (target) {
                    (*action)(target);
                }
            });
            return;
        }
        // About two seconds after its action, a dialog that is still open is closed by force.
        if (++ticks_[modal] > 400) {
            ++forced_;
            ForceClose(modal);
        }
    }

    static void ForceClose(QWidget* modal) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->done(QDialog::Accepted);
        } else {
            modal->hide();
        }
    }

    QObject context_;
    QTimer timer_;
    std::deque<Action> actions_;
    std::vector<std::string> seen_;
    std::map<QWidget*, int> ticks_;
    int unexpected_ = 0;
    int forced_ = 0;
};
