// board2d's application object: the view slots filled with the flat board of view2d/ (composed
// frame, removal fade, picking of tiles and editor cells, tile set sized to the window).
#pragma once

#include <atomic>

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
    // The automatic play's wait before it removes a pair (on its worker thread, without the
    // board): the pair is shown selected and fades out, in place of the 3D editions' sleep.
    void AutoplayWait(int a, int b, int delay) override;
    // In the layout editor, the tile a left click at the pointer would add is drawn as a hint.
    void OnPointerMoved(int x, int y) override;

    View2D& View() { return view_; }

private:
    // Copies the settings the view draws with into it; every entry into the view starts here.
    void SyncViewOptions();
    // The editor cell where a left click at the pointer would put a position, or -1.
    int EditorTargetUnderPointer();

    View2D view_;
    // The pointer over the view (-1 outside) and the editor hint the last frame showed. A frame
    // may also be composed on the autoplay worker's thread.
    std::atomic<int> pointerX_{-1};
    std::atomic<int> pointerY_{-1};
    std::atomic<int> shownEditorTarget_{-1};
};
