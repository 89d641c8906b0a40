// The first-run language choice: the list, its preselection, the result, and that only OK closes
// it.
#include <QComboBox>
#include <QLabel>

#include "settings/resource_folders.h"
#include "shell/dialog_language.h"
#include "shell/qt_desktop.h"
#include "tests/shell/dialog_test_support.h"
#include "tests/shell/shell_test_support.h"

namespace {

// The shipped language files, as the first run lists them.
std::vector<LanguageChoice> ShippedChoices() {
    const ResourceFolders folders = MakeResourceFolders(GAME_DATA_DIR);
    FileList list;
    BuildFileList(kLanguagePattern, folders.language, list);
    std::vector<LanguageChoice> choices;
    for (const FileEntry& entry : list) {
        choices.push_back({entry.displayName, entry.fileName});
    }
    return choices;
}

int IndexOf(const std::vector<LanguageChoice>& choices, const std::string& fileName) {
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].fileName == fileName) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

TEST(LanguageChoiceDialog, ListsEveryLanguageWithTheCurrentOneSelected) {
    DialogTestApp();
    const std::vector<LanguageChoice> choices = ShippedChoices();
    ASSERT_GE(choices.size(), 6u);
    const int english = IndexOf(choices, "English.txt");
    ASSERT_GE(english, 0);
    LanguageChoiceDialog dialog("Varnel's mah-jong v2.4.2 2D", choices, english);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Varnel's mah-jong v2.4.2 2D"));
    ASSERT_EQ(dialog.List()->count(), static_cast<int>(choices.size()));
    for (std::size_t i = 0; i < choices.size(); ++i) {
        EXPECT_EQ(dialog.List()->itemText(static_cast<int>(i)),
                  FromGameText(choices[i].displayName));
    }
    EXPECT_EQ(dialog.List()->currentText(), QStringLiteral("English"));
    EXPECT_EQ(dialog.ChosenIndex(), english);
    EXPECT_NE(
        dialog.findChild<QLabel*>()->text().indexOf(QStringLiteral("Please choose a language :")),
        -1);
    EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(dialog.OkButton()->isDefault());
}

TEST(LanguageChoiceDialog, ResultIsTheEntrySelectedEvenWhenTwoShareADisplayName) {
    DialogTestApp();
    const std::vector<LanguageChoice> choices = {
        {"Deutsch", "Deutsch.txt"}, {"English", "English.txt"}, {"English", "english.TXT"}};
    LanguageChoiceDialog dialog("t", choices, 1);
    dialog.List()->setCurrentIndex(2);
    EXPECT_EQ(dialog.ChosenIndex(), 2);
    dialog.List()->setCurrentIndex(0);
    EXPECT_EQ(dialog.ChosenIndex(), 0);
}

TEST(LanguageChoiceDialog, NoPreselectionShowsTheFirstEntryAndAnEmptyListGivesNone) {
    DialogTestApp();
    LanguageChoiceDialog some("t", {{"Deutsch", "Deutsch.txt"}, {"English", "English.txt"}}, -1);
    EXPECT_EQ(some.ChosenIndex(), 0);
    LanguageChoiceDialog none("t", {}, 3);
    EXPECT_EQ(none.ChosenIndex(), -1);
}

// Escape, the close request and reject() leave the dialog open; the title bar has no close box.
TEST(LanguageChoiceDialog, ClosesOnlyThroughOk) {
    ModalDriver driver;
    QtDesktop desktop;
    const std::vector<LanguageChoice> choices = ShippedChoices();
    bool stayedOpen = false;
    bool closeBox = true;
    driver.Then([&](QWidget* modal) {
        auto* dialog = qobject_cast<LanguageChoiceDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        closeBox = dialog->windowFlags().testFlag(Qt::WindowCloseButtonHint);
        PressKey(dialog, Qt::Key_Escape);
        dialog->close();
        static_cast<QDialog*>(dialog)->reject();
        stayedOpen = dialog->isVisible() && dialog->result() != QDialog::Accepted;
        // The keyboard picks another language, Enter confirms.
        dialog->List()->setFocus();
        dialog->List()->setCurrentIndex(dialog->List()->findText(QStringLiteral("Français")));
        PressKey(dialog->List(), Qt::Key_Return);
    });
    const int chosen = desktop.ChooseLanguage("Varnel's mah-jong v2.4.2 2D", choices,
                                              IndexOf(choices, "English.txt"));
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(closeBox);
    ASSERT_GE(chosen, 0);
    EXPECT_EQ(choices[static_cast<std::size_t>(chosen)].fileName, "Français.txt");
    EXPECT_EQ(driver.Forced(), 0);
    EXPECT_EQ(driver.Unexpected(), 0);
}

// The very first start: no settings file, the player picks Deutsch, and the game loads it.
TEST(LanguageChoiceDialog, FirstRunChoiceBecomesTheGameLanguage) {
    ModalDriver driver;
    GameFolder folder;
    fs::copy_file(fs::path(GAME_DATA_DIR) / "LANGUAGE" / "Deutsch.txt",
                  folder.File("LANGUAGE/Deutsch.txt"));
    QtDesktop desktop;
    TestApp app(desktop);
    app.SetStartFolder(folder.Path());
    QString shown;
    driver.Then([&](QWidget* modal) {
        auto* dialog = qobject_cast<LanguageChoiceDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        shown = dialog->List()->currentText();
        dialog->List()->setCurrentIndex(dialog->List()->findText(QStringLiteral("Deutsch")));
        dialog->OkButton()->click();
    });
    EXPECT_TRUE(app.OfferFirstRunLanguage());
    EXPECT_EQ(shown, QStringLiteral("English"));
    EXPECT_EQ(app.settings.language, "Deutsch.txt");
    ASSERT_TRUE(app.LoadSettings());
    EXPECT_EQ(app.Text(TextId::WINCAPTION), "Sie haben gewonnen!");
    EXPECT_EQ(driver.Seen(), std::vector<std::string>{"LanguageChoiceDialog"});
}
