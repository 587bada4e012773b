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
}  // namespace

int runMainLoop(Engine& engine, KeyboardState& keys, const LoopHooks& hooks, int maxFrames) {
    bool pauseLatch = false;
    SeekReadout readout;
    SDL_Event event;
    for (int frame = 0; maxFrames < 0 || frame < maxFrames; ++frame) {
        engine.renderFrame();
        // The read-out shows the time of the frame on screen, read without touching the clock.
        if (hooks.drawReadout && hooks.ticks && readout.visible(hooks.ticks(), engine.isPaused()))
            hooks.drawReadout(engine.currentTimeMs);
        hooks.swapBuffers();
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
        const int p = keys.get(SDLK_p);
        if (p > 0) {
            if (!pauseLatch) {
                if (engine.isPaused())
                    engine.resume();
                else
                    engine.pause();
                pauseLatch = true;
            }
        } else if (p < 0) {
            pauseLatch = false;
        }
        event.type = SDL_NOEVENT;
        hooks.pollEvent(&event);
        if (event.type == SDL_QUIT) return 0;
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) return 0;
    }
    return -1;
}
