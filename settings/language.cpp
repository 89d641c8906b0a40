// Language files: key = "text" lines, English underneath every translation.
#include "settings/language.h"

#include "settings/text_file_local.h"

const std::array<std::string_view, kTextCount> kTextKeys = {
#define VARNEL_TEXT_NAME(key) #key,
    VARNEL_TEXT_KEYS(VARNEL_TEXT_NAME)
#undef VARNEL_TEXT_NAME
};

std::string_view TextKey(TextId id) {
    return kTextKeys[static_cast<size_t>(id)];
}

std::string_view TextSuffix(TextId id) {
    // The function keys the main window answers to, shown in the shortcut column of the menus.
    switch (id) {
        case TextId::NEW_GAME:
            return "\tF2";
        case TextId::RESTART_GAME:
            return "\tF3";
        case TextId::PAUSE_CHRONO:
            return "\tF5";
        case TextId::HINT:
            return "\tF6";
        case TextId::UNDO:
            return "\tF7";
        case TextId::EXIT:
            return "\tF12";
        case TextId::SHOW_CHRONO:
            return "\tF11";
        case TextId::SHADOWS:
            return "\tF9";
        case TextId::LOAD_LAYOUT:
            return "\tF4";
        case TextId::HALL_OF_FAME:
            return "\tF8";
        case TextId::HELP_FILE:
            return "\tF1";
        case TextId::REDO:
            return "\tCtrl+Y";
        case TextId::SHUFFLE:
            return "\tCtrl+R";
        case TextId::AUTOPLAY_HERE:
            return "\tCtrl+P";
        default:
            return {};
    }
}

size_t TextRoom(TextId id) {
    const int index = static_cast<int>(id);
    const bool menuText = (index >= static_cast<int>(TextId::GAME) &&
                           index <= static_cast<int>(TextId::T_EXIT) && id != TextId::LANGUAGE) ||
                          id == TextId::REDO || id == TextId::SHUFFLE ||
                          id == TextId::AUTOPLAY_HERE;
    return menuText ? kMenuTextRoom : kTextRoom;
}

bool FindTextId(std::string_view key, TextId& id) {
    for (int i = 0; i < kTextCount; ++i) {
        if (kTextKeys[static_cast<size_t>(i)] == key) {
            id = static_cast<TextId>(i);
            return true;
        }
    }
    return false;
}

void LanguageTexts::SetText(TextId id, std::string_view text) {
    const std::string_view suffix = TextSuffix(id);
    const size_t room = TextRoom(id);
    // The suffix names the function key; cut the player's text rather than the key.
    const size_t textRoom = room > suffix.size() ? room - suffix.size() : 0;
    std::string& slot = texts_[static_cast<size_t>(id)];
    slot.assign(text.substr(0, textfile::CutUtf8(text, textRoom)));
    slot += suffix;
}

void LanguageTexts::Clear() {
    for (std::string& text : texts_) {
        text.clear();
    }
    helpFile_.clear();
}

bool LanguageTexts::ReadLanguageFile(const ResourceFolders& folders, std::string_view fileName) {
    bool opened = false;
    if (!fileName.empty()) {
        textfile::LineReader reader(ResolveInFolder(folders.language, fileName));
        opened = reader.IsOpen();
        ReadLines(reader);
    }
    helpFile_ = HelpFileFor(folders, fileName);
    return opened;
}

void LanguageTexts::ReadLanguageText(std::string_view bytes) {
    textfile::LineReader reader(bytes);
    ReadLines(reader);
}

void LanguageTexts::ReadLines(textfile::LineReader& reader) {
    std::string line;
    std::string text;
    while (reader.Next(line, kLanguageLineBuffer)) {
        if (line.size() <= 2 || line.front() == ';') {
            continue;
        }
        const std::vector<std::string_view> tokens = textfile::Tokens(line, 1);
        TextId id{};
        if (tokens.empty() || !FindTextId(tokens.front(), id)) {
            continue;
        }
        // A known key without its two quotes is ignored rather than guessed at.
        if (!textfile::QuotedText(line, text)) {
            continue;
        }
        SetText(id, text);
    }
}

bool LanguageTexts::LoadLanguage(const ResourceFolders& folders, std::string_view chosen) {
    if (chosen != kDefaultLanguage) {
        ReadLanguageFile(folders, kDefaultLanguage);
    }
    return ReadLanguageFile(folders, chosen);
}

std::string HelpFileFor(const ResourceFolders& folders, std::string_view languageFile) {
    if (languageFile.find('.') != std::string_view::npos) {
        std::string own = ReplaceExtension(languageFile, ".html");
        if (FileExistsInFolder(folders.language, own)) {
            return own;
        }
    }
    return FindFallbackFile(kHelpPattern, folders.language, kDefaultHelp);
}
