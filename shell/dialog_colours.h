// The colour dialog: one button per colour with a swatch beside it. A press asks for the colour
// (through the callback, which stores it at once and does whatever the new colour needs, such as
// re-cutting the tile set for a new side colour) and the swatch shows the result. There is no
// cancel. The 3D editions put their five level colours in a titled group above the others.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "shell/dialog_common.h"
#include "shell/shell_desktop.h"

// A filled rectangle showing one colour.
class ColourSwatch : public QWidget {
    Q_OBJECT

public:
    ColourSwatch(Colour colour, QWidget* parent);
    Colour Shown() const { return colour_; }
    void Show(Colour colour);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Colour colour_;
};

class ColoursDialog : public GameDialog {
    Q_OBJECT

public:
    // `texts.labels` = { OK }. `pick(i)` is called for a press of button i and returns the colour
    // now in force.
    ColoursDialog(const DialogTexts& texts, const std::vector<ColourButton>& buttons,
                  std::function<Colour(int button)> pick, QWidget* owner,
                  const ColourGroup& group = ColourGroup{});

    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    QPushButton* Button(int i) const { return buttons_[static_cast<std::size_t>(i)]; }
    Colour SwatchColour(int i) const { return swatches_[static_cast<std::size_t>(i)]->Shown(); }

private:
    std::function<Colour(int)> pick_;
    std::vector<QPushButton*> buttons_;
    std::vector<ColourSwatch*> swatches_;
};
