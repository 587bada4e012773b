#include "Dsp.h"

#include <algorithm>

namespace tools {

Adsr::Adsr(float attack, float decay, float sustain, float release)
    : attackStep_(attack > 0 ? 1.0f / (attack * kSampleRate) : 1.0f),
      decayCoef_(decayCoef(std::max(decay, 1e-4f))),
      sustain_(sustain),
      releaseCoef_(decayCoef(std::max(release, 1e-4f))) {}

float Adsr::next() {
    switch (stage_) {
    case Stage::Attack:
        value_ += attackStep_;
        if (value_ >= 1.0f) {
            value_ = 1.0f;
            stage_ = Stage::Decay;
        }
        break;
    case Stage::Decay:
        value_ = sustain_ + (value_ - sustain_) * decayCoef_;
        if (value_ - sustain_ < 1e-4f) stage_ = Stage::Sustain;
        break;
    case Stage::Sustain:
        value_ = sustain_;
        break;
    case Stage::Release:
        value_ *= releaseCoef_;
        if (value_ < 1e-5f) {
            value_ = 0;
            stage_ = Stage::Done;
        }
        break;
    case Stage::Done:
        value_ = 0;
        break;
    }
    return value_;
}

void Adsr::gateOff() {
    if (stage_ != Stage::Done) stage_ = Stage::Release;
}

void Ladder::set(float cutoffHz, float resonance) {
    float fc = std::min(cutoffHz, kSampleRate * 0.45f);
    g_ = 1.0f - std::exp(-2.0f * kPi * fc / kSampleRate);
    res_ = resonance;
}

float Ladder::process(float in) {
    float x = softClip(in - res_ * s_[3]);
    s_[0] += g_ * (x - s_[0]);
    s_[1] += g_ * (s_[0] - s_[1]);
    s_[2] += g_ * (s_[1] - s_[2]);
    s_[3] += g_ * (s_[2] - s_[3]);
    return s_[3];
}

namespace {
const int kCombTuning[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
const int kAllpassTuning[4] = {556, 441, 341, 225};
const int kStereoSpread = 23;
} // namespace

Reverb::Reverb(float roomSize, float damping) : feedback_(roomSize), damp_(damping) {
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < 8; ++i) combs_[c][i].buf.assign(kCombTuning[i] + c * kStereoSpread, 0.0f);
        for (int i = 0; i < 4; ++i) allpasses_[c][i].buf.assign(kAllpassTuning[i] + c * kStereoSpread, 0.0f);
    }
}

void Reverb::process(const float* inL, const float* inR, float* outL, float* outR, size_t n, float wet) {
    const float gain = 0.015f;
    for (size_t s = 0; s < n; ++s) {
        float in = (inL[s] + inR[s]) * gain;
        float out[2];
        for (int c = 0; c < 2; ++c) {
            float acc = 0;
            for (Comb& cb : combs_[c]) {
                float y = cb.buf[cb.pos];
                cb.store = y * (1.0f - damp_) + cb.store * damp_;
                cb.buf[cb.pos] = in + cb.store * feedback_;
                if (++cb.pos == cb.buf.size()) cb.pos = 0;
                acc += y;
            }
            for (Allpass& ap : allpasses_[c]) {
                float b = ap.buf[ap.pos];
                float y = b - acc;
                ap.buf[ap.pos] = acc + b * 0.5f;
                if (++ap.pos == ap.buf.size()) ap.pos = 0;
                acc = y;
            }
            out[c] = acc;
        }
        outL[s] += out[0] * wet;
        outR[s] += out[1] * wet;
    }
}

PingPongDelay::PingPongDelay(float delaySeconds, float feedback, float lowpassHz)
    : l_(static_cast<size_t>(delaySeconds * kSampleRate), 0.0f),
      r_(static_cast<size_t>(delaySeconds * kSampleRate), 0.0f),
      feedback_(feedback) {
    lpL_.set(lowpassHz);
    lpR_.set(lowpassHz);
}

void PingPongDelay::process(const float* inL, const float* inR, float* outL, float* outR, size_t n, float wet) {
    for (size_t s = 0; s < n; ++s) {
        float dl = l_[pos_], dr = r_[pos_];
        // The input enters on the left; each echo crosses to the other side.
        l_[pos_] = lpL_.lowpass(0.5f * (inL[s] + inR[s]) + dr * feedback_);
        r_[pos_] = lpR_.lowpass(dl * feedback_);
        if (++pos_ == l_.size()) pos_ = 0;
        outL[s] += dl * wet;
        outR[s] += dr * wet;
    }
}

} // namespace tools
