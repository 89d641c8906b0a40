// The desktop's own words in the player's language: the buttons of the message boxes take the
// language file's OK and Cancel, and Qt's own texts (file and colour choosers, key names) come
// from Qt's translations of the current language.
#include <QAbstractButton>
#include <QKeySequence>
#include <QMessageBox>

#include <fstream>

#include "shell/qt_desktop.h"
#include "tests/shell/dialog_test_support.h"
#include "tests/shell/shell_test_support.h"

TEST(DesktopLanguage, LanguageFilesNameTheirQtTranslation) {
    const struct {
        const char* file;
        const char* code;
    } cases[] = {{"Deutsch.txt", "de"},  {"Español.txt", "es"},    {"Français.txt", "fr"},
                 {"Italiano.txt", "it"}, {"Nederlands.txt", "nl"}, {"English.txt", ""},
                 {"Klingon.txt", ""},    {"deutsch.TXT", "de"},    {"", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(QtLanguageCode(c.file), c.code) << c.file;
    }
}

// The Cancel and OK of a question are the language file's words; before any language they are
// Qt's own.
TEST(DesktopLanguage, MessageBoxButtonsSayWhatTheLanguageFileSays) {
    QtDesktop desktop;
    ModalDriver driver;
    const struct {
        bool useLanguage;
        QString ok;
        QString cancel;
    } cases[] = {{false, QStringLiteral("OK"), QStringLiteral("Cancel")},
                 {true, QStringLiteral("Einverstanden"), QStringLiteral("Abbrechen")}};
    for (const auto& c : cases) {
        if (c.useLanguage) {
            desktop.UseLanguage("Testish.txt", DialogTexts{{}, {"Einverstanden", "Abbrechen"}});
        }
        QString ok;
        QString cancel;
        driver.Then([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            ok = box->button(QMessageBox::Ok)->text().remove(QLatin1Char('&'));
            cancel = box->button(QMessageBox::Cancel)->text().remove(QLatin1Char('&'));
            box->button(QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(
            desktop.ShowMessage("Go on?", "title", MessageIcon::Warning, MessageButtons::OkCancel),
            MessageAnswer::Cancel);
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(cancel, c.cancel);
    }
}

// Qt's own texts follow the language: German names the Ctrl key "Strg" once the German language
// file is chosen, and English again after English is chosen.
TEST(DesktopLanguage, QtsOwnTextsFollowTheLanguage) {
    DialogTestApp();
    QtDesktop desktop;
    const QKeySequence keys(QStringLiteral("Ctrl+N"));
    desktop.UseLanguage("Deutsch.txt", DialogTexts{{}, {"OK", "Abbrechen"}});
    if (keys.toString(QKeySequence::NativeText) == QStringLiteral("Ctrl+N")) {
        GTEST_SKIP() << "Qt's translations (qt6-translations-l10n) are not installed";
    }
    EXPECT_EQ(keys.toString(QKeySequence::NativeText), QStringLiteral("Strg+N"));
    desktop.UseLanguage("English.txt", DialogTexts{{}, {"OK", "Cancel"}});
    EXPECT_EQ(keys.toString(QKeySequence::NativeText), QStringLiteral("Ctrl+N"));
}

// The game tells the desktop its language at start-up and at each change, with the language
// file's OK and Cancel.
TEST(DesktopLanguage, TheGameTellsTheDesktopItsLanguage) {
    GameFolder folder;
    std::ofstream(folder.File("LANGUAGE/Testish.txt"))
        << "OK = \"Einverstanden\"\nCANCEL = \"Abbrechen\"\n";
    ScriptedDesktop desktop;
    RecordingWindow window;
    TestApp app(desktop);
    StartIn(app, folder, window);
    EXPECT_EQ(desktop.usedLanguage, "English.txt");
    EXPECT_EQ(desktop.buttonTexts, (std::vector<std::string>{"OK", "Cancel"}));
    const int testish = LanguageMenuEntry(app, "Testish.txt");
    ASSERT_NE(testish, 0);
    app.ExecuteCommand(testish);
    EXPECT_EQ(desktop.usedLanguage, "Testish.txt");
    EXPECT_EQ(desktop.buttonTexts, (std::vector<std::string>{"Einverstanden", "Abbrechen"}));
    // The About box's own labels come from the language too (English where it has none).
    app.ExecuteCommand(command::HELP_ABOUT);
    const auto about = desktop.Calls(ScriptedDesktop::Call::About);
    ASSERT_EQ(about.size(), 1u);
    EXPECT_EQ(about[0].labels,
              (std::vector<std::string>{app.TitleText(), app.Text(TextId::ABOUTCOPYRIGHT),
                                        "Einverstanden", "Version:", "Licence:", "Game folder:"}));
}
