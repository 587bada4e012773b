// "Lumerant Budget" on a real window: the cube, its rest copy and the room it builds, the
// deformation driven by scene time alone, lamps and camera, and what it puts on screen.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "content/SceneLumerantBudget.h"
#include "content/scene_test_support.h"
#include "render/Camera.h"

using scenetest::SceneTestEngine;

namespace {

const int kSize = 256;
const int kStartMs = 110000;  // the scene's place in the score

class LumerantBudgetTest : public scenetest::SceneGlTest {};

float largestDifference(const Mesh& a, const Mesh& b) {
    float worst = 0.0f;
    for (int i = 0; i < a.vertexCount; ++i)
        worst = std::fmax(worst, (a.vertices[i].position - b.vertices[i].position).length());
    return worst;
}

float largestCoordinate(const Mesh& m) {
    float worst = 0.0f;
    for (const MeshVertex& v : m.vertices)
        for (int c = 0; c < 3; ++c) worst = std::fmax(worst, std::fabs(v.position[c]));
    return worst;
}

SceneLumerantBudget* makeLumerantBudget(Engine& e) {
    return new SceneLumerantBudget(&e, "Lumerant Budget");
}

}  // namespace

TEST_F(LumerantBudgetTest, BuildsCubeHiddenRestCopyInsideOutRoomAndTwoLamps) {
    SceneTestEngine e(kSize, kSize);
    SceneLumerantBudget s(&e, "Lumerant Budget");
    EXPECT_EQ(s.renderer.objectCount(), 5);
    EXPECT_EQ(s.camera, e.findCamera("SceneLumerantBudget.camera0"));

    const SceneObject& cube = *s.renderer.object(s.cube);
    const SceneObject& rest = *s.renderer.object(s.restCube);
    EXPECT_TRUE(cube.visible);
    EXPECT_FALSE(rest.visible);
    EXPECT_GT(cube.vertexCount, 0);
    EXPECT_EQ(cube.vertexCount, rest.vertexCount);
    EXPECT_EQ(largestDifference(cube, rest), 0.0f);
    EXPECT_FLOAT_EQ(largestCoordinate(cube), 1.0f);
    EXPECT_EQ(scenetest::outwardness(cube), cube.faceCount);

    // The room spans -15 ... 15 with its faces turned inwards, and the block is back to the
    // cube's size and winding.
    const SceneObject& room = *s.renderer.object(s.room);
    EXPECT_FLOAT_EQ(largestCoordinate(room), 15.0f);
    EXPECT_EQ(scenetest::outwardness(room), -room.faceCount);
    EXPECT_EQ(s.shape.halfX, 1.0f);
    EXPECT_EQ(s.shape.halfY, 1.0f);
    EXPECT_EQ(s.shape.halfZ, 1.0f);
    EXPECT_FALSE(s.shape.flipWinding);

    for (int lamp : {s.lampA, s.lampB}) {
        const SceneObject& l = *s.renderer.object(lamp);
        EXPECT_TRUE(l.isLight);
        EXPECT_TRUE(l.castsShadows);
        EXPECT_EQ(l.shadowMapSize, 256);
        EXPECT_EQ(l.vertexCount, 7 * 6 + 2);
        EXPECT_EQ(scenetest::outwardness(l), l.faceCount);
        EXPECT_FALSE(l.surfaces[0].castsShadow);
        EXPECT_FALSE(l.surfaces[1].castsShadow);
    }
    // Warm lamp A, cool lamp B.
    EXPECT_GT(s.renderer.object(s.lampA)->lightDiffuse[0], s.renderer.object(s.lampA)->lightDiffuse[2]);
    EXPECT_LT(s.renderer.object(s.lampB)->lightDiffuse[0], s.renderer.object(s.lampB)->lightDiffuse[2]);
}

TEST_F(LumerantBudgetTest, TheCubeKeepsItsShapeForTheFirstTwoSeconds) {
    SceneTestEngine e(kSize, kSize);
    SceneLumerantBudget s(&e, "Lumerant Budget");
    for (int k = 1; k <= 50; ++k) {
        s.animate(0, 40);
        const SceneObject& cube = *s.renderer.object(s.cube);
        ASSERT_FLOAT_EQ(cube.scale.y, 0.5f) << k;
        ASSERT_EQ(cube.scale.x, 1.0f);
        ASSERT_EQ(cube.scale.z, 1.0f);
        ASSERT_LT(largestDifference(cube, *s.renderer.object(s.restCube)), 1e-6f) << k;
    }
    EXPECT_EQ(s.localTime, 2000);
}

TEST_F(LumerantBudgetTest, FullySwollenCubeStretchesAndDeforms) {
    SceneTestEngine e(kSize, kSize);
    SceneLumerantBudget s(&e, "Lumerant Budget");
    s.animate(0, 5500);
    const SceneObject& cube = *s.renderer.object(s.cube);
    EXPECT_FLOAT_EQ(cube.scale.y, 3.5f);
    EXPECT_FLOAT_EQ(s.shape.bulgeAmp, 0.25f);
    EXPECT_FLOAT_EQ(s.shape.waveXAmp, 3.0f);
    EXPECT_FLOAT_EQ(s.shape.twistRate, 0.2f);
    // The waves sway the cube sideways by up to three half-extents.
    EXPECT_GT(largestDifference(cube, *s.renderer.object(s.restCube)), 1.0f);
    EXPECT_GT(largestCoordinate(cube), 2.0f);
}

TEST_F(LumerantBudgetTest, TheShapeDependsOnTheSceneTimeAlone) {
    SceneTestEngine e(kSize, kSize);
    SceneLumerantBudget stepped(&e, "Lumerant Budget");
    SceneLumerantBudget jumped(&e, "Lumerant Budget");  // shares the first one's camera
    for (int k = 0; k < 250; ++k) stepped.animate(0, 40);
    jumped.animate(0, 3000);
    jumped.animate(0, 7000);
    ASSERT_EQ(stepped.localTime, jumped.localTime);
    const SceneObject& a = *stepped.renderer.object(stepped.cube);
    const SceneObject& b = *jumped.renderer.object(jumped.cube);
    EXPECT_LT(largestDifference(a, b), 1e-5f);
    EXPECT_EQ(a.scale.y, b.scale.y);
    EXPECT_EQ(a.position.x, b.position.x);
    // A backward seek brings the earlier shape back.
    jumped.animate(0, -4000);
    SceneLumerantBudget fresh(&e, "Lumerant Budget");
    fresh.animate(0, 6000);
    EXPECT_LT(largestDifference(*jumped.renderer.object(jumped.cube),
                                *fresh.renderer.object(fresh.cube)),
              1e-5f);
}

TEST_F(LumerantBudgetTest, MeshSlotsStayFixedWhileTheCubeDeforms) {
    SceneTestEngine e(kSize, kSize);
    SceneLumerantBudget s(&e, "Lumerant Budget");
    std::vector<scenetest::SlotCounts> start;
    for (int i = 0; i < s.renderer.objectCount(); ++i)
        start.push_back(scenetest::slotCounts(*s.renderer.object(i)));
    for (int k = 0; k < 400; ++k) s.animate(0, 40);
    for (int i = 0; i < s.renderer.objectCount(); ++i)
        EXPECT_TRUE(scenetest::slotCounts(*s.renderer.object(i)) == start[i]) << "object " << i;
}

TEST_F(LumerantBudgetTest, LampsAimAtTheCubeAndTheCameraAtAFifthOfIt) {
    SceneTestEngine e(kSize, kSize);
    SceneLumerantBudget s(&e, "Lumerant Budget");
    for (int k = 0; k < 40; ++k) {
        s.animate(0, 250);
        const Vec3 c = s.renderer.object(s.cube)->position;
        for (int lamp : {s.lampA, s.lampB}) {
            const SceneObject& l = *s.renderer.object(lamp);
            ASSERT_NEAR((l.spotDirection - (c - l.position).normalized()).length(), 0.0f, 1e-5f);
        }
        const Vec3 target = s.camera->position + s.camera->direction;
        ASSERT_NEAR((target - 0.2f * c).length(), 0.0f, 1e-4f);
        // The camera circles at distance 3 around (0, 0, -7).
        ASSERT_NEAR((s.camera->position - Vec3(0, 0, -7)).length(), 3.0f, 1e-4f);
    }
}

TEST_F(LumerantBudgetTest, PictureIsNotBlankAndChangesOverTime) {
    const std::vector<std::vector<uint8_t>> frames =
        scenetest::dispatchedPictures(kSize, makeLumerantBudget, kStartMs, 135000, {2, 30});
    const std::vector<uint8_t>& first = frames[0];
    const std::vector<uint8_t>& later = frames[1];
    EXPECT_GT(scenetest::meanLevel(first), 5.0);
    EXPECT_GT(scenetest::meanLevel(later), 5.0);
    EXPECT_GT(scenetest::differingPixels(first, later, 8), kSize * kSize / 20);
}

TEST_F(LumerantBudgetTest, TwoRunsDrawTheSameFrames) {
    const std::vector<uint8_t> a =
        scenetest::dispatchedPictures(kSize, makeLumerantBudget, kStartMs, 135000, {12})[0];
    const std::vector<uint8_t> b =
        scenetest::dispatchedPictures(kSize, makeLumerantBudget, kStartMs, 135000, {12})[0];
    EXPECT_EQ(scenetest::differingPixels(a, b), 0);
}
