#include "render/Random.h"

#include <cstdint>

namespace {
uint32_t state = 1;
unsigned long draws = 0;
}  // namespace

void demoSeed(unsigned seed) {
    state = static_cast<uint32_t>(seed);
    draws = 0;
}

int demoRand() {
    state = state * 1103515245u + 12345u;
    ++draws;
    return static_cast<int>((state >> 16) & 0x7fffu);
}

unsigned long demoRandDraws() { return draws; }
