// Measures the generated content against its bars and prints the figures.
//   content_check audio FILE.ogg   tempo, and the 5.5-16.5 kHz band the spectrum scenes watch
//   content_check images DIR       formats, sizes, seamless tiling, font glyph placement
// Exit status: the number of bars missed (0 = all met).

#include "Analysis.h"
#include "FontAtlas.h"
#include "ImageChecks.h"
#include "OggWriter.h"
#include "Png.h"
#include "Textures.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int failures = 0;

void bar(bool ok, const char* what, const std::string& detail) {
    std::printf("%-5s %-48s %s\n", ok ? "ok" : "FAIL", what, detail.c_str());
    if (!ok) ++failures;
}

std::string fmt(const char* f, double a, double b = 0, double c = 0) {
    char buf[256];
    std::snprintf(buf, sizeof buf, f, a, b, c);
    return buf;
}

std::vector<float> slice(const std::vector<float>& v, double frameSec, double from, double to) {
    size_t a = static_cast<size_t>(from / frameSec), b = std::min(v.size(), static_cast<size_t>(to / frameSec));
    return a < b ? std::vector<float>(v.begin() + static_cast<long>(a), v.begin() + static_cast<long>(b))
                 : std::vector<float>();
}

void bandReport(const char* name, const std::vector<float>& env, double frameSec) {
    std::vector<float> body = slice(env, frameSec, 3.0, 251.0);
    float median = tools::quantile(body, 0.5f), p95 = tools::quantile(body, 0.95f);
    bar(median > 0 && p95 / median >= 3.0f, (std::string(name) + ": 95th percentile / median >= 3").c_str(),
        fmt("%.2f", median > 0 ? p95 / median : 0.0));
    // Energy in every 2 s window after the intro.
    double worst = 1e9, worstAt = 0;
    for (double t = 3.0; t + 2.0 <= 251.0; t += 2.0) {
        std::vector<float> w = slice(env, frameSec, t, t + 2.0);
        double m = 0;
        for (float v : w) m += v;
        m /= std::max<size_t>(1, w.size());
        double rel = 20.0 * std::log10(std::max(1e-12, m / std::max(1e-12f, median)));
        if (rel < worst) {
            worst = rel;
            worstAt = t;
        }
    }
    bar(worst > -30.0, (std::string(name) + ": energy in every 2 s window").c_str(),
        fmt("weakest window %.1f dB re median at %.0f s", worst, worstAt));
    // Pulse with the beat in the two music-driven scenes.
    for (double from : {55.0, 95.0}) {
        double to = from == 55.0 ? 95.0 : 110.0;
        std::vector<float> s = slice(env, frameSec, from, to);
        // The strongest peak of the autocorrelation between 0.2 and 1.05 s.
        size_t lag = tools::bestPeakLag(s, static_cast<size_t>(0.2 / frameSec), static_cast<size_t>(1.05 / frameSec));
        double period = lag * frameSec;
        bool onBeat = std::fabs(period - 0.25) < 0.02 || std::fabs(period - 0.5) < 0.02 || std::fabs(period - 1.0) < 0.02;
        bar(onBeat, (std::string(name) + fmt(": pulses with the beat %.0f-%.0f s", from, to)).c_str(),
            fmt("period %.3f s, autocorrelation %.2f at 0.25 s, %.2f at 0.5 s", period,
                tools::autocorrelation(s, static_cast<size_t>(0.25 / frameSec + 0.5)),
                tools::autocorrelation(s, static_cast<size_t>(0.5 / frameSec + 0.5))));
    }
}

int checkAudio(const char* file) {
    tools::DecodedAudio dec;
    std::string error;
    if (!tools::readOggVorbis(file, &dec, &error)) {
        bar(false, "music decodes", error);
        return failures;
    }
    double seconds = static_cast<double>(dec.audio.size()) / dec.sampleRate;
    bar(dec.channels == 2 && dec.sampleRate == 44100, "stereo 44.1 kHz", fmt("%.0f channels, %.0f Hz", dec.channels, dec.sampleRate));
    bar(seconds >= 253.0, "length >= 253 s", fmt("%.2f s", seconds));
    const int hop = 441;
    const double frameSec = hop / 44100.0;
    std::vector<float> onsets = tools::onsetEnvelope(dec.audio, 2048, hop);
    std::vector<float> body = slice(onsets, frameSec, 3.0, 251.0);
    double bpm = tools::estimateTempo(body, frameSec);
    bar(std::fabs(bpm - 120.0) <= 1.0, "tempo from the onset envelope 120 +- 1 BPM", fmt("%.2f BPM", bpm));
    // Quiet intro: the first 3 s well below the first scene after it.
    std::vector<float> hf = tools::bandEnvelope(dec.audio, 2048, hop, 256, 767);
    bandReport("5.5-16.5 kHz band", hf, frameSec);
    std::vector<float> mid = tools::bandEnvelope(dec.audio, 2048, hop, 341, 511);
    bandReport("7.3-11 kHz band", mid, frameSec);
    // Silence at the end.
    double tailPeak = 0;
    for (size_t i = static_cast<size_t>(252.9 * 44100); i < dec.audio.size(); ++i)
        tailPeak = std::max<double>(tailPeak, std::max(std::fabs(dec.audio.left[i]), std::fabs(dec.audio.right[i])));
    bar(tailPeak < 1e-3, "silent after 253 s", fmt("peak %.5f", tailPeak));
    return failures;
}

int checkImages(const std::string& dir) {
    for (const tools::TextureSpec& spec : tools::textureTable()) {
        tools::Pixels px;
        tools::PngInfo info;
        std::string error;
        if (!tools::readPng(dir + "/" + spec.file, &px, &info, &error)) {
            bar(false, spec.file.c_str(), error);
            continue;
        }
        std::string detail = fmt("%.0fx%.0f, %.0f channels", px.width, px.height, px.channels);
        bool ok = tools::isPowerOfTwo(px.width) && tools::isPowerOfTwo(px.height) &&
                  px.channels == (spec.alpha ? 4 : 3);
        if (spec.tiles) {
            tools::SeamStats st = tools::seamStats(px);
            detail += fmt(", seam %.2f vs inside %.2f", st.seam, st.inside);
            ok = ok && st.seam <= 1.5 * st.inside + 0.5;
        }
        bar(ok, spec.file.c_str(), detail);
    }
    // The faces of one cube map must share one square size.
    int faceSize = -1;
    bool same = true;
    for (const char* face : {"bill.png", "black.png", "pilkut.png"}) {
        tools::Pixels px;
        if (!tools::readPng(dir + "/" + face, &px)) {
            same = false;
            continue;
        }
        same = same && px.width == px.height && (faceSize < 0 || faceSize == px.width);
        faceSize = px.width;
    }
    bar(same, "cube faces bill, black, pilkut: one square size", fmt("%.0f", faceSize));

    for (const tools::FontAtlasFile& f : tools::engineFontAtlases()) {
        tools::Pixels px;
        std::string error;
        if (!tools::readPng(dir + "/" + f.file, &px, nullptr, &error) || px.channels != 4) {
            bar(false, f.file, error.empty() ? "not RGBA" : error);
            continue;
        }
        const tools::AtlasLayout& l = f.layout;
        bool sizeOk = px.width == l.textureWidth && px.height == l.textureHeight;
        int inked = 0, outside = 0;
        double worstCentroid = 0;
        for (const tools::GlyphPlacement& g : tools::measureGlyphs(px, l)) {
            if (!g.hasInk) continue;
            ++inked;
            float cx = l.cellCentreX(g.code), cy = l.cellCentreY(g.code);
            worstCentroid = std::max<double>(worstCentroid, std::max(std::fabs(g.centroidX - cx) / (0.5 * l.glyphWidth),
                                                                     std::fabs(g.centroidY - cy) / (0.5 * l.glyphHeight)));
            if (g.inkLeft < cx - 0.5f * l.glyphWidth || g.inkRight > cx + 0.5f * l.glyphWidth ||
                g.inkTop < cy - 0.5f * l.glyphHeight || g.inkBottom > cy + 0.5f * l.glyphHeight)
                ++outside;
        }
        bar(sizeOk && inked == 94 && outside == 0, f.file,
            fmt("%.0f glyphs with ink, %.0f outside their glyph box, centroid at most %.2f of the half box off centre",
                inked, outside, worstCentroid));
    }
    return failures;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "audio") == 0) return checkAudio(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "images") == 0) return checkImages(argv[2]);
    std::fprintf(stderr, "usage: %s audio FILE.ogg | images DIR\n", argv[0]);
    return 100;
}
