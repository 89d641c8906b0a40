// The board3d_d3d renderer: a frame plan drawn through the software device in the written order.

#include "view3d/d3d8/software_renderer.h"

#include <cassert>

namespace {

// The colours a fresh renderer builds its geometry with, as the configuration's defaults give.
constexpr std::uint32_t kDefaultSidesColour = 0xFFB87818;
constexpr LevelColours kDefaultLevelColours = {0xFFC0C0C0, 0xFFE0E0E0, 0xFFC0C0C0, 0xFFE0E0E0,
                                               0xFFC0C0C0};

}  // namespace

bool SoftwareRenderer::Create(int width, int height, int threadCount) {
    Release();
    if (!device_.Create(width, height, threadCount)) {
        return false;
    }
    faceTextures_.fill(kNoTexture);
    backgroundTexture_ = kNoTexture;
    backgroundFrameValid_ = false;
    if (!SetColours(kDefaultSidesColour, kDefaultLevelColours)) {
        device_.Release();
        return false;
    }
    // The fixed states: texture modulated by the vertex colour with the vertex alpha (built into
    // the device), source-alpha blending, depth test, clockwise culling.
    device_.SetBlending(true);
    device_.SetDepthTest(true);
    device_.SetCullClockwise(true);
    return true;
}

void SoftwareRenderer::Release() {
    if (!device_.IsCreated()) {
        return;
    }
    ReleaseFaceTextures();
    if (backgroundTexture_ != kNoTexture) {
        device_.ReleaseTexture(backgroundTexture_);
        backgroundTexture_ = kNoTexture;
    }
    device_.Release();
}

bool SoftwareRenderer::Resize(int width, int height) {
    backgroundFrameValid_ = false;
    return device_.IsCreated() && device_.Resize(width, height);
}

bool SoftwareRenderer::SetColours(std::uint32_t sidesColour, const LevelColours& levelColours) {
    if (!device_.IsCreated()) {
        return false;
    }
    BuildGeometry(vertices_, sidesColour, levelColours);
    sidesColour_ = sidesColour;
    levelColours_ = levelColours;
    return device_.SetVertices(vertices_.data(), kVertexCount);
}

void SoftwareRenderer::ReleaseFaceTextures() {
    for (int& texture : faceTextures_) {
        if (texture != kNoTexture) {
            device_.ReleaseTexture(texture);
            texture = kNoTexture;
        }
    }
}

bool SoftwareRenderer::LoadTileSetTextures(const TileSet& tileSet) {
    if (!device_.IsCreated()) {
        return false;
    }
    ReleaseFaceTextures();
    bool allMade = true;
    for (int face = 0; face < kTileSetFaceCount; ++face) {
        const Image& picture = tileSet.faces[static_cast<std::size_t>(face)];
        int& texture = faceTextures_[static_cast<std::size_t>(face)];
        if (picture.HasPixels()) {
            texture = device_.CreateTexture(picture.Width(), picture.Height());
        }
        if (texture != kNoTexture && !device_.UploadTexture(texture, picture)) {
            device_.ReleaseTexture(texture);
            texture = kNoTexture;
        }
        allMade = allMade && texture != kNoTexture;
    }
    return allMade;
}

bool SoftwareRenderer::LoadBackgroundTexture(const Image& picture) {
    if (!device_.IsCreated() || !picture.HasPixels()) {
        return false;
    }
    backgroundFrameValid_ = false;
    if (backgroundTexture_ != kNoTexture) {
        device_.ReleaseTexture(backgroundTexture_);
        backgroundTexture_ = kNoTexture;
    }
    Image scaled;
    if (!MakeBackgroundTexture(picture, kMaxTextureSide, kMaxTextureSide, scaled)) {
        return false;
    }
    backgroundTexture_ = device_.CreateTexture(scaled.Width(), scaled.Height());
    if (backgroundTexture_ != kNoTexture && !device_.UploadTexture(backgroundTexture_, scaled)) {
        device_.ReleaseTexture(backgroundTexture_);
        backgroundTexture_ = kNoTexture;
    }
    return backgroundTexture_ != kNoTexture;
}

void SoftwareRenderer::DrawPiece(const PieceRange& piece) {
    device_.DrawTriangleList(piece.first, piece.Triangles());
}

void SoftwareRenderer::DrawMarks(std::uint8_t marks) {
    if ((marks & (kMarkSelected | kMarkHint)) != 0) {
        DrawPiece((marks & kMarkSelected) != 0 ? kSelectedFramePiece : kHintFramePiece);
        DrawPiece(kFrameEdgePiece);
    }
    if ((marks & kMarkFocus) != 0) {
        DrawPiece(kFocusRingPiece);
    }
}

bool SoftwareRenderer::Render(const FramePlan& plan) {
    if (!device_.IsCreated()) {
        return false;
    }
    if (plan.viewWidth > 0 && plan.viewHeight > 0 &&
        (plan.viewWidth != Target().Width() || plan.viewHeight != Target().Height()) &&
        !Resize(plan.viewWidth, plan.viewHeight)) {
        return false;
    }
    if (plan.sidesColour != sidesColour_ || plan.levelColours != levelColours_) {
        if (!SetColours(plan.sidesColour, plan.levelColours)) {
            return false;
        }
    }

    const Image& target = device_.Target();
    if (plan.background && backgroundFrameValid_ && backgroundFrame_.Width() == target.Width() &&
        backgroundFrame_.Height() == target.Height() &&
        device_.ClearToPicture(backgroundFrame_, 1.0f)) {
        // The quad covers every pixel opaquely, so nothing of the clear colour would show.
    } else {
        device_.Clear(plan.clearColour, 1.0f);
        if (plan.background) {
            device_.SetTransform(DeviceTransform::World, Matrix4::Identity());
            device_.SetTransform(DeviceTransform::View, Matrix4::Identity());
            device_.SetTransform(DeviceTransform::Projection, Matrix4::Identity());
            device_.SetDepthTest(false);
            device_.SetDepthBias(0);
            device_.SetTexture(backgroundTexture_);
            DrawPiece(kBackgroundPiece);
            device_.SetDepthTest(true);
            device_.EndScene();
            backgroundFrame_ = target;
            backgroundFrameValid_ = backgroundFrame_.HasPixels();
        }
    }
    device_.SetTransform(DeviceTransform::View, plan.view);
    device_.SetTransform(DeviceTransform::Projection, plan.projection);

    for (int entry = 0; entry < plan.tileCount; ++entry) {
        const PlannedTile& tile = plan.tiles[static_cast<std::size_t>(entry)];
        assert(tile.faceTexture < kTileSetFaceCount && tile.layer < kLayers);
        device_.SetTransform(DeviceTransform::World, tile.world);
        for (const TileDrawStep& step : kTileDrawOrder) {
            switch (step.piece) {
                case TilePiece::Sides:
                    device_.SetDepthBias(step.depthBias);
                    device_.SetTexture(faceTextures_[kBodyTexture]);
                    DrawPiece(kSidesPiece);
                    break;
                case TilePiece::Face:
                    device_.SetDepthBias(step.depthBias);
                    device_.SetTexture(faceTextures_[tile.faceTexture]);
                    DrawPiece(LevelFacePiece(tile.layer));
                    break;
                case TilePiece::Highlight:
                    // The face texture stays bound: the face is darkened, not replaced.
                    if (tile.highlight) {
                        device_.SetDepthBias(step.depthBias);
                        DrawPiece(kHighlightPiece);
                    }
                    break;
                case TilePiece::Marks:
                    if (tile.marks != 0) {
                        device_.SetDepthBias(step.depthBias);
                        device_.SetTexture(kNoTexture);
                        DrawMarks(tile.marks);
                    }
                    break;
                case TilePiece::Shadow:
                    if (tile.shadowRows != 0) {
                        device_.SetDepthBias(step.depthBias);
                        device_.SetTexture(kNoTexture);
                        for (int row = 0; row < kShadowRows; ++row) {
                            if ((tile.shadowRows & (1u << row)) != 0) {
                                DrawPiece(ShadowRowPiece(row));
                            }
                        }
                    }
                    break;
            }
        }
    }
    device_.EndScene();
    return true;
}
