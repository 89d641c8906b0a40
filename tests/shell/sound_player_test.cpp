// The sound player on SDL's disk driver, which writes the mixed output into a file in real time:
// effects must really reach the output, music must start, stop and report its end.
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "shell/sound_player.h"
#include "tests/shell/media_test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using media_test::DataFile;

// Waits for `done` up to `limit`; the limit only guards against a hang, it measures nothing.
template <typename Done>
bool WaitFor(Done done, std::chrono::milliseconds limit = 8000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// The largest sample magnitude of 16-bit output from byte `from` on, as a fraction of full scale.
double Peak(const std::vector<std::uint8_t>& raw, std::size_t from) {
    int peak = 0;
    for (std::size_t i = from & ~std::size_t{1}; i + 1 < raw.size(); i += 2) {
        const auto sample = static_cast<std::int16_t>(raw[i] | (raw[i + 1] << 8));
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    }
    return peak / 32768.0;
}

class SoundPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/varnel-sound-XXXXXX";
        const char* made = mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        folder = made;
        raw = folder + "/output.raw";
        media_test::UseDiskAudio(raw);
    }
    void TearDown() override {
        player.Close();
        std::error_code error;
        fs::remove_all(folder, error);
    }
    std::uintmax_t OutputSize() const {
        std::error_code error;
        const std::uintmax_t size = fs::file_size(raw, error);
        return error ? 0 : size;
    }

    std::string folder;
    std::string raw;
    SoundPlayer player;
};

TEST_F(SoundPlayerTest, EffectReallyReachesTheOutput) {
    ASSERT_TRUE(player.Open());
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    ASSERT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
    ASSERT_EQ(format, AUDIO_S16LSB);
    ASSERT_TRUE(WaitFor([&] { return OutputSize() > 8192; }));
    const std::size_t before = OutputSize();
    EXPECT_EQ(Peak(media_test::ReadBytes(raw), 0), 0.0) << "silence before any effect";

    ASSERT_TRUE(player.PlayEffect(DataFile("SOUNDS/Select.wav")));
    EXPECT_EQ(player.EffectsStarted(), 1u);
    ASSERT_TRUE(WaitFor([] { return Mix_Playing(-1) == 0; }));
    // The effect is 70 ms long; a quarter of a second more is surely written out.
    const std::size_t wanted = before + static_cast<std::size_t>(rate * channels * 2 / 4);
    ASSERT_TRUE(WaitFor([&] { return OutputSize() > wanted; }));
    // The shipped effects peak at -6 dBFS: the mixer passes them on at full volume.
    const double peak = Peak(media_test::ReadBytes(raw), before);
    EXPECT_GT(peak, 0.35);
    EXPECT_LT(peak, 0.65);
}

TEST_F(SoundPlayerTest, EffectsOverlapAndReturnAtOnce) {
    ASSERT_TRUE(player.Open());
    const std::string remove = DataFile("SOUNDS/Remove.wav");  // almost a second long
    EXPECT_TRUE(player.PlayEffect(remove));
    EXPECT_TRUE(player.PlayEffect(remove));
    EXPECT_TRUE(player.PlayEffect(DataFile("SOUNDS/Select.wav")));
    // Nothing waited for the first effect to end: all three sound together.
    EXPECT_EQ(Mix_Playing(-1), 3);
    EXPECT_EQ(player.EffectsStarted(), 3u);
}

TEST_F(SoundPlayerTest, MissingOrDamagedEffectFilesPlayNothing) {
    ASSERT_TRUE(player.Open());
    EXPECT_FALSE(player.PlayEffect(folder + "/missing.wav"));
    EXPECT_FALSE(player.PlayEffect(""));
    EXPECT_FALSE(player.PlayEffect(folder));
    media_test::WriteBytes(folder + "/damaged.wav", {'R', 'I', 'F', 'F', 1, 2, 3});
    EXPECT_FALSE(player.PlayEffect(folder + "/damaged.wav"));
    EXPECT_EQ(player.EffectsStarted(), 0u);
    EXPECT_EQ(Mix_Playing(-1), 0);
}

TEST_F(SoundPlayerTest, ReplacedEffectFileIsLoadedAnew) {
    ASSERT_TRUE(player.Open());
    const std::string path = folder + "/Effect.wav";
    fs::copy_file(DataFile("SOUNDS/Select.wav"), path);
    ASSERT_TRUE(player.PlayEffect(path));
    // An imported file of the same name replaces the first; a damaged one must not play the
    // old sound from the cache.
    media_test::WriteBytes(path, {'R', 'I', 'F', 'F', 1, 2, 3});
    EXPECT_FALSE(player.PlayEffect(path));
    fs::copy_file(DataFile("SOUNDS/Remove.wav"), path, fs::copy_options::overwrite_existing);
    EXPECT_TRUE(player.PlayEffect(path));
}

TEST_F(SoundPlayerTest, MusicStartsStopsAtOnceAndRestartsFromTheBeginning) {
    ASSERT_TRUE(player.Open());
    std::atomic<int> ends{0};
    player.SetMusicEndHandler([&](std::uint64_t) { ends.fetch_add(1); });
    ASSERT_TRUE(player.PlayMusic(DataFile("SOUNDS/Tune478.mid")));
    EXPECT_TRUE(player.MusicPlaying());
    const std::uint64_t first = player.CurrentPlay();
    std::this_thread::sleep_for(200ms);
    const double position = Mix_GetMusicPosition(nullptr);

    // The same piece again starts over, as a new play.
    ASSERT_TRUE(player.PlayMusic(DataFile("SOUNDS/Tune478.mid")));
    EXPECT_NE(player.CurrentPlay(), first);
    EXPECT_TRUE(player.MusicPlaying());
    if (position > 0.0) {
        EXPECT_LT(Mix_GetMusicPosition(nullptr), position);
    }

    player.StopMusic();
    EXPECT_FALSE(player.MusicPlaying());
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(ends.load(), 0) << "a stopped or replaced piece reports no end";
}

TEST_F(SoundPlayerTest, EndOfPieceIsReportedWithItsPlay) {
    ASSERT_TRUE(player.Open());
    const std::string path = folder + "/Short.mid";
    media_test::WriteBytes(path, media_test::ShortMidi(96));  // 0.1 s
    std::atomic<std::uint64_t> ended{0};
    std::atomic<int> ends{0};
    player.SetMusicEndHandler([&](std::uint64_t play) {
        ended.store(play);
        ends.fetch_add(1);
    });
    ASSERT_TRUE(player.PlayMusic(path));
    const std::uint64_t play = player.CurrentPlay();
    ASSERT_TRUE(WaitFor([&] { return ends.load() > 0; }));
    EXPECT_EQ(ended.load(), play);
    EXPECT_FALSE(player.MusicPlaying());
    // The loaded piece plays again without a new load, and ends again.
    ASSERT_TRUE(player.PlayMusic(path));
    EXPECT_NE(player.CurrentPlay(), play);
    ASSERT_TRUE(WaitFor([&] { return ends.load() > 1; }));
    EXPECT_EQ(ended.load(), player.CurrentPlay());
}

TEST_F(SoundPlayerTest, MissingOrDamagedMusicPlaysNothing) {
    ASSERT_TRUE(player.Open());
    EXPECT_FALSE(player.PlayMusic(folder + "/missing.mid"));
    media_test::WriteBytes(folder + "/damaged.mid", {'M', 'T', 'h', 'd', 0, 0});
    EXPECT_FALSE(player.PlayMusic(folder + "/damaged.mid"));
    // A header without any track, and a header that claims no track.
    std::vector<std::uint8_t> bytes = media_test::ShortMidi(96);
    bytes.resize(14);
    media_test::WriteBytes(folder + "/headonly.mid", bytes);
    EXPECT_FALSE(player.PlayMusic(folder + "/headonly.mid"));
    bytes = media_test::ShortMidi(96);
    bytes[11] = 0;
    media_test::WriteBytes(folder + "/notracks.mid", bytes);
    EXPECT_FALSE(player.PlayMusic(folder + "/notracks.mid"));
    media_test::WriteBytes(folder + "/fine.mid", media_test::ShortMidi(96));
    EXPECT_TRUE(player.PlayMusic(folder + "/fine.mid"));
    player.StopMusic();
    EXPECT_FALSE(player.MusicPlaying());
}

TEST_F(SoundPlayerTest, WithoutDeviceEverythingIsSilentForTheRun) {
    media_test::UseNoAudioDevice();
    EXPECT_FALSE(player.Open());
    media_test::UseDiskAudio(raw);
    EXPECT_FALSE(player.Open()) << "only the first attempt counts";
    EXPECT_FALSE(player.IsOpen());
    EXPECT_FALSE(player.PlayEffect(DataFile("SOUNDS/Select.wav")));
    EXPECT_FALSE(player.PlayMusic(DataFile("SOUNDS/Tune478.mid")));
    EXPECT_FALSE(player.MusicPlaying());
    EXPECT_EQ(player.EffectsStarted(), 0u);
}

TEST_F(SoundPlayerTest, OnePlayerHoldsTheDeviceAtATime) {
    ASSERT_TRUE(player.Open());
    SoundPlayer second;
    EXPECT_FALSE(second.Open());
    player.Close();
    SoundPlayer third;
    EXPECT_TRUE(third.Open());
    EXPECT_TRUE(third.PlayEffect(DataFile("SOUNDS/Beside.wav")));
}

}  // namespace
