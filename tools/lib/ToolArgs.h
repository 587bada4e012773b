#pragma once
// The command line every content generator shares: "TOOL OUTPUT_DIR [...]".

#include <sys/stat.h>

#include <cstdio>
#include <string>

namespace tools {

// The output folder (made when missing) in *dir; false, after printing the usage, when the
// command line names none.
inline bool outputFolder(int argc, char** argv, const char* moreUsage, std::string* dir) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR%s\n", argv[0], moreUsage);
        return false;
    }
    *dir = argv[1];
    mkdir(dir->c_str(), 0755);
    return true;
}

} // namespace tools
