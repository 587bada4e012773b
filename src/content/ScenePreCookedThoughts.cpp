#include "content/ScenePreCookedThoughts.h"

#include <GL/glew.h>

#include <cmath>
#include <string>

#include "content/SceneKit.h"
#include "engine/Engine.h"
#include "render/Camera.h"

using namespace scenekit;

const char* const ScenePreCookedThoughts::kCameraName = "ScenePreCookedThoughts.camera0";
const char* const ScenePreCookedThoughts::kBorrowedCameraName = "SceneFunkyStripes.camera0";

ScenePreCookedThoughts::ScenePreCookedThoughts(Engine* e, const std::string& title)
    : ObjectScene(e, title, kCameraName) {

    shape.scaleX = shape.scaleY = shape.scaleZ = 1.0f;
    shape.flipWinding = false;

    // Lizard skin under the environment picture with a reflected cube map.
    const Surface blobLit = reflectiveSurface(engine, Vec3(0.6f, 0.56f, 0.52f), kUnitModulate,
                                              "lizzardskinbump", 1.0f, 1.0f);
    const Surface blobBloom = reflectiveSurface(engine, Vec3(0.75f, 0.6f, 0.45f), kUnitOff,
                                                "lizzardskinbump", 8.0f, 16.0f);

    Surface pillarLit = makeSurface(Vec3(-0.01f, -0.005f, 0.0f), Vec3(0.135f, 0.14f, 0.165f));
    setTextureScale(pillarLit, 8.0f, 16.0f);
    setUnit(pillarLit, 0, kUnitModulate, textureNamed(engine, "lizzardskinp"));
    Surface pillarBloom = makeSurface(Vec3(-0.1f, -0.1f, 0.0f), Vec3(0.0f, 0.0f, 0.0f));
    setTextureScale(pillarBloom, 8.0f, 16.0f);
    setUnit(pillarBloom, 0, kUnitAdd, textureNamed(engine, "pilkut"));

    // Construction geometry is only a placeholder: render rebuilds all three every frame.
    blob = renderer.addBlob(50.0f, 10, 10, blobLit, false);
    setSurfaceSlot(*renderer.object(blob), 1, blobBloom);
    pillarA = renderer.addBlob(2.0f, 16, 10, pillarLit, false);
    pillarB = renderer.addBlob(2.0f, 16, 10, pillarLit, false);
    setSurfaceSlot(*renderer.object(pillarA), 1, pillarBloom);
    setSurfaceSlot(*renderer.object(pillarB), 1, pillarBloom);

    LightSettings settings =
        shadowSpotLight(Vec3(0.0f, 0.0f, 0.0f), Vec3(1.0f, 1.0f, 1.0f), 0.0f, 0.1f);
    light = renderer.addLight(settings, engine->windowWidth, engine->windowHeight);
}

ScenePreCookedThoughts::~ScenePreCookedThoughts() = default;

ObjectScene::Halo ScenePreCookedThoughts::animate(int /*timeMs*/, int frameDeltaMs) {
    localTime += frameDeltaMs;
    const float t = seconds();

    // Start from wherever the "Funky Stripes" camera is (it exists once the whole content is
    // built, and stays at the origin until that scene first renders).
    static const std::string borrowedName(kBorrowedCameraName);
    camera->position = Vec3(0.0f, 0.0f, 0.0f);
    if (const Camera* borrowed = engine->findCamera(borrowedName))
        camera->position += borrowed->position;

    const float bounce = FadeCurve(2.0f, 2.0f).fadeIn(t, 3.0f, 1.0f);
    const float swing = FadeCurve(2.0f, 1.0f).fadeIn(t, 1.0f, 1.0f);
    const float grow = FadeCurve(3.0f, 3.0f).fadeIn(t, 5.0f, 3.0f);
    const float fall = FadeCurve(8.0f, 2.0f).fadeOut(t, 1.0f, 1.0f);

    SceneObject& blobObject = *renderer.object(blob);
    SceneObject& a = *renderer.object(pillarA);
    SceneObject& b = *renderer.object(pillarB);
    SceneObject& lightObject = *renderer.object(light);

    // The blob: swells in with a flicker, its waves calm down as it falls back.
    shape.scaleX = shape.scaleY = shape.scaleZ = grow;
    shape.bandAmp = 0.4f * fall;
    shape.bandFreq = 2.0f;
    shape.bandPhase = t;
    shape.ringAmp = 0.04f * fall;
    shape.ringFreq = 1.0f;
    shape.ringPhase = t;
    shape.flipWinding = false;
    blobObject.buildBlob(1.0f, 10, 10, shape, false);

    // The pillars: the same band wave, stretched ten times along y.
    shape.bandAmp = 0.2f;
    shape.ringAmp = 0.05f;
    shape.ringPhase = 2.2f * t;
    shape.ringFreq = 0.44f;
    shape.scaleY = 10.0f;
    shape.scaleX = 1.0f;
    shape.scaleZ = 1.0f;
    a.buildBlob(3.0f, 10, 10, shape, true);
    b.buildBlob(3.0f, 10, 10, shape, true);

    blobObject.position = Vec3(0.0f, 0.0f, 4.0f * fall - 0.7f * (1.0f - fall));

    const float alpha = 0.654f * t + 0.5f;
    const float beta = 0.432f * t + 0.4f;
    const Vec3 tumble(std::cos(beta), 4.0f * std::sin(alpha), 0.0f);
    a.rotation = tumble * (1.0f - swing) + Vec3(0.0f, 4.0f * std::sin(alpha), 0.0f) * swing;
    b.rotation = tumble * (1.0f - swing) + Vec3(0.0f, -4.0f * std::sin(alpha), 0.0f) * swing;

    const float closeIn = (3.2f - grow) * swing;
    a.position = Vec3(closeIn - 6.61f, 0.0f, 6.0f);
    b.position = Vec3(6.61f - closeIn, 0.0f, 6.0f);

    lightObject.position = Vec3(3.5f * std::cos(t / 2.0f), -3.5f * std::sin(t / 2.0f),
                                -3.5f - 3.0f * (1.0f - fall));
    lightObject.spotDirection =
        (b.position * 0.5f + a.position * 0.5f - lightObject.position).normalized();

    camera->position.z -= 2.0f * bounce;
    // A blurred copy of the slot-1 surfaces is added as bloom.
    return Halo{0.4f, 5, 0.15f};
}
