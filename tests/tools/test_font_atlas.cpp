#include "FontAtlas.h"
#include "ImageChecks.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Built {
    tools::Pixels px;
    tools::AtlasLayout layout;
    int pixelSize = 0;
};

const Built& built(bool shadow) {
    static Built cache[2];
    Built& b = cache[shadow ? 1 : 0];
    if (b.px.width == 0) {
        tools::TextRaster raster;
        if (!raster.open(tools::kDefaultFontPath)) return b;
        b.layout = shadow ? tools::shadowFontLayout() : tools::plainFontLayout();
        tools::AtlasResult r;
        if (tools::buildFontAtlas(b.layout, raster, &r)) {
            b.px = tools::quantize(r.image, true, 0, 0.0f);
            b.pixelSize = r.pixelSize;
        }
    }
    return b;
}

// Alpha summed over a band of rows of a glyph's ink box: from and to are fractions of its height.
double inkInRows(const Built& b, int code, float from, float to) {
    tools::GlyphPlacement g = tools::measureGlyphs(b.px, b.layout)[code - b.layout.firstChar];
    float h = g.inkBottom - g.inkTop;
    double s = 0;
    for (int y = static_cast<int>(g.inkTop + from * h); y < static_cast<int>(g.inkTop + to * h); ++y)
        for (int x = static_cast<int>(g.inkLeft); x < static_cast<int>(g.inkRight); ++x)
            s += b.px.pixel(x, y)[3] * (b.px.pixel(x, y)[0] / 255.0);  // white glyph, not its shadow
    return s;
}

} // namespace

TEST(FontLayout, CellCentresFollowTheGridRowsDownTheImage) {
    tools::AtlasLayout l = tools::shadowFontLayout();
    EXPECT_FLOAT_EQ(l.cellCentreX(' '), 43.0f);
    EXPECT_FLOAT_EQ(l.cellCentreY(' '), 37.0f);
    EXPECT_FLOAT_EQ(l.cellCentreX('!'), 43.0f + 62.4f);
    EXPECT_FLOAT_EQ(l.cellCentreX('0'), 43.0f);  // code 48 = cell 16: start of the second row
    EXPECT_FLOAT_EQ(l.cellCentreY('0'), 37.0f + 57.0f);
    tools::AtlasLayout p = tools::plainFontLayout();
    EXPECT_FLOAT_EQ(p.cellCentreX('~'), 86.0f + 14 * 124.8f);
    EXPECT_FLOAT_EQ(p.cellCentreY('~'), 74.0f + 5 * 114.0f);
    // The glyph boxes of the last column and of the last used row lie inside the texture.
    for (const tools::AtlasLayout& a : {l, p}) {
        EXPECT_LE(a.cellCentreX(a.firstChar + a.columns - 1) + 0.5f * a.glyphWidth, a.textureWidth);
        EXPECT_LE(a.cellCentreY(127) + 0.5f * a.glyphHeight, a.textureHeight);
    }
}

TEST(FontAtlas, EveryPrintableGlyphSitsCentredInsideItsGlyphBox) {
    for (bool shadow : {true, false}) {
        const Built& b = built(shadow);
        ASSERT_GT(b.px.width, 0) << "atlas could not be built";
        EXPECT_EQ(b.px.width, b.layout.textureWidth);
        EXPECT_EQ(b.px.height, b.layout.textureHeight);
        for (const tools::GlyphPlacement& g : tools::measureGlyphs(b.px, b.layout)) {
            bool printable = g.code > 32 && g.code < 127;
            EXPECT_EQ(g.hasInk, printable) << "code " << g.code;
            if (!g.hasInk) continue;
            const tools::AtlasLayout& l = b.layout;
            float cx = l.cellCentreX(g.code), cy = l.cellCentreY(g.code);
            EXPECT_GE(g.inkLeft, cx - 0.5f * l.glyphWidth) << g.code;
            EXPECT_LE(g.inkRight, cx + 0.5f * l.glyphWidth) << g.code;
            EXPECT_GE(g.inkTop, cy - 0.5f * l.glyphHeight) << g.code;
            EXPECT_LE(g.inkBottom, cy + 0.5f * l.glyphHeight) << g.code;
            // Horizontally each glyph (with its shadow) is centred on its cell.
            EXPECT_NEAR(0.5f * (g.inkLeft + g.inkRight), cx, 1.5f) << g.code;
        }
    }
}

TEST(FontAtlas, GlyphsStandUprightWithOneBaseline) {
    for (bool shadow : {true, false}) {
        const Built& b = built(shadow);
        ASSERT_GT(b.px.width, 0);
        // 'T' has its bar at the top, 'L' its foot at the bottom; '_' lies below 'x'.
        EXPECT_GT(inkInRows(b, 'T', 0.0f, 0.25f), 2.0 * inkInRows(b, 'T', 0.75f, 1.0f));
        EXPECT_GT(inkInRows(b, 'L', 0.6f, 1.0f), 1.3 * inkInRows(b, 'L', 0.0f, 0.4f));
        std::vector<tools::GlyphPlacement> g = tools::measureGlyphs(b.px, b.layout);
        auto at = [&](int c) { return g[c - b.layout.firstChar]; };
        float baseX = at('x').inkBottom - b.layout.cellCentreY('x');
        float baseH = at('H').inkBottom - b.layout.cellCentreY('H');
        EXPECT_NEAR(baseX, baseH, 1.01f);  // both rest on the baseline
        EXPECT_GT(at('_').centroidY - b.layout.cellCentreY('_'), at('x').centroidY - b.layout.cellCentreY('x'));
    }
}

TEST(FontAtlas, ShadowFontCarriesADarkShadowDownRightPlainFontIsPureWhite) {
    const Built& shadowed = built(true);
    const Built& plain = built(false);
    ASSERT_GT(shadowed.px.width, 0);
    ASSERT_GT(plain.px.width, 0);
    // Centroids of white (glyph) and dark (shadow) pixels of '.'.
    const tools::AtlasLayout& l = shadowed.layout;
    float cx = l.cellCentreX('.'), cy = l.cellCentreY('.');
    double wx = 0, wy = 0, ws = 0, dx = 0, dy = 0, ds = 0;
    for (int y = static_cast<int>(cy - 27); y < static_cast<int>(cy + 27); ++y)
        for (int x = static_cast<int>(cx - 19); x < static_cast<int>(cx + 19); ++x) {
            const uint8_t* p = shadowed.px.pixel(x, y);
            if (p[3] == 0) continue;
            double white = p[0] / 255.0 * p[3], dark = (1.0 - p[0] / 255.0) * p[3];
            wx += white * x;
            wy += white * y;
            ws += white;
            dx += dark * x;
            dy += dark * y;
            ds += dark;
        }
    ASSERT_GT(ws, 0);
    ASSERT_GT(ds, 0);
    EXPECT_GT(dx / ds, wx / ws + 1.0);
    EXPECT_GT(dy / ds, wy / ws + 1.0);
    for (size_t i = 0; i < plain.px.bytes.size(); i += 4) {
        ASSERT_EQ(plain.px.bytes[i], 255);
        ASSERT_EQ(plain.px.bytes[i + 2], 255);
    }
    // The big font is rendered at a larger size, not scaled up.
    EXPECT_GT(plain.pixelSize, shadowed.pixelSize * 3 / 2);
}
