// Tile sets that cannot be read: a damaged, truncated or tiny picture chosen from the menu is
// refused with the file's name and the read-error text, and the board keeps the faces it shows;
// at start-up a readable tile set of the folder takes the place of the refused one.
#include <fstream>

#include "shell/edition_2d/game_app_2d.h"
#include "tests/shell/shell_test_support.h"

namespace {

// The bytes of a picture that is no tile set, by kind.
void WriteBrokenPicture(const std::string& path, const std::string& kind,
                        const GameFolder& folder) {
    std::ofstream out(path, std::ios::binary);
    if (kind == "junk") {
        out << "this file holds no picture at all";
    } else if (kind == "truncated") {
        out << ReadAll(folder.File("TILESETS/Standard.jpg")).substr(0, 200);
    } else if (kind == "tiny") {
        // A whole 2 x 2 bitmap, far too small to hold 9 x 5 faces.
        const unsigned char bmp[] = {
            'B', 'M', 70, 0,   0,  0, 0, 0, 0,   0, 54, 0,   0, 0,         // file header
            40,  0,   0,  0,   2,  0, 0, 0, 2,   0, 0,  0,   1, 0, 24, 0,  // info header
            0,   0,   0,  0,   16, 0, 0, 0, 0,   0, 0,  0,   0, 0, 0,  0,
            0,   0,   0,  0,   0,  0, 0, 0, 255, 0, 0,  255, 0, 0, 0,  0,  // two rows, padded
            255, 0,   0,  255, 0,  0, 0, 0};
        out.write(reinterpret_cast<const char*>(bmp), sizeof bmp);
    }
}

class TileSetRefusalTest : public ::testing::Test {
protected:
    void StartApp() {
        app = std::make_unique<TestApp2D>(desktop);
        StartIn(*app, folder, window);
    }
    int MenuEntryOf(const std::string& fileName) const { return TileSetMenuEntry(*app, fileName); }

    GameFolder folder;
    ScriptedDesktop desktop;
    RecordingWindow window;
    std::unique_ptr<TestApp2D> app;
};

}  // namespace

TEST_F(TileSetRefusalTest, ChosenPictureThatIsNoTileSetKeepsTheFacesAndTheChoice) {
    for (const char* kind : {"junk", "truncated", "tiny"}) {
        WriteBrokenPicture(folder.File(std::string("TILESETS/Broken_") + kind + ".bmp"), kind,
                           folder);
    }
    StartApp();
    ASSERT_GT(app->View().TileWidth(), 0);
    const int width = app->View().TileWidth();
    const Image face = app->View().Tiles().faces[3];
    for (const char* kind : {"junk", "truncated", "tiny"}) {
        SCOPED_TRACE(kind);
        desktop.Clear();
        const std::string name = std::string("Broken_") + kind + ".bmp";
        const int id = MenuEntryOf(name);
        ASSERT_NE(id, 0);
        app->ExecuteCommand(id);
        const auto messages = desktop.Calls(ScriptedDesktop::Call::Message);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, name + " : " + app->Text(TextId::MesReadError));
        EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
        EXPECT_EQ(app->settings.tileSet, "Standard.jpg");
        EXPECT_TRUE(app->MainMenu().IsChecked(MenuEntryOf("Standard.jpg")));
        EXPECT_FALSE(app->MainMenu().IsChecked(id));
        EXPECT_EQ(app->View().TileWidth(), width);
        EXPECT_EQ(app->View().Tiles().faces[3].Width(), face.Width());
        EXPECT_EQ(std::vector<std::uint8_t>(app->View().Tiles().faces[3].Pixels(),
                                            app->View().Tiles().faces[3].Pixels() + 64),
                  std::vector<std::uint8_t>(face.Pixels(), face.Pixels() + 64));
    }
    app->SaveSettings();
    EXPECT_NE(ReadAll(folder.File("TAVX2D.INI")).find("\"Standard.jpg\""), std::string::npos);
}

TEST_F(TileSetRefusalTest, StartUpWithAnUnreadableTileSetFallsBackToAReadableOne) {
    struct Case {
        const char* saved;     // the tile set the settings file names
        bool keepStandard;     // whether Standard.jpg stays in the folder
        const char* expected;  // the tile set in use after start-up
    };
    const Case cases[] = {
        {"Damaged.bmp", true, "Standard.jpg"},
        {"Damaged.bmp", false, "Spare.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.saved) + (c.keepStandard ? " with" : " without") + " Standard");
        GameFolder fresh;
        WriteBrokenPicture(fresh.File(std::string("TILESETS/") + c.saved), "junk", fresh);
        fs::copy_file(fresh.File("TILESETS/Standard.jpg"), fresh.File("TILESETS/Spare.jpg"));
        WriteBrokenPicture(fresh.File("TILESETS/Also_broken.bmp"), "tiny", fresh);
        if (!c.keepStandard) {
            fs::remove(fresh.File("TILESETS/Standard.jpg"));
        }
        // A first run writes the settings; the second starts with the damaged tile set.
        {
            ScriptedDesktop firstDesktop;
            RecordingWindow firstWindow;
            TestApp2D first(firstDesktop);
            StartIn(first, fresh, firstWindow);
            first.settings.tileSet = c.saved;
            first.SaveSettings();
        }
        ScriptedDesktop startDesktop;
        RecordingWindow startWindow;
        TestApp2D started(startDesktop);
        StartIn(started, fresh, startWindow);
        const auto messages = startDesktop.Calls(ScriptedDesktop::Call::Message);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text,
                  std::string(c.saved) + " : " + started.Text(TextId::MesReadError));
        EXPECT_EQ(started.settings.tileSet, c.expected);
        EXPECT_GT(started.View().TileWidth(), 0) << "the board shows faces";
        started.SaveSettings();
        const std::string text = ReadAll(fresh.File("TAVX2D.INI"));
        EXPECT_NE(text.find(std::string("\"") + c.expected + "\""), std::string::npos) << text;
    }
}
