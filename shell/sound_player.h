// Sound effects and background music through SDL2_mixer: effects are mixed in without waiting and
// may overlap, one MIDI piece plays at a time, and the end of a piece is reported so that the game
// can start it again. Free of Qt; the application object posts the end of a piece to its window.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct Mix_Chunk;
struct _Mix_Music;

// The General MIDI sound font the music is played with, when the system has it.
inline constexpr const char* kSoundFontPath = "/usr/share/sounds/sf2/TimGM6mb.sf2";

class SoundPlayer {
public:
    // Called when a piece ends by itself (not when it is stopped or replaced), on the audio
    // thread; `play` is the identifier the piece had, see CurrentPlay.
    using MusicEndHandler = std::function<void(std::uint64_t play)>;

    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Opens the audio device and the MIDI player. Only the first call tries: a machine without a
    // device stays silent for the whole run. False when there is no device, or when another
    // player of this process holds it.
    bool Open();
    bool IsOpen() const { return open_; }
    // Stops everything and closes the device; a later Open tries again.
    void Close();

    // Starts the wave file at `path` on a free mixing channel and returns at once. False (and
    // silence) when the device is closed, the file is missing or unreadable, or every channel is
    // busy. Safe to call from any thread.
    bool PlayEffect(const std::string& path);

    // How often a piece plays. The synthesizer lets the last notes ring for a few seconds before
    // it reports the end, so a piece restarted from that report loops with a gap of silence;
    // Forever loops inside the mixer, seamlessly, and reports an end only if playing fails.
    enum class Repeat { Once, Forever };

    // Plays the MIDI file at `path` from its beginning; a piece already playing stops first.
    // The piece last played stays loaded, so starting it again costs no new load of the sound
    // font. False when the device is closed or the file cannot be played.
    bool PlayMusic(const std::string& path, Repeat repeat = Repeat::Once);
    // Stops the music at once; no end is reported for it.
    void StopMusic();
    bool MusicPlaying() const;
    // The identifier of the latest play (0 before the first). Every PlayMusic and StopMusic
    // makes a new one, unique in the process, so an end reported for an older play can be told
    // apart from the current one.
    std::uint64_t CurrentPlay() const { return currentPlay_.load(); }
    void SetMusicEndHandler(MusicEndHandler handler);

    // How many effects were handed to the mixer since the device was opened.
    unsigned EffectsStarted() const { return effectsStarted_.load(); }

private:
    // A file's identity on disk: a changed file is loaded anew.
    struct FileStamp {
        std::uintmax_t size = 0;
        std::int64_t modified = 0;
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    struct CachedEffect {
        Mix_Chunk* chunk = nullptr;
        FileStamp stamp;
    };

    static void MusicFinished();
    static bool StampOf(const std::string& path, FileStamp& stamp);
    void HaltMusic();
    void FreeMusic();

    bool open_ = false;
    bool openTried_ = false;

    std::mutex effectsMutex_;
    std::map<std::string, CachedEffect> effects_;
    // Chunks replaced by a newer file; a channel may still play them, so they live until Close.
    std::vector<Mix_Chunk*> retiredEffects_;
    std::atomic<unsigned> effectsStarted_{0};

    _Mix_Music* music_ = nullptr;
    std::string musicPath_;
    FileStamp musicStamp_;
    std::atomic<std::uint64_t> currentPlay_{0};
    // Set while the player itself halts the music: the mixer reports that halt as an end too.
    std::atomic<bool> halting_{false};

    std::mutex handlerMutex_;
    MusicEndHandler musicEnd_;
};
