// Listen-free checks of the shipped sound effects and music: the effects are clean 16-bit PCM at
// 44.1 kHz, short, normalised so that none is startling, never clipped and silent at both ends;
// the music pieces are well-formed standard MIDI files a few minutes long.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "settings/resource_folders.h"
#include "tests/shell/media_test_support.h"

namespace {

namespace fs = std::filesystem;

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8) |
           (std::uint32_t{b[at + 2]} << 16) | (std::uint32_t{b[at + 3]} << 24);
}
std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
           (std::uint32_t{b[at + 2]} << 8) | std::uint32_t{b[at + 3]};
}
std::uint16_t Be16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]);
}

struct Wave {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<std::int16_t> samples;  // interleaved
};

// Reads the format and data chunks of a RIFF wave file; every size is checked against the file.
bool ReadWave(const std::string& path, Wave& wave, std::string& problem) {
    wave = Wave{};
    const std::vector<std::uint8_t> b = media_test::ReadBytes(path);
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE") {
        problem = "not a RIFF wave file";
        return false;
    }
    bool haveFormat = false;
    bool haveData = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id(b.begin() + static_cast<std::ptrdiff_t>(at),
                             b.begin() + static_cast<std::ptrdiff_t>(at + 4));
        const std::uint32_t size = Le32(b, at + 4);
        if (size > b.size() - at - 8) {
            problem = "chunk " + id + " runs past the end";
            return false;
        }
        const std::size_t body = at + 8;
        if (id == "fmt " && size >= 16) {
            if (Le16(b, body) != 1) {
                problem = "not PCM";
                return false;
            }
            wave.channels = Le16(b, body + 2);
            wave.rate = static_cast<int>(Le32(b, body + 4));
            wave.bits = Le16(b, body + 14);
            haveFormat = true;
        } else if (id == "data") {
            for (std::size_t i = body; i + 1 < body + size; i += 2) {
                wave.samples.push_back(static_cast<std::int16_t>(Le16(b, i)));
            }
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (!haveFormat || !haveData) {
        problem = "no format or no data chunk";
        return false;
    }
    return true;
}

std::vector<std::string> ShippedFiles(std::string_view pattern) {
    return SearchFolder(media_test::DataFile("SOUNDS"), pattern);
}

TEST(SoundFiles, EffectsAreShortCleanAndNormalised) {
    const std::vector<std::string> effects = ShippedFiles("*.WAV");
    for (const char* needed : {"Select.wav", "Remove.wav", "Beside.wav"}) {
        EXPECT_NE(std::find(effects.begin(), effects.end(), needed), effects.end()) << needed;
    }
    EXPECT_GE(effects.size(), 6u) << "alternatives for the sound menus";
    for (const std::string& name : effects) {
        SCOPED_TRACE(name);
        Wave wave;
        std::string problem;
        ASSERT_TRUE(ReadWave(media_test::DataFile("SOUNDS/" + name), wave, problem)) << problem;
        EXPECT_EQ(wave.bits, 16);
        EXPECT_EQ(wave.rate, 44100);
        ASSERT_TRUE(wave.channels == 1 || wave.channels == 2);
        ASSERT_FALSE(wave.samples.empty());
        const double seconds = static_cast<double>(wave.samples.size()) / wave.channels / wave.rate;
        EXPECT_GE(seconds, 0.05);
        EXPECT_LE(seconds, 1.2);
        int peak = 0;
        for (std::int16_t s : wave.samples) {
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        }
        EXPECT_LT(peak, 32767) << "clips";
        const double peakDb = 20.0 * std::log10(std::max(peak, 1) / 32768.0);
        EXPECT_GE(peakDb, -7.0);
        EXPECT_LE(peakDb, -5.0);
        // No click at either end: the first and last samples are near silence.
        const int edge = static_cast<int>(0.002 * 32768);
        for (int c = 0; c < wave.channels; ++c) {
            EXPECT_LE(std::abs(static_cast<int>(wave.samples[static_cast<std::size_t>(c)])), edge);
            EXPECT_LE(std::abs(static_cast<int>(
                          wave.samples[wave.samples.size() - static_cast<std::size_t>(c) - 1])),
                      edge);
        }
    }
}

// A variable-length quantity of a MIDI file; false when it runs past `end` or past four bytes.
bool ReadQuantity(const std::vector<std::uint8_t>& b, std::size_t& at, std::size_t end,
                  std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (at >= end) {
            return false;
        }
        const std::uint8_t byte = b[at++];
        value = (value << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0) {
            return true;
        }
    }
    return false;
}

struct Piece {
    int format = 0;
    int division = 0;
    int tracks = 0;
    int notes = 0;
    double seconds = 0;
};

// Walks every event of every track: lengths, running status and meta events must fit their track,
// and each track must close with its end-of-track event exactly at its end.
bool ReadMidi(const std::string& path, Piece& piece, std::string& problem) {
    piece = Piece{};
    const std::vector<std::uint8_t> b = media_test::ReadBytes(path);
    if (b.size() < 14 || std::string(b.begin(), b.begin() + 4) != "MThd" || Be32(b, 4) != 6) {
        problem = "no MIDI header";
        return false;
    }
    piece.format = Be16(b, 8);
    const int declaredTracks = Be16(b, 10);
    piece.division = Be16(b, 12);
    if (piece.format > 1 || declaredTracks == 0 || piece.division == 0 ||
        (piece.division & 0x8000) != 0) {
        problem = "unexpected format, track count or time division";
        return false;
    }
    std::map<std::uint64_t, std::uint32_t> tempos{{0, 500000}};  // tick -> microseconds/beat
    std::uint64_t lastTick = 0;
    for (std::size_t at = 14; at < b.size();) {
        if (b.size() - at < 8 ||
            std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                        b.begin() + static_cast<std::ptrdiff_t>(at + 4)) != "MTrk") {
            problem = "bytes after the tracks";
            return false;
        }
        const std::uint32_t size = Be32(b, at + 4);
        if (size > b.size() - at - 8) {
            problem = "track runs past the end";
            return false;
        }
        std::size_t p = at + 8;
        const std::size_t end = p + size;
        std::uint64_t tick = 0;
        std::uint8_t status = 0;
        bool ended = false;
        while (p < end && !ended) {
            std::uint32_t delta = 0;
            if (!ReadQuantity(b, p, end, delta) || p >= end) {
                problem = "broken delta time";
                return false;
            }
            tick += delta;
            std::uint8_t byte = b[p];
            if (byte & 0x80) {
                status = byte;
                ++p;
            } else if (status == 0 || status >= 0xF0) {
                problem = "data byte without status";
                return false;
            }
            if (status == 0xFF) {
                if (p >= end) {
                    problem = "cut meta event";
                    return false;
                }
                const std::uint8_t type = b[p++];
                std::uint32_t length = 0;
                if (!ReadQuantity(b, p, end, length) || length > end - p) {
                    problem = "meta event runs past its track";
                    return false;
                }
                if (type == 0x51 && length == 3) {
                    tempos[tick] =
                        (std::uint32_t{b[p]} << 16) | (std::uint32_t{b[p + 1]} << 8) | b[p + 2];
                }
                ended = type == 0x2F;
                p += length;
                status = 0;
            } else if (status == 0xF0 || status == 0xF7) {
                std::uint32_t length = 0;
                if (!ReadQuantity(b, p, end, length) || length > end - p) {
                    problem = "system exclusive runs past its track";
                    return false;
                }
                p += length;
                status = 0;
            } else {
                const int kind = status & 0xF0;
                const std::size_t data = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                if (end - p < data) {
                    problem = "cut channel event";
                    return false;
                }
                if (kind == 0x90 && b[p + 1] != 0) {
                    ++piece.notes;
                }
                p += data;
            }
        }
        if (!ended || p != end) {
            problem = "track does not close with its end exactly at its end";
            return false;
        }
        lastTick = std::max(lastTick, tick);
        ++piece.tracks;
        at = end;
    }
    if (piece.tracks != declaredTracks) {
        problem = "track count differs from the header";
        return false;
    }
    // Seconds up to the last event, through the tempo changes.
    double seconds = 0;
    std::uint64_t tick = 0;
    std::uint32_t tempo = 500000;
    for (auto [changeTick, changeTempo] : tempos) {
        const std::uint64_t until = std::min(changeTick, lastTick);
        if (until > tick) {
            seconds += static_cast<double>(until - tick) * tempo / 1e6 / piece.division;
            tick = until;
        }
        tempo = changeTempo;
    }
    seconds += static_cast<double>(lastTick - tick) * tempo / 1e6 / piece.division;
    piece.seconds = seconds;
    return true;
}

TEST(SoundFiles, MusicIsWellFormedMidiOfAFewMinutes) {
    const std::vector<std::string> pieces = ShippedFiles("*.MID");
    EXPECT_NE(std::find(pieces.begin(), pieces.end(), "Tune478.mid"), pieces.end());
    EXPECT_GE(pieces.size(), 3u);
    for (const std::string& name : pieces) {
        SCOPED_TRACE(name);
        Piece piece;
        std::string problem;
        ASSERT_TRUE(ReadMidi(media_test::DataFile("SOUNDS/" + name), piece, problem)) << problem;
        EXPECT_GT(piece.notes, 100);
        EXPECT_GE(piece.seconds, 120.0);
        EXPECT_LE(piece.seconds, 300.0);
    }
}

TEST(SoundFiles, MidiCheckRejectsDamagedFiles) {
    // The checker itself: a file cut short or with a wrong track count must not pass.
    char pattern[] = "/tmp/varnel-midi-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    Piece piece;
    std::string problem;
    std::vector<std::uint8_t> bytes = media_test::ShortMidi(480);
    media_test::WriteBytes(folder + "/fine.mid", bytes);
    EXPECT_TRUE(ReadMidi(folder + "/fine.mid", piece, problem)) << problem;
    EXPECT_NEAR(piece.seconds, 0.5, 1e-9);
    EXPECT_EQ(piece.notes, 1);
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.end() - 3);
    media_test::WriteBytes(folder + "/cut.mid", cut);
    EXPECT_FALSE(ReadMidi(folder + "/cut.mid", piece, problem));
    bytes[11] = 2;
    media_test::WriteBytes(folder + "/tracks.mid", bytes);
    EXPECT_FALSE(ReadMidi(folder + "/tracks.mid", piece, problem));
    std::error_code error;
    fs::remove_all(folder, error);
}

}  // namespace
