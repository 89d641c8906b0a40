// The board view of board3d_gl: a QOpenGLWidget with a compatibility-profile context that shares
// the renderer's objects and draws the last planned frame whenever Qt paints it; the mouse goes
// to the application object like in every other board view.
#pragma once

#include <QOpenGLWidget>

#include "shell/main_window.h"

class GameAppGL;

class GlBoardView : public QOpenGLWidget {
public:
    GlBoardView(GameAppGL& app, QWidget* parent);

protected:
    void paintGL() override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    GameAppGL& app_;
};

// Makes board3d_gl's board view for the main window.
BoardViewFactory GlBoardViewFactory(GameAppGL& app);
