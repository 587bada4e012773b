#pragma once
// The production's images: every entry of the texture table, generated procedurally.

#include "Image.h"

#include <string>
#include <vector>

namespace tools {

class TextRaster;

struct TextureSpec {
    std::string file;   // file name under images/
    int width, height;
    bool alpha;         // RGBA instead of RGB
    bool tiles;         // surface texture that must repeat without a seam
    Image (*generate)(int width, int height, TextRaster& text);
};

// All images in the order of the program's texture table (font atlases excluded).
const std::vector<TextureSpec>& textureTable();

// Individual generators (exposed for tests and for looking at them one by one).
Image makeBedrock(int w, int h, TextRaster&);
Image makeBlueDistortion(int w, int h, TextRaster&);
Image makeStone(int w, int h, TextRaster&);
Image makeStoneVariant(int w, int h, TextRaster&);
Image makeSnowyStone(int w, int h, TextRaster&);
Image makeSilverMetal(int w, int h, TextRaster&);
Image makeLizardBump(int w, int h, TextRaster&);
Image makeLizardColour(int w, int h, TextRaster&);
Image makeSolidNoiseBump(int w, int h, TextRaster&);
Image makeTurbulenceLow(int w, int h, TextRaster&);
Image makeTurbulenceHigh(int w, int h, TextRaster&);
Image makeBlack(int w, int h, TextRaster&);
Image makeWhite(int w, int h, TextRaster&);
Image makeLightSpot(int w, int h, TextRaster&);
Image makeReflectionSpot(int w, int h, TextRaster&);
Image makeDotGrid(int w, int h, TextRaster&);
Image makeGlowSprite(int w, int h, TextRaster&);
Image makeTitlePlate(int w, int h, TextRaster&);
Image makeLogoPlate(int w, int h, TextRaster&);

} // namespace tools
