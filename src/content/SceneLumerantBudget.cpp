#include "content/SceneLumerantBudget.h"

#include <GL/glew.h>

#include <cmath>

#include "engine/Engine.h"
#include "render/Camera.h"
#include "render/ScreenEffects.h"
#include "resources/TextureManager.h"

namespace {

const int kAdditive = 2;  // blend mode of ScreenEffects::drawGrab

GLuint texture(Engine* engine, const char* name) {
    return engine->textures != nullptr ? engine->textures->textureId(name) : 0;
}

void setUnit(Surface& s, int unit, int mode, GLuint textureId, bool cubeMap = false) {
    s.unitMode[unit] = mode;
    s.unitTexture[unit] = textureId;
    s.unitCubeMap[unit] = cubeMap;
}

Surface makeSurface(const Vec3& colourScale, float texScale, bool castsShadow) {
    Surface s;
    s.colourBias = Vec3(0.0f, 0.0f, 0.0f);
    s.alphaBias = 1.0f;
    s.colourScale = colourScale;
    s.alphaScale = 1.0f;
    s.texScaleU[0] = s.texScaleV[0] = texScale;
    s.castsShadow = castsShadow;
    return s;
}

void setSlot(SceneObject& o, int slot, const Surface& description) {
    o.currentSurface = slot;
    o.setSurface(description);
    o.currentSurface = 0;
}

LightSettings lampSettings(float red, float green, float blue) {
    LightSettings settings;
    settings.isLight = true;
    const float diffuse[4] = {red, green, blue, 1.0f};
    for (int i = 0; i < 4; ++i) {
        settings.lightDiffuse[i] = diffuse[i];
        settings.lightAmbient[i] = i == 3 ? 1.0f : 0.0f;
        settings.lightSpecular[i] = i == 3 ? 1.0f : 0.0f;
    }
    settings.positional = true;
    settings.lightOffset = Vec3(0.0f, 0.0f, 0.0f);
    settings.spotDirection = Vec3(0.0f, 0.0f, 1.0f);
    settings.spotExponent = 100.0f;
    settings.spotCutoff = 90.0f;
    settings.constantAttenuation = 0.0f;
    settings.linearAttenuation = 0.01f;
    settings.quadraticAttenuation = 0.0f;
    settings.castsShadows = true;
    settings.shadowMapSize = 256;
    return settings;
}

}  // namespace

SceneLumerantBudget::SceneLumerantBudget(Engine* e, const std::string& title)
    : Scene(title), engine(e), camera(nullptr), cube(-1), restCube(-1), room(-1), lampA(-1),
      lampB(-1) {
    const std::string cameraName = "SceneLumerantBudget.camera0";
    camera = engine->createCamera(cameraName, 0.1f, 100.0f, 45.0f, 0.0f);
    // A second scene of this class shares the first one's camera.
    if (camera == nullptr) camera = engine->findCamera(cameraName);
    camera->position = Vec3(0.0f, 0.0f, -5.0f);

    shape.halfX = shape.halfY = shape.halfZ = 1.0f;
    shape.flipWinding = false;

    const GLuint billbig = texture(engine, "billbig");
    const GLuint cubeBill = texture(engine, "cubemap.bill");
    const GLuint whitered = texture(engine, "whitered");

    Surface cubeSkin = makeSurface(Vec3(1.5f, 0.75f, 0.63f), 0.1f, true);
    setUnit(cubeSkin, 0, kUnitModulate, texture(engine, "lizzardskinbump"));
    setUnit(cubeSkin, 1, kUnitModulate, billbig);
    setUnit(cubeSkin, 2, kUnitAdd, cubeBill, true);
    cubeSkin.unitCount = 3;

    // Surface slot 1 (the quarter-size bloom pass) of the cube and the room: only the
    // reflection shows.
    Surface glow = makeSurface(Vec3(1.0f, 0.7f, 0.4f), 1.0f, true);
    setUnit(glow, 0, kUnitModulate, texture(engine, "black"));
    setUnit(glow, 1, kUnitModulate, billbig);
    setUnit(glow, 2, kUnitAdd, texture(engine, "cubemap.billred"), true);
    glow.unitCount = 3;

    Surface wall = makeSurface(Vec3(1.0f, 0.7f, 0.4f), 0.2f, true);
    wall.colourBias = Vec3(0.1f, 0.1f, 0.1f);
    setUnit(wall, 0, kUnitModulate, texture(engine, "bluedist"));
    setUnit(wall, 1, kUnitModulate, billbig);
    setUnit(wall, 2, kUnitAdd, cubeBill, true);
    wall.unitCount = 3;

    Surface lampSkin = makeSurface(Vec3(1.0f, 1.0f, 1.0f), 1.0f, false);
    setUnit(lampSkin, 0, kUnitModulate, whitered);
    lampSkin.unitCount = 1;

    Surface lampGlowA = makeSurface(Vec3(3.0f, 3.0f, 3.0f), 1.0f, false);
    setUnit(lampGlowA, 0, kUnitAdd, whitered);
    lampGlowA.unitCount = 1;

    Surface lampGlowB = makeSurface(Vec3(0.2f, 0.2f, 0.35f), 1.0f, false);
    setUnit(lampGlowB, 0, kUnitAdd, whitered);
    lampGlowB.unitCount = 1;

    cube = renderer.addBox(12, 12, cubeSkin, false);
    restCube = renderer.addBox(12, 12, cubeSkin, false);
    renderer.object(restCube)->visible = false;
    setSlot(*renderer.object(cube), 1, glow);

    room = renderer.addBox(10, 10, wall, true);
    shape.halfX = shape.halfY = shape.halfZ = 15.0f;
    shape.flipWinding = true;  // faces turned inwards: the box is seen from inside
    renderer.object(room)->buildBox(10, 10, shape, true);
    renderer.retexture(room, 2.0f);
    setSlot(*renderer.object(room), 1, glow);
    shape.halfX = shape.halfY = shape.halfZ = 1.0f;
    shape.flipWinding = false;

    LightSettings settingsA = lampSettings(1.0f, 0.7f, 0.5f);
    lampA = renderer.addLight(settingsA, 256, 256);
    LightSettings settingsB = lampSettings(0.5f, 0.7f, 1.0f);
    lampB = renderer.addLight(settingsB, 256, 256);

    // The lamps' visible spheres; the block's first floats are read as blob scales (1, 1, 1).
    SceneObject& a = *renderer.object(lampA);
    a.buildBlob(1.0f, 7, 7, shape, true);
    setSlot(a, 1, lampGlowA);
    a.setSurface(lampSkin);
    SceneObject& b = *renderer.object(lampB);
    b.buildBlob(1.0f, 7, 7, shape, true);
    setSlot(b, 1, lampGlowB);
    b.setSurface(lampSkin);
}

SceneLumerantBudget::Curves SceneLumerantBudget::curvesAt(float t) {
    FadeCurve curve;
    Curves c;
    curve.start = 0.0f;
    curve.length = 2.0f;
    c.bloom = curve.fadeIn(t, 7.0f, 0.1f);
    curve.start = 2.5f;
    curve.length = 3.0f;
    c.swell = curve.fadeIn(t, 3.0f, 2.0f);
    curve.start = 2.0f;
    curve.length = 15.0f;
    c.soften = curve.fadeIn(t, 7.0f, 2.0f);
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

float SceneLumerantBudget::animate(int frameDeltaMs) {
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
    return curves.bloom;
}

void SceneLumerantBudget::render(int, int frameDeltaMs) {
    glEnable(GL_DEPTH_TEST);
    drawPicture(animate(frameDeltaMs));
}

void SceneLumerantBudget::drawPicture(float bloom) {
    ScreenEffects* fx = engine->screenEffects;
    const int b = fx != nullptr ? fx->workSlotBase : 0;
    const bool withBloom = fx != nullptr && fx->validSlot(b) && fx->validSlot(b + 1);

    // The bloom: surface slot 1 at quarter size, blurred.
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHT0);
    renderer.draw(camera, false, true, 1, false, fx, true, true, true);
    if (withBloom) {
        fx->useSmallTextures = 1;
        fx->grab(b + 1);
        camera->applySmall();
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        fx->blur(b + 1, 0.7f * bloom, 5, 0.1f, 0.1f, 1.0f, 0.0f, 0.0f, 0.0f, -0.1f);
        fx->grab(b);
        camera->restore();
        fx->useSmallTextures = 0;
    }

    // The picture with surface slot 0, shadows composited through the screen effects.
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    renderer.draw(camera, false, false, 0, true, fx, true, false, false);

    if (withBloom) {
        camera->apply();
        fx->useSmallTextures = 1;
        glDisable(GL_DEPTH_TEST);
        fx->drawGrab(b, kAdditive);
        camera->restore();
        fx->useSmallTextures = 0;
    }
}
