#pragma once
#include <string>

class Engine;

// Everything the timeline can place is a Scene: one drawing operation, called once per frame
// while the scene is scheduled.
class Scene {
public:
    explicit Scene(const std::string& sceneName) : name(sceneName) {}
    virtual ~Scene() = default;

    // timeMs: demo time of the frame (the same for every scene of the frame).
    // frameDeltaMs: demo time since the previous frame; 0 when the clock stood still,
    // negative or large after a seek.
    virtual void render(int timeMs, int frameDeltaMs) = 0;

    std::string name;
    // Running time of scenes that animate on their own time base: they add the frame delta
    // at the start of each render.
    int localTime = 0;
};

// A scene that draws nothing; the engine makes one for the output of each timeline effect.
class DefaultScene : public Scene {
public:
    DefaultScene(Engine* e, const std::string& sceneName) : Scene(sceneName), engine(e) {}
    void render(int, int) override {}

    Engine* engine;
};
