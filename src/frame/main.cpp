// Entry: the command line, then one of the runs: the real-time play (window, loading screen,
// one frame per pass of the loop), an offline capture, video or benchmark, or the score.
#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "content/Demo.h"
#include "content/LoadingScreen.h"
#include "frame/Bench.h"
#include "frame/CommandLine.h"
#include "frame/DataFolder.h"
#include "frame/LoadingThread.h"
#include "frame/MainLoop.h"
#include "frame/Offline.h"
#include "frame/SeekReadout.h"
#include "frame/Stopwatch.h"
#include "frame/Window.h"

namespace {

int printScore() {
    // A render size of 0 opens no window: the score is read without a display.
    Demo demo(800, 600, 0, 0, false, 32, false, false, false);
    demo.buildScore(true);
    for (const std::string& line : demo.describeScore(kRunEndMs)) std::printf("%s\n", line.c_str());
    return 0;
}

int listScenes() {
    std::printf("%8s %8s  %s\n", "from ms", "to ms", "scene");
    for (const Demo::SceneSpan& span : Demo::sceneSpans())
        std::printf("%8d %8d  %s\n", span.startMs, span.endMs, span.title.c_str());
    return 0;
}

int play(const Options& o) {
    int width = o.windowWidth, height = o.windowHeight;
    if (o.desktop) {
        if (!desktopSize(&width, &height)) {
            std::fprintf(stderr, "verdanth: the size of the desktop could not be read: %s\n",
                         SDL_GetError());
            return 1;
        }
        requestDesktopWindow(true);
    }
    requestVerticalSync(true);
    std::unique_ptr<Demo> demo = demoFor(o, width, height);
    KeyboardState keys;
    demo->renderFrame();
    LoadingThread loading;
    loading.start(demo.get(), makeLoadingScreen);
    demo->loadContent();
    loading.stop();
    demo->startFrom(o.fromMs);
    LoopHooks hooks = sdlLoopHooks();
    Demo& production = *demo;
    hooks.endMs = o.toMs;
    const int fromMs = o.fromMs;
    if (o.loop) hooks.restart = [&production, fromMs] { production.restart(fromMs); };
    hooks.drawReadout = [&production](int timeMs) {
        SeekReadout::draw(production, timeMs, kRunEndMs);
    };
    int status = runMainLoop(production, keys, hooks);
    std::fflush(stdout);
    // The run ends at once: the engine's teardown is left to the process exit.
    std::exit(status);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    Options o = parseCommandLine(args);
    if (o.error.empty()) makeUserPathsAbsolute(&o);
    if (!o.error.empty()) {
        std::fprintf(stderr, "verdanth: %s\n", o.error.c_str());
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
    if (o.listScenes) return listScenes();
    // Output paths are the user's: checked against the folder the program was started in.
    std::string error;
    if (!checkOutputPaths(o, &error)) {
        std::fprintf(stderr, "verdanth: %s\n", error.c_str());
        return 2;
    }
    if (!displayAvailable(&error)) {
        std::fprintf(stderr, "verdanth: %s\n", error.c_str());
        return 1;
    }
    if (const int status = enterDataFolder(o, argv[0])) return status;
    if (!o.captureDir.empty()) return runCapture(o);
    if (!o.videoFile.empty()) return runVideo(o);
    if (o.bench) return runBench(o);
    return play(o);
}
