#include "shell/dialog_hall_of_fame.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

HallOfFameDialog::HallOfFameDialog(const DialogTexts& texts, const std::vector<HallRow>& rows,
                                   QWidget* owner)
    : GameDialog(owner, texts.caption) {
    setObjectName(QStringLiteral("HallOfFameDialog"));
    auto* group = new QGroupBox(this);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(TextWidth(4));
    grid->setColumnMinimumWidth(1, TextWidth(22));

    QFont bold = font();
    bold.setBold(true);
    auto* nameHeading = new QLabel(FromGameText(DialogLabel(texts, 0)), group);
    auto* timeHeading = new QLabel(FromGameText(DialogLabel(texts, 1)), group);
    nameHeading->setFont(bold);
    timeHeading->setFont(bold);
    grid->addWidget(nameHeading, 0, 1);
    grid->addWidget(timeHeading, 0, 2);

    for (int i = 0; i < kRows; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const bool given = index < rows.size();
        auto* rank = new QLabel(QStringLiteral("%1.").arg(i + 1), group);
        rank->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        rank->setForegroundRole(QPalette::PlaceholderText);
        // Names are plain text, whatever characters a player typed.
        names_[index] = new QLabel(given ? FromGameText(rows[index].name) : QString(), group);
        names_[index]->setTextFormat(Qt::PlainText);
        times_[index] = new QLabel(given ? FromGameText(rows[index].time) : QString(), group);
        times_[index]->setTextFormat(Qt::PlainText);
        grid->addWidget(rank, i + 1, 0);
        grid->addWidget(names_[index], i + 1, 1);
        grid->addWidget(times_[index], i + 1, 2);
    }
    Body()->addWidget(group);
    FinishWithOk(DialogLabel(texts, 2));
    Body()->setSizeConstraint(QLayout::SetFixedSize);
    OkButton()->setFocus();
}
