#include "render/GradientNoise.h"
#include "render/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {
// Points with non-trivial fractions in every coordinate, positive and negative.
std::vector<Vec3> samplePoints() {
    std::vector<Vec3> p;
    for (int i = 0; i < 200; ++i)
        p.push_back(Vec3(0.37f * i - 20.3f, 0.61f * i * 0.5f - 13.7f, 5.1f - 0.23f * i));
    return p;
}

bool isPermutation(std::vector<int> v) {
    std::sort(v.begin(), v.end());
    for (size_t i = 0; i < v.size(); ++i)
        if (v[i] != static_cast<int>(i)) return false;
    return true;
}
}  // namespace

TEST(GradientNoise, ZeroAtEveryLatticePoint) {
    GradientNoise n(8, 123);
    for (int x = -6; x <= 6; ++x)
        for (int y = -6; y <= 6; ++y)
            for (int z = -6; z <= 6; z += 3) {
                EXPECT_EQ(n.noise(Vec3(x, y, z)), 0.0f) << x << " " << y << " " << z;
                EXPECT_EQ(n.noise(Vec3(x + 256.0f, y, z)), 0.0f);
            }
}

TEST(GradientNoise, NegativeCoordinateInTheFirstCellMirrorsThePositiveOne) {
    GradientNoise n(8, 123);
    for (float x : {0.1f, 0.37f, 0.5f, 0.93f}) {
        const Vec3 p(x, 2.3f, 7.6f);
        EXPECT_EQ(n.noise(Vec3(-x, p.y, p.z)), n.noise(p));
        EXPECT_EQ(n.noise(Vec3(p.y, -x, p.z)), n.noise(Vec3(p.y, x, p.z)));
        EXPECT_EQ(n.noise(Vec3(p.z, p.y, -x)), n.noise(Vec3(p.z, p.y, x)));
    }
}

TEST(GradientNoise, FieldIsContinuousAcrossCellFacesAndVaries) {
    GradientNoise n(8, 123);
    const float eps = 1e-4f;
    float lo = 0.0f, hi = 0.0f;
    for (const Vec3& p : samplePoints()) {
        for (float k = 1.0f; k <= 4.0f; k += 1.0f) {
            // Crossing the faces x = k, y = k, z = k of the positive lattice.
            EXPECT_NEAR(n.noise(Vec3(k - eps, p.y, p.z)), n.noise(Vec3(k + eps, p.y, p.z)), 2e-3f);
            EXPECT_NEAR(n.noise(Vec3(p.x, k - eps, p.z)), n.noise(Vec3(p.x, k + eps, p.z)), 2e-3f);
            EXPECT_NEAR(n.noise(Vec3(p.x, p.y, k - eps)), n.noise(Vec3(p.x, p.y, k + eps)), 2e-3f);
        }
        const float v = n.noise(p);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        EXPECT_LE(std::fabs(v), 1.2f);
    }
    EXPECT_LT(lo, -0.2f);
    EXPECT_GT(hi, 0.2f);
}

TEST(GradientNoise, RepeatsWithTheTableSizeForPositiveCoordinates) {
    GradientNoise n(4, 7);
    ASSERT_EQ(n.size, 16);
    for (float x : {0.3f, 3.7f, 9.25f})
        EXPECT_NEAR(n.noise(Vec3(x, 1.6f, 2.2f)), n.noise(Vec3(x + 16.0f, 1.6f + 32.0f, 2.2f)), 1e-5f);
}

TEST(GradientNoise, OctaveSums) {
    GradientNoise n(8, 123);
    for (const Vec3& p : samplePoints()) {
        EXPECT_EQ(n.fractal(p, 0), 0.0f);
        EXPECT_EQ(n.turbulence(p, 0), 0.0f);
        EXPECT_EQ(n.fractal(p, -2), 0.0f);
        EXPECT_EQ(n.fractal(p, 1), n.noise(p));
        EXPECT_EQ(n.turbulence(p, 1), std::fabs(n.noise(p)));
        const float a = n.noise(p), b = n.noise(p * 2.0f), c = n.noise(p * 4.0f);
        EXPECT_NEAR(n.fractal(p, 3), a + 0.5f * b + 0.25f * c, 1e-6f);
        EXPECT_NEAR(n.turbulence(p, 3), std::fabs(a) + 0.5f * std::fabs(b) + 0.25f * std::fabs(c), 1e-6f);
        EXPECT_GE(n.turbulence(p, 7) + 1e-6f, std::fabs(n.fractal(p, 7)));
    }
}

TEST(GradientNoise, SameBitsAndSeedGiveTheSameField) {
    GradientNoise a(8, 123);
    GradientNoise b(8, 123);
    GradientNoise c(8, 124);
    EXPECT_EQ(a.gradientIndex, b.gradientIndex);
    EXPECT_EQ(a.permY, b.permY);
    EXPECT_EQ(a.permZ, b.permZ);
    int differ = 0;
    for (const Vec3& p : samplePoints()) {
        EXPECT_EQ(a.fractal(p, 7), b.fractal(p, 7));
        if (a.noise(p) != c.noise(p)) ++differ;
    }
    EXPECT_GT(differ, 100);
}

TEST(GradientNoise, TablesAreGradientOffsetsAndPermutations) {
    GradientNoise n(8, 123);
    EXPECT_EQ(n.size, 256);
    EXPECT_EQ(n.mask, 255);
    ASSERT_EQ(n.gradientIndex.size(), 256u);
    std::vector<int> used(12, 0);
    for (int g : n.gradientIndex) {
        ASSERT_TRUE(g >= 0 && g <= 33 && g % 3 == 0) << g;
        ++used[g / 3];
    }
    for (int count : used) EXPECT_GT(count, 0);
    EXPECT_TRUE(isPermutation(n.permY));
    EXPECT_TRUE(isPermutation(n.permZ));
}

TEST(GradientNoise, SetUpTakesThreeDrawsPerEntryInTableOrder) {
    const int bits = 3, size = 8;
    demoSeed(55);
    std::vector<int> seq;
    for (int i = 0; i < 3 * size + 1; ++i) seq.push_back(demoRand());

    demoRand();  // the set-up reseeds whatever came before
    GradientNoise n(bits, 55);
    EXPECT_EQ(demoRandDraws(), static_cast<unsigned long>(3 * size));
    // The next user continues right after the set-up's draws.
    EXPECT_EQ(demoRand(), seq[3 * size]);

    // All gradient draws first ...
    for (int i = 0; i < size; ++i) EXPECT_EQ(n.gradientIndex[i], (seq[i] % 12) * 3) << i;
    // ... then, per entry, a permY swap draw followed by a permZ swap draw.
    std::vector<int> py(size), pz(size);
    for (int i = 0; i < size; ++i) py[i] = pz[i] = i;
    for (int j = 0; j < size; ++j) {
        std::swap(py[j], py[seq[size + 2 * j] & (size - 1)]);
        std::swap(pz[j], pz[seq[size + 2 * j + 1] & (size - 1)]);
    }
    EXPECT_EQ(n.permY, py);
    EXPECT_EQ(n.permZ, pz);
}

TEST(GradientNoise, OutOfRangeInputsStayInsideTheTables) {
    GradientNoise small(0, 3);  // below the smallest table: taken as one bit
    EXPECT_EQ(small.size, 2);
    EXPECT_EQ(small.noise(Vec3(0.5f, 0.5f, 0.5f)), small.noise(Vec3(2.5f, 0.5f, 0.5f)));
    GradientNoise n(8, 123);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Vec3& p : {Vec3(1e20f, -3e25f, 7.5f), Vec3(-2.5e9f, 0.5f, 4e9f), Vec3(inf, 0.3f, 0.2f),
                          Vec3(0.1f, nan, -inf)})
        EXPECT_TRUE(std::isfinite(n.noise(p)));
    // Large coordinates that still have fractions behave like their reduced lattice cell.
    EXPECT_EQ(n.noise(Vec3(3000000.25f, 0.5f, 0.75f)), n.noise(Vec3(3000000.25f - 2999808.0f, 0.5f, 0.75f)));
}
