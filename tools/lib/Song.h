#pragma once
// "Qorvanel": the production's music, composed as a score of sections at 120 BPM and
// synthesized offline. Every section boundary lies on a beat.

#include "Master.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace tools {

constexpr double kBpm = 120.0;
constexpr double kSamplesPerStep = 5512.5;  // a sixteenth note at 120 BPM and 44.1 kHz
constexpr float kSongSeconds = 254.0f;
constexpr float kSilentFrom = 252.5f;      // the fade has reached silence here

// Sample index of a sixteenth-note step (fractional steps allowed); rounding per event keeps
// the grid from drifting.
inline int64_t stepToSample(double step) { return static_cast<int64_t>(std::llround(step * kSamplesPerStep)); }

enum class BassStyle { Off, OffBeat, Rolling, Long };
enum class Fill { None, SnareRoll, Break };

struct Section {
    const char* name;
    double start, end;          // seconds
    int progression;            // chord progression index
    float kick, clap, hats, hats16, openHats, ride, shaker;
    BassStyle bassStyle;
    float bass;
    float pad, padCutStart, padCutEnd;
    float arp, arpCutStart, arpCutEnd;
    int melody;                 // -1 none, else melody index
    float lead;
    Fill fill;
    float levelStart, levelEnd;  // dB, a ramp over the section shaping the track's dynamics
};

// The score: sections in time order, covering 0 .. kSongSeconds.
const std::vector<Section>& songSections();

// What the score triggers, for inspection and tests.
struct ScoreEvents {
    std::vector<double> kicks;   // seconds
    std::vector<double> crashes;
    std::vector<double> hats;    // closed and open
    std::vector<double> claps;
    std::vector<double> snares;
};
ScoreEvents scoreEvents();

// Renders the unmastered mix from 0 to `seconds`.
Stereo renderArrangement(float seconds);

struct MasterReport {
    double loudnessBefore = 0, loudnessAfter = 0;  // LUFS
    float truePeakDb = 0, samplePeakDb = 0;
};

// The finished track: arrangement, master bus, loudness normalised to targetLufs, limited.
Stereo renderSong(float seconds, float targetLufs, MasterReport* report);

} // namespace tools
