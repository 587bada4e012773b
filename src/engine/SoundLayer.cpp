#include "engine/SoundLayer.h"

#include <SDL/SDL.h>
#include <kiss_fftr.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Longest track we decode (memory and millisecond arithmetic stay bounded on any input).
constexpr int64_t kMaxSeconds = 4 * 3600;
// Longest run of silence put in for audio lost in one gap of a damaged stream.
constexpr int64_t kMaxGapSeconds = 30;

// Only one SoundLayer can hold SDL 1.2's single audio device; a second one must not touch the
// audio subsystem of the first (a failed open there would shut it down).
SoundLayer* deviceOwner = nullptr;

// Left/right weights of each channel when mixing more than two channels down to stereo,
// following the Vorbis channel order for 3 to 8 channels.
void downmixWeights(int channels, std::vector<float>& left, std::vector<float>& right) {
    static const char* const layouts[] = {"lcr", "lrLR", "lcrLR", "lcrLRe", "lcrLRCe", "lcrLRLRe"};
    const float side = 0.7071f;
    left.assign(channels, 0.0f);
    right.assign(channels, 0.0f);
    if (channels > 8) {  // no defined order: every channel to both sides
        std::fill(left.begin(), left.end(), 1.0f);
        std::fill(right.begin(), right.end(), 1.0f);
    } else {
        const char* layout = layouts[channels - 3];
        for (int c = 0; c < channels; ++c) {
            switch (layout[c]) {
            case 'l': left[c] = 1.0f; break;
            case 'r': right[c] = 1.0f; break;
            case 'c': left[c] = right[c] = side; break;
            case 'L': left[c] = side; break;
            case 'R': right[c] = side; break;
            case 'C': left[c] = right[c] = 0.5f; break;
            default: break;  // low-frequency effects channel left out
            }
        }
    }
    // Normalise so that the mix cannot exceed full scale.
    float sumL = 0.0f, sumR = 0.0f;
    for (int c = 0; c < channels; ++c) {
        sumL += left[c];
        sumR += right[c];
    }
    for (int c = 0; c < channels; ++c) {
        left[c] /= sumL;
        right[c] /= sumR;
    }
}

int16_t toPcm16(float v) {
    if (!(v == v)) return 0;  // NaN from damaged data
    float scaled = v * 32767.0f;
    if (scaled > 32767.0f) scaled = 32767.0f;
    if (scaled < -32768.0f) scaled = -32768.0f;
    return static_cast<int16_t>(std::lrint(scaled));
}

}  // namespace

struct SoundLayer::Analyser {
    kiss_fftr_cfg cfg = nullptr;
    float window[kFftSize];
    float scale = 0.0f;  // turns a bin's magnitude into the amplitude of its sine
    float in[kFftSize];
    kiss_fft_cpx out[kSpectrumBins];

    Analyser() {
        cfg = kiss_fftr_alloc(kFftSize, 0, nullptr, nullptr);
        const double pi = 3.14159265358979323846;
        double sum = 0.0;
        for (int i = 0; i < kFftSize; ++i) {
            // Periodic Hann: its peak falls on sample kFftSize / 2, the centre of the window.
            window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * pi * i / kFftSize));
            sum += window[i];
        }
        scale = static_cast<float>(2.0 / sum);
    }
    ~Analyser() {
        if (cfg) kiss_fftr_free(cfg);
    }
    Analyser(const Analyser&) = delete;
    Analyser& operator=(const Analyser&) = delete;
};

// Decodes a track front to back into interleaved 16-bit frames, as the layer keeps it: mono
// stays mono, more than two channels are mixed down to stereo, pages lost in a damaged stream
// become silence of their length (so later music keeps its time), and decoding stops at the
// first error it cannot step over or at a link that changes the format.
class SoundLayer::TrackDecoder {
public:
    TrackDecoder() = default;
    ~TrackDecoder() {
        if (open_) ov_clear(&vf_);
    }
    TrackDecoder(const TrackDecoder&) = delete;
    TrackDecoder& operator=(const TrackDecoder&) = delete;

    bool open(const std::string& fileName) {
        // ov_fopen closes the file itself when the stream is not usable.
        if (ov_fopen(fileName.c_str(), &vf_) < 0) return false;
        open_ = true;
        const vorbis_info* info = ov_info(&vf_, -1);
        if (!info || info->channels < 1 || info->rate < 1 || info->rate > 1000000) return false;
        sourceChannels_ = info->channels;
        rate_ = info->rate;
        channels_ = sourceChannels_ == 1 ? 1 : 2;
        maxFrames_ = kMaxSeconds * rate_;
        if (sourceChannels_ > 2) downmixWeights(sourceChannels_, mixLeft_, mixRight_);
        // The length the stream announces (seekable files); it bounds the silence put in for
        // damage.
        announced_ = std::min<int64_t>(std::max<int64_t>(ov_pcm_total(&vf_, -1), 0), maxFrames_);
        return true;
    }

    // Appends the next decoded stretch (silence for a gap included) to out; false at the end.
    bool readMore(std::vector<int16_t>& out) {
        if (done_) return false;
        for (;;) {
            float** buffers = nullptr;
            int link = 0;
            long n = ov_read_float(&vf_, &buffers, 4096, &link);
            if (n == OV_HOLE) {
                // Lost or damaged pages: decoding resumes at the next good page.
                if (++holes_ > 100000) return finish(true);
                continue;
            }
            if (n == 0) return finish(false);
            if (n < 0) return finish(true);
            if (link != currentLink_) {
                // A chained stream whose later part changes format is cut there.
                const vorbis_info* linkInfo = ov_info(&vf_, link);
                if (!linkInfo || linkInfo->channels != sourceChannels_ || linkInfo->rate != rate_)
                    return finish(true);
                currentLink_ = link;
            }
            fillGap(n, out);
            append(buffers, std::min<int64_t>(n, maxFrames_ - frames_), out);
            if (frames_ >= maxFrames_) finish(false);
            return true;
        }
    }

    int rate() const { return static_cast<int>(rate_); }
    int channels() const { return channels_; }
    int64_t announced() const { return announced_; }
    int64_t frames() const { return frames_; }
    // Frames the track has: a stream that broke off keeps its announced length (the rest is
    // silence); one that ended early keeps what decoded.
    int64_t length() const { return broken_ && announced_ > frames_ ? announced_ : frames_; }

private:
    bool finish(bool broken) {
        done_ = true;
        broken_ = broken;
        return false;
    }

    // After a gap the stream's own sample position runs ahead of what decoded; the gap is
    // filled with silence.
    void fillGap(long n, std::vector<int16_t>& out) {
        const int64_t streamPos = ov_pcm_tell(&vf_);
        if (streamPos < 0) return;
        const int64_t startsAt = streamPos - n;
        if (startsAt > frames_ && startsAt - frames_ <= kMaxGapSeconds * rate_ &&
            startsAt + n <= maxFrames_) {
            out.insert(out.end(), static_cast<size_t>(startsAt - frames_) * channels_, 0);
            frames_ = startsAt;
        }
    }

    void append(float** buffers, int64_t n, std::vector<int16_t>& out) {
        for (int64_t i = 0; i < n; ++i) {
            if (sourceChannels_ == 1) {
                out.push_back(toPcm16(buffers[0][i]));
            } else if (sourceChannels_ == 2) {
                out.push_back(toPcm16(buffers[0][i]));
                out.push_back(toPcm16(buffers[1][i]));
            } else {
                float l = 0.0f, r = 0.0f;
                for (int c = 0; c < sourceChannels_; ++c) {
                    l += buffers[c][i] * mixLeft_[c];
                    r += buffers[c][i] * mixRight_[c];
                }
                out.push_back(toPcm16(l));
                out.push_back(toPcm16(r));
            }
        }
        frames_ += n;
    }

    OggVorbis_File vf_;
    bool open_ = false;
    int sourceChannels_ = 0;
    long rate_ = 0;
    int channels_ = 0;
    int64_t maxFrames_ = 0;
    int64_t announced_ = 0;
    std::vector<float> mixLeft_, mixRight_;
    int64_t frames_ = 0;
    int currentLink_ = -1;
    int holes_ = 0;
    bool done_ = false;
    bool broken_ = false;
};

SoundLayer::SoundLayer() : analyser_(new Analyser) {}

SoundLayer::~SoundLayer() { release(); }

void SoundLayer::release() {
    closeDevice();
    std::vector<int16_t>().swap(pcm_);
    stream_.reset();
    std::vector<int16_t>().swap(streamPcm_);
    streamStart_ = 0;
    fileName_.clear();
    rate_ = 0;
    channels_ = 0;
    frames_ = 0;
    cursor_ = anchorFrame_ = 0;
    lastReportedFrame_ = 0;
    paused_ = true;
}

bool SoundLayer::open(const std::string& fileName, Keep keep) {
    release();
    TrackDecoder decoder;
    if (!decoder.open(fileName)) return false;

    std::vector<int16_t> pcm;
    if (keep == Keep::Playback) {
        pcm.reserve(static_cast<size_t>(decoder.announced()) * decoder.channels());
        while (decoder.readMore(pcm)) {
        }
    } else {
        // Only the length is learnt now; the spectrum decodes what it needs when asked.
        while (decoder.readMore(pcm)) pcm.clear();
        pcm.clear();
    }
    if (decoder.frames() == 0) return false;
    if (keep == Keep::Playback) pcm.resize(static_cast<size_t>(decoder.length()) * decoder.channels(), 0);

    pcm_.swap(pcm);
    rate_ = decoder.rate();
    channels_ = decoder.channels();
    frames_ = static_cast<size_t>(decoder.length());
    fileName_ = fileName;
    return true;
}

uint64_t SoundLayer::msToFrame(unsigned ms) const {
    if (rate_ <= 0) return 0;
    const uint64_t frame = (static_cast<uint64_t>(ms) * rate_ + 500) / 1000;
    return std::min<uint64_t>(frame, frames_);
}

unsigned SoundLayer::frameToMs(uint64_t frame) const {
    if (rate_ <= 0) return 0;
    return static_cast<unsigned>((frame * 1000 + rate_ / 2) / rate_);
}

unsigned SoundLayer::lengthMs() const {
    if (rate_ <= 0) return 0;
    return static_cast<unsigned>(static_cast<uint64_t>(frames_) * 1000 / rate_);
}

bool SoundLayer::tryOpenDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) return false;
    SDL_AudioSpec want;
    std::memset(&want, 0, sizeof want);
    want.freq = rate_;
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(channels_);
    // About 20 to 40 ms per buffer at any rate: short latency, few callbacks.
    Uint16 samples = 256;
    while (samples < 8192 && samples * 1000 / rate_ < 20) samples *= 2;
    want.samples = samples;
    want.callback = &SoundLayer::audioCallback;
    want.userdata = this;
    // No obtained spec: SDL converts from this format to whatever the device wants.
    if (SDL_OpenAudio(&want, nullptr) < 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    chunkFrames_ = want.samples;
    return true;
}

bool SoundLayer::startDevice() {
    if (device_) return true;
    if (pcm_.empty()) return false;
    if (deviceOwner && deviceOwner != this) return false;

    bool opened = tryOpenDevice();
    if (!opened) {
        const char* configured = std::getenv("SDL_AUDIODRIVER");
        if (configured && std::strcmp(configured, "dummy") == 0) return false;
        std::fprintf(stderr, "SDL audio: %s; using the silent dummy driver\n", SDL_GetError());
        const std::string previous = configured ? configured : "";
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        opened = tryOpenDevice();
        if (configured)
            setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
        else
            unsetenv("SDL_AUDIODRIVER");
        if (!opened) return false;
    }

    // SDL opens the device paused and the callback stays idle until setPaused(false).
    device_ = true;
    deviceOwner = this;
    paused_ = true;
    SDL_LockAudio();
    playing_ = false;
    anchorFrame_ = cursor_;
    SDL_UnlockAudio();
    lastReportedFrame_ = cursor_;
    return true;
}

void SoundLayer::closeDevice() {
    if (!device_) return;
    const uint64_t heard = heardFrame();
    SDL_CloseAudio();  // waits for the audio thread to end
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device_ = false;
    deviceOwner = nullptr;
    playing_ = false;
    paused_ = true;
    cursor_ = anchorFrame_ = heard;
    lastReportedFrame_ = heard;
}

void SoundLayer::audioCallback(void* user, uint8_t* stream, int len) {
    static_cast<SoundLayer*>(user)->fillAudio(stream, len);
}

// Audio thread; SDL holds the audio lock around it.
void SoundLayer::fillAudio(uint8_t* stream, int len) {
    if (len <= 0) return;
    const size_t frameBytes = static_cast<size_t>(channels_) * sizeof(int16_t);
    const uint64_t wanted = static_cast<size_t>(len) / frameBytes;
    if (!playing_) {
        std::memset(stream, 0, static_cast<size_t>(len));
        return;
    }
    const uint64_t start = std::min<uint64_t>(cursor_, frames_);
    const uint64_t take = std::min<uint64_t>(wanted, frames_ - start);
    const size_t bytes = static_cast<size_t>(take) * frameBytes;
    std::memcpy(stream, pcm_.data() + start * channels_, bytes);
    std::memset(stream + bytes, 0, static_cast<size_t>(len) - bytes);
    cursor_ = start + take;
    // The buffer just handed over follows the one still playing: its first frame is heard about
    // now, and the position moves on from it until the next buffer is asked for.
    anchorFrame_ = start;
    anchorTicks_ = SDL_GetTicks();
    chunkFrames_ = wanted;
}

uint64_t SoundLayer::heardFrame() const {
    if (!device_) return cursor_;
    SDL_LockAudio();
    const uint64_t anchor = anchorFrame_;
    const uint32_t ticks = anchorTicks_;
    const uint64_t chunk = chunkFrames_;
    const bool playing = playing_;
    SDL_UnlockAudio();
    if (!playing) return anchor;

    const uint32_t elapsed = SDL_GetTicks() - ticks;
    const uint64_t advance = std::min<uint64_t>(static_cast<uint64_t>(elapsed) * rate_ / 1000, chunk);
    uint64_t frame = std::min<uint64_t>(anchor + advance, frames_);
    if (frame < lastReportedFrame_)
        frame = lastReportedFrame_;
    else
        lastReportedFrame_ = frame;
    return frame;
}

unsigned SoundLayer::positionMs() const {
    if (!isOpen()) return 0;
    return std::min(frameToMs(heardFrame()), lengthMs());
}

void SoundLayer::setPositionMs(unsigned ms) {
    if (!isOpen()) return;
    const uint64_t frame = msToFrame(std::min(ms, lengthMs()));
    if (device_) {
        SDL_LockAudio();
        cursor_ = anchorFrame_ = frame;
        anchorTicks_ = SDL_GetTicks();
        SDL_UnlockAudio();
    } else {
        cursor_ = anchorFrame_ = frame;
    }
    lastReportedFrame_ = frame;
}

void SoundLayer::setPaused(bool paused) {
    if (paused == paused_) return;
    paused_ = paused;
    if (!device_) return;
    if (paused) {
        // Freeze at what is heard now; the part of the last buffer not yet heard plays again on
        // resume, so nothing is skipped.
        const uint64_t heard = heardFrame();
        SDL_LockAudio();
        playing_ = false;
        cursor_ = anchorFrame_ = heard;
        SDL_UnlockAudio();
        SDL_PauseAudio(1);
        lastReportedFrame_ = heard;
    } else {
        SDL_LockAudio();
        playing_ = true;
        anchorFrame_ = cursor_;
        anchorTicks_ = SDL_GetTicks();
        lastReportedFrame_ = cursor_;
        SDL_UnlockAudio();
        SDL_PauseAudio(0);
    }
}

void SoundLayer::spectrum(float* out, int count) const { spectrumAt(positionMs(), out, count); }

const int16_t* SoundLayer::streamedFrames(int64_t from, int64_t* available) const {
    // The window only moves forward while the offline clock runs; going back starts over.
    if (!stream_ || from < streamStart_) {
        stream_.reset(new TrackDecoder);
        streamStart_ = 0;
        streamPcm_.clear();
        if (!stream_->open(fileName_)) stream_.reset();
    }
    const int64_t want = from + kFftSize;
    while (stream_ && streamStart_ + static_cast<int64_t>(streamPcm_.size()) / channels_ < want) {
        // Frames before the window are let go of before more are decoded.
        const int64_t drop = std::min<int64_t>(from - streamStart_,
                                               static_cast<int64_t>(streamPcm_.size()) / channels_);
        if (drop > 0) {
            streamPcm_.erase(streamPcm_.begin(), streamPcm_.begin() + drop * channels_);
            streamStart_ += drop;
        }
        if (!stream_->readMore(streamPcm_)) break;
    }
    const int64_t decodedEnd = streamStart_ + static_cast<int64_t>(streamPcm_.size()) / channels_;
    *available = std::max<int64_t>(0, decodedEnd - from);
    return *available > 0 ? streamPcm_.data() + static_cast<size_t>(from - streamStart_) * channels_
                          : nullptr;
}

void SoundLayer::spectrumAt(unsigned ms, float* out, int count) const {
    if (!out || count <= 0) return;
    std::fill(out, out + count, 0.0f);
    Analyser& a = *analyser_;
    if (!isOpen() || !a.cfg || ms >= lengthMs()) return;

    const int64_t first = static_cast<int64_t>(msToFrame(ms)) - kFftSize / 2;
    const int16_t* frames = nullptr;  // frame `first` of the track, with kFftSize after it
    int64_t available = 0;            // frames of it that exist (the rest is silence)
    if (!pcm_.empty()) {
        const int64_t from = std::max<int64_t>(first, 0);
        available = static_cast<int64_t>(frames_) - from;
        frames = pcm_.data() + static_cast<size_t>(from) * channels_;
    } else {
        frames = streamedFrames(std::max<int64_t>(first, 0), &available);
    }
    for (int i = 0; i < kFftSize; ++i) {
        const int64_t f = first + i;
        const int64_t k = f - std::max<int64_t>(first, 0);
        float v = 0.0f;
        if (f >= 0 && k < available) {
            const int16_t* s = frames + static_cast<size_t>(k) * channels_;
            v = channels_ == 1 ? s[0] : 0.5f * (static_cast<float>(s[0]) + s[1]);
        }
        a.in[i] = v * (1.0f / 32768.0f) * a.window[i];
    }
    kiss_fftr(a.cfg, a.in, a.out);

    const int bins = std::min(count, kSpectrumBins);
    for (int k = 0; k < bins; ++k) {
        float m = std::sqrt(a.out[k].r * a.out[k].r + a.out[k].i * a.out[k].i) * a.scale;
        // Bin 0 and the Nyquist bin have no mirrored half.
        if (k == 0 || k == kFftSize / 2) m *= 0.5f;
        out[k] = m;
    }
}
