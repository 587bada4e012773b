#pragma once
// Small deterministic generators. The content must come out byte-identical on every
// run and every machine, so nothing here depends on the standard library's engines
// or distributions.

#include <cstdint>

namespace tools {

// PCG32 (O'Neill): 64-bit state, 32-bit output.
class Random {
public:
    explicit Random(uint64_t seed = 0x853c49e6748fea9bULL, uint64_t stream = 0xda3e39cb94b95bdbULL);
    uint32_t next();
    // Uniform in [0, 1).
    float uniform();
    // Uniform in [lo, hi).
    float range(float lo, float hi);
    // Uniform integer in [0, n).
    uint32_t below(uint32_t n);

private:
    uint64_t state_;
    uint64_t inc_;
};

// Stateless integer hash: the same inputs give the same 32 bits.
uint32_t hash32(uint32_t x);
uint32_t hash2(int32_t x, int32_t y, uint32_t seed);
uint32_t hash3(int32_t x, int32_t y, int32_t z, uint32_t seed);
// Hash mapped to [0, 1).
inline float hashUnit(uint32_t h) { return (h >> 8) * (1.0f / 16777216.0f); }

} // namespace tools
