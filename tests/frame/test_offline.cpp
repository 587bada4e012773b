#include "frame/FrameCapture.h"
#include "frame/Offline.h"
#include "frame/VideoEncoder.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "resources/PngTestFiles.h"

TEST(Offline, FrameTimesNeverDriftAndTheCountCoversTheRange) {
    // At 60 fps the step alternates 16 and 17 ms, and frame 60 lands exactly on a second.
    EXPECT_EQ(captureFrameTime(0, 1, 60), 16);
    EXPECT_EQ(captureFrameTime(0, 2, 60), 33);
    EXPECT_EQ(captureFrameTime(1000, 60, 60), 2000);
    EXPECT_EQ(captureFrameTime(0, 15180, 60), 253000);
    OfflineRange r;
    EXPECT_EQ(offlineFrameCount(r), 15180);
    // The last frame lies before the end; one more would not.
    const long long n = offlineFrameCount(r);
    EXPECT_LT(captureFrameTime(r.fromMs, static_cast<int>(n - 1), r.fps), r.toMs);
    EXPECT_GE(captureFrameTime(r.fromMs, static_cast<int>(n), r.fps), r.toMs);
    r.fromMs = 100;
    r.toMs = 150;
    r.fps = 7;  // a step of 142 ms: one frame
    EXPECT_EQ(offlineFrameCount(r), 1);
    r.toMs = 100;
    EXPECT_EQ(offlineFrameCount(r), 0);
    EXPECT_EQ(captureFrameName("d", 42), "d/frame-000042.png");
}

TEST(Offline, FrameStatsUseNearestRankPercentile) {
    std::vector<double> ms;
    for (int i = 1; i <= 100; ++i) ms.push_back(i);
    std::reverse(ms.begin(), ms.end());
    FrameStats s = computeFrameStats(ms);
    EXPECT_EQ(s.frames, 100);
    EXPECT_DOUBLE_EQ(s.mean, 50.5);
    EXPECT_DOUBLE_EQ(s.median, 50.5);
    EXPECT_DOUBLE_EQ(s.p95, 95.0);
    EXPECT_DOUBLE_EQ(s.worst, 100.0);
    s = computeFrameStats({7.0});
    EXPECT_DOUBLE_EQ(s.p95, 7.0);
    EXPECT_DOUBLE_EQ(s.median, 7.0);
    EXPECT_EQ(computeFrameStats({}).frames, 0);
}

TEST(Offline, ProgressLineShowsPercentFramesAndTimeLeft) {
    const std::string half = progressLine(50, 100, 30.0);
    EXPECT_NE(half.find(" 50%"), std::string::npos);
    EXPECT_NE(half.find("frame 50/100"), std::string::npos);
    EXPECT_NE(half.find("0:30 left"), std::string::npos);
    EXPECT_NE(half.find("[###############---------------]"), std::string::npos);
    EXPECT_NE(progressLine(100, 100, 60.0).find("100%"), std::string::npos);
}

TEST(Offline, EncoderCommandPicksCodecsByExtensionAndOffsetsTheMusic) {
    auto has = [](const std::vector<std::string>& args, const std::string& a, const std::string& b) {
        for (size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == a && args[i + 1] == b) return true;
        return false;
    };
    auto mp4 = VideoEncoder::commandLine("out.mp4", 800, 600, 60, 12500, "m.ogg");
    EXPECT_TRUE(has(mp4, "-s", "800x600"));
    EXPECT_TRUE(has(mp4, "-framerate", "60"));
    EXPECT_TRUE(has(mp4, "-ss", "12.500"));  // the music starts where the frames do
    EXPECT_TRUE(has(mp4, "-c:v", "libx264"));
    EXPECT_TRUE(has(mp4, "-c:a", "aac"));
    EXPECT_EQ(mp4.back(), "out.mp4");
    auto webm = VideoEncoder::commandLine("a.b/out.webm", 320, 240, 10, 0, "");
    EXPECT_TRUE(has(webm, "-c:v", "libvpx-vp9"));
    EXPECT_EQ(std::count(webm.begin(), webm.end(), "-i"), 1);  // no music: one input
    auto mkv = VideoEncoder::commandLine("x.mkv", 320, 240, 10, 0, "m.ogg");
    EXPECT_TRUE(has(mkv, "-c:a", "libvorbis"));
    auto mov = VideoEncoder::commandLine("Clip.MOV", 320, 240, 10, 0, "m.ogg");
    EXPECT_TRUE(has(mov, "-c:v", "libx264") && has(mov, "-c:a", "aac"));
    // The extensions the command line knows, in any case; a dot in a folder name is no extension.
    for (const char* name : {"a.mp4", "b.MKV", "c.webm", "d.Mov"})
        EXPECT_TRUE(VideoEncoder::knownExtension(name)) << name;
    for (const char* name : {"a.avi", "mp4", "a.mp4/x", "a.", "a.mp4.part"})
        EXPECT_FALSE(VideoEncoder::knownExtension(name)) << name;
}

TEST(Offline, TheEncoderRunsAtALowerPriorityThanTheRendering) {
    if (getpriority(PRIO_PROCESS, 0) >= 19) GTEST_SKIP() << "already at the lowest priority";
    // A stand-in ffmpeg first on the PATH: it notes its niceness and takes the frames.
    pngtest::TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string script = dir.file("ffmpeg"), noted = dir.file("nice");
    std::ofstream(script) << "#!/bin/sh\nnice > '" << noted << "'\ncat > /dev/null\n";
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath != nullptr ? oldPath : "/usr/bin:/bin";
    setenv("PATH", (script.substr(0, script.rfind('/')) + ":" + savedPath).c_str(), 1);

    VideoEncoder encoder;
    std::string error;
    const bool started = encoder.start("out.mp4", 4, 2, 10, 0, "", &error);
    setenv("PATH", savedPath.c_str(), 1);
    ASSERT_TRUE(started) << error;
    EXPECT_TRUE(encoder.writeFrame(std::vector<uint8_t>(4 * 2 * 3, 7), &error)) << error;
    ASSERT_TRUE(encoder.finish(&error)) << error;
    int niceness = -100;
    std::ifstream(noted) >> niceness;
    EXPECT_GT(niceness, getpriority(PRIO_PROCESS, 0));
}
