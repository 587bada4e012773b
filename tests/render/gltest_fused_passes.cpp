// Each fused pass against its classic counterpart on a small picture: the same picture within
// the tolerance for rounding (mean difference at most 0.1 of 255, 99.9 % of values within 2).
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "engine/Engine.h"
#include "engine/GlCaps.h"
#include "render/ScreenEffects.h"
#include "support/GlTestWindow.h"

namespace {

const int kSize = 256;

using Picture = std::vector<unsigned char>;

Picture readPicture(int width, int height) {
    Picture picture(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, picture.data());
    return picture;
}

void expectWithinTolerance(const Picture& classic, const Picture& fused) {
    ASSERT_EQ(classic.size(), fused.size());
    double sum = 0.0;
    size_t withinTwo = 0, lit = 0;
    for (size_t i = 0; i < classic.size(); ++i) {
        const int d = std::abs(classic[i] - fused[i]);
        sum += d;
        withinTwo += d <= 2;
        lit += classic[i] > 16;
    }
    EXPECT_GT(lit, classic.size() / 10) << "the picture is almost black: nothing was compared";
    EXPECT_LE(sum / static_cast<double>(classic.size()), 0.1);
    EXPECT_GE(static_cast<double>(withinTwo) / static_cast<double>(classic.size()), 0.999);
}

// Soft shapes and hard edges, some texels translucent unless opaque: what the blurs get from
// the scenes (the shadow masks are opaque).
Picture testPattern(int size, bool opaque) {
    Picture texels(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            unsigned char* p = &texels[(static_cast<size_t>(y) * size + x) * 4];
            const float u = static_cast<float>(x) / size, v = static_cast<float>(y) / size;
            const bool box = x > size / 3 && x < size / 2 && y > size / 4 && y < size * 3 / 4;
            p[0] = box ? 250 : static_cast<unsigned char>(200 * u);
            p[1] = static_cast<unsigned char>(127 + 120 * std::sin(9.0f * u + 5.0f * v));
            p[2] = static_cast<unsigned char>(255 * v * v);
            p[3] = opaque || box || x > size * 3 / 4 ? 255 : static_cast<unsigned char>(64 + 191 * v);
        }
    return texels;
}

// The bank of one path (the flag is read when the bank is made), with the pattern in slot 0.
struct Bank {
    Bank(bool fused, bool opaque) {
        glCaps.useFramebufferObject = fused;
        fx = new ScreenEffects(kSize, kSize, kSize / 4, kSize / 4, kSize, kSize, kSize / 4,
                               kSize / 4, 4);
        glCaps.useFramebufferObject = false;
        Picture texels = testPattern(kSize, opaque);
        // A fused slot drawn like the window keeps its picture upside down at its top rows.
        const RenderTarget* target = fx->slotTarget(0, false);
        int row = 0;
        if (target != nullptr && target->flipped()) {
            for (int y = 0; y < kSize / 2; ++y)
                std::swap_ranges(texels.begin() + y * kSize * 4,
                                 texels.begin() + (y + 1) * kSize * 4,
                                 texels.begin() + (kSize - 1 - y) * kSize * 4);
            row = target->rows() - kSize;
        }
        glBindTexture(GL_TEXTURE_2D, fx->grabTextures[0]);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, row, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE,
                        texels.data());
        // The classic bank draws in the window, the fused one in slot 1's target.
        fx->drawInto(1);
        glViewport(0, 0, kSize, kSize);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    ~Bank() {
        if (fx->fused()) fx->drawInto(-1);
        delete fx;
    }
    ScreenEffects* fx;
};

class FusedPassesTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "x11", 0);
        if (!gltest::ensureWindow(kSize, kSize)) GTEST_SKIP() << "no display";
        probeGlCaps();
        if (!fusedPathChosen(glCaps, PathRequest::Auto)) GTEST_SKIP() << "no fused path";
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
    }
};

}  // namespace

// The timeline's coloured, fading blur, the halo's and the masks' (opaque, brighter), each
// pass one shader draw into a target, against the classic blended passes.
TEST_F(FusedPassesTest, BlurMatchesTheBlendedPasses) {
    using BlurCall = void (*)(ScreenEffects&);
    const BlurCall calls[] = {
        [](ScreenEffects& fx) { fx.blur(0, 0.6f, 5, 0.25f, 0.25f, 1.2f, 0.3f, 0.1f, 0.0f, 0.2f); },
        [](ScreenEffects& fx) { fx.blur(0, 0.5f, 5, 0.1f, 0.1f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f); },
        [](ScreenEffects& fx) { fx.blurOpaque(0, 0.3f, 5, 0.1f, 0.1f, 1.5f); },
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const BlurCall call = calls[i];
        Picture pictures[2];
        std::vector<float> left[2];
        for (int fused = 0; fused < 2; ++fused) {
            Bank bank(fused == 1, i == 2);
            call(*bank.fx);
            left[fused] = gltest::leftState();
            pictures[fused] = readPicture(kSize, kSize);
        }
        expectWithinTolerance(pictures[0], pictures[1]);
        EXPECT_EQ(left[1], left[0]) << "the state the fused blur leaves for the next drawing";

    }
}

namespace {

// Soft bands of colour with a translucent square: a scene the dispatch captures, fades and
// blurs.
class BandScene : public Scene {
public:
    BandScene() : Scene("bands") {}
    void render(int, int) override {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glBegin(GL_QUADS);
        glColor4f(1.0f, 0.2f, 0.0f, 1.0f);
        glVertex2f(-1.0f, -1.0f);
        glColor4f(0.0f, 0.8f, 0.3f, 1.0f);
        glVertex2f(1.0f, -1.0f);
        glColor4f(0.2f, 0.1f, 1.0f, 1.0f);
        glVertex2f(1.0f, 1.0f);
        glColor4f(0.9f, 0.9f, 0.2f, 1.0f);
        glVertex2f(-1.0f, 1.0f);
        glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
        glVertex2f(-0.3f, -0.3f);
        glVertex2f(0.4f, -0.3f);
        glVertex2f(0.4f, 0.4f);
        glVertex2f(-0.3f, 0.4f);
        glEnd();
    }
};

// Two scenes in their slots, a fade-on of one over the other, a blur effect, one scene alone
// (its slot stretched straight to the window) and the upscale to a window that is not the
// render size.
Picture dispatchedFrame(PathRequest path, int timeMs, std::vector<float>* left) {
    requestRenderPath(path);
    class TwoScenes : public Engine {
    public:
        TwoScenes() : Engine("fused test", 320, 240, 320, 240, false, 32, false, false, false) {
            registerScene(nullptr);
            screenEffects = new ScreenEffects(textureWidth, textureHeight, smallTextureWidth,
                                              smallTextureHeight, viewWidth, viewHeight,
                                              smallViewWidth, smallViewHeight, 7);
            useFixedClock();
            const int a = registerScene(new BandScene());
            const int b = registerScene(new BandScene());
            schedule(a, 0, 2500);
            schedule(b, 0, 2000);
            schedule(addEffect("fadeOn", b, -1, 0, 1000), 0, 1000);
            schedule(addEffect("blur", a, -1, 1000, 2000), 1000, 2000);
        }
        int loadContent() override { return 0; }
    } engine;
    requestRenderPath(PathRequest::Classic);
    engine.setFixedTime(0);
    engine.start();
    engine.setFixedTime(timeMs);
    engine.renderFrame();
    *left = gltest::leftState();
    return readPicture(320, 240);
}

}  // namespace

// Scenes drawn straight into their slots, effects and layers into targets and the upscale from
// the finished frame's texture give the window the classic frame.
TEST_F(FusedPassesTest, DispatchedFramesMatchTheCopiedOnes) {
    for (int t : {500, 1500, 2200}) {
        SCOPED_TRACE(t);
        std::vector<float> left[2];
        const Picture classic = dispatchedFrame(PathRequest::Classic, t, &left[0]);
        const Picture fused = dispatchedFrame(PathRequest::Auto, t, &left[1]);
        expectWithinTolerance(classic, fused);
        // The next frame's first scene starts from what this one leaves.
        EXPECT_EQ(left[1], left[0]);
    }
    probeGlCaps();
}
