#pragma once
#include "engine/Engine.h"
#include <string>
#include <vector>

// What the command line asks for. The window switches ("-nomusic", "-music", "-fullscreen",
// "-res:") are found by substring search anywhere in the text of the arguments; our own long
// options ("--capture DIR" and friends) are taken as separate words first, so that their
// values (a folder named "x-music", say) never switch anything by accident.
struct Options {
    bool musicWanted = true;
    bool fullscreen = false;
    int requestedWidth = 800;
    int windowWidth = 800;
    int windowHeight = 600;

    // Our own window options.
    bool sizeGiven = false;  // --size WxH: any window size, wins over "-res:"
    bool desktop = false;    // --desktop: a borderless window the size of the desktop
    bool loop = false;       // --loop: the real-time run starts again after the end

    bool help = false;
    bool version = false;
    bool printScore = false;
    bool listScenes = false;  // --list-scenes: every scene with its times, no window
    std::string sceneName;    // --scene NAME as given; fromMs holds where that scene starts
    bool overwrite = false;   // --overwrite: a capture or video may replace earlier output
    std::string captureDir;  // offline capture to PNG files when not empty
    std::string videoFile;   // offline render to a video file when not empty
    std::string dataDir;     // --data: the folder holding images/ and music/
    bool bench = false;      // offline run as fast as possible, with frame-time figures
    bool benchJson = false;  // ... printed as JSON
    bool benchStages = false;  // ... with the time of every stage of the frames
    int captureEvery = 1;    // a capture writes every Nth frame it draws
    int fromMs = 0;          // also where the real-time run starts
    int toMs = kRunEndMs;    // also where the real-time run ends (or loops)
    int fps = 60;
    bool fromGiven = false, toGiven = false, fpsGiven = false, everyGiven = false;

    std::string error;  // a message when the command line cannot be used
};

// The sizes --size accepts.
const int kMinWindowWidth = 320, kMinWindowHeight = 200;
const int kMaxWindowWidth = 7680, kMaxWindowHeight = 4320;

// "WIDTHxHEIGHT" within the sizes --size accepts; false for anything else.
bool parseWindowSize(const std::string& text, int* width, int* height);

// Window size for a "-res:" width: the five listed widths, 512 x 384 for any other.
void windowSizeFor(int requestedWidth, int* width, int* height);

// Applies the window switches found anywhere in the command-line text.
void parseWindowSwitches(const std::string& text, Options* options);

Options parseCommandLine(const std::vector<std::string>& args);

// The start of the scene NAME names: its title without regard to case, spaces or punctuation,
// or a prefix of only one title (a whole title wins over longer ones it begins). False with a
// message naming the matches, if any, otherwise.
bool findSceneStart(const std::string& name, int* startMs, std::string* error);

std::string usageText();
