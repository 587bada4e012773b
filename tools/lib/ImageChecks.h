#pragma once
// Checks on written images: sizes, formats, seamless tiling and font glyph placement.

#include "FontAtlas.h"
#include "Image.h"

namespace tools {

bool isPowerOfTwo(int v);

// Mean absolute difference (over all channels) between neighbouring pixels across the wrap
// seams (last column to first, last row to first), and the same between neighbours inside.
struct SeamStats {
    double seam = 0, inside = 0;
    double ratio() const { return inside > 0 ? seam / inside : (seam > 0 ? 1e9 : 1.0); }
};
SeamStats seamStats(const Pixels& px);

// Per-glyph placement: alpha centroid and ink box of each character's cell region.
struct GlyphPlacement {
    int code = 0;
    bool hasInk = false;
    float centroidX = 0, centroidY = 0;   // pixels, continuous coordinates
    float inkLeft = 0, inkTop = 0, inkRight = 0, inkBottom = 0;  // ink box, pixels
};
// Looks at the pixels around each cell centre (one pitch wide and high) of an RGBA atlas.
std::vector<GlyphPlacement> measureGlyphs(const Pixels& atlas, const AtlasLayout& layout);

} // namespace tools
