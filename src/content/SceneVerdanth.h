#pragma once
// "Verdanth": a dense sphere at the origin that never stops growing. Every frame a point
// wanders around it on a tumbling path and the vertices near that point are shot outwards;
// the pushes accumulate into an ever larger spiky mass that breathes with the level of the
// music's high band. The camera circles it while backing away, a lamp with a shadow-casting
// spot light follows the camera, a large textured sphere encloses everything, and a bloom pass
// adds a blurred copy.
#include <string>
#include <vector>

#include "content/SceneKit.h"
#include "render/ObjectRenderer.h"
#include "render/Shapes.h"
#include "render/VectorMath.h"

class Camera;
class Engine;

class SceneVerdanth : public ObjectScene {
public:
    static const int kHistorySize = 2048;
    static const int kSpectrumSize = 1024;
    // The band of the spectrum the mass breathes with (inclusive).
    static const int kBandFirst = 341;
    static const int kBandLast = 511;
    static const int kBandSize = kBandLast - kBandFirst + 1;

    SceneVerdanth(Engine* engine, const std::string& title);
    ~SceneVerdanth() override;
    SceneVerdanth(const SceneVerdanth&) = delete;
    SceneVerdanth& operator=(const SceneVerdanth&) = delete;

    // Advances localTime (timeMs is not used), reads the spectrum, moves the camera, grows the
    // mass and places the lamp.
    Halo animate(int timeMs, int frameDeltaMs) override;

    // Smoothstep of the growth: 6x^5 - 15x^4 + 10x^3; 0 on the rim of a selection, 1 at its
    // centre (x is 1 - weight).
    static float growthFalloff(float x);

    // Normalises the band of spectrum (kSpectrumSize values) by its largest value (bins of
    // exactly 1.0 do not count towards it; nothing is divided when it is 0), folds the band
    // into history (kHistorySize values) with weight 0.15 for the new value, and returns the
    // mean of the band's history: the music level.
    static float foldSpectrum(float* spectrum, float* history);

    // The point around which the mass grows at scene time t (seconds).
    static Vec3 seekPoint(float t);
    // The radius of the growth selection at scene time t.
    static float selectionRadius(float t);

    BlobShape shape;
    float history[kHistorySize];
    int mass = -1;
    int room = -1;
    int lamp = -1;
    float level = 0.0f;  // the music level of the last frame

private:
    // Working lists of the growth selection, emptied every frame (kept to reuse their memory).
    std::vector<int> selectedFaces;
    std::vector<int> selectedVertices;
    std::vector<float> selectedWeights;
    float spectrum[kSpectrumSize];
};
