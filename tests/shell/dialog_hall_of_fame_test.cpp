// The hall-of-fame dialog: ten rows of name and time, the fastest first, shown as given.
#include <QLabel>

#include "shell/dialog_hall_of_fame.h"
#include "shell/qt_desktop.h"
#include "tests/shell/dialog_test_support.h"
#include "tests/shell/shell_test_support.h"

namespace {

DialogTexts HallTexts() {
    return DialogTexts{"Hall of fame", {"Name", "Time", "OK"}};
}

}  // namespace

TEST(HallOfFameDialog, ShowsTheTenRowsInTheOrderGiven) {
    DialogTestApp();
    std::vector<HallRow> rows;
    for (int i = 0; i < 10; ++i) {
        rows.push_back({"Player " + std::to_string(i), "00:0" + std::to_string(i) + ":00"});
    }
    HallOfFameDialog dialog(HallTexts(), rows, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Hall of fame"));
    for (int i = 0; i < HallOfFameDialog::kRows; ++i) {
        EXPECT_EQ(dialog.NameAt(i)->text(), QStringLiteral("Player %1").arg(i));
        EXPECT_EQ(dialog.TimeAt(i)->text(), QStringLiteral("00:0%1:00").arg(i));
    }
    // The headings stand above the columns.
    std::vector<QString> texts;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        texts.push_back(label->text());
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), QStringLiteral("Name")), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), QStringLiteral("Time")), texts.end());
    EXPECT_TRUE(dialog.OkButton()->isDefault());
}

TEST(HallOfFameDialog, MissingRowsStayEmptyExtraRowsAreDroppedNamesArePlainText) {
    DialogTestApp();
    const std::vector<HallRow> few = {{"<b>Bold</b>", "00:01:00"}, {"Eve", "00:02:00"}};
    HallOfFameDialog short_(HallTexts(), few, nullptr);
    EXPECT_EQ(short_.NameAt(0)->text(), QStringLiteral("<b>Bold</b>"));
    EXPECT_EQ(short_.NameAt(0)->textFormat(), Qt::PlainText);
    EXPECT_EQ(short_.NameAt(2)->text(), QString());
    EXPECT_EQ(short_.TimeAt(9)->text(), QString());

    std::vector<HallRow> many(12, HallRow{"Same", "00:05:00"});
    many[10].name = "Eleventh";
    HallOfFameDialog long_(HallTexts(), many, nullptr);
    for (QLabel* label : long_.findChildren<QLabel*>()) {
        EXPECT_NE(label->text(), QStringLiteral("Eleventh"));
    }
}

// The HALL_OF_FAME command through the real desktop shows the layout's table: the default one
// of a layout without a file, 00:05:00 up to 00:14:00.
TEST(HallOfFameDialog, TheCommandShowsTheLayoutsTableFastestFirst) {
    GameFolder folder;
    QtDesktop desktop;
    ModalDriver driver;
    RecordingWindow window;
    TestApp app(desktop);
    ASSERT_NO_FATAL_FAILURE(StartWithoutLanguageQuestion(app, folder, window));

    std::vector<QString> names;
    std::vector<QString> times;
    QString caption;
    driver.Then([&](QWidget* modal) {
        auto* dialog = qobject_cast<HallOfFameDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        caption = dialog->windowTitle();
        for (int i = 0; i < HallOfFameDialog::kRows; ++i) {
            names.push_back(dialog->NameAt(i)->text());
            times.push_back(dialog->TimeAt(i)->text());
        }
        PressKey(dialog, Qt::Key_Escape);
    });
    app.ExecuteCommand(command::HALL_OF_FAME);
    EXPECT_EQ(caption, FromGameText(app.Text(TextId::HALLFAMECAPTION)));
    ASSERT_EQ(names.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(names[static_cast<std::size_t>(i)], QStringLiteral("Tavrix"));
        EXPECT_EQ(times[static_cast<std::size_t>(i)],
                  QStringLiteral("00:%1:00").arg(5 + i, 2, 10, QLatin1Char('0')));
    }
    EXPECT_EQ(driver.Forced(), 0);
}
