// The 3D math kit: vectors, quaternions and 4 x 4 matrices on row vectors.
#include "view3d/math3d.h"

#include <cmath>

float Vector3::Length() const {
    return std::sqrt(LengthSquared());
}

Vector3 Vector3::Normalized() const {
    const float length = Length();
    if (length == 0.0f) {
        return Vector3{};
    }
    return *this / length;
}

Vector3 operator+(const Vector3& a, const Vector3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vector3 operator-(const Vector3& a, const Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vector3 operator*(const Vector3& a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
Vector3 operator/(const Vector3& a, float s) {
    return a * (1.0f / s);
}
bool operator==(const Vector3& a, const Vector3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

float Dot(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector4 operator+(const Vector4& a, const Vector4& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
Vector4 operator*(const Vector4& a, float s) {
    return {a.x * s, a.y * s, a.z * s, a.w * s};
}
bool operator==(const Vector4& a, const Vector4& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}

Vector4 QuaternionFromYawPitchRoll(float yaw, float pitch, float roll) {
    const float cy = std::cos(yaw * 0.5f), sy = std::sin(yaw * 0.5f);
    const float cp = std::cos(pitch * 0.5f), sp = std::sin(pitch * 0.5f);
    const float cr = std::cos(roll * 0.5f), sr = std::sin(roll * 0.5f);
    return {cy * sp * cr + sy * cp * sr, sy * cp * cr - cy * sp * sr, cy * cp * sr - sy * sp * cr,
            cy * cp * cr + sy * sp * sr};
}

// ---------------------------------------------------------------------------------------------
// Matrix4
// ---------------------------------------------------------------------------------------------

Vector4 Matrix4::Row(int k) const {
    return {m[4 * k], m[4 * k + 1], m[4 * k + 2], m[4 * k + 3]};
}

namespace {

// Determinant of the 3 x 3 minor of `m` without row `skipRow` and column `skipColumn`.
float Minor(const float* m, int skipRow, int skipColumn) {
    float e[9];
    int n = 0;
    for (int r = 0; r < 4; ++r) {
        if (r == skipRow) {
            continue;
        }
        for (int c = 0; c < 4; ++c) {
            if (c != skipColumn) {
                e[n++] = m[4 * r + c];
            }
        }
    }
    return e[0] * (e[4] * e[8] - e[5] * e[7]) - e[1] * (e[3] * e[8] - e[5] * e[6]) +
           e[2] * (e[3] * e[7] - e[4] * e[6]);
}

float Cofactor(const float* m, int row, int column) {
    const float minor = Minor(m, row, column);
    return ((row + column) % 2 == 0) ? minor : -minor;
}

}  // namespace

float Matrix4::Determinant() const {
    float determinant = 0.0f;
    for (int c = 0; c < 4; ++c) {
        determinant += m[c] * Cofactor(m, 0, c);
    }
    return determinant;
}

Matrix4 Matrix4::Adjugate() const {
    Matrix4 result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            result.m[4 * c + r] = Cofactor(m, r, c);  // transposed
        }
    }
    return result;
}

Matrix4 Matrix4::Inverse() const {
    const float determinant = Determinant();
    // The negated comparison also sends a NaN determinant to the zero matrix.
    if (!(std::fabs(determinant) >= kInverseThreshold)) {
        return Zero();
    }
    return Adjugate() / determinant;
}

Matrix4 Matrix4::Identity() {
    return Matrix4{};
}

Matrix4 Matrix4::Zero() {
    Matrix4 result;
    for (float& e : result.m) {
        e = 0.0f;
    }
    return result;
}

Matrix4 Matrix4::Scaling(float s) {
    Matrix4 result = Zero();
    result.m[0] = s;
    result.m[5] = s;
    result.m[10] = s;
    result.m[15] = 1.0f;
    return result;
}

Matrix4 Matrix4::Translation(float x, float y, float z) {
    Matrix4 result;
    result.m[12] = x;
    result.m[13] = y;
    result.m[14] = z;
    return result;
}

Matrix4 Matrix4::RotationQuaternion(const Vector4& q) {
    const float s = 2.0f / q.LengthSquared();
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    Matrix4 result;
    result.m[0] = 1.0f - s * (y * y + z * z);
    result.m[1] = s * (x * y + z * w);
    result.m[2] = s * (x * z - y * w);
    result.m[4] = s * (x * y - z * w);
    result.m[5] = 1.0f - s * (x * x + z * z);
    result.m[6] = s * (y * z + x * w);
    result.m[8] = s * (x * z + y * w);
    result.m[9] = s * (y * z - x * w);
    result.m[10] = 1.0f - s * (x * x + y * y);
    return result;
}

Matrix4 Matrix4::LookAt(const Vector3& eye, const Vector3& target, const Vector3& up) {
    const Vector3 zAxis = (eye - target).Normalized();
    const Vector3 xAxis = Cross(up, zAxis).Normalized();
    const Vector3 yAxis = Cross(zAxis, xAxis);
    const Vector3 axes[3] = {xAxis, yAxis, zAxis};
    Matrix4 result;
    for (int c = 0; c < 3; ++c) {
        result.m[0 + c] = axes[c].x;  // element (r, c) = component r of axis c
        result.m[4 + c] = axes[c].y;
        result.m[8 + c] = axes[c].z;
        result.m[12 + c] = -Dot(axes[c], eye);
    }
    result.m[3] = result.m[7] = result.m[11] = 0.0f;
    result.m[15] = 1.0f;
    return result;
}

Matrix4 Matrix4::Perspective(float fieldOfViewY, float aspect, float nearZ, float farZ) {
    const float ys = 1.0f / std::tan(fieldOfViewY * 0.5f);
    Matrix4 result = Zero();
    result.m[0] = ys / aspect;
    result.m[5] = ys;
    result.m[10] = farZ / (nearZ - farZ);
    result.m[11] = -1.0f;
    result.m[14] = nearZ * farZ / (nearZ - farZ);
    return result;
}

Matrix4 operator*(const Matrix4& a, const Matrix4& b) {
    Matrix4 result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            result.m[4 * r + c] = a.m[4 * r] * b.m[c] + a.m[4 * r + 1] * b.m[4 + c] +
                                  a.m[4 * r + 2] * b.m[8 + c] + a.m[4 * r + 3] * b.m[12 + c];
        }
    }
    return result;
}

Matrix4 operator/(const Matrix4& a, float s) {
    const float reciprocal = 1.0f / s;
    Matrix4 result;
    for (int i = 0; i < 16; ++i) {
        result.m[i] = a.m[i] * reciprocal;
    }
    return result;
}

bool operator==(const Matrix4& a, const Matrix4& b) {
    for (int i = 0; i < 16; ++i) {
        if (a.m[i] != b.m[i]) {
            return false;
        }
    }
    return true;
}

Vector3 TransformPoint(const Vector3& p, const Matrix4& m) {
    const float x = p.x * m.m[0] + p.y * m.m[4] + p.z * m.m[8] + m.m[12];
    const float y = p.x * m.m[1] + p.y * m.m[5] + p.z * m.m[9] + m.m[13];
    const float z = p.x * m.m[2] + p.y * m.m[6] + p.z * m.m[10] + m.m[14];
    const float w = p.x * m.m[3] + p.y * m.m[7] + p.z * m.m[11] + m.m[15];
    if (w == 0.0f) {
        return {x, y, z};
    }
    return {x / w, y / w, z / w};
}
