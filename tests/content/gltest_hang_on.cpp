// The text parts on a real context: text shows when it should, stays away when it should, and
// a still clock repeats the picture exactly.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "content/SceneHangOn.h"
#include "content/hang_on_image_folder.h"
#include "engine/Engine.h"
#include "engine/GlCaps.h"
#include "render/BitmapFont.h"
#include "render/ScreenEffects.h"
#include "resources/TextureManager.h"
#include "support/GlTestWindow.h"

namespace {

const int kSize = 512;

// The engine's text resources on the test window's context: built without a window of its own
// (render size 0 stops the constructor early), then given the sizes, fonts, textures and
// capture slots the content setup would give it.
class TextEngine : public Engine {
public:
    // fused: the capture slots are render targets (the fused path's bank).
    explicit TextEngine(bool fused = false) : Engine("text gl test", kSize, kSize, 0, 0, false, 32, false, false, false) {
        renderWidth = renderHeight = viewWidth = viewHeight = kSize;
        textureWidth = textureHeight = kSize;
        smallViewWidth = smallViewHeight = smallTextureWidth = smallTextureHeight = kSize / 4;
        textures = new TextureManager();
        textures->load("./images/font2.png", "basicOutputFont");
        textures->load("./images/font3f.png", "basicOutputFontNoShadow");
        textures->load("./images/alkua2.png", "alkua");
        textures->load("./images/plexi.png", "plexi");
        fontShadow = new BitmapFont(textures, "basicOutputFont", basicOutputFontLayout());
        fontNoShadow = new BitmapFont(textures, "basicOutputFontNoShadow",
                                      basicOutputFontNoShadowLayout());
        glCaps.useFramebufferObject = fused;
        screenEffects = new ScreenEffects(kSize, kSize, kSize / 4, kSize / 4, kSize, kSize,
                                          kSize / 4, kSize / 4, 7);
        glCaps.useFramebufferObject = false;
    }
    int loadContent() override { return 0; }
};

std::vector<unsigned char> readFrame() {
    std::vector<unsigned char> pixels(kSize * kSize * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Pixels with any colour channel above the threshold.
int litPixels(const std::vector<unsigned char>& pixels, int threshold = 8) {
    int n = 0;
    for (size_t i = 0; i < pixels.size(); i += 4)
        if (pixels[i] > threshold || pixels[i + 1] > threshold || pixels[i + 2] > threshold) ++n;
    return n;
}

class HangOnGlTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "x11", 0);
        if (!gltest::ensureWindow(kSize, kSize)) GTEST_SKIP() << "no display";
        probeGlCaps();
        glViewport(0, 0, kSize, kSize);
    }
};

}  // namespace

TEST_F(HangOnGlTest, TasteTheBeatShowsItsTextAfterTwoSeconds) {
    textscene::ImageFolder images({"font3f.png", "alkua2.png", "plexi.png"});
    ASSERT_TRUE(images.ok());
    TextEngine engine;
    ASSERT_TRUE(engine.fontNoShadow->canDraw());
    SceneHangOn scene(&engine, "Can You Taste The Beat?", 2);
    scene.render(13000, 2000);
    EXPECT_TRUE(engine.useNoShadowFont);
    const std::vector<unsigned char> frame = readFrame();
    // Solid glyph blocks of a white font: a good part of the frame.
    EXPECT_GT(litPixels(frame), kSize * kSize / 50);
}

TEST_F(HangOnGlTest, TrailingLineEntersFromTheRight) {
    textscene::ImageFolder images({"font3f.png"});
    ASSERT_TRUE(images.ok());
    TextEngine engine;
    SceneHangOn scene(&engine, "We Have Eaten Our Lumerant Pills", 5);
    scene.render(110000, 40);
    EXPECT_EQ(litPixels(readFrame()), 0);
    scene.render(115000, 4960);
    EXPECT_GT(litPixels(readFrame()), 0);
}

TEST_F(HangOnGlTest, StillClockRepeatsThePicture) {
    textscene::ImageFolder images({"font3f.png", "alkua2.png"});
    ASSERT_TRUE(images.ok());
    TextEngine engine;
    // The greetings: two stacks, the sprite ring and the halo.
    SceneHangOn scene(&engine, "Greetings", 4);
    scene.render(194000, 3000);
    const std::vector<unsigned char> first = readFrame();
    scene.render(194000, 0);
    EXPECT_EQ(scene.localTime, 3000);
    const std::vector<unsigned char> second = readFrame();
    EXPECT_GT(litPixels(first), 0);
    EXPECT_TRUE(first == second);
}

TEST_F(HangOnGlTest, HaloSpreadsLightBeyondTheSharpText) {
    textscene::ImageFolder images({"font3f.png"});
    ASSERT_TRUE(images.ok());
    TextEngine engine;
    SceneHangOn scene(&engine, "Can You Taste The Beat?", 2);
    scene.render(13000, 2000);
    const int withHalo = litPixels(readFrame(), 2);
    // No slots free after the frame's own: the same part without its halo.
    engine.screenEffects->workSlotBase = engine.screenEffects->slotCount - 1;
    scene.render(13000, 0);
    const int withoutHalo = litPixels(readFrame(), 2);
    EXPECT_GT(withoutHalo, 0);
    EXPECT_GT(withHalo, withoutHalo);
}

TEST_F(HangOnGlTest, WithoutTheFontImageTheTextIsLeftOut) {
    textscene::ImageFolder images({});
    ASSERT_TRUE(images.ok());
    TextEngine engine;
    ASSERT_FALSE(engine.fontNoShadow->canDraw());
    for (int part = 0; part < SceneHangOn::kPartCount; ++part) {
        SceneHangOn scene(&engine, "text", part);
        glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        scene.render(0, 2000);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "part " << part;
        // Cleared, and nothing bright drawn: at most the sprite ring's faint blue tint, which
        // the halo doubles.
        EXPECT_EQ(litPixels(readFrame(), 40), 0) << "part " << part;
    }
}

// On the fused path the full-size ring is drawn at half size and stretched: a soft cloud, so
// the picture stays within the rounding tolerance of the full-size ring (both ring parts, the
// ring well turned and spread).
TEST_F(HangOnGlTest, RingAtHalfSizeMatchesTheFullSizeRing) {
    if (!fusedPathChosen(glCaps, PathRequest::Auto)) GTEST_SKIP() << "no fused path";
    textscene::ImageFolder images({"font3f.png", "alkua2.png"});
    ASSERT_TRUE(images.ok());
    for (int part : {0, 4}) {
        std::vector<unsigned char> frames[2];
        for (int fused = 0; fused < 2; ++fused) {
            TextEngine engine(fused == 1);
            SceneHangOn scene(&engine, "ring", part);
            scene.render(0, 2500);
            frames[fused] = readFrame();
        }
        double sum = 0.0;
        size_t withinTwo = 0;
        for (size_t i = 0; i < frames[0].size(); ++i) {
            const int d = std::abs(frames[0][i] - frames[1][i]);
            sum += d;
            withinTwo += d <= 2;
        }
        EXPECT_GT(litPixels(frames[0]), kSize * kSize / 4) << "part " << part;
        EXPECT_LE(sum / static_cast<double>(frames[0].size()), 0.1) << "part " << part;
        EXPECT_GE(static_cast<double>(withinTwo) / static_cast<double>(frames[0].size()), 0.999)
            << "part " << part;
    }
}
