#include "content/SceneVerdanth.h"

#include <GL/glew.h>

#include <cmath>

#include "content/SceneKit.h"
#include "engine/Engine.h"
#include "render/Camera.h"

using namespace scenekit;

namespace {

const char* const kCameraName = "SceneVerdanth.camera0";

// Hann window of the engine's spectrum.
const int kHannWindow = 3;

}  // namespace

SceneVerdanth::SceneVerdanth(Engine* e, const std::string& title)
    : ObjectScene(e, title, kCameraName) {
    camera->position = Vec3(0.0f, 0.0f, -5.0f);

    shape.scaleX = shape.scaleY = shape.scaleZ = 1.0f;
    shape.flipWinding = false;

    const Vec3 black(0.0f, 0.0f, 0.0f);
    const Vec3 white(1.0f, 1.0f, 1.0f);
    const GLuint billbig = textureNamed(engine, "billbig");
    const GLuint whitered = textureNamed(engine, "whitered");

    // The mass: reddish lizard skin in the picture, a bright orange copy for the bloom.
    Surface massLit = reflectiveSurface(engine, Vec3(1.65f, 0.5f, 0.3f), kUnitModulate,
                                        "lizzardskinbump", 0.3f, 0.3f);

    Surface massBloom = reflectiveSurface(engine, Vec3(3.15f, 1.05f, 0.595f), kUnitModulate,
                                          "billbig", 0.5f, 0.25f);

    // The enclosing sphere: a dim, flat-lit skin; black in the bloom source.
    Surface roomLit = makeSurface(Vec3(0.3f, 0.2f, 0.2f), black, false);
    setUnit(roomLit, 0, kUnitModulate, textureNamed(engine, "lizzardskinp"));
    setUnit(roomLit, 1, kUnitModulate, billbig);
    setTextureScale(roomLit, 10.0f, 10.0f);

    const Surface roomBloom = makeSurface(black, black, false);

    // The lamp: white with the warm texture added; plain and bright in the bloom source.
    Surface lampLit = makeSurface(white, black, false);
    setUnit(lampLit, 0, kUnitAdd, whitered);
    setTextureScale(lampLit, 10.0f, 10.0f);

    Surface lampBloom = makeSurface(white, Vec3(3.0f, 3.0f, 3.0f), false);
    setUnit(lampBloom, 0, kUnitOff, whitered);

    mass = renderer.addBlob(2.5f, 40, 40, massLit, false);
    setSurfaceSlot(*renderer.object(mass), 1, massBloom);

    // Built outward first, then rebuilt with inward faces: it is seen from inside.
    room = renderer.addBlob(25.0f, 8, 8, roomLit, false);
    shape.flipWinding = true;
    renderer.object(room)->buildBlob(25.0f, 8, 8, shape, true);
    setSurfaceSlot(*renderer.object(room), 1, roomBloom);

    LightSettings light = shadowSpotLight(Vec3(0.001f, 0.001f, 0.001f), white, 100.0f, 0.01f);
    lamp = renderer.addLight(light, 256, 256);

    shape.flipWinding = false;
    SceneObject& lampObject = *renderer.object(lamp);
    lampObject.buildBlob(1.0f, 8, 8, shape, true);
    setSurfaceSlot(lampObject, 1, lampBloom);
    setSurfaceSlot(lampObject, 0, lampLit);

    for (float& h : history) h = 0.0f;
    for (float& s : spectrum) s = 0.0f;
}

SceneVerdanth::~SceneVerdanth() = default;

float SceneVerdanth::growthFalloff(float x) {
    return x * x * x * (x * (6.0f * x - 15.0f) + 10.0f);
}

float SceneVerdanth::foldSpectrum(float* s, float* h) {
    // A bin of exactly 1.0 does not count towards the maximum.
    float maximum = 0.0f;
    for (int i = kBandFirst; i <= kBandLast; ++i)
        if (s[i] != 1.0f && s[i] > maximum) maximum = s[i];
    if (maximum != 0.0f)
        for (int i = kBandFirst; i <= kBandLast; ++i) s[i] /= maximum;

    const float keep = 0.85f;
    float sum = 0.0f;
    for (int i = kBandFirst; i <= kBandLast; ++i) {
        h[i] = keep * h[i] + (1.0f - keep) * s[i];
        sum += h[i];
    }
    return sum / static_cast<float>(kBandSize);
}

Vec3 SceneVerdanth::seekPoint(float t) {
    Vec3 p(0.4f * t + 3.0f, 0.0f, 0.0f);
    p = p.rotatedAbout(0, t + 1.34f);
    p = p.rotatedAbout(1, 2.53f * t - 1.2f);
    p = p.rotatedAbout(2, 1.23f * t + 3.44f);
    return p * (0.5f * std::cos(3.7684f * t) + 1.0f);
}

float SceneVerdanth::selectionRadius(float t) { return std::sin(2.32f * t) + 3.0f; }

ObjectScene::Halo SceneVerdanth::animate(int /*timeMs*/, int frameDeltaMs) {
    localTime += frameDeltaMs;
    const float t = static_cast<float>(localTime) / 1000.0f;
    const float dt = static_cast<float>(frameDeltaMs) / 1000.0f;

    engine->getSpectrum(spectrum, kHannWindow, kSpectrumSize, 0);
    level = foldSpectrum(spectrum, history);

    camera->position = Vec3(0.0f, 0.0f, 3.0f * level - 1.5f * t - 10.0f)
                           .rotatedAbout(0, 0.45f * t)
                           .rotatedAbout(2, 0.4f * t);

    SceneObject& m = *renderer.object(mass);
    m.position = Vec3(0.0f, 0.0f, 0.0f);
    const float size = 1.5f * level + 1.0f;
    m.scale = Vec3(size, size, size);

    // Push the vertices near the seek point outwards; nothing ever pulls them back.
    const Vec3 p = seekPoint(t);
    selectedFaces.clear();
    selectedVertices.clear();
    selectedWeights.clear();
    m.selectSphere(selectedFaces, selectedVertices, selectedWeights, p, selectionRadius(t));
    Vec3 push = p.rotatedAbout(2, 0.7f * std::sin(t) + 0.7f);
    m.displaceVertices(selectedVertices, 1.0f + 5.0f * dt * std::cos(2.3f * t), push, true,
                       selectedWeights, growthFalloff);
    renderer.retexture(mass, 2.0f);

    camera->direction = m.position - camera->position;

    SceneObject& l = *renderer.object(lamp);
    l.position = Vec3(0.5f * std::cos(0.5f * t - 7.0f + 4.0f),
                      0.3f * std::sin(0.5f * t - 2.0f + 3.0f), 0.0f) +
                 2.2f * camera->position;
    l.spotDirection = (m.position - l.position).normalized();
    return Halo{0.2f, 5, 0.0f};
}
