// The application object shared by the two 3D programs: the scene (tile placement, camera, the
// board's own turn, level colours, frame-rate meter) and its input, the frame plan each Tick
// draws, picking on the plan that was drawn, the 3D section of the settings and the 3D colour and
// configuration dialogs. The back end (software device or OpenGL) draws a plan through Render.
#pragma once

#include <mutex>

#include "images/tile_set.h"
#include "shell/game_app.h"
#include "view3d/frame_plan.h"
#include "view3d/scene.h"

class GameApp3D : public GameApp {
public:
    GameApp3D(ShellDesktop& desktop, Edition edition);
    ~GameApp3D() override;

    // -- view slots --
    void PlaceTiles() override;
    // Spins the board while paused, plans the frame under the board lock, draws it outside the
    // lock, counts it for the frame-rate meter and brings the status text up to date.
    void Tick() override;
    void SetViewDefaults(Settings& settings) override;
    void ReadViewSettings(std::string_view line, std::string_view key, Settings& settings) override;
    void WriteViewSettings(ConfigWriter& writer, const Settings& settings) override;
    void Resize() override;
    // Draws one planned frame; the 3D base draws nothing and says so.
    virtual bool Render(const FramePlan& plan) {
        (void)plan;
        return false;
    }
    // The camera moved: rebuild the view.
    virtual void UpdateView();
    // Adds angles (radians) to the board's own turn.
    virtual void RotateBoard(float yaw, float pitch, float roll);

    // -- what the 3D editions add to the shell --
    void PickAt(int x, int y) override;
    void ResetCamera() override;
    bool HasCamera() const override { return true; }
    bool WantsIdleLoop() const override { return true; }
    void OnIdle() override;
    void OnKey(KeyCode key) override;
    void OnWheel(int delta) override;
    void OnPointerMoved(const PointerState& pointer) override;
    void OnPauseChanged(bool paused) override;

    const Scene3D& Scene() const { return scene_; }
    // The plan of the last frame drawn (picking reads its matrices).
    FramePlan LastPlan() const;
    // The tile-set folder's picture of `TileSet`, as a path.
    std::string TileSetPath() const;
    // Reads that picture; false when it cannot serve as a tile set (IsTileSetPicture).
    bool ReadTileSetPicture(Image& picture) const;
    // Makes `picture` the source of `tiles` and cuts the faces at the settings' face size.
    void UseTileSetPicture(TileSet& tiles, Image picture) const;
    std::string BackgroundPath() const;

protected:
    void ColourDialog() override;
    void ConfigDialog() override;
    // The face size of the settings as the tile textures take it (64, 128 or 256 as offered; any
    // other value read from the file is used as the file gives it when it lies within 8..1024).
    int FaceSize() const;
    // A new face size was chosen: the tile textures are made again.
    virtual void FaceSizeChanged() { LoadTileSetPicture(); }
    // Whether the configuration dialog offers the relief switch (the OpenGL edition).
    virtual bool HasBumpMapping() const { return false; }

    Scene3D scene_;

private:
    View3DSettingsHooks settingsHooks_;
    mutable std::mutex planMutex_;
    FramePlan lastPlan_;
};
