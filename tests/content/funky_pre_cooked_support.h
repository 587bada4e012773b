#pragma once
// Shared by the "Funky Stripes" and "Pre Cooked Thoughts" tests: a small engine without
// textures (every texture id 0) and one scene pass as the frame dispatch runs it.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/Engine.h"
#include "engine/Scene.h"
#include "render/Mesh.h"
#include "render/ObjectRenderer.h"
#include "render/ScreenEffects.h"

namespace scenetest {

class SmallEngine : public Engine {
public:
    static const int kSize = 256;

    SmallEngine()
        : Engine("scene test", kSize, kSize, kSize, kSize, false, 32, false, false, false) {
        if (!ready) return;
        screenEffects = new ScreenEffects(textureWidth, textureHeight, smallTextureWidth,
                                          smallTextureHeight, viewWidth, viewHeight,
                                          smallViewWidth, smallViewHeight, 7);
        useFixedClock();
    }
    int loadContent() override { return 0; }
};

// What the frame dispatch does around a scene: the render viewport, cleared buffers, one
// scene slot taken before the scene's own working slots.
inline void scenePass(Engine& engine, Scene& scene, int deltaMs) {
    glViewport(0, 0, engine.renderWidth, engine.renderHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    engine.screenEffects->useSmallTextures = 0;
    engine.screenEffects->workSlotBase = 1;
    scene.render(0, deltaMs);
    engine.screenEffects->useSmallTextures = 0;
}

// One frame that brings the scene's clock to seconds.
inline void renderAt(Engine& engine, Scene& scene, float seconds) {
    const int target = static_cast<int>(std::lround(seconds * 1000.0f));
    scenePass(engine, scene, target - scene.localTime);
}

inline std::vector<uint8_t> readFrame(const Engine& engine) {
    std::vector<uint8_t> pixels(static_cast<size_t>(engine.renderWidth) * engine.renderHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, engine.renderWidth, engine.renderHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    return pixels;
}

// Share of pixels that show something once the frame is composed as an alpha-blended layer
// over black.
inline double visibleShare(const std::vector<uint8_t>& rgba) {
    size_t lit = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        const int brightest = std::max(rgba[i], std::max(rgba[i + 1], rgba[i + 2]));
        if (brightest * rgba[i + 3] / 255 > 10) ++lit;
    }
    return static_cast<double>(lit) / static_cast<double>(rgba.size() / 4);
}

inline double meanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
    return sum / static_cast<double>(a.size());
}

inline float maxVertexDistance(const Mesh& m) {
    float largest = 0.0f;
    for (const MeshVertex& v : m.vertices)
        if (!v.deleted) largest = std::max(largest, v.position.length());
    return largest;
}

inline std::vector<Vec3> livePositions(const Mesh& m) {
    std::vector<Vec3> out;
    for (const MeshVertex& v : m.vertices)
        if (!v.deleted) out.push_back(v.position);
    return out;
}

inline void expectVecNear(const Vec3& a, const Vec3& b, float tolerance = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

// Runs the scene through durationMs at 60 frames per second after one first frame, and checks
// after every frame that no object's face or vertex slot array has grown since that first
// frame. Drawing is left out (no effects object) except for every 120th frame, so the run stays
// short; the geometry is updated in every frame.
inline ::testing::AssertionResult slotsStayFixed(Engine& engine, Scene& scene,
                                                 ObjectRenderer& renderer, int durationMs) {
    ScreenEffects* effects = engine.screenEffects;
    scenePass(engine, scene, 17);
    const int objects = renderer.objectCount();
    std::vector<size_t> faceSlots(objects), vertexSlots(objects);
    for (int i = 0; i < objects; ++i) {
        faceSlots[i] = renderer.object(i)->faces.size();
        vertexSlots[i] = renderer.object(i)->vertices.size();
    }
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    for (int frame = 1, elapsed = 17; elapsed < durationMs && result; ++frame) {
        const int delta = (frame % 3 == 2) ? 16 : 17;  // 50 ms per three frames
        if (frame % 120 == 0) {
            scenePass(engine, scene, delta);
        } else {
            engine.screenEffects = nullptr;
            scene.render(0, delta);
            engine.screenEffects = effects;
        }
        elapsed += delta;
        for (int i = 0; i < objects && result; ++i) {
            const SceneObject& o = *renderer.object(i);
            if (o.faces.size() != faceSlots[i] || o.vertices.size() != vertexSlots[i])
                result = ::testing::AssertionFailure()
                         << "object " << i << " at " << elapsed << " ms: " << o.faces.size()
                         << " face and " << o.vertices.size() << " vertex slots, first "
                         << faceSlots[i] << " and " << vertexSlots[i];
        }
    }
    return result;
}

}  // namespace scenetest
