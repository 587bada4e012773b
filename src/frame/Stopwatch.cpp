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
// Update order of the tracked keys: up, down, left, right, left shift, z, x, p, space.
const int kTrackedKeys[KeyboardState::kTrackedCount] = {273, 274, 276, 275, 304, 122, 120, 112, 32};
}  // namespace

KeyboardState::KeyboardState(TickSource source, KeyStateSource keys)
    : clock(source), values(new int32_t[kKeyCount]()), keyState(keys) {
    clock.start();
    lastUpdate = clock.elapsed();
}

KeyboardState::~KeyboardState() { delete[] values; }

void KeyboardState::notePress(int keyCode) {
    for (int i = 0; i < kTrackedCount; ++i)
        if (kTrackedKeys[i] == keyCode) ++presses[i].noted;
}

// Whether the key counts as down on this update: the key state, unless a press has to be
// played out first (see the class comment).
bool KeyboardState::playedDown(Press& press, bool stateDown) {
    int fresh = press.noted;
    press.noted = 0;
    // The key state can show a press an update before its event is taken from the queue;
    // that event belongs to the press already started.
    if (press.owed && fresh > 0) --fresh;
    press.owed = false;
    press.waiting += fresh;
    bool down;
    if (press.run > 0) {
        // A press is down for two updates at least; a further press makes it let go first.
        down = press.run < 2 || (press.waiting == 0 && stateDown);
    } else if (press.run > -2) {
        down = false;  // a release is up for two updates at least
    } else if (press.waiting > 0) {
        --press.waiting;
        down = true;
    } else {
        down = stateDown;
        press.owed = stateDown;
    }
    if (down)
        press.run = press.run > 0 ? 2 : 1;
    else
        press.run = press.run < 0 ? -2 : -1;
    return down;
}

void KeyboardState::update() {
    thisUpdate = clock.elapsed();
    int d = thisUpdate - lastUpdate;
    const uint8_t* state = keyState();
    for (int i = 0; i < kTrackedCount; ++i) {
        const int key = kTrackedKeys[i];
        int32_t& v = values[key];
        if (playedDown(presses[i], state != nullptr && state[key] != 0)) {
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
