#include "Image.h"
#include "ImageChecks.h"
#include "Png.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string tempPath(const char* name) { return std::string("/tmp/tool_tests_") + std::to_string(getpid()) + "_" + name; }

} // namespace

TEST(Quantize, KeepsBlackAndWhiteExactAndDithersMidTonesWithinOneStep) {
    tools::Image img(64, 64, tools::Rgba{0, 1, 0.5f, 0.25f});
    tools::Pixels px = tools::quantize(img, true, 3);
    ASSERT_EQ(px.channels, 4);
    double sumB = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const uint8_t* p = px.pixel(x, y);
            EXPECT_EQ(p[0], 0);
            EXPECT_EQ(p[1], 255);
            EXPECT_GE(p[2], 127);
            EXPECT_LE(p[2], 128);
            sumB += p[2];
        }
    // The dither averages out to the exact value.
    EXPECT_NEAR(sumB / (64 * 64), 127.5, 0.1);
}

TEST(Quantize, WithoutDitherRoundsAndDropsAlphaForRgb) {
    tools::Image img(4, 4, tools::Rgba{0.2f, 0.4f, 0.6f, 0.0f});
    tools::Pixels px = tools::quantize(img, false, 0, 0.0f);
    ASSERT_EQ(px.channels, 3);
    ASSERT_EQ(px.bytes.size(), 4u * 4u * 3u);
    EXPECT_EQ(px.pixel(2, 3)[0], 51);
    EXPECT_EQ(px.pixel(2, 3)[1], 102);
    EXPECT_EQ(px.pixel(2, 3)[2], 153);
}

TEST(BoxBlur, WrappedBlurKeepsTheMeanAndSpreadsAcrossTheSeam) {
    tools::Map m(16, 16, 0.0f);
    m.at(0, 0) = 25.0f;
    tools::Map b = tools::boxBlur(m, 2, true);
    EXPECT_NEAR(b.mean(), m.mean(), 1e-5f);
    EXPECT_NEAR(b.at(15, 15), 1.0f, 1e-5f);  // the impulse reaches around the corner
    tools::Map c = tools::boxBlur(m, 2, false);
    EXPECT_NEAR(c.at(15, 15), 0.0f, 1e-6f);
    EXPECT_NEAR(c.at(2, 2), 1.0f, 1e-5f);
}

TEST(Png, RoundTripsRgbAndRgbaPixels) {
    for (int channels : {3, 4}) {
        tools::Pixels px;
        px.width = 8;
        px.height = 4;
        px.channels = channels;
        px.bytes.resize(8 * 4 * channels);
        for (size_t i = 0; i < px.bytes.size(); ++i) px.bytes[i] = static_cast<uint8_t>(i * 37 + 11);
        std::string path = tempPath("roundtrip.png");
        std::string error;
        ASSERT_TRUE(tools::writePng(path, px, &error)) << error;
        tools::Pixels back;
        tools::PngInfo info;
        ASSERT_TRUE(tools::readPng(path, &back, &info, &error)) << error;
        EXPECT_EQ(info.bitDepth, 8);
        EXPECT_EQ(back.width, 8);
        EXPECT_EQ(back.height, 4);
        EXPECT_EQ(back.channels, channels);
        EXPECT_EQ(back.bytes, px.bytes);
        std::remove(path.c_str());
    }
}

TEST(Png, RefusesMalformedInputAndFormatsTheProgramCannotRead) {
    tools::Pixels px;
    px.width = 2;
    px.height = 2;
    px.channels = 1;
    px.bytes.assign(4, 0);
    EXPECT_FALSE(tools::writePng(tempPath("grey.png"), px));
    px.channels = 3;  // buffer too short for RGB
    EXPECT_FALSE(tools::writePng(tempPath("short.png"), px));

    std::string notPng = tempPath("not.png");
    FILE* f = std::fopen(notPng.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("this is text", f);
    std::fclose(f);
    tools::Pixels back;
    EXPECT_FALSE(tools::readPng(notPng, &back));
    EXPECT_FALSE(tools::readPng(tempPath("missing.png"), &back));
    std::remove(notPng.c_str());

    // A valid grey-scale PNG is still refused: the program reads 8-bit RGB and RGBA only.
    std::string grey = tempPath("grey_valid.png");
    f = std::fopen(grey.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, 2, 2, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_byte row[2] = {10, 20};
    png_write_row(png, row);
    png_write_row(png, row);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    tools::PngInfo pinfo;
    EXPECT_FALSE(tools::readPng(grey, &back, &pinfo));
    EXPECT_EQ(pinfo.colourType, PNG_COLOR_TYPE_GRAY);
    std::remove(grey.c_str());
}

TEST(SeamStats, SeesTheSeamOfAGradientButNotOfAPeriodicPattern) {
    tools::Pixels ramp, wave;
    for (tools::Pixels* p : {&ramp, &wave}) {
        p->width = p->height = 64;
        p->channels = 3;
        p->bytes.resize(64 * 64 * 3);
    }
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 3; ++c) {
                ramp.pixel(x, y)[c] = static_cast<uint8_t>(x * 4);
                wave.pixel(x, y)[c] = static_cast<uint8_t>(127 + 100 * std::sin(2 * 3.14159265 * (x + y) / 32.0));
            }
    EXPECT_GT(tools::seamStats(ramp).ratio(), 20.0);
    EXPECT_LT(tools::seamStats(wave).ratio(), 1.5);
    EXPECT_TRUE(tools::isPowerOfTwo(256));
    EXPECT_FALSE(tools::isPowerOfTwo(96));
    EXPECT_FALSE(tools::isPowerOfTwo(0));
}
