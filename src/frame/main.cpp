// Entry: the command line, the window, the loading screen, then one frame per pass of the loop.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <GL/glew.h>

#include <SDL/SDL.h>

#include <cerrno>
#include <chrono>
#include <algorithm>
#include <set>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "content/Demo.h"
#include "content/LoadingScreen.h"
#include "engine/StageTimer.h"
#include "frame/CommandLine.h"
#include "frame/FrameCapture.h"
#include "frame/LoadingThread.h"
#include "frame/MainLoop.h"
#include "frame/Offline.h"
#include "frame/SeekReadout.h"
#include "frame/VideoEncoder.h"
#include "frame/Window.h"
#include "frame/Stopwatch.h"

namespace {

// When the process started, for the load time the benchmark reports.
const auto processStart = std::chrono::steady_clock::now();

double msSince(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from)
        .count();
}

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

OfflineRange rangeOf(const Options& o) {
    OfflineRange range;
    range.fromMs = o.fromMs;
    range.toMs = o.toMs;
    range.fps = o.fps;
    return range;
}

// The production loaded for an offline run: fixed-step clock, no audio device, the music only
// feeding the spectrum.
void loadOffline(Demo& demo) {
    demo.useFixedClock();
    demo.loadContent();
    installOfflineStopHandler();
}

int capture(const Options& o) {
    std::string error;
    if (!ensureFolder(o.captureDir, &error)) {
        std::fprintf(stderr, "verdanth: capture: %s\n", error.c_str());
        return 1;
    }
    Demo demo(o.windowWidth, o.windowHeight, o.windowWidth, o.windowHeight, false, 32, o.fullscreen,
              false, o.musicWanted);
    loadOffline(demo);
    const OfflineRange range = rangeOf(o);
    const long long total = offlineFrameCount(range);
    std::vector<uint8_t> pixels;
    bool failed = false;
    int written = 0;
    int drawn = runOffline(demo, range, [&](int k, int t, double) {
        if (k % o.captureEvery != 0) return true;
        readBackBuffer(demo.windowWidth, demo.windowHeight, &pixels);
        if (!writeRgbPng(captureFrameName(o.captureDir, k), demo.windowWidth, demo.windowHeight,
                         pixels, &error)) {
            failed = true;
            return false;
        }
        ++written;
        std::printf("\rcapture: frame %d of %lld (%d ms)", k + 1, total, t);
        std::fflush(stdout);
        return true;
    });
    std::printf("\n");
    if (failed) {
        std::fprintf(stderr, "verdanth: capture stopped: %s\n", error.c_str());
        return 1;
    }
    std::printf("capture: %s, %d frames in %s", offlineStopRequested() ? "interrupted" : "done",
                written, o.captureDir.c_str());
    if (o.captureEvery > 1) std::printf(" (every %dth of %d drawn)", o.captureEvery, drawn);
    std::printf("\n");
    return offlineStopRequested() ? 130 : 0;
}

int video(const Options& o) {
    Demo demo(o.windowWidth, o.windowHeight, o.windowWidth, o.windowHeight, false, 32, o.fullscreen,
              false, o.musicWanted);
    loadOffline(demo);
    const OfflineRange range = rangeOf(o);
    const long long total = offlineFrameCount(range);
    // The music is muxed in only when it is what the production plays.
    const std::string music = demo.musicPlaying ? Demo::kMusicFile : "";
    VideoEncoder encoder;
    std::string error;
    if (!encoder.start(o.videoFile, demo.windowWidth, demo.windowHeight, o.fps, o.fromMs, music,
                       &error)) {
        std::fprintf(stderr, "verdanth: video: %s\n", error.c_str());
        return 1;
    }
    std::vector<uint8_t> pixels;
    const auto begin = std::chrono::steady_clock::now();
    bool failed = false;
    int drawn = runOffline(demo, range, [&](int k, int, double) {
        readBackBuffer(demo.windowWidth, demo.windowHeight, &pixels);
        if (!encoder.writeFrame(pixels, &error)) {
            failed = true;
            return false;
        }
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        std::fprintf(stderr, "\r%s", progressLine(k + 1, total, elapsed).c_str());
        return true;
    });
    std::fprintf(stderr, "\n");
    std::string finishError;
    const bool finished = encoder.finish(&finishError);
    if (failed || !finished) {
        std::fprintf(stderr, "verdanth: video: %s\n", (failed ? error : finishError).c_str());
        return 1;
    }
    std::fprintf(stderr, "video: %s, %d frames in %s\n",
                 offlineStopRequested() ? "interrupted" : "done", drawn, o.videoFile.c_str());
    return offlineStopRequested() ? 130 : 0;
}

long peakMemoryKiB() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long residentMemoryKiB() {
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (f == nullptr) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// What the benchmark keeps of one scene: its frame times, and the resident memory once it has
// run for a while (2 s of its time on screen) and at its last frame, so that growth shows.
struct SceneBench {
    std::string name;
    std::vector<double> frameMs;
    int firstMs = 0;
    long settledKiB = -1;
    long lastKiB = 0;
};

int bench(const Options& o) {
    // With --bench=json standard output carries the JSON alone; the progress lines of loading
    // go to the error stream instead.
    FILE* out = stdout;
    if (o.benchJson) {
        std::fflush(stdout);
        out = fdopen(dup(STDOUT_FILENO), "w");
        dup2(STDERR_FILENO, STDOUT_FILENO);
    }
    Demo demo(o.windowWidth, o.windowHeight, o.windowWidth, o.windowHeight, false, 32, o.fullscreen,
              false, o.musicWanted);
    loadOffline(demo);
    // Every scene drawn in a frame is charged that frame's time; scenes in score order.
    std::vector<double> all;
    std::vector<SceneBench> scenes;
    double loadMs = 0.0;
    stagetimer::enable(o.benchStages);
    runOffline(demo, rangeOf(o), [&](int, int t, double ms) {
        if (all.empty()) loadMs = msSince(processStart);
        all.push_back(ms);
        const long rss = residentMemoryKiB();
        std::set<std::string> seen;
        for (const Scene* scene : demo.planFrame(t).scenes) {
            if (!seen.insert(scene->name).second) continue;
            auto it = std::find_if(scenes.begin(), scenes.end(),
                                   [&](const SceneBench& b) { return b.name == scene->name; });
            if (it == scenes.end()) {
                scenes.push_back(SceneBench{scene->name, {}, t, -1, 0});
                it = scenes.end() - 1;
            }
            it->frameMs.push_back(ms);
            if (it->settledKiB < 0 && t - it->firstMs >= 2000) it->settledKiB = rss;
            it->lastKiB = rss;
        }
        return true;
    });
    const long memory = peakMemoryKiB();
    auto growth = [](const SceneBench& b) { return b.settledKiB < 0 ? 0 : b.lastKiB - b.settledKiB; };
    const FrameStats whole = computeFrameStats(all);
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (o.benchJson) {
        auto stats = [](const FrameStats& s) {
            char text[200];
            std::snprintf(text, sizeof text,
                          "\"frames\": %d, \"mean_ms\": %.3f, \"median_ms\": %.3f, "
                          "\"p95_ms\": %.3f, \"worst_ms\": %.3f",
                          s.frames, s.mean, s.median, s.p95, s.worst);
            return std::string(text);
        };
        std::fprintf(out, "{\n  \"width\": %d, \"height\": %d, \"fps\": %d, \"from_ms\": %d, "
                          "\"to_ms\": %d,\n  \"renderer\": \"%s\",\n  \"scenes\": [\n",
                     demo.windowWidth, demo.windowHeight, o.fps, o.fromMs, o.toMs, renderer);
        for (size_t i = 0; i < scenes.size(); ++i)
            std::fprintf(out, "    {\"name\": \"%s\", %s, \"memory_growth_kib\": %ld}%s\n",
                         scenes[i].name.c_str(), stats(computeFrameStats(scenes[i].frameMs)).c_str(),
                         growth(scenes[i]), i + 1 < scenes.size() ? "," : "");
        std::fprintf(out, "  ],\n  \"total\": {%s},\n  \"peak_memory_kib\": %ld,\n"
                          "  \"load_ms\": %.1f\n}\n",
                     stats(whole).c_str(), memory, loadMs);
        std::fclose(out);
        return 0;
    }
    std::printf("bench: %d x %d, %d fps, %d to %d ms, %s\n", demo.windowWidth, demo.windowHeight,
                o.fps, o.fromMs, o.toMs, renderer);
    std::printf("%-34s %7s %9s %9s %9s %9s %11s\n", "scene", "frames", "mean ms", "median", "p95",
                "worst", "growth KiB");
    auto row = [](const std::string& name, const FrameStats& s, const std::string& grown) {
        std::printf("%-34s %7d %9.2f %9.2f %9.2f %9.2f %11s\n", name.c_str(), s.frames, s.mean,
                    s.median, s.p95, s.worst, grown.c_str());
    };
    for (const SceneBench& b : scenes)
        row(b.name, computeFrameStats(b.frameMs), std::to_string(growth(b)));
    row("whole run", whole, "");
    std::printf("peak memory: %.1f MiB\n", static_cast<double>(memory) / 1024.0);
    std::printf("load: %.2f s from start to the first frame\n", loadMs / 1000.0);
    if (o.benchStages) {
        std::printf("\nstages (each waited for), ms per frame that ran them:\n");
        std::printf("%-34s %-22s %7s %9s\n", "scene", "stage", "frames", "ms");
        for (const stagetimer::StageRow& r : stagetimer::table())
            std::printf("%-34s %-22s %7ld %9.3f\n", r.scene.empty() ? "(frame)" : r.scene.c_str(),
                        r.stage.c_str(), r.frames, r.msPerFrame);
    }
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
    Demo demo(width, height, width, height, false, 32, o.fullscreen, false, o.musicWanted);
    KeyboardState keys;
    demo.renderFrame();
    LoadingThread loading;
    loading.start(&demo, makeLoadingScreen);
    demo.loadContent();
    loading.stop();
    demo.startFrom(o.fromMs);
    LoopHooks hooks = sdlLoopHooks();
    if (o.loop) hooks.restart = [&demo] { demo.restart(); };
    hooks.drawReadout = [&demo](int timeMs) { SeekReadout::draw(demo, timeMs, kRunEndMs); };
    int status = runMainLoop(demo, keys, hooks);
    std::fflush(stdout);
    // The run ends at once: the engine's teardown is left to the process exit.
    std::exit(status);
}

}  // namespace

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
    findDataFolder(argv[0]);
    if (!o.captureDir.empty()) return capture(o);
    if (!o.videoFile.empty()) return video(o);
    if (o.bench) return bench(o);
    return play(o);
}
