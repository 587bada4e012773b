#pragma once
// "Pre Cooked Thoughts": a lumpy, textured blob swells into view with a flicker, two tall
// stretched pillars swing in from the sides and close in on it, and one shadow-casting spot
// light circles the group aiming between the pillars. A blurred quarter-size copy drawn with
// the second surfaces is added on top as a bloom. The camera starts from the position of the
// "Funky Stripes" camera.
#include <string>

#include "content/SceneKit.h"
#include "render/ObjectRenderer.h"
#include "render/Shapes.h"

class Camera;
class Engine;

class ScenePreCookedThoughts : public ObjectScene {
public:
    ScenePreCookedThoughts(Engine* engine, const std::string& title);
    ~ScenePreCookedThoughts() override;
    ScenePreCookedThoughts(const ScenePreCookedThoughts&) = delete;
    ScenePreCookedThoughts& operator=(const ScenePreCookedThoughts&) = delete;

    // Advances localTime (timeMs is not used), rebuilds the blob and the pillars, moves them,
    // the light and the camera.
    Halo animate(int timeMs, int frameDeltaMs) override;

    static const char* const kCameraName;
    // The camera whose position this scene's camera starts from, looked up every frame: the
    // scene that owns it is built after this one.
    static const char* const kBorrowedCameraName;

    BlobShape shape;  // parameter block of every rebuild
    // Renderer indices.
    int blob = -1;
    int pillarA = -1;
    int pillarB = -1;
    int light = -1;
};
