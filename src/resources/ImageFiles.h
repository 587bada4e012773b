#pragma once
// Every image the production reads from ./images/, by file name: the one list of them. The
// content tools make exactly these (their tables are checked against it), the build names them
// as its outputs (tools/CMakeLists.txt reads both lists from this file), and the program loads
// them from here.
namespace imagefiles {

// Made by make_images, loaded by the production's texture table.
const char* const kTextures[] = {
    "alkua2.png",
    "kallios.png",
    "bluedist.png",
    "kivio.png",
    "kivios.png",
    "kivilumi.png",
    "hopmet.png",
    "lizzardskinbump.png",
    "lizzardskinp.png",
    "solidnoisebump.png",
    "noiseturblow.png",
    "noiseturbhi.png",
    "black.png",
    "white.png",
    "bill.png",
    "billbig.png",
    "pilkut.png",
    "plexi.png",
    "tyyper.png",
};

// Made by make_fonts: the engine's fonts with and without a baked shadow.
const char* const kFonts[] = {
    "font2.png",
    "font3f.png",
};
const char* const kShadowFont = kFonts[0];
const char* const kPlainFont = kFonts[1];

// Where the program finds a file of these lists.
inline const char* const kFolder = "./images/";

}  // namespace imagefiles
