#include "frame/Window.h"

#include "render/RenderTarget.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
bool verticalSync = false;
bool desktopWindow = false;

void pinVideoDriver() {
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (chosen == nullptr || chosen[0] == '\0') setenv("SDL_VIDEODRIVER", "x11", 1);
}

// Xvfb and some X servers refuse a connection now and then; a few tries cost nothing.
int initSdlWithRetries() {
    pinVideoDriver();
    int result = -1;
    for (int attempt = 0; attempt < 5 && result < 0; ++attempt) {
        if (attempt > 0) SDL_Delay(100);
        result = SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO);
    }
    return result;
}
}  // namespace

bool displayAvailable(std::string* reason) {
    pinVideoDriver();
    const char* display = std::getenv("DISPLAY");
    if (std::strcmp(std::getenv("SDL_VIDEODRIVER"), "x11") != 0 ||
        (display != nullptr && display[0] != '\0'))
        return true;
    *reason = "no display: DISPLAY is not set; render a video with `./run.sh` or under `xvfb-run`";
    return false;
}

void requestVerticalSync(bool on) { verticalSync = on; }

void requestDesktopWindow(bool on) { desktopWindow = on; }

bool desktopSize(int* width, int* height) {
    if (initSdlWithRetries() < 0) return false;
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (info == nullptr || info->current_w <= 0 || info->current_h <= 0) return false;
    *width = info->current_w;
    *height = info->current_h;
    return true;
}

void applyDefaultGlState(int windowWidth, int windowHeight) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(windowWidth) / static_cast<double>(windowHeight),
                   static_cast<double>(0.1f), 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

int createWindow(const std::string& caption, int windowWidth, int windowHeight, int /*renderWidth*/,
                 int /*renderHeight*/, int /*colourDepth*/, bool fullscreen, bool /*extraFlag*/) {
    // With the SDL 1.2 compatibility layer, scaling would draw into a hidden framebuffer object
    // and reading the back buffer would fail.
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 1);
    if (initSdlWithRetries() < 0) {
        std::fprintf(stderr, "Error: Failed to initialize sdl: %s\n", SDL_GetError());
        return kWindowNoSdl;
    }
    // The run ends with exit() and no teardown: SDL_Quit then still restores the desktop's
    // video mode after a full-screen run. (Crashes are covered by SDL's own signal handlers.)
    static bool quitRegistered = false;
    if (!quitRegistered) {
        std::atexit(SDL_Quit);
        quitRegistered = true;
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (verticalSync) SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 1);
    Uint32 flags = SDL_OPENGL | (fullscreen ? SDL_FULLSCREEN : 0);
    if (desktopWindow) {
        setenv("SDL_VIDEO_WINDOW_POS", "0,0", 1);
        flags |= SDL_NOFRAME;
    }
    if (SDL_SetVideoMode(windowWidth, windowHeight, 0, flags) == nullptr) {
        std::fprintf(stderr, "Error: Unable to create OpenGL screen:%s\n", SDL_GetError());
        SDL_Quit();
        return kWindowNoVideoMode;
    }
    SDL_ShowCursor(SDL_DISABLE);
    SDL_WM_SetCaption(caption.c_str(), nullptr);
    // Render targets are drawn as the window is: its rows, its depth precision.
    RenderTarget::setWindowRows(windowHeight);
    GLint depthBits = 24;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    RenderTarget::setDepthBits(depthBits);
    applyDefaultGlState(windowWidth, windowHeight);
    return kWindowOk;
}
