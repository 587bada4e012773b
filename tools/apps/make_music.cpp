// Composes, synthesizes, masters and encodes the music track.
// Usage: make_music OUTPUT_DIR   (writes OUTPUT_DIR/Qorvanel.ogg)

#include "ToolArgs.h"
#include "OggWriter.h"
#include "Song.h"

#include <chrono>
#include <ctime>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    std::string dir;
    if (!tools::outputFolder(argc, argv, "", &dir)) return 2;
    auto t0 = std::chrono::steady_clock::now();
    std::clock_t c0 = std::clock();
    tools::MasterReport report;
    tools::Stereo song = tools::renderSong(tools::kSongSeconds, -14.0f, &report);
    auto t1 = std::chrono::steady_clock::now();
    std::clock_t c1 = std::clock();
    std::string error;
    if (!tools::writeOggVorbis(dir + "/Qorvanel.ogg", song, 44100, 0.6f, &error)) {
        std::fprintf(stderr, "make_music: %s\n", error.c_str());
        return 1;
    }
    auto t2 = std::chrono::steady_clock::now();
    std::clock_t c2 = std::clock();
    auto cpu = [](std::clock_t a, std::clock_t b) { return static_cast<double>(b - a) / CLOCKS_PER_SEC; };
    std::printf("make_music: synthesis %.1f s (cpu %.1f s), encoding %.1f s (cpu %.1f s); "
                "%.2f LUFS, true peak %.2f dBTP before encoding\n",
                std::chrono::duration<double>(t1 - t0).count(), cpu(c0, c1),
                std::chrono::duration<double>(t2 - t1).count(), cpu(c1, c2), report.loudnessAfter,
                report.truePeakDb);
    return 0;
}
