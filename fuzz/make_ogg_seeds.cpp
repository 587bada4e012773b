// Writes a few small Ogg Vorbis files (mono and stereo, a few rates) as the seed corpus of the
// sound layer's fuzz target, with the content tools' encoder.
#include "OggWriter.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

bool writeSeed(const std::string& path, int channels, int rate, double seconds, double hz) {
    tools::OggEncoding e;
    e.channels = channels;
    e.sampleRate = rate;
    e.quality = 0.1f;
    e.frames = std::lround(seconds * rate);
    e.serial = 7;
    e.sample = [=](int c, long i) {
        return static_cast<float>(0.4 * std::sin(2 * 3.14159265358979 * hz * (c + 1) * i / rate));
    };
    std::string error;
    if (tools::writeOggVorbis(path, e, &error)) return true;
    std::fprintf(stderr, "make_ogg_seeds: %s\n", error.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_ogg_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = writeSeed(dir + "/mono_22k.ogg", 1, 22050, 0.2, 440) &&
              writeSeed(dir + "/stereo_44k.ogg", 2, 44100, 0.3, 1000) &&
              writeSeed(dir + "/stereo_8k_short.ogg", 2, 8000, 0.05, 300);
    return ok ? 0 : 1;
}
