#include "PictureDiff.h"

#include <gtest/gtest.h>

namespace {

tools::Pixels grey(int width, int height, uint8_t value) {
    tools::Pixels p;
    p.width = width;
    p.height = height;
    p.channels = 3;
    p.bytes.assign(static_cast<size_t>(width * height * 3), value);
    return p;
}

}  // namespace

TEST(PictureDiff, CountsDifferencesAndJudgesTheTolerance) {
    const tools::Pixels a = grey(100, 10, 100);  // 3000 values
    tools::Pixels b = a;
    tools::PictureDiff same;
    ASSERT_TRUE(same.add(a, b));
    EXPECT_TRUE(same.identical());
    EXPECT_TRUE(same.withinTolerance());

    // 200 values off by one: mean 200 / 3000 = 0.067, all within 2.
    for (int i = 0; i < 200; ++i) b.bytes[static_cast<size_t>(i)] = 101;
    tools::PictureDiff rounding;
    ASSERT_TRUE(rounding.add(a, b));
    EXPECT_EQ(rounding.differing, 200);
    EXPECT_NEAR(rounding.meanAbs(), 200.0 / 3000.0, 1e-12);
    EXPECT_TRUE(rounding.withinTolerance());

    // Four values off by 40: the mean (0.053) passes, but only 99.87 % are within 2.
    b = a;
    for (int i = 0; i < 4; ++i) b.bytes[static_cast<size_t>(i)] = 60;
    tools::PictureDiff far;
    ASSERT_TRUE(far.add(a, b));
    EXPECT_EQ(far.maxAbs, 40);
    EXPECT_EQ(far.beyondTwo, 4);
    EXPECT_FALSE(far.withinTolerance());

    // One value off by 3 in a frame: within 2 is 99.97 %, mean 0.001: within the tolerance.
    b = a;
    b.bytes[0] = 103;
    tools::PictureDiff one;
    ASSERT_TRUE(one.add(a, b));
    EXPECT_TRUE(one.withinTolerance());

    // Frames add up: the total of both frames above.
    one.add(far);
    EXPECT_EQ(one.values, 6000);
    EXPECT_EQ(one.beyondTwo, 5);
    EXPECT_EQ(one.maxAbs, 40);
}

TEST(PictureDiff, RefusesFramesOfAnotherSize) {
    tools::PictureDiff d;
    EXPECT_FALSE(d.add(grey(10, 10, 0), grey(10, 11, 0)));
    EXPECT_EQ(d.values, 0);
}
