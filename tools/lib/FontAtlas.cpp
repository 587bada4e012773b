#include "FontAtlas.h"

#include "resources/ImageFiles.h"

#include <algorithm>
#include <cmath>

namespace tools {

float AtlasLayout::cellCentreX(int c) const {
    int k = c - firstChar;
    return originX + static_cast<float>(k % columns) * pitchX;
}

float AtlasLayout::cellCentreY(int c) const {
    int k = c - firstChar;
    return originY + static_cast<float>(k / columns) * pitchY;
}

AtlasLayout shadowFontLayout() {
    AtlasLayout l;
    l.textureWidth = 1024;
    l.textureHeight = 512;
    l.originX = 43;
    l.originY = 37;
    l.pitchX = 62.4f;
    l.pitchY = 57;
    l.glyphWidth = 38;
    l.glyphHeight = 55;
    l.shadow = true;
    return l;
}

AtlasLayout plainFontLayout() {
    AtlasLayout l;
    l.textureWidth = 2048;
    l.textureHeight = 1024;
    l.originX = 86;
    l.originY = 74;
    l.pitchX = 124.8f;
    l.pitchY = 114;
    l.glyphWidth = 76;
    l.glyphHeight = 110;
    l.shadow = false;
    l.margin = 2;
    return l;
}

namespace {

struct Extent {
    float growLeft, growRight, growUp, growDown;  // how far the shadow reaches past the ink
};

Extent shadowExtent(const AtlasLayout& l) {
    if (!l.shadow) return Extent{0, 0, 0, 0};
    float spread = static_cast<float>(2 * l.shadowBlur);
    float off = static_cast<float>(l.shadowOffset);
    return Extent{std::max(0.0f, spread - off), off + spread, std::max(0.0f, spread - off), off + spread};
}

} // namespace

bool buildFontAtlas(const AtlasLayout& l, TextRaster& raster, AtlasResult* out) {
    if (!raster.isOpen()) return false;
    Extent ext = shadowExtent(l);
    float boxW = l.glyphWidth - 2.0f * l.margin, boxH = l.glyphHeight - 2.0f * l.margin;

    // Largest size at which the sizing glyphs and the full ascent-to-descent span fit.
    int chosen = 0;
    float top = 0, bottom = 0;
    for (int px = static_cast<int>(l.glyphHeight); px >= 6; --px) {
        raster.setPixelSize(px);
        raster.setHorizontalScale(l.condense);
        float refW = 0, t = -1e9f, b = 1e9f;
        for (const char* p = l.sizingGlyphs; *p; ++p)
            refW = std::max(refW, raster.glyphInk(static_cast<unsigned char>(*p)).width());
        for (int c = l.firstChar; c <= l.lastChar && c < 127; ++c) {
            InkBox ink = raster.glyphInk(static_cast<unsigned char>(c));
            if (ink.empty) continue;
            t = std::max(t, ink.top);
            b = std::min(b, ink.bottom);
        }
        if (refW + ext.growLeft + ext.growRight <= boxW && (t - b) + ext.growUp + ext.growDown <= boxH) {
            chosen = px;
            top = t;
            bottom = b;
            break;
        }
    }
    if (chosen == 0) return false;
    raster.setPixelSize(chosen);

    Map glyphs(l.textureWidth, l.textureHeight);
    // The footprint (ink plus shadow) spans bottom - growDown .. top + growUp above the baseline;
    // its middle goes on the cell centre row.
    float footprintMid = 0.5f * ((top + ext.growUp) + (bottom - ext.growDown));
    float widthLimit = boxW - ext.growLeft - ext.growRight;
    for (int c = l.firstChar; c <= l.lastChar && c < 127; ++c) {
        unsigned char ch = static_cast<unsigned char>(c);
        float sx = l.condense;
        raster.setHorizontalScale(sx);
        InkBox ink = raster.glyphInk(ch);
        if (ink.empty) continue;
        while (ink.width() > widthLimit && sx > 0.3f) {
            sx *= std::max(0.5f, std::min(0.99f, widthLimit / ink.width()));
            raster.setHorizontalScale(sx);
            ink = raster.glyphInk(ch);
        }
        float cx = l.cellCentreX(c), cy = l.cellCentreY(c);
        float mid = 0.5f * ((ink.left - ext.growLeft) + (ink.right + ext.growRight));
        raster.drawGlyph(glyphs, ch, cx - mid, cy + footprintMid);
    }
    raster.setHorizontalScale(1.0f);

    Image img(l.textureWidth, l.textureHeight, Rgba{1, 1, 1, 0});
    if (!l.shadow) {
        for (int y = 0; y < l.textureHeight; ++y)
            for (int x = 0; x < l.textureWidth; ++x) img.at(x, y) = Rgba{1, 1, 1, glyphs.at(x, y)};
    } else {
        Map blurred = boxBlur(boxBlur(glyphs, l.shadowBlur, false), l.shadowBlur, false);
        for (int y = 0; y < l.textureHeight; ++y)
            for (int x = 0; x < l.textureWidth; ++x) {
                float g = glyphs.at(x, y);
                float s = blurred.clamped(x - l.shadowOffset, y - l.shadowOffset) * l.shadowStrength;
                float a = g + s * (1.0f - g);
                // Straight alpha: white glyph over a black shadow.
                float rgb = a > 0.0f ? g / a : 0.0f;
                img.at(x, y) = Rgba{rgb, rgb, rgb, a};
            }
    }
    out->image = std::move(img);
    out->pixelSize = chosen;
    return true;
}

std::vector<FontAtlasFile> engineFontAtlases() {
    return {{imagefiles::kShadowFont, shadowFontLayout()}, {imagefiles::kPlainFont, plainFontLayout()}};
}

} // namespace tools
