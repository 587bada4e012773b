#pragma once
// Seeded three-dimensional gradient noise on an integer lattice: quintic fade, twelve
// edge-direction gradients, and two octave sums (fractal, turbulence).
//
// The tables are drawn from the program's shared random sequence (render/Random.h), which
// construction reseeds: the same bits and seed always give the same field, and whoever draws
// from the sequence afterwards continues from where the set-up left it (3 * size draws after
// the seed: one gradient draw per entry, then a permY and a permZ swap draw per entry).

#include "render/VectorMath.h"

#include <vector>

class GradientNoise {
public:
    int size;                        // table length, 2^bits
    int mask;                        // size - 1
    std::vector<int> gradientIndex;  // per hash: 3 * gradient number (offset into the gradient table)
    std::vector<int> permY;          // permutation of 0 ... size - 1, y level of the hash
    std::vector<int> permZ;          // permutation of 0 ... size - 1, z level of the hash

    // bits is taken into 1 ... maxBits.
    GradientNoise(int bits, unsigned seed);
    GradientNoise(const GradientNoise&) = delete;
    GradientNoise& operator=(const GradientNoise&) = delete;

    static const int maxBits = 20;

    // Noise at p, roughly -1 ... 1; 0 at every lattice point. Allocates nothing.
    float noise(const Vec3& p) const;
    // Sum over octaves i of noise(p * 2^i) * 0.5^i; 0 for octaves <= 0.
    float fractal(Vec3 p, int octaves) const;
    // Sum over octaves i of |noise(p * 2^i)| * 0.5^i; 0 for octaves <= 0.
    float turbulence(Vec3 p, int octaves) const;
};
