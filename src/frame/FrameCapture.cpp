#include "frame/FrameCapture.h"

#include <GL/glew.h>
#include <dirent.h>
#include <png.h>
#include <sys/stat.h>

#include <algorithm>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

void readBackBuffer(int width, int height, std::vector<uint8_t>* pixels) {
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> bottomUp(rowBytes * static_cast<size_t>(height));
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    pixels->resize(bottomUp.size());
    for (int y = 0; y < height; ++y)
        std::memcpy(pixels->data() + rowBytes * static_cast<size_t>(y),
                    bottomUp.data() + rowBytes * static_cast<size_t>(height - 1 - y), rowBytes);
}

namespace {
void pngError(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    if (error != nullptr) *error = message;
    png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}
}  // namespace

bool writeRgbPng(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels,
                 std::string* error) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    std::string pngMessage;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &pngMessage, pngError, pngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        *error = path + ": out of memory";
        return false;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] =
            const_cast<png_bytep>(pixels.data() + static_cast<size_t>(y) * width * 3);
    volatile bool ok = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, 3);
        png_write_info(png, info);
        png_write_image(png, rows.data());
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) *error = path + ": " + (pngMessage.empty() ? "write failed" : pngMessage);
    return ok;
}

std::string captureFrameName(const std::string& dir, int k) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", k);
    return dir + "/" + name;
}

std::vector<std::string> captureFramesIn(const std::string& dir) {
    std::vector<std::string> frames;
    DIR* folder = opendir(dir.c_str());
    if (folder == nullptr) return frames;
    const std::string prefix = "frame-", suffix = ".png";
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.size() < prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string path = dir + "/" + name;
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) frames.push_back(path);
    }
    closedir(folder);
    std::sort(frames.begin(), frames.end());
    return frames;
}

int captureFrameTime(int fromMs, int k, int fps) {
    return fromMs + static_cast<int>(static_cast<long long>(k) * 1000 / fps);
}
