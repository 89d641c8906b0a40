// Writes the composed frame of a full dealt board as a 24-bit BMP, to look at the 2D board
// without starting the program: frame_shot WIDTH HEIGHT OUT.bmp [layout] [tile set] [background]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/view2d/full_board.h"

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
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT OUT.bmp [layout] [tile set] [background]\n",
                     argv[0]);
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    FullBoardScene scene(width, height, argc > 4 ? argv[4] : "Default.tvl",
                         argc > 5 ? argv[5] : "Standard.jpg", argc > 6 ? argv[6] : "Mountain.jpg");
    // Show a selection and a hint pair, so that the marks can be judged too.
    scene.board->firstSelected = 100;
    scene.view.sources.isHintTile = [](int t) { return t == 120 || t == 131; };
    scene.view.ComposeFrame();
    const auto frame = scene.view.PaintFrame();
    if (!frame || !WriteBitmap(*frame, argv[3])) {
        std::fprintf(stderr, "no frame written\n");
        return 1;
    }
    std::printf("%dx%d, tiles %dx%d, border %d, board at %d,%d\n", width, height,
                scene.view.TileWidth(), scene.view.TileHeight(), scene.view.Border(),
                scene.view.BoardOffsetX(), scene.view.BoardOffsetY());
    return 0;
}
