#include "Dsp.h"
#include "Master.h"

#include <gtest/gtest.h>

#include <cmath>

using tools::kSampleRate;

namespace {

float rms(const std::vector<float>& v, size_t from, size_t to) {
    double s = 0;
    for (size_t i = from; i < to; ++i) s += v[i] * v[i];
    return static_cast<float>(std::sqrt(s / (to - from)));
}

tools::Stereo sine(float hz, float amplitude, float seconds, float phase = 0.0f) {
    tools::Stereo s;
    s.resize(static_cast<size_t>(seconds * kSampleRate));
    for (size_t i = 0; i < s.size(); ++i) {
        double cycles = std::fmod(static_cast<double>(hz) * i / kSampleRate, 1.0);
        float v = amplitude * static_cast<float>(std::sin(2.0 * 3.14159265358979 * cycles + phase));
        s.left[i] = s.right[i] = v;
    }
    return s;
}

// Amplitude of a sine of hz after a filter, measured in steady state.
float svfGain(float cutoff, float hz) {
    tools::Svf f;
    f.set(cutoff, 1.0f);
    std::vector<float> out;
    for (int i = 0; i < 44100; ++i) {
        f.process(std::sin(2.0f * tools::kPi * hz * i / kSampleRate));
        out.push_back(f.low());
    }
    return rms(out, 22050, 44100) * std::sqrt(2.0f);
}

} // namespace

TEST(Oscillators, SawAndPulseRunAtTheirFrequencyWithinBounds) {
    tools::SawOsc saw;
    tools::PulseOsc pulse;
    saw.setFrequency(441.0f);
    pulse.setFrequency(441.0f);
    pulse.setWidth(0.25f);
    int sawWraps = 0, pulseRises = 0;
    float prevSaw = saw.next(), prevPulse = pulse.next();
    double sawSum = 0, pulseSum = 0;
    for (int i = 1; i < 44100; ++i) {
        float s = saw.next(), p = pulse.next();
        if (prevSaw < 0.0f && s >= 0.0f) ++sawWraps;  // the ramp rises through zero once a cycle
        if (p > 0.0f && prevPulse <= 0.0f) ++pulseRises;
        EXPECT_LE(std::fabs(s), 1.2f);
        EXPECT_LE(std::fabs(p), 1.3f);
        sawSum += s;
        pulseSum += p;
        prevSaw = s;
        prevPulse = p;
    }
    EXPECT_NEAR(sawWraps, 441, 1);
    EXPECT_NEAR(pulseRises, 441, 1);
    EXPECT_NEAR(sawSum / 44100, 0.0, 0.01);
    EXPECT_NEAR(pulseSum / 44100, -0.5, 0.02);  // 25 % high, 75 % low
}

TEST(Oscillators, PolyBlepSmoothsTheSawtoothStep) {
    // At a high pitch the naive step would jump by 2; the corrected saw spreads it over samples.
    tools::SawOsc saw;
    saw.setFrequency(5000.0f);
    float prev = saw.next(), largest = 0;
    for (int i = 0; i < 2000; ++i) {
        float s = saw.next();
        largest = std::max(largest, std::fabs(s - prev));
        prev = s;
    }
    EXPECT_LT(largest, 1.6f);
}

TEST(Adsr, AttacksDecaysToSustainAndReleasesToSilence) {
    tools::Adsr env(0.01f, 0.05f, 0.5f, 0.1f);
    int attackSamples = 0;
    while (env.next() < 1.0f && attackSamples < 10000) ++attackSamples;
    EXPECT_NEAR(attackSamples, 441, 2);
    for (int i = 0; i < 44100 / 2; ++i) env.next();
    EXPECT_NEAR(env.value(), 0.5f, 1e-3f);
    env.gateOff();
    // After one time constant of release the level is down by e.
    for (int i = 0; i < 4410; ++i) env.next();
    EXPECT_NEAR(env.value(), 0.5f / std::exp(1.0f), 0.01f);
    int n = 0;
    while (!env.finished() && n < 100000) {
        env.next();
        ++n;
    }
    EXPECT_TRUE(env.finished());
    EXPECT_EQ(env.next(), 0.0f);
}

TEST(Adsr, ReleaseDuringAttackStartsFromTheCurrentLevel) {
    tools::Adsr env(0.1f, 0.1f, 0.8f, 0.05f);
    for (int i = 0; i < 441; ++i) env.next();  // 10 % of the attack
    float level = env.value();
    EXPECT_NEAR(level, 0.1f, 0.01f);
    env.gateOff();
    EXPECT_LT(env.next(), level);
}

TEST(Filters, StateVariableLowPassPassesLowsAndCutsHighs) {
    EXPECT_NEAR(svfGain(1000.0f, 100.0f), 1.0f, 0.05f);
    EXPECT_LT(svfGain(1000.0f, 10000.0f), 0.02f);  // about two octaves per 24 dB
    // Stable with the cutoff near the top of the band.
    EXPECT_TRUE(std::isfinite(svfGain(20000.0f, 15000.0f)));
    EXPECT_LT(svfGain(20000.0f, 15000.0f), 3.0f);
}

TEST(Filters, LadderAndOnePoleLowPassAttenuateAboveCutoff) {
    tools::Ladder ladder;
    ladder.set(300.0f, 0.5f);
    tools::OnePole pole;
    pole.set(300.0f);
    std::vector<float> lo, hi, plo, phi;
    for (int i = 0; i < 44100; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        lo.push_back(ladder.process(0.5f * std::sin(2 * tools::kPi * 50 * t)));
    }
    tools::Ladder ladder2;
    ladder2.set(300.0f, 0.5f);
    for (int i = 0; i < 44100; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        hi.push_back(ladder2.process(0.5f * std::sin(2 * tools::kPi * 5000 * t)));
        phi.push_back(pole.lowpass(0.5f * std::sin(2 * tools::kPi * 5000 * t)));
    }
    EXPECT_GT(rms(lo, 22050, 44100), 100.0f * rms(hi, 22050, 44100));
    EXPECT_LT(rms(phi, 22050, 44100), 0.1f * 0.5f / std::sqrt(2.0f));
}

TEST(Filters, DcBlockerRemovesAnOffsetAndKeepsTheSignal) {
    tools::DcBlocker dc;
    std::vector<float> out;
    for (int i = 0; i < 44100; ++i) out.push_back(dc.process(0.3f + 0.2f * std::sin(2 * tools::kPi * 440 * i / kSampleRate)));
    double mean = 0;
    for (size_t i = 22050; i < out.size(); ++i) mean += out[i];
    mean /= 22050;
    EXPECT_NEAR(mean, 0.0, 1e-3);
    EXPECT_NEAR(rms(out, 22050, 44100), 0.2f / std::sqrt(2.0f), 0.005f);
}

TEST(Effects, ReverbTailDecaysAndDiffersBetweenChannels) {
    const size_t n = static_cast<size_t>(4 * kSampleRate);
    std::vector<float> in(n, 0.0f), l(n, 0.0f), r(n, 0.0f);
    in[0] = 1.0f;
    tools::Reverb verb(0.84f, 0.3f);
    verb.process(in.data(), in.data(), l.data(), r.data(), n, 1.0f);
    float early = rms(l, 2205, 22050), late = rms(l, 3 * 44100, 4 * 44100);
    EXPECT_GT(early, 0.0f);
    EXPECT_LT(late, early * 0.05f);
    double diff = 0;
    for (size_t i = 0; i < 44100; ++i) diff += std::fabs(l[i] - r[i]);
    EXPECT_GT(diff, 0.01);
    for (size_t i = 0; i < 1116; ++i) EXPECT_EQ(l[i], 0.0f);  // nothing before the first comb
}

TEST(Effects, PingPongDelayAlternatesSidesAndFadesByTheFeedback) {
    const size_t n = static_cast<size_t>(2 * kSampleRate), d = static_cast<size_t>(0.25f * kSampleRate);
    std::vector<float> in(n, 0.0f), l(n, 0.0f), r(n, 0.0f);
    in[0] = 1.0f;
    tools::PingPongDelay delay(0.25f, 0.5f, 20000.0f);
    delay.process(in.data(), in.data(), l.data(), r.data(), n, 1.0f);
    auto energy = [](const std::vector<float>& v, size_t a, size_t b) {
        double s = 0;
        for (size_t i = a; i < b; ++i) s += v[i] * v[i];
        return s;
    };
    // First echo on the left, second on the right at half the amplitude.
    EXPECT_GT(energy(l, d - 10, d + 200), 100 * energy(r, d - 10, d + 200));
    EXPECT_GT(energy(r, 2 * d - 10, 2 * d + 200), 100 * energy(l, 2 * d - 10, 2 * d + 200));
    double ratio = std::sqrt(energy(r, 2 * d - 10, 2 * d + 400) / energy(l, d - 10, d + 400));
    EXPECT_NEAR(ratio, 0.5, 0.05);
}

TEST(Loudness, SineAtMinus20dBFSInBothChannelsReadsMinus20Lufs) {
    // A 1 kHz sine at full scale in one channel reads -3.01 LUFS; in both, 0 LUFS.
    tools::Stereo s = sine(1000.0f, 0.1f, 5.0f);
    EXPECT_NEAR(tools::integratedLoudness(s, kSampleRate), -20.0, 0.15);
    // Gating: silence around the tone does not lower the reading.
    tools::Stereo gated;
    gated.resize(s.size() * 3);
    std::copy(s.left.begin(), s.left.end(), gated.left.begin() + static_cast<long>(s.size()));
    std::copy(s.right.begin(), s.right.end(), gated.right.begin() + static_cast<long>(s.size()));
    EXPECT_NEAR(tools::integratedLoudness(gated, kSampleRate), -20.0, 0.3);
    tools::Stereo silent;
    silent.resize(44100);
    EXPECT_FALSE(std::isfinite(tools::integratedLoudness(silent, kSampleRate)));
}

TEST(Loudness, KWeightingFavoursPresenceOverBass) {
    double low = tools::integratedLoudness(sine(40.0f, 0.1f, 3.0f), kSampleRate);
    double high = tools::integratedLoudness(sine(4000.0f, 0.1f, 3.0f), kSampleRate);
    EXPECT_LT(low, -20.5);
    EXPECT_GT(high, -19.0);
}

TEST(Peaks, TruePeakFindsTheCrestBetweenSamples) {
    // A quarter of the sample rate with a 45 degree phase: samples at +-0.707, crests at 1.
    tools::Stereo s = sine(kSampleRate / 4.0f, 1.0f, 0.5f, tools::kPi / 4.0f);
    EXPECT_NEAR(tools::samplePeak(s), 0.7071f, 1e-3f);
    EXPECT_NEAR(tools::truePeak(s), 1.0f, 0.03f);
}

TEST(Limiter, KeepsTruePeaksUnderTheCeilingAndLeavesQuietSignalsAlone) {
    tools::Stereo loud = sine(997.0f, 0.5f, 2.0f);
    for (size_t i = 30000; i < 30100; ++i) loud.left[i] = loud.right[i] = 1.8f;  // a burst
    tools::limit(loud, -3.0f, 0.002f, 0.05f, kSampleRate);
    EXPECT_LE(tools::truePeak(loud), tools::dbToGain(-3.0f) * 1.01f);
    tools::Stereo quiet = sine(997.0f, 0.3f, 1.0f), copy = quiet;
    tools::limit(quiet, -3.0f, 0.002f, 0.05f, kSampleRate);
    EXPECT_EQ(quiet.left, copy.left);
}

TEST(Compressor, ReducesLevelsAboveThresholdByTheRatio) {
    tools::Stereo s = sine(500.0f, 1.0f, 1.0f);
    tools::compress(s, -12.0f, 2.0f, 0.001f, 0.05f, kSampleRate);
    // 12 dB over the threshold at 2:1 leaves 6 dB over: about -6 dBFS peaks.
    float peak = 0;
    for (size_t i = 22050; i < s.size(); ++i) peak = std::max(peak, std::fabs(s.left[i]));
    EXPECT_NEAR(tools::gainToDb(peak), -6.0f, 0.7f);
}
