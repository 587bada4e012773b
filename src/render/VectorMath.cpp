#include "render/VectorMath.h"

#include <cmath>

namespace {
const double kPi = 3.14159265358979;

// 0.5 - 0.5 cos(cycles * pi * p), p = base^power, capped at 1.
float easedValue(float base, float cycles, float power) {
    float p = static_cast<float>(std::pow(static_cast<double>(base), static_cast<double>(power)));
    float v = static_cast<float>(0.5 - 0.5 * std::cos(static_cast<double>(cycles) * kPi * p));
    return v > 1.0f ? 1.0f : v;
}
}  // namespace

float Vec3::length() const { return std::sqrt(lengthSquared()); }

Vec3 Vec3::normalized() const {
    float d = length();
    if (d == 0.0f) d = 1e-8f;
    return *this * (1.0f / d);
}

void Vec3::setLength(float len) {
    float d = length();
    if (d == 0.0f) d = 0.0001f;
    *this *= len / d;
}

Vec3 Vec3::rotatedAbout(const int& axis, const float& angle) const {
    float c = std::cos(angle);
    float s = std::sin(angle);
    switch (axis) {
    case 0: return Vec3(x, y * c + z * s, z * c - y * s);
    case 1: return Vec3(x * c + z * s, y, z * c - x * s);
    case 2: return Vec3(x * c - y * s, y * c + x * s, z);
    default: return *this;
    }
}

Vec3 Vec3::projectedOnto(const Vec3& a) const { return a * (dot(a, *this) / a.lengthSquared()); }

void multiplyMatrices(const float* a, const float* b, float* out) {
    float r[16];
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k) s += a[4 * k + i] * b[4 * j + k];
            r[4 * j + i] = s;
        }
    copyMatrix(r, out);  // out may alias a or b
}

void matrixRow(const float* m, float* out, int i) {
    for (int c = 0; c < 4; ++c) out[c] = m[i + 4 * c];
}

void matrixColumn(const float* m, float* out, int i) {
    for (int r = 0; r < 4; ++r) out[r] = m[4 * i + r];
}

void copyMatrix(const float* m, float* out) {
    for (int k = 0; k < 16; ++k) out[k] = m[k];
}

float angleOf(float y, float x) {
    if (x > 0.0f) return std::atan(y / x);
    if (x < 0.0f) return static_cast<float>(std::atan(y / x) + kPi);
    return static_cast<float>(y >= 0.0f ? kPi / 2 : -kPi / 2);
}

float FadeCurve::fadeIn(float t, float cycles, float power) const {
    if (t <= start) return 0.0f;
    if (t > start + length * lengthScale) return 1.0f;
    return easedValue((t - start) / length, cycles, power);
}

float FadeCurve::fadeOut(float t, float cycles, float power) const {
    if (t <= start) return 1.0f;
    if (t > start + length * lengthScale) return 0.0f;
    return easedValue(1.0f - (t - start) / length, cycles, power);
}

float FadeCurve::fadeInOut(float t, float cycles, float power) const {
    FadeCurve fall = *this;
    fall.start = outStart;
    fall.length = outLength;
    return fadeIn(t, cycles, power) * fall.fadeOut(t, cycles, power);
}

float FadeCurve::linearIn(float t) const {
    if (t <= start) return 0.0f;
    if (t > start + length) return 1.0f;
    return (t - start) / length;
}

float FadeCurve::linearOut(float t) const {
    if (t <= start) return 1.0f;
    if (t > start + length) return 0.0f;
    return 1.0f - (t - start) / length;
}
