#include <gtest/gtest.h>

#include "frame/Bench.h"

// A frame's added memory is growth only when every scene on screen has settled; time is charged
// to every scene drawn, each once per frame.
TEST(BenchTally, ChargesGrowthOnlyToSettledFramesAndTimeToEveryScene) {
    BenchTally tally;
    tally.charge({"A"}, 0, 10.0, 1000);      // A starts
    tally.charge({"A"}, 1000, 10.0, 1500);   // A still in its first 2 s: not growth
    tally.charge({"A"}, 2000, 10.0, 1600);   // A settled: +100
    tally.charge({"A", "B", "B"}, 3000, 20.0, 5000);  // B starts beside A: charged to neither
    tally.charge({"A", "B"}, 4500, 20.0, -1);         // not measured: time only
    tally.charge({"A", "B"}, 5000, 20.0, 5030);       // both settled: +30 to each
    tally.charge({"B"}, 6000, 5.0, 4000);             // memory given back counts too

    ASSERT_EQ(tally.scenes.size(), 2u);
    EXPECT_EQ(tally.scenes[0].name, "A");
    EXPECT_EQ(tally.scenes[0].growthKiB, 130);
    EXPECT_EQ(tally.scenes[0].frameMs.size(), 6u);
    EXPECT_EQ(tally.scenes[1].name, "B");
    EXPECT_EQ(tally.scenes[1].firstMs, 3000);
    EXPECT_EQ(tally.scenes[1].growthKiB, 30 - 1030);
    EXPECT_EQ(tally.scenes[1].frameMs, (std::vector<double>{20.0, 20.0, 20.0, 5.0}));
}
