// "Tree In A Box" without a window: the bloom fade-in.
#include <gtest/gtest.h>

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
