// The tile set: one picture of 9 x 5 face cells cut into the 43 face images (with the 2D edition's
// thickness edge and drop-shadow pieces), plus the sizing of backgrounds and the bump-map images.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "images/image.h"

inline constexpr int kTileSetFaceCount = 43;  // faces 0..41 in play, 42 the blank back
inline constexpr int kTileSetBlankFace = 42;
inline constexpr int kShadowPieceCount = 6;
inline constexpr int kTileSetColumns = 9;
inline constexpr int kTileSetRows = 5;

// Where face k lies in the tile-set picture: rows 0..2 hold nine faces each, rows 3 and 4 eight
// (their ninth cell is never shown).
struct FaceCell {
    std::int32_t row = 0;
    std::int32_t column = 0;
};
FaceCell FaceCellOf(int face);

struct PictureSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

struct TileSet {
    Image source;            // the picture as loaded, kept for rebuilding at another size
    bool hasSource = false;  // a load was attempted; the source may still be empty
    std::array<Image, kTileSetFaceCount> faces;
    std::int32_t cellWidth = 0;
    std::int32_t cellHeight = 0;
    std::array<Image, kShadowPieceCount> shadowPieces;
    Image blank;  // one cell in the shadow colour: the 2D selection mark
    ImageColour shadowColour{0, 0, 0, 64};
    ImageColour sideColour{184, 120, 24, 255};
    std::int32_t shadowSize = 15;
    std::int32_t borderSize = 5;
    bool shadowsOn = true;
    bool borderOn = true;

    // Loads the picture (a picture that fails to load leaves every face blank white) and builds
    // square faces of `faceSize`. False only when an image could not be created.
    bool LoadTileSet(const std::string& path, std::int32_t faceSize);
    // The 2D edition's variant: the picture is sized to the view (TileSetSize2D). False when the
    // picture does not load or nothing can be built for that view.
    bool LoadTileSet(const std::string& path, std::int32_t viewWidth, std::int32_t viewHeight);
    // Rescales the kept source to a 9 x 5 grid of faceSize cells and cuts it.
    bool BuildFaces(std::int32_t faceSize);
    // Rescales the kept source for a view of this size and cuts it; needs a loaded picture.
    bool BuildFaces2D(std::int32_t viewWidth, std::int32_t viewHeight);
    // Cuts a picture of 9 x 5 cells of the given size into the faces, and makes the shadow pieces
    // (when shadows are on) and the blank image. Stops at the first face that cannot be made.
    bool CutFaces(const Image& picture, std::int32_t newCellWidth, std::int32_t newCellHeight);
    void Release();
};

// Whether a loaded picture can serve as a tile set: it has pixels, and at least two of them
// across and down each of its 9 x 5 cells, the least a face can be rescaled from. A picture that
// fails this would only give blank faces.
bool IsTileSetPicture(const Image& picture);

// Size of the rescaled tile-set picture for a 2D view: the whole 9 x 5 picture fits into half the
// view width and three sevenths of its height, keeps its aspect, and has a width divisible by 18
// and a height divisible by 20. {0, 0} when nothing fits.
PictureSize TileSetSize2D(std::int32_t viewWidth, std::int32_t viewHeight,
                          std::int32_t pictureWidth, std::int32_t pictureHeight);

// Texture size for a background: the device's maximum texture width and height, each halved until
// it is no larger than the picture's.
PictureSize BackgroundTextureSize(std::int32_t maxTextureWidth, std::int32_t maxTextureHeight,
                                  std::int32_t pictureWidth, std::int32_t pictureHeight);

// A new white image of the given size, the whole picture rescaled into it with Lanczos3, alpha
// 255 when it has four bytes per pixel. False (scaled empty) when it cannot be created.
bool ScalePicture(const Image& picture, std::int32_t width, std::int32_t height,
                  std::uint32_t bytesPerPixel, Image& scaled);

// The 3D background texture: the picture scaled to BackgroundTextureSize. False without a picture.
bool MakeBackgroundTexture(const Image& picture, std::int32_t maxTextureWidth,
                           std::int32_t maxTextureHeight, Image& texture);

// The bump-mapping image of a face: blue = green = red = half its brightness (0.299 red + 0.587
// green + 0.114 blue), or with `inverted` half of 255 minus it; alpha is kept.
bool MakeHeightImage(const Image& face, bool inverted, Image& heightImage);
