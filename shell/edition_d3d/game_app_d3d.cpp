#include "shell/edition_d3d/game_app_d3d.h"

#include <algorithm>

GameAppD3D::GameAppD3D(ShellDesktop& desktop) : GameApp3D(desktop, Edition::D3D) {
    // The 3D tiles have their own sides and cast no drawn shadows: the faces are cut bare.
    tileSet_.borderOn = false;
    tileSet_.shadowsOn = false;
}

GameAppD3D::~GameAppD3D() {
    // The worker calls this object's hooks: it must end before the renderer goes.
    StopAutoplay();
}

bool GameAppD3D::CreateRenderer() {
    if (renderer_.IsReady()) {
        return true;
    }
    if (!renderer_.Create(std::max(viewPixelWidth, 1), std::max(viewPixelHeight, 1))) {
        RendererFailed("Window Creation Error.");
        return false;
    }
    return true;
}

void GameAppD3D::InitRendererObjects() {
    if (!renderer_.IsReady() &&
        !renderer_.Create(std::max(viewPixelWidth, 1), std::max(viewPixelHeight, 1))) {
        return;
    }
    scene_.SetLevelColours(settings.rgbLevelColor);
    renderer_.SetColours(OpaqueVertexColour(settings.sidesColor), scene_.LevelVertexColours());
    Resize();
    UpdateView();
}

void GameAppD3D::ReleaseRendererObjects() {
    renderer_.Release();
}

void GameAppD3D::Resize() {
    GameApp3D::Resize();
    if (renderer_.IsReady() && viewPixelWidth > 0 && viewPixelHeight > 0) {
        renderer_.Resize(viewPixelWidth, viewPixelHeight);
    }
}

bool GameAppD3D::Render(const FramePlan& plan) {
    if (!renderer_.IsReady() || !renderer_.Render(plan)) {
        return false;
    }
    if (WindowPort* window = Window()) {
        window->Invalidate();
    }
    return true;
}

bool GameAppD3D::PaintFrame(const FrameSink& sink) {
    const Image& frame = renderer_.Target();
    if (!renderer_.IsReady() || !frame.HasPixels()) {
        return false;
    }
    sink(frame.Pixels(), frame.Width(), frame.Height(), frame.Stride());
    return true;
}

void GameAppD3D::LoadBackgroundPicture() {
    if (settings.background.empty()) {
        return;  // "none": the background colour shows
    }
    Image picture;
    if (picture.Load(BackgroundPath())) {
        renderer_.LoadBackgroundTexture(picture);
    }
}

bool GameAppD3D::LoadTileSetPicture() {
    // A picture that is no tile set leaves the faces and their textures as they are.
    Image picture;
    if (!ReadTileSetPicture(picture)) {
        return false;
    }
    UseTileSetPicture(tileSet_, std::move(picture));
    PlaceTiles();
    renderer_.LoadTileSetTextures(tileSet_);
    return true;
}
