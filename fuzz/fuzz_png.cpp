// libFuzzer target for readPngImage: every input is written to a private temporary file and
// read back with one of a few colour scale and bias settings. The chunk checksums of most
// inputs are recomputed first, so that mutations reach the decoder instead of stopping at the
// CRC check (the decoder is not instrumented, so the fuzzer cannot find its way past it). Besides the sanitizers' checks,
// it aborts when a result breaks the reader's contract (buffer size on success, untouched
// outputs and a known code on failure).
#include "render/VectorMath.h"
#include "resources/PngImage.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <unistd.h>
#include <vector>

#include <zlib.h>

namespace {

std::string gPath;

void removeTempFile() {
    if (!gPath.empty()) unlink(gPath.c_str());
}

const std::string& tempPath() {
    if (gPath.empty()) {
        const char* dir = std::getenv("TMPDIR");
        std::string pattern = std::string(dir != nullptr ? dir : "/tmp") + "/fuzz_png_XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const int fd = mkstemp(buffer.data());
        if (fd < 0) std::abort();
        close(fd);
        gPath = buffer.data();
        std::atexit(removeTempFile);
    }
    return gPath;
}

std::uint32_t readBigEndian(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

// Walks the chunks after the 8-byte signature and rewrites each complete chunk's CRC.
void fixChunkCrcs(std::vector<std::uint8_t>& file) {
    std::size_t pos = 8;
    while (pos + 12 <= file.size()) {
        const std::size_t length = readBigEndian(&file[pos]);
        if (length > file.size() - pos - 12) break;
        const std::uint32_t crc = static_cast<std::uint32_t>(
            crc32(0L, &file[pos + 4], static_cast<uInt>(length + 4)));
        std::uint8_t* out = &file[pos + 8 + length];
        out[0] = static_cast<std::uint8_t>(crc >> 24);
        out[1] = static_cast<std::uint8_t>(crc >> 16);
        out[2] = static_cast<std::uint8_t>(crc >> 8);
        out[3] = static_cast<std::uint8_t>(crc);
        pos += 12 + length;
    }
}

struct Adjustment {
    bool hasScale, hasBias;
    Vec3 scale, bias;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = tempPath();
    std::vector<std::uint8_t> bytes(data, data + size);
    // One input length in eight keeps its checksums as they are.
    if (size % 8 != 7) fixChunkCrcs(bytes);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(bytes.data(), 1, size, file) != size) std::abort();
    std::fclose(file);

    const float inf = std::numeric_limits<float>::infinity();
    const Adjustment adjustments[] = {
        {false, false, Vec3(), Vec3()},
        {true, true, Vec3(0.5f, 0.5f, 0.5f), Vec3(0.5f, 0.5f, 0.5f)},
        {true, false, Vec3(2.0f, -3.0f, 1e30f), Vec3()},
        {true, true, Vec3(inf, -inf, std::nanf("")), Vec3(-inf, inf, std::nanf(""))},
    };
    // The choice comes from the input's length, so the file itself stays as the fuzzer made it.
    const Adjustment& a = adjustments[size % 4];

    const std::vector<unsigned char> sentinel = {1, 2, 3};
    std::vector<unsigned char> pixels = sentinel;
    std::uint32_t width = 7, height = 9;
    const int result = readPngImage(path, pixels, width, height, a.hasScale ? &a.scale : nullptr,
                                     a.hasBias ? &a.bias : nullptr);
    if (result == TextureResult::Ok) {
        if (width == 0 || height == 0 || width > kMaxPngImageSide || height > kMaxPngImageSide)
            std::abort();
        if (pixels.size() != static_cast<std::size_t>(width) * height * 4) std::abort();
    } else {
        if (result < TextureResult::FileOpenFailed || result > TextureResult::ReadError)
            std::abort();
        if (pixels != sentinel || width != 7 || height != 9) std::abort();
    }
    return 0;
}
