#include "content/SceneBubblesOfLife.h"

#include <GL/glew.h>

#include <cmath>

#include "content/SceneKit.h"
#include "engine/Engine.h"
#include "render/Camera.h"

using namespace scenekit;

namespace {

const char* const kCameraName = "SceneBubblesOfLife.camera0";

}  // namespace

SceneBubblesOfLife::SceneBubblesOfLife(Engine* e, const std::string& title)
    : ObjectScene(e, title, kCameraName), noise(8, 123) {
    for (int& index : objectIndex) index = -1;

    camera->position = Vec3(0.0f, 0.0f, -5.0f);

    shape.scaleX = shape.scaleY = shape.scaleZ = 1.0f;

    const Vec3 black(0.0f, 0.0f, 0.0f);
    const Vec3 white(1.0f, 1.0f, 1.0f);

    // The bubbles and the central blob share the reflective look.
    const Surface bubbleLit = reflectiveSurface(engine, Vec3(1.65f, 0.5f, 0.3f), kUnitModulate,
                                                "lizzardskinbump", 0.1f, 0.1f);
    const Surface bubbleBloom = reflectiveSurface(engine, Vec3(4.5f, 1.5f, 0.85f), kUnitModulate,
                                                  "billbig", 0.5f, 0.35f);
    const Surface centralLit = reflectiveSurface(engine, Vec3(0.44f, 0.44f, 0.48f), kUnitModulate,
                                                 "kivilumi", 1.0f, 1.0f);
    const Surface centralBloom = reflectiveSurface(engine, Vec3(3.1f, 1.1f, 1.1f), kUnitModulate,
                                                   "kivilumi", 0.5f, 0.35f);

    Surface environmentLit = makeSurface(Vec3(0.3f, 0.3f, 0.3f), black, false);
    setUnit(environmentLit, 0, kUnitModulate, textureNamed(engine, "lizzardskinp"));
    setUnit(environmentLit, 1, kUnitModulate, textureNamed(engine, "billbig"));
    setTextureScale(environmentLit, 10.0f, 10.0f);
    const Surface environmentBloom = makeSurface(black, black, false);

    // The lamp sphere surrounds the light itself: were it drawn into the light's shadow map,
    // it would hide everything else from the light.
    const GLuint whitered = textureNamed(engine, "whitered");
    Surface lampLit = makeSurface(white, black, false);
    setUnit(lampLit, 0, kUnitAdd, whitered);
    setTextureScale(lampLit, 10.0f, 10.0f);
    Surface lampBloom = makeSurface(white, Vec3(3.0f, 3.0f, 3.0f), false);
    setUnit(lampBloom, 0, kUnitOff, whitered);

    buildBubbles(bubbleLit, bubbleBloom);
    placeBubbles(kInitialSwarmTime, envelopesAt(0.0f).life);

    // The central blob is rebuilt every frame from its hidden rest copy. The copy goes slot by
    // slot, so both meshes must keep their vertices in the same slots: a rebuild hands out the
    // freed slots in a different order than the first build did, so the rest copy is rebuilt
    // exactly like the central blob.
    objectIndex[kRestEntry] = renderer.addBlob(2.0f, 12, 12, centralLit, false);
    objectIndex[kCentralEntry] = renderer.addBlob(2.0f, 12, 12, centralLit, false);
    SceneObject& rest = *renderer.object(objectIndex[kRestEntry]);
    rest.visible = false;
    rest.buildBlob(2.0f, 12, 12, shape, true);
    SceneObject& central = *renderer.object(objectIndex[kCentralEntry]);
    central.buildBlob(2.0f, 12, 12, shape, true);
    setSurfaceSlot(central, 1, centralBloom);

    // Seen from inside.
    environment = renderer.addBlob(25.0f, 10, 10, environmentLit, false);
    shape.flipWinding = true;
    SceneObject& sphere = *renderer.object(environment);
    sphere.buildBlob(25.0f, 10, 10, shape, true);
    setSurfaceSlot(sphere, 1, environmentBloom);

    LightSettings light =
        shadowSpotLight(Vec3(0.1f, 0.1f, 0.1f), Vec3(1.0f, 1.0f, 1.0f), 100.0f, 0.01f);
    objectIndex[kLightEntry] = renderer.addLight(light, 256, 256);
    shape.flipWinding = false;
    SceneObject& lamp = *renderer.object(objectIndex[kLightEntry]);
    lamp.buildBlob(1.0f, 8, 8, shape, true);
    setSurfaceSlot(lamp, 1, lampBloom);
    setSurfaceSlot(lamp, 0, lampLit);
}

SceneBubblesOfLife::~SceneBubblesOfLife() = default;

// Flattened, banded and ringed spheres, each band shifted a little.
void SceneBubblesOfLife::buildBubbles(const Surface& lit, const Surface& bloom) {
    for (int i = 0; i < kBubbleCount; ++i) {
        const int index = renderer.addBlob(0.25f, 8, 8, lit, false);
        objectIndex[i] = index;
        shape.scaleX = 0.3f;
        shape.scaleY = shape.scaleZ = 1.0f;
        shape.bandAmp = 0.5f;
        shape.bandFreq = 1.52f;
        shape.bandPhase = 0.1123f * static_cast<float>(i);
        shape.ringAmp = 0.5f;
        shape.ringFreq = 0.3f;
        SceneObject& bubble = *renderer.object(index);
        bubble.buildBlob(0.25f, 8, 8, shape, true);
        setSurfaceSlot(bubble, 1, bloom);
    }
    shape.scaleX = 1.0f;
    shape.bandAmp = shape.bandFreq = shape.ringAmp = shape.ringFreq = 0.0f;
}

SceneBubblesOfLife::Envelopes SceneBubblesOfLife::envelopesAt(float t) {
    Envelopes env;
    // The three pauses: rise over a second, hold, fall over a second.
    const float p1 = FadeCurve(3.3f, 1.0f, 5.5f, 1.0f).fadeInOut(t, 1.0f, 0.2f);
    const float p2 = FadeCurve(8.8f, 1.0f, 12.5f, 1.0f).fadeInOut(t, 1.0f, 0.2f);
    const float p3 = FadeCurve(16.8f, 1.0f, 19.5f, 1.0f).fadeInOut(t, 1.0f, 0.2f);
    env.speed = 1.0f - p1 - p2 - p3;

    env.zoom = FadeCurve(0.0f, 2.0f, 29.0f, 1.0f).fadeInOut(t, 3.0f, 0.3f);
    env.height = FadeCurve(2.5f, 3.0f, 28.5f, 1.0f).fadeInOut(t, 3.0f, 0.5f) * 0.8f + 0.2f;
    env.life = (FadeCurve(2.0f, 3.0f).fadeIn(t, 1.0f, 0.2f) * 0.9f + 0.1f) *
               (FadeCurve(26.5f, 3.0f).fadeOut(t, 1.0f, 0.6f) * 0.9f + 0.1f);
    return env;
}

Vec3 SceneBubblesOfLife::placeBubbles(float a, float life) {
    Vec3 sum;
    const float sinSlow = std::sin(0.0032f * a);
    const float sinFast = std::sin(0.032f * a);
    const float cosA = std::cos(0.2f * a);
    for (int i = 0; i < kBubbleCount; ++i) {
        const float fi = static_cast<float>(i);
        const float g = 0.2f * fi;
        SceneObject& bubble = *renderer.object(objectIndex[i]);

        const Vec3 along(cosA + 0.1f * fi, g, 0.0032f * a);
        bubble.position = Vec3(noise.fractal(Vec3(0.123f * fi + 0.1f * a, g, sinSlow), 4),
                               noise.fractal(Vec3(0.01f * a, sinSlow, g), 4),
                               noise.fractal(along, 4)) *
                          life * 14.0f;
        bubble.rotation = Vec3(0.2f * noise.fractal(Vec3(0.3f * a + 0.123f * fi, g, sinFast), 1),
                               31.1f * fi + 1.1f * a, 12.1f * fi + 0.5f * a);
        const float s = (noise.fractal(along, 4) * 7.5f + 0.3f) * (life + (1.0f - life) * 0.2f);
        bubble.scale = Vec3(s, s, s);

        const float n =
            noise.fractal(Vec3(0.2f * a * 2.7f, sinFast * 2.7f, g * 2.7f), 1);
        bubble.surfaces[0].colourScale = Vec3(2.5f * n + 3.0f, n + 1.0f, 0.85f);

        sum += bubble.position;
    }
    swarmCentre = sum / static_cast<float>(kBubbleCount);
    return swarmCentre;
}

ObjectScene::Halo SceneBubblesOfLife::animate(int /*timeMs*/, int frameDeltaMs) {
    localTime += frameDeltaMs;
    const float t = static_cast<float>(localTime) / 1000.0f;
    const float step = static_cast<float>(frameDeltaMs) / 1000.0f;

    const Envelopes env = envelopesAt(t);
    swarmTime += env.speed * step;
    pauseTime += (1.0f - env.speed) * step;
    const float a = swarmTime;
    const float b = pauseTime;

    camera->position = Vec3(0.0f, 0.0f, (2.0f * std::cos(b) - 10.0f) * (env.zoom * 0.8f + 0.2f));
    const float w = b * 0.8f + 0.5f * t;
    camera->position = camera->position.rotatedAbout(0, w * 0.45f).rotatedAbout(2, w * 0.4f);

    const Vec3 c = placeBubbles(a, env.life);

    // The central blob: the rest sphere copied back, then bulged, twisted and rounded.
    shape.halfX = 1.0f;
    shape.halfY = (env.height * 0.6f + 0.4f) * 5.0f;
    shape.halfZ = 1.0f;
    shape.bulgeAmp = (env.life * 0.6f + 0.4f) * 0.5f;
    shape.bulgeFreq = 1.0f;
    shape.bulgePhase = 0.5f * t;
    shape.bulge2Amp = 0.0f;
    shape.bulge2Freq = 0.0f;
    shape.waveXAmp = 0.0f;
    shape.waveXFreq = 0.3f;
    shape.waveXPhase = t;
    shape.waveZAmp = 0.0f;
    shape.waveZFreq = 0.3f;
    shape.waveZPhase = t;
    shape.roundness = (env.life * 0.7f + 0.3f) * 0.5f;
    shape.twistRate = 0.1f;
    shape.twistPhase = a;
    const int central = objectIndex[kCentralEntry];
    renderer.copyVertexPositions(objectIndex[kRestEntry], central);
    renderer.object(central)->buildBox(12, 12, shape, false);
    renderer.retexture(central, 3.0f);

    camera->direction = c - camera->position;

    SceneObject& light = *renderer.object(objectIndex[kLightEntry]);
    const float angle = 0.5f * a - 3.0f;
    light.position = Vec3(8.5f * std::cos(angle), 3.3f * std::sin(0.5f * a + 1.0f),
                          8.5f * std::sin(angle));
    light.spotDirection = (c - light.position).normalized();
    return Halo{0.45f, 5, -0.1f};
}
