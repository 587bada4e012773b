#pragma once
// Audio building blocks for the music synthesizer: oscillators, envelopes, filters, effects.
// Everything runs in float at one fixed sample rate and is deterministic.

#include <cmath>
#include <cstdint>
#include <vector>

namespace tools {

constexpr float kSampleRate = 44100.0f;
constexpr float kPi = 3.14159265358979f;

inline float midiToHz(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }
inline float dbToGain(float db) { return std::pow(10.0f, db / 20.0f); }
inline float gainToDb(float g) { return 20.0f * std::log10(g); }
// Per-sample multiplier of an exponential decay with time constant tau seconds.
inline float decayCoef(float tauSeconds) { return std::exp(-1.0f / (tauSeconds * kSampleRate)); }

// Fast white noise in [-1, 1).
class WhiteNoise {
public:
    explicit WhiteNoise(uint32_t seed = 22222u) : s_(seed ? seed : 1u) {}
    float next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return static_cast<float>(static_cast<int32_t>(s_)) * (1.0f / 2147483648.0f);
    }

private:
    uint32_t s_;
};

// PolyBLEP correction for a discontinuity of height -2 at phase 0 (t in [0, 1), dt = increment).
inline float polyBlep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

// Band-limited sawtooth (PolyBLEP), output in about [-1, 1].
class SawOsc {
public:
    void setFrequency(float hz) { dt_ = hz / kSampleRate; }
    void setPhase(float p) { phase_ = p - std::floor(p); }
    float next() {
        float v = 2.0f * phase_ - 1.0f - polyBlep(phase_, dt_);
        phase_ += dt_;
        if (phase_ >= 1.0f) phase_ -= 1.0f;
        return v;
    }

private:
    float phase_ = 0, dt_ = 0;
};

// Band-limited pulse with variable width (two PolyBLEP edges).
class PulseOsc {
public:
    void setFrequency(float hz) { dt_ = hz / kSampleRate; }
    void setWidth(float w) { width_ = w; }
    void setPhase(float p) { phase_ = p - std::floor(p); }
    float next() {
        float v = phase_ < width_ ? 1.0f : -1.0f;
        v += polyBlep(phase_, dt_);
        float t2 = phase_ - width_;
        if (t2 < 0) t2 += 1.0f;
        v -= polyBlep(t2, dt_);
        phase_ += dt_;
        if (phase_ >= 1.0f) phase_ -= 1.0f;
        return v;
    }

private:
    float phase_ = 0, dt_ = 0, width_ = 0.5f;
};

// Sine by phase accumulation.
class SineOsc {
public:
    void setFrequency(float hz) { dt_ = hz / kSampleRate; }
    void setPhase(float p) { phase_ = p - std::floor(p); }
    float next() {
        float v = std::sin(2.0f * kPi * phase_);
        phase_ += dt_;
        if (phase_ >= 1.0f) phase_ -= 1.0f;
        return v;
    }

private:
    float phase_ = 0, dt_ = 0;
};

// Attack / decay / sustain / release with exponential segments. gateOff() starts the release.
class Adsr {
public:
    Adsr(float attack, float decay, float sustain, float release);
    float next();
    void gateOff();
    bool finished() const { return stage_ == Stage::Done; }
    float value() const { return value_; }

private:
    enum class Stage { Attack, Decay, Sustain, Release, Done };
    Stage stage_ = Stage::Attack;
    float value_ = 0;
    float attackStep_, decayCoef_, sustain_, releaseCoef_;
};

// Chamberlin state-variable filter, run twice per sample for stability at high cutoffs.
class Svf {
public:
    // q: damping, 2 = very soft, 0.1 = resonant
    void set(float cutoffHz, float q) {
        // Two iterations per sample: each runs at twice the rate.
        float fc = cutoffHz < kSampleRate * 0.45f ? cutoffHz : kSampleRate * 0.45f;
        f_ = 2.0f * std::sin(kPi * fc / (2.0f * kSampleRate));
        // The loop is stable only while f < 2 - q: very high cutoffs are held just below that.
        float fMax = 0.95f * (2.0f - q);
        if (f_ > fMax) f_ = fMax;
        q_ = q;
    }
    void process(float in) {
        for (int i = 0; i < 2; ++i) {
            low_ += f_ * band_;
            high_ = in - low_ - q_ * band_;
            band_ += f_ * high_;
        }
    }
    float low() const { return low_; }
    float band() const { return band_; }
    float high() const { return high_; }
    void reset() { low_ = band_ = high_ = 0; }

private:
    float f_ = 0.1f, q_ = 1.0f;
    float low_ = 0, band_ = 0, high_ = 0;
};

// One-pole low-pass and the matching high-pass (in - low).
class OnePole {
public:
    void set(float cutoffHz) { a_ = 1.0f - std::exp(-2.0f * kPi * cutoffHz / kSampleRate); }
    float lowpass(float in) { return z_ += a_ * (in - z_); }
    float highpass(float in) { return in - lowpass(in); }

private:
    float a_ = 1.0f, z_ = 0;
};

// Four one-pole stages in a loop with resonance and a soft clip (a simple ladder low-pass).
class Ladder {
public:
    void set(float cutoffHz, float resonance);  // resonance 0..~3.5
    float process(float in);

private:
    float g_ = 0.1f, res_ = 0;
    float s_[4] = {0, 0, 0, 0};
};

// Soft clipper: smooth saturation that stays within [-1, 1].
inline float softClip(float x) {
    if (x > 3.0f) return 1.0f;
    if (x < -3.0f) return -1.0f;
    float x2 = x * x;
    return x * (27.0f + x2) / (27.0f + 9.0f * x2);
}

// y = x - x1 + r y1: removes DC.
class DcBlocker {
public:
    explicit DcBlocker(float r = 0.996f) : r_(r) {}
    float process(float x) {
        float y = x - x1_ + r_ * y1_;
        x1_ = x;
        y1_ = y;
        return y;
    }

private:
    float r_, x1_ = 0, y1_ = 0;
};

// Freeverb-style stereo reverb: 8 damped combs and 4 allpasses per channel.
class Reverb {
public:
    Reverb(float roomSize = 0.84f, float damping = 0.3f);
    // Adds the reverb of (inL, inR) (summed to mono at the input) to outL, outR.
    void process(const float* inL, const float* inR, float* outL, float* outR, size_t n, float wet);

private:
    struct Comb {
        std::vector<float> buf;
        size_t pos = 0;
        float store = 0;
    };
    struct Allpass {
        std::vector<float> buf;
        size_t pos = 0;
    };
    Comb combs_[2][8];
    Allpass allpasses_[2][4];
    float feedback_, damp_;
};

// Ping-pong delay: echoes alternate between the channels.
class PingPongDelay {
public:
    PingPongDelay(float delaySeconds, float feedback, float lowpassHz);
    void process(const float* inL, const float* inR, float* outL, float* outR, size_t n, float wet);

private:
    std::vector<float> l_, r_;
    size_t pos_ = 0;
    float feedback_;
    OnePole lpL_, lpR_;
};

} // namespace tools
