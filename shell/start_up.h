// The start of a program: builds the desktop and the main window around the application object,
// runs the start-up steps in their order and then the Qt main loop.
#pragma once

#include "shell/main_window.h"

class GameApp;
class QtDesktop;

// Runs the game in the working directory; returns the program's exit code. The QApplication
// must exist; `desktop` is the one the application object was built with; `makeView` makes the
// edition's board view.
int RunGame(GameApp& app, QtDesktop& desktop,
            const BoardViewFactory& makeView = PictureBoardView());

// The height of the window's menu bar in pixels, measured on a bar that holds a menu.
int MenuBarHeight();
