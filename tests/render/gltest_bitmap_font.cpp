#include "render/BitmapFont.h"

#include "engine/GlCaps.h"
#include "resources/PngImage.h"
#include "resources/PngTestFiles.h"
#include "resources/TextureManager.h"
#include "support/GlTestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kWindow = 128;
constexpr int kAtlasSize = 1024;
constexpr unsigned char kHalfAlpha = 128;

// Fills the drawn part of a character's cell in a font atlas laid out like the engine's
// shadowed font.
void fillGlyph(std::vector<unsigned char>& atlas, char ch, unsigned char alpha) {
    const FontPixelLayout l = basicOutputFontLayout();
    const int cell = ch - l.firstChar;
    const float cx = l.originX + static_cast<float>(cell % l.columns) * l.pitchX;
    const float cy = l.originY + static_cast<float>(cell / l.columns) * l.pitchY;
    for (int y = static_cast<int>(cy - l.glyphHeight * 0.5f) - 2;
         y <= static_cast<int>(cy + l.glyphHeight * 0.5f) + 2; ++y)
        for (int x = static_cast<int>(cx - l.glyphWidth * 0.5f) - 2;
             x <= static_cast<int>(cx + l.glyphWidth * 0.5f) + 2; ++x) {
            unsigned char* p = &atlas[(static_cast<std::size_t>(y) * kAtlasSize + x) * 4];
            p[0] = p[1] = p[2] = 255;
            p[3] = alpha;
        }
}

// Ink in one corner of 'D''s glyph box only: the texels from a quarter to half of the box's
// width in, in its first half along t, opaque with a ramp of colour, so that a cut quad
// sampling them anywhere else than the whole quad does would show.
void fillCornerInk(std::vector<unsigned char>& atlas) {
    const FontPixelLayout l = basicOutputFontLayout();
    const int cell = 'D' - l.firstChar;
    const int left = static_cast<int>(l.originX + static_cast<float>(cell % l.columns) * l.pitchX -
                                      l.glyphWidth * 0.5f);
    const int bottom = static_cast<int>(
        l.originY + static_cast<float>(cell / l.columns) * l.pitchY - l.glyphHeight * 0.5f);
    const int w = static_cast<int>(l.glyphWidth), h = static_cast<int>(l.glyphHeight);
    for (int y = bottom + 2; y < bottom + h / 2; ++y)
        for (int x = left + w / 4; x < left + w / 2; ++x) {
            unsigned char* p = &atlas[(static_cast<std::size_t>(y) * kAtlasSize + x) * 4];
            p[0] = static_cast<unsigned char>(x * 7);
            p[1] = static_cast<unsigned char>(y * 5);
            p[2] = 255;
            p[3] = 255;
        }
}

class BitmapFontGlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // 'A' opaque, 'B' half transparent, everything else (such as 'C') fully transparent.
        std::vector<unsigned char> atlas(static_cast<std::size_t>(kAtlasSize) * kAtlasSize * 4, 0);
        fillGlyph(atlas, 'A', 255);
        fillGlyph(atlas, 'B', kHalfAlpha);
        fillCornerInk(atlas);
        pngtest::PngSpec spec;
        spec.width = spec.height = kAtlasSize;
        atlasDir = new pngtest::TempDir();
        atlasPath = new std::string(atlasDir->file("font.png"));
        ASSERT_TRUE(pngtest::writePng(*atlasPath, spec, atlas));
    }
    static void TearDownTestSuite() {
        delete atlasPath;
        delete atlasDir;
    }

    void SetUp() override {
        ASSERT_TRUE(gltest::ensureWindow(kWindow, kWindow));
        probeGlCaps();
        savedCaps = glCaps;
        ASSERT_EQ(textures.load(*atlasPath, "basicOutputFont"), TextureResult::Ok);
        // Window pixels as world units, text centred in the window, lines going down.
        glViewport(0, 0, kWindow, kWindow);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0.0, kWindow, 0.0, kWindow, -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override {
        glCaps = savedCaps;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    // A font whose glyphs are 40 x 60 pixels, 50 apart, centred on the window.
    void frame(BitmapFont& font) {
        font.setFrame(Vec3(kWindow / 2, kWindow / 2, 0.0f), Vec3(1.0f, 0.0f, 0.0f),
                      Vec3(0.0f, -1.0f, 0.0f));
        font.setMetrics(40.0f, 60.0f, 50.0f, 70.0f);
    }

    static bool isBlack(const gltest::Rgba& p) { return p.r == 0 && p.g == 0 && p.b == 0; }

    static pngtest::TempDir* atlasDir;
    static std::string* atlasPath;
    TextureManager textures;
    GlCaps savedCaps;
};

pngtest::TempDir* BitmapFontGlTest::atlasDir = nullptr;
std::string* BitmapFontGlTest::atlasPath = nullptr;

TEST_F(BitmapFontGlTest, PrintedTextLightsThePixelsOfItsGlyphs) {
    BitmapFont font(&textures, "basicOutputFont", basicOutputFontLayout());
    ASSERT_TRUE(font.canDraw());
    frame(font);
    font.print("AA", true);
    // Glyph centres at 64 - 25 and 64 + 25; the 10-pixel gap between the quads stays dark.
    const gltest::Rgba left = gltest::readPixel(39, 64);
    const gltest::Rgba right = gltest::readPixel(89, 64);
    EXPECT_GT(left.r, 200);
    EXPECT_GT(left.g, 200);
    EXPECT_GT(left.b, 200);
    EXPECT_GT(right.r, 200);
    EXPECT_TRUE(isBlack(gltest::readPixel(64, 64)));
    EXPECT_TRUE(isBlack(gltest::readPixel(5, 5)));
}

TEST_F(BitmapFontGlTest, TransparentGlyphCellsDrawNothing) {
    BitmapFont font(&textures, "basicOutputFont", basicOutputFontLayout());
    frame(font);
    font.print("C", true);
    EXPECT_TRUE(isBlack(gltest::readPixel(64, 64)));
}

// Without separate blend functions the glyph is drawn in a colour pass and an alpha pass;
// both ways must leave the same colour and the same destination alpha.
TEST_F(BitmapFontGlTest, TwoPassBlendingMatchesSeparateBlending) {
    ASSERT_TRUE(glCaps.supportsBlendFuncSeparate);
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    ASSERT_GE(alphaBits, 8);

    const float dst[4] = {0.2f, 0.4f, 0.6f, 0.5f};
    const float text[3] = {1.0f, 0.5f, 0.25f};
    const float a = kHalfAlpha / 255.0f;
    int expected[4];
    for (int c = 0; c < 3; ++c)
        expected[c] = static_cast<int>(std::lround(255.0f * (text[c] * a + dst[c] * (1.0f - a))));
    expected[3] = static_cast<int>(std::lround(255.0f * (a + dst[3] * (1.0f - a))));

    for (bool separate : {true, false}) {
        SCOPED_TRACE(separate ? "separate blend functions" : "two passes");
        glCaps.supportsBlendFuncSeparate = separate;
        glClearColor(dst[0], dst[1], dst[2], dst[3]);
        glClear(GL_COLOR_BUFFER_BIT);
        BitmapFont font(&textures, "basicOutputFont", basicOutputFontLayout());
        frame(font);
        font.setColour(text[0], text[1], text[2]);
        font.print("B", true);
        const gltest::Rgba p = gltest::readPixel(64, 64);
        EXPECT_NEAR(p.r, expected[0], 2);
        EXPECT_NEAR(p.g, expected[1], 2);
        EXPECT_NEAR(p.b, expected[2], 2);
        EXPECT_NEAR(p.a, expected[3], 2);
        GLboolean mask[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
        glGetBooleanv(GL_COLOR_WRITEMASK, mask);
        EXPECT_TRUE(mask[0] && mask[1] && mask[2] && mask[3]);
    }
}

TEST_F(BitmapFontGlTest, PerCharacterPoseMovesAndColoursEachCharacter) {
    BitmapFont font(&textures, "basicOutputFont", basicOutputFontLayout());
    frame(font);
    BitmapFont twin = font;
    const std::vector<GlyphQuad> expected = twin.layout("A B\nA", true);

    struct Call {
        float user, column, line;
    };
    std::vector<Call> calls;
    font.print("A B\nA", true, 0.0f, 0.0f, 1.0f, 1.0f,
               [&calls](float user, float column, float line) {
                   calls.push_back({user, column, line});
                   GlyphPose pose;
                   if (calls.size() == 1) {  // the first A turns red and stays in place
                       pose.setsColour = true;
                       pose.colour = Vec3(1.0f, 0.0f, 0.0f);
                   } else {  // the others leave the window
                       pose.translation = Vec3(1000.0f, 0.0f, 0.0f);
                   }
                   return pose;
               },
               7.5f);
    ASSERT_EQ(calls.size(), expected.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(calls[i].user, 7.5f);
        EXPECT_EQ(calls[i].column, static_cast<float>(expected[i].column));
        EXPECT_EQ(calls[i].line, static_cast<float>(expected[i].line));
    }
    const gltest::Rgba first = gltest::readPixel(static_cast<int>(expected[0].origin.x),
                                                 static_cast<int>(expected[0].origin.y));
    EXPECT_GT(first.r, 200);
    EXPECT_EQ(first.g, 0);
    const gltest::Rgba moved = gltest::readPixel(static_cast<int>(expected[2].origin.x),
                                                 static_cast<int>(expected[2].origin.y));
    EXPECT_TRUE(isBlack(moved));
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], 0.0f);
    EXPECT_EQ(font.column, twin.column);
    EXPECT_EQ(font.line, twin.line);
}

TEST_F(BitmapFontGlTest, StackDrawsEachCopyOneStepFurtherFromTheSameCursor) {
    BitmapFont font(&textures, "basicOutputFont", basicOutputFontLayout());
    frame(font);
    font.setMetrics(20.0f, 20.0f, 50.0f, 70.0f);
    font.setCursor(0, 0);
    // Three copies of "A" 30 pixels apart: centres at x 64, 94 and 124 (the last one cut).
    font.printStack("A", 3, Vec3(30.0f, 0.0f, 0.0f), true, 1.0f, 1.0f, nullptr, 0.0f);
    EXPECT_GT(gltest::readPixel(64, 64).r, 200);
    EXPECT_GT(gltest::readPixel(94, 64).r, 200);
    EXPECT_GT(gltest::readPixel(122, 64).r, 200);
    EXPECT_TRUE(isBlack(gltest::readPixel(79, 64)));  // between the copies
    EXPECT_EQ(font.column, 1);  // after the one character, as one print leaves it
    EXPECT_EQ(font.line, 0);
}

// Quads cut to their ink draw what the whole quads draw: here turned in perspective, in a
// stack whose copies hide each other through the depth test (the glyphs of one copy, in one
// plane, do not overlap: where they did, rounding would decide which one shows).
TEST_F(BitmapFontGlTest, GlyphsCutToTheirInkDrawWhatTheWholeGlyphsDraw) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.0, 1.0, -1.0, 1.0, 1.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    std::vector<unsigned char> pictures[2];
    for (bool cut : {false, true}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        BitmapFont font(&textures, "basicOutputFont", basicOutputFontLayout());
        font.cutGlyphsToInk = cut;
        font.setFrame(Vec3(0.0f, 0.0f, -3.0f), Vec3(1.0f, 0.2f, 0.3f), Vec3(-0.1f, -1.0f, 0.2f));
        font.setMetrics(1.0f, 2.0f, 1.1f, 1.0f);
        font.printStack("DAD", 4, Vec3(0.05f, 0.0f, -0.3f), true, 1.0f, 1.0f, nullptr, 0.0f);
        pictures[cut].resize(kWindow * kWindow * 4);
        glReadPixels(0, 0, kWindow, kWindow, GL_RGBA, GL_UNSIGNED_BYTE, pictures[cut].data());
    }
    glDisable(GL_DEPTH_TEST);
    int largest = 0, blue = 0;
    for (std::size_t i = 0; i < pictures[0].size(); ++i) {
        largest = std::max(largest, std::abs(pictures[0][i] - pictures[1][i]));
        blue += i % 4 == 2 && pictures[0][i] > 200 && pictures[0][i - 2] < 200;  // 'D''s ink
    }
    EXPECT_LE(largest, 1);
    EXPECT_GT(blue, 30);
}

TEST_F(BitmapFontGlTest, EmptyTextStillSetsTheDrawingState) {
    BitmapFont font(&textures, "basicOutputFont", basicOutputFontLayout());
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_ALPHA_TEST);
    glDisable(GL_COLOR_MATERIAL);
    glBindTexture(GL_TEXTURE_2D, 0);
    glMatrixMode(GL_PROJECTION);
    font.setCursor(2, 3);

    font.print("");
    EXPECT_EQ(font.column, 2);
    EXPECT_EQ(font.line, 3);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    GLint value = 0;
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), textures.textureId("basicOutputFont"));
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_MODULATE);
    glGetIntegerv(GL_BLEND_SRC_RGB, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST_RGB, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
}

TEST_F(BitmapFontGlTest, BlendModeOneIsColourKeyedAndOtherModesKeepTheCallersBlend) {
    BitmapFont font(&textures, "basicOutputFont", basicOutputFontLayout());
    GLint src = 0, dst = 0;
    font.print("A", false, 0.0f, 0.0f, 1.0f, 1.0f, nullptr, 0.0f, 1);
    glGetIntegerv(GL_BLEND_SRC_RGB, &src);
    glGetIntegerv(GL_BLEND_DST_RGB, &dst);
    EXPECT_EQ(src, GL_SRC_COLOR);
    EXPECT_EQ(dst, GL_DST_ALPHA);

    glBlendFunc(GL_ONE, GL_ONE);
    font.print("A", false, 0.0f, 0.0f, 1.0f, 1.0f, nullptr, 0.0f, 2);
    glGetIntegerv(GL_BLEND_SRC_RGB, &src);
    glGetIntegerv(GL_BLEND_DST_RGB, &dst);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ONE);
}

TEST_F(BitmapFontGlTest, FontWithoutItsTextureDrawsNothingAndTouchesNoState) {
    TextureManager empty;
    BitmapFont font(&empty, "basicOutputFont", basicOutputFontLayout());
    frame(font);
    glEnable(GL_LIGHTING);
    font.print("AAAA\nAAAA", true);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    for (int y = 0; y < kWindow; y += 8)
        for (int x = 0; x < kWindow; x += 8) ASSERT_TRUE(isBlack(gltest::readPixel(x, y)));
    EXPECT_EQ(font.line, 1);
    EXPECT_EQ(font.column, 4);
}

}  // namespace
