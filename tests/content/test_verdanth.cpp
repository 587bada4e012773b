// "Verdanth" without a window: the growth falloff, the music level and the seek point.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "content/SceneVerdanth.h"

namespace {

const int kFirst = SceneVerdanth::kBandFirst;
const int kLast = SceneVerdanth::kBandLast;

struct Band {
    std::vector<float> spectrum = std::vector<float>(SceneVerdanth::kSpectrumSize, 0.0f);
    std::vector<float> history = std::vector<float>(SceneVerdanth::kHistorySize, 0.0f);
    float fold() { return SceneVerdanth::foldSpectrum(spectrum.data(), history.data()); }
};

}  // namespace

TEST(VerdanthGrowth, FalloffLeavesTheRimInPlaceAndPushesTheCentreFully) {
    EXPECT_EQ(SceneVerdanth::growthFalloff(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(SceneVerdanth::growthFalloff(1.0f), 1.0f);
    // A smoothstep: symmetric about the middle, rising, and flat at both ends.
    for (float x = 0.0f; x <= 1.0f; x += 0.05f) {
        EXPECT_NEAR(SceneVerdanth::growthFalloff(x) + SceneVerdanth::growthFalloff(1.0f - x), 1.0f,
                    1e-5f)
            << x;
        EXPECT_LE(SceneVerdanth::growthFalloff(x), SceneVerdanth::growthFalloff(x + 0.01f)) << x;
    }
    EXPECT_LT(SceneVerdanth::growthFalloff(0.01f), 1e-4f);
    EXPECT_GT(SceneVerdanth::growthFalloff(0.99f), 1.0f - 1e-4f);
}

TEST(VerdanthGrowth, SeekPointStartsAtFourAndAHalfAndSelectionRadiusAtThree) {
    EXPECT_NEAR(SceneVerdanth::seekPoint(0.0f).length(), 4.5f, 1e-5f);
    EXPECT_FLOAT_EQ(SceneVerdanth::selectionRadius(0.0f), 3.0f);
    // The rotations only turn the point: its distance is the radial term times the pulse.
    for (float t : {0.7f, 3.1f, 9.9f, 14.5f}) {
        const float expected = (0.4f * t + 3.0f) * (0.5f * std::cos(3.7684f * t) + 1.0f);
        EXPECT_NEAR(SceneVerdanth::seekPoint(t).length(), expected, 1e-4f * expected) << t;
        EXPECT_GE(SceneVerdanth::selectionRadius(t), 2.0f);
        EXPECT_LE(SceneVerdanth::selectionRadius(t), 4.0f);
    }
    // It wanders: not just scaled along one axis.
    const Vec3 a = SceneVerdanth::seekPoint(1.0f).normalized();
    const Vec3 b = SceneVerdanth::seekPoint(2.0f).normalized();
    EXPECT_LT(dot(a, b), 0.99f);
}

TEST(VerdanthLevel, SilenceKeepsTheLevelAtZero) {
    Band band;
    for (int frame = 0; frame < 10; ++frame) EXPECT_EQ(band.fold(), 0.0f);
    for (float h : band.history) EXPECT_EQ(h, 0.0f);
}

TEST(VerdanthLevel, BandIsNormalisedByItsLoudestBinAndSmoothed) {
    Band band;
    band.spectrum[400] = 0.02f;
    band.spectrum[450] = 0.01f;
    const float level = band.fold();
    // The loudest bin counts as 1 and enters with weight 0.15; the other one at its share.
    EXPECT_NEAR(band.history[400], 0.15f, 1e-6f);
    EXPECT_NEAR(band.history[450], 0.075f, 1e-6f);
    EXPECT_NEAR(level, (0.15f + 0.075f) / SceneVerdanth::kBandSize, 1e-7f);
    EXPECT_NEAR(band.spectrum[400], 1.0f, 1e-6f);
}

TEST(VerdanthLevel, BinsOfExactlyOneDoNotSetTheMaximum) {
    Band band;
    band.spectrum[kFirst] = 1.0f;
    band.spectrum[kLast] = 0.5f;
    band.fold();
    EXPECT_NEAR(band.spectrum[kLast], 1.0f, 1e-6f);
    EXPECT_NEAR(band.spectrum[kFirst], 2.0f, 1e-6f);  // divided like every bin of the band
}

TEST(VerdanthLevel, OnlyTheBandIsReadAndWritten) {
    Band band;
    band.spectrum[kFirst - 1] = 5.0f;
    band.spectrum[kLast + 1] = 7.0f;
    band.history[kFirst - 1] = 0.25f;
    band.history[kLast + 1] = 0.5f;
    EXPECT_EQ(band.fold(), 0.0f);  // the loud bins outside the band are not heard
    EXPECT_EQ(band.spectrum[kFirst - 1], 5.0f);
    EXPECT_EQ(band.spectrum[kLast + 1], 7.0f);
    EXPECT_EQ(band.history[kFirst - 1], 0.25f);
    EXPECT_EQ(band.history[kLast + 1], 0.5f);
}

TEST(VerdanthLevel, SteadyBandRisesTowardsOneAndDecaysInSilence) {
    Band band;
    float previous = 0.0f;
    for (int frame = 0; frame < 60; ++frame) {
        for (int i = kFirst; i <= kLast; ++i) band.spectrum[i] = 0.3f;
        const float level = band.fold();
        EXPECT_GT(level, previous);
        previous = level;
    }
    EXPECT_NEAR(previous, 1.0f, 1e-3f);
    // Silence: the maximum is 0, nothing is normalised, and each frame keeps 85 %.
    for (int i = kFirst; i <= kLast; ++i) band.spectrum[i] = 0.0f;
    const float decayed = band.fold();
    EXPECT_NEAR(decayed, 0.85f * previous, 1e-5f);
}
