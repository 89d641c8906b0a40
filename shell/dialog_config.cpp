#include "shell/dialog_config.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

ConfigurationDialog::ConfigurationDialog(const DialogTexts& texts,
                                         const std::vector<ConfigRow>& rows,
                                         std::function<std::string(int row, int delta)> step,
                                         QWidget* owner)
    : GameDialog(owner, texts.caption), step_(std::move(step)) {
    setObjectName(QStringLiteral("ConfigurationDialog"));
    const QFontMetrics metrics = fontMetrics();
    // Every value box is as wide as the widest text a value is likely to reach, so the dialog
    // does not jump while the player steps.
    int valueWidth = metrics.horizontalAdvance(QStringLiteral("1 / 888"));
    for (const ConfigRow& row : rows) {
        QString wide = FromGameText(row.value);
        for (QChar& c : wide) {
            if (c.isDigit()) {
                c = QLatin1Char('8');
            }
        }
        valueWidth = std::max(valueWidth, metrics.horizontalAdvance(QStringLiteral("88") + wide));
    }
    const int stepWidth =
        std::max(metrics.height() * 2, metrics.horizontalAdvance(QStringLiteral("+")) * 4);

    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int index = static_cast<int>(i);
        const QString label = FromGameText(rows[i].label);
        auto* group = new QGroupBox(label, this);
        auto* line = new QHBoxLayout(group);
        auto* minus = new QPushButton(QStringLiteral("-"), group);
        auto* value = new QLabel(FromGameText(rows[i].value), group);
        auto* plus = new QPushButton(QStringLiteral("+"), group);
        // Enter stays with OK; Space or a click steps.
        minus->setAutoDefault(false);
        plus->setAutoDefault(false);
        // Narrow buttons for one sign, whatever minimum the style has for buttons with words.
        minus->setFixedWidth(stepWidth);
        plus->setFixedWidth(stepWidth);
        minus->setAccessibleName(label + QStringLiteral(" -"));
        plus->setAccessibleName(label + QStringLiteral(" +"));
        value->setTextFormat(Qt::PlainText);
        value->setAlignment(Qt::AlignCenter);
        value->setMinimumWidth(valueWidth);
        line->addWidget(minus);
        line->addWidget(value, 1);
        line->addWidget(plus);
        connect(minus, &QPushButton::clicked, this, [this, index, value] {
            if (step_) {
                value->setText(FromGameText(step_(index, -1)));
            }
        });
        connect(plus, &QPushButton::clicked, this, [this, index, value] {
            if (step_) {
                value->setText(FromGameText(step_(index, +1)));
            }
        });
        Body()->addWidget(group);
        minus_.push_back(minus);
        plus_.push_back(plus);
        values_.push_back(value);
    }
    extras_ = new QVBoxLayout;
    Body()->addLayout(extras_);
    FinishWithOk(DialogLabel(texts, 0));
    Body()->setSizeConstraint(QLayout::SetFixedSize);
    OkButton()->setFocus();
}

int ConfigurationDialog::AddCheckBox(const std::string& label, bool checked) {
    auto* box = new QCheckBox(FromGameText(label), this);
    box->setChecked(checked);
    extras_->addWidget(box);
    checkBoxes_.push_back(box);
    return static_cast<int>(checkBoxes_.size()) - 1;
}

bool ConfigurationDialog::IsChecked(int box) const {
    if (box < 0 || box >= static_cast<int>(checkBoxes_.size())) {
        return false;
    }
    return checkBoxes_[static_cast<std::size_t>(box)]->isChecked();
}

void ConfigurationDialog::AddChoiceList(const std::string& label,
                                        const std::vector<std::string>& items, int selected) {
    if (choices_ != nullptr) {
        return;  // one list per dialog
    }
    auto* line = new QHBoxLayout;
    auto* caption = new QLabel(FromGameText(label), this);
    choices_ = new QComboBox(this);
    caption->setBuddy(choices_);
    for (const std::string& item : items) {
        choices_->addItem(FromGameText(item));
    }
    if (selected >= 0 && selected < choices_->count()) {
        choices_->setCurrentIndex(selected);
    }
    line->addWidget(caption);
    line->addWidget(choices_, 1);
    extras_->addLayout(line);
}

int ConfigurationDialog::ChosenItem() const {
    return choices_ != nullptr ? choices_->currentIndex() : -1;
}
