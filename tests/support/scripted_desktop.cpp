#include "tests/support/scripted_desktop.h"

#include <algorithm>

namespace {

ScriptedDesktop::Record MakeRecord(ScriptedDesktop::Call call, const std::string& text,
                                   const std::string& caption) {
    ScriptedDesktop::Record record;
    record.call = call;
    record.text = text;
    record.caption = caption;
    return record;
}

}  // namespace

std::vector<ScriptedDesktop::Record> ScriptedDesktop::Calls(Call call) const {
    std::lock_guard lock(mutex_);
    std::vector<Record> result;
    for (const Record& record : records) {
        if (record.call == call) {
            result.push_back(record);
        }
    }
    return result;
}

std::vector<std::string> ScriptedDesktop::MessageTexts() const {
    std::vector<std::string> texts;
    for (const Record& record : Calls(Call::Message)) {
        texts.push_back(record.text);
    }
    return texts;
}

int ScriptedDesktop::Count(Call call) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(records.begin(), records.end(),
                                          [call](const Record& r) { return r.call == call; }));
}

MessageAnswer ScriptedDesktop::ShowMessage(const std::string& text, const std::string& caption,
                                           MessageIcon icon, MessageButtons buttons) {
    Record record = MakeRecord(Call::Message, text, caption);
    record.icon = icon;
    record.buttons = buttons;
    std::lock_guard lock(mutex_);
    records.push_back(record);
    if (messageAnswers.empty()) {
        return defaultAnswer;
    }
    MessageAnswer answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

bool ScriptedDesktop::ChooseFile(const std::string& title, const std::string& folder,
                                 const std::string& pattern, const std::string& description,
                                 bool save, std::string& chosenPath) {
    Record record = MakeRecord(Call::ChooseFile, title, folder);
    record.pattern = pattern;
    record.labels = {description};
    record.save = save;
    records.push_back(record);
    if (chosenFiles.empty()) {
        return false;
    }
    std::optional<std::string> answer = chosenFiles.front();
    chosenFiles.pop_front();
    if (!answer) {
        return false;
    }
    chosenPath = *answer;
    return true;
}

Colour ScriptedDesktop::PickColour(const std::string& title, Colour initial) {
    records.push_back(MakeRecord(Call::PickColour, title, std::string()));
    if (pickedColours.empty()) {
        return initial;
    }
    Colour colour = pickedColours.front();
    pickedColours.pop_front();
    return colour;
}

std::string ScriptedDesktop::AskWinnerName(const DialogTexts& texts) {
    Record record = MakeRecord(Call::WinnerName, texts.caption, std::string());
    record.labels = texts.labels;
    records.push_back(record);
    if (winnerNames.empty()) {
        return defaultWinnerName;
    }
    std::string name = winnerNames.front();
    winnerNames.pop_front();
    return name;
}

void ScriptedDesktop::ShowHallOfFame(const DialogTexts& texts, const std::vector<HallRow>& rows) {
    Record record = MakeRecord(Call::HallOfFame, texts.caption, std::string());
    record.labels = texts.labels;
    record.rows = rows;
    records.push_back(record);
}

int ScriptedDesktop::ChooseLanguage(const std::string& caption,
                                    const std::vector<LanguageChoice>& choices, int preselected) {
    Record record = MakeRecord(Call::Language, caption, std::string());
    for (const LanguageChoice& choice : choices) {
        record.labels.push_back(choice.displayName);
    }
    records.push_back(record);
    if (languageChoices.empty()) {
        return preselected;
    }
    int choice = languageChoices.front();
    languageChoices.pop_front();
    return choice;
}

void ScriptedDesktop::ShowAbout(const DialogTexts& texts) {
    Record record = MakeRecord(Call::About, texts.caption, std::string());
    record.labels = texts.labels;
    records.push_back(record);
}

void ScriptedDesktop::ShowColourDialog(const DialogTexts& texts,
                                       const std::vector<ColourButton>& buttons,
                                       const std::function<Colour(int button)>& pick,
                                       const ColourGroup& group) {
    lastColourGroup = group;
    Record record = MakeRecord(Call::Colours, texts.caption, std::string());
    for (const ColourButton& button : buttons) {
        record.labels.push_back(button.label);
    }
    records.push_back(record);
    colourResults.clear();
    if (colourPresses.empty()) {
        return;
    }
    std::vector<int> presses = colourPresses.front();
    colourPresses.pop_front();
    for (int button : presses) {
        colourResults.push_back(pick(button));
    }
}

void ScriptedDesktop::ShowConfigDialog(const DialogTexts& texts, const std::vector<ConfigRow>& rows,
                                       const std::function<std::string(int row, int delta)>& step,
                                       ConfigExtras& extras) {
    lastConfigExtras = extras;
    Record record = MakeRecord(Call::Config, texts.caption, std::string());
    for (const ConfigRow& row : rows) {
        record.labels.push_back(row.label + "=" + row.value);
    }
    records.push_back(record);
    configResults.clear();
    if (!configPresses.empty()) {
        std::vector<std::pair<int, int>> presses = configPresses.front();
        configPresses.pop_front();
        for (auto [row, delta] : presses) {
            configResults.push_back(step(row, delta));
        }
    }
    if (!configCloses.empty()) {
        extras = configCloses.front();
        configCloses.pop_front();
    }
}

bool ScriptedDesktop::ShowHelp(const std::string& path, const DialogTexts& texts) {
    Record record = MakeRecord(Call::Help, path, texts.caption);
    record.labels = texts.labels;
    records.push_back(record);
    return helpWorks;
}
