// Frames painted over an earlier frame: a composition into a buffer that already holds a picture
// paints the background again only where tiles were or go, so every such frame is checked
// against a view that composes the same game whole. Also: frames the window holds are never
// painted over, and pictures kept as file bytes decode to the same pixels after a resize.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/view2d/view2d_test_support.h"

namespace {

const std::string kData = GAME_DATA_DIR;

std::vector<std::uint8_t> Bytes(const Image& image) {
    return {image.Pixels(), image.Pixels() + image.Size()};
}

// A dealt shipped layout drawn with the shipped pictures, with the game's state the view asks
// for held here: hint pair, focus, editing, fade.
struct Game {
    Board board;
    EditorBoard editor;
    int hintA = NoTile;
    int hintB = NoTile;
    int focus = NoTile;
    bool editing = false;
    int editorTarget = -1;
    int fadeA = NoTile;
    int fadeB = NoTile;
    int fadeAlpha = 255;
    View2DOptions options;
    std::string background = kData + "/BACKGRND/Mountain.jpg";
    std::string tileSet = kData + "/TILESETS/Standard.jpg";

    Game() {
        board.layoutsFolder = kData + "/LAYOUTS/";
        board.layoutFileName = "Pyramid.tvl";
        board.millisecondSource = [] { return 4242; };
        if (board.LoadLayout()) {
            board.Deal();
        }
        Refresh();
        editor.StartFrom(board.positionGrid);
    }
    void Refresh() {
        board.UpdateFreeTiles();
        board.UpdateShadows();
    }
    // Two free tiles of one face, or NoTile.
    std::pair<int, int> FreePair() const {
        for (int a = 0; a < kTiles; ++a) {
            for (int b = a + 1; b < kTiles; ++b) {
                if (board.IsFree(a) && board.IsFree(b) && board.CanMatch(a, b)) {
                    return {a, b};
                }
            }
        }
        return {NoTile, NoTile};
    }
    void Bind(View2D& view) {
        view.sources.board = &board;
        view.sources.editor = &editor;
        view.sources.isHintTile = [this](int t) { return t == hintA || t == hintB; };
        view.sources.editing = [this] { return editing; };
        view.sources.focusTile = [this] { return focus; };
        view.sources.editorTarget = [this] { return editorTarget; };
        view.options = options;
    }
    bool Compose(View2D& view) const {
        return view.ComposeFrame(fadeA, fadeB, fadeAlpha, fadeAlpha);
    }
};

// The frame of a new view composed the plain way into a buffer of its own: nothing left of any
// earlier picture can show through, nothing is skipped under faces taken for opaque.
std::vector<std::uint8_t> ComposedWhole(Game& game, int width, int height) {
    View2D fresh;
    fresh.composePlainly = true;
    game.Bind(fresh);
    fresh.LoadBackground2D(game.background);
    fresh.LoadTileSet2D(game.tileSet);
    fresh.Resize(width, height);
    const std::shared_ptr<const Image> first = fresh.PaintFrame();  // the next frame is new
    EXPECT_TRUE(game.Compose(fresh));
    const std::shared_ptr<const Image> frame = fresh.PaintFrame();
    EXPECT_NE(frame.get(), first.get());
    return frame ? Bytes(*frame) : std::vector<std::uint8_t>{};
}

}  // namespace

TEST(View2DFrameReuse, FramesPaintedOverEarlierOnesEqualFramesComposedWhole) {
    Game game;
    ASSERT_NE(game.board.NumberTiles(), 0);
    View2D view;
    game.Bind(view);
    ASSERT_TRUE(view.LoadBackground2D(game.background));
    ASSERT_TRUE(view.LoadTileSet2D(game.tileSet));
    int width = 640;
    int height = 480;
    view.Resize(width, height);
    std::pair<int, int> pair = game.FreePair();
    ASSERT_NE(pair.first, NoTile);
    const std::pair<int, int> firstPair = pair;

    struct Step {
        const char* name;
        std::function<void()> change;
        bool windowHolds;  // the window holds the last frame while this one is composed
    };
    const Step steps[] = {
        {"first frame", [] {}, false},
        {"select", [&] { game.board.firstSelected = pair.first; }, false},
        {"select the second", [&] { game.board.secondSelected = pair.second; }, false},
        {"fade at 200",
         [&] { game.fadeA = pair.first, game.fadeB = pair.second, game.fadeAlpha = 200; }, true},
        {"fade at 60", [&] { game.fadeAlpha = 60; }, true},
        {"fade at 0", [&] { game.fadeAlpha = 0; }, false},
        {"remove the pair",
         [&] {
             game.fadeA = game.fadeB = NoTile;
             game.board.RemovePairTiles(pair.first, pair.second);
             game.board.firstSelected = game.board.secondSelected = NoTile;
             game.Refresh();
             pair = game.FreePair();
         },
         false},
        {"focus on a tile", [&] { game.focus = pair.first; }, false},
        {"focus far away", [&] { game.focus = pair.second; }, false},
        {"hint", [&] { game.hintA = pair.first, game.hintB = pair.second; }, true},
        {"remove two more pairs",
         [&] {
             for (int i = 0; i < 2; ++i) {
                 const std::pair<int, int> next = game.FreePair();
                 game.board.RemovePairTiles(next.first, next.second);
                 game.Refresh();
             }
             game.hintA = game.hintB = game.focus = NoTile;
         },
         true},
        {"undo", [&] { game.board.Undo(), game.Refresh(); }, false},
        {"undo to the start",
         [&] {
             while (game.board.Undo()) {
             }
             game.Refresh();
             game.focus = firstPair.second;
         },
         false},
        {"shadows off", [&] { game.options.shadows = false, game.Bind(view); }, false},
        {"no picture behind",
         [&] {
             game.options.showBackground = false;
             game.options.backgroundColour = {30, 60, 90, 255};
             game.Bind(view);
         },
         false},
        {"picture and shadows again",
         [&] { game.options.showBackground = true, game.options.shadows = true, game.Bind(view); },
         false},
        {"paused", [&] { game.board.ChronoPaused = 1; }, false},
        {"going on", [&] { game.board.ChronoPaused = 0; }, false},
        {"window made larger", [&] { width = 800, height = 600, view.Resize(width, height); },
         false},
        {"focus after the resize", [&] { game.focus = firstPair.first; }, true},
        {"window made smaller", [&] { width = 500, height = 400, view.Resize(width, height); },
         false},
        {"another background",
         [&] { view.LoadBackground2D(game.background = kData + "/BACKGRND/Lake.tga"); }, false},
        {"see-through sides (faces cut anew: none is opaque)",
         [&] {
             game.options.sidesColour = {10, 200, 30, 128};
             game.Bind(view);
             view.SizeTileSet2D(width, height);
             view.PlaceTiles();
         },
         false},
        {"see-through tiles selected and hinted",
         [&] {
             game.board.firstSelected = firstPair.first;
             game.hintA = firstPair.second;
         },
         true},
        {"layout editor", [&] { game.editing = true, game.editorTarget = CellIndex(1, 4, 6); },
         false},
        {"back to the game", [&] { game.editing = false; }, false},
    };
    std::shared_ptr<const Image> held;
    for (const Step& step : steps) {
        step.change();
        held = step.windowHolds ? view.PaintFrame() : nullptr;
        const std::vector<std::uint8_t> before = held ? Bytes(*held) : std::vector<std::uint8_t>{};
        ASSERT_TRUE(game.Compose(view)) << step.name;
        const std::shared_ptr<const Image> frame = view.PaintFrame();
        ASSERT_TRUE(frame) << step.name;
        EXPECT_TRUE(Bytes(*frame) == ComposedWhole(game, width, height)) << step.name;
        if (held) {
            EXPECT_TRUE(Bytes(*held) == before) << step.name;
        }
    }
}

TEST(View2DFrameReuse, TheWindowsFrameIsNeverPaintedOverAndALetGoFrameIsReused) {
    struct Case {
        const char* name;
        int holders;           // references the window takes on the shown frame
        int letGo;             // of those, let go again before the compositions
        int compositions;      // frames composed meanwhile, each at another fade alpha
        bool sameBufferAfter;  // the last composition painted over the frame shown before
    };
    const Case cases[] = {
        {"nobody holds it", 0, 0, 1, true},         {"held through one frame", 1, 0, 1, false},
        {"held through a fade", 1, 0, 5, false},    {"one of two holders lets go", 2, 1, 3, false},
        {"let go before the frame", 1, 1, 1, true},
    };
    for (const Case& c : cases) {
        TestView tv;
        tv.SetTile(0, 0, 4, 4, 3);
        tv.SetTile(1, 0, 4, 8, 5);
        tv.view.PlaceTiles();
        ASSERT_TRUE(tv.view.ComposeFrame()) << c.name;
        const Image* shownBefore = tv.view.PaintFrame().get();
        std::vector<std::shared_ptr<const Image>> holders;
        for (int i = 0; i < c.holders; ++i) {
            holders.push_back(tv.view.PaintFrame());
        }
        const std::vector<std::uint8_t> before = Bytes(*tv.view.PaintFrame());
        holders.resize(static_cast<std::size_t>(c.holders - c.letGo));
        for (int i = 0; i < c.compositions; ++i) {
            ASSERT_TRUE(tv.view.ComposeFrame(0, NoTile, 200 - 40 * i, 255)) << c.name;
        }
        for (const auto& held : holders) {
            EXPECT_EQ(held.get(), shownBefore) << c.name;
            EXPECT_TRUE(Bytes(*held) == before) << c.name;
        }
        const std::shared_ptr<const Image> now = tv.view.PaintFrame();
        EXPECT_EQ(now.get() == shownBefore, c.sameBufferAfter) << c.name;
        // Whichever buffer it went into, the last frame shows tile 0 at the last alpha.
        const TileRecord& r = tv.board->tiles[0];
        const int x = r.x2d + tv.view.Border() + TestView::kCellWidth / 2;
        const int y = r.y2d + TestView::kCellHeight / 2;
        EXPECT_EQ(PixelAt(*now, x, y),
                  Blend({0, 0, 0, 255}, FaceColour(3), 200 - 40 * (c.compositions - 1)))
            << c.name;
    }
}

TEST(View2DFrameReuse, KeptPictureBytesDecodeAfterAResizeAsTheFileDoesDirectly) {
    struct Case {
        const char* background;
        const char* tileSet;
        int fromWidth, fromHeight;  // the size the pictures were loaded at
        int width, height;          // the size they are decoded again for
    };
    const Case cases[] = {
        {"Mountain.jpg", "Standard.jpg", 640, 480, 900, 640},
        {"Bamboo.bmp", "Classic.bmp", 900, 640, 500, 400},
        {"Lake.tga", "Night.tga", 500, 400, 640, 480},
    };
    for (const Case& c : cases) {
        const std::string background = kData + "/BACKGRND/" + c.background;
        const std::string tileSet = kData + "/TILESETS/" + c.tileSet;
        Game game;
        View2D resized;
        game.Bind(resized);
        resized.Resize(c.fromWidth, c.fromHeight);
        ASSERT_TRUE(resized.LoadBackground2D(background)) << c.background;
        ASSERT_TRUE(resized.LoadTileSet2D(tileSet)) << c.tileSet;
        resized.Resize(c.width, c.height);
        View2D direct;
        game.Bind(direct);
        direct.Resize(c.width, c.height);
        ASSERT_TRUE(direct.LoadBackground2D(background)) << c.background;
        ASSERT_TRUE(direct.LoadTileSet2D(tileSet)) << c.tileSet;
        // Away and back again: the kept bytes decode the same every time.
        resized.Resize(c.fromWidth + 1, c.fromHeight + 1);
        resized.Resize(c.width, c.height);

        EXPECT_TRUE(Bytes(resized.ScaledBackground()) == Bytes(direct.ScaledBackground()))
            << c.background;
        // A background prepared aside, for the size the view had before it was resized, and one
        // prepared for the size it has.
        for (int width : {c.fromWidth, c.width}) {
            View2D aside;
            aside.Resize(c.width, c.height);
            const int height = width == c.width ? c.height : c.fromHeight;
            ASSERT_TRUE(
                aside.TakeBackground2D(View2D::PrepareBackground2D(background, width, height)));
            EXPECT_TRUE(Bytes(aside.ScaledBackground()) == Bytes(direct.ScaledBackground()))
                << c.background << " prepared at width " << width;
        }
        ASSERT_EQ(resized.TileWidth(), direct.TileWidth()) << c.tileSet;
        for (int face = 0; face < kTileSetFaceCount; ++face) {
            EXPECT_TRUE(Bytes(resized.Tiles().faces[face]) == Bytes(direct.Tiles().faces[face]))
                << c.tileSet << " face " << face;
        }
        ASSERT_TRUE(resized.ComposeFrame());
        ASSERT_TRUE(direct.ComposeFrame());
        EXPECT_TRUE(Bytes(*resized.PaintFrame()) == Bytes(*direct.PaintFrame())) << c.tileSet;
    }
}
