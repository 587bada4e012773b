// "BubblesOfLife" on a real window: construction, the swarm and its pauses, the central blob,
// camera and light, and rendered frames.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "content/SceneBubblesOfLife.h"
#include "content/scene_test_support.h"
#include "render/Camera.h"
#include "render/Random.h"

namespace {

using namespace scenetest;

const int kSize = 512;

using Bubbles = SceneBubblesOfLife;

float largestDifference(const std::vector<Vec3>& a, const std::vector<Vec3>& b) {
    float d = 0.0f;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) d = std::max(d, (a[i] - b[i]).length());
    return d;
}

std::vector<Vec3> bubblePositions(Bubbles& scene) {
    std::vector<Vec3> out;
    for (int i = 0; i < Bubbles::kBubbleCount; ++i)
        out.push_back(scene.renderer.object(scene.objectIndex[i])->position);
    return out;
}

// Advances the scene by total ms in frames of step ms (the last one shorter).
void run(Bubbles& scene, int total, int step) {
    for (int t = 0; t < total; t += step) scene.animate(0, std::min(step, total - t));
}

float spread(const std::vector<Vec3>& points) {
    Vec3 centre;
    for (const Vec3& p : points) centre += p;
    centre = centre / static_cast<float>(points.size());
    float sum = 0.0f;
    for (const Vec3& p : points) sum += (p - centre).length();
    return sum / static_cast<float>(points.size());
}

class BubblesTest : public SceneGlTest {};

}  // namespace

TEST_F(BubblesTest, BuildsFiftyBubblesTheCentralBlobWithItsRestCopyAndTheLight) {
    SceneTestEngine e(kSize, kSize, false);
    Bubbles scene(&e, "BubblesOfLife");
    EXPECT_EQ(e.findCamera("SceneBubblesOfLife.camera0"), scene.camera);
    // Bubbles, rest copy, central blob, environment, light.
    EXPECT_EQ(scene.renderer.objectCount(), Bubbles::kBubbleCount + 4);
    EXPECT_EQ(scene.bubbleCount, 50);
    for (int i = 0; i < Bubbles::kBubbleCount; ++i) {
        SceneObject& bubble = *scene.renderer.object(scene.objectIndex[i]);
        EXPECT_EQ(bubble.vertexCount, 8 * 7 + 2);
        EXPECT_TRUE(bubble.visible);
        EXPECT_GT(bubble.surfaces[1].colourScale.x, 4.0f);  // the bright halo slot
    }
    // Each bubble's bands are shifted: neighbouring bubbles differ in shape.
    EXPECT_GT(largestDifference(positions(*scene.renderer.object(scene.objectIndex[0])),
                                positions(*scene.renderer.object(scene.objectIndex[1]))),
              1e-3f);

    SceneObject& rest = *scene.renderer.object(scene.objectIndex[Bubbles::kRestEntry]);
    SceneObject& central = *scene.renderer.object(scene.objectIndex[Bubbles::kCentralEntry]);
    EXPECT_FALSE(rest.visible);
    EXPECT_TRUE(central.visible);
    EXPECT_EQ(rest.vertexCount, 12 * 11 + 2);
    EXPECT_EQ(central.vertexCount, rest.vertexCount);
    // The rest shape is copied slot by slot: every slot must hold the same vertex in both.
    EXPECT_EQ(largestDifference(positions(rest), positions(central)), 0.0f);
    ASSERT_EQ(rest.faces.size(), central.faces.size());
    for (size_t f = 0; f < rest.faces.size(); ++f)
        for (int k = 0; k < 3; ++k) EXPECT_EQ(rest.faces[f].vertex[k], central.faces[f].vertex[k]);

    SceneObject& sphere = *scene.renderer.object(scene.environment);
    EXPECT_FALSE(sphere.surfaces[0].castsShadow);
    EXPECT_FALSE(sphere.surfaces[1].castsShadow);
    EXPECT_EQ(sphere.surfaces[1].colourScale.x, 0.0f);

    SceneObject& light = *scene.renderer.object(scene.objectIndex[Bubbles::kLightEntry]);
    EXPECT_TRUE(light.isLight);
    EXPECT_TRUE(light.castsShadows);
    EXPECT_EQ(light.vertexCount, 8 * 7 + 2);
    // The lamp sphere encloses the light and stays out of its shadow map.
    EXPECT_FALSE(light.surfaces[0].castsShadow);
    EXPECT_FALSE(light.surfaces[1].castsShadow);
    EXPECT_EQ(light.surfaces[1].unitMode[0], kUnitOff);
}

TEST_F(BubblesTest, NoiseSetUpLeavesTheSharedSequenceAfterItsTableDraws) {
    SceneTestEngine e(kSize, kSize, false);
    demoSeed(5);
    Bubbles scene(&e, "BubblesOfLife");
    // Reseeded to 123, then one gradient draw and two swap draws per table entry.
    EXPECT_EQ(demoRandDraws(), 3ul * 256ul);
    const int next = demoRand();
    demoSeed(123);
    for (int i = 0; i < 3 * 256; ++i) demoRand();
    EXPECT_EQ(demoRand(), next);
}

TEST_F(BubblesTest, SwarmStartsBunchedAndSmallAndSpreadsOut) {
    SceneTestEngine e(kSize, kSize, false);
    Bubbles scene(&e, "BubblesOfLife");
    scene.animate(0, 0);
    const float startSpread = spread(bubblePositions(scene));
    float startSize = 0.0f;
    for (int i = 0; i < Bubbles::kBubbleCount; ++i)
        startSize += std::fabs(scene.renderer.object(scene.objectIndex[i])->scale.x);
    run(scene, 8000, 100);
    const float laterSpread = spread(bubblePositions(scene));
    float laterSize = 0.0f;
    for (int i = 0; i < Bubbles::kBubbleCount; ++i)
        laterSize += std::fabs(scene.renderer.object(scene.objectIndex[i])->scale.x);
    EXPECT_GT(laterSpread, 4.0f * startSpread);
    EXPECT_GT(laterSize, 2.0f * startSize);
}

TEST_F(BubblesTest, InsideAPauseTheSwarmFreezesWhileCameraAndCentralBlobMove) {
    SceneTestEngine e(kSize, kSize, false);
    Bubbles scene(&e, "BubblesOfLife");
    // The second pause holds from 9.8 s to 12.5 s (and life stays full meanwhile).
    run(scene, 10000, 100);
    const std::vector<Vec3> swarm = bubblePositions(scene);
    const float swarmTime = scene.swarmTime;
    const Vec3 eye = scene.camera->position;
    SceneObject& central = *scene.renderer.object(scene.objectIndex[Bubbles::kCentralEntry]);
    const std::vector<Vec3> blob = positions(central);
    SceneObject& light = *scene.renderer.object(scene.objectIndex[Bubbles::kLightEntry]);
    const Vec3 lamp = light.position;

    run(scene, 2000, 500);  // t = 12 s, still inside the pause
    EXPECT_EQ(scene.swarmTime, swarmTime);
    EXPECT_EQ(largestDifference(bubblePositions(scene), swarm), 0.0f);
    EXPECT_EQ((light.position - lamp).length(), 0.0f);  // the light circles on swarm time
    EXPECT_GT((scene.camera->position - eye).length(), 0.1f);
    EXPECT_GT(largestDifference(positions(central), blob), 1e-3f);

    run(scene, 3000, 100);  // t = 15 s: moving again
    EXPECT_GT(scene.swarmTime, swarmTime + 1.0f);
    EXPECT_GT(largestDifference(bubblePositions(scene), swarm), 1e-2f);
}

TEST_F(BubblesTest, SwarmAndPauseClocksTogetherKeepSceneTime) {
    SceneTestEngine e(kSize, kSize, false);
    Bubbles scene(&e, "BubblesOfLife");
    for (int frame = 0; frame < 300; ++frame) {
        scene.animate(0, frame % 7 == 0 ? 0 : 90);
        const float t = scene.localTime / 1000.0f;
        EXPECT_NEAR(scene.swarmTime + scene.pauseTime, t, 1e-3f) << frame;
        EXPECT_LE(scene.swarmTime, t + 1e-3f);
    }
    // Past the three pauses: 1.2 + 2.7 + 1.7 s at a full stop, plus part of each of the six
    // one-second ramps.
    EXPECT_GT(scene.localTime, 20500);
    EXPECT_GT(scene.pauseTime, 5.6f + 0.5f);
    EXPECT_LT(scene.pauseTime, 5.6f + 6.0f);
}

TEST_F(BubblesTest, CentralBlobDependsOnlyOnTheCurrentParameters) {
    // Before the first pause the swarm clock equals scene time, so two runs that reach the same
    // time in different frame steps give the same central blob: it is rebuilt from its rest
    // copy every frame instead of accumulating changes.
    SceneTestEngine e(kSize, kSize, false);
    Bubbles fine(&e, "BubblesOfLife");
    run(fine, 3000, 40);
    const std::vector<Vec3> a =
        positions(*fine.renderer.object(fine.objectIndex[Bubbles::kCentralEntry]));
    Bubbles coarse(&e, "BubblesOfLife");
    run(coarse, 3000, 1000);
    const std::vector<Vec3> b =
        positions(*coarse.renderer.object(coarse.objectIndex[Bubbles::kCentralEntry]));
    EXPECT_LT(largestDifference(a, b), 1e-3f);
    EXPECT_GT(largestDifference(a, positions(*fine.renderer.object(
                                       fine.objectIndex[Bubbles::kRestEntry]))),
              0.5f);
}

TEST_F(BubblesTest, CameraAndLightAimAtTheSwarmCentreWithoutAddingSlots) {
    SceneTestEngine e(kSize, kSize, false);
    Bubbles scene(&e, "BubblesOfLife");
    std::vector<size_t> slots;
    for (const auto& o : scene.renderer.objects) slots.push_back(o->vertices.size() + o->faces.size());
    SceneObject& light = *scene.renderer.object(scene.objectIndex[Bubbles::kLightEntry]);
    for (int frame = 0; frame < 150; ++frame) {
        scene.animate(0, 100);
        Vec3 centre;
        for (const Vec3& p : bubblePositions(scene)) centre += p;
        centre = centre / static_cast<float>(Bubbles::kBubbleCount);
        const Vec3 look = scene.camera->position + scene.camera->direction;
        EXPECT_LT((look - centre).length(), 1e-3f) << frame;
        EXPECT_GT(dot(light.spotDirection, (centre - light.position).normalized()), 0.9999f);
        // The light circles at 8.5 in the horizontal plane.
        EXPECT_NEAR(std::hypot(light.position.x, light.position.z), 8.5f, 1e-3f);
    }
    for (size_t i = 0; i < slots.size(); ++i)
        EXPECT_EQ(scene.renderer.objects[i]->vertices.size() + scene.renderer.objects[i]->faces.size(),
                  slots[i]);
}

TEST_F(BubblesTest, FramesAreLitChangeOverTimeAndRepeatExactly) {
    const std::vector<int> times = {500, 4400, 14000};
    auto make = [](Engine& e) { return std::make_unique<Bubbles>(&e, "BubblesOfLife"); };
    const std::vector<std::vector<uint8_t>> runs[2] = {picturesAt(kSize, make, times, 500),
                                                       picturesAt(kSize, make, times, 500)};
    for (size_t k = 0; k < runs[0].size(); ++k) {
        snapshot(runs[0][k], kSize, kSize, "bubbles-" + std::to_string(times[k]));
        EXPECT_GT(litShare(runs[0][k]), 0.05) << times[k];
        EXPECT_TRUE(runs[0][k] == runs[1][k]) << times[k];
    }
    EXPECT_GT(changedShare(runs[0][0], runs[0][1]), 0.02);
    EXPECT_GT(changedShare(runs[0][1], runs[0][2]), 0.02);
}
