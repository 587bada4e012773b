#pragma once
// Where the program finds its images/ and music/. It opens them by relative paths, so it
// changes into the folder that holds them before loading; the folder it was started in never
// decides (a home folder with an images/ folder of its own must not hide the installed data).
#include <string>
#include <vector>

struct Options;

// Names a data folder when --data is not given.
extern const char* const kDataEnvironmentVariable;

// PATH seen from the folder BASE: unchanged when empty or absolute, else BASE/PATH.
std::string absolutePath(const std::string& path, const std::string& base);

// The folder a path lies in; "/" for the root's entries, "" when the path names no folder.
std::string folderOf(const std::string& path);

// Makes the paths the user gave (--capture, --video, --data) absolute against the current
// folder, so that they keep their meaning after the change into the data folder. Sets
// options->error when one is relative and the current folder cannot be read.
void makeUserPathsAbsolute(Options* options);

// The folders looked in when none is named, in order: the program's own folder (the build
// folder holds images/ and music/ next to the program), the installed tree's
// <bindir>/../share/verdanth, and the folder the build was configured to install to.
std::vector<std::string> dataFolderCandidates(const std::string& programPath,
                                              const std::string& installedDir);

// A data folder has an images/ folder; the music may be missing (the production then runs on
// the stopwatch, with its warning).
bool holdsData(const std::string& folder);

struct DataFolderChoice {
    std::string folder;  // the folder to run from; empty when there is none
    std::string error;   // one line saying why there is none
    int status = 0;      // the exit status that goes with the error
};

// The named folder (named by `namedBy`: "--data" or the variable) when one is named, which
// must hold the data; else the first candidate that holds it.
DataFolderChoice chooseDataFolder(const std::string& named, const std::string& namedBy,
                                  const std::vector<std::string>& candidates);

// Chooses the data folder for these options (--data, then the variable, then the candidates
// of this program) and changes into it. Returns 0, or prints the reason and returns the exit
// status.
int enterDataFolder(const Options& options, const char* argv0);
