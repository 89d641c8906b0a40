#include "shell/edition_gl/game_app_gl.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>

#include <cstdlib>

namespace {

// The check VARNEL_GL_FAIL_AT names, 0 for none.
int ForcedFailure() {
    const char* value = std::getenv(kGlFailAtVariable);
    if (value == nullptr) {
        return 0;
    }
    const int step = std::atoi(value);
    return step >= 1 && step <= 5 ? step : 0;
}

}  // namespace

QSurfaceFormat BoardSurfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(16);
    return format;
}

class GameAppGL::CurrentContext {
public:
    explicit CurrentContext(GameAppGL& app)
        : previous_(QOpenGLContext::currentContext()),
          previousSurface_(previous_ != nullptr ? previous_->surface() : nullptr) {
        made_ = app.context_ != nullptr && app.context_->makeCurrent(app.surface_.get());
    }
    ~CurrentContext() {
        if (previous_ != nullptr && previousSurface_ != nullptr) {
            previous_->makeCurrent(previousSurface_);
        } else if (QOpenGLContext* current = QOpenGLContext::currentContext()) {
            current->doneCurrent();
        }
    }
    CurrentContext(const CurrentContext&) = delete;
    CurrentContext& operator=(const CurrentContext&) = delete;
    explicit operator bool() const { return made_; }

private:
    QOpenGLContext* previous_;
    QSurface* previousSurface_;
    bool made_ = false;
};

GameAppGL::GameAppGL(ShellDesktop& desktop) : GameApp3D(desktop, Edition::GL) {
    // The 3D tiles have their own sides and cast no drawn shadows: the faces are cut bare.
    tileSet_.borderOn = false;
    tileSet_.shadowsOn = false;
}

GameAppGL::~GameAppGL() {
    // The worker calls this object's hooks: it must end before the renderer goes.
    StopAutoplay();
    ReleaseRendererObjects();
}

// ---------------------------------------------------------------------------------------------
// Context and objects
// ---------------------------------------------------------------------------------------------

bool GameAppGL::CreateRenderer() {
    if (context_ != nullptr) {
        return true;
    }
    const int failAt = ForcedFailure();
    auto fail = [this](int check) {
        RendererFailed(kGlFailureMessages[check - 1]);
        return false;
    };
    // 1. Something to draw on: a surface of the window system that takes OpenGL.
    surface_ = std::make_unique<QOffscreenSurface>();
    surface_->setFormat(BoardSurfaceFormat());
    surface_->create();
    if (failAt == 1 || !surface_->isValid()) {
        return fail(1);
    }
    // 2. A pixel format with colour and depth.
    const QSurfaceFormat chosen = surface_->format();
    if (failAt == 2 || chosen.redBufferSize() == 0 || chosen.depthBufferSize() == 0) {
        return fail(2);
    }
    // 3. The surface must be one OpenGL can draw for.
    if (failAt == 3 || !surface_->supportsOpenGL()) {
        return fail(3);
    }
    // 4. The rendering context: desktop OpenGL, sharing its objects with every context of the
    // program when the program asked Qt for that (the board view's context among them).
    context_ = std::make_unique<QOpenGLContext>();
    context_->setFormat(BoardSurfaceFormat());
    context_->setShareContext(QOpenGLContext::globalShareContext());
    if (failAt == 4 || !context_->create() || context_->isOpenGLES()) {
        return fail(4);
    }
    // 5. It must become current and draw.
    {
        CurrentContext current(*this);
        if (current) {
            contextInfo_ = QueryCurrentContext();
        }
        if (failAt == 5 || !current || !contextInfo_.usable) {
            return fail(5);
        }
    }
    return true;
}

int GameAppGL::AccelerationClass() const {
    return forcedClass_ >= 0 ? forcedClass_ : contextInfo_.accelerationClass;
}

void GameAppGL::KeepSwitchesWithinClass() {
    if (AccelerationClass() == kSoftwareAcceleration) {
        settings.moveBoard = false;
        settings.bumpMapping = false;
    }
    scene_.moveBoard = settings.moveBoard;
}

void GameAppGL::InitRendererObjects() {
    if (context_ == nullptr) {
        return;
    }
    KeepSwitchesWithinClass();
    CurrentContext current(*this);
    if (!current) {
        return;
    }
    const bool made = renderer_.IsReady() ? renderer_.BuildLists() : renderer_.Create();
    if (!made) {
        return;
    }
    scene_.SetLevelColours(settings.rgbLevelColor);
    Resize();
    UpdateView();
    ready_ = true;
}

void GameAppGL::ReleaseRendererObjects() {
    ready_ = false;
    hasPlan_ = false;
    if (context_ != nullptr) {
        {
            CurrentContext current(*this);
            if (current) {
                renderer_.Release();
            }
        }
        if (QOpenGLContext::currentContext() == context_.get()) {
            context_->doneCurrent();
        }
    }
    // Objects a lost context could not delete died with it.
    renderer_.Abandon();
    context_.reset();
    surface_.reset();
}

void GameAppGL::Resize() {
    GameApp3D::Resize();
    renderer_.Resize(viewPixelWidth, viewPixelHeight);
}

void GameAppGL::UpdateView() {
    GameApp3D::UpdateView();
    renderer_.UpdateView(scene_.View());
}

void GameAppGL::RotateBoard(float yaw, float pitch, float roll) {
    GameApp3D::RotateBoard(yaw, pitch, roll);
    renderer_.RotateBoard(scene_.BoardMatrix());
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

bool GameAppGL::Render(const FramePlan& plan) {
    if (!ready_) {
        return false;
    }
    planToDraw_ = plan;
    hasPlan_ = true;
    if (WindowPort* window = Window()) {
        window->Invalidate();
    }
    return true;
}

bool GameAppGL::DrawLastFrame() {
    QOpenGLContext* current = QOpenGLContext::currentContext();
    const bool shared =
        current != nullptr && context_ != nullptr &&
        (current == context_.get() || QOpenGLContext::areSharing(current, context_.get()));
    if (!ready_ || !hasPlan_ || !shared) {
        if (current != nullptr) {
            const Colour fill = ViewFillColour();
            ClearFrame(0xFF000000u | static_cast<std::uint32_t>(fill.red) << 16 |
                       static_cast<std::uint32_t>(fill.green) << 8 | fill.blue);
        }
        return false;
    }
    renderer_.SetBumpMapping(settings.bumpMapping && AccelerationClass() != kSoftwareAcceleration);
    return renderer_.Render(planToDraw_);
}

// ---------------------------------------------------------------------------------------------
// Pictures and dialogs
// ---------------------------------------------------------------------------------------------

void GameAppGL::LoadBackgroundPicture() {
    if (settings.background.empty()) {
        return;  // "none": the background colour shows
    }
    Image picture;
    if (!picture.Load(BackgroundPath())) {
        return;
    }
    CurrentContext current(*this);
    if (current) {
        renderer_.LoadBackgroundTexture(picture);
    }
}

bool GameAppGL::LoadTileSetPicture() {
    // A picture that is no tile set leaves the faces and their textures as they are.
    Image picture;
    if (!ReadTileSetPicture(picture)) {
        return false;
    }
    UseTileSetPicture(tileSet_, std::move(picture));
    PlaceTiles();
    CurrentContext current(*this);
    if (current) {
        renderer_.LoadTileSetTextures(tileSet_);
    }
    return true;
}

void GameAppGL::ConfigDialog() {
    GameApp3D::ConfigDialog();
    KeepSwitchesWithinClass();
}
