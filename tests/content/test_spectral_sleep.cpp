// The spectrum analysis of "Spectral Sleep": normalisation of the watched bins, reduction of
// the smoothed history into bands, and the band colour.
#include <gtest/gtest.h>

#include <vector>

#include "content/SceneSpectralSleep.h"

namespace {

const int kFirst = SceneSpectralSleep::kFirstBin;
const int kLast = SceneSpectralSleep::kFirstBin + SceneSpectralSleep::kBinCount - 1;  // 767

std::vector<float> spectrum(float fill = 0.0f) {
    return std::vector<float>(SceneSpectralSleep::kSpectrumSize, fill);
}

std::vector<float> history(float fill = 0.0f) {
    return std::vector<float>(SceneSpectralSleep::kHistorySize, fill);
}

std::vector<float> bandsOf(const std::vector<float>& h) {
    std::vector<float> bands(SceneSpectralSleep::kBandTableSize, -99.0f);
    SceneSpectralSleep::reduceToBands(h.data(), bands.data());
    return bands;
}

}  // namespace

TEST(SpectralSleepBins, SilenceStaysSilent) {
    std::vector<float> s = spectrum();
    SceneSpectralSleep::normaliseBins(s.data());
    for (float v : s) EXPECT_EQ(v, 0.0f);
}

TEST(SpectralSleepBins, MeanIsRemovedAndTheLargestBinScaledToOne) {
    std::vector<float> s = spectrum();
    s[300] = 0.5f;
    SceneSpectralSleep::normaliseBins(s.data());
    // Mean 0.5 / 512, maximum 0.5.
    EXPECT_FLOAT_EQ(s[300], (0.5f - 0.5f / 512.0f) / 0.5f);
    EXPECT_FLOAT_EQ(s[kFirst], -1.0f / 512.0f);
    EXPECT_FLOAT_EQ(s[kLast], -1.0f / 512.0f);
}

TEST(SpectralSleepBins, BinsOfExactlyOneCountForNeitherMeanNorMaximum) {
    std::vector<float> s = spectrum();
    s[300] = 0.5f;
    s[400] = 1.0f;
    SceneSpectralSleep::normaliseBins(s.data());
    // Still mean 0.5 / 512 and maximum 0.5; the 1.0 bin is normalised with them.
    EXPECT_FLOAT_EQ(s[300], (0.5f - 0.5f / 512.0f) / 0.5f);
    EXPECT_FLOAT_EQ(s[400], (1.0f - 0.5f / 512.0f) / 0.5f);
    EXPECT_FLOAT_EQ(s[500], -1.0f / 512.0f);
}

TEST(SpectralSleepBins, OnlyOnesMeansNoMaximumAndTheBinsStayRaw) {
    std::vector<float> s = spectrum(1.0f);
    SceneSpectralSleep::normaliseBins(s.data());
    for (int i = kFirst; i <= kLast; ++i) ASSERT_EQ(s[i], 1.0f) << i;
}

TEST(SpectralSleepBins, BinsOutsideTheWatchedRangeAreNeitherReadNorChanged) {
    std::vector<float> s = spectrum();
    s[kFirst - 1] = 7.0f;
    s[kLast + 1] = 9.0f;
    s[0] = 3.0f;
    SceneSpectralSleep::normaliseBins(s.data());
    EXPECT_EQ(s[kFirst - 1], 7.0f);
    EXPECT_EQ(s[kLast + 1], 9.0f);
    EXPECT_EQ(s[0], 3.0f);
    for (int i = kFirst; i <= kLast; ++i) ASSERT_EQ(s[i], 0.0f) << i;  // no maximum inside
}

TEST(SpectralSleepBands, BandZeroAveragesOneEntryMoreThanTheOthers) {
    const std::vector<float> bands = bandsOf(history(1.0f));
    EXPECT_FLOAT_EQ(bands[0], 21.0f / 20.0f);
    for (int k = 1; k < SceneSpectralSleep::kBlobCount; ++k) EXPECT_FLOAT_EQ(bands[k], 1.0f) << k;
}

TEST(SpectralSleepBands, EntriesFallIntoTheirBandsAtTheBoundaries) {
    // {entry, band it belongs to}
    const int cases[][2] = {{256, 0}, {276, 0}, {277, 1}, {296, 1}, {297, 2}, {536, 13},
                            {537, 14}, {556, 14}, {557, 15}};
    for (const auto& c : cases) {
        std::vector<float> h = history();
        h[c[0]] = 1.0f;
        const std::vector<float> bands = bandsOf(h);
        for (int k = 0; k < SceneSpectralSleep::kBlobCount; ++k)
            EXPECT_FLOAT_EQ(bands[k], k == c[1] ? 0.05f : 0.0f) << "entry " << c[0] << " band " << k;
    }
}

TEST(SpectralSleepBands, TheWalkStaysInsideTheBandTableAndIgnoresOtherEntries) {
    std::vector<float> h = history();
    h[kFirst - 1] = 100.0f;
    h[kLast + 1] = 100.0f;
    h[kLast] = 1.0f;  // the last watched entry lands in the partly filled scratch band 25
    const std::vector<float> bands = bandsOf(h);
    for (int k = 0; k < SceneSpectralSleep::kBandTableSize - 1; ++k) EXPECT_EQ(bands[k], 0.0f) << k;
    EXPECT_FLOAT_EQ(bands[SceneSpectralSleep::kBandTableSize - 1], 1.0f);
}

TEST(SpectralSleepBands, NegativeHistoryGivesNegativeBands) {
    const std::vector<float> bands = bandsOf(history(-0.3f));
    for (int k = 1; k < SceneSpectralSleep::kBlobCount; ++k) EXPECT_FLOAT_EQ(bands[k], -0.3f);
}

TEST(SpectralSleepColour, LevelZeroIsWhiteAnywhere) {
    const Vec3 points[] = {Vec3(0, 0, 0), Vec3(0.3f, -1.2f, 2), Vec3(-4, 5, 0.5f)};
    for (const Vec3& p : points) {
        Vec3 colour(0.2f, 0.4f, 0.6f);
        SceneSpectralSleep::bandColour(colour, p, 1.7f, 0.0f);
        EXPECT_FLOAT_EQ(colour.x, 1.0f);
        EXPECT_FLOAT_EQ(colour.y, 1.0f);
        EXPECT_FLOAT_EQ(colour.z, 1.0f);
    }
}

TEST(SpectralSleepColour, FullLevelIsRedHeavyAndStriped) {
    Vec3 atOrigin, onStripe;
    SceneSpectralSleep::bandColour(atOrigin, Vec3(0, 0, 0), 1.0f, 1.0f);
    // At the origin the stripe term is 0 and m = 0.5.
    EXPECT_FLOAT_EQ(atOrigin.x, 2.5f * 0.5f);
    EXPECT_FLOAT_EQ(atOrigin.y, 0.5f * 0.5f);
    EXPECT_FLOAT_EQ(atOrigin.z, 0.35f * 0.5f);
    // A stripe crest (1.3 y + 2.23 x = pi / 2) is brighter in every channel.
    SceneSpectralSleep::bandColour(onStripe, Vec3(1.5707963f / 2.23f, 0, 0), 1.0f, 1.0f);
    EXPECT_GT(onStripe.x, atOrigin.x);
    EXPECT_GT(onStripe.y, atOrigin.y);
    EXPECT_GT(onStripe.z, atOrigin.z);
    EXPECT_GT(onStripe.x, onStripe.y);
    EXPECT_GT(onStripe.y, onStripe.z);
}
