#include "frame/Offline.h"

#include <GL/glew.h>
#include <SDL/SDL.h>

#include <chrono>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "content/Demo.h"
#include "engine/Engine.h"
#include "frame/DataFolder.h"
#include "frame/FrameCapture.h"
#include "frame/VideoEncoder.h"

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

std::unique_ptr<Demo> demoFor(const Options& o, int width, int height) {
    return std::make_unique<Demo>(width, height, o.fullscreen, o.musicWanted);
}

void loadOffline(Demo& demo) {
    demo.useFixedClock();
    demo.loadContent();
    installOfflineStopHandler();
}

OfflineRange rangeOf(const Options& o) {
    OfflineRange range;
    range.fromMs = o.fromMs;
    range.toMs = o.toMs;
    range.fps = o.fps;
    return range;
}

namespace {

// Where an offline run that writes puts its frames.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Before the production is loaded, and once it is; false (with *error) ends the run with
    // status 1.
    virtual bool prepare(std::string* /*error*/) { return true; }
    virtual bool open(Demo& demo, std::string* error) = 0;
    // Frame k of total at demo time t is in the back buffer; false (with *error) stops the run.
    virtual bool write(Demo& demo, int k, long long total, int t, std::string* error) = 0;
    // After the last frame (also after Ctrl-C); false with *error when the output failed.
    virtual bool close(std::string* /*error*/) { return true; }
    // What was written, for the closing line.
    virtual std::string summary(int drawn) const = 0;
};

// The skeleton of every offline run that writes: load, draw the range frame by frame into the
// sink, and say how it ended on report ("NAME: done, ..." or "interrupted").
int writeOffline(const Options& o, const char* name, FILE* report, FrameSink& sink) {
    std::string error;
    if (!sink.prepare(&error)) {
        std::fprintf(stderr, "verdanth: %s: %s\n", name, error.c_str());
        return 1;
    }
    std::unique_ptr<Demo> demo = demoFor(o, o.windowWidth, o.windowHeight);
    loadOffline(*demo);
    if (!sink.open(*demo, &error)) {
        std::fprintf(stderr, "verdanth: %s: %s\n", name, error.c_str());
        return 1;
    }
    const OfflineRange range = rangeOf(o);
    const long long total = offlineFrameCount(range);
    bool failed = false;
    const int drawn = runOffline(*demo, range, [&](int k, int t, double) {
        failed = !sink.write(*demo, k, total, t, &error);
        return !failed;
    });
    std::fprintf(report, "\n");
    std::string closeError;
    const bool closed = sink.close(&closeError);
    if (failed || !closed) {
        std::fprintf(stderr, "verdanth: %s stopped: %s\n", name,
                     (failed ? error : closeError).c_str());
        return 1;
    }
    std::fprintf(report, "%s: %s, %s\n", name, offlineStopRequested() ? "interrupted" : "done",
                 sink.summary(drawn).c_str());
    return offlineStopRequested() ? 130 : 0;
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

// Every Nth frame as DIR/frame-NNNNNN.png, progress on standard output.
class CaptureSink : public FrameSink {
public:
    CaptureSink(const std::string& folder, int every, bool overwrite)
        : dir(folder), every(every), overwrite(overwrite) {}
    bool prepare(std::string* error) override { return ensureFolder(dir, error); }
    bool open(Demo&, std::string* error) override {
        // Old frames go only now that the run is sure to write new ones, and only those.
        if (!overwrite) return true;
        for (const std::string& old : captureFramesIn(dir)) {
            if (unlink(old.c_str()) != 0) {
                *error = "cannot remove " + old + ": " + std::strerror(errno);
                return false;
            }
        }
        return true;
    }
    bool write(Demo& demo, int k, long long total, int t, std::string* error) override {
        if (k % every != 0) return true;
        readBackBuffer(demo.windowWidth, demo.windowHeight, &pixels);
        if (!writeRgbPng(captureFrameName(dir, k), demo.windowWidth, demo.windowHeight, pixels,
                         error))
            return false;
        ++written;
        std::printf("\rcapture: frame %d of %lld (%d ms)", k + 1, total, t);
        std::fflush(stdout);
        return true;
    }
    std::string summary(int drawn) const override {
        std::string text = std::to_string(written) + " frames in " + dir;
        if (every > 1)
            text += " (every " + std::to_string(every) + "th of " + std::to_string(drawn) + " drawn)";
        return text;
    }

private:
    std::string dir;
    int every;
    bool overwrite;
    int written = 0;
    std::vector<uint8_t> pixels;
};

// Frames piped into ffmpeg with the music muxed in; progress on the error stream.
class VideoSink : public FrameSink {
public:
    explicit VideoSink(const Options& o) : options(o) {}
    bool open(Demo& demo, std::string* error) override {
        // The music is muxed in only when it is what the production plays.
        const std::string music = demo.musicPlaying ? Demo::kMusicFile : "";
        begin = std::chrono::steady_clock::now();
        return encoder.start(options.videoFile, demo.windowWidth, demo.windowHeight, options.fps,
                             options.fromMs, music, error);
    }
    bool write(Demo& demo, int k, long long total, int, std::string* error) override {
        readBackBuffer(demo.windowWidth, demo.windowHeight, &pixels);
        if (!encoder.writeFrame(pixels, error)) return false;
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        std::fprintf(stderr, "\r%s", progressLine(k + 1, total, elapsed).c_str());
        return true;
    }
    bool close(std::string* error) override { return encoder.finish(error); }
    std::string summary(int drawn) const override {
        return std::to_string(drawn) + " frames in " + options.videoFile;
    }

private:
    const Options& options;
    VideoEncoder encoder;
    std::vector<uint8_t> pixels;
    std::chrono::steady_clock::time_point begin;
};

bool checkVideoPath(const std::string& file, bool overwrite, std::string* error) {
    if (!VideoEncoder::knownExtension(file)) {
        *error = "--video needs a file name ending in .mp4, .mkv, .webm or .mov, not \"" + file +
                 "\"";
        return false;
    }
    const std::string within = folderOf(file);
    const std::string folder = within.empty() ? "." : within;
    struct stat st;
    const bool folderFound = stat(folder.c_str(), &st) == 0;
    if (!folderFound || !S_ISDIR(st.st_mode)) {
        *error = "cannot write " + file + ": " + folder +
                 (folderFound ? " is not a folder" : " does not exist");
        return false;
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        *error = "cannot write " + file + ": the folder " + folder + " is not writable";
        return false;
    }
    if (stat(file.c_str(), &st) != 0) return true;
    if (S_ISDIR(st.st_mode))
        *error = file + " is a folder";
    else if (!overwrite)
        *error = file + " exists; add --overwrite to replace it";
    else if (access(file.c_str(), W_OK) != 0)
        *error = "cannot replace " + file + ": " + std::strerror(errno);
    else
        return true;
    return false;
}

}  // namespace

bool checkOutputPaths(const Options& o, std::string* error) {
    if (!o.videoFile.empty()) return checkVideoPath(o.videoFile, o.overwrite, error);
    if (!o.captureDir.empty() && !o.overwrite) {
        const size_t frames = captureFramesIn(o.captureDir).size();
        if (frames > 0) {
            *error = o.captureDir + " already holds " + std::to_string(frames) +
                     " frame-*.png file" + (frames == 1 ? "" : "s") +
                     "; add --overwrite to remove " + (frames == 1 ? "it" : "them") + " first";
            return false;
        }
    }
    return true;
}

int runCapture(const Options& o) {
    CaptureSink sink(o.captureDir, o.captureEvery, o.overwrite);
    return writeOffline(o, "capture", stdout, sink);
}

int runVideo(const Options& o) {
    VideoSink sink(o);
    return writeOffline(o, "video", stderr, sink);
}
