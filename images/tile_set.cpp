// Cutting the tile-set picture into faces, the 2D thickness edge and shadow pieces, and the
// sizing of backgrounds and bump-map images.

#include "images/tile_set.h"

#include <algorithm>
#include <cassert>

namespace {

constexpr ImageColour kClear{0, 0, 0, 0};
constexpr ImageColour kBlack{0, 0, 0, 255};

void PutPixel(Image& image, std::int32_t x, std::int32_t y, ImageColour colour) {
    if (x < 0 || y < 0 || x >= image.Width() || y >= image.Height()) {
        return;
    }
    std::uint8_t* p = image.Row(y) + std::ptrdiff_t{x} * image.BytesPerPixel();
    p[0] = colour.blue;
    p[1] = colour.green;
    p[2] = colour.red;
    if (image.BytesPerPixel() == 4) {
        p[3] = colour.alpha;
    }
}

// Paints pixels first..last (inclusive) of a row.
void PutSpan(Image& image, std::int32_t y, std::int32_t first, std::int32_t last,
             ImageColour colour) {
    for (std::int32_t x = std::max(first, 0); x <= last && x < image.Width(); ++x) {
        PutPixel(image, x, y, colour);
    }
}

// The outline of a bordered face with n pixels of thickness: the top-left and bottom-right corners
// of the side strips are cut diagonally, the left and bottom edges drawn black.
void DrawFaceEdge(Image& face, std::int32_t n) {
    const std::int32_t w = face.Width();
    const std::int32_t h = face.Height();
    if (n >= w || n >= h) {
        return;
    }
    for (std::int32_t i = 0; i <= n; ++i) {
        PutSpan(face, i, 0, n - i - 1, kClear);
        PutPixel(face, n - i, i, kBlack);
    }
    for (std::int32_t y = n + 1; y < h - 1; ++y) {
        PutPixel(face, 0, y, kBlack);
    }
    PutSpan(face, h - 1, 0, w - 1, kBlack);
    for (std::int32_t k = 0; k < n; ++k) {
        const std::int32_t y = h - 1 - k;
        PutSpan(face, y, w - n + k, w - 1, kClear);
        PutPixel(face, w - n + k - 1, y, kBlack);
        PutPixel(face, k, y, kBlack);
    }
}

enum class ShadowShape { LowerLeft, FromDiagonal, Full, UpToDiagonal };

// A shadow piece: clear, then in row i the pixels the shape names in the shadow colour. A piece
// whose size is not positive stays empty, which copies as nothing.
void MakeShadowPiece(Image& piece, std::int32_t width, std::int32_t height, ShadowShape shape,
                     ImageColour colour) {
    piece.Release();
    if (width <= 0 || height <= 0 || !piece.Create(width, height, 4)) {
        piece.Release();
        return;
    }
    piece.Fill(kClear);
    for (std::int32_t i = 0; i < height; ++i) {
        switch (shape) {
            case ShadowShape::LowerLeft:
                PutSpan(piece, i, 0, i - 1, colour);
                break;
            case ShadowShape::FromDiagonal:
                PutSpan(piece, i, i, width - 1, colour);
                break;
            case ShadowShape::Full:
                PutSpan(piece, i, 0, width - 1, colour);
                break;
            case ShadowShape::UpToDiagonal:
                PutSpan(piece, i, 0, std::min(width, i) - 1, colour);
                break;
        }
    }
}

std::int32_t FloorDiv(std::int64_t numerator, std::int64_t denominator) {
    assert(numerator >= 0 && denominator > 0);
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(numerator / denominator, kMaxImageSide * std::int64_t{20}));
}

}  // namespace

FaceCell FaceCellOf(int face) {
    if (face < 27) {
        return {face / 9, face % 9};
    }
    if (face < 35) {
        return {3, face - 27};
    }
    return {4, face - 35};
}

// ================================================================================================
// TileSet
// ================================================================================================

bool TileSet::LoadTileSet(const std::string& path, std::int32_t faceSize) {
    source.Release();
    source.Load(path);  // a failed load leaves it empty: the faces come out blank white
    hasSource = true;
    return BuildFaces(faceSize);
}

bool TileSet::LoadTileSet(const std::string& path, std::int32_t viewWidth,
                          std::int32_t viewHeight) {
    source.Release();
    hasSource = source.Load(path);
    return hasSource && BuildFaces2D(viewWidth, viewHeight);
}

bool TileSet::BuildFaces(std::int32_t faceSize) {
    if (!hasSource) {
        return false;
    }
    if (faceSize <= 0 || std::int64_t{faceSize} * kTileSetColumns > kMaxImageSide) {
        return false;
    }
    // An empty source still gives a white picture, so every face comes out blank.
    const std::uint32_t bytesPerPixel = source.HasPixels() ? source.BytesPerPixel() : 4;
    Image picture;
    if (!ScalePicture(source, faceSize * kTileSetColumns, faceSize * kTileSetRows, bytesPerPixel,
                      picture)) {
        return false;
    }
    return CutFaces(picture, faceSize, faceSize);
}

bool TileSet::BuildFaces2D(std::int32_t viewWidth, std::int32_t viewHeight) {
    if (!source.HasPixels()) {
        return false;  // an empty picture is never rescaled or cut
    }
    const PictureSize size = TileSetSize2D(viewWidth, viewHeight, source.Width(), source.Height());
    Image picture;
    if (size.width == 0 ||
        !ScalePicture(source, size.width, size.height, source.BytesPerPixel(), picture)) {
        return false;
    }
    return CutFaces(picture, size.width / kTileSetColumns, size.height / kTileSetRows);
}

bool TileSet::CutFaces(const Image& picture, std::int32_t newCellWidth,
                       std::int32_t newCellHeight) {
    if (newCellWidth <= 0 || newCellHeight <= 0 ||
        std::int64_t{newCellWidth} * kTileSetColumns > picture.Width() ||
        std::int64_t{newCellHeight} * kTileSetRows > picture.Height()) {
        return false;
    }
    cellWidth = newCellWidth;
    cellHeight = newCellHeight;
    const std::int32_t n = borderOn ? std::max(borderSize, 0) : 0;

    for (int k = 0; k < kTileSetFaceCount; ++k) {
        const FaceCell cell = FaceCellOf(k);
        const ImageRect from{cell.column * cellWidth, cell.row * cellHeight, cellWidth, cellHeight};
        const ImageRect to{n, 0, cellWidth + n, cellHeight + n};
        Image& face = faces[k];
        bool made = face.CreateFilled(cellWidth + n, cellHeight + n, 4);
        if (made && borderOn) {
            face.Fill(sideColour);
            DrawFaceEdge(face, n);
        }
        made = made && Blit(face, picture, from, to);
        if (!made) {
            // Faces of another size must not be mixed with the new ones.
            for (int rest = k; rest < kTileSetFaceCount; ++rest) {
                faces[rest].Release();
            }
            return false;
        }
    }

    if (shadowsOn) {
        const std::int32_t c = shadowSize;
        MakeShadowPiece(shadowPieces[0], c, c, ShadowShape::LowerLeft, shadowColour);
        MakeShadowPiece(shadowPieces[1], cellWidth / 2, c, ShadowShape::FromDiagonal, shadowColour);
        MakeShadowPiece(shadowPieces[2], c, c, ShadowShape::Full, shadowColour);
        MakeShadowPiece(shadowPieces[3], c, cellHeight / 2, ShadowShape::UpToDiagonal,
                        shadowColour);
        MakeShadowPiece(shadowPieces[4], c, cellHeight / 2 - n, ShadowShape::UpToDiagonal,
                        shadowColour);
        MakeShadowPiece(shadowPieces[5], c, c, ShadowShape::FromDiagonal, shadowColour);
    } else {
        for (Image& piece : shadowPieces) {
            piece.Release();
        }
    }

    blank.Release();
    if (blank.Create(cellWidth, cellHeight, 4)) {
        blank.Fill(shadowColour);
    }
    return true;
}

void TileSet::Release() {
    source.Release();
    hasSource = false;
    for (Image& face : faces) {
        face.Release();
    }
    for (Image& piece : shadowPieces) {
        piece.Release();
    }
    blank.Release();
    cellWidth = 0;
    cellHeight = 0;
}

// ================================================================================================
// Sizing, backgrounds, bump maps
// ================================================================================================

bool IsTileSetPicture(const Image& picture) {
    return picture.HasPixels() && picture.Width() >= 2 * kTileSetColumns &&
           picture.Height() >= 2 * kTileSetRows;
}

PictureSize TileSetSize2D(std::int32_t viewWidth, std::int32_t viewHeight,
                          std::int32_t pictureWidth, std::int32_t pictureHeight) {
    if (viewWidth <= 0 || viewHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) {
        return {};
    }
    const std::int64_t a = viewWidth / 2;
    const std::int64_t b = std::int64_t{viewHeight} * 3 / 7;
    if (a == 0 || b == 0) {
        return {};
    }
    // Compared and divided as exact fractions: a / b against sw / sh, so that a picture of 8 : 5
    // in a box of 8 : 5 is not cut a pixel short by rounding.
    std::int64_t g = 0;
    std::int64_t h = 0;
    if (a * pictureHeight <= std::int64_t{pictureWidth} * b) {
        g = a;  // limited by the width
        h = FloorDiv(a * pictureHeight, pictureWidth);
    } else {
        g = FloorDiv(std::int64_t{pictureWidth} * b, pictureHeight);  // limited by the height
        h = b;
    }
    g -= g % (2 * kTileSetColumns);
    h -= h % (4 * kTileSetRows);
    if (g <= 0 || h <= 0 || g > kMaxImageSide || h > kMaxImageSide) {
        return {};
    }
    return {static_cast<std::int32_t>(g), static_cast<std::int32_t>(h)};
}

PictureSize BackgroundTextureSize(std::int32_t maxTextureWidth, std::int32_t maxTextureHeight,
                                  std::int32_t pictureWidth, std::int32_t pictureHeight) {
    std::int32_t width = std::max(maxTextureWidth, 0);
    std::int32_t height = std::max(maxTextureHeight, 0);
    while (width > pictureWidth) {
        width /= 2;
    }
    while (height > pictureHeight) {
        height /= 2;
    }
    return {width, height};
}

bool ScalePicture(const Image& picture, std::int32_t width, std::int32_t height,
                  std::uint32_t bytesPerPixel, Image& scaled) {
    if (!scaled.CreateFilled(width, height, bytesPerPixel)) {
        return false;
    }
    Resample(ResampleFilter::Lanczos3, picture, scaled);
    if (bytesPerPixel == 4) {
        scaled.SetAlpha(255, false);
    }
    return true;
}

bool MakeBackgroundTexture(const Image& picture, std::int32_t maxTextureWidth,
                           std::int32_t maxTextureHeight, Image& texture) {
    texture.Release();
    if (!picture.HasPixels()) {
        return false;
    }
    const PictureSize size =
        BackgroundTextureSize(maxTextureWidth, maxTextureHeight, picture.Width(), picture.Height());
    return ScalePicture(picture, size.width, size.height, picture.BytesPerPixel(), texture);
}

bool MakeHeightImage(const Image& face, bool inverted, Image& heightImage) {
    heightImage = face;
    if (!heightImage.HasPixels()) {
        return false;
    }
    const std::uint32_t bpp = heightImage.BytesPerPixel();
    for (std::int32_t y = 0; y < heightImage.Height(); ++y) {
        std::uint8_t* p = heightImage.Row(y);
        for (std::int32_t x = 0; x < heightImage.Width(); ++x, p += bpp) {
            // Brightness in thousandths, so that halving and truncating are exact.
            const int brightness = 299 * p[2] + 587 * p[1] + 114 * p[0];
            const int v = (inverted ? 255000 - brightness : brightness) / 2000;
            p[0] = p[1] = p[2] = static_cast<std::uint8_t>(v);
        }
    }
    return true;
}
