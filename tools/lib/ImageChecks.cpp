#include "ImageChecks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tools {

bool isPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

SeamStats seamStats(const Pixels& px) {
    SeamStats st;
    int w = px.width, h = px.height, c = px.channels;
    auto diff = [&](int x0, int y0, int x1, int y1) {
        const uint8_t* a = px.pixel(x0, y0);
        const uint8_t* b = px.pixel(x1, y1);
        int d = 0;
        for (int k = 0; k < c; ++k) d += std::abs(static_cast<int>(a[k]) - static_cast<int>(b[k]));
        return static_cast<double>(d) / c;
    };
    double seam = 0, inside = 0;
    long seamCount = 0, insideCount = 0;
    for (int y = 0; y < h; ++y) {
        seam += diff(w - 1, y, 0, y);
        ++seamCount;
        for (int x = 0; x + 1 < w; ++x) {
            inside += diff(x, y, x + 1, y);
            ++insideCount;
        }
    }
    for (int x = 0; x < w; ++x) {
        seam += diff(x, h - 1, x, 0);
        ++seamCount;
        for (int y = 0; y + 1 < h; ++y) {
            inside += diff(x, y, x, y + 1);
            ++insideCount;
        }
    }
    st.seam = seamCount ? seam / seamCount : 0;
    st.inside = insideCount ? inside / insideCount : 0;
    return st;
}

std::vector<GlyphPlacement> measureGlyphs(const Pixels& atlas, const AtlasLayout& l) {
    std::vector<GlyphPlacement> out;
    if (atlas.channels != 4) return out;
    for (int c = l.firstChar; c <= l.lastChar; ++c) {
        GlyphPlacement g;
        g.code = c;
        float cx = l.cellCentreX(c), cy = l.cellCentreY(c);
        int x0 = std::max(0, static_cast<int>(std::floor(cx - 0.5f * l.pitchX)));
        int x1 = std::min(atlas.width, static_cast<int>(std::ceil(cx + 0.5f * l.pitchX)));
        int y0 = std::max(0, static_cast<int>(std::floor(cy - 0.5f * l.pitchY)));
        int y1 = std::min(atlas.height, static_cast<int>(std::ceil(cy + 0.5f * l.pitchY)));
        double sum = 0, sx = 0, sy = 0;
        int minX = x1, maxX = x0 - 1, minY = y1, maxY = y0 - 1;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                int a = atlas.pixel(x, y)[3];
                if (a == 0) continue;
                sum += a;
                sx += a * (x + 0.5);
                sy += a * (y + 0.5);
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        if (sum > 0) {
            g.hasInk = true;
            g.centroidX = static_cast<float>(sx / sum);
            g.centroidY = static_cast<float>(sy / sum);
            g.inkLeft = static_cast<float>(minX);
            g.inkRight = static_cast<float>(maxX + 1);
            g.inkTop = static_cast<float>(minY);
            g.inkBottom = static_cast<float>(maxY + 1);
        }
        out.push_back(g);
    }
    return out;
}

} // namespace tools
