#include "content/ScenePreCookedThoughts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "content/SceneFunkyStripes.h"
#include "content/scene_test_support.h"
#include "render/Camera.h"

// "Pre Cooked Thoughts" on a small engine without textures: the object state at chosen scene
// times, the borrowed camera, the mesh slots over a whole run, and the rendered pictures.

namespace {

using namespace scenetest;

class PreCookedThoughtsTest : public SceneGlTest {
protected:
    void SetUp() override {
        SceneGlTest::SetUp();
        engine = std::make_unique<SceneTestEngine>(256, 256, false);
        if (!engine->ready) GTEST_SKIP() << "no display";
        scene = new ScenePreCookedThoughts(engine.get(), "Pre Cooked Thoughts");
        engine->registerScene(scene);  // the engine deletes it
    }

    SceneObject& object(int index) { return *scene->renderer.object(index); }
    SceneObject& blob() { return object(scene->blob); }
    SceneObject& pillarA() { return object(scene->pillarA); }
    SceneObject& pillarB() { return object(scene->pillarB); }
    SceneObject& light() { return object(scene->light); }

    std::unique_ptr<SceneTestEngine> engine;
    ScenePreCookedThoughts* scene = nullptr;
};

}  // namespace

TEST_F(PreCookedThoughtsTest, BuildsABlobTwoPillarsAndAShadowCastingLight) {
    EXPECT_EQ(scene->renderer.objectCount(), 4);
    EXPECT_EQ(engine->findCamera("ScenePreCookedThoughts.camera0"), scene->camera);
    EXPECT_TRUE(light().castsShadows);
    // Slot 1 (the bloom source) is set up, slot 0 stays current.
    EXPECT_EQ(pillarB().surfaces[1].unitCount, 1);
    EXPECT_EQ(blob().surfaces[1].unitCount, 3);
    EXPECT_EQ(blob().currentSurface, 0);
}

TEST_F(PreCookedThoughtsTest, BeforeTheSwingPillarsStandApartAndTheBlobHasNoSize) {
    renderAt(*engine, *scene, 1.5f);
    expectVecNear(pillarA().position, Vec3(-6.61f, 0, 6));
    expectVecNear(pillarB().position, Vec3(6.61f, 0, 6));
    // Both tumble the same way about x and y.
    expectVecNear(pillarA().rotation, pillarB().rotation, 0.0f);
    EXPECT_GT(std::fabs(pillarA().rotation.x), 0.1f);
    EXPECT_EQ(pillarA().rotation.z, 0.0f);

    // Until 3 s the blob is scaled to nothing, however its waves move.
    renderAt(*engine, *scene, 2.9f);
    EXPECT_EQ(maxVertexDistance(blob()), 0.0f);
    EXPECT_EQ(blob().vertexCount, 10 * 9 + 2);
}

TEST_F(PreCookedThoughtsTest, AfterTheSwingPillarsCounterRotateAndMakeRoomForTheBlob) {
    renderAt(*engine, *scene, 3.5f);
    EXPECT_EQ(pillarA().rotation.x, 0.0f);
    EXPECT_EQ(pillarB().rotation.x, 0.0f);
    EXPECT_FLOAT_EQ(pillarA().rotation.y, -pillarB().rotation.y);
    EXPECT_NE(pillarA().rotation.y, 0.0f);
    // Swung in to 6.61 - 3.2 while the blob is still small ...
    EXPECT_GE(pillarB().position.x, 6.61f - 3.2f - 1e-4f);
    EXPECT_LT(pillarB().position.x, 4.0f);
    EXPECT_FLOAT_EQ(pillarA().position.x, -pillarB().position.x);

    // ... and back out to 6.61 - 2.2 once it has its full size.
    renderAt(*engine, *scene, 6.5f);
    expectVecNear(pillarA().position, Vec3(-4.41f, 0, 6));
    expectVecNear(pillarB().position, Vec3(4.41f, 0, 6));
}

TEST_F(PreCookedThoughtsTest, PillarsAreTenTimesTallerThanWide) {
    renderAt(*engine, *scene, 5.0f);
    float width = 0.0f, height = 0.0f;
    for (const MeshVertex& v : pillarA().vertices) {
        if (v.deleted) continue;
        width = std::max(width, std::hypot(v.position.x, v.position.z));
        height = std::max(height, std::fabs(v.position.y));
    }
    EXPECT_GT(height / width, 7.0f);
    EXPECT_LT(height / width, 13.0f);
}

TEST_F(PreCookedThoughtsTest, BlobReachesFullSizeThenFallsBackAsAPlainSphere) {
    renderAt(*engine, *scene, 7.0f);
    EXPECT_FLOAT_EQ(blob().position.z, 4.0f);
    const float waved = maxVertexDistance(blob());
    EXPECT_GT(waved, 1.0f);  // the band wave bulges the unit sphere
    EXPECT_LT(waved, 1.5f);

    // From 10 s on the waves are gone: a unit sphere at z = -0.7, the light pulled back.
    renderAt(*engine, *scene, 10.5f);
    EXPECT_FLOAT_EQ(blob().position.z, -0.7f);
    for (const MeshVertex& v : blob().vertices) {
        if (v.deleted) continue;
        EXPECT_NEAR(v.position.length(), 1.0f, 1e-5f);
    }
    EXPECT_NEAR(light().position.z, -6.5f, 1e-5f);
}

TEST_F(PreCookedThoughtsTest, LightCirclesAndAimsBetweenThePillars) {
    for (float t : {1.0f, 4.0f, 9.0f}) {
        renderAt(*engine, *scene, t);
        const Vec3 p = light().position;
        EXPECT_NEAR(std::hypot(p.x, p.y), 3.5f, 1e-4f);
        const Vec3 middle = (pillarA().position + pillarB().position) * 0.5f;
        EXPECT_NEAR(light().spotDirection.length(), 1.0f, 1e-5f);
        EXPECT_GT(dot((middle - p).normalized(), light().spotDirection), 0.99999f);
    }
}

TEST_F(PreCookedThoughtsTest, CameraFlickersBackByTwoWithoutABorrowedCamera) {
    ASSERT_EQ(engine->findCamera("SceneFunkyStripes.camera0"), nullptr);
    renderAt(*engine, *scene, 1.9f);
    expectVecNear(scene->camera->position, Vec3(0, 0, 0), 0.0f);
    // Three half-waves between 2 and 4 s: back, forward, back.
    std::vector<float> offsets;
    for (int ms = 2000; ms <= 4000; ms += 50) {
        renderAt(*engine, *scene, ms / 1000.0f);
        offsets.push_back(scene->camera->position.z);
    }
    int turns = 0;
    for (size_t i = 2; i < offsets.size(); ++i)
        if ((offsets[i] - offsets[i - 1]) * (offsets[i - 1] - offsets[i - 2]) < 0.0f) ++turns;
    EXPECT_EQ(turns, 2);
    renderAt(*engine, *scene, 4.2f);
    expectVecNear(scene->camera->position, Vec3(0, 0, -2));
    EXPECT_EQ(scene->camera->direction.z, 1.0f);
}

TEST_F(PreCookedThoughtsTest, CameraStartsFromTheFunkyStripesCameraBuiltAfterIt) {
    // The content builds this scene first; the camera it borrows appears afterwards.
    auto* stripes = new SceneFunkyStripes(engine.get(), "Funky Stripes");
    engine->registerScene(stripes);

    renderAt(*engine, *scene, 1.0f);  // "Funky Stripes" has not run: its camera is at the origin
    expectVecNear(scene->camera->position, Vec3(0, 0, 0), 0.0f);

    scenePass(*engine, *stripes, 1200);  // its camera moves to z = -5 within its first second
    renderAt(*engine, *scene, 5.0f);
    expectVecNear(scene->camera->position, Vec3(0, 0, -7));
    expectVecNear(stripes->camera->position, Vec3(0, 0, -5));
}

TEST_F(PreCookedThoughtsTest, MeshSlotsStayFixedOverTheWholeWindowAtSixtyFramesPerSecond) {
    EXPECT_TRUE(slotsStayFixed(*engine, *scene, scene->renderer, 11500));
    // Rebuilt at 10 x 10, however many slots the construction geometry took.
    EXPECT_EQ(blob().vertexCount, 10 * 9 + 2);
    EXPECT_EQ(pillarA().faceCount, 2 * 10 * 9);
}

TEST_F(PreCookedThoughtsTest, FramesShowTheSceneChangeOverTimeAndRepeatExactly) {
    const float times[] = {1.0f, 3.5f, 5.0f, 7.5f, 9.0f, 11.0f};
    std::vector<std::vector<uint8_t>> first;
    for (float t : times) {
        renderAt(*engine, *scene, t);
        first.push_back(readRgbaFrame(*engine));
        EXPECT_GT(visibleShare(first.back()), 0.02) << "at " << t << " s";
    }
    for (size_t i = 1; i < first.size(); ++i)
        EXPECT_GT(meanDifference(first[i - 1], first[i]), 0.5) << "between frames " << i - 1
                                                                << " and " << i;

    auto* again = new ScenePreCookedThoughts(engine.get(), "Pre Cooked Thoughts");
    engine->registerScene(again);
    for (size_t i = 0; i < first.size(); ++i) {
        renderAt(*engine, *again, times[i]);
        EXPECT_EQ(readRgbaFrame(*engine), first[i]) << "at " << times[i] << " s";
    }
}
