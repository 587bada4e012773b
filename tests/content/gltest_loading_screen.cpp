// The loading screen on a real context, and on the loading thread's own context beside the
// engine's.
#include <GL/glew.h>
#include <SDL/SDL.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "content/LoadingScreen.h"
#include "content/hang_on_image_folder.h"
#include "engine/Engine.h"
#include "engine/GlCaps.h"
#include "frame/LoadingThread.h"
#include "render/BitmapFont.h"
#include "resources/TextureManager.h"
#include "support/GlTestWindow.h"

namespace {

const int kWidth = 512;
const int kHeight = 512;

class WindowlessEngine : public Engine {
public:
    WindowlessEngine() : Engine("loading gl test", kWidth, kHeight, 0, 0, false, 32, false, false,
                                false) {}
    int loadContent() override { return 0; }
};

int litPixels() {
    std::vector<unsigned char> pixels(kWidth * kHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int n = 0;
    for (size_t i = 0; i < pixels.size(); i += 4)
        if (pixels[i] > 8 || pixels[i + 1] > 8 || pixels[i + 2] > 8) ++n;
    return n;
}

class LoadingScreenGlTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "x11", 0);
        if (!gltest::ensureWindow(kWidth, kHeight)) GTEST_SKIP() << "no display";
        probeGlCaps();
        glViewport(0, 0, kWidth, kHeight);
    }
};

}  // namespace

TEST_F(LoadingScreenGlTest, DrawsItsCaptionIntoTheFrame) {
    textscene::ImageFolder images({"font2.png"});
    ASSERT_TRUE(images.ok());
    WindowlessEngine engine;
    LoadingScreen screen(&engine, "Loading");
    ASSERT_TRUE(screen.font->canDraw());
    const float phaseBefore = LoadingScreen::phase;
    for (int i = 0; i < 3; ++i) {
        screen.render(40 * i, 40);
        EXPECT_GT(litPixels(), 1000) << "frame " << i;
        EXPECT_EQ(screen.font->column, 0);
        EXPECT_EQ(screen.font->line, 7);
    }
    EXPECT_NEAR(LoadingScreen::phase - phaseBefore, 3 * LoadingScreen::kPhaseStep, 1e-5f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(LoadingScreenGlTest, WithoutItsFontImageItClearsTheFrameAndGoesOn) {
    textscene::ImageFolder images({});
    ASSERT_TRUE(images.ok());
    LoadingScreen screen(nullptr, "Loading");
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    screen.render(0, 40);
    EXPECT_EQ(litPixels(), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(LoadingScreenGlTest, OnTheLoadingThreadItLeavesTheEngineTexturesAlone) {
    textscene::ImageFolder images({"font2.png"});
    ASSERT_TRUE(images.ok());
    WindowlessEngine engine;
    engine.textures = new TextureManager();
    ASSERT_EQ(engine.textures->load("./images/font2.png", "basicOutputFont"), 0);
    const GLuint engineFont = engine.textures->textureId("basicOutputFont");

    LoadingThread loading;
    if (!loading.start(&engine, &makeLoadingScreen)) GTEST_SKIP() << "no second context";
    const Uint32 deadline = SDL_GetTicks() + 10000;
    while (loading.framesDrawn() < 3 && SDL_GetTicks() < deadline) SDL_Delay(5);
    loading.stop();
    EXPECT_GE(loading.framesDrawn(), 3);

    // The loading screen made and deleted its own texture in its own context.
    EXPECT_EQ(engine.textures->records().size(), 1u);
    EXPECT_TRUE(glIsTexture(engineFont));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(LoadingScreenGlTest, AnimatesWhileContentLoadsAndDrawsNothingOnceStopped) {
    textscene::ImageFolder images({"font2.png"});
    ASSERT_TRUE(images.ok());
    WindowlessEngine engine;
    LoadingThread loading;
    if (!loading.start(&engine, &makeLoadingScreen)) GTEST_SKIP() << "no second context";
    EXPECT_TRUE(loading.running());
    SDL_Delay(450);  // content loading that takes a while: the animation runs meanwhile
    loading.stop();
    EXPECT_FALSE(loading.running());
    const int drawn = loading.framesDrawn();
    EXPECT_GE(drawn, 5);   // 40 ms a frame
    EXPECT_LE(drawn, 13);
    SDL_Delay(200);
    EXPECT_EQ(loading.framesDrawn(), drawn);  // no loading frame after stop
    loading.stop();  // a second stop is harmless
}
