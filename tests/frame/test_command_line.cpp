#include "frame/CommandLine.h"

#include "content/Demo.h"

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
    EXPECT_NE(parse({"--every", "2", "--video", "v.mp4"}).error, "");
    // Unknown words that are not ours are ignored, as is any word containing a window switch.
    EXPECT_EQ(parse({"whatever", "-x"}).error, "");
    Options o = parse({"--nomusic"});
    EXPECT_EQ(o.error, "");
    EXPECT_FALSE(o.musicWanted);
}

TEST(CommandLine, RangesScenesAndOutputsDoWhatTheySayOrAreRefused) {
    // Each row: the words, the start and end it gives, or the part of the message it is refused
    // with.
    const struct {
        std::vector<std::string> args;
        int fromMs, toMs;
        const char* refusal;
    } rows[] = {
        {{"--to", "60000", "--loop", "--from", "50000"}, 50000, 60000, nullptr},
        {{"--to", "253000"}, 0, 253000, nullptr},
        {{"--from", "252999"}, 252999, 253000, nullptr},
        {{"--from", "253000"}, 0, 0, "--from must be before the end of the score (253000 ms)"},
        {{"--from", "300000", "--capture", "d"}, 0, 0, "--from must be before the end"},
        {{"--to", "253001"}, 0, 0, "--to must not be past the end of the score"},
        {{"--to", "256000", "--video", "v.mp4"}, 0, 0, "--to must not be past the end"},
        {{"--from", "5000", "--to", "5000"}, 0, 0, "--to must be later than --from"},
        {{"--fps", "30"}, 0, 0, "--fps goes with --capture, --video or --bench"},
        {{"--every", "1"}, 0, 0, "--every goes with --capture"},
        {{"--fps", "30", "--bench"}, 0, 253000, nullptr},
        {{"--overwrite"}, 0, 0, "--overwrite goes with --capture or --video"},
        {{"--overwrite", "--bench"}, 0, 0, "--overwrite goes with"},
        // Scenes: no case, spaces or punctuation needed, a unique prefix will do, and a whole
        // title wins over the longer one it begins ("End" and "End Scroll").
        {{"--scene", "tree in a box"}, 208000, 253000, nullptr},
        {{"--scene", "TREEINABOX", "--capture", "d"}, 208000, 253000, nullptr},
        {{"--scene", "can you"}, 13000, 253000, nullptr},
        {{"--scene", "end"}, 227000, 253000, nullptr},
        {{"--scene", "end s", "--to", "170000"}, 164500, 170000, nullptr},
        {{"--scene", "have a beat with the lumerant."}, 60000, 253000, nullptr},
        {{"--scene", "can"}, 0, 0, "\"can\" could be any of: Can You Taste The Beat?, Cancerous"},
        {{"--scene", "lumerant"}, 110000, 253000, nullptr},
        {{"--scene", "budget"}, 0, 0, "no scene is called \"budget\""},  // prefixes only
        {{"--scene", "?!"}, 0, 0, "--scene needs a scene name"},
        {{"--scene", "end", "--to", "5000"}, 0, 0, "later than the start of the scene (227000 ms)"},
        {{"--scene", "end", "--from", "0"}, 0, 0, "--scene and --from cannot be combined"},
    };
    for (const auto& row : rows) {
        std::string words;
        for (const std::string& a : row.args) words += a + " ";
        const Options o = parse(row.args);
        if (row.refusal == nullptr) {
            EXPECT_EQ(o.error, "") << words;
            EXPECT_EQ(o.fromMs, row.fromMs) << words;
            EXPECT_EQ(o.toMs, row.toMs) << words;
        } else {
            EXPECT_NE(o.error.find(row.refusal), std::string::npos) << words << "-> " << o.error;
        }
    }
    // Every scene is found by its own title, at the start the listing gives it.
    for (const Demo::SceneSpan& span : Demo::sceneSpans()) {
        const Options o = parse({"--scene", span.title});
        EXPECT_EQ(o.error, "") << span.title;
        EXPECT_EQ(o.fromMs, span.startMs) << span.title;
    }
    EXPECT_TRUE(parse({"--list-scenes"}).listScenes);
}
