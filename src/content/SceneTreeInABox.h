#pragma once
// "Tree In A Box": the viewer floats inside a large closed box with textured inner walls.
// Every 1.5 seconds a random spot on the far wall starts to bulge towards the viewer, so the
// wall slowly grows a landscape of spikes. Two small lamp spheres with coloured,
// shadow-casting spot lights orbit inside the box and aim at a wandering point; a blurred
// quarter-size copy is added on top, flickering in over the first two seconds.
#include <string>
#include <vector>

#include "content/SceneKit.h"
#include "render/ObjectRenderer.h"
#include "render/Shapes.h"
#include "render/VectorMath.h"

class Camera;
class Engine;

class SceneTreeInABox : public ObjectScene {
public:
    static constexpr float kBoxHalf = 15.0f;    // the box spans -15 ... 15 on each axis
    static constexpr float kSpotRadius = 3.0f;  // of a bulge spot
    static constexpr float kSpotRange = 12.5f;  // spot centres lie within +-12.5 on x and y
    static const int kPeriodMs = 1500;          // one new spot per period
    static const int kLatchWindowMs = 500;      // the first part of a period asks for a spot

    SceneTreeInABox(Engine* engine, const std::string& title);
    ~SceneTreeInABox() override;
    SceneTreeInABox(const SceneTreeInABox&) = delete;
    SceneTreeInABox& operator=(const SceneTreeInABox&) = delete;

    // Advances localTime (timeMs is not used), chooses spots, grows the current one, moves
    // the camera and the lamps; the halo blurs with the bloom strength.
    Halo animate(int timeMs, int frameDeltaMs) override;

    // Where a lamp is at scene time t (seconds); lamp B runs at t + 2.
    static Vec3 lampPosition(float t);
    // The point both lamps aim at.
    static Vec3 aimPoint(float t);
    // Bloom strength: 0 at t = 0, flickering up to 1 at t = 2.
    static float bloomStrength(float t);

    BoxShape shape;
    bool selectionDone = false;     // a spot has been chosen for the current period
    std::vector<int> coveredFaces;  // faces wholly inside the current spot
    std::vector<int> selectedVertices;
    std::vector<float> vertexWeights;  // distance to the spot centre / spot radius
    bool periodLatch = false;       // the current period has asked for its spot
    Vec3 spotCentre;
    Vec3 pushVector;
    int box = -1;
    int lampA = -1;
    int lampB = -1;

private:
    void chooseSpot();
};
