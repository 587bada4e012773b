#pragma once
// Ogg Vorbis encoding (libvorbisenc, VBR) and decoding for read-back checks.

#include "Master.h"

#include <string>

namespace tools {

// Encodes stereo float samples (nominally within [-1, 1]) at the given VBR quality.
// The stream serial number and the comments are fixed, so equal input gives an equal file.
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
