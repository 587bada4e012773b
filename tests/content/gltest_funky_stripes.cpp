#include "content/SceneFunkyStripes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "content/scene_test_support.h"
#include "render/Camera.h"

// "Funky Stripes" on a small engine without textures: the object state at chosen scene times,
// the mesh slots over a whole run, and the rendered pictures.

namespace {

using namespace scenetest;

class FunkyStripesTest : public SceneGlTest {
protected:
    void SetUp() override {
        SceneGlTest::SetUp();
        engine = std::make_unique<SceneTestEngine>(256, 256, false);
        if (!engine->ready) GTEST_SKIP() << "no display";
        scene = new SceneFunkyStripes(engine.get(), "Funky Stripes");
        engine->registerScene(scene);  // the engine deletes it
    }

    SceneObject& node(int entry) { return *scene->renderer.object(scene->objects[entry]); }

    std::unique_ptr<SceneTestEngine> engine;
    SceneFunkyStripes* scene = nullptr;
};

}  // namespace

TEST_F(FunkyStripesTest, BuildsTheRootThirtyNodesTheEnvironmentAndTheLight) {
    EXPECT_EQ(scene->renderer.objectCount(), 1 + 30 + 1 + 1);
    EXPECT_EQ(engine->findCamera("SceneFunkyStripes.camera0"), scene->camera);
    // Radius halves per level; the first level has 12 x 12, deeper ones 8 x 8.
    ASSERT_EQ(scene->radii.size(), 31u);
    EXPECT_FLOAT_EQ(scene->radii[30], 0.125f);
    EXPECT_EQ(node(2).vertexCount, 12 * 11 + 2);
    EXPECT_EQ(node(3).vertexCount, 8 * 7 + 2);

    // Children of node n are 2n + 1 and 2n + 2; the root holds nodes 1 and 2.
    EXPECT_EQ(scene->renderer.childLists[scene->objects[0]],
              (std::vector<int>{scene->objects[1], scene->objects[2]}));
    EXPECT_EQ(scene->renderer.childLists[scene->objects[6]],
              (std::vector<int>{scene->objects[13], scene->objects[14]}));
    EXPECT_TRUE(scene->renderer.childLists[scene->objects[15]].empty());

    // The root is rebuilt at 20 x 20 with white vertices.
    const SceneObject& root = node(0);
    EXPECT_EQ(root.vertexCount, 20 * 19 + 2);
    for (const MeshVertex& v : root.vertices)
        if (!v.deleted) expectVecNear(v.colour, Vec3(1, 1, 1));

    // Deeper levels are darker and bluer.
    EXPECT_GT(node(1).surfaces[0].colourScale.x, node(15).surfaces[0].colourScale.x);
    EXPECT_LT(node(15).surfaces[0].colourScale.x, node(15).surfaces[0].colourScale.z);

    // The environment is seen from inside: its faces wind towards the centre.
    const SceneObject& env = *scene->renderer.object(scene->environment);
    int inward = 0, faces = 0;
    for (const MeshFace& f : env.faces) {
        if (f.deleted) continue;
        const Vec3 p0 = env.vertices[f.vertex[0]].position;
        const Vec3 n = cross(env.vertices[f.vertex[1]].position - p0,
                             env.vertices[f.vertex[2]].position - p0);
        ++faces;
        if (dot(n, p0) < 0.0f) ++inward;
    }
    EXPECT_EQ(inward, faces);

    EXPECT_TRUE(node(SceneFunkyStripes::kLightEntry).castsShadows);
}

TEST_F(FunkyStripesTest, CameraMovesBackWithinTheFirstSecondAndRootDriftsInFromTheAxis) {
    EXPECT_EQ(scene->camera->position.z, 0.0f);  // before the first frame
    renderAt(*engine, *scene, 0.5f);
    expectVecNear(scene->camera->position, Vec3(0, 0, -2.5f));
    // Root x and y blend in from 0 between 2 and 3 s; z never blends.
    EXPECT_EQ(node(0).position.x, 0.0f);
    EXPECT_EQ(node(0).position.y, 0.0f);
    const float earlyZ = node(0).position.z;

    renderAt(*engine, *scene, 1.5f);
    expectVecNear(scene->camera->position, Vec3(0, 0, -5));
    EXPECT_NEAR(node(0).position.z, earlyZ, 0.1f);

    renderAt(*engine, *scene, 3.5f);
    const Vec3 root = node(0).position;
    EXPECT_GT(std::hypot(root.x, root.y), 0.5f);
    EXPECT_GT(root.z, 2.0f);  // in front of the camera at z = -5

    // The spot light aims at the root.
    const SceneObject& light = node(SceneFunkyStripes::kLightEntry);
    EXPECT_NEAR(light.spotDirection.length(), 1.0f, 1e-5f);
    const Vec3 toRoot = (root - light.position).normalized();
    EXPECT_GT(dot(toRoot, light.spotDirection), 0.99999f);
}

TEST_F(FunkyStripesTest, ChildrenSitAtTheirParentsCentresUntilTheirLevelOpens) {
    renderAt(*engine, *scene, 2.4f);
    for (int n = 1; n <= 30; ++n) expectVecNear(node(n).position, Vec3(0, 0, 0));

    // Level 0 is fully open from 3.5 s; level 1 only starts at 4.5 s.
    renderAt(*engine, *scene, 3.6f);
    expectVecNear(node(1).position, Vec3(-2.5f, 0, 0));
    expectVecNear(node(2).position, Vec3(2.5f, 0, 0));
    for (int n = 3; n <= 30; ++n) expectVecNear(node(n).position, Vec3(0, 0, 0));

    // Every level open, each spreading half as far as the one above.
    renderAt(*engine, *scene, 10.5f);
    expectVecNear(node(3).position, Vec3(-1.25f, 0, 0));
    expectVecNear(node(14).position, Vec3(0.625f, 0, 0));
    expectVecNear(node(29).position, Vec3(-0.3125f, 0, 0));
    expectVecNear(node(30).position, Vec3(0.3125f, 0, 0));
}

TEST_F(FunkyStripesTest, OnlyLevelsBelowTheFirstTwistAndTheirTextureScaleFollowsTheRadius) {
    for (float t : {5.0f, 9.0f, 13.0f}) {
        renderAt(*engine, *scene, t);
        expectVecNear(node(1).rotation, Vec3(0, 0, 0), 0.0f);
        expectVecNear(node(2).rotation, Vec3(0, 0, 0), 0.0f);
        for (int n = 3; n <= 30; ++n) EXPECT_GT(node(n).rotation.length(), 0.0f) << n;
    }
    EXPECT_FLOAT_EQ(node(1).surface().texScaleU[0], 0.25f);
    EXPECT_FLOAT_EQ(node(30).surface().texScaleV[0], 0.25f * 0.125f);
}

TEST_F(FunkyStripesTest, RootStaysWhiteUntilItsChildrenGrowThenStripes) {
    renderAt(*engine, *scene, 3.9f);
    for (const MeshVertex& v : node(0).vertices)
        if (!v.deleted) expectVecNear(v.colour, Vec3(1, 1, 1));
    // Bloom colour of the growing children follows grow: black before it starts.
    expectVecNear(node(1).surfaces[1].colourScale, Vec3(0, 0, 0));

    renderAt(*engine, *scene, 6.0f);
    float lowest = 10.0f, highest = -10.0f;
    for (const MeshVertex& v : node(0).vertices) {
        if (v.deleted) continue;
        lowest = std::min(lowest, v.colour.x);
        highest = std::max(highest, v.colour.x);
    }
    EXPECT_GT(highest - lowest, 0.3f);
    expectVecNear(node(1).surfaces[1].colourScale, Vec3(0.75f, 0.6f, 0.35f));
    EXPECT_FLOAT_EQ(node(1).surfaces[1].alphaScale, 1.0f);
}

TEST_F(FunkyStripesTest, LevelOneParentsShrinkWhileGrowing) {
    renderAt(*engine, *scene, 4.0f);  // level 1 parents (nodes 1, 2) not yet rebuilt
    const float before = maxVertexDistance(node(1));
    EXPECT_NEAR(before, 1.0f, 1e-4f);
    // From 7 s the level-1 parents are rebuilt at 0.4 of their radius; their bends push the
    // shape sideways, but the height shrinks with the radius.
    renderAt(*engine, *scene, 8.0f);
    float top = 0.0f;
    for (const MeshVertex& v : node(1).vertices)
        if (!v.deleted) top = std::max(top, std::fabs(v.position.y));
    EXPECT_LT(top, 0.4f * 1.5f + 1e-4f);
    EXPECT_GT(top, 0.2f);
}

TEST_F(FunkyStripesTest, LeavesKeepTheirConstructionGeometry) {
    std::vector<std::vector<Vec3>> built;
    for (int n = 15; n <= 30; ++n) built.push_back(livePositions(node(n)));
    for (float t : {6.0f, 10.5f, 12.0f}) {
        renderAt(*engine, *scene, t);
        for (int n = 15; n <= 30; ++n) {
            EXPECT_EQ(node(n).vertexCount, 8 * 7 + 2);
            EXPECT_LE(maxVertexDistance(node(n)), 0.125f + 1e-5f);
            const std::vector<Vec3> now = livePositions(node(n));
            ASSERT_EQ(now.size(), built[n - 15].size());
            for (size_t i = 0; i < now.size(); ++i) expectVecNear(now[i], built[n - 15][i], 0.0f);
        }
    }
}

TEST_F(FunkyStripesTest, TreeStopsGrowingAtFifteenAndAHalfAndHasFoldedBackASecondLater) {
    renderAt(*engine, *scene, 12.0f);
    // Every grow value has fallen to 0: no parent is rebuilt from here on. The first level's
    // children are still closing.
    renderAt(*engine, *scene, 15.6f);
    std::vector<std::vector<Vec3>> stopped;
    for (int n = 0; n <= 14; ++n) stopped.push_back(livePositions(node(n)));
    EXPECT_GT(std::fabs(node(1).position.x), 1.0f);
    for (int n = 3; n <= 30; ++n) expectVecNear(node(n).position, Vec3(0, 0, 0));

    renderAt(*engine, *scene, 16.6f);
    for (int n = 1; n <= 30; ++n) expectVecNear(node(n).position, Vec3(0, 0, 0));
    renderAt(*engine, *scene, 18.4f);
    for (int n = 0; n <= 14; ++n) {
        const std::vector<Vec3> now = livePositions(node(n));
        ASSERT_EQ(now.size(), stopped[n].size());
        for (size_t i = 0; i < now.size(); ++i) expectVecNear(now[i], stopped[n][i], 0.0f);
    }
}

TEST_F(FunkyStripesTest, MeshSlotsStayFixedOverTheWholeWindowAtSixtyFramesPerSecond) {
    EXPECT_TRUE(slotsStayFixed(*engine, *scene, scene->renderer, 18500));
}

TEST_F(FunkyStripesTest, FramesShowTheSceneChangeOverTimeAndRepeatExactly) {
    const float times[] = {0.8f, 3.0f, 6.0f, 10.5f, 14.0f, 17.0f};
    std::vector<std::vector<uint8_t>> first;
    for (float t : times) {
        renderAt(*engine, *scene, t);
        first.push_back(readRgbaFrame(*engine));
        EXPECT_GT(visibleShare(first.back()), 0.25) << "at " << t << " s";
    }
    for (size_t i = 1; i < first.size(); ++i)
        EXPECT_GT(meanDifference(first[i - 1], first[i]), 1.0) << "between frames " << i - 1
                                                                << " and " << i;

    // A second scene of the class, run the same way, draws the same frames (it shares the
    // registered camera).
    auto* again = new SceneFunkyStripes(engine.get(), "Funky Stripes");
    engine->registerScene(again);
    EXPECT_EQ(again->camera, scene->camera);
    for (size_t i = 0; i < first.size(); ++i) {
        renderAt(*engine, *again, times[i]);
        EXPECT_EQ(readRgbaFrame(*engine), first[i]) << "at " << times[i] << " s";
    }
}
