#pragma once
// "Cancerous": a large textured blob in a dim inside-out sphere. Two moons orbit it and press
// dents into its surface wherever they pass, while an invisible wandering point makes the
// surface grow outwards. The big blob's mesh is never rebuilt, so the dents and growths pile
// up for the whole scene. A shadow-casting spotlight with a bright lamp sphere circles and aims
// at the blob; a blurred quarter-size copy of the bright parts is added as a halo.
#include <string>
#include <vector>

#include "content/SceneKit.h"
#include "render/ObjectRenderer.h"
#include "render/Shapes.h"
#include "render/VectorMath.h"

class Camera;
class Engine;

class SceneCancerous : public ObjectScene {
public:
    SceneCancerous(Engine* engine, const std::string& title);

    // Advances localTime, presses the dents, grows the blob, moves camera and light.
    Halo animate(int timeMs, int frameDeltaMs) override;

    // Where a moon starting at `start` (on the x axis) is after t seconds of scene time.
    static Vec3 moonPoint(const Vec3& start, float t);
    // The invisible point that makes the surface grow, the radius of its influence and how
    // far (as a factor of the point's vector) it pushes the vertex at its centre in one frame.
    static Vec3 growthPoint(float t);
    static float growthRadius(float t);
    static float growthAmount(float t, float dt);
    // Distance of the camera from the blob: it pulls back with the growth point until 47 s of
    // demo time and returns to 9 within the following second.
    static float cameraDistance(float demoSeconds, const Vec3& growth);

    BlobShape shape;  // scales (1, 1, 1), everything else 0
    int blob;
    int moonA, moonB;
    int environment;  // the inside-out sphere around everything
    int light;        // the spotlight with its lamp sphere

private:
    // Presses the dent of one moon and turns the moon by how much it pressed.
    void pressDent(int moon, const Vec3& start, float t, float dt, float turnDivisor);

    // Working lists of the sphere selections, kept so that frames take no memory.
    std::vector<int> selectedFaces;
    std::vector<int> selectedVertices;
    std::vector<float> selectedWeights;
};
