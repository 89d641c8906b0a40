#include "shell/qt_desktop.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

#include "shell/help_window.h"

namespace {

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

const std::string& Label(const DialogTexts& texts, std::size_t index)
{
    static const std::string empty;
    return index < texts.labels.size() ? texts.labels[index] : empty;
}

// Runs `work` on the GUI thread and returns its result; dialogs are only ever shown there.
template <typename Work>
auto OnGuiThread(Work&& work) -> decltype(work())
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread()) {
        return work();
    }
    using Result = decltype(work());
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(app, [&] { work(); }, Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(app, [&] { result = work(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

QColor ToQColor(Colour colour)
{
    return QColor(colour.red, colour.green, colour.blue);
}

void PaintSwatch(QLabel* swatch, Colour colour)
{
    swatch->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid #404040;")
                              .arg(ToQColor(colour).name()));
}

// The first-run language dialog closes only through OK.
class LanguageDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    void reject() override {}
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape) {
            event->accept();
            return;
        }
        QDialog::keyPressEvent(event);
    }
};

QPushButton* AddOkButton(QDialog& dialog, QBoxLayout* layout, const std::string& text)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(FromUtf8(text.empty() ? std::string("OK") : text), &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    row->addWidget(ok);
    layout->addLayout(row);
    return ok;
}

}  // namespace

std::string QtNameFilter(const std::string& description, const std::string& pattern)
{
    // "*.BMP;*.TGA" becomes "Pictures (*.[bB][mM][pP] *.[tT][gG][aA])".
    std::string filters;
    std::size_t start = 0;
    while (start <= pattern.size()) {
        std::size_t end = pattern.find(';', start);
        if (end == std::string::npos) {
            end = pattern.size();
        }
        std::string one = pattern.substr(start, end - start);
        if (!one.empty()) {
            std::string glob;
            for (char c : one) {
                const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                if (lower != upper) {
                    glob += '[';
                    glob += upper;
                    glob += lower;
                    glob += ']';
                } else {
                    glob += c;
                }
            }
            if (!filters.empty()) {
                filters += ' ';
            }
            filters += glob;
        }
        start = end + 1;
    }
    return description + " (" + filters + ")";
}

QtDesktop::QtDesktop() = default;

QtDesktop::~QtDesktop()
{
    delete helpWindow_;
}

MessageAnswer QtDesktop::ShowMessage(const std::string& text, const std::string& caption,
                                     MessageIcon icon, MessageButtons buttons)
{
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
        return box.exec() == QMessageBox::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    });
}

bool QtDesktop::ChooseFile(const std::string& title, const std::string& folder,
                           const std::string& pattern, const std::string& description, bool save,
                           std::string& chosenPath)
{
    return OnGuiThread([&] {
        QFileDialog dialog(owner_, FromUtf8(title), FromUtf8(folder));
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setNameFilter(FromUtf8(QtNameFilter(description, pattern)));
        if (save) {
            // A name typed without extension gets the pattern's first one.
            std::string extension = pattern;
            const std::size_t dot = extension.find('.');
            const std::size_t semicolon = extension.find(';');
            if (dot != std::string::npos) {
                extension = extension.substr(dot + 1, semicolon == std::string::npos
                                                          ? std::string::npos
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

Colour QtDesktop::PickColour(const std::string& title, Colour initial)
{
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

std::string QtDesktop::AskWinnerName(const DialogTexts& texts)
{
    return OnGuiThread([&] {
        QDialog dialog(owner_);
        dialog.setWindowTitle(FromUtf8(texts.caption));
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(FromUtf8(Label(texts, 0)), &dialog));
        layout->addWidget(new QLabel(FromUtf8(Label(texts, 1)), &dialog));
        auto* edit = new QLineEdit(&dialog);
        edit->setMaxLength(21);
        layout->addWidget(edit);
        AddOkButton(dialog, layout, Label(texts, 2));
        edit->setFocus();
        dialog.exec();
        return ToUtf8(edit->text());
    });
}

void QtDesktop::ShowHallOfFame(const DialogTexts& texts, const std::vector<HallRow>& rows)
{
    OnGuiThread([&] {
        QDialog dialog(owner_);
        dialog.setWindowTitle(FromUtf8(texts.caption));
        auto* layout = new QVBoxLayout(&dialog);
        auto* group = new QGroupBox(&dialog);
        auto* grid = new QGridLayout(group);
        QFont bold = dialog.font();
        bold.setBold(true);
        auto* nameHead = new QLabel(FromUtf8(Label(texts, 0)), group);
        auto* timeHead = new QLabel(FromUtf8(Label(texts, 1)), group);
        nameHead->setFont(bold);
        timeHead->setFont(bold);
        grid->addWidget(nameHead, 0, 0);
        grid->addWidget(timeHead, 0, 1);
        for (std::size_t i = 0; i < rows.size() && i < 10; ++i) {
            const int row = static_cast<int>(i) + 1;
            grid->addWidget(new QLabel(FromUtf8(rows[i].name), group), row, 0);
            grid->addWidget(new QLabel(FromUtf8(rows[i].time), group), row, 1);
        }
        grid->setHorizontalSpacing(32);
        layout->addWidget(group);
        AddOkButton(dialog, layout, Label(texts, 2));
        dialog.exec();
    });
}

int QtDesktop::ChooseLanguage(const std::string& caption,
                              const std::vector<LanguageChoice>& choices, int preselected)
{
    return OnGuiThread([&] {
        LanguageDialog dialog(owner_);
        dialog.setWindowTitle(FromUtf8(caption));
        dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        dialog.setObjectName(QStringLiteral("LanguageDialog"));
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(QStringLiteral("Please choose a language :"), &dialog));
        auto* list = new QComboBox(&dialog);
        for (std::size_t i = 0; i < choices.size(); ++i) {
            list->addItem(FromUtf8(choices[i].displayName), static_cast<int>(i));
        }
        list->model()->sort(0);
        if (preselected >= 0) {
            list->setCurrentIndex(list->findData(preselected));
        }
        layout->addWidget(list);
        AddOkButton(dialog, layout, "OK");
        dialog.exec();
        // The entry whose display name equals the chosen text gives the file.
        const std::string chosen = ToUtf8(list->currentText());
        for (std::size_t i = 0; i < choices.size(); ++i) {
            if (choices[i].displayName == chosen) {
                return static_cast<int>(i);
            }
        }
        return -1;
    });
}

void QtDesktop::ShowAbout(const DialogTexts& texts)
{
    OnGuiThread([&] {
        QDialog dialog(owner_);
        dialog.setWindowTitle(FromUtf8(texts.caption));
        auto* layout = new QVBoxLayout(&dialog);
        auto* top = new QHBoxLayout;
        auto* icon = new QLabel(&dialog);
        QIcon programIcon = QApplication::windowIcon();
        if (!programIcon.isNull()) {
            icon->setPixmap(programIcon.pixmap(64, 64));
        }
        top->addWidget(icon, 0, Qt::AlignTop);
        auto* lines = new QVBoxLayout;
        auto* title = new QLabel(FromUtf8(Label(texts, 0)), &dialog);
        QFont bold = dialog.font();
        bold.setBold(true);
        bold.setPointSizeF(bold.pointSizeF() * 1.2);
        title->setFont(bold);
        lines->addWidget(title);
        auto* copyright = new QLabel(FromUtf8(Label(texts, 1)), &dialog);
        copyright->setWordWrap(true);
        lines->addWidget(copyright);
        top->addLayout(lines, 1);
        layout->addLayout(top);
        AddOkButton(dialog, layout, Label(texts, 2));
        dialog.setMinimumWidth(420);
        dialog.exec();
    });
}

void QtDesktop::ShowColourDialog(const DialogTexts& texts, const std::vector<ColourButton>& buttons,
                                 const std::function<Colour(int button)>& pick)
{
    OnGuiThread([&] {
        QDialog dialog(owner_);
        dialog.setWindowTitle(FromUtf8(texts.caption));
        auto* layout = new QVBoxLayout(&dialog);
        auto* grid = new QGridLayout;
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            const int row = static_cast<int>(i);
            auto* button = new QPushButton(FromUtf8(buttons[i].label), &dialog);
            auto* swatch = new QLabel(&dialog);
            swatch->setFixedSize(48, 24);
            PaintSwatch(swatch, buttons[i].colour);
            QObject::connect(button, &QPushButton::clicked, &dialog,
                             [&pick, swatch, row] { PaintSwatch(swatch, pick(row)); });
            grid->addWidget(button, row, 0);
            grid->addWidget(swatch, row, 1);
        }
        layout->addLayout(grid);
        AddOkButton(dialog, layout, Label(texts, 0));
        dialog.exec();
    });
}

void QtDesktop::ShowConfigDialog(const DialogTexts& texts, const std::vector<ConfigRow>& rows,
                                 const std::function<std::string(int row, int delta)>& step)
{
    OnGuiThread([&] {
        QDialog dialog(owner_);
        dialog.setWindowTitle(FromUtf8(texts.caption));
        auto* layout = new QVBoxLayout(&dialog);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const int row = static_cast<int>(i);
            auto* group = new QGroupBox(FromUtf8(rows[i].label), &dialog);
            auto* line = new QHBoxLayout(group);
            auto* minus = new QPushButton(QStringLiteral("-"), group);
            auto* value = new QLabel(FromUtf8(rows[i].value), group);
            auto* plus = new QPushButton(QStringLiteral("+"), group);
            minus->setFixedWidth(32);
            plus->setFixedWidth(32);
            value->setAlignment(Qt::AlignCenter);
            value->setMinimumWidth(90);
            line->addWidget(minus);
            line->addWidget(value, 1);
            line->addWidget(plus);
            QObject::connect(minus, &QPushButton::clicked, &dialog,
                             [&step, value, row] { value->setText(FromUtf8(step(row, -1))); });
            QObject::connect(plus, &QPushButton::clicked, &dialog,
                             [&step, value, row] { value->setText(FromUtf8(step(row, +1))); });
            layout->addWidget(group);
        }
        AddOkButton(dialog, layout, Label(texts, 0));
        dialog.exec();
    });
}

bool QtDesktop::ShowHelp(const std::string& path, const std::string& title)
{
    return OnGuiThread([&] {
        if (helpWindow_ == nullptr) {
            helpWindow_ = new HelpWindow;
        }
        return helpWindow_->Open(path, title);
    });
}
