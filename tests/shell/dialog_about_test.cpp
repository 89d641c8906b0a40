// The About box: icon, title, the language's copyright line and our own lines.
#include <QDir>
#include <QFormLayout>
#include <QLabel>

#include "shell/dialog_about.h"
#include "shell/qt_desktop.h"
#include "tests/shell/dialog_test_support.h"
#include "tests/shell/shell_test_support.h"

TEST(AboutDialog, ShowsIconTitleCopyrightVersionLicenceAndTheGameFolder) {
    DialogTestApp();
    const DialogTexts texts{"About Varnel's mah-jong",
                            {"Varnel's mah-jong v2.4.2 2D", "Copyright line", "OK"}};
    AboutDialog dialog(texts, "/home/player/.local/share/varnels-mahjong", nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Varnel's mah-jong"));
    EXPECT_EQ(dialog.TitleLine()->text(), QStringLiteral("Varnel's mah-jong v2.4.2 2D"));
    EXPECT_EQ(dialog.CopyrightLine()->text(), QStringLiteral("Copyright line"));
    EXPECT_NE(dialog.VersionLine()->text().indexOf(QStringLiteral("2.4.2")), -1);
    EXPECT_NE(dialog.LicenceLine()->text().indexOf(QStringLiteral("MIT")), -1);
    EXPECT_NE(dialog.FolderLine()->text().indexOf(
                  QStringLiteral("/home/player/.local/share/varnels-mahjong")),
              -1);
    ASSERT_FALSE(dialog.Icon()->pixmap().isNull());
    EXPECT_GE(dialog.Icon()->pixmap().width(), 32);
    EXPECT_TRUE(dialog.OkButton()->isDefault());
}

// A very long folder is shortened in the middle so the box stays on screen; the tooltip has it
// whole.
TEST(AboutDialog, ALongGameFolderIsShortenedButKeptWholeInTheTooltip) {
    DialogTestApp();
    const std::string folder = "/home/" + std::string(300, 'p') + "/varnels-mahjong";
    AboutDialog dialog(DialogTexts{"About", {"Title", "Copyright", "OK"}}, folder, nullptr);
    EXPECT_EQ(dialog.FolderLine()->toolTip(), FromGameText(folder));
    EXPECT_LT(dialog.FolderLine()->text().size(), 200);
    EXPECT_NE(dialog.FolderLine()->text().indexOf(QStringLiteral("varnels-mahjong")), -1);
    dialog.show();
    EXPECT_LT(dialog.width(), 1200);
}

// HELP_ABOUT through the real desktop: the texts come from the language when the box opens.
TEST(AboutDialog, TheCommandShowsTheLanguagesTextsAndThePlayingFolder) {
    GameFolder folder;
    QtDesktop desktop;
    ModalDriver driver;
    RecordingWindow window;
    TestApp app(desktop);
    ASSERT_NO_FATAL_FAILURE(StartWithoutLanguageQuestion(app, folder, window));
    QString caption;
    QString title;
    QString copyright;
    QString folderLine;
    driver.Then([&](QWidget* modal) {
        auto* dialog = qobject_cast<AboutDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        caption = dialog->windowTitle();
        title = dialog->TitleLine()->text();
        copyright = dialog->CopyrightLine()->text();
        folderLine = dialog->FolderLine()->toolTip();
        PressKey(dialog, Qt::Key_Return);
    });
    app.ExecuteCommand(command::HELP_ABOUT);
    EXPECT_EQ(caption, FromGameText(app.Text(TextId::ABOUTCAPTION)));
    EXPECT_EQ(title, QStringLiteral("Varnel's mah-jong v2.4.2 2D"));
    EXPECT_EQ(copyright, FromGameText(app.Text(TextId::ABOUTCOPYRIGHT)));
    EXPECT_EQ(folderLine, QDir::currentPath());
    EXPECT_EQ(driver.Seen(), std::vector<std::string>{"AboutDialog"});
}

// The labels of our own lines are the language's; a language without them shows the English ones.
TEST(AboutDialog, LabelsOfTheOwnLinesAreTheLanguages) {
    DialogTestApp();
    auto labelOf = [](QLabel* field) {
        for (QFormLayout* layout : field->parentWidget()->findChildren<QFormLayout*>()) {
            if (auto* label = qobject_cast<QLabel*>(layout->labelForField(field))) {
                return label->text();
            }
        }
        return QString();
    };
    const struct {
        std::vector<std::string> labels;
        QString version, licence, folder;
    } cases[] = {
        {{"Title", "Copyright", "OK", "Versie:", "Licentie:", "Spelmap:"},
         QStringLiteral("Versie:"),
         QStringLiteral("Licentie:"),
         QStringLiteral("Spelmap:")},
        {{"Title", "Copyright", "OK"},
         QStringLiteral("Version:"),
         QStringLiteral("Licence:"),
         QStringLiteral("Game folder:")},
        {{"Title", "Copyright", "OK", "", "Lizenz:", ""},
         QStringLiteral("Version:"),
         QStringLiteral("Lizenz:"),
         QStringLiteral("Game folder:")},
    };
    for (const auto& c : cases) {
        AboutDialog dialog(DialogTexts{"About", c.labels}, "/games", nullptr);
        EXPECT_EQ(labelOf(dialog.VersionLine()), c.version);
        EXPECT_EQ(labelOf(dialog.LicenceLine()), c.licence);
        EXPECT_EQ(labelOf(dialog.FolderLine()), c.folder);
    }
}
