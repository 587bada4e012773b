#include "render/Random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
std::vector<int> draw(unsigned seed, int count) {
    demoSeed(seed);
    std::vector<int> v;
    for (int i = 0; i < count; ++i) v.push_back(demoRand());
    return v;
}
}  // namespace

TEST(DemoRandom, SeedRepeatsItsSequenceAndSeedsDiffer) {
    const std::vector<int> a = draw(21, 1000);
    const std::vector<int> b = draw(21, 1000);
    EXPECT_EQ(a, b);
    EXPECT_NE(draw(123, 1000), a);
    EXPECT_NE(draw(0, 1000), draw(1, 1000));
}

TEST(DemoRandom, MatchesTheCStandardSampleGeneratorOnEveryPlatform) {
    // The C standard's portable example rand(): next = next * 1103515245 + 12345,
    // value = (next / 65536) % 32768, computed here in 64-bit arithmetic.
    unsigned long long next = 77;
    demoSeed(77);
    for (int i = 0; i < 5000; ++i) {
        next = (next * 1103515245ull + 12345ull) % 4294967296ull;
        ASSERT_EQ(demoRand(), static_cast<int>((next / 65536) % 32768)) << "draw " << i;
    }
}

TEST(DemoRandom, ValuesCoverZeroToRandMax) {
    demoSeed(5);
    int lo = demoRandMax, hi = 0;
    long long sum = 0;
    const int n = 200000;
    for (int i = 0; i < n; ++i) {
        const int v = demoRand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, demoRandMax);
        lo = v < lo ? v : lo;
        hi = v > hi ? v : hi;
        sum += v;
    }
    EXPECT_LT(lo, 10);
    EXPECT_GT(hi, demoRandMax - 10);
    EXPECT_NEAR(static_cast<double>(sum) / n, demoRandMax / 2.0, 200.0);
}

TEST(DemoRandom, DrawCounterCountsAndRestartsWithTheSeed) {
    demoSeed(9);
    EXPECT_EQ(demoRandDraws(), 0u);
    for (int i = 0; i < 17; ++i) demoRand();
    EXPECT_EQ(demoRandDraws(), 17u);
    demoSeed(9);
    EXPECT_EQ(demoRandDraws(), 0u);
}
