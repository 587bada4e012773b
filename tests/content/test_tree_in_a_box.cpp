// "Tree In A Box" without a window: the bloom fade-in and the lamps' paths.
#include <gtest/gtest.h>

#include <cmath>

#include "content/SceneTreeInABox.h"

TEST(TreeInABoxBloom, FlickersFromZeroToFullOverTwoSeconds) {
    EXPECT_EQ(SceneTreeInABox::bloomStrength(0.0f), 0.0f);
    EXPECT_EQ(SceneTreeInABox::bloomStrength(-1.0f), 0.0f);
    EXPECT_NEAR(SceneTreeInABox::bloomStrength(2.0f), 1.0f, 1e-6f);  // seven half-waves end high
    EXPECT_EQ(SceneTreeInABox::bloomStrength(2.5f), 1.0f);
    EXPECT_EQ(SceneTreeInABox::bloomStrength(40.0f), 1.0f);

    // Seven half-waves: the strength swings down and up again three times on the way.
    int turns = 0;
    float previous = 0.0f, slope = 1.0f;
    for (float t = 1e-12f; t <= 2.0f; t *= 1.01f) {
        const float k = SceneTreeInABox::bloomStrength(t);
        EXPECT_GE(k, 0.0f);
        EXPECT_LE(k, 1.0f);
        const float s = k - previous;
        if (s * slope < 0.0f) ++turns;
        if (s != 0.0f) slope = s;
        previous = k;
    }
    EXPECT_EQ(turns, 6);

    // Front-loaded: most of the swings happen in the first tenth of a second.
    int earlyTurns = 0;
    previous = 0.0f;
    slope = 1.0f;
    for (float t = 1e-12f; t <= 0.1f; t *= 1.01f) {
        const float k = SceneTreeInABox::bloomStrength(t);
        const float s = k - previous;
        if (s * slope < 0.0f) ++earlyTurns;
        if (s != 0.0f) slope = s;
        previous = k;
    }
    EXPECT_GE(earlyTurns, 4);
}

TEST(TreeInABoxLamps, OrbitStaysInsideTheBoxAndAimPointWanders) {
    for (float t = 0.0f; t < 43.0f; t += 0.37f) {
        const Vec3 p = SceneTreeInABox::lampPosition(t);
        EXPECT_LE(std::fabs(p.x), 2.5f + 1e-5f);
        EXPECT_LE(std::fabs(p.y), 2.5f + 1e-5f);
        EXPECT_LE(std::fabs(p.z), 5.5f + 1e-5f);
        // The orbit in x and z is an ellipse of half axes 2.5 and 5.5.
        EXPECT_NEAR(p.x * p.x / 6.25f + p.z * p.z / 30.25f, 1.0f, 1e-4f);
        const Vec3 aim = SceneTreeInABox::aimPoint(t);
        EXPECT_GE(aim.z, 5.0f - 1e-5f);  // always towards the far wall
        EXPECT_LE(aim.z, 15.0f + 1e-5f);
        EXPECT_LE(std::fabs(aim.x), 10.0f + 1e-5f);
    }
    EXPECT_GT((SceneTreeInABox::aimPoint(3.0f) - SceneTreeInABox::aimPoint(0.0f)).length(), 1.0f);
}
