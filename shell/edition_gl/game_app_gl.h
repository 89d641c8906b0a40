// board3d_gl's application object: the 3D scene of GameApp3D drawn through OpenGL 1.1. It owns
// the rendering context its textures and display lists live in (made when the renderer is
// created, before the window shows); the board view's own context shares those objects and
// draws the last planned frame whenever Qt paints the view.
#pragma once

#include <memory>

#include "images/tile_set.h"
#include "shell/edition_3d/game_app_3d.h"
#include "view3d/gl/gl_renderer.h"

class QOffscreenSurface;
class QOpenGLContext;
class QSurfaceFormat;

// What the edition asks of every context it draws with: a compatibility-profile desktop OpenGL
// (display lists and the fixed pipeline), double-buffered, with a 16-bit depth buffer at least.
QSurfaceFormat BoardSurfaceFormat();

// The messages of a renderer that cannot serve the window, in the order they are checked.
inline constexpr const char* kGlFailureMessages[5] = {
    "Can't Create A GL Device Context.",
    "Can't Find A Suitable PixelFormat.",
    "Can't Set The PixelFormat.",
    "Can't Create A GL Rendering Context.",
    "Can't Activate The GL Rendering Context.",
};
// For tests: VARNEL_GL_FAIL_AT=1..5 in the environment makes that check fail, so each message
// and the end of the game after it can be seen on a machine that has OpenGL.
inline constexpr const char* kGlFailAtVariable = "VARNEL_GL_FAIL_AT";

class GameAppGL : public GameApp3D {
public:
    explicit GameAppGL(ShellDesktop& desktop);
    ~GameAppGL() override;

    // -- view slots --
    // Makes the renderer's context in five checks; a failed check saves the settings, releases
    // the objects, shuts the game down and names the check in a message box "ERROR".
    bool CreateRenderer() override;
    // Software rendering (class 0) switches the relief and the board's tilt off; then the display
    // lists are built, the view set and the objects marked ready.
    void InitRendererObjects() override;
    // Deletes lists and textures in the renderer's context, then the context itself.
    void ReleaseRendererObjects() override;
    void Resize() override;
    // Keeps the plan for the view's next paint and asks for it. False until start-up completed.
    bool Render(const FramePlan& plan) override;
    void UpdateView() override;
    void RotateBoard(float yaw, float pitch, float roll) override;

    // -- pictures --
    void LoadBackgroundPicture() override;
    bool LoadTileSetPicture() override;

    // The board view's paint, with the view's context current: draws the last planned frame
    // through the shared objects, or clears to the background colour while there is none (or
    // the current context does not share the renderer's objects). True when the board was drawn.
    bool DrawLastFrame();

    // 0 software, 1 generic accelerated, 2 the device's driver (see AccelerationClassOf).
    int AccelerationClass() const;
    // Tests: take this class instead of the one the context reports (-1: the context's).
    void ForceAccelerationClass(int accelerationClass) { forcedClass_ = accelerationClass; }
    bool IsReady() const { return ready_; }
    const GlRenderer& Renderer() const { return renderer_; }
    const TileSet& Tiles() const { return tileSet_; }
    // The renderer's own context and its surface (null before CreateRenderer and after release).
    QOpenGLContext* Context() const { return context_.get(); }
    QOffscreenSurface* Surface() const { return surface_.get(); }

protected:
    bool HasBumpMapping() const override { return true; }
    // The switches stay off on a software renderer, whatever the dialog was given.
    void ConfigDialog() override;

private:
    // Makes the renderer's context current for the scope and then puts back whatever context
    // was current before (the view's, when Qt is painting).
    class CurrentContext;
    void KeepSwitchesWithinClass();

    std::unique_ptr<QOffscreenSurface> surface_;
    std::unique_ptr<QOpenGLContext> context_;
    GlRenderer renderer_;
    TileSet tileSet_;
    GlContextInfo contextInfo_;
    int forcedClass_ = -1;
    bool ready_ = false;
    bool hasPlan_ = false;
    FramePlan planToDraw_;
};
