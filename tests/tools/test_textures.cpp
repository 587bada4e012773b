#include "ImageChecks.h"
#include "TextRaster.h"
#include "Textures.h"
#include "resources/ImageFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <set>

namespace {

tools::TextRaster& raster() {
    static tools::TextRaster r;
    if (!r.isOpen()) r.open(tools::kDefaultFontPath);
    return r;
}

float luminance(const tools::Rgba& c) { return (c.r + c.g + c.b) / 3.0f; }

} // namespace

TEST(TextureTable, NamesEveryImageOfTheProductionOnceWithUsableSizes) {
    // Exactly the images the program reads (the one list of them).
    const std::set<std::string> expected(std::begin(imagefiles::kTextures),
                                         std::end(imagefiles::kTextures));
    std::set<std::string> seen;
    int faceSize = 0;
    for (const tools::TextureSpec& s : tools::textureTable()) {
        EXPECT_TRUE(seen.insert(s.file).second) << s.file;
        EXPECT_TRUE(tools::isPowerOfTwo(s.width) && tools::isPowerOfTwo(s.height)) << s.file;
        if (s.file == "bill.png" || s.file == "black.png" || s.file == "pilkut.png") {
            EXPECT_EQ(s.width, s.height) << s.file;
            if (faceSize == 0) faceSize = s.width;
            EXPECT_EQ(s.width, faceSize) << s.file << " is a face of a cube map with the others";
        }
    }
    EXPECT_EQ(seen, expected);
}

TEST(TextureTable, SurfaceTexturesTileSeamlesslyAtAnySize) {
    // Generated small to keep the test fast; the frequencies are per tile, so the seam
    // property does not depend on the size.
    for (const tools::TextureSpec& s : tools::textureTable()) {
        if (!s.tiles) continue;
        tools::Image img = s.generate(128, 128, raster());
        tools::SeamStats st = tools::seamStats(tools::quantize(img, s.alpha, 1));
        EXPECT_LE(st.seam, 1.5 * st.inside + 0.5) << s.file << " seam " << st.seam << " inside " << st.inside;
    }
}

TEST(TextureTable, GeneratorsAreDeterministic) {
    for (const tools::TextureSpec& s : tools::textureTable()) {
        tools::Pixels a = tools::quantize(s.generate(64, 64, raster()), s.alpha, 5);
        tools::Pixels b = tools::quantize(s.generate(64, 64, raster()), s.alpha, 5);
        EXPECT_EQ(a.bytes, b.bytes) << s.file;
    }
}

TEST(LightSpot, IsBrightestInTheMiddleFallsOffAndIsBlackAtTheBorder) {
    tools::Image img = tools::makeLightSpot(128, 128, raster());
    tools::Pixels px = tools::quantize(img, false, 9);
    for (int i = 0; i < 128; ++i) {
        for (int y : {0, 1, 126, 127}) EXPECT_EQ(px.pixel(i, y)[0], 0) << i << "," << y;
        for (int x : {0, 1, 126, 127}) EXPECT_EQ(px.pixel(x, i)[0], 0) << x << "," << i;
    }
    EXPECT_GT(luminance(img.at(64, 64)), 0.99f);
    for (int x = 64; x < 126; ++x) EXPECT_LE(luminance(img.at(x + 1, 64)), luminance(img.at(x, 64)));
}

TEST(GlowSprite, IsADimCloudFadingToFullTransparencyBeforeTheEdge) {
    tools::Image img = tools::makeGlowSprite(128, 128, raster());
    EXPECT_GT(img.at(64, 64).a, 0.25f);
    EXPECT_LE(img.at(64, 64).a, 0.85f);
    EXPECT_EQ(img.at(0, 64).a, 0.0f);
    EXPECT_EQ(img.at(64, 0).a, 0.0f);
    EXPECT_EQ(img.at(0, 0).a, 0.0f);
    // Thirty of these overlap on screen at half alpha: the colour stays dim so they haze the
    // text parts rather than wash them out.
    float brightest = 0.0f;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) brightest = std::max(brightest, img.at(x, y).b);
    EXPECT_LT(brightest, 0.25f);
    // On average the cloud thins out from the centre.
    auto ringAlpha = [&](float r0, float r1) {
        float sum = 0.0f;
        int n = 0;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x) {
                const float r = std::hypot(x + 0.5f - 64.0f, y + 0.5f - 64.0f) / 64.0f;
                if (r >= r0 && r < r1) {
                    sum += img.at(x, y).a;
                    ++n;
                }
            }
        return sum / static_cast<float>(n);
    };
    EXPECT_GT(ringAlpha(0.0f, 0.2f), ringAlpha(0.3f, 0.5f));
    EXPECT_GT(ringAlpha(0.3f, 0.5f), ringAlpha(0.6f, 0.9f));
}

TEST(DotGrid, RepeatsItsCellAcrossTheTile) {
    tools::Image img = tools::makeDotGrid(256, 256, raster());
    // Cells are 32 pixels: every cell is the same.
    for (int y = 0; y < 32; y += 3)
        for (int x = 0; x < 32; x += 3) {
            EXPECT_FLOAT_EQ(img.at(x, y).r, img.at(x + 96, y + 160).r);
        }
    EXPECT_GT(img.at(16, 16).r, 0.99f);  // dot centre
    EXPECT_LT(img.at(0, 0).r, 0.01f);    // between dots
}

TEST(Plates, TextPlatesAreOpaqueInTheMiddleAndClearAtTheCorners) {
    for (auto gen : {tools::makeTitlePlate, tools::makeLogoPlate}) {
        tools::Image img = gen(256, 256, raster());
        EXPECT_GT(img.at(128, 128).a, 0.7f);
        EXPECT_LT(img.at(1, 1).a, 0.05f);
        EXPECT_LT(img.at(254, 254).a, 0.3f);
    }
    // The title's letters are lighter than the plate around them.
    tools::Image title = tools::makeTitlePlate(256, 256, raster());
    float brightest = 0, plate = luminance(title.at(20, 128));
    for (int x = 20; x < 236; ++x) brightest = std::max(brightest, luminance(title.at(x, 128)));
    EXPECT_GT(brightest, plate + 0.4f);
}

TEST(LizardColour, StaysDarkBecauseItIsLoadedTwiceAsBright) {
    tools::Image img = tools::makeLizardColour(128, 128, raster());
    double sum = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) sum += luminance(img.at(x, y));
    double mean = sum / (128 * 128);
    EXPECT_LT(mean, 0.4);
    EXPECT_GT(mean, 0.05);
}
