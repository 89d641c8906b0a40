// The 3D scene: placement, camera, board turn, spin, frame-rate meter and camera input.
#include "view3d/scene.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDefaultCameraZ = 225.0f;
constexpr float kFieldOfView = kPi * 0.25f;
constexpr float kNearPlane = 1.0f;
constexpr float kFarPlane = 5000.0f;
constexpr float kDragDegreesPerPixel = 0.2f;
// The move-board tilt: 32 degrees across the window, so 16 each way at the edges.
constexpr int kTiltDegreesAcross = 32;
// The paused board leans 25 degrees toward the player.
constexpr float kSpinPitch = kPi * 0.1388889f;

// Both the board and the camera are placed as scaling(aspect) x rotation x translation, and drawn
// with the inverse of that. The inverse is written out (transpose of the rotation, reciprocal of
// the scale, negated translation) instead of taken by the general inverse: the general one gives
// up on determinants below its threshold, and aspect³ falls below it for a view narrower than
// about 1:12, which would collapse the whole board into a point.
struct Placement {
    Matrix4 forward;  // scaling(aspect) x rotation x translation
    Matrix4 inverse;  // its exact inverse
};

Placement Place(const Matrix4& rotation, float aspect, const Vector3& position) {
    Placement p;
    const float reciprocal = 1.0f / aspect;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            p.forward.At(r, c) = aspect * rotation.At(r, c);
            p.inverse.At(r, c) = rotation.At(c, r) * reciprocal;
        }
    }
    p.forward.At(3, 0) = position.x;
    p.forward.At(3, 1) = position.y;
    p.forward.At(3, 2) = position.z;
    for (int c = 0; c < 3; ++c) {
        p.inverse.At(3, c) = -(position.x * p.inverse.At(0, c) + position.y * p.inverse.At(1, c) +
                               position.z * p.inverse.At(2, c));
    }
    return p;
}

Matrix4 RotationOf(float yaw, float pitch, float roll) {
    return Matrix4::RotationQuaternion(QuaternionFromYawPitchRoll(yaw, pitch, roll));
}

float Radians(float degrees) {
    return degrees * kPi / 180.0f;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Frame-rate meter
// ---------------------------------------------------------------------------------------------

void FrameRateMeter::Start(std::int64_t nowMilliseconds) {
    started_ = true;
    frameCount_ = 0;
    lastSample_ = nowMilliseconds;
}

void FrameRateMeter::CountFrame(std::int64_t nowMilliseconds) {
    if (!started_ || nowMilliseconds < lastSample_) {
        // Nothing to measure from yet, or the clock was set back: begin a new sample here.
        Start(nowMilliseconds);
    }
    ++frameCount_;
    const double elapsed = static_cast<double>(nowMilliseconds - lastSample_) * 0.001;
    if (elapsed >= 1.0) {
        framesPerSecond_ = static_cast<float>(frameCount_ / elapsed);
        lastSample_ = nowMilliseconds;
        frameCount_ = 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Scene3D
// ---------------------------------------------------------------------------------------------

Scene3D::Scene3D() {
    SetLevelColours(Settings{}.rgbLevelColor);
    // Until the first UpdateView the camera looks at its target; SetViewSize replaces it.
    view_ = Matrix4::LookAt(cameraPosition_, cameraTarget_, cameraUp_);
    camera_ = Place(Matrix4{}, 1.0f, cameraPosition_).forward;
    projection_ = Matrix4::Perspective(kFieldOfView, aspect_, kNearPlane, kFarPlane);
}

void Scene3D::LoadSettings(const Settings& settings) {
    const Vector3 camera{settings.xPosition, settings.yPosition, settings.zPosition};
    if (std::isfinite(camera.x) && std::isfinite(camera.y) && std::isfinite(camera.z)) {
        cameraPosition_ = camera;
    }
    lightPosition_ = {settings.lightPosX, settings.lightPosY, settings.lightPosZ};
    SetLevelColours(settings.rgbLevelColor);
    moveBoard = settings.moveBoard;
    UpdateView();
}

void Scene3D::StoreSettings(Settings& settings) const {
    settings.xPosition = cameraPosition_.x;
    settings.yPosition = cameraPosition_.y;
    settings.zPosition = cameraPosition_.z;
}

void Scene3D::SetLevelColours(const std::array<Colour, kLayers>& colours) {
    for (int layer = 0; layer < kLayers; ++layer) {
        levelColours_[layer] = VertexColourFromColourRef(ColourRef(colours[layer]));
    }
}

void Scene3D::PlaceTiles(TileRecords& tiles) {
    int smallestColumn = tiles[0].column, largestColumn = tiles[0].column;
    int smallestRow = tiles[0].row, largestRow = tiles[0].row;
    for (TileRecord& tile : tiles) {
        tile.x3d = static_cast<float>(tile.column) * kTileWidth * -0.5f;
        tile.y3d = static_cast<float>(tile.row) * kTileHeight * 0.5f;
        tile.z3d = -(static_cast<float>(tile.layer) * kTileDepth);
        smallestColumn = std::min<int>(smallestColumn, tile.column);
        largestColumn = std::max<int>(largestColumn, tile.column);
        smallestRow = std::min<int>(smallestRow, tile.row);
        largestRow = std::max<int>(largestRow, tile.row);
    }
    // Half-tile columns: the centre in whole tiles, then half a tile so that an odd span centres.
    centreX_ = static_cast<float>((smallestColumn + largestColumn) / 4) + 0.5f;
    centreY_ = static_cast<float>((smallestRow + largestRow) / 4);
    for (TileRecord& tile : tiles) {
        tile.x3d += centreX_ * kTileWidth;
        tile.y3d -= centreY_ * kTileHeight;
    }
}

void Scene3D::SetViewSize(int width, int height) {
    viewWidth_ = width;
    viewHeight_ = height;
    // A minimised or collapsed view has no shape of its own; 4:3 keeps every matrix finite.
    aspect_ = (width > 0 && height > 0) ? static_cast<float>(width) / static_cast<float>(height)
                                        : 4.0f / 3.0f;
    projection_ = Matrix4::Perspective(kFieldOfView, aspect_, kNearPlane, kFarPlane);
    // The view carries the aspect too; rebuilt now so that it never lags behind the projection
    // until the next camera key.
    UpdateView();
}

void Scene3D::UpdateView() {
    const Placement p = Place(RotationOf(cameraAngles_.y, cameraAngles_.x, cameraAngles_.z),
                              aspect_, cameraPosition_);
    camera_ = p.forward;
    view_ = p.inverse;
}

void Scene3D::ResetCamera() {
    cameraPosition_ = {0.0f, 0.0f, kDefaultCameraZ};
    UpdateView();
}

void Scene3D::SetCameraPosition(const Vector3& position) {
    cameraPosition_ = position;
    UpdateView();
}

void Scene3D::RotateBoard(float dYaw, float dPitch, float dRoll) {
    boardYaw_ += dYaw;
    boardPitch_ += dPitch;
    boardRoll_ += dRoll;
}

Matrix4 Scene3D::BoardMatrix() const {
    return Place(RotationOf(boardYaw_, boardPitch_, boardRoll_), aspect_, Vector3{}).inverse;
}

Matrix4 Scene3D::TileWorld(const TileRecord& tile) const {
    return Place(RotationOf(boardYaw_, boardPitch_, boardRoll_), aspect_,
                 {tile.x3d, tile.y3d, tile.z3d})
        .inverse;
}

Matrix4 Scene3D::TilePlacement(const TileRecord& tile) const {
    return Place(RotationOf(boardYaw_, boardPitch_, boardRoll_), aspect_,
                 {tile.x3d, tile.y3d, tile.z3d})
        .forward;
}

void Scene3D::TileMatrices(const TileRecord& tile, const Matrix4& boardRotation, Matrix4& world,
                           Matrix4& placement) const {
    const Placement p = Place(boardRotation, aspect_, {tile.x3d, tile.y3d, tile.z3d});
    world = p.inverse;
    placement = p.forward;
}

Matrix4 Scene3D::BoardRotation() const {
    return RotationOf(boardYaw_, boardPitch_, boardRoll_);
}

void Scene3D::AdvanceSpin(bool paused) {
    if (!paused) {
        return;
    }
    boardYaw_ = kPi * static_cast<float>(spinCounter_) * (-1.0f / 180.0f);
    boardPitch_ = kSpinPitch;
    boardRoll_ = 0.0f;
    spinCounter_ = (spinCounter_ >= 360) ? 0 : spinCounter_ + 1;
}

void Scene3D::Resume() {
    spinCounter_ = 0;
    boardYaw_ = 0.0f;
    boardPitch_ = 0.0f;
    boardRoll_ = 0.0f;
}

float Scene3D::FramesPerSecondForKeys() const {
    // Before the first sample the rate is unknown (0); a key then moves as at a modest rate
    // instead of by an infinite step.
    return meter_.HasSample() ? meter_.FramesPerSecond() : kDefaultFramesPerSecond;
}

float Scene3D::CameraStep() const {
    return 200.0f / FramesPerSecondForKeys();
}

float Scene3D::CameraTurn() const {
    return 1.0f / FramesPerSecondForKeys();
}

void Scene3D::CameraWheel(bool awayFromPlayer) {
    CameraKey(awayFromPlayer ? CameraKeyCode::PageUp : CameraKeyCode::PageDown);
}

void Scene3D::CameraKey(CameraKeyCode key) {
    const float step = CameraStep();
    const float turn = CameraTurn();
    Vector3& c = cameraPosition_;
    Vector3& a = cameraAngles_;
    // The camera's z is deliberately not held within MinZoom and MaxZoom.
    switch (key) {
        case CameraKeyCode::PageUp:
            c.z += step;
            break;
        case CameraKeyCode::PageDown:
            c.z -= step;
            break;
        case CameraKeyCode::End:
            a.z -= turn;
            break;
        case CameraKeyCode::Home:
            a.z += turn;
            break;
        case CameraKeyCode::Left:
            a.y += turn;
            break;
        case CameraKeyCode::Right:
            a.y -= turn;
            break;
        case CameraKeyCode::Up:
            a.x += turn;
            break;
        case CameraKeyCode::Down:
            a.x -= turn;
            break;
        case CameraKeyCode::Keypad1:
            c.x -= step;
            c.y -= step;
            break;
        case CameraKeyCode::Keypad2:
            c.y -= step;
            break;
        case CameraKeyCode::Keypad3:
            c.x += step;
            c.y -= step;
            break;
        case CameraKeyCode::Keypad4:
            c.x -= step;
            break;
        case CameraKeyCode::Keypad6:
            c.x += step;
            break;
        case CameraKeyCode::Keypad7:
            c.x -= step;
            c.y += step;
            break;
        case CameraKeyCode::Keypad8:
            c.y += step;
            break;
        case CameraKeyCode::Keypad9:
            c.x += step;
            c.y += step;
            break;
        default:
            break;
    }
    UpdateView();
}

void Scene3D::MovePointer(const PointerMove& move, const WindowPlacement& window) {
    if (move.rightButtonOnly) {
        RotateBoard(static_cast<float>(lastPointerX_ - move.x) * Radians(kDragDegreesPerPixel),
                    static_cast<float>(lastPointerY_ - move.y) * Radians(kDragDegreesPerPixel),
                    0.0f);
    } else if (moveBoard && window.width > 0 && window.height > 0) {
        // Only where the cursor is counts, not how it got there. A window without a size (not
        // yet shown, or minimised) has no centre to tilt toward and leaves the board alone.
        const int dx = move.screenX - (window.x + window.width / 2);
        const int dy = move.screenY - (window.y + window.height / 2);
        boardYaw_ = boardPitch_ = boardRoll_ = 0.0f;
        RotateBoard(Radians(static_cast<float>(dx * kTiltDegreesAcross / window.width)),
                    Radians(static_cast<float>(dy * kTiltDegreesAcross / window.height)), 0.0f);
    }
    lastPointerX_ = move.x;
    lastPointerY_ = move.y;
}
