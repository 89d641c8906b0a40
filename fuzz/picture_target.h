// The picture targets' common part: the bytes read as a picture of one format, then everything a
// tile set or a background goes through: the 3D faces, the 2D faces with their thickness edges
// and shadows, the background texture and a bump-map image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "images/image.h"
#include "images/tile_set.h"

// Pictures above this many pixels are only decoded: resampling a huge picture on every run would
// spend the fuzzing time in the filter loops, which small pictures cover as well.
inline constexpr std::int64_t kCutPixelLimit = std::int64_t{1} << 16;

inline void FuzzPicture(const char* name, const std::uint8_t* data, std::size_t size) {
    Image picture;
    if (!picture.LoadMemory(name, data, size)) {
        FUZZ_CHECK(!picture.HasPixels());
        return;
    }
    FUZZ_CHECK(picture.Width() > 0 && picture.Height() > 0 && picture.Width() <= kMaxImageSide &&
               picture.Height() <= kMaxImageSide);
    FUZZ_CHECK(picture.Size() == picture.Stride() * picture.Height());
    if (std::int64_t{picture.Width()} * picture.Height() > kCutPixelLimit) {
        return;
    }
    TileSet tiles;
    tiles.source = picture;
    tiles.hasSource = true;
    FUZZ_CHECK(tiles.BuildFaces(16));
    FUZZ_CHECK(tiles.cellWidth == 16 && tiles.faces[kTileSetBlankFace].HasPixels());
    tiles.BuildFaces2D(300, 200);
    tiles.shadowsOn = false;
    tiles.borderOn = false;
    tiles.BuildFaces2D(173, 411);
    Image texture;
    MakeBackgroundTexture(picture, 64, 32, texture);
    Image height;
    MakeHeightImage(tiles.faces[0], true, height);
}
