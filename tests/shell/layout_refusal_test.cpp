// A layout file that cannot make a sound board is refused: the game in progress, its layout, the
// title and easy mode stay. At start-up the shipped default layout takes its place, and when not
// even that can be read the status counts no tile and the chrono stands still.
#include <fstream>
#include <sstream>

#include "tests/shell/shell_test_support.h"

namespace {

// 144 whole positions on one layer, in rows of 16; `overlap` moves the last one half a tile so
// that it covers part of its neighbour.
std::string LinePositions(bool overlap) {
    std::ostringstream text;
    for (int i = 0; i < kTiles; ++i) {
        const int layer = i / 72;
        const int k = i % 72;
        int row = (k / 16) * 2;
        int column = (k % 16) * 2;
        if (overlap && i == kTiles - 1) {
            column -= 1;
        }
        text << row << ' ' << column << ' ' << layer << "\r\n";
    }
    return text.str();
}

using LayoutRefusalTest = ShellTest;

}  // namespace

TEST_F(LayoutRefusalTest, RefusedLayoutsKeepTheGameInProgress) {
    struct Case {
        const char* why;
        std::string bytes;
    };
    const std::string whole = LinePositions(false);
    const Case cases[] = {
        {"junk", std::string("\x01\x02 not a layout \xff", 18)},
        {"short", "0 0 0\r\n2 2 0\r\n"},
        {"empty", ""},
        {"a line twice", whole.substr(0, whole.rfind("\r\n", whole.size() - 3) + 2) +
                             whole.substr(0, whole.find("\r\n") + 2)},
        {"partly overlapping", LinePositions(true)},
    };
    // A whole layout of the same shape is taken, so the cases fail for what they hold.
    std::ofstream(folder.File("LAYOUTS/Whole.tvl"), std::ios::binary) << whole;
    desktop.chosenFiles.push_back(folder.File("LAYOUTS/Whole.tvl"));
    app->ExecuteCommand(command::LOAD_LAYOUT);
    ASSERT_EQ(app->board.layoutFileName, "WHOLE.TVL");
    ASSERT_EQ(desktop.Count(ScriptedDesktop::Call::Message), 0);

    app->ClickTile(app->board.dealOrder[0]);
    app->ClickTile(app->board.dealOrder[1]);
    const auto faces = app->board.tiles;
    const int tilesLeft = app->board.tilesLeft;
    const std::string title = window.title;
    for (const Case& c : cases) {
        std::ofstream(folder.File("LAYOUTS/Bad.tvl"), std::ios::binary) << c.bytes;
        desktop.Clear();
        desktop.chosenFiles.push_back(folder.File("LAYOUTS/Bad.tvl"));
        app->ExecuteCommand(command::LOAD_LAYOUT);
        const auto messages = desktop.Calls(ScriptedDesktop::Call::Message);
        ASSERT_EQ(messages.size(), 1u) << c.why;
        EXPECT_EQ(messages[0].text, app->Text(TextId::MesNo144Tiles)) << c.why;
        EXPECT_EQ(app->board.layoutFileName, "WHOLE.TVL") << c.why;
        EXPECT_EQ(app->settings.layout, "WHOLE.TVL") << c.why;
        EXPECT_EQ(app->board.tilesLeft, tilesLeft) << c.why;
        EXPECT_TRUE(app->settings.easyMode) << c.why;
        EXPECT_EQ(window.title, title) << c.why;
        for (int t = 0; t < kTiles; ++t) {
            EXPECT_EQ(app->board.tiles[t].face, faces[t].face) << c.why << " tile " << t;
        }
    }
}

TEST_F(LayoutRefusalTest, AtStartUpARefusedLayoutGivesWayToTheDefault) {
    std::ofstream(folder.File("LAYOUTS/Bad.tvl"), std::ios::binary) << "0 0 0\r\n";
    app->settings.layout = "Bad.tvl";
    app->ExecuteCommand(command::EXIT);
    // The next start finds the refused name in its settings.
    desktop.Clear();
    Start();
    ASSERT_EQ(desktop.Count(ScriptedDesktop::Call::Message), 1);
    EXPECT_EQ(desktop.Calls(ScriptedDesktop::Call::Message)[0].text,
              app->Text(TextId::MesNo144Tiles));
    EXPECT_EQ(app->board.layoutFileName, "Default.tvl");
    EXPECT_EQ(app->board.tilesLeft, kTiles);
    EXPECT_EQ(window.title, "Varnel's mah-jong v" VARNEL_VERSION " 2D - Default.tvl");
}

TEST_F(LayoutRefusalTest, WithNoReadableLayoutTheStatusCountsNoTileAndTheChronoStands) {
    for (const auto& entry : fs::directory_iterator(folder.File("LAYOUTS"))) {
        std::ofstream(entry.path(), std::ios::binary) << "junk";
    }
    app->ExecuteCommand(command::EXIT);
    desktop.Clear();
    Start();
    EXPECT_EQ(app->board.tilesLeft, 0);
    EXPECT_EQ(window.status.rfind("0 ", 0), 0u) << window.status;
    app->OnTimer();
    app->OnTimer();
    EXPECT_EQ(app->board.chronoSeconds, 0);
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::WinnerName), 0) << "an empty board is no win";
}
