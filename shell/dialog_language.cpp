#include "shell/dialog_language.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

LanguageChoiceDialog::LanguageChoiceDialog(const std::string& caption,
                                           const std::vector<LanguageChoice>& choices,
                                           int preselected, QWidget* owner)
    : GameDialog(owner, caption) {
    // A title bar without a close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setObjectName(QStringLiteral("LanguageChoiceDialog"));

    // No language is loaded yet, so these texts are the dialog's own.
    auto* prompt = new QLabel(QStringLiteral("Please choose a language :"), this);
    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("languages"));
    prompt->setBuddy(list_);
    // Each entry carries its index, so two files with the same display name stay apart.
    for (std::size_t i = 0; i < choices.size(); ++i) {
        list_->addItem(FromGameText(choices[i].displayName), static_cast<int>(i));
    }
    if (preselected >= 0 && preselected < static_cast<int>(choices.size())) {
        list_->setCurrentIndex(list_->findData(preselected));
    }
    list_->setMinimumWidth(TextWidth(24));
    Body()->addWidget(prompt);
    Body()->addWidget(list_);
    FinishWithOk("OK");
    Body()->setSizeConstraint(QLayout::SetFixedSize);
    list_->setFocus();
}

int LanguageChoiceDialog::ChosenIndex() const {
    if (list_->currentIndex() < 0) {
        return -1;
    }
    return list_->currentData().toInt();
}

void LanguageChoiceDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    GameDialog::keyPressEvent(event);
}

void LanguageChoiceDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
}
