#include "Song.h"

#include "Dsp.h"
#include "Instruments.h"
#include "Random.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <thread>

namespace tools {

namespace {

// ---------------------------------------------------------------------------------------
// Harmony and melody (A minor)

struct Chord {
    int notes[4];  // pad voicing, MIDI
    int root;      // bass note, MIDI
};

const Chord kAm7{{57, 60, 64, 67}, 33};
const Chord kFmaj7{{53, 57, 60, 64}, 29};
const Chord kC{{55, 60, 64, 67}, 36};
const Chord kG{{55, 59, 62, 67}, 31};
const Chord kEm7{{52, 55, 59, 62}, 28};

const Chord* const kProgressions[2][4] = {
    {&kAm7, &kFmaj7, &kC, &kG},   // the main theme
    {&kFmaj7, &kG, &kEm7, &kAm7}, // the second theme, rising to the tonic
};

struct MelodyNote {
    int step;    // within an eight-bar phrase (0..127)
    int length;  // steps
    int note;    // MIDI
};

// Over the main progression: a call in bars 1-4, an answer an octave higher in bars 5-8.
const std::vector<MelodyNote> kMelodyMain = {
    {0, 6, 76},   {6, 2, 74},   {8, 4, 72},   {12, 4, 76},   // Am7
    {16, 6, 77},  {22, 2, 76},  {24, 4, 72},  {28, 4, 69},   // Fmaj7
    {32, 6, 79},  {38, 2, 76},  {40, 4, 74},  {44, 4, 72},   // C
    {48, 8, 74},  {56, 4, 71},  {60, 4, 67},                 // G
    {64, 6, 81},  {70, 2, 79},  {72, 4, 76},  {76, 4, 72},   // Am7
    {80, 6, 81},  {86, 2, 79},  {88, 4, 77},  {92, 4, 76},   // Fmaj7
    {96, 4, 76},  {100, 4, 79}, {104, 8, 84},                // C
    {112, 6, 83}, {118, 2, 81}, {120, 8, 79},                // G
};

// Over the second progression.
const std::vector<MelodyNote> kMelodySecond = {
    {0, 4, 69},   {4, 4, 72},   {8, 4, 77},   {12, 4, 76},   // Fmaj7
    {16, 4, 74},  {20, 4, 71},  {24, 8, 79},                 // G
    {32, 4, 71},  {36, 4, 76},  {40, 4, 79},  {44, 4, 76},   // Em7
    {48, 12, 81}, {60, 4, 79},                               // Am7
    {64, 4, 77},  {68, 4, 76},  {72, 4, 77},  {76, 4, 81},   // Fmaj7
    {80, 6, 79},  {86, 2, 77},  {88, 8, 74},                 // G
    {96, 4, 76},  {100, 4, 79}, {104, 4, 83}, {108, 4, 79},  // Em7
    {112, 16, 76},                                           // Am7
};

const std::vector<MelodyNote>* const kMelodies[2] = {&kMelodyMain, &kMelodySecond};

// Arpeggio: indices into the chord's four notes, 4 meaning the root an octave up.
const int kArpPattern[16] = {0, 2, 1, 3, 2, 4, 3, 1, 0, 2, 1, 3, 4, 3, 2, 1};

// ---------------------------------------------------------------------------------------
// The score

using B = BassStyle;
using F = Fill;

const std::vector<Section> kSections = {
    // name          start  end    prog kick clap hats h16  open ride shak bass          bassLv pad  cutA  cutB  arp  cutA  cutB  mel lead fill        level dB
    {"intro",        0,     3,     0,   0,   0,   0,   0,   0,   0,   0,   B::Off,       0,     0.75, 500,  1600, 0,   0,    0,    -1, 0,   F::None, -5.0f, -5.0f},
    {"groove",       3,     13,    0,   1,   0,   1,   0,   0,   0,   0.6, B::OffBeat,   0.85,  0.45, 900,  1500, 0,   0,    0,    -1, 0,   F::SnareRoll, -3.5f, -3.0f},
    {"groove2",      13,    31,    0,   1,   1,   1,   0.6, 1,   0,   0.5, B::OffBeat,   1,     0.65, 1300, 2200, 0.5, 1500, 2600, -1, 0,   F::SnareRoll, -2.5f, -2.0f},
    {"cancerous",    31,    55,    0,   1,   1,   1,   0.7, 1,   0.5, 0.3, B::OffBeat,   1,     0.75, 2200, 2600, 0.8, 2600, 3400, -1, 0,   F::SnareRoll, -1.5f, -1.5f},
    {"spectral",     55,    79,    1,   1,   1,   1,   1,   1,   0.6, 0.5, B::OffBeat,   1,     0.75, 2000, 2400, 0.6, 2200, 3000, 1,  0.55, F::None, -2.0f, -2.0f},
    {"build",        79,    95,    1,   1,   1,   1,   1,   0.8, 0.6, 0.6, B::OffBeat,   1,     0.8,  1600, 4200, 0.9, 2200, 6000, -1, 0,   F::None, -2.5f, 0.0f},
    {"verdanth",     95,    110,   0,   1,   1,   1,   1,   1,   0.8, 0.4, B::Rolling,   1,     0.85, 3000, 3500, 1,   4000, 5000, -1, 0,   F::Break, 0.0f, 0.0f},
    {"drop",         110,   135,   0,   1,   1,   1,   1,   1,   0.8, 0.3, B::Rolling,   1,     0.9,  3500, 3500, 0.9, 4500, 4500, 0,  1,   F::SnareRoll, 0.5f, 0.5f},
    {"breakdown",    135,   151,   0,   0,   0.35, 0,  0,   0,   0.5, 1,   B::Long,      0.7,   1,    1200, 2400, 0.55, 1000, 2400, 0, 0.55, F::None, -2.5f, -2.5f},
    {"rebuild",      151,   164.5, 0,   0.85, 0.7, 1,  0.5, 0.6, 0.5, 1,   B::OffBeat,   0.9,   0.85, 2000, 2800, 0.8, 2400, 5000, -1, 0,   F::SnareRoll, -4.0f, -1.5f},
    {"melodic",      164.5, 191,   0,   1,   1,   1,   0.6, 0.8, 0.5, 0.4, B::OffBeat,   1,     0.8,  2500, 2800, 0.55, 3000, 3500, 0, 0.9, F::SnareRoll, -1.5f, -1.5f},
    {"greetings",    191,   208,   1,   1,   1,   1,   0.8, 1,   0.6, 0.4, B::OffBeat,   1,     0.8,  2600, 3000, 0.8, 3500, 4500, 1,  0.9, F::Break, -1.0f, -0.5f},
    {"climax",       208,   236,   0,   1,   1,   1,   1,   1,   0.9, 0.4, B::Rolling,   1,     0.95, 3500, 3800, 1,   5000, 5500, 0,  1,   F::None, 0.5f, 0.5f},
    {"outro",        236,   244,   0,   1,   0.6, 1,   0.6, 0.5, 0.5, 0.6, B::Long,      0.8,   0.9,  3000, 1500, 0.7, 3500, 1500, -1, 0,   F::None, -0.5f, -1.5f},
    {"fade",         244,   254,   0,   0,   0,   0.6, 0,   0,   0.3, 0.5, B::Off,       0,     0.8,  1500, 700,  0.4, 1500, 800,  -1, 0,   F::None, -1.5f, -3.0f},
};

struct Accent {
    double time;  // seconds
    float level;
};

// Crashes on phrase downbeats and scene changes.
const Accent kCrashes[] = {{3, 1.0f},     {13, 0.8f},  {31, 1.0f},   {43, 0.6f},  {55, 1.0f},  {71, 0.7f},
                           {95, 1.0f},    {110, 1.1f}, {126, 0.7f},  {135, 0.6f}, {151, 0.7f}, {164.5, 0.9f},
                           {180.5, 0.6f}, {191, 0.9f}, {208, 1.1f},  {224, 0.8f}, {236, 0.9f}};

struct Span {
    double start, end;  // seconds
    float level;
};

// Noise risers into the section changes.
const Span kRisers[] = {{0.2, 3, 0.5f},     {9, 13, 0.6f},      {27, 31, 0.7f},     {51, 55, 0.6f},
                        {79, 95, 1.0f},     {103, 109, 0.9f},   {130, 134, 0.5f},   {157, 164.5, 0.8f},
                        {183, 190.5, 0.6f}, {199, 207, 0.9f},   {228, 236, 0.6f}};

struct Roll {
    double start, end;  // seconds
    double every;       // steps between hits
    float from, to;     // velocity ramp
};

// Snare rolls of the two builds, speeding up towards the change.
const Roll kRolls[] = {{87, 91, 4, 0.30f, 0.50f},  {91, 93, 2, 0.50f, 0.65f},   {93, 94.5, 1, 0.65f, 0.85f},
                       {94.5, 95, 0.5, 0.85f, 1.0f}, {105, 107, 2, 0.45f, 0.6f}, {107, 108.5, 1, 0.6f, 0.8f},
                       {108.5, 109, 0.5, 0.8f, 0.95f}};

enum class Kind { Kick, Snare, Clap, HatClosed, HatOpen, Ride, Shaker, Crash, Riser, Bass, Pad, Pluck, Lead };

struct Event {
    Kind kind;
    int64_t start;
    int64_t length = 0;   // notes: gate length; open hats: choke; risers: duration
    float note = 0;
    float velocity = 1;
    float cutoff = 0;
    float pan = 0;
    float attack = 0.4f;
    const Chord* chord = nullptr;
    uint32_t seed = 0;
};

double secondsToSteps(double s) { return s * kBpm / 60.0 * 4.0; }

std::vector<Event> buildScore() {
    std::vector<Event> ev;
    Random human(2024);
    auto jitter = [&](float v) { return v * (0.92f + 0.08f * human.uniform()); };
    const double swing = 0.07;  // odd sixteenths come this many steps late
    uint32_t seed = 1;

    for (const Section& s : kSections) {
        const int64_t first = std::llround(secondsToSteps(s.start));
        const int nSteps = static_cast<int>(std::llround(secondsToSteps(s.end)) - first);
        const int partial = nSteps % 16;
        const int fillStart = nSteps - (partial ? partial : 8);
        for (int ls = 0; ls < nSteps; ++ls) {
            const double gs = static_cast<double>(first + ls);
            const int bar = ls / 16, pos = ls % 16;
            const Chord& chord = *kProgressions[s.progression][bar % 4];
            const float progress = static_cast<float>(ls) / nSteps;
            const bool inFill = ls >= fillStart;
            const bool silenced = s.fill == Fill::Break && inFill;
            const double swung = gs + ((pos & 1) ? swing : 0.0);

            if (!silenced) {
                if (s.kick > 0 && pos % 4 == 0) ev.push_back({Kind::Kick, stepToSample(gs), 0, 0, s.kick * (pos == 0 ? 1.0f : 0.94f)});
                if (s.clap > 0 && (pos == 4 || pos == 12)) {
                    ev.push_back({Kind::Clap, stepToSample(gs), 0, 0, jitter(s.clap), 0, 0, 0, nullptr, seed++});
                    // The loudest parts layer a snare under the clap.
                    if (s.kick > 0 && s.bassStyle == BassStyle::Rolling)
                        ev.push_back({Kind::Snare, stepToSample(gs), 0, 0, 0.45f, 0, 0, 0, nullptr, seed++});
                }
                if (s.openHats > 0) {
                    if (pos % 4 == 2) {
                        Event e{Kind::HatOpen, stepToSample(gs), stepToSample(2.0), 0, jitter(s.openHats)};
                        e.seed = seed++;
                        ev.push_back(e);
                    } else if (s.hats16 > 0 && pos % 4 != 3) {
                        Event e{Kind::HatClosed, stepToSample(swung), 0, 0, jitter(s.hats16 * (pos % 4 == 0 ? 0.55f : 0.45f))};
                        e.seed = seed++;
                        ev.push_back(e);
                    }
                } else if (s.hats > 0) {
                    if (pos % 4 == 2) {
                        Event e{Kind::HatClosed, stepToSample(gs), 0, 0, jitter(s.hats)};
                        e.seed = seed++;
                        ev.push_back(e);
                    } else if (s.hats16 > 0) {
                        Event e{Kind::HatClosed, stepToSample(swung), 0, 0, jitter(s.hats16 * 0.5f)};
                        e.seed = seed++;
                        ev.push_back(e);
                    }
                }
                if (s.ride > 0 && pos % 2 == 0) {
                    Event e{Kind::Ride, stepToSample(gs), 0, 0, jitter(s.ride * (pos % 4 == 2 ? 1.0f : 0.6f))};
                    e.seed = seed++;
                    ev.push_back(e);
                }
                if (s.fill == Fill::SnareRoll && inFill) {
                    int f = ls - fillStart, len = nSteps - fillStart;
                    bool hit = f * 2 < len ? (f % 2 == 0) : true;
                    if (hit) {
                        Event e{Kind::Snare, stepToSample(gs), 0, 0, 0.35f + 0.55f * static_cast<float>(f) / len};
                        e.seed = seed++;
                        ev.push_back(e);
                    }
                }
                // Bass
                if (s.bassStyle == BassStyle::OffBeat && pos % 4 == 2) {
                    int note = chord.root + ((pos == 14 && bar % 2 == 1) ? 12 : 0);
                    ev.push_back({Kind::Bass, stepToSample(gs), stepToSample(1.5), static_cast<float>(note), s.bass, 300.0f});
                } else if (s.bassStyle == BassStyle::Rolling && pos % 4 != 0) {
                    int note = chord.root + (pos % 4 == 2 ? 12 : 0);
                    ev.push_back({Kind::Bass, stepToSample(gs), stepToSample(0.8), static_cast<float>(note),
                                  s.bass * (pos % 4 == 2 ? 1.0f : 0.8f), 380.0f});
                } else if (s.bassStyle == BassStyle::Long && pos == 0) {
                    int len = std::min(16, nSteps - ls);
                    ev.push_back({Kind::Bass, stepToSample(gs), stepToSample(len - 0.3), static_cast<float>(chord.root),
                                  s.bass, 160.0f});
                }
            }
            if (s.shaker > 0) {
                static const float accent[4] = {0.5f, 0.3f, 1.0f, 0.4f};
                Event e{Kind::Shaker, stepToSample(swung), 0, 0, jitter(s.shaker * accent[pos % 4])};
                e.seed = seed++;
                ev.push_back(e);
            }
            // Pad: one chord per bar
            if (s.pad > 0 && pos == 0) {
                int len = std::min(16, nSteps - ls);
                Event e{Kind::Pad, stepToSample(gs), stepToSample(len), 0, s.pad};
                e.cutoff = s.padCutStart + (s.padCutEnd - s.padCutStart) * progress;
                e.attack = s.kick > 0 ? 0.4f : (ls == 0 && first == 0 ? 1.6f : 0.8f);
                e.chord = &chord;
                e.seed = seed++;
                ev.push_back(e);
            }
            if (s.arp > 0) {
                int idx = kArpPattern[pos];
                int note = (idx == 4 ? chord.notes[0] + 12 : chord.notes[idx]) + 12;
                Event e{Kind::Pluck, stepToSample(gs), stepToSample(0.5), static_cast<float>(note),
                        s.arp * (pos % 4 == 0 ? 1.0f : 0.72f)};
                e.cutoff = s.arpCutStart + (s.arpCutEnd - s.arpCutStart) * progress;
                e.pan = (pos & 1) ? 0.3f : -0.3f;
                ev.push_back(e);
            }
            if (s.melody >= 0 && s.lead > 0) {
                int phraseStep = ls % 128;
                for (const MelodyNote& m : *kMelodies[s.melody]) {
                    if (m.step != phraseStep) continue;
                    int len = std::min(m.length, nSteps - ls);
                    ev.push_back({Kind::Lead, stepToSample(gs), stepToSample(len - 0.25), static_cast<float>(m.note),
                                  s.lead, 3800.0f});
                    // The climax doubles the tune an octave up.
                    if (std::string(s.name) == "climax")
                        ev.push_back({Kind::Lead, stepToSample(gs), stepToSample(len - 0.25),
                                      static_cast<float>(m.note + 12), s.lead * 0.4f, 5000.0f});
                }
            }
        }
    }
    for (const Accent& c : kCrashes) {
        Event e{Kind::Crash, stepToSample(secondsToSteps(c.time)), 0, 0, c.level};
        e.seed = seed++;
        ev.push_back(e);
    }
    for (const Span& r : kRisers) {
        int64_t a = stepToSample(secondsToSteps(r.start)), b = stepToSample(secondsToSteps(r.end));
        Event e{Kind::Riser, a, b - a, 0, r.level};
        e.seed = seed++;
        ev.push_back(e);
    }
    for (const Roll& r : kRolls) {
        double a = secondsToSteps(r.start), b = secondsToSteps(r.end);
        for (double st = a; st < b - 1e-9; st += r.every) {
            float t = static_cast<float>((st - a) / (b - a));
            Event e{Kind::Snare, stepToSample(st), 0, 0, r.from + (r.to - r.from) * t};
            e.seed = seed++;
            ev.push_back(e);
        }
    }
    return ev;
}

} // namespace

const std::vector<Section>& songSections() { return kSections; }

ScoreEvents scoreEvents() {
    ScoreEvents out;
    for (const Event& e : buildScore()) {
        double t = static_cast<double>(e.start) / kSampleRate;
        switch (e.kind) {
        case Kind::Kick: out.kicks.push_back(t); break;
        case Kind::Crash: out.crashes.push_back(t); break;
        case Kind::HatClosed:
        case Kind::HatOpen: out.hats.push_back(t); break;
        case Kind::Clap: out.claps.push_back(t); break;
        case Kind::Snare: out.snares.push_back(t); break;
        default: break;
        }
    }
    for (std::vector<double>* v : {&out.kicks, &out.crashes, &out.hats, &out.claps, &out.snares})
        std::sort(v->begin(), v->end());
    return out;
}

Stereo renderArrangement(float seconds) {
    const size_t n = static_cast<size_t>(seconds * kSampleRate);
    // Four buses: dry drums and bass; snare and clap (sent to the reverb); pad (ducked, sent to
    // the reverb); plucks and lead (sent to the reverb and the delay).
    Stereo dry, snare, pad, synth;
    for (Stereo* b : {&dry, &snare, &pad, &synth}) b->resize(n);
    const std::vector<Event> score = buildScore();
    std::vector<int64_t> kickStarts;
    for (const Event& e : score)
        if (e.kind == Kind::Kick) kickStarts.push_back(e.start);

    // The pad and synth buses render on a second thread: the buses are independent, so the
    // result does not depend on the scheduling.
    auto renderSome = [&](bool tonal) {
        for (const Event& e : score) {
            if (e.start < 0 || e.start >= static_cast<int64_t>(n)) continue;
            bool isTonal = e.kind == Kind::Pad || e.kind == Kind::Pluck || e.kind == Kind::Lead;
            if (isTonal != tonal) continue;
            switch (e.kind) {
            case Kind::Kick: renderKick(dry, e.start, e.velocity); break;
            case Kind::Snare: renderSnare(snare, e.start, e.velocity, e.seed); break;
            case Kind::Clap: renderClap(snare, e.start, e.velocity, e.seed); break;
            case Kind::HatClosed: renderHat(dry, e.start, e.velocity, false, 0, e.seed); break;
            case Kind::HatOpen: renderHat(dry, e.start, e.velocity, true, e.length, e.seed); break;
            case Kind::Ride: renderRide(dry, e.start, e.velocity, e.seed); break;
            case Kind::Shaker: renderShaker(dry, e.start, e.velocity, e.seed); break;
            case Kind::Crash: renderCrash(dry, e.start, e.velocity, e.seed); break;
            case Kind::Riser: renderRiser(dry, e.start, e.length, e.velocity, e.seed); break;
            case Kind::Bass: renderBass(dry, e.start, e.length, e.note, e.velocity, e.cutoff); break;
            case Kind::Pad:
                renderPad(pad, e.start, e.length, e.chord->notes, 4, e.velocity, e.cutoff, e.attack, e.seed);
                break;
            case Kind::Pluck: renderPluck(synth, e.start, e.length, e.note, e.velocity, e.cutoff, e.pan); break;
            case Kind::Lead: renderLead(synth, e.start, e.length, e.note, e.velocity, e.cutoff); break;
            }
        }
    };
    std::thread tonalThread(renderSome, true);
    renderSome(false);
    tonalThread.join();

    // Side-chain: the pad (and lightly the synths) duck under every kick. Then the sends:
    // the snare bus becomes the reverb input and the pad bus the delay input.
    std::sort(kickStarts.begin(), kickStarts.end());
    {
        const float coef = decayCoef(0.12f);
        size_t k = 0;
        float env = 0;
        for (size_t i = 0; i < n; ++i) {
            while (k < kickStarts.size() && static_cast<size_t>(kickStarts[k]) == i) {
                env = 1.0f;
                ++k;
            }
            float d = 1.0f - 0.6f * env, dl = 0.7f + 0.3f * d;
            env *= coef;
            float pl = pad.left[i] * d, pr = pad.right[i] * d;
            float sl = synth.left[i] * dl, sr = synth.right[i] * dl;
            dry.left[i] += snare.left[i] + pl + sl;
            dry.right[i] += snare.right[i] + pr + sr;
            snare.left[i] = 0.3f * snare.left[i] + 0.35f * pl + 0.22f * sl;
            snare.right[i] = 0.3f * snare.right[i] + 0.35f * pr + 0.22f * sr;
            pad.left[i] = 0.4f * sl;
            pad.right[i] = 0.4f * sr;
        }
    }
    Reverb verb(0.86f, 0.35f);
    verb.process(snare.left.data(), snare.right.data(), dry.left.data(), dry.right.data(), n, 1.0f);
    // Dotted eighth at 120 BPM: 0.375 s.
    PingPongDelay delay(0.375f, 0.35f, 5000.0f);
    delay.process(pad.left.data(), pad.right.data(), dry.left.data(), dry.right.data(), n, 0.8f);

    // The sections' level ramps, smoothed so a change never clicks.
    {
        OnePole smooth;
        smooth.set(8.0f);
        size_t i = 0;
        bool primed = false;
        for (const Section& s : kSections) {
            size_t a = static_cast<size_t>(s.start * kSampleRate), b = static_cast<size_t>(s.end * kSampleRate);
            for (i = a; i < std::min(b, n); ++i) {
                float t = static_cast<float>(i - a) / static_cast<float>(b - a);
                float target = dbToGain(s.levelStart + (s.levelEnd - s.levelStart) * t);
                if (!primed) {
                    for (int k = 0; k < 20000; ++k) smooth.lowpass(target);
                    primed = true;
                }
                float g = smooth.lowpass(target);
                dry.left[i] *= g;
                dry.right[i] *= g;
            }
        }
    }
    return dry;
}

Stereo renderSong(float seconds, float targetLufs, MasterReport* report) {
    Stereo a = renderArrangement(seconds);
    const size_t n = a.size();
    // Master bus: mono below 150 Hz, no sub-sonic rumble, no DC.
    OnePole sideLow, hpL, hpR;
    sideLow.set(150.0f);
    hpL.set(22.0f);
    hpR.set(22.0f);
    DcBlocker dcL, dcR;
    for (size_t i = 0; i < n; ++i) {
        float mid = 0.5f * (a.left[i] + a.right[i]);
        float side = 0.5f * (a.left[i] - a.right[i]);
        side -= sideLow.lowpass(side);
        a.left[i] = dcL.process(hpL.highpass(mid + side));
        a.right[i] = dcR.process(hpR.highpass(mid - side));
    }
    // The closing fade, reaching silence by kSilentFrom.
    const float fadeFrom = 245.0f;
    for (size_t i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kSampleRate;
        float g = 1.0f;
        if (t >= kSilentFrom) g = 0.0f;
        else if (t > fadeFrom) g = 0.5f + 0.5f * std::cos(kPi * (t - fadeFrom) / (kSilentFrom - fadeFrom));
        a.left[i] *= g;
        a.right[i] *= g;
    }
    // Glue compression at a known level, then the loudness target through the limiter.
    double l0 = integratedLoudness(a, kSampleRate);
    if (report) report->loudnessBefore = l0;
    if (std::isfinite(l0)) {
        float g = dbToGain(static_cast<float>(-20.0 - l0));
        for (size_t i = 0; i < n; ++i) {
            a.left[i] *= g;
            a.right[i] *= g;
        }
    }
    compress(a, -14.0f, 2.0f, 0.010f, 0.100f, kSampleRate);
    // Vorbis encoding overshoots a limited signal by up to about 1 dB: keep room for it.
    const float ceilingDb = -2.8f;
    Stereo out;
    float gainDb = 0.0f;
    double lufs = integratedLoudness(a, kSampleRate);
    if (std::isfinite(lufs)) gainDb = static_cast<float>(targetLufs - lufs);
    const std::vector<float> peaks = peakEnvelope(a);
    for (int pass = 0; pass < 3; ++pass) {
        out = a;
        limitScaled(out, dbToGain(gainDb), peaks, ceilingDb, 0.002f, 0.08f, kSampleRate);
        lufs = integratedLoudness(out, kSampleRate);
        if (!std::isfinite(lufs) || std::fabs(lufs - targetLufs) < 0.05) break;
        gainDb += static_cast<float>(targetLufs - lufs);
    }
    if (report) {
        report->loudnessAfter = lufs;
        report->truePeakDb = gainToDb(std::max(1e-9f, truePeak(out)));
        report->samplePeakDb = gainToDb(std::max(1e-9f, samplePeak(out)));
    }
    return out;
}

} // namespace tools
