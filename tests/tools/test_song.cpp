#include "Analysis.h"
#include "Dsp.h"
#include "Instruments.h"
#include "Song.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

bool onBeat(double seconds) {
    double beats = seconds * 2.0;  // 120 BPM
    return std::fabs(beats - std::round(beats)) * 0.5 * 44100.0 < 1.0;  // within one sample
}

double rmsDb(const tools::Stereo& s, double from, double to) {
    size_t a = static_cast<size_t>(from * 44100), b = static_cast<size_t>(to * 44100);
    double e = 0;
    for (size_t i = a; i < b; ++i) e += 0.5 * (s.left[i] * s.left[i] + s.right[i] * s.right[i]);
    return 10.0 * std::log10(e / (b - a) + 1e-20);
}

const tools::Stereo& openingSeconds() {
    static tools::Stereo s = tools::renderArrangement(8.0f);
    return s;
}

} // namespace

TEST(Score, GridOfSixteenthsDoesNotDrift) {
    EXPECT_EQ(tools::stepToSample(0), 0);
    EXPECT_EQ(tools::stepToSample(8), 44100);          // a second
    EXPECT_EQ(tools::stepToSample(1), 5513);           // 5512.5 rounded
    EXPECT_EQ(tools::stepToSample(2032), 11201400);    // 254 s, exact
}

TEST(Score, SectionsCoverTheTrackEndToEndAndChangeOnBeats) {
    const std::vector<tools::Section>& s = tools::songSections();
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s.front().start, 0.0);
    EXPECT_EQ(s.back().end, tools::kSongSeconds);
    for (size_t i = 0; i < s.size(); ++i) {
        EXPECT_LT(s[i].start, s[i].end) << s[i].name;
        EXPECT_TRUE(onBeat(s[i].start)) << s[i].name;
        if (i > 0) {
            EXPECT_EQ(s[i].start, s[i - 1].end) << s[i].name;
        }
    }
    // Every scene change of the production starts a section.
    for (double change : {3.0, 31.0, 55.0, 95.0, 110.0, 135.0, 164.5, 191.0, 208.0}) {
        bool found = std::any_of(s.begin(), s.end(), [&](const tools::Section& x) { return x.start == change; });
        EXPECT_TRUE(found) << change;
    }
}

TEST(Score, BeatArrivesAtThreeSecondsAndEveryHitIsOnTheGrid) {
    tools::ScoreEvents ev = tools::scoreEvents();
    ASSERT_FALSE(ev.kicks.empty());
    EXPECT_DOUBLE_EQ(ev.kicks.front(), 3.0);
    for (double t : ev.kicks) EXPECT_TRUE(onBeat(t)) << t;
    for (double t : ev.claps) EXPECT_TRUE(onBeat(t)) << t;
    for (double t : ev.crashes) EXPECT_TRUE(onBeat(t)) << t;
    for (double change : {3.0, 55.0, 95.0, 110.0, 208.0})
        EXPECT_TRUE(std::count(ev.crashes.begin(), ev.crashes.end(), change)) << "crash at " << change;
    // The breaks before the drop and the climax are free of kicks; both start with one.
    for (double t : ev.kicks) {
        EXPECT_FALSE(t >= 109.0 && t < 110.0) << t;
        EXPECT_FALSE(t >= 207.0 && t < 208.0) << t;
        EXPECT_LT(t, 245.0);
    }
    EXPECT_TRUE(std::count(ev.kicks.begin(), ev.kicks.end(), 110.0));
    EXPECT_TRUE(std::count(ev.kicks.begin(), ev.kicks.end(), 208.0));
    // The music-driven scenes get hats on every beat.
    for (double beat = 55.0; beat < 109.0; beat += 0.5) {
        bool hat = std::any_of(ev.hats.begin(), ev.hats.end(), [&](double t) { return t >= beat && t < beat + 0.5; });
        EXPECT_TRUE(hat) << beat;
    }
}

TEST(Arrangement, IntroIsQuietAndTheBeatArrivesWithTheFirstScene) {
    const tools::Stereo& s = openingSeconds();
    ASSERT_EQ(s.size(), static_cast<size_t>(8 * 44100));
    for (size_t i = 0; i < s.size(); i += 97) ASSERT_TRUE(std::isfinite(s.left[i]) && std::isfinite(s.right[i]));
    EXPECT_LT(rmsDb(s, 0.0, 2.5), rmsDb(s, 3.5, 8.0) - 6.0);
    // The kick at 3 s: the low end jumps at that instant.
    EXPECT_GT(rmsDb(s, 3.0, 3.1), rmsDb(s, 2.85, 2.95) + 6.0);
}

TEST(Arrangement, HighBandPulsesWithTheBeat) {
    const tools::Stereo& s = openingSeconds();
    std::vector<float> band = tools::bandEnvelope(s, 2048, 441, 256, 767);
    std::vector<float> groove(band.begin() + 350, band.begin() + 750);  // 3.5 .. 7.5 s
    size_t lag = tools::bestPeakLag(groove, 20, 105);
    double period = lag * 0.01;
    EXPECT_TRUE(std::fabs(period - 0.5) < 0.02 || std::fabs(period - 0.25) < 0.02 || std::fabs(period - 1.0) < 0.02)
        << period;
    EXPECT_GT(tools::quantile(groove, 0.95f), 3.0f * tools::quantile(groove, 0.5f));
}

TEST(Arrangement, RendersTheSameEveryTime) {
    tools::Stereo a = tools::renderArrangement(1.0f), b = tools::renderArrangement(1.0f);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
}

TEST(Mastering, ReachesTheLoudnessTargetUnderTheCeilingWithoutDc) {
    tools::MasterReport report;
    tools::Stereo s = tools::renderSong(8.0f, -14.0f, &report);
    EXPECT_NEAR(tools::integratedLoudness(s, 44100.0f), -14.0, 0.3);
    EXPECT_NEAR(report.loudnessAfter, -14.0, 0.3);
    EXPECT_LE(tools::gainToDb(tools::truePeak(s)), -2.7f);
    double dc = 0;
    for (size_t i = 0; i < s.size(); ++i) dc += s.left[i] + s.right[i];
    EXPECT_LT(std::fabs(dc / (2.0 * s.size())), 1e-3);
}

TEST(Instruments, KickSweepsDownAndDecays) {
    tools::Stereo bus;
    bus.resize(44100);
    tools::renderKick(bus, 100, 1.0f);
    for (size_t i = 0; i < 100; ++i) EXPECT_EQ(bus.left[i], 0.0f);
    float peak = 0;
    for (float v : bus.left) peak = std::max(peak, std::fabs(v));
    EXPECT_NEAR(peak, 0.5f, 0.05f);  // about -6 dBFS
    // Zero crossings are closer together at the start (high pitch) than later.
    auto crossings = [&](size_t a, size_t b) {
        int c = 0;
        for (size_t i = a + 1; i < b; ++i) c += (bus.left[i - 1] < 0) != (bus.left[i] < 0);
        return c;
    };
    EXPECT_GT(crossings(100, 100 + 2205), crossings(100 + 8820, 100 + 8820 + 2205));
    EXPECT_LT(std::fabs(bus.left[100 + 22000]), 0.02f);
    EXPECT_EQ(bus.left, bus.right);  // mono in the centre
}

TEST(Instruments, ChokedOpenHatStopsWhereTheNextHatStarts) {
    tools::Stereo free, choked;
    free.resize(44100);
    choked.resize(44100);
    tools::renderHat(free, 0, 1.0f, true, 0, 7);
    tools::renderHat(choked, 0, 1.0f, true, 5000, 7);
    for (size_t i = 0; i < 4000; ++i) ASSERT_EQ(free.left[i], choked.left[i]);
    float after = 0, freeAfter = 0;
    for (size_t i = 5400; i < 10000; ++i) {
        after = std::max(after, std::fabs(choked.left[i]));
        freeAfter = std::max(freeAfter, std::fabs(free.left[i]));
    }
    EXPECT_EQ(after, 0.0f);
    EXPECT_GT(freeAfter, 0.001f);
}

TEST(Instruments, RenderingPastTheEndOfTheBusIsDropped) {
    tools::Stereo bus;
    bus.resize(1000);
    tools::renderCrash(bus, 900, 1.0f, 3);
    tools::renderPad(bus, 990, 44100, std::vector<int>{57, 60, 64}.data(), 3, 1.0f, 2000.0f, 0.01f, 1);
    tools::renderRiser(bus, 5000, 1000, 1.0f, 1);  // wholly outside
    tools::renderBass(bus, -0 + 999, 10, 33.0f, 1.0f, 300.0f);
    EXPECT_EQ(bus.size(), 1000u);
    for (size_t i = 0; i < 900; ++i) EXPECT_EQ(bus.left[i], 0.0f);
}
