// The flat board of board2d: composes the whole picture in memory (background, tiles with their
// thickness, soft shadows, selection and hint marks, the removal fade), sizes the tile set to the
// view, and turns a point of the view into a tile or a layout-editor cell. No windowing here: the
// shell shows the frame this view hands out and forwards clicks to it.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/board.h"
#include "core/editor_board.h"
#include "images/image.h"
#include "images/tile_set.h"

// The board's blank face is the tile set's.
static_assert(kTileSetBlankFace == kBlankFace);

struct PixelView;
struct TilePainter;

// How a tile is marked: the selected tile and the hinted pair each get a grey veil over the face
// and a frame of their own colour around it, so the two can be told apart and seen on any tile set.
enum class TileMark { None, Selected, Hint };
inline constexpr ImageColour kSelectedFrameColour{255, 110, 0, 255};  // orange
inline constexpr ImageColour kHintFrameColour{230, 30, 200, 255};     // magenta
inline constexpr ImageColour kFrameEdgeColour{0, 0, 0, 255};          // the frame's inner line
// The frame's width in pixels for a face `faceWidth` pixels wide: it grows with the tile, so it
// is as crisp and as visible at 200 % as at 100 %. The inner dark line is a third of it.
inline int MarkFrameWidth(int faceWidth) {
    return faceWidth / 12 > 2 ? faceWidth / 12 : 2;
}
inline int MarkEdgeWidth(int faceWidth) {
    return MarkFrameWidth(faceWidth) / 3 > 1 ? MarkFrameWidth(faceWidth) / 3 : 1;
}
// The keyboard focus: a blue ring with a white line on each side, drawn around the whole tile
// (face and thickness) outside it and over its neighbours, so it never hides the selection or
// hint frame inside the face. Its band is a mark frame wide, its lines a mark edge wide.
inline constexpr ImageColour kFocusBandColour{0, 80, 220, 255};     // blue
inline constexpr ImageColour kFocusLineColour{255, 255, 255, 255};  // white

// The settings the 2D view draws with. The application copies them from its configuration before
// it asks the view for anything, so the view never reads the configuration itself.
struct View2DOptions {
    bool shadows = true;                           // `Shadows`
    bool showBackground = true;                    // `Background` names a picture (not "none")
    ImageColour backgroundColour{0, 160, 0, 255};  // `BackgroundColor`
    ImageColour sidesColour{184, 120, 24, 255};    // `SidesColor`
    std::int32_t borderSize = 5;                   // `BorderSize`: tile thickness, layer shift
    std::int32_t shadowSize = 15;                  // `ShadowSize`
    std::int32_t removeTileTime = 500;             // `RemoveTileTime`, milliseconds
};

// What the view draws from. The application binds these once; the view only reads the boards,
// except for the tile records' x2d and y2d and the editor's cell tables, which PlaceTiles writes.
// Whoever calls into the view holds whatever guards the board against the autoplay worker.
struct View2DSources {
    Board* board = nullptr;
    EditorBoard* editor = nullptr;
    // The game's hint test; it may move the hint index on, so it is asked once per drawn tile.
    // Without it no hint is marked.
    std::function<bool(int tile)> isHintTile;
    // True while the layout editor is shown instead of the game.
    std::function<bool()> editing;
    // The tile with the keyboard focus, or NoTile; asked once per frame. Without it no focus
    // ring is drawn.
    std::function<int()> focusTile;
    // In the editor: the top-left cell where the next left click would put a position, or -1.
    // That tile is drawn as a see-through blank so the player sees where the click lands.
    std::function<int()> editorTarget;
};

// Where the fade's frame times come from: a steady time in microseconds, and a wait. The game
// uses the machine's clock; a test steps a clock of its own, so that how many frames a fade shows
// does not depend on how fast the machine composes them.
struct View2DFrameClock {
    std::function<std::int64_t()> nowMicroseconds;
    std::function<void(std::int64_t microseconds)> sleepMicroseconds;
};

// The machine's steady clock and a real sleep.
View2DFrameClock MachineFrameClock();

// What a click landed on.
struct HitResult2D {
    enum Kind { Nothing, Tile, EditorPoint } kind = Nothing;
    int tile = NoTile;  // for Tile
    int x = 0;          // the point in view coordinates, for EditorPoint
    int y = 0;
    int button = 0;  // 0 left, 1 right
};

class View2D {
public:
    View2D();
    ~View2D();
    View2D(const View2D&) = delete;
    View2D& operator=(const View2D&) = delete;

    // The settings the view draws with. Set them through SetOptions while another thread (the
    // autoplay worker) may be drawing; reading and writing the member directly is for a view
    // that only one thread uses.
    View2DOptions options;
    void SetOptions(const View2DOptions& newOptions);
    View2DOptions Options() const;
    View2DSources sources;
    // Called after AnimationFrame published a frame, from whichever thread composed it: the
    // window repaints at once (or, off the window thread, as soon as it can).
    std::function<void()> paintNow;
    // Wraps each composition of AnimationFrame, so that the caller can hold whatever guards the
    // board for exactly the time a frame reads it (the pacing and painting run outside it).
    std::function<void(const std::function<void()>& compose)> composeGuard;

    // -- sizes and pictures --
    // Adapts to a new view size in device pixels: new frame, rescaled background, re-cut tile
    // set, placed tiles, composed frame. Nothing happens when the size is unchanged.
    void Resize(int width, int height);
    // Loads the background picture from `path` and scales it to the view. False when the file
    // could not be read; the view then shows `BackgroundColor`.
    bool LoadBackground2D(const std::string& path);
    // The same in two steps, so that the reading and stretching, which touch nothing of the
    // view, can run on another thread while the tile set is cut: PrepareBackground2D reads
    // `path` and stretches it to `width` x `height`; TakeBackground2D makes the result the
    // view's background (stretched again if the view's size changed in between).
    struct PreparedBackground {
        std::string path;
        std::vector<std::uint8_t> file;  // empty when the file could not be read
        Image scaled;
        int width = 0;
        int height = 0;
    };
    static PreparedBackground PrepareBackground2D(const std::string& path, int width, int height);
    bool TakeBackground2D(PreparedBackground&& prepared);
    // Loads the tile-set picture from `path`, cuts it for the current view and places the tiles.
    // False when the file could not be read as a tile set (IsTileSetPicture); the view then
    // keeps the tile set it had.
    bool LoadTileSet2D(const std::string& path);
    // Re-cuts the loaded tile-set picture so that its 9 x 5 grid fits half the view width and
    // three sevenths of its height, with the current border, shadow and side settings.
    bool SizeTileSet2D(int viewWidth, int viewHeight);
    // Frees the frame, the scaled background, the background source and the tile set.
    void Release();

    // -- drawing --
    // Writes every tile's x2d and y2d (the board centred in the view) and the editor's cells.
    void PlaceTiles();
    // Composes the whole frame: background, then the tiles in drawing order. Tiles `fadeA` and
    // `fadeB` are drawn with alphas `alphaA` and `alphaB` (NoTile for no fade). False while there
    // is no frame yet.
    bool ComposeFrame(int fadeA = NoTile, int fadeB = NoTile, int alphaA = 255, int alphaB = 255);
    // Composes a frame and measures it; `fadeSteps` follows the measured time.
    bool Tick();
    // One frame of the removal fade: composes, publishes and asks for an immediate paint, then
    // measures the frame time into `fadeSteps`. Safe to call from the autoplay worker.
    void AnimationFrame(int fadeA, int fadeB, int alphaA, int alphaB);
    // Fades the pair out over about `RemoveTileTime` milliseconds; returns when done, or as soon
    // as `goOn` (when given) says to stop.
    void AnimateRemoval(int a, int b, const std::function<bool()>& goOn = {});
    // The frame to show. The window keeps the returned pointer while it paints: a frame handed
    // out is never changed or freed, whichever thread composes the next one. Empty before the
    // first composed frame.
    std::shared_ptr<const Image> PaintFrame() const;
    // Frees the composed frame and the spare buffers once no composition has run for
    // `quietMicroseconds` and the window holds none of them: the window keeps the picture it
    // shows, and the next composition paints a fresh buffer whole. While the player thinks, the
    // game then holds one picture of the board less. False when nothing was freed.
    bool FreeFrame(std::int64_t quietMicroseconds);
    // True from FreeFrame until the next composition: the window must have the frame composed
    // again before it can paint it.
    bool FrameFreed() const;

    // -- picking --
    // The point (x, y) of the view with button 0 (left) or 1 (right): in play, the topmost tile
    // whose face picture holds the point; in the editor, the point itself for the editor click.
    HitResult2D HitTest2D(int x, int y, int button) const;
    // The editor's rectangle test: true when the half-tile cell (layer, row, column) holds the
    // point (the cell's face area, shifted like the tiles' face pictures).
    bool EditorCellHolds(int layer, int row, int column, int x, int y) const;
    // The same rectangle in the form the editor's click takes.
    EditorCellShape EditorShape() const;

    // -- geometry the tests and the shell read --
    int ViewWidth() const { return viewWidth; }
    int ViewHeight() const { return viewHeight; }
    int BoardOffsetX() const { return boardOffsetX; }
    int BoardOffsetY() const { return boardOffsetY; }
    int TileWidth() const;   // W: the cell width of the cut tile set, 0 without one
    int TileHeight() const;  // H
    int Border() const;      // n: the border size the tile set was cut with
    int FadeSteps() const { return fadeSteps.load(); }
    const TileSet& Tiles() const { return tileSet; }
    TileSet& Tiles() { return tileSet; }
    const Image& ScaledBackground() const { return scaledBackground; }

    // The shortest frame the fade shows, so that a fast machine does not spend its whole fade
    // composing frames nobody sees. Tests may lower it.
    int minFrameMicroseconds = 10000;
    // When set, every frame is composed the plain way: the ground painted whole, each tile drawn
    // in full and blended, nothing skipped under opaque faces. The pictures are the same; tests
    // compare the quick way against it.
    bool composePlainly = false;
    // The clock that times the frames of Tick and AnimationFrame. Set it before the view is
    // used from more than one thread.
    View2DFrameClock frameClock = MachineFrameClock();

private:
    struct FramePool;
    struct FrameBuffer;
    // One tile as this frame shows it.
    struct TileDraw {
        int face;
        int x;
        int y;
        const ShadowFlags* flags;
        bool shadows;
        TileMark mark;
        int alpha;
    };

    // Draws one tile (its shadows, face and mark) through `painter`, or measures where it would.
    // False when its face could not be drawn (nor its mark).
    bool DrawTile(const TilePainter& painter, int face, int x, int y, const ShadowFlags* flags,
                  bool shadows, TileMark mark, int alpha) const;
    // The keyboard focus's ring around the tile picture whose top-left corner is (x, y).
    void DrawFocusRing(const TilePainter& painter, int x, int y) const;
    // Finds the opaque part of each face picture just cut (see faceCores).
    void FindFaceCores();
    // Scales the background to the view from its kept file.
    void RescaleBackground();
    // Stretches a decoded background to width x height; false leaves `scaled` empty.
    static bool StretchBackground(const Image& decoded, int width, int height, Image& scaled);
    // Decodes the kept file of the tile-set picture into the tile set's source, when it has none.
    bool DecodeTileSetSource();
    std::unique_ptr<FrameBuffer> TakeFrameBuffer();
    void Publish(std::unique_ptr<FrameBuffer> composed);
    void MeasureFrame(std::int64_t microseconds);

    // Members of the view, in the order the board2d design lists them.
    std::shared_ptr<FrameBuffer> frame;  // the last composed picture, as handed to the window
    Image scaledBackground;              // the background rescaled to the view
    std::uint64_t backgroundSerial = 0;  // counts the changes of scaledBackground
    // The background and tile-set pictures are kept as their files' bytes, a fraction of the
    // decoded pictures' size, and decoded again only when the view's size or the tile settings
    // change. The name's ending chooses the reader, as it did when the file was loaded.
    std::vector<std::uint8_t> backgroundFile;
    std::string backgroundName;
    std::vector<std::uint8_t> tileSetFile;
    std::string tileSetName;
    const std::uint8_t* decodedTileSet = nullptr;  // the source's pixels when decoded here
    int viewWidth = 0;
    int viewHeight = 0;
    int boardOffsetX = 0;
    int boardOffsetY = 0;

    TileSet tileSet;
    // Of each face picture as last cut: the rectangle right of the side strip, as high as the
    // picture, when every pixel there is opaque (a face with its own alpha then hides whatever
    // lies under that rectangle), else nothing. Kept with the pixels' address, so that faces
    // cut anew elsewhere count as having none until they are looked at again.
    struct FaceCore {
        const std::uint8_t* pixels = nullptr;
        int left = 0;
        int right = 0;
        int bottom = 0;
    };
    std::array<FaceCore, kTileSetFaceCount> faceCores{};
    std::atomic<int> fadeSteps{0};

    std::shared_ptr<FramePool> pool;  // spare frame buffers no window holds any more
    int composedInPlace = 0;          // compositions in a row that needed no spare buffer
    std::chrono::steady_clock::time_point lastComposed;  // when the last composition ended
    bool frameFreed = false;        // FreeFrame let the frame go; nothing composed since
    mutable std::mutex frameMutex;  // guards `frame` (the pointer, never the pixels)
    // Guards everything else of the view: one composition, resize or load at a time, whether
    // the window thread or the autoplay worker asks.
    mutable std::recursive_mutex viewMutex;
};
