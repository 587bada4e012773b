// Reads back what the build generated in the build folder.

#include "FontAtlas.h"
#include "ImageChecks.h"
#include "Png.h"
#include "Textures.h"

#include <gtest/gtest.h>

#include <vorbis/vorbisfile.h>

#include <cmath>
#include <string>

namespace {

const std::string kBuild = VERDANTH_BUILD_DIR;

} // namespace

TEST(GeneratedImages, AreEightBitPowerOfTwoPngsAndSurfacesTile) {
    for (const tools::TextureSpec& spec : tools::textureTable()) {
        tools::Pixels px;
        tools::PngInfo info;
        std::string error;
        ASSERT_TRUE(tools::readPng(kBuild + "/images/" + spec.file, &px, &info, &error)) << error;
        EXPECT_EQ(info.bitDepth, 8) << spec.file;
        EXPECT_EQ(px.channels, spec.alpha ? 4 : 3) << spec.file;
        EXPECT_EQ(px.width, spec.width) << spec.file;
        EXPECT_EQ(px.height, spec.height) << spec.file;
        EXPECT_TRUE(tools::isPowerOfTwo(px.width) && tools::isPowerOfTwo(px.height)) << spec.file;
        if (spec.tiles) {
            tools::SeamStats st = tools::seamStats(px);
            EXPECT_LE(st.seam, 1.5 * st.inside + 0.5) << spec.file;
        }
    }
}

TEST(GeneratedImages, FontAtlasesHaveTheirGlyphsInTheirCells) {
    struct Font {
        const char* file;
        tools::AtlasLayout layout;
    } fonts[] = {{"font2.png", tools::shadowFontLayout()}, {"font3f.png", tools::plainFontLayout()}};
    for (const Font& f : fonts) {
        tools::Pixels px;
        std::string error;
        ASSERT_TRUE(tools::readPng(kBuild + "/images/" + f.file, &px, nullptr, &error)) << error;
        ASSERT_EQ(px.channels, 4) << f.file;
        EXPECT_EQ(px.width, f.layout.textureWidth);
        EXPECT_EQ(px.height, f.layout.textureHeight);
        int inked = 0;
        for (const tools::GlyphPlacement& g : tools::measureGlyphs(px, f.layout)) {
            if (!g.hasInk) continue;
            ++inked;
            float cx = f.layout.cellCentreX(g.code), cy = f.layout.cellCentreY(g.code);
            EXPECT_LT(std::fabs(g.centroidX - cx), 0.5f * f.layout.glyphWidth) << f.file << " " << g.code;
            EXPECT_LT(std::fabs(g.centroidY - cy), 0.5f * f.layout.glyphHeight) << f.file << " " << g.code;
        }
        EXPECT_EQ(inked, 94) << f.file;
    }
}

TEST(GeneratedMusic, IsALongEnoughStereoVorbisTrackWithHeadroom) {
    OggVorbis_File vf;
    std::string path = kBuild + "/music/Qorvanel.ogg";
    ASSERT_EQ(ov_fopen(path.c_str(), &vf), 0) << path;
    vorbis_info* vi = ov_info(&vf, -1);
    EXPECT_EQ(vi->channels, 2);
    EXPECT_EQ(vi->rate, 44100);
    double length = ov_time_total(&vf, -1);
    EXPECT_GE(length, 253.0);
    EXPECT_LE(length, 256.0);
    // A stretch of the drop: loud, but below -1 dBFS.
    ASSERT_EQ(ov_time_seek(&vf, 112.0), 0);
    double sum = 0, peak = 0;
    long frames = 0;
    int section = 0;
    while (frames < 4 * 44100) {
        float** pcm = nullptr;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        ASSERT_GT(n, 0);
        for (long i = 0; i < n; ++i)
            for (int c = 0; c < 2; ++c) {
                sum += pcm[c][i] * pcm[c][i];
                peak = std::max<double>(peak, std::fabs(pcm[c][i]));
            }
        frames += n;
    }
    double rmsDb = 10 * std::log10(sum / (2.0 * frames));
    EXPECT_GT(rmsDb, -20.0);
    EXPECT_LT(20 * std::log10(peak), -1.0);
    // The end is silent.
    ASSERT_EQ(ov_time_seek(&vf, 253.0), 0);
    double tail = 0;
    for (;;) {
        float** pcm = nullptr;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n <= 0) break;
        for (long i = 0; i < n; ++i) tail = std::max<double>(tail, std::fabs(pcm[0][i]) + std::fabs(pcm[1][i]));
    }
    EXPECT_LT(tail, 1e-3);
    ov_clear(&vf);
}
