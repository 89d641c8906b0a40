#include "shell/dialog_common.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

QString FromGameText(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToGameText(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

const std::string& DialogLabel(const DialogTexts& texts, std::size_t index) {
    static const std::string empty;
    return index < texts.labels.size() ? texts.labels[index] : empty;
}

GameDialog::GameDialog(QWidget* owner, const std::string& caption) : QDialog(owner) {
    setWindowTitle(FromGameText(caption));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    body_ = new QVBoxLayout(this);
    // The dialog is never smaller than its contents need, whatever the language and scale.
    body_->setSizeConstraint(QLayout::SetMinimumSize);
}

void GameDialog::FinishWithOk(const std::string& okText) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    ok_ = new QPushButton(FromGameText(okText.empty() ? std::string("OK") : okText), this);
    ok_->setObjectName(QStringLiteral("ok"));
    ok_->setDefault(true);
    ok_->setAutoDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(ok_);
    body_->addSpacing(fontMetrics().height() / 2);
    body_->addLayout(row);
}

int GameDialog::TextWidth(int characters) const {
    return fontMetrics().averageCharWidth() * characters;
}
