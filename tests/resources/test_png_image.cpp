#include "resources/PngImage.h"

#include "render/VectorMath.h"
#include "resources/PngTestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using pngtest::PngSpec;

constexpr std::uint32_t kSentinelSize = 12345;
const std::vector<unsigned char> kSentinelPixels = {0xAB, 0xCD};

struct ReadResult {
    int code;
    std::vector<unsigned char> pixels;
    std::uint32_t width;
    std::uint32_t height;
};

// Reads with the outputs preset, so that failure paths can be checked for leaving them alone.
ReadResult read(const std::string& path, const Vec3* scale = nullptr, const Vec3* bias = nullptr) {
    ReadResult r{-1, kSentinelPixels, kSentinelSize, kSentinelSize};
    r.code = readPngImage(path, r.pixels, r.width, r.height, scale, bias);
    return r;
}

void expectFailure(const ReadResult& r, int code) {
    EXPECT_EQ(r.code, code);
    EXPECT_EQ(r.pixels, kSentinelPixels);
    EXPECT_EQ(r.width, kSentinelSize);
    EXPECT_EQ(r.height, kSentinelSize);
}

// One-pixel RGB image of the given colour, read with scale and bias.
std::vector<unsigned char> convertRgb(pngtest::TempDir& dir, unsigned char r, unsigned char g,
                                      unsigned char b, const Vec3* scale, const Vec3* bias) {
    const std::string path = dir.file("pixel.png");
    PngSpec spec;
    spec.colourType = PNG_COLOR_TYPE_RGB;
    EXPECT_TRUE(pngtest::writePng(path, spec, {r, g, b}));
    ReadResult result = read(path, scale, bias);
    EXPECT_EQ(result.code, TextureResult::Ok);
    if (result.pixels.size() != 4) return {};
    return result.pixels;
}

std::uint32_t crc32Of(const unsigned char* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

// Recomputes the CRC of the chunk whose data starts at dataOffset, so that a deliberately
// damaged chunk passes the CRC check and reaches the decoder.
void fixChunkCrc(std::vector<unsigned char>& file, std::size_t dataOffset) {
    const std::size_t start = dataOffset - 8;
    const std::size_t length = (std::size_t(file[start]) << 24) |
                               (std::size_t(file[start + 1]) << 16) |
                               (std::size_t(file[start + 2]) << 8) | std::size_t(file[start + 3]);
    const std::uint32_t crc = crc32Of(file.data() + start + 4, length + 4);
    const std::size_t at = dataOffset + length;
    file[at] = static_cast<unsigned char>(crc >> 24);
    file[at + 1] = static_cast<unsigned char>(crc >> 16);
    file[at + 2] = static_cast<unsigned char>(crc >> 8);
    file[at + 3] = static_cast<unsigned char>(crc);
}

class PngImageTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()); }

    // An RGBA image with distinct bytes everywhere, written to a file.
    std::string writeRgbaPattern(const std::string& name, int width, int height,
                                 std::vector<unsigned char>* bytes, bool interlaced = false) {
        bytes->resize(static_cast<std::size_t>(width) * height * 4);
        for (std::size_t i = 0; i < bytes->size(); ++i)
            (*bytes)[i] = static_cast<unsigned char>((i * 37 + 11) & 0xFF);
        PngSpec spec;
        spec.width = width;
        spec.height = height;
        spec.interlaced = interlaced;
        const std::string path = dir.file(name);
        EXPECT_TRUE(pngtest::writePng(path, spec, *bytes));
        return path;
    }

    pngtest::TempDir dir;
};

TEST(TextureResultMessage, KnownCodesHaveTheirTextsOthersAreEmpty) {
    EXPECT_EQ(textureResultMessage(TextureResult::FileOpenFailed), "File open failed.");
    EXPECT_EQ(textureResultMessage(TextureResult::NameExists),
              "Texture at given name already exists.");
    EXPECT_EQ(textureResultMessage(TextureResult::OutOfMemory),
              "Not enough memory to read or store the image.");
    EXPECT_EQ(textureResultMessage(TextureResult::NotPowerOfTwo),
              "Image width or height are not integer power of two.");
    EXPECT_EQ(textureResultMessage(TextureResult::FormatNotSupported),
              "Image format not supported.");
    EXPECT_EQ(textureResultMessage(TextureResult::ReadError),
              "General error while reading the image.");
    EXPECT_EQ(textureResultMessage(TextureResult::Ok), "");
    EXPECT_EQ(textureResultMessage(7), "");
    EXPECT_EQ(textureResultMessage(-1), "");
}

// --- Successful reads -------------------------------------------------------------------------

TEST_F(PngImageTest, RgbaIsCopiedExactlyWithTheFirstFileRowFirst) {
    std::vector<unsigned char> bytes;
    const std::string path = writeRgbaPattern("rgba.png", 3, 5, &bytes);
    ReadResult r = read(path);
    ASSERT_EQ(r.code, TextureResult::Ok);
    EXPECT_EQ(r.width, 3u);
    EXPECT_EQ(r.height, 5u);
    EXPECT_EQ(r.pixels, bytes);
}

TEST_F(PngImageTest, UnitScaleAndNoBiasCopyEveryByteValue) {
    // All 256 values in every channel, in an RGB image whose rows are not 4-byte multiples.
    const int width = 256;
    std::vector<unsigned char> bytes;
    for (int x = 0; x < width; ++x) {
        bytes.push_back(static_cast<unsigned char>(x));
        bytes.push_back(static_cast<unsigned char>(255 - x));
        bytes.push_back(static_cast<unsigned char>((x * 7) & 0xFF));
    }
    PngSpec spec;
    spec.width = width;
    spec.colourType = PNG_COLOR_TYPE_RGB;
    const std::string path = dir.file("ramp.png");
    ASSERT_TRUE(pngtest::writePng(path, spec, bytes));

    const Vec3 unit(1.0f, 1.0f, 1.0f);
    ReadResult r = read(path, &unit, nullptr);
    ASSERT_EQ(r.code, TextureResult::Ok);
    ASSERT_EQ(r.pixels.size(), static_cast<std::size_t>(width) * 4);
    for (int x = 0; x < width; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(r.pixels[x * 4 + 0], bytes[x * 3 + 0]);
        EXPECT_EQ(r.pixels[x * 4 + 1], bytes[x * 3 + 1]);
        EXPECT_EQ(r.pixels[x * 4 + 2], bytes[x * 3 + 2]);
        EXPECT_EQ(r.pixels[x * 4 + 3], 255);
    }
}

TEST_F(PngImageTest, RgbRowsOfOddWidthGetOpaqueAlpha) {
    const std::vector<unsigned char> bytes = {1, 2, 3, 4, 5, 6, 7, 8, 9,
                                              10, 11, 12, 13, 14, 15, 16, 17, 18};
    PngSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.colourType = PNG_COLOR_TYPE_RGB;
    const std::string path = dir.file("rgb.png");
    ASSERT_TRUE(pngtest::writePng(path, spec, bytes));
    ReadResult r = read(path);
    ASSERT_EQ(r.code, TextureResult::Ok);
    ASSERT_EQ(r.pixels.size(), 24u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(r.pixels[i * 4 + 0], bytes[i * 3 + 0]);
        EXPECT_EQ(r.pixels[i * 4 + 1], bytes[i * 3 + 1]);
        EXPECT_EQ(r.pixels[i * 4 + 2], bytes[i * 3 + 2]);
        EXPECT_EQ(r.pixels[i * 4 + 3], 255);
    }
}

TEST_F(PngImageTest, InterlacedImageReadsLikeTheSameImageUninterlaced) {
    std::vector<unsigned char> bytes;
    const std::string path = writeRgbaPattern("adam7.png", 13, 11, &bytes, true);
    ReadResult r = read(path);
    ASSERT_EQ(r.code, TextureResult::Ok);
    EXPECT_EQ(r.pixels, bytes);
}

// --- Colour scale and bias --------------------------------------------------------------------

TEST_F(PngImageTest, HalfScaleWithHalfBiasTruncates) {
    const Vec3 scale(0.5f, 0.5f, 0.5f), bias(0.5f, 0.5f, 0.5f);
    std::vector<unsigned char> p = convertRgb(dir, 0, 255, 1, &scale, &bias);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0], 127);  // trunc(127.5)
    EXPECT_EQ(p[1], 255);  // 255 saturates
    EXPECT_EQ(p[2], 128);  // trunc(128.0)
}

TEST_F(PngImageTest, ScaleTruncatesRatherThanRounds) {
    const Vec3 scale(0.5f, 0.5f, 0.5f);
    std::vector<unsigned char> p = convertRgb(dir, 255, 3, 1, &scale, nullptr);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0], 127);
    EXPECT_EQ(p[1], 1);
    EXPECT_EQ(p[2], 0);
}

TEST_F(PngImageTest, DoubleScaleSaturatesEachChannelOnItsOwn) {
    const Vec3 scale(2.0f, 2.0f, 2.0f);
    std::vector<unsigned char> p = convertRgb(dir, 200, 100, 50, &scale, nullptr);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 200);
    EXPECT_EQ(p[2], 100);
    p = convertRgb(dir, 128, 127, 0, &scale, nullptr);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 254);
    EXPECT_EQ(p[2], 0);
}

TEST_F(PngImageTest, ScaleAndBiasApplyPerChannel) {
    const Vec3 scale(1.0f, 0.25f, 3.0f), bias(0.0f, 0.2f, -0.1f);
    std::vector<unsigned char> p = convertRgb(dir, 40, 40, 40, &scale, &bias);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0], 40);
    EXPECT_EQ(p[1], 61);  // 51 + 10
    EXPECT_EQ(p[2], 94);  // trunc(-25.5 + 120)
}

TEST_F(PngImageTest, NegativeResultsSaturateAtZero) {
    const Vec3 bias(-0.5f, -1.0f, -0.001f);
    std::vector<unsigned char> p = convertRgb(dir, 100, 255, 0, nullptr, &bias);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 0);
}

TEST_F(PngImageTest, NonFiniteScaleSaturatesInsteadOfOverflowing) {
    const float inf = std::numeric_limits<float>::infinity();
    const Vec3 scale(inf, -inf, std::nanf(""));
    std::vector<unsigned char> p = convertRgb(dir, 10, 10, 10, &scale, nullptr);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 0);
}

TEST_F(PngImageTest, AlphaIsNeverScaledOrBiased) {
    const std::vector<unsigned char> bytes = {10, 20, 30, 0, 10, 20, 30, 77, 10, 20, 30, 255};
    PngSpec spec;
    spec.width = 3;
    const std::string path = dir.file("alpha.png");
    ASSERT_TRUE(pngtest::writePng(path, spec, bytes));
    const Vec3 scale(0.0f, 2.0f, 0.5f), bias(1.0f, 0.5f, -1.0f);
    ReadResult r = read(path, &scale, &bias);
    ASSERT_EQ(r.code, TextureResult::Ok);
    ASSERT_EQ(r.pixels.size(), 12u);
    EXPECT_EQ(r.pixels[3], 0);
    EXPECT_EQ(r.pixels[7], 77);
    EXPECT_EQ(r.pixels[11], 255);
    // The colour channels did change.
    EXPECT_EQ(r.pixels[0], 255);
    EXPECT_EQ(r.pixels[2], 0);
}

// --- Rejected and damaged input ---------------------------------------------------------------

TEST_F(PngImageTest, MissingFileIsFileOpenFailed) {
    expectFailure(read(dir.file("does-not-exist.png")), TextureResult::FileOpenFailed);
}

TEST_F(PngImageTest, NonPngFilesAreFormatNotSupported) {
    const std::string text = dir.file("text.png");
    pngtest::writeFileBytes(text, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    expectFailure(read(text), TextureResult::FormatNotSupported);

    const std::string shortFile = dir.file("short.png");
    pngtest::writeFileBytes(shortFile, {0x89, 'P'});
    expectFailure(read(shortFile), TextureResult::FormatNotSupported);

    const std::string empty = dir.file("empty.png");
    pngtest::writeFileBytes(empty, {});
    expectFailure(read(empty), TextureResult::FormatNotSupported);
}

TEST_F(PngImageTest, GreyPaletteAnd16BitImagesAreFormatNotSupported) {
    struct Case {
        const char* name;
        int colourType;
        int bitDepth;
        int bytesPerPixel;
    };
    const Case cases[] = {
        {"grey", PNG_COLOR_TYPE_GRAY, 8, 1},
        {"grey-alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2},
        {"palette", PNG_COLOR_TYPE_PALETTE, 8, 1},
        {"rgb16", PNG_COLOR_TYPE_RGB, 16, 6},
        {"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, 8},
        {"grey16", PNG_COLOR_TYPE_GRAY, 16, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PngSpec spec;
        spec.width = 4;
        spec.height = 2;
        spec.colourType = c.colourType;
        spec.bitDepth = c.bitDepth;
        const std::string path = dir.file(std::string(c.name) + ".png");
        ASSERT_TRUE(
            pngtest::writePng(path, spec, std::vector<unsigned char>(8 * c.bytesPerPixel, 9)));
        expectFailure(read(path), TextureResult::FormatNotSupported);
    }
}

TEST_F(PngImageTest, DamagedImageDataAfterAValidSignatureIsReadError) {
    std::vector<unsigned char> bytes;
    const std::string good = writeRgbaPattern("good.png", 16, 16, &bytes);
    const std::vector<unsigned char> file = pngtest::readFileBytes(good);
    const std::size_t idat = pngtest::chunkDataOffset(file, "IDAT");
    ASSERT_GT(idat, 0u);

    // Damaged bytes with the old CRC: the chunk check fails.
    std::vector<unsigned char> badCrc = file;
    for (int i = 2; i < 10; ++i) badCrc[idat + i] ^= 0x5A;
    const std::string crcPath = dir.file("bad-crc.png");
    pngtest::writeFileBytes(crcPath, badCrc);
    expectFailure(read(crcPath), TextureResult::ReadError);

    // The same damage with a matching CRC: the compressed stream itself is broken.
    std::vector<unsigned char> badStream = badCrc;
    fixChunkCrc(badStream, idat);
    const std::string streamPath = dir.file("bad-stream.png");
    pngtest::writeFileBytes(streamPath, badStream);
    expectFailure(read(streamPath), TextureResult::ReadError);
}

TEST_F(PngImageTest, InvalidHeaderIsReadError) {
    std::vector<unsigned char> bytes;
    const std::string good = writeRgbaPattern("good.png", 4, 4, &bytes);
    std::vector<unsigned char> file = pngtest::readFileBytes(good);
    const std::size_t ihdr = pngtest::chunkDataOffset(file, "IHDR");
    ASSERT_GT(ihdr, 0u);
    for (int i = 0; i < 4; ++i) file[ihdr + i] = 0;  // width 0
    fixChunkCrc(file, ihdr);
    const std::string path = dir.file("zero-width.png");
    pngtest::writeFileBytes(path, file);
    expectFailure(read(path), TextureResult::ReadError);
}

TEST_F(PngImageTest, TruncatedFilesAreReadError) {
    std::vector<unsigned char> bytes;
    const std::string good = writeRgbaPattern("good.png", 16, 16, &bytes);
    const std::vector<unsigned char> file = pngtest::readFileBytes(good);
    const std::size_t idat = pngtest::chunkDataOffset(file, "IDAT");
    ASSERT_GT(idat, 0u);
    // Cut inside the image data, right after the signature, after the first four signature
    // bytes (the part the reader checks itself), and just before the closing IEND chunk.
    for (std::size_t length : {idat + 10, std::size_t(8), std::size_t(4), file.size() - 12}) {
        SCOPED_TRACE(length);
        const std::string path = dir.file("cut" + std::to_string(length) + ".png");
        pngtest::writeFileBytes(
            path, std::vector<unsigned char>(file.begin(), file.begin() + static_cast<long>(length)));
        expectFailure(read(path), TextureResult::ReadError);
    }
}

TEST_F(PngImageTest, ImageWiderThanTheLimitIsReadError) {
    PngSpec spec;
    spec.width = static_cast<int>(kMaxPngImageSide) + 1;
    spec.colourType = PNG_COLOR_TYPE_RGB;
    const std::string path = dir.file("wide.png");
    ASSERT_TRUE(pngtest::writePng(path, spec, std::vector<unsigned char>(spec.width * 3, 1)));
    expectFailure(read(path), TextureResult::ReadError);

    spec.width = static_cast<int>(kMaxPngImageSide);
    const std::string widest = dir.file("widest.png");
    ASSERT_TRUE(pngtest::writePng(widest, spec, std::vector<unsigned char>(spec.width * 3, 1)));
    EXPECT_EQ(read(widest).code, TextureResult::Ok);
}

}  // namespace
