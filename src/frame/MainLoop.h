#pragma once
#include <SDL/SDL.h>

#include <functional>

#include "engine/Engine.h"

class Engine;
class KeyboardState;

// The window-system calls of the loop, replaceable so tests can drive it, and what the
// real-time run adds to it.
struct LoopHooks {
    std::function<void()> swapBuffers;
    std::function<int(SDL_Event*)> pollEvent;
    // Milliseconds since start, for how long the seek read-out stays (SDL_GetTicks).
    std::function<unsigned()> ticks;
    // The run ends (or restarts) at the first reading of the clock past this time.
    int endMs = kRunEndMs;
    // When set, the run starts again at its end instead of ending.
    std::function<void()> restart;
    // When set, draws the seek read-out over the frame (demo time), before the swap, while the
    // run is paused and for SeekReadout::kShowMs after a seek key.
    std::function<void(int timeMs)> drawReadout;
};

LoopHooks sdlLoopHooks();

// One pass per frame: draw, swap, take every waiting event (the window closed or Escape end
// the run at once), read keys, end (or restart) past endMs, seek and pause keys (p and space).
// Returns the exit status when the run ends (0 at every normal end); with maxFrames >= 0 it
// also returns -1 after that many passes.
int runMainLoop(Engine& engine, KeyboardState& keys, const LoopHooks& hooks, int maxFrames = -1);
