#include "Noise.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <cmath>

using tools::PeriodicNoise;
using tools::Worley;

TEST(PeriodicNoise, RepeatsExactlyAfterItsPeriodInBothDirections) {
    PeriodicNoise n(7);
    tools::Random r(1);
    for (int i = 0; i < 200; ++i) {
        float x = r.range(0.0f, 5.0f), y = r.range(0.0f, 3.0f);
        float v = n.lattice(x, y, 5, 3);
        EXPECT_NEAR(n.lattice(x + 5.0f, y, 5, 3), v, 1e-4f);
        EXPECT_NEAR(n.lattice(x, y + 3.0f, 5, 3), v, 1e-4f);
        EXPECT_NEAR(n.lattice(x - 10.0f, y - 6.0f, 5, 3), v, 1e-4f);
    }
}

TEST(PeriodicNoise, FractalSumsTileTheUnitSquare) {
    PeriodicNoise n(11);
    tools::Random r(2);
    for (int i = 0; i < 100; ++i) {
        float u = r.uniform(), v = r.uniform();
        EXPECT_NEAR(n.fbm(u, v, 3, 4, 6), n.fbm(u + 1.0f, v, 3, 4, 6), 2e-4f);
        EXPECT_NEAR(n.turbulence(u, v, 2, 2, 4), n.turbulence(u, v + 1.0f, 2, 2, 4), 2e-4f);
        EXPECT_NEAR(n.ridged(u, v, 4, 4, 4), n.ridged(u + 1.0f, v + 1.0f, 4, 4, 4), 2e-4f);
    }
}

TEST(PeriodicNoise, IsZeroOnLatticePointsAndVariesBetweenThem) {
    PeriodicNoise n(3);
    EXPECT_NEAR(n.lattice(2.0f, 1.0f, 8, 8), 0.0f, 1e-6f);
    double sum = 0, sq = 0;
    float lo = 1e9f, hi = -1e9f;
    const int count = 4000;
    tools::Random r(5);
    for (int i = 0; i < count; ++i) {
        float v = n.lattice(r.range(0, 8), r.range(0, 8), 8, 8);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        sum += v;
        sq += v * v;
    }
    double mean = sum / count, sd = std::sqrt(sq / count - mean * mean);
    EXPECT_LT(std::fabs(mean), 0.05);
    EXPECT_GT(sd, 0.15);
    EXPECT_GE(lo, -1.5f);
    EXPECT_LE(hi, 1.5f);
}

TEST(PeriodicNoise, DifferentSeedsGiveDifferentFields) {
    PeriodicNoise a(1), b(2);
    int differing = 0;
    for (int i = 0; i < 50; ++i) {
        float u = 0.013f * i + 0.1f, v = 0.029f * i + 0.3f;
        if (std::fabs(a.fbm(u, v, 4, 4, 3) - b.fbm(u, v, 4, 4, 3)) > 1e-3f) ++differing;
    }
    EXPECT_GT(differing, 40);
}

TEST(Worley, DistancesWrapAroundTheTorus) {
    Worley w(6, 4, 0.9f, 99);
    tools::Random r(3);
    for (int i = 0; i < 200; ++i) {
        float u = r.uniform(), v = r.uniform();
        tools::WorleySample a = w.sample(u, v), b = w.sample(u + 1.0f, v - 1.0f);
        EXPECT_NEAR(a.f1, b.f1, 1e-3f);
        EXPECT_NEAR(a.f2, b.f2, 1e-3f);
        EXPECT_EQ(a.cellId, b.cellId);
        EXPECT_LE(a.f1, a.f2);
    }
}

TEST(Worley, NearestFeatureIsWithinReachOfItsCell) {
    // With one feature per cell, no point is farther than a cell diagonal from its nearest one,
    // and on a regular grid the nearest feature of a cell's centre is at distance 0.
    Worley jittered(8, 8, 1.0f, 4);
    tools::Random r(8);
    for (int i = 0; i < 500; ++i) EXPECT_LT(jittered.sample(r.uniform(), r.uniform()).f1, 1.5f);
    Worley grid(8, 8, 0.0f, 4);
    tools::WorleySample s = grid.sample(0.5f / 8, 0.5f / 8);
    EXPECT_NEAR(s.f1, 0.0f, 1e-5f);
    EXPECT_NEAR(s.f2, 1.0f, 1e-5f);
}
