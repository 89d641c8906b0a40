// The language key table, the language file grammar, English underneath and the help page.
#include "settings/language.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/settings/test_support.h"

using namespace std::literals;

namespace {

// A game folder whose LANGUAGE folder holds the given files.
struct LanguageFolder {
    TempFolder game;
    ResourceFolders folders = MakeResourceFolders(game.Path());
    void Write(std::string_view name, std::string_view bytes) const {
        game.Write("LANGUAGE/" + std::string(name), bytes);
    }
};

}  // namespace

TEST(TextKeys, EnumeratorsAreSpeltAsTheKeysAndAreUnique) {
    EXPECT_EQ(TextKey(TextId::GAME), "GAME");
    EXPECT_EQ(TextKey(TextId::NEW_GAME), "NEW_GAME");
    EXPECT_EQ(TextKey(TextId::MesUndo), "MesUndo");
    EXPECT_EQ(TextKey(TextId::T_HINT), "T_HINT");
    EXPECT_EQ(TextKey(TextId::STEP3D), "STEP3D");
    std::set<std::string_view> names(kTextKeys.begin(), kTextKeys.end());
    EXPECT_EQ(names.size(), static_cast<size_t>(kTextCount));
    TextId id{};
    ASSERT_TRUE(FindTextId("COLORS3DLEVEL4", id));
    EXPECT_EQ(id, TextId::COLORS3DLEVEL4);
    EXPECT_FALSE(FindTextId("mesundo", id));
    EXPECT_FALSE(FindTextId("HINT=", id));
}

TEST(TextKeys, MenuTextsHaveTheSmallRoomExceptTheLanguageTitle) {
    EXPECT_EQ(TextRoom(TextId::GAME), kMenuTextRoom);
    EXPECT_EQ(TextRoom(TextId::T_EXIT), kMenuTextRoom);
    EXPECT_EQ(TextRoom(TextId::LANGUAGE), kTextRoom);
    EXPECT_EQ(TextRoom(TextId::MesReadError), kTextRoom);
    EXPECT_EQ(TextRoom(TextId::STEP3D), kTextRoom);
}

TEST(TextKeys, FunctionKeySuffixes) {
    EXPECT_EQ(TextSuffix(TextId::NEW_GAME), "\tF2");
    EXPECT_EQ(TextSuffix(TextId::RESTART_GAME), "\tF3");
    EXPECT_EQ(TextSuffix(TextId::LOAD_LAYOUT), "\tF4");
    EXPECT_EQ(TextSuffix(TextId::PAUSE_CHRONO), "\tF5");
    EXPECT_EQ(TextSuffix(TextId::HINT), "\tF6");
    EXPECT_EQ(TextSuffix(TextId::UNDO), "\tF7");
    EXPECT_EQ(TextSuffix(TextId::HALL_OF_FAME), "\tF8");
    EXPECT_EQ(TextSuffix(TextId::SHADOWS), "\tF9");
    EXPECT_EQ(TextSuffix(TextId::SHOW_CHRONO), "\tF11");
    EXPECT_EQ(TextSuffix(TextId::EXIT), "\tF12");
    EXPECT_EQ(TextSuffix(TextId::HELP_FILE), "\tF1");
    EXPECT_EQ(TextSuffix(TextId::GAME), "");
    EXPECT_EQ(TextSuffix(TextId::T_HINT), "");
}

TEST(LanguageFile, ReadsKeysAndQuotedTextsByTheGrammar) {
    LanguageFolder lang;
    lang.Write("Test.txt",
               "; a comment with HINT = \"Not this\"\n"
               "HINT = \"Hint\"\n"
               "HELP_FILE \"Help\"\r\n"
               "UNDO=\"glued\"\n"
               "UNDO   =   \"  Take back  \"  trailing words\n"
               "GAME = \"\"\n"
               "MesUndo = \"first\"\n"
               "MesUndo = \"second\"\n"
               "mesundo = \"wrong case\"\n"
               "MesWinLoad = \"no closing quote\n"
               "MesWinNoHall = no quotes at all\n"
               "Unknown = \"ignored\"\n"
               "T_UNDO = \"Undo\tF7\"\n"
               "\n"
               "x\n"
               "NEW_GAME = \"N\"");
    LanguageTexts texts;
    texts.SetText(TextId::MesWinLoad, "kept");
    ASSERT_TRUE(texts.ReadLanguageFile(lang.folders, "Test.txt"));
    EXPECT_EQ(texts.Text(TextId::HINT), "Hint\tF6");
    EXPECT_EQ(texts.Text(TextId::HELP_FILE), "Help\tF1");
    // "UNDO=" is not the key UNDO; the later well-formed line sets it, blanks kept.
    EXPECT_EQ(texts.Text(TextId::UNDO), "  Take back  \tF7");
    EXPECT_EQ(texts.Text(TextId::GAME), "");
    EXPECT_EQ(texts.Text(TextId::MesUndo), "second");
    EXPECT_EQ(texts.Text(TextId::MesWinLoad), "kept");
    EXPECT_EQ(texts.Text(TextId::MesWinNoHall), "");
    EXPECT_EQ(texts.Text(TextId::T_UNDO), "Undo\tF7");
    EXPECT_EQ(texts.Text(TextId::NEW_GAME), "N\tF2");
}

TEST(LanguageFile, ATabBeforeTheTextsOwnAcceleratorKeepsBoth) {
    LanguageFolder lang;
    lang.Write("Test.txt", "HINT = \"Hint\tCtrl+H\"\n");
    LanguageTexts texts;
    ASSERT_TRUE(texts.ReadLanguageFile(lang.folders, "Test.txt"));
    EXPECT_EQ(texts.Text(TextId::HINT), "Hint\tCtrl+H\tF6");
}

TEST(LanguageFile, MenuTextsAreCutTo127BytesKeepingTheirFunctionKey) {
    LanguageTexts texts;
    texts.SetText(TextId::NEW_GAME, std::string(300, 'n'));
    ASSERT_EQ(texts.Text(TextId::NEW_GAME).size(), 127u);
    EXPECT_EQ(texts.Text(TextId::NEW_GAME).substr(124), "\tF2");
    texts.SetText(TextId::LANGUAGE, std::string(300, 'l'));
    EXPECT_EQ(texts.Text(TextId::LANGUAGE).size(), 300u);
    texts.SetText(TextId::MesReadError, std::string(5000, 'r'));
    EXPECT_EQ(texts.Text(TextId::MesReadError).size(), 4095u);
    // A cut never splits a UTF-8 character: 'é' is two bytes.
    std::string accents;
    for (int i = 0; i < 100; ++i) {
        accents += "\xC3\xA9";
    }
    texts.SetText(TextId::GAME, accents);
    EXPECT_EQ(texts.Text(TextId::GAME).size(), 126u);
    texts.SetText(TextId::T_EXIT, "x" + accents);
    EXPECT_EQ(texts.Text(TextId::T_EXIT).size(), 127u);
}

TEST(LanguageFile, ALineLongerThanTheBufferIsReadAsSeveralLinesSafely) {
    LanguageFolder lang;
    std::string bytes = "MesUndo = \"" + std::string(1500, 'u') + "\"\n";
    // The second piece of this line starts with a key of its own and is taken as a line.
    bytes += "MesScores = \"" + std::string(1023 - 13, 's') + "HINT = \"Hi\"\n";
    bytes += "UNDO = \"Undo\"\n";
    lang.Write("Long.txt", bytes);
    LanguageTexts texts;
    ASSERT_TRUE(texts.ReadLanguageFile(lang.folders, "Long.txt"));
    EXPECT_EQ(texts.Text(TextId::MesUndo), "");
    EXPECT_EQ(texts.Text(TextId::MesScores), "");
    EXPECT_EQ(texts.Text(TextId::HINT), "Hi\tF6");
    EXPECT_EQ(texts.Text(TextId::UNDO), "Undo\tF7");
}

TEST(LanguageFile, BinaryJunkAndBigFilesAreReadWithoutHarm) {
    LanguageFolder lang;
    std::string junk;
    unsigned state = 12345;
    for (int i = 0; i < 10 * 1024 * 1024; ++i) {
        state = state * 1103515245u + 12345u;
        junk.push_back(static_cast<char>(state >> 24));
    }
    junk += "\nHINT\0 = \"hidden after a zero\"\nUNDO = \"after junk\"\n"sv;
    junk += "\nGAME = \"G\0ame\"\n"sv;
    lang.Write("Junk.txt", junk);
    LanguageTexts texts;
    ASSERT_TRUE(texts.ReadLanguageFile(lang.folders, "Junk.txt"));
    EXPECT_EQ(texts.Text(TextId::UNDO), "after junk\tF7");
    // A line ends at a zero byte, so the quote after it is never seen.
    EXPECT_EQ(texts.Text(TextId::GAME), "");
    EXPECT_EQ(texts.Text(TextId::HINT), "");
    for (int i = 0; i < kTextCount; ++i) {
        EXPECT_LE(texts.Text(static_cast<TextId>(i)).size(), TextRoom(static_cast<TextId>(i)));
    }
}

TEST(LanguageFile, AFolderOrAMissingFileIsNotReadAndChangesNoText) {
    LanguageFolder lang;
    lang.game.MakeFolder("LANGUAGE/Folder.txt");
    LanguageTexts texts;
    texts.SetText(TextId::HINT, "before");
    EXPECT_FALSE(texts.ReadLanguageFile(lang.folders, "Folder.txt"));
    EXPECT_FALSE(texts.ReadLanguageFile(lang.folders, "Missing.txt"));
    EXPECT_FALSE(texts.ReadLanguageFile(lang.folders, ""));
    EXPECT_EQ(texts.Text(TextId::HINT), "before\tF6");
}

TEST(LanguageFile, NamesAreMatchedWithoutRegardToCase) {
    LanguageFolder lang;
    lang.Write("francais.TXT", "HINT = \"Indice\"\n");
    LanguageTexts texts;
    ASSERT_TRUE(texts.ReadLanguageFile(lang.folders, "Francais.txt"));
    EXPECT_EQ(texts.Text(TextId::HINT), "Indice\tF6");
}

TEST(LoadLanguage, EnglishFillsTheKeysATranslationLacks) {
    LanguageFolder lang;
    lang.Write("English.txt", "HINT = \"Hint\"\nUNDO = \"Undo\"\nOK = \"OK\"\n");
    lang.Write("Deutsch.txt",
               "UNDO = \"Zur\xC3\xBC"
               "ck\"\n");
    LanguageTexts texts;
    texts.SetText(TextId::OK, "from before");
    ASSERT_TRUE(texts.LoadLanguage(lang.folders, "Deutsch.txt"));
    EXPECT_EQ(texts.Text(TextId::HINT), "Hint\tF6");
    EXPECT_EQ(texts.Text(TextId::UNDO),
              "Zur\xC3\xBC"
              "ck\tF7");
    EXPECT_EQ(texts.Text(TextId::OK), "OK");
}

TEST(LoadLanguage, TheResultIsThatOfTheChosenFile) {
    LanguageFolder lang;
    lang.Write("English.txt", "HINT = \"Hint\"\n");
    LanguageTexts texts;
    EXPECT_FALSE(texts.LoadLanguage(lang.folders, "Missing.txt"));
    EXPECT_EQ(texts.Text(TextId::HINT), "Hint\tF6");
    LanguageTexts english;
    EXPECT_TRUE(english.LoadLanguage(lang.folders, "English.txt"));
    EXPECT_EQ(english.Text(TextId::HINT), "Hint\tF6");

    // Without English.txt the chosen language alone fills the table.
    LanguageFolder alone;
    alone.Write("Deutsch.txt", "UNDO = \"R\"\n");
    LanguageTexts german;
    EXPECT_TRUE(german.LoadLanguage(alone.folders, "Deutsch.txt"));
    EXPECT_EQ(german.Text(TextId::UNDO), "R\tF7");
    EXPECT_EQ(german.Text(TextId::HINT), "");
}

TEST(HelpFile, OwnPageThenEnglishThenAnyPageThenNone) {
    LanguageFolder lang;
    lang.Write("Deutsch.txt", "");
    lang.Write("Zulu.html", "<html>");
    LanguageTexts texts;
    texts.ReadLanguageFile(lang.folders, "Deutsch.txt");
    EXPECT_EQ(texts.HelpFile(), "Zulu.html");
    lang.Write("English.html", "<html>");
    texts.ReadLanguageFile(lang.folders, "Deutsch.txt");
    EXPECT_EQ(texts.HelpFile(), "English.html");
    lang.Write("deutsch.HTML", "<html>");
    texts.ReadLanguageFile(lang.folders, "Deutsch.txt");
    EXPECT_EQ(texts.HelpFile(), "Deutsch.html");
    // A file name without an extension has no page of its own.
    lang.Write("deutsch", "");
    EXPECT_EQ(HelpFileFor(lang.folders, "deutsch"), "English.html");

    LanguageFolder empty;
    EXPECT_EQ(HelpFileFor(empty.folders, "English.txt"), "");
}

// A language file held in memory reads exactly as the same bytes read from the folder, CR LF,
// a lone CR and a zero byte included, and leaves the help page alone.
TEST(LanguageFile, BytesInMemoryReadLikeTheFile) {
    const std::string bytes =
        "; comment\r\nOK = \"Fine\"\r\nHINT = \"Tip\"\rNEW_GAME = \"New\"\nCANCEL \"x\0y\"\n"s +
        "UNDO = \"no end quote\n" + std::string(2000, 'x') + "\nEXIT = \"Out\"";
    LanguageFolder folder;
    folder.Write("Mine.txt", bytes);
    LanguageTexts fromFile;
    ASSERT_TRUE(fromFile.ReadLanguageFile(folder.folders, "Mine.txt"));
    LanguageTexts fromBytes;
    fromBytes.ReadLanguageText(bytes);
    for (int i = 0; i < kTextCount; ++i) {
        EXPECT_EQ(fromBytes.Text(static_cast<TextId>(i)), fromFile.Text(static_cast<TextId>(i)))
            << TextKey(static_cast<TextId>(i));
    }
    EXPECT_EQ(fromBytes.Text(TextId::OK), "Fine");
    EXPECT_EQ(fromBytes.Text(TextId::EXIT), "Out\tF12");
    EXPECT_EQ(fromBytes.Text(TextId::CANCEL), "");
    EXPECT_EQ(fromBytes.HelpFile(), "");
}
