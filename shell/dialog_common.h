// What every dialog of the game shares: the game's UTF-8 texts turned into Qt strings and back, the
// modal frame with its caption and its OK button, and sizes taken from the font, so that each
// dialog reads the same at any screen scale and in any language.
#pragma once

#include <QDialog>
#include <QPushButton>

#include <cstddef>
#include <string>

#include "core/desktop.h"

class QVBoxLayout;

QString FromGameText(const std::string& text);
std::string ToGameText(const QString& text);

// Label `index` of `texts`, or the empty text when the caller gave fewer labels.
const std::string& DialogLabel(const DialogTexts& texts, std::size_t index);

// A modal dialog of the game: its caption, a column of contents and, at the bottom right, the OK
// button, which is the default button (Enter presses it wherever the focus is).
class GameDialog : public QDialog {
    Q_OBJECT

public:
    GameDialog(QWidget* owner, const std::string& caption);

    QPushButton* OkButton() const { return ok_; }

protected:
    QVBoxLayout* Body() const { return body_; }
    // Adds the OK row below everything else. An empty text (a language file without it) shows "OK".
    void FinishWithOk(const std::string& okText);
    // The width of `characters` average characters of the dialog's font.
    int TextWidth(int characters) const;

private:
    QVBoxLayout* body_ = nullptr;
    QPushButton* ok_ = nullptr;
};
