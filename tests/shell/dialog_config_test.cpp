// The configuration dialog: "-" and "+" within the limits, the value texts, changes in force at
// once, and the 3D editions' check boxes and list.
#include <QLabel>

#include "shell/dialog_config.h"
#include "shell/qt_desktop.h"
#include "tests/shell/dialog_test_support.h"
#include "tests/shell/shell_test_support.h"

namespace {

class ConfigDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartWithoutLanguageQuestion(app, folder, window));
    }

    struct Redraws {
        int cuts;
        int places;
        int ticks;
        friend bool operator==(const Redraws&, const Redraws&) = default;
    };
    Redraws Count() const { return Redraws{app.sizeTileSets, app.placeTiles, app.ticks}; }

    // Runs the CONFIG command with `act` on the open dialog.
    void WithDialog(const std::function<void(ConfigurationDialog&)>& act) {
        driver.Then([&act](QWidget* modal) {
            auto* dialog = qobject_cast<ConfigurationDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            act(*dialog);
            if (dialog->isVisible()) {
                dialog->OkButton()->click();
            }
        });
        app.ExecuteCommand(command::CONFIG);
        EXPECT_EQ(driver.Forced(), 0);
        EXPECT_EQ(driver.Seen().size(), 1u);
    }

    GameFolder folder;
    QtDesktop desktop;
    ModalDriver driver;
    RecordingWindow window;
    TestApp2D app{desktop};
};

enum Row { AutoPlay = 0, RemoveTile = 1, Border = 2, Shadow = 3 };

}  // namespace

TEST_F(ConfigDialogTest, OpensWithTheLanguagesLabelsAndTheCurrentValues) {
    app.settings.autoPlaySleep = 500;
    app.settings.removeTileTime = 300;
    app.settings.borderSize = 6;
    app.settings.shadowSize = 12;
    std::vector<QString> values;
    QString caption;
    WithDialog([&](ConfigurationDialog& dialog) {
        caption = dialog.windowTitle();
        for (int row = 0; row < dialog.RowCount(); ++row) {
            values.push_back(dialog.Value(row)->text());
        }
    });
    EXPECT_EQ(caption, FromGameText(app.Text(TextId::CONFIGCAPTION)));
    EXPECT_EQ(values, (std::vector<QString>{QStringLiteral("500 ms"), QStringLiteral("300 ms"),
                                            QStringLiteral("1 / 6"), QStringLiteral("1 / 12")}));
}

TEST_F(ConfigDialogTest, DelaysStepByAHundredAndMinusStopsBelowAHundred) {
    app.settings.autoPlaySleep = 50;
    app.settings.removeTileTime = 150;
    std::vector<QString> shown;
    WithDialog([&](ConfigurationDialog& dialog) {
        dialog.MinusButton(AutoPlay)->click();
        shown.push_back(dialog.Value(AutoPlay)->text());
        dialog.PlusButton(AutoPlay)->click();
        shown.push_back(dialog.Value(AutoPlay)->text());
        dialog.MinusButton(RemoveTile)->click();
        shown.push_back(dialog.Value(RemoveTile)->text());
        dialog.MinusButton(RemoveTile)->click();
        shown.push_back(dialog.Value(RemoveTile)->text());
    });
    EXPECT_EQ(shown, (std::vector<QString>{QStringLiteral("50 ms"), QStringLiteral("150 ms"),
                                           QStringLiteral("50 ms"), QStringLiteral("50 ms")}));
    EXPECT_EQ(app.settings.autoPlaySleep, 150);
    EXPECT_EQ(app.settings.removeTileTime, 50);
}

TEST_F(ConfigDialogTest, SizesAtTheirLimitsChangeNothingAndRedrawNothing) {
    app.settings.borderSize = 10;
    app.settings.shadowSize = 2;
    std::vector<QString> shown;
    bool unchanged = false;
    WithDialog([&](ConfigurationDialog& dialog) {
        const Redraws before = Count();
        dialog.PlusButton(Border)->click();
        dialog.MinusButton(Shadow)->click();
        unchanged = Count() == before;
        shown.push_back(dialog.Value(Border)->text());
        shown.push_back(dialog.Value(Shadow)->text());
    });
    EXPECT_TRUE(unchanged);
    EXPECT_EQ(shown, (std::vector<QString>{QStringLiteral("1 / 10"), QStringLiteral("1 / 2")}));
    EXPECT_EQ(app.settings.borderSize, 10);
    EXPECT_EQ(app.settings.shadowSize, 2);
}

TEST_F(ConfigDialogTest, ASizeStepRecutsPlacesAndDrawsAtOnce) {
    app.settings.borderSize = 10;
    app.settings.shadowSize = 24;
    Redraws afterBorder{};
    Redraws afterShadow{};
    Redraws before{};
    std::vector<QString> shown;
    WithDialog([&](ConfigurationDialog& dialog) {
        before = Count();
        dialog.MinusButton(Border)->click();
        afterBorder = Count();
        dialog.PlusButton(Shadow)->click();
        dialog.PlusButton(Shadow)->click();  // 25 is the limit
        afterShadow = Count();
        shown.push_back(dialog.Value(Border)->text());
        shown.push_back(dialog.Value(Shadow)->text());
    });
    EXPECT_EQ(afterBorder, (Redraws{before.cuts + 1, before.places + 1, before.ticks + 1}));
    EXPECT_EQ(afterShadow, (Redraws{before.cuts + 2, before.places + 2, before.ticks + 2}));
    EXPECT_EQ(shown, (std::vector<QString>{QStringLiteral("1 / 9"), QStringLiteral("1 / 25")}));
    EXPECT_EQ(app.settings.borderSize, 9);
    EXPECT_EQ(app.settings.shadowSize, 25);
}

// Enter means OK wherever the focus is; Space on a focused step button presses it.
TEST_F(ConfigDialogTest, KeyboardSpaceStepsAndEnterCloses) {
    app.settings.autoPlaySleep = 200;
    bool closedByEnter = false;
    WithDialog([&](ConfigurationDialog& dialog) {
        dialog.PlusButton(AutoPlay)->setFocus();
        PressKey(dialog.PlusButton(AutoPlay), Qt::Key_Space, QStringLiteral(" "));
        PressKey(dialog.PlusButton(AutoPlay), Qt::Key_Return);
        closedByEnter = !dialog.isVisible() && dialog.result() == QDialog::Accepted;
    });
    EXPECT_TRUE(closedByEnter);
    EXPECT_EQ(app.settings.autoPlaySleep, 300);
}

TEST(ConfigurationDialog, ThreeDExtrasReportTheirStateAndTheChosenEntry) {
    DialogTestApp();
    ConfigurationDialog dialog(DialogTexts{"Settings", {"OK"}}, {{"Autoplay delay", "500 ms"}},
                               nullptr, nullptr);
    const int move = dialog.AddCheckBox("Move the board when paused", true);
    const int bump = dialog.AddCheckBox("Bump mapping", false);
    EXPECT_EQ(dialog.ChosenItem(), -1);
    dialog.AddChoiceList("Texture size:", {"64x64 pixels", "128x128 pixels", "256x256 pixels"}, 1);
    EXPECT_TRUE(dialog.IsChecked(move));
    EXPECT_FALSE(dialog.IsChecked(bump));
    EXPECT_FALSE(dialog.IsChecked(7));
    EXPECT_EQ(dialog.ChosenItem(), 1);
    // Without a callback a press changes nothing.
    dialog.PlusButton(0)->click();
    EXPECT_EQ(dialog.Value(0)->text(), QStringLiteral("500 ms"));
}
