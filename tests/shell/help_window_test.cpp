// The help command opens the page of the current language, or the fallback page when that one is
// missing; the help window shows the page and keeps quiet about pages that do not exist.
#include <gtest/gtest.h>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextDocument>

#include "shell/help_window.h"
#include "shell/qt_desktop.h"
#include "tests/shell/media_test_support.h"
#include "tests/shell/shell_test_support.h"

namespace {

using media_test::DataFile;

class HelpCommandTest : public ShellTest {
protected:
    void SetUp() override {}
    // Starts the game after copying the shipped language files and help pages named.
    void StartWith(std::initializer_list<const char*> files) {
        for (const char* file : files) {
            fs::copy_file(DataFile(std::string("LANGUAGE/") + file),
                          folder.File(std::string("LANGUAGE/") + file),
                          fs::copy_options::overwrite_existing);
        }
        Start();
    }
    // Chooses the language file `name` through its menu entry.
    void ChooseLanguage(const std::string& name) {
        const int entry = LanguageMenuEntry(*app, name);
        if (entry == 0) {
            ADD_FAILURE() << name << " is not in the language menu";
            return;
        }
        app->ExecuteCommand(entry);
    }
    std::string OpenedHelp() {
        desktop.Clear();
        app->ExecuteCommand(command::HELP_FILE);
        const auto calls = desktop.Calls(ScriptedDesktop::Call::Help);
        return calls.empty() ? std::string() : calls.back().text;
    }
};

TEST_F(HelpCommandTest, OpensThePageOfTheCurrentLanguage) {
    StartWith({"Deutsch.txt", "Deutsch.html", "Italiano.txt", "Italiano.html"});
    EXPECT_EQ(OpenedHelp(), folder.File("LANGUAGE/English.html"));
    ChooseLanguage("Deutsch.txt");
    EXPECT_EQ(OpenedHelp(), folder.File("LANGUAGE/Deutsch.html"));
    ChooseLanguage("Italiano.txt");
    EXPECT_EQ(OpenedHelp(), folder.File("LANGUAGE/Italiano.html"));
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Help).back().caption, app->TitleText());
}

TEST_F(HelpCommandTest, LanguageWithoutPageFallsBackToEnglish) {
    StartWith({"Deutsch.txt", "Nederlands.html"});
    ChooseLanguage("Deutsch.txt");
    EXPECT_EQ(OpenedHelp(), folder.File("LANGUAGE/English.html"));
}

TEST_F(HelpCommandTest, WithoutEnglishPageAnyPageOfTheFolderIsOpened) {
    StartWith({"Deutsch.txt", "Nederlands.html"});
    fs::remove(folder.File("LANGUAGE/English.html"));
    ChooseLanguage("Deutsch.txt");
    EXPECT_EQ(OpenedHelp(), folder.File("LANGUAGE/Nederlands.html"));
}

TEST_F(HelpCommandTest, NoPageAtAllIsIgnoredQuietly) {
    StartWith({"Deutsch.txt"});
    fs::remove(folder.File("LANGUAGE/English.html"));
    ChooseLanguage("Deutsch.txt");
    EXPECT_EQ(OpenedHelp(), "");
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::Message), 0);
    EXPECT_FALSE(app->IsShutDown());
}

class HelpWindowTest : public ::testing::Test {
protected:
    void SetUp() override { media_test::Qt(); }
};

TEST_F(HelpWindowTest, ShowsThePageWithTheGameTitleAndReusesTheWindow) {
    QtDesktop desktop;
    const std::string english = DataFile("LANGUAGE/English.html");
    ASSERT_TRUE(desktop.ShowHelp(english, DialogTexts{"Varnel's mah-jong v2.4.2 2D", {"Close"}}));
    HelpWindow* window = desktop.Help();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle().toStdString(), "Varnel's mah-jong v2.4.2 2D");
    EXPECT_EQ(fs::path(window->PagePath()), fs::canonical(english));
    const QString text = window->Browser()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Varnel's mah-jong")));
    EXPECT_GT(text.size(), 2000) << "the whole page, not an error text";

    window->resize(900, 700);
    QCoreApplication::processEvents();
    window->grab().save(QStringLiteral("/tmp/varnel-help-window.png"));

    const std::string german = DataFile("LANGUAGE/Deutsch.html");
    ASSERT_TRUE(desktop.ShowHelp(german, DialogTexts{"Titel", {"Close"}}));
    EXPECT_EQ(desktop.Help(), window) << "one help window for every request";
    EXPECT_EQ(fs::path(window->PagePath()), fs::canonical(german));
    EXPECT_TRUE(window->Browser()->toPlainText().contains(QStringLiteral("Hilfe")) ||
                window->Browser()->documentTitle().contains(QStringLiteral("Hilfe")));
}

TEST_F(HelpWindowTest, MissingPageIsRefusedAndLeavesTheWindowAsItWas) {
    QtDesktop desktop;
    EXPECT_FALSE(desktop.ShowHelp("/no/such/folder/English.html", DialogTexts{"t", {"Close"}}));
    EXPECT_FALSE(desktop.ShowHelp("", DialogTexts{"t", {"Close"}}));
    EXPECT_FALSE(desktop.ShowHelp(DataFile("LANGUAGE"), DialogTexts{"t", {"Close"}}))
        << "a folder is no page";
    if (desktop.Help() != nullptr) {
        EXPECT_FALSE(desktop.Help()->isVisible());
    }
    const std::string english = DataFile("LANGUAGE/English.html");
    ASSERT_TRUE(desktop.ShowHelp(english, DialogTexts{"t", {"Close"}}));
    EXPECT_FALSE(desktop.ShowHelp("/no/such/page.html", DialogTexts{"other", {"Close"}}));
    EXPECT_EQ(fs::path(desktop.Help()->PagePath()), fs::canonical(english));
    EXPECT_EQ(desktop.Help()->windowTitle().toStdString(), "t");
}

TEST_F(HelpWindowTest, PageAnchorsNavigateInsideTheWindow) {
    HelpWindow window;
    ASSERT_TRUE(window.Open(DataFile("LANGUAGE/English.html"), "t", "Close"));
    QTextBrowser* browser = window.Browser();
    EXPECT_FALSE(browser->isBackwardAvailable());
    // The page's own table of contents links to its sections.
    const QString html = browser->toHtml();
    const qsizetype link = html.indexOf(QStringLiteral("href=\"#"));
    ASSERT_GE(link, 0) << "the page has a table of contents";
    const qsizetype start = link + 6;
    const QString anchor = html.mid(start, html.indexOf(QLatin1Char('"'), start) - start);
    browser->setSource(QUrl(anchor));
    EXPECT_TRUE(browser->isBackwardAvailable());
    browser->backward();
    EXPECT_EQ(fs::path(window.PagePath()), fs::canonical(DataFile("LANGUAGE/English.html")));
}

}  // namespace

// The help window closes as other windows do: its Close button, labelled in the player's
// language, Escape and Ctrl+W.
TEST_F(HelpWindowTest, CloseButtonEscapeAndCtrlWCloseTheWindow) {
    QtDesktop desktop;
    const std::string english = DataFile("LANGUAGE/English.html");
    for (const char* way : {"button", "Escape", "Ctrl+W"}) {
        SCOPED_TRACE(way);
        ASSERT_TRUE(desktop.ShowHelp(english, DialogTexts{"t", {"Schließen"}}));
        HelpWindow* window = desktop.Help();
        ASSERT_TRUE(window->isVisible());
        EXPECT_EQ(window->CloseButton()->text().toStdString(), "Schließen");
        if (std::string(way) == "button") {
            window->CloseButton()->click();
        } else {
            bool found = false;
            for (QShortcut* shortcut : window->findChildren<QShortcut*>()) {
                if (shortcut->key() == QKeySequence(QString::fromLatin1(way))) {
                    emit shortcut->activated();
                    found = true;
                    break;
                }
            }
            ASSERT_TRUE(found);
        }
        EXPECT_FALSE(window->isVisible());
    }
}
