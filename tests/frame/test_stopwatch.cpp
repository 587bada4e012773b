#include "frame/Stopwatch.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {
uint32_t fakeNow = 1000;
uint32_t fakeTicks() { return fakeNow; }

uint8_t fakeKeys[KeyboardState::kKeyCount];
const uint8_t* fakeKeyState() { return fakeKeys; }

class ClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakeNow = 1000;
        for (auto& k : fakeKeys) k = 0;
    }
};
}  // namespace

TEST_F(ClockTest, StartPauseResumeResults) {
    Stopwatch s(fakeTicks);
    EXPECT_EQ(s.start(), 0);
    EXPECT_EQ(s.start(), -1);
    fakeNow += 250;
    EXPECT_EQ(s.elapsed(), 250);
    EXPECT_EQ(s.resume(), -1);  // not paused
    EXPECT_EQ(s.pause(), 1);
    EXPECT_EQ(s.pause(), -1);
    fakeNow += 400;
    EXPECT_EQ(s.elapsed(), 250);
    EXPECT_EQ(s.resume(), 0);
    fakeNow += 50;
    EXPECT_EQ(s.elapsed(), 300);
    EXPECT_EQ(s.reset(), 0);
    EXPECT_EQ(s.startTick, 0u);
}

TEST_F(ClockTest, SetOnRunningAndPausedStopwatch) {
    Stopwatch s(fakeTicks);
    s.start();
    fakeNow += 100;
    s.set(5000);
    EXPECT_EQ(s.elapsed(), 5000);
    fakeNow += 10;
    EXPECT_EQ(s.elapsed(), 5010);
    s.pause();
    fakeNow += 200;
    // Set while paused works from the current tick: the time already spent in this pause
    // is taken off and stays off after resume.
    s.set(1000);
    EXPECT_EQ(s.elapsed(), 800);
    s.resume();
    EXPECT_EQ(s.elapsed(), 800);
    fakeNow += 5;
    EXPECT_EQ(s.elapsed(), 805);
}

TEST_F(ClockTest, KeyValuesCountDownAndUpAcrossChanges) {
    KeyboardState keys(fakeTicks, fakeKeyState);
    fakeKeys[273] = 1;  // held from the first update: 0 moves straight on to positive
    fakeNow += 20;
    keys.update();
    EXPECT_EQ(keys.get(273), 20);
    EXPECT_EQ(keys.get(274), -20);
    fakeNow += 30;
    keys.update();
    EXPECT_EQ(keys.get(273), 50);
    fakeKeys[273] = 0;  // released: 0 for one update, then negative
    fakeNow += 10;
    keys.update();
    EXPECT_EQ(keys.get(273), 0);
    fakeNow += 10;
    keys.update();
    EXPECT_EQ(keys.get(273), -10);
    // Down for a single update: kept down for one more, so that the press reaches a positive
    // value once; then up for two updates at least.
    fakeKeys[273] = 1;
    fakeNow += 10;
    keys.update();
    EXPECT_EQ(keys.get(273), 0);
    fakeKeys[273] = 0;
    fakeNow += 10;
    keys.update();
    EXPECT_EQ(keys.get(273), 10);
    fakeNow += 10;
    keys.update();
    EXPECT_EQ(keys.get(273), 0);
    fakeKeys[273] = 1;  // pressed again at once: it waits until it has been up for two updates
    fakeNow += 10;
    keys.update();
    EXPECT_EQ(keys.get(273), -10);
    fakeNow += 10;
    keys.update();
    EXPECT_EQ(keys.get(273), 0);
    fakeKeys[273] = 0;
    // Two updates in the same millisecond leave a steady key unchanged.
    for (int i = 0; i < 3; ++i) {
        fakeNow += 10;
        keys.update();
    }
    EXPECT_EQ(keys.get(273), -10);
    int before = keys.get(273);
    keys.update();
    EXPECT_EQ(keys.get(273), before);
}

TEST_F(ClockTest, UntrackedAndOutOfRangeKeysReadZero) {
    KeyboardState keys(fakeTicks, fakeKeyState);
    fakeKeys[97] = 1;  // 'a' is not tracked
    fakeNow += 20;
    keys.update();
    EXPECT_EQ(keys.get(97), 0);
    EXPECT_EQ(keys.get(1323), 0);
    EXPECT_EQ(keys.get(-1), 0);
    EXPECT_EQ(keys.get(100000), 0);
    EXPECT_EQ(keys.get(112), -20);  // 'p' is tracked
    EXPECT_EQ(keys.get(32), -20);   // and space
    keys.notePress(97);             // a press of an untracked key changes nothing
    keys.update();
    EXPECT_EQ(keys.get(97), 0);
}

// Values per update for key 'p' (112): each step gives the key state and the presses taken
// from the event queue before that update; every update is 10 ms after the previous one.
std::vector<int> playPresses(const std::vector<std::pair<bool, int>>& steps) {
    KeyboardState keys(fakeTicks, fakeKeyState);
    std::vector<int> values;
    for (const auto& step : steps) {
        fakeKeys[112] = step.first;
        for (int i = 0; i < step.second; ++i) keys.notePress(112);
        fakeNow += 10;
        keys.update();
        values.push_back(keys.get(112));
    }
    return values;
}

TEST_F(ClockTest, EveryPressIsPlayedTwoUpdatesDownAndTwoUp) {
    // A tap between two updates (the state never shows it) counts as down on that update and
    // is kept down for the next one, so that it reaches a positive value exactly once.
    EXPECT_EQ(playPresses({{0, 0}, {0, 1}, {0, 0}, {0, 0}, {0, 0}}),
              (std::vector<int>{-10, 0, 10, 0, -10}));
    // Two taps within one update are both played, one after the other.
    EXPECT_EQ(playPresses({{0, 0}, {0, 2}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}),
              (std::vector<int>{-10, 0, 10, 0, -10, 0, 10, 0}));
    // A press taken as an event while the key is held is the press already down (its state
    // was read before its event); the key lets go when the state does.
    EXPECT_EQ(playPresses({{0, 0}, {1, 0}, {1, 1}, {1, 0}, {0, 0}, {0, 0}}),
              (std::vector<int>{-10, 0, 10, 20, 0, -10}));
    // A second press while the first is held: the key lets go for two updates, then plays
    // the second press, held on as long as the state shows it.
    EXPECT_EQ(playPresses({{1, 1}, {1, 0}, {1, 1}, {1, 0}, {1, 0}, {1, 0}, {1, 0}, {0, 0}}),
              (std::vector<int>{10, 20, 0, -10, 0, 10, 20, 0}));
}
