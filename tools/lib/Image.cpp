#include "Image.h"

#include "Random.h"

#include <algorithm>
#include <cmath>

namespace tools {

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

float lerp(float a, float b, float t) { return a + (b - a) * t; }

Rgba mix(const Rgba& a, const Rgba& b, float t) {
    return Rgba{lerp(a.r, b.r, t), lerp(a.g, b.g, t), lerp(a.b, b.b, t), lerp(a.a, b.a, t)};
}

Map::Map(int width, int height, float value)
    : w_(width), h_(height), v_(static_cast<size_t>(width) * height, value) {}

float Map::wrapped(int x, int y) const {
    x %= w_;
    y %= h_;
    if (x < 0) x += w_;
    if (y < 0) y += h_;
    return at(x, y);
}

float Map::clamped(int x, int y) const {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return 0.0f;
    return at(x, y);
}

float Map::minValue() const { return v_.empty() ? 0.0f : *std::min_element(v_.begin(), v_.end()); }
float Map::maxValue() const { return v_.empty() ? 0.0f : *std::max_element(v_.begin(), v_.end()); }

float Map::mean() const {
    double s = 0;
    for (float v : v_) s += v;
    return v_.empty() ? 0.0f : static_cast<float>(s / v_.size());
}

void Map::normalize(float lo, float hi) {
    float mn = minValue(), mx = maxValue();
    float span = mx - mn;
    for (float& v : v_) v = span > 0 ? lo + (hi - lo) * (v - mn) / span : lo;
}

Map boxBlur(const Map& src, int radius, bool wrap) {
    int w = src.width(), h = src.height();
    Map tmp(w, h), out(w, h);
    float norm = 1.0f / (2 * radius + 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float s = 0;
            for (int k = -radius; k <= radius; ++k) s += wrap ? src.wrapped(x + k, y) : src.clamped(x + k, y);
            tmp.at(x, y) = s * norm;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float s = 0;
            for (int k = -radius; k <= radius; ++k) s += wrap ? tmp.wrapped(x, y + k) : tmp.clamped(x, y + k);
            out.at(x, y) = s * norm;
        }
    return out;
}

Normal normalAt(const Map& height, int x, int y, float strength) {
    float dx = (height.wrapped(x + 1, y) - height.wrapped(x - 1, y)) * 0.5f * strength;
    float dy = (height.wrapped(x, y + 1) - height.wrapped(x, y - 1)) * 0.5f * strength;
    float len = std::sqrt(dx * dx + dy * dy + 1.0f);
    return Normal{-dx / len, -dy / len, 1.0f / len};
}

Map shadeHeight(const Map& height, float strength, float ambient, float specular, float shininess) {
    // Light from the upper left, a little above the surface; the viewer looks straight down.
    const float lx = -0.55f, ly = -0.55f, lz = 0.63f;
    float ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    float Lx = lx / ll, Ly = ly / ll, Lz = lz / ll;
    float hx = Lx, hy = Ly, hz = Lz + 1.0f;
    float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    hx /= hl;
    hy /= hl;
    hz /= hl;
    Map out(height.width(), height.height());
    for (int y = 0; y < height.height(); ++y)
        for (int x = 0; x < height.width(); ++x) {
            Normal n = normalAt(height, x, y, strength);
            float d = std::max(0.0f, n.x * Lx + n.y * Ly + n.z * Lz);
            float s = std::max(0.0f, n.x * hx + n.y * hy + n.z * hz);
            out.at(x, y) = ambient + (1.0f - ambient) * d + specular * std::pow(s, shininess);
        }
    return out;
}

Image::Image(int width, int height, Rgba fill)
    : w_(width), h_(height), p_(static_cast<size_t>(width) * height, fill) {}

static uint8_t toByte(float v, float dither) {
    if (v <= 0.0f) return 0;
    if (v >= 1.0f) return 255;
    float q = std::floor(v * 255.0f + 0.5f + dither);
    return static_cast<uint8_t>(std::min(255.0f, std::max(0.0f, q)));
}

Pixels quantize(const Image& img, bool withAlpha, uint32_t ditherSeed, float ditherAmount) {
    Pixels px;
    px.width = img.width();
    px.height = img.height();
    px.channels = withAlpha ? 4 : 3;
    px.bytes.resize(static_cast<size_t>(px.width) * px.height * px.channels);
    for (int y = 0; y < px.height; ++y)
        for (int x = 0; x < px.width; ++x) {
            // Triangular dither of +-0.5 LSB from two hashes of the pixel position.
            uint32_t h = hash2(x, y, ditherSeed);
            float d = (hashUnit(h) + hashUnit(hash32(h ^ 0x9e3779b9U)) - 1.0f) * 0.5f * ditherAmount;
            const Rgba& c = img.at(x, y);
            uint8_t* p = px.pixel(x, y);
            p[0] = toByte(c.r, d);
            p[1] = toByte(c.g, d);
            p[2] = toByte(c.b, d);
            if (withAlpha) p[3] = toByte(c.a, d);
        }
    return px;
}

} // namespace tools
