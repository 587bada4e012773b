#include "content/SceneFunkyStripes.h"

#include <GL/glew.h>

#include <cmath>

#include "content/SceneKit.h"
#include "engine/Engine.h"
#include "render/Camera.h"
#include "render/ScreenEffects.h"

using namespace scenekit;

const char* const SceneFunkyStripes::kCameraName = "SceneFunkyStripes.camera0";

namespace {

const float kPi = 3.14159265358979f;

}  // namespace

void SceneFunkyStripes::stripeColour(Vec3& colour, const Vec3& p, float q, float w) {
    const float s = std::sin(1.3f * p.y + 2.23f * p.x);
    const float m = 0.5f * q;
    const float white = 1.0f - w;
    colour = Vec3(white + w * 1.5f * (0.5f * s + m), white + w * 0.5f * (m + 0.5f * s),
                  white + w * 0.35f * (m + 0.25f * s));
}

SceneFunkyStripes::SceneFunkyStripes(Engine* e, const std::string& title)
    : ObjectScene(e, title, kCameraName) {
    for (int& index : objects) index = -1;

    shape.scaleX = shape.scaleY = shape.scaleZ = 1.0f;
    shape.flipWinding = false;

    // The root and the tree nodes: bumped lizard skin under the environment picture with a
    // reflected cube map. The bump is modulated in the lit slot and switched off in the bloom
    // slot.
    Surface rootLit = reflectiveSurface(engine, Vec3(0.6f, 0.56f, 0.52f), kUnitModulate,
                                        "lizzardskinbump", 1.0f, 1.0f);
    const Surface rootBloom = reflectiveSurface(engine, Vec3(0.75f, 0.6f, 0.45f), kUnitOff,
                                                "lizzardskinbump", 2.0f, 2.0f);

    Surface environmentLit = makeSurface(Vec3(0.5f, 0.5f, 0.5f), Vec3(0.2f, 0.2f, 0.2f));
    setUnit(environmentLit, 0, kUnitModulate, textureNamed(engine, "kallios"));
    setUnit(environmentLit, 1, kUnitModulate, textureNamed(engine, "billbig"));
    setTextureScale(environmentLit, 2.0f, 2.0f);
    // The environment stays black in the bloom source.
    const Surface environmentBloom = makeSurface(Vec3(0.0f, 0.0f, 0.0f), Vec3(0.0f, 0.0f, 0.0f));

    // Root: built plain first, then rebuilt finer with white vertex colours.
    objects[0] = renderer.addBlob(2.0f, 16, 16, rootLit, false);
    SceneObject& root = *renderer.object(objects[0]);
    setSurfaceSlot(root, 1, rootBloom);
    root.buildBlob(2.0f, 16, 16, shape, false);
    radii.push_back(2.0f);
    segments.push_back(20);
    rings.push_back(20);
    root.buildBlob(2.0f, 20, 20, shape, false, stripeColour, 0.0f);

    // Tree nodes, level by level, darker and bluer further down.
    int node = 1;
    int count = 2;
    float radius = 1.0f;
    int nodeSegments = 12;
    int nodeRings = 12;
    for (int y = 0; y < kLevels; ++y) {
        const float level = static_cast<float>(y + 1);
        rootLit.colourScale =
            Vec3(0.6f - 0.16f * level, 0.52f - 0.08f * level, 0.52f - 0.04f * level);
        rootLit.alphaScale = 1.0f;
        for (int i = 0; i < count; ++i, ++node) {
            objects[node] = renderer.addBlob(radius, nodeSegments, nodeRings, rootLit, false);
            SceneObject& o = *renderer.object(objects[node]);
            setSurfaceSlot(o, 1, rootBloom);
            o.buildBlob(radius, nodeSegments, nodeRings, shape, false);
            radii.push_back(radius);
            segments.push_back(nodeSegments);
            rings.push_back(nodeRings);
        }
        count *= 2;
        radius *= 0.5f;
        nodeSegments = nodeSegments < 16 ? 8 : nodeSegments / 2;
        nodeRings = nodeRings < 16 ? 8 : nodeRings / 2;
    }

    renderer.attachChild(objects[0], objects[1]);
    renderer.attachChild(objects[0], objects[2]);
    for (int p = 1; p <= 14; ++p) {
        renderer.attachChild(objects[p], objects[2 * p + 1]);
        renderer.attachChild(objects[p], objects[2 * p + 2]);
    }

    // The enclosing sphere, wound inwards so that it is seen from inside.
    environment = renderer.addBlob(20.0f, 10, 10, environmentLit, true);
    SceneObject& env = *renderer.object(environment);
    setSurfaceSlot(env, 1, environmentBloom);
    shape.flipWinding = true;
    env.buildBlob(20.0f, 10, 10, shape, false);

    LightSettings light = shadowSpotLight(Vec3(0.12f, 0.12f, 0.12f), Vec3(1.0f, 1.0f, 1.0f),
                                          100.0f, 0.025f);
    objects[kLightEntry] = renderer.addLight(light, engine->windowWidth, engine->windowHeight);

    shape.flipWinding = false;
}

SceneFunkyStripes::~SceneFunkyStripes() = default;

ObjectScene::Halo SceneFunkyStripes::animate(int /*timeMs*/, int frameDeltaMs) {
    localTime += frameDeltaMs;
    const float t = seconds();
    const float rootIn = FadeCurve(2.0f, 1.0f).fadeIn(t, 1.0f, 1.0f);
    const float swayIn = FadeCurve(0.5f, 1.0f).fadeIn(t, 1.0f, 1.0f);
    const float cameraIn = FadeCurve(0.0f, 1.0f).fadeIn(t, 1.0f, 1.0f);

    shape.scaleX = shape.scaleY = shape.scaleZ = 1.0f;
    shape.bandFreq = shape.ringFreq = shape.bendXFreq = shape.bendZFreq = 1.0f;

    SceneObject& root = *renderer.object(objects[0]);
    const float phi = t * 0.03f * 0.5f - 7.0f;
    const Vec3 drift(std::cos(phi), -2.0f * std::sin(phi), 2.0f * std::sin(phi) + 5.0f);
    root.position = Vec3(drift.x * rootIn, drift.y * rootIn, drift.z);

    camera->position = Vec3(0.0f, 0.0f, -5.0f) * cameraIn;

    root.rotation = Vec3(std::cos(0.432f * t + 0.4f) * swayIn,
                         4.0f * std::sin(0.654f * t + 0.5f) * swayIn, 0.0f);

    SceneObject& light = *renderer.object(objects[kLightEntry]);
    light.position = Vec3(3.5f * std::cos(0.5f * t - 2.0f), 3.5f * std::sin(0.25f * t - 3.0f), -2.5f);
    light.spotDirection = (root.position - light.position).normalized();

    unfoldTree(t);
    // A blurred copy of the slot-1 surfaces is added as bloom.
    return Halo{0.15f, 5, -0.1f};
}

void SceneFunkyStripes::unfoldTree(float t) {
    float spread = 2.5f;
    int pairs = 1;
    int n = 1;
    int q = 0;
    FadeCurve window(2.5f, 1.0f, 15.5f, 1.0f);
    float hold = 13.0f;
    for (int j = 0; j < kLevels; ++j) {
        const float open = window.fadeInOut(t, 1.0f, 1.0f);
        window.start += 1.5f;
        const float parentHold = hold - 2.5f;
        window.outStart = window.start + parentHold;
        const float grow = window.fadeInOut(t, 1.0f, 1.0f);

        float shrink, offset, firstSign;
        if (j == 0) {
            shape.bandAmp = 0.0f;
            shape.ringAmp = 0.5f * grow;
            shape.bendXAmp = shape.bendZAmp = 3.33f * grow;
            shrink = 0.0f;
            offset = 0.0f;
            firstSign = -1.0f;
        } else {
            shape.bandAmp = shape.ringAmp = 0.5f * grow;
            shape.bendXAmp = shape.bendZAmp = 7.5f * grow;
            shrink = 0.6f;
            offset = j == 1 ? 0.75f : 0.5f;
            firstSign = 1.0f;
        }

        for (int k = 0; k < pairs; ++k, n += 2, ++q) {
            SceneObject& a = *renderer.object(objects[n]);
            SceneObject& b = *renderer.object(objects[n + 1]);
            SceneObject& parent = *renderer.object(objects[q]);
            const float sign = k == 0 ? firstSign : (k % 2 == 1 ? -1.0f : 1.0f);

            shape.bendXPhase = shape.bendZPhase =
                (static_cast<float>(k) / static_cast<float>(pairs) + offset + t) * sign;

            const Vec3 glow = Vec3(0.75f, 0.6f, 0.35f) * grow;
            a.surfaces[1].colourScale = glow;
            b.surfaces[1].colourScale = glow;

            // A parent that is not growing keeps its last geometry.
            if (grow != 0.0f)
                parent.buildBlob(radii[q] * (1.0f - shrink * grow), segments[q], rings[q], shape,
                                 false, stripeColour, grow);

            const float texScale = 0.25f * radii[n];
            a.surface().texScaleU[0] = a.surface().texScaleV[0] = texScale;
            b.surface().texScaleU[0] = b.surface().texScaleV[0] = texScale;

            a.position = Vec3(-spread * open, 0.0f, 0.0f);
            b.position = Vec3(spread * open, 0.0f, 0.0f);

            if (j > 0) {
                const float fq = static_cast<float>(q);
                a.rotation = Vec3(1.75f * kPi * fq - 0.25f * kPi * sign * t,
                                  (kPi / 2.0f) * std::sin(0.5f * kPi * fq) + 0.05f * kPi * t,
                                  0.5f * kPi * fq);
                b.rotation = Vec3(-1.75f * kPi * fq - 0.25f * kPi * sign * t,
                                  (kPi / 2.0f) * std::cos(0.5f * kPi * fq) + 0.05f * kPi * t,
                                  0.5f * kPi * fq);
            }
        }

        spread *= 0.5f;
        pairs *= 2;
        window.start += 0.5f;
        hold = parentHold - 0.5f;
        window.outStart = window.start + hold;
    }
}

void SceneFunkyStripes::drawOver() {
    ScreenEffects* effects = engine->screenEffects;
    if (effects == nullptr) return;
    const float t = seconds();
    const float plate = FadeCurve(2.0f, 1.0f, 5.5f, 1.0f).fadeInOut(t, 1.0f, 1.0f);
    // Text plate, in front of everything under the projection left current.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const float s1 = std::sin(t * 2.0f * kPi * 0.05f);
    const float r1 = 0.25f * s1 + 0.25f;
    glTranslatef(-0.55f * plate - 2.0f * (1.0f - plate), -0.35f, -1.0f);
    glRotatef(30.0f * r1, 1.0f, 0.5f, 1.0f);
    glRotatef(70.0f * (1.0f - plate), 1.0f, 1.5f, 0.0f);
    const GLuint plateTexture = textureNamed(engine, "tyyper");
    effects->drawTexturedQuad(plateTexture, Blend::Alpha, nullptr, 1.0f, nullptr, false);
    const Vec3 black(0.0f, 0.0f, 0.0f);
    effects->drawTexturedQuad(plateTexture, Blend::AlphaAdditive, &black,
                              0.25f * std::sin(kPi * t) + 0.25f, nullptr, false);
    glPopMatrix();
}
