#include "support/OggWriter.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace testsupport {

// Writes an Ogg Vorbis file whose channel c at time t (seconds) is signal(c, t).
void writeOgg(const std::string& path, int channels, int rate, double seconds,
              const std::function<float(int, double)>& signal, int serial) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    ASSERT_EQ(0, vorbis_encode_init_vbr(&vi, channels, rate, 0.5f));
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    ogg_page og;
    ogg_packet op;
    auto writePage = [&] {
        std::fwrite(og.header, 1, og.header_len, f);
        std::fwrite(og.body, 1, og.body_len, f);
    };
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    while (ogg_stream_flush(&os, &og)) writePage();

    const long total = std::lround(seconds * rate);
    long done = 0;
    bool eos = false;
    while (!eos) {
        const long block = std::min<long>(4096, total - done);
        if (block > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, block);
            for (long i = 0; i < block; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = signal(c, static_cast<double>(done + i) / rate);
            done += block;
        }
        vorbis_analysis_wrote(&vd, block > 0 ? block : 0);
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og)) {
                    writePage();
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
}


}  // namespace testsupport
