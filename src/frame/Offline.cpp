#include "frame/Offline.h"

#include <GL/glew.h>
#include <SDL/SDL.h>

#include <chrono>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>

#include "engine/Engine.h"

namespace {
std::atomic<bool> stopRequested{false};

void onInterrupt(int) { stopRequested = true; }
}  // namespace

long long offlineFrameCount(const OfflineRange& r) {
    if (r.toMs <= r.fromMs || r.fps <= 0) return 0;
    // The number of k with fromMs + floor(k * 1000 / fps) < toMs.
    return (static_cast<long long>(r.toMs - r.fromMs) * r.fps + 999) / 1000;
}

bool offlineStopRequested() { return stopRequested.load(); }

void installOfflineStopHandler() {
    stopRequested = false;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
}

int runOffline(Engine& engine, const OfflineRange& r,
               const std::function<bool(int k, int t, double renderMs)>& onFrame) {
    engine.setFixedTime(r.fromMs);
    engine.start();
    const long long total = offlineFrameCount(r);
    int drawn = 0;
    for (long long k = 0; k < total && !stopRequested.load(); ++k) {
        const int t = r.fromMs + static_cast<int>(k * 1000 / r.fps);
        engine.setFixedTime(t);
        const auto begin = std::chrono::steady_clock::now();
        engine.renderFrame();
        glFinish();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                .count();
        ++drawn;
        if (!onFrame(static_cast<int>(k), t, ms)) break;
        SDL_GL_SwapBuffers();
    }
    return drawn;
}

FrameStats computeFrameStats(std::vector<double> ms) {
    FrameStats s;
    s.frames = static_cast<int>(ms.size());
    if (ms.empty()) return s;
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms) sum += v;
    s.mean = sum / static_cast<double>(ms.size());
    const size_t n = ms.size();
    s.median = n % 2 == 1 ? ms[n / 2] : 0.5 * (ms[n / 2 - 1] + ms[n / 2]);
    // Nearest rank: the smallest value with at least 95 % of the frames at or below it.
    size_t rank = static_cast<size_t>(std::ceil(0.95 * static_cast<double>(n)));
    s.p95 = ms[std::max<size_t>(rank, 1) - 1];
    s.worst = ms.back();
    return s;
}

std::string progressLine(long long done, long long total, double elapsed) {
    const int width = 30;
    const double fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
    const int filled = static_cast<int>(fraction * width);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.resize(width, '-');
    char tail[96];
    if (done > 0 && done < total) {
        const double left = elapsed / static_cast<double>(done) * static_cast<double>(total - done);
        std::snprintf(tail, sizeof tail, " %3d%% frame %lld/%lld, %d:%02d left",
                      static_cast<int>(fraction * 100), done, total, static_cast<int>(left) / 60,
                      static_cast<int>(left) % 60);
    } else {
        std::snprintf(tail, sizeof tail, " %3d%% frame %lld/%lld", static_cast<int>(fraction * 100),
                      done, total);
    }
    return "[" + bar + "]" + tail;
}
