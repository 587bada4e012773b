#pragma once
#include <cstdint>

// Source of the millisecond tick counter; SDL_GetTicks by default, replaceable in tests.
using TickSource = uint32_t (*)();
uint32_t sdlTicks();

// A pausable, settable millisecond clock. A tick value of 0 marks "not started" and
// "not paused"; all arithmetic wraps around in 32 bits.
class Stopwatch {
public:
    explicit Stopwatch(TickSource source = sdlTicks) : ticks(source) {}

    int reset();
    int start();   // 0, or -1 when already started
    int pause();   // 1, or -1 when already paused
    int resume();  // 0, or -1 when not paused
    int elapsed() const;
    void set(int ms);

    uint32_t startTick = 0;
    int32_t pausedTotal = 0;
    uint32_t pauseTick = 0;
    TickSource ticks;
};

// Source of the key-state array (SDL_GetKeyState after SDL_PumpEvents by default).
using KeyStateSource = const uint8_t* (*)();
const uint8_t* sdlKeyState();

// Signed press/release durations for the keys the main loop reads: above 0 the key has been
// down that many ms, below 0 up that many ms, 0 on the update where it changed.
//
// The key-state array alone misses a press that begins and ends between two updates, which
// happens all the time at low frame rates. The caller therefore also passes on every key-down
// event it takes from the queue (notePress), and each press is played to the values as at
// least two updates down followed by at least two updates up: the main loop acts on a key from
// its second update down and re-arms the pause latch on its second update up, so every press
// acts exactly once, however short it was. Presses that come faster than that wait their turn.
class KeyboardState {
public:
    static const int kKeyCount = 1323;
    // Tracked keys: cursor up, down, left, right, left shift, z, x, p, space (in update order).
    static const int kTrackedCount = 9;

    explicit KeyboardState(TickSource source = sdlTicks, KeyStateSource keys = sdlKeyState);
    ~KeyboardState();
    KeyboardState(const KeyboardState&) = delete;
    KeyboardState& operator=(const KeyboardState&) = delete;

    // A key-down event for keyCode was taken from the queue since the last update; untracked
    // keys are ignored.
    void notePress(int keyCode);
    void update();
    // Key codes outside 0..1322 read 0.
    int get(int keyCode) const;

    Stopwatch clock;
    int lastUpdate = 0;
    int thisUpdate = 0;
    int32_t* values;
    KeyStateSource keyState;

private:
    struct Press {
        int noted = 0;      // key-down events since the last update
        int waiting = 0;    // presses not yet played
        int run = -2;       // updates down (> 0) or up (< 0) in a row, counted up to 2
        bool owed = false;  // a press was started from the key state before its event came
    };
    bool playedDown(Press& press, bool stateDown);
    Press presses[kTrackedCount];
};
