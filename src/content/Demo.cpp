#include "content/Demo.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "content/SceneBubblesOfLife.h"
#include "content/SceneCancerous.h"
#include "content/SceneFunkyStripes.h"
#include "content/SceneHangOn.h"
#include "content/SceneLumerantBudget.h"
#include "content/ScenePreCookedThoughts.h"
#include "content/SceneSpectralSleep.h"
#include "content/SceneTreeInABox.h"
#include "content/SceneVerdanth.h"
#include "render/ScreenEffects.h"
#include "resources/ImageFiles.h"
#include "resources/TextureManager.h"

const char* const Demo::kMusicFile = "./music/Qorvanel.ogg";

const char* const Demo::kSceneTitles[Demo::kSceneCount] = {
    "Hang On With Us",
    "ORVEL Is In The House",
    "Can You Taste The Beat?",
    "End Scroll",
    "Greetings",
    "We Have Eaten Our Lumerant Pills",
    "Have a beat with the lumerant.",
    "End",
    "Pre Cooked Thoughts",
    "Funky Stripes",
    "Cancerous",
    "Spectral Sleep",
    "Verdanth",
    "Tree In A Box",
    "BubblesOfLife",
    "Lumerant Budget",
};

namespace {

struct TextureRow {
    const char* name;
    const char* file;
    const Vec3* scale;
    const Vec3* bias;
    bool cubeMap;
    const char* faces[6];
};

const Vec3 kOne(1.0f, 1.0f, 1.0f);
const Vec3 kHalf(0.5f, 0.5f, 0.5f);
const Vec3 kTwo(2.0f, 2.0f, 2.0f);
const Vec3 kRedScale(1.5f, 1.2f, 0.9f);
const Vec3 kWhiteRedScale(0.75f, 0.6f, 0.45f);

#define BILL_FACES {"black.png", "black.png", "black.png", "black.png", "bill.png", "black.png"}

const TextureRow kTextures[] = {
    {"alkua", "alkua2.png", nullptr, nullptr, false, {}},
    {"kallios", "kallios.png", nullptr, nullptr, false, {}},
    {"bluedist", "bluedist.png", nullptr, nullptr, false, {}},
    {"kivio", "kivio.png", nullptr, nullptr, false, {}},
    {"kivios", "kivios.png", nullptr, nullptr, false, {}},
    {"kivilumi", "kivilumi.png", nullptr, nullptr, false, {}},
    {"hopmet", "hopmet.png", nullptr, nullptr, false, {}},
    {"lizzardskinbump", "lizzardskinbump.png", nullptr, nullptr, false, {}},
    {"lizzardskinbumpbright", "lizzardskinbump.png", &kHalf, &kHalf, false, {}},
    {"lizzardskinp", "lizzardskinp.png", &kTwo, nullptr, false, {}},
    {"solidnoisebump", "solidnoisebump.png", nullptr, nullptr, false, {}},
    {"noiseturblow", "noiseturblow.png", nullptr, nullptr, false, {}},
    {"noiseturbhi", "noiseturbhi.png", nullptr, nullptr, false, {}},
    {"black", "black.png", nullptr, nullptr, false, {}},
    {"white", "white.png", nullptr, nullptr, false, {}},
    {"bill", "bill.png", &kOne, nullptr, false, {}},
    {"billbig", "billbig.png", &kOne, nullptr, false, {}},
    {"pilkut", "pilkut.png", &kOne, nullptr, false, {}},
    {"plexi", "plexi.png", nullptr, nullptr, false, {}},
    {"tyyper", "tyyper.png", nullptr, nullptr, false, {}},
    {"cubemap.bill", "bill.png", &kOne, nullptr, true, BILL_FACES},
    {"cubemap.billred", "bill.png", &kRedScale, nullptr, true, BILL_FACES},
    {"whitered", "white.png", &kWhiteRedScale, nullptr, false, {}},
    {"cubemap.pilkut", "pilkut.png", &kOne, nullptr, true,
     {"pilkut.png", "pilkut.png", "pilkut.png", "pilkut.png",
      "pilkut.png", "pilkut.png"}},
};

// Scene ids in registration order (the null scene holds 0).
enum SceneId {
    kHangOnWithUs = 1, kOrvelIsInTheHouse, kCanYouTasteTheBeat, kEndScroll, kGreetings,
    kLumerantPills, kBeatWithTheLumerant, kEnd, kPreCookedThoughts, kFunkyStripes, kCancerous,
    kSpectralSleep, kVerdanth, kTreeInABox, kBubblesOfLife, kLumerantBudget,
};

struct TimelineRow {
    const char* effect;  // nullptr: a schedule row
    int input;
    int startMs, endMs;
    std::vector<float> params;
    int shownFromMs, shownToMs;  // window of the effect's output
};

const std::vector<float> kEndBlur = {5.0f, 0.1f, 0.1f, 3.0f, 0.3f, 0.15f, 0.05f, 1.0f};

const TimelineRow kTimeline[] = {
    {nullptr, kHangOnWithUs, 0, 5000, {}, 0, 0},
    {"fadeOff", kHangOnWithUs, 4000, 5000, {}, 4000, 5000},
    {nullptr, kPreCookedThoughts, 3000, 14500, {}, 0, 0},
    {"fadeOn", kPreCookedThoughts, 3000, 4000, {1.0f}, 3000, 4000},
    {nullptr, kOrvelIsInTheHouse, 6500, 11500, {}, 0, 0},
    {"fadeOff", kPreCookedThoughts, 14000, 14500, {}, 14000, 14500},
    {nullptr, kFunkyStripes, 12500, 31000, {}, 0, 0},
    {"fadeOn", kFunkyStripes, 12500, 13000, {}, 12500, 13000},
    {nullptr, kCanYouTasteTheBeat, 13000, 19000, {}, 0, 0},
    {"fadeOn", kCanYouTasteTheBeat, 13000, 13500, {}, 13000, 13500},
    {"blur", kFunkyStripes, 29000, 31000, kEndBlur, 29000, 31000},
    {nullptr, kCancerous, 31000, 55000, {}, 0, 0},
    {nullptr, kSpectralSleep, 55000, 95000, {}, 0, 0},
    {nullptr, kBeatWithTheLumerant, 60000, 80000, {}, 0, 0},
    {nullptr, kVerdanth, 95000, 110000, {}, 0, 0},
    {"fadeOn", kVerdanth, 94000, 96000, {1.0f}, 94000, 96000},
    {"fadeOff", kVerdanth, 109000, 110000, {1.0f}, 109000, 111000},
    {nullptr, kLumerantBudget, 110000, 135000, {}, 0, 0},
    {nullptr, kLumerantPills, 110000, 125000, {}, 0, 0},
    {"fadeOff", kLumerantBudget, 134500, 135000, {1.0f}, 134500, 135000},
    {nullptr, kBubblesOfLife, 135000, 164500, {}, 0, 0},
    {"fadeOn", kBubblesOfLife, 135000, 135500, {1.0f}, 135000, 135500},
    {nullptr, kEndScroll, 164500, 191000, {}, 0, 0},
    {"fadeOn", kEndScroll, 164500, 166000, {0.0f}, 164500, 166000},
    {nullptr, kGreetings, 191000, 208000, {}, 0, 0},
    {"fadeOn", kGreetings, 191000, 193000, {0.0f}, 191000, 193000},
    {nullptr, kTreeInABox, 208000, 251000, {}, 0, 0},
    {nullptr, kEnd, 227000, 251000, {}, 0, 0},
    {"blur", kTreeInABox, 249000, 251000, kEndBlur, 249000, 251000},
};

}  // namespace

Demo::Demo(int windowWidth, int windowHeight, int renderWidth, int renderHeight,
           bool exactRenderSize, int colourDepth, bool fullscreen, bool extraFlag,
           bool musicWanted)
    : Engine("Verdanth", windowWidth, windowHeight, renderWidth, renderHeight, exactRenderSize,
             colourDepth, fullscreen, extraFlag, musicWanted) {
    registerScene(nullptr);
}

void Demo::loadTextures() {
    const std::string folder = imagefiles::kFolder;
    for (const TextureRow& row : kTextures) {
        std::vector<std::string> faces;
        if (row.cubeMap)
            for (const char* face : row.faces) faces.push_back(folder + face);
        textures->load(folder + row.file, row.name, row.scale, row.bias, row.cubeMap, faces);
    }
}

std::set<std::string> Demo::textureFiles() {
    std::set<std::string> files;
    for (const TextureRow& row : kTextures) {
        files.insert(row.file);
        if (row.cubeMap) files.insert(std::begin(row.faces), std::end(row.faces));
    }
    return files;
}

Scene* Demo::createScene(int index) {
    const int id = index + 1;
    if (id >= kHangOnWithUs && id <= kEnd) return new SceneHangOn(this, kSceneTitles[index], index);
    switch (id) {
    case kPreCookedThoughts: return new ScenePreCookedThoughts(this, kSceneTitles[index]);
    case kFunkyStripes: return new SceneFunkyStripes(this, kSceneTitles[index]);
    case kCancerous: return new SceneCancerous(this, kSceneTitles[index]);
    case kSpectralSleep: return new SceneSpectralSleep(this, kSceneTitles[index]);
    case kLumerantBudget: return new SceneLumerantBudget(this, kSceneTitles[index]);
    case kVerdanth: return new SceneVerdanth(this, kSceneTitles[index]);
    case kTreeInABox: return new SceneTreeInABox(this, kSceneTitles[index]);
    case kBubblesOfLife: return new SceneBubblesOfLife(this, kSceneTitles[index]);
    default: return nullptr;
    }
}

void Demo::buildTimeline() {
    for (const TimelineRow& row : kTimeline) {
        if (row.effect == nullptr) {
            schedule(row.input, row.startMs, row.endMs);
        } else {
            int output = addEffect(row.effect, row.input, -1, row.startMs, row.endMs, &row.params);
            schedule(output, row.shownFromMs, row.shownToMs);
        }
    }
}

std::vector<Demo::SceneSpan> Demo::sceneSpans() {
    std::vector<SceneSpan> spans;
    for (const TimelineRow& row : kTimeline)
        if (row.effect == nullptr)
            spans.push_back({kSceneTitles[row.input - 1], row.startMs, row.endMs});
    std::stable_sort(spans.begin(), spans.end(), [](const SceneSpan& a, const SceneSpan& b) {
        return a.startMs < b.startMs;
    });
    return spans;
}

void Demo::buildScore(bool placeholders) {
    for (int i = 0; i < kSceneCount; ++i)
        registerScene(placeholders ? new DefaultScene(this, kSceneTitles[i]) : createScene(i));
    buildTimeline();
}

void Demo::restart(int fromMs) {
    clearScore();
    registerScene(nullptr);
    buildScore(false);
    seekTo(fromMs);
    lastTimeMs = currentTimeMs;
}

int Demo::loadContent() {
    std::printf("demo init start.\n");
    std::fflush(stdout);
    loadTextures();
    screenEffects = new ScreenEffects(textureWidth, textureHeight, smallTextureWidth,
                                      smallTextureHeight, viewWidth, viewHeight, smallViewWidth,
                                      smallViewHeight, 7);
    buildScore(false);
    if (musicWanted) {
        if (!loadMusic(kMusicFile)) {
            musicWanted = false;
            std::printf("WARNING: Music file %s not found.\n", kMusicFile);
        }
    }
    std::printf("start.\n");
    std::fflush(stdout);
    glViewport(0, 0, renderWidth, renderHeight);
    glEnable(GL_BLEND);
    return 0;
}

std::string Demo::layerLabel(int id) const {
    if (id < sceneCount) {
        const Scene* scene = sceneById(id);
        return scene != nullptr ? scene->name : std::string("?");
    }
    for (const EffectEntry& effect : effects) {
        if (effect.outputId != id) continue;
        auto title = [this](int input) {
            const Scene* scene = sceneById(input);
            return scene != nullptr ? scene->name : std::string("?");
        };
        if (effect.name == "fade") return "fade(" + title(effect.inputA) + "," + title(effect.inputB) + ")";
        return effect.name + "(" + title(effect.inputA) + ")";
    }
    return "?";
}

std::vector<std::string> Demo::describeScore(int endMs) const {
    // Every start and end of the timeline bounds an interval in which the plan is constant.
    std::set<int> bounds = {0, endMs};
    for (const ScheduleEntry& entry : scheduleEntries) {
        bounds.insert(entry.startMs);
        bounds.insert(entry.endMs);
    }
    for (const EffectEntry& effect : effects) {
        bounds.insert(effect.startMs);
        bounds.insert(effect.endMs);
    }
    std::vector<std::string> lines;
    std::string previous;
    int previousFrom = 0;
    auto flush = [&](int to) {
        if (!previous.empty())
            lines.push_back(std::to_string(previousFrom) + " " + std::to_string(to) + ": " + previous);
    };
    for (auto it = bounds.begin(); it != bounds.end() && *it < endMs; ++it) {
        const FramePlan plan = planFrame(*it);
        std::string stack;
        for (size_t i = 0; i < plan.layerIds.size(); ++i) {
            if (!stack.empty()) stack += ", ";
            stack += layerLabel(plan.layerIds[i]) + " [" + std::to_string(plan.layerSlots[i]) + "]";
        }
        if (plan.scenes.empty()) stack = "none";
        if (stack != previous) {
            flush(*it);
            previous = stack;
            previousFrom = *it;
        }
    }
    flush(endMs);
    return lines;
}
