#include "content/SceneFunkyStripes.h"

#include <gtest/gtest.h>

#include <cmath>

// The stripe colouring of the blob builder's callback, checked without a window.

namespace {

Vec3 stripe(const Vec3& p, float q, float w) {
    Vec3 colour(0.3f, 0.6f, 0.9f);  // whatever the previous vertex left
    SceneFunkyStripes::stripeColour(colour, p, q, w);
    return colour;
}

void expectSameColour(const Vec3& a, const Vec3& b) {
    EXPECT_NEAR(a.x, b.x, 1e-5f);
    EXPECT_NEAR(a.y, b.y, 1e-5f);
    EXPECT_NEAR(a.z, b.z, 1e-5f);
}

}  // namespace

TEST(FunkyStripesColour, WeightZeroGivesWhiteEverywhere) {
    const Vec3 points[] = {Vec3(0, 0, 0), Vec3(1.7f, -0.3f, 2), Vec3(-5, 9, 0.25f)};
    for (const Vec3& p : points)
        for (float q : {0.0f, 0.8f, 3.5f}) expectSameColour(stripe(p, q, 0.0f), Vec3(1, 1, 1));
}

TEST(FunkyStripesColour, StripesRunAlongOneDiagonalAndChangeAcrossIt) {
    // Points with the same 1.3 y + 2.23 x lie on one stripe, whatever their z.
    const Vec3 a(0.4f, 0.2f, 0.0f);
    const float along = 0.7f;
    const Vec3 b(a.x + along * 1.3f, a.y - along * 2.23f, 5.0f);
    expectSameColour(stripe(a, 1.0f, 1.0f), stripe(b, 1.0f, 1.0f));

    // A quarter period across the stripes changes every channel.
    const float quarter = 0.5f * 3.14159265f / (1.3f * 1.3f + 2.23f * 2.23f);
    const Vec3 c(a.x + quarter * 2.23f, a.y + quarter * 1.3f, 0.0f);
    const Vec3 ca = stripe(a, 1.0f, 1.0f);
    const Vec3 cc = stripe(c, 1.0f, 1.0f);
    EXPECT_GT(std::fabs(ca.x - cc.x), 0.1f);
    EXPECT_GT(std::fabs(ca.y - cc.y), 0.05f);
    EXPECT_GT(std::fabs(ca.z - cc.z), 0.02f);
}

TEST(FunkyStripesColour, ShapeValueBrightensAndPartialWeightBlendsTowardsWhite) {
    const Vec3 p(0.1f, -0.4f, 0.0f);
    const Vec3 low = stripe(p, 0.5f, 1.0f);
    const Vec3 high = stripe(p, 1.5f, 1.0f);
    EXPECT_GT(high.x, low.x);
    EXPECT_GT(high.y, low.y);
    EXPECT_GT(high.z, low.z);

    // Half weight lies halfway between white and the full stripe colour.
    const Vec3 half = stripe(p, 0.5f, 0.5f);
    expectSameColour(half, (Vec3(1, 1, 1) + low) * 0.5f);
}
