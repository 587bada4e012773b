// The timed values of "Lumerant Budget": bloom, swell and soften curves, the cube deformation
// they drive.
#include <gtest/gtest.h>

#include "content/SceneLumerantBudget.h"

namespace {

BoxShape deformationAt(float t) {
    BoxShape block;
    block.halfX = block.halfY = block.halfZ = 1.0f;
    SceneLumerantBudget::setDeformation(block, t, SceneLumerantBudget::curvesAt(t));
    return block;
}

}  // namespace

TEST(LumerantBudgetCurves, NothingSwellsOrSoftensInTheFirstTwoSeconds) {
    for (float t : {-1.0f, 0.0f, 1.0f, 2.0f}) {
        const SceneLumerantBudget::Curves c = SceneLumerantBudget::curvesAt(t);
        EXPECT_EQ(c.swell, 0.0f) << t;
        EXPECT_EQ(c.soften, 0.0f) << t;
        const BoxShape b = deformationAt(t);
        EXPECT_EQ(b.bulgeAmp, 0.0f);
        EXPECT_EQ(b.bulge2Amp, 0.0f);
        EXPECT_EQ(b.waveXAmp, 0.0f);
        EXPECT_EQ(b.waveZAmp, 0.0f);
        EXPECT_EQ(b.roundness, 0.0f);
        EXPECT_EQ(b.twistRate, 0.0f);
    }
}

TEST(LumerantBudgetCurves, FullySwollenFromFiveAndAHalfSeconds) {
    for (float t : {5.5f, 6.0f, 20.0f}) {
        EXPECT_FLOAT_EQ(SceneLumerantBudget::curvesAt(t).swell, 1.0f) << t;
        const BoxShape b = deformationAt(t);
        EXPECT_FLOAT_EQ(b.bulgeAmp, 0.25f);
        EXPECT_FLOAT_EQ(b.bulge2Amp, 0.25f);
        EXPECT_FLOAT_EQ(b.waveXAmp, 3.0f);
        EXPECT_FLOAT_EQ(b.waveZAmp, 3.0f);
        EXPECT_FLOAT_EQ(b.twistRate, 0.2f);
    }
    // Softening takes until 17 s.
    EXPECT_LT(SceneLumerantBudget::curvesAt(10.0f).soften, 1.0f);
    EXPECT_FLOAT_EQ(deformationAt(17.5f).roundness, 0.25f);
}

TEST(LumerantBudgetCurves, BloomReachesFullStrengthAtTwoSeconds) {
    EXPECT_EQ(SceneLumerantBudget::curvesAt(0.0f).bloom, 0.0f);
    EXPECT_FLOAT_EQ(SceneLumerantBudget::curvesAt(2.0f).bloom, 1.0f);
    EXPECT_FLOAT_EQ(SceneLumerantBudget::curvesAt(8.0f).bloom, 1.0f);
    // It flickers on the way: somewhere in between it falls back.
    bool fellBack = false;
    float previous = 0.0f;
    for (float t = 0.01f; t < 2.0f; t += 0.01f) {
        const float b = SceneLumerantBudget::curvesAt(t).bloom;
        if (b < previous - 0.05f) fellBack = true;
        previous = b;
    }
    EXPECT_TRUE(fellBack);
}
