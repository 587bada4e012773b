// Writes the two font atlases, font2.png (with a baked drop shadow) and font3f.png.
// Usage: make_fonts OUTPUT_DIR

#include "ToolArgs.h"
#include "FontAtlas.h"
#include "Png.h"
#include "TextRaster.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    std::string dir;
    if (!tools::outputFolder(argc, argv, "", &dir)) return 2;
    tools::TextRaster text;
    std::string error;
    if (!text.open(tools::kDefaultFontPath, &error)) {
        std::fprintf(stderr, "make_fonts: %s\n", error.c_str());
        return 1;
    }
    for (const tools::FontAtlasFile& job : tools::engineFontAtlases()) {
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
