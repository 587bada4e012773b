#pragma once
// Tileable noise for textures: gradient noise with an integer lattice period, its fractal
// sums, and cellular (Worley) noise on a torus. All functions take texture coordinates
// u, v in [0, 1) and repeat exactly with period 1 in both.

#include <cstdint>

namespace tools {

class PeriodicNoise {
public:
    explicit PeriodicNoise(uint32_t seed);
    // Gradient noise on a lattice that repeats every periodX x periodY cells (1..256),
    // evaluated at lattice coordinates (x, y). Result roughly in [-1, 1].
    float lattice(float x, float y, int periodX, int periodY) const;
    // One octave at integer frequencies fx, fy over the unit square.
    float octave(float u, float v, int fx, int fy) const { return lattice(u * fx, v * fy, fx, fy); }
    // Fractal sum of `octaves` octaves, frequency doubling each octave, amplitude times gain.
    // Normalised so the result stays roughly in [-1, 1].
    float fbm(float u, float v, int fx, int fy, int octaves, float gain = 0.5f) const;
    // Sum of |noise| (turbulence), amplitude times gain per octave; roughly [0, 1].
    float turbulence(float u, float v, int fx, int fy, int octaves, float gain = 0.5f) const;
    // Ridged multifractal: sharp crests where the noise crosses zero; roughly [0, 1].
    float ridged(float u, float v, int fx, int fy, int octaves, float gain = 0.5f) const;

private:
    uint8_t perm_[512];
    float gx_[256], gy_[256];
};

struct WorleySample {
    float f1 = 0, f2 = 0;  // distances to the nearest and second nearest feature, in cell units
    uint32_t cellId = 0;   // hash of the nearest feature's cell (wrapped), for per-cell colours
    float nearestX = 0, nearestY = 0;  // offset from the point to the nearest feature, in cells
};

class Worley {
public:
    // cellsX x cellsY cells over the unit square, one feature per cell jittered by `jitter`
    // (0 = regular grid, 1 = anywhere in the cell).
    Worley(int cellsX, int cellsY, float jitter, uint32_t seed);
    WorleySample sample(float u, float v) const;
    int cellsX() const { return cx_; }
    int cellsY() const { return cy_; }

private:
    int cx_, cy_;
    float jitter_;
    uint32_t seed_;
};

} // namespace tools
