// The paths and curves of "Cancerous" that need no OpenGL: where the moons and the growth
// point go, how hard the growth pushes, how far the camera stands.
#include <gtest/gtest.h>

#include <cmath>

#include "content/SceneCancerous.h"

namespace {
const float kBlobRadius = 3.0f;
const float kMoonRadius = 2.0f;
}  // namespace

TEST(CancerousPaths, MoonsReachIntoTheBlobAndBackOutDuringTheScene) {
    for (float startX : {3.5f, -3.5f}) {
        bool pressing = false, clear = false;
        for (float t = 0.0f; t < 24.0f; t += 0.05f) {
            const float d = SceneCancerous::moonPoint(Vec3(startX, 0, 0), t).length();
            // The orbit radius swings between 0.75 and 1.75 times the start distance.
            ASSERT_GE(d, 3.5f * 0.75f - 1e-4f);
            ASSERT_LE(d, 3.5f * 1.75f + 1e-4f);
            if (d < kBlobRadius + kMoonRadius) pressing = true;
            if (d > kBlobRadius + kMoonRadius) clear = true;
        }
        EXPECT_TRUE(pressing) << startX;
        EXPECT_TRUE(clear) << startX;
    }
}

TEST(CancerousPaths, GrowthStartsOutOfReachAndLaterTouchesTheBlob) {
    // First frame: the growth sphere lies wholly outside the blob.
    EXPECT_GT(SceneCancerous::growthPoint(0.0f).length() - SceneCancerous::growthRadius(0.0f),
              kBlobRadius);
    bool touches = false;
    for (float t = 0.0f; t < 24.0f && !touches; t += 0.05f)
        touches = SceneCancerous::growthPoint(t).length() - SceneCancerous::growthRadius(t) <
                  kBlobRadius;
    EXPECT_TRUE(touches);
}

TEST(CancerousGrowth, AStillFrameStillPushes) {
    for (float t : {0.0f, 3.0f, 11.5f, 23.9f}) EXPECT_FLOAT_EQ(SceneCancerous::growthAmount(t, 0.0f), 0.2f);
}

TEST(CancerousCamera, PullsBackWithTheGrowthUntilFortySevenSeconds) {
    const Vec3 growth(0.0f, 4.0f, 3.0f);  // length 5
    const float pulled = 9.0f * (std::pow(5.0f, 0.3f) * 0.5f + 1.0f);
    EXPECT_FLOAT_EQ(SceneCancerous::cameraDistance(31.0f, growth), pulled);
    EXPECT_FLOAT_EQ(SceneCancerous::cameraDistance(47.0f, growth), pulled);
    // Without growth there is nothing to pull back for.
    EXPECT_FLOAT_EQ(SceneCancerous::cameraDistance(40.0f, Vec3()), 9.0f);
}

TEST(CancerousCamera, ComesBackToNineWithinASecond) {
    const Vec3 growth(6.0f, 0.0f, 0.0f);
    const float pulled = SceneCancerous::cameraDistance(46.0f, growth);
    float previous = pulled;
    for (float T = 47.05f; T < 48.0f; T += 0.1f) {
        const float d = SceneCancerous::cameraDistance(T, growth);
        EXPECT_LT(d, previous) << T;
        EXPECT_GT(d, 9.0f) << T;
        previous = d;
    }
    EXPECT_FLOAT_EQ(SceneCancerous::cameraDistance(48.0f, growth), 9.0f);
    EXPECT_FLOAT_EQ(SceneCancerous::cameraDistance(54.9f, growth), 9.0f);
}
