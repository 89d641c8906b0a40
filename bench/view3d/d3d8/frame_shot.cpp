// Writes one software-rendered frame of a full board as a 24-bit BMP, to look at it without the
// program: d3d8_frame_shot WIDTH HEIGHT OUT.bmp [yaw pitch in degrees]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/view3d/d3d8/full_board_plan.h"
#include "view3d/d3d8/software_renderer.h"

namespace {

bool WriteBitmap(const Image& frame, const std::string& path) {
    const int width = frame.Width();
    const int height = frame.Height();
    const int stride = (width * 3 + 3) / 4 * 4;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(stride) * height;
    std::vector<std::uint8_t> file(54 + dataSize, 0);
    auto put32 = [&file](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, 54 + dataSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(-height));  // top-down rows
    file[26] = 1;
    file[28] = 24;
    put32(34, dataSize);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* s = frame.Row(y);
        std::uint8_t* d = &file[54 + static_cast<std::size_t>(y) * stride];
        for (int x = 0; x < width; ++x, s += 4, d += 3) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT OUT.bmp [yaw pitch]\n", argv[0]);
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    const float yaw = argc > 5 ? static_cast<float>(std::atof(argv[4])) * kPi / 180.0f : 0.0f;
    const float pitch = argc > 5 ? static_cast<float>(std::atof(argv[5])) * kPi / 180.0f : 0.0f;
    SoftwareRenderer renderer;
    TileSet tileSet;
    LoadBoardTileSet(tileSet, 64);
    if (!renderer.Create(width, height) || !renderer.LoadTileSetTextures(tileSet)) {
        std::fprintf(stderr, "renderer could not be made\n");
        return 1;
    }
    renderer.LoadBackgroundTexture(LoadBoardBackground());
    renderer.Render(FullBoardPlan(width, height, yaw, pitch));
    return WriteBitmap(renderer.Target(), argv[3]) ? 0 : 1;
}
