#pragma once
// The program's one pseudo-random sequence.
//
// Every user shares a single sequence on the main thread: the gradient-noise tables are drawn
// from it at construction, and scenes draw random placements from it while they run, so a
// scene built later that reseeds it changes what an earlier scene sees. The generator is our
// own, so a seed gives the same sequence on every platform and C library:
//
//     state = state * 1103515245 + 12345   (mod 2^32)
//     value = (state >> 16) & 32767
//
// (the linear congruential generator of the C standard's sample rand). Before the first
// demoSeed the state is as after demoSeed(1).

const int demoRandMax = 32767;

// Restarts the sequence and the draw counter.
void demoSeed(unsigned seed);

// Next value of the sequence, 0 ... demoRandMax.
int demoRand();

// Number of demoRand calls since the last demoSeed (or program start).
unsigned long demoRandDraws();
