// Compares two folders of captured frames (frame-NNNNNN.png, as verdanth --capture writes them)
// channel value by channel value.
//   picture_compare DIR_A DIR_B
// Prints every frame that differs and a summary. Exit status: 0 when the frames are identical
// or within the tolerance for changes that alter rounding (mean difference at most 0.1 of 255,
// 99.9 % of values within 2); 1 beyond it; 2 when the folders cannot be compared.

#include "Png.h"
#include "PictureDiff.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> frameNames(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name.rfind("frame-", 0) == 0 && name.size() > 4 &&
                name.compare(name.size() - 4, 4, ".png") == 0)
                names.push_back(name);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: picture_compare DIR_A DIR_B\n");
        return 2;
    }
    const std::string dirA = argv[1], dirB = argv[2];
    const std::vector<std::string> names = frameNames(dirA);
    if (names.empty()) {
        std::fprintf(stderr, "picture_compare: no frames in %s\n", dirA.c_str());
        return 2;
    }
    if (frameNames(dirB) != names) {
        std::fprintf(stderr, "picture_compare: %s and %s do not hold the same frames\n",
                     dirA.c_str(), dirB.c_str());
        return 2;
    }
    tools::PictureDiff total;
    int identicalFrames = 0;
    for (const std::string& name : names) {
        tools::Pixels a, b;
        std::string error;
        if (!tools::readPng(dirA + "/" + name, &a, nullptr, &error) ||
            !tools::readPng(dirB + "/" + name, &b, nullptr, &error)) {
            std::fprintf(stderr, "picture_compare: %s: %s\n", name.c_str(), error.c_str());
            return 2;
        }
        tools::PictureDiff frame;
        if (!frame.add(a, b)) {
            std::fprintf(stderr, "picture_compare: %s: the two frames differ in size\n",
                         name.c_str());
            return 2;
        }
        total.add(frame);
        if (frame.identical()) {
            ++identicalFrames;
            continue;
        }
        std::printf("%s: %lld values differ, mean %.4f, %.4f %% within 2, largest %d\n",
                    name.c_str(), frame.differing, frame.meanAbs(), 100.0 * frame.shareWithinTwo(),
                    frame.maxAbs);
    }
    const char* verdict = total.identical()         ? "identical"
                          : total.withinTolerance() ? "within tolerance"
                                                    : "beyond tolerance";
    std::printf("%zu frames, %d identical; %lld of %lld values differ; mean difference %.4f, "
                "%.4f %% within 2, largest %d: %s\n",
                names.size(), identicalFrames, total.differing, total.values, total.meanAbs(),
                100.0 * total.shareWithinTwo(), total.maxAbs, verdict);
    return total.withinTolerance() ? 0 : 1;
}
