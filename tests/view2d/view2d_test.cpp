// Pixel checks of composed 2D frames, tile placement, the removal fade, the frame shared with the
// autoplay worker, and picking tiles and editor cells.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "tests/view2d/view2d_test_support.h"
#include "view2d/view2d_local.h"

namespace {

struct Point {
    int x, y;
};

// Middle of tile t's face picture (right of the side strip, above the bottom strip).
Point FaceCentre(const TestView& tv, int t) {
    const TileRecord& r = tv.board->tiles[t];
    return {r.x2d + tv.view.Border() + tv.view.TileWidth() / 2, r.y2d + tv.view.TileHeight() / 2};
}

Bgra FacePixel(const View2D& view, int face, int x, int y) {
    return PixelAt(view.Tiles().faces[face], x, y);
}

std::vector<std::uint8_t> Bytes(const Image& image) {
    return {image.Pixels(), image.Pixels() + image.Size()};
}

// A frame clock that moves on by `step` microseconds at every reading, and by the time slept at
// every wait, so a fade's frame count is the same on any machine and under any sanitiser.
struct SteppedClock {
    std::int64_t now = 1000000;
    std::int64_t step;
    std::int64_t slept = 0;

    explicit SteppedClock(std::int64_t stepMicroseconds) : step(stepMicroseconds) {}
    void Drive(View2D& view) {
        view.frameClock.nowMicroseconds = [this] {
            const std::int64_t reading = now;
            now += step;
            return reading;
        };
        view.frameClock.sleepMicroseconds = [this](std::int64_t us) {
            slept += us;
            now += us;
        };
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Sizing and placing
// ---------------------------------------------------------------------------------------------

TEST(View2DSizing, TileSetFitsHalfTheWidthAndThreeSeventhsOfTheHeight) {
    // 800 x 600 with a 900 x 500 picture: 400 x 222 lowered to 396 x 220, cells of 44 x 44.
    View2D view;
    view.Tiles().source = MakeTileSetPicture(100, 100);
    view.Tiles().hasSource = true;
    view.Resize(800, 600);
    EXPECT_EQ(view.TileWidth(), 44);
    EXPECT_EQ(view.TileHeight(), 44);
    ASSERT_TRUE(view.Tiles().faces[0].HasPixels());
    EXPECT_EQ(view.Tiles().faces[0].Width(), 44 + 5);
    EXPECT_EQ(view.Tiles().faces[0].Height(), 44 + 5);

    // The border and shadow settings reach the cut faces.
    view.options.borderSize = 8;
    view.options.shadowSize = 20;
    ASSERT_TRUE(view.SizeTileSet2D(800, 600));
    EXPECT_EQ(view.Border(), 8);
    EXPECT_EQ(view.Tiles().faces[0].Width(), 44 + 8);
    EXPECT_EQ(view.Tiles().shadowPieces[2].Width(), 20);
}

TEST(View2DSizing, WithoutATileSetNothingIsCutAndNothingIsDrawn) {
    View2D view;
    Board board;
    view.sources.board = &board;
    view.options.showBackground = false;
    view.options.backgroundColour = {1, 2, 3, 255};
    EXPECT_FALSE(view.SizeTileSet2D(800, 600));
    EXPECT_FALSE(view.LoadTileSet2D("/nonexistent/Standard.jpg"));
    view.Resize(320, 200);
    EXPECT_EQ(view.TileWidth(), 0);
    auto frame = view.PaintFrame();
    ASSERT_TRUE(frame);
    for (int y = 0; y < 200; y += 13) {
        for (int x = 0; x < 320; x += 17) {
            ASSERT_EQ(PixelAt(*frame, x, y), (Bgra{3, 2, 1, 255}));
        }
    }
}

// A picture that cannot serve as a tile set (missing, damaged, too small to hold 9 x 5 faces)
// is refused, and the faces already cut stay as they are.
TEST(View2DSizing, PictureThatIsNoTileSetKeepsTheFacesCut) {
    const std::string folder = testing::TempDir();
    const std::string good = folder + "varnel_view2d_good_tiles.bmp";
    const std::string tiny = folder + "varnel_view2d_tiny_tiles.bmp";
    const std::string junk = folder + "varnel_view2d_junk_tiles.bmp";
    const std::string cut = folder + "varnel_view2d_cut_tiles.bmp";
    WriteUniformBitmap(good, 900, 500, Bgra{10, 20, 30, 255});
    WriteUniformBitmap(tiny, 4, 4, Bgra{200, 200, 200, 255});
    {
        std::ofstream(junk, std::ios::binary) << "BM this is no picture at all";
        std::ifstream whole(good, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(whole)),
                          std::istreambuf_iterator<char>());
        std::ofstream(cut, std::ios::binary) << bytes.substr(0, 60);
    }
    TestView tv;
    tv.view.Resize(800, 600);
    ASSERT_TRUE(tv.view.LoadTileSet2D(good));
    const int w = tv.view.TileWidth();
    ASSERT_GT(w, 0);
    const Bgra before = PixelAt(tv.view.Tiles().faces[7], w / 2 + tv.view.Border(), 5);
    for (const std::string& path : {tiny, junk, cut, folder + "varnel_view2d_missing.bmp"}) {
        EXPECT_FALSE(tv.view.LoadTileSet2D(path)) << path;
        EXPECT_EQ(tv.view.TileWidth(), w) << path;
        ASSERT_TRUE(tv.view.Tiles().faces[7].HasPixels()) << path;
        EXPECT_EQ(PixelAt(tv.view.Tiles().faces[7], w / 2 + tv.view.Border(), 5), before) << path;
    }
    // The kept picture is still there to be cut again at another size.
    EXPECT_TRUE(tv.view.SizeTileSet2D(1280, 720));
}

TEST(View2DPlacing, LayersShiftRightAndUpAndTheBoardIsCentred) {
    TestView tv;
    tv.SetTile(0, 0, 4, 6, 1);
    tv.SetTile(1, 2, 4, 6, 2);  // two layers up, same row and column
    tv.SetTile(2, 0, 10, 20, 3);
    tv.SetTile(3, 1, 5, 9, 4);  // odd row and column: half a tile down and right
    tv.view.PlaceTiles();
    const int n = tv.view.Border();
    const int hw = tv.view.TileWidth() / 2;
    const int hh = tv.view.TileHeight() / 2;
    const auto& t = tv.board->tiles;
    EXPECT_EQ(t[1].x2d - t[0].x2d, 2 * n);
    EXPECT_EQ(t[1].y2d - t[0].y2d, -2 * n);
    EXPECT_EQ(t[2].x2d - t[0].x2d, 14 * hw);
    EXPECT_EQ(t[2].y2d - t[0].y2d, 6 * hh);
    EXPECT_EQ(t[3].x2d - t[0].x2d, 3 * hw + n);
    EXPECT_EQ(t[3].y2d - t[0].y2d, hh - n);

    // Every record counts (the removed ones stand at layer 0, row 0, column 0); the bounding
    // box of all images is centred, to the pixel.
    int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
    for (const TileRecord& r : t) {
        left = std::min(left, r.x2d);
        top = std::min(top, r.y2d);
        right = std::max(right, r.x2d + tv.view.TileWidth() + n);
        bottom = std::max(bottom, r.y2d + tv.view.TileHeight() + n);
    }
    EXPECT_EQ(left, tv.view.BoardOffsetX());
    EXPECT_EQ(top, tv.view.BoardOffsetY());
    EXPECT_LE(std::abs(left - (TestView::kWidth - right)), 1);
    EXPECT_LE(std::abs(top - (TestView::kHeight - bottom)), 1);
}

// ---------------------------------------------------------------------------------------------
// Composing
// ---------------------------------------------------------------------------------------------

TEST(View2DCompose, FailsWithoutAFrame) {
    View2D view;
    EXPECT_FALSE(view.ComposeFrame());
    EXPECT_FALSE(view.PaintFrame());
}

TEST(View2DCompose, TileFaceAppearsWherePlaceTilesPutIt) {
    TestView tv;
    tv.SetTile(0, 0, 6, 8, 7);
    tv.SetTile(1, 1, 2, 20, 30);
    tv.view.PlaceTiles();
    ASSERT_TRUE(tv.view.ComposeFrame());
    const Image& frame = tv.Frame();
    const int n = tv.view.Border();
    const int w = tv.view.TileWidth();
    const int h = tv.view.TileHeight();
    for (int t : {0, 1}) {
        const TileRecord& r = tv.board->tiles[t];
        const Image& face = tv.view.Tiles().faces[r.face];
        for (int y = 0; y < h; ++y) {
            for (int x = n; x < n + w; ++x) {
                ASSERT_EQ(PixelAt(frame, r.x2d + x, r.y2d + y), PixelAt(face, x, y))
                    << "tile " << t << " at " << x << "," << y;
            }
        }
        // The face picture is the synthetic face's colour (no resampling at this size).
        const Point c = FaceCentre(tv, t);
        const Bgra expected = FaceColour(r.face);
        EXPECT_EQ(PixelAt(frame, c.x, c.y).r, expected.r);
        EXPECT_EQ(PixelAt(frame, c.x, c.y).g, expected.g);
        EXPECT_EQ(PixelAt(frame, c.x, c.y).b, expected.b);
    }
    // The cut top-left corner lets the background through.
    EXPECT_EQ(PixelAt(frame, tv.board->tiles[0].x2d, tv.board->tiles[0].y2d), (Bgra{0, 0, 0, 255}));
}

TEST(View2DCompose, SideStripsShowTheSideColour) {
    TestView tv;
    tv.SetTile(0, 0, 6, 8, 7);
    tv.view.PlaceTiles();
    tv.view.ComposeFrame();
    const Image& frame = tv.Frame();
    const TileRecord& r = tv.board->tiles[0];
    const int n = tv.view.Border();
    const int w = tv.view.TileWidth();
    const int h = tv.view.TileHeight();
    const Bgra side{30, 200, 10, 255};
    const Bgra black{0, 0, 0, 255};
    // Left strip: inside it the side colour, its outer column the black outline.
    for (int y = n + 1; y < h - 1; ++y) {
        for (int x = 1; x < n; ++x) {
            ASSERT_EQ(PixelAt(frame, r.x2d + x, r.y2d + y), side) << x << "," << y;
        }
        ASSERT_EQ(PixelAt(frame, r.x2d, r.y2d + y), black);
    }
    // Bottom strip: the side colour above its black bottom row.
    for (int x = n + 1; x < w; ++x) {
        for (int y = h; y < h + n - 1; ++y) {
            if (x < w + (h + n - 1 - y)) {
                ASSERT_EQ(PixelAt(frame, r.x2d + x, r.y2d + y), side) << x << "," << y;
            }
        }
        ASSERT_EQ(PixelAt(frame, r.x2d + x, r.y2d + h + n - 1), black);
    }
}

TEST(View2DCompose, ShadowsOnlyWithShadowsOn) {
    TestView tv;
    tv.view.options.backgroundColour = {200, 150, 100, 255};
    const Bgra background{100, 150, 200, 255};
    tv.SetTile(0, 1, 4, 4, 5);
    ShadowFlags& flags = tv.board->shadows[0];
    flags.corner = 1;
    flags.bottomLeft = 1;
    flags.rightUpper = 1;
    tv.view.PlaceTiles();
    const TileRecord& r = tv.board->tiles[0];
    const int n = tv.view.Border();
    const int w = tv.view.TileWidth();
    const int h = tv.view.TileHeight();
    const int hw = w / 2;
    const Bgra shaded = Blend(background, {0, 0, 0, 255}, 64);
    // Inside the corner piece, the bottom-left piece (row 2 is painted from pixel 2 on) and the
    // upper right piece (row hh - 1 is painted up to its width), where the tile itself does not
    // cover them.
    const Point inside[] = {{r.x2d + w + 3, r.y2d + n + h + 3},
                            {r.x2d + hw - 1, r.y2d + n + h + 2},
                            {r.x2d + w + n + 1, r.y2d + n + h / 2 - 1}};
    // Where no flag casts: below the right half, and right of the lower half.
    const Point outside[] = {{r.x2d + w - 1, r.y2d + n + h + 2},
                             {r.x2d + w + n + 1, r.y2d + n + h - 2}};

    tv.view.options.shadows = true;
    tv.view.ComposeFrame();
    for (Point p : inside) {
        EXPECT_EQ(PixelAt(tv.Frame(), p.x, p.y), shaded) << p.x << "," << p.y;
    }
    for (Point p : outside) {
        EXPECT_EQ(PixelAt(tv.Frame(), p.x, p.y), background) << p.x << "," << p.y;
    }

    tv.view.options.shadows = false;
    tv.view.ComposeFrame();
    for (Point p : inside) {
        EXPECT_EQ(PixelAt(tv.Frame(), p.x, p.y), background) << p.x << "," << p.y;
    }

    // All eleven flags set: every piece lands beside or below the tile, never on its face.
    tv.view.options.shadows = true;
    flags = ShadowFlags{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    tv.view.ComposeFrame();
    const Image& frame = tv.Frame();
    for (int y = 0; y < h; ++y) {
        for (int x = n; x < n + w; ++x) {
            ASSERT_EQ(PixelAt(frame, r.x2d + x, r.y2d + y), FacePixel(tv.view, 5, x, y));
        }
    }
}

// The selection and hint marks darken the face picture (not the side strip), and over the veil
// the selected tile gets an orange frame and the hinted pair a blue one, inside the face picture,
// with a dark line along the frame's inner edge; a tile that is neither has no veil and no frame.
// The frame is as wide at 200 % as twice its width at 100 %, and it fades with its tile.
TEST(View2DCompose, SelectionAndHintMarksDarkenTheFaceAndFrameIt) {
    const Bgra black{0, 0, 0, 255};
    auto bgra = [](ImageColour c) { return Bgra{c.blue, c.green, c.red, 255}; };
    TestView tv;
    tv.SetTile(0, 0, 4, 4, 3);
    tv.SetTile(1, 0, 4, 10, 3);
    tv.SetTile(2, 0, 4, 16, 9);
    tv.view.PlaceTiles();
    tv.board->firstSelected = 0;
    tv.hintA = 2;
    tv.view.ComposeFrame();
    const Image& frame = tv.Frame();
    const int n = tv.view.Border();
    const int w = tv.view.TileWidth();
    const int h = tv.view.TileHeight();
    const int t = MarkFrameWidth(w);
    const int e = MarkEdgeWidth(w);
    ASSERT_EQ(t, 3);
    ASSERT_EQ(e, 1);
    const struct {
        int tile;
        int face;
        Bgra frameColour;  // the frame's band
        Bgra inside;       // just inside the band
    } cases[] = {{0, 3, bgra(kSelectedFrameColour), black},
                 {2, 9, bgra(kHintFrameColour), black},
                 {1, 3, FaceColour(3), FaceColour(3)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tile);
        const TileRecord& r = tv.board->tiles[c.tile];
        const int left = r.x2d + n;
        const int top = r.y2d;
        // Every pixel of the band on all four sides, corners included.
        for (int i = 0; i < w; ++i) {
            for (int k = 0; k < t; ++k) {
                ASSERT_EQ(PixelAt(frame, left + i, top + k), c.frameColour) << i << "," << k;
                ASSERT_EQ(PixelAt(frame, left + i, top + h - 1 - k), c.frameColour);
            }
        }
        for (int j = 0; j < h; ++j) {
            for (int k = 0; k < t; ++k) {
                ASSERT_EQ(PixelAt(frame, left + k, top + j), c.frameColour) << j << "," << k;
                ASSERT_EQ(PixelAt(frame, left + w - 1 - k, top + j), c.frameColour);
            }
        }
        EXPECT_EQ(PixelAt(frame, left + w / 2, top + t), c.inside);
        EXPECT_EQ(PixelAt(frame, left + t, top + h / 2), c.inside);
        // Within the inner line the veiled face shows, and the side strip has no frame.
        const Bgra face = c.tile == 1 ? FaceColour(3) : Blend(FaceColour(c.face), black, 64);
        EXPECT_EQ(PixelAt(frame, left + t + e, top + t + e), face);
        const Point centre = FaceCentre(tv, c.tile);
        EXPECT_EQ(PixelAt(frame, centre.x, centre.y), face);
        for (const int x : {1, 2}) {
            EXPECT_EQ(PixelAt(frame, r.x2d + x, top + h / 2), (Bgra{30, 200, 10, 255})) << x;
        }
    }

    // A fading selected tile takes its frame with it.
    tv.view.ComposeFrame(0, NoTile, 128, 255);
    const TileRecord& r = tv.board->tiles[0];
    const Bgra fadedVeiledFace = Blend(Blend(black, FaceColour(3), 128), black, 64 * 128 / 255);
    EXPECT_EQ(PixelAt(tv.Frame(), r.x2d + n + w / 2, r.y2d),
              Blend(fadedVeiledFace, bgra(kSelectedFrameColour), 128));

    // The frame grows with the tiles.
    const struct {
        int faceWidth;
        int frameWidth;
    } widths[] = {{20, 2}, {36, 3}, {44, 3}, {48, 4}, {88, 7}, {96, 8}, {200, 16}};
    for (const auto& c : widths) {
        EXPECT_EQ(MarkFrameWidth(c.faceWidth), c.frameWidth) << c.faceWidth;
        EXPECT_GE(MarkEdgeWidth(c.faceWidth), 1);
    }
    EXPECT_GE(MarkFrameWidth(88), 2 * MarkFrameWidth(44));
}

TEST(View2DCompose, PausedChronoShowsBlankFacesWithoutMarks) {
    TestView tv;
    tv.SetTile(0, 0, 4, 4, 3);
    tv.SetTile(1, 0, 4, 10, 12);
    tv.view.PlaceTiles();
    tv.board->firstSelected = 0;
    tv.hintA = 1;
    tv.board->ChronoPaused = 1;
    tv.view.ComposeFrame();
    const Bgra blank = FaceColour(42);
    for (int t : {0, 1}) {
        const Point c = FaceCentre(tv, t);
        EXPECT_EQ(PixelAt(tv.Frame(), c.x, c.y), blank) << "tile " << t;
    }
    // Running again, the hint mark and the selection return.
    tv.board->ChronoPaused = 0;
    tv.view.ComposeFrame();
    const Bgra black{0, 0, 0, 255};
    const Point c0 = FaceCentre(tv, 0), c1 = FaceCentre(tv, 1);
    EXPECT_EQ(PixelAt(tv.Frame(), c0.x, c0.y), Blend(FaceColour(3), black, 64));
    EXPECT_EQ(PixelAt(tv.Frame(), c1.x, c1.y), Blend(FaceColour(12), black, 64));
}

TEST(View2DCompose, BackgroundPictureOrColour) {
    TestView tv;
    tv.view.options.showBackground = true;
    tv.view.options.backgroundColour = {9, 9, 9, 255};
    // Without a loaded picture the colour shows.
    tv.view.ComposeFrame();
    EXPECT_EQ(PixelAt(tv.Frame(), 3, 3), (Bgra{9, 9, 9, 255}));

    // A uniform 24-bit bitmap, stretched over the whole view.
    const std::string path = testing::TempDir() + "view2d_background.bmp";
    WriteUniformBitmap(path, 40, 30, {40, 80, 120, 255});
    ASSERT_TRUE(tv.view.LoadBackground2D(path));
    ASSERT_EQ(tv.view.ScaledBackground().Width(), TestView::kWidth);
    ASSERT_EQ(tv.view.ScaledBackground().Height(), TestView::kHeight);
    tv.view.ComposeFrame();
    for (Point p : {Point{0, 0}, Point{TestView::kWidth - 1, TestView::kHeight - 1},
                    Point{TestView::kWidth / 2, 7}}) {
        const Bgra pixel = PixelAt(tv.Frame(), p.x, p.y);
        EXPECT_NEAR(pixel.b, 40, 2);
        EXPECT_NEAR(pixel.g, 80, 2);
        EXPECT_NEAR(pixel.r, 120, 2);
        EXPECT_EQ(pixel.a, 255);
    }
    // "none" as background: the colour again, though the picture is still loaded.
    tv.view.options.showBackground = false;
    tv.view.ComposeFrame();
    EXPECT_EQ(PixelAt(tv.Frame(), 3, 3), (Bgra{9, 9, 9, 255}));
    // A picture that fails to load takes the old one away.
    tv.view.options.showBackground = true;
    EXPECT_FALSE(tv.view.LoadBackground2D("/nonexistent/Mountain.jpg"));
    tv.view.ComposeFrame();
    EXPECT_EQ(PixelAt(tv.Frame(), 3, 3), (Bgra{9, 9, 9, 255}));
    std::filesystem::remove(path);
}

TEST(View2DCompose, BoardLargerThanTheViewIsClipped) {
    TestView tv;
    for (int t = 0; t < 8; ++t) {
        tv.SetTile(t, t % 5, (t * 5) % 19, (t * 9) % 33, t);
    }
    tv.view.Resize(90, 70);  // far smaller than the board
    EXPECT_TRUE(tv.view.ComposeFrame());
    // Tiles pushed far outside (as a damaged saved game could leave them) draw nothing.
    tv.board->tiles[0].x2d = INT_MAX - 3;
    tv.board->tiles[1].y2d = INT_MIN + 3;
    tv.board->tiles[2].x2d = -40;
    tv.board->tiles[3].face = 77;  // no such face
    EXPECT_TRUE(tv.view.ComposeFrame());
    EXPECT_EQ(tv.Frame().Width(), 90);
}

// ---------------------------------------------------------------------------------------------
// The removal fade
// ---------------------------------------------------------------------------------------------

TEST(View2DFade, FadedTileBlendsWithItsAlphaAndFacesStayIntact) {
    TestView tv;
    tv.SetTile(0, 0, 4, 4, 3);
    tv.SetTile(1, 0, 4, 12, 3);
    tv.view.PlaceTiles();
    const std::vector<std::uint8_t> before = Bytes(tv.view.Tiles().faces[3]);
    const Bgra background{0, 0, 0, 255};
    for (int alpha : {255, 200, 128, 1}) {
        tv.view.ComposeFrame(0, 1, alpha, 255 - alpha);
        const Point c0 = FaceCentre(tv, 0), c1 = FaceCentre(tv, 1);
        EXPECT_EQ(PixelAt(tv.Frame(), c0.x, c0.y), Blend(background, FaceColour(3), alpha));
        EXPECT_EQ(PixelAt(tv.Frame(), c1.x, c1.y), Blend(background, FaceColour(3), 255 - alpha));
    }
    tv.view.ComposeFrame(0, 1, 0, 0);
    const Point c0 = FaceCentre(tv, 0);
    EXPECT_EQ(PixelAt(tv.Frame(), c0.x, c0.y), background);
    // The cut corner stays transparent at any alpha.
    tv.view.ComposeFrame(0, NoTile, 128, 255);
    EXPECT_EQ(PixelAt(tv.Frame(), tv.board->tiles[0].x2d, tv.board->tiles[0].y2d), background);
    EXPECT_EQ(Bytes(tv.view.Tiles().faces[3]), before);
}

TEST(View2DFade, SelectedTileFadesWithItsMarkAndShadow) {
    TestView tv;
    tv.view.options.backgroundColour = {200, 150, 100, 255};
    const Bgra background{100, 150, 200, 255};
    tv.SetTile(0, 1, 4, 4, 3);
    tv.board->shadows[0].corner = 1;
    tv.view.PlaceTiles();
    tv.board->firstSelected = 0;
    tv.view.ComposeFrame(0, NoTile, 128, 255);
    const Point c = FaceCentre(tv, 0);
    const Bgra black{0, 0, 0, 255};
    EXPECT_EQ(PixelAt(tv.Frame(), c.x, c.y),
              Blend(Blend(background, FaceColour(3), 128), black, 64 * 128 / 255));
    const TileRecord& r = tv.board->tiles[0];
    const int n = tv.view.Border();
    EXPECT_EQ(
        PixelAt(tv.Frame(), r.x2d + tv.view.TileWidth() + 2, r.y2d + n + tv.view.TileHeight() + 2),
        Blend(background, black, 64 * 128 / 255));
}

TEST(View2DFade, AnimateRemovalRunsFromOpaqueTowardTransparent) {
    TestView tv;
    tv.SetTile(0, 0, 4, 4, 3);
    tv.SetTile(1, 0, 4, 12, 3);
    tv.view.PlaceTiles();
    // Every frame takes 5 ms: 300 ms hold 60 of them.
    SteppedClock clock(5000);
    clock.Drive(tv.view);
    tv.view.minFrameMicroseconds = 2000;
    tv.view.options.removeTileTime = 300;
    struct Shown {
        int steps;
        Bgra pixel;
    };
    std::vector<Shown> shown;
    const Point c = FaceCentre(tv, 1);
    tv.view.paintNow = [&] {
        auto frame = tv.view.PaintFrame();
        shown.push_back({tv.view.FadeSteps(), PixelAt(*frame, c.x, c.y)});
    };
    tv.view.Tick();
    ASSERT_EQ(tv.view.FadeSteps(), 60);
    tv.view.AnimateRemoval(0, 1);
    ASSERT_EQ(shown.size(), 60u);
    EXPECT_EQ(clock.slept, 0);  // no frame was shorter than the shortest
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const int alpha = static_cast<int>((1.0 - static_cast<double>(i) / shown[i].steps) * 255.0);
        EXPECT_EQ(shown[i].pixel, Blend({0, 0, 0, 255}, FaceColour(3), alpha)) << "frame " << i;
    }
    EXPECT_EQ(shown.front().pixel, FaceColour(3));

    // Frames of 0.5 ms are held up to the shortest frame (2 ms) by a wait of 1.5 ms; the reading
    // after the wait costs its own 0.5 ms, so each frame measures 2.5 ms: 120 frames.
    shown.clear();
    clock.step = 500;
    tv.view.Tick();
    ASSERT_EQ(tv.view.FadeSteps(), 150);  // Tick counts a short frame as the shortest
    tv.view.AnimateRemoval(0, 1);
    EXPECT_EQ(shown.size(), 120u);
    EXPECT_EQ(clock.slept, 120 * 1500);

    // No removal time: no fade at all.
    shown.clear();
    tv.view.options.removeTileTime = 0;
    tv.view.Tick();
    EXPECT_EQ(tv.view.FadeSteps(), 0);
    tv.view.AnimateRemoval(0, 1);
    EXPECT_TRUE(shown.empty());
}

TEST(View2DFade, EachFadeFrameIsComposedUnderTheGuardAndTheFadeCanBeStopped) {
    TestView tv;
    tv.SetTile(0, 0, 4, 4, 3);
    tv.SetTile(1, 0, 4, 12, 3);
    tv.view.PlaceTiles();
    SteppedClock clock(2000);  // 2 ms a frame: 100 frames in 200 ms
    clock.Drive(tv.view);
    tv.view.minFrameMicroseconds = 1000;
    tv.view.options.removeTileTime = 200;
    int guarded = 0;
    bool insideGuard = false;
    int paintedInsideGuard = 0;
    tv.view.composeGuard = [&](const std::function<void()>& compose) {
        insideGuard = true;
        compose();
        insideGuard = false;
        ++guarded;
    };
    int painted = 0;
    tv.view.paintNow = [&] {
        ++painted;
        paintedInsideGuard += insideGuard ? 1 : 0;
    };
    tv.view.Tick();
    ASSERT_EQ(tv.view.FadeSteps(), 100);
    // Stopped after three frames, as a click stops an automatic replay.
    tv.view.AnimateRemoval(0, 1, [&] { return painted < 3; });
    EXPECT_EQ(painted, 3);
    EXPECT_EQ(guarded, 3);
    EXPECT_EQ(paintedInsideGuard, 0);  // the window paints outside the board's guard
}

// ---------------------------------------------------------------------------------------------
// The frame shared with the window
// ---------------------------------------------------------------------------------------------

TEST(View2DFrames, AFrameHeldByTheWindowNeverChanges) {
    TestView tv;
    tv.SetTile(0, 0, 4, 4, 3);
    tv.view.PlaceTiles();
    tv.view.ComposeFrame();
    std::shared_ptr<const Image> held = tv.view.PaintFrame();
    const std::vector<std::uint8_t> before = Bytes(*held);
    for (int alpha = 0; alpha < 255; alpha += 50) {
        tv.view.ComposeFrame(0, NoTile, alpha, 255);
    }
    EXPECT_EQ(Bytes(*held), before);
    EXPECT_NE(tv.view.PaintFrame().get(), held.get());
}

// The start of a game reads and stretches the background on another thread while the view cuts
// the tile set: the two share nothing, and the picture taken afterwards is the one loaded
// directly.
TEST(View2DFrames, ABackgroundPreparedAsideWhileTheTileSetIsCutEqualsOneLoaded) {
    const std::string data(GAME_DATA_DIR);
    if (!std::filesystem::exists(data + "/TILESETS/Standard.jpg")) {
        GTEST_SKIP() << "no shipped pictures in " << data;
    }
    TestView tv;
    TestView direct;
    for (TestView* view : {&tv, &direct}) {
        view->view.Resize(640, 400);
    }
    View2D::PreparedBackground prepared;
    std::thread aside(
        [&] { prepared = View2D::PrepareBackground2D(data + "/BACKGRND/Mountain.jpg", 640, 400); });
    EXPECT_TRUE(tv.view.LoadTileSet2D(data + "/TILESETS/Standard.jpg"));
    aside.join();
    ASSERT_TRUE(tv.view.TakeBackground2D(std::move(prepared)));
    ASSERT_TRUE(direct.view.LoadBackground2D(data + "/BACKGRND/Mountain.jpg"));
    EXPECT_EQ(Bytes(tv.view.ScaledBackground()), Bytes(direct.view.ScaledBackground()));
}

TEST(View2DFrames, AHeldFrameOutlivesTheView) {
    // The window may still hold the last frame when the program shuts the view down.
    std::shared_ptr<const Image> held;
    std::vector<std::uint8_t> before;
    {
        TestView tv;
        tv.SetTile(0, 0, 4, 4, 3);
        tv.view.PlaceTiles();
        tv.view.ComposeFrame();
        held = tv.view.PaintFrame();
        before = Bytes(*held);
        tv.view.Release();
        EXPECT_FALSE(tv.view.PaintFrame());
    }
    ASSERT_TRUE(held && held->HasPixels());
    EXPECT_EQ(Bytes(*held), before);
}

TEST(View2DFrames, WorkerFramesAreNeverSeenHalfComposed) {
    // The autoplay worker fades a tile while the window keeps taking frames: every frame the
    // window gets shows the tile at one alpha from its top row to its bottom row.
    TestView tv;
    tv.SetTile(0, 0, 4, 4, 3);
    tv.view.PlaceTiles();
    tv.view.minFrameMicroseconds = 0;
    tv.view.ComposeFrame();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int round = 0; round < 200; ++round) {
            tv.view.AnimationFrame(0, NoTile, round % 2 == 0 ? 40 : 230, 255);
        }
        done = true;
    });
    const TileRecord& r = tv.board->tiles[0];
    const int n = tv.view.Border();
    const int top = r.y2d + 1;
    const int bottom = r.y2d + tv.view.TileHeight() - 2;
    const int x = r.x2d + n + 3;
    int checked = 0;
    while (!done || checked == 0) {
        std::shared_ptr<const Image> frame = tv.view.PaintFrame();
        ASSERT_EQ(PixelAt(*frame, x, top), PixelAt(*frame, x, bottom));
        ++checked;
    }
    worker.join();
    EXPECT_GT(checked, 0);
}

// ---------------------------------------------------------------------------------------------
// Picking
// ---------------------------------------------------------------------------------------------

TEST(View2DHitTest, TopmostFacePictureWinsAndStripsDoNotCount) {
    TestView tv;
    tv.SetTile(0, 0, 4, 4, 3);
    tv.SetTile(1, 0, 5, 6, 4);  // half a tile lower, one tile right
    tv.SetTile(2, 1, 4, 4, 5);  // on top of tile 0
    tv.view.PlaceTiles();
    const int n = tv.view.Border();
    const int w = tv.view.TileWidth();
    const int h = tv.view.TileHeight();
    const TileRecord& r0 = tv.board->tiles[0];
    const TileRecord& r2 = tv.board->tiles[2];
    auto hit = [&](int x, int y) {
        const HitResult2D result = tv.view.HitTest2D(x, y, 0);
        return result.kind == HitResult2D::Tile ? result.tile : -1;
    };
    const Point c1 = FaceCentre(tv, 1), c2 = FaceCentre(tv, 2);
    EXPECT_EQ(hit(c1.x, c1.y), 1);
    EXPECT_EQ(hit(c2.x, c2.y), 2);
    // The bottom rows of tile 0's face are not covered by tile 2, which stands n higher.
    EXPECT_EQ(hit(r0.x2d + n + w / 2, r0.y2d + h - 1), 0);
    EXPECT_EQ(hit(r0.x2d + n + w / 2, r0.y2d + h - n - 1), 2);
    // Face edges are inclusive on the left and top, exclusive on the right and bottom.
    EXPECT_EQ(hit(r2.x2d + n, r2.y2d), 2);
    EXPECT_EQ(hit(r2.x2d + n + w - 1, r2.y2d + h - 1), 2);
    // The left side strip of tile 0 picks nothing; neither does a point beside every tile.
    EXPECT_EQ(hit(r0.x2d + 1, r0.y2d + h - 1), -1);
    EXPECT_EQ(hit(2, 2), -1);
    EXPECT_EQ(tv.view.HitTest2D(2, 2, 1).kind, HitResult2D::Nothing);
    // A removed tile is skipped: the tile below it is found.
    tv.board->tiles[2].face = NoTile;
    EXPECT_EQ(hit(r0.x2d + n + w / 2, r0.y2d + h - n - 1), 0);
}

// After a layout that failed its check the deal still gives every record a face, but no cell
// holds a tile: the board shows nothing and nothing can be clicked, not the previous layout.
TEST(View2DCompose, TilesTheBoardDoesNotHoldAreNeitherDrawnNorHit) {
    TestView tv;
    tv.SetTile(0, 0, 6, 8, 7);
    tv.view.PlaceTiles();
    const Point c = FaceCentre(tv, 0);
    ASSERT_TRUE(tv.view.ComposeFrame());
    EXPECT_EQ(PixelAt(tv.Frame(), c.x, c.y).r, FaceColour(7).r);
    EXPECT_EQ(tv.view.HitTest2D(c.x, c.y, 0).kind, HitResult2D::Tile);

    tv.board->tileGrid.fill(NoTile);
    ASSERT_TRUE(tv.view.ComposeFrame());
    EXPECT_EQ(PixelAt(tv.Frame(), c.x, c.y), (Bgra{0, 0, 0, 255}));
    EXPECT_EQ(tv.view.HitTest2D(c.x, c.y, 0).kind, HitResult2D::Nothing);
}

TEST(View2DHitTest, EditorCellsAreCentredAndShiftedPerLayer) {
    TestView tv;
    tv.view.PlaceTiles();
    const int n = tv.view.Border();
    const int hw = tv.view.TileWidth() / 2;
    const int hh = tv.view.TileHeight() / 2;
    const int cx0 = (TestView::kWidth - 5 * n - 34 * hw) / 2;
    const int cy0 = (TestView::kHeight - 5 * n - 20 * hh) / 2;
    for (int layer : {0, 3}) {
        const int cell = CellIndex(layer, 7, 11);
        EXPECT_EQ(tv.editor->cellX[cell], cx0 + 11 * hw + layer * n);
        EXPECT_EQ(tv.editor->cellY[cell], cy0 + 7 * hh - layer * n);
    }
    // A point just inside the left and bottom of cell (0, 7, 11) lies, on layer 1, in the cell
    // below and to the left.
    const int cell = CellIndex(0, 7, 11);
    const int x = tv.editor->cellX[cell] + n + 1;
    const int y = tv.editor->cellY[cell] + hh - 1;
    auto cellsHolding = [&](int layer) {
        std::vector<std::pair<int, int>> found;
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                if (tv.view.EditorCellHolds(layer, row, column, x, y)) {
                    found.emplace_back(row, column);
                }
            }
        }
        return found;
    };
    EXPECT_EQ(cellsHolding(0), (std::vector<std::pair<int, int>>{{7, 11}}));
    EXPECT_EQ(cellsHolding(1), (std::vector<std::pair<int, int>>{{8, 10}}));

    // In the editor a click is handed on as a point, with its button.
    tv.editing = true;
    const HitResult2D result = tv.view.HitTest2D(x, y, 1);
    EXPECT_EQ(result.kind, HitResult2D::EditorPoint);
    EXPECT_EQ(result.x, x);
    EXPECT_EQ(result.y, y);
    EXPECT_EQ(result.button, 1);

    // The editor's own click, given the view's cell shape, puts a position on that cell.
    tv.editor->EditorClear();
    tv.editor->EditorRebuild();
    ASSERT_TRUE(tv.editor->EditorClick(x, y, EditorButton::Add, tv.view.EditorShape()));
    EXPECT_EQ(tv.editor->positionGrid[CellIndex(0, 7, 11)], 1);
}

TEST(View2DCompose, EditorShowsBlankTilesAtItsCells) {
    TestView tv;
    tv.SetTile(0, 0, 4, 4, 3);  // a game tile, hidden while editing
    tv.view.PlaceTiles();
    tv.editor->EditorClear();
    tv.editor->EditorRebuild();
    tv.editing = true;
    const EditorCellShape shape = tv.view.EditorShape();
    const int probe = CellIndex(2, 9, 15);
    ASSERT_TRUE(tv.editor->EditorClick(tv.editor->cellX[probe] + shape.offsetX + 1,
                                       tv.editor->cellY[probe] + 1, EditorButton::Add, shape));
    ASSERT_EQ(tv.editor->positionCount, 1);
    const TileRecord& record = tv.editor->tiles[0];
    tv.view.ComposeFrame();
    const int cell = CellIndex(record.layer, record.row, record.column);
    const int x = tv.editor->cellX[cell] + tv.view.Border() + tv.view.TileWidth() / 2;
    const int y = tv.editor->cellY[cell] + tv.view.TileHeight() / 2;
    EXPECT_EQ(PixelAt(tv.Frame(), x, y), FaceColour(42));
    const Point game = FaceCentre(tv, 0);
    EXPECT_EQ(PixelAt(tv.Frame(), game.x, game.y), (Bgra{0, 0, 0, 255}));
}

// ---------------------------------------------------------------------------------------------
// The shipped tile set
// ---------------------------------------------------------------------------------------------

TEST(View2DShipped, StandardTileSetIsCutForTheViewAndDrawn) {
    const std::string path = std::string(GAME_DATA_DIR) + "/TILESETS/Standard.jpg";
    if (!std::filesystem::exists(path)) {
        GTEST_SKIP() << "no shipped tile set at " << path;
    }
    TestView tv;
    tv.view.Resize(1280, 720);
    ASSERT_TRUE(tv.view.LoadTileSet2D(path));
    const int w = tv.view.TileWidth();
    const int h = tv.view.TileHeight();
    EXPECT_EQ(w % 2, 0);
    EXPECT_EQ(h % 4, 0);
    EXPECT_LE(w * 9, 1280 / 2);
    EXPECT_LE(h * 5, 3 * 720 / 7);
    EXPECT_GT(w, 30);
    tv.SetTile(0, 0, 8, 16, 33);
    tv.view.PlaceTiles();
    tv.view.ComposeFrame();
    const TileRecord& r = tv.board->tiles[0];
    const int n = tv.view.Border();
    for (int y = 0; y < h; y += 3) {
        for (int x = n; x < n + w; x += 3) {
            ASSERT_EQ(PixelAt(tv.Frame(), r.x2d + x, r.y2d + y), FacePixel(tv.view, 33, x, y));
        }
    }
}
