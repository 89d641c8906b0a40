// The winner's dialog: the time line, the name box and what the hall of fame keeps of the name.
#include <QLabel>
#include <QLineEdit>

#include "shell/dialog_hall_of_fame.h"
#include "shell/dialog_winner.h"
#include "shell/qt_desktop.h"
#include "tests/shell/dialog_test_support.h"
#include "tests/shell/shell_test_support.h"

namespace {

DialogTexts WinnerTexts() {
    return DialogTexts{"You won!", {"Time : 00:03:07", "Please enter your name:", "OK"}};
}

}  // namespace

TEST(WinnerNameDialog, KeepsAtMost21CharactersWithinTheRecordsBytes) {
    EXPECT_EQ(KeepWinnerName(QString(30, QLatin1Char('a'))), QString(21, QLatin1Char('a')));
    EXPECT_EQ(KeepWinnerName(QStringLiteral("Müller")), QStringLiteral("Müller"));
    // Two bytes each: eleven fit in 22 bytes, the twelfth does not.
    EXPECT_EQ(KeepWinnerName(QString(15, QChar(0xE9))), QString(11, QChar(0xE9)));
    // Three bytes each: seven fit.
    EXPECT_EQ(KeepWinnerName(QString(10, QChar(0x6F22))), QString(7, QChar(0x6F22)));
    // A character outside the basic plane (a surrogate pair, four bytes) is kept whole or not at
    // all.
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    const QString kept = KeepWinnerName(QString(20, QLatin1Char('x')) + clef);
    EXPECT_EQ(kept, QString(20, QLatin1Char('x')));
    EXPECT_EQ(KeepWinnerName(QStringLiteral("ab") + clef), QStringLiteral("ab") + clef);
    EXPECT_EQ(KeepWinnerName(QString()), QString());
}

TEST(WinnerNameDialog, ShowsTheTimeLineThePromptAndTheNameBoxWithFocus) {
    DialogTestApp();
    WinnerNameDialog dialog(WinnerTexts(), nullptr);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("You won!"));
    EXPECT_EQ(dialog.TimeLine()->text(), QStringLiteral("Time : 00:03:07"));
    EXPECT_EQ(dialog.Prompt()->text(), QStringLiteral("Please enter your name:"));
    EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(dialog.OkButton()->isDefault());
    EXPECT_EQ(dialog.focusWidget(), dialog.NameBox());
}

TEST(WinnerNameDialog, ThirtyTypedCharactersAreKeptAs21AndPastedTextIsCut) {
    DialogTestApp();
    WinnerNameDialog dialog(WinnerTexts(), nullptr);
    TypeText(dialog.NameBox(), QStringLiteral("abcdefghijklmnopqrstuvwxyzABCD"));
    EXPECT_EQ(dialog.NameBox()->text(), QStringLiteral("abcdefghijklmnopqrstu"));
    EXPECT_EQ(dialog.Name(), "abcdefghijklmnopqrstu");
    dialog.NameBox()->clear();
    dialog.NameBox()->insert(QString(20, QChar(0xE9)));
    EXPECT_EQ(dialog.NameBox()->text(), QString(11, QChar(0xE9)));
    EXPECT_EQ(dialog.Name().size(), 22u);
}

// A whole win through the real desktop: the name typed in the winner's dialog goes through the
// game into the hall of fame, which then shows it first.
TEST(WinnerNameDialog, AWinStoresTheTypedNameCutTo21AndShowsItFirstInTheHall) {
    GameFolder folder;
    QtDesktop desktop;
    ModalDriver driver;
    RecordingWindow window;
    TestApp app(desktop);
    ASSERT_NO_FATAL_FAILURE(StartWithoutLanguageQuestion(app, folder, window));

    QString timeLine;
    QString firstRow;
    driver.Then([&](QWidget* modal) {
        auto* dialog = qobject_cast<WinnerNameDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        timeLine = dialog->TimeLine()->text();
        TypeText(dialog->NameBox(), QStringLiteral("Anna-Maria Wilhelmina Zoe Quin"));
        PressKey(dialog->NameBox(), Qt::Key_Return);
    });
    driver.Then([&](QWidget* modal) {
        auto* dialog = qobject_cast<HallOfFameDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        firstRow = dialog->NameAt(0)->text();
        dialog->OkButton()->click();
    });
    WinByClicking(app);
    EXPECT_EQ(timeLine.left(7), QStringLiteral("Time : "));
    EXPECT_EQ(timeLine.size(), 15);
    EXPECT_EQ(firstRow, QStringLiteral("Anna-Maria Wilhelmina"));
    EXPECT_STREQ(app.board.hall[0].name, "Anna-Maria Wilhelmina");
    EXPECT_EQ(driver.Seen(), (std::vector<std::string>{"WinnerNameDialog", "HallOfFameDialog"}));
    EXPECT_EQ(driver.Forced(), 0);
}
