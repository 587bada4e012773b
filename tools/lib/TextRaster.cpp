#include "TextRaster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>

namespace tools {

const char* const kDefaultFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

namespace {
// Outlines are rendered unhinted so that sub-pixel placement keeps every glyph's shape.
const FT_Int32 kLoadFlags = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;
}

TextRaster::TextRaster() {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) == 0) library_ = lib;
}

TextRaster::~TextRaster() {
    if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool TextRaster::open(const std::string& fontPath, std::string* error) {
    if (!library_) {
        if (error) *error = "FreeType could not be initialised";
        return false;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(static_cast<FT_Library>(library_), fontPath.c_str(), 0, &face) != 0) {
        if (error) *error = "cannot open font " + fontPath;
        return false;
    }
    if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
    face_ = face;
    setPixelSize(32);
    setHorizontalScale(sx_);
    return true;
}

void TextRaster::setPixelSize(int px) {
    px_ = px;
    if (face_) FT_Set_Pixel_Sizes(static_cast<FT_Face>(face_), 0, static_cast<FT_UInt>(px));
}

void TextRaster::setHorizontalScale(float sx) {
    sx_ = sx;
    if (!face_) return;
    FT_Matrix m;
    m.xx = static_cast<FT_Fixed>(std::lround(sx * 65536.0f));
    m.xy = 0;
    m.yx = 0;
    m.yy = 0x10000;
    FT_Set_Transform(static_cast<FT_Face>(face_), &m, nullptr);
}

float TextRaster::advance(unsigned char c) const {
    FT_Face face = static_cast<FT_Face>(face_);
    if (!face || FT_Load_Char(face, c, kLoadFlags) != 0) return 0.0f;
    return face->glyph->advance.x / 64.0f;
}

float TextRaster::kerning(unsigned char a, unsigned char b) const {
    FT_Face face = static_cast<FT_Face>(face_);
    if (!face || !FT_HAS_KERNING(face)) return 0.0f;
    FT_Vector k;
    if (FT_Get_Kerning(face, FT_Get_Char_Index(face, a), FT_Get_Char_Index(face, b), FT_KERNING_UNFITTED, &k) != 0)
        return 0.0f;
    return k.x / 64.0f * sx_;
}

InkBox TextRaster::glyphInk(unsigned char c) const {
    InkBox box;
    FT_Face face = static_cast<FT_Face>(face_);
    if (!face || FT_Load_Char(face, c, kLoadFlags | FT_LOAD_RENDER) != 0) return box;
    const FT_Bitmap& bm = face->glyph->bitmap;
    int minX = INT32_MAX, maxX = -1, minY = INT32_MAX, maxY = -1;
    for (unsigned y = 0; y < bm.rows; ++y)
        for (unsigned x = 0; x < bm.width; ++x)
            if (bm.buffer[y * bm.pitch + x] > 0) {
                minX = std::min(minX, static_cast<int>(x));
                maxX = std::max(maxX, static_cast<int>(x));
                minY = std::min(minY, static_cast<int>(y));
                maxY = std::max(maxY, static_cast<int>(y));
            }
    if (maxX < 0) return box;
    box.empty = false;
    box.left = static_cast<float>(face->glyph->bitmap_left + minX);
    box.right = static_cast<float>(face->glyph->bitmap_left + maxX + 1);
    box.top = static_cast<float>(face->glyph->bitmap_top - minY);
    box.bottom = static_cast<float>(face->glyph->bitmap_top - maxY - 1);
    return box;
}

InkBox TextRaster::textInk(const std::string& text) const {
    InkBox all;
    float pen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (i > 0) pen += kerning(static_cast<unsigned char>(text[i - 1]), c);
        InkBox g = glyphInk(c);
        if (!g.empty) {
            if (all.empty) {
                all = g;
                all.left += pen;
                all.right += pen;
            } else {
                all.left = std::min(all.left, g.left + pen);
                all.right = std::max(all.right, g.right + pen);
                all.bottom = std::min(all.bottom, g.bottom);
                all.top = std::max(all.top, g.top);
            }
        }
        pen += advance(c);
    }
    return all;
}

void TextRaster::drawGlyph(Map& dst, unsigned char c, float penX, float baselineY) const {
    FT_Face face = static_cast<FT_Face>(face_);
    if (!face || FT_Load_Char(face, c, kLoadFlags) != 0) return;
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return;
    float ix = std::floor(penX), iy = std::floor(baselineY);
    // Image y grows downwards, FreeType's upwards: a fraction down the image is a negative shift.
    FT_Outline_Translate(&face->glyph->outline, static_cast<FT_Pos>(std::lround((penX - ix) * 64.0f)),
                         -static_cast<FT_Pos>(std::lround((baselineY - iy) * 64.0f)));
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return;
    const FT_Bitmap& bm = face->glyph->bitmap;
    int ox = static_cast<int>(ix) + face->glyph->bitmap_left;
    int oy = static_cast<int>(iy) - face->glyph->bitmap_top;
    for (unsigned y = 0; y < bm.rows; ++y)
        for (unsigned x = 0; x < bm.width; ++x) {
            int dx = ox + static_cast<int>(x), dy = oy + static_cast<int>(y);
            if (dx < 0 || dy < 0 || dx >= dst.width() || dy >= dst.height()) continue;
            float v = bm.buffer[y * bm.pitch + x] / 255.0f;
            float& d = dst.at(dx, dy);
            d = std::max(d, v);
        }
}

float TextRaster::drawText(Map& dst, const std::string& text, float penX, float baselineY) const {
    float pen = penX;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (i > 0) pen += kerning(static_cast<unsigned char>(text[i - 1]), c);
        drawGlyph(dst, c, pen, baselineY);
        pen += advance(c);
    }
    return pen;
}

} // namespace tools
