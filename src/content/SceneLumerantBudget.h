#pragma once
// "Lumerant Budget": a textured cube drifts and sways in the middle of a large closed box seen
// from inside, and over the scene bulges, twists and swells into a softer, wobbling form that
// stretches upwards. Two lamp spheres with coloured, shadow-casting spotlights orbit on wide
// ellipses and aim at the cube; the camera circles it. A bloom pass, faded in over the first
// two seconds, adds a blurred copy.
//
// The cube is restored from a hidden rest copy before every deformation, so its shape is a
// function of the scene time alone.
#include <string>

#include "content/SceneKit.h"
#include "render/ObjectRenderer.h"
#include "render/Shapes.h"
#include "render/VectorMath.h"

class Camera;
class Engine;

class SceneLumerantBudget : public ObjectScene {
public:
    SceneLumerantBudget(Engine* engine, const std::string& title);

    // Advances localTime (timeMs is not used), moves camera, cube and lamps and deforms the
    // cube; the halo blurs with the bloom curve.
    Halo animate(int timeMs, int frameDeltaMs) override;

    // The three timed values of the scene at T seconds of scene time.
    struct Curves {
        float bloom;   // flickers in over the first two seconds
        float swell;   // rises between 2.5 and 5.5 s
        float soften;  // rises between 2 and 17 s
    };
    static Curves curvesAt(float t);
    // Writes the cube's deformation for time t into the box parameters of block (its half
    // extents and winding stay as they are).
    static void setDeformation(BoxShape& block, float t, const Curves& curves);
    static Vec3 cubePosition(float t);
    static Vec3 lampPosition(float t);

    BoxShape shape;  // half extents (1, 1, 1); also used as a blob block for the lamps
    int cube;
    int restCube;    // hidden copy holding the cube's undeformed lattice
    int room;
    int lampA, lampB;
};
