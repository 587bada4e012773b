#include "content/SceneSpectralSleep.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

#include "content/SceneKit.h"
#include "engine/Engine.h"
#include "render/Camera.h"

using namespace scenekit;

namespace {

const float kPi = 3.14159265358979f;
const int kHanningWindow = 3;   // window type of Engine::getSpectrum
const float kKeep = 0.95f;      // share of the old history value in each frame's smoothing

}  // namespace

SceneSpectralSleep::SceneSpectralSleep(Engine* e, const std::string& title)
    : ObjectScene(e, title, "SceneSpectralSleep.camera0"), light(-1), room(-1),
      blobCount(kBlobCount) {

    shape.scaleX = shape.scaleY = shape.scaleZ = 1.0f;
    shape.flipWinding = false;

    const GLuint billbig = textureNamed(engine, "billbig");
    const Vec3 none(0.0f, 0.0f, 0.0f);

    Surface blobSkin = reflectiveSurface(engine, Vec3(0.85f, 0.65f, 0.45f), kUnitModulate,
                                         "hopmet", 0.25f, 0.25f);

    Surface blobGlow = makeSurface(none, Vec3(3.5f * 0.33f, 1.7f * 0.33f, 1.2f * 0.33f));
    setTextureScale(blobGlow, 0.5f, 0.5f);
    setUnit(blobGlow, 0, kUnitModulate, billbig);

    Surface roomSkin = makeSurface(Vec3(0.5f, 0.05f, 0.05f), Vec3(0.42f, 0.37f, 0.33f));
    setTextureScale(roomSkin, 5.0f, 5.0f);
    setUnit(roomSkin, 0, kUnitModulate, textureNamed(engine, "lizzardskinp"));
    setUnit(roomSkin, 1, kUnitModulate, billbig);

    Surface roomGlow = makeSurface(none, Vec3(0.6f, 0.6f, 0.6f));
    setTextureScale(roomGlow, 5.0f, 5.0f);
    setUnit(roomGlow, 0, kUnitModulate, textureNamed(engine, "black"));
    setUnit(roomGlow, 1, kUnitModulate, billbig);

    for (int i = 0; i < kBlobCount; ++i) {
        blobs[i] = renderer.addBlob(0.25f, 6, 6, blobSkin, false);
        setSurfaceSlot(*renderer.object(blobs[i]), 1, blobGlow);
    }

    room = renderer.addBlob(20.0f, 8, 8, roomSkin, true);
    // Twice as tall as wide, faces turned inwards. The block keeps the flipped winding, so
    // the blobs rebuilt from it each frame are turned inside out as well.
    shape.scaleY = 2.0f;
    shape.flipWinding = true;
    SceneObject& r = *renderer.object(room);
    r.buildBlob(20.0f, 8, 8, shape, true);
    r.rotation = Vec3(0.0f, 3.0f * kPi / 4.0f, 0.0f);
    setSurfaceSlot(r, 1, roomGlow);

    LightSettings settings =
        shadowSpotLight(Vec3(0.0f, 0.0f, 0.0f), Vec3(1.0f, 1.0f, 1.0f), 100.0f, 0.01f);
    light = renderer.addLight(settings, engine->windowWidth, engine->windowHeight);

    std::fill(history, history + kHistorySize, 0.0f);
}

void SceneSpectralSleep::normaliseBins(float* spectrum) {
    float sum = 0.0f;
    float maximum = 0.0f;
    for (int i = kFirstBin; i < kFirstBin + kBinCount; ++i) {
        const float v = spectrum[i];
        if (v == 1.0f) continue;  // counts for neither the mean nor the maximum
        sum += v;
        if (v > maximum) maximum = v;
    }
    if (maximum == 0.0f) return;
    const float mean = sum / static_cast<float>(kBinCount);
    for (int i = kFirstBin; i < kFirstBin + kBinCount; ++i)
        spectrum[i] = (spectrum[i] - mean) / maximum;
}

void SceneSpectralSleep::reduceToBands(const float* h, float* bands) {
    std::fill(bands, bands + kBandTableSize, 0.0f);
    // Each band collects twenty entries and is closed (divided by 20) by the entry after
    // them, which it also takes: band 0 thus holds 21 entries, the later bands 20.
    int count = 0;
    int band = 0;
    for (int i = kFirstBin; i < kFirstBin + kBinCount && band < kBandTableSize; ++i) {
        if (count < kBandWidth) {
            bands[band] += h[i];
            ++count;
        } else {
            bands[band] = (bands[band] + h[i]) / static_cast<float>(kBandWidth);
            count = 1;
            ++band;
        }
    }
}

void SceneSpectralSleep::analyseSpectrum(float* spectrum, float* bands) {
    normaliseBins(spectrum);
    const float take = 1.0f - kKeep;
    for (int i = kFirstBin; i < kFirstBin + kBinCount; ++i)
        history[i] = kKeep * history[i] + take * spectrum[i];
    reduceToBands(history, bands);
}

void SceneSpectralSleep::bandColour(Vec3& colour, const Vec3& p, float q, float w) {
    const float s = std::sin(1.3f * p.y + 2.23f * p.x);
    const float m = 0.5f * q;
    colour = Vec3(1.0f - w + w * 2.5f * (0.5f * s + m), 1.0f - w + w * 0.5f * (m + 0.5f * s),
                  1.0f - w + w * 0.35f * (m + 0.25f * s));
}

ObjectScene::Halo SceneSpectralSleep::animate(int /*timeMs*/, int frameDeltaMs) {
    localTime += frameDeltaMs;
    const float t = static_cast<float>(localTime) / 1000.0f;

    const float cameraIn = FadeCurve(0.0f, 1.0f).fadeIn(t, 1.0f, 1.0f);

    shape.scaleY = shape.scaleZ = 1.0f;
    shape.bandFreq = shape.ringFreq = shape.bendXFreq = shape.bendZFreq = 1.0f;

    // The camera flies out from the origin during the first second.
    camera->position = Vec3(5.0f * std::sin(0.25f * t) + 0.85f, 2.0f * std::cos(0.35f * t) + 3.0f,
                            std::sin(-0.025f * t) - 1.32f) *
                       cameraIn;
    const Vec3 target(std::sin(0.25f * t) - 0.85f, 0.0f, 0.0f);
    camera->direction = target - camera->position;

    SceneObject& lamp = *renderer.object(light);
    lamp.position =
        (Vec3(2.5f * std::cos(0.5f * t), 1.5f * std::sin(0.25f * t), 0.0f) + camera->position) *
        1.25f;
    lamp.spotDirection = (Vec3(-2.5f, 0.0f, 0.0f) - lamp.position).normalized();

    float spectrum[kSpectrumSize];
    engine->getSpectrum(spectrum, kHanningWindow, kSpectrumSize, 0);
    analyseSpectrum(spectrum, bands);

    for (int l = 0; l < kBlobCount; ++l) {
        const float band = bands[l];
        SceneObject& b = *renderer.object(blobs[l]);
        b.position = Vec3((static_cast<float>(l) / 15.0f - 0.5f) * 8.0f, 3.0f * band, 0.0f);
        const float level = std::min(std::max(3.0f * band, 0.0f), 1.0f);
        shape.scaleX = 1.5f;
        shape.bandAmp = 0.1f * level;
        shape.ringAmp = 0.25f * level;
        shape.bendXAmp = 9.0f * level;
        shape.bendZAmp = 22.0f * level;
        shape.bendXPhase = shape.bendZPhase = 0.2f * static_cast<float>(l) + t;
        b.buildBlob(0.1f * band + 0.2f, 6, 14, shape, true, bandColour, level);
    }

    renderer.object(room)->surfaces[0].texOffsetU[0] = 0.2f * bands[0] - 0.1f * t;
    return Halo{0.35f, 6, -0.2f};
}
