// The 3D math kit shared by the scene, picking and both renderers: 32-bit float vectors and 4 x 4
// matrices in one fixed convention, handed unchanged to either 3D interface.
//
// Conventions: right-handed world; row vectors multiplied on the LEFT of matrices (p x M);
// element (row r, column c) at index 4r + c; translation in elements 12, 13, 14; A x B applies A
// first.
#pragma once

// Pi as the game computes it, 4 atan(1) kept in a float (the same float as this literal).
inline constexpr float kPi = 3.14159265358979f;

struct Vector2 {
    float x = 0.0f;
    float y = 0.0f;

    void Set(float nx, float ny) {
        x = nx;
        y = ny;
    }
};

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    void Set(float nx, float ny, float nz) {
        x = nx;
        y = ny;
        z = nz;
    }
    float LengthSquared() const { return x * x + y * y + z * z; }
    float Length() const;
    // Division by the length. A zero vector gives the zero vector (never NaN), which the scene
    // never asks for but a stray input must not poison later matrices with.
    Vector3 Normalized() const;
};

Vector3 operator+(const Vector3& a, const Vector3& b);
Vector3 operator-(const Vector3& a, const Vector3& b);
Vector3 operator*(const Vector3& a, float s);
// Multiplication by the reciprocal, as the renderers expect bit for bit.
Vector3 operator/(const Vector3& a, float s);
bool operator==(const Vector3& a, const Vector3& b);
float Dot(const Vector3& a, const Vector3& b);
Vector3 Cross(const Vector3& a, const Vector3& b);

// Also a quaternion: (x, y, z) the vector part, w the scalar part.
struct Vector4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    void Set(float nx, float ny, float nz, float nw) {
        x = nx;
        y = ny;
        z = nz;
        w = nw;
    }
    float LengthSquared() const { return x * x + y * y + z * z + w * w; }
};

Vector4 operator+(const Vector4& a, const Vector4& b);
Vector4 operator*(const Vector4& a, float s);
bool operator==(const Vector4& a, const Vector4& b);

// Quaternion of a turn by yaw about y, pitch about x and roll about z (radians).
Vector4 QuaternionFromYawPitchRoll(float yaw, float pitch, float roll);

struct Matrix4 {
    // Row-major; a default matrix is the identity.
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    float& At(int row, int column) { return m[4 * row + column]; }
    float At(int row, int column) const { return m[4 * row + column]; }

    Vector4 Row(int k) const;
    float Determinant() const;
    // Transposed matrix of cofactors.
    Matrix4 Adjugate() const;
    // Adjugate / determinant when |determinant| >= kInverseThreshold, else the ZERO matrix (not
    // the identity): a flattened matrix makes everything it transforms collapse, visibly.
    Matrix4 Inverse() const;

    static Matrix4 Identity();
    static Matrix4 Zero();
    static Matrix4 Scaling(float s);
    static Matrix4 Translation(float x, float y, float z);
    static Matrix4 RotationQuaternion(const Vector4& q);
    // Right-handed look-at view.
    static Matrix4 LookAt(const Vector3& eye, const Vector3& target, const Vector3& up);
    // Right-handed perspective projection (depth 0 at near, 1 at far).
    static Matrix4 Perspective(float fieldOfViewY, float aspect, float nearZ, float farZ);
};

// Smallest absolute determinant that still inverts.
inline constexpr float kInverseThreshold = 0.0005f;

Matrix4 operator*(const Matrix4& a, const Matrix4& b);
// Every element times 1 / s.
Matrix4 operator/(const Matrix4& a, float s);
bool operator==(const Matrix4& a, const Matrix4& b);

// (x, y, z, 1) x M, divided by the resulting w. A w of exactly 0 (a point on the camera plane
// of a projection) leaves x, y, z undivided instead of producing infinities.
Vector3 TransformPoint(const Vector3& p, const Matrix4& m);
