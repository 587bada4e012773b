// The frame dispatch on a real window: what each scheduled scene and effect puts on screen.
#include <GL/glew.h>
#include <SDL/SDL.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "engine/Engine.h"
#include "engine/GlCaps.h"
#include "render/ScreenEffects.h"
#include "support/GlTestWindow.h"

namespace {

// Fills the frame with one colour (alpha included).
class ColourScene : public Scene {
public:
    ColourScene(const char* name, float r, float g, float b, float a = 1.0f)
        : Scene(name), red(r), green(g), blue(b), alpha(a) {}
    void render(int, int delta) override {
        glClearColor(red, green, blue, alpha);
        glClear(GL_COLOR_BUFFER_BIT);
        ++renders;
        localTime += delta;
    }
    float red, green, blue, alpha;
    int renders = 0;
};

// Left half red, right half green: shows where the render area lands in the window.
class SplitScene : public Scene {
public:
    SplitScene() : Scene("split") {}
    void render(int, int) override {
        GLint vp[4];
        glGetIntegerv(GL_VIEWPORT, vp);
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, vp[2] / 2, vp[3]);
        glClearColor(1, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glScissor(vp[2] / 2, 0, vp[2] - vp[2] / 2, vp[3]);
        glClearColor(0, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }
};

class TestEngine : public Engine {
public:
    TestEngine(int w, int h) : Engine("dispatch test", w, h, w, h, false, 32, false, false, false) {
        registerScene(nullptr);
        screenEffects = new ScreenEffects(textureWidth, textureHeight, smallTextureWidth,
                                          smallTextureHeight, viewWidth, viewHeight,
                                          smallViewWidth, smallViewHeight, 7);
        useFixedClock();
    }
    int loadContent() override { return 0; }
    void frameAt(int t) {
        setFixedTime(t);
        renderFrame();
    }
};

void expectColour(gltest::Rgba p, int r, int g, int b, int tolerance = 3) {
    EXPECT_NEAR(p.r, r, tolerance);
    EXPECT_NEAR(p.g, g, tolerance);
    EXPECT_NEAR(p.b, b, tolerance);
}

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("SDL_VIDEODRIVER", "x11", 0); }
};

}  // namespace

TEST_F(DispatchTest, NothingIsDrawnBeforeStart) {
    TestEngine e(512, 512);
    auto* red = new ColourScene("red", 1, 0, 0);
    e.schedule(e.registerScene(red), 0, 1000);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    e.seekedThisFrame = true;
    e.renderFrame();
    EXPECT_FALSE(e.seekedThisFrame);
    expectColour(gltest::readPixel(10, 10), 0, 0, 255);
    EXPECT_EQ(red->renders, 0);
}

TEST_F(DispatchTest, SceneShowsOnlyInsideItsWindow) {
    TestEngine e(512, 512);
    auto* red = new ColourScene("red", 1, 0, 0);
    e.schedule(e.registerScene(red), 1000, 2000);
    e.setFixedTime(0);
    e.start();
    e.frameAt(999);
    expectColour(gltest::readPixel(256, 256), 0, 0, 0);
    e.frameAt(1000);
    expectColour(gltest::readPixel(256, 256), 255, 0, 0);
    e.frameAt(1999);
    expectColour(gltest::readPixel(5, 500), 255, 0, 0);
    e.frameAt(2000);
    expectColour(gltest::readPixel(256, 256), 0, 0, 0);
    EXPECT_EQ(red->renders, 2);
    EXPECT_EQ(red->localTime, 1 + 999);  // it advanced only in frames it was drawn
}

TEST_F(DispatchTest, FadeOnAndFadeOffBlendOverTheLayerBelowAndHideTheirInput) {
    TestEngine e(512, 512);
    int red = e.registerScene(new ColourScene("red", 1, 0, 0));
    int green = e.registerScene(new ColourScene("green", 0, 1, 0));
    e.schedule(red, 0, 10000);
    e.schedule(green, 0, 10000);
    std::vector<float> replace = {1.0f};
    int on = e.addEffect("fadeOn", green, -1, 0, 1000, &replace);
    e.schedule(on, 0, 1000);
    int off = e.addEffect("fadeOff", green, -1, 2000, 3000);  // mode 0: colours added
    e.schedule(off, 2000, 3000);
    e.setFixedTime(0);
    e.start();
    // Faded in halfway: half green over red. Were the input not hidden, it would be full green.
    e.frameAt(500);
    expectColour(gltest::readPixel(100, 100), 128, 128, 0);
    e.frameAt(1500);
    expectColour(gltest::readPixel(100, 100), 0, 255, 0);
    // A quarter of the way out: three quarters of green left.
    e.frameAt(2250);
    expectColour(gltest::readPixel(100, 100), 64, 191, 0);
}

TEST_F(DispatchTest, CrossFadeFollowsItsBlendEquations) {
    TestEngine e(512, 512);
    int red = e.registerScene(new ColourScene("red", 1, 0, 0));
    int green = e.registerScene(new ColourScene("green", 0, 1, 0));
    e.schedule(red, 0, 1000);
    e.schedule(green, 0, 1000);
    int fade = e.addEffect("fade", red, green, 0, 1000);
    e.schedule(fade, 0, 1000);
    e.setFixedTime(0);
    e.start();
    e.frameAt(500);
    // On a cleared (0,0,0,0) buffer, blend (SRC_ALPHA, DST_ALPHA): green at alpha p leaves
    // colour p*G and alpha p*p; red at 1-p then adds (1-p)*R plus the green times that alpha.
    // The layer is then drawn with its own alpha over black.
    const double p = 0.5;
    const double alphaAfterGreen = p * p;
    const double r = (1 - p) * 255, g = p * 255 * alphaAfterGreen;
    const double layerAlpha = (1 - p) * (1 - p) + alphaAfterGreen * alphaAfterGreen;
    expectColour(gltest::readPixel(300, 300), static_cast<int>(std::lround(r * layerAlpha)),
                 static_cast<int>(std::lround(g * layerAlpha)), 0, 4);
    // Both inputs are consumed: nothing else is drawn.
    FramePlan plan = e.planFrame(500);
    EXPECT_EQ(plan.layerIds, std::vector<int>{fade});
}

TEST_F(DispatchTest, UpscaleStretchesTheRenderAreaOverTheWindow) {
    TestEngine e(800, 600);
    EXPECT_EQ(e.renderWidth, 512);
    EXPECT_EQ(e.renderHeight, 512);
    EXPECT_TRUE(e.needsUpscale);
    e.schedule(e.registerScene(new SplitScene), 0, 1000);
    e.setFixedTime(0);
    e.start();
    e.frameAt(10);
    expectColour(gltest::readPixel(100, 300), 255, 0, 0);
    expectColour(gltest::readPixel(700, 300), 0, 255, 0);  // beyond 512: only there if stretched
    expectColour(gltest::readPixel(390, 590), 255, 0, 0);
    expectColour(gltest::readPixel(410, 10), 0, 255, 0);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 800);
    EXPECT_EQ(vp[3], 600);
}

TEST_F(DispatchTest, BlurEffectSpreadsTheSceneAndSeekedFramesTakeTheFullJump) {
    TestEngine e(512, 512);
    auto* scene = new ColourScene("grey", 0.25f, 0.25f, 0.25f);
    int id = e.registerScene(scene);
    e.schedule(id, 0, 100000);
    int blur = e.addEffect("blur", id, -1, 0, 1000);
    e.schedule(blur, 0, 1000);
    e.setFixedTime(0);
    e.start();
    e.frameAt(0);
    // Progress 0: each pass's four taps sum to the scene a little brighter (65/64 of it), and
    // the last of the five passes is added onto the picture of the fourth.
    gltest::Rgba p0 = gltest::readPixel(256, 256);
    EXPECT_NEAR(p0.r, 2 * 64 * 1.015625, 4);
    e.frameAt(500);
    gltest::Rgba p1 = gltest::readPixel(256, 256);
    EXPECT_GT(p1.r, p0.r);  // the brightness and red tint of the default parameters
    e.seek(5000);
    e.renderFrame();
    EXPECT_EQ(e.frameDeltaMs, 5000);
    EXPECT_EQ(scene->localTime, 0 + 500 + 5000);
}

TEST_F(DispatchTest, WindowSizesRenderSizesAndTheProjectionAspect) {
    TestEngine e(1280, 1024);
    EXPECT_EQ(e.renderWidth, 1024);
    EXPECT_EQ(e.renderHeight, 1024);
    EXPECT_EQ(e.smallViewWidth, 256);
    EXPECT_EQ(e.smallTextureHeight, 256);
    // The projection keeps the window's aspect whatever the render size: m[5] / m[0] = aspect.
    GLfloat m[16];
    glMatrixMode(GL_PROJECTION);
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    glMatrixMode(GL_MODELVIEW);
    EXPECT_NEAR(m[5] / m[0], 1.25f, 1e-5f);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 1024);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    EXPECT_EQ(alphaBits, 8);
    EXPECT_TRUE(glCaps.supportsMultitexture);
    EXPECT_GE(glCaps.maxTextureUnits, 3);
}
