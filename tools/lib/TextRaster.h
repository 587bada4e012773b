#pragma once
// Glyph and text rasterisation with FreeType into coverage maps.

#include "Image.h"

#include <string>

namespace tools {

extern const char* const kDefaultFontPath;  // DejaVu Sans Bold

// Ink box of a glyph in pixels, relative to the pen position on the baseline,
// x to the right and y upwards (FreeType's convention).
struct InkBox {
    float left = 0, right = 0, bottom = 0, top = 0;
    bool empty = true;
    float width() const { return right - left; }
    float height() const { return top - bottom; }
};

class TextRaster {
public:
    TextRaster();
    ~TextRaster();
    TextRaster(const TextRaster&) = delete;
    TextRaster& operator=(const TextRaster&) = delete;

    bool open(const std::string& fontPath, std::string* error = nullptr);
    bool isOpen() const { return face_ != nullptr; }
    void setPixelSize(int px);
    int pixelSize() const { return px_; }
    // Horizontal scale applied to every glyph loaded afterwards (1 = the font's own shapes).
    void setHorizontalScale(float sx);
    float horizontalScale() const { return sx_; }

    // Ink box of one character as rasterised at this size (empty for blank glyphs).
    InkBox glyphInk(unsigned char c) const;
    // Horizontal advance of a character in pixels.
    float advance(unsigned char c) const;
    // Ink box of a whole line of text laid out with kerning from pen x = 0.
    InkBox textInk(const std::string& text) const;

    // Adds the coverage (0..1) of character c with its pen at (penX, baselineY) in image
    // coordinates (y down); fractional positions are honoured. Coverage combines with max.
    void drawGlyph(Map& dst, unsigned char c, float penX, float baselineY) const;
    // Draws a line of text with kerning; returns the pen position after it.
    float drawText(Map& dst, const std::string& text, float penX, float baselineY) const;

private:
    float kerning(unsigned char a, unsigned char b) const;
    void* library_ = nullptr;  // FT_Library
    void* face_ = nullptr;     // FT_Face
    int px_ = 0;
    float sx_ = 1.0f;
};

} // namespace tools
