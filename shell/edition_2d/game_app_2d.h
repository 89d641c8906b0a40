// board2d's application object: the view slots filled with the flat board of view2d/ (composed
// frame, removal fade, picking of tiles and editor cells, tile set sized to the window).
#pragma once

#include <atomic>

#include "core/board.h"
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

    // -- what the 2D edition adds: its picture, picking, editor, dialogs and mouse --
    bool PaintFrame(const FrameSink& sink) override;
    // Half a second after the last composition, outside a replay, the composed frame goes: the
    // window holds the picture, and a paint that needs it again composes it first.
    void LetGoOfIdleMemory() override;
    void LoadBackgroundPicture() override;
    bool LoadTileSetPicture() override;
    // The background is read and stretched on a thread of its own while the faces are cut.
    bool LoadBackgroundAndTileSet() override;
    // A left click: the tile under the point, or in the layout editor a position added there.
    void PickAt(int x, int y) override;
    // The editor's changes are drawn at once, without a fade.
    void RedrawNow() override { AnimationFrame(NoTile, NoTile, 0, 0); }
    bool HasLayoutEditor() const override { return true; }
    // The middle button opens the colours.
    int MiddleButtonCommand() const override;
    // The right button undoes, or in the layout editor removes the position under the pointer.
    void OnRightButtonDown(int x, int y) override;
    // In the layout editor, the tile a left click at the pointer would add is drawn as a hint.
    void OnPointerMoved(const PointerState& pointer) override;
    void OnPointerLeft() override;
    // The frame of the fade: tiles a and b drawn with the given opacities (0..255).
    void AnimationFrame(int a, int b, int alphaA, int alphaB);
    // The automatic play's wait before it removes a pair (on its worker thread, without the
    // board): the pair is shown selected and fades out, in place of the 3D editions' sleep.
    void AutoplayWait(int a, int b, int delay) override;

    View2D& View() { return view_; }

protected:
    void ColourDialog() override;
    void ConfigDialog() override;
    // Re-cuts the tile set for the current view size (a new side colour, border or shadow).
    virtual void SizeTileSet();

private:
    // The 2D hit test of a click with button 0 (left) or 1 (right): a tile for the rules, or a
    // point for the layout editor.
    void HitTest2D(int x, int y, int button);
    // Where the pointer is: the editor's hint follows it.
    void PointerAt(int x, int y);
    // Copies the settings the view draws with into it; every entry into the view starts here.
    void SyncViewOptions();
    // The editor cell where a left click at the pointer would put a position, or -1.
    int EditorTargetUnderPointer();
    // The file of the settings' background picture.
    std::string BackgroundPath() const;

    View2D view_;
    // The pointer over the view (-1 outside) and the editor hint the last frame showed. A frame
    // may also be composed on the autoplay worker's thread.
    std::atomic<int> pointerX_{-1};
    std::atomic<int> pointerY_{-1};
    std::atomic<int> shownEditorTarget_{-1};
};
