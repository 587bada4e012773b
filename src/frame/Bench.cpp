#include "frame/Bench.h"

#include <sys/resource.h>
#include <unistd.h>

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "content/Demo.h"
#include "engine/GlCaps.h"
#include "engine/StageTimer.h"
#include "frame/Offline.h"

namespace {

// When the process started, for the load time.
const auto processStart = std::chrono::steady_clock::now();

long peakMemoryKiB() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct BenchResult {
    std::vector<double> frameMs;  // every frame
    BenchTally tally;
    double loadMs = 0.0;
    long peakKiB = 0;
};

std::string jsonStats(const FrameStats& s) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "\"frames\": %d, \"mean_ms\": %.3f, \"median_ms\": %.3f, \"p95_ms\": %.3f, "
                  "\"worst_ms\": %.3f",
                  s.frames, s.mean, s.median, s.p95, s.worst);
    return text;
}

void printJson(FILE* out, const Options& o, const Demo& demo, const BenchResult& r,
               const char* renderer) {
    std::fprintf(out, "{\n  \"width\": %d, \"height\": %d, \"fps\": %d, \"from_ms\": %d, "
                      "\"to_ms\": %d,\n  \"renderer\": \"%s\",\n  \"path\": \"%s\", "
                      "\"render_width\": %d, \"render_height\": %d,\n  \"scenes\": [\n",
                 demo.windowWidth, demo.windowHeight, o.fps, o.fromMs, o.toMs, renderer,
                 renderPathName(), demo.renderWidth, demo.renderHeight);
    const std::vector<SceneBench>& scenes = r.tally.scenes;
    for (size_t i = 0; i < scenes.size(); ++i)
        std::fprintf(out, "    {\"name\": \"%s\", %s, \"memory_growth_kib\": %ld}%s\n",
                     scenes[i].name.c_str(), jsonStats(computeFrameStats(scenes[i].frameMs)).c_str(),
                     scenes[i].growthKiB, i + 1 < scenes.size() ? "," : "");
    std::fprintf(out, "  ],\n  \"total\": {%s},\n  \"peak_memory_kib\": %ld,\n  \"load_ms\": %.1f\n}\n",
                 jsonStats(computeFrameStats(r.frameMs)).c_str(), r.peakKiB, r.loadMs);
}

void printTable(const Options& o, const Demo& demo, const BenchResult& r, const char* renderer) {
    std::printf("bench: %d x %d, %d fps, %d to %d ms, %s path (render area %d x %d), %s\n",
                demo.windowWidth, demo.windowHeight, o.fps, o.fromMs, o.toMs, renderPathName(),
                demo.renderWidth, demo.renderHeight, renderer);
    std::printf("%-34s %7s %9s %9s %9s %9s %11s\n", "scene", "frames", "mean ms", "median", "p95",
                "worst", "growth KiB");
    auto row = [](const std::string& name, const FrameStats& s, const std::string& grown) {
        std::printf("%-34s %7d %9.2f %9.2f %9.2f %9.2f %11s\n", name.c_str(), s.frames, s.mean,
                    s.median, s.p95, s.worst, grown.c_str());
    };
    for (const SceneBench& b : r.tally.scenes)
        row(b.name, computeFrameStats(b.frameMs), std::to_string(b.growthKiB));
    row("whole run", computeFrameStats(r.frameMs), "");
    std::printf("peak memory: %.1f MiB\n", static_cast<double>(r.peakKiB) / 1024.0);
    std::printf("load: %.2f s from start to the first frame\n", r.loadMs / 1000.0);
    if (!o.benchStages) return;
    std::printf("\nstages (each waited for), ms per frame that ran them:\n");
    std::printf("%-34s %-22s %7s %9s\n", "scene", "stage", "frames", "ms");
    for (const stagetimer::StageRow& s : stagetimer::table())
        std::printf("%-34s %-22s %7ld %9.3f\n", s.scene.empty() ? "(frame)" : s.scene.c_str(),
                    s.stage.c_str(), s.frames, s.msPerFrame);
}

}  // namespace

long residentMemoryKiB() {
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (f == nullptr) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BenchTally::charge(const std::vector<std::string>& sceneNames, int timeMs, double ms,
                        long rssKiB) {
    std::vector<size_t> drawn;  // indices into scenes, each once
    bool settled = true;
    for (const std::string& name : sceneNames) {
        auto it = std::find_if(scenes.begin(), scenes.end(),
                               [&](const SceneBench& b) { return b.name == name; });
        if (it == scenes.end()) it = scenes.insert(it, SceneBench{name, {}, timeMs, 0});
        const size_t index = static_cast<size_t>(it - scenes.begin());
        if (std::find(drawn.begin(), drawn.end(), index) != drawn.end()) continue;
        drawn.push_back(index);
        settled = settled && timeMs - it->firstMs >= 2000;
    }
    for (size_t index : drawn) {
        scenes[index].frameMs.push_back(ms);
        if (rssKiB >= 0 && settled && lastKiB >= 0) scenes[index].growthKiB += rssKiB - lastKiB;
    }
    if (rssKiB >= 0) lastKiB = rssKiB;
}

int runBench(const Options& o) {
    // With --bench=json standard output carries the JSON alone; the progress lines of loading
    // go to the error stream instead.
    FILE* out = stdout;
    if (o.benchJson) {
        std::fflush(stdout);
        out = fdopen(dup(STDOUT_FILENO), "w");
        dup2(STDERR_FILENO, STDOUT_FILENO);
    }
    std::unique_ptr<Demo> demo = demoFor(o, o.windowWidth, o.windowHeight);
    loadOffline(*demo);
    BenchResult result;
    stagetimer::enable(o.benchStages);
    runOffline(*demo, rangeOf(o), [&](int, int t, double ms) {
        if (result.frameMs.empty())
            result.loadMs = std::chrono::duration<double, std::milli>(
                                std::chrono::steady_clock::now() - processStart)
                                .count();
        result.frameMs.push_back(ms);
        std::vector<std::string> names;
        for (const Scene* scene : demo->planFrame(t).scenes) names.push_back(scene->name);
        // Between the heap's releases its free pages come and go with the driver's passes;
        // what the process keeps shows right after a release.
        result.tally.charge(names, t, ms, demo->heapReleasedThisFrame ? residentMemoryKiB() : -1);
        return true;
    });
    result.peakKiB = peakMemoryKiB();
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (o.benchJson) {
        printJson(out, o, *demo, result, renderer);
        std::fclose(out);
    } else {
        printTable(o, *demo, result, renderer);
    }
    return 0;
}
