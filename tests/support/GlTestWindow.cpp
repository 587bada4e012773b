#include "support/GlTestWindow.h"

#include "frame/Window.h"

#include <SDL/SDL.h>

#include <cstdlib>

namespace gltest {

namespace {
int gWidth = 0;
int gHeight = 0;
}  // namespace

bool ensureWindow(int width, int height) {
    // An engine made by a test closes SDL (and the context) when it goes.
    const bool open = SDL_WasInit(SDL_INIT_VIDEO) != 0;
    if (open && gWidth == width && gHeight == height) return true;
    setenv("SDL_VIDEODRIVER", "x11", 0);
    if (open && gWidth != 0) SDL_Quit();
    if (createWindow("gltest", width, height, width, height, 32, false, false) != kWindowOk)
        return false;
    if (glewInit() != GLEW_OK) return false;
    gWidth = width;
    gHeight = height;
    glReadBuffer(GL_BACK);
    return true;
}

Rgba readPixel(int x, int y) {
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return Rgba{p[0], p[1], p[2], p[3]};
}

}  // namespace gltest
