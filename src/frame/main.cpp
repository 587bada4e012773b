// Entry: the command line, the window, the loading screen, then one frame per pass of the loop.
#include <sys/stat.h>

#include <SDL/SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "content/Demo.h"
#include "frame/CommandLine.h"
#include "frame/FrameCapture.h"
#include "frame/LoadingThread.h"
#include "frame/MainLoop.h"
#include "frame/Stopwatch.h"

namespace {

int printScore() {
    Demo demo(800, 600, 0, 0, false, 32, false, false, false);
    demo.buildScore(true);
    for (const std::string& line : demo.describeScore(kRunEndMs)) std::printf("%s\n", line.c_str());
    return 0;
}

bool ensureFolder(const std::string& dir, std::string* error) {
    struct stat st;
    if (stat(dir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        *error = dir + " is not a folder";
        return false;
    }
    if (mkdir(dir.c_str(), 0777) != 0) {
        *error = "cannot create " + dir + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

int capture(const Options& o) {
    std::string error;
    if (!ensureFolder(o.captureDir, &error)) {
        std::fprintf(stderr, "verdanth: capture: %s\n", error.c_str());
        return 1;
    }
    Demo demo(o.windowWidth, o.windowHeight, o.windowWidth, o.windowHeight, false, 32, o.fullscreen,
              false, o.musicWanted);
    demo.useFixedClock();
    demo.loadContent();
    demo.setFixedTime(o.fromMs);
    demo.start();
    const long long total = (static_cast<long long>(o.toMs - o.fromMs) * o.fps + 999) / 1000;
    std::vector<uint8_t> pixels;
    for (int k = 0;; ++k) {
        const int t = captureFrameTime(o.fromMs, k, o.fps);
        if (t >= o.toMs) break;
        demo.setFixedTime(t);
        demo.renderFrame();
        readBackBuffer(demo.windowWidth, demo.windowHeight, &pixels);
        if (!writeRgbPng(captureFrameName(o.captureDir, k), demo.windowWidth, demo.windowHeight,
                         pixels, &error)) {
            std::printf("\n");
            std::fprintf(stderr, "verdanth: capture stopped: %s\n", error.c_str());
            return 1;
        }
        SDL_GL_SwapBuffers();
        std::printf("\rcapture: frame %d of %lld (%d ms)", k + 1, total, t);
        std::fflush(stdout);
    }
    std::printf("\ncapture: done, %lld frames in %s\n", total, o.captureDir.c_str());
    return 0;
}

int play(const Options& o) {
    Demo demo(o.windowWidth, o.windowHeight, o.windowWidth, o.windowHeight, false, 32, o.fullscreen,
              false, o.musicWanted);
    KeyboardState keys;
    demo.renderFrame();
    LoadingThread loading;
    LoadingThread::SceneFactory loadingScene = nullptr;
    if (loadingScene != nullptr) loading.start(&demo, loadingScene);
    demo.loadContent();
    loading.stop();
    demo.start();
    int status = runMainLoop(demo, keys, sdlLoopHooks());
    std::fflush(stdout);
    // The run ends at once: the engine's teardown is left to the process exit.
    std::exit(status);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const Options o = parseCommandLine(args);
    if (!o.error.empty()) {
        std::fprintf(stderr, "verdanth: %s\nTry 'verdanth --help'.\n", o.error.c_str());
        return 2;
    }
    if (o.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (o.version) {
        std::printf("verdanth %s\n", VERDANTH_VERSION);
        return 0;
    }
    if (o.printScore) return printScore();
    if (!o.captureDir.empty()) return capture(o);
    return play(o);
}
