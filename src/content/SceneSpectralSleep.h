#pragma once
// "Spectral Sleep": the music-driven scene. A row of fifteen small blobs stands across the
// screen like an equaliser: every frame the music spectrum is reduced to fifteen smoothed
// bands, and each band lifts, swells, ripples and colours its blob. The row floats inside a
// large reddish sphere seen from inside, whose texture scrolls slowly, pushed by the lowest
// band. A light circles near the camera and casts shadows; a bloom pass adds a blurred copy.
#include <string>

#include "content/SceneKit.h"
#include "render/ObjectRenderer.h"
#include "render/Shapes.h"
#include "render/VectorMath.h"

class Camera;
class Engine;

class SceneSpectralSleep : public ObjectScene {
public:
    static constexpr int kBlobCount = 15;
    static constexpr int kSpectrumSize = 1024;  // values read from the engine per frame
    static constexpr int kHistorySize = 2048;
    static constexpr int kFirstBin = 256;       // the scene watches bins 256 ... 767
    static constexpr int kBinCount = 512;
    static constexpr int kBandWidth = 20;
    // The reduction walks on past the fifteen bands it needs and fills scratch bands up to
    // index 25, so a band table holds at least this many entries.
    static constexpr int kBandTableSize = 26;

    SceneSpectralSleep(Engine* engine, const std::string& title);

    // Advances localTime (timeMs is not used), reads and analyses the spectrum into bands,
    // moves camera and light, rebuilds the blobs and scrolls the room's texture.
    Halo animate(int timeMs, int frameDeltaMs) override;

    // Normalises bins 256 ... 767 of spectrum in place (mean removed, divided by the largest
    // bin), leaving out bins of exactly 1.0 from mean and maximum. Without a non-zero maximum
    // the bins stay as they are.
    static void normaliseBins(float* spectrum);
    // Reduces history entries 256 ... 767 into bands (kBandTableSize entries): band 0 averages
    // entries 256 ... 276, band k >= 1 entries 256 + 20k + 1 ... 256 + 20k + 20 (each sum
    // divided by 20).
    static void reduceToBands(const float* history, float* bands);
    // Smooths a normalised spectrum into history and reduces it into bands.
    void analyseSpectrum(float* spectrum, float* bands);

    // Colour callback of the blob builder: stripes that grow stronger with the band level w.
    static void bandColour(Vec3& colour, const Vec3& position, float weight, float level);

    BlobShape shape;
    int blobs[kBlobCount];
    int light;
    int room;
    float history[kHistorySize];  // smoothed spectrum; entries 256 ... 767 are used
    float bands[kBandTableSize] = {0.0f};  // the bands of the last frame
    int blobCount;
};
