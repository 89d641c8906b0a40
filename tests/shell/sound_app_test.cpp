// The game's sound through the application object on SDL's disk driver: which effects the game
// plays for which click, the USE_SOUNDS and NONE choices, the music's restart at the end of a
// piece, and a machine without an audio device.
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <set>
#include <thread>

#include "tests/shell/media_test_support.h"
#include "tests/shell/shell_test_support.h"

namespace {

using namespace std::chrono_literals;
using media_test::DataFile;

// The test application with the real sound hooks instead of the counting ones.
class SoundApp : public TestApp {
public:
    using TestApp::TestApp;
    bool HasWaveDevice() override { return GameApp::HasWaveDevice(); }
    void PlayMusic() override {
        ++musicPlays;
        GameApp::PlayMusic();
    }
};

class SoundAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        media_test::Qt();
        media_test::UseDiskAudio(folder.File("output.raw"));
        for (const char* file :
             {"Select.wav", "Remove.wav", "Beside.wav", "Bell.wav", "Tune478.mid", "Bamboo.mid"}) {
            fs::copy_file(DataFile(std::string("SOUNDS/") + file),
                          folder.File(std::string("SOUNDS/") + file),
                          fs::copy_options::overwrite_existing);
        }
    }
    void Start() {
        app = std::make_unique<SoundApp>(desktop);
        ASSERT_NO_FATAL_FAILURE(StartIn(*app, folder, window));
    }
    // Starts the game with a piece of 0.1 s as its music, playing.
    void StartWithAShortPiece() {
        media_test::WriteBytes(folder.File("SOUNDS/Short.mid"), media_test::ShortMidi(96));
        Start();
        app->settings.music = "Short.mid";
        app->PlayMusic();
    }
    // Runs the window thread's queue until `done` holds; the limit only guards against a hang.
    template <typename Done>
    bool ProcessUntil(Done done) {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }
    // A free tile and a free tile of the same face, or false.
    bool FreePair(int& a, int& b) const {
        for (a = 0; a < kTiles; ++a) {
            for (b = a + 1; b < kTiles; ++b) {
                if (app->board.IsTile(a) && app->board.IsTile(b) && app->board.CanMatch(a, b)) {
                    return true;
                }
            }
        }
        return false;
    }
    unsigned Effects() const { return app->sound.EffectsStarted(); }
    // Clicks a free pair and then beside the tiles: the effects started by then after each of the
    // three clicks (select, remove, miss).
    std::vector<unsigned> EffectsOfAPairAndAMiss() {
        int a = 0;
        int b = 0;
        if (!FreePair(a, b)) {
            ADD_FAILURE() << "no free pair";
            return {};
        }
        std::vector<unsigned> started;
        for (int t : {a, b, int{NoTile}}) {
            app->OnLeftButtonDown(t, 0);
            started.push_back(Effects());
        }
        return started;
    }

    GameFolder folder;
    ScriptedDesktop desktop;
    RecordingWindow window;
    std::unique_ptr<SoundApp> app;
};

bool HasPopup(const MenuBar& bar, const std::string& text) {
    for (const MenuItem& popup : bar.popups) {
        if (popup.text == text) {
            return true;
        }
    }
    return false;
}

TEST_F(SoundAppTest, StartUpOpensTheDeviceAndStartsTheMusic) {
    Start();
    EXPECT_TRUE(app->sound.IsOpen());
    EXPECT_TRUE(HasPopup(app->MainMenu(), app->Text(TextId::SOUNDS)));
    EXPECT_TRUE(app->sound.MusicPlaying());
}

TEST_F(SoundAppTest, ClicksPlayTheSelectRemoveAndMissEffects) {
    Start();
    EXPECT_EQ(EffectsOfAPairAndAMiss(), (std::vector<unsigned>{1, 2, 3})) << "select, remove, miss";
}

TEST_F(SoundAppTest, UseSoundsOffSilencesEffectsButNotTheMusic) {
    Start();
    app->ExecuteCommand(command::USE_SOUNDS);
    EXPECT_FALSE(app->settings.soundEffects);
    EXPECT_EQ(EffectsOfAPairAndAMiss(), (std::vector<unsigned>{0, 0, 0}));
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_TRUE(app->sound.MusicPlaying());
    app->ExecuteCommand(command::USE_SOUNDS);
    app->OnLeftButtonDown(NoTile, 0);
    EXPECT_EQ(Effects(), 1u);
}

TEST_F(SoundAppTest, EmptyRemoveSoundKeepsRemovalsSilentOnly) {
    Start();
    app->ExecuteCommand(command::Sound2Base + command::NoneOffset);
    EXPECT_TRUE(app->settings.sound2.empty());
    EXPECT_EQ(EffectsOfAPairAndAMiss(), (std::vector<unsigned>{1, 1, 2}))
        << "the select and miss sounds still play, the removal is silent";
    EXPECT_EQ(app->board.tilesLeft, kTiles - 2);
}

TEST_F(SoundAppTest, MissingEffectFileIsSilentWithoutMessage) {
    Start();
    fs::remove(folder.File("SOUNDS/Beside.wav"));
    app->OnLeftButtonDown(NoTile, 0);
    EXPECT_EQ(Effects(), 0u);
    EXPECT_EQ(desktop.Count(ScriptedDesktop::Call::Message), 0);
}

TEST_F(SoundAppTest, MusicNoneStopsAtOnceAndAChoiceRestartsIt) {
    Start();
    ASSERT_TRUE(app->sound.MusicPlaying());
    app->ExecuteCommand(command::MusicBase + command::NoneOffset);
    EXPECT_TRUE(app->settings.music.empty());
    EXPECT_FALSE(app->sound.MusicPlaying());
    // The first file of the music menu, whichever it is, plays from its beginning.
    app->ExecuteCommand(command::MusicBase + command::FilesOffset);
    ASSERT_FALSE(app->settings.music.empty());
    EXPECT_TRUE(app->sound.MusicPlaying());
    const std::uint64_t play = app->sound.CurrentPlay();
    app->ExecuteCommand(command::MusicBase + command::FilesOffset);
    EXPECT_NE(app->sound.CurrentPlay(), play) << "the same piece again starts anew";
    EXPECT_TRUE(app->sound.MusicPlaying());
}

// The music loops inside the mixer: a piece far shorter than the synthesizer's ring-out is still
// the same play, playing, long after a single play would have reported its end.
TEST_F(SoundAppTest, MusicLoopsWithoutAGap) {
    StartWithAShortPiece();
    const int plays = app->musicPlays;
    const std::uint64_t first = app->sound.CurrentPlay();
    // A single play of it reports its end about 3 s after it started (the notes ring out first).
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < until) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(app->musicPlays, plays) << "no restart was needed";
    EXPECT_EQ(app->sound.CurrentPlay(), first);
    EXPECT_TRUE(app->sound.MusicPlaying());
}

// Should the music stop by itself all the same, its end reaches the window thread and starts the
// piece again.
TEST_F(SoundAppTest, MusicThatStopsByItselfRestartsOnTheWindowThread) {
    StartWithAShortPiece();
    const int plays = app->musicPlays;
    const std::uint64_t first = app->sound.CurrentPlay();
    Mix_HaltMusic();  // not the player's own stop: the mixer reports it as the end of the piece
    ASSERT_TRUE(ProcessUntil([&] { return app->musicPlays > plays; }));
    EXPECT_NE(app->sound.CurrentPlay(), first);
    EXPECT_TRUE(app->sound.MusicPlaying());
}

TEST_F(SoundAppTest, EndOfAStoppedPieceDoesNotBringItBack) {
    StartWithAShortPiece();
    const std::uint64_t play = app->sound.CurrentPlay();
    app->ExecuteCommand(command::MusicBase + command::NoneOffset);
    // An end posted for the earlier play arrives after NONE: it is ignored.
    app->OnMusicFinished(play);
    const int plays = app->musicPlays;
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(app->musicPlays, plays);
    EXPECT_FALSE(app->sound.MusicPlaying());
}

// A run without a device is silent, but the player's choices of effects and music survive it:
// the settings file is written back with them, and the speaker button is greyed.
TEST_F(SoundAppTest, NoDeviceIsSilentAndKeepsTheSoundChoices) {
    media_test::UseNoAudioDevice();
    // The player's choices, as a run with a device left them.
    std::ofstream(folder.File("TAVX2D.INI")) << "Language = \"English.txt\"\nSoundEffects = 1\n"
                                                "Music = \"Bamboo.mid\"\nSound1 = \"Bell.wav\"\n";
    Start();
    EXPECT_FALSE(app->sound.IsOpen());
    EXPECT_FALSE(HasPopup(app->MainMenu(), app->Text(TextId::SOUNDS)));
    EXPECT_FALSE(HasPopup(window.shownBar, app->Text(TextId::SOUNDS)));
    EXPECT_EQ(window.greyedButtons, std::set<int>{command::USE_SOUNDS});
    EXPECT_TRUE(app->settings.soundEffects);
    EXPECT_EQ(app->settings.music, "Bamboo.mid");
    EXPECT_FALSE(app->sound.MusicPlaying());
    // The speaker button, were it pressed all the same, changes nothing.
    app->ExecuteCommand(command::USE_SOUNDS);
    EXPECT_TRUE(app->settings.soundEffects);
    app->OnLeftButtonDown(NoTile, 0);
    EXPECT_EQ(Effects(), 0u);
    app->SaveSettings();
    const std::string text = ReadAll(folder.File("TAVX2D.INI"));
    EXPECT_TRUE(std::regex_search(text, std::regex("\\nSoundEffects *= 1\\r?\\n"))) << text;
    EXPECT_TRUE(std::regex_search(text, std::regex("\\nMusic *= \"Bamboo.mid\"\\r?\\n"))) << text;
    EXPECT_TRUE(std::regex_search(text, std::regex("\\nSound1 *= \"Bell.wav\"\\r?\\n"))) << text;
}

}  // namespace
