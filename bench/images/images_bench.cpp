// How long the picture work takes that the player waits for: loading the tile set and the
// backgrounds, cutting the faces for the 3D editions, and sizing the tile set to a 2D window
// (done again on every window resize).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "images/image.h"
#include "images/tile_set.h"

namespace {

std::string DataFile(const std::string& name) {
    return std::string(GAME_DATA_DIR) + "/" + name;
}

// The shipped tile set, or a stand-in of the same size while it does not exist yet.
Image TileSetPicture() {
    Image picture(DataFile("TILESETS/Standard.jpg"));
    if (!picture.HasPixels()) {
        picture.Create(1080, 800, 3);
        for (std::int32_t y = 0; y < picture.Height(); ++y) {
            for (std::int32_t x = 0; x < picture.Stride(); ++x) {
                picture.Row(y)[x] = static_cast<std::uint8_t>(x * 7 + y * 13);
            }
        }
    }
    return picture;
}

void LoadPicture(benchmark::State& state, const std::string& name) {
    const std::string path = DataFile(name);
    if (!std::filesystem::exists(path)) {
        state.SkipWithError(("missing " + path).c_str());
        return;
    }
    for (auto _ : state) {
        Image image(path);
        benchmark::DoNotOptimize(image.Pixels());
    }
}
BENCHMARK_CAPTURE(LoadPicture, StandardJpg, std::string("TILESETS/Standard.jpg"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadPicture, MountainJpg, std::string("BACKGRND/Mountain.jpg"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadPicture, ClassicBmp, std::string("TILESETS/Classic.bmp"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadPicture, NightTga, std::string("TILESETS/Night.tga"))
    ->Unit(benchmark::kMillisecond);

// The 3D editions: square faces of the texture size, no border and no shadow pieces.
void BuildFaces(benchmark::State& state) {
    TileSet tiles;
    tiles.borderOn = false;
    tiles.shadowsOn = false;
    tiles.source = TileSetPicture();
    tiles.hasSource = true;
    for (auto _ : state) {
        if (!tiles.BuildFaces(static_cast<std::int32_t>(state.range(0)))) {
            state.SkipWithError("BuildFaces failed");
            break;
        }
    }
}
BENCHMARK(BuildFaces)
    ->Arg(64)
    ->Arg(128)
    ->Arg(256)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The 2D edition: sized to the view, bordered faces and shadow pieces.
void SizeTileSet2D(benchmark::State& state) {
    TileSet tiles;
    tiles.source = TileSetPicture();
    tiles.hasSource = true;
    for (auto _ : state) {
        if (!tiles.BuildFaces2D(static_cast<std::int32_t>(state.range(0)),
                                static_cast<std::int32_t>(state.range(1)))) {
            state.SkipWithError("BuildFaces2D failed");
            break;
        }
    }
}
BENCHMARK(SizeTileSet2D)
    ->Args({1280, 800})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A 2D window's background, stretched to the view.
void ScaleBackground(benchmark::State& state) {
    const Image picture(DataFile("BACKGRND/Mountain.jpg"));
    if (!picture.HasPixels()) {
        state.SkipWithError("missing Mountain.jpg");
        return;
    }
    for (auto _ : state) {
        Image scaled;
        ScalePicture(picture, static_cast<std::int32_t>(state.range(0)),
                     static_cast<std::int32_t>(state.range(1)), 4, scaled);
        benchmark::DoNotOptimize(scaled.Pixels());
    }
}
BENCHMARK(ScaleBackground)
    ->Args({1280, 800})
    ->Args({1920, 1080})
    ->Args({1912, 1000})
    ->Unit(benchmark::kMillisecond);

}  // namespace
