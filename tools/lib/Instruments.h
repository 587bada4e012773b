#pragma once
// The instruments of the track. Each call renders one hit or note into a stereo bus,
// starting at a sample position; anything past the end of the bus is dropped.

#include "Master.h"

#include <cstdint>
#include <vector>

namespace tools {

struct Pan {
    float left, right;
};
// Equal-power pan, position -1 (left) .. 1 (right).
Pan panPosition(float position);

// Adds a mono signal to a stereo bus at `start` with the given pan gains.
void addMono(Stereo& bus, int64_t start, const std::vector<float>& mono, Pan pan);

void renderKick(Stereo& bus, int64_t start, float velocity);
void renderSnare(Stereo& bus, int64_t start, float velocity, uint32_t seed);
void renderClap(Stereo& bus, int64_t start, float velocity, uint32_t seed);
// Closed or open hat; an open hat is cut short (choked) after chokeSamples when > 0.
void renderHat(Stereo& bus, int64_t start, float velocity, bool open, int64_t chokeSamples, uint32_t seed);
void renderRide(Stereo& bus, int64_t start, float velocity, uint32_t seed);
void renderShaker(Stereo& bus, int64_t start, float velocity, uint32_t seed);
void renderCrash(Stereo& bus, int64_t start, float velocity, uint32_t seed);
// Band-passed noise sweeping from 400 Hz to 12 kHz and swelling over its length.
void renderRiser(Stereo& bus, int64_t start, int64_t length, float velocity, uint32_t seed);

// Bass: two detuned saws and a sub sine through a ladder low-pass with an envelope.
void renderBass(Stereo& bus, int64_t start, int64_t length, float note, float velocity, float cutoffHz);
// Pad chord: a seven-voice detuned saw per note, slow attack, long release, low-pass.
void renderPad(Stereo& bus, int64_t start, int64_t length, const int* notes, int noteCount, float velocity,
               float cutoffHz, float attackSec, uint32_t seed);
// Arpeggio note: saw plus a quarter of a pulse, short gate, filter envelope.
void renderPluck(Stereo& bus, int64_t start, int64_t length, float note, float velocity, float cutoffHz, float pan);
// Lead note: two saws and a sub square with delayed vibrato.
void renderLead(Stereo& bus, int64_t start, int64_t length, float note, float velocity, float cutoffHz);

} // namespace tools
