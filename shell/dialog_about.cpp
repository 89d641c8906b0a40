#include "shell/dialog_about.h"

#include <QApplication>
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
    copyright_->setMinimumWidth(TextWidth(48));

    version_ = PlainLabel(QStringLiteral("Version %1").arg(QLatin1String(kGameVersion)), this);
    licence_ = PlainLabel(QStringLiteral("Free software under the MIT licence."), this);

    // A long path is shortened in the middle; the whole path is the tooltip and can be copied.
    const QString folder = FromGameText(gameFolder);
    folder_ = PlainLabel(QString(), this);
    folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folder_->setToolTip(folder);
    const QString prefix = QStringLiteral("Game folder: ");
    folder_->setText(prefix + fontMetrics().elidedText(folder, Qt::ElideMiddle, TextWidth(60)));

    auto* lines = new QVBoxLayout;
    lines->addWidget(title_);
    lines->addWidget(copyright_);
    lines->addSpacing(fontMetrics().height() / 2);
    lines->addWidget(version_);
    lines->addWidget(licence_);
    lines->addWidget(folder_);
    lines->addStretch(1);

    auto* top = new QHBoxLayout;
    top->setSpacing(fontMetrics().height());
    top->addWidget(icon_, 0, Qt::AlignTop);
    top->addLayout(lines, 1);
    Body()->addLayout(top);
    FinishWithOk(DialogLabel(texts, 2));
    OkButton()->setFocus();
}
