// Entry: the command line, then one of the runs: the real-time play (window, loading screen,
// one frame per pass of the loop), an offline capture, video or benchmark, or the score.
#include <sys/stat.h>
#include <unistd.h>

#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "content/Demo.h"
#include "content/LoadingScreen.h"
#include "engine/GlCaps.h"
#include "frame/Bench.h"
#include "frame/CommandLine.h"
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
    if (o.loop) hooks.restart = [&production] { production.restart(); };
    hooks.drawReadout = [&production](int timeMs) {
        SeekReadout::draw(production, timeMs, kRunEndMs);
    };
    int status = runMainLoop(production, keys, hooks);
    std::fflush(stdout);
    // The run ends at once: the engine's teardown is left to the process exit.
    std::exit(status);
}

bool isFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The program opens its data by relative paths. When the folder it starts in has no images/,
// it moves to its installed data: next to the program (../share/verdanth) or where it was
// installed to. A folder with its own images/ and music/ always wins.
void findDataFolder(const char* argv0) {
    if (isFolder("images")) return;
    std::vector<std::string> candidates;
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string self = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string(argv0);
    size_t slash = self.rfind('/');
    if (slash != std::string::npos) {
        const std::string bin = self.substr(0, slash);
        candidates.push_back(bin + "/../share/verdanth");
        candidates.push_back(bin);  // the build folder holds the program next to its data
    }
    candidates.push_back(VERDANTH_DATA_DIR);
    for (const std::string& dir : candidates)
        if (isFolder(dir + "/images") && chdir(dir.c_str()) == 0) return;
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
    requestRenderPath(o.classic ? PathRequest::Classic : PathRequest::Auto);
    requestNativeRenderSize(o.native);
    findDataFolder(argv[0]);
    if (!o.captureDir.empty()) return runCapture(o);
    if (!o.videoFile.empty()) return runVideo(o);
    if (o.bench) return runBench(o);
    return play(o);
}
