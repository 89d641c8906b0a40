// Cutting a tile-set picture into faces: cell positions, the bordered faces with their cut
// corners, shadow pieces, the 2D and background sizing, and the bump-map images.

#include "images/tile_set.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "tests/images/test_pictures.h"

namespace {

ImageColour CellColour(std::int32_t row, std::int32_t column) {
    if (row >= 3 && column == 8) {
        return {255, 0, 255, 255};  // the unused ninth cells
    }
    return {static_cast<std::uint8_t>(20 + row * 50), static_cast<std::uint8_t>(10 + column * 28),
            static_cast<std::uint8_t>(230 - row * 20 - column * 5), 255};
}

// A tile-set picture of solid cells, each in its own colour.
Image CellPicture(std::int32_t cell, std::uint32_t bytesPerPixel) {
    Image picture;
    picture.Create(9 * cell, 5 * cell, bytesPerPixel);
    for (std::int32_t row = 0; row < 5; ++row) {
        for (std::int32_t column = 0; column < 9; ++column) {
            Image block;
            block.Create(cell, cell, bytesPerPixel);
            block.Fill(CellColour(row, column));
            Blit(picture, block, block.Bounds(), {column * cell, row * cell, cell, cell});
        }
    }
    picture.SetAlpha(255, false);  // the copy above leaves the picture's own alpha alone
    return picture;
}

bool Near(const std::uint8_t* bgra, ImageColour colour, int tolerance) {
    return std::abs(bgra[0] - colour.blue) <= tolerance &&
           std::abs(bgra[1] - colour.green) <= tolerance &&
           std::abs(bgra[2] - colour.red) <= tolerance;
}

std::vector<std::uint8_t> Bgra(ImageColour c) {
    return {c.blue, c.green, c.red, c.alpha};
}

std::vector<std::uint8_t> PixelBytes(const Image& image, std::int32_t x, std::int32_t y) {
    const std::uint8_t* p = PixelAt(image, x, y);
    return {p, p + image.BytesPerPixel()};
}

const ImageColour kClear{0, 0, 0, 0};
const ImageColour kBlack{0, 0, 0, 255};

}  // namespace

TEST(TileSetGrid, FacesFillRowsOfNineThenTwoRowsOfEight) {
    for (int k = 0; k < kTileSetFaceCount; ++k) {
        const FaceCell cell = FaceCellOf(k);
        const int expectedRow = k < 27 ? k / 9 : (k < 35 ? 3 : 4);
        const int expectedColumn = k < 27 ? k % 9 : (k < 35 ? k - 27 : k - 35);
        EXPECT_EQ(cell.row, expectedRow) << k;
        EXPECT_EQ(cell.column, expectedColumn) << k;
        EXPECT_FALSE(cell.row >= 3 && cell.column == 8) << "ninth cell used by face " << k;
    }
}

TEST(TileSet, SquareFacesComeFromTheirOwnCellsWhateverThePictureShape) {
    TileSet tiles;
    tiles.shadowsOn = false;
    tiles.borderOn = false;
    tiles.source = CellPicture(30, 3);  // 270 x 150, 3 bytes per pixel
    tiles.hasSource = true;
    ASSERT_TRUE(tiles.BuildFaces(16));
    EXPECT_EQ(tiles.cellWidth, 16);
    EXPECT_EQ(tiles.cellHeight, 16);
    for (int k = 0; k < kTileSetFaceCount; ++k) {
        const Image& face = tiles.faces[k];
        ASSERT_EQ(face.Width(), 16);
        ASSERT_EQ(face.Height(), 16);
        ASSERT_EQ(face.BytesPerPixel(), 4u);
        const FaceCell cell = FaceCellOf(k);
        EXPECT_TRUE(Near(PixelAt(face, 8, 8), CellColour(cell.row, cell.column), 4)) << k;
        EXPECT_EQ(PixelAt(face, 0, 15)[3], 255);
    }
    for (const Image& piece : tiles.shadowPieces) {
        EXPECT_FALSE(piece.HasPixels());
    }
    EXPECT_EQ(tiles.blank.Width(), 16);
    EXPECT_EQ(PixelBytes(tiles.blank, 15, 15), Bgra(tiles.shadowColour));
}

TEST(TileSet, PictureThatFailsToLoadGivesBlankWhiteFaces) {
    TileSet tiles;
    tiles.shadowsOn = false;
    tiles.borderOn = false;
    ASSERT_TRUE(tiles.LoadTileSet(testing::TempDir() + "varnel_no_such_tiles.bmp", 20));
    EXPECT_FALSE(tiles.source.HasPixels());
    for (const Image& face : tiles.faces) {
        ASSERT_EQ(face.Width(), 20);
        EXPECT_EQ(PixelBytes(face, 3, 17), (std::vector<std::uint8_t>{255, 255, 255, 255}));
    }
    EXPECT_FALSE(tiles.BuildFaces(0));
    EXPECT_FALSE(tiles.BuildFaces(kMaxImageSide));
}

// Only a picture with two pixels across and down every cell is taken for a tile set; an empty or
// tiny one would give nothing but blank faces.
TEST(TileSet, OnlyAPictureWithTwoPixelsPerCellIsATileSet) {
    const struct {
        std::int32_t width;
        std::int32_t height;
        bool usable;
    } cases[] = {{0, 0, false},  {1, 1, false},    {17, 10, false}, {18, 9, false},
                 {18, 10, true}, {900, 500, true}, {2000, 10, true}};
    for (const auto& c : cases) {
        Image picture;
        if (c.width > 0) {
            ASSERT_TRUE(picture.Create(c.width, c.height, 3));
        }
        EXPECT_EQ(IsTileSetPicture(picture), c.usable) << c.width << " x " << c.height;
    }
}

TEST(TileSet, BorderedFaceHasSideStripsOutlineAndCutCorners) {
    TileSet tiles;
    tiles.borderSize = 3;
    tiles.shadowSize = 15;
    const Image picture = CellPicture(16, 4);
    ASSERT_TRUE(tiles.CutFaces(picture, 16, 16));
    const Image& face = tiles.faces[10];  // row 1, column 1
    ASSERT_EQ(face.Width(), 19);
    ASSERT_EQ(face.Height(), 19);
    const std::vector<std::uint8_t> side = Bgra(tiles.sideColour);
    const std::vector<std::uint8_t> clear = Bgra(kClear), black = Bgra(kBlack);
    // Top-left cut of the side strip.
    EXPECT_EQ(PixelBytes(face, 0, 0), clear);
    EXPECT_EQ(PixelBytes(face, 2, 0), clear);
    EXPECT_EQ(PixelBytes(face, 1, 1), clear);
    EXPECT_EQ(PixelBytes(face, 2, 1), black);
    EXPECT_EQ(PixelBytes(face, 1, 2), black);
    EXPECT_EQ(PixelBytes(face, 0, 3), black);
    // Left outline and strip.
    EXPECT_EQ(PixelBytes(face, 0, 10), black);
    EXPECT_EQ(PixelBytes(face, 1, 10), side);
    EXPECT_EQ(PixelBytes(face, 2, 2), side);
    // Bottom strip, outline and the bottom-right cut.
    EXPECT_EQ(PixelBytes(face, 8, 16), side);
    EXPECT_EQ(PixelBytes(face, 8, 18), black);
    EXPECT_EQ(PixelBytes(face, 15, 18), black);
    EXPECT_EQ(PixelBytes(face, 16, 18), clear);
    EXPECT_EQ(PixelBytes(face, 18, 18), clear);
    EXPECT_EQ(PixelBytes(face, 16, 17), black);
    EXPECT_EQ(PixelBytes(face, 17, 17), clear);
    EXPECT_EQ(PixelBytes(face, 17, 16), black);
    EXPECT_EQ(PixelBytes(face, 18, 16), clear);
    EXPECT_EQ(PixelBytes(face, 1, 17), black);
    EXPECT_EQ(PixelBytes(face, 2, 16), black);
    // The face picture covers the top right: columns 3..18, rows 0..15, exactly the cell.
    const std::vector<std::uint8_t> cell = Bgra(CellColour(1, 1));
    EXPECT_EQ(PixelBytes(face, 3, 0), cell);
    EXPECT_EQ(PixelBytes(face, 18, 0), cell);
    EXPECT_EQ(PixelBytes(face, 3, 15), cell);
    EXPECT_EQ(PixelBytes(face, 18, 15), cell);
}

TEST(TileSet, ShadowPiecesHaveTheirSizesAndTriangles) {
    TileSet tiles;
    tiles.borderSize = 3;
    tiles.shadowSize = 15;
    ASSERT_TRUE(tiles.CutFaces(CellPicture(16, 3), 16, 16));
    const struct {
        std::int32_t width, height;
    } sizes[] = {{15, 15}, {8, 15}, {15, 15}, {15, 8}, {15, 5}, {15, 15}};
    for (int p = 0; p < kShadowPieceCount; ++p) {
        EXPECT_EQ(tiles.shadowPieces[p].Width(), sizes[p].width) << p;
        EXPECT_EQ(tiles.shadowPieces[p].Height(), sizes[p].height) << p;
    }
    const std::vector<std::uint8_t> shade = Bgra(tiles.shadowColour), clear = Bgra(kClear);
    const struct {
        int piece;
        std::int32_t x, y;
        bool shaded;
    } pixels[] = {{0, 0, 0, false}, {0, 4, 5, true},   {0, 5, 5, false},  {1, 7, 7, true},
                  {1, 6, 7, false}, {1, 7, 10, false}, {2, 14, 14, true}, {3, 2, 3, true},
                  {3, 3, 3, false}, {4, 3, 4, true},   {5, 14, 14, true}, {5, 13, 14, false},
                  {5, 0, 0, true}};
    for (const auto& c : pixels) {
        EXPECT_EQ(PixelBytes(tiles.shadowPieces[c.piece], c.x, c.y), c.shaded ? shade : clear)
            << "piece " << c.piece << " at " << c.x << "," << c.y;
    }
}

TEST(TileSet, BorderWiderThanTheCellAndEmptyShadowPiecesAreSafe) {
    TileSet tiles;
    tiles.borderSize = 40;
    tiles.shadowSize = 0;
    ASSERT_TRUE(tiles.CutFaces(CellPicture(8, 4), 8, 8));
    EXPECT_EQ(tiles.faces[0].Width(), 48);
    EXPECT_EQ(PixelBytes(tiles.faces[0], 0, 47), Bgra(kBlack));
    EXPECT_EQ(PixelBytes(tiles.faces[0], 45, 3), Bgra(CellColour(0, 0)));
    for (const Image& piece : tiles.shadowPieces) {
        EXPECT_FALSE(piece.HasPixels());
    }
}

TEST(TileSetSize2D, FitsHalfTheWidthAndThreeSeventhsOfTheHeight) {
    // 800 x 600 view, 900 x 500 picture: limited by the width, 400 x 222 lowered to 396 x 220.
    EXPECT_EQ(TileSetSize2D(800, 600, 900, 500), (PictureSize{396, 220}));
    // A narrow picture is limited by the height: 1920 x 1080 view, b = 462, g = 462 * 1.35.
    EXPECT_EQ(TileSetSize2D(1920, 1080, 1080, 800), (PictureSize{612, 460}));
    // Exact ratios are not cut short by rounding: 8 : 5 into a box of 320 x 200 stays 200 high
    // (single-precision division would give 199.99999 and so 180).
    EXPECT_EQ(TileSetSize2D(640, 467, 1600, 1000), (PictureSize{306, 200}));
    EXPECT_EQ(TileSetSize2D(30, 600, 900, 500), (PictureSize{}));
    EXPECT_EQ(TileSetSize2D(800, 2, 900, 500), (PictureSize{}));
    EXPECT_EQ(TileSetSize2D(800, 600, 0, 500), (PictureSize{}));
}

TEST(TileSet, SizedFor2DViewGivesEvenCellsAndBorderedFaces) {
    TileSet tiles;
    EXPECT_FALSE(tiles.BuildFaces2D(800, 600));  // no picture yet
    tiles.source = CellPicture(100, 3);          // 900 x 500
    tiles.hasSource = true;
    ASSERT_TRUE(tiles.BuildFaces2D(800, 600));
    EXPECT_EQ(tiles.cellWidth, 44);
    EXPECT_EQ(tiles.cellHeight, 44);
    EXPECT_EQ(tiles.faces[42].Width(), 49);
    EXPECT_EQ(tiles.faces[42].Height(), 49);
    EXPECT_TRUE(Near(PixelAt(tiles.faces[42], 5 + 22, 22), CellColour(4, 7), 4));
    EXPECT_FALSE(tiles.BuildFaces2D(20, 20));
    EXPECT_EQ(tiles.faces[42].Width(), 49);  // a view too small changes nothing
}

TEST(TileSet, LoadsTheShippedStandardTileSet) {
    const std::string path = std::string(GAME_DATA_DIR) + "/TILESETS/Standard.jpg";
    if (!std::filesystem::exists(path)) {
        GTEST_SKIP() << "no Standard.jpg yet";
    }
    TileSet tiles;
    tiles.shadowsOn = false;
    tiles.borderOn = false;
    ASSERT_TRUE(tiles.LoadTileSet(path, 64));
    ASSERT_TRUE(tiles.source.HasPixels());
    for (const Image& face : tiles.faces) {
        EXPECT_EQ(face.Width(), 64);
        EXPECT_EQ(face.Height(), 64);
    }
}

TEST(BackgroundTexture, MaximumTextureSizeHalvedUntilItFitsThePicture) {
    EXPECT_EQ(BackgroundTextureSize(2048, 2048, 800, 600), (PictureSize{512, 512}));
    EXPECT_EQ(BackgroundTextureSize(2048, 2048, 300, 200), (PictureSize{256, 128}));
    EXPECT_EQ(BackgroundTextureSize(4096, 1024, 4096, 2000), (PictureSize{4096, 1024}));
    Image texture;
    EXPECT_FALSE(MakeBackgroundTexture(Image(), 2048, 2048, texture));
    ASSERT_TRUE(MakeBackgroundTexture(PatternImage(300, 200, 3), 2048, 2048, texture));
    EXPECT_EQ(texture.Width(), 256);
    EXPECT_EQ(texture.Height(), 128);
    EXPECT_EQ(texture.BytesPerPixel(), 3u);
}

TEST(HeightImage, HalfTheBrightnessOrOfItsInverseWithAlphaKept) {
    Image face;
    ASSERT_TRUE(face.Create(3, 1, 4));
    const std::uint8_t pixels[] = {200, 200, 200, 7, 255, 255, 255, 0, 0, 0, 255, 9};
    std::copy(std::begin(pixels), std::end(pixels), face.Row(0));
    Image height, inverted;
    ASSERT_TRUE(MakeHeightImage(face, false, height));
    ASSERT_TRUE(MakeHeightImage(face, true, inverted));
    EXPECT_EQ(PixelBytes(height, 0, 0), (std::vector<std::uint8_t>{100, 100, 100, 7}));
    EXPECT_EQ(PixelBytes(height, 1, 0), (std::vector<std::uint8_t>{127, 127, 127, 0}));
    EXPECT_EQ(PixelBytes(height, 2, 0), (std::vector<std::uint8_t>{38, 38, 38, 9}));  // 76.245/2
    EXPECT_EQ(PixelBytes(inverted, 0, 0), (std::vector<std::uint8_t>{27, 27, 27, 7}));
    EXPECT_EQ(PixelBytes(inverted, 2, 0), (std::vector<std::uint8_t>{89, 89, 89, 9}));
    EXPECT_EQ(PixelBytes(face, 0, 0)[0], 200);  // the face itself is untouched
    EXPECT_FALSE(MakeHeightImage(Image(), false, height));
}
