// Internals of the 2D board view: the clipped alpha copy that puts tile pieces onto the frame.
// Shared by the view and its tests; nothing outside view2d/ includes this file.
#pragma once

#include <cstdint>

// A window onto the pixels of an image: rows top-down, blue, green, red (and alpha) bytes.
struct PixelView {
    std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    int bytesPerPixel = 4;
};

// No alpha override: every source pixel keeps its own alpha.
constexpr int kOwnAlpha = -1;

// Copies the whole of `piece` onto `frame` (4 bytes per pixel) with its top-left corner at (x, y),
// with the game's alpha rule: a source alpha of 255 copies blue, green and red and leaves the
// frame's alpha alone, 0 writes nothing, anything else blends d + (s - d) * alpha / 255. A 3-byte
// piece counts as opaque. With `alphaOverride` >= 0 every pixel of the piece that is not fully
// transparent uses that alpha instead (the removal fade), so the piece itself is never changed.
// The copy is clipped to the frame: a piece that reaches past an edge is drawn only where it
// overlaps, and one wholly outside draws nothing. Returns false only when either image has no
// pixels or the frame is not 4 bytes per pixel.
bool BlendPiece(const PixelView& frame, const PixelView& piece, int x, int y,
                int alphaOverride = kOwnAlpha);

// Copies the rows of a 4-byte `piece` onto the frame at (x, y) as they are, alpha included,
// clipped like BlendPiece. For a piece whose every pixel has alpha 255, over a frame whose every
// pixel has alpha 255 (every composed frame: its ground is opaque and blends keep the frame's
// alpha), this gives exactly what BlendPiece gives. False as BlendPiece, or for a 3-byte piece.
bool CopyPiece(const PixelView& frame, const PixelView& piece, int x, int y);

// Copies `source` (the scaled background, exactly the frame's size) over the frame, or fills the
// frame with one colour given as blue, green, red, alpha bytes packed into `bgra`.
bool CopyBackground(const PixelView& frame, const PixelView& source);
bool FillFrame(const PixelView& frame, std::uint32_t bgra);

// Blends one colour (blue, green, red packed into `bgra` as above) over the rectangle at (x, y)
// with `alpha` (0..255), clipped to the frame; the frame's alpha is kept. False only when the
// frame has no pixels or is not 4 bytes per pixel, or the rectangle is empty.
bool BlendRect(const PixelView& frame, int x, int y, int width, int height, std::uint32_t bgra,
               int alpha);

// A rectangle of the frame: left and top inside, right and bottom just past it. Empty when it
// holds no pixel.
struct FrameRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool Empty() const { return left >= right || top >= bottom; }
    // The smallest rectangle holding both (an empty one adds nothing).
    void Add(const FrameRect& other);
    // The part inside a frame of width x height.
    FrameRect Clipped(int width, int height) const;
};

// Calls `visible` with each part of `area` that none of the `count` rectangles at `hidden`
// covers, as disjoint rectangles. `hidden` is in coordinates `shiftY` rows below those of `area`.
void ForEachVisiblePart(const FrameRect& area, const FrameRect* hidden, int count, int shiftY,
                        void (*visible)(const FrameRect& part, void* context), void* context);

// Where the view's drawing goes: blended onto `frame`, or, with `reach` set, only measured: each
// piece and rectangle that would be drawn is added to *reach, in the frame's coordinates and
// unclipped, and nothing is written. Drawing the same tiles both ways keeps the measure exact.
// Pixels inside the `hiddenCount` rectangles at `hidden` (in coordinates `frameTop` rows below
// the frame's: `frame` may be a band of a larger picture) are left alone: something opaque is
// drawn over them afterwards, so what lies under it never shows.
struct TilePainter {
    PixelView frame;
    FrameRect* reach = nullptr;
    const FrameRect* hidden = nullptr;
    int hiddenCount = 0;
    int frameTop = 0;

    // BlendPiece onto the frame; false when the piece cannot be drawn. Columns `opaqueLeft` to
    // `opaqueRight` of the piece, when given, are opaque in every row and are copied (CopyPiece).
    bool Piece(const PixelView& piece, int x, int y, int alphaOverride, int opaqueLeft = 0,
               int opaqueRight = 0) const;
    // BlendRect onto the frame.
    void Rect(int x, int y, int width, int height, std::uint32_t bgra, int alpha) const;
};
