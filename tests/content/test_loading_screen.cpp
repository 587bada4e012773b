// The loading screen without drawing: its caption, how it lays out, its per-character motion,
// and what it does without its font image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "content/LoadingScreen.h"
#include "content/hang_on_image_folder.h"
#include "engine/Engine.h"
#include "render/BitmapFont.h"
#include "resources/TextureManager.h"

namespace {

class WindowlessEngine : public Engine {
public:
    WindowlessEngine() : Engine("loading test", 800, 600, 0, 0, false, 32, false, false, false) {}
    int loadContent() override { return 0; }
};

BitmapFont layoutFont() {
    return BitmapFont(nullptr, FontLayout::fromPixels(basicOutputFontLayout(), "font", 1024, 512));
}

// The caption's glyphs in the loading view: the modelview moves the caption `depth` away.
struct Placed {
    float x;     // projected
    float z;     // eye z
    int column;
    char ch;
};

std::vector<Placed> placedCaption(float depth, int* endColumn = nullptr, int* endLine = nullptr) {
    BitmapFont font = layoutFont();
    LoadingScreen::configureFont(font);
    std::vector<Placed> placed;
    for (const GlyphQuad& q : font.layout(LoadingScreen::printedText(), true, 0.0f, 0.0f, 1.25f,
                                          2.0f)) {
        const float z = q.origin.z + depth;
        placed.push_back(Placed{q.origin.x / -z, z, q.column, static_cast<char>(q.character)});
    }
    if (endColumn != nullptr) *endColumn = font.column;
    if (endLine != nullptr) *endLine = font.line;
    return placed;
}

}  // namespace

TEST(LoadingScreenTest, CaptionIsTenPrintableCharactersOnOneLine) {
    const std::string caption = LoadingScreen::kCaption;
    EXPECT_EQ(caption.size(), 10u);
    for (char c : caption) EXPECT_TRUE(c >= 32 && c <= 126) << static_cast<int>(c);
    const std::string printed = LoadingScreen::printedText();
    EXPECT_EQ(printed.size(), 11u);
    EXPECT_EQ(printed.back(), '\n');
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1);
}

TEST(LoadingScreenTest, CaptionReadsLeftToRightWithItsLeftEndNearer) {
    for (float phase : {0.0f, 1.6f, 4.7f}) {
        std::vector<Placed> placed = placedCaption(LoadingScreen::swayDepth(phase));
        std::sort(placed.begin(), placed.end(),
                  [](const Placed& a, const Placed& b) { return a.x < b.x; });
        std::string read;
        for (size_t i = 0; i < placed.size(); ++i) {
            if (i > 0) read.append(std::abs(placed[i].column - placed[i - 1].column) - 1, ' ');
            read.push_back(placed[i].ch);
        }
        EXPECT_EQ(read, LoadingScreen::kCaption);
        ASSERT_FALSE(placed.empty());
        EXPECT_GT(placed.front().z, placed.back().z);
        // The whole caption stays in front of the viewer.
        EXPECT_LT(placed.front().z, -1.0f);
    }
}

TEST(LoadingScreenTest, EachFrameLeavesTheCursorOnTheNextLineAndStartsAgain) {
    int column = -1, line = -1;
    placedCaption(-12.0f, &column, &line);
    EXPECT_EQ(column, 0);
    EXPECT_EQ(line, 7);
    // The next frame's set-up puts it back, so every frame prints on the same line.
    BitmapFont font = layoutFont();
    font.setCursor(column, line);
    LoadingScreen::configureFont(font);
    EXPECT_EQ(font.column, 1);
    EXPECT_EQ(font.line, 6);
}

TEST(LoadingScreenTest, AtTimeZeroTheMotionDependsOnTheColumnOnly) {
    EXPECT_EQ(LoadingScreen::userValue(0.0f), 0.0f);
    // Still, the ten characters do not all look alike.
    std::vector<float> greys;
    for (int column = 1; column <= 10; ++column)
        greys.push_back(LoadingScreen::characterPose(0.0f, static_cast<float>(column)).grey);
    EXPECT_GT(*std::max_element(greys.begin(), greys.end()) -
                  *std::min_element(greys.begin(), greys.end()),
              0.1f);
}

TEST(LoadingScreenTest, CharactersPulseAndTurnWithinTheirRanges) {
    float greyLow = 1e9f, greyHigh = -1e9f, depthHigh = 0.0f, angleHigh = 0.0f;
    for (int i = 0; i < 2000; ++i) {
        const float u = LoadingScreen::userValue(0.04f * static_cast<float>(i));
        const LoadingScreen::CharacterPose p =
            LoadingScreen::characterPose(u, static_cast<float>(1 + i % 10));
        greyLow = std::min(greyLow, p.grey);
        greyHigh = std::max(greyHigh, p.grey);
        depthHigh = std::max(depthHigh, std::fabs(p.depth));
        angleHigh = std::max(angleHigh, std::fabs(p.angleDegrees));
    }
    EXPECT_GE(greyLow, 0.5f - 1e-5f);
    EXPECT_LE(greyHigh, 1.0f + 1e-5f);
    EXPECT_LT(greyLow, 0.55f);
    EXPECT_GT(greyHigh, 0.95f);
    EXPECT_LE(depthHigh, 1.0f + 1e-5f);
    EXPECT_LE(angleHigh, 12.0f + 1e-4f);
    EXPECT_GT(angleHigh, 11.0f);
}

TEST(LoadingScreenTest, MotionSpeedsUpAsTimeGoesOn) {
    EXPECT_NEAR(LoadingScreen::userValue(1.0f), 2.0f, 1e-6f);
    EXPECT_NEAR(LoadingScreen::userValue(20.0f) / LoadingScreen::userValue(10.0f),
                std::pow(2.0, 1.1), 1e-5);
}

TEST(LoadingScreenTest, WithoutItsFontImageItHasNoTextToDraw) {
    textscene::ImageFolder empty({});
    ASSERT_TRUE(empty.ok());
    // Loading a missing image makes no OpenGL call: this runs without a context.
    LoadingScreen screen(nullptr, "Loading");
    EXPECT_EQ(screen.name, "Loading");
    EXPECT_EQ(screen.textures->find("basicOutputFont"), nullptr);
    EXPECT_FALSE(screen.font->canDraw());
}

TEST(LoadingScreenTest, FactoryMakesTheLoadingSceneForTheEngine) {
    textscene::ImageFolder empty({});
    ASSERT_TRUE(empty.ok());
    WindowlessEngine engine;
    Scene* scene = makeLoadingScreen(&engine);
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->name, "Loading");
    LoadingScreen* loading = dynamic_cast<LoadingScreen*>(scene);
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(loading->engine, &engine);
    delete scene;
}
