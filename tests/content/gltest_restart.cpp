// A restart (the real-time loop's --loop) makes the production as it was first built: the same
// times then draw the same pictures, scenes that grow from frame to frame included.
#include <unistd.h>

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "content/Demo.h"

namespace {

std::vector<unsigned char> drawFrom(Demo& demo, int fromMs) {
    demo.seekTo(fromMs);
    demo.lastTimeMs = demo.currentTimeMs;
    for (int k = 0; k < 20; ++k) {
        demo.setFixedTime(fromMs + k * 100);
        demo.renderFrame();
    }
    std::vector<unsigned char> pixels(static_cast<size_t>(demo.windowWidth * demo.windowHeight * 4));
    glReadPixels(0, 0, demo.windowWidth, demo.windowHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    return pixels;
}

}  // namespace

TEST(Restart, TheSameTimesDrawTheSamePicturesAsTheFirstRun) {
    setenv("SDL_VIDEODRIVER", "x11", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(chdir(VERDANTH_BUILD_DIR), 0);  // the folder holding images/ and music/
    Demo demo(320, 240, 320, 240, false, 32, false, false, false);
    demo.useFixedClock();
    demo.loadContent();
    demo.start();
    // The growing blob of Cancerous, then the random spikes of Tree In A Box.
    for (int fromMs : {31000, 208000}) {
        SCOPED_TRACE(fromMs);
        const std::vector<unsigned char> first = drawFrom(demo, fromMs);
        demo.restart();
        EXPECT_EQ(demo.currentTime(), 0);
        EXPECT_EQ(drawFrom(demo, fromMs), first);
    }
}
