#include "resources/PngImage.h"

#include "render/VectorMath.h"

#include <png.h>

#include <cstdio>
#include <new>

namespace {

constexpr int kSignatureBytes = 4;

// Everything the reader acquires, released on every way out of readPngImage. It lives in the
// frame of readPngImage, outside the frame that libpng may leave by longjmp, so nothing in it
// is a local modified between setjmp and longjmp.
struct PngReadState {
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop endInfo = nullptr;

    PngReadState() = default;
    PngReadState(const PngReadState&) = delete;
    PngReadState& operator=(const PngReadState&) = delete;
    ~PngReadState() {
        if (png != nullptr)
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr,
                                    endInfo != nullptr ? &endInfo : nullptr);
        if (file != nullptr) std::fclose(file);
    }
};

// libpng's default handlers print to stderr; the reader reports through its result only.
// The error handler must not return: it goes back to the setjmp in decodeImage.
[[noreturn]] void onPngError(png_structp png, png_const_charp /*message*/) {
    png_longjmp(png, 1);
}

void onPngWarning(png_structp /*png*/, png_const_charp /*message*/) {}

// Decodes the whole image into the info structure. libpng leaves this function by longjmp on
// any error, so it holds no objects with destructors and changes no locals after setjmp.
int decodeImage(PngReadState* state) {
    if (setjmp(png_jmpbuf(state->png))) return TextureResult::ReadError;
    png_init_io(state->png, state->file);
    png_set_sig_bytes(state->png, kSignatureBytes);
    png_set_keep_unknown_chunks(state->png, PNG_HANDLE_CHUNK_AS_DEFAULT, nullptr, 0);
    png_set_user_limits(state->png, kMaxPngImageSide, kMaxPngImageSide);
    png_read_png(state->png, state->info, PNG_TRANSFORM_IDENTITY, nullptr);
    return TextureResult::Ok;
}

unsigned char clampByte(long double v) {
    if (!(v > 0.0L)) return 0;  // also NaN
    if (v >= 255.0L) return 255;
    return static_cast<unsigned char>(v);  // truncates toward zero
}

// The result for every possible byte of one channel.
void buildChannelTable(long double scale, long double bias, unsigned char* table) {
    for (int v = 0; v < 256; ++v) table[v] = clampByte(bias + static_cast<long double>(v) * scale);
}

}  // namespace

std::string textureResultMessage(int code) {
    switch (code) {
    case TextureResult::FileOpenFailed: return "File open failed.";
    case TextureResult::NameExists: return "Texture at given name already exists.";
    case TextureResult::OutOfMemory: return "Not enough memory to read or store the image.";
    case TextureResult::NotPowerOfTwo:
        return "Image width or height are not integer power of two.";
    case TextureResult::FormatNotSupported: return "Image format not supported.";
    case TextureResult::ReadError: return "General error while reading the image.";
    default: return std::string();
    }
}

int readPngImage(const std::string& fileName, std::vector<unsigned char>& outPixels,
                 std::uint32_t& outWidth, std::uint32_t& outHeight, const Vec3* colourScale,
                 const Vec3* colourBias) {
    PngReadState state;
    state.file = std::fopen(fileName.c_str(), "rb");
    if (state.file == nullptr) return TextureResult::FileOpenFailed;

    png_byte signature[kSignatureBytes];
    if (std::fread(signature, 1, kSignatureBytes, state.file) != kSignatureBytes ||
        png_sig_cmp(signature, 0, kSignatureBytes) != 0)
        return TextureResult::FormatNotSupported;

    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
    if (state.png == nullptr) return TextureResult::ReadError;
    state.info = png_create_info_struct(state.png);
    if (state.info == nullptr) return TextureResult::ReadError;
    state.endInfo = png_create_info_struct(state.png);
    if (state.endInfo == nullptr) return TextureResult::ReadError;

    int result = decodeImage(&state);
    if (result != TextureResult::Ok) return result;

    // Only 8-bit RGB and RGBA: the conversion reads one byte per channel and three colour
    // bytes per pixel.
    const png_byte colourType = png_get_color_type(state.png, state.info);
    const png_byte channels = png_get_channels(state.png, state.info);
    if (png_get_bit_depth(state.png, state.info) != 8) return TextureResult::FormatNotSupported;
    if (!(colourType == PNG_COLOR_TYPE_RGB && channels == 3) &&
        !(colourType == PNG_COLOR_TYPE_RGB_ALPHA && channels == 4))
        return TextureResult::FormatNotSupported;

    const std::uint32_t width = png_get_image_width(state.png, state.info);
    const std::uint32_t height = png_get_image_height(state.png, state.info);
    png_bytepp rows = png_get_rows(state.png, state.info);
    if (rows == nullptr || width == 0 || height == 0 ||
        png_get_rowbytes(state.png, state.info) < static_cast<std::size_t>(width) * channels)
        return TextureResult::ReadError;

    std::vector<unsigned char> pixels;
    try {
        pixels.resize(static_cast<std::size_t>(width) * height * 4);
    } catch (const std::bad_alloc&) {
        return TextureResult::OutOfMemory;
    }

    unsigned char table[3][256];
    for (int c = 0; c < 3; ++c) {
        const long double scale = colourScale != nullptr ? (*colourScale)[c] : 1.0f;
        const long double bias =
            colourBias != nullptr ? static_cast<long double>((*colourBias)[c]) * 255.0L : 0.0L;
        buildChannelTable(scale, bias, table[c]);
    }

    unsigned char* out = pixels.data();
    for (std::uint32_t y = 0; y < height; ++y) {
        const png_byte* p = rows[y];
        for (std::uint32_t x = 0; x < width; ++x, p += channels, out += 4) {
            out[0] = table[0][p[0]];
            out[1] = table[1][p[1]];
            out[2] = table[2][p[2]];
            out[3] = channels == 4 ? p[3] : 255;
        }
    }

    outPixels.swap(pixels);
    outWidth = width;
    outHeight = height;
    return TextureResult::Ok;
}
