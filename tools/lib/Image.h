#pragma once
// Floating-point working images and the conversions to 8-bit pixels.

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;
};

// A single-channel float map (heights, masks, coverage).
class Map {
public:
    Map() = default;
    Map(int width, int height, float value = 0.0f);
    int width() const { return w_; }
    int height() const { return h_; }
    float& at(int x, int y) { return v_[static_cast<size_t>(y) * w_ + x]; }
    float at(int x, int y) const { return v_[static_cast<size_t>(y) * w_ + x]; }
    // Indices wrap around both edges, so kernels on tiling content stay seamless.
    float wrapped(int x, int y) const;
    // Indices outside the map read as 0.
    float clamped(int x, int y) const;
    std::vector<float>& data() { return v_; }
    const std::vector<float>& data() const { return v_; }
    void normalize(float lo = 0.0f, float hi = 1.0f);
    float minValue() const;
    float maxValue() const;
    float mean() const;

private:
    int w_ = 0, h_ = 0;
    std::vector<float> v_;
};

// Box blur with radius r; wrap selects torus indexing, otherwise zero outside.
Map boxBlur(const Map& src, int radius, bool wrap);

// Normal of a height map (x right, y down the image, z out of the surface), indices wrapping.
struct Normal {
    float x, y, z;
};
Normal normalAt(const Map& height, int x, int y, float strength);

// Lambert + Blinn highlight of a wrapped height map under a light from the upper left.
Map shadeHeight(const Map& height, float strength, float ambient, float specular, float shininess);

class Image {
public:
    Image() = default;
    Image(int width, int height, Rgba fill = Rgba{0, 0, 0, 1});
    int width() const { return w_; }
    int height() const { return h_; }
    Rgba& at(int x, int y) { return p_[static_cast<size_t>(y) * w_ + x]; }
    const Rgba& at(int x, int y) const { return p_[static_cast<size_t>(y) * w_ + x]; }

private:
    int w_ = 0, h_ = 0;
    std::vector<Rgba> p_;
};

// 8-bit pixels as written to disk: rows top first, channels 3 (RGB) or 4 (RGBA).
struct Pixels {
    int width = 0, height = 0, channels = 0;
    std::vector<uint8_t> bytes;
    uint8_t* pixel(int x, int y) { return &bytes[(static_cast<size_t>(y) * width + x) * channels]; }
    const uint8_t* pixel(int x, int y) const {
        return &bytes[(static_cast<size_t>(y) * width + x) * channels];
    }
};

// Quantize to 8 bits with a small, fixed ordered-hash dither so smooth gradients do not band.
// A value of exactly 0 or 1 stays exactly 0 or 255 (black borders stay black).
Pixels quantize(const Image& img, bool withAlpha, uint32_t ditherSeed, float ditherAmount = 1.0f);

float clamp01(float v);
float smoothstep(float e0, float e1, float x);
float lerp(float a, float b, float t);
Rgba mix(const Rgba& a, const Rgba& b, float t);

} // namespace tools
