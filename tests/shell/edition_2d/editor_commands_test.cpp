// The layout editor's commands in board2d: entering and leaving with the chrono toggle and the
// menus, NEW_LAYOUT, SAVE_LAYOUT while editing, and a layout built by clicks, saved and played.
#include <algorithm>
#include <set>

#include "tests/shell/edition_2d/editor_test_support.h"

namespace {

// The line format of a layout file: "row column layer", a carriage return and a line feed, one
// line per position, in cell order.
std::string LineFormat(const std::vector<int>& cells) {
    std::string text;
    for (int cell : cells) {
        const int layer = cell / (kRows * kColumns);
        const int row = cell / kColumns % kRows;
        const int column = cell % kColumns;
        text += std::to_string(row) + " " + std::to_string(column) + " " + std::to_string(layer) +
                "\r\n";
    }
    return text;
}

class EditorCommands : public EditorTest {
protected:
    // Clicks a pair of free matching tiles of the game board on their face pictures, where the
    // view's hit test finds them. False when no such pair is left.
    bool ClickOnePair() {
        const Board& board = app->board;
        for (int a = 0; a < kTiles; ++a) {
            for (int b = a + 1; b < kTiles; ++b) {
                if (board.tiles[a].face == NoTile || board.tiles[b].face == NoTile ||
                    !board.IsFree(a) || !board.IsFree(b) || !board.CanMatch(a, b)) {
                    continue;
                }
                for (int t : {a, b}) {
                    ViewPoint p;
                    if (!FacePoint(t, p)) {
                        ADD_FAILURE() << "tile " << t << " shows no face to click";
                        return false;
                    }
                    app->OnLeftButtonDown(p.x, p.y);
                }
                return true;
            }
        }
        return false;
    }

    bool FacePoint(int t, ViewPoint& p) const {
        const TileRecord& tile = app->board.tiles[t];
        const int n = app->View().Border();
        for (int dy = 2; dy < app->View().TileHeight(); dy += 4) {
            for (int dx = 2; dx < app->View().TileWidth(); dx += 4) {
                const HitResult2D hit = app->View().HitTest2D(tile.x2d + n + dx, tile.y2d + dy, 0);
                if (hit.kind == HitResult2D::Tile && hit.tile == t) {
                    p = {tile.x2d + n + dx, tile.y2d + dy};
                    return true;
                }
            }
        }
        return false;
    }
};

}  // namespace

TEST_F(EditorCommands, EnteringCopiesTheGameLayoutAndOffersSavingOnlyAfterAChange) {
    const std::vector<int> gameLayout = BoardPositions();
    ASSERT_EQ(gameLayout.size(), std::size_t(kTiles));
    app->ExecuteCommand(command::EDIT_LAYOUT);
    EXPECT_TRUE(app->editMode);

    // The editor's own menu bar: one popup EDIT_LAYOUT with NEW_LAYOUT, SAVE_LAYOUT, a separator
    // and EXIT_EDIT_LAYOUT.
    ASSERT_EQ(window.shownBar.popups.size(), 1u);
    const MenuItem& popup = window.shownBar.popups[0];
    EXPECT_EQ(popup.text, app->Text(TextId::EDIT_LAYOUT));
    ASSERT_EQ(popup.items.size(), 4u);
    EXPECT_EQ(popup.items[0].id, command::NEW_LAYOUT);
    EXPECT_EQ(popup.items[1].id, command::SAVE_LAYOUT);
    EXPECT_EQ(popup.items[2].kind, MenuItem::Kind::Separator);
    EXPECT_EQ(popup.items[3].id, command::EXIT_EDIT_LAYOUT);
    EXPECT_EQ(popup.items[3].text, app->Text(TextId::EXIT_EDIT_LAYOUT));

    // The game's layout, every position a tile of the editor, but not yet offered for saving.
    EXPECT_EQ(EditorPositions(), gameLayout);
    EXPECT_EQ(app->editor.positionCount, kTiles);
    EXPECT_FALSE(SaveShownEnabled());
    EXPECT_EQ(window.status, TilesStatus(kTiles));
    int shown = 0;
    for (const TileRecord& tile : app->editor.tiles) {
        shown += tile.face != NoTile ? 1 : 0;
    }
    EXPECT_EQ(shown, kTiles);

    // Take a position away and put it back: 144 again, and now it may be saved.
    const int cell = gameLayout.front();
    const int layer = cell / (kRows * kColumns);
    const int row = cell / kColumns % kRows;
    const int column = cell % kColumns;
    const ViewPoint p = CellPoint(layer, row, column);
    RightClick(p);
    EXPECT_EQ(window.status, TilesStatus(kTiles - 1));
    EXPECT_FALSE(SaveShownEnabled());
    LeftClick(p);
    EXPECT_EQ(window.status, TilesStatus(kTiles));
    EXPECT_TRUE(SaveShownEnabled());

    // NEW_LAYOUT empties the board and withdraws saving.
    app->ExecuteCommand(command::NEW_LAYOUT);
    EXPECT_TRUE(EditorPositions().empty());
    EXPECT_EQ(window.status, TilesStatus(0));
    EXPECT_FALSE(SaveShownEnabled());
    EXPECT_TRUE(app->editMode);
}

TEST_F(EditorCommands, EditingPausesTheGameChronoAndLeavingDealsANewGame) {
    // A game in progress: one pair removed, some time on the chrono.
    ASSERT_TRUE(ClickOnePair());
    ASSERT_EQ(app->board.tilesLeft, kTiles - 2);
    app->OnTimer();
    app->OnTimer();
    ASSERT_EQ(app->board.chronoSeconds, 2);

    app->ExecuteCommand(command::EDIT_LAYOUT);
    EXPECT_EQ(app->board.ChronoPaused, 1);
    app->OnTimer();
    EXPECT_EQ(app->board.chronoSeconds, 2) << "the chrono stands still while editing";
    EXPECT_EQ(app->board.tilesLeft, kTiles - 2) << "the game is left alone";

    app->ExecuteCommand(command::EXIT_EDIT_LAYOUT);
    EXPECT_FALSE(app->editMode);
    EXPECT_GT(window.shownBar.popups.size(), 1u);  // the main menu again
    EXPECT_EQ(app->board.tilesLeft, kTiles);       // a new game
    EXPECT_EQ(app->board.undoCount, 0);
    EXPECT_EQ(app->board.chronoSeconds, 0);
    EXPECT_EQ(app->board.ChronoPaused, 0);
    app->OnTimer();
    EXPECT_EQ(app->board.chronoSeconds, 1);
    EXPECT_EQ(window.status.rfind(TilesStatus(kTiles), 0), 0u) << window.status;
}

TEST_F(EditorCommands, EnteringWithAPausedChronoUnpausesIt) {
    app->ExecuteCommand(command::PAUSE_CHRONO);
    ASSERT_EQ(app->board.ChronoPaused, 1);
    // The editor toggles the pause, whatever it was.
    app->ExecuteCommand(command::EDIT_LAYOUT);
    EXPECT_EQ(app->board.ChronoPaused, 0);
    app->ExecuteCommand(command::EXIT_EDIT_LAYOUT);
    EXPECT_EQ(app->board.ChronoPaused, 0);  // and the new game runs
}

TEST_F(EditorCommands, UnsavedEditsAreDiscardedOnLeaving) {
    const std::vector<int> gameLayout = BoardPositions();
    const std::string layoutName = app->board.layoutFileName;
    std::set<std::string> filesBefore;
    for (const auto& entry : fs::directory_iterator(folder.File("LAYOUTS"))) {
        filesBefore.insert(entry.path().filename().string());
    }

    app->ExecuteCommand(command::EDIT_LAYOUT);
    app->ExecuteCommand(command::NEW_LAYOUT);
    LeftClick(0, 2, 2);
    LeftClick(0, 2, 4);
    ASSERT_EQ(app->editor.positionCount, 2);
    app->ExecuteCommand(command::EXIT_EDIT_LAYOUT);

    EXPECT_EQ(BoardPositions(), gameLayout);
    EXPECT_EQ(app->board.layoutFileName, layoutName);
    EXPECT_EQ(app->board.tilesLeft, kTiles);
    std::set<std::string> filesAfter;
    for (const auto& entry : fs::directory_iterator(folder.File("LAYOUTS"))) {
        filesAfter.insert(entry.path().filename().string());
    }
    EXPECT_EQ(filesAfter, filesBefore);
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::ChooseFile), 0);

    // Entering again starts from the game's layout, not from the discarded edits.
    app->ExecuteCommand(command::EDIT_LAYOUT);
    EXPECT_EQ(EditorPositions(), gameLayout);
    EXPECT_FALSE(SaveShownEnabled());
}

TEST_F(EditorCommands, LayoutBuiltByClicksIsSavedAndPlayedAsTheNextGame) {
    app->ExecuteCommand(command::EDIT_LAYOUT);
    app->ExecuteCommand(command::NEW_LAYOUT);
    // 140 positions on layer 0, then four clicks on taken spots that climb to layer 1.
    std::vector<int> built;
    for (int row = 0; row <= 16 && built.size() < 140; row += 2) {
        for (int column = 0; column <= 32 && built.size() < 140; column += 2) {
            LeftClick(0, row, column);
            built.push_back(CellIndex(0, row, column));
        }
    }
    for (int column : {4, 8, 12, 16}) {
        const ViewPoint p = CellPoint(0, 6, column);
        built.push_back(CellAt(1, p));
        LeftClick(p);
    }
    std::sort(built.begin(), built.end());
    ASSERT_EQ(EditorPositions(), built);
    ASSERT_TRUE(SaveShownEnabled());

    // Cancelling the file choice saves nothing.
    app->ExecuteCommand(command::SAVE_LAYOUT);
    EXPECT_FALSE(fs::exists(folder.File("LAYOUTS/Mine.tvl")));
    ASSERT_EQ(desktop.Count(ScriptedDesktop::Call::ChooseFile), 1);

    desktop.chosenFiles.push_back(folder.File("LAYOUTS/Mine.tvl"));
    app->ExecuteCommand(command::SAVE_LAYOUT);
    const ScriptedDesktop::Record choice = desktop.Calls(ScriptedDesktop::Call::ChooseFile).back();
    EXPECT_TRUE(choice.save);
    EXPECT_EQ(choice.caption, app->folders.layouts);
    EXPECT_EQ(ReadAll(folder.File("LAYOUTS/Mine.tvl")), LineFormat(built));
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::Message), 0);

    // The layout list knows the new file and checks it; the title names it; the game board
    // already holds it for the next game, and editing goes on.
    EXPECT_EQ(app->board.layoutFileName, "MINE.TVL");
    EXPECT_EQ(window.title, app->TitleText() + " - Mine.tvl");
    const int listed = LayoutMenuEntry(*app, "Mine.tvl");
    ASSERT_NE(listed, 0);
    const MenuItem* entry = app->MainMenu().Find(listed);
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->checked);
    EXPECT_EQ(BoardPositions(), built);
    EXPECT_TRUE(app->editMode);
    EXPECT_TRUE(app->EditorMenuShown());
    EXPECT_EQ(window.shownBar.popups.size(), 1u);
    EXPECT_TRUE(SaveShownEnabled());
    EXPECT_EQ(EditorPositions(), built);

    // Leaving deals the new layout, and it plays: pairs clicked on the board go away.
    app->ExecuteCommand(command::EXIT_EDIT_LAYOUT);
    EXPECT_EQ(BoardPositions(), built);
    EXPECT_EQ(app->board.tilesLeft, kTiles);
    std::set<int> dealtCells;
    for (const TileRecord& tile : app->board.tiles) {
        ASSERT_NE(tile.face, NoTile);
        dealtCells.insert(CellIndex(tile.layer, tile.row, tile.column));
    }
    EXPECT_EQ(dealtCells, std::set<int>(built.begin(), built.end()));
    int pairs = 0;
    while (pairs < 10 && ClickOnePair()) {
        ++pairs;
        ASSERT_EQ(app->board.tilesLeft, kTiles - 2 * pairs);
    }
    EXPECT_GT(pairs, 0);
    EXPECT_EQ(app->settings.layout, "MINE.TVL");
}

TEST_F(EditorCommands, ALayoutThatCannotBeWrittenIsNotTakenIntoUse) {
    const std::vector<int> gameLayout = BoardPositions();
    const std::string layoutName = app->board.layoutFileName;
    app->ExecuteCommand(command::EDIT_LAYOUT);
    app->ExecuteCommand(command::NEW_LAYOUT);
    for (int row = 0; row <= 16; row += 2) {
        for (int column = 0; column <= 30; column += 2) {
            LeftClick(0, row, column);  // 9 rows of 16: 144
        }
    }
    ASSERT_TRUE(SaveShownEnabled());

    // A folder of that name stands where the file would go.
    fs::create_directory(folder.File("LAYOUTS/Broken.tvl"));
    desktop.chosenFiles.push_back(folder.File("LAYOUTS/Broken.tvl"));
    app->ExecuteCommand(command::SAVE_LAYOUT);
    const auto messages = desktop.Calls(ScriptedDesktop::Call::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Broken.tvl : " + app->Text(TextId::MesWriteError));
    EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(messages[0].caption, app->TitleText());

    // The game keeps its layout, and the editor its work.
    EXPECT_EQ(app->board.layoutFileName, layoutName);
    EXPECT_EQ(BoardPositions(), gameLayout);
    EXPECT_TRUE(app->editMode);
    EXPECT_EQ(app->editor.positionCount, kTiles);
    EXPECT_TRUE(SaveShownEnabled());
    app->ExecuteCommand(command::EXIT_EDIT_LAYOUT);
    EXPECT_EQ(BoardPositions(), gameLayout);
    EXPECT_EQ(app->board.tilesLeft, kTiles);
}

TEST_F(EditorCommands, SavingIsRefusedWhileTheLayoutIsNotWhole) {
    app->ExecuteCommand(command::EDIT_LAYOUT);
    app->ExecuteCommand(command::NEW_LAYOUT);
    LeftClick(0, 2, 2);
    // The entry is greyed; a command that still arrives asks for no file and writes nothing.
    desktop.chosenFiles.push_back(folder.File("LAYOUTS/Half.tvl"));
    app->ExecuteCommand(command::SAVE_LAYOUT);
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::ChooseFile), 0);
    EXPECT_FALSE(fs::exists(folder.File("LAYOUTS/Half.tvl")));
}

TEST_F(EditorCommands, TheEditorBelongsToTheTwoDimensionalEditionOnly) {
    // The 3D editions build the editor's menu but never enter it.
    TestApp gl(desktop, Edition::GL);
    gl.SetStartFolder(folder.Path());
    gl.OfferFirstRunLanguage();
    ASSERT_TRUE(gl.LoadSettings());
    gl.StartGame();
    gl.ExecuteCommand(command::EDIT_LAYOUT);
    gl.ExecuteCommand(command::NEW_LAYOUT);
    EXPECT_FALSE(gl.editMode);
    EXPECT_FALSE(gl.EditorMenuShown());
    EXPECT_EQ(gl.MainMenu().Find(command::EDIT_LAYOUT), nullptr);
}

// Exit editor and New layout ask before they throw away positions that were never saved, and
// Exit editor also before it ends a game in progress; Cancel keeps the positions and the game.
TEST_F(EditorCommands, LeavingOrClearingAsksBeforeThrowingAnythingAway) {
    struct Case {
        const char* name;
        bool gameInProgress;        // a pair taken before entering the editor
        bool editPositions;         // New layout and one position added
        int commandId;              // EXIT_EDIT_LAYOUT or NEW_LAYOUT
        std::vector<TextId> asked;  // the texts of the question, none when nothing is asked
    };
    const Case cases[] = {
        {"nothing to lose", false, false, command::EXIT_EDIT_LAYOUT, {}},
        {"unsaved positions", false, true, command::EXIT_EDIT_LAYOUT, {TextId::MesUnsavedLayout}},
        {"game in progress", true, false, command::EXIT_EDIT_LAYOUT, {TextId::MesGameInProgress}},
        {"both",
         true,
         true,
         command::EXIT_EDIT_LAYOUT,
         {TextId::MesUnsavedLayout, TextId::MesGameInProgress}},
        {"new layout, unchanged", true, false, command::NEW_LAYOUT, {}},
        {"new layout, unsaved", true, true, command::NEW_LAYOUT, {TextId::MesUnsavedLayout}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();  // a fresh game for each case
        if (c.gameInProgress) {
            ASSERT_TRUE(ClickOnePair());
        }
        const int tilesLeft = app->board.tilesLeft;
        app->ExecuteCommand(command::EDIT_LAYOUT);
        if (c.editPositions) {
            app->ExecuteCommand(command::NEW_LAYOUT);
            LeftClick(0, 2, 2);
        }
        const std::vector<int> positions = EditorPositions();
        std::string question;
        for (TextId id : c.asked) {
            question += (question.empty() ? "" : "\n") + app->Text(id);
        }
        for (const MessageAnswer answer : {MessageAnswer::Cancel, MessageAnswer::Ok}) {
            desktop.Clear();
            desktop.messageAnswers.push_back(answer);
            app->ExecuteCommand(c.commandId);
            const auto messages = desktop.Calls(ScriptedDesktop::Call::Message);
            if (c.asked.empty()) {
                EXPECT_TRUE(messages.empty());
                desktop.messageAnswers.clear();
                break;  // nothing asked: the command was carried out at once
            }
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].text, question);
            EXPECT_EQ(messages[0].buttons, MessageButtons::OkCancel);
            if (answer == MessageAnswer::Cancel) {
                EXPECT_TRUE(app->editMode);
                EXPECT_EQ(EditorPositions(), positions);
                EXPECT_EQ(app->board.tilesLeft, tilesLeft);
            }
        }
        if (c.commandId == command::EXIT_EDIT_LAYOUT) {
            EXPECT_FALSE(app->editMode);
            EXPECT_EQ(app->board.tilesLeft, kTiles);
        } else {
            EXPECT_TRUE(app->editMode);
            EXPECT_TRUE(EditorPositions().empty());
            EXPECT_EQ(app->board.tilesLeft, tilesLeft) << "New layout leaves the game alone";
        }
        TearDown();
    }
}

// Positions just saved are not unsaved: leaving after a save asks nothing about them.
TEST_F(EditorCommands, LeavingAfterASaveAsksNothing) {
    app->ExecuteCommand(command::EDIT_LAYOUT);
    app->ExecuteCommand(command::NEW_LAYOUT);
    for (int row = 0; row <= 16 && app->editor.positionCount < kTiles; row += 2) {
        for (int column = 0; column <= 32 && app->editor.positionCount < kTiles; column += 2) {
            LeftClick(0, row, column);
        }
    }
    for (int column : {4, 8, 12, 16}) {
        LeftClick(CellPoint(0, 6, column));
    }
    ASSERT_EQ(app->editor.positionCount, kTiles);
    desktop.chosenFiles.push_back(folder.File("LAYOUTS/Kept.tvl"));
    app->ExecuteCommand(command::SAVE_LAYOUT);
    ASSERT_TRUE(fs::exists(folder.File("LAYOUTS/Kept.tvl")));
    desktop.Clear();
    app->ExecuteCommand(command::EXIT_EDIT_LAYOUT);
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::Message), 0);
    EXPECT_FALSE(app->editMode);
}
