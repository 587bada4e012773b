// The engine's demo clock on the music and on the stopwatch: seek limits, pause and resume.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "engine/Engine.h"
#include "engine/SoundLayer.h"
#include "support/TestOgg.h"

namespace {

// No window: a render size of 0 stops construction early; the clock works all the same.
class ClockEngine : public Engine {
public:
    explicit ClockEngine(bool music) : Engine("t", 800, 600, 0, 0, false, 32, false, false, music) {}
    int loadContent() override { return 0; }
};

class EngineClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        SDL_Init(SDL_INIT_TIMER);
        // One file per test: the tests may run at the same time in separate processes.
        path = std::string(::testing::TempDir()) + "/engine_clock_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ogg";
        testsupport::writeOgg(path, 2, 44100, 3.0, [](int, double t) {
            return static_cast<float>(0.3 * std::sin(2 * 3.14159265358979 * 440 * t));
        });
    }
    void TearDown() override {
        std::remove(path.c_str());
        SDL_Quit();
    }
    std::string path;
};

}  // namespace

TEST_F(EngineClockTest, SeekOnTheMusicStopsAtZeroAndAtTheLength) {
    ClockEngine e(true);
    ASSERT_TRUE(e.loadMusic(path));
    EXPECT_FALSE(e.loadMusic(path));  // already playing
    EXPECT_NEAR(static_cast<double>(e.musicLengthMs), 3000.0, 30.0);
    e.start();
    SDL_Delay(100);
    e.seek(-1500);
    EXPECT_EQ(e.currentTimeMs, 0);
    EXPECT_LT(e.currentTime(), 200);
    e.seek(100000);
    EXPECT_EQ(e.currentTimeMs, static_cast<int>(e.musicLengthMs));
    EXPECT_TRUE(e.seekedThisFrame);
}

TEST_F(EngineClockTest, PauseAndResumeLeaveNoJumpInTheFrameDelta) {
    ClockEngine e(true);
    ASSERT_TRUE(e.loadMusic(path));
    e.start();
    SDL_Delay(150);
    e.pause();
    EXPECT_TRUE(e.isPaused());
    const int atPause = e.currentTime();
    SDL_Delay(200);
    EXPECT_NEAR(e.currentTime(), atPause, 5);  // the music stands still while paused
    e.resume();
    EXPECT_FALSE(e.isPaused());
    EXPECT_EQ(e.lastTimeMs, e.currentTimeMs);  // the next frame's delta starts from here
    SDL_Delay(100);
    const int after = e.currentTime();
    EXPECT_GT(after, atPause + 30);
    EXPECT_LT(after, atPause + 400);
}

TEST_F(EngineClockTest, WithoutMusicTheStopwatchRunsUnboundedForward) {
    ClockEngine e(false);
    e.start();
    e.seek(-1500);
    EXPECT_EQ(e.currentTimeMs, 0);
    e.seek(1000000);
    EXPECT_GE(e.currentTime(), 1000000);
    e.seek(-400000);
    EXPECT_GE(e.currentTime(), 600000);
    EXPECT_LT(e.currentTime(), 600100);
    float spectrum[1024];
    spectrum[5] = 1.0f;
    e.getSpectrum(spectrum, 3, 1024, 0);
    EXPECT_EQ(spectrum[5], 0.0f);  // no music: all zeros
}

TEST_F(EngineClockTest, MissingOrBrokenMusicMakesLoadMusicFail) {
    ClockEngine e(true);
    EXPECT_FALSE(e.loadMusic("/nonexistent/Qorvanel.ogg"));
    const std::string junk = path + ".junk";
    FILE* f = std::fopen(junk.c_str(), "wb");
    std::fputs("OggS but not really a vorbis stream", f);
    std::fclose(f);
    EXPECT_FALSE(e.loadMusic(junk));
    std::remove(junk.c_str());
    EXPECT_FALSE(e.musicPlaying);
    e.start();
    SDL_Delay(20);
    EXPECT_GE(e.currentTime(), 10);  // the stopwatch drives the clock
}

TEST_F(EngineClockTest, FixedClockFeedsTheSpectrumOfTheMusicAtItsTime) {
    ClockEngine e(true);
    e.useFixedClock();
    ASSERT_TRUE(e.loadMusic(path));
    EXPECT_FALSE(e.sound->hasDevice());  // offline: silent
    e.setFixedTime(1000);
    e.start();
    EXPECT_EQ(e.currentTime(), 1000);
    float spectrum[1024];
    e.getSpectrum(spectrum, 3, 1024, 0);
    int peak = 0;
    for (int i = 1; i < 1024; ++i)
        if (spectrum[i] > spectrum[peak]) peak = i;
    EXPECT_NEAR(peak, 440.0 * 2048 / 44100, 1.0);
    e.seek(500);
    EXPECT_EQ(e.currentTime(), 1500);
}

TEST_F(EngineClockTest, StartFromBeginsThereWithNoTimePassedForTheScenes) {
    ClockEngine e(true);
    ASSERT_TRUE(e.loadMusic(path));
    e.startFrom(2000);
    EXPECT_GE(e.currentTime(), 2000);
    EXPECT_LT(e.currentTime(), 2300);
    EXPECT_EQ(e.lastTimeMs, e.currentTimeMs);
    ClockEngine stopwatch(false);
    stopwatch.startFrom(250000);  // past any music: the stopwatch has no end
    EXPECT_GE(stopwatch.currentTime(), 250000);
}

TEST_F(EngineClockTest, AfterTheMusicEndsTheClockGoesOnAndASeekBackReturnsToTheMusic) {
    ClockEngine e(true);
    ASSERT_TRUE(e.loadMusic(path));
    e.start();
    e.seek(static_cast<int>(e.musicLengthMs) - 100 - e.currentTime());
    SDL_Delay(400);
    const int past = e.currentTime();
    EXPECT_GE(past, static_cast<int>(e.musicLengthMs));
    EXPECT_TRUE(e.musicEnded);
    SDL_Delay(100);
    EXPECT_GT(e.currentTime(), past + 50);  // still running
    e.pause();
    const int paused = e.currentTime();
    SDL_Delay(60);
    EXPECT_EQ(e.currentTime(), paused);
    e.resume();
    // The music no longer drives the clock: a forward seek goes on from where the clock is,
    // not back to the music's length.
    const int before = e.currentTime();
    e.seek(1500);
    EXPECT_GE(e.currentTimeMs, before + 1500);
    EXPECT_TRUE(e.musicEnded);
    e.seek(-2000 - (e.currentTime() - static_cast<int>(e.musicLengthMs)));
    EXPECT_FALSE(e.musicEnded);
    EXPECT_EQ(e.clockSource, ClockSource::Music);
    SDL_Delay(100);
    const int back = e.currentTime();
    EXPECT_GT(back, static_cast<int>(e.musicLengthMs) - 2000);
    EXPECT_LT(back, static_cast<int>(e.musicLengthMs) - 1500);
}
