#include "render/RenderTarget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "engine/GlCaps.h"
#include "render/Shader.h"
#include "support/GlTestWindow.h"

namespace {

class RenderTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gltest::ensureWindow(256, 256));
        probeGlCaps();
        if (!glCaps.hasFramebufferObjects || !glCaps.hasGlsl120)
            GTEST_SKIP() << "the driver has no fused path";
    }
};

// Lit triangles crossing each other, then the same triangles added again where their depth is
// equal (as multi-pass lighting does): a picture where a last bit of rounding shows.
void drawLitTriangles() {
    glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.5, 0.5, -0.5, 0.5, 1.0, 20.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -6.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    for (int pass = 0; pass < 2; ++pass) {
        glDepthFunc(pass == 0 ? GL_LESS : GL_EQUAL);
        if (pass == 1) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_ONE, GL_ONE);
        }
        std::srand(7);
        glBegin(GL_TRIANGLES);
        for (int i = 0; i < 900; ++i) {
            const float x = static_cast<float>(std::rand() % 1000) / 250.0f - 2.0f;
            const float y = static_cast<float>(std::rand() % 1000) / 250.0f - 2.0f;
            const float z = static_cast<float>(std::rand() % 1000) / 250.0f - 2.0f;
            glNormal3f(x, y, z + 0.5f);
            glColor3f(pass == 0 ? static_cast<float>(i % 7) / 7.0f : 0.1f, 0.4f, 0.6f);
            glVertex3f(x, y, z);
        }
        glEnd();
    }
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDepthFunc(GL_LESS);
    glDisable(GL_DEPTH_TEST);
}

std::vector<unsigned char> readArea(int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

}  // namespace

// A target drawn like the window rounds as the window does, to the last bit, with the picture
// in a corner of a taller window; its texture keeps the picture upside down at textureV, and
// the row past the picture's top is made transparent whatever a clear left there.
TEST_F(RenderTargetTest, ALikeWindowTargetDrawsAsTheWindowDoes) {
    const int size = 160;
    RenderTarget target;
    std::string error;
    ASSERT_TRUE(target.create(size, size, RenderTarget::Colour | RenderTarget::Depth |
                                              RenderTarget::LikeWindow, &error)) << error;
    if (!target.flipped()) GTEST_SKIP() << "the driver cannot draw a target like the window";
    EXPECT_EQ(target.rows(), 256);
    RenderTarget::bindWindow(size, size);
    drawLitTriangles();
    const std::vector<unsigned char> window = readArea(size, size);
    target.bind();
    drawLitTriangles();
    const std::vector<unsigned char> inTarget = readArea(size, size);
    ASSERT_EQ(inTarget.size(), window.size());
    EXPECT_TRUE(std::equal(inTarget.begin(), inTarget.end(), window.begin()))
        << std::inner_product(inTarget.begin(), inTarget.end(), window.begin(), 0, std::plus<>(),
                              std::not_equal_to<>())
        << " values differ";

    // Texture row rows - 1 - y holds picture row y; textureV reads it there.
    std::vector<unsigned char> texels(static_cast<size_t>(size) * target.rows() * 4);
    glBindTexture(GL_TEXTURE_2D, target.colourTexture());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    const size_t row = static_cast<size_t>(size) * 4;
    for (int y : {0, 37, size - 1})
        EXPECT_TRUE(std::equal(window.begin() + y * row, window.begin() + (y + 1) * row,
                               texels.begin() + (target.rows() - 1 - y) * row)) << y;
    const float v = (37.5f) / static_cast<float>(size);
    EXPECT_NEAR(target.textureV(v) * static_cast<float>(target.rows()),
                static_cast<float>(target.rows() - 1 - 37) + 0.5f, 1e-3f);

    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    target.clearRowAbove();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    const int above = target.rows() - size - 1;
    EXPECT_TRUE(std::all_of(texels.begin() + above * row, texels.begin() + (above + 1) * row,
                            [](unsigned char c) { return c == 0; }));
    EXPECT_EQ(texels[(above + 1) * row], 255) << "the picture's top row is left as it was";
    EXPECT_EQ(texels[(above - 1) * row], 255) << "only the one row is cleared";
    RenderTarget::bindWindow(256, 256);
}

// A target of a size that is not a power of two takes the draws meant for it, and the window
// gets them again after bindWindow.
TEST_F(RenderTargetTest, DrawsLandInTheTargetAndNotInTheWindow) {
    RenderTarget target;
    std::string error;
    ASSERT_TRUE(target.create(96, 54, RenderTarget::Colour | RenderTarget::Depth, &error)) << error;
    RenderTarget::bindWindow(256, 256);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    target.bind();
    EXPECT_TRUE(target.isBound());
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 96);
    EXPECT_EQ(viewport[3], 54);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    unsigned char texel[4] = {};
    glReadPixels(95, 53, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[0], 255);
    EXPECT_EQ(texel[2], 0);
    RenderTarget::bindWindow(256, 256);
    EXPECT_FALSE(target.isBound());
    EXPECT_EQ(gltest::readPixel(10, 10).b, 255);

    // A depth-only target (a shadow map) is complete too; a target of nothing is refused.
    RenderTarget depthOnly;
    EXPECT_TRUE(depthOnly.create(64, 64, RenderTarget::Depth, &error)) << error;
    EXPECT_NE(depthOnly.depthTexture(), 0u);
    RenderTarget nothing;
    EXPECT_FALSE(nothing.create(64, 64, 0, &error));
    EXPECT_FALSE(nothing.valid());
}

// Every built-in shader compiles and links together with the vertex stage of its kind; a
// broken one gives a one-line message naming it.
TEST_F(RenderTargetTest, BuiltInShadersBuildAndFaultsAreNamed) {
    for (const char* fragment : {"blur4.frag.glsl", "upscale_layer.frag.glsl"}) {
        Shader shader;
        std::string error;
        EXPECT_TRUE(shader.buildFromFiles("screen_quad.vert.glsl", fragment, &error)) << error;
    }
    Shader broken;
    std::string error;
    EXPECT_FALSE(broken.build("broken", shaderSource("screen_quad.vert.glsl"),
                              "#version 120\nvoid main() { gl_FragColor = nothing; }\n", &error));
    EXPECT_NE(error.find("broken: fragment stage"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_FALSE(broken.buildFromFiles("screen_quad.vert.glsl", "missing.glsl", &error));
    EXPECT_NE(error.find("missing.glsl"), std::string::npos);
}
