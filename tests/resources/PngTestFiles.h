#pragma once
// Writing small PNG files for the tests, with libpng, in every colour type and bit depth the
// reader has to accept or reject.
#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace pngtest {

struct PngSpec {
    int width = 1;
    int height = 1;
    int colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    int bitDepth = 8;
    bool interlaced = false;
};

// Writes bytes: rows one after another, png_get_rowbytes per row (for 16-bit data, big-endian
// sample pairs). Palette images get a 256-entry grey palette. Returns false on any libpng error.
inline bool writePng(const std::string& path, const PngSpec& spec,
                     const std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    // Only heap objects and unmodified locals cross the setjmp.
    std::vector<png_bytep>* rows = new std::vector<png_bytep>();
    volatile bool ok = false;
    if (info != nullptr && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colourType,
                     spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (spec.colourType == PNG_COLOR_TYPE_PALETTE) {
            png_color palette[256];
            for (int i = 0; i < 256; ++i)
                palette[i].red = palette[i].green = palette[i].blue = static_cast<png_byte>(i);
            png_set_PLTE(png, info, palette, 256);
        }
        png_write_info(png, info);
        const std::size_t rowBytes = png_get_rowbytes(png, info);
        if (bytes.size() >= rowBytes * static_cast<std::size_t>(spec.height)) {
            for (int y = 0; y < spec.height; ++y)
                rows->push_back(const_cast<png_bytep>(bytes.data()) + rowBytes * y);
            png_write_image(png, rows->data());
            png_write_end(png, nullptr);
            ok = true;
        }
    }
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    delete rows;
    std::fclose(file);
    return ok;
}

inline std::vector<unsigned char> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

inline void writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Byte offset of the data of the first chunk of the given type, or 0.
inline std::size_t chunkDataOffset(const std::vector<unsigned char>& file, const char* type) {
    std::size_t pos = 8;
    while (pos + 8 <= file.size()) {
        const std::size_t length = (std::size_t(file[pos]) << 24) |
                                   (std::size_t(file[pos + 1]) << 16) |
                                   (std::size_t(file[pos + 2]) << 8) | std::size_t(file[pos + 3]);
        if (std::equal(type, type + 4, file.begin() + static_cast<long>(pos + 4))) return pos + 8;
        pos += 12 + length;
    }
    return 0;
}

// A fresh directory per test, removed with its files at the end.
class TempDir {
public:
    TempDir() {
        std::string pattern = ::testing::TempDir() + "verdanth_png_XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) != nullptr) path_ = buffer.data();
    }
    ~TempDir() {
        for (const std::string& f : files_) std::remove(f.c_str());
        if (!path_.empty()) rmdir(path_.c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // A path inside the directory; the file (if the test makes it) is removed with it.
    std::string file(const std::string& name) {
        files_.push_back(path_ + "/" + name);
        return files_.back();
    }
    bool ok() const { return !path_.empty(); }

private:
    std::string path_;
    std::vector<std::string> files_;
};

}  // namespace pngtest
