#include "Noise.h"

#include "Random.h"

#include <cmath>

namespace tools {

namespace {

inline float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

inline int wrapIndex(int i, int period) {
    i %= period;
    return i < 0 ? i + period : i;
}

} // namespace

PeriodicNoise::PeriodicNoise(uint32_t seed) {
    Random rng(seed, 0x51ed27u);
    for (int i = 0; i < 256; ++i) perm_[i] = static_cast<uint8_t>(i);
    for (int i = 255; i > 0; --i) {
        int j = static_cast<int>(rng.below(static_cast<uint32_t>(i + 1)));
        uint8_t t = perm_[i];
        perm_[i] = perm_[j];
        perm_[j] = t;
    }
    for (int i = 0; i < 256; ++i) perm_[256 + i] = perm_[i];
    for (int i = 0; i < 256; ++i) {
        float a = rng.uniform() * 6.2831853f;
        gx_[i] = std::cos(a);
        gy_[i] = std::sin(a);
    }
}

float PeriodicNoise::lattice(float x, float y, int periodX, int periodY) const {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float tx = x - fx, ty = y - fy;
    int x0 = wrapIndex(ix, periodX), x1 = wrapIndex(ix + 1, periodX);
    int y0 = wrapIndex(iy, periodY), y1 = wrapIndex(iy + 1, periodY);
    auto grad = [&](int xi, int yi, float dx, float dy) {
        int h = perm_[perm_[xi & 255] + (yi & 255)];
        return gx_[h] * dx + gy_[h] * dy;
    };
    float n00 = grad(x0, y0, tx, ty);
    float n10 = grad(x1, y0, tx - 1.0f, ty);
    float n01 = grad(x0, y1, tx, ty - 1.0f);
    float n11 = grad(x1, y1, tx - 1.0f, ty - 1.0f);
    float u = fade(tx), v = fade(ty);
    float a = n00 + (n10 - n00) * u;
    float b = n01 + (n11 - n01) * u;
    // 2D gradient noise peaks near +-0.7; scale so it fills about [-1, 1].
    return (a + (b - a) * v) * 1.41421356f;
}

float PeriodicNoise::fbm(float u, float v, int fx, int fy, int octaves, float gain) const {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * octave(u, v, fx << o, fy << o);
        norm += amp;
        amp *= gain;
    }
    return sum / norm;
}

float PeriodicNoise::turbulence(float u, float v, int fx, int fy, int octaves, float gain) const {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * std::fabs(octave(u, v, fx << o, fy << o));
        norm += amp;
        amp *= gain;
    }
    return sum / norm;
}

float PeriodicNoise::ridged(float u, float v, int fx, int fy, int octaves, float gain) const {
    float sum = 0, amp = 1, norm = 0, weight = 1;
    for (int o = 0; o < octaves; ++o) {
        float n = 1.0f - std::fabs(octave(u, v, fx << o, fy << o));
        n *= n;
        n *= weight;
        weight = n * 1.5f;
        if (weight > 1.0f) weight = 1.0f;
        sum += amp * n;
        norm += amp;
        amp *= gain;
    }
    return sum / norm;
}

Worley::Worley(int cellsX, int cellsY, float jitter, uint32_t seed)
    : cx_(cellsX), cy_(cellsY), jitter_(jitter), seed_(seed) {}

WorleySample Worley::sample(float u, float v) const {
    float x = u * cx_, y = v * cy_;
    int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    WorleySample s;
    s.f1 = s.f2 = 1e9f;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            int cx = ix + dx, cy = iy + dy;
            int wx = wrapIndex(cx, cx_), wy = wrapIndex(cy, cy_);
            uint32_t h = hash2(wx, wy, seed_);
            float px = cx + 0.5f + (hashUnit(h) - 0.5f) * jitter_;
            float py = cy + 0.5f + (hashUnit(hash32(h)) - 0.5f) * jitter_;
            float ox = px - x, oy = py - y;
            float d = std::sqrt(ox * ox + oy * oy);
            if (d < s.f1) {
                s.f2 = s.f1;
                s.f1 = d;
                s.cellId = h;
                s.nearestX = ox;
                s.nearestY = oy;
            } else if (d < s.f2) {
                s.f2 = d;
            }
        }
    return s;
}

} // namespace tools
