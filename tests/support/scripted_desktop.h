// A desktop for tests: answers come from queues filled by the test, and every call is recorded so
// the test can check which message, dialog or file choice the game showed and with what texts.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "shell/shell_desktop.h"

class ScriptedDesktop : public ShellDesktop {
public:
    enum class Call {
        Message,
        ChooseFile,
        PickColour,
        WinnerName,
        HallOfFame,
        Language,
        About,
        Colours,
        Config,
        Help
    };

    struct Record {
        Call call = Call::Message;
        std::string text;     // message text, file title, dialog caption, help path
        std::string caption;  // message caption or file-dialog folder
        MessageIcon icon = MessageIcon::Information;
        MessageButtons buttons = MessageButtons::Ok;
        std::vector<std::string> labels;  // dialog labels
        std::vector<HallRow> rows;        // hall-of-fame rows
        std::string pattern;              // file-dialog pattern
        bool save = false;                // file-dialog form
    };

    // Queued answers; an empty queue gives the default answer noted at each queue.
    std::deque<MessageAnswer> messageAnswers;  // default `defaultAnswer`
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
    std::deque<std::optional<std::string>>
        chosenFiles;                      // full paths; nullopt or empty queue: cancel
    std::deque<Colour> pickedColours;     // default: the initial colour
    std::deque<std::string> winnerNames;  // default `defaultWinnerName`
    std::string defaultWinnerName = "Player";
    std::deque<int> languageChoices;  // default: the preselected entry
    // Presses made inside the next colour dialogs (button index) and configuration dialogs
    // (row, delta), in order; each dialog takes the presses queued for it.
    std::deque<std::vector<int>> colourPresses;
    std::deque<std::vector<std::pair<int, int>>> configPresses;
    // What the next configuration dialogs' check boxes and list show when they close; an empty
    // queue leaves them as they opened.
    std::deque<ConfigExtras> configCloses;
    bool helpWorks = true;

    std::vector<Record> records;
    // Values returned by the callbacks of the last colour and configuration dialog.
    std::vector<Colour> colourResults;
    std::vector<std::string> configResults;
    // The group and the extras the last colour and configuration dialogs opened with.
    ColourGroup lastColourGroup;
    ConfigExtras lastConfigExtras;

    // Recorded calls of one kind, in order. Message boxes may come from the autoplay worker's
    // thread: recording and reading them is guarded.
    std::vector<Record> Calls(Call call) const;
    int Count(Call call) const;
    void Clear() {
        std::lock_guard lock(mutex_);
        records.clear();
    }
    // The texts of the message boxes shown, in order.
    std::vector<std::string> MessageTexts() const;

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
    void UseLanguage(const std::string& languageFile, const DialogTexts& texts) override {
        usedLanguage = languageFile;
        buttonTexts = texts.labels;
    }
    // What the last UseLanguage gave: the language file and the labels { OK, Cancel }.
    std::string usedLanguage;
    std::vector<std::string> buttonTexts;

private:
    mutable std::mutex mutex_;
};
