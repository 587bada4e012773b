#include "OggWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

std::string tempPath(const char* name) { return std::string("/tmp/tool_tests_") + std::to_string(getpid()) + "_" + name; }

std::string fileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

tools::Stereo testSignal() {
    tools::Stereo s;
    s.resize(2 * 44100);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = static_cast<float>(i) / 44100.0f;
        s.left[i] = 0.4f * std::sin(2.0f * 3.14159265f * 440.0f * t);
        s.right[i] = 0.2f * std::sin(2.0f * 3.14159265f * 9000.0f * t);  // a high tone must survive
    }
    return s;
}

} // namespace

TEST(OggVorbis, EncodesAndDecodesStereoWithLengthAndLevelsKept) {
    std::string path = tempPath("tone.ogg");
    std::string error;
    tools::Stereo in = testSignal();
    ASSERT_TRUE(tools::writeOggVorbis(path, in, 44100, 0.6f, &error)) << error;
    tools::DecodedAudio out;
    ASSERT_TRUE(tools::readOggVorbis(path, &out, &error)) << error;
    EXPECT_EQ(out.channels, 2);
    EXPECT_EQ(out.sampleRate, 44100);
    ASSERT_EQ(out.audio.size(), in.size());
    auto rms = [](const std::vector<float>& v) {
        double s = 0;
        for (size_t i = 4410; i < v.size() - 4410; ++i) s += v[i] * v[i];
        return std::sqrt(s / (v.size() - 8820));
    };
    EXPECT_NEAR(20 * std::log10(rms(out.audio.left) / rms(in.left)), 0.0, 0.5);
    EXPECT_NEAR(20 * std::log10(rms(out.audio.right) / rms(in.right)), 0.0, 0.5);
    // The channels stay apart: little of the 440 Hz tone leaks into the right channel.
    double dot = 0;
    for (size_t i = 0; i < in.size(); ++i) dot += out.audio.right[i] * in.left[i];
    EXPECT_LT(std::fabs(dot) / in.size(), 0.01);
    std::remove(path.c_str());
}

TEST(OggVorbis, SameInputGivesTheSameFile) {
    std::string a = tempPath("a.ogg"), b = tempPath("b.ogg");
    tools::Stereo in = testSignal();
    ASSERT_TRUE(tools::writeOggVorbis(a, in, 44100, 0.5f));
    ASSERT_TRUE(tools::writeOggVorbis(b, in, 44100, 0.5f));
    std::string ba = fileBytes(a), bb = fileBytes(b);
    EXPECT_GT(ba.size(), 1000u);
    EXPECT_EQ(ba, bb);
    std::remove(a.c_str());
    std::remove(b.c_str());
}

TEST(OggVorbis, ReportsFilesItCannotOpen) {
    tools::DecodedAudio out;
    std::string error;
    EXPECT_FALSE(tools::readOggVorbis(tempPath("absent.ogg"), &out, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(tools::writeOggVorbis("/nonexistent-dir/x.ogg", testSignal(), 44100, 0.5f, &error));
}
