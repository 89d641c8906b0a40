// The winner's dialog: the winning time, a prompt and the box for the name that goes into the
// hall of fame.
#pragma once

#include <string>

#include "shell/dialog_common.h"

class QLabel;
class QLineEdit;

// A hall-of-fame name keeps at most 21 characters. The record holds 22 bytes of text, so a name is
// also kept within 22 bytes of UTF-8, and a character is never cut in half.
inline constexpr int kWinnerNameCharacters = 21;
inline constexpr int kWinnerNameBytes = 22;

// The part of `typed` that the hall of fame keeps.
QString KeepWinnerName(const QString& typed);

class WinnerNameDialog : public GameDialog {
    Q_OBJECT

public:
    // `texts.labels` = { time line, name prompt, OK }.
    WinnerNameDialog(const DialogTexts& texts, QWidget* owner);

    QLabel* TimeLine() const { return timeLine_; }
    QLabel* Prompt() const { return prompt_; }
    QLineEdit* NameBox() const { return name_; }
    // The name as typed, within the limits above (also when the dialog was closed otherwise).
    std::string Name() const;

private:
    QLabel* timeLine_ = nullptr;
    QLabel* prompt_ = nullptr;
    QLineEdit* name_ = nullptr;
};
