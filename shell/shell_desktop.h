// What the shell asks of the desktop beyond the game's own needs: the About box, the colour and
// configuration dialogs and the help window. Qt implements it for the
// programs; the scripted implementation drives the same logic in tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/desktop.h"

// One colour of the colour dialog: the button's label and the colour its swatch shows.
struct ColourButton {
    std::string label;
    Colour colour;
};

// One row of the configuration dialog: a group label, the value shown between "-" and "+".
struct ConfigRow {
    std::string label;
    std::string value;
};

// The first `count` colour buttons go in a group box titled `title` (the 3D editions' five level
// colours); a count of zero puts every button in one column.
struct ColourGroup {
    std::string title;
    int count = 0;
};

// What the 3D editions add below the rows of the configuration dialog: check boxes and a
// labelled list of choices, and what they show when the dialog closes.
struct ConfigExtras {
    struct CheckBox {
        std::string label;
        bool checked = false;
    };
    std::vector<CheckBox> checkBoxes;
    std::string choiceLabel;  // no list when empty
    std::vector<std::string> choices;
    int chosen = -1;  // the entry shown; -1: the first
};

class ShellDesktop : public Desktop {
public:
    // The About box. `texts.labels` = { title line, copyright line, OK, and the labels of the
    // version, licence and game-folder lines }; a seventh names the game folder when it is not
    // the folder the game was started in.
    virtual void ShowAbout(const DialogTexts& texts) = 0;

    // The colour dialog: one button with a swatch per colour. Pressing button i calls `pick(i)`,
    // which asks for the colour, stores it and returns it for the swatch. There is no cancel: every
    // pick is in force at once. `texts.labels` = { OK }.
    // `group` gathers the first buttons under a title (the 3D editions' level colours).
    virtual void ShowColourDialog(const DialogTexts& texts,
                                  const std::vector<ColourButton>& buttons,
                                  const std::function<Colour(int button)>& pick,
                                  const ColourGroup& group) = 0;
    void ShowColourDialog(const DialogTexts& texts, const std::vector<ColourButton>& buttons,
                          const std::function<Colour(int button)>& pick) {
        ShowColourDialog(texts, buttons, pick, ColourGroup{});
    }

    // The configuration dialog: rows with "-" and "+" buttons. Pressing one calls
    // `step(row, -1 or +1)`, which applies the change and returns the value text to show.
    // `texts.labels` = { OK }.
    // `extras` adds the 3D editions' check boxes and list; when the dialog closes they hold what
    // it showed then (`checked` of each box, `chosen` of the list).
    virtual void ShowConfigDialog(const DialogTexts& texts, const std::vector<ConfigRow>& rows,
                                  const std::function<std::string(int row, int delta)>& step,
                                  ConfigExtras& extras) = 0;
    void ShowConfigDialog(const DialogTexts& texts, const std::vector<ConfigRow>& rows,
                          const std::function<std::string(int row, int delta)>& step) {
        ConfigExtras none;
        ShowConfigDialog(texts, rows, step, none);
    }

    // The player's language, at start-up and at every change: the desktop's own buttons and
    // dialogs (message boxes, file and colour choosers) follow it. `languageFile` is the
    // language file's name ("Deutsch.txt"); `texts.labels` = { OK, Cancel }.
    virtual void UseLanguage(const std::string& languageFile, const DialogTexts& texts) = 0;

    // Opens the help page at `path` in the help window, titled `texts.caption`; false when it
    // cannot be shown. `texts.labels` = { Close }.
    virtual bool ShowHelp(const std::string& path, const DialogTexts& texts) = 0;
};
