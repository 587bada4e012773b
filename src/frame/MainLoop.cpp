#include "frame/MainLoop.h"

#include "engine/Engine.h"
#include "frame/SeekReadout.h"
#include "frame/Stopwatch.h"

LoopHooks sdlLoopHooks() {
    LoopHooks hooks;
    hooks.swapBuffers = [] { SDL_GL_SwapBuffers(); };
    hooks.pollEvent = [](SDL_Event* event) { return SDL_PollEvent(event); };
    hooks.ticks = [] { return static_cast<unsigned>(SDL_GetTicks()); };
    return hooks;
}

namespace {
struct SeekKey {
    int keyCode;
    int deltaMs;
};
const SeekKey kSeekKeys[] = {{SDLK_UP, 1500}, {SDLK_DOWN, -1500}, {SDLK_RIGHT, 100},
                             {SDLK_LEFT, -100}};

// Takes every event waiting in the queue, so that a burst of them (mouse motion) cannot hold
// back or crowd out the ones that matter; key presses go to the keyboard state, so that a tap
// between two frames still counts. True when the run is to end (the window closed, Escape).
// (The bound only keeps an endless flood from stalling the frame.)
bool takeEvents(const LoopHooks& hooks, KeyboardState& keys) {
    SDL_Event event;
    for (int n = 0; n < 4096 && hooks.pollEvent(&event); ++n) {
        if (event.type == SDL_QUIT) return true;
        if (event.type == SDL_KEYDOWN) {
            if (event.key.keysym.sym == SDLK_ESCAPE) return true;
            keys.notePress(event.key.keysym.sym);
        }
    }
    return false;
}

// One toggle of the pause per press of a key: from its second update down, and not again
// until it has been up for more than one update.
void pauseKey(Engine& engine, int value, bool& latch) {
    if (value > 0) {
        if (!latch) {
            if (engine.isPaused())
                engine.resume();
            else
                engine.pause();
            latch = true;
        }
    } else if (value < 0) {
        latch = false;
    }
}
}  // namespace

int runMainLoop(Engine& engine, KeyboardState& keys, const LoopHooks& hooks, int maxFrames) {
    bool pauseLatch = false;
    bool spaceLatch = false;
    SeekReadout readout;
    for (int frame = 0; maxFrames < 0 || frame < maxFrames; ++frame) {
        engine.renderFrame();
        // The read-out shows the time of the frame on screen, read without touching the clock.
        if (hooks.drawReadout && hooks.ticks && readout.visible(hooks.ticks(), engine.isPaused()))
            hooks.drawReadout(engine.currentTimeMs);
        hooks.swapBuffers();
        if (takeEvents(hooks, keys)) return 0;
        keys.update();
        if (engine.currentTime() > hooks.endMs) {
            if (!hooks.restart) return 0;
            hooks.restart();
        }
        for (const SeekKey& key : kSeekKeys) {
            if (keys.get(key.keyCode) <= 0) continue;
            engine.seek(key.deltaMs);
            if (hooks.ticks) readout.noteSeek(hooks.ticks());
        }
        pauseKey(engine, keys.get(SDLK_p), pauseLatch);
        pauseKey(engine, keys.get(SDLK_SPACE), spaceLatch);
    }
    return -1;
}
