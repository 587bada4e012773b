#pragma once
// "BubblesOfLife": fifty small wobbly blobs drift in a swarm around a central blob. Their
// positions, spins, sizes and colours are sampled from seeded gradient noise along the swarm's
// own clock; the central blob is reshaped every frame from a hidden rest copy (bulging,
// twisting, pulled towards an ellipsoid). Three times the swarm slows to a stop while the
// camera keeps moving. A shadow-casting spot light with a bright lamp sphere circles the swarm
// and aims at its centre; a blurred quarter-size copy of the bright parts is added as a halo.
#include <string>

#include "content/SceneKit.h"
#include "render/GradientNoise.h"
#include "render/ObjectRenderer.h"
#include "render/Shapes.h"
#include "render/VectorMath.h"

class Camera;
class Engine;

class SceneBubblesOfLife : public ObjectScene {
public:
    static const int kBubbleCount = 50;
    // Entries of objectIndex: 0 ... 49 the bubbles, then these.
    static const int kRestEntry = 200;     // hidden rest shape of the central blob
    static const int kCentralEntry = 201;  // the central blob
    static const int kLightEntry = 400;    // the spot light with its lamp sphere
    static const int kEntries = kLightEntry + 1;

    // Swarm time at which the bubbles are placed before the first frame.
    static constexpr float kInitialSwarmTime = 0.4f;

    SceneBubblesOfLife(Engine* engine, const std::string& title);
    ~SceneBubblesOfLife() override;
    SceneBubblesOfLife(const SceneBubblesOfLife&) = delete;
    SceneBubblesOfLife& operator=(const SceneBubblesOfLife&) = delete;

    // Advances localTime (timeMs is not used) and moves the swarm, the blob, camera and light.
    Halo animate(int timeMs, int frameDeltaMs) override;

    // Envelopes of the scene at time t (seconds of scene time).
    struct Envelopes {
        float speed;   // 1 while the swarm moves, 0 inside a pause
        float zoom;    // camera distance factor, rising over the first 2 s
        float height;  // stretch of the central blob, 0.2 ... 1
        float life;    // spread and size of the swarm, 0.1 ... 1
    };
    static Envelopes envelopesAt(float t);

    // Places, spins, sizes and colours every bubble for swarm time a and the given life;
    // returns the mean bubble position (the swarm centre).
    Vec3 placeBubbles(float a, float life);

    BoxShape shape;          // blob parameters while building, box parameters in render
    float swarmTime = 0.0f;  // seconds of swarm motion
    float pauseTime = 0.0f;  // seconds spent inside the pauses
    int bubbleCount = kBubbleCount;
    GradientNoise noise;
    int objectIndex[kEntries];
    int environment = -1;    // the inside-out sphere around everything
    Vec3 swarmCentre;        // of the last placement

private:
    void buildBubbles(const Surface& lit, const Surface& bloom);
};
