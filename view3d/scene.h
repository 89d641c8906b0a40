// The 3D scene of both 3D programs without a window or a graphics interface: where every tile
// stands, the camera and its keys, the board's own turn (right-drag, the move-board tilt, the
// pause spin), the level colours and a frame-rate meter fed with injected time. The shell's
// GameApp3D owns one and forwards input; the frame plan reads it.
#pragma once

#include <array>
#include <cstdint>

#include "core/board.h"
#include "settings/settings.h"
#include "view3d/math3d.h"
#include "view3d/tile_geometry.h"

// Keys the 3D camera reacts to, free of any window system. The numbers are the classic
// virtual-key codes, the same the shell's KeyCode carries, so the shell hands a key over with a
// plain cast. The keypad's digits are told apart from the arrows and page keys they share with
// NumLock off. (A name of its own, not KeyCode, so that the shell can include both headers.)
enum class CameraKeyCode : int {
    Other = 0,
    PageUp = 0x21,
    PageDown = 0x22,
    End = 0x23,
    Home = 0x24,
    Left = 0x25,
    Up = 0x26,
    Right = 0x27,
    Down = 0x28,
    Insert = 0x2D,
    Delete = 0x2E,
    Keypad0 = 0x60,
    Keypad1 = 0x61,
    Keypad2 = 0x62,
    Keypad3 = 0x63,
    Keypad4 = 0x64,
    Keypad5 = 0x65,
    Keypad6 = 0x66,
    Keypad7 = 0x67,
    Keypad8 = 0x68,
    Keypad9 = 0x69,
    KeypadAdd = 0x6B,
    KeypadSubtract = 0x6D,
    F10 = 0x79,
    Plus = 0xBB,   // the + key of the main keyboard
    Minus = 0xBD,  // the - key of the main keyboard
};

// Frames per second measured over about one second of frames. Time comes from the caller (the
// time of day in milliseconds), so the meter never reads a clock itself.
class FrameRateMeter {
public:
    // The time the first sample is measured from.
    void Start(std::int64_t nowMilliseconds);
    // Counts one frame drawn at `nowMilliseconds`; after a second or more since the last sample
    // the rate becomes frames / elapsed seconds. A clock that went back restarts the sample.
    void CountFrame(std::int64_t nowMilliseconds);
    // 0 until the first sample.
    float FramesPerSecond() const { return framesPerSecond_; }
    bool HasSample() const { return framesPerSecond_ > 0.0f; }

private:
    bool started_ = false;
    int frameCount_ = 0;
    std::int64_t lastSample_ = 0;
    float framesPerSecond_ = 0.0f;
};

// A pointer movement over the 3D view.
struct PointerMove {
    int x = 0;  // position in the view (pixels)
    int y = 0;
    int screenX = 0;  // the cursor on the screen (pixels)
    int screenY = 0;
    bool rightButtonOnly = false;  // exactly the right button, no other button or modifier
};

// The main window's outer rectangle on the screen, as the window keeps it up to date.
struct WindowPlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class Scene3D {
public:
    // Camera, light and angles of a fresh start; the view is 4:3 until SetViewSize.
    Scene3D();

    // -- settings --
    // Camera position, light, level colours and the move-board flag from the configuration.
    void LoadSettings(const Settings& settings);
    // The camera position back into the configuration (the rest is not changed by the scene).
    void StoreSettings(Settings& settings) const;
    void SetLevelColours(const std::array<Colour, kLayers>& colours);
    const LevelColours& LevelVertexColours() const { return levelColours_; }
    const Vector3& LightPosition() const { return lightPosition_; }
    bool moveBoard = true;  // `MoveBoard`: the board tilts toward the cursor

    // -- placement --
    // Writes every record's x3d, y3d, z3d so that the layout is centred on the origin, columns
    // to +x, rows to -y and higher layers toward the camera; records the board centre.
    void PlaceTiles(TileRecords& tiles);
    float CentreX() const { return centreX_; }  // cx, in tile widths
    float CentreY() const { return centreY_; }  // cy, in tile heights

    // -- view --
    // The view's size in pixels: aspect, projection and view. A size that is not positive
    // either way gives the aspect 4/3.
    void SetViewSize(int width, int height);
    int ViewWidth() const { return viewWidth_; }
    int ViewHeight() const { return viewHeight_; }
    float Aspect() const { return aspect_; }
    // Rebuilds the view matrix from the camera position and angles.
    void UpdateView();
    // The camera back to (0, 0, 225) (ZOOM_DEFAULT).
    void ResetCamera();
    const Matrix4& View() const { return view_; }
    const Matrix4& Projection() const { return projection_; }
    // The exact inverse of View(): the camera's placement in the world.
    const Matrix4& CameraPlacement() const { return camera_; }
    const Vector3& CameraPosition() const { return cameraPosition_; }
    const Vector3& CameraAngles() const { return cameraAngles_; }  // about x, y, z
    void SetCameraPosition(const Vector3& position);

    // -- the board's own turn --
    // Adds to the board's yaw, pitch and roll (radians).
    void RotateBoard(float dYaw, float dPitch, float dRoll);
    float BoardYaw() const { return boardYaw_; }
    float BoardPitch() const { return boardPitch_; }
    float BoardRoll() const { return boardRoll_; }
    // The board's own world transform (before a tile's position).
    Matrix4 BoardMatrix() const;
    // World matrix of one tile, and its exact inverse (world to the tile's model space).
    Matrix4 TileWorld(const TileRecord& tile) const;
    Matrix4 TilePlacement(const TileRecord& tile) const;
    // The rotation of the board's angles, and both matrices of a tile with it computed once.
    Matrix4 BoardRotation() const;
    void TileMatrices(const TileRecord& tile, const Matrix4& boardRotation, Matrix4& world,
                      Matrix4& placement) const;

    // -- frame --
    // The first step of a frame: while paused the board spins a degree a frame, tilted 25
    // degrees toward the player.
    void AdvanceSpin(bool paused);
    int SpinCounter() const { return spinCounter_; }
    // Resuming after a pause: the spin restarts and the board faces the player again.
    void Resume();
    // Counts a drawn frame for the frame-rate meter.
    void CountFrame(std::int64_t nowMilliseconds) { meter_.CountFrame(nowMilliseconds); }
    void StartFrameMeter(std::int64_t nowMilliseconds) { meter_.Start(nowMilliseconds); }
    const FrameRateMeter& Meter() const { return meter_; }

    // -- input --
    // Moves or turns the camera by one key press or wheel notch, scaled by the frame rate so that
    // a held key moves at the same speed at any rate. Every key ends with UpdateView.
    void CameraKey(CameraKeyCode key);
    // One notch of the mouse wheel: away from the player zooms in like Page Up, toward the
    // player out like Page Down.
    void CameraWheel(bool awayFromPlayer);
    // World units and radians one key press moves at the current frame rate.
    float CameraStep() const;
    float CameraTurn() const;
    // Right-drag turns the board 0.2 degree per pixel; otherwise, with move board on, the board
    // tilts toward the cursor, up to 16 degrees each way at the window's edges.
    void MovePointer(const PointerMove& move, const WindowPlacement& window);

private:
    float FramesPerSecondForKeys() const;

    // Rate used by the camera keys before the meter's first sample.
    static constexpr float kDefaultFramesPerSecond = 30.0f;

    Vector3 cameraPosition_{0.0f, 0.0f, 225.0f};
    Vector3 cameraTarget_{0.0f, 0.0f, 1.0f};
    Vector3 cameraUp_{0.0f, 1.0f, 0.0f};
    Vector3 cameraAngles_{};
    float boardYaw_ = 0.0f;
    float boardPitch_ = 0.0f;
    float boardRoll_ = 0.0f;
    Vector3 lightPosition_{0.0f, 0.0f, 225.0f};
    LevelColours levelColours_{};
    float centreX_ = 0.0f;
    float centreY_ = 0.0f;
    int viewWidth_ = 0;
    int viewHeight_ = 0;
    float aspect_ = 4.0f / 3.0f;
    Matrix4 view_;
    Matrix4 camera_;
    Matrix4 projection_;
    int spinCounter_ = 0;
    FrameRateMeter meter_;
    int lastPointerX_ = 0;
    int lastPointerY_ = 0;
};
