// The software device: coverage rule, culling, depth bias, near-plane clipping, texel centres,
// blending and modulate arithmetic, perspective-correct texturing.

#include "view3d/d3d8/device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t kBlack = 0xFF000000;

// A vertex given in pixels (y down) for a device drawn with identity matrices.
DeviceVertex PixelVertex(float px, float py, int width, int height, std::uint32_t colour,
                         float z = 0.5f, float u = 0.0f, float v = 0.0f) {
    DeviceVertex vertex;
    vertex.x = 2.0f * px / static_cast<float>(width) - 1.0f;
    vertex.y = 1.0f - 2.0f * py / static_cast<float>(height);
    vertex.z = z;
    vertex.colour = colour;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

std::uint32_t PixelAt(const Image& image, int x, int y) {
    const std::uint8_t* p = image.Row(y) + 4 * x;
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

int Channel(std::uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

// Draws `vertices` as a triangle list with the device's current states.
void Draw(D3DDevice& device, const std::vector<DeviceVertex>& vertices) {
    ASSERT_TRUE(device.SetVertices(vertices.data(), static_cast<int>(vertices.size())));
    device.DrawTriangleList(0, static_cast<int>(vertices.size()) / 3);
}

// A small deterministic generator, so the meshes are the same on every run.
struct Lcg {
    std::uint32_t state = 12345;
    float Next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / static_cast<float>(1u << 24);
    }
};

// A rectangle cut into a grid of cells whose inner corners are jittered, each cell two triangles
// with alternating diagonals and windings that survive clockwise culling.
std::vector<DeviceVertex> JitteredMesh(float left, float top, float right, float bottom, int cells,
                                       float jitter, int width, int height, std::uint32_t colour) {
    Lcg random;
    std::vector<float> xs((cells + 1) * (cells + 1));
    std::vector<float> ys(xs.size());
    for (int j = 0; j <= cells; ++j) {
        for (int i = 0; i <= cells; ++i) {
            float x = left + (right - left) * static_cast<float>(i) / static_cast<float>(cells);
            float y = top + (bottom - top) * static_cast<float>(j) / static_cast<float>(cells);
            if (i > 0 && i < cells) {
                x += (random.Next() - 0.5f) * jitter;
            }
            if (j > 0 && j < cells) {
                y += (random.Next() - 0.5f) * jitter;
            }
            xs[j * (cells + 1) + i] = x;
            ys[j * (cells + 1) + i] = y;
        }
    }
    std::vector<DeviceVertex> mesh;
    const auto add = [&](int i, int j) {
        mesh.push_back(
            PixelVertex(xs[j * (cells + 1) + i], ys[j * (cells + 1) + i], width, height, colour));
    };
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            // Counter-clockwise on screen (y down): top-left, bottom-left, bottom-right...
            if ((i + j) % 2 == 0) {
                add(i, j), add(i, j + 1), add(i + 1, j + 1);
                add(i + 1, j + 1), add(i + 1, j), add(i, j);
            } else {
                add(i, j), add(i, j + 1), add(i + 1, j);
                add(i + 1, j), add(i, j + 1), add(i + 1, j + 1);
            }
        }
    }
    return mesh;
}

// ------------------------------------------------------------------------------------------------

// Half-transparent white over black: a pixel blended once is 128, twice 192. Every pixel whose
// centre lies inside the rectangle (left and top edges included, right and bottom excluded) must
// be blended exactly once, every other pixel not at all, with one or two threads.
TEST(SoftwareDevice, SharedEdgesAreCoveredExactlyOnce) {
    struct Case {
        const char* name;
        float left, top, right, bottom;
        int cells;
        float jitter;
    };
    const Case cases[] = {
        {"one quad on pixel centres", 2.5f, 3.5f, 20.5f, 17.5f, 1, 0.0f},
        {"one quad off centres", 1.3f, 2.7f, 30.9f, 21.2f, 1, 0.0f},
        {"grid on pixel edges", 0.0f, 0.0f, 40.0f, 40.0f, 8, 0.0f},
        {"jittered grid", 3.25f, 1.75f, 61.5f, 70.5f, 7, 5.0f},
        {"fine jittered grid across bands", 0.5f, 20.5f, 63.5f, 77.5f, 16, 2.5f},
        {"thin slivers", 10.0f, 10.0f, 12.5f, 70.0f, 12, 0.15f},
    };
    constexpr int kWidth = 64;
    constexpr int kHeight = 80;
    for (const int threads : {1, 2}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", threads " + std::to_string(threads));
            D3DDevice device;
            ASSERT_TRUE(device.Create(kWidth, kHeight, threads));
            device.Clear(kBlack, 1.0f);
            device.SetBlending(true);
            device.SetDepthTest(false);
            Draw(device, JitteredMesh(c.left, c.top, c.right, c.bottom, c.cells, c.jitter, kWidth,
                                      kHeight, 0x80FFFFFF));
            device.EndScene();
            int wrong = 0;
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    const float cx = x + 0.5f;
                    const float cy = y + 0.5f;
                    const bool inside =
                        cx >= c.left && cx < c.right && cy >= c.top && cy < c.bottom;
                    const int expected = inside ? 128 : 0;
                    const int red = Channel(PixelAt(device.Target(), x, y), 16);
                    if (red != expected && ++wrong <= 5) {
                        ADD_FAILURE() << "pixel " << x << "," << y << " is " << red << ", expected "
                                      << expected;
                    }
                }
            }
            EXPECT_EQ(wrong, 0);
        }
    }
}

// Corners running clockwise on screen are dropped only while clockwise culling is on.
TEST(SoftwareDevice, CullsClockwiseTrianglesOnly) {
    struct Case {
        bool clockwise;
        bool cull;
        bool drawn;
    };
    const Case cases[] = {
        {true, true, false}, {false, true, true}, {true, false, true}, {false, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "clockwise " << c.clockwise << " cull " << c.cull);
        D3DDevice device;
        ASSERT_TRUE(device.Create(32, 32, 1));
        device.Clear(kBlack, 1.0f);
        device.SetCullClockwise(c.cull);
        // (2,2) -> (30,2) -> (2,30) runs clockwise as seen on the screen.
        std::vector<DeviceVertex> triangle = {PixelVertex(2, 2, 32, 32, 0xFFFF0000),
                                              PixelVertex(30, 2, 32, 32, 0xFFFF0000),
                                              PixelVertex(2, 30, 32, 32, 0xFFFF0000)};
        if (!c.clockwise) {
            std::swap(triangle[1], triangle[2]);
        }
        Draw(device, triangle);
        device.EndScene();
        EXPECT_EQ(PixelAt(device.Target(), 8, 8), c.drawn ? 0xFFFF0000u : kBlack);
    }
}

// Perspective camera at the origin looking down -z, as the board is seen.
Matrix4 BoardProjection(int width, int height) {
    return Matrix4::Perspective(kPi * 0.25f, static_cast<float>(width) / height, 1.0f, 5000.0f);
}

// A quad in the plane through (0, 0, -distance) tilted by `tilt` radians about x, its corners
// given counter-clockwise as seen from the camera, with the two diagonals to choose from.
std::vector<DeviceVertex> TiltedQuad(float distance, float tilt, float size, std::uint32_t colour,
                                     bool otherDiagonal) {
    const float c = std::cos(tilt);
    const float s = std::sin(tilt);
    const auto corner = [&](float x, float y, float u, float v) {
        DeviceVertex vertex;
        vertex.x = x;
        vertex.y = y * c;
        vertex.z = -distance + y * s;
        vertex.colour = colour;
        vertex.u = u;
        vertex.v = v;
        return vertex;
    };
    const DeviceVertex a = corner(-size, -size, 0, 1);
    const DeviceVertex b = corner(size, -size, 1, 1);
    const DeviceVertex d = corner(size, size, 1, 0);
    const DeviceVertex e = corner(-size, size, 0, 0);
    if (otherDiagonal) {
        return {a, b, e, b, d, e};
    }
    return {a, b, d, d, e, a};
}

// A later quad in the same plane hides an earlier one only with at least its depth bias; a bias
// never brings a quad through geometry clearly in front of it.
TEST(SoftwareDevice, DepthBiasDecidesBetweenCoplanarQuads) {
    struct Case {
        int firstBias;
        int secondBias;
        float secondCloser;  // world units the second quad lies nearer the camera
        bool secondShows;
    };
    const Case cases[] = {
        {0, 1, 0.0f, true}, {0, 2, 0.0f, true},   {1, 0, 0.0f, false},    {2, 1, 0.0f, false},
        {1, 2, 0.0f, true}, {2, 0, 0.0f, false},  {2, 0, 1.0f, true},     {0, 2, -1.0f, false},
        {0, 0, 0.5f, true}, {0, 0, -0.5f, false}, {0, 16, -10.0f, false},
    };
    constexpr int kSize = 96;
    for (const float tilt : {0.0f, 0.6f}) {
        for (const float distance : {225.0f, 900.0f}) {
            for (const Case& c : cases) {
                SCOPED_TRACE(testing::Message()
                             << "tilt " << tilt << " distance " << distance << " biases "
                             << c.firstBias << "," << c.secondBias << " closer " << c.secondCloser);
                D3DDevice device;
                ASSERT_TRUE(device.Create(kSize, kSize, 2));
                device.SetTransform(DeviceTransform::Projection, BoardProjection(kSize, kSize));
                device.Clear(kBlack, 1.0f);
                std::vector<DeviceVertex> both =
                    TiltedQuad(distance, tilt, distance * 0.3f, 0xFFFF0000, false);
                const std::vector<DeviceVertex> second =
                    TiltedQuad(distance - c.secondCloser, tilt, distance * 0.3f, 0xFF00FF00, true);
                both.insert(both.end(), second.begin(), second.end());
                ASSERT_TRUE(device.SetVertices(both.data(), 12));
                device.SetDepthBias(c.firstBias);
                device.DrawTriangleList(0, 2);
                device.SetDepthBias(c.secondBias);
                device.DrawTriangleList(6, 2);
                device.EndScene();
                int shown = 0;
                int hidden = 0;
                for (int y = kSize / 4; y < kSize * 3 / 4; ++y) {
                    for (int x = kSize / 4; x < kSize * 3 / 4; ++x) {
                        const std::uint32_t p = PixelAt(device.Target(), x, y);
                        ASSERT_NE(p, kBlack) << x << "," << y;
                        (p == 0xFF00FF00u ? shown : hidden)++;
                    }
                }
                if (c.secondShows) {
                    EXPECT_EQ(hidden, 0);
                } else {
                    EXPECT_EQ(shown, 0);
                }
            }
        }
    }
}

// A floor triangle reaching behind the camera is cut at the near plane (1 unit in front of the
// camera): the part in front is drawn where the floor is seen, nothing appears above the horizon
// (no inverted copy), the part near the camera is not dropped, and with the floor just below
// the eye nothing nearer than the near plane is drawn.
TEST(SoftwareDevice, ClipsTriangleCrossingTheNearPlane) {
    constexpr int kSize = 128;
    for (const float floor : {-10.0f, -0.3f}) {
        const Vector3 a{-20, floor, -60};
        const Vector3 b{20, floor, -60};
        const Vector3 c{0, floor, 40};  // behind the camera
        for (const bool reversed : {false, true}) {
            SCOPED_TRACE(testing::Message() << "floor " << floor << " reversed " << reversed);
            D3DDevice device;
            ASSERT_TRUE(device.Create(kSize, kSize, 2));
            const Matrix4 projection = BoardProjection(kSize, kSize);
            device.SetTransform(DeviceTransform::Projection, projection);
            device.SetCullClockwise(false);
            device.Clear(kBlack, 1.0f);
            std::vector<DeviceVertex> triangle(3);
            const Vector3 corners[3] = {a, reversed ? c : b, reversed ? b : c};
            for (int i = 0; i < 3; ++i) {
                triangle[i].x = corners[i].x;
                triangle[i].y = corners[i].y;
                triangle[i].z = corners[i].z;
                triangle[i].colour = 0xFFFFFFFF;
            }
            Draw(device, triangle);
            device.EndScene();
            int checked = 0;
            int nearCut = 0;
            for (int y = 0; y < kSize; ++y) {
                for (int x = 0; x < kSize; ++x) {
                    // The ray through the pixel centre, in view space.
                    const float nx = (x + 0.5f) / kSize * 2.0f - 1.0f;
                    const float ny = 1.0f - (y + 0.5f) / kSize * 2.0f;
                    const Vector3 direction{nx / projection[0], ny / projection[5], -1.0f};
                    bool inside = false;
                    bool certain = true;
                    if (direction.y < 0.0f) {
                        const float t = floor / direction.y;
                        const Vector3 p = direction * t;
                        // Distances to the three edges in the floor plane (x, z).
                        const auto side = [&](const Vector3& from, const Vector3& to) {
                            const float ex = to.x - from.x;
                            const float ez = to.z - from.z;
                            return (ex * (p.z - from.z) - ez * (p.x - from.x)) /
                                   std::sqrt(ex * ex + ez * ez);
                        };
                        const float d0 = side(a, b);
                        const float d1 = side(b, c);
                        const float d2 = side(c, a);
                        const bool inTriangle =
                            (d0 > 0 && d1 > 0 && d2 > 0) || (d0 < 0 && d1 < 0 && d2 < 0);
                        inside = inTriangle && -p.z >= 1.0f;
                        nearCut += inTriangle && -p.z < 0.95f ? 1 : 0;
                        const float pixelSize = t * 2.0f / kSize / projection[5];
                        certain =
                            std::min({std::abs(d0), std::abs(d1), std::abs(d2)}) > 2 * pixelSize &&
                            std::abs(-p.z - 1.0f) > 0.05f;
                    }
                    if (!certain) {
                        continue;
                    }
                    ++checked;
                    ASSERT_EQ(PixelAt(device.Target(), x, y), inside ? 0xFFFFFFFFu : kBlack)
                        << "pixel " << x << "," << y;
                    if (inside) {
                        EXPECT_GE(device.DepthAt(x, y), 0.0f);
                        EXPECT_LE(device.DepthAt(x, y), 1.0f);
                    }
                }
            }
            EXPECT_GT(checked, kSize * kSize * 3 / 4);
            if (floor < -1.0f) {
                // The nearest rows of the floor, right under the camera, are drawn.
                EXPECT_EQ(PixelAt(device.Target(), kSize / 2, kSize - 1), 0xFFFFFFFFu);
            } else {
                // Rows of floor nearer than the near plane are on the screen and stay empty.
                EXPECT_GT(nearCut, kSize);
            }
        }
    }
}

// A half-transparent floor quad crossing the near plane: its two clipped triangles still share
// their diagonal exactly, so no pixel is blended twice and no row has a gap.
TEST(SoftwareDevice, ClippedQuadKeepsItsSharedEdge) {
    constexpr int kSize = 96;
    for (const float floor : {-2.0f, -0.5f}) {
        for (const int threads : {1, 2}) {
            SCOPED_TRACE(testing::Message() << "floor " << floor << " threads " << threads);
            D3DDevice device;
            ASSERT_TRUE(device.Create(kSize, kSize, threads));
            device.SetTransform(DeviceTransform::Projection, BoardProjection(kSize, kSize));
            device.SetBlending(true);
            device.SetDepthTest(false);
            device.Clear(kBlack, 1.0f);
            const auto corner = [&](float x, float z) {
                DeviceVertex v;
                v.x = x;
                v.y = floor;
                v.z = z;
                v.colour = 0x80FFFFFF;
                return v;
            };
            // Counter-clockwise seen from above; the diagonal runs from far left to near right.
            const DeviceVertex farLeft = corner(-20, -60), farRight = corner(20, -60);
            const DeviceVertex nearLeft = corner(-20, 40), nearRight = corner(20, 40);
            Draw(device, {farLeft, nearLeft, nearRight, nearRight, farRight, farLeft});
            device.EndScene();
            int covered = 0;
            for (int y = 0; y < kSize; ++y) {
                int runs = 0;
                bool inRun = false;
                for (int x = 0; x < kSize; ++x) {
                    const int red = Channel(PixelAt(device.Target(), x, y), 16);
                    ASSERT_TRUE(red == 0 || red == 128) << x << "," << y << " is " << red;
                    const bool on = red == 128;
                    runs += on && !inRun ? 1 : 0;
                    inRun = on;
                    covered += on ? 1 : 0;
                }
                EXPECT_LE(runs, 1) << "row " << y;
            }
            EXPECT_GT(covered, kSize * kSize / 8);
        }
    }
}

// Reference bilinear sample of a channel of a width x height texture, wrapping at the borders,
// texel i centred at (i + 0.5) / width.
double ReferenceSample(const std::vector<std::uint32_t>& texels, int width, int height, double u,
                       double v, int shift) {
    const double x = u * width - 0.5;
    const double y = v * height - 0.5;
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0;
    const double fy = y - y0;
    const auto texel = [&](int i, int j) {
        i = ((i % width) + width) % width;
        j = ((j % height) + height) % height;
        return static_cast<double>((texels[j * width + i] >> shift) & 0xFF);
    };
    return (texel(x0, y0) * (1 - fx) + texel(x0 + 1, y0) * fx) * (1 - fy) +
           (texel(x0, y0 + 1) * (1 - fx) + texel(x0 + 1, y0 + 1) * fx) * fy;
}

// A 4 x 4 texture drawn 1:1 shows each texel exactly; drawn larger, pixels between texel centres
// blend their neighbours by distance, and the border pixels blend with the opposite border.
TEST(SoftwareDevice, BilinearFilteringSamplesTexelCentres) {
    constexpr int kTexture = 4;
    std::vector<std::uint32_t> texels(kTexture * kTexture);
    Image picture;
    ASSERT_TRUE(picture.Create(kTexture, kTexture, 3));
    for (int y = 0; y < kTexture; ++y) {
        for (int x = 0; x < kTexture; ++x) {
            const std::uint8_t blue = static_cast<std::uint8_t>(17 * x + 3);
            const std::uint8_t green = static_cast<std::uint8_t>(60 * y + 5);
            const std::uint8_t red = static_cast<std::uint8_t>((x * 97 + y * 31) % 256);
            std::uint8_t* p = picture.Row(y) + 3 * x;
            p[0] = blue, p[1] = green, p[2] = red;
            texels[y * kTexture + x] = 0xFF000000u | red << 16 | green << 8 | blue;
        }
    }
    for (const int scale : {1, 2, 3, 8}) {
        SCOPED_TRACE(testing::Message() << "scale " << scale);
        const int size = kTexture * scale;
        D3DDevice device;
        ASSERT_TRUE(device.Create(size, size, 1));
        const int texture = device.CreateTexture(kTexture, kTexture);
        ASSERT_NE(texture, kNoTexture);
        ASSERT_TRUE(device.UploadTexture(texture, picture));
        device.SetTexture(texture);
        device.Clear(kBlack, 1.0f);
        const float s = static_cast<float>(size);
        Draw(device, {PixelVertex(0, 0, size, size, 0xFFFFFFFF, 0.5f, 0, 0),
                      PixelVertex(0, s, size, size, 0xFFFFFFFF, 0.5f, 0, 1),
                      PixelVertex(s, s, size, size, 0xFFFFFFFF, 0.5f, 1, 1),
                      PixelVertex(s, s, size, size, 0xFFFFFFFF, 0.5f, 1, 1),
                      PixelVertex(s, 0, size, size, 0xFFFFFFFF, 0.5f, 1, 0),
                      PixelVertex(0, 0, size, size, 0xFFFFFFFF, 0.5f, 0, 0)});
        device.EndScene();
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const std::uint32_t p = PixelAt(device.Target(), x, y);
                const double u = (x + 0.5) / size;
                const double v = (y + 0.5) / size;
                for (const int shift : {0, 8, 16}) {
                    const double expected =
                        ReferenceSample(texels, kTexture, kTexture, u, v, shift);
                    if (scale == 1) {
                        EXPECT_EQ(Channel(p, shift), static_cast<int>(expected)) << x << "," << y;
                    } else {
                        EXPECT_NEAR(Channel(p, shift), expected, 1.0) << x << "," << y;
                    }
                }
            }
        }
    }
}

// Source-alpha blending and modulate, channel by channel, rounded to the nearest value; with a
// texture whose width is a power of two (four pixels at a time), with one whose width is not
// (pixel by pixel), and without a texture.
TEST(SoftwareDevice, BlendingAndModulateArithmetic) {
    const int values[] = {0, 1, 77, 128, 254, 255};
    const int alphas[] = {0, 1, 64, 127, 128, 200, 254, 255};
    // Columns: every pair of source texel and target value.
    struct Column {
        std::uint32_t texel;
        std::uint32_t target;
    };
    std::vector<Column> columns;
    for (const int s : values) {
        for (const int d : values) {
            columns.push_back({0xFF000000u | s << 16 | (s / 3) << 8 | (255 - s),
                               0xFF000000u | d << 16 | (255 - d) << 8 | (d / 2)});
        }
    }
    // Rows: vertex colours, every alpha with two sets of channels.
    std::vector<std::uint32_t> rows;
    for (const int a : alphas) {
        rows.push_back(static_cast<std::uint32_t>(a) << 24 | 0xFF << 16 | 77 << 8 | 1);
        rows.push_back(static_cast<std::uint32_t>(a) << 24 | 128 << 16 | 0 << 8 | 254);
    }
    const int width = static_cast<int>(columns.size());
    const int height = static_cast<int>(rows.size());
    enum class Mode { FourPixels, OnePixel, Untextured };
    for (const Mode mode : {Mode::FourPixels, Mode::OnePixel, Mode::Untextured}) {
        SCOPED_TRACE(testing::Message() << "mode " << static_cast<int>(mode));
        const int textureWidth = mode == Mode::FourPixels ? 64 : width;
        D3DDevice device;
        ASSERT_TRUE(device.Create(width, height, 2));
        const auto makeTexture = [&](bool targets) {
            Image picture;
            EXPECT_TRUE(picture.CreateFilled(textureWidth, 1, 4));
            for (int i = 0; i < width; ++i) {
                const std::uint32_t t = targets ? columns[i].target : columns[i].texel;
                std::uint8_t* p = picture.Row(0) + 4 * i;
                p[0] = t & 0xFF, p[1] = (t >> 8) & 0xFF, p[2] = (t >> 16) & 0xFF, p[3] = 0;
            }
            const int texture = device.CreateTexture(textureWidth, 1);
            EXPECT_TRUE(device.UploadTexture(texture, picture));
            return texture;
        };
        const int targetTexture = makeTexture(true);
        const int sourceTexture = makeTexture(false);
        const float w = static_cast<float>(width);
        const float uEnd = w / textureWidth;
        std::vector<DeviceVertex> quads;
        const auto addQuad = [&](float top, float bottom, std::uint32_t colour) {
            quads.push_back(PixelVertex(0, top, width, height, colour, 0.5f, 0, 0));
            quads.push_back(PixelVertex(0, bottom, width, height, colour, 0.5f, 0, 1));
            quads.push_back(PixelVertex(w, bottom, width, height, colour, 0.5f, uEnd, 1));
            quads.push_back(PixelVertex(w, bottom, width, height, colour, 0.5f, uEnd, 1));
            quads.push_back(PixelVertex(w, top, width, height, colour, 0.5f, uEnd, 0));
            quads.push_back(PixelVertex(0, top, width, height, colour, 0.5f, 0, 0));
        };
        addQuad(0, static_cast<float>(height), 0xFFFFFFFF);
        for (int r = 0; r < height; ++r) {
            addQuad(static_cast<float>(r), static_cast<float>(r + 1), rows[r]);
        }
        ASSERT_TRUE(device.SetVertices(quads.data(), static_cast<int>(quads.size())));
        device.Clear(kBlack, 1.0f);
        device.SetDepthTest(false);
        device.SetTexture(targetTexture);
        device.DrawTriangleList(0, 2);
        device.SetBlending(true);
        device.SetTexture(mode == Mode::Untextured ? kNoTexture : sourceTexture);
        device.DrawTriangleList(6, 2 * height);
        device.EndScene();
        for (int r = 0; r < height; ++r) {
            const int alpha = static_cast<int>(rows[r] >> 24);
            for (int i = 0; i < width; ++i) {
                const std::uint32_t p = PixelAt(device.Target(), i, r);
                ASSERT_EQ(p >> 24, 255u);
                for (const int shift : {0, 8, 16}) {
                    const int vertex = Channel(rows[r], shift);
                    const int source =
                        mode == Mode::Untextured
                            ? vertex
                            : static_cast<int>(
                                  std::lround(Channel(columns[i].texel, shift) * vertex / 255.0));
                    const int expected = static_cast<int>(std::lround(
                        (source * alpha + Channel(columns[i].target, shift) * (255 - alpha)) /
                        255.0));
                    ASSERT_EQ(Channel(p, shift), expected)
                        << "row " << r << " column " << i << " shift " << shift;
                }
            }
        }
    }
}

// Corner colours are interpolated across the triangle: each corner shows its own colour, the
// centre their mean.
TEST(SoftwareDevice, InterpolatesCornerColours) {
    constexpr int kSize = 64;
    D3DDevice device;
    ASSERT_TRUE(device.Create(kSize, kSize, 1));
    device.Clear(kBlack, 1.0f);
    Draw(device, {PixelVertex(0, 0, kSize, kSize, 0xFFFF0000),
                  PixelVertex(0, kSize, kSize, kSize, 0xFF00FF00),
                  PixelVertex(kSize, 0, kSize, kSize, 0xFF0000FF)});
    device.EndScene();
    const std::uint32_t corner = PixelAt(device.Target(), 0, 0);
    EXPECT_GE(Channel(corner, 16), 245);
    EXPECT_LE(Channel(corner, 8), 10);
    const std::uint32_t centre = PixelAt(device.Target(), kSize / 3, kSize / 3);
    for (const int shift : {0, 8, 16}) {
        EXPECT_NEAR(Channel(centre, shift), 85, 6) << shift;
    }
}

// On a floor seen at a slant, each pixel shows the texture where its ray meets the floor, not
// where straight screen-space interpolation would put it.
TEST(SoftwareDevice, TexturesTiltedQuadInPerspective) {
    constexpr int kTexture = 256;
    Image picture;
    ASSERT_TRUE(picture.Create(kTexture, kTexture, 4));
    for (int y = 0; y < kTexture; ++y) {
        for (int x = 0; x < kTexture; ++x) {
            std::uint8_t* p = picture.Row(y) + 4 * x;
            p[0] = 0, p[1] = static_cast<std::uint8_t>(y), p[2] = static_cast<std::uint8_t>(x);
            p[3] = 255;
        }
    }
    constexpr int kSize = 160;
    const float tilts[] = {0.0f, 0.9f, 1.2f};
    for (const float tilt : tilts) {
        SCOPED_TRACE(testing::Message() << "tilt " << tilt);
        D3DDevice device;
        ASSERT_TRUE(device.Create(kSize, kSize, 2));
        const Matrix4 projection = BoardProjection(kSize, kSize);
        device.SetTransform(DeviceTransform::Projection, projection);
        const int texture = device.CreateTexture(kTexture, kTexture);
        ASSERT_TRUE(device.UploadTexture(texture, picture));
        device.SetTexture(texture);
        device.Clear(kBlack, 1.0f);
        constexpr float kDistance = 60.0f;
        constexpr float kHalf = 40.0f;
        Draw(device, TiltedQuad(kDistance, tilt, kHalf, 0xFFFFFFFF, false));
        device.EndScene();
        const float c = std::cos(tilt);
        const float s = std::sin(tilt);
        int checked = 0;
        double worstAffineError = 0.0;
        for (int y = 2; y < kSize; y += 3) {
            for (int x = 2; x < kSize; x += 3) {
                // Where the pixel's ray meets the quad's plane, in the quad's own (x, y).
                const double dx = ((x + 0.5) / kSize * 2 - 1) / projection[0];
                const double dy = (1 - (y + 0.5) / kSize * 2) / projection[5];
                // Plane points: (qx, qy c, -distance + qy s); ray t (dx, dy, -1).
                const double t = kDistance / (1.0 + dy * s / c);
                const double qy = dy * t / c;
                const double qx = dx * t;
                const double u = (qx + kHalf) / (2 * kHalf);
                const double v = (kHalf - qy) / (2 * kHalf);
                // Stay a texel away from the texture's borders, where wrapping takes over.
                if (u < 2.0 / kTexture || u > 1 - 2.0 / kTexture || v < 2.0 / kTexture ||
                    v > 1 - 2.0 / kTexture) {
                    continue;
                }
                const std::uint32_t p = PixelAt(device.Target(), x, y);
                EXPECT_NEAR(Channel(p, 16), u * kTexture - 0.5, 1.5) << x << "," << y;
                EXPECT_NEAR(Channel(p, 8), v * kTexture - 0.5, 1.5) << x << "," << y;
                ++checked;
                // Down the middle column, v interpolated linearly on the screen between the
                // quad's projected top and bottom edges would be this far off.
                const auto screenY = [&](double qy) {
                    const double ndc = projection[5] * qy * c / (kDistance - qy * s);
                    return (1 - ndc) * 0.5 * kSize;
                };
                const double affineV =
                    (y + 0.5 - screenY(kHalf)) / (screenY(-kHalf) - screenY(kHalf));
                worstAffineError = std::max(worstAffineError, std::abs(affineV - v) * kTexture);
            }
        }
        // The slanted cases are steep enough that affine texturing would fail the checks above.
        if (tilt > 0.0f) {
            EXPECT_GT(worstAffineError, 8.0);
        }
        EXPECT_GT(checked, 300);
    }
}

}  // namespace
