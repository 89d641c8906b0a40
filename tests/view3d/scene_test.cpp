#include "view3d/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "view3d_test_support.h"

namespace {

constexpr float kDegree = kPi / 180.0f;

bool IsFiniteMatrix(const Matrix4& m) {
    for (int i = 0; i < 16; ++i) {
        if (!std::isfinite(m[i])) {
            return false;
        }
    }
    return true;
}

void ExpectIdentity(const Matrix4& m, float tolerance, const char* what) {
    const Matrix4 identity;
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(m[i], identity[i], tolerance) << what << ", element " << i;
    }
}

}  // namespace

// Columns 0..32 and rows 0..14 centre at cx = 8.5 tiles, cy = 3 tiles (integer quarters).
TEST(Scene3D, PlaceTilesCentresTheLayout) {
    auto board = EmptyBoard();
    PutTile(*board, 0, 0, 0, 0, 1, true);
    PutTile(*board, 1, 2, 14, 32, 1, true);
    for (int t = 2; t < kTiles; ++t) {
        PutTile(*board, t, 0, 7, 16, 1, true);
    }
    Scene3D scene;
    scene.PlaceTiles(board->tiles);
    EXPECT_EQ(scene.CentreX(), 8.5f);
    EXPECT_EQ(scene.CentreY(), 3.0f);
    EXPECT_EQ(board->tiles[0].x3d, 8.5f * 15.0f);
    EXPECT_EQ(board->tiles[0].y3d, -3.0f * 20.0f);
    EXPECT_EQ(board->tiles[0].z3d, 0.0f);
    EXPECT_EQ(board->tiles[1].x3d, 32 * -7.5f + 8.5f * 15.0f);
    EXPECT_EQ(board->tiles[1].y3d, 14 * 10.0f - 3.0f * 20.0f);
    EXPECT_EQ(board->tiles[1].z3d, -20.0f);

    // Odd sums: (1 + 30) / 4 = 7, (3 + 12) / 4 = 3 in integer division.
    PutTile(*board, 0, 0, 3, 1, 1, true);
    PutTile(*board, 1, 0, 12, 30, 1, true);
    for (int t = 2; t < kTiles; ++t) {
        PutTile(*board, t, 0, 5, 5, 1, true);
    }
    scene.PlaceTiles(board->tiles);
    EXPECT_EQ(scene.CentreX(), 7.5f);
    EXPECT_EQ(scene.CentreY(), 3.0f);
}

// With zero angles: columns run to +x, rows to -y, higher layers toward the camera (+z).
TEST(Scene3D, TileWorldOrientation) {
    auto board = EmptyBoard();
    PutTile(*board, 0, 0, 4, 4, 1, true);
    PutTile(*board, 1, 0, 4, 6, 1, true);  // one tile to the right
    PutTile(*board, 2, 0, 6, 4, 1, true);  // one tile down
    PutTile(*board, 3, 1, 4, 4, 1, true);  // one layer up
    for (int t = 4; t < kTiles; ++t) {
        PutTile(*board, t, 0, 4, 4, 1, true);
    }
    Scene3D scene;
    scene.SetViewSize(400, 400);  // aspect 1: world units unscaled
    scene.PlaceTiles(board->tiles);
    auto origin = [&](int t) {
        return TransformPoint({0, 0, 0}, scene.TileWorld(board->tiles[t]));
    };
    const Vector3 base = origin(0);
    EXPECT_NEAR(origin(1).x - base.x, 15.0f, 1e-4f);
    EXPECT_NEAR(origin(2).y - base.y, -20.0f, 1e-4f);
    EXPECT_NEAR(origin(3).z - base.z, 10.0f, 1e-4f);
    // The world matrix is the exact inverse of the placement.
    ExpectIdentity(scene.TileWorld(board->tiles[1]) * scene.TilePlacement(board->tiles[1]), 1e-5f,
                   "world x placement");
}

// Aspect = width / height, and 4/3 whenever the view has no size; matrices stay finite.
TEST(Scene3D, ViewSizeAndAspect) {
    struct Case {
        int width, height;
        float aspect;
    };
    const Case cases[] = {{800, 600, 800.0f / 600.0f}, {1000, 500, 2.0f},   {640, 0, 4.0f / 3.0f},
                          {0, 480, 4.0f / 3.0f},       {0, 0, 4.0f / 3.0f}, {-5, 100, 4.0f / 3.0f},
                          {100, -5, 4.0f / 3.0f}};
    for (const Case& c : cases) {
        Scene3D scene;
        scene.SetViewSize(c.width, c.height);
        EXPECT_FLOAT_EQ(scene.Aspect(), c.aspect) << c.width << " x " << c.height;
        EXPECT_TRUE(IsFiniteMatrix(scene.Projection())) << c.width << " x " << c.height;
        EXPECT_TRUE(IsFiniteMatrix(scene.View())) << c.width << " x " << c.height;
        EXPECT_FLOAT_EQ(scene.Projection()[0], (1.0f / std::tan(kPi / 8)) / c.aspect);
        EXPECT_FLOAT_EQ(scene.Projection()[10], 5000.0f / (1.0f - 5000.0f));
        EXPECT_FLOAT_EQ(scene.Projection()[14], 5000.0f / (1.0f - 5000.0f));
        EXPECT_EQ(scene.Projection()[11], -1.0f);
    }
}

// A very narrow or very wide view still places the board: its world matrices never collapse to
// zero, as the general inverse would once aspect³ drops below its threshold.
TEST(Scene3D, ExtremeAspectsKeepTheBoard) {
    TileRecord tile;
    tile.x3d = 30.0f;
    tile.y3d = -40.0f;
    tile.z3d = -10.0f;
    for (const int width : {20, 1, 4000}) {
        Scene3D scene;
        scene.SetViewSize(width, 1000);
        scene.RotateBoard(0.4f, -0.3f, 0.2f);
        const Matrix4 world = scene.TileWorld(tile);
        EXPECT_NE(world, Matrix4::Zero()) << width;
        ExpectIdentity(world * scene.TilePlacement(tile), 1e-4f, "narrow world x placement");
        ExpectIdentity(scene.View() * scene.CameraPlacement(), 1e-3f, "narrow view x camera");
    }
}

// The view is the inverse of scaling(aspect) x rotation(camera angles) x translation(camera).
TEST(Scene3D, UpdateViewFollowsCameraPositionAndAngles) {
    Scene3D scene;
    scene.SetViewSize(800, 600);
    const float aspect = 800.0f / 600.0f;
    // Unturned: the camera sits at (0, 0, 225) looking down -z.
    EXPECT_NEAR(TransformPoint({0, 0, 225}, scene.View()).z, 0.0f, 1e-4f);
    EXPECT_NEAR(TransformPoint({0, 0, 0}, scene.View()).z, -225.0f / aspect, 1e-3f);
    EXPECT_EQ(scene.CameraPlacement()[0], aspect);

    scene.CameraKey(CameraKeyCode::Left);
    scene.CameraKey(CameraKeyCode::Up);
    scene.CameraKey(CameraKeyCode::Home);
    scene.CameraKey(CameraKeyCode::Keypad9);
    const Matrix4 expected =
        (Matrix4::Scaling(aspect) *
         Matrix4::RotationQuaternion(QuaternionFromYawPitchRoll(
             scene.CameraAngles().y, scene.CameraAngles().x, scene.CameraAngles().z)) *
         Matrix4::Translation(scene.CameraPosition().x, scene.CameraPosition().y,
                              scene.CameraPosition().z))
            .Inverse();
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(scene.View()[i], expected[i], 1e-6f * std::max(1.0f, std::fabs(expected[i])))
            << "element " << i;
    }
    ExpectIdentity(scene.View() * scene.CameraPlacement(), 1e-5f, "view x camera");

    scene.ResetCamera();
    EXPECT_EQ(scene.CameraPosition(), (Vector3{0, 0, 225}));
    // Reset moves the camera back but keeps its turn.
    EXPECT_NE(scene.CameraAngles().y, 0.0f);
}

// Every key of the camera table, one press each, at a measured 50 frames per second.
TEST(Scene3D, CameraKeyTable) {
    struct Case {
        CameraKeyCode key;
        Vector3 move;  // in steps
        Vector3 turn;  // in turns, about x, y, z
    };
    const Case cases[] = {
        {CameraKeyCode::PageUp, {0, 0, 1}, {}},
        {CameraKeyCode::PageDown, {0, 0, -1}, {}},
        {CameraKeyCode::End, {}, {0, 0, -1}},
        {CameraKeyCode::Home, {}, {0, 0, 1}},
        {CameraKeyCode::Left, {}, {0, 1, 0}},
        {CameraKeyCode::Right, {}, {0, -1, 0}},
        {CameraKeyCode::Up, {}, {1, 0, 0}},
        {CameraKeyCode::Down, {}, {-1, 0, 0}},
        {CameraKeyCode::Keypad1, {-1, -1, 0}, {}},
        {CameraKeyCode::Keypad2, {0, -1, 0}, {}},
        {CameraKeyCode::Keypad3, {1, -1, 0}, {}},
        {CameraKeyCode::Keypad4, {-1, 0, 0}, {}},
        {CameraKeyCode::Keypad6, {1, 0, 0}, {}},
        {CameraKeyCode::Keypad7, {-1, 1, 0}, {}},
        {CameraKeyCode::Keypad8, {0, 1, 0}, {}},
        {CameraKeyCode::Keypad9, {1, 1, 0}, {}},
        {CameraKeyCode::Keypad5, {}, {}},
        {CameraKeyCode::Keypad0, {}, {}},
        {CameraKeyCode::Insert, {}, {}},
        {CameraKeyCode::Delete, {}, {}},
        {CameraKeyCode::Plus, {}, {}},
        {CameraKeyCode::Minus, {}, {}},
        {CameraKeyCode::KeypadAdd, {}, {}},
        {CameraKeyCode::Other, {}, {}},
        {CameraKeyCode::F10, {}, {}},
    };
    for (const Case& c : cases) {
        Scene3D scene;
        scene.SetViewSize(800, 600);
        scene.StartFrameMeter(0);
        for (int frame = 1; frame <= 50; ++frame) {
            scene.CountFrame(frame * 20);  // 50 frames in exactly one second
        }
        ASSERT_FLOAT_EQ(scene.Meter().FramesPerSecond(), 50.0f);
        const float step = 200.0f / 50.0f;
        const float turn = 1.0f / 50.0f;
        const Matrix4 viewBefore = scene.View();
        scene.CameraKey(c.key);
        const int key = static_cast<int>(c.key);
        EXPECT_FLOAT_EQ(scene.CameraPosition().x, c.move.x * step) << "key " << key;
        EXPECT_FLOAT_EQ(scene.CameraPosition().y, c.move.y * step) << "key " << key;
        EXPECT_FLOAT_EQ(scene.CameraPosition().z, 225.0f + c.move.z * step) << "key " << key;
        EXPECT_FLOAT_EQ(scene.CameraAngles().x, c.turn.x * turn) << "key " << key;
        EXPECT_FLOAT_EQ(scene.CameraAngles().y, c.turn.y * turn) << "key " << key;
        EXPECT_FLOAT_EQ(scene.CameraAngles().z, c.turn.z * turn) << "key " << key;
        // Keys that move something change the view at once.
        const bool moves = c.move.LengthSquared() > 0 || c.turn.LengthSquared() > 0;
        EXPECT_EQ(scene.View() != viewBefore, moves) << "key " << key;
    }
    // The wheel moves like Page Up (away from the player) and Page Down (toward the player).
    Scene3D wheel;
    wheel.CameraWheel(true);
    EXPECT_FLOAT_EQ(wheel.CameraPosition().z, 225.0f + wheel.CameraStep());
    wheel.CameraWheel(false);
    wheel.CameraWheel(false);
    EXPECT_FLOAT_EQ(wheel.CameraPosition().z, 225.0f - wheel.CameraStep());
}

// Before the first one-second sample the rate is 0; a key still moves by a finite step.
TEST(Scene3D, FirstCameraKeyBeforeAnySampleIsFinite) {
    Scene3D scene;
    scene.SetViewSize(800, 600);
    ASSERT_EQ(scene.Meter().FramesPerSecond(), 0.0f);
    for (const CameraKeyCode key :
         {CameraKeyCode::PageUp, CameraKeyCode::Left, CameraKeyCode::Keypad9}) {
        scene.CameraKey(key);
    }
    EXPECT_TRUE(std::isfinite(scene.CameraStep()) && scene.CameraStep() > 0.0f);
    EXPECT_TRUE(std::isfinite(scene.CameraTurn()) && scene.CameraTurn() > 0.0f);
    EXPECT_GT(scene.CameraPosition().z, 225.0f);
    EXPECT_TRUE(std::isfinite(scene.CameraPosition().z));
    EXPECT_TRUE(std::isfinite(scene.CameraAngles().y));
    EXPECT_TRUE(IsFiniteMatrix(scene.View()));
}

// The camera's z is not held within MinZoom and MaxZoom.
TEST(Scene3D, ZoomIsNotLimited) {
    Scene3D scene;
    for (int k = 0; k < 100; ++k) {
        scene.CameraKey(CameraKeyCode::PageDown);
    }
    EXPECT_LT(scene.CameraPosition().z, 0.0f);
    for (int k = 0; k < 300; ++k) {
        scene.CameraWheel(true);
    }
    EXPECT_GT(scene.CameraPosition().z, 500.0f);
}

// The meter's first value comes after one second of frames; later samples follow each second.
TEST(Scene3D, FrameRateMeter) {
    FrameRateMeter meter;
    meter.Start(10'000);
    for (int frame = 1; frame <= 30; ++frame) {
        meter.CountFrame(10'000 + frame * 33);  // 30 frames in 990 ms
    }
    EXPECT_EQ(meter.FramesPerSecond(), 0.0f);
    meter.CountFrame(11'000);  // the 31st frame crosses the second
    EXPECT_FLOAT_EQ(meter.FramesPerSecond(), 31.0f);
    for (int frame = 1; frame <= 40; ++frame) {
        meter.CountFrame(11'000 + frame * 50);  // 40 frames in 2 s
    }
    EXPECT_FLOAT_EQ(meter.FramesPerSecond(), 20.0f);

    // Never started: the first frame starts the sample instead of measuring from time 0.
    FrameRateMeter fresh;
    fresh.CountFrame(5'000'000);
    EXPECT_EQ(fresh.FramesPerSecond(), 0.0f);
    // A clock set back starts a new sample, never a negative or infinite rate.
    FrameRateMeter back;
    back.Start(50'000);
    back.CountFrame(49'000);
    EXPECT_EQ(back.FramesPerSecond(), 0.0f);
    back.CountFrame(50'000);
    EXPECT_FLOAT_EQ(back.FramesPerSecond(), 2.0f);
}

// While paused the board spins a degree a frame, leaning 25 degrees; the counter wraps after 360.
TEST(Scene3D, PauseSpin) {
    Scene3D scene;
    scene.AdvanceSpin(false);
    EXPECT_EQ(scene.SpinCounter(), 0);
    EXPECT_EQ(scene.BoardYaw(), 0.0f);
    for (int k = 0; k < 358; ++k) {
        scene.AdvanceSpin(true);
    }
    struct Step {
        int counterBefore;
        int counterAfter;
    };
    const Step steps[] = {{358, 359}, {359, 360}, {360, 0}, {0, 1}};
    for (const Step& s : steps) {
        ASSERT_EQ(scene.SpinCounter(), s.counterBefore);
        scene.AdvanceSpin(true);
        EXPECT_EQ(scene.SpinCounter(), s.counterAfter);
        EXPECT_FLOAT_EQ(scene.BoardYaw(), kPi * s.counterBefore * (-1.0f / 180.0f));
        EXPECT_FLOAT_EQ(scene.BoardPitch(), 25.0f * kDegree);
        EXPECT_EQ(scene.BoardRoll(), 0.0f);
    }
    // Not paused: nothing moves.
    scene.AdvanceSpin(false);
    EXPECT_EQ(scene.SpinCounter(), 1);
    scene.Resume();
    EXPECT_EQ(scene.SpinCounter(), 0);
    EXPECT_EQ(scene.BoardYaw(), 0.0f);
    EXPECT_EQ(scene.BoardPitch(), 0.0f);
    EXPECT_EQ(scene.BoardRoll(), 0.0f);
}

// Dragging with exactly the right button turns the board 0.2 degree per pixel.
TEST(Scene3D, RightDragTurnsTheBoard) {
    Scene3D scene;
    scene.moveBoard = false;
    const WindowPlacement window{0, 0, 800, 600};
    scene.MovePointer({300, 200, 300, 200, false}, window);
    EXPECT_EQ(scene.BoardYaw(), 0.0f);
    scene.MovePointer({250, 200, 250, 200, true}, window);  // 50 pixels to the left
    EXPECT_FLOAT_EQ(scene.BoardYaw(), 10.0f * kDegree);
    EXPECT_EQ(scene.BoardPitch(), 0.0f);
    scene.MovePointer({250, 230, 250, 230, true}, window);  // 30 pixels down
    EXPECT_FLOAT_EQ(scene.BoardYaw(), 10.0f * kDegree);
    EXPECT_FLOAT_EQ(scene.BoardPitch(), -6.0f * kDegree);
    EXPECT_EQ(scene.BoardRoll(), 0.0f);
}

// With move board on the tilt depends only on the cursor's place on the screen; with it off a
// move without buttons changes nothing.
TEST(Scene3D, MoveBoardTilt) {
    const WindowPlacement window{100, 50, 800, 600};  // centre on the screen: (500, 350)
    struct Case {
        int screenX, screenY;
        int yawDegrees, pitchDegrees;  // (d * 32 / size), integer division
    };
    const Case cases[] = {
        {500, 350, 0, 0},  {900, 350, 16, 0}, {100, 350, -16, 0}, {500, 650, 0, 16},
        {500, 50, 0, -16}, {549, 350, 1, 0},  {524, 350, 0, 0},   {476, 350, 0, 0},
        {451, 369, -1, 1}, {700, 500, 8, 8},
    };
    for (const Case& c : cases) {
        // Two different roads to the same place give the same tilt.
        Scene3D direct;
        direct.MovePointer({0, 0, c.screenX, c.screenY, false}, window);
        Scene3D wandering;
        wandering.MovePointer({0, 0, 120, 90, false}, window);
        wandering.RotateBoard(0.5f, 0.5f, 0.5f);
        wandering.MovePointer({0, 0, 880, 600, false}, window);
        wandering.MovePointer({0, 0, c.screenX, c.screenY, false}, window);
        for (const Scene3D* scene : {&direct, &wandering}) {
            EXPECT_FLOAT_EQ(scene->BoardYaw(), c.yawDegrees * kDegree) << c.screenX;
            EXPECT_FLOAT_EQ(scene->BoardPitch(), c.pitchDegrees * kDegree) << c.screenY;
            EXPECT_EQ(scene->BoardRoll(), 0.0f);
        }
    }
    Scene3D off;
    off.moveBoard = false;
    off.MovePointer({10, 10, 900, 650, false}, window);
    EXPECT_EQ(off.BoardYaw(), 0.0f);
    EXPECT_EQ(off.BoardPitch(), 0.0f);
    // A window without a size leaves the board as it is instead of dividing by zero.
    Scene3D sizeless;
    sizeless.RotateBoard(0.25f, 0.0f, 0.0f);
    sizeless.MovePointer({10, 10, 900, 650, false}, WindowPlacement{0, 0, 0, 0});
    EXPECT_EQ(sizeless.BoardYaw(), 0.25f);
    // A right-drag with move board on still drags.
    Scene3D both;
    both.MovePointer({300, 300, 500, 350, false}, window);
    both.MovePointer({250, 300, 450, 350, true}, window);
    EXPECT_FLOAT_EQ(both.BoardYaw(), 10.0f * kDegree);
}

// Camera, light, level colours and move board come from the configuration; the camera goes back.
TEST(Scene3D, SettingsInAndOut) {
    Settings settings;
    settings.xPosition = 12.0f;
    settings.yPosition = -3.0f;
    settings.zPosition = 300.0f;
    settings.lightPosZ = 99.0f;
    settings.moveBoard = false;
    settings.rgbLevelColor[2] = Colour{0x12, 0x34, 0x56, 255};
    Scene3D scene;
    scene.LoadSettings(settings);
    EXPECT_EQ(scene.CameraPosition(), (Vector3{12, -3, 300}));
    EXPECT_EQ(scene.LightPosition(), (Vector3{0, 0, 99}));
    EXPECT_FALSE(scene.moveBoard);
    EXPECT_EQ(scene.LevelVertexColours()[2], 0xFF123456u);
    EXPECT_EQ(scene.LevelVertexColours()[1], 0xFFE0E0E0u);
    EXPECT_NEAR(TransformPoint({12, -3, 300}, scene.View()).z, 0.0f, 1e-4f);

    scene.CameraKey(CameraKeyCode::Keypad6);
    Settings out;
    scene.StoreSettings(out);
    EXPECT_GT(out.xPosition, 12.0f);
    EXPECT_EQ(out.zPosition, 300.0f);

    // The defaults of a fresh scene.
    Scene3D fresh;
    EXPECT_EQ(fresh.CameraPosition(), (Vector3{0, 0, 225}));
    EXPECT_EQ(fresh.LevelVertexColours()[0], 0xFFC0C0C0u);
    EXPECT_EQ(fresh.LevelVertexColours()[3], 0xFFE0E0E0u);
}
