// Helpers of the settings tests: a scratch game folder that removes itself, file writing, and a
// desktop that records the messages instead of showing them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/desktop.h"

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Path of `relative` inside the folder.
    std::string operator/(std::string_view relative) const;
    // Makes the sub-folder `relative` (and its parents).
    void MakeFolder(std::string_view relative) const;
    // Writes `bytes` to `relative`, making the folders on the way.
    void Write(std::string_view relative, std::string_view bytes) const;
    std::string Read(std::string_view relative) const;

private:
    std::string path_;
};

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
};

class RecordingDesktop : public Desktop {
public:
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override;
    bool ChooseFile(const std::string&, const std::string&, const std::string&, const std::string&,
                    bool, std::string&) override {
        return false;
    }
    Colour PickColour(const std::string&, Colour initial) override { return initial; }
    std::string AskWinnerName(const DialogTexts&) override { return {}; }
    void ShowHallOfFame(const DialogTexts&, const std::vector<HallRow>&) override {}
    int ChooseLanguage(const std::string& caption, const std::vector<LanguageChoice>& choices,
                       int preselected) override;

    std::vector<RecordedMessage> messages;
    // What ChooseLanguage saw and answers.
    std::vector<LanguageChoice> offeredLanguages;
    int offeredPreselection = -2;
    int languageAnswer = -1;  // -1: keep the preselection
};
