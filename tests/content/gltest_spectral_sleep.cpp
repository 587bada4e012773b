// "Spectral Sleep" on a real window: the row of blobs and the room it builds, how the smoothed
// spectrum lifts, swells and colours the blobs, camera and light, and what it puts on screen.
// The test engine has no music, so the spectrum it reads is silent; the smoothed history is
// set directly where a test needs the bands to move.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "content/SceneSpectralSleep.h"
#include "content/scene_test_support.h"
#include "render/Camera.h"

using scenetest::SceneTestEngine;

namespace {

const int kSize = 256;
const int kStartMs = 55000;  // the scene's place in the score
const int kFirst = SceneSpectralSleep::kFirstBin;
const int kEnd = SceneSpectralSleep::kFirstBin + SceneSpectralSleep::kBinCount;

class SpectralSleepTest : public scenetest::SceneGlTest {};

struct Extent {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

Extent extentOf(const Mesh& m) {
    Extent e;
    for (const MeshVertex& v : m.vertices) {
        if (v.deleted) continue;
        e.x = std::fmax(e.x, std::fabs(v.position.x));
        e.y = std::fmax(e.y, std::fabs(v.position.y));
        e.z = std::fmax(e.z, std::fabs(v.position.z));
    }
    return e;
}

bool allWhite(const Mesh& m) {
    for (const MeshVertex& v : m.vertices)
        if (!v.deleted && (v.colour.x != 1.0f || v.colour.y != 1.0f || v.colour.z != 1.0f))
            return false;
    return true;
}

void fillHistory(SceneSpectralSleep& s, float value) {
    for (int i = kFirst; i < kEnd; ++i) s.history[i] = value;
}

SceneSpectralSleep* makeSpectralSleep(Engine& e) {
    return new SceneSpectralSleep(&e, "Spectral Sleep");
}

}  // namespace

TEST_F(SpectralSleepTest, BuildsFifteenBlobsATallInsideOutRoomAndALight) {
    SceneTestEngine e(kSize, kSize);
    SceneSpectralSleep s(&e, "Spectral Sleep");
    EXPECT_EQ(s.renderer.objectCount(), SceneSpectralSleep::kBlobCount + 2);
    EXPECT_EQ(s.blobCount, SceneSpectralSleep::kBlobCount);
    EXPECT_EQ(s.camera, e.findCamera("SceneSpectralSleep.camera0"));
    for (int l = 0; l < SceneSpectralSleep::kBlobCount; ++l) EXPECT_EQ(s.blobs[l], l);

    const SceneObject& room = *s.renderer.object(s.room);
    const Extent r = extentOf(room);
    EXPECT_NEAR(r.y, 40.0f, 1e-3f);  // twice as tall as wide
    EXPECT_LE(r.x, 20.0f + 1e-3f);
    EXPECT_EQ(scenetest::outwardness(room), -room.faceCount);

    const SceneObject& light = *s.renderer.object(s.light);
    EXPECT_TRUE(light.isLight);
    EXPECT_TRUE(light.castsShadows);
    EXPECT_EQ(light.shadowMapSize, 256);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(s.history[i * 500], 0.0f);
}

TEST_F(SpectralSleepTest, ShadowMapShrinksToFitASmallWindow) {
    SceneTestEngine e(200, 150);
    SceneSpectralSleep s(&e, "Spectral Sleep");
    EXPECT_EQ(s.renderer.object(s.light)->shadowMapSize, 128);
}

TEST_F(SpectralSleepTest, SilenceLeavesSmallWhiteBlobsInARowOnTheFloor) {
    SceneTestEngine e(kSize, kSize);
    SceneSpectralSleep s(&e, "Spectral Sleep");
    const float* bands = s.bands;  // the bands of the last frame
    for (int k = 0; k < 5; ++k) s.animate(0, 40);
    for (int l = 0; l < SceneSpectralSleep::kBlobCount; ++l) {
        const SceneObject& b = *s.renderer.object(s.blobs[l]);
        EXPECT_EQ(bands[l], 0.0f);
        EXPECT_EQ(b.position.y, 0.0f);
        EXPECT_EQ(b.vertexCount, 6 * 13 + 2);
        // Radius 0.2, stretched 1.5 times along the row (six segments reach sin 60 degrees
        // of it sideways).
        const Extent x = extentOf(b);
        EXPECT_NEAR(x.x, 0.2f * 1.5f * std::sin(3.14159265f / 3.0f), 1e-4f);
        EXPECT_NEAR(x.y, 0.2f, 1e-4f);
        EXPECT_NEAR(x.z, 0.2f, 1e-4f);
        EXPECT_TRUE(allWhite(b)) << l;
    }
    // The row runs from -4 to (14/15 - 0.5) * 8: it is not centred.
    EXPECT_FLOAT_EQ(s.renderer.object(s.blobs[0])->position.x, -4.0f);
    EXPECT_NEAR(s.renderer.object(s.blobs[14])->position.x, (14.0f / 15.0f - 0.5f) * 8.0f, 1e-5f);
    for (int l = 1; l < SceneSpectralSleep::kBlobCount; ++l)
        EXPECT_GT(s.renderer.object(s.blobs[l])->position.x,
                  s.renderer.object(s.blobs[l - 1])->position.x);
}

TEST_F(SpectralSleepTest, BandsLiftTheirBlobsAndBandZeroCountsOneEntryMore) {
    SceneTestEngine e(kSize, kSize);
    SceneSpectralSleep s(&e, "Spectral Sleep");
    fillHistory(s, 0.1f);
    s.animate(0, 40);  // a silent frame: the history decays to 0.095
    const float y1 = s.renderer.object(s.blobs[1])->position.y;
    const float y0 = s.renderer.object(s.blobs[0])->position.y;
    EXPECT_NEAR(y1, 3.0f * 0.095f, 1e-5f);
    EXPECT_NEAR(y0 / y1, 21.0f / 20.0f, 1e-5f);
    for (int l = 1; l < SceneSpectralSleep::kBlobCount; ++l)
        EXPECT_FLOAT_EQ(s.renderer.object(s.blobs[l])->position.y, y1) << l;
    // Level 0.285: coloured, and bent out of the small round shape.
    const SceneObject& b = *s.renderer.object(s.blobs[3]);
    EXPECT_FALSE(allWhite(b));
    EXPECT_GT(extentOf(b).z, 0.5f);

    // Further silent frames let the blobs sink back towards the floor.
    float previous = y1;
    for (int k = 0; k < 30; ++k) {
        s.animate(0, 40);
        const float y = s.renderer.object(s.blobs[1])->position.y;
        ASSERT_LT(y, previous);
        ASSERT_GT(y, 0.0f);
        previous = y;
    }
}

TEST_F(SpectralSleepTest, AThirdIsFullLevelAndNegativeBandsSinkWhite) {
    SceneTestEngine e(kSize, kSize);
    SceneSpectralSleep s(&e, "Spectral Sleep");
    const float* bands = s.bands;  // the bands of the last frame
    // Blob 2's entries strongly positive, blob 5's negative, the rest silent.
    for (int i = kFirst + 2 * 20 + 1; i <= kFirst + 2 * 20 + 20; ++i) s.history[i] = 0.5f;
    for (int i = kFirst + 5 * 20 + 1; i <= kFirst + 5 * 20 + 20; ++i) s.history[i] = -0.5f;
    s.animate(0, 40);
    EXPECT_GE(3.0f * bands[2], 1.0f);

    const SceneObject& loud = *s.renderer.object(s.blobs[2]);
    const SceneObject& quiet = *s.renderer.object(s.blobs[4]);
    const SceneObject& sunk = *s.renderer.object(s.blobs[5]);
    EXPECT_FALSE(allWhite(loud));
    EXPECT_GT(extentOf(loud).z, extentOf(quiet).z * 4.0f);  // full bends
    EXPECT_LT(sunk.position.y, 0.0f);
    EXPECT_TRUE(allWhite(sunk));
    EXPECT_LT(extentOf(sunk).y, 0.2f);  // radius below 0.2
    EXPECT_TRUE(allWhite(quiet));
}

TEST_F(SpectralSleepTest, HistoryMovesAOneTwentiethTowardsEachFrame) {
    SceneTestEngine e(kSize, kSize);
    SceneSpectralSleep s(&e, "Spectral Sleep");
    std::vector<float> spectrum(SceneSpectralSleep::kSpectrumSize, 0.0f);
    spectrum[300] = 0.5f;
    float bands[SceneSpectralSleep::kBandTableSize];
    s.analyseSpectrum(spectrum.data(), bands);
    const float normalised = (0.5f - 0.5f / 512.0f) / 0.5f;
    EXPECT_NEAR(s.history[300], 0.05f * normalised, 1e-6f);
    EXPECT_NEAR(s.history[301], 0.05f * (-1.0f / 512.0f), 1e-7f);
    // Entries outside the watched bins stay untouched.
    EXPECT_EQ(s.history[kFirst - 1], 0.0f);
    EXPECT_EQ(s.history[kEnd], 0.0f);
    // Band 2 (entries 297 ... 316) holds the bin.
    EXPECT_GT(bands[2], bands[1]);
    EXPECT_GT(bands[2], bands[3]);
}

TEST_F(SpectralSleepTest, RoomTextureScrollsWithTimeAndTheLowestBand) {
    SceneTestEngine e(kSize, kSize);
    SceneSpectralSleep s(&e, "Spectral Sleep");
    const float* bands = s.bands;  // the bands of the last frame
    s.animate(0, 2000);
    const SceneObject& room = *s.renderer.object(s.room);
    EXPECT_NEAR(room.surfaces[0].texOffsetU[0], -0.2f, 1e-6f);
    fillHistory(s, 0.2f);
    s.animate(0, 0);
    EXPECT_NEAR(room.surfaces[0].texOffsetU[0], 0.2f * bands[0] - 0.2f, 1e-6f);
    EXPECT_GT(room.surfaces[0].texOffsetU[0], -0.2f);
    EXPECT_EQ(room.surfaces[1].texOffsetU[0], 0.0f);  // only the visible surface scrolls
}

TEST_F(SpectralSleepTest, CameraFliesOutFromTheOriginAndLightFollowsIt) {
    SceneTestEngine e(kSize, kSize);
    SceneSpectralSleep s(&e, "Spectral Sleep");
    s.animate(0, 0);
    EXPECT_EQ(s.camera->position.length(), 0.0f);
    float previous = 0.0f;
    for (int k = 0; k < 25; ++k) {
        s.animate(0, 40);
        const float d = s.camera->position.length();
        ASSERT_GT(d, previous);
        previous = d;
        const SceneObject& light = *s.renderer.object(s.light);
        ASSERT_NEAR(light.spotDirection.length(), 1.0f, 1e-5f);
        // It aims at the left end of the row.
        const Vec3 aim = (Vec3(-2.5f, 0, 0) - light.position).normalized();
        ASSERT_NEAR((light.spotDirection - aim).length(), 0.0f, 1e-5f);
    }
    // The camera looks down at the floor of the row.
    EXPECT_NEAR((s.camera->position + s.camera->direction).y, 0.0f, 1e-5f);
}

TEST_F(SpectralSleepTest, MeshSlotsStayFixedWhileTheBlobsAreRebuilt) {
    SceneTestEngine e(kSize, kSize);
    SceneSpectralSleep s(&e, "Spectral Sleep");
    s.animate(0, 40);  // the first rebuild turns the 6-ring blobs into 14-ring ones
    std::vector<scenetest::SlotCounts> start;
    for (int i = 0; i < s.renderer.objectCount(); ++i)
        start.push_back(scenetest::slotCounts(*s.renderer.object(i)));
    for (int k = 0; k < 300; ++k) {
        for (int i = kFirst; i < kEnd; ++i)
            s.history[i] = 0.4f * std::sin(0.05f * static_cast<float>(i) + 0.3f * k);
        s.animate(0, 40);
    }
    for (int i = 0; i < s.renderer.objectCount(); ++i)
        EXPECT_TRUE(scenetest::slotCounts(*s.renderer.object(i)) == start[i]) << "object " << i;
}

TEST_F(SpectralSleepTest, PictureIsNotBlankAndChangesOverTime) {
    const std::vector<std::vector<uint8_t>> frames =
        scenetest::dispatchedPictures(kSize, makeSpectralSleep, kStartMs, 95000, {2, 30});
    const std::vector<uint8_t>& first = frames[0];
    const std::vector<uint8_t>& later = frames[1];
    EXPECT_GT(scenetest::meanLevel(first), 3.0);
    EXPECT_GT(scenetest::meanLevel(later), 3.0);
    EXPECT_GT(scenetest::differingPixels(first, later, 8), kSize * kSize / 20);
}

TEST_F(SpectralSleepTest, TwoRunsDrawTheSameFrames) {
    const std::vector<uint8_t> a =
        scenetest::dispatchedPictures(kSize, makeSpectralSleep, kStartMs, 95000, {12})[0];
    const std::vector<uint8_t> b =
        scenetest::dispatchedPictures(kSize, makeSpectralSleep, kStartMs, 95000, {12})[0];
    EXPECT_EQ(scenetest::differingPixels(a, b), 0);
}
