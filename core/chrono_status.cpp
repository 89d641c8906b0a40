// The chrono, the time format of the status bar and the hall of fame, and the status text.
#include <cstdio>
#include <limits>

#include "core/game_core.h"

namespace {

// The status text is held to this many bytes; a longer language text is cut.
constexpr std::size_t kStatusRoom = 3071;

// Cuts `text` to at most `room` bytes without splitting a UTF-8 character.
void CutText(std::string& text, std::size_t room) {
    if (text.size() <= room) {
        return;
    }
    std::size_t end = room;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
}

const std::string kGap(20, ' ');

}  // namespace

std::string FormatTime(std::int32_t seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    // The longest, for the largest int32, is "596523:14:07": 12 characters.
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds % 3600 / 60), static_cast<int>(seconds % 60));
    return text;
}

void Board::ChronoTick() {
    if (!ChronoPaused && !WinHandled && chronoSeconds < std::numeric_limits<std::int32_t>::max()) {
        ++chronoSeconds;
    }
}

void GameCore::ChronoTick() {
    board.ChronoTick();
    if (settings.showChrono) {
        RefreshStatus();
    }
}

std::string GameCore::StatusLine() const {
    std::string text;
    if (InLayoutEditor()) {
        text = std::to_string(editor.positionCount) + " " + LanguageText("Tiles");
        CutText(text, kStatusRoom);
        return text;
    }
    text = std::to_string(board.tilesLeft) + " " + LanguageText("Tiles");
    if (settings.showChrono) {
        text += kGap + LanguageText("Chrono") + " : " +
                (board.ChronoPaused ? LanguageText("MesChronoPaused")
                                    : FormatTime(board.chronoSeconds));
    }
    if (board.GameOverShown) {
        if (board.hintIndex < board.moveCount) {
            text += kGap + LanguageText("Sol") + " " + std::to_string(board.hintIndex + 1) + " / " +
                    std::to_string(board.moveCount);
        } else {
            text += kGap + LanguageText(board.tilesLeft > 0 ? "MesStatusLose" : "MesStatusWin");
        }
    }
    CutText(text, kStatusRoom);
    return text;
}

void GameCore::StatusText() {
    const std::string text = StatusLine();
    if (!InLayoutEditor()) {
        CheckWin();
    }
    ShowStatusText(text);
}
