#include "shell/edition_gl/gl_board_view.h"

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QResizeEvent>
#include <QWheelEvent>

#include "shell/edition_gl/game_app_gl.h"

GlBoardView::GlBoardView(GameAppGL& app, QWidget* parent) : QOpenGLWidget(parent), app_(app) {
    setFormat(BoardSurfaceFormat());
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(160, 120);
}

BoardViewFactory GlBoardViewFactory(GameAppGL& app) {
    return [&app](GameApp&, QWidget* parent) { return new GlBoardView(app, parent); };
}

void GlBoardView::paintGL() {
    // The board is drawn by the fixed pipeline: a shader program Qt left bound would take its
    // place. Programs are newer than the 1.1 attribute stacks the renderer restores, so the
    // view puts Qt's back itself.
    QOpenGLFunctions* gl = context()->functions();
    GLint program = 0;
    const bool shaders = context()->format().majorVersion() >= 2;
    if (shaders) {
        gl->glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        gl->glUseProgram(0);
    }
    app_.DrawLastFrame();
    if (shaders) {
        gl->glUseProgram(static_cast<GLuint>(program));
    }
}

void GlBoardView::resizeEvent(QResizeEvent* event) {
    QOpenGLWidget::resizeEvent(event);
    app_.OnViewResized(board_input::PixelWidth(*this), board_input::PixelHeight(*this),
                       window()->isMinimized());
}

void GlBoardView::mousePressEvent(QMouseEvent* event) {
    board_input::Press(app_, *this, event);
}

void GlBoardView::mouseMoveEvent(QMouseEvent* event) {
    board_input::Move(app_, *this, event);
}

void GlBoardView::wheelEvent(QWheelEvent* event) {
    board_input::Wheel(app_, event);
}

void GlBoardView::leaveEvent(QEvent* event) {
    board_input::Leave(app_);
    QOpenGLWidget::leaveEvent(event);
}
