#include "frame/LoadingThread.h"

#include <GL/glew.h>
#include <GL/glx.h>
#include <SDL/SDL.h>
#include <SDL/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

#include "engine/Scene.h"

bool LoadingThread::start(Engine* e, SceneFactory factory) {
    engine = e;
    makeScene = factory;
    stopRequested = false;
    frames = 0;
    contextState = 0;
    thread = SDL_CreateThread(&LoadingThread::threadMain, this);
    if (thread == nullptr) {
        std::printf("Loading screen unavailable: could not start its thread.\n");
        return false;
    }
    // Wait until the thread has its context (or has failed to make one), so that a failure is
    // reported once, here, before loading begins.
    while (contextState.load() == 0) SDL_Delay(1);
    if (contextState.load() < 0) {
        SDL_WaitThread(thread, nullptr);
        thread = nullptr;
        std::printf("Loading screen unavailable: %s.\n", failure.c_str());
        return false;
    }
    return true;
}

void LoadingThread::stop() {
    if (thread == nullptr) return;
    stopRequested = true;
    SDL_WaitThread(thread, nullptr);
    thread = nullptr;
}

int LoadingThread::threadMain(void* self) { return static_cast<LoadingThread*>(self)->run(); }

int LoadingThread::run() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11) {
        failure = "the window is not an X11 window";
        contextState = -1;
        return 0;
    }
    const Window window = info.info.x11.window;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        failure = "no second connection to the X display";
        contextState = -1;
        return 0;
    }
    XWindowAttributes attributes;
    XVisualInfo* visual = nullptr;
    if (XGetWindowAttributes(display, window, &attributes) != 0) {
        XVisualInfo pattern;
        pattern.visualid = XVisualIDFromVisual(attributes.visual);
        int count = 0;
        visual = XGetVisualInfo(display, VisualIDMask, &pattern, &count);
    }
    GLXContext context = nullptr;
    if (visual != nullptr) {
        context = glXCreateContext(display, visual, nullptr, True);
        XFree(visual);
    }
    if (context == nullptr || !glXMakeCurrent(display, window, context)) {
        if (context != nullptr) glXDestroyContext(display, context);
        XCloseDisplay(display);
        failure = "no second OpenGL context on the window";
        contextState = -1;
        return 0;
    }
    contextState = 1;

    Scene* scene = makeScene != nullptr ? makeScene(engine) : nullptr;
    for (int i = 0; i < kFrameCount && !stopRequested.load(); ++i) {
        if (scene != nullptr) scene->render(kFrameMs * i, kFrameMs);
        glFlush();
        glXSwapBuffers(display, window);
        ++frames;
        // Sleep in short steps so that a stop request ends the thread promptly.
        for (int waited = 0; waited < kFrameMs && !stopRequested.load(); waited += 5) SDL_Delay(5);
    }
    delete scene;  // its textures belong to this context
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, context);
    XCloseDisplay(display);
    return 0;
}
