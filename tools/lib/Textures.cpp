#include "Textures.h"

#include "Noise.h"
#include "Random.h"
#include "TextRaster.h"

#include <algorithm>
#include <cmath>

namespace tools {

namespace {

const float kTau = 6.28318531f;

Rgba rgb(float r, float g, float b, float a = 1.0f) { return Rgba{r, g, b, a}; }

Rgba scaled(const Rgba& c, float s) { return Rgba{c.r * s, c.g * s, c.b * s, c.a}; }

// Evaluates f(u, v) for every pixel of a w x h map with u = x / w, v = y / h, so that
// content periodic in u and v tiles exactly.
template <class F>
Map fillMap(int w, int h, F f) {
    Map m(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) m.at(x, y) = f(static_cast<float>(x) / w, static_cast<float>(y) / h);
    return m;
}

// Three-stop colour ramp.
Rgba ramp3(const Rgba& a, const Rgba& b, const Rgba& c, float t) {
    t = clamp01(t);
    return t < 0.5f ? mix(a, b, t * 2.0f) : mix(b, c, (t - 0.5f) * 2.0f);
}

// Signed distance to a rounded rectangle centred at the origin (half sizes hx, hy, radius r).
float roundBox(float px, float py, float hx, float hy, float r) {
    float qx = std::fabs(px) - hx + r, qy = std::fabs(py) - hy + r;
    float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

// Stone cells: per-cell brightness, domed cells separated by grooves. Returns height and tone.
struct StoneParams {
    int cells;
    float jitter;
    uint32_t seed;
    float warp;
    float groove;     // width of the grooves in cell units (F2 - F1)
    float dome;       // how rounded each stone is
};

void stoneField(int w, int h, const StoneParams& p, Map* height, Map* tone) {
    Worley cells(p.cells, p.cells, p.jitter, p.seed);
    PeriodicNoise warpA(p.seed + 11), warpB(p.seed + 12), detail(p.seed + 13), pits(p.seed + 14);
    *height = Map(w, h);
    *tone = Map(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = static_cast<float>(x) / w, v = static_cast<float>(y) / h;
            float wu = u + p.warp * warpA.fbm(u, v, 4, 4, 3);
            float wv = v + p.warp * warpB.fbm(u, v, 4, 4, 3);
            WorleySample s = cells.sample(wu, wv);
            float edge = s.f2 - s.f1;
            float cellTone = hashUnit(s.cellId);
            float d = detail.fbm(u, v, 16, 16, 4);
            float body = smoothstep(0.0f, p.groove, edge);
            float domed = 1.0f - p.dome * s.f1 * s.f1;
            float pit = pits.turbulence(u, v, 32, 32, 2);
            height->at(x, y) = body * (0.55f + 0.35f * domed + 0.08f * d) - 0.05f * pit * body +
                               0.1f * cellTone * body;
            tone->at(x, y) = (0.25f + 0.75f * body) * (0.7f + 0.45f * cellTone) * (0.9f + 0.18f * d);
        }
}

} // namespace

Image makeBedrock(int w, int h, TextRaster&) {
    PeriodicNoise wa(101), wb(102), base(103), ridge(104), grain(105), tint(106);
    Worley cracks(6, 6, 0.95f, 107);
    Map height(w, h), crackMap(w, h), toneMap(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = static_cast<float>(x) / w, v = static_cast<float>(y) / h;
            float wu = u + 0.05f * wa.fbm(u, v, 3, 3, 4);
            float wv = v + 0.05f * wb.fbm(u, v, 3, 3, 4);
            float b = 0.5f + 0.5f * base.fbm(wu, wv, 4, 4, 8);
            float r = ridge.ridged(wu, wv, 4, 4, 4);
            WorleySample s = cracks.sample(wu, wv);
            float crack = 1.0f - smoothstep(0.0f, 0.05f, s.f2 - s.f1);
            float fine = grain.fbm(u, v, 64, 64, 2);
            height.at(x, y) = b * (0.45f + 0.8f * r) - 0.22f * crack + 0.03f * fine;
            crackMap.at(x, y) = crack;
            toneMap.at(x, y) = 0.5f + 0.5f * tint.fbm(u, v, 2, 2, 3);
        }
    height.normalize();
    Map light = shadeHeight(height, 70.0f, 0.35f, 0.12f, 24.0f);
    Image img(w, h);
    const Rgba dark = rgb(0.20f, 0.18f, 0.16f), mid = rgb(0.46f, 0.41f, 0.36f), high = rgb(0.66f, 0.62f, 0.57f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float hv = height.at(x, y);
            Rgba c = ramp3(dark, mid, high, hv * 0.9f + 0.1f * toneMap.at(x, y));
            // A rusty tint in some regions, grey in others.
            float t = toneMap.at(x, y);
            c.r *= 0.94f + 0.14f * t;
            c.b *= 1.04f - 0.12f * t;
            float l = light.at(x, y) * (1.0f - 0.55f * crackMap.at(x, y));
            img.at(x, y) = rgb(clamp01(c.r * l * 1.25f), clamp01(c.g * l * 1.25f), clamp01(c.b * l * 1.25f));
        }
    return img;
}

Image makeBlueDistortion(int w, int h, TextRaster&) {
    PeriodicNoise d1(201), d2(202), d3(203);
    const Rgba deep = rgb(0.02f, 0.05f, 0.22f), mid = rgb(0.08f, 0.30f, 0.68f), light = rgb(0.62f, 0.84f, 1.0f);
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = static_cast<float>(x) / w, v = static_cast<float>(y) / h;
            float a = d1.fbm(u, v, 3, 3, 5);
            float b = d2.fbm(u, v, 3, 3, 5);
            // Integer wave numbers keep the bands periodic over the tile.
            float phase = kTau * (3.0f * u + 3.0f * v) + 4.0f * a + 1.6f * std::sin(kTau * (2.0f * u - v) + 3.0f * b);
            float band = 0.5f + 0.5f * std::sin(phase);
            float fine = 0.5f + 0.5f * std::sin(phase * 3.0f + 2.0f * d3.fbm(u, v, 8, 8, 3));
            float t = std::pow(band, 1.4f) * 0.85f + 0.15f * fine;
            Rgba c = ramp3(deep, mid, light, t);
            float glint = std::pow(smoothstep(0.8f, 1.0f, band), 3.0f) * 0.35f;
            img.at(x, y) = rgb(clamp01(c.r + glint), clamp01(c.g + glint), clamp01(c.b + glint * 0.5f));
        }
    return img;
}

static Image stoneImage(int w, int h, const StoneParams& p, Rgba lowTint, Rgba highTint, float strength) {
    Map height, tone;
    stoneField(w, h, p, &height, &tone);
    Map light = shadeHeight(height, strength, 0.3f, 0.15f, 16.0f);
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgba c = mix(lowTint, highTint, clamp01(tone.at(x, y)));
            float l = light.at(x, y) * 1.15f;
            img.at(x, y) = rgb(clamp01(c.r * l), clamp01(c.g * l), clamp01(c.b * l));
        }
    return img;
}

Image makeStone(int w, int h, TextRaster&) {
    StoneParams p{8, 0.85f, 301, 0.02f, 0.12f, 0.9f};
    return stoneImage(w, h, p, rgb(0.26f, 0.25f, 0.24f), rgb(0.74f, 0.72f, 0.68f), 40.0f);
}

Image makeStoneVariant(int w, int h, TextRaster&) {
    StoneParams p{5, 0.95f, 401, 0.035f, 0.18f, 1.2f};
    return stoneImage(w, h, p, rgb(0.28f, 0.21f, 0.17f), rgb(0.78f, 0.64f, 0.52f), 34.0f);
}

Image makeSnowyStone(int w, int h, TextRaster&) {
    StoneParams p{6, 0.9f, 501, 0.03f, 0.14f, 1.0f};
    Map height, tone;
    stoneField(w, h, p, &height, &tone);
    PeriodicNoise breakup(502);
    Map light = shadeHeight(height, 36.0f, 0.3f, 0.18f, 16.0f);
    Image img(w, h);
    const Rgba rockLow = rgb(0.22f, 0.22f, 0.24f), rockHigh = rgb(0.60f, 0.60f, 0.62f);
    const Rgba snow = rgb(0.90f, 0.94f, 1.0f), snowShade = rgb(0.55f, 0.66f, 0.86f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = static_cast<float>(x) / w, v = static_cast<float>(y) / h;
            Normal n = normalAt(height, x, y, 36.0f);
            // Snow lies on the high parts and on faces turned up the picture (-y).
            float up = -n.y;
            float s = height.at(x, y) * 0.9f + 1.4f * up + 0.45f * breakup.fbm(u, v, 8, 8, 4);
            float cover = smoothstep(0.70f, 0.80f, s);
            float l = light.at(x, y);
            Rgba rock = mix(rockLow, rockHigh, clamp01(tone.at(x, y)));
            rock = scaled(rock, l * 1.1f);
            Rgba sn = mix(snowShade, snow, clamp01(l * 1.1f - 0.1f));
            Rgba c = mix(rock, sn, cover);
            img.at(x, y) = rgb(clamp01(c.r), clamp01(c.g), clamp01(c.b));
        }
    return img;
}

Image makeSilverMetal(int w, int h, TextRaster&) {
    PeriodicNoise streaks(601), cloud(602), fine(603), sheen(605);
    Map m = fillMap(w, h, [&](float u, float v) {
        // Brushed along x: slow change along the brush, fast across it.
        float s = streaks.fbm(u, v, 2, 32, 4, 0.65f);
        float s2 = fine.octave(u, v, 4, 256);
        float c = cloud.fbm(u, v, 3, 3, 4);
        // Broad polished bands across the brushing, as a curved sheet reflects its room.
        float b = 0.5f + 0.5f * std::sin(kTau * 2.0f * v + 2.0f * sheen.fbm(u, v, 2, 2, 3));
        return 0.70f + 0.09f * s + 0.03f * s2 + 0.04f * c + 0.08f * b * b;
    });
    // Thin scratches: random short segments, wrapped around the tile.
    Random rng(604);
    Map scratch(w, h);
    for (int i = 0; i < 90; ++i) {
        float x0 = rng.uniform() * w, y0 = rng.uniform() * h;
        float ang = rng.range(-0.5f, 0.5f) + (rng.uniform() < 0.3f ? 1.57f : 0.0f);
        float len = rng.range(20.0f, 160.0f);
        float depth = rng.range(-0.09f, 0.07f);
        int steps = static_cast<int>(len * 2);
        for (int k = 0; k <= steps; ++k) {
            float t = static_cast<float>(k) / steps;
            float px = x0 + std::cos(ang) * len * t, py = y0 + std::sin(ang) * len * t;
            float fade = std::sin(3.14159f * t);
            int ix = static_cast<int>(std::floor(px)), iy = static_cast<int>(std::floor(py));
            int xw = ((ix % w) + w) % w, yw = ((iy % h) + h) % h;
            float& s = scratch.at(xw, yw);
            if (std::fabs(depth * fade) > std::fabs(s)) s = depth * fade;
        }
    }
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float g = clamp01(m.at(x, y) + scratch.at(x, y));
            img.at(x, y) = rgb(clamp01(g * 0.97f), clamp01(g * 0.99f), clamp01(g * 1.03f));
        }
    return img;
}

// Lizard skin: irregular domed scales with grooves between them and finer scales inside.
static void lizardField(int w, int h, Map* height, Map* cellTone, Map* groove) {
    Worley big(12, 12, 0.8f, 701), small(40, 40, 0.9f, 702);
    PeriodicNoise wa(703), wb(704), bumps(705);
    *height = Map(w, h);
    *cellTone = Map(w, h);
    *groove = Map(w, h);
    float maxF1 = 0;
    std::vector<WorleySample> samples(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = static_cast<float>(x) / w, v = static_cast<float>(y) / h;
            float wu = u + 0.012f * wa.fbm(u, v, 6, 6, 3), wv = v + 0.012f * wb.fbm(u, v, 6, 6, 3);
            samples[static_cast<size_t>(y) * w + x] = big.sample(wu, wv);
            maxF1 = std::max(maxF1, samples[static_cast<size_t>(y) * w + x].f1);
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = static_cast<float>(x) / w, v = static_cast<float>(y) / h;
            const WorleySample& s = samples[static_cast<size_t>(y) * w + x];
            float r = s.f1 / maxF1;
            float dome = 1.0f - r * r;
            float g = 1.0f - smoothstep(0.0f, 0.12f, s.f2 - s.f1);
            WorleySample t = small.sample(u, v);
            // Small domed scales on every big one.
            float tr = std::min(1.0f, t.f1 * 1.3f);
            float tiny = (1.0f - tr * tr) * 0.1f - (1.0f - smoothstep(0.0f, 0.1f, t.f2 - t.f1)) * 0.03f;
            height->at(x, y) = dome * (1.0f - 0.85f * g) + tiny * (1.0f - g) + 0.03f * bumps.fbm(u, v, 32, 32, 2);
            cellTone->at(x, y) = hashUnit(s.cellId);
            groove->at(x, y) = g;
        }
}

Image makeLizardBump(int w, int h, TextRaster&) {
    Map height, tone, groove;
    lizardField(w, h, &height, &tone, &groove);
    Map light = shadeHeight(height, 28.0f, 0.28f, 0.25f, 20.0f);
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float l = light.at(x, y) * (0.8f + 0.2f * height.at(x, y)) * (1.0f - 0.35f * groove.at(x, y));
            float g = clamp01(l * 0.95f);
            img.at(x, y) = rgb(g, clamp01(g * 0.98f), clamp01(g * 0.95f));
        }
    return img;
}

Image makeLizardColour(int w, int h, TextRaster&) {
    Map height, tone, groove;
    lizardField(w, h, &height, &tone, &groove);
    PeriodicNoise bandNoise(706), blotch(707);
    Map light = shadeHeight(height, 20.0f, 0.45f, 0.1f, 12.0f);
    // Loaded with colour scale 2: the colours here are about half of what is seen.
    const Rgba olive = rgb(0.20f, 0.23f, 0.09f), ochre = rgb(0.34f, 0.27f, 0.10f), dark = rgb(0.05f, 0.06f, 0.03f);
    const Rgba teal = rgb(0.09f, 0.20f, 0.16f);
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = static_cast<float>(x) / w, v = static_cast<float>(y) / h;
            // Dark cross bands like a lizard's back, broken up by noise.
            float band = 0.5f + 0.5f * std::sin(kTau * 3.0f * v + 2.5f * bandNoise.fbm(u, v, 3, 3, 4));
            float b = smoothstep(0.65f, 0.85f, band);
            float blot = smoothstep(0.2f, 0.6f, blotch.fbm(u, v, 4, 4, 3));
            Rgba c = mix(olive, ochre, tone.at(x, y));
            c = mix(c, teal, blot * 0.6f);
            c = mix(c, scaled(c, 0.45f), b);
            c = mix(c, dark, groove.at(x, y) * 0.85f);
            float l = light.at(x, y);
            img.at(x, y) = rgb(clamp01(c.r * l * 1.1f), clamp01(c.g * l * 1.1f), clamp01(c.b * l * 1.1f));
        }
    return img;
}

Image makeSolidNoiseBump(int w, int h, TextRaster&) {
    PeriodicNoise n(801), tint(802);
    Map height = fillMap(w, h, [&](float u, float v) { return 0.5f + 0.5f * n.fbm(u, v, 4, 4, 6); });
    Map light = shadeHeight(height, 45.0f, 0.3f, 0.15f, 16.0f);
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float u = static_cast<float>(x) / w, v = static_cast<float>(y) / h;
            float hv = height.at(x, y);
            float t = 0.5f + 0.5f * tint.fbm(u, v, 2, 2, 3);
            float g = clamp01(light.at(x, y) * (0.55f + 0.55f * hv));
            img.at(x, y) = rgb(clamp01(g * (0.95f + 0.08f * t)), clamp01(g * 0.97f), clamp01(g * (1.05f - 0.08f * t)));
        }
    return img;
}

static Image turbulenceImage(int w, int h, int base, uint32_t seed) {
    PeriodicNoise n(seed);
    Map m = fillMap(w, h, [&](float u, float v) {
        float sum = 0, amp = 1;
        for (int o = 0; o < 4; ++o) {
            // A fractional shift per octave keeps the octaves' lattice zeros from lining up.
            float shift = 0.37f * o / (base << o);
            sum += amp * std::fabs(n.octave(u + shift, v + 0.61f * shift, base << o, base << o));
            amp *= 0.6f;
        }
        return sum;
    });
    m.normalize();
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float g = std::pow(m.at(x, y), 0.8f);
            img.at(x, y) = rgb(g, g, g);
        }
    return img;
}

Image makeTurbulenceLow(int w, int h, TextRaster&) { return turbulenceImage(w, h, 2, 901); }
Image makeTurbulenceHigh(int w, int h, TextRaster&) { return turbulenceImage(w, h, 16, 902); }

Image makeBlack(int w, int h, TextRaster&) { return Image(w, h, rgb(0, 0, 0)); }
Image makeWhite(int w, int h, TextRaster&) { return Image(w, h, rgb(1, 1, 1)); }

// A round light spot, (1 - r^2)^power scaled by peak; it reaches zero two pixels inside the
// border, so clamped sampling stays black.
static Image lightSpot(int w, int h, float power, float peak) {
    Image img(w, h);
    float radius = 0.5f * std::min(w, h) - 2.0f;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float dx = (x + 0.5f - 0.5f * w) / radius, dy = (y + 0.5f - 0.5f * h) / radius;
            float r2 = dx * dx + dy * dy;
            float v = r2 >= 1.0f ? 0.0f : peak * std::pow(1.0f - r2, power);
            img.at(x, y) = rgb(v, v, v);
        }
    return img;
}

// The spot lights' projected pattern: broad, full strength.
Image makeLightSpot(int w, int h, TextRaster&) { return lightSpot(w, h, 2.0f, 1.0f); }

// The bright face of the reflection cube maps, added onto every shiny surface: a tighter,
// dimmer highlight, so reflections read as a lamp rather than flooding the surface white.
Image makeReflectionSpot(int w, int h, TextRaster&) { return lightSpot(w, h, 5.0f, 0.75f); }

Image makeDotGrid(int w, int h, TextRaster&) {
    const int cells = 8;
    float cw = static_cast<float>(w) / cells, ch = static_cast<float>(h) / cells;
    float radius = 0.3f * std::min(cw, ch), edge = 1.0f;
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float fx = std::fmod(x + 0.5f, cw) - 0.5f * cw, fy = std::fmod(y + 0.5f, ch) - 0.5f * ch;
            float d = std::sqrt(fx * fx + fy * fy);
            float dot = 1.0f - smoothstep(radius - edge, radius + edge, d);
            float halo = 0.18f * (1.0f - smoothstep(radius, 1.7f * radius, d));
            float v = clamp01(dot + halo);
            img.at(x, y) = rgb(v, v, v);
        }
    return img;
}

// The sprites of the text parts' drifting ring: 30 of them, each over a large part of the
// screen and drawn at half alpha, so the image is a dim, smoky blue-grey cloud with soft
// edges rather than a bright glow (bright sprites would wash the whole frame out to white).
Image makeGlowSprite(int w, int h, TextRaster&) {
    Image img(w, h, rgb(0, 0, 0, 0));
    PeriodicNoise smoke(311), wisps(312);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Fully transparent from one pixel inside the border on: clamped sampling shows no edge.
            float dx = (x + 0.5f - 0.5f * w) / (0.5f * w - 1.0f), dy = (y + 0.5f - 0.5f * h) / (0.5f * h - 1.0f);
            float r = std::sqrt(dx * dx + dy * dy);
            if (r >= 1.0f) continue;
            const float u = static_cast<float>(x) / w, v = static_cast<float>(y) / h;
            const float cloud = 0.5f + 0.5f * smoke.fbm(u, v, 3, 3, 5);
            const float wisp = 0.5f + 0.5f * wisps.fbm(u, v, 6, 6, 3);
            const float falloff = std::exp(-3.0f * r * r) * (1.0f - r);
            const float a = falloff * (0.35f + 0.65f * cloud);
            const float light = 0.6f + 0.4f * wisp;
            img.at(x, y) = rgb(0.07f * light + 0.02f, 0.09f * light + 0.03f, 0.15f * light + 0.05f,
                               clamp01(0.85f * a));
        }
    return img;
}

Image makeTitlePlate(int w, int h, TextRaster& text) {
    const std::string title = "Verdanth";
    Image img(w, h, rgb(0, 0, 0, 0));
    float cx = 0.5f * w, cy = 0.5f * h;
    float hx = 0.47f * w, hy = 0.17f * h, radius = 0.06f * w;

    // Text size: the largest pixel size whose ink fills 80 % of the plate's width.
    int px = 8;
    for (int s = 8; s < h; ++s) {
        text.setPixelSize(s);
        if (text.textInk(title).width() > 1.6f * hx * 0.98f) break;
        px = s;
    }
    text.setPixelSize(px);
    InkBox ink = text.textInk(title);
    Map cover(w, h);
    float penX = cx - 0.5f * (ink.left + ink.right);
    float baseline = cy + 0.5f * (ink.top + ink.bottom);
    text.drawText(cover, title, penX, baseline);
    Map shadow = boxBlur(boxBlur(cover, 4, false), 4, false);
    Map glow = boxBlur(boxBlur(cover, 10, false), 10, false);
    int so = std::max(2, w / 128);

    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float px0 = x + 0.5f - cx, py0 = y + 0.5f - cy;
            float d = roundBox(px0, py0, hx, hy, radius);
            float inside = 1.0f - smoothstep(-1.0f, 1.0f, d);
            // Plate: a deep blue-violet gradient, lighter at the top, with a thin bright rim.
            float t = clamp01((py0 + hy) / (2.0f * hy));
            Rgba plate = mix(rgb(0.16f, 0.22f, 0.42f), rgb(0.03f, 0.04f, 0.10f), t);
            float sheen = 0.12f * (1.0f - smoothstep(0.0f, 0.45f, t)) * (0.6f + 0.4f * std::cos(px0 / hx * 1.5f));
            plate = rgb(plate.r + sheen, plate.g + sheen, plate.b + sheen * 1.2f);
            float rim = (1.0f - smoothstep(0.0f, 2.5f, std::fabs(d + 3.0f))) * inside;
            plate = mix(plate, rgb(0.70f, 0.80f, 1.0f), rim * 0.8f);
            // Text: warm white, darker towards its foot, over its drop shadow and a soft glow.
            float c = cover.at(x, y);
            float s = shadow.clamped(x - so, y - so) * 0.85f;
            float g = glow.at(x, y) * 0.35f;
            Rgba col = mix(plate, rgb(0.0f, 0.0f, 0.02f), s);
            col = rgb(col.r + g * 0.5f, col.g + g * 0.6f, col.b + g);
            float ty = clamp01((y - (baseline - ink.top)) / std::max(1.0f, ink.height()));
            Rgba letter = mix(rgb(1.0f, 0.98f, 0.92f), rgb(1.0f, 0.72f, 0.36f), ty);
            col = mix(col, letter, c);
            // Outside the plate only a soft shadow of the plate remains.
            float outerShadow = (1.0f - smoothstep(0.0f, 0.05f * w, d)) * 0.45f;
            float a = std::max(inside * 0.94f, c);
            a = std::max(a, outerShadow * (1.0f - inside));
            if (inside <= 0.0f && c <= 0.0f) col = rgb(0, 0, 0);
            img.at(x, y) = rgb(clamp01(col.r), clamp01(col.g), clamp01(col.b), clamp01(a));
        }
    return img;
}

Image makeLogoPlate(int w, int h, TextRaster& text) {
    const std::string name = "ORVEL";
    float cx = 0.5f * w, cy = 0.5f * h;
    float half = 0.44f * w, radius = 0.1f * w;

    // Height field: bevelled plate, an embossed ring, raised letters.
    Map letters(w, h);
    int px = 8;
    for (int s = 8; s < h; ++s) {
        text.setPixelSize(s);
        if (text.textInk(name).width() > 1.25f * half) break;
        px = s;
    }
    text.setPixelSize(px);
    InkBox ink = text.textInk(name);
    float textY = cy + 0.5f * (ink.top + ink.bottom) + 0.02f * h;
    text.drawText(letters, name, cx - 0.5f * (ink.left + ink.right), textY);
    Map soft = boxBlur(boxBlur(letters, 2, false), 2, false);

    PeriodicNoise frost(1001);
    Map height(w, h), plateMask(w, h), ringMask(w, h);
    float ringR = 0.36f * w, ringW = 0.022f * w;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float px0 = x + 0.5f - cx, py0 = y + 0.5f - cy;
            float d = roundBox(px0, py0, half, half, radius);
            float inside = 1.0f - smoothstep(-1.0f, 1.0f, d);
            float bevel = smoothstep(0.0f, 0.05f * w, -d);
            float r = std::sqrt(px0 * px0 + py0 * py0);
            float ring = 1.0f - smoothstep(ringW - 2.0f, ringW + 2.0f, std::fabs(r - ringR));
            // Four notches cut into the ring, diagonally, for a designed look.
            float ang = std::atan2(py0, px0);
            float notch = smoothstep(0.93f, 0.97f, std::fabs(std::cos(2.0f * ang + 1.5708f)));
            ring *= 1.0f - notch;
            float grain = 0.004f * frost.fbm(static_cast<float>(x) / w, static_cast<float>(y) / h, 32, 32, 2);
            height.at(x, y) = 0.3f * bevel + 0.25f * ring + 0.45f * soft.at(x, y) + grain;
            plateMask.at(x, y) = inside;
            ringMask.at(x, y) = ring;
        }
    Image img(w, h, rgb(0, 0, 0, 0));
    const float lx = -0.5f, ly = -0.6f, lz = 0.62f;
    float ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float inside = plateMask.at(x, y);
            if (inside <= 0.0f) continue;
            Normal n = normalAt(height, x, y, 90.0f);
            float diff = std::max(0.0f, (n.x * lx + n.y * ly + n.z * lz) / ll);
            float hx0 = lx / ll, hy0 = ly / ll, hz0 = lz / ll + 1.0f;
            float hl = std::sqrt(hx0 * hx0 + hy0 * hy0 + hz0 * hz0);
            float spec = std::pow(std::max(0.0f, (n.x * hx0 + n.y * hy0 + n.z * hz0) / hl), 40.0f);
            float py0 = (y + 0.5f - cy) / half;
            // Smoky cyan plexiglass; letters and ring in polished silver.
            Rgba glass = mix(rgb(0.10f, 0.32f, 0.40f), rgb(0.04f, 0.10f, 0.18f), clamp01(0.5f + 0.5f * py0));
            float metal = std::max(letters.at(x, y), ringMask.at(x, y));
            Rgba base = mix(glass, rgb(0.80f, 0.84f, 0.90f), metal);
            float l = 0.35f + 0.8f * diff;
            Rgba c = rgb(base.r * l + spec * 0.9f, base.g * l + spec * 0.9f, base.b * l + spec);
            float a = inside * (0.78f + 0.22f * metal);
            img.at(x, y) = rgb(clamp01(c.r), clamp01(c.g), clamp01(c.b), clamp01(a));
        }
    return img;
}

const std::vector<TextureSpec>& textureTable() {
    static const std::vector<TextureSpec> table = {
        {"alkua2.png", 256, 256, true, false, makeGlowSprite},
        {"kallios.png", 512, 512, false, true, makeBedrock},
        {"bluedist.png", 512, 512, false, true, makeBlueDistortion},
        {"kivio.png", 512, 512, false, true, makeStone},
        {"kivios.png", 512, 512, false, true, makeStoneVariant},
        {"kivilumi.png", 512, 512, false, true, makeSnowyStone},
        {"hopmet.png", 512, 512, false, true, makeSilverMetal},
        {"lizzardskinbump.png", 512, 512, false, true, makeLizardBump},
        {"lizzardskinp.png", 512, 512, false, true, makeLizardColour},
        {"solidnoisebump.png", 512, 512, false, true, makeSolidNoiseBump},
        {"noiseturblow.png", 256, 256, false, true, makeTurbulenceLow},
        {"noiseturbhi.png", 512, 512, false, true, makeTurbulenceHigh},
        // black, bill and pilkut are faces of cube maps together: one square size.
        {"black.png", 256, 256, false, true, makeBlack},
        {"white.png", 64, 64, false, true, makeWhite},
        {"bill.png", 256, 256, false, false, makeReflectionSpot},
        {"billbig.png", 512, 512, false, false, makeLightSpot},
        {"pilkut.png", 256, 256, false, true, makeDotGrid},
        {"plexi.png", 512, 512, true, false, makeLogoPlate},
        {"tyyper.png", 512, 512, true, false, makeTitlePlate},
    };
    return table;
}

} // namespace tools
