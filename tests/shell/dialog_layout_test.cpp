// Every dialog in every shipped language: no text is cut off, the dialog fits a small screen, and
// OK is the default button. With VARNEL_DIALOG_SHOTS set to a folder, each dialog is also saved
// there as a picture for a person to look at (run once more with QT_SCALE_FACTOR=2 for 200 %).
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>

#include <cstdlib>
#include <memory>

#include "settings/language.h"
#include "settings/resource_folders.h"
#include "shell/dialog_about.h"
#include "shell/dialog_colours.h"
#include "shell/dialog_config.h"
#include "shell/dialog_hall_of_fame.h"
#include "shell/dialog_language.h"
#include "shell/dialog_winner.h"
#include "tests/shell/dialog_test_support.h"

namespace {

QString WithoutMnemonic(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

// Lists each widget whose text does not fit the room the layout gave it.
std::vector<std::string> CutTexts(QDialog& dialog) {
    std::vector<std::string> cut;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (!widget->isVisible()) {
            continue;
        }
        const QFontMetrics metrics = widget->fontMetrics();
        QString text;
        int room = 0;
        bool fits = true;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            text = label->text();
            if (text.isEmpty()) {
                continue;
            }
            if (label->wordWrap()) {
                fits = label->height() >= label->heightForWidth(label->width());
            } else {
                room = label->contentsRect().width();
                fits =
                    room >= metrics.horizontalAdvance(text) && label->height() >= metrics.height();
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            text = WithoutMnemonic(button->text());
            room = button->width() - metrics.averageCharWidth();
            fits =
                room >= metrics.horizontalAdvance(text) +
                            (qobject_cast<QPushButton*>(button) ? 0 : button->iconSize().width());
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            text = group->title();
            fits = group->width() >= metrics.horizontalAdvance(text) + metrics.averageCharWidth();
        } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
            text = list->currentText();
            fits = list->width() >= list->minimumSizeHint().width();
        }
        if (!fits) {
            cut.push_back(ToGameText(text));
        }
    }
    return cut;
}

struct Shown {
    std::string name;
    std::unique_ptr<GameDialog> dialog;
};

std::vector<Shown> EveryDialog(const LanguageTexts& texts,
                               const std::vector<LanguageChoice>& choices) {
    auto t = [&texts](TextId id) { return texts.Text(id); };
    std::vector<Shown> all;
    all.push_back({"language", std::make_unique<LanguageChoiceDialog>("Varnel's mah-jong v2.4.2 2D",
                                                                      choices, 0)});
    all.push_back({"winner", std::make_unique<WinnerNameDialog>(
                                 DialogTexts{t(TextId::WINCAPTION),
                                             {t(TextId::HALLFAMETIME) + " : 00:07:42",
                                              t(TextId::WINNAME), t(TextId::OK)}},
                                 nullptr)});
    std::vector<HallRow> rows;
    rows.push_back({std::string(21, 'W'), "00:04:59"});
    for (int k = 1; k < 10; ++k) {
        rows.push_back(
            {"Tavrix", "00:" + std::string(k < 5 ? "0" : "") + std::to_string(k + 5) + ":00"});
    }
    all.push_back({"halloffame", std::make_unique<HallOfFameDialog>(
                                     DialogTexts{t(TextId::HALLFAMECAPTION),
                                                 {t(TextId::HALLFAMENAME), t(TextId::HALLFAMETIME),
                                                  t(TextId::OK)}},
                                     rows, nullptr)});
    const auto pick = [](int) { return Colour{}; };
    all.push_back(
        {"colours2d", std::make_unique<ColoursDialog>(
                          DialogTexts{t(TextId::COLORSCAPTION), {t(TextId::OK)}},
                          std::vector<ColourButton>{{t(TextId::COLORSBACK), {0, 64, 0, 255}},
                                                    {t(TextId::COLORSSIDE), {230, 210, 160, 255}}},
                          pick, nullptr)});
    std::vector<ColourButton> levels;
    for (TextId id : {TextId::COLORS3DLEVEL0, TextId::COLORS3DLEVEL1, TextId::COLORS3DLEVEL2,
                      TextId::COLORS3DLEVEL3, TextId::COLORS3DLEVEL4}) {
        levels.push_back({t(id), Colour{255, 240, 200, 255}});
    }
    levels.push_back({t(TextId::COLORSBACK), {0, 64, 0, 255}});
    levels.push_back({t(TextId::COLORSSIDE), {230, 210, 160, 255}});
    all.push_back(
        {"colours3d", std::make_unique<ColoursDialog>(
                          DialogTexts{t(TextId::COLORS3DCAPTION), {t(TextId::OK)}}, levels, pick,
                          nullptr, ColourGroup{t(TextId::COLORS3DLEVELGRP), 5})});
    const std::string ms = " " + t(TextId::MILLISECONDS);
    const auto step = [](int, int) { return std::string(); };
    all.push_back({"config2d", std::make_unique<ConfigurationDialog>(
                                   DialogTexts{t(TextId::CONFIGCAPTION), {t(TextId::OK)}},
                                   std::vector<ConfigRow>{{t(TextId::AUTOPLAYDELAY), "500" + ms},
                                                          {t(TextId::REMOVETILEDELAY), "300" + ms},
                                                          {t(TextId::BORDERSIZE), "1 / 6"},
                                                          {t(TextId::SHADOWSIZE), "1 / 12"}},
                                   step, nullptr)});
    auto config3d = std::make_unique<ConfigurationDialog>(
        DialogTexts{t(TextId::CONFIGCAPTION), {t(TextId::OK)}},
        std::vector<ConfigRow>{{t(TextId::AUTOPLAYDELAY), "500" + ms},
                               {t(TextId::REMOVETILEDELAY), "32"}},
        step, nullptr);
    config3d->AddCheckBox(t(TextId::MOVEBOARD), true);
    config3d->AddCheckBox(t(TextId::BUMPMAPPING), false);
    config3d->AddChoiceList(t(TextId::TEXTURESIZE),
                            {"64x64 pixels", "128x128 pixels", "256x256 pixels"}, 2);
    all.push_back({"config3d", std::move(config3d)});
    all.push_back({"about", std::make_unique<AboutDialog>(
                                DialogTexts{t(TextId::ABOUTCAPTION),
                                            {"Varnel's mah-jong v2.4.2 2D",
                                             t(TextId::ABOUTCOPYRIGHT), t(TextId::OK)}},
                                "/home/player/.local/share/varnels-mahjong", nullptr)});
    return all;
}

}  // namespace

TEST(DialogLayout, EveryDialogShowsItsTextsWholeInEveryShippedLanguage) {
    DialogTestApp();
    const ResourceFolders folders = MakeResourceFolders(GAME_DATA_DIR);
    FileList languages;
    BuildFileList(kLanguagePattern, folders.language, languages);
    ASSERT_GE(languages.size(), 6u);
    std::vector<LanguageChoice> choices;
    for (const FileEntry& entry : languages) {
        choices.push_back({entry.displayName, entry.fileName});
    }
    const char* shots = std::getenv("VARNEL_DIALOG_SHOTS");
    for (const FileEntry& language : languages) {
        LanguageTexts texts;
        ASSERT_TRUE(texts.LoadLanguage(folders, language.fileName)) << language.fileName;
        for (Shown& shown : EveryDialog(texts, choices)) {
            GameDialog& dialog = *shown.dialog;
            dialog.show();
            QApplication::processEvents();
            SCOPED_TRACE(shown.name + " in " + language.displayName);
            EXPECT_EQ(CutTexts(dialog), std::vector<std::string>{});
            EXPECT_TRUE(dialog.OkButton()->isDefault());
            // A 1024 x 768 screen holds every dialog.
            EXPECT_LE(dialog.frameGeometry().width(), 1024);
            EXPECT_LE(dialog.frameGeometry().height(), 700);
            if (shots != nullptr) {
                dialog.grab().save(QString::fromUtf8(shots) +
                                   QStringLiteral("/%1-%2.png")
                                       .arg(QString::fromStdString(shown.name),
                                            FromGameText(language.displayName)));
            }
            dialog.hide();
        }
    }
}

// The check above finds a cut text: a button squeezed below its text's width is reported.
TEST(DialogLayout, ASqueezedButtonIsReportedAsCut) {
    DialogTestApp();
    ColoursDialog dialog(DialogTexts{"Colours", {"OK"}},
                         {{"A rather long button text...", Colour{}}}, nullptr, nullptr);
    dialog.Button(0)->setFixedWidth(dialog.fontMetrics().averageCharWidth() * 5);
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(CutTexts(dialog), std::vector<std::string>{"A rather long button text..."});
}
