#pragma once
#include <atomic>
#include <string>

struct SDL_Thread;
class Engine;
class Scene;

// Shows an animated scene in its own OpenGL context on the window while the main thread loads
// content in the main context. The contexts share nothing.
class LoadingThread {
public:
    using SceneFactory = Scene* (*)(Engine*);
    static const int kFrameCount = 1001;
    static const int kFrameMs = 40;

    // Starts the thread; false (and a message on standard output) when no second context can be
    // made, in which case start-up simply goes on without the animation.
    bool start(Engine* engine, SceneFactory factory);
    // Ends the thread at the boundary of its current frame and waits for it: no loading frame
    // is drawn after this returns.
    void stop();

    int framesDrawn() const { return frames.load(); }
    bool running() const { return thread != nullptr; }

private:
    static int threadMain(void* self);
    int run();

    Engine* engine = nullptr;
    SceneFactory makeScene = nullptr;
    SDL_Thread* thread = nullptr;
    std::atomic<bool> stopRequested{false};
    std::atomic<int> frames{0};
    // Set by the thread once it knows whether its context could be made (1 yes, -1 no).
    std::atomic<int> contextState{0};
    std::string failure;
};
