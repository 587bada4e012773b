// The whole production in the real-time loop, driven by held cursor keys through every scene
// boundary: nothing crashes and the clock stays within 0 and the music's length.
#include <unistd.h>

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "content/Demo.h"
#include "frame/MainLoop.h"
#include "frame/Stopwatch.h"

namespace {
uint8_t keysDown[KeyboardState::kKeyCount];
const uint8_t* injectedKeys() { return keysDown; }
}  // namespace

TEST(SeekThroughScore, HeldKeysSweepTheScoreBothWaysAndTheRunEndsAtItsEnd) {
    setenv("SDL_VIDEODRIVER", "x11", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(chdir(VERDANTH_BUILD_DIR), 0);  // the folder holding images/ and music/
    Demo demo(320, 240, 320, 240, false, 32, false, false, true);
    demo.loadContent();
    ASSERT_TRUE(demo.musicPlaying) << "the generated music is needed";
    demo.start();
    KeyboardState keys(sdlTicks, injectedKeys);
    // Pass by pass: up for 110 passes (about 165 s on), down for 130 (back past 0), right and
    // left in turns, then up until the run ends.
    int pass = 0;
    std::vector<int> times;
    LoopHooks hooks;
    hooks.swapBuffers = [&] {
        for (int key : {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT}) keysDown[key] = 0;
        if (pass < 110)
            keysDown[SDLK_UP] = 1;
        else if (pass < 240)
            keysDown[SDLK_DOWN] = 1;
        else if (pass < 300)
            keysDown[(pass / 10) % 2 ? SDLK_LEFT : SDLK_RIGHT] = 1;
        else
            keysDown[SDLK_UP] = 1;
    };
    hooks.pollEvent = [&](SDL_Event*) {
        times.push_back(demo.currentTimeMs);
        ++pass;
        return 0;
    };
    const int status = runMainLoop(demo, keys, hooks, 2000);
    EXPECT_EQ(status, 0);  // ended by passing 253000 ms
    ASSERT_FALSE(times.empty());
    EXPECT_GE(*std::min_element(times.begin(), times.end()), 0);
    EXPECT_LE(*std::max_element(times.begin(), times.end()), static_cast<int>(demo.musicLengthMs));
    EXPECT_GT(times[109], 150000);  // the sweep forward went far into the score
    EXPECT_LT(times[239], 2000);    // and back to the start
}
