#pragma once
// Small value types of the toolkit: Vec3, column-major 4x4 matrix helpers, angleOf and FadeCurve.

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;

    Vec3() = default;
    Vec3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

    Vec3& operator+=(const Vec3& b) { x += b.x; y += b.y; z += b.z; return *this; }
    Vec3& operator-=(const Vec3& b) { x -= b.x; y -= b.y; z -= b.z; return *this; }
    Vec3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    Vec3& operator/=(float s) { x /= s; y /= s; z /= s; return *this; }

    // Component i & 3. Index 3 (i & 3 == 3) has no component; it reads z rather than
    // running past the record.
    float& operator[](int i) { int k = i & 3; return k == 0 ? x : (k == 1 ? y : z); }
    float operator[](int i) const { int k = i & 3; return k == 0 ? x : (k == 1 ? y : z); }

    float lengthSquared() const { return x * x + y * y + z * z; }
    float length() const;
    Vec3 normalized() const;
    void setLength(float len);
    // Rotation about coordinate axis 0 (x), 1 (y) or 2 (z) by angle radians. Any other axis
    // returns the vector unchanged.
    Vec3 rotatedAbout(const int& axis, const float& angle) const;
    Vec3 projectedOnto(const Vec3& a) const;
};

static_assert(sizeof(Vec3) == 12, "Vec3 arrays are handed to OpenGL packed");

inline Vec3 operator+(Vec3 a, const Vec3& b) { return a += b; }
inline Vec3 operator-(Vec3 a, const Vec3& b) { return a -= b; }
inline Vec3 operator*(Vec3 v, float s) { return v *= s; }
inline Vec3 operator*(float s, Vec3 v) { return v *= s; }
inline Vec3 operator/(Vec3 v, float s) { return v /= s; }

inline float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return Vec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// Column-major matrices: m[c * 4 + r] is row r of column c.
void multiplyMatrices(const float* a, const float* b, float* out);
void matrixRow(const float* m, float* out, int i);
void matrixColumn(const float* m, float* out, int i);
void copyMatrix(const float* m, float* out);

// atan(y / x) extended to (-pi/2, 3pi/2].
float angleOf(float y, float x);

// A start/length window with cosine easing; times in the caller's unit.
struct FadeCurve {
    FadeCurve() = default;
    // A fade in (or out) from start over length seconds; with outStart and outLength also the
    // fall of fadeInOut.
    FadeCurve(float startAt, float lengthOf, float outStartAt = 0.0f, float outLengthOf = 0.0f)
        : start(startAt), outStart(outStartAt), length(lengthOf), outLength(outLengthOf) {}

    float start = 0.0f;
    float outStart = 0.0f;
    float length = 0.0f;
    float outLength = 0.0f;
    float lengthScale = 1.0f;

    float fadeIn(float t, float cycles, float power) const;
    float fadeOut(float t, float cycles, float power) const;
    float fadeInOut(float t, float cycles, float power) const;
    float linearIn(float t) const;
    float linearOut(float t) const;
};
