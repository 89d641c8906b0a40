// What the game asks of the desktop: message boxes, file and colour choices, and the small modal
// dialogs the game core and the first start need. The shell implements it with Qt widgets; tests
// use a scripted implementation so that game and shell logic run headless and deterministic.
#pragma once

#include <string>
#include <vector>

#include "settings/colour.h"
#include "settings/language.h"

enum class MessageIcon { Information, Warning, Error };
enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

// One row of the hall-of-fame dialog, as it is shown.
struct HallRow {
    std::string name;
    std::string time;
};

// The texts a dialog shows, taken from the current language when the dialog opens.
struct DialogTexts {
    std::string caption;
    std::vector<std::string> labels;  // in the order the dialog documents
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // A message box with the window title as caption. Ok for the OK-only form.
    virtual MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                                      MessageIcon icon,
                                      MessageButtons buttons = MessageButtons::Ok) = 0;

    // The file chooser, opened in `folder`, showing files matching `pattern` (e.g. "*.TVL" or
    // "*.BMP;*.TGA;*.JPG") under the filter name `description`. `save` asks for the save form.
    // Returns false on cancel; on OK `chosenPath` is the full path of the chosen file.
    virtual bool ChooseFile(const std::string& title, const std::string& folder,
                            const std::string& pattern, const std::string& description, bool save,
                            std::string& chosenPath) = 0;

    // The colour chooser, starting at `initial`; returns `initial` on cancel.
    virtual Colour PickColour(const std::string& title, Colour initial) = 0;

    // The winner's-name dialog. `texts.labels` = { time line, name prompt, OK }.
    // Returns the name as typed (the caller keeps at most 21 characters).
    virtual std::string AskWinnerName(const DialogTexts& texts) = 0;

    // The hall-of-fame dialog. `texts.labels` = { name heading, time heading, OK }.
    virtual void ShowHallOfFame(const DialogTexts& texts, const std::vector<HallRow>& rows) = 0;

    // The first-run language choice; closes only through OK. Returns the index of the chosen
    // entry in `choices`, starting with `preselected` (or -1 when none fits).
    virtual int ChooseLanguage(const std::string& caption,
                               const std::vector<LanguageChoice>& choices, int preselected) = 0;
};
