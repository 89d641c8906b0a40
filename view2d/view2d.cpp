// The flat board of board2d: sizing, placing, composing, fading and picking.
//
// Frames and threads: the window thread composes after every change, and the autoplay worker
// composes the frames of its removal fade. The window takes a counted reference to the
// published frame while it paints, so a frame is never drawn into or freed while it is shown.
// A composition paints over the published frame itself when the window holds no reference to
// it (always on the window thread, which paints between compositions), keeping the frame lock
// so that no painting can start meanwhile: one frame of memory, and one fewer picture of the
// view's size through the processor's cache. While the window does hold it (a fade composed on
// the worker), the composition goes into a buffer nobody else sees and only the finished frame
// is published; when the window lets go of an old frame, its buffer goes back to a small pool
// for the next composition, and the pool is emptied once compositions no longer need it.
//
// A buffer remembers what it holds: the ground (background picture or colour) everywhere except
// where its last composition drew. The next composition into it paints the ground again only
// there and where its own tiles go, and nowhere under an opaque face, since the face covers it.
// Every composed pixel is the same as if the frame had been painted whole.
#include "view2d/view2d.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

#include "files/file_io.h"
#include "view2d/view2d_local.h"

namespace {

// A tile is drawn and can be clicked only where the board holds it. After a layout that failed
// its check every record still gets a face from the deal, but no cell holds any tile: the board
// is empty, and the records' old places must not show a ghost of the previous layout.
bool StandsOnBoard(const Board& board, int t) {
    const TileRecord& record = board.tiles[t];
    return record.face != NoTile && record.layer < kLayers && record.row <= kLastTileRow &&
           record.column <= kLastTileColumn &&
           board.TileAt(record.layer, record.row, record.column) == t;
}

// Shadow pieces and where they fall, in drawing order (the flags of ShadowFlags).
enum ShadowPiece {
    BottomCorner = 0,
    BottomHalf = 1,
    Corner = 2,
    RightHalf = 3,
    RightCut = 4,
    RightCorner = 5
};

PixelView ViewOf(Image& image) {
    return {image.Pixels(), image.Width(), image.Height(), image.Stride(),
            static_cast<int>(image.BytesPerPixel())};
}

PixelView ViewOf(const Image& image) {
    // The blend only reads its source; the view type is shared with the frame for simplicity.
    return {const_cast<std::uint8_t*>(image.Pixels()), image.Width(), image.Height(),
            image.Stride(), static_cast<int>(image.BytesPerPixel())};
}

std::uint32_t PackColour(ImageColour c) {
    return static_cast<std::uint32_t>(c.blue) | (static_cast<std::uint32_t>(c.green) << 8) |
           (static_cast<std::uint32_t>(c.red) << 16) | (std::uint32_t{255} << 24);
}

// The editor's hint tile: clearly there, clearly not yet placed.
constexpr int kEditorHintAlpha = 110;
// A fade never blocks the game for longer than this, whatever the configuration file says.
constexpr long long kLongestFadeMilliseconds = 5000;
// Tile positions further out than this are not drawn at all.
constexpr int kFarAway = 1 << 24;
// Bytes of frame painted at a time: small enough for the processor's second-level cache.
constexpr int kBandBytes = 192 * 1024;
// Spare frame buffers kept for reuse: one being composed, one shown, one on its way.
constexpr std::size_t kSpareFrames = 2;
// Compositions in a row painted in place after which the spare buffers are freed.
constexpr int kSpareFramesIdle = 4;
// No picture the game can use comes near this; larger files are refused before they are read.
constexpr std::uint64_t kMaxPictureFileBytes = std::uint64_t{1} << 31;

}  // namespace

struct View2D::FrameBuffer {
    // What lies under the tiles: the picture (which scaling of it) or the colour, and the
    // bands the frame was painted in.
    struct Ground {
        bool picture = false;
        std::uint32_t colour = 0;
        std::uint64_t pictureSerial = 0;
        int bandRows = 0;
        friend bool operator==(const Ground&, const Ground&) = default;
    };

    Image image;
    int lent =
        0;  // references PaintFrame handed out and not yet let go; the pool's mutex guards it
    // The picture the buffer holds is `ground` everywhere but in `covered`: per band of rows,
    // the columns its last composition drew tiles, marks or the focus ring over. The next
    // composition into it paints the ground again only there and where its own tiles go.
    // A buffer whose ground is not known, or differs, is painted whole.
    bool groundKnown = false;
    Ground ground;
    std::vector<FrameRect> covered;
};

struct View2D::FramePool {
    std::mutex mutex;
    std::vector<std::unique_ptr<FrameBuffer>> spare;
};

View2DFrameClock MachineFrameClock() {
    View2DFrameClock clock;
    clock.nowMicroseconds = [] {
        return static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                             std::chrono::steady_clock::now().time_since_epoch())
                                             .count());
    };
    clock.sleepMicroseconds = [](std::int64_t microseconds) {
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
    };
    return clock;
}

View2D::View2D() : pool(std::make_shared<FramePool>()) {}

View2D::~View2D() = default;

// ---------------------------------------------------------------------------------------------
// Geometry
// ---------------------------------------------------------------------------------------------

int View2D::TileWidth() const {
    std::lock_guard lock(viewMutex);
    return tileSet.faces[0].HasPixels() ? tileSet.cellWidth : 0;
}

int View2D::TileHeight() const {
    std::lock_guard lock(viewMutex);
    return tileSet.faces[0].HasPixels() ? tileSet.cellHeight : 0;
}

int View2D::Border() const {
    std::lock_guard lock(viewMutex);
    return tileSet.borderSize;
}

// ---------------------------------------------------------------------------------------------
// Pictures
// ---------------------------------------------------------------------------------------------

bool View2D::DecodeTileSetSource() {
    if (tileSet.source.HasPixels()) {
        if (tileSet.source.Pixels() != decodedTileSet) {
            // A picture put in from outside (the tests do) is kept as it is.
            tileSetFile.clear();
        }
        return true;
    }
    if (tileSetFile.empty() ||
        !tileSet.source.LoadMemory(tileSetName, tileSetFile.data(), tileSetFile.size())) {
        return false;
    }
    decodedTileSet = tileSet.source.Pixels();
    return true;
}

bool View2D::SizeTileSet2D(int width, int height) {
    std::lock_guard lock(viewMutex);
    if (!DecodeTileSetSource()) {
        return false;
    }
    tileSet.borderSize = options.borderSize;
    tileSet.shadowSize = options.shadowSize;
    tileSet.sideColour = options.sidesColour;
    tileSet.borderOn = true;
    tileSet.shadowsOn = true;
    const bool built = tileSet.BuildFaces2D(width, height);
    FindFaceCores();
    if (!tileSetFile.empty()) {
        // The faces are cut: the picture goes until the next cut decodes its file again.
        tileSet.source.Release();
        decodedTileSet = nullptr;
    }
    return built;
}

void View2D::FindFaceCores() {
    for (int k = 0; k < kTileSetFaceCount; ++k) {
        const Image& face = tileSet.faces[k];
        FaceCore core;
        const int left = std::max(0, face.Width() - tileSet.cellWidth);
        const int right = tileSet.cellWidth;
        bool opaque =
            face.HasPixels() && face.BytesPerPixel() == 4 && left < right && right <= face.Width();
        for (int y = 0; opaque && y < face.Height(); ++y) {
            const std::uint8_t* p = face.Row(y);
            for (int x = left; x < right; ++x) {
                opaque = opaque && p[x * 4 + 3] == 255;
            }
        }
        if (opaque) {
            core = {face.Pixels(), left, right, face.Height()};
        }
        faceCores[k] = core;
    }
}

bool View2D::LoadTileSet2D(const std::string& path) {
    std::lock_guard lock(viewMutex);
    // The picture is read aside first: one that is not a tile set leaves the faces drawn now.
    std::vector<std::uint8_t> file;
    Image picture;
    if (!files::ReadWholeFile(path, kMaxPictureFileBytes, file) ||
        !picture.LoadMemory(path, file.data(), file.size()) || !IsTileSetPicture(picture)) {
        return false;
    }
    tileSet.Release();
    faceCores = {};
    tileSet.source = std::move(picture);
    tileSet.hasSource = true;
    tileSetFile = std::move(file);
    tileSetName = path;
    decodedTileSet = tileSet.source.Pixels();
    if (viewWidth > 0 && viewHeight > 0) {
        SizeTileSet2D(viewWidth, viewHeight);
    }
    PlaceTiles();
    return true;
}

bool View2D::StretchBackground(const Image& decoded, int width, int height, Image& scaled) {
    // Three bytes a pixel: the background is opaque, and the copy into the frame sets the alpha.
    scaled.Release();
    if (width <= 0 || height <= 0 || !scaled.Create(width, height, 3)) {
        return false;
    }
    const bool sameSize = decoded.Width() == width && decoded.Height() == height;
    // Resample copies without filtering when the sizes agree, and refuses pictures too small to
    // filter; a picture it refused is dropped rather than shown as garbage.
    if (!Resample(ResampleFilter::Lanczos3, decoded, scaled) && !sameSize) {
        scaled.Release();
        return false;
    }
    return true;
}

void View2D::RescaleBackground() {
    ++backgroundSerial;  // frames painted over the old picture must be painted whole again
    scaledBackground.Release();
    if (backgroundFile.empty() || viewWidth <= 0 || viewHeight <= 0) {
        return;
    }
    Image decoded;
    if (decoded.LoadMemory(backgroundName, backgroundFile.data(), backgroundFile.size())) {
        StretchBackground(decoded, viewWidth, viewHeight, scaledBackground);
    }
}

View2D::PreparedBackground View2D::PrepareBackground2D(const std::string& path, int width,
                                                       int height) {
    PreparedBackground prepared;
    prepared.path = path;
    prepared.width = width;
    prepared.height = height;
    Image picture;
    if (!files::ReadWholeFile(path, kMaxPictureFileBytes, prepared.file) ||
        !picture.LoadMemory(path, prepared.file.data(), prepared.file.size())) {
        prepared.file.clear();
        return prepared;
    }
    StretchBackground(picture, width, height, prepared.scaled);
    return prepared;
}

bool View2D::TakeBackground2D(PreparedBackground&& prepared) {
    std::lock_guard lock(viewMutex);
    backgroundFile = std::move(prepared.file);
    backgroundName = std::move(prepared.path);
    if (prepared.width != viewWidth || prepared.height != viewHeight) {
        RescaleBackground();
    } else {
        ++backgroundSerial;  // frames painted over the old picture must be painted whole again
        scaledBackground = std::move(prepared.scaled);
    }
    return !backgroundFile.empty();
}

bool View2D::LoadBackground2D(const std::string& path) {
    int width = 0;
    int height = 0;
    {
        std::lock_guard lock(viewMutex);
        width = viewWidth;
        height = viewHeight;
    }
    return TakeBackground2D(PrepareBackground2D(path, width, height));
}

void View2D::Resize(int width, int height) {
    std::lock_guard lock(viewMutex);
    width = std::clamp(width, 0, kMaxImageSide);
    height = std::clamp(height, 0, kMaxImageSide);
    if (width == viewWidth && height == viewHeight) {
        return;
    }
    viewWidth = width;
    viewHeight = height;
    {
        // Spare buffers of the old size are of no use any more.
        std::lock_guard poolLock(pool->mutex);
        pool->spare.clear();
    }
    RescaleBackground();
    SizeTileSet2D(viewWidth, viewHeight);
    PlaceTiles();
    ComposeFrame();
}

void View2D::Release() {
    std::lock_guard lock(viewMutex);
    frameFreed = false;
    {
        std::lock_guard frameLock(frameMutex);
        frame.reset();
    }
    {
        std::lock_guard poolLock(pool->mutex);
        pool->spare.clear();
    }
    scaledBackground.Release();
    ++backgroundSerial;
    backgroundFile.clear();
    backgroundFile.shrink_to_fit();
    tileSetFile.clear();
    tileSetFile.shrink_to_fit();
    tileSet.Release();
    faceCores = {};
}

// ---------------------------------------------------------------------------------------------
// Placing
// ---------------------------------------------------------------------------------------------

void View2D::PlaceTiles() {
    std::lock_guard lock(viewMutex);
    const int w = TileWidth();
    const int h = TileHeight();
    const int n = tileSet.borderSize;
    const int hw = w / 2;
    const int hh = h / 2;

    if (Board* board = sources.board) {
        int minX = 0;
        int maxX = 0;
        int minY = 0;
        int maxY = 0;
        for (int t = 0; t < kTiles; ++t) {
            TileRecord& record = board->tiles[t];
            record.x2d = record.column * hw + record.layer * n;
            record.y2d = record.row * hh - record.layer * n;
            if (t == 0) {
                minX = maxX = record.x2d;
                minY = maxY = record.y2d;
            }
            minX = std::min(minX, record.x2d);
            maxX = std::max(maxX, record.x2d);
            minY = std::min(minY, record.y2d);
            maxY = std::max(maxY, record.y2d);
        }
        boardOffsetX = (viewWidth - w - maxX + minX - n) / 2;
        boardOffsetY = (viewHeight - h - maxY + minY - n) / 2;
        for (TileRecord& record : board->tiles) {
            record.x2d += boardOffsetX - minX;
            record.y2d += boardOffsetY - minY;
        }
    }

    if (EditorBoard* editor = sources.editor) {
        const int cx0 = (viewWidth - 5 * n - kColumns * hw) / 2;
        const int cy0 = (viewHeight - 5 * n - kRows * hh) / 2;
        for (int layer = 0; layer < kLayers; ++layer) {
            for (int row = 0; row < kRows; ++row) {
                for (int column = 0; column < kColumns; ++column) {
                    const int cell = CellIndex(layer, row, column);
                    editor->cellX[cell] = cx0 + column * hw + layer * n;
                    editor->cellY[cell] = cy0 + row * hh - layer * n;
                }
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Composing
// ---------------------------------------------------------------------------------------------

bool View2D::DrawTile(const TilePainter& painter, int face, int x, int y, const ShadowFlags* flags,
                      bool shadows, TileMark mark, int alpha) const {
    const int n = tileSet.borderSize;
    const int w = tileSet.cellWidth;
    const int h = tileSet.cellHeight;
    const int hw = w / 2;
    const int hh = h / 2;
    if (shadows && flags != nullptr) {
        struct Cast {
            std::uint8_t ShadowFlags::*flag;
            int piece;
            int dx;
            int dy;
        };
        const Cast casts[] = {
            {&ShadowFlags::joinLeft, BottomCorner, 0, n + h},
            {&ShadowFlags::bottomLeft, BottomHalf, 0, n + h},
            {&ShadowFlags::bottomJoint, BottomCorner, hw, n + h},
            {&ShadowFlags::bottomRight, BottomHalf, hw, n + h},
            {&ShadowFlags::corner, Corner, w, n + h},
            {&ShadowFlags::rightLower, RightHalf, w, n + hh},
            {&ShadowFlags::rightLowerCut, RightCut, w, n + hh},
            {&ShadowFlags::rightJoint, RightCorner, w, n + hh},
            {&ShadowFlags::rightUpper, RightHalf, w, n},
            {&ShadowFlags::rightUpperCut, RightCut, w, n},
            {&ShadowFlags::joinAbove, RightCorner, w, n},
        };
        // A fading tile takes its shadow with it.
        const int shadowAlpha =
            alpha == kOwnAlpha ? kOwnAlpha : tileSet.shadowColour.alpha * alpha / 255;
        for (const Cast& cast : casts) {
            if (flags->*cast.flag != 0 && !painter.Piece(ViewOf(tileSet.shadowPieces[cast.piece]),
                                                         x + cast.dx, y + cast.dy, shadowAlpha)) {
                return false;
            }
        }
    }
    // The face's opaque core is copied rather than blended, when the face is drawn as it is.
    const Image& picture = tileSet.faces[face];
    const FaceCore& core = faceCores[face];
    const bool known = !composePlainly && core.pixels != nullptr &&
                       core.pixels == picture.Pixels() && core.right <= picture.Width() &&
                       core.bottom == picture.Height();
    if (!painter.Piece(ViewOf(picture), x, y, alpha, known ? core.left : 0,
                       known ? core.right : 0)) {
        return false;
    }
    if (mark != TileMark::None) {
        // The mark fades with its tile, so a leaving pair leaves no dark rectangle behind.
        const int markAlpha =
            alpha == kOwnAlpha ? kOwnAlpha : tileSet.shadowColour.alpha * alpha / 255;
        painter.Piece(ViewOf(tileSet.blank), x + n, y, markAlpha);
        // The coloured frame lies inside the face picture, so it never covers a neighbour; a dark
        // line along its inner edge keeps it apart from light and from coloured faces alike.
        const int frameAlpha = alpha == kOwnAlpha ? 255 : alpha;
        const std::uint32_t colour =
            PackColour(mark == TileMark::Selected ? kSelectedFrameColour : kHintFrameColour);
        const int t = std::min({MarkFrameWidth(w), w / 2, h / 2});
        const int e = std::min(MarkEdgeWidth(w), std::max(0, std::min(w, h) / 2 - t));
        const int fx = x + n;
        painter.Rect(fx, y, w, t, colour, frameAlpha);
        painter.Rect(fx, y + h - t, w, t, colour, frameAlpha);
        painter.Rect(fx, y + t, t, h - 2 * t, colour, frameAlpha);
        painter.Rect(fx + w - t, y + t, t, h - 2 * t, colour, frameAlpha);
        if (e > 0) {
            const std::uint32_t edge = PackColour(kFrameEdgeColour);
            painter.Rect(fx + t, y + t, w - 2 * t, e, edge, frameAlpha);
            painter.Rect(fx + t, y + h - t - e, w - 2 * t, e, edge, frameAlpha);
            painter.Rect(fx + t, y + t + e, e, h - 2 * t - 2 * e, edge, frameAlpha);
            painter.Rect(fx + w - t - e, y + t + e, e, h - 2 * t - 2 * e, edge, frameAlpha);
        }
    }
    return true;
}

void View2D::DrawFocusRing(const TilePainter& painter, int x, int y) const {
    const PixelView picture = ViewOf(tileSet.faces[0]);
    const int w = tileSet.cellWidth;
    const int band = MarkFrameWidth(w);
    const int line = MarkEdgeWidth(w);
    // Rings around the picture's rectangle, from the inside out: white line, blue band, white line.
    const struct {
        int inset;
        int width;
        ImageColour colour;
    } rings[] = {
        {0, line, kFocusLineColour},
        {line, band, kFocusBandColour},
        {line + band, line, kFocusLineColour},
    };
    for (const auto& r : rings) {
        const int left = x - r.inset - r.width;
        const int top = y - r.inset - r.width;
        const int width = picture.width + 2 * (r.inset + r.width);
        const int height = picture.height + 2 * (r.inset + r.width);
        const std::uint32_t colour = PackColour(r.colour);
        painter.Rect(left, top, width, r.width, colour, 255);
        painter.Rect(left, top + height - r.width, width, r.width, colour, 255);
        painter.Rect(left, top + r.width, r.width, height - 2 * r.width, colour, 255);
        painter.Rect(left + width - r.width, top + r.width, r.width, height - 2 * r.width, colour,
                     255);
    }
}

bool View2D::ComposeFrame(int fadeA, int fadeB, int alphaA, int alphaB) {
    std::lock_guard lock(viewMutex);
    if (viewWidth <= 0 || viewHeight <= 0) {
        return false;
    }
    // The published frame is painted over when nobody holds it; the frame lock then stays taken
    // until it is finished, so that no painting can start in between.
    std::unique_lock frameLock(frameMutex);
    std::unique_ptr<FrameBuffer> composed;
    FrameBuffer* canvas = nullptr;
    if (frame && frame->image.Width() == viewWidth && frame->image.Height() == viewHeight) {
        std::lock_guard poolLock(pool->mutex);
        if (frame->lent == 0) {
            canvas = frame.get();
            if (++composedInPlace >= kSpareFramesIdle) {
                pool->spare.clear();
            }
        }
    }
    if (canvas == nullptr) {
        frameLock.unlock();
        composedInPlace = 0;
        composed = TakeFrameBuffer();
        if (!composed) {
            return false;
        }
        canvas = composed.get();
    }

    // First decide what each tile shows, then paint band by band.
    std::array<TileDraw, kTiles + 1> draws;  // every tile, and the editor's hint
    int drawCount = 0;
    auto add = [&](int face, int x, int y, const ShadowFlags* flags, bool shadows, TileMark mark,
                   int alpha) {
        // Positions beyond any view (a damaged saved game) are left out before any arithmetic
        // on them could overflow.
        if (face < 0 || face > kBlankFace || std::abs(x) > kFarAway || std::abs(y) > kFarAway) {
            return;
        }
        draws[drawCount++] = {face, x, y, flags, shadows, mark, alpha};
    };
    const bool haveFaces = tileSet.faces[0].HasPixels();
    if (haveFaces && sources.editing && sources.editing()) {
        if (const EditorBoard* editor = sources.editor) {
            for (const TileRecord& record : editor->tiles) {
                if (record.face == NoTile || record.layer >= kLayers || record.row > kLastTileRow ||
                    record.column > kLastTileColumn) {
                    continue;
                }
                const int cell = CellIndex(record.layer, record.row, record.column);
                add(kBlankFace, editor->cellX[cell], editor->cellY[cell], nullptr, false,
                    TileMark::None, kOwnAlpha);
            }
            const int target = sources.editorTarget ? sources.editorTarget() : -1;
            if (target >= 0 && target < kCells) {
                add(kBlankFace, editor->cellX[target], editor->cellY[target], nullptr, false,
                    TileMark::None, kEditorHintAlpha);
            }
        }
    } else if (haveFaces && sources.board != nullptr) {
        const Board& board = *sources.board;
        const bool paused = board.ChronoPaused != 0;
        for (int t = 0; t < kTiles; ++t) {
            const TileRecord& record = board.tiles[t];
            if (!StandsOnBoard(board, t)) {
                continue;
            }
            const ShadowFlags* flags = &board.shadows[t];
            if (paused) {
                add(kBlankFace, record.x2d, record.y2d, flags, options.shadows, TileMark::None,
                    kOwnAlpha);
            } else if (sources.isHintTile && sources.isHintTile(t)) {
                add(record.face, record.x2d, record.y2d, flags, options.shadows, TileMark::Hint,
                    kOwnAlpha);
            } else {
                const bool selected = t == board.firstSelected || t == board.secondSelected;
                int alpha = kOwnAlpha;
                if (t == fadeA) {
                    alpha = std::clamp(alphaA, 0, 255);
                } else if (t == fadeB) {
                    alpha = std::clamp(alphaB, 0, 255);
                }
                add(record.face, record.x2d, record.y2d, flags, options.shadows,
                    selected ? TileMark::Selected : TileMark::None, alpha);
            }
        }
    }

    // The keyboard focus's ring goes over everything, around the whole tile picture.
    int ringX = 0;
    int ringY = 0;
    bool ring = false;
    if (haveFaces && sources.board != nullptr && sources.focusTile &&
        !(sources.editing && sources.editing()) && sources.board->ChronoPaused == 0) {
        const int t = sources.focusTile();
        if (t != NoTile && t >= 0 && t < kTiles && StandsOnBoard(*sources.board, t)) {
            ringX = sources.board->tiles[t].x2d;
            ringY = sources.board->tiles[t].y2d;
            ring = std::abs(ringX) <= kFarAway && std::abs(ringY) <= kFarAway;
        }
    }

    // The frame is painted in horizontal bands small enough to stay in the processor's cache,
    // so the background and the tiles over it are written while the band is still there.
    const PixelView target = ViewOf(canvas->image);
    const bool pictureBehind = options.showBackground && scaledBackground.HasPixels() &&
                               scaledBackground.Width() == viewWidth &&
                               scaledBackground.Height() == viewHeight;
    const PixelView background = ViewOf(scaledBackground);
    const std::uint32_t colour = PackColour(options.backgroundColour);
    const int bandRows = std::max(16, kBandBytes / std::max(1, target.stride));
    const int bandCount = (target.height + bandRows - 1) / bandRows;

    // Where everything lands, measured by drawing it without writing a pixel: each tile's
    // rectangle, and per band the columns anything covers. Only there does the background need
    // painting again, besides where the buffer's previous picture covered it.
    std::array<FrameRect, kTiles + 1> tileRects;
    // The part of each tile's face that is opaque and drawn with the face's own alpha: nothing
    // drawn earlier shows there, neither background nor tile (the blend only ever writes blue,
    // green and red, so what the face covers adds nothing to the frame's pixels).
    std::array<FrameRect, kTiles + 1> opaqueRects;
    std::vector<FrameRect> covered(static_cast<std::size_t>(bandCount));
    const auto cover = [&](const FrameRect& r) {
        for (int b = r.top / bandRows; !r.Empty() && b <= (r.bottom - 1) / bandRows; ++b) {
            covered[b].Add({r.left, std::max(r.top, b * bandRows), r.right,
                            std::min(r.bottom, (b + 1) * bandRows)});
        }
    };
    for (int i = 0; i < drawCount; ++i) {
        const TileDraw& d = draws[i];
        FrameRect reach;
        const bool faceDrawn =
            DrawTile({target, &reach}, d.face, d.x, d.y, d.flags, d.shadows, d.mark, d.alpha);
        tileRects[i] = reach.Clipped(target.width, target.height);
        cover(tileRects[i]);
        const FaceCore& core = faceCores[d.face];
        const Image& face = tileSet.faces[d.face];
        opaqueRects[i] = {};
        if (!composePlainly && faceDrawn && d.alpha == kOwnAlpha && core.pixels != nullptr &&
            core.pixels == face.Pixels() && core.right <= face.Width() &&
            core.bottom == face.Height()) {
            opaqueRects[i] =
                FrameRect{d.x + core.left, d.y, d.x + core.right, d.y + core.bottom}.Clipped(
                    target.width, target.height);
        }
    }
    FrameRect ringRect;
    if (ring) {
        DrawFocusRing({target, &ringRect}, ringX, ringY);
        ringRect = ringRect.Clipped(target.width, target.height);
        cover(ringRect);
    }
    // For each tile, the opaque faces drawn after it over its rectangle: it is drawn only around
    // them. (A tile hidden by more than ForEachVisiblePart follows is drawn whole where the rest
    // lie, which changes no pixel, only the time.)
    std::vector<FrameRect> hiddenBy;
    std::array<int, kTiles + 2> hiddenStart;
    for (int i = 0; i < drawCount; ++i) {
        hiddenStart[i] = static_cast<int>(hiddenBy.size());
        const FrameRect& r = tileRects[i];
        for (int j = i + 1; j < drawCount && !r.Empty(); ++j) {
            const FrameRect& o = opaqueRects[j];
            if (!o.Empty() && o.left < r.right && r.left < o.right && o.top < r.bottom &&
                r.top < o.bottom) {
                hiddenBy.push_back(o);
            }
        }
    }
    hiddenStart[drawCount] = static_cast<int>(hiddenBy.size());
    const FrameBuffer::Ground ground{pictureBehind, colour, backgroundSerial, bandRows};
    const bool reuse = !composePlainly && canvas->groundKnown && canvas->ground == ground &&
                       canvas->covered.size() == covered.size();

    std::vector<FrameRect> bandOpaque;
    for (int b = 0; b < bandCount; ++b) {
        const int top = b * bandRows;
        PixelView band = target;
        band.pixels += static_cast<std::size_t>(top) * target.stride;
        band.height = std::min(bandRows, target.height - top);
        FrameRect refresh{0, top, target.width, top + band.height};
        // Over a buffer that holds this ground already, the ground is painted again only where
        // tiles were or go, and not under opaque faces: the frame's alpha there is the ground's
        // already. A buffer painted whole gets the ground everywhere, alpha included.
        bandOpaque.clear();
        if (reuse) {
            refresh = covered[b];
            refresh.Add(canvas->covered[b]);
            for (int i = 0; i < drawCount; ++i) {
                const FrameRect& o = opaqueRects[i];
                if (!o.Empty() && o.top < top + band.height && o.bottom > top) {
                    bandOpaque.push_back(o);
                }
            }
        }
        struct Ground {
            const PixelView* band;
            const PixelView* background;
            bool picture;
            std::uint32_t colour;
            int top;
        } groundOf{&band, &background, pictureBehind, colour, top};
        ForEachVisiblePart(
            refresh, bandOpaque.data(), static_cast<int>(bandOpaque.size()), 0,
            [](const FrameRect& part, void* context) {
                const Ground& g = *static_cast<const Ground*>(context);
                PixelView to = *g.band;
                to.pixels += static_cast<std::size_t>(part.top - g.top) * to.stride +
                             static_cast<std::size_t>(part.left) * 4;
                to.width = part.right - part.left;
                to.height = part.bottom - part.top;
                if (g.picture) {
                    PixelView from = *g.background;
                    from.pixels += static_cast<std::size_t>(part.top) * from.stride +
                                   static_cast<std::size_t>(part.left) * from.bytesPerPixel;
                    from.width = to.width;
                    from.height = to.height;
                    CopyBackground(to, from);
                } else {
                    FillFrame(to, g.colour);
                }
            },
            &groundOf);
        for (int i = 0; i < drawCount; ++i) {
            const FrameRect& r = tileRects[i];
            if (r.Empty() || r.top >= top + band.height || r.bottom <= top) {
                continue;
            }
            const TileDraw& d = draws[i];
            const TilePainter painter{band, nullptr, hiddenBy.data() + hiddenStart[i],
                                      hiddenStart[i + 1] - hiddenStart[i], top};
            DrawTile(painter, d.face, d.x, d.y - top, d.flags, d.shadows, d.mark, d.alpha);
        }
        if (!ringRect.Empty() && ringRect.top < top + band.height && ringRect.bottom > top) {
            DrawFocusRing(TilePainter{band}, ringX, ringY - top);
        }
    }
    canvas->covered = std::move(covered);
    canvas->ground = ground;
    canvas->groundKnown = true;
    lastComposed = std::chrono::steady_clock::now();
    frameFreed = false;
    if (composed) {
        Publish(std::move(composed));
    }
    return true;
}

std::unique_ptr<View2D::FrameBuffer> View2D::TakeFrameBuffer() {
    {
        std::lock_guard poolLock(pool->mutex);
        while (!pool->spare.empty()) {
            std::unique_ptr<FrameBuffer> spare = std::move(pool->spare.back());
            pool->spare.pop_back();
            if (spare->image.Width() == viewWidth && spare->image.Height() == viewHeight) {
                return spare;
            }
        }
    }
    auto fresh = std::make_unique<FrameBuffer>();
    if (!fresh->image.Create(viewWidth, viewHeight, 4)) {
        return nullptr;
    }
    return fresh;
}

void View2D::Publish(std::unique_ptr<FrameBuffer> composed) {
    // When the last holder lets go of a frame, its buffer returns to the pool (or is freed when
    // the pool is full); the pool outlives the view as long as any frame is still held.
    std::shared_ptr<FramePool> home = pool;
    std::shared_ptr<FrameBuffer> published(composed.release(), [home](FrameBuffer* done) {
        std::unique_ptr<FrameBuffer> buffer(done);
        buffer->lent = 0;
        std::lock_guard poolLock(home->mutex);
        if (home->spare.size() < kSpareFrames) {
            home->spare.push_back(std::move(buffer));
        }
    });
    std::shared_ptr<FrameBuffer> previous;
    {
        std::lock_guard frameLock(frameMutex);
        previous = std::exchange(frame, std::move(published));
    }
    // `previous` is let go here, outside the frame lock.
}

bool View2D::FreeFrame(std::int64_t quietMicroseconds) {
    std::lock_guard lock(viewMutex);
    if (std::chrono::steady_clock::now() - lastComposed <
        std::chrono::microseconds(quietMicroseconds)) {
        return false;
    }
    std::shared_ptr<FrameBuffer> freed;
    {
        std::lock_guard frameLock(frameMutex);
        if (!frame) {
            return false;
        }
        std::lock_guard poolLock(pool->mutex);
        if (frame->lent != 0) {
            return false;
        }
        freed = std::move(frame);
    }
    // Letting the last reference go hands the buffer back to the pool; from there it goes back
    // to the system with the spare ones. No composition can take it in between: that needs the
    // view's lock, held here.
    freed.reset();
    {
        std::lock_guard poolLock(pool->mutex);
        pool->spare.clear();
    }
    frameFreed = true;
    return true;
}

bool View2D::FrameFreed() const {
    std::lock_guard lock(viewMutex);
    return frameFreed;
}

std::shared_ptr<const Image> View2D::PaintFrame() const {
    std::lock_guard frameLock(frameMutex);
    if (!frame) {
        return nullptr;
    }
    // The reference handed out is counted, so that no composition paints over the frame while
    // it is held; letting it go counts it back under the pool's lock.
    std::shared_ptr<FramePool> home = pool;
    {
        std::lock_guard poolLock(home->mutex);
        ++frame->lent;
    }
    return std::shared_ptr<const Image>(&frame->image, [home, held = frame](const Image*) {
        std::lock_guard poolLock(home->mutex);
        --held->lent;
    });
}

// ---------------------------------------------------------------------------------------------
// Ticks and the removal fade
// ---------------------------------------------------------------------------------------------

void View2D::SetOptions(const View2DOptions& newOptions) {
    std::lock_guard lock(viewMutex);
    options = newOptions;
}

View2DOptions View2D::Options() const {
    std::lock_guard lock(viewMutex);
    return options;
}

void View2D::MeasureFrame(std::int64_t microseconds) {
    // The fade shows as many frames as fit into RemoveTileTime at the measured frame time. The
    // time is measured in microseconds, so a fast machine still gets its fade, and never taken
    // below the shortest frame the fade shows.
    const long long fadeMs =
        std::min<long long>(Options().removeTileTime, kLongestFadeMilliseconds);
    if (fadeMs <= 0) {
        fadeSteps.store(0);
        return;
    }
    const long long frameUs = std::max<long long>({microseconds, minFrameMicroseconds, 1});
    fadeSteps.store(static_cast<int>(fadeMs * 1000 / frameUs));
}

bool View2D::Tick() {
    const std::int64_t start = frameClock.nowMicroseconds();
    const bool composed = ComposeFrame();
    MeasureFrame(frameClock.nowMicroseconds() - start);
    return composed;
}

void View2D::AnimationFrame(int fadeA, int fadeB, int alphaA, int alphaB) {
    const std::int64_t start = frameClock.nowMicroseconds();
    if (composeGuard) {
        composeGuard([&] { ComposeFrame(fadeA, fadeB, alphaA, alphaB); });
    } else {
        ComposeFrame(fadeA, fadeB, alphaA, alphaB);
    }
    if (paintNow) {
        paintNow();
    }
    // Pace the fade: a frame shown for less than the shortest frame time would not be seen.
    const std::int64_t shortest = std::max(0, minFrameMicroseconds);
    std::int64_t spent = frameClock.nowMicroseconds() - start;
    if (spent < shortest) {
        frameClock.sleepMicroseconds(shortest - spent);
        spent = frameClock.nowMicroseconds() - start;
    }
    MeasureFrame(spent);
}

void View2D::AnimateRemoval(int a, int b, const std::function<bool()>& goOn) {
    if (Options().removeTileTime <= 0) {
        return;
    }
    for (int i = 0;; ++i) {
        const int steps = fadeSteps.load();
        if (i >= steps || (goOn && !goOn())) {
            break;
        }
        const int alpha = static_cast<int>((1.0 - static_cast<double>(i) / steps) * 255.0);
        AnimationFrame(a, b, alpha, alpha);
    }
}

// ---------------------------------------------------------------------------------------------
// Picking
// ---------------------------------------------------------------------------------------------

HitResult2D View2D::HitTest2D(int x, int y, int button) const {
    std::lock_guard lock(viewMutex);
    HitResult2D result;
    result.button = button;
    result.x = x;
    result.y = y;
    if (sources.editing && sources.editing()) {
        result.kind = HitResult2D::EditorPoint;
        return result;
    }
    const int w = TileWidth();
    const int h = TileHeight();
    const int n = tileSet.borderSize;
    if (sources.board == nullptr || w <= 0 || h <= 0) {
        return result;
    }
    for (int t = kTiles - 1; t >= 0; --t) {
        const TileRecord& record = sources.board->tiles[t];
        if (!StandsOnBoard(*sources.board, t)) {
            continue;
        }
        if (record.x2d + n <= x && x < record.x2d + n + w && record.y2d <= y &&
            y < record.y2d + h) {
            result.kind = HitResult2D::Tile;
            result.tile = t;
            return result;
        }
    }
    return result;
}

EditorCellShape View2D::EditorShape() const {
    std::lock_guard lock(viewMutex);
    EditorCellShape shape;
    shape.offsetX = tileSet.borderSize;
    shape.width = TileWidth() / 2;
    shape.height = TileHeight() / 2;
    return shape;
}

bool View2D::EditorCellHolds(int layer, int row, int column, int x, int y) const {
    if (sources.editor == nullptr || layer < 0 || layer >= kLayers || row < 0 || row >= kRows ||
        column < 0 || column >= kColumns) {
        return false;
    }
    const EditorCellShape shape = EditorShape();
    if (shape.width <= 0 || shape.height <= 0) {
        return false;
    }
    const int cell = CellIndex(layer, row, column);
    const int cx = sources.editor->cellX[cell] + shape.offsetX;
    const int cy = sources.editor->cellY[cell];
    return cx <= x && x < cx + shape.width && cy <= y && y < cy + shape.height;
}
