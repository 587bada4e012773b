#include "render/ScreenEffects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/GlCaps.h"
#include "support/GlTestWindow.h"

namespace {

class ScreenEffectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gltest::ensureWindow(512, 512));
        probeGlCaps();
        glViewport(0, 0, 512, 512);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
    }
    static void fill(float r, float g, float b, float a = 1.0f) {
        glClearColor(r, g, b, a);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // Orange into one slot, light blue into another: what combineGrabs is tried on.
    static void grabTwoColours(ScreenEffects& fx, int orangeSlot, int blueSlot) {
        fill(1.0f, 0.5f, 0.0f);
        fx.grab(orangeSlot);
        fill(0.5f, 0.5f, 1.0f);
        fx.grab(blueSlot);
    }
    // A different spread of values into each of the first slots, full size and small; the
    // faint slot's values stay low, so that adding it rarely saturates.
    static void noiseIntoSlots(ScreenEffects& fx, int slots, int faintSlot = -1) {
        std::vector<unsigned char> texels(512 * 512 * 4);
        for (int slot = 0; slot < slots; ++slot) {
            for (size_t i = 0; i < texels.size(); ++i)
                texels[i] = static_cast<unsigned char>((i * 2654435761u >> (8 + slot * 3)) %
                                                       (slot == faintSlot ? 64 : 256));
            for (GLuint texture : {fx.grabTextures[slot], fx.smallGrabTextures[slot]}) {
                glBindTexture(GL_TEXTURE_2D, texture);
                const int size = texture == fx.grabTextures[slot] ? 512 : 128;
                glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE,
                                texels.data());
            }
        }
    }
    static std::vector<unsigned char> readPicture() {
        std::vector<unsigned char> picture(512 * 512 * 4);
        glReadPixels(0, 0, 512, 512, GL_RGBA, GL_UNSIGNED_BYTE, picture.data());
        return picture;
    }
    static int largestDifference(const std::vector<unsigned char>& a,
                                 const std::vector<unsigned char>& b) {
        int largest = 0;
        for (size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
        return largest;
    }
};

}  // namespace

TEST_F(ScreenEffectsTest, SlotCountIsCappedAndOutOfRangeSlotsAreIgnored) {
    ScreenEffects fx(512, 512, 128, 128, 512, 512, 128, 128, 12);
    EXPECT_EQ(fx.slotCount, 10);
    EXPECT_NE(fx.grabTextures[9], 0u);
    fill(1, 0, 0);
    fx.grab(0);
    fill(0, 0, 1);
    fx.grab(10);   // no such slot: nothing written
    fx.grab(-1);
    fx.drawGrab(10, Blend::Off);  // nothing drawn
    gltest::Rgba p = gltest::readPixel(20, 20);
    EXPECT_EQ(p.b, 255);
    EXPECT_EQ(p.r, 0);
    fx.drawGrab(0, Blend::Off);
    p = gltest::readPixel(20, 20);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.b, 0);
    ScreenEffects none(512, 512, 128, 128, 512, 512, 128, 128, 0);
    EXPECT_EQ(none.slotCount, 0);
    EXPECT_EQ(none.grabTextures[0], 0u);
}

TEST_F(ScreenEffectsTest, TextureCoordinateLimitsCoverTheViewport) {
    ScreenEffects fx(512, 512, 128, 128, 400, 300, 100, 75, 2);
    EXPECT_FLOAT_EQ(fx.uMax, 400.0f / 512.0f);
    EXPECT_FLOAT_EQ(fx.vMax, 300.0f / 512.0f);
    EXPECT_FLOAT_EQ(fx.smallUMax, 100.0f / 128.0f);
    EXPECT_FLOAT_EQ(fx.pixelU, 1.0f / 400.0f);
}

TEST_F(ScreenEffectsTest, SinglePassBlurAddsOntoTheFrameWithoutClearing) {
    ScreenEffects fx(512, 512, 128, 128, 512, 512, 128, 128, 2);
    fill(0.5f, 0.5f, 0.5f);
    fx.grab(0);
    fill(0, 0, 0.25f, 1);  // what the frame holds before the blur
    fx.blur(0, 0.0f, 1, 0.25f, 0.25f, 1, 1, 1, 1, 0);
    gltest::Rgba p = gltest::readPixel(256, 256);
    EXPECT_NEAR(p.r, 128 * 1.015625, 3);
    EXPECT_NEAR(p.b, 64 + 128 * 1.015625, 3);
    // Two passes clear once: the blue underneath is gone, and the second pass adds the first
    // pass's picture to itself.
    fill(0.25f, 0.25f, 0.25f);
    fx.grab(0);
    fill(0, 0, 0.25f, 1);
    fx.blur(0, 0.0f, 2, 0.25f, 0.25f, 1, 1, 1, 1, 0);
    p = gltest::readPixel(256, 256);
    EXPECT_NEAR(p.r, 2 * 64 * 1.015625, 4);
    EXPECT_NEAR(p.b, p.r, 2);
    // No passes: nothing drawn.
    fill(0, 1, 0);
    fx.blur(0, 0.5f, 0, 0.25f, 0.25f, 1, 1, 1, 1, 0);
    EXPECT_EQ(gltest::readPixel(256, 256).g, 255);
}

// Passes after the first start from black: whatever the frame held must not show through, in
// any channel, whether the viewport is the slot's whole area or a part of it.
TEST_F(ScreenEffectsTest, MultiPassBlurStartsFromBlackWhateverTheFrameHeld) {
    for (int view : {512, 384}) {
        ScreenEffects fx(512, 512, 128, 128, view, view, 128, 128, 2);
        glViewport(0, 0, view, view);
        std::vector<unsigned char> stripes(512 * 512 * 4);
        for (size_t i = 0; i < stripes.size(); ++i)
            stripes[i] = static_cast<unsigned char>((i / 4 % 512) / 8 % 2 ? 200 : 30 + i % 4 * 20);
        glBindTexture(GL_TEXTURE_2D, fx.grabTextures[0]);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 512, 512, GL_RGBA, GL_UNSIGNED_BYTE,
                        stripes.data());
        std::vector<unsigned char> pictures[2];
        const float before[2][4] = {{0, 0, 0, 0}, {0.7f, 0.2f, 0.9f, 0.4f}};
        for (int k = 0; k < 2; ++k) {
            fill(before[k][0], before[k][1], before[k][2], before[k][3]);
            fx.blur(0, 0.6f, 3, 0.05f, 0.05f, 1.5f, 0.1f, 0.2f, 0.3f, 0.0f);
            pictures[k].resize(static_cast<size_t>(view) * view * 4);
            glReadPixels(0, 0, view, view, GL_RGBA, GL_UNSIGNED_BYTE, pictures[k].data());
        }
        EXPECT_TRUE(pictures[0] == pictures[1]) << "viewport " << view;
        EXPECT_GT(pictures[0][(view / 2 * view + view / 2) * 4], 0) << "viewport " << view;
    }
    glViewport(0, 0, 512, 512);
}

// A shadow mask's blur sums each pass's four offsets in one draw where the driver can: the
// picture must be the blended one up to rounding, in a viewport that is the slot's whole area
// (passes replace) and in a part of it (passes clear first), and the texture units it borrows
// must be left as they were.
TEST_F(ScreenEffectsTest, OpaqueBlurInOneDrawPerPassMatchesTheBlendedBlur) {
    ASSERT_TRUE(glCaps.supportsTextureEnvCombine4 && glCaps.maxTextureUnits >= 7);
    ScreenEffects fx(512, 512, 128, 128, 512, 512, 128, 128, 3);
    grabTwoColours(fx, 1, 2);
    fill(0, 0, 0, 0);
    fx.combineGrabs(2, 1, true, false);
    const gltest::Rgba combinedBefore = gltest::readPixel(100, 100);

    std::vector<unsigned char> mask(512 * 512 * 4);
    for (size_t i = 0; i < mask.size(); ++i)
        mask[i] = i % 4 == 3 ? 255 : ((i / 4 % 512) / 16 + (i / 4 / 512) / 24) % 2 ? 255 : 0;
    glActiveTextureARB(GL_TEXTURE2_ARB);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(2.0f, 2.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    for (int view : {512, 384}) {
        ScreenEffects blurFx(512, 512, 128, 128, view, view, 128, 128, 1);
        glViewport(0, 0, view, view);
        glBindTexture(GL_TEXTURE_2D, blurFx.grabTextures[0]);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 512, 512, GL_RGBA, GL_UNSIGNED_BYTE, mask.data());
        std::vector<unsigned char> pictures[2];
        for (int oneDraw = 0; oneDraw < 2; ++oneDraw) {
            fill(0, 0, 0, 1);
            if (oneDraw)
                blurFx.blurOpaque(0, 0.3f, 5, 0.1f, 0.1f, 1.5f);
            else
                blurFx.blur(0, 0.3f, 5, 0.1f, 0.1f, 1.5f, 0, 0, 0, 0);
            pictures[oneDraw].resize(static_cast<size_t>(view) * view * 4);
            glReadPixels(0, 0, view, view, GL_RGBA, GL_UNSIGNED_BYTE, pictures[oneDraw].data());
        }
        int largest = 0, grey = 0;
        double sum = 0.0;
        for (size_t i = 0; i < pictures[0].size(); ++i) {
            const int difference = std::abs(pictures[0][i] - pictures[1][i]);
            largest = std::max(largest, difference);
            sum += difference;
            grey += i % 4 == 0 && pictures[0][i] > 20 && pictures[0][i] < 235;
        }
        EXPECT_LE(largest, 6) << "viewport " << view;
        EXPECT_LT(sum / static_cast<double>(pictures[0].size()), 0.25) << "viewport " << view;
        EXPECT_GT(grey, view * view / 50) << "viewport " << view;  // softened edges to compare
    }
    glViewport(0, 0, 512, 512);

    GLfloat matrix[16];
    glActiveTextureARB(GL_TEXTURE2_ARB);
    glGetFloatv(GL_TEXTURE_MATRIX, matrix);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    EXPECT_FLOAT_EQ(matrix[0], 2.0f);
    fill(0, 0, 0, 0);
    fx.combineGrabs(2, 1, true, false);
    const gltest::Rgba combinedAfter = gltest::readPixel(100, 100);
    EXPECT_EQ(combinedAfter.r, combinedBefore.r);
    EXPECT_EQ(combinedAfter.g, combinedBefore.g);
}

TEST_F(ScreenEffectsTest, CombineGrabsMultipliesOrInverts) {
    ScreenEffects fx(512, 512, 128, 128, 512, 512, 128, 128, 3);
    grabTwoColours(fx, 0, 1);
    fill(0, 0, 0, 0);
    fx.combineGrabs(1, 0, false, false);
    gltest::Rgba p = gltest::readPixel(100, 100);
    EXPECT_NEAR(p.r, 128, 3);
    EXPECT_NEAR(p.g, 64, 3);
    EXPECT_NEAR(p.b, 0, 3);
    fill(0, 0, 0, 0);
    fx.combineGrabs(1, 0, true, false);  // (1 - B) x A
    p = gltest::readPixel(100, 100);
    EXPECT_NEAR(p.r, 127, 3);
    EXPECT_NEAR(p.g, 64, 3);
    EXPECT_NEAR(p.b, 0, 3);
}

// Two masks at a time in one draw must add what one combineGrabs per mask adds, up to the
// rounding of the sum; an odd mask goes on its own.
TEST_F(ScreenEffectsTest, AddThroughMasksMatchesOneCombinationPerMask) {
    ASSERT_TRUE(glCaps.supportsTextureEnvCombine4);
    ScreenEffects fx(512, 512, 128, 128, 512, 512, 128, 128, 4);
    std::vector<unsigned char> texels(512 * 512 * 4);
    for (int slot = 0; slot < 4; ++slot) {
        for (size_t i = 0; i < texels.size(); ++i)
            texels[i] = i % 4 == 3 ? 255
                                   : static_cast<unsigned char>((i / 4 % 512) * (slot + 1) +
                                                                i / 2048 * (7 - slot));
        glBindTexture(GL_TEXTURE_2D, fx.grabTextures[slot]);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 512, 512, GL_RGBA, GL_UNSIGNED_BYTE,
                        texels.data());
    }
    std::vector<unsigned char> pictures[2];
    for (int paired = 0; paired < 2; ++paired) {
        fill(0.1f, 0.05f, 0.0f, 1.0f);
        if (paired)
            fx.addThroughMasks(1, 3, 0);
        else
            for (int mask = 1; mask <= 3; ++mask) fx.combineGrabs(mask, 0, true, true);
        pictures[paired].resize(512 * 512 * 4);
        glReadPixels(0, 0, 512, 512, GL_RGBA, GL_UNSIGNED_BYTE, pictures[paired].data());
    }
    int largest = 0, lit = 0;
    for (size_t i = 0; i < pictures[0].size(); ++i) {
        largest = std::max(largest, std::abs(pictures[0][i] - pictures[1][i]));
        lit += i % 4 == 0 && pictures[0][i] > 40 && pictures[0][i] < 250;
    }
    EXPECT_LE(largest, 1);
    EXPECT_GT(lit, 512 * 512 / 4);  // most of the frame got something added, not saturated
}

// A shadowed scene put together in one draw must be what the ambient slot over the lit picture,
// then the lit slot through each mask and the added slot, make step by step, colour and alpha,
// up to rounding: with one mask at full size, and with two small ones and a small halo.
TEST_F(ScreenEffectsTest, ShadowedPictureInOneDrawMatchesTheStepByStepComposition) {
    ASSERT_TRUE(glCaps.supportsTextureEnvCombine4 && glCaps.supportsBlendFuncSeparate);
    ScreenEffects fx(512, 512, 128, 128, 512, 512, 128, 128, 5);
    noiseIntoSlots(fx, 5, 4);  // slot 4 the halo
    for (int masks = 1; masks <= 2; ++masks) {
        ShadowedPicture picture;
        picture.litSlot = 0;
        picture.ambientSlot = 1;
        picture.firstMask = 2;
        picture.maskCount = masks;
        picture.smallMasks = masks == 2;
        picture.addedSlot = masks == 2 ? 4 : -1;
        picture.smallAdded = true;
        std::vector<unsigned char> pictures[2];
        for (int oneDraw = 0; oneDraw < 2; ++oneDraw) {
            fill(0, 0, 0, 0);
            fx.drawGrab(0, Blend::Off);
            if (oneDraw) {
                fx.composeShadowedPicture(picture);
            } else {
                fx.drawGrab(1, Blend::Alpha);
                fx.useSmallTextures = picture.smallMasks ? 1 : 0;
                fx.addThroughMasks(2, masks, 0);
                fx.useSmallTextures = 1;
                fx.drawGrab(picture.addedSlot, Blend::Additive);
                fx.useSmallTextures = 0;
            }
            pictures[oneDraw] = readPicture();
        }
        int between = 0;
        for (unsigned char value : pictures[0]) between += value > 10 && value < 245;
        EXPECT_LE(largestDifference(pictures[0], pictures[1]), 2) << masks << " masks";
        EXPECT_GT(between, 512 * 512) << masks << " masks";  // mostly unsaturated values
    }
}

// Layers stacked in one draw must be what clearing and drawing each slot over the ones below by
// its alpha make, colour and alpha, up to rounding, whatever the frame buffer held before.
TEST_F(ScreenEffectsTest, LayersInOneDrawMatchTheStepByStepStack) {
    ASSERT_TRUE(glCaps.supportsTextureEnvCombine4 && glCaps.supportsBlendFuncSeparate);
    ScreenEffects fx(512, 512, 128, 128, 512, 512, 128, 128, 3);
    noiseIntoSlots(fx, 3);
    for (const std::vector<int>& slots : {std::vector<int>{1}, {2, 0}, {0, 1, 2}}) {
        fill(0, 0, 0, 0);
        for (int slot : slots) fx.drawGrab(slot, Blend::Alpha);
        const std::vector<unsigned char> stepByStep = readPicture();
        fill(0.3f, 0.6f, 0.9f, 0.5f);
        fx.drawLayers(slots);
        EXPECT_LE(largestDifference(stepByStep, readPicture()), 2) << slots.size() << " slots";
    }
}

TEST_F(ScreenEffectsTest, TexturedQuadWithDefaultsCoversTheScreenUnchanged) {
    ScreenEffects fx(512, 512, 128, 128, 512, 512, 128, 128, 1);
    // A uniform 16 x 16 texture: away from the clamped border every sample is the texel.
    std::vector<unsigned char> texels;
    for (int i = 0; i < 256; ++i) texels.insert(texels.end(), {40, 80, 120, 255});
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    fill(0, 0, 0);
    fx.drawTexturedQuad(tex, Blend::Off, nullptr, 1.0f, nullptr, false);
    for (auto xy : {std::pair<int, int>{40, 40}, {470, 470}, {256, 256}}) {
        gltest::Rgba p = gltest::readPixel(xy.first, xy.second);
        EXPECT_NEAR(p.r, 40, 1);
        EXPECT_NEAR(p.g, 80, 1);
        EXPECT_NEAR(p.b, 120, 1);
    }
    Vec3 half(0.5f, 0.5f, 0.0f);
    Vec3 add(0.2f, 0.0f, 0.0f);
    fill(0, 0, 0);
    fx.drawTexturedQuad(tex, Blend::Off, &add, 1.0f, &half, false);
    EXPECT_EQ(gltest::readPixel(10, 10).g, 0);  // outside the half-size quad
    EXPECT_NEAR(gltest::readPixel(256, 256).r, 40 + 51, 2);
    glDeleteTextures(1, &tex);
}
