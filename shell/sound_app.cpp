// The application object's sound: the device check, the effects of the game core and the music
// that starts again at the end of each piece.
#include <QCoreApplication>
#include <QMetaObject>

#include "settings/resource_folders.h"
#include "shell/game_app.h"

bool GameApp::HasWaveDevice() {
    if (!sound.IsOpen()) {
        // The end of a piece arrives on the audio thread; the window's thread restarts it. The
        // posted call finds the application object anew, so it is harmless after a shut-down.
        sound.SetMusicEndHandler([](std::uint64_t play) {
            QCoreApplication* qt = QCoreApplication::instance();
            if (qt == nullptr) {
                return;
            }
            QMetaObject::invokeMethod(
                qt,
                [play] {
                    if (GameApp* app = TheApp()) {
                        app->OnMusicFinished(play);
                    }
                },
                Qt::QueuedConnection);
        });
    }
    // Without a device the game is silent for the whole run: the player opens nothing to play
    // through, and the choices of sound and music are written back as they were read, for the
    // next run on a machine that can play them.
    return sound.Open();
}

void GameApp::PlayEffect(int effect) {
    if (board.soundEffects == 0 || effect < EffectSelect || effect > EffectMiss) {
        return;
    }
    const std::string& name = board.soundFiles[static_cast<std::size_t>(effect)];
    if (name.empty()) {
        return;
    }
    // A missing file is silence, without a message.
    sound.PlayEffect(ResolveInFolder(folders.sounds, name));
}

void GameApp::PlayMusic() {
    if (settings.music.empty()) {
        sound.StopMusic();
        return;
    }
    // The piece loops inside the mixer without a gap; should it ever stop by itself, its end
    // still arrives through OnMusicFinished and starts it again.
    sound.PlayMusic(ResolveInFolder(folders.sounds, settings.music), SoundPlayer::Repeat::Forever);
}

void GameApp::OnMusicFinished(std::uint64_t play) {
    // Only the end of the piece playing now restarts it: a piece that was stopped or replaced
    // since it ended is not brought back.
    if (shutDown_ || play != sound.CurrentPlay()) {
        return;
    }
    PlayMusic();
}
