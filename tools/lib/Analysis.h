#pragma once
// Measurements on rendered audio that need no ears: band energy over time as a 2048-point
// Hann spectrum every hop sees it, onset strength, periodicity and tempo.

#include "Master.h"

#include <vector>

namespace tools {

// Sum of spectrum magnitudes over bins [binLo, binHi] of a fftSize-point Hann-windowed FFT of
// the mono mix, one value per hop samples.
std::vector<float> bandEnvelope(const Stereo& audio, int fftSize, int hop, int binLo, int binHi);

// Spectral flux (positive change of log magnitude summed over bins), one value per hop.
std::vector<float> onsetEnvelope(const Stereo& audio, int fftSize, int hop);

// Normalised autocorrelation of the mean-removed envelope at a lag (in frames).
double autocorrelation(const std::vector<float>& env, size_t lag);

// Lag (in frames) with the largest autocorrelation within [minLag, maxLag].
size_t bestLag(const std::vector<float>& env, size_t minLag, size_t maxLag);

// Lag (in frames) of the highest local maximum of the autocorrelation within [minLag, maxLag]
// (a lag at either end counts only when it is a peak), or 0 when there is none.
size_t bestPeakLag(const std::vector<float>& env, size_t minLag, size_t maxLag);

// Tempo from an onset envelope with frames of frameSeconds: the strongest beat period between
// 90 and 180 BPM.
double estimateTempo(const std::vector<float>& onsets, double frameSeconds);

// q-quantile (0..1) of the values.
float quantile(std::vector<float> values, float q);

} // namespace tools
