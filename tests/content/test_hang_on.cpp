// The text parts without drawing: the texts' structure, how they lay out on screen, and the
// timing of their motions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "content/SceneHangOn.h"
#include "engine/Engine.h"
#include "render/BitmapFont.h"
#include "render/Camera.h"

namespace {

using Motion = SceneHangOn::Motion;

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back().push_back(c);
    }
    return lines;
}

// The lines a viewer sees, without blank lines before the first and after the last text line.
std::vector<std::string> visibleLines(const std::string& text) {
    std::vector<std::string> lines = splitLines(text);
    while (!lines.empty() && lines.front().empty()) lines.erase(lines.begin());
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

// The part's text laid out by the font with the part's own frame, metrics and cursor, in the
// eye space of its sharp pass (the stack stands at its depth in front of an eye at the origin
// looking down -z).
struct ScreenGlyph {
    float x, y;  // projected: eye x and y over distance
    int column, line;
    char ch;
};

std::vector<ScreenGlyph> screenGlyphs(int part, float t) {
    BitmapFont font(nullptr, FontLayout::fromPixels(basicOutputFontNoShadowLayout(), "font",
                                                    2048, 1024));
    SceneHangOn::configureFont(font, part, t);
    const SceneHangOn::TextStack stack = SceneHangOn::textStack(part, t, false);
    font.setCursor(stack.column, stack.line);
    std::vector<ScreenGlyph> glyphs;
    for (const GlyphQuad& q :
         font.layout(SceneHangOn::partText(part), stack.centre, 0.0f, 0.0f, 1.25f, 2.0f)) {
        const float distance = -(q.origin.z + stack.depth);
        glyphs.push_back(ScreenGlyph{q.origin.x / distance, q.origin.y / distance, q.column,
                                     q.line, static_cast<char>(q.character)});
    }
    return glyphs;
}

// Reads the glyphs as a viewer would: lines from the top of the screen down, characters from
// left to right; skipped columns are spaces and skipped line numbers blank lines.
std::vector<std::string> readScreen(const std::vector<ScreenGlyph>& glyphs) {
    std::map<int, std::vector<ScreenGlyph>> byLine;
    for (const ScreenGlyph& g : glyphs) byLine[g.line].push_back(g);
    struct Line {
        float y;
        int number;
        std::vector<ScreenGlyph> glyphs;
    };
    std::vector<Line> lines;
    for (auto& entry : byLine) {
        float y = 0.0f;
        for (const ScreenGlyph& g : entry.second) y += g.y;
        lines.push_back(Line{y / static_cast<float>(entry.second.size()), entry.first,
                             entry.second});
    }
    std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.y > b.y; });
    std::vector<std::string> read;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            const int gap = std::abs(lines[i].number - lines[i - 1].number);
            for (int k = 1; k < gap; ++k) read.emplace_back();
        }
        std::vector<ScreenGlyph>& g = lines[i].glyphs;
        std::sort(g.begin(), g.end(),
                  [](const ScreenGlyph& a, const ScreenGlyph& b) { return a.x < b.x; });
        std::string text;
        for (size_t j = 0; j < g.size(); ++j) {
            if (j > 0) text.append(std::abs(g[j].column - g[j - 1].column) - 1, ' ');
            text.push_back(g[j].ch);
        }
        read.push_back(text);
    }
    return read;
}

class WindowlessEngine : public Engine {
public:
    // A render size of 0 stops the engine before it opens a window: cameras still work.
    WindowlessEngine() : Engine("text test", 800, 600, 0, 0, false, 32, false, false, false) {}
    int loadContent() override { return 0; }
};

}  // namespace

// --- The texts ---------------------------------------------------------------------------

TEST(HangOnTextTest, LineCountsOfEveryPart) {
    // Visible lines of each part as the font counts them (the part after the final line break
    // is empty and holds nothing).
    const int expected[SceneHangOn::kPartCount] = {1, 6, 1, 16, 18, 1, 1, 1};
    for (int part = 0; part < SceneHangOn::kPartCount; ++part) {
        const std::string text = SceneHangOn::partText(part);
        ASSERT_FALSE(text.empty()) << "part " << part;
        EXPECT_EQ(text.back(), '\n') << "part " << part;
        const std::vector<std::string> lines = splitLines(text);
        EXPECT_TRUE(lines.back().empty()) << "part " << part;
        EXPECT_EQ(static_cast<int>(lines.size()) - 1, expected[part]) << "part " << part;
    }
}

TEST(HangOnTextTest, CharacterCountsOfTheFixedLengthTexts) {
    // Characters of the text before the final line break, line breaks inside included.
    const std::map<int, int> expected = {{0, 16}, {2, 21}, {3, 137}, {5, 27}, {6, 83}, {7, 78}};
    for (const auto& entry : expected) {
        const std::string text = SceneHangOn::partText(entry.first);
        EXPECT_EQ(static_cast<int>(text.size()) - 1, entry.second) << "part " << entry.first;
    }
    // One-line parts: nothing but the final line break.
    for (int part : {0, 2, 5, 6, 7}) {
        const std::string text = SceneHangOn::partText(part);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << "part " << part;
    }
}

TEST(HangOnTextTest, EveryCharacterHasAGlyphCell) {
    for (int part = 0; part < SceneHangOn::kPartCount; ++part)
        for (char c : SceneHangOn::partText(part))
            EXPECT_TRUE(c == '\n' || (c >= 32 && c <= 126))
                << "part " << part << " code " << static_cast<int>(c);
}

TEST(HangOnTextTest, TheHouseIsFiveOneWordLinesAfterAnEmptyOne) {
    const std::string text = SceneHangOn::partText(1);
    EXPECT_EQ(text.front(), '\n');
    const std::vector<std::string> words = visibleLines(SceneHangOn::readingText(1));
    ASSERT_EQ(words.size(), 5u);
    EXPECT_EQ(words.front(), "ORVEL");
    EXPECT_EQ(words.back().back(), '.');
    for (const std::string& w : words) {
        EXPECT_FALSE(w.empty());
        EXPECT_EQ(w.find(' '), std::string::npos) << w;
    }
}

TEST(HangOnTextTest, CreditsPresentTheProductionThenThreeCreditBlocks) {
    // Like part 1, the stored credits begin with a line break: the start column then falls on
    // an empty line.
    EXPECT_EQ(SceneHangOn::partText(3).front(), '\n');
    // Blocks of consecutive lines, separated by blank lines.
    std::vector<std::vector<std::string>> blocks(1);
    for (const std::string& line : visibleLines(SceneHangOn::readingText(3))) {
        if (line.empty())
            blocks.emplace_back();
        else
            blocks.back().push_back(line);
    }
    ASSERT_EQ(blocks.size(), 4u);
    ASSERT_EQ(blocks[0].size(), 4u);
    const std::string presentation = blocks[0][0] + blocks[0][1] + blocks[0][2] + blocks[0][3];
    EXPECT_NE(presentation.find("VERDANTH"), std::string::npos);
    EXPECT_NE(presentation.find("ORVEL"), std::string::npos);
    const char* const headings[3] = {"CODE", "MUSIC", "GRAPHICS"};
    for (int b = 0; b < 3; ++b) {
        ASSERT_GE(blocks[b + 1].size(), 2u) << headings[b];
        EXPECT_EQ(blocks[b + 1][0], headings[b]);
    }
}

TEST(HangOnTextTest, GreetingsAreAHeaderABlankLineAndSixteenDistinctNames) {
    const std::string text = SceneHangOn::partText(4);
    EXPECT_EQ(text, SceneHangOn::readingText(4));  // stored in reading order
    std::vector<std::string> lines = splitLines(text);
    ASSERT_EQ(lines.size(), 19u);
    EXPECT_NE(lines[0].find("ORVEL"), std::string::npos);
    EXPECT_TRUE(lines[1].empty());
    const std::set<std::string> names(lines.begin() + 2, lines.end() - 1);
    EXPECT_EQ(names.size(), 16u);
    EXPECT_EQ(names.count(""), 0u);
}

TEST(HangOnTextTest, LongLinesAreSegmentsSeparatedByRunsOfSpaces) {
    auto segments = [](const std::string& line) {
        std::vector<std::string> parts;
        size_t start = 0;
        for (;;) {
            size_t run = line.find("  ", start);
            parts.push_back(line.substr(start, run - start));
            if (run == std::string::npos) break;
            start = line.find_first_not_of(' ', run);
        }
        return parts;
    };
    const std::vector<std::string> beat = segments(visibleLines(SceneHangOn::readingText(6))[0]);
    ASSERT_EQ(beat.size(), 3u);
    EXPECT_NE(beat[0].find("Verdanth"), std::string::npos);
    const std::vector<std::string> end = segments(visibleLines(SceneHangOn::readingText(7))[0]);
    ASSERT_EQ(end.size(), 2u);
    EXPECT_NE(end[1].find("ORVEL"), std::string::npos);
}

TEST(HangOnTextTest, PartNumbersOutsideTheTableHaveNoText) {
    EXPECT_TRUE(SceneHangOn::partText(-1).empty());
    EXPECT_TRUE(SceneHangOn::partText(8).empty());
}

// --- On screen ---------------------------------------------------------------------------

TEST(HangOnLayoutTest, EveryPartReadsInTheRightOrderOnScreen) {
    // Texts stored backwards and printed with negative advances must still read forwards, top
    // to bottom and left to right, in the sharp pass as the viewer sees it.
    for (int part = 0; part < SceneHangOn::kPartCount; ++part) {
        const std::vector<std::string> read = readScreen(screenGlyphs(part, 2.0f));
        EXPECT_EQ(read, visibleLines(SceneHangOn::readingText(part))) << "part " << part;
    }
}

TEST(HangOnLayoutTest, CentredPartsCentreEveryLineOnThePosition) {
    for (int part : {1, 3, 4}) {
        BitmapFont font(nullptr, FontLayout::fromPixels(basicOutputFontNoShadowLayout(), "font",
                                                        2048, 1024));
        SceneHangOn::configureFont(font, part, 1.0f);
        const SceneHangOn::TextStack stack = SceneHangOn::textStack(part, 1.0f, false);
        ASSERT_TRUE(stack.centre);
        font.setCursor(stack.column, stack.line);
        // Extent of each line along the right axis, relative to the position.
        std::map<int, std::pair<float, float>> extent;
        for (const GlyphQuad& q :
             font.layout(SceneHangOn::partText(part), true, 0.0f, 0.0f, 1.25f, 2.0f)) {
            const Vec3 offset = q.origin - font.position -
                                font.up * (static_cast<float>(q.line) * font.lineAdvance);
            const float along = dot(offset, font.right) / dot(font.right, font.right);
            auto it = extent.find(q.line);
            if (it == extent.end())
                extent[q.line] = {along, along};
            else
                it->second = {std::min(it->second.first, along),
                              std::max(it->second.second, along)};
        }
        for (const auto& line : extent)
            EXPECT_NEAR(line.second.first + line.second.second, 0.0f, 1e-3f)
                << "part " << part << " line " << line.first;
    }
}

TEST(HangOnLayoutTest, TheHouseWordsStandOnLinesMinusTwoToTwo) {
    std::set<int> lines;
    for (const ScreenGlyph& g : screenGlyphs(1, 1.0f)) lines.insert(g.line);
    EXPECT_EQ(lines, (std::set<int>{-2, -1, 0, 1, 2}));
}

TEST(HangOnLayoutTest, TrailingLinesScrollInFromBeyondTheRightEdge) {
    // Half the width of the view at unit distance: fov 45, aspect 800/600.
    const float edge = std::tan(22.5f * 3.14159265f / 180.0f) * (800.0f / 600.0f);
    for (int part : {5, 6, 7}) {
        float leftmostAtStart = 1e9f;
        for (const ScreenGlyph& g : screenGlyphs(part, 0.0f))
            leftmostAtStart = std::min(leftmostAtStart, g.x);
        EXPECT_GT(leftmostAtStart, edge) << "part " << part;
        int inView = 0;
        for (const ScreenGlyph& g : screenGlyphs(part, 4.0f))
            if (std::fabs(g.x) < edge && std::fabs(g.y) < edge) ++inView;
        EXPECT_GT(inView, 0) << "part " << part;
    }
}

TEST(HangOnLayoutTest, EveryPartHasTextInViewAtSomePointOfItsSchedule) {
    // How long each part is scheduled, in seconds.
    const float shown[SceneHangOn::kPartCount] = {5, 5, 6, 26.5, 17, 15, 20, 24};
    const float edge = std::tan(22.5f * 3.14159265f / 180.0f);
    for (int part = 0; part < SceneHangOn::kPartCount; ++part) {
        int framesWithText = 0;
        for (float t = 0.0f; t < shown[part]; t += 0.5f) {
            for (const ScreenGlyph& g : screenGlyphs(part, t)) {
                if (std::fabs(g.x) < edge && std::fabs(g.y) < edge) {
                    ++framesWithText;
                    break;
                }
            }
        }
        EXPECT_GT(framesWithText, 0) << "part " << part;
    }
}

// --- Timing ------------------------------------------------------------------------------

TEST(HangOnTimingTest, TextsStartFromTheirPlacesAtOneSecondAndMoveLeft) {
    const SceneHangOn::Placement two = SceneHangOn::placement(2, 1.0f);
    EXPECT_FLOAT_EQ(two.position.x, 8.5f);
    EXPECT_FLOAT_EQ(two.position.y, 6.84f);
    EXPECT_FLOAT_EQ(two.position.z, 0.0f);
    const SceneHangOn::Placement five = SceneHangOn::placement(5, 1.0f);
    EXPECT_FLOAT_EQ(five.position.x, 8.5f);
    EXPECT_FLOAT_EQ(five.position.y, 5.84f);
    for (int part : {2, 5, 6, 7}) {
        const float moved = SceneHangOn::placement(part, 1.5f).position.x -
                            SceneHangOn::placement(part, 1.0f).position.x;
        EXPECT_NEAR(moved, -3.0f, 1e-5f) << "part " << part;
    }
}

TEST(HangOnTimingTest, StackPaceGrowsFasterThanTimeAndStaysFiniteBeforeTheStart) {
    const float one = SceneHangOn::textStack(0, 1.0f, false).value;
    const float two = SceneHangOn::textStack(0, 2.0f, false).value;
    EXPECT_FLOAT_EQ(one, 2.0f);
    EXPECT_NEAR(two / one, std::pow(2.0, 1.1), 1e-5);
    // After a seek back past the part's start the running time is negative.
    const float before = SceneHangOn::textStack(0, -0.5f, false).value;
    EXPECT_TRUE(std::isfinite(before));
    // The credits and greetings run on plain time.
    EXPECT_FLOAT_EQ(SceneHangOn::textStack(3, 3.0f, false).value, 3.0f);
    EXPECT_FLOAT_EQ(SceneHangOn::textStack(4, 3.0f, true).value, 6.0f);
}

TEST(HangOnMotionTest, NodIgnoresTheLineAndRockMovesByLine) {
    for (float u : {0.0f, 1.3f, 7.9f}) {
        const SceneHangOn::CharacterPose a = SceneHangOn::characterPose(Motion::Nod, u, 3, 0);
        const SceneHangOn::CharacterPose b = SceneHangOn::characterPose(Motion::Nod, u, 3, 5);
        EXPECT_EQ(a.translation.z, b.translation.z);
        EXPECT_EQ(a.angleDegrees, b.angleDegrees);
        EXPECT_EQ(a.colour.x, b.colour.x);
    }
    // Rock: depth by line, turn by column.
    const SceneHangOn::CharacterPose r0 = SceneHangOn::characterPose(Motion::Rock, 1.0f, 0, 0);
    const SceneHangOn::CharacterPose rLine = SceneHangOn::characterPose(Motion::Rock, 1.0f, 0, 2);
    const SceneHangOn::CharacterPose rCol = SceneHangOn::characterPose(Motion::Rock, 1.0f, 2, 0);
    EXPECT_NE(r0.translation.z, rLine.translation.z);
    EXPECT_EQ(r0.translation.z, rCol.translation.z);
    EXPECT_EQ(r0.angleDegrees, rLine.angleDegrees);
    EXPECT_NE(r0.angleDegrees, rCol.angleDegrees);
}

TEST(HangOnMotionTest, MotionsStayWithinTheirSwings) {
    struct Range {
        Motion motion;
        float zMin, zMax, maxAngle;
    };
    const Range ranges[] = {{Motion::Rock, -4, 4, 54.000004f},
                            {Motion::Nod, -2, 2, 54.000004f},
                            {Motion::DeepRock, -11, 1, 54.000004f},
                            {Motion::Drift, -8.5f, 1.5f, 51.600002f}};
    for (const Range& r : ranges) {
        float zLow = 1e9f, zHigh = -1e9f, angleHigh = 0.0f, greyLow = 1e9f, greyHigh = -1e9f;
        for (int i = 0; i < 4000; ++i) {
            const float u = 0.013f * static_cast<float>(i);
            const SceneHangOn::CharacterPose p =
                SceneHangOn::characterPose(r.motion, u, static_cast<float>(i % 23),
                                           static_cast<float>(i % 7 - 3));
            zLow = std::min(zLow, p.translation.z);
            zHigh = std::max(zHigh, p.translation.z);
            angleHigh = std::max(angleHigh, std::fabs(p.angleDegrees));
            greyLow = std::min(greyLow, p.colour.x);
            greyHigh = std::max(greyHigh, p.colour.x);
            EXPECT_EQ(p.colour.x, p.colour.y);
        }
        EXPECT_GE(zLow, r.zMin - 1e-4f);
        EXPECT_LE(zHigh, r.zMax + 1e-4f);
        // The swing reaches close to its ends.
        EXPECT_LT(zLow, r.zMin + 0.1f * (r.zMax - r.zMin));
        EXPECT_GT(zHigh, r.zMax - 0.1f * (r.zMax - r.zMin));
        EXPECT_LE(angleHigh, r.maxAngle + 1e-3f);
        EXPECT_GT(angleHigh, r.maxAngle * 0.9f);
        // Grey text, a little brighter or darker per character, never white or black.
        EXPECT_GT(greyLow, 0.4f);
        EXPECT_LT(greyHigh, 0.75f);
    }
}

TEST(HangOnRingTest, RingTurnsInFromHalfASecondToTwoSeconds) {
    EXPECT_FLOAT_EQ(SceneHangOn::spriteRing(0, 0.5f).angleZ, 0.0f);
    EXPECT_FLOAT_EQ(SceneHangOn::spriteRing(0, 2.5f).angleZ, -15.0f);
    const float halfway = SceneHangOn::spriteRing(0, 1.25f).angleZ;
    EXPECT_NEAR(halfway, -7.5f, 1e-4f);
    EXPECT_FLOAT_EQ(SceneHangOn::spriteRing(4, 0.0f).angleZ, 120.0f);
    EXPECT_FLOAT_EQ(SceneHangOn::spriteRing(4, 3.0f).angleZ, 105.0f);
    EXPECT_FLOAT_EQ(SceneHangOn::spriteRing(0, 3.0f).angleX, 0.0f);
}

TEST(HangOnRingTest, SpritesStepTowardsTheViewerAndMirrorInTurn) {
    for (int part : {0, 4}) {
        const SceneHangOn::SpriteRing ring = SceneHangOn::spriteRing(part, 1.0f);
        for (int i = 1; i < SceneHangOn::kRingSprites; ++i)
            EXPECT_NEAR(ring.centres[i].z - ring.centres[i - 1].z, 0.15f, 1e-5f);
        for (int i = 0; i < SceneHangOn::kRingSprites; ++i) {
            const Vec3& h = ring.halfSizes[i];
            EXPECT_EQ(h.x < 0, i % 4 == 2) << "sprite " << i;
            EXPECT_EQ(h.y < 0, i % 2 == 1) << "sprite " << i;
            // The sprite sits off its base point by a fraction of its own signed width.
            EXPECT_NEAR(ring.centres[i].x - ring.centres[0].x + 0.15f * ring.halfSizes[0].x,
                        0.15f * h.x, 1e-5f);
        }
    }
    // The greetings' sprites are larger than the opening's.
    const SceneHangOn::SpriteRing opening = SceneHangOn::spriteRing(0, 1.0f);
    const SceneHangOn::SpriteRing greetings = SceneHangOn::spriteRing(4, 1.0f);
    for (int i = 0; i < SceneHangOn::kRingSprites; ++i) {
        EXPECT_GT(std::fabs(greetings.halfSizes[i].x), std::fabs(opening.halfSizes[i].x));
        EXPECT_GT(std::fabs(greetings.halfSizes[i].y), std::fabs(opening.halfSizes[i].y));
    }
}

TEST(HangOnImageTest, ImageSlidesInRestsAndSlidesBack) {
    EXPECT_FLOAT_EQ(SceneHangOn::rockingImage(0.0f).translation.x, 2.75f);
    const float inside = SceneHangOn::rockingImage(0.5f).translation.x;
    EXPECT_LT(inside, 2.75f);
    EXPECT_GT(inside, 1.62f);
    for (float t : {1.5f, 10.0f, 21.9f})
        EXPECT_FLOAT_EQ(SceneHangOn::rockingImage(t).translation.x, 1.62f) << t;
    EXPECT_GT(SceneHangOn::rockingImage(22.5f).translation.x, 1.62f);
    EXPECT_FLOAT_EQ(SceneHangOn::rockingImage(23.5f).translation.x, 2.75f);
}

// --- Construction ------------------------------------------------------------------------

TEST(HangOnSceneTest, EachPartMakesItsOwnCameraFiveUnitsBack) {
    WindowlessEngine engine;
    SceneHangOn credits(&engine, "End Scroll", 3);
    EXPECT_EQ(credits.name, "End Scroll");
    EXPECT_EQ(credits.localTime, 0);
    ASSERT_NE(credits.camera, nullptr);
    EXPECT_EQ(credits.camera, engine.findCamera("SceneHangOn3.camera0"));
    EXPECT_EQ(credits.camera->position.z, -5.0f);
    EXPECT_FLOAT_EQ(credits.camera->fov, 45.0f);
    EXPECT_FLOAT_EQ(credits.camera->nearPlane, 0.1f);
    EXPECT_FLOAT_EQ(credits.camera->farPlane, 100.0f);
    EXPECT_FLOAT_EQ(credits.camera->aspect, 800.0f / 600.0f);
    EXPECT_EQ(credits.text, SceneHangOn::partText(3));

    SceneHangOn greetings(&engine, "Greetings", 4);
    EXPECT_NE(greetings.camera, credits.camera);
    // The engine refuses a second camera of one name: a second scene of a part shares it.
    SceneHangOn again(&engine, "End Scroll", 3);
    EXPECT_EQ(again.camera, credits.camera);
    EXPECT_EQ(engine.cameras.size(), 2u);
}
