#include "shell/qt_desktop.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTranslator>
#include <QUrl>

#include <utility>

#include "settings/resource_folders.h"
#include "shell/dialog_about.h"
#include "shell/dialog_colours.h"
#include "shell/dialog_config.h"
#include "shell/dialog_hall_of_fame.h"
#include "shell/dialog_language.h"
#include "shell/dialog_winner.h"
#include "shell/help_window.h"

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) {
    QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Runs `work` on the GUI thread and returns its result; dialogs are only ever shown there.
template <typename Work>
auto OnGuiThread(Work&& work) -> decltype(work()) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread()) {
        return work();
    }
    using Result = decltype(work());
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(
            app, [&] { work(); }, Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(
            app, [&] { result = work(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

QColor ToQColor(Colour colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

}  // namespace

std::string QtNameFilter(const std::string& description, const std::string& pattern) {
    // "*.BMP;*.TGA" becomes "Pictures (*.BMP *.TGA)". The dialog matches names without regard to
    // case, so the player sees the plain pattern and still finds "mountain.jpg".
    std::string filters;
    std::size_t start = 0;
    while (start <= pattern.size()) {
        std::size_t end = pattern.find(';', start);
        if (end == std::string::npos) {
            end = pattern.size();
        }
        const std::string one = pattern.substr(start, end - start);
        if (!one.empty()) {
            if (!filters.empty()) {
                filters += ' ';
            }
            filters += one;
        }
        start = end + 1;
    }
    return description + " (" + filters + ")";
}

QtDesktop::QtDesktop() = default;

QtDesktop::~QtDesktop() {
    delete helpWindow_;
}

MessageAnswer QtDesktop::ShowMessage(const std::string& text, const std::string& caption,
                                     MessageIcon icon, MessageButtons buttons) {
    return OnGuiThread([&] {
        QMessageBox::Icon qtIcon = QMessageBox::Information;
        if (icon == MessageIcon::Warning) {
            qtIcon = QMessageBox::Warning;
        } else if (icon == MessageIcon::Error) {
            qtIcon = QMessageBox::Critical;
        }
        QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
        if (buttons == MessageButtons::OkCancel) {
            qtButtons |= QMessageBox::Cancel;
        }
        QMessageBox box(qtIcon, FromUtf8(caption), FromUtf8(text), qtButtons, owner_);
        box.setDefaultButton(QMessageBox::Ok);
        // The buttons say what the language file says; without its texts Qt names them.
        for (const auto& [button, label] :
             {std::pair{QMessageBox::Ok, &okText_}, std::pair{QMessageBox::Cancel, &cancelText_}}) {
            if (QAbstractButton* shown = box.button(button); shown != nullptr && !label->empty()) {
                shown->setText(FromUtf8(*label));
            }
        }
        return box.exec() == QMessageBox::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    });
}

bool QtDesktop::ChooseFile(const std::string& title, const std::string& folder,
                           const std::string& pattern, const std::string& description, bool save,
                           std::string& chosenPath) {
    return OnGuiThread([&] {
        QFileDialog dialog(owner_, FromUtf8(title), FromUtf8(folder));
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setNameFilter(FromUtf8(QtNameFilter(description, pattern)));
        // Names match their pattern in any case, as everywhere in the game's folders.
        dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
        if (save) {
            // A name typed without extension gets the pattern's first one.
            std::string extension = pattern;
            const std::size_t dot = extension.find('.');
            const std::size_t semicolon = extension.find(';');
            if (dot != std::string::npos) {
                extension =
                    extension.substr(dot + 1, semicolon == std::string::npos ? std::string::npos
                                                                             : semicolon - dot - 1);
                dialog.setDefaultSuffix(FromUtf8(extension).toLower());
            }
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return false;
        }
        chosenPath = ToUtf8(dialog.selectedFiles().constFirst());
        return true;
    });
}

Colour QtDesktop::PickColour(const std::string& title, Colour initial) {
    return OnGuiThread([&] {
        // Sixteen white custom colours every time: nothing is kept from one choice to the next.
        for (int i = 0; i < QColorDialog::customCount(); ++i) {
            QColorDialog::setCustomColor(i, Qt::white);
        }
        QColor chosen = QColorDialog::getColor(ToQColor(initial), owner_, FromUtf8(title),
                                               QColorDialog::DontUseNativeDialog);
        if (!chosen.isValid()) {
            return initial;
        }
        Colour result;
        result.red = static_cast<std::uint8_t>(chosen.red());
        result.green = static_cast<std::uint8_t>(chosen.green());
        result.blue = static_cast<std::uint8_t>(chosen.blue());
        result.alpha = 255;
        return result;
    });
}

std::string QtDesktop::AskWinnerName(const DialogTexts& texts) {
    return OnGuiThread([&] {
        WinnerNameDialog dialog(texts, owner_);
        dialog.exec();
        return dialog.Name();
    });
}

void QtDesktop::ShowHallOfFame(const DialogTexts& texts, const std::vector<HallRow>& rows) {
    OnGuiThread([&] {
        HallOfFameDialog dialog(texts, rows, owner_);
        dialog.exec();
    });
}

int QtDesktop::ChooseLanguage(const std::string& caption,
                              const std::vector<LanguageChoice>& choices, int preselected) {
    return OnGuiThread([&] {
        LanguageChoiceDialog dialog(caption, choices, preselected, owner_);
        dialog.exec();
        return dialog.ChosenIndex();
    });
}

void QtDesktop::ShowAbout(const DialogTexts& texts) {
    OnGuiThread([&] {
        // The game plays in the folder it was started in, unless the caller names it.
        std::string folder = texts.labels.size() > 6 ? texts.labels[6] : std::string();
        if (folder.empty()) {
            CurrentStartFolder(folder);
        }
        AboutDialog dialog(texts, folder, owner_);
        dialog.exec();
    });
}

void QtDesktop::ShowColourDialog(const DialogTexts& texts, const std::vector<ColourButton>& buttons,
                                 const std::function<Colour(int button)>& pick,
                                 const ColourGroup& group) {
    OnGuiThread([&] {
        ColoursDialog dialog(texts, buttons, pick, owner_, group);
        dialog.exec();
    });
}

void QtDesktop::ShowConfigDialog(const DialogTexts& texts, const std::vector<ConfigRow>& rows,
                                 const std::function<std::string(int row, int delta)>& step,
                                 ConfigExtras& extras) {
    OnGuiThread([&] {
        ConfigurationDialog dialog(texts, rows, step, owner_);
        std::vector<int> boxes;
        for (const ConfigExtras::CheckBox& box : extras.checkBoxes) {
            boxes.push_back(dialog.AddCheckBox(box.label, box.checked));
        }
        if (!extras.choiceLabel.empty()) {
            dialog.AddChoiceList(extras.choiceLabel, extras.choices, extras.chosen);
        }
        dialog.exec();
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            extras.checkBoxes[i].checked = dialog.IsChecked(boxes[i]);
        }
        if (!extras.choiceLabel.empty()) {
            extras.chosen = dialog.ChosenItem();
        }
    });
}

std::string QtLanguageCode(const std::string& languageFile) {
    // The shipped languages by their own names, as their files are called.
    static constexpr std::pair<const char*, const char*> kCodes[] = {
        {"Deutsch", "de"},  {"Español", "es"},    {"Français", "fr"},
        {"Italiano", "it"}, {"Nederlands", "nl"},
    };
    const QString name = QFileInfo(FromUtf8(languageFile)).completeBaseName();
    for (const auto& [language, code] : kCodes) {
        if (name.compare(QString::fromUtf8(language), Qt::CaseInsensitive) == 0) {
            return code;
        }
    }
    return {};
}

void QtDesktop::UseLanguage(const std::string& languageFile, const DialogTexts& texts) {
    okText_ = DialogLabel(texts, 0);
    cancelText_ = DialogLabel(texts, 1);
    OnGuiThread([&] {
        if (qtTranslator_ != nullptr) {
            QCoreApplication::removeTranslator(qtTranslator_.get());
            qtTranslator_.reset();
        }
        const std::string code = QtLanguageCode(languageFile);
        if (code.empty() || QCoreApplication::instance() == nullptr) {
            return;  // Qt speaks English
        }
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QLocale(QString::fromStdString(code)), QStringLiteral("qtbase"),
                             QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(translator.get());
            qtTranslator_ = std::move(translator);
        }
    });
}

bool QtDesktop::ShowHelp(const std::string& path, const DialogTexts& texts) {
    return OnGuiThread([&] {
        if (helpWindow_ == nullptr) {
            helpWindow_ = new HelpWindow;
        }
        return helpWindow_->Open(path, texts.caption, DialogLabel(texts, 0));
    });
}
