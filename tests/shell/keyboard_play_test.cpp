// Keyboard play in board2d's real main window on the offscreen platform: the keys travel as Qt
// key events from the board widget, a whole easy game is won with them, the focus ring is drawn,
// and a screen reader hears the focused tile and every announcement through Qt's accessibility.
#include <QAccessible>
#include <QAccessibleInterface>
#include <QKeyEvent>

#include <fstream>

#include "core/tile_focus.h"
#include "shell/main_window.h"
#include "tests/shell/qt_test_app.h"
#include "tests/shell/shell_test_support.h"

namespace {

// What a screen reader would hear: each accessibility event of the board with the board's name
// and description at that moment.
struct Heard {
    QAccessible::Event type;
    std::string name;
    std::string description;
};
std::vector<Heard>* heard = nullptr;

void RecordAccessibility(QAccessibleEvent* event) {
    QAccessibleInterface* board = event->accessibleInterface();
    if (heard == nullptr || board == nullptr || board->object() == nullptr ||
        board->object()->objectName() != QStringLiteral("Board")) {
        return;
    }
    heard->push_back({event->type(), board->text(QAccessible::Name).toStdString(),
                      board->text(QAccessible::Description).toStdString()});
}

int QtKey(KeyCode key, Qt::KeyboardModifiers& modifiers) {
    modifiers = Qt::NoModifier;
    switch (key) {
        case KeyCode::Tab:
            return Qt::Key_Tab;
        case KeyCode::ShiftTab:
            modifiers = Qt::ShiftModifier;
            return Qt::Key_Backtab;
        case KeyCode::Space:
            return Qt::Key_Space;
        case KeyCode::Return:
            return Qt::Key_Return;
        case KeyCode::Escape:
            return Qt::Key_Escape;
        default:
            ADD_FAILURE() << "no Qt key for " << static_cast<int>(key);
            return 0;
    }
}

class KeyboardPlay : public ::testing::Test {
protected:
    void SetUp() override {
        TestQtApp();
        heard = &events;
        QAccessible::installUpdateHandler(RecordAccessibility);
        QAccessible::setActive(true);
        app = std::make_unique<TestApp2D>(desktop);
        app->SetStartFolder(folder.Path());
        app->OfferFirstRunLanguage();
        ASSERT_TRUE(app->LoadSettings());
        app->settings.removeTileTime = 0;
        window = std::make_unique<MainWindow>(*app);
        window->resize(640, 480);
        app->AttachWindow(window.get());
        app->StartGame();
    }
    void TearDown() override {
        app->AttachWindow(nullptr);
        window.reset();
        QAccessible::installUpdateHandler(nullptr);
        heard = nullptr;
    }

    // A key as the keyboard gives it to the focused board widget.
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(window->Board(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(window->Board(), &release);
    }
    void Press(KeyCode key) {
        Qt::KeyboardModifiers modifiers;
        const int qtKey = QtKey(key, modifiers);
        Press(qtKey, modifiers);
    }
    QAccessibleInterface* Reader() const {
        return QAccessible::queryAccessibleInterface(window->Board());
    }
    std::string ReadName() const { return Reader()->text(QAccessible::Name).toStdString(); }
    std::string Description() const {
        return Reader()->text(QAccessible::Description).toStdString();
    }

    std::vector<Heard> events;
    GameFolder folder;
    ScriptedDesktop desktop;
    std::unique_ptr<TestApp2D> app;
    std::unique_ptr<MainWindow> window;
};

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

}  // namespace

TEST_F(KeyboardPlay, AnEasyGameIsWonWithKeysAlone) {
    ASSERT_TRUE(app->settings.easyMode);
    EXPECT_EQ(app->FocusedTile(), NoTile) << "no ring before the first key";
    // Every removal is heard: the board's description starts with it right after the key.
    int removalsHeard = 0;
    std::string lastHeard;
    WinWithKeys(*app, [&](KeyCode key) {
        Press(key);
        const std::string heardNow = Description();
        if (heardNow != lastHeard && StartsWith(heardNow, "Removed: ")) {
            ++removalsHeard;
        }
        lastHeard = heardNow;
    });
    EXPECT_EQ(app->board.tilesLeft, 0);
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::WinnerName), 1);
    EXPECT_EQ(app->FocusedTile(), NoTile) << "no tile is left to hold the focus";
    EXPECT_EQ(removalsHeard, kPairs);
    EXPECT_NE(lastHeard.find(app->Text(TextId::MesStatusWin)), std::string::npos) << lastHeard;
    EXPECT_EQ(ReadName(), "Board: No tile has the keyboard focus: press Tab");
}

TEST_F(KeyboardPlay, KeysMoveTheFocusOverTheBoard) {
    Board& board = app->board;
    Press(KeyCode::Tab);
    const int first = app->FocusedTile();
    ASSERT_EQ(first, NextFreeTile(board, NoTile, true));
    Press(KeyCode::ShiftTab);
    EXPECT_EQ(app->FocusedTile(), NextFreeTile(board, first, false));
    Press(KeyCode::Tab);
    ASSERT_EQ(app->FocusedTile(), first);

    // The letters and Ctrl with the arrows both move to the nearest tile on the layer.
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        FocusDirection direction;
    };
    const Case directions[] = {
        {Qt::Key_L, Qt::NoModifier, FocusDirection::Right},
        {Qt::Key_J, Qt::NoModifier, FocusDirection::Down},
        {Qt::Key_H, Qt::NoModifier, FocusDirection::Left},
        {Qt::Key_K, Qt::NoModifier, FocusDirection::Up},
        {Qt::Key_Right, Qt::ControlModifier, FocusDirection::Right},
        {Qt::Key_Down, Qt::ControlModifier, FocusDirection::Down},
        {Qt::Key_Left, Qt::ControlModifier, FocusDirection::Left},
        {Qt::Key_Up, Qt::ControlModifier, FocusDirection::Up},
    };
    for (const Case& c : directions) {
        const int from = app->FocusedTile();
        Press(c.key, c.modifiers);
        EXPECT_EQ(app->FocusedTile(), NearestInDirection(board, from, c.direction)) << c.key;
    }
    // Plain arrows are not the focus's keys.
    const int before = app->FocusedTile();
    Press(Qt::Key_Right);
    EXPECT_EQ(app->FocusedTile(), before);

    // Ctrl+Page Up climbs to the top layer one layer at a time; Ctrl+Page Down comes back.
    int layer = board.tiles[static_cast<std::size_t>(app->FocusedTile())].layer;
    for (int step = 0; step < kLayers; ++step) {
        Press(Qt::Key_PageUp, Qt::ControlModifier);
        const int now = board.tiles[static_cast<std::size_t>(app->FocusedTile())].layer;
        EXPECT_TRUE(now == layer || now == layer + 1) << now;
        layer = now;
    }
    EXPECT_GT(layer, 0) << "the default layout has more than one layer";
    for (int step = 0; step < kLayers; ++step) {
        Press(Qt::Key_PageDown, Qt::ControlModifier);
    }
    EXPECT_EQ(board.tiles[static_cast<std::size_t>(app->FocusedTile())].layer, 0);
    EXPECT_TRUE(TileOnBoard(board, app->FocusedTile()));

    // Space selects the focused free tile, Return on it deselects, Escape clears a selection.
    Press(KeyCode::Tab);
    const int tile = app->FocusedTile();
    Press(KeyCode::Space);
    EXPECT_EQ(board.firstSelected, tile);
    Press(KeyCode::Return);
    EXPECT_EQ(board.firstSelected, NoTile);
    Press(KeyCode::Space);
    ASSERT_EQ(board.firstSelected, tile);
    Press(KeyCode::Escape);
    EXPECT_EQ(board.firstSelected, NoTile);

    // A mouse click that selects another free tile brings the shown focus along.
    const int other = NextFreeTile(board, tile, true);
    ASSERT_NE(other, tile);
    int x = 0;
    int y = 0;
    FacePoint2D(*app, other, x, y);
    app->OnLeftButtonDown(x, y);
    ASSERT_EQ(board.firstSelected, other);
    EXPECT_EQ(app->FocusedTile(), other);
    Press(KeyCode::Escape);

    // While paused the faces are hidden: the keys neither move the focus nor click.
    app->ExecuteCommand(command::PAUSE_CHRONO);
    Press(KeyCode::Tab);
    Press(KeyCode::Space);
    EXPECT_EQ(app->FocusedTile(), other);
    EXPECT_EQ(board.firstSelected, NoTile);
}

TEST_F(KeyboardPlay, TheFocusRingIsDrawnAroundTheFocusedTile) {
    auto pixel = [this](int x, int y) {
        std::array<int, 3> bgr{};
        app->PaintFrame([&](const std::uint8_t* bgra, int, int, int stride) {
            const std::uint8_t* p = bgra + static_cast<std::ptrdiff_t>(y) * stride + x * 4;
            bgr = {p[0], p[1], p[2]};
        });
        return bgr;
    };
    const View2D& view = app->View();
    ASSERT_GT(view.TileWidth(), 0);
    const int t = NextFreeTile(app->board, NoTile, true);
    const TileRecord& tile = app->board.tiles[static_cast<std::size_t>(t)];
    const int line = MarkEdgeWidth(view.TileWidth());
    const int band = MarkFrameWidth(view.TileWidth());
    const int y = tile.y2d + view.TileHeight() / 2;
    const std::array<int, 3> blue{kFocusBandColour.blue, kFocusBandColour.green,
                                  kFocusBandColour.red};
    const std::array<int, 3> white{255, 255, 255};
    EXPECT_NE(pixel(tile.x2d - line - band / 2, y), blue) << "no ring before the first key";
    Press(KeyCode::Tab);
    ASSERT_EQ(app->FocusedTile(), t);
    EXPECT_EQ(pixel(tile.x2d - 1, y), white);
    EXPECT_EQ(pixel(tile.x2d - line - band / 2, y), blue);
    EXPECT_EQ(pixel(tile.x2d - line - band - 1, y), white);
}

TEST_F(KeyboardPlay, TheScreenReaderHearsTheFocusedTileInThePlayersLanguage) {
    ASSERT_NE(Reader(), nullptr);
    EXPECT_EQ(ReadName(), "Board: No tile has the keyboard focus: press Tab");
    Press(KeyCode::Tab);
    Board& board = app->board;
    const int free = app->FocusedTile();
    // A free tile made Bamboo 3, and its blocked neighbour to the right made the red dragon.
    Press(Qt::Key_L);
    const int blocked = app->FocusedTile();
    ASSERT_FALSE(board.IsFree(blocked)) << "the default layout's rows are longer than two";
    board.tiles[static_cast<std::size_t>(free)].face = 20;
    board.tiles[static_cast<std::size_t>(blocked)].face = 39;
    const std::string layer = std::to_string(board.tiles[static_cast<std::size_t>(free)].layer + 1);
    const std::string blockedLayer =
        std::to_string(board.tiles[static_cast<std::size_t>(blocked)].layer + 1);
    if (QAccessible::isActive()) {
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().type, QAccessible::NameChanged);
    }
    EXPECT_EQ(ReadName(), "Red dragon, blocked, layer " + blockedLayer);
    Press(Qt::Key_H);
    EXPECT_EQ(ReadName(), "Bamboo 3, free, layer " + layer);
    const std::string counts =
        std::to_string(kTiles) + " tiles left, " + std::to_string(FreePairs(board)) + " free pairs";
    EXPECT_EQ(Description(), counts);

    std::filesystem::copy_file(std::string(GAME_DATA_DIR) + "/LANGUAGE/Français.txt",
                               folder.File("LANGUAGE/Français.txt"));
    ASSERT_TRUE(app->texts.LoadLanguage(app->folders, "Français.txt"));
    EXPECT_EQ(ReadName(), "Bambou 3, libre, niveau " + layer);
    Press(Qt::Key_Space);
    EXPECT_EQ(ReadName(), "Bambou 3, libre, niveau " + layer + ", sélectionnée");
    Press(Qt::Key_L);
    EXPECT_EQ(ReadName(), "Dragon rouge, bloquée, niveau " + blockedLayer);
    EXPECT_TRUE(StartsWith(Description(), std::to_string(kTiles) + " tuiles restantes, "));
}

TEST_F(KeyboardPlay, RemovalsHintsAndTheLossAreAnnounced) {
    Board& board = app->board;
    const int a = board.dealOrder[0];
    const int b = board.dealOrder[1];
    // Six more tiles of faces that match nothing stay beside a and b: once the pair is gone the
    // game is lost.
    int others = 0;
    for (int t = 0; t < kTiles; ++t) {
        if (t == a || t == b) {
            board.tiles[static_cast<std::size_t>(t)].face = 0;
        } else if (others < 6) {
            board.tiles[static_cast<std::size_t>(t)].face = static_cast<std::uint8_t>(++others);
        } else {
            board.FillTileCells(t, NoTile);
            board.tiles[static_cast<std::size_t>(t)].face = NoTile;
        }
    }
    board.tilesLeft = 8;
    board.UpdateFreeTiles();
    board.BuildMoveList(false);
    ASSERT_EQ(board.moveCount, 1);

    app->ExecuteCommand(command::HINT);
    EXPECT_TRUE(StartsWith(Description(), "Hint: Character 1, free, layer ")) << Description();

    for (int tile : {a, b}) {
        for (int presses = 0; presses < kTiles && app->FocusedTile() != tile; ++presses) {
            Press(KeyCode::Tab);
        }
        Press(KeyCode::Space);
    }
    ASSERT_EQ(board.tilesLeft, 6);
    EXPECT_EQ(Description(), "Removed: Character 1 and Character 1. " +
                                 app->Text(TextId::MesStatusLose) + " 6 tiles left, 0 free pairs");
    EXPECT_TRUE(TileOnBoard(board, app->FocusedTile())) << "the focus left the removed tile";
    if (QAccessible::isActive()) {
        // Where the platform has a screen-reader bridge the change is also sent as an alert.
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().type, QAccessible::Alert);
    }
}
