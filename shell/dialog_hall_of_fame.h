// The hall of fame of the current layout: ten names and times, the fastest first.
#pragma once

#include <array>
#include <vector>

#include "shell/dialog_common.h"

class QLabel;

class HallOfFameDialog : public GameDialog {
    Q_OBJECT

public:
    static constexpr int kRows = 10;

    // `texts.labels` = { name heading, time heading, OK }. `rows` come fastest first; the dialog
    // always shows ten rows, empty ones for missing entries, and ignores any beyond the tenth.
    HallOfFameDialog(const DialogTexts& texts, const std::vector<HallRow>& rows, QWidget* owner);

    QLabel* NameAt(int row) const { return names_[static_cast<std::size_t>(row)]; }
    QLabel* TimeAt(int row) const { return times_[static_cast<std::size_t>(row)]; }

private:
    std::array<QLabel*, kRows> names_{};
    std::array<QLabel*, kRows> times_{};
};
