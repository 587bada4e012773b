#pragma once
// One OpenGL window per test process (SDL 1.2 has a single window), made on first use.
// Tests run under Xvfb with Mesa's software rasterizer.
#include <GL/glew.h>

#include <cstdint>
#include <vector>

namespace gltest {

// Opens (or resizes) the test window and makes its context current; returns false when no
// display is available.
bool ensureWindow(int width = 512, int height = 512);

struct Rgba {
    int r, g, b, a;
};

// Reads one pixel of the back buffer (origin bottom left).
Rgba readPixel(int x, int y);

// What the drawing after an operation inherits from it and may not set itself (text glyphs, for
// one, set no culling of their own): switches, blending, the current colour, depth and texture
// unit 0's mode, and which texture targets the next units leave on. Two ways of drawing the same
// thing should leave the same.
std::vector<float> leftState();

}  // namespace gltest
