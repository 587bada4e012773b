#include "Analysis.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>

namespace tools {

namespace {

// Runs fn(frameIndex, magnitudes) for every frame of the mono mix.
template <class Fn>
void forEachSpectrum(const Stereo& audio, int fftSize, int hop, Fn fn) {
    const size_t n = audio.size();
    if (n < static_cast<size_t>(fftSize)) return;
    kiss_fftr_cfg cfg = kiss_fftr_alloc(fftSize, 0, nullptr, nullptr);
    std::vector<float> window(fftSize), frame(fftSize), mags(fftSize / 2 + 1);
    std::vector<kiss_fft_cpx> spec(fftSize / 2 + 1);
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < fftSize; ++i) window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * pi * i / fftSize));
    size_t index = 0;
    for (size_t start = 0; start + fftSize <= n; start += hop, ++index) {
        for (int i = 0; i < fftSize; ++i)
            frame[i] = 0.5f * (audio.left[start + i] + audio.right[start + i]) * window[i];
        kiss_fftr(cfg, frame.data(), spec.data());
        for (size_t k = 0; k < mags.size(); ++k)
            mags[k] = std::sqrt(spec[k].r * spec[k].r + spec[k].i * spec[k].i) * (2.0f / fftSize);
        fn(index, mags);
    }
    kiss_fftr_free(cfg);
}

} // namespace

std::vector<float> bandEnvelope(const Stereo& audio, int fftSize, int hop, int binLo, int binHi) {
    std::vector<float> env;
    forEachSpectrum(audio, fftSize, hop, [&](size_t, const std::vector<float>& m) {
        float s = 0;
        for (int k = binLo; k <= binHi && k < static_cast<int>(m.size()); ++k) s += m[k];
        env.push_back(s);
    });
    return env;
}

std::vector<float> onsetEnvelope(const Stereo& audio, int fftSize, int hop) {
    std::vector<float> env, prev;
    forEachSpectrum(audio, fftSize, hop, [&](size_t, const std::vector<float>& m) {
        std::vector<float> logm(m.size());
        for (size_t k = 0; k < m.size(); ++k) logm[k] = std::log(1e-4f + m[k]);
        float flux = 0;
        if (!prev.empty())
            for (size_t k = 1; k < m.size(); ++k) flux += std::max(0.0f, logm[k] - prev[k]);
        env.push_back(flux);
        prev.swap(logm);
    });
    return env;
}

double autocorrelation(const std::vector<float>& env, size_t lag) {
    if (env.size() <= lag + 1) return 0.0;
    double mean = 0;
    for (float v : env) mean += v;
    mean /= static_cast<double>(env.size());
    double num = 0, den = 0;
    for (size_t i = 0; i < env.size(); ++i) {
        double a = env[i] - mean;
        den += a * a;
        if (i + lag < env.size()) num += a * (env[i + lag] - mean);
    }
    return den > 0 ? num / den : 0.0;
}

size_t bestLag(const std::vector<float>& env, size_t minLag, size_t maxLag) {
    size_t best = minLag;
    double bestValue = -1e300;
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
        double a = autocorrelation(env, lag);
        if (a > bestValue) {
            bestValue = a;
            best = lag;
        }
    }
    return best;
}

size_t bestPeakLag(const std::vector<float>& env, size_t minLag, size_t maxLag) {
    if (minLag == 0) minLag = 1;
    size_t best = 0;
    double bestValue = -1e300;
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
        double a = autocorrelation(env, lag);
        if (a > autocorrelation(env, lag - 1) && a >= autocorrelation(env, lag + 1) && a > bestValue) {
            bestValue = a;
            best = lag;
        }
    }
    return best;
}

double estimateTempo(const std::vector<float>& onsets, double frameSeconds) {
    size_t minLag = static_cast<size_t>(std::floor(60.0 / 180.0 / frameSeconds));
    size_t maxLag = static_cast<size_t>(std::ceil(60.0 / 90.0 / frameSeconds));
    size_t lag = bestLag(onsets, minLag, maxLag);
    // Parabolic refinement around the best integer lag.
    double l = static_cast<double>(lag);
    if (lag > minLag && lag < maxLag) {
        double a = autocorrelation(onsets, lag - 1), b = autocorrelation(onsets, lag), c = autocorrelation(onsets, lag + 1);
        double den = a - 2.0 * b + c;
        if (std::fabs(den) > 1e-12) l += 0.5 * (a - c) / den;
    }
    return 60.0 / (l * frameSeconds);
}

float quantile(std::vector<float> values, float q) {
    if (values.empty()) return 0.0f;
    size_t k = static_cast<size_t>(std::min<double>(values.size() - 1, std::floor(q * (values.size() - 1) + 0.5)));
    std::nth_element(values.begin(), values.begin() + static_cast<long>(k), values.end());
    return values[k];
}

} // namespace tools
