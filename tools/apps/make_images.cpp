// Writes every image of the texture table into the given folder.
// Usage: make_images OUTPUT_DIR [FILE...]   (FILE names such as kallios.png limit the set)

#include "ToolArgs.h"
#include "Png.h"
#include "TextRaster.h"
#include "Textures.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    std::string dir;
    if (!tools::outputFolder(argc, argv, " [FILE...]", &dir)) return 2;
    tools::TextRaster text;
    std::string error;
    if (!text.open(tools::kDefaultFontPath, &error)) {
        std::fprintf(stderr, "make_images: %s\n", error.c_str());
        return 1;
    }
    int written = 0;
    for (const tools::TextureSpec& spec : tools::textureTable()) {
        if (argc > 2) {
            bool wanted = false;
            for (int i = 2; i < argc; ++i) wanted = wanted || spec.file == argv[i];
            if (!wanted) continue;
        }
        tools::Image img = spec.generate(spec.width, spec.height, text);
        tools::Pixels px = tools::quantize(img, spec.alpha, 0x1234u + static_cast<uint32_t>(written));
        if (!tools::writePng(dir + "/" + spec.file, px, &error)) {
            std::fprintf(stderr, "make_images: %s\n", error.c_str());
            return 1;
        }
        ++written;
    }
    return 0;
}
