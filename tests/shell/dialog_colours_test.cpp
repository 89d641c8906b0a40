// The colour dialog: swatches, picking through the colour chooser, and the side colour that
// re-cuts the tile set at once.
#include <QColorDialog>
#include <QGroupBox>

#include "shell/dialog_colours.h"
#include "shell/qt_desktop.h"
#include "tests/shell/dialog_test_support.h"
#include "tests/shell/shell_test_support.h"

namespace {

class ColoursDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartWithoutLanguageQuestion(app, folder, window));
    }

    GameFolder folder;
    QtDesktop desktop;
    ModalDriver driver;
    RecordingWindow window;
    TestApp2D app{desktop};
};

// Answers the colour chooser with `colour`, or cancels it when `cancel`.
ModalDriver::Action AnswerChooser(QColor colour, bool cancel = false) {
    return [colour, cancel](QWidget* modal) {
        auto* chooser = qobject_cast<QColorDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        if (cancel) {
            chooser->reject();
            return;
        }
        chooser->setCurrentColor(colour);
        chooser->accept();
    };
}

}  // namespace

TEST_F(ColoursDialogTest, SwatchesShowTheColoursAndASideColourRecutsTheTileSetAtOnce) {
    app.settings.backgroundColor = Colour{0, 64, 0, 255};
    app.settings.sidesColor = Colour{200, 180, 120, 255};
    Colour backShown;
    Colour sideShown;
    Colour sideAfter;
    Colour storedAtOnce;
    int cutsAtOnce = -1;
    QString backLabel;
    QString sideLabel;
    const int cutsBefore = app.sizeTileSets;
    driver.Then([&](QWidget* modal) {
        auto* dialog = qobject_cast<ColoursDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(dialog->ButtonCount(), 2);
        backLabel = dialog->Button(0)->text();
        sideLabel = dialog->Button(1)->text();
        backShown = dialog->SwatchColour(0);
        sideShown = dialog->SwatchColour(1);
        // The chooser opens from the button; its answer is in force before OK.
        driver.Then(AnswerChooser(QColor(10, 20, 30)));
        dialog->Button(1)->click();
        sideAfter = dialog->SwatchColour(1);
        storedAtOnce = app.settings.sidesColor;
        cutsAtOnce = app.sizeTileSets - cutsBefore;
        dialog->OkButton()->click();
    });
    const int ticksBefore = app.ticks;
    app.ExecuteCommand(command::CHANGE_COLORS);
    EXPECT_EQ(backLabel, FromGameText(app.Text(TextId::COLORSBACK)));
    EXPECT_EQ(sideLabel, FromGameText(app.Text(TextId::COLORSSIDE)));
    EXPECT_EQ(backShown, (Colour{0, 64, 0, 255}));
    EXPECT_EQ(sideShown, (Colour{200, 180, 120, 255}));
    EXPECT_EQ(sideAfter, (Colour{10, 20, 30, 255}));
    EXPECT_EQ(storedAtOnce, (Colour{10, 20, 30, 255}));
    EXPECT_EQ(cutsAtOnce, 1);
    EXPECT_EQ(app.settings.backgroundColor, (Colour{0, 64, 0, 255}));
    EXPECT_GT(app.ticks, ticksBefore);  // the window redraws after the dialog
    EXPECT_EQ(driver.Seen(), (std::vector<std::string>{"ColoursDialog", "QColorDialog"}));
    EXPECT_EQ(driver.Forced(), 0);
}

TEST_F(ColoursDialogTest, ACancelledBackgroundChoiceKeepsTheColourAndCutsNothing) {
    app.settings.backgroundColor = Colour{1, 2, 3, 255};
    Colour shown;
    const int cutsBefore = app.sizeTileSets;
    driver.Then([&](QWidget* modal) {
        auto* dialog = qobject_cast<ColoursDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        driver.Then(AnswerChooser(QColor(), true));
        dialog->Button(0)->click();
        shown = dialog->SwatchColour(0);
        // Enter goes to OK even with the focus on a colour button.
        dialog->Button(1)->setFocus();
        PressKey(dialog->Button(1), Qt::Key_Return);
    });
    app.ExecuteCommand(command::CHANGE_COLORS);
    EXPECT_EQ(shown, (Colour{1, 2, 3, 255}));
    EXPECT_EQ(app.settings.backgroundColor, (Colour{1, 2, 3, 255}));
    EXPECT_EQ(app.sizeTileSets, cutsBefore);
    EXPECT_EQ(driver.Seen().size(), 2u);
    EXPECT_EQ(driver.Forced(), 0);
}

// The 3D editions' form: the five level colours in a titled group, then background and sides.
TEST(ColoursDialog, GroupedButtonsSitInTheirGroupAndReportTheirOwnIndex) {
    DialogTestApp();
    std::vector<ColourButton> buttons;
    for (int i = 0; i < 5; ++i) {
        buttons.push_back({"Level " + std::to_string(i + 1) + "...",
                           Colour{static_cast<std::uint8_t>(i * 40), 0, 0, 255}});
    }
    buttons.push_back({"Background...", Colour{0, 0, 0, 255}});
    buttons.push_back({"Tile sides...", Colour{9, 9, 9, 255}});
    std::vector<int> pressed;
    ColoursDialog dialog(
        DialogTexts{"Colours", {"OK"}}, buttons,
        [&pressed](int i) {
            pressed.push_back(i);
            return Colour{static_cast<std::uint8_t>(100 + i), 0, 0, 255};
        },
        nullptr, ColourGroup{"Tile colour of each level", 5});
    auto* group = dialog.findChild<QGroupBox*>();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), QStringLiteral("Tile colour of each level"));
    ASSERT_EQ(dialog.ButtonCount(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(group->isAncestorOf(dialog.Button(i)), i < 5) << i;
    }
    dialog.Button(3)->click();
    dialog.Button(6)->click();
    EXPECT_EQ(pressed, (std::vector<int>{3, 6}));
    EXPECT_EQ(dialog.SwatchColour(3), (Colour{103, 0, 0, 255}));
    EXPECT_EQ(dialog.SwatchColour(6), (Colour{106, 0, 0, 255}));
    EXPECT_EQ(dialog.SwatchColour(0), (Colour{0, 0, 0, 255}));
}
