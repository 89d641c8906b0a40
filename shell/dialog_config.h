// The configuration dialog: for each setting a titled group with "-", the value and "+". A press
// goes to the callback, which applies the step within the setting's limits (putting it in force
// at once) and returns the text to show. The 3D editions add check boxes and a list of choices
// below the groups.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "shell/dialog_common.h"
#include "shell/shell_desktop.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QVBoxLayout;

class ConfigurationDialog : public GameDialog {
    Q_OBJECT

public:
    // `texts.labels` = { OK }. `step(row, -1 or +1)` is called for a press of "-" or "+".
    ConfigurationDialog(const DialogTexts& texts, const std::vector<ConfigRow>& rows,
                        std::function<std::string(int row, int delta)> step, QWidget* owner);

    int RowCount() const { return static_cast<int>(values_.size()); }
    QPushButton* MinusButton(int row) const { return minus_[static_cast<std::size_t>(row)]; }
    QPushButton* PlusButton(int row) const { return plus_[static_cast<std::size_t>(row)]; }
    QLabel* Value(int row) const { return values_[static_cast<std::size_t>(row)]; }

    // Extras of the 3D editions, added before the dialog is shown. A check box; returns its index.
    int AddCheckBox(const std::string& label, bool checked);
    bool IsChecked(int box) const;
    // A labelled drop-down list with `selected` shown (-1: the first entry).
    void AddChoiceList(const std::string& label, const std::vector<std::string>& items,
                       int selected);
    // The entry the list shows, or -1 without a list.
    int ChosenItem() const;

private:
    std::function<std::string(int, int)> step_;
    std::vector<QPushButton*> minus_;
    std::vector<QPushButton*> plus_;
    std::vector<QLabel*> values_;
    std::vector<QCheckBox*> checkBoxes_;
    QComboBox* choices_ = nullptr;
    QVBoxLayout* extras_ = nullptr;
};
