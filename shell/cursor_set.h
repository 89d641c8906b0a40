// The two mouse cursors of the game: its own tile pointer and hourglass (32 x 32, hot spots (8, 3)
// and (7, 11)), or the system's arrow and busy cursors when the player prefers those.
#pragma once

#include <QCursor>

#include "shell/window_port.h"

// The hot spots of the game's own cursors, in pixels from the top-left corner.
inline constexpr int kNormalCursorHotX = 8;
inline constexpr int kNormalCursorHotY = 3;
inline constexpr int kBusyCursorHotX = 7;
inline constexpr int kBusyCursorHotY = 11;

// The cursor of `kind`: with `ownCursors` the game's pictures (the system's cursor stands in when
// a picture is missing), else the system's arrow or busy cursor. Needs the QGuiApplication.
QCursor GameCursor(CursorKind kind, bool ownCursors);
