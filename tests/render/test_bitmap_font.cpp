#include "render/BitmapFont.h"

#include "resources/TextureManager.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A 16 x 9 grid over a 1024 x 512 texture, as the engine's shadowed font builds it.
FontLayout testLayout() {
    return FontLayout::fromPixels(basicOutputFontLayout(), "font", 1024, 512);
}

class BitmapFontLayoutTest : public ::testing::Test {
protected:
    BitmapFontLayoutTest() : font(nullptr, testLayout()) {
        // Unit advance and a distinct line advance make positions read as columns and lines.
        font.setMetrics(0.5f, 0.25f, 1.0f, 2.0f);
    }

    std::vector<float> xs(const std::vector<GlyphQuad>& quads) const {
        std::vector<float> out;
        for (const GlyphQuad& q : quads) out.push_back(q.origin.x);
        return out;
    }

    BitmapFont font;
};

TEST_F(BitmapFontLayoutTest, CentredLinesSitOnThePosition) {
    std::vector<GlyphQuad> q = font.layout("AB\nC", true, 0.0f, 1.0f, 1.0f);
    ASSERT_EQ(q.size(), 3u);
    EXPECT_FLOAT_EQ(q[0].origin.x, -0.5f);
    EXPECT_FLOAT_EQ(q[1].origin.x, 0.5f);
    EXPECT_FLOAT_EQ(q[2].origin.x, 0.0f);
    EXPECT_FLOAT_EQ(q[0].origin.y, 0.0f);
    EXPECT_FLOAT_EQ(q[2].origin.y, 2.0f);
    EXPECT_EQ(q[2].line, 1);
    EXPECT_EQ(q[2].column, 0);
}

TEST_F(BitmapFontLayoutTest, UncentredColumnZeroStartsHalfACharacterAway) {
    std::vector<GlyphQuad> q = font.layout("AB\nC", false, 0.0f, 1.0f, 1.0f);
    ASSERT_EQ(q.size(), 3u);
    EXPECT_FLOAT_EQ(q[0].origin.x, 0.5f);
    EXPECT_FLOAT_EQ(q[1].origin.x, 1.5f);
    EXPECT_FLOAT_EQ(q[2].origin.x, 0.5f);
}

TEST_F(BitmapFontLayoutTest, EachLineIsCentredOnItsOwnLength) {
    std::vector<GlyphQuad> q = font.layout("ABCD\nE\nFG", true);
    ASSERT_EQ(q.size(), 7u);
    const std::vector<float> x = xs(q);
    EXPECT_EQ(x, (std::vector<float>{-1.5f, -0.5f, 0.5f, 1.5f, 0.0f, -0.5f, 0.5f}));
}

TEST_F(BitmapFontLayoutTest, CursorPersistsBetweenPrints) {
    font.layout("AB");
    EXPECT_EQ(font.column, 2);
    EXPECT_EQ(font.line, 0);
    std::vector<GlyphQuad> q = font.layout("C");
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].column, 2);
    EXPECT_FLOAT_EQ(q[0].origin.x, 2.5f);

    font.layout("D\n");
    EXPECT_EQ(font.column, 0);
    EXPECT_EQ(font.line, 1);

    font.setCursor(-11, 5);
    q = font.layout("E");
    ASSERT_EQ(q.size(), 1u);
    EXPECT_FLOAT_EQ(q[0].origin.x, -10.5f);
    EXPECT_FLOAT_EQ(q[0].origin.y, 10.0f);
}

TEST_F(BitmapFontLayoutTest, EmptyTextLeavesTheCursor) {
    font.setCursor(3, 4);
    EXPECT_TRUE(font.layout("", true).empty());
    EXPECT_EQ(font.column, 3);
    EXPECT_EQ(font.line, 4);
}

TEST_F(BitmapFontLayoutTest, SpacesAdvanceTheColumnAndDrawNothing) {
    std::vector<GlyphQuad> q = font.layout("A  B");
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[1].column, 3);
    EXPECT_FLOAT_EQ(q[1].origin.x, 3.5f);
    EXPECT_EQ(font.column, 4);
}

TEST_F(BitmapFontLayoutTest, SpacesCountInTheCentredLineLength) {
    std::vector<GlyphQuad> q = font.layout("A B", true);
    ASSERT_EQ(q.size(), 2u);
    EXPECT_FLOAT_EQ(q[0].origin.x, -1.0f);
    EXPECT_FLOAT_EQ(q[1].origin.x, 1.0f);
}

TEST_F(BitmapFontLayoutTest, NegativeAdvanceRunsAgainstTheRightAxis) {
    // Stored last character first, the text reads in order along the right axis.
    std::vector<GlyphQuad> q = font.layout("CBA", false, 0.0f, -1.0f);
    ASSERT_EQ(q.size(), 3u);
    EXPECT_FLOAT_EQ(q[0].origin.x, -0.5f);
    EXPECT_FLOAT_EQ(q[2].origin.x, -2.5f);
    std::sort(q.begin(), q.end(),
              [](const GlyphQuad& a, const GlyphQuad& b) { return a.origin.x < b.origin.x; });
    EXPECT_EQ(q[0].character, 'A');
    EXPECT_EQ(q[1].character, 'B');
    EXPECT_EQ(q[2].character, 'C');
}

TEST_F(BitmapFontLayoutTest, CentredNegativeAdvanceKeepsTheMiddleOnThePosition) {
    font.setMetrics(0.5f, 0.25f, -0.4f, 0.6f);
    std::vector<GlyphQuad> q = font.layout("EDCBA\n", true, 0.0f, 0.0f, 1.25f);
    ASSERT_EQ(q.size(), 5u);
    EXPECT_NEAR(q[2].origin.x, 0.0f, 1e-6f);
    EXPECT_NEAR(q[0].origin.x, 2.0f * 0.4f * 1.25f, 1e-6f);  // first character farthest out
    EXPECT_NEAR(q[4].origin.x, -2.0f * 0.4f * 1.25f, 1e-6f);
    EXPECT_EQ(font.column, 0);
    EXPECT_EQ(font.line, 1);
}

TEST_F(BitmapFontLayoutTest, ZeroAdvanceArgumentUsesTheFontAdvance) {
    font.setMetrics(0.5f, 0.25f, 3.0f, 2.0f);
    std::vector<GlyphQuad> q = font.layout("AB", false, 0.0f, 0.0f);
    ASSERT_EQ(q.size(), 2u);
    EXPECT_FLOAT_EQ(q[1].origin.x - q[0].origin.x, 3.0f);
}

TEST_F(BitmapFontLayoutTest, ColumnShiftAndScaleMoveAlongTheAxisButScaleYKeepsLineSpacing) {
    std::vector<GlyphQuad> q = font.layout("A\nB", false, 2.0f, 1.0f, 3.0f, 4.0f);
    ASSERT_EQ(q.size(), 2u);
    EXPECT_FLOAT_EQ(q[0].origin.x, (0.5f + 2.0f) * 3.0f);
    EXPECT_FLOAT_EQ(q[1].origin.y, 2.0f);  // line advance, not scaled
    // Half extents: glyph width 0.5 scaled by 3, glyph height 0.25 scaled by 4.
    EXPECT_FLOAT_EQ(q[0].corners[2].x, 0.75f);
    EXPECT_FLOAT_EQ(q[0].corners[2].y, 0.5f);
}

TEST_F(BitmapFontLayoutTest, FrameAxesAreUsedUnnormalised) {
    font.setFrame(Vec3(10.0f, 20.0f, 30.0f), Vec3(2.0f, 0.0f, -1.0f), Vec3(0.0f, -3.0f, 0.0f));
    std::vector<GlyphQuad> q = font.layout("A\nB");
    ASSERT_EQ(q.size(), 2u);
    EXPECT_FLOAT_EQ(q[0].origin.x, 10.0f + 2.0f * 0.5f);
    EXPECT_FLOAT_EQ(q[0].origin.z, 30.0f - 0.5f);
    EXPECT_FLOAT_EQ(q[1].origin.y, 20.0f - 3.0f * 2.0f);  // lines go down the screen
}

TEST_F(BitmapFontLayoutTest, WithTheUpAxisDownGlyphsStandUpright) {
    font.setFrame(Vec3(0.0f, 0.0f, 0.0f), Vec3(1.0f, 0.0f, 0.0f), Vec3(0.0f, -1.0f, 0.0f));
    std::vector<GlyphQuad> q = font.layout("A");
    ASSERT_EQ(q.size(), 1u);
    // The image row index (t) grows downward through the image, so the corner lower on the
    // screen must take the larger t, and the corner further right the larger s.
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            if (q[0].corners[i].y < q[0].corners[j].y) {
                EXPECT_GT(q[0].t[i], q[0].t[j]);
            }
            if (q[0].corners[i].x > q[0].corners[j].x) {
                EXPECT_GT(q[0].s[i], q[0].s[j]);
            }
        }
    }
}

TEST_F(BitmapFontLayoutTest, GlyphCellsFillTheGridRowByRow) {
    const FontLayout l = testLayout();
    // '/' is the last cell of grid row 0, '0' the first of grid row 1.
    std::vector<GlyphQuad> q = font.layout(" /0");
    ASSERT_EQ(q.size(), 2u);
    const float centreS0 = (q[0].s[0] + q[0].s[2]) * 0.5f;
    const float centreT0 = (q[0].t[0] + q[0].t[2]) * 0.5f;
    const float centreS1 = (q[1].s[0] + q[1].s[2]) * 0.5f;
    const float centreT1 = (q[1].t[0] + q[1].t[2]) * 0.5f;
    EXPECT_NEAR(centreS0, l.originU + 15.0f * l.pitchU, 1e-6f);
    EXPECT_NEAR(centreT0, l.originV, 1e-6f);
    EXPECT_NEAR(centreS1, l.originU, 1e-6f);
    EXPECT_NEAR(centreT1, l.originV + l.pitchV, 1e-6f);
    EXPECT_NEAR(q[1].s[2] - q[1].s[0], l.glyphU, 1e-6f);
    EXPECT_NEAR(q[1].t[2] - q[1].t[0], l.glyphV, 1e-6f);
}

TEST_F(BitmapFontLayoutTest, CharactersOutsideTheGridAdvanceButDrawNothing) {
    // Control characters, bytes above 127 (negative as signed bytes) and, with a two-row
    // grid, letters past its last cell.
    std::string text = "A\tB";
    text += static_cast<char>(0xC3);
    text += 'C';
    std::vector<GlyphQuad> q = font.layout(text);
    ASSERT_EQ(q.size(), 3u);
    EXPECT_EQ(q[1].column, 2);
    EXPECT_EQ(q[2].column, 4);

    FontLayout small = testLayout();
    small.rows = 2;  // characters 32 to 63
    BitmapFont smallFont(nullptr, small);
    q = smallFont.layout("1A2");
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[1].character, '2');
    EXPECT_EQ(q[1].column, 2);
}

TEST(FontLayout, HorizontalMeasuresScaleByWidthVerticalByHeight) {
    const FontPixelLayout pixels = basicOutputFontNoShadowLayout();
    const FontLayout l = FontLayout::fromPixels(pixels, "basicOutputFontNoShadow", 2048, 1024);
    EXPECT_EQ(l.textureName, "basicOutputFontNoShadow");
    EXPECT_EQ(l.firstChar, pixels.firstChar);
    EXPECT_EQ(l.columns, pixels.columns);
    EXPECT_EQ(l.rows, pixels.rows);
    EXPECT_FLOAT_EQ(l.glyphU, pixels.glyphWidth / 2048.0f);
    EXPECT_FLOAT_EQ(l.pitchU, pixels.pitchX / 2048.0f);
    EXPECT_FLOAT_EQ(l.originU, pixels.originX / 2048.0f);
    EXPECT_FLOAT_EQ(l.glyphV, pixels.glyphHeight / 1024.0f);
    EXPECT_FLOAT_EQ(l.pitchV, pixels.pitchY / 1024.0f);
    EXPECT_FLOAT_EQ(l.originV, pixels.originY / 1024.0f);
}

TEST(BitmapFontWithoutTexture, KeepsItsCursorAndDrawsNothing) {
    TextureManager emptyRegistry;
    BitmapFont font(&emptyRegistry, "basicOutputFont", basicOutputFontLayout());
    EXPECT_FALSE(font.canDraw());
    EXPECT_EQ(font.textureName, "basicOutputFont");
    font.setCursor(1, 6);
    // No OpenGL context exists here: print must return before any OpenGL call.
    font.print("ABC\n", true, 0.0f, 0.0f, 1.25f, 2.0f,
               [](float, float, float) {
                   ADD_FAILURE() << "per-character function called";
                   return GlyphPose();
               });
    EXPECT_EQ(font.column, 0);
    EXPECT_EQ(font.line, 7);

    font.setCursor(1, 6);
    font.printStack("ABC\n", 40, Vec3(0.0f, 0.0f, 0.07f), true, 1.25f, 2.0f, nullptr, 0.0f);
    EXPECT_EQ(font.column, 0);
    EXPECT_EQ(font.line, 7);

    BitmapFont orphan(nullptr, "basicOutputFont", basicOutputFontLayout());
    EXPECT_FALSE(orphan.canDraw());
    orphan.print("X");
    EXPECT_EQ(orphan.column, 1);
}

// Two 20 x 10 glyph boxes side by side in a 64 x 16 texture (centres at x 16 and 40, y 8), and a
// third cell whose box reaches past the right edge.
TEST(GlyphInkBoxes, CutEachBoxToTheSamplesThatCanMeetInk) {
    const int width = 64, height = 16;
    std::vector<unsigned char> alpha(width * height, 0);
    alpha[10 * width + 12] = 7;  // cell 0: one texel, column 12 and row 10
    alpha[9 * width + 58] = 255;  // cell 2's only ink
    FontLayout layout;
    layout.columns = 3;
    layout.rows = 1;
    layout.glyphU = 20.0f / width;
    layout.glyphV = 10.0f / height;
    layout.originU = 16.0f / width;
    layout.originV = 8.0f / height;
    layout.pitchU = 24.0f / width;
    const std::vector<InkBox> boxes = glyphInkBoxes(alpha, width, height, layout);
    ASSERT_EQ(boxes.size(), 3u);
    // Cell 0's box spans x 6 to 26 and y 3 to 13; samples in [11.5, 13.5) x [9.5, 11.5) can
    // read the texel, and half a texel more either side is kept.
    EXPECT_FLOAT_EQ(boxes[0].s0, 5.0f / 20.0f);
    EXPECT_FLOAT_EQ(boxes[0].s1, 8.0f / 20.0f);
    EXPECT_FLOAT_EQ(boxes[0].t0, 6.0f / 10.0f);
    EXPECT_FLOAT_EQ(boxes[0].t1, 9.0f / 10.0f);
    // Cell 1 has no ink: nothing of it can show.
    EXPECT_EQ(boxes[1].s0, boxes[1].s1);
    EXPECT_EQ(boxes[1].t0, boxes[1].t1);
    // Cell 2 would read past the edge (wrapping round): it keeps its whole box.
    EXPECT_EQ(boxes[2].s0, 0.0f);
    EXPECT_EQ(boxes[2].s1, 1.0f);
    EXPECT_EQ(boxes[2].t0, 0.0f);
    EXPECT_EQ(boxes[2].t1, 1.0f);
    // Without the texture's alpha every box stays whole.
    EXPECT_EQ(glyphInkBoxes({}, width, height, layout)[0].s1, 1.0f);
}

}  // namespace
