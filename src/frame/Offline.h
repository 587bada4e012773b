#pragma once
#include "engine/Engine.h"
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/CommandLine.h"

class Demo;
class Engine;

// A range of demo time rendered on the fixed-step clock: frame k at fromMs + floor(k*1000/fps).
struct OfflineRange {
    int fromMs = 0;
    int toMs = kRunEndMs;
    int fps = 60;
};

long long offlineFrameCount(const OfflineRange& range);

// Set by SIGINT during an offline run: the run stops after the current frame.
bool offlineStopRequested();
void installOfflineStopHandler();

// Draws every frame of the range (the engine must be loaded and on its fixed clock), calling
// onFrame(k, t, renderMs) after frame k is drawn (renderMs: the time its drawing took, up to
// glFinish) and before the buffers are swapped. Stops early when
// onFrame returns false or Ctrl-C is pressed. Returns the number of frames drawn.
int runOffline(Engine& engine, const OfflineRange& range,
               const std::function<bool(int k, int t, double renderMs)>& onFrame);

// Frame-time figures of a set of frames, in ms.
struct FrameStats {
    int frames = 0;
    double mean = 0, median = 0, p95 = 0, worst = 0;
};
FrameStats computeFrameStats(std::vector<double> frameMs);

// One progress line: a bar, the percentage, the frame count and the time left.
std::string progressLine(long long done, long long total, double elapsedSeconds);

// The production as the command line asks for it, with a window of width x height.
std::unique_ptr<Demo> demoFor(const Options& options, int width, int height);
// The production loaded for an offline run: fixed-step clock, no audio device, the music only
// feeding the spectrum; Ctrl-C stops the run after the current frame.
void loadOffline(Demo& demo);
OfflineRange rangeOf(const Options& options);

// Checks, before anything is loaded, that --video can be written where it is asked for (a
// known extension, an existing writable folder) and that neither the video nor frames of an
// earlier capture in the --capture folder would be replaced without --overwrite. Relative
// paths are read against the current folder. False with a one-line reason otherwise.
bool checkOutputPaths(const Options& options, std::string* error);

// --capture and --video: the range drawn offline and written as PNG frames or into a video.
// With --overwrite, a capture removes the folder's earlier frame-*.png files just before its
// first frame. Each ends with a line saying it is done, or interrupted (status 130), or why it failed
// (status 1).
int runCapture(const Options& options);
int runVideo(const Options& options);
