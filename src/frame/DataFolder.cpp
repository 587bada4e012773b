#include "frame/DataFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/CommandLine.h"

const char* const kDataEnvironmentVariable = "VERDANTH_DATA";

namespace {

bool isFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool currentFolder(std::string* folder) {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return false;
        buffer.resize(buffer.size() * 2);
    }
    *folder = buffer.data();
    return true;
}

// The program's own path: the kernel's link resolves symlinks and PATH look-ups, argv[0] is
// the fallback (made absolute while the start folder is still current).
std::string programPath(const char* argv0) {
    std::vector<char> buffer(4096);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n > 0) return std::string(buffer.data(), static_cast<size_t>(n));
    const std::string name = argv0 ? argv0 : "";
    if (name.find('/') == std::string::npos) return "";  // found through PATH: no folder known
    std::string start;
    return currentFolder(&start) ? absolutePath(name, start) : name;
}

}  // namespace

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string absolutePath(const std::string& path, const std::string& base) {
    if (path.empty() || path[0] == '/') return path;
    std::string rest = path;
    while (rest.size() > 2 && rest.compare(0, 2, "./") == 0) rest.erase(0, 2);
    if (rest == ".") return base;
    return base == "/" ? "/" + rest : base + "/" + rest;
}

void makeUserPathsAbsolute(Options* o) {
    std::string start;
    const bool known = currentFolder(&start);
    const int why = errno;
    for (std::string* path : {&o->captureDir, &o->videoFile, &o->dataDir}) {
        if (path->empty() || (*path)[0] == '/') continue;
        if (!known) {
            o->error = "the current folder cannot be read (" + std::string(std::strerror(why)) +
                       "): give \"" + *path + "\" as an absolute path";
            return;
        }
        *path = absolutePath(*path, start);
    }
}

std::vector<std::string> dataFolderCandidates(const std::string& program,
                                              const std::string& installedDir) {
    std::vector<std::string> candidates;
    const std::string bin = folderOf(program);
    if (!bin.empty()) {
        candidates.push_back(bin);
        // The kernel's path has no links or dots left, so the parent is found by its text.
        const std::string prefix = folderOf(bin);
        if (!prefix.empty()) candidates.push_back((prefix == "/" ? "" : prefix) + "/share/verdanth");
    }
    if (!installedDir.empty()) {
        bool seen = false;
        for (const std::string& c : candidates) seen = seen || c == installedDir;
        if (!seen) candidates.push_back(installedDir);
    }
    return candidates;
}

bool holdsData(const std::string& folder) { return isFolder(folder + "/images"); }

DataFolderChoice chooseDataFolder(const std::string& named, const std::string& namedBy,
                                  const std::vector<std::string>& candidates) {
    DataFolderChoice choice;
    if (!named.empty()) {
        const std::string what = namedBy == "--data" ? "--data " + named : namedBy + "=" + named;
        struct stat st;
        if (stat(named.c_str(), &st) != 0)
            choice.error = what + ": no such folder";
        else if (!S_ISDIR(st.st_mode))
            choice.error = what + ": not a folder";
        else if (!holdsData(named))
            choice.error = what + ": no images/ folder in it (the data folder holds images/ and music/)";
        else
            choice.folder = named;
        if (!choice.error.empty()) choice.status = 2;
        return choice;
    }
    for (const std::string& folder : candidates) {
        if (holdsData(folder)) {
            choice.folder = folder;
            return choice;
        }
    }
    std::string places;
    for (size_t i = 0; i < candidates.size(); ++i)
        places += (i == 0 ? "" : i + 1 == candidates.size() ? " or " : ", ") + candidates[i];
    choice.error = "no data folder found (no images/ folder in " +
                   (places.empty() ? std::string("any known place") : places) +
                   "); name one with --data DIR";
    choice.status = 1;
    return choice;
}

int enterDataFolder(const Options& options, const char* argv0) {
    std::string named = options.dataDir, namedBy = "--data";
    if (named.empty()) {
        const char* variable = std::getenv(kDataEnvironmentVariable);
        if (variable && *variable) {
            named = variable;
            namedBy = kDataEnvironmentVariable;
        }
    }
    const DataFolderChoice choice =
        chooseDataFolder(named, namedBy, dataFolderCandidates(programPath(argv0), VERDANTH_DATA_DIR));
    if (!choice.error.empty()) {
        std::fprintf(stderr, "verdanth: %s\n", choice.error.c_str());
        return choice.status;
    }
    if (chdir(choice.folder.c_str()) != 0) {
        std::fprintf(stderr, "verdanth: the data folder %s cannot be entered: %s\n",
                     choice.folder.c_str(), std::strerror(errno));
        return 1;
    }
    return 0;
}
