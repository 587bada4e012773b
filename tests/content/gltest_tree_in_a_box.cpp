// "Tree In A Box" on a real window: the box and lamps, the bulge spots and their random
// sequence, the growth, and rendered frames.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "content/SceneBubblesOfLife.h"
#include "content/SceneTreeInABox.h"
#include "content/scene_test_support.h"
#include "render/Camera.h"
#include "render/Random.h"

namespace {

using namespace scenetest;

const int kSize = 512;

using Tree = SceneTreeInABox;

// The spot centre a pair of draws from the shared sequence gives (the first draw is y).
Vec3 spotFromDraws(int first, int second) {
    const float y = static_cast<float>(first) / 32767.0f * 25.0f - 12.5f;
    const float x = static_cast<float>(second) / 32767.0f * 25.0f - 12.5f;
    return Vec3(x, y, 15.0f);
}

class TreeInABoxTest : public SceneGlTest {};

}  // namespace

TEST_F(TreeInABoxTest, BuildsAnInsideOutBoxAndTwoShadowCastingLamps) {
    SceneTestEngine e(kSize, kSize, false);
    Tree scene(&e, "Tree In A Box");
    EXPECT_EQ(e.findCamera("SceneTreeInABox.camera0"), scene.camera);
    EXPECT_EQ(scene.renderer.objectCount(), 3);
    EXPECT_FALSE(scene.selectionDone);
    EXPECT_FALSE(scene.periodLatch);

    SceneObject& box = *scene.renderer.object(scene.box);
    // Two 30 x 30 caps and two middle rings of the 116 border vertices.
    EXPECT_EQ(box.vertexCount, 2 * 30 * 30 + 2 * (4 * 30 - 4));
    Vec3 low(1e9f, 1e9f, 1e9f), high(-1e9f, -1e9f, -1e9f);
    for (const MeshVertex& v : box.vertices) {
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], v.position[k]);
            high[k] = std::max(high[k], v.position[k]);
        }
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(low[k], -Tree::kBoxHalf, 1e-4f);
        EXPECT_LE(high[k], Tree::kBoxHalf + 1e-4f);
    }
    EXPECT_NEAR(high.z, Tree::kBoxHalf, 1e-4f);
    // The far wall faces the viewer: its normals point back into the box.
    int farFaces = 0;
    for (const MeshFace& f : box.faces) {
        if (f.deleted) continue;
        const Vec3 p0 = box.vertices[f.vertex[0]].position;
        const Vec3 p1 = box.vertices[f.vertex[1]].position;
        const Vec3 p2 = box.vertices[f.vertex[2]].position;
        if (p0.z < 14.99f || p1.z < 14.99f || p2.z < 14.99f) continue;
        ++farFaces;
        EXPECT_LT(cross(p1 - p0, p2 - p0).z, 0.0f);
    }
    EXPECT_EQ(farFaces, 2 * 29 * 29);
    EXPECT_TRUE(box.surfaces[0].castsShadow);
    EXPECT_TRUE(box.surfaces[1].unitCubeMap[2]);
    EXPECT_EQ(box.currentSurface, 0);

    for (int index : {scene.lampA, scene.lampB}) {
        SceneObject& lamp = *scene.renderer.object(index);
        EXPECT_TRUE(lamp.isLight);
        EXPECT_TRUE(lamp.castsShadows);
        EXPECT_EQ(lamp.vertexCount, 7 * 6 + 2);
        EXPECT_FALSE(lamp.surfaces[0].castsShadow);
        EXPECT_FALSE(lamp.surfaces[1].castsShadow);
    }
    // Lamp A is warm and bright in the bloom, lamp B cool and dim.
    SceneObject& a = *scene.renderer.object(scene.lampA);
    SceneObject& b = *scene.renderer.object(scene.lampB);
    EXPECT_GT(a.lightDiffuse[0], a.lightDiffuse[2]);
    EXPECT_LT(b.lightDiffuse[0], b.lightDiffuse[2]);
    EXPECT_GT(a.surfaces[1].colourScale.x, b.surfaces[1].colourScale.x);
}

TEST_F(TreeInABoxTest, BuiltAloneItsSpotsFollowItsOwnSeed) {
    SceneTestEngine e(kSize, kSize, false);
    Tree scene(&e, "Tree In A Box");
    EXPECT_EQ(demoRandDraws(), 0ul);
    scene.animate(0, 40);
    demoSeed(21);
    const int first = demoRand();
    const int second = demoRand();
    expectVecNear(scene.spotCentre, spotFromDraws(first, second), 1e-5f);
}

TEST_F(TreeInABoxTest, BuiltBeforeBubblesOfLifeItsSpotsFollowTheNoiseSetUp) {
    // The production builds this scene first and "BubblesOfLife" after it; the noise set-up
    // reseeds the shared sequence and draws its tables, and the spots continue from there.
    SceneTestEngine e(kSize, kSize, false);
    Tree scene(&e, "Tree In A Box");
    SceneBubblesOfLife bubbles(&e, "BubblesOfLife");
    scene.animate(0, 40);
    const Vec3 firstSpot = scene.spotCentre;
    scene.animate(0, 40);
    const Vec3 secondSpot = scene.spotCentre;

    demoSeed(123);
    for (int i = 0; i < 3 * 256; ++i) demoRand();
    const int d0 = demoRand(), d1 = demoRand(), d2 = demoRand(), d3 = demoRand();
    expectVecNear(firstSpot, spotFromDraws(d0, d1), 1e-5f);
    expectVecNear(secondSpot, spotFromDraws(d2, d3), 1e-5f);
}

TEST_F(TreeInABoxTest, ZeroStepsStillChooseSpotsButGrowNothing) {
    SceneTestEngine e(kSize, kSize, false);
    Tree scene(&e, "Tree In A Box");
    SceneObject& box = *scene.renderer.object(scene.box);
    const std::vector<Vec3> before = positions(box);
    scene.animate(0, 0);
    const Vec3 first = scene.spotCentre;
    scene.animate(0, 0);
    EXPECT_NE(scene.spotCentre.x, first.x);  // the second frame takes a new spot
    EXPECT_EQ(demoRandDraws(), 4ul);
    for (int frame = 0; frame < 5; ++frame) scene.animate(0, 0);
    EXPECT_EQ(demoRandDraws(), 4ul);  // the counter stands still in the same period
    EXPECT_FALSE(scene.selectedVertices.empty());
    const std::vector<Vec3> after = positions(box);
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ((after[i] - before[i]).length(), 0.0f) << i;
}

TEST_F(TreeInABoxTest, OneNewSpotPerPeriodOnTheFarWall) {
    SceneTestEngine e(kSize, kSize, false);
    Tree scene(&e, "Tree In A Box");
    const int runMs = 15000;
    int spots = 0;
    Vec3 previous(0.0f, 0.0f, -1.0f);
    for (int t = 100; t <= runMs; t += 100) {
        scene.animate(0, 100);
        if (scene.spotCentre.x != previous.x || scene.spotCentre.y != previous.y) {
            ++spots;
            previous = scene.spotCentre;
            EXPECT_EQ(scene.spotCentre.z, Tree::kBoxHalf);
            EXPECT_LE(std::fabs(scene.spotCentre.x), Tree::kSpotRange);
            EXPECT_LE(std::fabs(scene.spotCentre.y), Tree::kSpotRange);
            EXPECT_EQ(scene.pushVector.z, 8.0f);
            // Every selected vertex lies within the spot.
            for (size_t k = 0; k < scene.selectedVertices.size(); ++k) {
                EXPECT_GE(scene.vertexWeights[k], 0.0f);
                EXPECT_LE(scene.vertexWeights[k], 1.0f);
            }
        }
    }
    // The first frame takes a spot and the second frame another; after that each period
    // (every 1500 ms) asks on its first frame and takes its spot on the next one. Periods
    // 1 ... 9 start within the run; period 10 starts on its last frame and gets no spot yet.
    EXPECT_EQ(spots, 2 + (runMs - 1) / Tree::kPeriodMs);
    EXPECT_EQ(demoRandDraws(), 2ul * static_cast<unsigned long>(spots));
}

TEST_F(TreeInABoxTest, CurrentSpotRisesTowardsTheViewerTaperingToItsRim) {
    SceneTestEngine e(kSize, kSize, false);
    Tree scene(&e, "Tree In A Box");
    SceneObject& box = *scene.renderer.object(scene.box);
    scene.animate(0, 0);
    scene.animate(0, 0);
    const std::vector<Vec3> before = positions(box);
    const std::vector<int> selected = scene.selectedVertices;
    const std::vector<float> weights = scene.vertexWeights;
    ASSERT_FALSE(selected.empty());

    scene.animate(0, 50);
    const std::vector<Vec3> after = positions(box);
    std::vector<bool> isSelected(before.size(), false);
    for (size_t k = 0; k < selected.size(); ++k) {
        isSelected[selected[k]] = true;
        const Vec3 step = after[selected[k]] - before[selected[k]];
        EXPECT_EQ(step.x, 0.0f);
        EXPECT_EQ(step.y, 0.0f);
        EXPECT_NEAR(step.z, -16.0f * 0.05f * (1.0f - weights[k]), 1e-5f);
    }
    for (size_t i = 0; i < before.size(); ++i)
        if (!isSelected[i]) {
            EXPECT_EQ((after[i] - before[i]).length(), 0.0f) << i;
        }
}

TEST_F(TreeInABoxTest, SpotNearACornerTakesInTheEdgeItSharesWithTheSideWalls) {
    SceneTestEngine e(kSize, kSize, false);
    Tree scene(&e, "Tree In A Box");
    SceneObject& box = *scene.renderer.object(scene.box);
    // Vertices on the far wall's border also belong to side-wall faces; pushing them drags the
    // side walls along.
    auto onSideWall = [&](int v) {
        for (int f : box.vertices[v].faces)
            for (int k = 0; k < 3; ++k)
                if (box.vertices[box.faces[f].vertex[k]].position.z < 14.99f) return true;
        return false;
    };
    for (float corner : {-Tree::kSpotRange, Tree::kSpotRange}) {
        std::vector<int> faces, vertices;
        std::vector<float> weights;
        box.selectSphere(faces, vertices, weights, Vec3(corner, corner, Tree::kBoxHalf),
                         Tree::kSpotRadius);
        int shared = 0;
        for (int v : vertices)
            if (onSideWall(v)) ++shared;
        EXPECT_GT(shared, 0) << corner;
    }
    // In the middle of the wall a spot stays on the far wall.
    std::vector<int> faces, vertices;
    std::vector<float> weights;
    box.selectSphere(faces, vertices, weights, Vec3(0.0f, 0.0f, Tree::kBoxHalf), Tree::kSpotRadius);
    EXPECT_FALSE(vertices.empty());
    for (int v : vertices) EXPECT_FALSE(onSideWall(v)) << v;
}

TEST_F(TreeInABoxTest, SpikesAccumulateWithoutAddingSlots) {
    SceneTestEngine e(kSize, kSize, false);
    Tree scene(&e, "Tree In A Box");
    SceneObject& box = *scene.renderer.object(scene.box);
    const size_t vertexSlots = box.vertices.size(), faceSlots = box.faces.size();
    const std::vector<Vec3> before = positions(box);
    for (int frame = 0; frame < 375; ++frame) scene.animate(0, 40);  // 15 s
    const std::vector<Vec3> after = positions(box);
    int raised = 0;
    float nearest = Tree::kBoxHalf;
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i].z < 14.99f) continue;
        if (after[i].z < before[i].z - 1.0f) ++raised;
        nearest = std::min(nearest, after[i].z);
    }
    // Ten spots of radius 3 on a wall with a vertex every unit.
    EXPECT_GT(raised, 50);
    // A spot grows for a whole period, up to 24 units at its centre.
    EXPECT_LT(nearest, 0.0f);
    EXPECT_EQ(box.vertices.size(), vertexSlots);
    EXPECT_EQ(box.faces.size(), faceSlots);
}

TEST_F(TreeInABoxTest, LampBRunsTheOrbitOfLampATwoSecondsAhead) {
    SceneTestEngine e(kSize, kSize, false);
    Tree scene(&e, "Tree In A Box");
    SceneObject& a = *scene.renderer.object(scene.lampA);
    SceneObject& b = *scene.renderer.object(scene.lampB);
    for (int frame = 0; frame < 30; ++frame) scene.animate(0, 100);  // 3 s
    const Vec3 bAtThree = b.position;
    for (int frame = 0; frame < 20; ++frame) scene.animate(0, 100);  // 5 s
    EXPECT_LT((a.position - bAtThree).length(), 1e-4f);
    // Both aim at the same wandering point, and the camera at (0, 0, 10).
    const Vec3 aim = Tree::aimPoint(5.0f);
    EXPECT_GT(dot(a.spotDirection, (aim - a.position).normalized()), 0.9999f);
    EXPECT_GT(dot(b.spotDirection, (aim - b.position).normalized()), 0.9999f);
    const Vec3 look = scene.camera->position + scene.camera->direction;
    EXPECT_LT((look - Vec3(0.0f, 0.0f, 10.0f)).length(), 1e-4f);
}

TEST_F(TreeInABoxTest, FramesAreLitChangeOverTimeAndRepeatExactly) {
    const std::vector<int> times = {500, 6000, 15000};
    auto make = [](Engine& e) { return std::make_unique<Tree>(&e, "Tree In A Box"); };
    const std::vector<std::vector<uint8_t>> runs[2] = {picturesAt(kSize, make, times, 500),
                                                       picturesAt(kSize, make, times, 500)};
    for (size_t k = 0; k < runs[0].size(); ++k) {
        snapshot(runs[0][k], kSize, kSize, "tree-" + std::to_string(times[k]));
        EXPECT_GT(litShare(runs[0][k]), 0.05) << times[k];
        EXPECT_TRUE(runs[0][k] == runs[1][k]) << times[k];
    }
    EXPECT_GT(changedShare(runs[0][0], runs[0][1]), 0.02);
    EXPECT_GT(changedShare(runs[0][1], runs[0][2]), 0.02);
}
