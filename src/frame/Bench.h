#pragma once
#include "frame/CommandLine.h"

// The benchmark (--bench, --bench=json, --bench=stages): the production played offline as fast
// as the machine allows, with frame-time figures per scene and for the whole run, memory growth
// after each scene's first 2 s, the peak memory, the load time from the process's start to the
// first frame and, with stages, the time of every stage of the frames. Returns the exit status.
int runBench(const Options& options);
