// The OpenGL renderer on an offscreen framebuffer: its objects, the state it leaves, and the seeded
// full board drawn through it next to the software edition's frame of the same plan (the same
// picture away from the tiles' edges, the relief only on faces, blank faces while paused, shadows
// only where the plan casts them, and the tile a click picks under the face drawn there).

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/golden_picture.h"
#include "tests/view3d/gl/gl_offscreen.h"
#include "tests/view3d/view3d_test_support.h"
#include "view3d/d3d8/software_renderer.h"
#include "view3d/gl/gl_renderer.h"
#include "view3d/picking.h"
#include "view3d/scene.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 400;

// A share of pixels: away from the edges, where the two rasterisers may round a pixel to either
// side, the frames agree all but everywhere (a wrong colour of the small highlight alone, some
// 600 pixels, would break this).
constexpr double kSameShare = 0.999;
// Levels per channel two pixels may differ by and still count as the same.
constexpr int kSameLevels = 8;

// Pixels the test looks at or leaves out, one byte per view pixel.
using PixelMask = std::vector<std::uint8_t>;

std::uint8_t* PixelOf(Image& image, int x, int y) {
    return image.Row(y) + 4 * x;
}
const std::uint8_t* PixelOf(const Image& image, int x, int y) {
    return image.Row(y) + 4 * x;
}

int ChannelDifference(const Image& a, const Image& b, int x, int y) {
    const std::uint8_t* p = PixelOf(a, x, y);
    const std::uint8_t* q = PixelOf(b, x, y);
    int most = 0;
    for (int c = 0; c < 3; ++c) {
        most = std::max(most, std::abs(static_cast<int>(p[c]) - static_cast<int>(q[c])));
    }
    return most;
}

// Marks every pixel within `radius` of the segment a..b.
void MarkSegment(PixelMask& mask, Vector2 a, Vector2 b, float radius) {
    const float length = std::hypot(b.x - a.x, b.y - a.y);
    const int steps = std::max(1, static_cast<int>(length * 2.0f));
    const int r = static_cast<int>(std::ceil(radius));
    for (int i = 0; i <= steps; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(steps);
        const float x = a.x + (b.x - a.x) * t;
        const float y = a.y + (b.y - a.y) * t;
        for (int dy = -r; dy <= r; ++dy) {
            for (int dx = -r; dx <= r; ++dx) {
                const int px = static_cast<int>(std::floor(x)) + dx;
                const int py = static_cast<int>(std::floor(y)) + dy;
                if (px >= 0 && px < kWidth && py >= 0 && py < kHeight) {
                    mask[static_cast<std::size_t>(py * kWidth + px)] = 1;
                }
            }
        }
    }
}

// Fills the convex polygon of projected corners (any winding).
void FillPolygon(PixelMask& mask, const std::vector<Vector2>& corners) {
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float px = static_cast<float>(x) + 0.5f;
            const float py = static_cast<float>(y) + 0.5f;
            bool positive = false;
            bool negative = false;
            for (std::size_t k = 0; k < corners.size(); ++k) {
                const Vector2& a = corners[k];
                const Vector2& b = corners[(k + 1) % corners.size()];
                const float side = (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
                positive = positive || side > 0.0f;
                negative = negative || side < 0.0f;
            }
            if (!(positive && negative)) {
                mask[static_cast<std::size_t>(y * kWidth + x)] = 1;
            }
        }
    }
}

// What each pixel shows: entry * 8 + piece + 1 (pieces 0..5 the box's sides, face first, 7 a
// shadow), 0 for the background; drawn in the test's own flat colours with the plan's matrices.
using PieceFrame = std::vector<std::uint32_t>;
constexpr int kShadowPieceId = 7;

std::uint32_t PieceId(int entry, int piece) {
    return static_cast<std::uint32_t>(entry * 8 + piece + 1);
}

PieceFrame DrawPieces(const FramePlan& plan, const GlOffscreen& context) {
    TileVertices vertices{};
    BuildGeometry(vertices, kOpaqueWhite, LevelColours{});
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_DITHER);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_FRONT);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(GlProjectionMatrix(plan.projection).m);
    glMatrixMode(GL_MODELVIEW);
    auto emit = [&](int first, int count, std::uint32_t id) {
        glColor3ub(static_cast<GLubyte>(id), static_cast<GLubyte>(id >> 8),
                   static_cast<GLubyte>(id >> 16));
        glBegin(GL_TRIANGLES);
        for (int k = first; k < first + count; ++k) {
            const TileVertex& v = vertices[static_cast<std::size_t>(k)];
            glVertex3f(v.x, v.y, v.z);
        }
        glEnd();
    };
    for (int entry = 0; entry < plan.tileCount; ++entry) {
        const PlannedTile& tile = plan.tiles[static_cast<std::size_t>(entry)];
        glLoadMatrixf(plan.view.m);
        glMultMatrixf(tile.world.m);
        glPolygonOffset(0, 0);
        for (int side = 0; side < 6; ++side) {
            emit(6 * side, 6, PieceId(entry, side));
        }
        glPolygonOffset(-1, -1);
        for (int row = 0; row < kShadowRows; ++row) {
            if ((tile.shadowRows & (1u << row)) != 0) {
                const PieceRange piece = ShadowRowPiece(row);
                emit(piece.first, piece.count, PieceId(entry, kShadowPieceId));
            }
        }
    }
    glPopAttrib();
    const Image frame = context.ReadFrame();
    PieceFrame pieces(static_cast<std::size_t>(kWidth * kHeight));
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t* p = PixelOf(frame, x, y);
            pieces[static_cast<std::size_t>(y * kWidth + x)] =
                static_cast<std::uint32_t>(p[2]) | static_cast<std::uint32_t>(p[1]) << 8 |
                static_cast<std::uint32_t>(p[0]) << 16;
        }
    }
    return pieces;
}

// The pixels next to a border between two pieces (or a piece and the background): two
// rasterisers may round them to either side.
PixelMask EdgeMask(const PieceFrame& pieces) {
    PixelMask mask(static_cast<std::size_t>(kWidth * kHeight), 0);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t here = pieces[static_cast<std::size_t>(y * kWidth + x)];
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = std::clamp(x + dx, 0, kWidth - 1);
                    const int ny = std::clamp(y + dy, 0, kHeight - 1);
                    if (pieces[static_cast<std::size_t>(ny * kWidth + nx)] != here) {
                        mask[static_cast<std::size_t>(y * kWidth + x)] = 1;
                    }
                }
            }
        }
    }
    return mask;
}

// The faces of the drawn tiles as they lie on the screen, grown by two pixels.
PixelMask FaceMask(const FramePlan& plan) {
    PixelMask mask(static_cast<std::size_t>(kWidth * kHeight), 0);
    for (int entry = 0; entry < plan.tileCount; ++entry) {
        const PlannedTile& tile = plan.tiles[static_cast<std::size_t>(entry)];
        const std::vector<Vector2> corners = {
            ProjectToPixel(plan, tile, {0, 0, 10}), ProjectToPixel(plan, tile, {15, 0, 10}),
            ProjectToPixel(plan, tile, {15, 20, 10}), ProjectToPixel(plan, tile, {0, 20, 10})};
        FillPolygon(mask, corners);
        for (std::size_t k = 0; k < corners.size(); ++k) {
            MarkSegment(mask, corners[k], corners[(k + 1) % corners.size()], 2.0f);
        }
    }
    return mask;
}

// The shadow triangles the plan casts, grown by two pixels.
PixelMask ShadowMask(const FramePlan& plan) {
    PixelMask mask(static_cast<std::size_t>(kWidth * kHeight), 0);
    TileVertices vertices{};
    BuildGeometry(vertices, kOpaqueWhite, LevelColours{});
    for (int entry = 0; entry < plan.tileCount; ++entry) {
        const PlannedTile& tile = plan.tiles[static_cast<std::size_t>(entry)];
        for (int row = 0; row < kShadowRows; ++row) {
            if ((tile.shadowRows & (1u << row)) == 0) {
                continue;
            }
            const PieceRange piece = ShadowRowPiece(row);
            for (int k = piece.first; k < piece.End(); k += 3) {
                std::vector<Vector2> corners;
                for (int e = 0; e < 3; ++e) {
                    const TileVertex& v = vertices[static_cast<std::size_t>(k + e)];
                    corners.push_back(ProjectToPixel(plan, tile, {v.x, v.y, v.z}));
                }
                FillPolygon(mask, corners);
                for (int e = 0; e < 3; ++e) {
                    MarkSegment(mask, corners[static_cast<std::size_t>(e)],
                                corners[static_cast<std::size_t>((e + 1) % 3)], 2.0f);
                }
            }
        }
    }
    return mask;
}

// Pixels that differ by more than kSameLevels, counted where `inside` is 1 (or everywhere) and
// `excluded` is 0 (or nowhere).
struct Comparison {
    int compared = 0;
    int same = 0;
    int differentInside = 0;
    int differentOutside = 0;
    double SameShare() const { return compared > 0 ? static_cast<double>(same) / compared : 0; }
};

Comparison Compare(const Image& a, const Image& b, const PixelMask* excluded,
                   const PixelMask* region) {
    Comparison result;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * kWidth + x);
            if (excluded != nullptr && (*excluded)[i] != 0) {
                continue;
            }
            ++result.compared;
            if (ChannelDifference(a, b, x, y) <= kSameLevels) {
                ++result.same;
            } else if (region != nullptr && (*region)[i] != 0) {
                ++result.differentInside;
            } else {
                ++result.differentOutside;
            }
        }
    }
    return result;
}

// Writes a picture of the differences next to the test (black where the frames agree, the
// difference enhanced elsewhere, the left-out pixels dark blue) for a look at a failure.
void WriteDifference(const Image& a, const Image& b, const PixelMask& excluded,
                     const std::string& name) {
    Image picture;
    if (!picture.Create(kWidth, kHeight, 4)) {
        return;
    }
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* out = PixelOf(picture, x, y);
            const int d = ChannelDifference(a, b, x, y);
            const bool left = excluded[static_cast<std::size_t>(y * kWidth + x)] != 0;
            out[0] = left ? 60 : static_cast<std::uint8_t>(std::min(255, d * 4));
            out[1] = left ? 0 : static_cast<std::uint8_t>(d > kSameLevels ? 255 : 0);
            out[2] = left ? 0 : static_cast<std::uint8_t>(std::min(255, d * 4));
            out[3] = 255;
        }
    }
    const std::string folder = TEST_OUTPUT_DIR;
    WriteBmp24(picture, folder + "/" + name + "_difference.bmp");
    WriteBmp24(a, folder + "/" + name + "_gl.bmp");
    WriteBmp24(b, folder + "/" + name + "_software.bmp");
}

void LoadTileSet(TileSet& tileSet) {
    tileSet.borderOn = false;
    tileSet.shadowsOn = false;
    ASSERT_TRUE(tileSet.LoadTileSet(std::string(GAME_DATA_DIR) + "/TILESETS/Standard.jpg", 64));
    ASSERT_TRUE(tileSet.source.HasPixels());
}

Image Gradient(int width, int height, int bytes) {
    Image picture;
    picture.Create(width, height, static_cast<std::uint32_t>(bytes));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.Row(y) + bytes * x;
            p[0] = static_cast<std::uint8_t>(x * 255 / width);
            p[1] = static_cast<std::uint8_t>(y * 255 / height);
            p[2] = 90;
            if (bytes == 4) {
                p[3] = 255;
            }
        }
    }
    return picture;
}

struct PlanChoice {
    float yaw = 0.0f;
    float pitch = 0.0f;
    bool shadows = true;
    bool paused = false;
    bool background = true;
};

// The seeded full board as the game plans a frame of it.
FramePlan BoardPlan(Board& board, const PlanChoice& choice) {
    Scene3D scene;
    scene.SetViewSize(kWidth, kHeight);
    scene.PlaceTiles(board.tiles);
    scene.RotateBoard(choice.yaw, choice.pitch, 0.0f);
    FrameOptions options;
    options.background = choice.background;
    options.shadows = choice.shadows;
    board.ChronoPaused = choice.paused ? 1 : 0;
    options.hintTiles = {board.dealOrder[0], board.dealOrder[1]};
    options.focusTile = board.dealOrder[1];  // a hinted tile with the focus ring too
    if (choice.paused) {
        options.hintTiles = {NoTile, NoTile};
    }
    FramePlan plan = BuildFramePlan(board, scene, options);
    board.ChronoPaused = 0;
    return plan;
}

// One offscreen context with the GL renderer, and the software renderer beside it, both loaded
// with the shipped tile set and the same background.
class GlRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!context.Create(kWidth, kHeight)) {
            GTEST_SKIP() << "no OpenGL here: " << context.Failure();
        }
        LoadTileSet(tileSet);
        background = Gradient(300, 200, 3);
        ASSERT_TRUE(renderer.Create());
        renderer.Resize(kWidth, kHeight);
        ASSERT_TRUE(renderer.LoadTileSetTextures(tileSet));
        ASSERT_TRUE(renderer.LoadBackgroundTexture(background));
        ASSERT_TRUE(software.Create(kWidth, kHeight, 2));
        ASSERT_TRUE(software.LoadTileSetTextures(tileSet));
        ASSERT_TRUE(software.LoadBackgroundTexture(background));
        board = FullBoard();
        ASSERT_EQ(board->tilesLeft, kTiles);
    }
    void TearDown() override {
        if (renderer.IsReady()) {
            renderer.Release();
        }
    }

    Image DrawGl(const FramePlan& plan) {
        EXPECT_TRUE(renderer.Render(plan));
        Image frame = context.ReadFrame();
        frame.SetAlpha(255, false);
        return frame;
    }
    Image DrawSoftware(const FramePlan& plan) {
        EXPECT_TRUE(software.Render(plan));
        return software.Target();
    }

    GlOffscreen context;
    GlRenderer renderer;
    SoftwareRenderer software;
    TileSet tileSet;
    Image background;
    std::unique_ptr<Board> board;
};

}  // namespace

TEST(GlAcceleration, SoftwareRasterisersAreClassZero) {
    const struct {
        const char* name;
        int expected;
    } cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", kSoftwareAcceleration},
        {"softpipe", kSoftwareAcceleration},
        {"Mesa X11 swrast", kSoftwareAcceleration},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", kDeviceAcceleration},
        {"AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6, DRM 3.49)", kDeviceAcceleration},
        {"", kDeviceAcceleration},
        {nullptr, kSoftwareAcceleration},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AccelerationClassOf(c.name), c.expected) << (c.name ? c.name : "(none)");
    }
}

// The lists in a row, 127 texture names holding the faces, their height images and the inverted
// height images, and a background sized from the context's largest texture; Release frees them.
TEST_F(GlRendererTest, ListsTexturesAndBackgroundSize) {
    const GLuint base = renderer.ListBase();
    for (int list = 0; list < kGlListCount; ++list) {
        EXPECT_TRUE(glIsList(base + static_cast<GLuint>(list))) << list;
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    EXPECT_EQ(renderer.MaxTextureSize(), maxSize);

    const struct {
        int index;
        int face;
        int kind;  // 0 face, 1 height, 2 inverted height
    } cases[] = {{0, 0, 0},   {41, 41, 0}, {42, 42, 0}, {43, 0, 1},
                 {60, 17, 1}, {84, 41, 1}, {85, 0, 2},  {126, 41, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        Image expected;
        if (c.kind == 0) {
            expected = tileSet.faces[static_cast<std::size_t>(c.face)];
        } else {
            ASSERT_TRUE(MakeHeightImage(tileSet.faces[static_cast<std::size_t>(c.face)],
                                        c.kind == 2, expected));
        }
        glBindTexture(GL_TEXTURE_2D, renderer.TextureName(c.index));
        GLint width = 0;
        GLint height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        ASSERT_EQ(width, 64);
        ASSERT_EQ(height, 64);
        std::vector<std::uint8_t> texels(64 * 64 * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
        int wrong = 0;
        for (int y = 0; y < 64; ++y) {
            for (int b = 0; b < 64 * 3; ++b) {
                const int x = b / 3;
                wrong += texels[static_cast<std::size_t>((y * 64 + x) * 4 + b % 3)] !=
                         expected.Row(y)[x * 4 + b % 3];
            }
        }
        EXPECT_EQ(wrong, 0);
    }

    // 300 x 200 under a largest size of at least 256: halved down to 256 x 128.
    glBindTexture(GL_TEXTURE_2D, renderer.BackgroundTextureName());
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 128);
    // A picture without pixels keeps the background there is.
    const GLuint kept = renderer.BackgroundTextureName();
    EXPECT_FALSE(renderer.LoadBackgroundTexture(Image()));
    EXPECT_EQ(renderer.BackgroundTextureName(), kept);

    renderer.Release();
    EXPECT_FALSE(renderer.IsReady());
    EXPECT_FALSE(glIsList(base));
    EXPECT_FALSE(glIsTexture(kept));
    EXPECT_FALSE(renderer.Render(FramePlan{})) << "nothing is drawn once released";
}

// A toolkit sharing the context finds its states and matrices as it left them.
TEST_F(GlRendererTest, RenderLeavesTheContextsStateAsItFoundIt) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 10, 0, 10, -1, 1);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(2, 2, 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glEnable(GL_SCISSOR_TEST);
    glScissor(1, 2, 3, 4);
    glViewport(5, 6, 70, 80);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
    glFrontFace(GL_CCW);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    GLfloat before[3][16];
    glGetFloatv(GL_PROJECTION_MATRIX, before[0]);
    glGetFloatv(GL_MODELVIEW_MATRIX, before[1]);
    glGetFloatv(GL_TEXTURE_MATRIX, before[2]);

    renderer.SetBumpMapping(true);
    ASSERT_TRUE(renderer.Render(BoardPlan(*board, {})));

    GLfloat after[3][16];
    glGetFloatv(GL_PROJECTION_MATRIX, after[0]);
    glGetFloatv(GL_MODELVIEW_MATRIX, after[1]);
    glGetFloatv(GL_TEXTURE_MATRIX, after[2]);
    for (int m = 0; m < 3; ++m) {
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(before[m][i], after[m][i]) << "matrix " << m << " element " << i;
        }
    }
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    GLint value[4] = {};
    glGetIntegerv(GL_BLEND_SRC, value);
    EXPECT_EQ(value[0], GL_ONE);
    glGetIntegerv(GL_VIEWPORT, value);
    EXPECT_EQ(value[0], 5);
    EXPECT_EQ(value[3], 80);
    glGetIntegerv(GL_FRONT_FACE, value);
    EXPECT_EQ(value[0], GL_CCW);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, value);
    EXPECT_EQ(value[0], 0);
    GLfloat colour[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, colour);
    EXPECT_FLOAT_EQ(colour[2], 0.75f);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_NEAR(colour[3], 0.4f, 1e-3f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The seeded deal, straight and turned, with and without shadows and background: the OpenGL
// frame is the software edition's frame away from the edges of what is drawn.
TEST_F(GlRendererTest, FullBoardMatchesTheSoftwareFrame) {
    const struct {
        const char* name;
        PlanChoice choice;
    } cases[] = {
        {"straight", {}},
        {"turned", {0.35f, 0.45f, true, false, true}},
        {"no_shadows", {0.0f, 0.2f, false, false, true}},
        {"no_background", {-0.3f, 0.1f, true, false, false}},
        {"paused", {0.6f, kPi * 0.1388889f, true, true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FramePlan plan = BoardPlan(*board, c.choice);
        const Image gl = DrawGl(plan);
        const Image soft = DrawSoftware(plan);
        const PixelMask edges = EdgeMask(DrawPieces(plan, context));
        const Comparison result = Compare(gl, soft, &edges, nullptr);
        EXPECT_GT(result.compared, kWidth * kHeight * 8 / 10) << "edges left most pixels out";
        EXPECT_GT(result.SameShare(), kSameShare)
            << result.compared - result.same << " of " << result.compared << " pixels differ";
        if (result.SameShare() <= kSameShare || std::getenv("VARNEL_WRITE_FRAMES") != nullptr) {
            WriteDifference(gl, soft, edges, c.name);
        }
    }
}

// The relief changes face pixels only, and many of them; paused faces have none and show the
// blank face in the layer's colour.
TEST_F(GlRendererTest, ReliefChangesOnlyFacesAndPausedFacesAreBlank) {
    for (const float pitch : {0.0f, 0.4f}) {
        SCOPED_TRACE(pitch);
        const FramePlan plan = BoardPlan(*board, {0.2f, pitch, true, false, true});
        renderer.SetBumpMapping(false);
        const Image flat = DrawGl(plan);
        renderer.SetBumpMapping(true);
        const Image relief = DrawGl(plan);
        const PixelMask faces = FaceMask(plan);
        const Comparison result = Compare(relief, flat, nullptr, &faces);
        EXPECT_EQ(result.differentOutside, 0);
        EXPECT_GT(result.differentInside, kWidth * kHeight / 20) << "the relief hardly shows";
    }

    const FramePlan paused = BoardPlan(*board, {0.2f, 0.4f, true, true, true});
    renderer.SetBumpMapping(false);
    const Image flat = DrawGl(paused);
    renderer.SetBumpMapping(true);
    const Image relief = DrawGl(paused);
    EXPECT_EQ(Compare(relief, flat, nullptr, nullptr).same, kWidth * kHeight);
    // The middle of every face nothing covers shows the blank face (texture 42) in its colour.
    const Image& blank = tileSet.faces[kTileSetBlankFace];
    for (int entry = 0; entry < paused.tileCount; ++entry) {
        const PlannedTile& tile = paused.tiles[static_cast<std::size_t>(entry)];
        EXPECT_EQ(tile.faceTexture, kTileSetBlankFace);
        if (board->tiles[tile.tile].state != 1) {
            continue;  // a tile with others on it may be hidden
        }
        const Vector2 centre = ProjectToPixel(paused, tile, {7.5f, 10.0f, 10.0f});
        const std::uint8_t* texel = blank.Row(32) + 4 * 32;
        const std::uint32_t level = paused.levelColours[tile.layer];
        const std::uint8_t* drawn =
            PixelOf(relief, static_cast<int>(centre.x), static_cast<int>(centre.y));
        EXPECT_NEAR(drawn[2], texel[2] * ((level >> 16) & 0xFF) / 255, 12) << entry;
    }
}

// Shadows darken only where the plan casts them, and only with the Shadows setting.
TEST_F(GlRendererTest, ShadowsOnlyWithShadowsAndWhereTheyFall) {
    const FramePlan lit = BoardPlan(*board, {0.1f, 0.3f, true, false, true});
    const FramePlan unlit = BoardPlan(*board, {0.1f, 0.3f, false, false, true});
    int shadowed = 0;
    for (int entry = 0; entry < unlit.tileCount; ++entry) {
        EXPECT_EQ(unlit.tiles[static_cast<std::size_t>(entry)].shadowRows, 0);
        shadowed += lit.tiles[static_cast<std::size_t>(entry)].shadowRows != 0;
    }
    ASSERT_GT(shadowed, 10);
    const Image withShadows = DrawGl(lit);
    const Image without = DrawGl(unlit);
    const PixelMask shadows = ShadowMask(lit);
    const Comparison result = Compare(withShadows, without, nullptr, &shadows);
    EXPECT_EQ(result.differentOutside, 0);
    EXPECT_GT(result.differentInside, 500);
}

// For a grid of points over the board, the tile a click there picks (the same code in both
// editions) is the tile whose face both renderers drew there.
TEST_F(GlRendererTest, PickingAgreesWithTheFacesBothEditionsDrew) {
    // Faces in flat colours, so that a pixel tells which face was drawn there.
    TileSet flat;
    for (int face = 0; face < kTileSetFaceCount; ++face) {
        Image& image = flat.faces[static_cast<std::size_t>(face)];
        ASSERT_TRUE(image.Create(16, 16, 4));
        ASSERT_TRUE(image.Fill({static_cast<std::uint8_t>(face * 6),
                                static_cast<std::uint8_t>(255 - face * 6),
                                static_cast<std::uint8_t>(face * 5 % 256), 255}));
    }
    ASSERT_TRUE(renderer.LoadTileSetTextures(flat));
    ASSERT_TRUE(software.LoadTileSetTextures(flat));
    for (const float yaw : {0.0f, 0.5f}) {
        SCOPED_TRACE(yaw);
        PlanChoice choice{yaw, 0.3f, false, false, true};
        FramePlan plan = BoardPlan(*board, choice);
        for (int entry = 0; entry < plan.tileCount; ++entry) {
            plan.tiles[static_cast<std::size_t>(entry)].highlight = false;
            plan.tiles[static_cast<std::size_t>(entry)].marks = 0;
        }
        const Image gl = DrawGl(plan);
        const Image soft = DrawSoftware(plan);
        const PieceFrame pieces = DrawPieces(plan, context);
        const PixelMask edges = EdgeMask(pieces);
        int picked = 0;
        int shownThere = 0;
        for (int y = 2; y < kHeight; y += 4) {
            for (int x = 2; x < kWidth; x += 4) {
                if (edges[static_cast<std::size_t>(y * kWidth + x)] != 0) {
                    continue;
                }
                const PickCandidates found = FindPickCandidates(*board, plan, x, y);
                if (found.count == 0) {
                    continue;
                }
                ++picked;
                // Both editions show the same thing where the click lands.
                EXPECT_LE(ChannelDifference(gl, soft, x, y), kSameLevels) << x << "," << y;
                const int tile = found.tiles[0];
                const int entry = plan.entryOfTile[static_cast<std::size_t>(tile)];
                if (pieces[static_cast<std::size_t>(y * kWidth + x)] != PieceId(entry, 0)) {
                    // Picking tries free faces without regard to depth: in a turned view a
                    // higher tile's face may stand in front of part of a free one.
                    continue;
                }
                ++shownThere;
                const int face = board->tiles[static_cast<std::size_t>(tile)].face;
                const std::uint32_t level =
                    plan.levelColours[board->tiles[static_cast<std::size_t>(tile)].layer];
                const int red = face * 6 * static_cast<int>((level >> 16) & 0xFF) / 255;
                const int green = (255 - face * 6) * static_cast<int>((level >> 8) & 0xFF) / 255;
                for (const Image* frame : {&gl, &soft}) {
                    const std::uint8_t* p = PixelOf(*frame, x, y);
                    EXPECT_NEAR(p[2], red, 3) << "tile " << tile << " at " << x << "," << y;
                    EXPECT_NEAR(p[1], green, 3) << "tile " << tile << " at " << x << "," << y;
                }
            }
        }
        EXPECT_GE(shownThere, picked * 85 / 100) << "clicks picked tiles hidden there";
        EXPECT_GT(picked, 100);
    }
}
