// "BubblesOfLife" without a window: the pauses and the envelopes of the scene.
#include <gtest/gtest.h>

#include "content/SceneBubblesOfLife.h"

namespace {

SceneBubblesOfLife::Envelopes at(float t) { return SceneBubblesOfLife::envelopesAt(t); }

}  // namespace

TEST(BubblesEnvelopes, SwarmStopsInsideEachOfTheThreePauses) {
    // Each pause is fully on between the end of its one-second rise and the start of its fall.
    for (float t : {4.4f, 5.0f, 5.5f, 9.9f, 12.4f, 17.9f, 19.5f}) EXPECT_EQ(at(t).speed, 0.0f) << t;
    // And the swarm runs at full speed before, between and after them.
    for (float t : {0.0f, 2.0f, 3.3f, 7.0f, 8.8f, 14.0f, 16.8f, 21.0f, 29.5f})
        EXPECT_EQ(at(t).speed, 1.0f) << t;
}

TEST(BubblesEnvelopes, PausesEaseInAndOut) {
    // Inside a rise or a fall the speed is strictly between stop and full.
    for (float t : {3.5f, 4.0f, 6.0f, 9.5f, 13.0f, 17.0f, 20.2f}) {
        EXPECT_GT(at(t).speed, 0.0f) << t;
        EXPECT_LT(at(t).speed, 1.0f) << t;
    }
    // Falling speed into the first pause, rising speed out of it.
    EXPECT_GT(at(3.4f).speed, at(4.2f).speed);
    EXPECT_LT(at(5.6f).speed, at(6.4f).speed);
}

TEST(BubblesEnvelopes, SwarmStartsSmallAndBunchedAndGrowsToFullLife) {
    EXPECT_FLOAT_EQ(at(0.0f).life, 0.1f);
    // The bubble size factor life + (1 - life) * 0.2 is 0.28 at the start.
    const float life = at(0.0f).life;
    EXPECT_NEAR(life + (1.0f - life) * 0.2f, 0.28f, 1e-6f);
    EXPECT_FLOAT_EQ(at(2.0f).life, 0.1f);   // the rise starts at 2 s
    EXPECT_FLOAT_EQ(at(10.0f).life, 1.0f);  // full life after 5 s
    EXPECT_FLOAT_EQ(at(26.5f).life, 1.0f);
    // The swarm draws back in over the last three seconds.
    EXPECT_LT(at(28.0f).life, 1.0f);
    EXPECT_NEAR(at(29.5f).life, 0.1f, 1e-6f);
    for (float t = 0.0f; t < 29.5f; t += 0.25f) {
        EXPECT_GE(at(t).life, 0.1f - 1e-6f) << t;
        EXPECT_LE(at(t).life, 1.0f + 1e-6f) << t;
    }
}

TEST(BubblesEnvelopes, ZoomAndHeightStayInTheirRanges) {
    EXPECT_EQ(at(0.0f).zoom, 0.0f);
    EXPECT_FLOAT_EQ(at(0.0f).height, 0.2f);
    EXPECT_FLOAT_EQ(at(10.0f).zoom, 1.0f);
    EXPECT_FLOAT_EQ(at(10.0f).height, 1.0f);
    for (float t = 0.0f; t < 29.5f; t += 0.1f) {
        EXPECT_GE(at(t).height, 0.2f - 1e-6f) << t;
        EXPECT_LE(at(t).height, 1.0f + 1e-6f) << t;
        EXPECT_GE(at(t).zoom, 0.0f) << t;
        EXPECT_LE(at(t).zoom, 1.0f + 1e-6f) << t;
    }
    // Zooming out again over the last second.
    EXPECT_LT(at(29.5f).zoom, at(28.0f).zoom);
}
