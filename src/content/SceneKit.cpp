#include "content/SceneKit.h"

#include "engine/Engine.h"
#include "engine/StageTimer.h"
#include "render/Camera.h"
#include "render/RenderTarget.h"
#include "render/ScreenEffects.h"
#include "resources/TextureManager.h"

namespace scenekit {

GLuint textureNamed(Engine* engine, const char* name) {
    return engine->textures != nullptr ? engine->textures->textureId(name) : 0;
}

Camera* sceneCamera(Engine* engine, const std::string& name) {
    Camera* camera = engine->createCamera(name, 0.1f, 100.0f, 45.0f, 0.0f);
    return camera != nullptr ? camera : engine->findCamera(name);
}

Surface makeSurface(const Vec3& colourBias, const Vec3& colourScale, bool castsShadow) {
    Surface s;
    s.colourBias = colourBias;
    s.colourScale = colourScale;
    s.castsShadow = castsShadow;
    return s;
}

void setUnit(Surface& s, int unit, int mode, GLuint texture, bool cubeMap) {
    s.unitMode[unit] = mode;
    s.unitTexture[unit] = texture;
    s.unitCubeMap[unit] = cubeMap;
    if (s.unitCount < unit + 1) s.unitCount = unit + 1;
}

void setReflectiveUnits(Surface& s, int baseMode, GLuint base, GLuint environment,
                        GLuint cubeMap) {
    setUnit(s, 0, baseMode, base);
    setUnit(s, 1, kUnitModulate, environment);
    setUnit(s, 2, kUnitAdd, cubeMap, true);
}

Surface reflectiveSurface(Engine* engine, const Vec3& colourScale, int baseMode, const char* base,
                          float texScaleU, float texScaleV) {
    Surface s = makeSurface(Vec3(0.0f, 0.0f, 0.0f), colourScale);
    setReflectiveUnits(s, baseMode, textureNamed(engine, base), textureNamed(engine, "billbig"),
                       textureNamed(engine, "cubemap.bill"));
    setTextureScale(s, texScaleU, texScaleV);
    return s;
}

void setTextureScale(Surface& s, float u, float v) {
    s.texScaleU[0] = u;
    s.texScaleV[0] = v;
}

void setSurfaceSlot(SceneObject& o, int slot, const Surface& s) {
    o.currentSurface = slot;
    o.setSurface(s);
    o.currentSurface = 0;
}

LightSettings shadowSpotLight(const Vec3& ambient, const Vec3& diffuse, float spotExponent,
                              float linearAttenuation) {
    LightSettings light;
    light.isLight = true;
    light.positional = true;
    for (int i = 0; i < 3; ++i) {
        light.lightAmbient[i] = ambient[i];
        light.lightDiffuse[i] = diffuse[i];
        light.lightSpecular[i] = 0.0f;
    }
    light.lightAmbient[3] = light.lightDiffuse[3] = light.lightSpecular[3] = 1.0f;
    light.lightOffset = Vec3(0.0f, 0.0f, 0.0f);
    light.spotDirection = Vec3(0.0f, 0.0f, 1.0f);
    light.spotExponent = spotExponent;
    light.spotCutoff = 90.0f;
    light.constantAttenuation = 0.0f;
    light.linearAttenuation = linearAttenuation;
    light.quadraticAttenuation = 0.0f;
    light.castsShadows = true;
    light.shadowMapSize = 256;
    return light;
}

bool haloSlotsFree(const ScreenEffects* effects) {
    if (effects == nullptr) return false;
    const int base = effects->workSlotBase;
    return base >= 0 && effects->validSlot(base) && effects->validSlot(base + 1);
}

namespace {

// On the fused path, draws go straight into the small slot's target; elsewhere they stay in
// the frame buffer, and the grabs copy them out.
void drawIntoSmallSlot(ScreenEffects& effects, int slot) {
    if (RenderTarget* target = effects.slotTarget(slot, true))
        target->bind(effects.smallViewWidth, effects.smallViewHeight);
}

}  // namespace

void blurHalo(ScreenEffects& effects, Camera* camera, float progress, int passes, float fadeOut) {
    const int base = effects.workSlotBase;
    effects.useSmallTextures = 1;
    effects.grab(base + 1);
    camera->applySmall();
    // The blur's last pass lands in the halo's own slot.
    drawIntoSmallSlot(effects, base);
    effects.clearForBlur(passes);
    glDisable(GL_DEPTH_TEST);
    effects.blur(base + 1, progress, passes, 0.1f, 0.1f, 1.0f, 0.0f, 0.0f, 0.0f, fadeOut);
    effects.grab(base);
    stagetimer::mark("halo blur");
    camera->restore();
    effects.useSmallTextures = 0;
    effects.bindFrame();
}

void addHalo(ScreenEffects& effects) {
    glDisable(GL_DEPTH_TEST);
    effects.useSmallTextures = 1;
    effects.drawGrab(effects.workSlotBase, Blend::Additive);
    effects.useSmallTextures = 0;
    stagetimer::mark("halo add");
}

void drawPictureWithHalo(ObjectRenderer& renderer, Camera* camera, ScreenEffects* effects,
                         float blurProgress, int blurPasses, float blurFadeOut) {
    // The halo needs both working slots: a frame whose bank is too small draws without it.
    const bool halo = haloSlotsFree(effects);

    stagetimer::mark("animation");
    // The halo source: surface slot 1, drawn directly at quarter size; on the fused path
    // straight into the small slot the blur reads it from.
    if (halo) drawIntoSmallSlot(*effects, effects->workSlotBase + 1);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHT0);
    renderer.drawHaloSource(camera, effects);
    if (halo) blurHalo(*effects, camera, blurProgress, blurPasses, blurFadeOut);

    // The picture itself with surface slot 0, shadows composited through the screen effects
    // (drawn directly without them), the halo added as the last step of the composition. The
    // composited draw clears, before each of its passes, all that the pass draws on and copies,
    // so only the direct one needs the frame cleared here: a clear costs as much as a small pass.
    if (effects == nullptr || camera == nullptr)
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer.drawComposited(camera, effects, halo ? effects->workSlotBase : -1);
}

}  // namespace scenekit

ObjectScene::ObjectScene(Engine* e, const std::string& title, const std::string& cameraName)
    : Scene(title), engine(e), camera(scenekit::sceneCamera(e, cameraName)) {}

void ObjectScene::render(int timeMs, int frameDeltaMs) {
    glEnable(GL_DEPTH_TEST);
    const Halo halo = animate(timeMs, frameDeltaMs);
    scenekit::drawPictureWithHalo(renderer, camera, engine->screenEffects, halo.progress,
                                  halo.passes, halo.fadeOut);
    drawOver();
}
