// The board3d_d3d renderer: faces, level colours, highlight, mark frames, shadow rows, the
// background pass and its reuse between frames, resizing.

#include "view3d/d3d8/software_renderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;
constexpr std::uint32_t kClear = 0xFF102030;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

// Face k is one flat colour, so the colour on screen names the texture bound.
std::uint32_t FaceColour(int face) {
    return 0xFF000000u | static_cast<std::uint32_t>(face * 5) << 16 |
           static_cast<std::uint32_t>(250 - face * 5) << 8 | 100u;
}

void MakeFlatTileSet(TileSet& tileSet) {
    for (int face = 0; face < kTileSetFaceCount; ++face) {
        Image& image = tileSet.faces[static_cast<std::size_t>(face)];
        ASSERT_TRUE(image.Create(16, 16, 4));
        const std::uint32_t c = FaceColour(face);
        ASSERT_TRUE(
            image.Fill({static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                        static_cast<std::uint8_t>(c), 255}));
    }
}

std::uint32_t PixelAt(const Image& image, int x, int y) {
    std::uint32_t p = 0;
    std::memcpy(&p, image.Row(y) + 4 * x, 4);
    return p;
}

std::uint32_t Round255(std::uint32_t x) {
    return (x + 127) / 255;
}

// The arithmetic the device promises: modulate, then source-alpha blending.
std::uint32_t Modulate(std::uint32_t texel, std::uint32_t colour) {
    std::uint32_t out = colour & 0xFF000000u;
    for (const int shift : {0, 8, 16}) {
        out |= Round255(((texel >> shift) & 0xFF) * ((colour >> shift) & 0xFF)) << shift;
    }
    return out;
}

std::uint32_t Blend(std::uint32_t source, std::uint32_t target) {
    const std::uint32_t alpha = source >> 24;
    std::uint32_t out = 0xFF000000u;
    for (const int shift : {0, 8, 16}) {
        out |= Round255(((source >> shift) & 0xFF) * alpha +
                        ((target >> shift) & 0xFF) * (255 - alpha))
               << shift;
    }
    return out;
}

// A frame with the camera 225 units in front of the origin, no tiles yet.
FramePlan EmptyPlan(int width = kWidth, int height = kHeight) {
    FramePlan plan;
    plan.clearColour = kClear;
    plan.viewWidth = width;
    plan.viewHeight = height;
    plan.view = Matrix4::LookAt({0, 0, 225}, {0, 0, 0}, {0, 1, 0});
    plan.projection =
        Matrix4::Perspective(kPi * 0.25f, static_cast<float>(width) / height, 1.0f, 5000.0f);
    plan.sidesColour = kWhite;
    plan.levelColours.fill(kWhite);
    return plan;
}

PlannedTile& AddTile(FramePlan& plan, float x, float y, int layer, int face) {
    PlannedTile& tile = plan.tiles[static_cast<std::size_t>(plan.tileCount)];
    tile.world = Matrix4::Translation(x, y, layer * 10.0f);
    tile.placement = tile.world.Inverse();
    tile.tile = static_cast<std::uint8_t>(plan.tileCount);
    tile.layer = static_cast<std::uint8_t>(layer);
    tile.faceTexture = static_cast<std::uint8_t>(face);
    ++plan.tileCount;
    return tile;
}

// The pixel showing a point given in a tile's model space.
struct Pixel {
    int x, y;
};
Pixel PixelOf(const FramePlan& plan, const PlannedTile& tile, Vector3 model) {
    const Vector3 ndc = TransformPoint(model, tile.world * plan.view * plan.projection);
    return {static_cast<int>(std::floor((ndc.x + 1) * 0.5f * plan.viewWidth)),
            static_cast<int>(std::floor((1 - ndc.y) * 0.5f * plan.viewHeight))};
}

class SoftwareRendererTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(renderer.Create(kWidth, kHeight, 2));
        MakeFlatTileSet(tileSet);
        ASSERT_TRUE(renderer.LoadTileSetTextures(tileSet));
    }
    std::uint32_t At(Pixel p) const { return PixelAt(renderer.Target(), p.x, p.y); }

    SoftwareRenderer renderer;
    TileSet tileSet;
};

TEST_F(SoftwareRendererTest, RendersNothingBeforeCreateAndAfterRelease) {
    SoftwareRenderer fresh;
    EXPECT_FALSE(fresh.Render(EmptyPlan()));
    renderer.Release();
    EXPECT_FALSE(renderer.IsReady());
    EXPECT_FALSE(renderer.Render(EmptyPlan()));
    EXPECT_FALSE(renderer.LoadTileSetTextures(tileSet));
}

// The face shows the tile's face texture in its layer's colour; a highlight darkens it by half-
// transparent dark grey (modulating the same face texture), once.
TEST_F(SoftwareRendererTest, FaceShowsItsTextureLevelColourAndHighlight) {
    struct Case {
        int face;
        int layer;
        std::uint32_t levelColour;
        bool highlight;
    };
    const Case cases[] = {
        {0, 0, kWhite, false},  {7, 0, kWhite, false},     {41, 2, kWhite, false},
        {42, 1, kWhite, false}, {7, 3, 0xFFC0C0C0, false}, {7, 4, 0xFFE08040, false},
        {12, 0, kWhite, true},  {12, 4, 0xFFE0E0E0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "face " << c.face << " layer " << c.layer);
        FramePlan plan = EmptyPlan();
        plan.levelColours[static_cast<std::size_t>(c.layer)] = c.levelColour;
        PlannedTile& tile = AddTile(plan, -7.5f, -10.0f, c.layer, c.face);
        tile.highlight = c.highlight;
        ASSERT_TRUE(renderer.Render(plan));
        std::uint32_t expected = Modulate(FaceColour(c.face), c.levelColour);
        if (c.highlight) {
            // The highlight keeps the face texture bound: the face darkened by its own picture.
            expected = Blend(Modulate(FaceColour(c.face), kHighlightColour), expected);
        }
        EXPECT_EQ(At(PixelOf(plan, tile, {7.5f, 10.0f, 10.0f})), expected);
        // Outside the tile, the clear colour.
        EXPECT_EQ(PixelAt(renderer.Target(), 2, 2), kClear);
    }
}

// The selection's or the hint's frame at the face's edge with its dark inner line, and the focus
// ring further in, in the colours of the 2D board; the selection's frame wins over the hint's.
// Seen from close by, so that each band is several pixels wide.
TEST_F(SoftwareRendererTest, MarkFramesAndFocusRing) {
    const float frame = kTileWidth / 12.0f;
    const float edge = frame / 3.0f;
    const float ring = frame + edge + 0.25f + edge;  // where the focus ring's blue band starts
    const float depths[] = {frame / 2, frame + edge / 2, ring - edge / 2, ring + frame / 2, 7.5f};
    const int face = 9;
    constexpr std::uint32_t F = 0;  // the face itself
    struct Case {
        std::uint8_t marks;
        std::uint32_t expected[5];  // at each depth in from the left edge
    };
    const Case cases[] = {
        {0, {F, F, F, F, F}},
        {kMarkSelected, {kSelectedFrameVertexColour, kFrameEdgeVertexColour, F, F, F}},
        {kMarkHint, {kHintFrameVertexColour, kFrameEdgeVertexColour, F, F, F}},
        {kMarkSelected | kMarkHint, {kSelectedFrameVertexColour, kFrameEdgeVertexColour, F, F, F}},
        {kMarkFocus, {F, F, kFocusLineVertexColour, kFocusBandVertexColour, F}},
        {kMarkHint | kMarkFocus,
         {kHintFrameVertexColour, kFrameEdgeVertexColour, kFocusLineVertexColour,
          kFocusBandVertexColour, F}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "marks " << int{c.marks});
        FramePlan plan = EmptyPlan();
        plan.view = Matrix4::LookAt({7.5f, 10, 45}, {7.5f, 10, 0}, {0, 1, 0});
        PlannedTile& tile = AddTile(plan, 0, 0, 0, face);
        tile.marks = c.marks;
        ASSERT_TRUE(renderer.Render(plan));
        for (int k = 0; k < 5; ++k) {
            const std::uint32_t expected = c.expected[k] == F ? FaceColour(face) : c.expected[k];
            for (const Vector3 point : {Vector3{depths[k], 10, 10}, Vector3{7.5f, depths[k], 10},
                                        Vector3{15 - depths[k], 10, 10}}) {
                EXPECT_EQ(At(PixelOf(plan, tile, point)), expected)
                    << "at " << point.x << "," << point.y;
            }
        }
    }
}

// Each shadow row is drawn over the face of the tile below exactly where the row says, and only
// when its bit is set.
TEST_F(SoftwareRendererTest, ShadowRowsDarkenTheFaceBelow) {
    struct Case {
        std::uint16_t rows;
        bool cornerShaded;
        bool rightLowerShaded;
    };
    const Case cases[] = {
        {0, false, false},
        {1u << 4, true, false},
        {1u << 5, false, true},
        {0x1FF, true, true},
        {0x1FF & ~(1u << 4), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rows " << c.rows);
        FramePlan plan = EmptyPlan();
        AddTile(plan, 12.5f, -20.0f, 0, 3);  // below, to the right and lower
        PlannedTile& upper = AddTile(plan, 5.0f, -10.0f, 1, 9);
        upper.shadowRows = c.rows;
        ASSERT_TRUE(renderer.Render(plan));
        const std::uint32_t face = FaceColour(3);
        const std::uint32_t shaded = Blend(kShadowColour, face);
        // The corner row covers x 15..20, y -5..0 of the upper tile, in its plane z = 0.
        EXPECT_EQ(At(PixelOf(plan, upper, {18.5f, -3.5f, 0.0f})), c.cornerShaded ? shaded : face);
        // The lower right row covers x 15..20, y 0..5 and beyond the diagonal toward (15, 10).
        EXPECT_EQ(At(PixelOf(plan, upper, {18.5f, 1.5f, 0.0f})),
                  c.rightLowerShaded ? shaded : face);
    }
}

// The background quad shows the background texture over the whole view, or opaque white when
// there is none; later frames show the same pixels, a new background or size takes effect.
TEST_F(SoftwareRendererTest, BackgroundPassAndItsReuse) {
    FramePlan plan = EmptyPlan();
    AddTile(plan, -7.5f, -10.0f, 0, 5);
    plan.background = true;
    ASSERT_TRUE(renderer.Render(plan));
    EXPECT_EQ(PixelAt(renderer.Target(), 0, 0), kWhite) << "no texture: an untextured white quad";

    Image picture;
    ASSERT_TRUE(picture.Create(64, 32, 3));
    ASSERT_TRUE(picture.Fill({200, 100, 50, 255}));
    ASSERT_TRUE(renderer.LoadBackgroundTexture(picture));
    ASSERT_TRUE(renderer.HasBackgroundTexture());
    ASSERT_TRUE(renderer.Render(plan));
    const Image first = renderer.Target();
    EXPECT_EQ(PixelAt(first, 0, 0), 0xFFC86432u);
    EXPECT_EQ(PixelAt(first, kWidth - 1, kHeight - 1), 0xFFC86432u);
    ASSERT_TRUE(renderer.Render(plan));
    EXPECT_EQ(std::memcmp(first.Pixels(), renderer.Target().Pixels(),
                          static_cast<std::size_t>(first.Size())),
              0);

    // A picture without pixels keeps the background there is.
    EXPECT_FALSE(renderer.LoadBackgroundTexture(Image()));
    ASSERT_TRUE(renderer.Render(plan));
    EXPECT_EQ(PixelAt(renderer.Target(), 0, 0), 0xFFC86432u);

    ASSERT_TRUE(picture.Fill({10, 220, 30, 255}));
    ASSERT_TRUE(renderer.LoadBackgroundTexture(picture));
    ASSERT_TRUE(renderer.Render(plan));
    EXPECT_EQ(PixelAt(renderer.Target(), 0, 0), 0xFF0ADC1Eu);

    // A plan for another size resizes the target, and the background fills it.
    const FramePlan larger = EmptyPlan(kWidth + 37, kHeight + 11);
    FramePlan withBackground = larger;
    withBackground.background = true;
    ASSERT_TRUE(renderer.Render(withBackground));
    ASSERT_EQ(renderer.Target().Width(), kWidth + 37);
    ASSERT_EQ(renderer.Target().Height(), kHeight + 11);
    EXPECT_EQ(PixelAt(renderer.Target(), kWidth + 36, kHeight + 10), 0xFF0ADC1Eu);

    // Without the background flag only the clear colour shows.
    ASSERT_TRUE(renderer.Render(larger));
    EXPECT_EQ(PixelAt(renderer.Target(), 0, 0), kClear);
}

// The background keeps the halving rule: a 300 x 200 picture becomes a 256 x 128 texture, which
// stretched over the view still shows its own left and right halves on the left and right.
TEST_F(SoftwareRendererTest, BackgroundPictureIsScaledAndStretched) {
    Image picture;
    ASSERT_TRUE(picture.Create(300, 200, 3));
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x) {
            std::uint8_t* p = picture.Row(y) + 3 * x;
            p[0] = 0, p[1] = 0, p[2] = x < 150 ? 255 : 0;
        }
    }
    ASSERT_TRUE(renderer.LoadBackgroundTexture(picture));
    FramePlan plan = EmptyPlan();
    plan.background = true;
    ASSERT_TRUE(renderer.Render(plan));
    // Lanczos3 leaves a trace of ringing, so red is "nearly full" and "nearly none".
    const std::uint32_t left = PixelAt(renderer.Target(), kWidth / 4, kHeight / 2);
    const std::uint32_t right = PixelAt(renderer.Target(), kWidth * 3 / 4, kHeight / 2);
    EXPECT_GE((left >> 16) & 0xFF, 245u);
    EXPECT_LE(left & 0xFFFF, 0x0A0Au);
    EXPECT_LE(right & 0xFFFFFF, 0x0A0A0Au);
}

// Geometry colours follow the plan: another side colour shows on the tile's sides at once.
TEST_F(SoftwareRendererTest, SidesTakeThePlanSideColour) {
    for (const std::uint32_t sides : {kWhite, 0xFFB87818u, 0xFF2040F0u}) {
        FramePlan plan = EmptyPlan();
        plan.sidesColour = sides;
        // To the right of the camera, so its left side faces it.
        PlannedTile& tile = AddTile(plan, 80.0f, -10.0f, 0, 5);
        ASSERT_TRUE(renderer.Render(plan));
        EXPECT_EQ(At(PixelOf(plan, tile, {0.0f, 10.0f, 5.0f})),
                  Modulate(FaceColour(kBodyTexture), sides));
    }
}

}  // namespace
