#include "shell/dialog_about.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

QLabel* PlainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

AboutDialog::AboutDialog(const DialogTexts& texts, const std::string& gameFolder, QWidget* owner)
    : GameDialog(owner, texts.caption) {
    setObjectName(QStringLiteral("AboutDialog"));
    const int iconSize = fontMetrics().height() * 4;

    // The large program icon, drawn sharp on high-density screens; the window icon if the
    // compiled-in picture is missing.
    icon_ = new QLabel(this);
    QIcon icon(QStringLiteral(":/icon.png"));
    if (icon.availableSizes().isEmpty()) {
        icon = QApplication::windowIcon();
    }
    if (!icon.isNull()) {
        icon_->setPixmap(icon.pixmap(QSize(iconSize, iconSize), devicePixelRatioF()));
    }
    icon_->setFixedSize(iconSize, iconSize);

    title_ = PlainLabel(FromGameText(DialogLabel(texts, 0)), this);
    QFont big = font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.25);
    title_->setFont(big);

    copyright_ = PlainLabel(FromGameText(DialogLabel(texts, 1)), this);
    copyright_->setWordWrap(true);
    copyright_->setMinimumWidth(TextWidth(56));

    // Our own lines, the same in every language: version, licence and the game folder.
    version_ = PlainLabel(QLatin1String(kGameVersion), this);
    licence_ = PlainLabel(QStringLiteral("MIT"), this);
    // A long path is shortened in the middle; the whole path is the tooltip and can be copied.
    const QString folder = FromGameText(gameFolder);
    folder_ = PlainLabel(fontMetrics().elidedText(folder, Qt::ElideMiddle, TextWidth(60)), this);
    folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folder_->setToolTip(folder);
    auto* facts = new QFormLayout;
    facts->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    facts->setLabelAlignment(Qt::AlignLeft);
    auto label = [&texts](std::size_t index, const char* english) {
        const std::string& text = DialogLabel(texts, index);
        return text.empty() ? QString::fromLatin1(english) : FromGameText(text);
    };
    facts->addRow(label(3, "Version:"), version_);
    facts->addRow(label(4, "Licence:"), licence_);
    facts->addRow(label(5, "Game folder:"), folder_);

    auto* lines = new QVBoxLayout;
    lines->addWidget(title_);
    lines->addWidget(copyright_);
    lines->addSpacing(fontMetrics().height() / 2);
    lines->addLayout(facts);
    lines->addStretch(1);

    auto* top = new QHBoxLayout;
    top->setSpacing(fontMetrics().height());
    top->addWidget(icon_, 0, Qt::AlignTop);
    top->addLayout(lines, 1);
    Body()->addLayout(top);
    FinishWithOk(DialogLabel(texts, 2));
    OkButton()->setFocus();
}
