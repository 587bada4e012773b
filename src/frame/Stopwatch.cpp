#include "frame/Stopwatch.h"

#include <SDL/SDL.h>

uint32_t sdlTicks() { return SDL_GetTicks(); }

const uint8_t* sdlKeyState() {
    SDL_PumpEvents();
    return SDL_GetKeyState(nullptr);
}

int Stopwatch::reset() {
    startTick = 0;
    pausedTotal = 0;
    pauseTick = 0;
    return 0;
}

int Stopwatch::start() {
    if (startTick != 0) return -1;
    startTick = ticks();
    return 0;
}

int Stopwatch::pause() {
    if (pauseTick != 0) return -1;
    pauseTick = ticks();
    return 1;
}

int Stopwatch::resume() {
    if (pauseTick == 0) return -1;
    pausedTotal = static_cast<int32_t>(static_cast<uint32_t>(pausedTotal) + (ticks() - pauseTick));
    pauseTick = 0;
    return 0;
}

int Stopwatch::elapsed() const {
    uint32_t now = pauseTick != 0 ? pauseTick : ticks();
    return static_cast<int>(now - static_cast<uint32_t>(pausedTotal) - startTick);
}

void Stopwatch::set(int ms) {
    startTick = ticks() - static_cast<uint32_t>(ms) - static_cast<uint32_t>(pausedTotal);
}

namespace {
// Update order of the tracked keys: up, down, left, right, left shift, z, x, p.
const int kTrackedKeys[] = {273, 274, 276, 275, 304, 122, 120, 112};
}  // namespace

KeyboardState::KeyboardState(TickSource source, KeyStateSource keys)
    : clock(source), values(new int32_t[kKeyCount]()), keyState(keys) {
    clock.start();
    lastUpdate = clock.elapsed();
}

KeyboardState::~KeyboardState() { delete[] values; }

void KeyboardState::update() {
    thisUpdate = clock.elapsed();
    int d = thisUpdate - lastUpdate;
    const uint8_t* down = keyState();
    for (int key : kTrackedKeys) {
        int32_t& v = values[key];
        if (down != nullptr && down[key]) {
            v = v < 0 ? 0 : v + d;
        } else {
            v = v > 0 ? 0 : v - d;
        }
    }
    lastUpdate = thisUpdate;
}

int KeyboardState::get(int keyCode) const {
    if (keyCode < 0 || keyCode >= kKeyCount) return 0;
    return values[keyCode];
}
