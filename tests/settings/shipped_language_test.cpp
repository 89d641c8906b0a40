// Every language file the game ships gives a text for every key, in a form the reader takes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "settings/language.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> ShippedLanguageFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(GAME_DATA_DIR) / "LANGUAGE")) {
        if (entry.is_regular_file() &&
            MatchesPattern(kLanguagePattern, entry.path().filename().string())) {
            files.push_back(entry.path());
        }
    }
    return files;
}

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80           ? 1
                        : (lead >> 5) == 0x6  ? 2
                        : (lead >> 4) == 0xE  ? 3
                        : (lead >> 3) == 0x1E ? 4
                                              : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

}  // namespace

TEST(ShippedLanguages, EnglishIsShipped) {
    EXPECT_TRUE(fs::is_regular_file(fs::path(GAME_DATA_DIR) / "LANGUAGE" / "English.txt"));
}

TEST(ShippedLanguages, EveryFileHoldsEveryKeyOnceWithAQuotedText) {
    const std::vector<fs::path> files = ShippedLanguageFiles();
    // English and at least five translations.
    EXPECT_GE(files.size(), 6u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file, std::ios::binary);
        std::stringstream whole;
        whole << in.rdbuf();
        const std::string bytes = whole.str();
        EXPECT_TRUE(IsValidUtf8(bytes)) << "not UTF-8";
        EXPECT_EQ(bytes.find('\0'), std::string::npos);

        std::map<std::string, int> seen;
        std::istringstream lines(bytes);
        std::string line;
        int number = 0;
        while (std::getline(lines, line)) {
            ++number;
            // The reader's line buffer: a longer line would be read as two.
            EXPECT_LT(line.size() + 1, kLanguageLineBuffer) << "line " << number;
            if (line.empty() || line.front() == ';' || line == "\r") {
                continue;
            }
            std::istringstream words(line);
            std::string key;
            words >> key;
            TextId id{};
            EXPECT_TRUE(FindTextId(key, id)) << "unknown key " << key << " on line " << number;
            const size_t open = line.find('"');
            const size_t close = open == std::string::npos ? open : line.find('"', open + 1);
            ASSERT_NE(close, std::string::npos) << "quotes missing on line " << number;
            EXPECT_EQ(line.find('"', close + 1), std::string::npos)
                << "text with a quote on line " << number;
            const std::string text = line.substr(open + 1, close - open - 1);
            EXPECT_FALSE(text.empty()) << key;
            EXPECT_LE(text.size() + TextSuffix(id).size(), TextRoom(id)) << key << " too long";
            ++seen[key];
        }
        for (std::string_view key : kTextKeys) {
            EXPECT_EQ(seen[std::string(key)], 1) << "key " << key;
        }
    }
}

TEST(ShippedLanguages, EveryFileLoadsOverEnglishWithNoEmptyText) {
    const ResourceFolders folders = MakeResourceFolders(GAME_DATA_DIR);
    for (const fs::path& file : ShippedLanguageFiles()) {
        SCOPED_TRACE(file.filename().string());
        LanguageTexts texts;
        ASSERT_TRUE(texts.ReadLanguageFile(folders, file.filename().string()));
        for (int i = 0; i < kTextCount; ++i) {
            EXPECT_FALSE(texts.Text(static_cast<TextId>(i)).empty()) << kTextKeys[i];
        }
        EXPECT_EQ(texts.Text(TextId::NEW_GAME).substr(texts.Text(TextId::NEW_GAME).size() - 3),
                  "\tF2");
        EXPECT_TRUE(FileExistsInFolder(folders.language, texts.HelpFile())) << texts.HelpFile();
    }
}
