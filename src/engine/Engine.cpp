#include "engine/Engine.h"

#include <GL/glew.h>
#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <malloc.h>

#include "engine/GlCaps.h"
#include "engine/SoundLayer.h"
#include "frame/Window.h"
#include "render/BitmapFont.h"
#include "render/Camera.h"
#include "render/ScreenEffects.h"
#include "resources/ImageFiles.h"
#include "resources/TextureManager.h"

int powerOfTwoTextureSize(int renderSize, bool exactRenderSize) {
    int p = 1;
    if (exactRenderSize) {
        while (p < renderSize) p *= 2;
    } else {
        while (p <= renderSize / 2) p *= 2;
    }
    return p;
}

namespace {
bool nativeRenderSize = false;
}

void requestNativeRenderSize(bool native) { nativeRenderSize = native; }

Engine::Engine(const std::string& captionText, int winWidth, int winHeight, int rWidth,
               int rHeight, bool exactRenderSize, int depth, bool full, bool extra, bool music)
    : caption(captionText) {
    renderWidth = rWidth;
    renderHeight = rHeight;
    windowWidth = winWidth;
    windowHeight = winHeight;
    colourDepth = depth;
    fullscreen = full;
    extraFlag = extra;
    musicWanted = music;
    if (renderWidth <= 0 || renderHeight <= 0) return;

    if (createWindow(caption, windowWidth, windowHeight, renderWidth, renderHeight, colourDepth,
                     fullscreen, extraFlag) != kWindowOk) {
        // Without a window there is no OpenGL context to draw with.
        std::fprintf(stderr, "Error: no OpenGL window could be opened (an X display with OpenGL "
                             "is needed).\n");
        std::exit(1);
    }
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();

    GLenum glewResult = glewInit();
    if (glewResult != GLEW_OK) {
        std::fprintf(stderr, "Error: OpenGL extensions could not be read: %s\n",
                     reinterpret_cast<const char*>(glewGetErrorString(glewResult)));
        std::exit(1);
    }
    probeGlCaps();
    if (!glCaps.supportsMultitexture) {
        std::printf("Sorry, multitexturing support is definitely required to run this "
                    "demonstration.\n");
        std::exit(4);
    }
    chooseRenderPath();
    if (nativeRenderSize && !glCaps.useFramebufferObject) {
        std::fprintf(stderr, "verdanth: --native needs the fused drawing path (framebuffer "
                             "objects and GLSL 1.20), which this OpenGL driver lacks\n");
        std::exit(2);
    }

    if (nativeRenderSize) {
        // Render targets of any size: the picture is drawn at the window's own size.
        textureWidth = renderWidth;
        textureHeight = renderHeight;
    } else {
        textureWidth = powerOfTwoTextureSize(renderWidth, exactRenderSize);
        textureHeight = powerOfTwoTextureSize(renderHeight, exactRenderSize);
    }
    if (!exactRenderSize && !nativeRenderSize) {
        renderWidth = textureWidth;
        renderHeight = textureHeight;
    }
    needsUpscale = renderWidth != windowWidth || renderHeight != windowHeight;
    glViewport(0, 0, renderWidth, renderHeight);
    viewWidth = renderWidth;
    viewHeight = renderHeight;
    smallViewWidth = static_cast<int>(static_cast<float>(renderWidth) * 0.25f);
    smallViewHeight = static_cast<int>(static_cast<float>(renderHeight) * 0.25f);
    smallTextureWidth = textureWidth / 4;
    smallTextureHeight = textureHeight / 4;

    textures = new TextureManager();
    textures->load(std::string(imagefiles::kFolder) + imagefiles::kShadowFont, "basicOutputFont");
    textures->load(std::string(imagefiles::kFolder) + imagefiles::kPlainFont,
                   "basicOutputFontNoShadow");
    fontShadow = new BitmapFont(textures, "basicOutputFont", basicOutputFontLayout());
    fontNoShadow =
        new BitmapFont(textures, "basicOutputFontNoShadow", basicOutputFontNoShadowLayout());

    ready = true;
}

Engine::~Engine() {
    clearScore();
    delete screenEffects;
    delete fontShadow;
    delete fontNoShadow;
    delete textures;
    delete sound;
    if (ready) SDL_Quit();
}

void Engine::clearScore() {
    for (SceneEntry& entry : scenes) delete entry.scene;
    scenes.clear();
    scheduleEntries.clear();
    effects.clear();
    sceneCount = virtualSceneCount = 0;
    for (Camera* camera : cameras) delete camera;
    cameras.clear();
}

BitmapFont* Engine::font() { return useNoShadowFont ? fontNoShadow : fontShadow; }

Camera* Engine::createCamera(const std::string& name, float nearPlane, float farPlane, float fov,
                             float aspect) {
    if (findCamera(name) != nullptr) return nullptr;
    if (aspect == 0.0f)
        aspect = static_cast<float>(windowWidth) / static_cast<float>(windowHeight);
    Camera* camera = new Camera(name, fov, aspect, nearPlane, farPlane,
                                static_cast<float>(viewWidth), static_cast<float>(viewHeight),
                                static_cast<float>(smallViewWidth),
                                static_cast<float>(smallViewHeight));
    cameras.push_back(camera);
    return camera;
}

Camera* Engine::findCamera(const std::string& name) const {
    for (Camera* camera : cameras)
        if (camera->name == name) return camera;
    return nullptr;
}

bool Engine::loadMusic(const std::string& fileName) {
    if (!soundSystemCreated) {
        sound = new SoundLayer();
        soundSystemCreated = true;
    }
    if (musicPlaying) return false;
    // Offline rendering keeps the music silent: it only feeds the spectrum, which decodes the
    // stretch it reads instead of holding the whole track.
    const bool offline = clockSource == ClockSource::Fixed;
    if (!sound->open(fileName, offline ? SoundLayer::Keep::SpectrumOnly : SoundLayer::Keep::Playback))
        return false;
    if (!offline && !sound->startDevice()) return false;
    musicLengthMs = sound->lengthMs();
    musicPlaying = true;
    if (clockSource != ClockSource::Fixed) clockSource = ClockSource::Music;
    return true;
}

void Engine::useFixedClock() {
    clockSource = ClockSource::Fixed;
    pacingEnabled = false;
}

void Engine::setFixedTime(int ms) { fixedTimeMs = ms; }

int Engine::readDemoTime() {
    switch (clockSource) {
    case ClockSource::Fixed: return fixedTimeMs;
    case ClockSource::Music: {
        const unsigned position = sound->positionMs();
        if (paused || musicLengthMs == 0 || position < musicLengthMs)
            return static_cast<int>(position);
        // Playback has ended; the production goes on quietly on the stopwatch.
        musicEnded = true;
        clockSource = ClockSource::Stopwatch;
        clock.reset();
        clock.start();
        clock.set(static_cast<int>(musicLengthMs));
        break;
    }
    case ClockSource::Stopwatch: break;
    }
    return clock.elapsed();
}

int Engine::start() {
    if (clockSource == ClockSource::Music)
        sound->setPaused(false);
    else if (clockSource == ClockSource::Stopwatch)
        clock.start();
    started = true;
    currentTimeMs = readDemoTime();
    lastTimeMs = currentTimeMs;
    return 0;
}

int Engine::startFrom(int fromMs) {
    start();
    if (fromMs != currentTimeMs) seekTo(fromMs);
    lastTimeMs = currentTimeMs;
    return 0;
}

int Engine::currentTime() {
    currentTimeMs = readDemoTime();
    return currentTimeMs;
}

int Engine::seek(int deltaMs) { return seekTo(static_cast<long long>(readDemoTime()) + deltaMs); }

int Engine::seekTo(long long target) {
    // The music's length bounds a seek only while the music drives the clock: after a short
    // track has ended, the stopwatch goes on past it, forward seeks included.
    if (clockSource == ClockSource::Music && musicLengthMs != 0 &&
        target > static_cast<long long>(musicLengthMs))
        target = musicLengthMs;
    if (target < 0) target = 0;
    if (target > 0x7fffffff) target = 0x7fffffff;
    currentTimeMs = static_cast<int>(target);
    if (musicEnded && target < static_cast<long long>(musicLengthMs)) {
        // Back into the music: it drives the clock again.
        musicEnded = false;
        clockSource = ClockSource::Music;
        sound->setPaused(paused);
    }
    switch (clockSource) {
    case ClockSource::Music: sound->setPositionMs(static_cast<unsigned>(target)); break;
    case ClockSource::Fixed: fixedTimeMs = currentTimeMs; break;
    case ClockSource::Stopwatch: clock.set(currentTimeMs); break;
    }
    seekedThisFrame = true;
    return 1;
}

int Engine::pause() {
    if (clockSource == ClockSource::Music)
        sound->setPaused(true);
    else if (clockSource == ClockSource::Stopwatch)
        clock.pause();
    paused = true;
    return 0;
}

int Engine::resume() {
    currentTimeMs = readDemoTime();
    lastTimeMs = currentTimeMs;
    if (clockSource == ClockSource::Music)
        sound->setPaused(false);
    else if (clockSource == ClockSource::Stopwatch)
        clock.resume();
    paused = false;
    return 0;
}

int Engine::getSpectrum(float* values, int /*windowType*/, int count, int /*channelOffset*/) {
    if (values == nullptr || count <= 0) return 0;
    if (sound == nullptr || !sound->isOpen() || !musicPlaying) {
        std::memset(values, 0, sizeof(float) * static_cast<size_t>(count));
        return 0;
    }
    if (clockSource == ClockSource::Fixed)
        sound->spectrumAt(static_cast<unsigned>(fixedTimeMs < 0 ? 0 : fixedTimeMs), values, count);
    else
        sound->spectrum(values, count);
    return 0;
}

void releaseFreeHeapPages() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}
