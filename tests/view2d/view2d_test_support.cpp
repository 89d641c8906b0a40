#include "tests/view2d/view2d_test_support.h"

#include <fstream>
#include <vector>

Bgra PixelAt(const Image& image, int x, int y) {
    const std::uint8_t* p = image.Row(y) + static_cast<std::ptrdiff_t>(x) * image.BytesPerPixel();
    return {p[0], p[1], p[2], image.BytesPerPixel() == 4 ? p[3] : std::uint8_t{255}};
}

Bgra FaceColour(int face) {
    return {static_cast<std::uint8_t>(20 + face * 5), static_cast<std::uint8_t>(230 - face * 4),
            255, 255};
}

Image MakeTileSetPicture(int cellWidth, int cellHeight) {
    Image picture;
    picture.CreateFilled(cellWidth * 9, cellHeight * 5, 3);
    for (int face = 0; face < 43; ++face) {
        const FaceCell cell = FaceCellOf(face);
        const Bgra c = FaceColour(face);
        for (int y = 0; y < cellHeight; ++y) {
            std::uint8_t* row = picture.Row(cell.row * cellHeight + y);
            for (int x = 0; x < cellWidth; ++x) {
                std::uint8_t* p = row + (cell.column * cellWidth + x) * 3;
                p[0] = c.b;
                p[1] = c.g;
                p[2] = c.r;
            }
        }
    }
    return picture;
}

void WriteUniformBitmap(const std::string& path, int width, int height, Bgra colour) {
    const int stride = (width * 3 + 3) / 4 * 4;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(stride * height);
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
    put32(22, static_cast<std::uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    put32(34, dataSize);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &file[54 + y * stride + x * 3];
            p[0] = colour.b;
            p[1] = colour.g;
            p[2] = colour.r;
        }
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
}

Bgra Blend(Bgra under, Bgra over, int alpha) {
    auto mix = [alpha](int d, int s) {
        return static_cast<std::uint8_t>(d + (s - d) * alpha / 255);
    };
    return {mix(under.b, over.b), mix(under.g, over.g), mix(under.r, over.r), under.a};
}

TestView::TestView() {
    view.sources.board = board.get();
    view.sources.editor = editor.get();
    view.sources.editing = [this] { return editing; };
    view.sources.isHintTile = [this](int t) { return t == hintA || t == hintB; };
    view.options.showBackground = false;
    view.options.backgroundColour = {0, 0, 0, 255};
    view.options.sidesColour = {10, 200, 30, 255};
    view.options.shadows = true;
    ClearBoard();
    view.Tiles().source = MakeTileSetPicture(kCellWidth, kCellHeight);
    view.Tiles().hasSource = true;
    view.Resize(kWidth, kHeight);
}

void TestView::ClearBoard() {
    for (TileRecord& record : board->tiles) {
        record = TileRecord{};
    }
    for (ShadowFlags& flags : board->shadows) {
        flags = ShadowFlags{};
    }
    board->tileGrid.fill(NoTile);
    board->positionGrid.fill(0);
    board->firstSelected = NoTile;
    board->secondSelected = NoTile;
    board->ChronoPaused = 0;
}

void TestView::SetTile(int t, int layer, int row, int column, int face) {
    TileRecord& record = board->tiles[t];
    record.layer = static_cast<std::uint8_t>(layer);
    record.row = static_cast<std::uint8_t>(row);
    record.column = static_cast<std::uint8_t>(column);
    record.face = static_cast<std::uint8_t>(face);
    // The board holds the tile in its four cells, as after a deal.
    board->FillTileCells(t, static_cast<std::uint8_t>(t));
}

const Image& TestView::Frame() {
    held = view.PaintFrame();
    return *held;
}
