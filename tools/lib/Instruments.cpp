#include "Instruments.h"

#include "Dsp.h"
#include "Random.h"

#include <algorithm>
#include <cmath>

namespace tools {

namespace {

int64_t seconds(float s) { return static_cast<int64_t>(s * kSampleRate); }

// Samples left in the bus from `start`, limited to `want`.
int64_t room(const Stereo& bus, int64_t start, int64_t want) {
    int64_t left = static_cast<int64_t>(bus.size()) - start;
    return std::max<int64_t>(0, std::min(left, want));
}

} // namespace

Pan panPosition(float position) {
    float a = (std::min(1.0f, std::max(-1.0f, position)) + 1.0f) * 0.25f * kPi;
    return Pan{std::cos(a) * 1.41421356f, std::sin(a) * 1.41421356f};
}

void addMono(Stereo& bus, int64_t start, const std::vector<float>& mono, Pan pan) {
    int64_t n = room(bus, start, static_cast<int64_t>(mono.size()));
    // Whatever is left of a sound at the end of its buffer fades out over 10 ms instead of stopping.
    const int64_t total = static_cast<int64_t>(mono.size()), fade = std::min<int64_t>(total, seconds(0.01f));
    for (int64_t i = 0; i < n; ++i) {
        float g = i >= total - fade ? static_cast<float>(total - i) / fade : 1.0f;
        bus.left[start + i] += mono[i] * pan.left * g;
        bus.right[start + i] += mono[i] * pan.right * g;
    }
}

void renderKick(Stereo& bus, int64_t start, float velocity) {
    int64_t n = room(bus, start, seconds(0.5f));
    if (n <= 0) return;
    std::vector<float> out(n);
    float phase = 0;
    float pitchEnv = 1.0f, pitchCoef = decayCoef(0.035f);
    float ampEnv = 1.0f, ampCoef = decayCoef(0.26f);
    WhiteNoise noise(777);
    OnePole clickHp;
    clickHp.set(2500.0f);
    const int64_t clickLen = seconds(0.003f);
    const float norm = 1.0f / softClip(1.5f);
    for (int64_t i = 0; i < n; ++i) {
        float hz = 52.0f + 165.0f * pitchEnv;
        phase += hz / kSampleRate;
        if (phase >= 1.0f) phase -= 1.0f;
        float s = std::sin(2.0f * kPi * phase) * ampEnv;
        if (i < clickLen) s += 0.125f * clickHp.highpass(noise.next()) * (1.0f - static_cast<float>(i) / clickLen);
        // The last 20 ms fade out so the tail ends without a step.
        float tailFade = std::min(1.0f, static_cast<float>(n - i) / seconds(0.02f));
        out[i] = 0.5f * velocity * softClip(1.5f * s) * norm * tailFade;
        pitchEnv *= pitchCoef;
        ampEnv *= ampCoef;
    }
    addMono(bus, start, out, Pan{1, 1});
}

void renderSnare(Stereo& bus, int64_t start, float velocity, uint32_t seed) {
    int64_t n = room(bus, start, seconds(0.7f));
    if (n <= 0) return;
    std::vector<float> out(n);
    SineOsc t1, t2;
    t1.setFrequency(180.0f);
    t2.setFrequency(330.0f);
    float e1 = 1, e2 = 1, en = 1;
    float c1 = decayCoef(0.06f), c2 = decayCoef(0.04f), cn = decayCoef(0.16f);
    WhiteNoise noise(seed);
    Svf hp, air;
    hp.set(1800.0f, 1.2f);
    air.set(7500.0f, 1.0f);
    for (int64_t i = 0; i < n; ++i) {
        float tone = 0.6f * t1.next() * e1 + 0.4f * t2.next() * e2;
        float w = noise.next();
        hp.process(w);
        air.process(w);
        float nz = (hp.high() + 0.5f * air.band()) * en;
        out[i] = 0.22f * velocity * (0.33f * tone + 0.67f * nz) * 1.6f;
        e1 *= c1;
        e2 *= c2;
        en *= cn;
    }
    addMono(bus, start, out, panPosition(0.05f));
}

void renderClap(Stereo& bus, int64_t start, float velocity, uint32_t seed) {
    int64_t n = room(bus, start, seconds(0.7f));
    if (n <= 0) return;
    std::vector<float> out(n);
    WhiteNoise noise(seed);
    Svf body, top;
    body.set(1200.0f, 1.0f / 1.5f);
    top.set(6000.0f, 1.2f);
    const int64_t burst = seconds(0.010f);
    float tail = 1.0f, tailCoef = decayCoef(0.15f);
    for (int64_t i = 0; i < n; ++i) {
        float env;
        if (i < 3 * burst) {
            // Three quick bursts, each decaying within its 10 ms.
            float k = static_cast<float>(i % burst) / burst;
            env = std::exp(-k * 4.0f);
        } else {
            env = tail;
            tail *= tailCoef;
        }
        float w = noise.next();
        body.process(w);
        top.process(w);
        out[i] = 0.5f * velocity * env * (body.band() * 1.5f + 0.15f * top.band());
    }
    addMono(bus, start, out, panPosition(-0.05f));
}

namespace {

const float kMetalHz[6] = {205.3f, 304.4f, 369.6f, 522.7f, 540.0f, 800.0f};

// Six detuned square waves: the metallic source of hats and cymbals.
float metal(float* phases, float ratio) {
    float s = 0;
    for (int k = 0; k < 6; ++k) {
        phases[k] += kMetalHz[k] * ratio / kSampleRate;
        if (phases[k] >= 1.0f) phases[k] -= 1.0f;
        s += phases[k] < 0.5f ? 1.0f : -1.0f;
    }
    return s / 6.0f;
}

} // namespace

void renderHat(Stereo& bus, int64_t start, float velocity, bool open, int64_t chokeSamples, uint32_t seed) {
    float tau = open ? 0.30f : 0.045f;
    int64_t len = seconds(open ? 1.2f : 0.2f);
    if (open && chokeSamples > 0) len = std::min(len, chokeSamples + seconds(0.006f));
    int64_t n = room(bus, start, len);
    if (n <= 0) return;
    std::vector<float> out(n);
    float phases[6];
    for (int k = 0; k < 6; ++k) phases[k] = k * 0.17f;
    WhiteNoise noise(seed);
    Svf bp, hp;
    bp.set(9000.0f, 0.9f);
    hp.set(7000.0f, 1.0f);
    float env = 1, coef = decayCoef(tau);
    float chokeEnv = 1, chokeCoef = decayCoef(0.002f);
    for (int64_t i = 0; i < n; ++i) {
        float src = metal(phases, 1.0f) + 0.3f * noise.next();
        bp.process(src);
        hp.process(bp.band());
        if (open && chokeSamples > 0 && i >= chokeSamples) chokeEnv *= chokeCoef;
        // 1 ms attack avoids a click from the squares' first edges.
        float attack = std::min(1.0f, static_cast<float>(i) / 44.0f);
        out[i] = 0.16f * velocity * hp.high() * env * chokeEnv * attack;
        env *= coef;
    }
    addMono(bus, start, out, panPosition(0.25f));
}

void renderRide(Stereo& bus, int64_t start, float velocity, uint32_t seed) {
    const int64_t len = seconds(0.9f), fade = seconds(0.1f);
    int64_t n = room(bus, start, len);
    if (n <= 0) return;
    std::vector<float> out(n);
    float phases[6];
    for (int k = 0; k < 6; ++k) phases[k] = k * 0.31f;
    WhiteNoise noise(seed);
    Svf bp, hp;
    bp.set(7500.0f, 0.7f);
    hp.set(5500.0f, 1.0f);
    float env = 1, coef = decayCoef(0.22f), ping = 1, pingCoef = decayCoef(0.02f);
    for (int64_t i = 0; i < n; ++i) {
        float src = metal(phases, 1.47f) + 0.15f * noise.next();
        bp.process(src);
        hp.process(bp.band());
        float attack = std::min(1.0f, static_cast<float>(i) / 44.0f);
        float release = std::min(1.0f, static_cast<float>(len - i) / fade);
        out[i] = 0.09f * velocity * hp.high() * (0.7f * env + 0.6f * ping) * attack * release;
        env *= coef;
        ping *= pingCoef;
    }
    addMono(bus, start, out, panPosition(-0.35f));
}

void renderShaker(Stereo& bus, int64_t start, float velocity, uint32_t seed) {
    int64_t n = room(bus, start, seconds(0.12f));
    if (n <= 0) return;
    std::vector<float> out(n);
    WhiteNoise noise(seed);
    Svf hp;
    hp.set(6500.0f, 0.8f);
    const int64_t attack = seconds(0.008f);
    float env = 1, coef = decayCoef(0.03f);
    for (int64_t i = 0; i < n; ++i) {
        hp.process(noise.next());
        float a = i < attack ? static_cast<float>(i) / attack : (env *= coef);
        out[i] = 0.10f * velocity * hp.high() * a;
    }
    addMono(bus, start, out, panPosition(-0.45f));
}

void renderCrash(Stereo& bus, int64_t start, float velocity, uint32_t seed) {
    const int64_t total = seconds(3.5f), fade = seconds(0.2f);
    int64_t n = room(bus, start, total);
    if (n <= 0) return;
    WhiteNoise nl(seed), nr(seed ^ 0x5bd1e995u);
    Svf hl, hr;
    hl.set(5000.0f, 0.9f);
    hr.set(5000.0f, 0.9f);
    float phases[6];
    for (int k = 0; k < 6; ++k) phases[k] = k * 0.23f;
    float env = 1, coef = decayCoef(0.75f);
    for (int64_t i = 0; i < n; ++i) {
        float m = 0.35f * metal(phases, 2.3f);
        hl.process(nl.next() + m);
        hr.process(nr.next() + m);
        float attack = std::min(1.0f, static_cast<float>(i) / 88.0f);
        float g = 0.12f * velocity * env * attack * std::min(1.0f, static_cast<float>(total - i) / fade);
        bus.left[start + i] += hl.high() * g;
        bus.right[start + i] += hr.high() * g;
        env *= coef;
    }
}

void renderRiser(Stereo& bus, int64_t start, int64_t length, float velocity, uint32_t seed) {
    int64_t n = room(bus, start, length);
    if (n <= 0 || length <= 0) return;
    WhiteNoise nl(seed), nr(seed ^ 0x27d4eb2fu);
    Svf fl, fr;
    const int64_t fadeOut = seconds(0.03f);
    for (int64_t i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / length;
        if ((i & 31) == 0) {
            float hz = 400.0f * std::pow(30.0f, t);  // 400 Hz .. 12 kHz
            fl.set(hz, 0.5f);
            fr.set(hz * 1.03f, 0.5f);
        }
        fl.process(nl.next());
        fr.process(nr.next());
        float env = t * t * velocity * 0.11f;
        if (length - i < fadeOut) env *= static_cast<float>(length - i) / fadeOut;
        bus.left[start + i] += fl.band() * env;
        bus.right[start + i] += fr.band() * env;
    }
}

void renderBass(Stereo& bus, int64_t start, int64_t length, float note, float velocity, float cutoffHz) {
    const int64_t release = seconds(0.15f);
    int64_t n = room(bus, start, length + release);
    if (n <= 0) return;
    std::vector<float> out(n);
    float hz = midiToHz(note);
    SawOsc a, b;
    SineOsc sub;
    a.setFrequency(hz * std::pow(2.0f, 7.0f / 1200.0f));
    b.setFrequency(hz * std::pow(2.0f, -7.0f / 1200.0f));
    b.setPhase(0.37f);
    sub.setFrequency(hz);
    Ladder lp;
    Adsr amp(0.003f, 0.25f, 0.75f, 0.03f);
    float fenv = 1, fcoef = decayCoef(0.12f);
    for (int64_t i = 0; i < n; ++i) {
        if (i == length) amp.gateOff();
        if ((i & 15) == 0) lp.set(cutoffHz + 1500.0f * fenv, 1.2f);
        float raw = 0.5f * (a.next() + b.next());
        float filtered = lp.process(raw * 0.8f);
        float s = filtered * 1.1f + 0.55f * sub.next();
        out[i] = 0.3f * velocity * softClip(1.2f * s) * amp.next();
        fenv *= fcoef;
    }
    addMono(bus, start, out, Pan{1, 1});
}

void renderPad(Stereo& bus, int64_t start, int64_t length, const int* notes, int noteCount, float velocity,
               float cutoffHz, float attackSec, uint32_t seed) {
    // Release time constant 0.4 s: about -40 dB 1.8 s after the chord ends, where a short fade
    // completes it.
    const float releaseSec = 0.4f;
    const int64_t total = length + seconds(1.8f), fade = seconds(0.3f);
    int64_t n = room(bus, start, total);
    if (n <= 0) return;
    std::vector<float> l(n, 0.0f), r(n, 0.0f);
    constexpr int kVoices = 7, kLanes = 8;  // the eighth lane is silent: whole SIMD registers
    Random rng(seed);
    const float g = 1.0f / std::sqrt(static_cast<float>(kVoices * noteCount));
    for (int k = 0; k < noteCount; ++k) {
        float hz = midiToHz(static_cast<float>(notes[k]));
        float ph[kLanes], dt[kLanes], gl[kLanes], gr[kLanes];
        for (int v = 0; v < kLanes; ++v) {
            float spread = (static_cast<float>(v) / (kVoices - 1)) * 2.0f - 1.0f;  // -1 .. 1
            dt[v] = hz * std::pow(2.0f, 12.0f * spread / 1200.0f) / kSampleRate;
            ph[v] = rng.uniform();
            Pan p = panPosition(spread * 0.8f);
            gl[v] = v < kVoices ? p.left * g : 0.0f;
            gr[v] = v < kVoices ? p.right * g : 0.0f;
        }
        // Blocks of 64 samples; within a block each voice's phase is computed directly from the
        // block start, so the inner loop has no recurrence and runs on whole SIMD registers.
        constexpr int kBlock = 64;
        for (int64_t i0 = 0; i0 < n; i0 += kBlock) {
            float sl[kBlock] = {}, sr[kBlock] = {};
            for (int v = 0; v < kVoices; ++v) {
                const float base = ph[v], d = dt[v], inv = 1.0f / d, left = gl[v], right = gr[v];
                for (int i = 0; i < kBlock; ++i) {
                    float t = base + static_cast<float>(i) * d;
                    t -= static_cast<float>(static_cast<int>(t));
                    float a = t * inv, b = (t - 1.0f) * inv;
                    float lo = a + a - a * a - 1.0f, hi = b * b + b + b + 1.0f;
                    float blep = (t < d ? lo : 0.0f) + (t > 1.0f - d ? hi : 0.0f);
                    float smp = 2.0f * t - 1.0f - blep;
                    sl[i] += smp * left;
                    sr[i] += smp * right;
                }
                float next = base + static_cast<float>(kBlock) * d;
                ph[v] = next - static_cast<float>(static_cast<int>(next));
            }
            int64_t m = std::min<int64_t>(kBlock, n - i0);
            for (int64_t i = 0; i < m; ++i) {
                l[i0 + i] += sl[i];
                r[i0 + i] += sr[i];
            }
        }
    }
    Svf fl, fr;
    fl.set(cutoffHz, 0.8f);
    fr.set(cutoffHz, 0.8f);
    Adsr amp(attackSec, 0.5f, 0.85f, releaseSec);
    for (int64_t i = 0; i < n; ++i) {
        if (i == length) amp.gateOff();
        float e = amp.next() * 0.16f * velocity * std::min(1.0f, static_cast<float>(total - i) / fade);
        fl.process(l[i]);
        fr.process(r[i]);
        bus.left[start + i] += fl.low() * e;
        bus.right[start + i] += fr.low() * e;
    }
}

void renderPluck(Stereo& bus, int64_t start, int64_t length, float note, float velocity, float cutoffHz, float pan) {
    const int64_t tail = seconds(0.35f);
    int64_t n = room(bus, start, length + tail);
    if (n <= 0) return;
    std::vector<float> out(n);
    float hz = midiToHz(note);
    SawOsc saw;
    PulseOsc pulse;
    saw.setFrequency(hz);
    pulse.setFrequency(hz * 1.003f);
    pulse.setWidth(0.3f);
    Svf lp;
    Adsr amp(0.002f, 0.09f, 0.45f, 0.06f);
    float fenv = 1, fcoef = decayCoef(0.07f);
    for (int64_t i = 0; i < n; ++i) {
        if (i == length) amp.gateOff();
        if ((i & 15) == 0) lp.set(cutoffHz * (0.35f + 1.6f * fenv), 0.6f);
        lp.process(saw.next() + 0.25f * pulse.next());
        out[i] = 0.09f * velocity * lp.low() * amp.next();
        fenv *= fcoef;
    }
    addMono(bus, start, out, panPosition(pan));
}

void renderLead(Stereo& bus, int64_t start, int64_t length, float note, float velocity, float cutoffHz) {
    const int64_t tail = seconds(0.9f), total = length + tail, fade = seconds(0.05f);
    int64_t n = room(bus, start, total);
    if (n <= 0) return;
    std::vector<float> l(n), r(n);
    float hz = midiToHz(note);
    SawOsc a, b;
    PulseOsc sub;
    b.setPhase(0.5f);
    sub.setWidth(0.5f);
    Svf fl, fr;
    Adsr amp(0.012f, 0.3f, 0.7f, 0.15f);
    const int64_t vibratoDelay = seconds(0.18f);
    for (int64_t i = 0; i < n; ++i) {
        if (i == length) amp.gateOff();
        if ((i & 15) == 0) {
            float t = static_cast<float>(i) / kSampleRate;
            float depth = i > vibratoDelay ? std::min(1.0f, (i - vibratoDelay) / (0.3f * kSampleRate)) : 0.0f;
            float vib = std::pow(2.0f, depth * 0.22f * std::sin(2.0f * kPi * 5.5f * t) / 12.0f);
            a.setFrequency(hz * vib * 1.0029f);
            b.setFrequency(hz * vib * 0.9971f);
            sub.setFrequency(hz * vib * 0.5f);
            float bright = 1.0f + 1.2f * std::exp(-t / 0.15f);
            fl.set(cutoffHz * bright, 0.9f);
            fr.set(cutoffHz * bright * 1.05f, 0.9f);
        }
        float sa = a.next(), sb = b.next(), ss = 0.3f * sub.next();
        fl.process(sa * 0.7f + sb * 0.3f + ss);
        fr.process(sa * 0.3f + sb * 0.7f + ss);
        float e = amp.next() * 0.12f * velocity * std::min(1.0f, static_cast<float>(total - i) / fade);
        l[i] = fl.low() * e;
        r[i] = fr.low() * e;
    }
    int64_t m = room(bus, start, n);
    for (int64_t i = 0; i < m; ++i) {
        bus.left[start + i] += l[i];
        bus.right[start + i] += r[i];
    }
}

} // namespace tools
