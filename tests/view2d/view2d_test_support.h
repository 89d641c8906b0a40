// Helpers for the 2D view tests: a synthetic tile-set picture, boards with hand-placed tiles, and
// pixel access to composed frames.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "view2d/view2d.h"

// Blue, green, red, alpha of one pixel.
struct Bgra {
    std::uint8_t b = 0, g = 0, r = 0, a = 0;
    friend bool operator==(const Bgra&, const Bgra&) = default;
};

Bgra PixelAt(const Image& image, int x, int y);

// The colour synthetic face k is painted in: every face differs, red is always 255 so that a
// fade over a black background shows its alpha in the red channel.
Bgra FaceColour(int face);

// A 3-byte tile-set picture of 9 x 5 cells of cellWidth x cellHeight, each cell filled with
// FaceColour of its face.
Image MakeTileSetPicture(int cellWidth, int cellHeight);

// Writes a bottom-up 24-bit bitmap of one colour (blue, green, red of `colour`).
void WriteUniformBitmap(const std::string& path, int width, int height, Bgra colour);

// d + (s - d) * a / 255 per channel, as the game blends.
Bgra Blend(Bgra under, Bgra over, int alpha);

// A view bound to its own boards, with a synthetic tile set of 36 x 40 cells cut without
// resampling (the view is sized so that the picture keeps its size), a black background, no
// background picture and shadows on.
struct TestView {
    std::unique_ptr<Board> board = std::make_unique<Board>();
    std::unique_ptr<EditorBoard> editor = std::make_unique<EditorBoard>();
    View2D view;
    bool editing = false;
    int hintA = NoTile;
    int hintB = NoTile;

    static constexpr int kWidth = 648;
    static constexpr int kHeight = 480;
    static constexpr int kCellWidth = 36;
    static constexpr int kCellHeight = 40;

    TestView();
    // Removes every tile from the board.
    void ClearBoard();
    // Puts tile t at (layer, row, column) with face `face`.
    void SetTile(int t, int layer, int row, int column, int face);
    // The frame the window would show now (kept alive until the next call).
    const Image& Frame();

private:
    std::shared_ptr<const Image> held;
};
