// Writes the two font atlases, font2.png (with a baked drop shadow) and font3f.png.
// Usage: make_fonts OUTPUT_DIR

#include "resources/ImageFiles.h"
#include "FontAtlas.h"
#include "Png.h"
#include "TextRaster.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    mkdir(dir.c_str(), 0755);
    tools::TextRaster text;
    std::string error;
    if (!text.open(tools::kDefaultFontPath, &error)) {
        std::fprintf(stderr, "make_fonts: %s\n", error.c_str());
        return 1;
    }
    struct Job {
        const char* file;
        tools::AtlasLayout layout;
    } jobs[] = {{imagefiles::kShadowFont, tools::shadowFontLayout()}, {imagefiles::kPlainFont, tools::plainFontLayout()}};
    for (const Job& job : jobs) {
        tools::AtlasResult atlas;
        if (!tools::buildFontAtlas(job.layout, text, &atlas)) {
            std::fprintf(stderr, "make_fonts: glyphs do not fit the layout of %s\n", job.file);
            return 1;
        }
        tools::Pixels px = tools::quantize(atlas.image, true, 0, 0.0f);
        if (!tools::writePng(dir + "/" + job.file, px, &error)) {
            std::fprintf(stderr, "make_fonts: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
