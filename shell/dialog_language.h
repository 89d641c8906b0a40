// The language choice of the very first run: shown before the main window exists, so it has no
// owner and its texts are its own; it is left only through OK.
#pragma once

#include <string>
#include <vector>

#include "shell/dialog_common.h"

class QComboBox;

class LanguageChoiceDialog : public GameDialog {
    Q_OBJECT

public:
    // `choices` are listed in the order given (the language list is already alphabetical);
    // `preselected` is the entry shown first, or -1 for the first entry.
    LanguageChoiceDialog(const std::string& caption, const std::vector<LanguageChoice>& choices,
                         int preselected, QWidget* owner = nullptr);

    QComboBox* List() const { return list_; }
    // The index in the choices of the entry the list shows, or -1 when the list is empty.
    int ChosenIndex() const;

protected:
    // Escape and the window's close request do nothing: the player must pick a language.
    void reject() override {}
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QComboBox* list_ = nullptr;
};
