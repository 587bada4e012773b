#include "OggWriter.h"

#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tools {

namespace {

bool writePage(FILE* f, const ogg_page& page) {
    return fwrite(page.header, 1, static_cast<size_t>(page.header_len), f) == static_cast<size_t>(page.header_len) &&
           fwrite(page.body, 1, static_cast<size_t>(page.body_len), f) == static_cast<size_t>(page.body_len);
}

} // namespace

bool writeOggVorbis(const std::string& path, const OggEncoding& e, std::string* error) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        if (error) *error = "cannot open " + path + " for writing";
        return false;
    }
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, e.channels, e.sampleRate, e.quality) != 0) {
        vorbis_info_clear(&vi);
        fclose(f);
        if (error) *error = "vorbis_encode_init_vbr refused the settings";
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    for (const auto& comment : e.comments)
        vorbis_comment_add_tag(&vc, comment.first.c_str(), comment.second.c_str());
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, e.serial);

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&vd, &vc, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &headerComment);
    ogg_stream_packetin(&os, &headerCode);
    ogg_page page;
    bool ok = true;
    while (ogg_stream_flush(&os, &page) != 0) ok = ok && writePage(f, page);

    const long chunk = 4096;
    long pos = 0;
    bool eos = false;
    while (!eos) {
        const long n = std::min(chunk, e.frames - pos);
        if (n <= 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (int c = 0; c < e.channels; ++c)
                for (long i = 0; i < n; ++i) buf[c][i] = e.sample(c, pos + i);
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            pos += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (!eos && ogg_stream_pageout(&os, &page) != 0) {
                    ok = ok && writePage(f, page);
                    if (ogg_page_eos(&page)) eos = true;
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    if (fclose(f) != 0) ok = false;
    if (!ok && error) *error = "write failed for " + path;
    return ok;
}

bool writeOggVorbis(const std::string& path, const Stereo& audio, int sampleRate, float quality,
                    std::string* error) {
    OggEncoding e;
    e.channels = 2;
    e.sampleRate = sampleRate;
    e.quality = quality;
    e.frames = static_cast<long>(audio.size());
    e.serial = 0x5652444e;
    e.comments = {{"TITLE", "Qorvanel"}, {"ARTIST", "ORVEL"}};
    e.sample = [&audio](int channel, long frame) {
        return (channel == 0 ? audio.left : audio.right)[static_cast<size_t>(frame)];
    };
    return writeOggVorbis(path, e, error);
}

bool readOggVorbis(const std::string& path, DecodedAudio* out, std::string* error) {
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) {
        if (error) *error = "cannot open " + path + " as Ogg Vorbis";
        return false;
    }
    vorbis_info* vi = ov_info(&vf, -1);
    out->channels = vi->channels;
    out->sampleRate = vi->rate;
    out->audio.left.clear();
    out->audio.right.clear();
    int section = 0;
    for (;;) {
        float** pcm = nullptr;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n == 0) break;
        if (n < 0) {
            ov_clear(&vf);
            if (error) *error = "decode error in " + path;
            return false;
        }
        for (long i = 0; i < n; ++i) {
            out->audio.left.push_back(pcm[0][i]);
            out->audio.right.push_back(vi->channels > 1 ? pcm[1][i] : pcm[0][i]);
        }
    }
    ov_clear(&vf);
    return true;
}

} // namespace tools
