#include "content/SceneTreeInABox.h"

#include <GL/glew.h>

#include <cmath>

#include "content/SceneKit.h"
#include "engine/Engine.h"
#include "render/Camera.h"
#include "render/Random.h"

using namespace scenekit;

namespace {

const char* const kCameraName = "SceneTreeInABox.camera0";

// One of the spot centre's coordinates, evenly over -12.5 ... 12.5.
float spotCoordinate() {
    return static_cast<float>(demoRand()) / static_cast<float>(demoRandMax) *
               (2.0f * SceneTreeInABox::kSpotRange) -
           SceneTreeInABox::kSpotRange;
}

}  // namespace

SceneTreeInABox::SceneTreeInABox(Engine* e, const std::string& title)
    : ObjectScene(e, title, kCameraName) {
    camera->position = Vec3(0.0f, 0.0f, -5.0f);

    shape.halfX = shape.halfY = shape.halfZ = 1.0f;
    shape.flipWinding = false;

    // The spots are drawn from the shared sequence; a scene built later may reseed it.
    demoSeed(21);

    const GLuint billbig = textureNamed(engine, "billbig");
    const GLuint whitered = textureNamed(engine, "whitered");

    const Vec3 black(0.0f, 0.0f, 0.0f);
    Surface wallLit = reflectiveSurface(engine, Vec3(0.75f, 0.5f, 0.4f), kUnitModulate,
                                        "bluedist", 0.5f, 0.5f);

    Surface wallBloom = makeSurface(black, Vec3(1.0f, 0.7f, 0.4f));
    setReflectiveUnits(wallBloom, kUnitModulate, textureNamed(engine, "black"),
                       billbig, textureNamed(engine, "cubemap.billred"));
    setTextureScale(wallBloom, 2.0f, 2.0f);

    Surface lampLit = makeSurface(black, Vec3(1.0f, 1.0f, 1.0f), false);
    setUnit(lampLit, 0, kUnitModulate, whitered);
    Surface lampABloom = makeSurface(black, Vec3(3.0f, 3.0f, 3.0f), false);
    setUnit(lampABloom, 0, kUnitAdd, whitered);
    Surface lampBBloom = makeSurface(black, Vec3(0.2f, 0.2f, 0.35f), false);
    setUnit(lampBBloom, 0, kUnitAdd, whitered);

    // The box, rebuilt at full size with its faces turned inwards.
    box = renderer.addBox(30, 4, wallLit, true);
    shape.halfX = shape.halfY = shape.halfZ = kBoxHalf;
    shape.flipWinding = true;
    SceneObject& walls = *renderer.object(box);
    walls.buildBox(30, 4, shape, true);
    renderer.retexture(box, 2.0f);
    setSurfaceSlot(walls, 1, wallBloom);

    shape.halfX = shape.halfY = shape.halfZ = 1.0f;
    shape.flipWinding = false;
    periodLatch = false;

    // Warm lamp A, cool lamp B.
    LightSettings warm = shadowSpotLight(black, Vec3(1.0f, 0.7f, 0.5f), 100.0f, 0.01f);
    lampA = renderer.addLight(warm, 256, 256);
    LightSettings cool = shadowSpotLight(black, Vec3(0.5f, 0.7f, 1.0f), 100.0f, 0.01f);
    lampB = renderer.addLight(cool, 256, 256);

    SceneObject& a = *renderer.object(lampA);
    a.buildBlob(1.0f, 7, 7, shape, true);
    setSurfaceSlot(a, 1, lampABloom);
    setSurfaceSlot(a, 0, lampLit);
    SceneObject& b = *renderer.object(lampB);
    b.buildBlob(1.0f, 7, 7, shape, true);
    setSurfaceSlot(b, 1, lampBBloom);
    setSurfaceSlot(b, 0, lampLit);
}

SceneTreeInABox::~SceneTreeInABox() = default;

Vec3 SceneTreeInABox::lampPosition(float t) {
    const float a = t * 4.0f * 0.25f - 7.0f + 4.0f;
    return Vec3(2.5f * std::cos(a), 2.5f * std::sin(t * 0.25f - 2.0f + 3.0f), 5.5f * std::sin(a));
}

Vec3 SceneTreeInABox::aimPoint(float t) {
    return Vec3(10.0f * std::cos(0.145f * t), 10.0f * std::sin(0.45f * t),
                10.0f + 5.0f * std::sin(0.95f * t));
}

float SceneTreeInABox::bloomStrength(float t) { return FadeCurve(0.0f, 2.0f).fadeIn(t, 7.0f, 0.1f); }

void SceneTreeInABox::chooseSpot() {
    coveredFaces.clear();
    selectedVertices.clear();
    vertexWeights.clear();
    selectionDone = true;
    // The first draw gives y.
    const float y = spotCoordinate();
    const float x = spotCoordinate();
    spotCentre = Vec3(x, y, kBoxHalf);
    renderer.object(box)->selectSphere(coveredFaces, selectedVertices, vertexWeights, spotCentre,
                                       kSpotRadius);
    pushVector = Vec3(0.0f, 0.0f, 8.0f);
}

ObjectScene::Halo SceneTreeInABox::animate(int /*timeMs*/, int frameDeltaMs) {
    localTime += frameDeltaMs;
    const float t = static_cast<float>(localTime) / 1000.0f;
    const float dt = static_cast<float>(frameDeltaMs) / 1000.0f;

    Vec3 eye = Vec3(0.0f, 2.0f, -5.0f).rotatedAbout(0, 0.35f * t).rotatedAbout(2, 0.13f * t);
    eye.z -= 12.0f;
    camera->position = eye;

    if (!selectionDone) chooseSpot();

    // The first frames of each period ask for the next spot (chosen on the following frame).
    const int c = localTime;
    if (c % kPeriodMs < kLatchWindowMs && !periodLatch) {
        selectionDone = false;
        periodLatch = true;
    }
    if (c % kPeriodMs >= kLatchWindowMs) periodLatch = false;

    // The current spot rises towards the viewer, most at its centre.
    Vec3 push = pushVector;
    SceneObject& walls = *renderer.object(box);
    walls.displaceVertices(selectedVertices, -2.0f * dt, push, true, vertexWeights);
    renderer.retexture(box, 4.0f);

    camera->direction = Vec3(0.0f, 0.0f, 10.0f) - camera->position;

    const Vec3 aim = aimPoint(t);
    SceneObject& a = *renderer.object(lampA);
    a.position = lampPosition(t);
    a.spotDirection = (aim - a.position).normalized();
    SceneObject& b = *renderer.object(lampB);
    b.position = lampPosition(t + 2.0f);
    b.spotDirection = (aim - b.position).normalized();

    // Blurred the more, the further the fade-in has come.
    return Halo{0.7f * bloomStrength(t), 5, -0.1f};
}
