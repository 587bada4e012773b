#pragma once
// A throw-away working folder with an images/ subfolder of plain white PNG files, entered for
// the life of the object: the text scenes and the loading screen open their font images by
// relative path.
#include <unistd.h>
#include <sys/stat.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "resources/PngTestFiles.h"

namespace textscene {

class ImageFolder {
public:
    // files: names under images/ to create (e.g. "font2.png"); none gives an empty images/.
    explicit ImageFolder(std::initializer_list<const char*> files) {
        char previous[4096];
        if (getcwd(previous, sizeof previous) == nullptr) return;
        previous_ = previous;
        std::string pattern = ::testing::TempDir() + "verdanth_text_XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr) return;
        root_ = buffer.data();
        if (mkdir((root_ + "/images").c_str(), 0755) != 0) return;
        // Opaque white: wherever the font's cells fall on it, every glyph is a solid block.
        pngtest::PngSpec spec;
        spec.width = 64;
        spec.height = 32;
        const std::vector<unsigned char> white(64 * 32 * 4, 255);
        for (const char* name : files) {
            const std::string path = root_ + "/images/" + name;
            if (!pngtest::writePng(path, spec, white)) return;
            written_.push_back(path);
        }
        ok_ = chdir(root_.c_str()) == 0;
    }
    ~ImageFolder() {
        if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::perror("chdir");
        for (const std::string& path : written_) std::remove(path.c_str());
        if (!root_.empty()) {
            rmdir((root_ + "/images").c_str());
            rmdir(root_.c_str());
        }
    }
    ImageFolder(const ImageFolder&) = delete;
    ImageFolder& operator=(const ImageFolder&) = delete;

    bool ok() const { return ok_; }

private:
    std::string previous_;
    std::string root_;
    std::vector<std::string> written_;
    bool ok_ = false;
};

}  // namespace textscene
