#pragma once
// Mastering: loudness measurement (ITU-R BS.1770 gated integrated loudness), true-peak
// estimation, a stereo compressor and a look-ahead limiter.

#include <cstddef>
#include <vector>

namespace tools {

struct Stereo {
    std::vector<float> left, right;
    size_t size() const { return left.size(); }
    void resize(size_t n) {
        left.assign(n, 0.0f);
        right.assign(n, 0.0f);
    }
};

// Integrated loudness in LUFS (K-weighted, 400 ms blocks with 75 % overlap, absolute gate
// -70 LUFS, relative gate -10 LU). Returns -HUGE_VAL for silence.
double integratedLoudness(const Stereo& audio, float sampleRate);

// Largest absolute sample value, and the largest value of the signal upsampled four times
// (an estimate of the true peak between samples), both as linear amplitudes.
float samplePeak(const Stereo& audio);
float truePeak(const Stereo& audio);

// Feed-forward compressor on the stereo-linked level (peak detector with attack and release).
void compress(Stereo& audio, float thresholdDb, float ratio, float attackSec, float releaseSec, float sampleRate);

// Look-ahead limiter: the gain reaches each peak (true peak included) before it arrives,
// so the output never exceeds the ceiling. Release is exponential.
void limit(Stereo& audio, float ceilingDb, float lookaheadSec, float releaseSec, float sampleRate);

// Per-sample true-peak estimate of a stereo signal (the louder channel), for limiting the same
// signal several times at different gains without estimating again.
std::vector<float> peakEnvelope(const Stereo& audio);
// The limiter on audio * preGain, where peaks is peakEnvelope of audio (before the gain).
void limitScaled(Stereo& audio, float preGain, const std::vector<float>& peaks, float ceilingDb, float lookaheadSec,
                 float releaseSec, float sampleRate);

} // namespace tools
