#include "Png.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>

namespace tools {

namespace {

struct File {
    FILE* f = nullptr;
    ~File() {
        if (f) fclose(f);
    }
};

void setError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

} // namespace

bool writePng(const std::string& path, const Pixels& px, std::string* error) {
    if (px.channels != 3 && px.channels != 4) {
        setError(error, "only 3 or 4 channels can be written");
        return false;
    }
    if (px.width <= 0 || px.height <= 0 ||
        px.bytes.size() != static_cast<size_t>(px.width) * px.height * px.channels) {
        setError(error, "pixel buffer does not match its size");
        return false;
    }
    File file;
    file.f = fopen(path.c_str(), "wb");
    if (!file.f) {
        setError(error, "cannot open " + path + " for writing");
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) {
        setError(error, "png_create_write_struct failed");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        setError(error, "png_create_info_struct failed");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        setError(error, "libpng error while writing " + path);
        return false;
    }
    png_init_io(png, file.f);
    png_set_compression_level(png, 6);
    png_set_IHDR(png, info, static_cast<png_uint_32>(px.width), static_cast<png_uint_32>(px.height), 8,
                 px.channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < px.height; ++y)
        png_write_row(png, const_cast<png_bytep>(px.pixel(0, y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (fflush(file.f) != 0) {
        setError(error, "write failed for " + path);
        return false;
    }
    return true;
}

bool readPng(const std::string& path, Pixels* px, PngInfo* infoOut, std::string* error) {
    File file;
    file.f = fopen(path.c_str(), "rb");
    if (!file.f) {
        setError(error, "cannot open " + path);
        return false;
    }
    unsigned char sig[8];
    if (fread(sig, 1, 8, file.f) != 8 || png_sig_cmp(sig, 0, 8) != 0) {
        setError(error, path + " is not a PNG file");
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) {
        setError(error, "png_create_read_struct failed");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        setError(error, "png_create_info_struct failed");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        setError(error, "libpng error while reading " + path);
        return false;
    }
    png_init_io(png, file.f);
    png_set_sig_bytes(png, 8);
    png_read_png(png, info, 0, nullptr);
    int depth = png_get_bit_depth(png, info);
    int type = png_get_color_type(png, info);
    if (infoOut) {
        infoOut->bitDepth = depth;
        infoOut->colourType = type;
    }
    if (depth != 8 || (type != PNG_COLOR_TYPE_RGB && type != PNG_COLOR_TYPE_RGBA)) {
        png_destroy_read_struct(&png, &info, nullptr);
        setError(error, path + " is not 8-bit RGB or RGBA");
        return false;
    }
    px->width = static_cast<int>(png_get_image_width(png, info));
    px->height = static_cast<int>(png_get_image_height(png, info));
    px->channels = type == PNG_COLOR_TYPE_RGBA ? 4 : 3;
    px->bytes.resize(static_cast<size_t>(px->width) * px->height * px->channels);
    png_bytepp rows = png_get_rows(png, info);
    size_t rowBytes = static_cast<size_t>(px->width) * px->channels;
    for (int y = 0; y < px->height; ++y)
        std::copy(rows[y], rows[y] + rowBytes, px->pixel(0, y));
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace tools
