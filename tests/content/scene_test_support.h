#pragma once
// Shared by the GL tests of the object scenes: an engine on a real window with a fixed clock
// and a bank of seven capture slots, optionally with small patterned stand-ins for the
// textures the scenes look up; one scene pass as the frame dispatch runs it; frame read-back;
// and the measures the tests take of pictures and meshes.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include "content/SceneKit.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/Scene.h"
#include "frame/FrameCapture.h"
#include "render/Mesh.h"
#include "render/ObjectRenderer.h"
#include "render/ScreenEffects.h"
#include "resources/TextureManager.h"

namespace scenetest {

// The scene tests open their window through SDL's X11 driver unless told otherwise.
class SceneGlTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("SDL_VIDEODRIVER", "x11", 0); }
};

// --- Engine ----------------------------------------------------------------------------------

// Writes a small tile (stripes of two colours) as a PNG and returns its path.
inline std::string writeTile(const std::string& dir, const std::string& name, uint8_t r,
                             uint8_t g, uint8_t b) {
    const int size = 16;
    std::vector<uint8_t> pixels(size * size * 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool dark = ((x / 4) + (y / 4)) % 2 == 1;
            uint8_t* p = &pixels[(y * size + x) * 3];
            p[0] = dark ? r / 3 : r;
            p[1] = dark ? g / 3 : g;
            p[2] = dark ? b / 3 : b;
        }
    const std::string path = dir + "/" + name + ".png";
    std::string error;
    EXPECT_TRUE(writeRgbPng(path, size, size, pixels, &error)) << error;
    return path;
}

// Registers stand-ins for every texture name of "Cancerous", "Lumerant Budget" and "Spectral
// Sleep".
inline void loadStandInTextures(TextureManager* textures) {
    char pattern[] = "/tmp/verdanth-scene-textures-XXXXXX";
    const char* dir = mkdtemp(pattern);
    ASSERT_NE(dir, nullptr);
    const std::string d = dir;
    const std::string black = writeTile(d, "black", 0, 0, 0);
    const std::string bill = writeTile(d, "bill", 255, 240, 200);
    textures->load(black, "black");
    textures->load(writeTile(d, "white", 255, 255, 255), "white");
    textures->load(writeTile(d, "whitered", 190, 150, 115), "whitered");
    textures->load(writeTile(d, "billbig", 230, 230, 210), "billbig");
    textures->load(writeTile(d, "hopmet", 200, 200, 210), "hopmet");
    textures->load(writeTile(d, "bluedist", 60, 90, 220), "bluedist");
    textures->load(writeTile(d, "lizzardskinbump", 180, 160, 120), "lizzardskinbump");
    textures->load(writeTile(d, "lizzardskinp", 220, 180, 140), "lizzardskinp");
    textures->load(writeTile(d, "solidnoisebump", 150, 150, 150), "solidnoisebump");
    const std::vector<std::string> faces = {black, black, black, black, bill, black};
    textures->load(bill, "cubemap.bill", nullptr, nullptr, true, faces);
    textures->load(bill, "cubemap.billred", nullptr, nullptr, true, faces);
    // Loading reads the files at once: nothing is left behind in /tmp.
    std::error_code ignored;
    std::filesystem::remove_all(d, ignored);
}

// Without the stand-ins every texture a scene looks up is 0 (untextured).
class SceneTestEngine : public Engine {
public:
    SceneTestEngine(int width, int height, bool withTextures = true)
        : Engine("scene test", width, height, width, height, false, 32, false, false, false) {
        if (!ready) return;
        registerScene(nullptr);
        screenEffects = new ScreenEffects(textureWidth, textureHeight, smallTextureWidth,
                                          smallTextureHeight, viewWidth, viewHeight,
                                          smallViewWidth, smallViewHeight, 7);
        useFixedClock();
        if (withTextures) loadStandInTextures(textures);
    }
    int loadContent() override { return 0; }

    // Schedules scene for [fromMs, toMs) and starts the clock at fromMs.
    void play(Scene* scene, int fromMs, int toMs) {
        schedule(registerScene(scene), fromMs, toMs);
        setFixedTime(fromMs);
        start();
    }
    void frameAt(int ms) {
        setFixedTime(ms);
        renderFrame();
    }
};

// --- Frames ----------------------------------------------------------------------------------

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

inline std::vector<uint8_t> readRgbaFrame(const Engine& engine) {
    std::vector<uint8_t> pixels(static_cast<size_t>(engine.renderWidth) * engine.renderHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, engine.renderWidth, engine.renderHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    return pixels;
}

inline std::vector<uint8_t> readRgbFrame(int width, int height) {
    std::vector<uint8_t> pixels;
    readBackBuffer(width, height, &pixels);
    return pixels;
}

// With VERDANTH_SNAPSHOT_DIR set, RGB frames are kept there for a viewer.
inline void snapshot(const std::vector<uint8_t>& rgb, int width, int height,
                     const std::string& name) {
    const char* dir = std::getenv("VERDANTH_SNAPSHOT_DIR");
    if (dir == nullptr) return;
    std::string error;
    writeRgbPng(std::string(dir) + "/" + name + ".png", width, height, rgb, &error);
}

// Runs a scene (make(engine) returns it as a unique_ptr) on a fresh size x size engine
// without textures through scenePass from scene time 0, in frames of at most stepMs, and
// returns the RGB picture at each of times (ms, ascending). Each run gets its own engine, as
// each run of the program does: a camera keeps the matrices of its last full-size view, which
// the next frame's reflections start from.
template <class MakeScene>
std::vector<std::vector<uint8_t>> picturesAt(int size, MakeScene make,
                                             const std::vector<int>& times, int stepMs) {
    SceneTestEngine e(size, size, false);
    auto scene = make(e);
    std::vector<std::vector<uint8_t>> pictures;
    int t = 0;
    for (int target : times) {
        while (t < target) {
            const int delta = std::min(stepMs, target - t);
            scenePass(e, *scene, delta);
            t += delta;
        }
        pictures.push_back(readRgbFrame(e.renderWidth, e.renderHeight));
    }
    return pictures;
}

// Plays a scene (make(engine) returns a new one, which the engine deletes) scheduled for
// [startMs, endMs) through the engine's own frame dispatch on a fresh size x size engine, one
// frame every 40 ms from startMs + 40, and returns the RGB picture after each of frameCounts
// (ascending).
template <class MakeScene>
std::vector<std::vector<uint8_t>> dispatchedPictures(int size, MakeScene make, int startMs,
                                                     int endMs,
                                                     const std::vector<int>& frameCounts,
                                                     bool withTextures = true) {
    SceneTestEngine e(size, size, withTextures);
    e.play(make(e), startMs, endMs);
    std::vector<std::vector<uint8_t>> pictures;
    int frame = 0;
    for (int count : frameCounts) {
        for (; frame < count; ++frame) e.frameAt(startMs + 40 * (frame + 1));
        pictures.push_back(readRgbFrame(size, size));
    }
    return pictures;
}

// --- Picture measures --------------------------------------------------------------------------

// Share of RGBA pixels that show something once the frame is composed as an alpha-blended
// layer over black.
inline double visibleShare(const std::vector<uint8_t>& rgba) {
    size_t lit = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        const int brightest = std::max(rgba[i], std::max(rgba[i + 1], rgba[i + 2]));
        if (brightest * rgba[i + 3] / 255 > 10) ++lit;
    }
    return static_cast<double>(lit) / static_cast<double>(rgba.size() / 4);
}

// Share of RGB pixels that are not black.
inline double litShare(const std::vector<uint8_t>& p) {
    size_t lit = 0;
    for (size_t i = 0; i + 2 < p.size(); i += 3)
        if (p[i] + p[i + 1] + p[i + 2] > 24) ++lit;
    return static_cast<double>(lit) / static_cast<double>(p.size() / 3);
}

// Share of RGB pixels whose channels differ by more than 24 in all.
inline double changedShare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    size_t changed = 0;
    for (size_t i = 0; i + 2 < a.size(); i += 3) {
        int difference = 0;
        for (size_t c = 0; c < 3; ++c) difference += std::abs(a[i + c] - b[i + c]);
        if (difference > 24) ++changed;
    }
    return static_cast<double>(changed) / static_cast<double>(a.size() / 3);
}

inline double meanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
    return sum / static_cast<double>(a.size());
}

inline double meanLevel(const std::vector<uint8_t>& pixels) {
    if (pixels.empty()) return 0.0;
    double sum = 0.0;
    for (uint8_t p : pixels) sum += p;
    return sum / static_cast<double>(pixels.size());
}

// Number of pixels (RGB triples) that differ by more than tolerance in some channel.
inline int differingPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                           int tolerance = 0) {
    int count = 0;
    for (size_t i = 0; i + 2 < a.size() && i + 2 < b.size(); i += 3)
        for (size_t c = 0; c < 3; ++c)
            if (std::abs(static_cast<int>(a[i + c]) - static_cast<int>(b[i + c])) > tolerance) {
                ++count;
                break;
            }
    return count;
}

// --- Mesh measures -----------------------------------------------------------------------------

// Every vertex slot's position, deleted slots included.
inline std::vector<Vec3> positions(const Mesh& m) {
    std::vector<Vec3> out;
    for (const MeshVertex& v : m.vertices) out.push_back(v.position);
    return out;
}

inline std::vector<Vec3> livePositions(const Mesh& m) {
    std::vector<Vec3> out;
    for (const MeshVertex& v : m.vertices)
        if (!v.deleted) out.push_back(v.position);
    return out;
}

// Distance of the live vertex farthest from the mesh's origin.
inline float maxVertexDistance(const Mesh& m) {
    float largest = 0.0f;
    for (const MeshVertex& v : m.vertices)
        if (!v.deleted) largest = std::max(largest, v.position.length());
    return largest;
}

inline void expectVecNear(const Vec3& a, const Vec3& b, float tolerance = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

// Slot counts of a mesh: what must not grow while a scene runs.
struct SlotCounts {
    size_t vertexSlots, faceSlots;
    int vertexCount, faceCount;
    bool operator==(const SlotCounts& o) const {
        return vertexSlots == o.vertexSlots && faceSlots == o.faceSlots &&
               vertexCount == o.vertexCount && faceCount == o.faceCount;
    }
};

inline SlotCounts slotCounts(const Mesh& m) {
    return SlotCounts{m.vertices.size(), m.faces.size(), m.vertexCount, m.faceCount};
}

// Runs the scene through durationMs at 60 frames per second after one first frame, and checks
// after every frame that no object's face or vertex slot array has grown since that first
// frame. Drawing is left out (the objects are only moved) except for every 120th frame, so the
// run stays short; the geometry is updated in every frame.
inline ::testing::AssertionResult slotsStayFixed(Engine& engine, ObjectScene& scene,
                                                 ObjectRenderer& renderer, int durationMs) {
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
        if (frame % 120 == 0)
            scenePass(engine, scene, delta);
        else
            scene.animate(0, delta);
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

// Sum over the live faces of dot(face normal, face centre - centre): positive when the faces
// are wound to point away from centre, negative when they point towards it.
inline float outwardness(const Mesh& m, const Vec3& centre = Vec3()) {
    float sum = 0.0f;
    for (const MeshFace& f : m.faces) {
        if (f.deleted) continue;
        const Vec3& a = m.vertices[f.vertex[0]].position;
        const Vec3& b = m.vertices[f.vertex[1]].position;
        const Vec3& c = m.vertices[f.vertex[2]].position;
        const Vec3 normal = cross(b - a, c - a);
        sum += dot(normal, (a + b + c) / 3.0f - centre) > 0.0f ? 1.0f : -1.0f;
    }
    return sum;
}

}  // namespace scenetest
