// The picture readers against files written by Pillow, ImageMagick and our fixture script, and
// against damaged files: those must fail quietly, never crash or read out of bounds.

#include "images/readers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

#include "images/image.h"
#include "tests/images/test_pictures.h"

namespace {

const char* const kFixtures[] = {
    "pil_1bit.bmp",      "im_4bit.bmp",      "pil_8bit.bmp",         "im_rle8.bmp",
    "rle4.bmp",          "pil_24bit.bmp",    "im_24bit.bmp",         "pil_32bit.bmp",
    "topdown_24bit.bmp", "pil_type2_24.tga", "pil_type2_24_top.tga", "pil_type2_32.tga",
    "pil_type1.tga",     "pil_type3.tga",    "pil_type9.tga",        "pil_type10_24.tga",
    "pil_type10_32.tga", "pil_type11.tga",   "im_type2_top.tga",     "im_type10_top.tga",
    "type2_16.tga",      "type10_16.tga",    "type1_map32.tga",      "type1_map16.tga",
    "baseline.jpg",      "baseline_444.jpg", "progressive.jpg",      "im_baseline.jpg",
};

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void PutU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

bool LoadsBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    Image image;
    const bool loaded = image.Load(WriteScratch(name, bytes));
    EXPECT_EQ(loaded, image.HasPixels());
    return loaded;
}

// An 8-bit run-length bitmap of the given size with a 2-entry table and the given records.
std::vector<std::uint8_t> Rle8Bitmap(std::int32_t width, std::int32_t height,
                                     const std::vector<std::uint8_t>& records) {
    std::vector<std::uint8_t> bytes(54 + 8 + records.size(), 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutU32(bytes, 10, 62);
    PutU32(bytes, 14, 40);
    PutU32(bytes, 18, static_cast<std::uint32_t>(width));
    PutU32(bytes, 22, static_cast<std::uint32_t>(height));
    PutU16(bytes, 26, 1);
    PutU16(bytes, 28, 8);
    PutU32(bytes, 30, 1);
    PutU32(bytes, 46, 2);
    bytes[54 + 4] = 0xFF;  // entry 1 blue
    std::copy(records.begin(), records.end(), bytes.begin() + 62);
    return bytes;
}

}  // namespace

class ReaderFixture : public testing::TestWithParam<const char*> {};

TEST_P(ReaderFixture, LoadsExactlyThePixelsTheWriterStored) {
    const std::string name = GetParam();
    ExpectedPicture expected;
    ASSERT_TRUE(ReadExpected(FixturePath(name) + ".expect", expected));
    Image image;
    ASSERT_TRUE(image.Load(FixturePath(name)));
    EXPECT_EQ(image.Width(), expected.width);
    EXPECT_EQ(image.Height(), expected.height);
    ASSERT_EQ(image.BytesPerPixel(), expected.bytesPerPixel);
    EXPECT_EQ(image.Stride(), ImageStride(expected.width, expected.bytesPerPixel));
    EXPECT_EQ(RowsOf(image), expected.rows);
}

// A file cut anywhere short either fails or, when only trailing bytes the picture does not need
// were lost (a TGA footer, a run-length end mark after the last row), still gives every pixel.
TEST_P(ReaderFixture, TruncatedFileFailsOrLoadsWholePicture) {
    const std::string name = GetParam();
    const std::vector<std::uint8_t> bytes = ReadBytes(FixturePath(name));
    Image whole;
    ASSERT_TRUE(whole.Load(FixturePath(name)));
    const auto wholeRows = RowsOf(whole);
    const bool jpeg = name.ends_with(".jpg");
    testing::internal::CaptureStderr();  // libjpeg reports each damaged file
    for (std::size_t length = 0; length < bytes.size(); length += jpeg ? 7 : 1) {
        const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + length);
        Image image;
        if (image.Load(WriteScratch("cut_" + name, cut))) {
            EXPECT_EQ(RowsOf(image), wholeRows) << name << " cut to " << length;
        }
    }
    testing::internal::GetCapturedStderr();
}

INSTANTIATE_TEST_SUITE_P(Files, ReaderFixture, testing::ValuesIn(kFixtures),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string n = info.param;
                             for (char& c : n) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return n;
                         });

TEST(ImageLoad, ReaderChosenByLastThreeCharactersInAnyCase) {
    const std::vector<std::uint8_t> jpeg = ReadBytes(FixturePath("baseline.jpg"));
    Image image;
    EXPECT_TRUE(image.Load(WriteScratch("mixed.JpG", jpeg)));
    EXPECT_FALSE(image.Load(WriteScratch("long.jpeg", jpeg)));
    EXPECT_FALSE(image.HasPixels());
    EXPECT_FALSE(image.Load(WriteScratch("other.png", jpeg)));
    // A JPEG named .bmp goes to the bitmap reader, which refuses it.
    EXPECT_FALSE(image.Load(WriteScratch("wrong.bmp", jpeg)));
    EXPECT_TRUE(image.Load(WriteScratch("upper.TGA", ReadBytes(FixturePath("pil_type3.tga")))));
}

TEST(ImageLoad, ShortPathsAreRefusedBeforeOpening) {
    Image image;
    EXPECT_FALSE(image.Load(""));
    EXPECT_FALSE(image.Load(".bmp"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(image.Load(".jpg"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // not even tried
}

TEST(ImageLoad, ConstructingFromPathLoads) {
    const Image image(FixturePath("pil_24bit.bmp"));
    EXPECT_TRUE(image.HasPixels());
    EXPECT_EQ(image.Width(), 11);
}

TEST(ImageLoad, FoldersAndMissingFilesFailAndJpegSaysSo) {
    const std::string folder = testing::TempDir() + "varnel_images_folder.jpg";
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(testing::TempDir() + "varnel_images_folder.bmp");
    std::filesystem::create_directories(testing::TempDir() + "varnel_images_folder.tga");
    Image image;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(image.Load(folder));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "can't open " + folder + "\n");
    EXPECT_FALSE(image.Load(testing::TempDir() + "varnel_images_folder.bmp"));
    EXPECT_FALSE(image.Load(testing::TempDir() + "varnel_images_folder.tga"));
    EXPECT_FALSE(image.Load(testing::TempDir() + "varnel_images_missing.bmp"));
    const std::string missing = testing::TempDir() + "varnel_images_missing.jpg";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(image.Load(missing));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "can't open " + missing + "\n");
}

TEST(JpegReader, GreyAndCmykPicturesAreRefused) {
    Image image;
    EXPECT_FALSE(image.Load(FixturePath("grey.jpg")));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(image.Load(FixturePath("cmyk.jpg")));
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(image.HasPixels());
}

TEST(BmpReader, HeightSignDecidesTheFlip) {
    // The same stored rows read once as bottom-up and once as top-down are mirror images.
    std::vector<std::uint8_t> bytes = ReadBytes(FixturePath("pil_24bit.bmp"));
    Image bottomUp;
    ASSERT_TRUE(bottomUp.Load(WriteScratch("up.bmp", bytes)));
    PutU32(bytes, 22, static_cast<std::uint32_t>(-6));
    Image topDown;
    ASSERT_TRUE(topDown.Load(WriteScratch("down.bmp", bytes)));
    auto rows = RowsOf(bottomUp);
    std::reverse(rows.begin(), rows.end());
    EXPECT_EQ(RowsOf(topDown), rows);
}

TEST(TgaReader, DescriptorBitFiveDecidesTheFlip) {
    std::vector<std::uint8_t> bytes = ReadBytes(FixturePath("pil_type2_24.tga"));
    Image bottomUp;
    ASSERT_TRUE(bottomUp.Load(WriteScratch("up.tga", bytes)));
    bytes[17] ^= 0x20;
    Image topDown;
    ASSERT_TRUE(topDown.Load(WriteScratch("down.tga", bytes)));
    auto rows = RowsOf(bottomUp);
    std::reverse(rows.begin(), rows.end());
    EXPECT_EQ(RowsOf(topDown), rows);
}

TEST(BmpReader, RefusesOtherHeadersDepthsAndImpossibleSizes) {
    const std::vector<std::uint8_t> good = ReadBytes(FixturePath("pil_24bit.bmp"));
    ASSERT_TRUE(LoadsBytes("good.bmp", good));
    auto patched = [&](std::size_t at, std::uint32_t value, bool sixteen = false) {
        std::vector<std::uint8_t> bytes = good;
        if (sixteen) {
            PutU16(bytes, at, static_cast<std::uint16_t>(value));
        } else {
            PutU32(bytes, at, value);
        }
        return bytes;
    };
    EXPECT_FALSE(LoadsBytes("v4.bmp", patched(14, 108)));
    EXPECT_FALSE(LoadsBytes("v5.bmp", patched(14, 124)));
    EXPECT_FALSE(LoadsBytes("16bit.bmp", patched(28, 16, true)));
    EXPECT_FALSE(LoadsBytes("bitfields.bmp", patched(30, 3)));
    EXPECT_FALSE(LoadsBytes("rle24.bmp", patched(30, 1)));
    EXPECT_FALSE(LoadsBytes("zero_width.bmp", patched(18, 0)));
    EXPECT_FALSE(LoadsBytes("negative_width.bmp", patched(18, 0xFFFFFFF5u)));
    EXPECT_FALSE(LoadsBytes("zero_height.bmp", patched(22, 0)));
    EXPECT_FALSE(LoadsBytes("min_height.bmp", patched(22, 0x80000000u)));
    EXPECT_FALSE(LoadsBytes("huge.bmp", patched(18, 40000)));
    EXPECT_FALSE(LoadsBytes("tall.bmp", patched(22, 0x7FFFFFFF)));
    std::vector<std::uint8_t> notBm = good;
    notBm[1] = 'A';
    EXPECT_FALSE(LoadsBytes("not_bm.bmp", notBm));
}

TEST(BmpReader, RefusesColourTablesPastTheirLimit) {
    std::vector<std::uint8_t> eight = ReadBytes(FixturePath("pil_8bit.bmp"));
    PutU32(eight, 46, 257);
    EXPECT_FALSE(LoadsBytes("table257.bmp", eight));
    std::vector<std::uint8_t> one = ReadBytes(FixturePath("pil_1bit.bmp"));
    PutU32(one, 46, 3);
    EXPECT_FALSE(LoadsBytes("table3.bmp", one));
    std::vector<std::uint8_t> rle4 = ReadBytes(FixturePath("rle4.bmp"));
    PutU32(rle4, 46, 17);
    EXPECT_FALSE(LoadsBytes("table17.bmp", rle4));
}

TEST(BmpReader, RunLengthStreamsNeverWritePastRowsOrPicture) {
    // A run of 200 in a 3-pixel row, then an absolute run past the row end: only the row is
    // written; a delta far beyond the picture ends it.
    const std::vector<std::uint8_t> runs =
        Rle8Bitmap(3, 2, {200, 1, 0, 0, 0, 5, 1, 0, 1, 0, 1, 0, 0, 2, 250, 250, 0, 1});
    Image image;
    ASSERT_TRUE(image.Load(WriteScratch("runs.bmp", runs)));
    for (std::int32_t x = 0; x < 3; ++x) {
        EXPECT_EQ(PixelAt(image, x, 1)[0], 0xFF) << "bottom row, run of entry 1";
        EXPECT_EQ(PixelAt(image, x, 0)[0], x % 2 == 0 ? 0xFF : 0) << "top row, absolute run";
    }
    // A stream that ends in the middle of a record, or before the picture is complete, fails.
    EXPECT_FALSE(LoadsBytes("cut_record.bmp", Rle8Bitmap(3, 2, {3, 1, 0, 0, 0, 3, 1})));
    EXPECT_FALSE(LoadsBytes("cut_delta.bmp", Rle8Bitmap(3, 2, {0, 2, 1})));
    EXPECT_FALSE(LoadsBytes("unfinished.bmp", Rle8Bitmap(3, 2, {3, 1})));
    // Indices past the table show as black rather than reading past it.
    Image beyond;
    ASSERT_TRUE(beyond.Load(WriteScratch("beyond.bmp", Rle8Bitmap(3, 1, {3, 200, 0, 1}))));
    EXPECT_EQ(PixelAt(beyond, 2, 0)[0], 0);
}

// A few hundred bytes can claim a picture as large as the side limit allows: a run-length stream
// that ends at once, or a JPEG cut short before its end marker. Such a picture would cost a
// gigabyte and seconds of work before anything is shown, so the pixel count is limited too.
TEST(Readers, TinyFilesCannotAskForHugePictures) {
    EXPECT_FALSE(LoadsBytes("huge_rle.bmp", Rle8Bitmap(16384, 16384, {0, 1})));
    EXPECT_FALSE(LoadsBytes("over_rle.bmp", Rle8Bitmap(8192, 8193, {0, 1})));
    // Long thin pictures keep the whole side limit.
    EXPECT_TRUE(LoadsBytes("thin_rle.bmp", Rle8Bitmap(16384, 4, {0, 1})));

    std::vector<std::uint8_t> jpeg = ReadBytes(FixturePath("progressive.jpg"));
    const std::uint8_t frameMarker[] = {0xFF, 0xC2};
    const auto frame =
        std::search(jpeg.begin(), jpeg.end(), std::begin(frameMarker), std::end(frameMarker));
    ASSERT_NE(frame, jpeg.end());
    const std::size_t at = static_cast<std::size_t>(frame - jpeg.begin());
    for (std::size_t k : {at + 5, at + 7}) {  // height, then width, big-endian
        jpeg[k] = 0x40;
        jpeg[k + 1] = 0x00;
    }
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadsBytes("huge.jpg", jpeg));
    testing::internal::GetCapturedStderr();
}

TEST(TgaReader, RefusesUnknownTypesDepthsAndSizes) {
    const std::vector<std::uint8_t> good = ReadBytes(FixturePath("pil_type1.tga"));
    ASSERT_TRUE(LoadsBytes("good.tga", good));
    auto patched = [&](std::size_t at, std::uint8_t value) {
        std::vector<std::uint8_t> bytes = good;
        bytes[at] = value;
        return bytes;
    };
    EXPECT_FALSE(LoadsBytes("type4.tga", patched(2, 4)));
    EXPECT_FALSE(LoadsBytes("type32.tga", patched(2, 32)));
    EXPECT_FALSE(LoadsBytes("map15.tga", patched(7, 15)));
    EXPECT_FALSE(LoadsBytes("index16.tga", patched(16, 16)));
    EXPECT_FALSE(LoadsBytes("width0.tga", patched(12, 0)));
    std::vector<std::uint8_t> huge = good;
    PutU16(huge, 12, 40000);
    EXPECT_FALSE(LoadsBytes("huge.tga", huge));
    std::vector<std::uint8_t> idPastEnd = ReadBytes(FixturePath("pil_type3.tga"));
    idPastEnd.resize(40);
    idPastEnd[0] = 255;
    EXPECT_FALSE(LoadsBytes("id.tga", idPastEnd));
}

TEST(TgaReader, ColourMapPastTheTableIsClippedNotWritten) {
    // 16 entries starting at index 250: entries 250..255 land, the rest are skipped.
    std::vector<std::uint8_t> bytes(18, 0);
    bytes[1] = 1;
    bytes[2] = 1;
    PutU16(bytes, 3, 250);
    PutU16(bytes, 5, 16);
    bytes[7] = 24;
    PutU16(bytes, 12, 2);
    PutU16(bytes, 14, 1);
    bytes[16] = 8;
    bytes[17] = 0x20;
    for (int k = 0; k < 16; ++k) {
        bytes.insert(bytes.end(), {static_cast<std::uint8_t>(k), 7, 9});
    }
    bytes.insert(bytes.end(), {255, 251});
    Image image;
    ASSERT_TRUE(image.Load(WriteScratch("map_clip.tga", bytes)));
    EXPECT_EQ(PixelAt(image, 0, 0)[0], 5);
    EXPECT_EQ(PixelAt(image, 1, 0)[0], 1);
}

TEST(TgaReader, RunPacketsPastThePictureAreDroppedAndShortStreamsFail) {
    std::vector<std::uint8_t> bytes(18, 0);
    bytes[2] = 11;
    PutU16(bytes, 12, 2);
    PutU16(bytes, 14, 2);
    bytes[16] = 8;
    bytes[17] = 0x20;
    std::vector<std::uint8_t> overlong = bytes;
    overlong.insert(overlong.end(), {0x80 + 2, 40, 0x80 + 127, 90});  // 3 + 128 pixels for 4
    Image image;
    ASSERT_TRUE(image.Load(WriteScratch("overlong.tga", overlong)));
    EXPECT_EQ(PixelAt(image, 0, 1)[0], 40);
    EXPECT_EQ(PixelAt(image, 1, 1)[2], 90);
    std::vector<std::uint8_t> shortRaw = bytes;
    shortRaw.insert(shortRaw.end(), {3, 1, 2});  // a raw packet of 4 with 2 pixels
    EXPECT_FALSE(LoadsBytes("short.tga", shortRaw));
    // A header promising a large picture from a few bytes is refused before allocating.
    PutU16(bytes, 12, 16000);
    PutU16(bytes, 14, 16000);
    bytes.insert(bytes.end(), {0xFF, 1, 0xFF, 1});
    EXPECT_FALSE(LoadsBytes("bomb.tga", bytes));
}

// Random damage to real files: whatever the bytes say, loading returns and stays in bounds (the
// address-sanitizer build checks the "in bounds" part).
TEST(Readers, RandomlyDamagedFilesNeverCrash) {
    std::mt19937 random(20240607);
    testing::internal::CaptureStderr();
    for (const char* name : kFixtures) {
        const std::vector<std::uint8_t> good = ReadBytes(FixturePath(name));
        for (int attempt = 0; attempt < 60; ++attempt) {
            std::vector<std::uint8_t> bytes = good;
            const int damage = 1 + attempt % 4;
            for (int d = 0; d < damage; ++d) {
                // Mostly in the headers, where the sizes and counts are.
                const std::size_t limit =
                    attempt % 2 == 0 ? std::min<std::size_t>(60, bytes.size()) : bytes.size();
                bytes[random() % limit] = static_cast<std::uint8_t>(random());
            }
            Image image;
            if (image.Load(WriteScratch(std::string("damaged_") + name, bytes))) {
                EXPECT_GT(image.Width(), 0);
                EXPECT_LE(image.Width(), kMaxImageSide);
            }
        }
    }
    testing::internal::GetCapturedStderr();
}

// Every fixture read from its bytes in memory gives the same picture as read from its file, with
// the reader chosen by the name's ending; a cut-short copy fails without pixels.
TEST(ReaderMemory, BytesInMemoryReadLikeTheFile) {
    for (const char* name : kFixtures) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> bytes = ReadBytes(FixturePath(name));
        ASSERT_FALSE(bytes.empty());
        Image fromFile;
        ASSERT_TRUE(fromFile.Load(FixturePath(name)));
        Image fromBytes;
        ASSERT_TRUE(fromBytes.LoadMemory(name, bytes.data(), bytes.size()));
        EXPECT_EQ(fromBytes.Width(), fromFile.Width());
        EXPECT_EQ(fromBytes.Height(), fromFile.Height());
        EXPECT_EQ(RowsOf(fromBytes), RowsOf(fromFile));
        EXPECT_FALSE(fromBytes.LoadMemory(name, bytes.data(), bytes.size() / 3));
        EXPECT_FALSE(fromBytes.HasPixels());
        EXPECT_FALSE(fromBytes.LoadMemory(name, bytes.data(), 0));
        EXPECT_FALSE(fromBytes.LoadMemory(std::string(name) + ".png", bytes.data(), bytes.size()));
    }
}
