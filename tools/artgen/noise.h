#pragma once

// Seeded, platform-independent noise: integer hashing only, so every run draws the same bytes.

#include <cstdint>

namespace artgen {

class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    double uniform() { return double(next() >> 11) * 0x1.0p-53; }   // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }

private:
    std::uint64_t state_;
};

// Smooth value noise in [0, 1] on an integer lattice.
double valueNoise(double x, double y, std::uint32_t seed);
// Sum of octaves, normalised to [0, 1].
double fbm(double x, double y, std::uint32_t seed, int octaves);
// Sum of |noise - 0.5| octaves: ridged, for marble veins; roughly [0, 1].
double turbulence(double x, double y, std::uint32_t seed, int octaves);

}  // namespace artgen
