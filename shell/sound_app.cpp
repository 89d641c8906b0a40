// The application object's sound: the device check, the effects of the game core and the music
// that starts again at the end of each piece.
#include <QCoreApplication>
#include <QMetaObject>

#include "settings/resource_folders.h"
#include "shell/command_ids.h"
#include "shell/game_app.h"

namespace {

// The end of a piece arrives on the audio thread; the window's thread restarts it. The posted
// call finds the application object anew, so it is harmless after a shut-down.
void PostMusicEnd(std::uint64_t play) {
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
}

}  // namespace

bool GameApp::HasWaveDevice() {
    if (AudioOpening()) {
        return false;  // the opening thread owns the player until it answers
    }
    if (!sound.IsOpen()) {
        sound.SetMusicEndHandler(PostMusicEnd);
    }
    // Without a device the game is silent for the whole run: the player opens nothing to play
    // through, and the choices of sound and music are written back as they were read, for the
    // next run on a machine that can play them.
    return sound.Open();
}

void GameApp::OpenAudioAside() {
    if (AudioOpening() || sound.IsOpen()) {
        return;
    }
    sound.SetMusicEndHandler(PostMusicEnd);
    audioOpening_.store(true);
    // Probing the sound servers and loading the sound font take longer than everything else of
    // the start together; the board does not wait for them.
    audioOpener_ = std::thread([this, alive = std::weak_ptr<int>(alive_)] {
        sound.Open();
        if (QCoreApplication* qt = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                qt,
                [this, alive] {
                    if (alive.lock()) {
                        AudioOpened();
                    }
                },
                Qt::QueuedConnection);
        }
    });
}

void GameApp::AudioOpened() {
    if (audioOpener_.joinable()) {
        audioOpener_.join();
    }
    audioOpening_.store(false);
    StartSound();
}

void GameApp::StartSound() {
    if (AudioOpening() || !gameStarted_ || shutDown_) {
        return;
    }
    if (menusBuilt_ && mainMenu_.Find(command::USE_SOUNDS) == nullptr && HasWaveDevice()) {
        BuildMenus();  // built while the device had not answered yet
    }
    PlayMusic();
}

void GameApp::PlayEffect(int effect) {
    if (AudioOpening() || !settings.soundEffects || effect < EffectSelect || effect > EffectMiss) {
        return;
    }
    const std::string& name = settings.SoundFile(effect);
    if (name.empty()) {
        return;
    }
    // A missing file is silence, without a message.
    sound.PlayEffect(ResolveInFolder(folders.sounds, name));
}

void GameApp::PlayMusic() {
    if (AudioOpening()) {
        return;  // StartSound starts it once the device has answered
    }
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
