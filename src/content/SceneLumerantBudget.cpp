#include "content/SceneLumerantBudget.h"

#include <GL/glew.h>

#include <cmath>

#include "content/SceneKit.h"
#include "engine/Engine.h"
#include "render/Camera.h"

using namespace scenekit;

namespace {

// The lamps' coloured spotlights.
LightSettings lampSettings(float red, float green, float blue) {
    return shadowSpotLight(Vec3(0.0f, 0.0f, 0.0f), Vec3(red, green, blue), 100.0f, 0.01f);
}

}  // namespace

SceneLumerantBudget::SceneLumerantBudget(Engine* e, const std::string& title)
    : ObjectScene(e, title, "SceneLumerantBudget.camera0"), cube(-1), restCube(-1), room(-1),
      lampA(-1), lampB(-1) {
    camera->position = Vec3(0.0f, 0.0f, -5.0f);

    shape.halfX = shape.halfY = shape.halfZ = 1.0f;
    shape.flipWinding = false;

    const Vec3 black(0.0f, 0.0f, 0.0f);
    const GLuint billbig = textureNamed(engine, "billbig");
    const GLuint cubeBill = textureNamed(engine, "cubemap.bill");
    const GLuint whitered = textureNamed(engine, "whitered");

    Surface cubeSkin = reflectiveSurface(engine, Vec3(1.5f, 0.75f, 0.63f), kUnitModulate,
                                         "lizzardskinbump", 0.1f, 0.1f);

    // Surface slot 1 (the quarter-size bloom pass) of the cube and the room: only the
    // reflection shows.
    Surface glow = makeSurface(black, Vec3(1.0f, 0.7f, 0.4f));
    setReflectiveUnits(glow, kUnitModulate, textureNamed(engine, "black"),
                       billbig, textureNamed(engine, "cubemap.billred"));

    Surface wall = makeSurface(Vec3(0.1f, 0.1f, 0.1f), Vec3(1.0f, 0.7f, 0.4f));
    setTextureScale(wall, 0.2f, 0.2f);
    setReflectiveUnits(wall, kUnitModulate, textureNamed(engine, "bluedist"), billbig, cubeBill);

    Surface lampSkin = makeSurface(black, Vec3(1.0f, 1.0f, 1.0f), false);
    setUnit(lampSkin, 0, kUnitModulate, whitered);

    Surface lampGlowA = makeSurface(black, Vec3(3.0f, 3.0f, 3.0f), false);
    setUnit(lampGlowA, 0, kUnitAdd, whitered);

    Surface lampGlowB = makeSurface(black, Vec3(0.2f, 0.2f, 0.35f), false);
    setUnit(lampGlowB, 0, kUnitAdd, whitered);

    cube = renderer.addBox(12, 12, cubeSkin, false);
    restCube = renderer.addBox(12, 12, cubeSkin, false);
    renderer.object(restCube)->visible = false;
    setSurfaceSlot(*renderer.object(cube), 1, glow);

    room = renderer.addBox(10, 10, wall, true);
    shape.halfX = shape.halfY = shape.halfZ = 15.0f;
    shape.flipWinding = true;  // faces turned inwards: the box is seen from inside
    renderer.object(room)->buildBox(10, 10, shape, true);
    renderer.retexture(room, 2.0f);
    setSurfaceSlot(*renderer.object(room), 1, glow);
    shape.halfX = shape.halfY = shape.halfZ = 1.0f;
    shape.flipWinding = false;

    LightSettings settingsA = lampSettings(1.0f, 0.7f, 0.5f);
    lampA = renderer.addLight(settingsA, 256, 256);
    LightSettings settingsB = lampSettings(0.5f, 0.7f, 1.0f);
    lampB = renderer.addLight(settingsB, 256, 256);

    // The lamps' visible spheres; the block's first floats are read as blob scales (1, 1, 1).
    SceneObject& a = *renderer.object(lampA);
    a.buildBlob(1.0f, 7, 7, shape, true);
    setSurfaceSlot(a, 1, lampGlowA);
    a.setSurface(lampSkin);
    SceneObject& b = *renderer.object(lampB);
    b.buildBlob(1.0f, 7, 7, shape, true);
    setSurfaceSlot(b, 1, lampGlowB);
    b.setSurface(lampSkin);
}

SceneLumerantBudget::Curves SceneLumerantBudget::curvesAt(float t) {
    Curves c;
    c.bloom = FadeCurve(0.0f, 2.0f).fadeIn(t, 7.0f, 0.1f);
    c.swell = FadeCurve(2.5f, 3.0f).fadeIn(t, 3.0f, 2.0f);
    c.soften = FadeCurve(2.0f, 15.0f).fadeIn(t, 7.0f, 2.0f);
    return c;
}

void SceneLumerantBudget::setDeformation(BoxShape& block, float t, const Curves& c) {
    block.bulgeAmp = block.bulge2Amp = 0.25f * c.swell;
    block.bulgeFreq = block.bulge2Freq = 2.0f;
    block.bulgePhase = 0.0f;
    block.bulge2Phase = block.waveXPhase = block.waveZPhase = t;
    block.waveXAmp = block.waveZAmp = 3.0f * c.swell;
    block.waveXFreq = block.waveZFreq = 1.0f;
    block.roundness = 0.25f * c.soften;
    block.twistRate = 0.2f * c.swell;
    block.twistPhase = 0.0f;
}

Vec3 SceneLumerantBudget::cubePosition(float t) {
    const float phi1 = t * 0.03f * 0.5f - 7.0f;
    const float phi2 = t * 0.3f * 0.5f - 7.0f;
    return Vec3(std::cos(phi2), -2.0f * std::sin(phi2), 2.0f * std::sin(phi1) + 2.0f);
}

Vec3 SceneLumerantBudget::lampPosition(float t) {
    const float a = t * 4.0f * 0.25f - 7.0f + 4.0f;
    return Vec3(4.5f * std::cos(a), -3.5f * std::sin(t * 0.25f - 2.0f + 3.0f),
                12.5f * std::sin(a));
}

ObjectScene::Halo SceneLumerantBudget::animate(int /*timeMs*/, int frameDeltaMs) {
    localTime += frameDeltaMs;
    const float t = static_cast<float>(localTime) / 1000.0f;

    camera->position = Vec3(0.0f, 0.0f, -3.0f).rotatedAbout(0, 0.45f * t).rotatedAbout(2, 0.4f * t);
    camera->position.z -= 7.0f;

    SceneObject& c = *renderer.object(cube);
    c.position = cubePosition(t);
    c.rotation = Vec3(std::cos(0.432f * t + 0.4f), 4.0f * std::sin(0.654f * t + 0.5f), 0.0f);
    // The camera looks at one fifth of the cube's position.
    camera->direction = Vec3(0.0f, 0.0f, 0.0f) - camera->position + 0.2f * c.position;

    SceneObject& a = *renderer.object(lampA);
    a.position = lampPosition(t);
    a.spotDirection = (c.position - a.position).normalized();
    SceneObject& b = *renderer.object(lampB);
    b.position = lampPosition(t + 2.0f);
    b.spotDirection = (c.position - b.position).normalized();

    const Curves curves = curvesAt(t);
    setDeformation(shape, t, curves);
    renderer.copyVertexPositions(restCube, cube);
    c.buildBox(12, 12, shape, false);  // deforms the restored lattice in place
    renderer.retexture(cube, 2.0f);
    c.scale.y = 3.0f * curves.swell + 0.5f;
    return Halo{0.7f * curves.bloom, 5, -0.1f};
}
