#include "shell/sound_player.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "files/midi_check.h"

namespace {

// The mixer reports the end of a piece through a plain function without context: it reaches the
// one player that has the device open.
std::atomic<SoundPlayer*> devicePlayer{nullptr};
// Play identifiers are unique in the process, so an end posted by a player that has since been
// replaced can never be taken for the end of a newer play.
std::atomic<std::uint64_t> nextPlay{1};

constexpr int kRate = 44100;
constexpr int kChannels = 2;
// About 23 ms at 44.1 kHz: short enough that a click and its sound feel simultaneous.
constexpr int kBufferFrames = 1024;
// Effects that overlap: a fast player can start a few before the first has died away.
constexpr int kMixingChannels = 16;

// The sound libraries are loaded when a player opens the device, on the thread that opens it,
// not with the program: the window does not wait for them, and where no device opens (a machine
// without sound) they are let go again and take no memory. Every call of the player goes
// through the functions found here; only the player that has the device open makes them.
// clang-format off
#define MIXER_FUNCTIONS(F)                                                                         \
    F(SDL_SetHint) F(SDL_InitSubSystem) F(SDL_QuitSubSystem) F(SDL_Quit)                           \
    F(Mix_SetSoundFonts) F(Mix_Init) F(Mix_Quit) F(Mix_OpenAudio) F(Mix_CloseAudio)                \
    F(Mix_AllocateChannels) F(Mix_HookMusicFinished) F(Mix_HaltChannel) F(Mix_FreeChunk)           \
    F(Mix_LoadWAV) F(Mix_PlayChannel) F(Mix_HaltMusic) F(Mix_FreeMusic) F(Mix_LoadMUS)             \
    F(Mix_PlayMusic) F(Mix_PlayingMusic)
// clang-format on

struct MixerLibrary {
    void* handle = nullptr;
#define MIXER_POINTER(name) decltype(&::name) name = nullptr;
    MIXER_FUNCTIONS(MIXER_POINTER)
#undef MIXER_POINTER

    bool Load() {
        handle = dlopen("libSDL2_mixer-2.0.so.0", RTLD_LAZY | RTLD_LOCAL);
        if (handle == nullptr) {
            return false;
        }
        bool found = true;
#define MIXER_FIND(name)                                           \
    name = reinterpret_cast<decltype(name)>(dlsym(handle, #name)); \
    found = found && name != nullptr;
        MIXER_FUNCTIONS(MIXER_FIND)
#undef MIXER_FIND
        if (!found) {
            Unload();
        }
        return found;
    }

    // After the device and the audio part of SDL are closed: SDL lets go of whatever else it
    // started before its code is unmapped.
    void Unload() {
        if (SDL_Quit != nullptr) {
            SDL_Quit();
        }
        dlclose(handle);
        *this = MixerLibrary{};
    }
};
#undef MIXER_FUNCTIONS

MixerLibrary mixer;

}  // namespace

SoundPlayer::SoundPlayer() = default;

SoundPlayer::~SoundPlayer() {
    Close();
}

bool SoundPlayer::Open() {
    if (openTried_) {
        return open_;
    }
    openTried_ = true;
    SoundPlayer* none = nullptr;
    if (!devicePlayer.compare_exchange_strong(none, this)) {
        return false;
    }
    if (!mixer.Load()) {
        devicePlayer.store(nullptr);
        return false;
    }
    // Qt handles the signals; the sound system must not install its own.
    mixer.SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    mixer.SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Varnel's mah-jong");
    if (mixer.SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        mixer.Unload();
        devicePlayer.store(nullptr);
        return false;
    }
    // The player's own choice of sound font wins; otherwise the General MIDI font of the system.
    std::error_code error;
    if (std::getenv("SDL_SOUNDFONTS") == nullptr &&
        std::filesystem::exists(kSoundFontPath, error)) {
        mixer.Mix_SetSoundFonts(kSoundFontPath);
    }
    // Without a MIDI player the effects still work; the music then stays silent.
    mixer.Mix_Init(MIX_INIT_MID);
    if (mixer.Mix_OpenAudio(kRate, AUDIO_S16SYS, kChannels, kBufferFrames) != 0) {
        mixer.Mix_Quit();
        mixer.SDL_QuitSubSystem(SDL_INIT_AUDIO);
        mixer.Unload();
        devicePlayer.store(nullptr);
        return false;
    }
    mixer.Mix_AllocateChannels(kMixingChannels);
    mixer.Mix_HookMusicFinished(&SoundPlayer::MusicFinished);
    open_ = true;
    return true;
}

void SoundPlayer::Close() {
    openTried_ = false;
    if (!open_) {
        return;
    }
    HaltMusic();
    mixer.Mix_HookMusicFinished(nullptr);
    mixer.Mix_HaltChannel(-1);
    FreeMusic();
    {
        std::lock_guard lock(effectsMutex_);
        for (auto& [path, effect] : effects_) {
            mixer.Mix_FreeChunk(effect.chunk);
        }
        effects_.clear();
        for (Mix_Chunk* chunk : retiredEffects_) {
            mixer.Mix_FreeChunk(chunk);
        }
        retiredEffects_.clear();
    }
    mixer.Mix_CloseAudio();
    mixer.Mix_Quit();
    mixer.SDL_QuitSubSystem(SDL_INIT_AUDIO);
    mixer.Unload();
    open_ = false;
    effectsStarted_.store(0);
    devicePlayer.store(nullptr);
}

bool SoundPlayer::StampOf(const std::string& path, FileStamp& stamp) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        return false;
    }
    const auto modified = std::filesystem::last_write_time(path, error);
    if (error) {
        return false;
    }
    stamp.size = size;
    stamp.modified = static_cast<std::int64_t>(modified.time_since_epoch().count());
    return true;
}

// ---------------------------------------------------------------------------------------------
// Effects
// ---------------------------------------------------------------------------------------------

bool SoundPlayer::PlayEffect(const std::string& path) {
    if (!open_) {
        return false;
    }
    FileStamp stamp;
    if (!StampOf(path, stamp)) {
        return false;
    }
    std::lock_guard lock(effectsMutex_);
    auto found = effects_.find(path);
    if (found != effects_.end() && !(found->second.stamp == stamp)) {
        // The file was replaced (an imported sound of the same name): the old one may still be
        // sounding, so it is kept until the device closes.
        retiredEffects_.push_back(found->second.chunk);
        effects_.erase(found);
        found = effects_.end();
    }
    if (found == effects_.end()) {
        Mix_Chunk* chunk = mixer.Mix_LoadWAV(path.c_str());
        if (chunk == nullptr) {
            return false;
        }
        found = effects_.emplace(path, CachedEffect{chunk, stamp}).first;
    }
    if (mixer.Mix_PlayChannel(-1, found->second.chunk, 0) < 0) {
        return false;
    }
    effectsStarted_.fetch_add(1);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Music
// ---------------------------------------------------------------------------------------------

void SoundPlayer::MusicFinished() {
    SoundPlayer* player = devicePlayer.load();
    if (player == nullptr || player->halting_.load()) {
        return;
    }
    // Called with the mixer locked: the handler only copies and posts, it never calls the mixer.
    MusicEndHandler handler;
    {
        std::lock_guard lock(player->handlerMutex_);
        handler = player->musicEnd_;
    }
    if (handler) {
        handler(player->currentPlay_.load());
    }
}

void SoundPlayer::SetMusicEndHandler(MusicEndHandler handler) {
    std::lock_guard lock(handlerMutex_);
    musicEnd_ = std::move(handler);
}

void SoundPlayer::HaltMusic() {
    // A new identifier first: an end the mixer reports at this moment belongs to the old play.
    currentPlay_.store(nextPlay.fetch_add(1));
    halting_.store(true);
    mixer.Mix_HaltMusic();
    halting_.store(false);
}

void SoundPlayer::FreeMusic() {
    if (music_ != nullptr) {
        mixer.Mix_FreeMusic(music_);
        music_ = nullptr;
    }
    musicPath_.clear();
}

void SoundPlayer::StopMusic() {
    if (open_) {
        HaltMusic();
    }
}

bool SoundPlayer::PlayMusic(const std::string& path, Repeat repeat) {
    if (!open_) {
        return false;
    }
    HaltMusic();
    FileStamp stamp;
    if (!StampOf(path, stamp)) {
        return false;
    }
    if (music_ == nullptr || path != musicPath_ || !(stamp == musicStamp_)) {
        FreeMusic();
        // A damaged file would play as an empty piece that ends, and restarts, over and over.
        if (!files::LooksLikeMidiFile(path)) {
            return false;
        }
        music_ = mixer.Mix_LoadMUS(path.c_str());
        if (music_ == nullptr) {
            return false;
        }
        musicPath_ = path;
        musicStamp_ = stamp;
    }
    currentPlay_.store(nextPlay.fetch_add(1));
    return mixer.Mix_PlayMusic(music_, repeat == Repeat::Forever ? -1 : 1) == 0;
}

bool SoundPlayer::MusicPlaying() const {
    return open_ && mixer.Mix_PlayingMusic() != 0;
}
