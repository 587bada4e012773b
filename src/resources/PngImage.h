#pragma once
// PNG files to tightly packed 8-bit RGBA pixels, with an optional colour scale and bias, and the
// result codes shared by image reading and texture loading.
#include <cstdint>
#include <string>
#include <vector>

struct Vec3;

// Result codes of readPngImage and TextureManager::load; 0 is success.
namespace TextureResult {
enum Code : int {
    Ok = 0,
    FileOpenFailed = 1,
    NameExists = 2,
    OutOfMemory = 3,
    NotPowerOfTwo = 4,
    FormatNotSupported = 5,
    ReadError = 6,
};
}  // namespace TextureResult

// The message of a result code; the empty string for 0 and for unknown codes.
std::string textureResultMessage(int code);

// Largest width or height accepted. A damaged header could otherwise claim an image of a
// million by a million pixels and make the decoder allocate terabytes before failing.
constexpr std::uint32_t kMaxPngImageSide = 16384;

// Reads an 8-bit RGB or RGBA PNG. On success outPixels holds width * height * 4 bytes, rows
// one after another with the first row of the file first, and the result is TextureResult::Ok.
// Red, green and blue become trunc(bias * 255 + value * scale) clamped to 0..255 (a null scale
// counts as (1, 1, 1), a null bias as (0, 0, 0)); alpha is copied unchanged, and RGB images get
// alpha 255. On failure nothing is written to the outputs:
//   FileOpenFailed      the file cannot be opened;
//   FormatNotSupported  not a PNG signature, or not 8-bit RGB / RGBA (grey, palette, 16-bit);
//   OutOfMemory         the pixel buffer cannot be allocated;
//   ReadError           a damaged or truncated stream, or an image side above kMaxPngImageSide.
// Prints nothing.
int readPngImage(const std::string& fileName, std::vector<unsigned char>& outPixels,
                 std::uint32_t& outWidth, std::uint32_t& outHeight,
                 const Vec3* colourScale = nullptr, const Vec3* colourBias = nullptr);
