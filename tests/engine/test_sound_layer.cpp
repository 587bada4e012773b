#include "engine/SoundLayer.h"
#include "support/TestOgg.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {
using testsupport::writeOgg;

const double kPi = 3.14159265358979323846;

std::vector<char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int peakBin(const std::vector<float>& s) {
    return static_cast<int>(std::max_element(s.begin(), s.end()) - s.begin());
}

// 2 s of stereo at 44.1 kHz: a 1 kHz tone for the first second, a 9 kHz tone for the second,
// amplitude 0.5 on both channels, over faint noise (which spreads the file over many pages, so
// that cutting or damaging it leaves whole pages on both sides).
const int kRate = 44100;
const long kToneFrames = 2 * kRate;
float twoTones(int, double t) {
    static unsigned seed = 1;
    seed = seed * 1103515245u + 12345u;
    const double noise = 0.04 * (static_cast<double>(seed >> 8) / (1u << 24) - 0.5);
    const double f = t < 1.0 ? 1000.0 : 9000.0;
    return static_cast<float>(0.5 * std::sin(2.0 * kPi * f * t) + noise);
}

class SoundLayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/verdanth_sound_XXXXXX";
        dir = mkdtemp(pattern);
        tones = dir + "/tones.ogg";
        writeOgg(tones, 2, kRate, 2.0, twoTones);
    }
    static void TearDownTestSuite() {
        std::remove(tones.c_str());
        rmdir(dir.c_str());
    }
    std::string tempFile(const std::string& name) {
        std::string path = dir + "/" + name;
        created.push_back(path);
        return path;
    }
    void TearDown() override {
        for (const std::string& p : created) std::remove(p.c_str());
    }
    // Starts the device on the silent driver; it consumes samples in real time.
    static void startDummyDevice(SoundLayer& s) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_TRUE(s.startDevice());
        ASSERT_TRUE(s.hasDevice());
    }

    static std::string dir, tones;
    std::vector<std::string> created;
};
std::string SoundLayerTest::dir, SoundLayerTest::tones;

// --- decoding -------------------------------------------------------------------------------

TEST_F(SoundLayerTest, OpenDecodesWholeStereoTrack) {
    SoundLayer s;
    ASSERT_TRUE(s.open(tones));
    EXPECT_TRUE(s.isOpen());
    EXPECT_EQ(kRate, s.sampleRate());
    EXPECT_EQ(2, s.channels());
    EXPECT_EQ(static_cast<size_t>(kToneFrames), s.frameCount());  // exact, no padding
    EXPECT_EQ(2000u, s.lengthMs());
    ASSERT_NE(nullptr, s.pcm());
    // The tone is there at about its amplitude (0.5 of full scale).
    int16_t peak = 0;
    for (size_t i = 0; i < s.frameCount() * 2; ++i) peak = std::max<int16_t>(peak, std::abs(s.pcm()[i]));
    EXPECT_GT(peak, 13000);
    EXPECT_LT(peak, 20000);
    EXPECT_FALSE(s.hasDevice());
    EXPECT_TRUE(s.isPaused());
    EXPECT_EQ(0u, s.positionMs());
}

TEST_F(SoundLayerTest, MonoKeepsItsRateAndChannelAndBinsFollowTheRate) {
    const std::string path = tempFile("mono22k.ogg");
    writeOgg(path, 1, 22050, 0.5, [](int, double t) { return static_cast<float>(0.5 * std::sin(2 * kPi * 1000 * t)); });
    SoundLayer s;
    ASSERT_TRUE(s.open(path));
    EXPECT_EQ(22050, s.sampleRate());
    EXPECT_EQ(1, s.channels());
    EXPECT_EQ(11025u, s.frameCount());
    EXPECT_EQ(500u, s.lengthMs());
    std::vector<float> spec(1024);
    s.spectrumAt(250, spec.data());
    // 1000 Hz / (22050 / 2048) = 92.9
    const int bin = peakBin(spec);
    EXPECT_GE(bin, 92);
    EXPECT_LE(bin, 93);
}

TEST_F(SoundLayerTest, ThreeChannelsAreMixedDownToStereo) {
    const std::string path = tempFile("three.ogg");
    // Left, centre, right: only the left (channel 0) and right (channel 2) carry sound.
    writeOgg(path, 3, kRate, 0.3, [](int c, double t) {
        if (c == 0) return static_cast<float>(0.5 * std::sin(2 * kPi * 440 * t));
        if (c == 2) return static_cast<float>(0.5 * std::sin(2 * kPi * 3000 * t));
        return 0.0f;
    });
    SoundLayer s;
    ASSERT_TRUE(s.open(path));
    EXPECT_EQ(2, s.channels());
    EXPECT_EQ(static_cast<size_t>(std::lround(0.3 * kRate)), s.frameCount());
    // Left carries the 440 Hz tone and right the 3 kHz one: count zero crossings per channel.
    int crossings[2] = {0, 0};
    const int16_t* p = s.pcm();
    for (size_t i = 1; i < s.frameCount(); ++i)
        for (int c = 0; c < 2; ++c)
            if ((p[(i - 1) * 2 + c] < 0) != (p[i * 2 + c] < 0)) ++crossings[c];
    EXPECT_NEAR(2 * 440 * 0.3, crossings[0], 30);
    EXPECT_NEAR(2 * 3000 * 0.3, crossings[1], 100);
}

TEST_F(SoundLayerTest, BadFilesAreRefusedWithoutCrashing) {
    SoundLayer s;
    EXPECT_FALSE(s.open(dir + "/does-not-exist.ogg"));
    EXPECT_FALSE(s.open(dir));  // a directory

    const std::string empty = tempFile("empty.ogg");
    writeBytes(empty, {});
    EXPECT_FALSE(s.open(empty));

    const std::string text = tempFile("text.ogg");
    const std::string words = "This is not an Ogg Vorbis file, only some words.\n";
    writeBytes(text, std::vector<char>(words.begin(), words.end()));
    EXPECT_FALSE(s.open(text));

    // An Ogg capture pattern followed by noise.
    std::vector<char> noise(20000);
    unsigned seed = 7;
    for (char& c : noise) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    noise[0] = 'O', noise[1] = 'g', noise[2] = 'g', noise[3] = 'S';
    const std::string junk = tempFile("junk.ogg");
    writeBytes(junk, noise);
    EXPECT_FALSE(s.open(junk));

    // Cut inside the headers: no audio can be decoded.
    const std::vector<char> good = readBytes(tones);
    const std::string headerOnly = tempFile("header.ogg");
    writeBytes(headerOnly, std::vector<char>(good.begin(), good.begin() + 100));
    EXPECT_FALSE(s.open(headerOnly));

    // A refused file leaves nothing behind.
    EXPECT_FALSE(s.isOpen());
    EXPECT_EQ(0u, s.lengthMs());
    EXPECT_EQ(0u, s.frameCount());
    EXPECT_EQ(nullptr, s.pcm());
    EXPECT_EQ(0u, s.positionMs());
    EXPECT_FALSE(s.startDevice());
    std::vector<float> spec(1024, 5.0f);
    s.spectrum(spec.data());
    EXPECT_EQ(0.0f, *std::max_element(spec.begin(), spec.end()));
}

TEST_F(SoundLayerTest, FailedOpenDropsThePreviousTrack) {
    SoundLayer s;
    ASSERT_TRUE(s.open(tones));
    EXPECT_FALSE(s.open(dir + "/missing.ogg"));
    EXPECT_FALSE(s.isOpen());
    EXPECT_EQ(0u, s.lengthMs());
}

TEST_F(SoundLayerTest, TruncatedFileKeepsWhatDecoded) {
    const std::vector<char> good = readBytes(tones);
    const std::string half = tempFile("half.ogg");
    writeBytes(half, std::vector<char>(good.begin(), good.begin() + good.size() / 2));
    SoundLayer s;
    ASSERT_TRUE(s.open(half));
    EXPECT_GT(s.lengthMs(), 300u);
    EXPECT_LT(s.lengthMs(), 2000u);
    // What is left still starts with the 1 kHz tone.
    std::vector<float> spec(1024);
    s.spectrumAt(200, spec.data());
    EXPECT_NEAR(46.4, peakBin(spec), 1.0);
}

TEST_F(SoundLayerTest, DamageInTheMiddleKeepsLaterMusicInTime) {
    std::vector<char> bytes = readBytes(tones);
    // Overwrite a stretch in the middle, well past the headers, with noise.
    const size_t from = bytes.size() * 2 / 5, to = bytes.size() * 3 / 5;
    unsigned seed = 99;
    for (size_t i = from; i < to; ++i) bytes[i] = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    const std::string damaged = tempFile("damaged.ogg");
    writeBytes(damaged, bytes);

    SoundLayer s;
    ASSERT_TRUE(s.open(damaged));
    // The lost pages become silence, so the track keeps its length and the 9 kHz tone its time.
    EXPECT_NEAR(2000.0, s.lengthMs(), 30.0);
    std::vector<float> spec(1024);
    s.spectrumAt(1900, spec.data());
    EXPECT_NEAR(418, peakBin(spec), 1);
    s.spectrumAt(100, spec.data());
    EXPECT_NEAR(46.4, peakBin(spec), 1.0);
}

// Two Ogg streams one after the other form a chained stream.
std::string chain(const std::string& first, const std::string& second, const std::string& out) {
    std::vector<char> bytes = readBytes(first);
    const std::vector<char> tail = readBytes(second);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    writeBytes(out, bytes);
    return out;
}

float tone3k(int, double t) { return static_cast<float>(0.5 * std::sin(2 * kPi * 3000 * t)); }

TEST_F(SoundLayerTest, ChainedStreamPlaysEveryLinkInOrder) {
    const std::string second = tempFile("second.ogg");
    writeOgg(second, 2, kRate, 0.5, tone3k, 555);
    SoundLayer s;
    ASSERT_TRUE(s.open(chain(tones, second, tempFile("chained.ogg"))));
    EXPECT_EQ(static_cast<size_t>(kToneFrames + kRate / 2), s.frameCount());
    EXPECT_EQ(2500u, s.lengthMs());
    std::vector<float> spec(1024);
    s.spectrumAt(2250, spec.data());
    EXPECT_NEAR(139.3, peakBin(spec), 1.0);  // 3000 Hz / 21.53 Hz per bin
}

TEST_F(SoundLayerTest, LinkThatChangesFormatBecomesSilence) {
    const std::string mono = tempFile("mono-link.ogg");
    writeOgg(mono, 1, kRate, 0.5, tone3k, 556);
    SoundLayer s;
    ASSERT_TRUE(s.open(chain(tones, mono, tempFile("mixed.ogg"))));
    // The stereo part plays; the mono part keeps its place in the length as silence.
    EXPECT_EQ(2, s.channels());
    EXPECT_EQ(2500u, s.lengthMs());
    std::vector<float> spec(1024);
    s.spectrumAt(1500, spec.data());
    EXPECT_NEAR(418, peakBin(spec), 1);
    const int16_t* p = s.pcm();
    for (size_t i = static_cast<size_t>(kToneFrames) * 2; i < s.frameCount() * 2; ++i) ASSERT_EQ(0, p[i]) << i;
}

// --- spectrum -------------------------------------------------------------------------------

TEST_F(SoundLayerTest, SpectrumPeakFollowsTheToneAndReadsItsAmplitude) {
    SoundLayer s;
    ASSERT_TRUE(s.open(tones));
    std::vector<float> spec(1024);

    s.spectrumAt(500, spec.data());
    // 1000 Hz / (44100 / 2048) = 46.4
    int bin = peakBin(spec);
    EXPECT_GE(bin, 46);
    EXPECT_LE(bin, 47);
    // Amplitude 0.5, read a little lower between bin centres.
    EXPECT_GT(spec[bin], 0.35f);
    EXPECT_LT(spec[bin], 0.6f);
    // Far from the tone there is next to nothing.
    EXPECT_LT(spec[300], 0.01f);

    s.spectrumAt(1500, spec.data());
    bin = peakBin(spec);  // 9000 Hz -> 418.0
    EXPECT_GE(bin, 417);
    EXPECT_LE(bin, 419);
    EXPECT_GT(spec[bin], 0.35f);
    EXPECT_LT(spec[46], 0.01f);

    // spectrum() analyses the current position.
    s.setPositionMs(1500);
    std::vector<float> current(1024);
    s.spectrum(current.data());
    EXPECT_EQ(spec, current);
}

TEST_F(SoundLayerTest, SpectrumIsZeroOutsideTheTrack) {
    SoundLayer s;
    std::vector<float> spec(1024, 1.0f);
    s.spectrumAt(500, spec.data());  // nothing open
    EXPECT_EQ(0.0f, *std::max_element(spec.begin(), spec.end()));

    ASSERT_TRUE(s.open(tones));
    for (unsigned ms : {2000u, 2500u, 4000000000u}) {
        std::fill(spec.begin(), spec.end(), 1.0f);
        s.spectrumAt(ms, spec.data());
        EXPECT_EQ(0.0f, *std::max_element(spec.begin(), spec.end())) << ms;
    }
}

TEST_F(SoundLayerTest, SpectrumWritesExactlyTheBinsAskedFor) {
    SoundLayer s;
    ASSERT_TRUE(s.open(tones));
    std::vector<float> spec(1100, -1.0f);
    s.spectrumAt(500, spec.data(), 60);
    EXPECT_GT(spec[46] + spec[47], 0.3f);
    EXPECT_EQ(-1.0f, spec[60]);  // untouched past count

    s.spectrumAt(500, spec.data(), 1100);  // more than there are bins: the rest is zero
    for (int k = 1025; k < 1100; ++k) EXPECT_EQ(0.0f, spec[k]);
    s.spectrumAt(500, spec.data(), 0);
    s.spectrumAt(500, nullptr, 1024);
}

// A track kept for its spectrum only decodes on demand what the spectrum reads: the very same
// samples, also where the stream is damaged or cut, in any order of times.
TEST_F(SoundLayerTest, SpectrumOnlyTrackGivesTheSameSpectraWithoutHoldingTheTrack) {
    std::vector<char> bytes = readBytes(tones);
    const std::string half = tempFile("half.ogg");
    writeBytes(half, std::vector<char>(bytes.begin(), bytes.begin() + bytes.size() / 2));
    unsigned seed = 7;
    for (size_t i = bytes.size() * 2 / 5; i < bytes.size() * 3 / 5; ++i)
        bytes[i] = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    const std::string damaged = tempFile("damaged.ogg");
    writeBytes(damaged, bytes);

    for (const std::string& file : {tones, damaged, half}) {
        SCOPED_TRACE(file);
        SoundLayer whole, streamed;
        ASSERT_TRUE(whole.open(file));
        ASSERT_TRUE(streamed.open(file, SoundLayer::Keep::SpectrumOnly));
        EXPECT_EQ(whole.lengthMs(), streamed.lengthMs());
        EXPECT_EQ(streamed.pcm(), nullptr);
        EXPECT_FALSE(streamed.startDevice());  // nothing to play
        std::vector<float> a(1024), b(1024);
        for (unsigned ms : {0u, 10u, 500u, 517u, 1300u, 1990u, 700u, 40u, 2500u, 1000u}) {
            whole.spectrumAt(ms, a.data());
            streamed.spectrumAt(ms, b.data());
            EXPECT_EQ(a, b) << ms;
        }
    }
}

// --- position without a device ----------------------------------------------------------------

TEST_F(SoundLayerTest, WithoutDeviceThePositionIsTheOneSet) {
    SoundLayer s;
    ASSERT_TRUE(s.open(tones));
    s.setPaused(false);
    s.setPositionMs(1234);
    SDL_Delay(30);
    EXPECT_EQ(1234u, s.positionMs());
    s.setPositionMs(1);
    EXPECT_EQ(1u, s.positionMs());
    s.setPositionMs(999999);
    EXPECT_EQ(2000u, s.positionMs());
}

// --- playback on the dummy device ---------------------------------------------------------------

TEST_F(SoundLayerTest, PositionAdvancesSmoothlyWithWallTime) {
    SoundLayer s;
    ASSERT_TRUE(s.open(tones));
    startDummyDevice(s);
    EXPECT_TRUE(s.isPaused());
    SDL_Delay(50);
    EXPECT_EQ(0u, s.positionMs());  // paused device: nothing moves

    s.setPaused(false);
    const Uint32 t0 = SDL_GetTicks();
    unsigned previous = s.positionMs();
    const unsigned first = previous;
    int reads = 0, changes = 0;
    while (SDL_GetTicks() - t0 < 300) {
        SDL_Delay(4);
        const unsigned now = s.positionMs();
        EXPECT_GE(now, previous);
        ++reads;
        if (now != previous) ++changes;
        previous = now;
    }
    EXPECT_GE(previous - first, 150u);
    EXPECT_LE(previous - first, 600u);
    // Stepping only at each device buffer (~23 ms) would change on few of these reads.
    EXPECT_GT(changes * 2, reads);
}

TEST_F(SoundLayerTest, SeekWhilePlayingContinuesFromTheTarget) {
    SoundLayer s;
    ASSERT_TRUE(s.open(tones));
    startDummyDevice(s);
    s.setPaused(false);
    SDL_Delay(60);
    s.setPositionMs(1200);
    const unsigned atSeek = s.positionMs();
    EXPECT_GE(atSeek, 1200u);
    EXPECT_LE(atSeek, 1230u);
    // Waits for the position to move on (a loaded machine may run the device's thread late),
    // then reads it at once: it went on from the target, not from anywhere else.
    unsigned later = s.positionMs();
    for (int waited = 0; later <= atSeek + 40 && waited < 5000; waited += 5) {
        SDL_Delay(5);
        later = s.positionMs();
    }
    EXPECT_GT(later, atSeek + 40);
    EXPECT_LT(later, atSeek + 400);

    s.setPositionMs(300);  // backwards is allowed for a seek
    EXPECT_LE(s.positionMs(), 330u);
    EXPECT_GE(s.positionMs(), 300u);
}

TEST_F(SoundLayerTest, PlaybackStopsAtTheEndWithoutPassingIt) {
    SoundLayer s;
    ASSERT_TRUE(s.open(tones));
    startDummyDevice(s);
    s.setPositionMs(5000);  // clamped
    EXPECT_EQ(2000u, s.positionMs());
    s.setPositionMs(1950);
    s.setPaused(false);
    SDL_Delay(200);
    EXPECT_EQ(2000u, s.positionMs());
    SDL_Delay(50);
    EXPECT_EQ(2000u, s.positionMs());
}

TEST_F(SoundLayerTest, PauseStopsThePositionAndResumeContinuesWithoutJump) {
    SoundLayer s;
    ASSERT_TRUE(s.open(tones));
    startDummyDevice(s);
    s.setPaused(false);
    SDL_Delay(120);
    s.setPaused(true);
    EXPECT_TRUE(s.isPaused());
    const unsigned atPause = s.positionMs();
    EXPECT_GT(atPause, 40u);
    SDL_Delay(150);
    EXPECT_EQ(atPause, s.positionMs());

    s.setPaused(false);
    EXPECT_FALSE(s.isPaused());
    const unsigned atResume = s.positionMs();
    EXPECT_GE(atResume, atPause);
    EXPECT_LE(atResume, atPause + 15);
    SDL_Delay(120);
    const unsigned later = s.positionMs();
    EXPECT_GT(later, atResume + 40);
    EXPECT_LT(later, atResume + 300);

    // Seeking while paused moves the position but does not start it.
    s.setPaused(true);
    s.setPositionMs(700);
    SDL_Delay(50);
    EXPECT_EQ(700u, s.positionMs());
}

TEST_F(SoundLayerTest, UnusableDriverFallsBackToTheDummyOne) {
    SoundLayer s;
    ASSERT_TRUE(s.open(tones));
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ASSERT_TRUE(s.startDevice());
    EXPECT_TRUE(s.hasDevice());
    // The setting is put back once the device is open.
    ASSERT_NE(nullptr, std::getenv("SDL_AUDIODRIVER"));
    EXPECT_STREQ("no-such-driver", std::getenv("SDL_AUDIODRIVER"));
    s.setPaused(false);
    SDL_Delay(80);
    EXPECT_GT(s.positionMs(), 20u);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

TEST_F(SoundLayerTest, OnlyOneLayerHoldsTheDevice) {
    SoundLayer first;
    ASSERT_TRUE(first.open(tones));
    startDummyDevice(first);
    {
        SoundLayer second;
        ASSERT_TRUE(second.open(tones));
        EXPECT_FALSE(second.startDevice());
        EXPECT_FALSE(second.hasDevice());
    }
    // The first one still plays.
    first.setPaused(false);
    SDL_Delay(80);
    EXPECT_GT(first.positionMs(), 20u);
}

TEST_F(SoundLayerTest, ReopeningReleasesTheDevice) {
    SoundLayer s;
    ASSERT_TRUE(s.open(tones));
    startDummyDevice(s);
    s.setPaused(false);
    SDL_Delay(50);
    ASSERT_TRUE(s.open(tones));
    EXPECT_FALSE(s.hasDevice());
    EXPECT_EQ(0u, s.positionMs());
    startDummyDevice(s);  // and it can be opened again
}

}  // namespace
