#include "view3d/picking.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "view3d/scene.h"
#include "view3d_test_support.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// A small board: tile 0 on layer 0 covered by tile 1 on layer 1; tiles 2 and 3 free on layer 0
// well apart from it; tile 4 on layer 0, not free. All others removed.
std::unique_ptr<Board> PickBoard() {
    auto board = EmptyBoard();
    PutTile(*board, 0, 0, 6, 10, 3, false);
    PutTile(*board, 1, 1, 6, 10, 4, true);
    PutTile(*board, 2, 0, 6, 2, 5, true);
    PutTile(*board, 3, 0, 12, 20, 6, true);
    PutTile(*board, 4, 0, 0, 20, 7, false);
    return board;
}

struct Frame {
    std::unique_ptr<Board> board = PickBoard();
    Scene3D scene;
    FramePlan plan;

    Frame() {
        scene.SetViewSize(kWidth, kHeight);
        scene.PlaceTiles(board->tiles);
        Plan();
    }
    void Plan() { plan = BuildFramePlan(*board, scene, FrameOptions{}); }
    Vector2 Pixel(int tile, const Vector3& model) const {
        return ProjectToPixel(plan, plan.tiles[plan.entryOfTile[tile]], model);
    }
    // The tiles offered to the game, in order, for a click at the pixel nearest `p`.
    std::vector<int> Click(const Vector2& p, bool accept = true) const {
        std::vector<int> offered;
        PickTile(*board, plan, static_cast<int>(std::lround(p.x)),
                 static_cast<int>(std::lround(p.y)), [&](int t) {
                     offered.push_back(t);
                     return accept && t != NoTile;
                 });
        return offered;
    }
};

const Vector3 kFaceCentre{7.5f, 10.0f, 10.0f};

}  // namespace

// The one-sided test: hits from the front, edges included; misses from behind and alongside.
TEST(Picking, RayTriangleTest) {
    const Vector3 a{0, 0, 10}, b{15, 0, 10}, c{0, 20, 10};
    const Vector3 down{0, 0, -1};
    struct Case {
        Vector3 origin, direction;
        bool hit;
        const char* what;
    };
    const Case cases[] = {
        {{3, 3, 50}, down, true, "inside, from the front"},
        {{3, 3, -50}, {0, 0, 1}, false, "inside, from behind"},
        {{0, 0, 50}, down, true, "corner a"},
        {{15, 0, 50}, down, true, "corner b"},
        {{7.5f, 10, 50}, down, true, "on the diagonal b-c"},
        {{5, 0, 50}, down, true, "on edge a-b"},
        {{10, 10, 50}, down, false, "beyond the diagonal"},
        {{-0.01f, 5, 50}, down, false, "left of edge a-c"},
        {{3, 3, 50}, {1, 0, 0}, false, "parallel to the face"},
        {{3, 3, 5}, down, true, "the line counts, not the ray's start: origin below the face"},
        {{3, 3, 50}, {0, 0, std::nanf("")}, false, "not a number"},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(RayHitsTriangle(k.origin, k.direction, a, b, c), k.hit) << k.what;
    }
    // The exact point of the shared diagonal lies in both triangles of the face.
    const Vector3 d{15, 20, 10};
    EXPECT_TRUE(RayHitsTriangle({7.5f, 10, 50}, down, b, d, c));
}

// The centre of a free tile's face picks it, however the board or camera were turned or zoomed.
TEST(Picking, FaceCentrePicksTheTile) {
    struct Case {
        const char* what;
        float yaw, pitch, roll;
        int zoomKeys;
        CameraKeyCode turnKey;
        int turnKeys;
    };
    const Case cases[] = {
        {"straight on", 0, 0, 0, 0, CameraKeyCode::Other, 0},
        {"board rotated", 0.4f, -0.3f, 0.2f, 0, CameraKeyCode::Other, 0},
        {"zoomed in", 0, 0, 0, 8, CameraKeyCode::Other, 0},
        {"rotated and zoomed out", -0.5f, 0.35f, 0, -20, CameraKeyCode::Other, 0},
        {"spun and leaning", -0.8f, 0.436f, 0, 0, CameraKeyCode::Other, 0},
        // The camera turned by the arrow keys: the exact inverse keeps the ray on the drawing.
        {"camera turned", 0.1f, 0, 0, 0, CameraKeyCode::Left, 6},
        {"camera tilted", 0, 0, 0, 0, CameraKeyCode::Up, 5},
        {"camera rolled", 0, 0, 0, 3, CameraKeyCode::Home, 30},
    };
    for (const Case& c : cases) {
        Frame f;
        f.scene.RotateBoard(c.yaw, c.pitch, c.roll);
        for (int k = 0; k < std::abs(c.zoomKeys); ++k) {
            f.scene.CameraKey(c.zoomKeys > 0 ? CameraKeyCode::PageDown : CameraKeyCode::PageUp);
        }
        for (int k = 0; k < c.turnKeys; ++k) {
            f.scene.CameraKey(c.turnKey);
        }
        f.Plan();
        for (const int tile : {1, 2, 3}) {
            const Vector2 p = f.Pixel(tile, kFaceCentre);
            ASSERT_TRUE(p.x > 0 && p.x < kWidth && p.y > 0 && p.y < kHeight) << c.what;
            EXPECT_EQ(f.Click(p), (std::vector<int>{tile})) << c.what << ", tile " << tile;
        }
    }
}

// Across the face along its diagonal and along a row through it, no pixel falls between the
// two triangles; just outside the face nothing is picked.
TEST(Picking, WholeFaceAndItsDiagonal) {
    Frame f;
    const Vector2 from = f.Pixel(2, {15, 0, 10});
    const Vector2 to = f.Pixel(2, {0, 20, 10});
    for (int k = 1; k < 20; ++k) {
        const float s = static_cast<float>(k) / 20.0f;
        const Vector2 p{from.x + (to.x - from.x) * s, from.y + (to.y - from.y) * s};
        EXPECT_EQ(f.Click(p), (std::vector<int>{2})) << "diagonal at " << s;
    }
    const Vector2 left = f.Pixel(2, {0, 10, 10});
    const Vector2 right = f.Pixel(2, {15, 10, 10});
    for (int x = static_cast<int>(std::ceil(left.x)) + 1; x < right.x - 1; ++x) {
        EXPECT_EQ(f.Click({static_cast<float>(x), left.y}), (std::vector<int>{2})) << x;
    }
    EXPECT_EQ(f.Click({left.x - 3, left.y}), (std::vector<int>{NoTile}));
    EXPECT_EQ(f.Click({right.x + 3, right.y}), (std::vector<int>{NoTile}));
}

// A board turned around shows the backs of its tiles: a face seen from behind is not hit.
TEST(Picking, FacesSeenFromBehindMiss) {
    Frame f;
    f.scene.RotateBoard(kPi, 0, 0);
    f.Plan();
    const Vector2 p = f.Pixel(2, kFaceCentre);
    ASSERT_TRUE(p.x > 0 && p.x < kWidth && p.y > 0 && p.y < kHeight);
    EXPECT_EQ(f.Click(p), (std::vector<int>{NoTile}));
}

// A side of a free tile, outside its face, picks nothing.
TEST(Picking, SideOfAFreeTileMisses) {
    Frame f;
    // Tile 3 lies right of and below the camera's axis: its left and top sides show.
    const Vector2 onSide = f.Pixel(3, {0, 10, 2});
    const Vector2 faceEdge = f.Pixel(3, {0, 10, 10});
    ASSERT_GT(faceEdge.x - onSide.x, 1.5f) << "the side must be wider than a pixel here";
    EXPECT_EQ(f.Click(onSide), (std::vector<int>{NoTile}));
    // A turned board shows a side square to the camera.
    f.scene.RotateBoard(0.6f, 0, 0);
    f.Plan();
    const Vector2 turned = f.Pixel(2, {15, 10, 5});
    EXPECT_EQ(f.Click(turned), (std::vector<int>{NoTile}));
}

// A covered tile, or one that cannot move, is never offered: the click clears the selection.
TEST(Picking, CoveredAndBlockedTilesAreNotCandidates) {
    Frame f;
    // Tile 1 covers tile 0: the click offers only tile 1.
    EXPECT_EQ(f.Click(f.Pixel(0, kFaceCentre)), (std::vector<int>{1}));
    // Without tile 1 on the board (removed, and the frame not yet redrawn), tile 0 is still
    // blocked: nothing is offered.
    f.board->tiles[1].face = NoTile;
    EXPECT_EQ(f.Click(f.Pixel(0, kFaceCentre)), (std::vector<int>{NoTile}));
    // Tile 4 is on the top layer but not free.
    EXPECT_EQ(f.Click(f.Pixel(4, kFaceCentre)), (std::vector<int>{NoTile}));
    // Once free, it is offered.
    f.board->tiles[4].state = 1;
    EXPECT_EQ(f.Click(f.Pixel(4, kFaceCentre)), (std::vector<int>{4}));
}

// The game refusing a tile offers the next one in record order, then nothing.
TEST(Picking, RefusedCandidatesFallThroughToNothing) {
    Frame f;
    // Put tile 2 exactly over tile 3 on the same layer and free, so both faces lie under one
    // pixel (the game never deals that, but the order must hold when faces overlap).
    f.board->tiles[2] = f.board->tiles[3];
    f.board->tiles[2].face = 5;
    f.Plan();
    EXPECT_EQ(f.Click(f.Pixel(3, kFaceCentre), false), (std::vector<int>{2, 3, NoTile}));
    const PickCandidates candidates =
        FindPickCandidates(*f.board, f.plan, static_cast<int>(f.Pixel(3, kFaceCentre).x),
                           static_cast<int>(f.Pixel(3, kFaceCentre).y));
    EXPECT_EQ(candidates.count, 2);
}

// Picking follows the frame that was drawn: turning the board after the frame does not move the
// faces the click is tested against, until the next frame is planned.
TEST(Picking, UsesTheMatricesOfTheDrawnFrame) {
    Frame f;
    const Vector2 before = f.Pixel(2, kFaceCentre);
    f.scene.RotateBoard(1.0f, 0, 0);
    EXPECT_EQ(f.Click(before), (std::vector<int>{2}));
    f.Plan();
    EXPECT_EQ(f.Click(before), (std::vector<int>{NoTile}));
    EXPECT_EQ(f.Click(f.Pixel(2, kFaceCentre)), (std::vector<int>{2}));
    // A tile the drawn frame did not contain is not offered.
    PutTile(*f.board, 5, 0, 16, 2, 8, true);
    f.scene.PlaceTiles(f.board->tiles);
    FramePlan withFive = BuildFramePlan(*f.board, f.scene, FrameOptions{});
    const Vector2 five =
        ProjectToPixel(withFive, withFive.tiles[withFive.entryOfTile[5]], kFaceCentre);
    EXPECT_EQ(f.Click(five), (std::vector<int>{NoTile}));
}

// A frame planned without a view size picks nothing instead of dividing by zero.
TEST(Picking, ViewWithoutSize) {
    Frame f;
    f.scene.SetViewSize(0, 0);
    f.Plan();
    PickRay ray;
    EXPECT_FALSE(RayThroughPixel(f.plan, 10, 10, ray));
    EXPECT_EQ(f.Click({10, 10}), (std::vector<int>{NoTile}));
}

// On the full dealt board every free tile is picked at its face centre, and only that tile.
TEST(Picking, FullBoardFreeTiles) {
    auto board = FullBoard();
    Scene3D scene;
    scene.SetViewSize(1024, 768);
    scene.PlaceTiles(board->tiles);
    const FramePlan plan = BuildFramePlan(*board, scene, FrameOptions{});
    int free = 0;
    for (int t = 0; t < kTiles; ++t) {
        const Vector2 p = ProjectToPixel(plan, plan.tiles[plan.entryOfTile[t]], kFaceCentre);
        const PickCandidates c = FindPickCandidates(
            *board, plan, static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
        if (board->tiles[t].state == 1) {
            ++free;
            ASSERT_EQ(c.count, 1) << t;
            EXPECT_EQ(c.tiles[0], t);
        } else {
            for (int k = 0; k < c.count; ++k) {
                EXPECT_NE(c.tiles[k], t);
            }
        }
    }
    EXPECT_GT(free, 0);
}
