// The main loop driven with injected key states and events.
#include "frame/MainLoop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <vector>

#include "engine/Engine.h"
#include "frame/Stopwatch.h"
#include "render/ScreenEffects.h"

namespace {

uint8_t keysDown[KeyboardState::kKeyCount];
const uint8_t* injectedKeys() { return keysDown; }
// Every read of the keyboard's clock is 10 ms after the previous one.
uint32_t steppingNow = 1;
uint32_t steppingTicks() { return steppingNow += 10; }

class LoopEngine : public Engine {
public:
    LoopEngine() : Engine("loop test", 320, 240, 320, 240, false, 32, false, false, false) {
        registerScene(nullptr);
        screenEffects = new ScreenEffects(textureWidth, textureHeight, smallTextureWidth,
                                          smallTextureHeight, viewWidth, viewHeight,
                                          smallViewWidth, smallViewHeight, 7);
        pacingEnabled = false;
    }
    int loadContent() override { return 0; }
};

class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "x11", 0);
        for (auto& k : keysDown) k = 0;
        hooks.swapBuffers = [] {};
        hooks.pollEvent = [this](SDL_Event* e) {
            if (events.empty()) return 0;
            *e = events.front();
            events.pop_front();
            return 1;
        };
    }
    void queueKeyDown(SDLKey sym) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = sym;
        events.push_back(e);
    }
    LoopHooks hooks;
    std::deque<SDL_Event> events;
};

}  // namespace

TEST_F(MainLoopTest, HeldSeekKeyActsFromTheSecondFrameAndStopsAtZero) {
    LoopEngine e;
    e.start();
    KeyboardState keys(steppingTicks, injectedKeys);
    keysDown[SDLK_UP] = 1;
    // Held from the first update: the value goes straight from 0 to positive, so every one of
    // the three frames seeks.
    EXPECT_EQ(runMainLoop(e, keys, hooks, 3), -1);
    int t = e.currentTime();
    EXPECT_GE(t, 3 * 1500);
    EXPECT_LT(t, 3 * 1500 + 2000);
    keysDown[SDLK_UP] = 0;
    keysDown[SDLK_DOWN] = 1;
    runMainLoop(e, keys, hooks, 8);
    // Down had been up for a while: it reads 0 on its first update, then seeks -1500 a frame
    // until the clock stops at 0.
    EXPECT_GE(e.currentTime(), 0);
    EXPECT_LT(e.currentTime(), 1000);
}

TEST_F(MainLoopTest, PauseTogglesOncePerPress) {
    LoopEngine e;
    e.start();
    KeyboardState keys(steppingTicks, injectedKeys);
    // 'p' per pass: held for five passes, up for two, held again for three.
    const bool pDown[] = {1, 1, 1, 1, 1, 0, 0, 1, 1, 1};
    std::vector<bool> pausedAfter;
    int pass = 0;
    hooks.swapBuffers = [&] {
        if (pass > 0) pausedAfter.push_back(e.isPaused());
        keysDown[SDLK_p] = pDown[pass++];
    };
    runMainLoop(e, keys, hooks, 10);
    pausedAfter.push_back(e.isPaused());
    const std::vector<bool> expected = {true, true, true, true, true,
                                        true,    // released: reads 0, the latch holds
                                        true,    // up for a while: the latch clears
                                        true,    // pressed: reads 0 on its first update
                                        false,   // then toggles once
                                        false};
    EXPECT_EQ(pausedAfter, expected);
}

TEST_F(MainLoopTest, TapsBetweenTwoFramesActOnceEach) {
    LoopEngine e;
    e.start();
    e.useFixedClock();  // the clock moves by the seeks alone
    e.setFixedTime(10000);
    KeyboardState keys(steppingTicks, injectedKeys);
    auto seeked = [&](int frames) {
        const int before = e.currentTime();
        runMainLoop(e, keys, hooks, frames);
        return e.currentTime() - before;
    };
    // The keys went down and up before the frame: only their events tell.
    runMainLoop(e, keys, hooks, 1);  // every key has been up for an update
    queueKeyDown(SDLK_RIGHT);
    EXPECT_EQ(seeked(6), 100);
    queueKeyDown(SDLK_RIGHT);
    queueKeyDown(SDLK_RIGHT);
    EXPECT_EQ(seeked(10), 200);
    // Space pauses like p, with a latch of its own.
    queueKeyDown(SDLK_SPACE);
    runMainLoop(e, keys, hooks, 6);
    EXPECT_TRUE(e.isPaused());
    queueKeyDown(SDLK_p);
    runMainLoop(e, keys, hooks, 6);
    EXPECT_FALSE(e.isPaused());
    keysDown[SDLK_SPACE] = 1;  // held: one toggle
    runMainLoop(e, keys, hooks, 6);
    EXPECT_TRUE(e.isPaused());
}

TEST_F(MainLoopTest, EscapeAndQuitEndAtOnceBehindAnyNumberOfEvents) {
    LoopEngine e;
    e.start();
    KeyboardState keys(steppingTicks, injectedKeys);
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    events.assign(500, motion);
    queueKeyDown(SDLK_a);
    EXPECT_EQ(runMainLoop(e, keys, hooks, 1), -1);  // the frame took every event
    EXPECT_TRUE(events.empty());
    events.assign(500, motion);
    queueKeyDown(SDLK_ESCAPE);
    EXPECT_EQ(runMainLoop(e, keys, hooks, 1), 0);
    events.assign(500, motion);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    events.push_back(quit);
    EXPECT_EQ(runMainLoop(e, keys, hooks, 1), 0);
}

TEST_F(MainLoopTest, TheRunEndsOncePastItsEnd) {
    LoopEngine e;
    e.start();
    KeyboardState keys(steppingTicks, injectedKeys);
    e.seek(kRunEndMs - 1000 - e.currentTime());
    EXPECT_EQ(runMainLoop(e, keys, hooks, 1), -1);
    e.seek(2000);
    EXPECT_EQ(runMainLoop(e, keys, hooks, 10), 0);
}

TEST_F(MainLoopTest, WithRestartTheRunGoesOnFromTheBeginningPastItsEnd) {
    LoopEngine e;
    e.start();
    KeyboardState keys(steppingTicks, injectedKeys);
    int restarts = 0;
    hooks.restart = [&] {
        ++restarts;
        e.seekTo(0);
    };
    e.seek(kRunEndMs + 500 - e.currentTime());
    EXPECT_EQ(runMainLoop(e, keys, hooks, 3), -1);  // still running
    EXPECT_EQ(restarts, 1);
    EXPECT_LT(e.currentTime(), 1000);
}

TEST_F(MainLoopTest, ReadoutShowsAfterSeekKeysAndWhilePausedOnly) {
    LoopEngine e;
    e.start();
    KeyboardState keys(steppingTicks, injectedKeys);
    unsigned now = 100000;
    hooks.ticks = [&] { return now; };
    std::vector<int> drawnIn;
    int pass = 0;
    hooks.drawReadout = [&](int timeMs) {
        EXPECT_EQ(timeMs, e.currentTimeMs);
        drawnIn.push_back(pass);
    };
    // Right goes down after pass 2 and seeks from pass 3 (never down before, it reads positive
    // at once; the seek comes after that pass's drawing) until it is let go after pass 5; the
    // read-out's clock then moves 1 s, then 1.5 s more; the run is paused after pass 7.
    hooks.swapBuffers = [&] {
        if (pass == 2) keysDown[SDLK_RIGHT] = 1;
        if (pass == 5) {
            keysDown[SDLK_RIGHT] = 0;
            now += 1000;
        }
        if (pass == 6) now += 1500;
        if (pass == 7) e.pause();
        ++pass;
    };
    runMainLoop(e, keys, hooks, 10);
    EXPECT_EQ(drawnIn, (std::vector<int>{4, 5, 6, 8, 9}));
}

TEST_F(MainLoopTest, AnEarlierEndEndsTheRunOrLoopsTheRangeFromItsStart) {
    LoopEngine e;
    e.start();
    KeyboardState keys(steppingTicks, injectedKeys);
    hooks.endMs = 60000;
    e.seekTo(59000);
    EXPECT_EQ(runMainLoop(e, keys, hooks, 1), -1);
    e.seekTo(60001);
    EXPECT_EQ(runMainLoop(e, keys, hooks, 10), 0);
    // With a restart, the run goes back to the start of its range and plays on.
    int restarts = 0;
    hooks.restart = [&] {
        ++restarts;
        e.seekTo(50000);
    };
    e.seekTo(60001);
    EXPECT_EQ(runMainLoop(e, keys, hooks, 3), -1);
    EXPECT_EQ(restarts, 1);
    EXPECT_GE(e.currentTime(), 50000);
    EXPECT_LT(e.currentTime(), 51000);
}
