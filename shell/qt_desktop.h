// The desktop of the programs: Qt message boxes, Qt's own file and colour dialogs, the small modal
// dialogs and the help window. Calls from a worker thread (autoplay's message) are carried over to
// the GUI thread and wait for the answer there.
#pragma once

#include <memory>

#include "shell/shell_desktop.h"

class QTranslator;
class QWidget;
class HelpWindow;

class QtDesktop : public ShellDesktop {
public:
    QtDesktop();
    ~QtDesktop() override;

    // The owner of the dialogs: the main window once it exists, none before.
    void SetOwner(QWidget* owner) { owner_ = owner; }
    QWidget* Owner() const { return owner_; }

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override;
    bool ChooseFile(const std::string& title, const std::string& folder, const std::string& pattern,
                    const std::string& description, bool save, std::string& chosenPath) override;
    Colour PickColour(const std::string& title, Colour initial) override;
    std::string AskWinnerName(const DialogTexts& texts) override;
    void ShowHallOfFame(const DialogTexts& texts, const std::vector<HallRow>& rows) override;
    int ChooseLanguage(const std::string& caption, const std::vector<LanguageChoice>& choices,
                       int preselected) override;
    void ShowAbout(const DialogTexts& texts) override;
    void ShowColourDialog(const DialogTexts& texts, const std::vector<ColourButton>& buttons,
                          const std::function<Colour(int button)>& pick,
                          const ColourGroup& group) override;
    using ShellDesktop::ShowColourDialog;
    void ShowConfigDialog(const DialogTexts& texts, const std::vector<ConfigRow>& rows,
                          const std::function<std::string(int row, int delta)>& step,
                          ConfigExtras& extras) override;
    using ShellDesktop::ShowConfigDialog;
    bool ShowHelp(const std::string& path, const DialogTexts& texts) override;
    void UseLanguage(const std::string& languageFile, const DialogTexts& texts) override;
    // The help window, once help was asked for; null before.
    HelpWindow* Help() const { return helpWindow_; }

private:
    QWidget* owner_ = nullptr;
    HelpWindow* helpWindow_ = nullptr;
    // The labels of the message boxes' buttons in the player's language (empty: Qt's own).
    std::string okText_;
    std::string cancelText_;
    // Qt's own texts in the player's language, while one is installed.
    std::unique_ptr<QTranslator> qtTranslator_;
};

// The language code of Qt's translations for a language file of the game ("Deutsch.txt" gives
// "de"), empty for English and for a language Qt's translations are not known for.
std::string QtLanguageCode(const std::string& languageFile);

// "*.BMP;*.TGA;*.JPG" as the filter the file dialog shows: "description (*.BMP *.TGA *.JPG)".
std::string QtNameFilter(const std::string& description, const std::string& pattern);
