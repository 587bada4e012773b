// Writes a few small Ogg Vorbis files (mono and stereo, a few rates) as the seed corpus of the
// sound layer's fuzz target.
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

bool writeSeed(const std::string& path, int channels, int rate, double seconds, double hz) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.1f) != 0) return false;
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 7);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    ogg_page og;
    ogg_packet op, header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    while (ogg_stream_flush(&os, &og)) {
        std::fwrite(og.header, 1, og.header_len, f);
        std::fwrite(og.body, 1, og.body_len, f);
    }
    const long total = std::lround(seconds * rate);
    long done = 0;
    bool eos = false;
    while (!eos) {
        long block = total - done < 1024 ? total - done : 1024;
        if (block > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, block);
            for (long i = 0; i < block; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = static_cast<float>(
                        0.4 * std::sin(2 * 3.14159265358979 * hz * (c + 1) * (done + i) / rate));
            done += block;
        }
        vorbis_analysis_wrote(&vd, block > 0 ? block : 0);
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og)) {
                    std::fwrite(og.header, 1, og.header_len, f);
                    std::fwrite(og.body, 1, og.body_len, f);
                    if (ogg_page_eos(&og)) eos = true;
                }
            }
        }
    }
    std::fclose(f);
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_ogg_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = writeSeed(dir + "/mono_22k.ogg", 1, 22050, 0.2, 440) &&
              writeSeed(dir + "/stereo_44k.ogg", 2, 44100, 0.3, 1000) &&
              writeSeed(dir + "/stereo_8k_short.ogg", 2, 8000, 0.05, 300);
    return ok ? 0 : 1;
}
