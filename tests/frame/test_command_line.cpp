#include "frame/CommandLine.h"

#include <gtest/gtest.h>

namespace {
Options parse(std::vector<std::string> args) { return parseCommandLine(args); }
}  // namespace

TEST(CommandLine, DefaultsAndResolutionTable) {
    Options o = parse({});
    EXPECT_TRUE(o.musicWanted);
    EXPECT_FALSE(o.fullscreen);
    EXPECT_EQ(o.windowWidth, 800);
    EXPECT_EQ(o.windowHeight, 600);
    const int table[][3] = {{320, 320, 240},   {640, 640, 480},    {800, 800, 600},
                            {1024, 1024, 768}, {1280, 1280, 1024}, {1000, 512, 384},
                            {0, 512, 384},     {-800, 512, 384}};
    for (const auto& row : table) {
        int w = 0, h = 0;
        windowSizeFor(row[0], &w, &h);
        EXPECT_EQ(w, row[1]) << row[0];
        EXPECT_EQ(h, row[2]) << row[0];
    }
}

TEST(CommandLine, SwitchesAreSubstringsAnywhere) {
    Options o = parse({"-nomusic", "-music"});
    EXPECT_TRUE(o.musicWanted);  // -music is tested last and wins
    o = parse({"-nomusic"});
    EXPECT_FALSE(o.musicWanted);
    o = parse({"xx-nomusicyy"});
    EXPECT_FALSE(o.musicWanted);
    o = parse({"-fullscreen", "-res:1024"});
    EXPECT_TRUE(o.fullscreen);
    EXPECT_EQ(o.windowWidth, 1024);
    EXPECT_EQ(o.windowHeight, 768);
    // The joined text is searched, so an option split over two words is not seen...
    o = parse({"-res:", "640"});
    EXPECT_EQ(o.windowWidth, 640);  // ...but "%d" skips the blank the join puts in
}

TEST(CommandLine, JunkAfterResKeepsTheDefaultOrGivesTheFallbackSize) {
    Options o = parse({"-res:abc"});
    EXPECT_EQ(o.requestedWidth, 800);
    EXPECT_EQ(o.windowWidth, 800);
    o = parse({"-res:1000"});
    EXPECT_EQ(o.windowWidth, 512);
    EXPECT_EQ(o.windowHeight, 384);
    o = parse({"-res:640x480"});
    EXPECT_EQ(o.windowWidth, 640);
    o = parse({"-res:99999999999999999999"});
    EXPECT_EQ(o.windowWidth, 512);
    o = parse({"-res:"});
    EXPECT_EQ(o.windowWidth, 800);
    // The first occurrence counts.
    o = parse({"-res:320", "-res:1280"});
    EXPECT_EQ(o.windowWidth, 320);
}

TEST(CommandLine, OwnLongOptionsTakeValuesThatNeverSwitchAnything) {
    Options o = parse({"--capture", "/tmp/a-nomusic-res:320", "--fps", "10", "--from", "2000",
                       "--to", "3000"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.captureDir, "/tmp/a-nomusic-res:320");
    EXPECT_TRUE(o.musicWanted);
    EXPECT_EQ(o.windowWidth, 800);
    EXPECT_EQ(o.fps, 10);
    EXPECT_EQ(o.fromMs, 2000);
    EXPECT_EQ(o.toMs, 3000);
    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"--version"}).version);
    EXPECT_TRUE(parse({"--print-score"}).printScore);
    o = parse({"--capture", "d", "--every", "30"});
    EXPECT_EQ(o.captureEvery, 30);
    o = parse({"--bench=stages"});
    EXPECT_TRUE(o.bench && o.benchStages && !o.benchJson);
}

TEST(CommandLine, SizeDesktopLoopAndFrom) {
    // --size wins over -res:, and the other switches still count.
    Options o = parse({"--size", "1920x1080", "-res:320", "-nomusic"});
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(o.windowWidth, 1920);
    EXPECT_EQ(o.windowHeight, 1080);
    EXPECT_FALSE(o.musicWanted);
    o = parse({"--size", "320x200"});
    EXPECT_EQ(o.windowWidth * 1000 + o.windowHeight, 320200);
    o = parse({"--size", "7680x4320", "--video", "v.mp4"});
    EXPECT_EQ(o.error, "");
    for (const char* bad : {"10x10", "wide", "1920x", "x1080", "7681x100", "1920x1080x2", "-320x200",
                            "99999999999x200", "1920 x1080"}) {
        o = parse({"--size", bad});
        EXPECT_NE(o.error.find("--size needs WIDTHxHEIGHT"), std::string::npos) << bad;
    }
    o = parse({"--desktop", "--loop", "--from", "120000"});
    EXPECT_EQ(o.error, "");
    EXPECT_TRUE(o.desktop && o.loop);
    EXPECT_EQ(o.fromMs, 120000);
    // Combinations that mean nothing get a message.
    EXPECT_NE(parse({"--desktop", "--size", "800x600"}).error, "");
    EXPECT_NE(parse({"--desktop", "-fullscreen"}).error, "");
    EXPECT_NE(parse({"--loop", "--capture", "d"}).error, "");
    EXPECT_NE(parse({"--desktop", "--bench"}).error, "");
}

TEST(CommandLine, BadOwnOptionsGiveAMessage) {
    EXPECT_NE(parse({"--capture"}).error, "");
    EXPECT_NE(parse({"--fps", "0", "--capture", "d"}).error, "");
    EXPECT_NE(parse({"--fps", "ten"}).error, "");
    EXPECT_NE(parse({"--from", "-5"}).error, "");
    EXPECT_NE(parse({"--capture", "d", "--from", "3000", "--to", "3000"}).error, "");
    EXPECT_NE(parse({"--frobnicate"}).error, "");
    EXPECT_NE(parse({"--capture", "d", "--every", "0"}).error, "");
    EXPECT_NE(parse({"--every", "2"}).error, "");  // only a capture writes frames
    // Unknown words that are not ours are ignored, as is any word containing a window switch.
    EXPECT_EQ(parse({"whatever", "-x"}).error, "");
    Options o = parse({"--nomusic"});
    EXPECT_EQ(o.error, "");
    EXPECT_FALSE(o.musicWanted);
}
