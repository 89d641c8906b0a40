// Helpers of the sound, help, splash and cursor tests: the Qt application they need, the
// disk audio driver that writes what the mixer plays into a file, and the shipped files.
#pragma once

#include "tests/shell/qt_test_app.h"

#include <QApplication>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace media_test {

// The one QApplication of the test process, made on first use (offscreen unless the caller's
// environment chose a platform). Kept to the end of the process.
inline QApplication& Qt() {
    return TestQtApp();
}

inline std::string DataFile(const std::string& relative) {
    return std::string(GAME_DATA_DIR) + "/" + relative;
}

// Every following open of the audio device writes its output, 16-bit samples as the mixer
// produced them, into `rawFile` in real time.
inline void UseDiskAudio(const std::string& rawFile) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", rawFile.c_str(), 1);
}

// Every following open of the audio device fails, as on a machine without one.
inline void UseNoAudioDevice() {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
}

// A standard MIDI file of one track: a program change, one note of `ticks` at 480 ticks per
// quarter note and 120 beats per minute (480 ticks = 0.5 s), and the end of the track.
inline std::vector<std::uint8_t> ShortMidi(std::uint32_t ticks) {
    std::vector<std::uint8_t> track = {0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x64};
    // The note's length as a variable-length quantity.
    std::vector<std::uint8_t> delta;
    delta.push_back(static_cast<std::uint8_t>(ticks & 0x7F));
    for (ticks >>= 7; ticks != 0; ticks >>= 7) {
        delta.insert(delta.begin(), static_cast<std::uint8_t>(0x80 | (ticks & 0x7F)));
    }
    track.insert(track.end(), delta.begin(), delta.end());
    for (std::uint8_t b : {0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}) {
        track.push_back(b);
    }
    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd',  0,    0,   0,   6,   0,
                                      0,   0,   1,   0x01, 0xE0, 'M', 'T', 'r', 'k'};
    const auto size = static_cast<std::uint32_t>(track.size());
    for (int shift = 24; shift >= 0; shift -= 8) {
        file.push_back(static_cast<std::uint8_t>(size >> shift));
    }
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace media_test
