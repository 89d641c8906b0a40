// The check a music file passes before the MIDI player gets it.
#include "files/midi_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string Head(unsigned headerSize, unsigned format, unsigned tracks) {
    std::string bytes = "MThd";
    for (int shift : {24, 16, 8, 0}) {
        bytes += static_cast<char>(headerSize >> shift & 0xFF);
    }
    bytes += {static_cast<char>(format >> 8),
              static_cast<char>(format & 0xFF),
              static_cast<char>(tracks >> 8),
              static_cast<char>(tracks & 0xFF),
              0,
              96};
    bytes += std::string(headerSize > 6 ? headerSize - 6 : 0, '\0');
    return bytes;
}

bool Check(const std::string& bytes) {
    return files::LooksLikeMidi(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(MidiCheck, HeaderThenTrackChunk) {
    const struct {
        const char* name;
        std::string bytes;
        bool accepted;
    } cases[] = {
        {"format 0", Head(6, 0, 1) + "MTrk", true},
        {"format 2, many tracks", Head(6, 2, 300) + "MTrk\0\0\0\0", true},
        {"longest header", Head(256, 1, 1) + "MTrk", true},
        {"header too long", Head(257, 1, 1) + "MTrk", false},
        {"header too short", Head(5, 1, 1) + "MTrk", false},
        {"format 3", Head(6, 3, 1) + "MTrk", false},
        {"no track", Head(6, 1, 0) + "MTrk", false},
        {"no track chunk", Head(6, 1, 1) + "RIFF", false},
        {"track chunk cut short", Head(6, 1, 1) + "MTr", false},
        {"file ends after the header", Head(6, 1, 1), false},
        {"wave file", "RIFF\x24\x08\0\0WAVEfmt ", false},
        {"empty", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Check(c.bytes), c.accepted) << c.name;
    }
    EXPECT_FALSE(files::LooksLikeMidi(nullptr, 20));
}

// The file version reads the start of the file only, and refuses what is not a regular file.
TEST(MidiCheck, FilesAreCheckedByTheirStart) {
    const auto folder = std::filesystem::temp_directory_path() / "varnel_midi_check";
    std::filesystem::create_directories(folder);
    const auto good = folder / "good.mid";
    std::ofstream(good, std::ios::binary) << Head(6, 1, 1) << "MTrk" << std::string(100000, 'x');
    const auto bad = folder / "bad.mid";
    std::ofstream(bad, std::ios::binary) << Head(6, 1, 1) << "MTrx";
    EXPECT_TRUE(files::LooksLikeMidiFile(good.string()));
    EXPECT_FALSE(files::LooksLikeMidiFile(bad.string()));
    EXPECT_FALSE(files::LooksLikeMidiFile((folder / "missing.mid").string()));
    EXPECT_FALSE(files::LooksLikeMidiFile(folder.string()));
    std::filesystem::remove_all(folder);
}
