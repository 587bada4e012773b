#include "Random.h"

namespace tools {

Random::Random(uint64_t seed, uint64_t stream) : state_(0), inc_((stream << 1u) | 1u) {
    next();
    state_ += seed;
    next();
}

uint32_t Random::next() {
    uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + inc_;
    uint32_t xorshifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    uint32_t rot = static_cast<uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

float Random::uniform() { return hashUnit(next()); }

float Random::range(float lo, float hi) { return lo + (hi - lo) * uniform(); }

uint32_t Random::below(uint32_t n) {
    if (n == 0) return 0;
    return static_cast<uint32_t>((static_cast<uint64_t>(next()) * n) >> 32);
}

uint32_t hash32(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

uint32_t hash2(int32_t x, int32_t y, uint32_t seed) {
    return hash32(static_cast<uint32_t>(x) * 0x8da6b343U ^ hash32(static_cast<uint32_t>(y) * 0xd8163841U ^ seed));
}

uint32_t hash3(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    return hash32(static_cast<uint32_t>(z) * 0xcb1ab31fU ^ hash2(x, y, seed));
}

} // namespace tools
