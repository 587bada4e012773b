// Writes the seed corpus of the PNG fuzz target: small images in every colour type, bit depth
// and interlace mode, some with ancillary chunks. Usage: make_png_seeds <output directory>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Seed {
    const char* name;
    int width, height, colourType, bitDepth;
    bool interlaced;
    bool extraChunks;  // text, gamma, transparency and an unknown private chunk
};

bool writeSeed(const std::string& path, const Seed& s) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<unsigned char>* data = new std::vector<unsigned char>();
    std::vector<png_bytep>* rows = new std::vector<png_bytep>();
    volatile bool ok = false;
    if (!setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colourType,
                     s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (s.colourType == PNG_COLOR_TYPE_PALETTE) {
            png_color palette[16];
            for (int i = 0; i < 16; ++i) {
                palette[i].red = static_cast<png_byte>(i * 16);
                palette[i].green = static_cast<png_byte>(255 - i * 16);
                palette[i].blue = static_cast<png_byte>(i * 7);
            }
            png_set_PLTE(png, info, palette, 16);
        }
        if (s.extraChunks) {
            png_text text;
            text.compression = PNG_TEXT_COMPRESSION_NONE;
            text.key = const_cast<png_charp>("Comment");
            text.text = const_cast<png_charp>("seed");
            text.text_length = 4;
            png_set_text(png, info, &text, 1);
            png_set_gAMA(png, info, 0.45455);
            if (s.colourType == PNG_COLOR_TYPE_RGB) {
                png_color_16 key = {0, 10, 20, 30, 0};
                png_set_tRNS(png, info, nullptr, 0, &key);
            }
            png_unknown_chunk chunk;
            const char name[5] = "vrDh";  // private, ancillary, safe to copy
            for (int i = 0; i < 5; ++i) chunk.name[i] = static_cast<png_byte>(name[i]);
            png_byte payload[3] = {1, 2, 3};
            chunk.data = payload;
            chunk.size = sizeof payload;
            chunk.location = PNG_HAVE_IHDR;
            png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_ALWAYS, nullptr, 0);
            png_set_unknown_chunks(png, info, &chunk, 1);
        }
        png_write_info(png, info);
        const std::size_t rowBytes = png_get_rowbytes(png, info);
        data->resize(rowBytes * s.height);
        // Palette bytes hold two 4-bit indices; both stay inside the 16 entries.
        const unsigned mask = s.colourType == PNG_COLOR_TYPE_PALETTE ? 0x0Fu : 0xFFu;
        for (std::size_t i = 0; i < data->size(); ++i)
            (*data)[i] = static_cast<unsigned char>((i * 29 + 3) & mask);
        for (int y = 0; y < s.height; ++y) rows->push_back(data->data() + rowBytes * y);
        png_write_image(png, rows->data());
        png_write_end(png, info);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    delete rows;
    delete data;
    std::fclose(file);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
        return 2;
    }
    const Seed seeds[] = {
        {"rgb_1x1", 1, 1, PNG_COLOR_TYPE_RGB, 8, false, false},
        {"rgba_3x2", 3, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false},
        {"rgba_9x7_adam7", 9, 7, PNG_COLOR_TYPE_RGB_ALPHA, 8, true, false},
        {"rgb_5x4_chunks", 5, 4, PNG_COLOR_TYPE_RGB, 8, false, true},
        {"rgba_4x4_chunks_adam7", 4, 4, PNG_COLOR_TYPE_RGB_ALPHA, 8, true, true},
        {"grey_4x4", 4, 4, PNG_COLOR_TYPE_GRAY, 8, false, false},
        {"grey_alpha_3x3", 3, 3, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false},
        {"palette_4x4", 4, 4, PNG_COLOR_TYPE_PALETTE, 4, false, false},
        {"rgb16_2x2", 2, 2, PNG_COLOR_TYPE_RGB, 16, false, false},
        {"rgba16_2x3_adam7", 2, 3, PNG_COLOR_TYPE_RGB_ALPHA, 16, true, false},
        {"grey1_8x2", 8, 2, PNG_COLOR_TYPE_GRAY, 1, false, false},
    };
    int failures = 0;
    for (const Seed& s : seeds) {
        const std::string path = std::string(argv[1]) + "/" + s.name + ".png";
        if (!writeSeed(path, s)) {
            std::fprintf(stderr, "could not write %s\n", path.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
