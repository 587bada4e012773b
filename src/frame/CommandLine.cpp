#include "frame/CommandLine.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "content/Demo.h"

void windowSizeFor(int requestedWidth, int* width, int* height) {
    switch (requestedWidth) {
    case 320: *width = 320; *height = 240; break;
    case 640: *width = 640; *height = 480; break;
    case 800: *width = 800; *height = 600; break;
    case 1024: *width = 1024; *height = 768; break;
    case 1280: *width = 1280; *height = 1024; break;
    default: *width = 512; *height = 384; break;
    }
}

void parseWindowSwitches(const std::string& text, Options* o) {
    if (text.find("-nomusic") != std::string::npos) o->musicWanted = false;
    if (text.find("-music") != std::string::npos) o->musicWanted = true;
    if (text.find("-fullscreen") != std::string::npos) o->fullscreen = true;
    size_t res = text.find("-res:");
    if (res != std::string::npos) {
        // The number right after the colon, as "%d" reads it: optional blanks and sign, digits.
        // Out-of-range numbers give an unlisted width rather than undefined behaviour.
        const char* p = text.c_str() + res + 5;
        char* end = nullptr;
        errno = 0;
        long value = std::strtol(p, &end, 10);
        if (end != p) {
            if (errno == ERANGE || value > INT_MAX || value < INT_MIN) value = 0;
            o->requestedWidth = static_cast<int>(value);
        }
    }
    windowSizeFor(o->requestedWidth, &o->windowWidth, &o->windowHeight);
}

bool parseWindowSize(const std::string& text, int* width, int* height) {
    const size_t x = text.find('x');
    if (x == std::string::npos || x == 0 || x + 1 >= text.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (i != x && (text[i] < '0' || text[i] > '9')) return false;
    if (x > 5 || text.size() - x - 1 > 5) return false;  // keeps the numbers far from overflow
    const int w = std::atoi(text.substr(0, x).c_str());
    const int h = std::atoi(text.substr(x + 1).c_str());
    if (w < kMinWindowWidth || w > kMaxWindowWidth || h < kMinWindowHeight || h > kMaxWindowHeight)
        return false;
    *width = w;
    *height = h;
    return true;
}

namespace {

bool isWindowSwitchWord(const std::string& arg) {
    for (const char* word : {"-nomusic", "-music", "-fullscreen", "-res:"})
        if (arg.find(word) != std::string::npos) return true;
    return false;
}

bool parseInt(const std::string& text, int lo, int hi, int* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || value < lo || value > hi) return false;
    *out = static_cast<int>(value);
    return true;
}

}  // namespace

namespace {

// Our options that take the next word as their value, with what that value is.
const struct {
    const char* option;
    const char* what;
} kValueOptions[] = {
    {"--capture", "a folder"},  {"--video", "a file name"}, {"--size", "a size"},
    {"--every", "a frame count"}, {"--from", "a time in ms"}, {"--to", "a time in ms"},
    {"--fps", "a frame rate"}, {"--scene", "a scene name"}, {"--data", "a folder"},
};

const char* valueWanted(const std::string& option) {
    for (const auto& v : kValueOptions)
        if (option == v.option) return v.what;
    return nullptr;
}

void takeValue(const std::string& a, const std::string& v, Options* o) {
    if (a == "--capture" || a == "--video") {
        if (v.empty()) o->error = a + " needs " + valueWanted(a);
        (a == "--capture" ? o->captureDir : o->videoFile) = v;
    } else if (a == "--data") {
        if (v.empty()) o->error = "--data needs a folder";
        o->dataDir = v;
    } else if (a == "--size") {
        if (!parseWindowSize(v, &o->windowWidth, &o->windowHeight)) {
            char range[96];
            std::snprintf(range, sizeof range, "from %dx%d to %dx%d", kMinWindowWidth,
                          kMinWindowHeight, kMaxWindowWidth, kMaxWindowHeight);
            o->error = "--size needs WIDTHxHEIGHT " + std::string(range) + ", not \"" + v + "\"";
        }
        o->sizeGiven = true;
    } else if (a == "--scene") {
        if (v.empty()) o->error = "--scene needs a scene name (--list-scenes shows them)";
        o->sceneName = v;
    } else if (a == "--every") {
        o->everyGiven = true;
        if (!parseInt(v, 1, 1000000, &o->captureEvery))
            o->error = "--every needs a frame count from 1 to 1000000, not \"" + v + "\"";
    } else if (a == "--from" || a == "--to") {
        int ms = 0;
        if (!parseInt(v, 0, 10000000, &ms))
            o->error = a + " needs a time in ms from 0 to 10000000, not \"" + v + "\"";
        else
            (a == "--from" ? o->fromMs : o->toMs) = ms;
        (a == "--from" ? o->fromGiven : o->toGiven) = true;
    } else if (a == "--fps") {
        o->fpsGiven = true;
        if (!parseInt(v, 1, 1000, &o->fps))
            o->error = "--fps needs a frame rate from 1 to 1000, not \"" + v + "\"";
    }
}

// Our options without a value; false for any other word.
bool takeFlag(const std::string& a, Options* o) {
    if (a == "--help" || a == "-h") {
        o->help = true;
    } else if (a == "--version") {
        o->version = true;
    } else if (a == "--print-score") {
        o->printScore = true;
    } else if (a == "--list-scenes") {
        o->listScenes = true;
    } else if (a == "--overwrite") {
        o->overwrite = true;
    } else if (a == "--bench" || a == "--bench=json" || a == "--bench=stages") {
        o->bench = true;
        o->benchJson = a == "--bench=json";
        o->benchStages = a == "--bench=stages";
    } else if (a == "--desktop") {
        o->desktop = true;
    } else if (a == "--loop") {
        o->loop = true;
    } else {
        return false;
    }
    return true;
}

// Options that cannot go together, and times outside the score. Every option either does
// what it says in the run asked for or is refused here, before anything is loaded.
void checkCombinations(Options* o) {
    const bool capture = !o->captureDir.empty(), video = !o->videoFile.empty();
    const int offlineModes = capture + video + o->bench;
    const std::string end = std::to_string(kRunEndMs);
    if (offlineModes > 1)
        o->error = "--capture, --video and --bench cannot be combined";
    else if (o->everyGiven && !capture)
        o->error = "--every goes with --capture";
    else if (o->fpsGiven && offlineModes == 0)
        o->error = "--fps goes with --capture, --video or --bench";
    else if (o->overwrite && !capture && !video)
        o->error = "--overwrite goes with --capture or --video";
    else if (o->sizeGiven && o->desktop)
        o->error = "--size and --desktop cannot be combined";
    else if (offlineModes > 0 && (o->desktop || o->loop))
        o->error = std::string(o->desktop ? "--desktop" : "--loop") + " is for the real-time run";
    else if (!o->sceneName.empty() && o->fromGiven)
        o->error = "--scene and --from cannot be combined";
    else if (!o->sceneName.empty() && !findSceneStart(o->sceneName, &o->fromMs, &o->error))
        return;
    else if (o->fromMs >= kRunEndMs)
        o->error = "--from must be before the end of the score (" + end + " ms)";
    else if (o->toMs > kRunEndMs)
        o->error = "--to must not be past the end of the score (" + end + " ms)";
    else if (o->toMs <= o->fromMs)
        o->error = o->sceneName.empty()
                       ? "--to must be later than --from"
                       : "--to must be later than the start of the scene (" +
                             std::to_string(o->fromMs) + " ms)";
}

// Lower-case letters and digits only: "Tree In A Box", "treeinabox" and "tree in a box" meet.
std::string sceneKey(const std::string& text) {
    std::string key;
    for (char c : text) {
        if (c >= 'A' && c <= 'Z') key += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) key += c;
    }
    return key;
}

}  // namespace

Options parseCommandLine(const std::vector<std::string>& args) {
    Options o;
    std::string text;
    for (size_t i = 0; i < args.size() && o.error.empty(); ++i) {
        const std::string& a = args[i];
        if (const char* what = valueWanted(a)) {
            if (i + 1 >= args.size())
                o.error = a + " needs " + what;
            else
                takeValue(a, args[++i], &o);
        } else if (!takeFlag(a, &o)) {
            if (a.size() > 2 && a[0] == '-' && a[1] == '-' && !isWindowSwitchWord(a)) {
                o.error = "unknown option " + a + " (verdanth --help lists the options)";
            } else {
                if (!text.empty()) text += ' ';
                text += a;
            }
        }
    }
    if (o.error.empty()) checkCombinations(&o);
    // --size wins over "-res:"; the switches are still read for their other words.
    const int width = o.windowWidth, height = o.windowHeight;
    parseWindowSwitches(text, &o);
    if (o.error.empty() && o.desktop && o.fullscreen)
        o.error = "--desktop and -fullscreen cannot be combined";
    if (o.sizeGiven) {
        o.windowWidth = width;
        o.windowHeight = height;
    }
    return o;
}

bool findSceneStart(const std::string& name, int* startMs, std::string* error) {
    const std::string key = sceneKey(name);
    if (key.empty()) {
        *error = "--scene needs a scene name (--list-scenes shows them)";
        return false;
    }
    std::vector<Demo::SceneSpan> matches;
    for (const Demo::SceneSpan& span : Demo::sceneSpans()) {
        const std::string title = sceneKey(span.title);
        if (title == key) {
            *startMs = span.startMs;
            return true;
        }
        if (title.compare(0, key.size(), key) == 0) matches.push_back(span);
    }
    if (matches.size() == 1) {
        *startMs = matches[0].startMs;
        return true;
    }
    if (matches.empty()) {
        *error = "no scene is called \"" + name + "\" (--list-scenes shows them)";
        return false;
    }
    *error = "--scene \"" + name + "\" could be any of: ";
    for (size_t i = 0; i < matches.size(); ++i)
        *error += (i > 0 ? ", " : "") + matches[i].title;
    return false;
}

std::string usageText() {
    return std::string("Usage: verdanth [switches]\n"
           "Plays the Verdanth production: 253 seconds of real-time graphics and music.\n"
           "\n"
           "Window switches (found anywhere in the command line):\n"
           "  -res:W          window width 320, 640, 800 (default), 1024 or 1280;\n"
           "                  any other number opens 512 x 384\n"
           "  -fullscreen     full screen at the window size\n"
           "  -nomusic        no music; the production runs on a stopwatch\n"
           "  -music          music on (wins over -nomusic)\n"
           "\n"
           "Window options:\n"
           "  --size WxH      window (or capture, video) of any size from 320x200 to\n"
           "                  7680x4320, instead of -res:\n"
           "  --desktop       a borderless window the size of the desktop (no mode switch)\n"
           "  --loop          start again at the end (of the score, or --to), until Escape;\n"
           "                  with --from/--scene and --to it plays that range over and over\n"
           "\n"
           "Where to play:\n"
           "  --from MS       where the run starts (default 0); offline: its first frame\n"
           "  --scene NAME    start where scene NAME starts (no case needed; a prefix that\n"
           "                  names one scene is enough), instead of --from\n"
           "  --to MS         where the run ends (default and latest ") +
           std::to_string(kRunEndMs) + "); offline: exclusive\n" +
           std::string(
           "  --data DIR      the folder holding images/ and music/ (default: VERDANTH_DATA\n"
           "                  if set, else the program's own folder or its share/verdanth)\n"
           "\n"
           "Offline runs:\n"
           "  --capture DIR   render to DIR/frame-NNNNNN.png on a fixed-step clock\n"
           "  --video FILE    render to a video file with the music (ffmpeg): .mp4 and .mov\n"
           "                  H.264 + AAC, .mkv H.264 + Vorbis, .webm VP9 + Opus\n"
           "  --overwrite     let --video replace FILE, or --capture remove the frame-*.png\n"
           "                  files already in DIR (nothing else there is touched)\n"
           "  --every N       with --capture: draw every frame, write every Nth (default 1)\n"
           "  --fps N         frames per second of an offline run (default 60)\n"
           "  --bench         play offline as fast as possible and print frame-time figures\n"
           "                  per scene and the load time (--bench=json for JSON,\n"
           "                  --bench=stages adds the time of each stage of the frames)\n"
           "\n"
           "Information (no window):\n"
           "  --list-scenes   list the scenes of the score with their start and end times\n"
           "  --print-score   print the layer stack of every interval of the score\n"
           "  --help          this text\n"
           "  --version       the program's version\n"
           "\n"
           "Keys: cursor up/down seek +1.5 s / -1.5 s per frame held, right/left +0.1 s / -0.1 s,\n"
           "p or space pauses and resumes, Escape quits.\n");
}
