// The game operations of the application object that belong to the rules.
#include "core/game_core.h"

#include <cassert>
#include <cstring>

std::string GameCore::LanguageText(const char* key) const {
    struct Builtin {
        const char* key;
        const char* text;
    };
    static constexpr Builtin kBuiltin[] = {
        {"MesStatusLose", "No matching pair is left. You lost."},
        {"MesDealNotWinnable",
         "No winnable deal was found for this layout: the tiles were dealt at random."},
        {"MesNo144Tiles", "This layout cannot be used: it must hold exactly 144 tile positions."},
        {"MesWinShuffled",
         "Well done! The tiles were shuffled during this game, so it does not "
         "enter the hall of fame."},
    };
    for (const Builtin& entry : kBuiltin) {
        if (std::strcmp(entry.key, key) == 0) {
            return entry.text;
        }
    }
    return key;
}

MessageAnswer GameCore::ShowMessage(const std::string& text, MessageIcon icon,
                                    MessageButtons buttons) {
    if (desktop == nullptr) {
        return MessageAnswer::Ok;
    }
    BoardUnlock unlock(*this);  // the window may draw while the box is open
    return desktop->ShowMessage(text, titleText, icon, buttons);
}

void GameCore::NewGame() {
    const DealResult dealt = board.Deal(settings.easyMode, settings.lay);
    UpdateTitle();
    PlaceTiles();
    Tick();
    if (dealt == DealResult::SolvableFellBack) {
        ShowMessage(LanguageText("MesDealNotWinnable"), MessageIcon::Information);
    }
}

bool GameCore::ClickTile(int t) {
    // The views pass a tile they hit, or NoTile for a click beside every tile.
    assert(t == NoTile || board.IsTile(t));
    if (t == NoTile) {
        PlayEffect(EffectMiss);
        board.firstSelected = NoTile;
        board.secondSelected = NoTile;
        return false;
    }
    if (board.firstSelected == NoTile) {
        if (board.IsFree(t)) {
            board.firstSelected = static_cast<std::int16_t>(t);
            PlayEffect(EffectSelect);
            return true;
        }
        PlayEffect(EffectMiss);
        return false;
    }
    board.secondSelected = static_cast<std::int16_t>(t);
    TryPair(board.firstSelected, t);
    return true;
}

void GameCore::TryPair(int a, int b) {
    if (board.CanMatch(a, b)) {
        AnimateRemoval(a, b);
        RemovePair(a, b);
        if (board.moveCount == 0) {
            board.GameOverShown = 1;
            RefreshStatus();
            if (settings.messageBoxWhenLose && board.tilesLeft > 0) {
                ShowMessage(LanguageText("MesStatusLose"), MessageIcon::Information);
            }
        }
        return;
    }
    board.secondSelected = NoTile;
    if (board.IsFree(b)) {
        board.firstSelected = b == a ? NoTile : static_cast<std::int16_t>(b);
        PlayEffect(EffectSelect);
    } else {
        board.firstSelected = NoTile;
        PlayEffect(EffectMiss);
    }
}

void GameCore::RemovePair(int a, int b) {
    board.RemovePairTiles(a, b);
    PlayEffect(EffectRemove);
    board.UpdateFreeTiles();
    board.UpdateShadows();
    board.firstSelected = NoTile;
    board.secondSelected = NoTile;
    board.BuildMoveList(false);
}
