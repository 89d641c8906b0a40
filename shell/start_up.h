// The start of a program: builds the desktop and the main window around the application object,
// runs the start-up steps in their order and then the Qt main loop.
#pragma once

class GameApp;
class QtDesktop;

// Runs the game in the working directory; returns the program's exit code. The QApplication
// must exist; `desktop` is the one the application object was built with.
int RunGame(GameApp& app, QtDesktop& desktop);
