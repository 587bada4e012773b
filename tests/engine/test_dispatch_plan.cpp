// The dispatch's decisions per frame, computed from the timeline alone (no window needed).
#include "content/Demo.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// An engine with no window: a render size of 0 stops construction before any set-up.
class TimelineOnly : public Engine {
public:
    TimelineOnly() : Engine("t", 800, 600, 0, 0, false, 32, false, false, false) {
        registerScene(nullptr);
    }
    int loadContent() override { return 0; }
    int add(const char* name) { return registerScene(new DefaultScene(this, name)); }
};

}  // namespace

TEST(DispatchPlan, RegistryIdsAndLookups) {
    TimelineOnly e;
    int a = e.add("A");
    int b = e.add("B");
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(e.sceneById(0), nullptr);
    EXPECT_EQ(e.sceneById(-1), nullptr);
    EXPECT_EQ(e.sceneById(3), nullptr);
    EXPECT_EQ(e.idOf(e.sceneById(2)), 2);
    EXPECT_EQ(e.idOf(nullptr), 0);  // the null scene holds id 0
    int v = e.addEffect("fadeOn", a, b, 0, 100);
    EXPECT_EQ(v, 3);
    EXPECT_EQ(e.sceneById(v)->name, "virtual0_A_B");
    EXPECT_EQ(e.effects.back().kind, EffectKind::FadeOn);  // the name is read once, here
    int w = e.addEffect("blur", b, -1, 0, 100);
    EXPECT_EQ(e.effects.back().kind, EffectKind::Blur);
    EXPECT_EQ(effectKindOf("fade"), EffectKind::Fade);
    EXPECT_EQ(effectKindOf("Blur"), EffectKind::Unknown);
    EXPECT_EQ(e.sceneById(w)->name, "virtual1_B");
    // Long names are built whole.
    int longId = e.add(std::string(400, 'x').c_str());
    (void)longId;
    // Scheduling the null scene or an unknown id does nothing.
    e.schedule(0, 0, 100);
    e.schedule(99, 0, 100);
    EXPECT_TRUE(e.scheduleEntries.empty());
}

TEST(DispatchPlan, FadeOnHidesItsInputAndTakesTheSlotAfterTheScenes) {
    TimelineOnly e;
    int hang = e.add("Hang On With Us");
    int pre = e.add("Pre Cooked Thoughts");
    e.schedule(hang, 0, 5000);
    e.schedule(pre, 3000, 14500);
    std::vector<float> params = {1.0f};
    int v = e.addEffect("fadeOn", pre, -1, 3000, 4000, &params);
    e.schedule(v, 3000, 4000);

    FramePlan p = e.planFrame(3500);
    ASSERT_EQ(p.sceneIds.size(), 2u);
    EXPECT_EQ(p.sceneIds[0], hang);
    EXPECT_EQ(p.sceneIds[1], pre);
    ASSERT_EQ(p.effects.size(), 1u);
    EXPECT_EQ(p.effects[0].slotA, 1);
    EXPECT_FLOAT_EQ(p.effects[0].progress, 0.5f);
    EXPECT_EQ(p.consumed, std::vector<int>{pre});
    EXPECT_EQ(p.layerIds, (std::vector<int>{hang, v}));
    EXPECT_EQ(p.layerSlots, (std::vector<int>{0, 2}));
    EXPECT_EQ(p.slotsNeeded, 3);
    EXPECT_FALSE(p.onlyLayerInFrameBuffer);
    // Alone on screen, a scene's picture is drawn as the layer straight from the frame buffer.
    EXPECT_TRUE(e.planFrame(100).onlyLayerInFrameBuffer);
    EXPECT_TRUE(e.planFrame(6000).onlyLayerInFrameBuffer);
    EXPECT_FALSE(e.planFrame(4000).onlyLayerInFrameBuffer);  // two layers
    // Progress is 0 at the start; the end itself is outside the window.
    EXPECT_FLOAT_EQ(e.planFrame(3000).effects[0].progress, 0.0f);
    EXPECT_TRUE(e.planFrame(4000).effects.empty());
    EXPECT_EQ(e.planFrame(4000).layerIds, (std::vector<int>{hang, pre}));
}

TEST(DispatchPlan, OverlapsInactiveInputsAndEmptyFrames) {
    TimelineOnly e;
    int a = e.add("A");
    int b = e.add("B");
    e.schedule(a, 0, 100);
    e.schedule(a, 50, 150);  // two overlapping entries: two slots
    FramePlan twice = e.planFrame(60);
    EXPECT_EQ(twice.scenes.size(), 2u);
    EXPECT_EQ(twice.layerSlots, (std::vector<int>{0, 0}));  // the first position of the id
    // An effect whose input is not active reads slot n (the first effect slot).
    int v = e.addEffect("fadeOn", b, -1, 0, 200);
    e.schedule(v, 0, 300);
    FramePlan p = e.planFrame(120);
    EXPECT_EQ(p.effects[0].slotA, 1);
    EXPECT_TRUE(p.consumed.empty());
    // A virtual scene shown while its effect is inactive points past the written slots.
    FramePlan late = e.planFrame(250);
    EXPECT_TRUE(late.scenes.empty());   // nothing registered: the frame is just cleared
    EXPECT_TRUE(late.layerIds.empty());
    e.schedule(b, 200, 300);
    FramePlan stale = e.planFrame(250);
    EXPECT_EQ(stale.layerIds, (std::vector<int>{v, b}));
    EXPECT_EQ(stale.layerSlots, (std::vector<int>{1, 0}));
    EXPECT_FALSE(stale.onlyLayerInFrameBuffer);

    // Effects whose start equals their end are never active.
    e.addEffect("blur", a, -1, 10, 10);
    for (const FramePlan::Effect& effect : e.planFrame(10).effects)
        EXPECT_NE(effect.entry->kind, EffectKind::Blur);
}

TEST(DispatchPlan, TheWholeScoreGivesItsLayerStacks) {
    Demo demo(800, 600, 0, 0, false, 32, false, false, false);
    demo.buildScore(true);
    const std::vector<std::string> expected = {
        "0 3000: Hang On With Us [0]",
        "3000 4000: Hang On With Us [0], fadeOn(Pre Cooked Thoughts) [2]",
        "4000 5000: fadeOff(Hang On With Us) [2], Pre Cooked Thoughts [1]",
        "5000 6500: Pre Cooked Thoughts [0]",
        "6500 11500: Pre Cooked Thoughts [0], ORVEL Is In The House [1]",
        "11500 12500: Pre Cooked Thoughts [0]",
        "12500 13000: Pre Cooked Thoughts [0], fadeOn(Funky Stripes) [2]",
        "13000 13500: Pre Cooked Thoughts [0], Funky Stripes [1], fadeOn(Can You Taste The Beat?) [3]",
        "13500 14000: Pre Cooked Thoughts [0], Funky Stripes [1], Can You Taste The Beat? [2]",
        "14000 14500: fadeOff(Pre Cooked Thoughts) [3], Funky Stripes [1], Can You Taste The Beat? [2]",
        "14500 19000: Funky Stripes [0], Can You Taste The Beat? [1]",
        "19000 29000: Funky Stripes [0]",
        "29000 31000: blur(Funky Stripes) [1]",
        "31000 55000: Cancerous [0]",
        "55000 60000: Spectral Sleep [0]",
        "60000 80000: Spectral Sleep [0], Have a beat with the lumerant. [1]",
        "80000 94000: Spectral Sleep [0]",
        "94000 95000: Spectral Sleep [0], fadeOn(Verdanth) [1]",
        "95000 96000: fadeOn(Verdanth) [1]",
        "96000 109000: Verdanth [0]",
        "109000 110000: fadeOff(Verdanth) [1]",
        "110000 111000: fadeOff(Verdanth) [2], Lumerant Budget [0], We Have Eaten Our Lumerant Pills [1]",
        "111000 125000: Lumerant Budget [0], We Have Eaten Our Lumerant Pills [1]",
        "125000 134500: Lumerant Budget [0]",
        "134500 135000: fadeOff(Lumerant Budget) [1]",
        "135000 135500: fadeOn(BubblesOfLife) [1]",
        "135500 164500: BubblesOfLife [0]",
        "164500 166000: fadeOn(End Scroll) [1]",
        "166000 191000: End Scroll [0]",
        "191000 193000: fadeOn(Greetings) [1]",
        "193000 208000: Greetings [0]",
        "208000 227000: Tree In A Box [0]",
        "227000 249000: Tree In A Box [0], End [1]",
        "249000 251000: End [1], blur(Tree In A Box) [2]",
        "251000 253000: none",
    };
    const std::vector<std::string> actual = demo.describeScore(253000);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]);
    // The busiest frame of the score: three scenes and one effect.
    EXPECT_EQ(demo.planFrame(13200).slotsNeeded, 4);
    int most = 0;
    for (int t = 0; t < 253000; t += 250) most = std::max(most, demo.planFrame(t).slotsNeeded);
    EXPECT_EQ(most, 4);
    EXPECT_EQ(demo.sceneById(17 + 5)->name, "virtual5_Funky Stripes");
    EXPECT_EQ(demo.sceneById(17)->name, "virtual0_Hang On With Us");

    // What the seek read-out names: the scene on top, an effect's input for the effect.
    EXPECT_EQ(demo.sceneOnTop(1000), "Hang On With Us");
    EXPECT_EQ(demo.sceneOnTop(3500), "Pre Cooked Thoughts");
    EXPECT_EQ(demo.sceneOnTop(70000), "Have a beat with the lumerant.");
    EXPECT_EQ(demo.sceneOnTop(250000), "Tree In A Box");
    EXPECT_EQ(demo.sceneOnTop(252000), "");
    const std::vector<int> bounds = demo.sceneBoundaries();
    EXPECT_EQ(bounds.front(), 0);
    EXPECT_EQ(bounds.back(), 251000);
    EXPECT_TRUE(std::is_sorted(bounds.begin(), bounds.end()));
    EXPECT_NE(std::find(bounds.begin(), bounds.end(), 31000), bounds.end());
    EXPECT_EQ(std::find(bounds.begin(), bounds.end(), 249000), bounds.end());  // an effect's
}

TEST(RenderSizing, EveryWindowSizeOfTheTableRendersAtAPowerOfTwoInside) {
    const int table[][4] = {{800, 600, 512, 512},  {640, 480, 512, 256},   {1024, 768, 1024, 512},
                            {1280, 1024, 1024, 1024}, {320, 240, 256, 128}, {512, 384, 512, 256}};
    for (const auto& row : table) {
        EXPECT_EQ(powerOfTwoTextureSize(row[0], false), row[2]) << row[0];
        EXPECT_EQ(powerOfTwoTextureSize(row[1], false), row[3]) << row[1];
    }
    // Sizes of today's screens: the largest power-of-two area inside.
    EXPECT_EQ(powerOfTwoTextureSize(1920, false), 1024);
    EXPECT_EQ(powerOfTwoTextureSize(1080, false), 1024);
    EXPECT_EQ(powerOfTwoTextureSize(7680, false), 4096);
    EXPECT_EQ(powerOfTwoTextureSize(200, false), 128);
    // Kept exactly: the texture covers the render size.
    EXPECT_EQ(powerOfTwoTextureSize(600, true), 1024);
    EXPECT_EQ(powerOfTwoTextureSize(512, true), 512);
    EXPECT_EQ(powerOfTwoTextureSize(1, true), 1);
    EXPECT_EQ(powerOfTwoTextureSize(1, false), 1);
}
