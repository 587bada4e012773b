// "Verdanth" on a real window: construction, growth, camera and lamp, and rendered frames.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "content/SceneVerdanth.h"
#include "content/scene_test_support.h"
#include "render/Camera.h"

namespace {

using namespace scenetest;

const int kSize = 512;

class VerdanthTest : public SceneGlTest {};

}  // namespace

TEST_F(VerdanthTest, BuildsTheMassTheInsideOutRoomAndAShadowCastingLamp) {
    SceneTestEngine e(kSize, kSize, false);
    SceneVerdanth scene(&e, "Verdanth");
    EXPECT_EQ(scene.name, "Verdanth");
    EXPECT_EQ(e.findCamera("SceneVerdanth.camera0"), scene.camera);
    EXPECT_EQ(scene.renderer.objectCount(), 3);

    SceneObject& mass = *scene.renderer.object(scene.mass);
    EXPECT_EQ(mass.vertexCount, 40 * 39 + 2);
    EXPECT_NEAR(maxVertexDistance(mass), 2.5f, 1e-4f);
    EXPECT_TRUE(mass.surfaces[0].castsShadow);
    EXPECT_TRUE(mass.surfaces[1].castsShadow);
    // The bloom slot is the brighter one.
    EXPECT_GT(mass.surfaces[1].colourScale.x, mass.surfaces[0].colourScale.x);
    EXPECT_EQ(mass.currentSurface, 0);

    // The room's faces look inwards: their normals point towards the centre.
    SceneObject& room = *scene.renderer.object(scene.room);
    EXPECT_NEAR(maxVertexDistance(room), 25.0f, 1e-3f);
    int inward = 0, faces = 0;
    for (const MeshFace& f : room.faces) {
        if (f.deleted) continue;
        const Vec3 p0 = room.vertices[f.vertex[0]].position;
        const Vec3 p1 = room.vertices[f.vertex[1]].position;
        const Vec3 p2 = room.vertices[f.vertex[2]].position;
        const Vec3 n = cross(p1 - p0, p2 - p0);
        ++faces;
        if (dot(n, p0 + p1 + p2) < 0.0f) ++inward;
    }
    EXPECT_EQ(inward, faces);
    EXPECT_FALSE(room.surfaces[0].castsShadow);
    EXPECT_EQ(room.surfaces[1].unitCount, 0);

    SceneObject& lamp = *scene.renderer.object(scene.lamp);
    EXPECT_TRUE(lamp.isLight);
    EXPECT_TRUE(lamp.castsShadows);
    EXPECT_EQ(lamp.shadowMapSize, 256);
    EXPECT_EQ(lamp.vertexCount, 8 * 7 + 2);
    EXPECT_NEAR(maxVertexDistance(lamp), 1.0f, 1e-4f);
    // The lamp sphere surrounds the light: it must stay out of its own shadow map.
    EXPECT_FALSE(lamp.surfaces[0].castsShadow);
    EXPECT_FALSE(lamp.surfaces[1].castsShadow);
    for (float h : scene.history) EXPECT_EQ(h, 0.0f);
}

TEST_F(VerdanthTest, EveryFramePushesTheSelectedVerticesOutwardsEvenWithAZeroStep) {
    SceneTestEngine e(kSize, kSize, false);
    SceneVerdanth scene(&e, "Verdanth");
    SceneObject& mass = *scene.renderer.object(scene.mass);
    const std::vector<Vec3> before = positions(mass);

    scene.animate(0, 0);
    const std::vector<Vec3> after = positions(mass);
    // At t = 0 the selection is the ball of radius 3 around the seek point.
    const Vec3 p = SceneVerdanth::seekPoint(0.0f);
    const Vec3 push = p.rotatedAbout(2, 0.7f);  // amount 1: a zero step still pushes
    int moved = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        const float d = (before[i] - p).length();
        const Vec3 step = after[i] - before[i];
        if (d > 3.0f) {
            EXPECT_EQ(step.length(), 0.0f) << i;
            continue;
        }
        const float expected = SceneVerdanth::growthFalloff(1.0f - d / 3.0f);
        EXPECT_NEAR((step - push * expected).length(), 0.0f, 1e-4f) << i;
        if (step.length() > 0.0f) ++moved;
    }
    EXPECT_GT(moved, 10);
    EXPECT_EQ(scene.localTime, 0);
}

TEST_F(VerdanthTest, MassKeepsGrowingWithoutAddingSlots) {
    SceneTestEngine e(kSize, kSize, false);
    SceneVerdanth scene(&e, "Verdanth");
    SceneObject& mass = *scene.renderer.object(scene.mass);
    const size_t vertexSlots = mass.vertices.size(), faceSlots = mass.faces.size();
    const int faces = mass.faceCount;
    const std::vector<Vec3> original = positions(mass);
    const float startReach = maxVertexDistance(mass);
    auto displaced = [&]() {
        int n = 0;
        for (size_t i = 0; i < original.size(); ++i)
            if ((mass.vertices[i].position - original[i]).length() > 1e-4f) ++n;
        return n;
    };
    // Pushed vertices stay pushed while the seek point reaches new ones.
    int previous = 0;
    for (int frame = 1; frame <= 200; ++frame) {
        scene.animate(0, 40);
        const int now = displaced();
        EXPECT_GE(now, previous) << frame;
        previous = now;
    }
    EXPECT_GT(previous, mass.vertexCount * 9 / 10);
    EXPECT_EQ(mass.vertices.size(), vertexSlots);
    EXPECT_EQ(mass.faces.size(), faceSlots);
    EXPECT_EQ(mass.faceCount, faces);
    EXPECT_GT(maxVertexDistance(mass), 3.0f * startReach);  // an ever larger spiky mass
}

TEST_F(VerdanthTest, InSilenceTheCameraBacksAwayAndTheLampFollowsIt) {
    SceneTestEngine e(kSize, kSize, false);
    SceneVerdanth scene(&e, "Verdanth");
    SceneObject& mass = *scene.renderer.object(scene.mass);
    SceneObject& lamp = *scene.renderer.object(scene.lamp);
    for (int frame = 1; frame <= 100; ++frame) {
        scene.animate(0, 50);
        const float t = frame * 0.05f;
        EXPECT_EQ(scene.level, 0.0f);
        EXPECT_EQ(mass.scale.x, 1.0f);
        EXPECT_EQ(mass.scale.z, 1.0f);
        EXPECT_NEAR(scene.camera->position.length(), 1.5f * t + 10.0f, 1e-3f);
        // The camera looks at the origin.
        const Vec3 look = scene.camera->position + scene.camera->direction;
        EXPECT_NEAR(look.length(), 0.0f, 1e-4f);
        // The lamp sits a little off 2.2 times the camera position and aims at the mass.
        EXPECT_LT((lamp.position - 2.2f * scene.camera->position).length(), 0.6f);
        EXPECT_NEAR(lamp.spotDirection.length(), 1.0f, 1e-5f);
        EXPECT_GT(dot(lamp.spotDirection, (mass.position - lamp.position).normalized()),
                  0.9999f);
    }
}

TEST_F(VerdanthTest, FramesAreLitChangeOverTimeAndRepeatExactly) {
    const std::vector<int> times = {500, 5000, 12000};
    auto make = [](Engine& e) { return std::make_unique<SceneVerdanth>(&e, "Verdanth"); };
    const std::vector<std::vector<uint8_t>> runs[2] = {picturesAt(kSize, make, times, 300),
                                                       picturesAt(kSize, make, times, 300)};
    for (size_t k = 0; k < runs[0].size(); ++k) {
        snapshot(runs[0][k], kSize, kSize, "verdanth-" + std::to_string(times[k]));
        EXPECT_GT(litShare(runs[0][k]), 0.05) << times[k];
        EXPECT_TRUE(runs[0][k] == runs[1][k]) << times[k];
    }
    EXPECT_GT(changedShare(runs[0][0], runs[0][1]), 0.02);
    EXPECT_GT(changedShare(runs[0][1], runs[0][2]), 0.02);
}
