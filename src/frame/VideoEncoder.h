#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// Pipes raw RGB frames into an ffmpeg process that encodes them, with the music muxed in from
// the same time on. ffmpeg runs in its own process group, so Ctrl-C reaches only us: we stop
// feeding it and let it finish a playable file.
class VideoEncoder {
public:
    ~VideoEncoder();

    // The ffmpeg command line for a video of width x height at fps, starting at fromMs of the
    // music (empty musicFile: no audio).
    static std::vector<std::string> commandLine(const std::string& outFile, int width, int height,
                                                int fps, int fromMs, const std::string& musicFile);

    // The extension of a file name in lower case, without the dot ("" when it has none).
    static std::string extensionOf(const std::string& file);
    // The containers the command line is made for: mp4, mov, mkv, webm.
    static bool knownExtension(const std::string& file);

    bool start(const std::string& outFile, int width, int height, int fps, int fromMs,
               const std::string& musicFile, std::string* error);
    bool writeFrame(const std::vector<uint8_t>& rgbTopRowFirst, std::string* error);
    // Closes the pipe and waits for ffmpeg; false when it failed.
    bool finish(std::string* error);

private:
    pid_t child = -1;
    int pipeFd = -1;
};
