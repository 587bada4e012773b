#include "render/RenderTarget.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace

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
