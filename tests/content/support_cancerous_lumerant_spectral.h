#pragma once
// Shared by the GL tests of the scenes "Cancerous", "Lumerant Budget" and "Spectral Sleep": an
// engine on a real window with a fixed clock, a bank of seven capture slots and small
// patterned stand-ins for the textures the scenes look up, plus frame read-back helpers.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "frame/FrameCapture.h"
#include "render/Mesh.h"
#include "render/ScreenEffects.h"
#include "resources/TextureManager.h"

namespace scenetest {

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

// Registers stand-ins for every texture name the three scenes use.
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
}

class SceneTestEngine : public Engine {
public:
    SceneTestEngine(int width, int height, bool withTextures = true)
        : Engine("scene test", width, height, width, height, false, 32, false, false, false) {
        registerScene(nullptr);
        screenEffects = new ScreenEffects(textureWidth, textureHeight, smallTextureWidth,
                                          smallTextureHeight, viewWidth, viewHeight,
                                          smallViewWidth, smallViewHeight, 7);
        useFixedClock();
        pacingEnabled = false;
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

inline std::vector<uint8_t> readFrame(int width, int height) {
    std::vector<uint8_t> pixels;
    readBackBuffer(width, height, &pixels);
    return pixels;
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
