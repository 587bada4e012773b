#pragma once
#include <string>
#include <vector>

#include "frame/CommandLine.h"

// The benchmark (--bench, --bench=json, --bench=stages): the production played offline as fast
// as the machine allows, with frame-time figures per scene and for the whole run, memory growth
// of each settled scene, the peak memory, the load time from the process's start to the
// first frame and, with stages, the time of every stage of the frames. Returns the exit status.
int runBench(const Options& options);

// The process's resident memory in KiB (0 where it cannot be read).
long residentMemoryKiB();

// What the benchmark keeps of one scene: its frame times, and the resident memory it adds once
// it has run for a while.
struct SceneBench {
    std::string name;
    std::vector<double> frameMs;
    int firstMs = 0;
    long growthKiB = 0;
};

// The per-scene tally of a run. Every scene drawn in a frame is charged that frame's time. The
// resident memory is measured in the frames that end with a release of the heap's free pages
// (rssKiB < 0 in the others); what it adds since the previous measurement is charged to the
// scenes on screen. A scene's first frames bring new drawing states, whose code the software
// driver compiles and keeps, so memory added while any scene on screen is in its first 2 s is
// charged to that start, not to the scenes running beside it: added memory counts as growth of
// the frame's scenes only when all of them have settled.
struct BenchTally {
    std::vector<SceneBench> scenes;  // in order of first appearance
    long lastKiB = -1;               // resident memory at the previous measurement

    void charge(const std::vector<std::string>& sceneNames, int timeMs, double ms, long rssKiB);
};
