#include "shell/dialog_winner.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

QString KeepWinnerName(const QString& typed) {
    QString kept;
    int characters = 0;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < typed.size() && characters < kWinnerNameCharacters;) {
        // One character: a single UTF-16 unit or a surrogate pair.
        qsizetype units = 1;
        if (typed[i].isHighSurrogate() && i + 1 < typed.size() && typed[i + 1].isLowSurrogate()) {
            units = 2;
        }
        const QString character = typed.mid(i, units);
        const qsizetype size = character.toUtf8().size();
        if (bytes + size > kWinnerNameBytes) {
            break;
        }
        kept += character;
        bytes += size;
        ++characters;
        i += units;
    }
    return kept;
}

WinnerNameDialog::WinnerNameDialog(const DialogTexts& texts, QWidget* owner)
    : GameDialog(owner, texts.caption) {
    setObjectName(QStringLiteral("WinnerNameDialog"));
    timeLine_ = new QLabel(FromGameText(DialogLabel(texts, 0)), this);
    QFont bold = font();
    bold.setBold(true);
    timeLine_->setFont(bold);
    prompt_ = new QLabel(FromGameText(DialogLabel(texts, 1)), this);
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("name"));
    name_->setMaxLength(kWinnerNameCharacters);
    // Room for the longest name, wide letters included, so nothing typed scrolls out of sight.
    name_->setMinimumWidth(TextWidth(kWinnerNameCharacters * 3 / 2 + 4));
    prompt_->setBuddy(name_);
    // Pasted or typed text beyond the limits is cut at once, so the box shows what will be kept.
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QString kept = KeepWinnerName(text);
        if (kept != text) {
            name_->setText(kept);
        }
    });

    Body()->addWidget(timeLine_);
    Body()->addSpacing(fontMetrics().height() / 2);
    Body()->addWidget(prompt_);
    Body()->addWidget(name_);
    FinishWithOk(DialogLabel(texts, 2));
    Body()->setSizeConstraint(QLayout::SetFixedSize);
    name_->setFocus();
}

std::string WinnerNameDialog::Name() const {
    return ToGameText(KeepWinnerName(name_->text()));
}
