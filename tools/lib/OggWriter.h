#pragma once
// Ogg Vorbis encoding (libvorbisenc, VBR) and decoding for read-back checks.

#include "Master.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tools {

// What to encode: `frames` frames of `channels` channels, sample(channel, frame) nominally
// within [-1, 1], at a VBR quality, in an Ogg stream with a fixed serial number and comments
// (equal input gives an equal file).
struct OggEncoding {
    int channels = 2;
    int sampleRate = 44100;
    float quality = 0.5f;
    long frames = 0;
    int serial = 1;
    std::vector<std::pair<std::string, std::string>> comments;
    std::function<float(int channel, long frame)> sample;
};
bool writeOggVorbis(const std::string& path, const OggEncoding& encoding,
                    std::string* error = nullptr);

// The production's track: stereo, with its title and artist.
bool writeOggVorbis(const std::string& path, const Stereo& audio, int sampleRate, float quality,
                    std::string* error = nullptr);

struct DecodedAudio {
    Stereo audio;
    int channels = 0;
    long sampleRate = 0;
};
// Decodes a whole Ogg Vorbis file (first two channels).
bool readOggVorbis(const std::string& path, DecodedAudio* out, std::string* error = nullptr);

} // namespace tools
