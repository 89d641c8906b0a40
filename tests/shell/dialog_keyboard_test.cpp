// Every dialog of the game can be used without a mouse: it opens with the keyboard focus on one
// of its controls, Tab reaches each of its buttons, boxes and lists and comes back round, and
// Return closes it through its default button.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include <set>

#include "shell/qt_desktop.h"
#include "tests/shell/dialog_test_support.h"
#include "tests/shell/shell_test_support.h"

namespace {

// The controls a player works with in `dialog`, visible and enabled.
std::vector<QWidget*> Controls(QWidget* dialog) {
    std::vector<QWidget*> controls;
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(child) != nullptr ||
                             qobject_cast<QLineEdit*>(child) != nullptr ||
                             qobject_cast<QComboBox*>(child) != nullptr;
        if (control && child->isVisible() && child->isEnabled()) {
            controls.push_back(child);
        }
    }
    return controls;
}

}  // namespace

TEST(DialogKeyboard, EveryDialogHasAFocusATabChainAndADefaultButton) {
    GameFolder folder;
    QtDesktop desktop;
    RecordingWindow window;
    TestApp2D app{desktop};
    ASSERT_NO_FATAL_FAILURE(StartWithoutLanguageQuestion(app, folder, window));

    for (const int command :
         {command::HELP_ABOUT, command::CHANGE_COLORS, command::CONFIG, command::HALL_OF_FAME}) {
        SCOPED_TRACE(command);
        ModalDriver driver;
        bool accepted = false;
        driver.Then([&accepted](QWidget* modal) {
            auto* dialog = qobject_cast<QDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            QWidget* start = dialog->focusWidget();
            ASSERT_NE(start, nullptr) << "no control has the focus";
            // Tab visits every control and comes back to where it started.
            std::set<QWidget*> reached;
            QWidget* at = start;
            for (int step = 0; step < 100; ++step) {
                if ((at->focusPolicy() & Qt::TabFocus) != 0 && at->isVisible() && at->isEnabled()) {
                    reached.insert(at);
                }
                at = at->nextInFocusChain();
                if (at == start) {
                    break;
                }
            }
            EXPECT_EQ(at, start) << "the tab chain does not come back";
            for (QWidget* control : Controls(dialog)) {
                EXPECT_TRUE(reached.count(control) == 1)
                    << control->metaObject()->className() << " "
                    << control->objectName().toStdString() << " cannot be reached with Tab";
            }
            PressKey(start, Qt::Key_Return);
            accepted = !dialog->isVisible() && dialog->result() == QDialog::Accepted;
        });
        app.ExecuteCommand(command);
        EXPECT_EQ(driver.Seen().size(), 1u);
        EXPECT_EQ(driver.Forced(), 0);
        EXPECT_TRUE(accepted) << "Return does not close the dialog";
    }
}
