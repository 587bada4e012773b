// Writes the program's icon into a hicolor theme tree, one PNG per size.
// Usage: make_icon OUTPUT_DIR SIZE... (writes OUTPUT_DIR/hicolor/SxS/apps/verdanth.png)

#include "Icon.h"
#include "Png.h"
#include "ToolArgs.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    std::string dir;
    if (!tools::outputFolder(argc, argv, " SIZE...", &dir)) return 2;
    for (int i = 2; i < argc; ++i) {
        char* end = nullptr;
        long size = std::strtol(argv[i], &end, 10);
        if (*end != '\0' || size < 8 || size > 1024) {
            std::fprintf(stderr, "make_icon: not an icon size: %s\n", argv[i]);
            return 2;
        }
        std::string folder = dir + "/hicolor";
        mkdir(folder.c_str(), 0755);
        folder += "/" + std::to_string(size) + "x" + std::to_string(size);
        mkdir(folder.c_str(), 0755);
        folder += "/apps";
        mkdir(folder.c_str(), 0755);
        std::string error;
        tools::Pixels px = tools::quantize(tools::drawIcon(static_cast<int>(size)), true, 0, 0.0f);
        if (!tools::writePng(folder + "/verdanth.png", px, &error)) {
            std::fprintf(stderr, "make_icon: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
