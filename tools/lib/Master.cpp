#include "Master.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace tools {

namespace {

struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0, z2 = 0;
    double process(double x) {
        double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// The two stages of the K-weighting filter at any sample rate (pre-filter shelf, RLB high-pass).
void kWeighting(double fs, Biquad* shelf, Biquad* highpass) {
    const double pi = 3.14159265358979323846;
    {
        double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
        double k = std::tan(pi * f0 / fs);
        double vh = std::pow(10.0, gainDb / 20.0);
        double vb = std::pow(vh, 0.4996667741545416);
        double a0 = 1.0 + k / q + k * k;
        *shelf = Biquad{(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
                        2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    }
    {
        double f0 = 38.13547087602444, q = 0.5003270373238773;
        double k = std::tan(pi * f0 / fs);
        double a0 = 1.0 + k / q + k * k;
        *highpass = Biquad{1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    }
}

// Windowed-sinc interpolation taps for the fractional positions 1/4, 2/4, 3/4 (8 taps each).
struct Interpolator {
    float taps[3][8];
    Interpolator() {
        const double pi = 3.14159265358979323846;
        for (int p = 0; p < 3; ++p) {
            double frac = (p + 1) / 4.0;
            double sum = 0;
            for (int k = 0; k < 8; ++k) {
                double x = (k - 3) - frac;  // taps at n-3 .. n+4 around n + frac
                double sinc = std::fabs(x) < 1e-9 ? 1.0 : std::sin(pi * x) / (pi * x);
                double w = 0.5 + 0.5 * std::cos(pi * x / 4.5);
                taps[p][k] = static_cast<float>(sinc * w);
                sum += sinc * w;
            }
            for (int k = 0; k < 8; ++k) taps[p][k] = static_cast<float>(taps[p][k] / sum);
        }
    }
    // Largest magnitude among the sample n and the three points after it.
    float peakAt(const std::vector<float>& x, size_t n) const {
        float m = std::fabs(x[n]);
        if (n < 3 || n + 4 >= x.size()) return m;
        for (int p = 0; p < 3; ++p) {
            float acc = 0;
            for (int k = 0; k < 8; ++k) acc += taps[p][k] * x[n - 3 + k];
            m = std::max(m, std::fabs(acc));
        }
        return m;
    }
};

const Interpolator& interpolator() {
    static const Interpolator interp;
    return interp;
}

} // namespace

double integratedLoudness(const Stereo& audio, float sampleRate) {
    size_t n = audio.size();
    size_t block = static_cast<size_t>(0.4 * sampleRate), hop = static_cast<size_t>(0.1 * sampleRate);
    if (n < block) return -HUGE_VAL;
    // K-weighted squares, summed over hops of 100 ms.
    size_t hops = n / hop;
    std::vector<double> hopEnergy(hops, 0.0);
    const std::vector<float>* ch[2] = {&audio.left, &audio.right};
    for (int c = 0; c < 2; ++c) {
        Biquad shelf, hp;
        kWeighting(sampleRate, &shelf, &hp);
        const std::vector<float>& x = *ch[c];
        for (size_t i = 0; i < hops * hop; ++i) {
            double y = hp.process(shelf.process(x[i]));
            hopEnergy[i / hop] += y * y;
        }
    }
    size_t perBlock = block / hop;  // 4 hops per block
    std::vector<double> blocks;
    for (size_t b = 0; b + perBlock <= hops; ++b) {
        double e = 0;
        for (size_t k = 0; k < perBlock; ++k) e += hopEnergy[b + k];
        blocks.push_back(e / static_cast<double>(perBlock * hop));
    }
    auto loudness = [](double meanSquare) { return -0.691 + 10.0 * std::log10(meanSquare); };
    double sum = 0;
    size_t count = 0;
    for (double z : blocks)
        if (z > 0 && loudness(z) > -70.0) {
            sum += z;
            ++count;
        }
    if (count == 0) return -HUGE_VAL;
    double relativeGate = loudness(sum / count) - 10.0;
    sum = 0;
    count = 0;
    for (double z : blocks)
        if (z > 0 && loudness(z) > -70.0 && loudness(z) > relativeGate) {
            sum += z;
            ++count;
        }
    return count ? loudness(sum / count) : -HUGE_VAL;
}

float samplePeak(const Stereo& audio) {
    float m = 0;
    for (size_t i = 0; i < audio.size(); ++i) m = std::max({m, std::fabs(audio.left[i]), std::fabs(audio.right[i])});
    return m;
}

float truePeak(const Stereo& audio) {
    const Interpolator& ip = interpolator();
    float m = 0;
    for (size_t i = 0; i < audio.size(); ++i) m = std::max({m, ip.peakAt(audio.left, i), ip.peakAt(audio.right, i)});
    return m;
}

void compress(Stereo& audio, float thresholdDb, float ratio, float attackSec, float releaseSec, float sampleRate) {
    float att = std::exp(-1.0f / (attackSec * sampleRate));
    float rel = std::exp(-1.0f / (releaseSec * sampleRate));
    float env = 0;
    float threshold = std::pow(10.0f, thresholdDb / 20.0f);
    for (size_t i = 0; i < audio.size(); ++i) {
        float level = std::max(std::fabs(audio.left[i]), std::fabs(audio.right[i]));
        env = level > env ? att * env + (1.0f - att) * level : rel * env + (1.0f - rel) * level;
        float gain = 1.0f;
        if (env > threshold) {
            float overDb = 20.0f * std::log10(env / threshold);
            gain = std::pow(10.0f, -overDb * (1.0f - 1.0f / ratio) / 20.0f);
        }
        audio.left[i] *= gain;
        audio.right[i] *= gain;
    }
}

std::vector<float> peakEnvelope(const Stereo& audio) {
    const Interpolator& ip = interpolator();
    std::vector<float> p(audio.size());
    for (size_t i = 0; i < audio.size(); ++i) p[i] = std::max(ip.peakAt(audio.left, i), ip.peakAt(audio.right, i));
    return p;
}

void limit(Stereo& audio, float ceilingDb, float lookaheadSec, float releaseSec, float sampleRate) {
    limitScaled(audio, 1.0f, peakEnvelope(audio), ceilingDb, lookaheadSec, releaseSec, sampleRate);
}

void limitScaled(Stereo& audio, float preGain, const std::vector<float>& peaks, float ceilingDb, float lookaheadSec,
                 float releaseSec, float sampleRate) {
    size_t n = audio.size();
    if (n == 0 || peaks.size() != n) return;
    float ceiling = std::pow(10.0f, ceilingDb / 20.0f);
    size_t look = std::max<size_t>(1, static_cast<size_t>(lookaheadSec * sampleRate));
    // Gain each sample needs on its own.
    std::vector<float> need(n);
    for (size_t i = 0; i < n; ++i) {
        float p = peaks[i] * preGain;
        need[i] = p > ceiling ? ceiling / p : 1.0f;
    }
    // Minimum over the look-ahead window [i, i + look] (monotonic queue).
    std::vector<float> ahead(n);
    std::deque<size_t> q;
    for (size_t j = 0; j < n + look; ++j) {
        if (j < n) {
            while (!q.empty() && need[q.back()] >= need[j]) q.pop_back();
            q.push_back(j);
        }
        if (j >= look) {
            size_t i = j - look;
            while (!q.empty() && q.front() < i) q.pop_front();
            ahead[i] = need[q.front()];
        }
    }
    // Instant drop, exponential recovery.
    float rel = std::exp(-1.0f / (releaseSec * sampleRate));
    float g = 1.0f;
    for (size_t i = 0; i < n; ++i) {
        g = std::min(ahead[i], 1.0f - (1.0f - g) * rel);
        ahead[i] = g;
    }
    // A moving average over the window before each sample smooths the drop; every sample of
    // that window already carries the gain its peak needs, so the average does too.
    double acc = 0;
    for (size_t i = 0; i < n; ++i) {
        acc += ahead[i];
        if (i >= look) acc -= ahead[i - look];
        float gain = preGain * static_cast<float>(acc / static_cast<double>(std::min(i + 1, look)));
        audio.left[i] *= gain;
        audio.right[i] *= gain;
    }
}

} // namespace tools
