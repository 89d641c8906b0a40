#include "shell/dialog_colours.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

ColourSwatch::ColourSwatch(Colour colour, QWidget* parent) : QWidget(parent), colour_(colour) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ColourSwatch::Show(Colour colour) {
    colour_ = colour;
    update();
}

QSize ColourSwatch::sizeHint() const {
    const int height = fontMetrics().height();
    return QSize(height * 3, height + height / 2);
}

void ColourSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(area, QColor(colour_.red, colour_.green, colour_.blue));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(area);
}

ColoursDialog::ColoursDialog(const DialogTexts& texts, const std::vector<ColourButton>& buttons,
                             std::function<Colour(int button)> pick, QWidget* owner,
                             const ColourGroup& group)
    : GameDialog(owner, texts.caption), pick_(std::move(pick)) {
    setObjectName(QStringLiteral("ColoursDialog"));
    const int grouped = std::clamp(group.count, 0, static_cast<int>(buttons.size()));
    QGridLayout* groupGrid = nullptr;
    if (grouped > 0) {
        auto* box = new QGroupBox(FromGameText(group.title), this);
        groupGrid = new QGridLayout(box);
        Body()->addWidget(box);
    }
    auto* grid = new QGridLayout;
    Body()->addLayout(grid);

    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const int index = static_cast<int>(i);
        QGridLayout* target = index < grouped ? groupGrid : grid;
        const int row = index < grouped ? index : index - grouped;
        auto* button = new QPushButton(FromGameText(buttons[i].label), this);
        // Enter stays with OK; Space or a click presses a colour button.
        button->setAutoDefault(false);
        auto* swatch = new ColourSwatch(buttons[i].colour, this);
        connect(button, &QPushButton::clicked, this, [this, index, swatch] {
            if (pick_) {
                swatch->Show(pick_(index));
            }
        });
        target->addWidget(button, row, 0);
        target->addWidget(swatch, row, 1);
        buttons_.push_back(button);
        swatches_.push_back(swatch);
    }
    // The buttons of both columns line up whatever their texts.
    int widest = 0;
    for (QPushButton* button : buttons_) {
        widest = std::max(widest, button->sizeHint().width() + TextWidth(2));
    }
    for (QPushButton* button : buttons_) {
        button->setMinimumWidth(widest);
    }
    FinishWithOk(DialogLabel(texts, 0));
    Body()->setSizeConstraint(QLayout::SetFixedSize);
    OkButton()->setFocus();
}
