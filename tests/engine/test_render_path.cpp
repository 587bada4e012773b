#include <gtest/gtest.h>

#include "engine/GlCaps.h"
#include "frame/CommandLine.h"

// The fused path needs both framebuffer objects and GLSL 1.20, and --classic turns it off.
TEST(RenderPath, ChosenByCapabilityAndRequest) {
    GlCaps caps;
    for (int fbo = 0; fbo < 2; ++fbo)
        for (int glsl = 0; glsl < 2; ++glsl) {
            caps.hasFramebufferObjects = fbo == 1;
            caps.hasGlsl120 = glsl == 1;
            EXPECT_EQ(fusedPathChosen(caps, PathRequest::Auto), fbo == 1 && glsl == 1);
            EXPECT_FALSE(fusedPathChosen(caps, PathRequest::Classic));
        }
    EXPECT_TRUE(glslVersionAtLeast120("1.20"));
    EXPECT_TRUE(glslVersionAtLeast120("4.50 (Core Profile) Mesa 22.3.6"));
    EXPECT_FALSE(glslVersionAtLeast120("1.10"));
    EXPECT_FALSE(glslVersionAtLeast120(""));
    EXPECT_FALSE(glslVersionAtLeast120(nullptr));
}

TEST(RenderPath, ClassicAndNativeOptions) {
    Options o = parseCommandLine({});
    EXPECT_FALSE(o.classic);
    EXPECT_FALSE(o.native);
    o = parseCommandLine({"--classic", "-res:1280"});
    EXPECT_TRUE(o.classic);
    EXPECT_EQ(o.windowWidth, 1280);
    o = parseCommandLine({"--native", "--size", "1920x1080", "--bench"});
    EXPECT_TRUE(o.native);
    EXPECT_TRUE(o.error.empty()) << o.error;
    o = parseCommandLine({"--native", "--classic"});
    EXPECT_NE(o.error.find("--classic"), std::string::npos);
}
