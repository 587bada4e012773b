#include "content/SceneCancerous.h"

#include <GL/glew.h>

#include <cmath>

#include "content/SceneKit.h"
#include "engine/Engine.h"
#include "render/Camera.h"

using namespace scenekit;

namespace {

const float kPi = 3.14159265358979f;

}  // namespace

SceneCancerous::SceneCancerous(Engine* e, const std::string& title)
    : ObjectScene(e, title, "SceneCancerous.camera0"), blob(-1), moonA(-1), moonB(-1),
      environment(-1), light(-1) {
    camera->position = Vec3(0.0f, 0.0f, -5.0f);

    shape.scaleX = shape.scaleY = shape.scaleZ = 1.0f;
    shape.flipWinding = false;

    const Vec3 black(0.0f, 0.0f, 0.0f);
    const Vec3 white(1.0f, 1.0f, 1.0f);
    const GLuint billbig = textureNamed(engine, "billbig");

    Surface blobSkin = reflectiveSurface(engine, Vec3(1.65f, 0.5f, 0.3f), kUnitModulate,
                                         "lizzardskinbump", 1.0f, 1.0f);

    // Surface slot 1 is what the quarter-size halo pass sees.
    Surface blobGlow = reflectiveSurface(engine, Vec3(4.5f, 1.5f, 0.85f), kUnitModulate,
                                         "billbig", 1.5f, 1.25f);

    Surface moonSkin = reflectiveSurface(engine, Vec3(0.44f, 0.44f, 0.48f), kUnitModulate,
                                         "solidnoisebump", 1.0f, 1.0f);

    Surface moonGlow = blobGlow;
    moonGlow.colourScale = Vec3(0.1f, 0.1f, 0.1f);

    Surface roomSkin = makeSurface(Vec3(0.3f, 0.3f, 0.3f), black, false);
    setUnit(roomSkin, 0, kUnitModulate, textureNamed(engine, "lizzardskinp"));
    setUnit(roomSkin, 1, kUnitModulate, billbig);
    setTextureScale(roomSkin, 10.0f, 10.0f);

    const Surface roomBlack = makeSurface(black, black, false);  // opaque black in the halo pass

    Surface lampSkin = makeSurface(white, black, false);
    setUnit(lampSkin, 0, kUnitAdd, textureNamed(engine, "whitered"));
    setTextureScale(lampSkin, 10.0f, 10.0f);

    Surface lampGlow = makeSurface(white, Vec3(3.0f, 3.0f, 3.0f), false);
    setUnit(lampGlow, 0, kUnitOff, 0);

    blob = renderer.addBlob(3.0f, 45, 45, blobSkin, false);
    setSurfaceSlot(*renderer.object(blob), 1, blobGlow);

    for (int* moon : {&moonA, &moonB}) {
        *moon = renderer.addBlob(2.0f, 10, 10, moonSkin, false);
        SceneObject& m = *renderer.object(*moon);
        m.buildBlob(2.0f, 10, 10, shape, true);
        setSurfaceSlot(m, 1, moonGlow);
    }

    environment = renderer.addBlob(25.0f, 10, 10, roomSkin, false);
    shape.flipWinding = true;  // faces turned inwards: the sphere is seen from inside
    SceneObject& room = *renderer.object(environment);
    room.buildBlob(25.0f, 10, 10, shape, true);
    setSurfaceSlot(room, 1, roomBlack);

    LightSettings settings =
        shadowSpotLight(Vec3(0.1f, 0.1f, 0.1f), Vec3(1.0f, 1.0f, 1.0f), 100.0f, 0.1f);
    light = renderer.addLight(settings, 256, 256);

    shape.flipWinding = false;
    SceneObject& lamp = *renderer.object(light);
    lamp.buildBlob(1.0f, 8, 8, shape, true);
    setSurfaceSlot(lamp, 1, lampGlow);
    lamp.setSurface(lampSkin);
}

Vec3 SceneCancerous::moonPoint(const Vec3& start, float t) {
    const float h = 0.5f * t;
    Vec3 p = start.rotatedAbout(0, h).rotatedAbout(1, 1.265f * t).rotatedAbout(2, 0.615f * t);
    return p * (std::cos(h * 3.7684f) * 0.5f + 1.25f);
}

Vec3 SceneCancerous::growthPoint(float t) {
    const float u = 0.3f * t;
    Vec3 p = Vec3(2.5f, 0.0f, 0.0f)
                 .rotatedAbout(0, u + 1.34f)
                 .rotatedAbout(1, 0.759f * t - 1.2f)
                 .rotatedAbout(2, 0.369f * t + 3.44f);
    return p * (std::cos(u * kPi) * 1.5f + 1.0f);
}

float SceneCancerous::growthRadius(float t) {
    return std::sin(0.3f * t * 2.32f) * 1.5f + 2.0f;
}

float SceneCancerous::growthAmount(float t, float dt) {
    // The constant part is a push per frame, not per second: the growth runs faster at higher
    // frame rates, and a frame that stands still grows too.
    return std::cos(0.3f * t * 3.3f) * (dt * 0.25f * 0.3f) + 0.2f;
}

float SceneCancerous::cameraDistance(float demoSeconds, const Vec3& growth) {
    const float f = FadeCurve(47.0f, 1.0f).fadeOut(demoSeconds, 1.0f, 1.0f) * 0.5f;
    return 9.0f * (std::pow(growth.length(), 0.3f) * f + 1.0f);
}

void SceneCancerous::pressDent(int moon, const Vec3& start, float t, float dt, float turnDivisor) {
    SceneObject& big = *renderer.object(blob);
    const Vec3 p = moonPoint(start, t);
    selectedFaces.clear();
    selectedVertices.clear();
    selectedWeights.clear();
    big.selectSphere(selectedFaces, selectedVertices, selectedWeights, p, 2.0f);
    // displaceVertices scales the direction it is given; the moon keeps the unscaled point.
    Vec3 push = p;
    big.displaceVertices(selectedVertices, -6.0f * dt, push, true, selectedWeights);

    SceneObject& m = *renderer.object(moon);
    m.position = p;
    // The moon rolls by as much as it pressed.
    const float s = static_cast<float>(selectedVertices.size()) / turnDivisor;
    const float rho = std::sqrt(p.x * p.x + p.z * p.z);
    m.rotation += Vec3(-2.0f * angleOf(p.y, rho) * s * dt, -angleOf(p.x, p.z) * s * dt, 0.0f);
}

ObjectScene::Halo SceneCancerous::animate(int timeMs, int frameDeltaMs) {
    localTime += frameDeltaMs;
    const float t = static_cast<float>(localTime) / 1000.0f;
    const float dt = static_cast<float>(frameDeltaMs) / 1000.0f;
    const float demoSeconds = static_cast<float>(timeMs) / 1000.0f;

    SceneObject& big = *renderer.object(blob);
    big.position = Vec3(0.0f, 0.0f, 0.0f);

    pressDent(moonA, Vec3(3.5f, 0.0f, 0.0f), t, dt, 100.0f);
    pressDent(moonB, Vec3(-3.5f, 0.0f, 0.0f), t, dt, 200.0f);

    const Vec3 growth = growthPoint(t);
    selectedFaces.clear();
    selectedVertices.clear();
    selectedWeights.clear();
    big.selectSphere(selectedFaces, selectedVertices, selectedWeights, growth, growthRadius(t));
    Vec3 push = growth;
    big.displaceVertices(selectedVertices, growthAmount(t, dt), push, true, selectedWeights);
    renderer.retexture(blob, 2.0f);

    camera->position = Vec3(0.0f, 0.0f, -cameraDistance(demoSeconds, growth))
                           .rotatedAbout(0, 0.45f * t)
                           .rotatedAbout(2, 0.4f * t);
    camera->direction = big.position - camera->position;

    SceneObject& lamp = *renderer.object(light);
    const float a = 0.5f * t - 3.0f;
    lamp.position =
        Vec3(8.5f * std::cos(a), 3.3f * std::sin(0.5f * t + 1.0f), 8.5f * std::sin(a));
    lamp.spotDirection = (big.position - lamp.position).normalized();
    // Slot 1 shows only the bright parts: they make the halo.
    return Halo{0.2f, 5, 0.0f};
}
