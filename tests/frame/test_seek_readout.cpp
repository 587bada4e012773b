#include "frame/SeekReadout.h"

#include <gtest/gtest.h>

TEST(SeekReadout, ShowsWhilePausedAndForTwoSecondsAfterASeek) {
    SeekReadout r;
    EXPECT_FALSE(r.visible(5000, false));  // no seek yet
    EXPECT_TRUE(r.visible(5000, true));
    r.noteSeek(10000);
    EXPECT_TRUE(r.visible(10000, false));
    EXPECT_TRUE(r.visible(11999, false));
    EXPECT_FALSE(r.visible(12000, false));
    EXPECT_TRUE(r.visible(20000, true));
    // SDL's tick counter wraps after 49 days; the read-out does not stick on for it.
    r.noteSeek(0xffffff00u);
    EXPECT_TRUE(r.visible(0x100u, false));
    EXPECT_FALSE(r.visible(0x1000u, false));
}

TEST(SeekReadout, TimeTextAndBar) {
    EXPECT_EQ(SeekReadout::timeText(103000, 253000), "1:43 / 4:13");
    EXPECT_EQ(SeekReadout::timeText(0, 253000), "0:00 / 4:13");
    EXPECT_EQ(SeekReadout::timeText(-1500, 253000), "0:00 / 4:13");
    EXPECT_EQ(SeekReadout::timeText(59999, 600000), "0:59 / 10:00");
    EXPECT_FLOAT_EQ(SeekReadout::barPosition(126500, 253000, 770.0f), 385.0f);
    EXPECT_FLOAT_EQ(SeekReadout::barPosition(-10, 253000, 770.0f), 0.0f);
    EXPECT_FLOAT_EQ(SeekReadout::barPosition(300000, 253000, 770.0f), 770.0f);
}
