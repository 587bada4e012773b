#include "frame/Stopwatch.h"

#include <gtest/gtest.h>

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
    // A single-update tap never reaches a positive value.
    fakeKeys[273] = 1;
    fakeNow += 10;
    keys.update();
    EXPECT_EQ(keys.get(273), 0);
    fakeKeys[273] = 0;  // from 0 the value moves straight on in the new direction
    fakeNow += 10;
    keys.update();
    EXPECT_EQ(keys.get(273), -10);
    // Two updates in the same millisecond leave a steady key unchanged.
    fakeNow += 10;
    keys.update();
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
}
