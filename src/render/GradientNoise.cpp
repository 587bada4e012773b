#include "render/GradientNoise.h"

#include "render/Random.h"

#include <cmath>
#include <utility>

namespace {
// Twelve edge directions of the cube, three components each; gradientIndex values point at
// the first component.
const int kGradients[36] = {
    0, 1, 1,   0, 1, -1,   0, -1, 1,   0, -1, -1,
    1, 0, 1,   1, 0, -1,   -1, 0, 1,   -1, 0, -1,
    1, 1, 0,   1, -1, 0,   -1, 1, 0,   -1, -1, 0,
};

float fade(float t) { return t * t * t * (t * (6.0f * t - 15.0f) + 10.0f); }

// Splits c into its lattice index and its fraction. The integer part is taken towards zero
// and the fraction as its absolute value, so a negative coordinate mirrors the fraction into
// 0 ... 1; the index is n & mask for n >= 0 and -((-n) & mask) below. The integer part is
// reduced in floating point first, which gives the same index for every coordinate and keeps
// huge or non-finite coordinates from overflowing the integer conversion.
void splitCoordinate(float c, int size, int& index, float& fraction) {
    if (!std::isfinite(c)) {
        index = 0;
        fraction = 0.0f;
        return;
    }
    float whole;
    float r = std::modf(c, &whole);
    fraction = std::fabs(r);
    const double reduced = std::fmod(std::fabs(static_cast<double>(whole)), static_cast<double>(size));
    const int k = static_cast<int>(reduced);
    index = whole >= 0.0f ? k : -k;
}
}  // namespace

GradientNoise::GradientNoise(int bits, unsigned seed) {
    if (bits < 1) bits = 1;
    if (bits > maxBits) bits = maxBits;
    size = 2 << (bits - 1);
    mask = size - 1;
    gradientIndex.resize(size);
    permY.resize(size);
    permZ.resize(size);

    demoSeed(seed);
    for (int i = 0; i < size; ++i) {
        gradientIndex[i] = (demoRand() % 12) * 3;
        permY[i] = i;
        permZ[i] = i;
    }
    for (int j = 0; j < size; ++j) {
        std::swap(permY[j], permY[demoRand() & mask]);
        std::swap(permZ[j], permZ[demoRand() & mask]);
    }
}

float GradientNoise::noise(const Vec3& p) const {
    int i, j, k;
    float fx, fy, fz;
    splitCoordinate(p.x, size, i, fx);
    splitCoordinate(p.y, size, j, fy);
    splitCoordinate(p.z, size, k, fz);

    // Contribution of lattice corner (i + da, j + db, k + dc). Negative indices are brought
    // into the tables by the mask (two's complement).
    auto corner = [&](int da, int db, int dc) {
        const int a = i + da, b = j + db, c = k + dc;
        const int hash = (a + permY[(b + permZ[c & mask]) & mask]) & mask;
        const int* g = kGradients + gradientIndex[hash];
        return static_cast<float>(g[0]) * (fx - static_cast<float>(da)) +
               static_cast<float>(g[1]) * (fy - static_cast<float>(db)) +
               static_cast<float>(g[2]) * (fz - static_cast<float>(dc));
    };

    const float u = fade(fx), v = fade(fy), w = fade(fz);
    const float nearZ = (1.0f - v) * (corner(0, 0, 0) * (1.0f - u) + corner(1, 0, 0) * u) +
                        v * (corner(0, 1, 0) * (1.0f - u) + corner(1, 1, 0) * u);
    const float farZ = (1.0f - v) * (corner(0, 0, 1) * (1.0f - u) + corner(1, 0, 1) * u) +
                       v * (corner(0, 1, 1) * (1.0f - u) + corner(1, 1, 1) * u);
    return (1.0f - w) * nearZ + w * farZ;
}

float GradientNoise::fractal(Vec3 p, int octaves) const {
    float sum = 0.0f, weight = 1.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += noise(p) * weight;
        p *= 2.0f;
        weight *= 0.5f;
    }
    return sum;
}

float GradientNoise::turbulence(Vec3 p, int octaves) const {
    float sum = 0.0f, weight = 1.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += std::fabs(noise(p)) * weight;
        p *= 2.0f;
        weight *= 0.5f;
    }
    return sum;
}
