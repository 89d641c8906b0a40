// board3d_d3d's application object: the 3D scene of GameApp3D drawn by the game's own software
// rasterizer into a picture the window shows, so the edition runs on any machine, with or
// without a graphics card.
#pragma once

#include "images/tile_set.h"
#include "shell/edition_3d/game_app_3d.h"
#include "view3d/d3d8/software_renderer.h"

class GameAppD3D : public GameApp3D {
public:
    explicit GameAppD3D(ShellDesktop& desktop);
    ~GameAppD3D() override;

    // -- view slots --
    bool CreateRenderer() override;
    void InitRendererObjects() override;
    void ReleaseRendererObjects() override;
    void Resize() override;
    bool Render(const FramePlan& plan) override;

    // -- pictures --
    bool PaintFrame(const FrameSink& sink) override;
    void LoadBackgroundPicture() override;
    bool LoadTileSetPicture() override;

    const SoftwareRenderer& Renderer() const { return renderer_; }
    const TileSet& Tiles() const { return tileSet_; }

private:
    SoftwareRenderer renderer_;
    TileSet tileSet_;
};
