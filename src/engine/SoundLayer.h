#pragma once
// Music playback for the demo clock: one Ogg Vorbis track decoded into memory, played through
// the SDL 1.2 audio device, with a millisecond position that the frame loop reads as demo time
// and a magnitude spectrum of what is playing.
//
// Threading: every operation belongs to the main thread. The SDL audio callback runs on SDL's
// audio thread; the playback cursor and the interpolation anchor it shares with the main thread
// are only touched under SDL_LockAudio (SDL holds the same lock around the callback).
// spectrum()/spectrumAt() use scratch buffers of the object and are not reentrant.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SoundLayer {
public:
    // Spectrum analysis: a 2048-sample Hann window gives bins 0..1024 (bin k = k * rate / 2048).
    static constexpr int kFftSize = 2048;
    static constexpr int kSpectrumBins = kFftSize / 2 + 1;

    SoundLayer();
    ~SoundLayer();
    SoundLayer(const SoundLayer&) = delete;
    SoundLayer& operator=(const SoundLayer&) = delete;

    // What an open track keeps: every decoded frame, for playback through the device; or only
    // its length, for the spectrum of offline rendering, which then decodes the stretch it
    // needs when asked (the same samples, without holding minutes of audio in memory).
    enum class Keep { Playback, SpectrumOnly };

    // Decodes the whole file into interleaved 16-bit PCM at the file's own sample rate. Mono and
    // stereo are kept; more channels are mixed down to stereo. A previous track (and an open
    // device) is released first. False, with nothing kept, for a missing, non-Vorbis or undecodable
    // file. A stream that breaks after some audio keeps what decoded; audio lost in a gap is
    // replaced by silence so that later music stays at its time, and when decoding stops early the
    // rest of the announced length is silence.
    bool open(const std::string& fileName, Keep keep = Keep::Playback);
    bool isOpen() const { return frames_ > 0; }

    // Opens the audio device for the open track (kept for playback), paused, at the current
    // position (0 after open).
    // Falls back to SDL's dummy driver (silent, but consuming samples in real time) when the
    // configured driver has no device. False without an open track, when another SoundLayer holds
    // the device, or when even the dummy driver fails.
    bool startDevice();
    bool hasDevice() const { return device_; }

    // A fresh track is paused; playback (with a device) runs only while not paused.
    void setPaused(bool paused);
    bool isPaused() const { return paused_; }

    // The position the listener hears now, in ms: the start of the buffer the device took last
    // (frames consumed minus one buffer of latency), advanced with SDL_GetTicks since then by at
    // most one buffer. Never goes backwards while playing and never beyond lengthMs().
    // Without a device: the position last set.
    unsigned positionMs() const;
    // Clamped to the length; playback continues from there.
    void setPositionMs(unsigned ms);
    unsigned lengthMs() const;

    // Magnitudes of the mono mix (mean of the channels) in a 2048-sample Hann window centred on
    // the position; samples outside the track count as silence. Scale: one-sided amplitude, so a
    // sine of amplitude A (full scale = 1) that falls on a bin centre reads A in that bin (a little
    // less between bins), and a constant offset A reads A in bin 0. out[k] is bin k for
    // k < min(count, 1025); further entries are 0. All zeros when no track is open or the
    // position is at or past the end.
    void spectrum(float* out, int count = 1024) const;
    void spectrumAt(unsigned ms, float* out, int count = 1024) const;

    // Decoded PCM of a track kept for playback: interleaved signed 16-bit, channels() per frame.
    int sampleRate() const { return rate_; }
    int channels() const { return channels_; }
    size_t frameCount() const { return frames_; }
    const int16_t* pcm() const { return pcm_.empty() ? nullptr : pcm_.data(); }

private:
    class TrackDecoder;
    // Frames from `from` on of a track kept for its spectrum only, decoded on demand; *available
    // of them exist (past the end of the track: none).
    const int16_t* streamedFrames(int64_t from, int64_t* available) const;
    static void audioCallback(void* user, uint8_t* stream, int len);
    void fillAudio(uint8_t* stream, int len);
    bool tryOpenDevice();
    void closeDevice();
    void release();
    uint64_t heardFrame() const;
    uint64_t msToFrame(unsigned ms) const;
    unsigned frameToMs(uint64_t frame) const;

    std::vector<int16_t> pcm_;
    std::string fileName_;
    // The spectrum's decoder of a track kept for its spectrum only, and the frames it holds.
    mutable std::unique_ptr<TrackDecoder> stream_;
    mutable std::vector<int16_t> streamPcm_;
    mutable int64_t streamStart_ = 0;
    int rate_ = 0;
    int channels_ = 0;
    size_t frames_ = 0;

    bool device_ = false;
    bool paused_ = true;

    // Shared with the audio callback (under SDL_LockAudio while the device is open).
    uint64_t cursor_ = 0;        // next frame to hand to the device
    uint64_t anchorFrame_ = 0;   // frame heard at anchorTicks_
    uint32_t anchorTicks_ = 0;
    uint64_t chunkFrames_ = 0;   // frames per device buffer: latency and interpolation limit
    bool playing_ = false;

    // Main thread only: keeps the reported position from stepping back between callbacks.
    mutable uint64_t lastReportedFrame_ = 0;

    // FFT set-up, window and scratch buffers, allocated once by the constructor.
    struct Analyser;
    std::unique_ptr<Analyser> analyser_;
};
