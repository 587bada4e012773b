#pragma once
// "Funky Stripes": a striped sphere drifts in front of the camera, a tree of smaller spheres
// (two children per node, four levels) unfolds out of it and folds back, a spot light circles
// the root and casts shadows, all inside a large textured sphere seen from inside; a bloom pass
// adds a blurred copy and a rotating text plate slides in and out.
#include <string>
#include <vector>

#include "content/SceneKit.h"
#include "render/ObjectRenderer.h"
#include "render/Shapes.h"
#include "render/VectorMath.h"

class Camera;
class Engine;

class SceneFunkyStripes : public ObjectScene {
public:
    static const int kLevels = 4;
    static const int kTreeNodes = 30;   // objects[1] ... objects[30], breadth first
    static const int kLightEntry = 200; // objects[200] is the light
    static const int kObjectEntries = kLightEntry + 1;

    SceneFunkyStripes(Engine* engine, const std::string& title);
    ~SceneFunkyStripes() override;
    SceneFunkyStripes(const SceneFunkyStripes&) = delete;
    SceneFunkyStripes& operator=(const SceneFunkyStripes&) = delete;

    // Advances localTime (timeMs is not used), drifts and sways the root, moves camera and
    // light and unfolds the tree.
    Halo animate(int timeMs, int frameDeltaMs) override;

    // Colour callback of the blob builder: white with w = 0; with w = 1 diagonal sine bands
    // tinted by the vertex's shape value q.
    static void stripeColour(Vec3& colour, const Vec3& p, float q, float w);

    // The name under which the camera is registered (another scene borrows it).
    static const char* const kCameraName;

    BlobShape shape;  // parameter block of every rebuild
    // Renderer indices: 0 the root, 1 ... 30 the tree nodes (children of node n are 2n + 1 and
    // 2n + 2), 200 the light; -1 where nothing is stored.
    int objects[kObjectEntries];
    int environment = -1;  // the enclosing sphere
    int levels = kLevels;
    // Per tree node, same index as objects: construction radius, segments and rings.
    std::vector<float> radii;
    std::vector<int> segments;
    std::vector<int> rings;

protected:
    // The text plate that slides in, rocks and slides out again in front of everything.
    void drawOver() override;

private:
    // Each level's children spread out of their parents, then the parents swell and stripe;
    // later levels open later and close earlier.
    void unfoldTree(float t);
};
