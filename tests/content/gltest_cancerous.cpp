// "Cancerous" on a real window: what it builds, how the dents and the growth change the big
// blob, where camera and light go, and what it puts on screen.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "content/SceneCancerous.h"
#include "content/scene_test_support.h"
#include "render/Camera.h"

using scenetest::SceneTestEngine;

namespace {

const int kSize = 256;
const int kStartMs = 31000;  // the scene's place in the score

class CancerousTest : public scenetest::SceneGlTest {};

float parallelError(const Vec3& a, const Vec3& b) {
    return cross(a, b).length() / (a.length() * b.length());
}

// A scene time at which the moons and the growth touch the undeformed blob (radius 3) or
// stay well clear of it, as asked.
float findTime(bool moons, bool growth) {
    for (float t = 0.5f; t < 24.0f; t += 0.01f) {
        const float a = SceneCancerous::moonPoint(Vec3(3.5f, 0, 0), t).length();
        const float g = SceneCancerous::growthPoint(t).length() - SceneCancerous::growthRadius(t);
        if ((moons ? a < 4.5f : a > 5.3f) && (growth ? g < 2.6f : g > 3.3f)) return t;
    }
    return -1.0f;
}

SceneCancerous* makeCancerous(Engine& e) { return new SceneCancerous(&e, "Cancerous"); }

}  // namespace

TEST_F(CancerousTest, BuildsBlobMoonsInsideOutRoomAndLamp) {
    SceneTestEngine e(kSize, kSize);
    SceneCancerous s(&e, "Cancerous");
    EXPECT_EQ(s.renderer.objectCount(), 5);
    EXPECT_EQ(s.camera, e.findCamera("SceneCancerous.camera0"));

    const SceneObject& blob = *s.renderer.object(s.blob);
    EXPECT_EQ(blob.vertexCount, 45 * 44 + 2);
    EXPECT_EQ(scenetest::outwardness(blob), blob.faceCount);
    for (int moon : {s.moonA, s.moonB}) {
        const SceneObject& m = *s.renderer.object(moon);
        EXPECT_EQ(m.vertexCount, 10 * 9 + 2);
        EXPECT_EQ(scenetest::outwardness(m), m.faceCount);
    }
    // The room is seen from inside and never throws shadows over the scene.
    const SceneObject& room = *s.renderer.object(s.environment);
    EXPECT_EQ(scenetest::outwardness(room), -room.faceCount);
    EXPECT_FALSE(room.surfaces[0].castsShadow);
    EXPECT_FALSE(room.surfaces[1].castsShadow);

    // The lamp is built after the room: its sphere faces outwards again.
    const SceneObject& lamp = *s.renderer.object(s.light);
    EXPECT_TRUE(lamp.isLight);
    EXPECT_TRUE(lamp.castsShadows);
    EXPECT_EQ(lamp.shadowMapSize, 256);
    EXPECT_EQ(lamp.vertexCount, 8 * 7 + 2);
    EXPECT_EQ(scenetest::outwardness(lamp), lamp.faceCount);
    EXPECT_FALSE(lamp.surfaces[0].castsShadow);
    EXPECT_FALSE(lamp.surfaces[1].castsShadow);

    // Every unit found its texture.
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(blob.surfaces[0].unitTexture[i], 0u) << i;
        EXPECT_NE(blob.surfaces[1].unitTexture[i], 0u) << i;
    }
    EXPECT_TRUE(blob.surfaces[0].unitCubeMap[2]);
}

TEST_F(CancerousTest, MissingTexturesLeaveUnitsUntexturedAndStillDraw) {
    SceneTestEngine e(kSize, kSize, false);
    auto* s = new SceneCancerous(&e, "Cancerous");
    EXPECT_EQ(s->renderer.object(s->blob)->surfaces[0].unitTexture[0], 0u);
    EXPECT_EQ(s->renderer.object(s->blob)->surfaces[0].unitTexture[2], 0u);
    e.play(s, kStartMs, 55000);
    e.frameAt(kStartMs + 40);
    EXPECT_GT(scenetest::meanLevel(scenetest::readRgbFrame(kSize, kSize)), 1.0);
}

TEST_F(CancerousTest, AStillFrameGrowsTheBlobAndPressesNoDent) {
    const float t = findTime(true, true);
    ASSERT_GT(t, 0.0f) << "no time at which all three influences touch the blob";
    SceneTestEngine e(kSize, kSize);
    SceneCancerous s(&e, "Cancerous");
    s.localTime = static_cast<int>(std::lround(t * 1000.0f));
    const float tf = static_cast<float>(s.localTime) / 1000.0f;
    const Vec3 g = SceneCancerous::growthPoint(tf);
    const float radius = SceneCancerous::growthRadius(tf);

    const SceneObject& blob = *s.renderer.object(s.blob);
    const std::vector<Vec3> before = scenetest::positions(blob);
    const Vec3 turnA = s.renderer.object(s.moonA)->rotation;
    s.animate(kStartMs, 0);

    int moved = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        const Vec3 d = blob.vertices[i].position - before[i];
        if (d.lengthSquared() == 0.0f) continue;
        ++moved;
        // Pushed outwards along the growth point, never by more than 0.2 of it, and only
        // where the growth reaches.
        EXPECT_LE((before[i] - g).length(), radius * (1.0f + 1e-5f));
        EXPECT_LT(parallelError(d, g), 1e-3f);
        EXPECT_GT(dot(d, g), 0.0f);
        EXPECT_LE(d.length(), 0.2f * g.length() * (1.0f + 1e-5f));
    }
    EXPECT_GT(moved, 0);
    // The moons sit on their paths but did not turn.
    const Vec3 moon = s.renderer.object(s.moonA)->position;
    const Vec3 expected = SceneCancerous::moonPoint(Vec3(3.5f, 0, 0), tf);
    EXPECT_NEAR((moon - expected).length(), 0.0f, 1e-5f);
    EXPECT_EQ(s.renderer.object(s.moonA)->rotation.x, turnA.x);
    EXPECT_EQ(s.renderer.object(s.moonA)->rotation.y, turnA.y);
}

TEST_F(CancerousTest, TheMoonsPressTheirDentsInwardsAndRollOn) {
    // The two moons fly on point-mirrored paths, so they always touch the blob together.
    const float t = findTime(true, false);
    ASSERT_GT(t, 0.0f) << "no time at which only the moons touch the blob";
    SceneTestEngine e(kSize, kSize);
    SceneCancerous s(&e, "Cancerous");
    const int delta = 40;
    s.localTime = static_cast<int>(std::lround(t * 1000.0f)) - delta;
    const float tf = static_cast<float>(s.localTime + delta) / 1000.0f;
    const Vec3 pa = SceneCancerous::moonPoint(Vec3(3.5f, 0, 0), tf);
    const Vec3 pb = SceneCancerous::moonPoint(Vec3(-3.5f, 0, 0), tf);
    const SceneObject& blob = *s.renderer.object(s.blob);
    const std::vector<Vec3> before = scenetest::positions(blob);
    s.animate(kStartMs, delta);

    int moved = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        const Vec3 d = blob.vertices[i].position - before[i];
        if (d.lengthSquared() == 0.0f) continue;
        ++moved;
        const Vec3& p = (before[i] - pa).length() < (before[i] - pb).length() ? pa : pb;
        EXPECT_LE((before[i] - p).length(), 2.0f * (1.0f + 1e-5f));
        EXPECT_LT(parallelError(d, p), 1e-3f);
        EXPECT_LT(dot(d, p), 0.0f);  // towards the blob's centre
        EXPECT_LE(d.length(), 6.0f * 0.04f * p.length() * (1.0f + 1e-5f));
    }
    EXPECT_GT(moved, 0);
    EXPECT_NE(s.renderer.object(s.moonA)->rotation.lengthSquared(), 0.0f);
    EXPECT_NE(s.renderer.object(s.moonB)->rotation.lengthSquared(), 0.0f);
}

TEST_F(CancerousTest, MeshSlotsStayFixedWhileTheBlobDeforms) {
    SceneTestEngine e(kSize, kSize);
    SceneCancerous s(&e, "Cancerous");
    std::vector<scenetest::SlotCounts> start;
    for (int i = 0; i < s.renderer.objectCount(); ++i)
        start.push_back(scenetest::slotCounts(*s.renderer.object(i)));
    const std::vector<Vec3> original = scenetest::positions(*s.renderer.object(s.blob));
    for (int k = 1; k <= 400; ++k) s.animate(kStartMs + 40 * k, 40);
    for (int i = 0; i < s.renderer.objectCount(); ++i)
        EXPECT_TRUE(scenetest::slotCounts(*s.renderer.object(i)) == start[i]) << "object " << i;
    // Sixteen seconds of dents and growth leave their marks.
    const std::vector<Vec3> now = scenetest::positions(*s.renderer.object(s.blob));
    int changed = 0;
    for (size_t i = 0; i < now.size(); ++i)
        if ((now[i] - original[i]).length() > 0.1f) ++changed;
    EXPECT_GT(changed, static_cast<int>(now.size()) / 20);
}

TEST_F(CancerousTest, CameraCirclesTheBlobAndComesBackAfterFortySevenSeconds) {
    SceneTestEngine e(kSize, kSize);
    SceneCancerous s(&e, "Cancerous");
    s.localTime = 15000;
    s.animate(46000, 0);
    const float t = 15.0f;
    const Vec3 g = SceneCancerous::growthPoint(t);
    ASSERT_GT(g.length(), 0.5f);
    EXPECT_NEAR(s.camera->position.length(), SceneCancerous::cameraDistance(46.0f, g), 1e-3f);
    EXPECT_GT(s.camera->position.length(), 9.5f);
    // It looks at the blob's centre.
    EXPECT_LT(parallelError(s.camera->direction, s.camera->position), 1e-5f);
    EXPECT_LT(dot(s.camera->direction, s.camera->position), 0.0f);

    const Vec3 early = s.camera->position;
    s.animate(48500, 0);
    EXPECT_NEAR(s.camera->position.length(), 9.0f, 1e-4f);
    // Same scene time, same angle around the blob: only the distance changed.
    EXPECT_LT(parallelError(early, s.camera->position), 1e-5f);
}

TEST_F(CancerousTest, TheSpotlightAlwaysAimsAtTheBlob) {
    SceneTestEngine e(kSize, kSize);
    SceneCancerous s(&e, "Cancerous");
    for (int k = 1; k <= 50; ++k) {
        s.animate(kStartMs + 200 * k, 200);
        const SceneObject& lamp = *s.renderer.object(s.light);
        ASSERT_NEAR(lamp.spotDirection.length(), 1.0f, 1e-5f);
        const Vec3 towardsBlob = (s.renderer.object(s.blob)->position - lamp.position).normalized();
        ASSERT_NEAR((lamp.spotDirection - towardsBlob).length(), 0.0f, 1e-5f);
        // Outside the blob, inside the room.
        ASSERT_GT(lamp.position.length(), 8.0f);
        ASSERT_LT(lamp.position.length(), 25.0f);
    }
}

TEST_F(CancerousTest, PictureIsNotBlankAndChangesOverTime) {
    const std::vector<std::vector<uint8_t>> frames =
        scenetest::dispatchedPictures(kSize, makeCancerous, kStartMs, 55000, {2, 30});
    const std::vector<uint8_t>& first = frames[0];
    const std::vector<uint8_t>& later = frames[1];
    EXPECT_GT(scenetest::meanLevel(first), 5.0);
    EXPECT_GT(scenetest::meanLevel(later), 5.0);
    EXPECT_GT(scenetest::differingPixels(first, later, 8), kSize * kSize / 20);
}

TEST_F(CancerousTest, TwoRunsDrawTheSameFrames) {
    const std::vector<uint8_t> a =
        scenetest::dispatchedPictures(kSize, makeCancerous, kStartMs, 55000, {12})[0];
    const std::vector<uint8_t> b =
        scenetest::dispatchedPictures(kSize, makeCancerous, kStartMs, 55000, {12})[0];
    EXPECT_EQ(scenetest::differingPixels(a, b), 0);
}

TEST_F(CancerousTest, DrawsWithoutScreenEffects) {
    SceneTestEngine e(kSize, kSize);
    delete e.screenEffects;
    e.screenEffects = nullptr;
    SceneCancerous s(&e, "Cancerous");
    glViewport(0, 0, kSize, kSize);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    s.render(kStartMs, 40);
    EXPECT_GT(scenetest::meanLevel(scenetest::readRgbFrame(kSize, kSize)), 1.0);
}
