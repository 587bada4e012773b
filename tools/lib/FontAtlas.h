#pragma once
// Bitmap font atlases: glyphs of ASCII 32..127 placed on the program's 16-column grid.

#include "Image.h"
#include "TextRaster.h"

#include <vector>

namespace tools {

struct AtlasLayout {
    int firstChar = 32;
    int lastChar = 127;   // 127 (delete) has a cell but no ink
    int columns = 16;
    int textureWidth = 0, textureHeight = 0;
    float originX = 0, originY = 0;   // centre of cell 0 in pixels, from the image's top-left corner
    float pitchX = 0, pitchY = 0;     // distance between neighbouring cell centres
    float glyphWidth = 0, glyphHeight = 0;  // the part of a cell the text renderer draws
    bool shadow = false;
    int shadowOffset = 2;   // shadow shift to the right and down, pixels
    int shadowBlur = 2;     // box radius, applied twice
    float shadowStrength = 0.8f;
    int margin = 1;         // pixels kept free inside the glyph box
    float condense = 0.9f;  // horizontal scale of every glyph: a slightly condensed bold
    // The size is chosen so these glyphs fit the box at the condensed width; wider glyphs
    // (m, W, @ ...) are narrowed further, each just enough to fit.
    const char* sizingGlyphs = "HNOUAD";

    // Centre of the cell holding character code c, in pixels (continuous coordinates).
    float cellCentreX(int c) const;
    float cellCentreY(int c) const;
};

// "basicOutputFont" (with the baked shadow) and "basicOutputFontNoShadow" (twice the size).
AtlasLayout shadowFontLayout();
AtlasLayout plainFontLayout();

// The engine's two font atlases: the image file each is written to and its layout.
struct FontAtlasFile {
    const char* file;
    AtlasLayout layout;
};
std::vector<FontAtlasFile> engineFontAtlases();

struct AtlasResult {
    Image image;
    int pixelSize = 0;
};

// Picks the largest pixel size at which every glyph and its shadow fit the glyph box,
// centres each glyph's footprint on its cell centre on one shared baseline, and returns
// white glyphs with the coverage (and shadow) in alpha.
bool buildFontAtlas(const AtlasLayout& layout, TextRaster& raster, AtlasResult* out);

} // namespace tools
