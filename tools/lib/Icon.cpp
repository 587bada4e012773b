#include "Icon.h"

#include <algorithm>
#include <cmath>

namespace tools {

namespace {

// Distance from p to the segment a-b.
float segmentDistance(float px, float py, float ax, float ay, float bx, float by) {
    float dx = bx - ax, dy = by - ay;
    float t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
    t = std::min(1.0f, std::max(0.0f, t));
    float ex = px - (ax + t * dx), ey = py - (ay + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

// Signed distance to a square of half-side h centred on (0.5, 0.5) with corners rounded by r.
float roundedSquare(float x, float y, float h, float r) {
    float qx = std::fabs(x - 0.5f) - (h - r), qy = std::fabs(y - 0.5f) - (h - r);
    float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

struct Sample {
    Rgba colour;  // straight colour of the picture at this point
    float cover;  // 1 inside the rounded square
};

// The picture at one point of the unit square (y down).
Sample shade(float x, float y, float strokeHalfWidth) {
    Sample s;
    s.cover = roundedSquare(x, y, 0.47f, 0.18f) <= 0.0f ? 1.0f : 0.0f;
    // Night green, lighter towards the top.
    Rgba deep{0.01f, 0.06f, 0.05f, 1}, upper{0.04f, 0.17f, 0.13f, 1};
    Rgba c = mix(upper, deep, clamp01((y - 0.05f) / 0.9f));
    // The glow behind the letter.
    float gx = x - 0.5f, gy = y - 0.47f;
    float glow = std::exp(-(gx * gx + gy * gy) / 0.045f);
    c.r += 0.20f * glow;
    c.g += 0.75f * glow;
    c.b += 0.38f * glow;
    // A thin ring round the glow.
    float ring = std::fabs(std::sqrt(gx * gx + gy * gy) - 0.33f);
    if (ring < 0.6f * strokeHalfWidth) c = mix(c, Rgba{0.55f, 1.0f, 0.70f, 1}, 0.55f);
    // The letter: two strokes meeting at the bottom point, white with a green cast.
    float v = std::min(segmentDistance(x, y, 0.29f, 0.27f, 0.5f, 0.73f),
                       segmentDistance(x, y, 0.71f, 0.27f, 0.5f, 0.73f));
    if (v < strokeHalfWidth) c = Rgba{0.90f, 1.0f, 0.93f, 1};
    c.r = clamp01(c.r);
    c.g = clamp01(c.g);
    c.b = clamp01(c.b);
    s.colour = c;
    return s;
}

} // namespace

Image drawIcon(int size) {
    Image img(size, size, Rgba{0, 0, 0, 0});
    // At least 1.8 pixels wide, else a tenth of the icon.
    float halfWidth = std::max(0.05f, 0.9f / size);
    const int n = 6;  // samples per pixel along each axis
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int j = 0; j < n; ++j)
                for (int i = 0; i < n; ++i) {
                    float x = (px + (i + 0.5f) / n) / size, y = (py + (j + 0.5f) / n) / size;
                    Sample s = shade(x, y, halfWidth);
                    r += s.colour.r * s.cover;
                    g += s.colour.g * s.cover;
                    b += s.colour.b * s.cover;
                    a += s.cover;
                }
            // Straight alpha: the colour is the mean over the covered samples.
            Rgba& out = img.at(px, py);
            if (a > 0) out = Rgba{r / a, g / a, b / a, a / (n * n)};
        }
    return img;
}

} // namespace tools
