#pragma once
// PNG files through libpng 1.6: 8-bit RGB or RGBA only, which is what the program's reader takes.

#include "Image.h"

#include <string>

namespace tools {

// Writes the pixels (3 or 4 channels) as an 8-bit PNG without time or text chunks, so the
// same pixels always give the same file. Returns false with a message in error on failure.
bool writePng(const std::string& path, const Pixels& px, std::string* error = nullptr);

// Reads an 8-bit RGB or RGBA PNG back. Other formats are refused (false).
struct PngInfo {
    int bitDepth = 0;
    int colourType = 0;
};
bool readPng(const std::string& path, Pixels* px, PngInfo* info = nullptr, std::string* error = nullptr);

} // namespace tools
