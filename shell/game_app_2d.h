// board2d's application object: the view slots filled with the flat board of view2d/ (composed
// frame, removal fade, picking of tiles and editor cells, tile set sized to the window).
#pragma once

#include "shell/game_app.h"
#include "view2d/view2d.h"

class GameApp2D : public GameApp {
public:
    explicit GameApp2D(ShellDesktop& desktop);
    ~GameApp2D() override;

    // -- view slots --
    void ReleaseRendererObjects() override;
    void PlaceTiles() override;
    void Tick() override;
    void AnimateRemoval(int a, int b) override;
    void Resize() override;

    // -- the 2D view's own operations, called by the main window and the commands --
    bool PaintFrame(const FrameSink& sink) override;
    void LoadBackground2D() override;
    void LoadTileSet2D() override;
    void SizeTileSet2D(int pixelWidth, int pixelHeight) override;
    void HitTest2D(int x, int y, int button) override;
    void AnimationFrame(int a, int b, int alphaA, int alphaB) override;

    View2D& View() { return view_; }

private:
    // Copies the settings the view draws with into it; every entry into the view starts here.
    void SyncViewOptions();
    // The hint test while drawing: true for the two tiles of the listed pair at the hint index
    // while the hint is shown.
    bool IsHintTile(int t);

    View2D view_;
};
