#include "view3d/math3d.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectMatrixNear(const Matrix4& actual, const Matrix4& expected, float tolerance,
                      const char* what) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << what << ", element " << i;
    }
}

Matrix4 FromElements(std::initializer_list<float> elements) {
    Matrix4 result;
    int i = 0;
    for (float e : elements) {
        result[i++] = e;
    }
    return result;
}

}  // namespace

TEST(Math3D, PiIsFourArcTangentsOfOneInAFloat) {
    EXPECT_EQ(kPi, 4.0f * std::atan(1.0f));
}

// Vector operations on small exact values.
TEST(Math3D, VectorOperations) {
    const Vector3 a{1, 2, 3};
    const Vector3 b{4, -5, 6};
    EXPECT_EQ(a - b, (Vector3{-3, 7, -3}));
    EXPECT_EQ(a + b, (Vector3{5, -3, 9}));
    EXPECT_EQ(Dot(a, b), 4.0f - 10.0f + 18.0f);
    EXPECT_EQ(Cross(a, b), (Vector3{2 * 6 - 3 * -5, 3 * 4 - 1 * 6, 1 * -5 - 2 * 4}));
    EXPECT_EQ(Cross(Vector3{1, 0, 0}, Vector3{0, 1, 0}), (Vector3{0, 0, 1}));  // right-handed
    EXPECT_EQ(a.LengthSquared(), 14.0f);
    EXPECT_FLOAT_EQ((Vector3{3, 4, 0}).Length(), 5.0f);
    EXPECT_EQ((Vector3{0, 0, -8}).Normalized(), (Vector3{0, 0, -1}));
    EXPECT_EQ((Vector3{8, 4, 2}) / 2.0f, (Vector3{4, 2, 1}));
    EXPECT_EQ(Vector3{}, (Vector3{0, 0, 0}));
    // A zero vector normalises to zero, never to NaN.
    EXPECT_EQ(Vector3{}.Normalized(), (Vector3{0, 0, 0}));

    const Vector4 p{1, 2, 3, 4};
    EXPECT_EQ(p + (Vector4{1, 1, 1, 1}), (Vector4{2, 3, 4, 5}));
    EXPECT_EQ(p * 2.0f, (Vector4{2, 4, 6, 8}));
    EXPECT_EQ(p.LengthSquared(), 30.0f);
}

// The matrix table: each operation against a hand-computed result.
TEST(Math3D, MatrixOperationsTable) {
    const Matrix4 a = FromElements({1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 3, 4, 5, 1});
    const Matrix4 b = FromElements({0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    struct Case {
        const char* what;
        Matrix4 actual;
        Matrix4 expected;
    };
    const Case cases[] = {
        {"default is identity", Matrix4{},
         FromElements({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1})},
        {"zero", Matrix4::Zero(), FromElements({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        // A then B: B swaps x and y after A.
        {"product applies A first", a * b,
         FromElements({2, 1, 0, 0, 1, 0, 0, 0, 0, 0, 2, 0, 4, 3, 5, 1})},
        {"division by a scalar", a / 2.0f,
         FromElements({0.5f, 1, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 1.5f, 2, 2.5f, 0.5f})},
        {"scaling", Matrix4::Scaling(3.0f),
         FromElements({3, 0, 0, 0, 0, 3, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1})},
        {"translation", Matrix4::Translation(1, 2, 3),
         FromElements({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1})},
        {"adjugate", a.Adjugate(),
         FromElements({2, -4, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, -6, 4, -5, 2})},
        {"inverse", a.Inverse(),
         FromElements({1, -2, 0, 0, 0, 1, 0, 0, 0, 0, 0.5f, 0, -3, 2, -2.5f, 1})},
        {"inverse times matrix", a * a.Inverse(), Matrix4{}},
        // Quarter turn about z: x goes to y.
        {"rotation about z",
         Matrix4::RotationQuaternion(Vector4{0, 0, std::sin(kPi / 4), std::cos(kPi / 4)}),
         FromElements({0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1})},
        // An unnormalised quaternion gives the same rotation.
        {"rotation scale-free", Matrix4::RotationQuaternion(Vector4{0, 0, 3, 3}),
         FromElements({0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1})},
        {"look-at down -z", Matrix4::LookAt({0, 0, 225}, {0, 0, 1}, {0, 1, 0}),
         FromElements({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -225, 1})},
        // Looking along +x from the origin: world +x becomes view -z.
        {"look-at along +x", Matrix4::LookAt({0, 0, 0}, {1, 0, 0}, {0, 1, 0}),
         FromElements({0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1})},
        {"perspective", Matrix4::Perspective(kPi / 2, 1, 1, 100),
         FromElements({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -100.0f / 99, -1, 0, 0, -100.0f / 99, 0})},
        {"perspective aspect", Matrix4::Perspective(kPi / 2, 2, 1, 100),
         FromElements({0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -100.0f / 99, -1, 0, 0, -100.0f / 99, 0})},
    };
    for (const Case& c : cases) {
        ExpectMatrixNear(c.actual, c.expected, 1e-6f, c.what);
    }
    EXPECT_EQ(a.Determinant(), 2.0f);
    EXPECT_EQ(a.Row(3), (Vector4{3, 4, 5, 1}));
    EXPECT_EQ(Matrix4::Translation(1, 2, 3).At(3, 1), 2.0f);
}

// The threshold is on the absolute determinant, and below it the result is zero, not identity.
TEST(Math3D, InverseThreshold) {
    struct Case {
        float diagonal;  // det = diagonal (only element 0 differs from the identity)
        bool inverts;
    };
    const Case cases[] = {{0.0004f, false}, {-0.0004f, false}, {0.0005f, true},
                          {-0.0005f, true}, {0.0f, false},     {2.0f, true}};
    for (const Case& c : cases) {
        Matrix4 m;
        m[0] = c.diagonal;
        const Matrix4 inverse = m.Inverse();
        if (c.inverts) {
            EXPECT_NEAR(inverse[0], 1.0f / c.diagonal, std::fabs(1e-5f / c.diagonal)) << c.diagonal;
            EXPECT_EQ(inverse[5], 1.0f) << c.diagonal;
        } else {
            EXPECT_EQ(inverse, Matrix4::Zero()) << c.diagonal;
        }
    }
    // A matrix of NaNs does not invert into NaNs.
    Matrix4 broken;
    broken[0] = std::nanf("");
    EXPECT_EQ(broken.Inverse(), Matrix4::Zero());
}

TEST(Math3D, TransformPointDividesByW) {
    EXPECT_EQ(TransformPoint({0, 0, 0}, Matrix4::Translation(1, 2, 3)), (Vector3{1, 2, 3}));
    EXPECT_EQ(TransformPoint({1, 1, 1}, Matrix4::Scaling(2)), (Vector3{2, 2, 2}));
    // Element 15 = 2 halves everything.
    Matrix4 half;
    half[15] = 2.0f;
    EXPECT_EQ(TransformPoint({4, 6, 8}, half), (Vector3{2, 3, 4}));
    // Projecting and un-projecting a point returns it.
    const Matrix4 projection = Matrix4::Perspective(kPi * 0.25f, 4.0f / 3.0f, 1, 5000);
    const Vector3 p{10, -20, -300};
    const Vector3 back = TransformPoint(TransformPoint(p, projection), projection.Inverse());
    EXPECT_NEAR(back.x, p.x, 0.01f);
    EXPECT_NEAR(back.y, p.y, 0.01f);
    EXPECT_NEAR(back.z, p.z, 0.5f);
    // A point on the camera plane (w = 0) stays finite.
    const Vector3 flat = TransformPoint({1, 1, 0}, projection);
    EXPECT_TRUE(std::isfinite(flat.x) && std::isfinite(flat.y) && std::isfinite(flat.z));
}

TEST(Math3D, QuaternionFromYawPitchRoll) {
    struct Case {
        float yaw, pitch, roll;
        Vector3 in, out;  // in x rotation
    };
    const float h = kPi / 2;
    const Case cases[] = {
        {0, 0, 0, {1, 2, 3}, {1, 2, 3}},
        {h, 0, 0, {1, 0, 0}, {0, 0, -1}},  // yaw about y: x toward -z
        {0, h, 0, {0, 1, 0}, {0, 0, 1}},   // pitch about x: y toward +z
        {0, 0, h, {1, 0, 0}, {0, 1, 0}},   // roll about z: x toward +y
    };
    for (const Case& c : cases) {
        const Vector4 q = QuaternionFromYawPitchRoll(c.yaw, c.pitch, c.roll);
        EXPECT_NEAR(q.LengthSquared(), 1.0f, 1e-6f);
        const Vector3 out = TransformPoint(c.in, Matrix4::RotationQuaternion(q));
        EXPECT_NEAR(out.x, c.out.x, 1e-6f) << c.yaw << " " << c.pitch << " " << c.roll;
        EXPECT_NEAR(out.y, c.out.y, 1e-6f) << c.yaw << " " << c.pitch << " " << c.roll;
        EXPECT_NEAR(out.z, c.out.z, 1e-6f) << c.yaw << " " << c.pitch << " " << c.roll;
    }
    // The written formula, component by component, for mixed angles.
    const float yaw = 0.3f, pitch = -0.7f, roll = 1.1f;
    const float cy = std::cos(yaw / 2), sy = std::sin(yaw / 2), cp = std::cos(pitch / 2),
                sp = std::sin(pitch / 2), cr = std::cos(roll / 2), sr = std::sin(roll / 2);
    const Vector4 q = QuaternionFromYawPitchRoll(yaw, pitch, roll);
    EXPECT_FLOAT_EQ(q.x, cy * sp * cr + sy * cp * sr);
    EXPECT_FLOAT_EQ(q.y, sy * cp * cr - cy * sp * sr);
    EXPECT_FLOAT_EQ(q.z, cy * cp * sr - sy * sp * cr);
    EXPECT_FLOAT_EQ(q.w, cy * cp * cr + sy * sp * sr);
}
