#pragma once
// What a viewer sees while the real-time run is paused and for 2 s after a seek key: the demo
// time against the length of the score ("1:43 / 4:13"), the name of the scene on top and a thin
// bar of the whole score with its scene boundaries marked. Drawn over the finished frame (after
// the stretch to the window) in window pixels with the engine's font; it reads the engine and
// leaves it, and the OpenGL state, as they were. Only the real-time loop draws it.
#include <string>
#include <vector>

class Engine;

class SeekReadout {
public:
    static const unsigned kShowMs = 2000;

    // A seek key acted at ticks (the ms of SDL_GetTicks).
    void noteSeek(unsigned ticks);
    bool visible(unsigned ticks, bool paused) const;
    static void draw(Engine& engine, int timeMs, int endMs);

    // "m:ss / m:ss"; a time below 0 reads 0:00.
    static std::string timeText(int timeMs, int endMs);
    // Where along a bar of width pixels (from 0) a time lies, the ends of the score at the
    // ends of the bar.
    static float barPosition(int timeMs, int endMs, float width);

private:
    static void drawTexts(Engine& engine, int timeMs, int endMs, float margin, float y,
                          float textHeight);

    bool seeked = false;
    unsigned lastSeekTicks = 0;
};
