#include "frame/VideoEncoder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::string VideoEncoder::extensionOf(const std::string& file) {
    const size_t dot = file.rfind('.');
    const size_t slash = file.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = file.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

bool VideoEncoder::knownExtension(const std::string& file) {
    const std::string ext = extensionOf(file);
    return ext == "mp4" || ext == "mov" || ext == "mkv" || ext == "webm";
}

std::vector<std::string> VideoEncoder::commandLine(const std::string& outFile, int width,
                                                   int height, int fps, int fromMs,
                                                   const std::string& musicFile) {
    std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
                                     "-f", "rawvideo", "-pix_fmt", "rgb24",
                                     "-s", std::to_string(width) + "x" + std::to_string(height),
                                     "-framerate", std::to_string(fps), "-i", "pipe:0"};
    if (!musicFile.empty()) {
        char offset[32];
        snprintf(offset, sizeof offset, "%d.%03d", fromMs / 1000, fromMs % 1000);
        args.insert(args.end(), {"-ss", offset, "-i", musicFile, "-map", "0:v", "-map", "1:a",
                                 "-shortest"});
    }
    const std::string ext = extensionOf(outFile);
    if (ext == "webm") {
        args.insert(args.end(), {"-c:v", "libvpx-vp9", "-b:v", "0", "-crf", "32", "-c:a", "libopus"});
    } else {
        // H.264 with AAC, or Vorbis where the container (Matroska) prefers it. The encoder
        // shares the cores with the rendering: "veryfast" takes half the processor time of
        // "medium" at the same quality setting, for a file of about the same size here.
        args.insert(args.end(), {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18",
                                 "-pix_fmt", "yuv420p"});
        if (ext == "mkv")
            args.insert(args.end(), {"-c:a", "libvorbis", "-q:a", "6"});
        else
            args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k"});
        if (ext == "mp4" || ext == "mov") args.insert(args.end(), {"-movflags", "+faststart"});
    }
    args.push_back(outFile);
    return args;
}

VideoEncoder::~VideoEncoder() {
    std::string ignored;
    finish(&ignored);
}

bool VideoEncoder::start(const std::string& outFile, int width, int height, int fps, int fromMs,
                         const std::string& musicFile, std::string* error) {
    int fds[2];
    if (pipe(fds) != 0) {
        *error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    std::vector<std::string> args = commandLine(outFile, width, height, fps, fromMs, musicFile);
    child = fork();
    if (child < 0) {
        *error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (child == 0) {
        setpgid(0, 0);
        // The encoder runs at the lowest priority: it then takes the processor time the
        // rendering leaves between its stages (each waits for the rasterizer threads) instead
        // of stretching them. It keeps up through the frames it buffers, and where it falls
        // behind our writes wait for it. A refusal only costs speed.
        setpriority(PRIO_PROCESS, 0, 19);
        dup2(fds[0], 0);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(&a[0]);
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    setpgid(child, child);
    close(fds[0]);
    pipeFd = fds[1];
    fcntl(pipeFd, F_SETFD, FD_CLOEXEC);
    // A dead encoder must give a write error, not kill us.
    signal(SIGPIPE, SIG_IGN);
    return true;
}

bool VideoEncoder::writeFrame(const std::vector<uint8_t>& rgb, std::string* error) {
    size_t done = 0;
    while (done < rgb.size()) {
        ssize_t n = write(pipeFd, rgb.data() + done, rgb.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            *error = std::string("ffmpeg stopped taking frames: ") + std::strerror(errno);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool VideoEncoder::finish(std::string* error) {
    if (pipeFd >= 0) {
        close(pipeFd);
        pipeFd = -1;
    }
    if (child <= 0) return true;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    child = -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        *error = "ffmpeg could not be run (is it installed?)";
    else
        *error = "ffmpeg failed (status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
    return false;
}
