#include "noise.h"

#include <cmath>

namespace artgen {

std::uint64_t Rng::next()
{
    // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

namespace {

double lattice(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    std::uint32_t h = std::uint32_t(x) * 0x8DA6B343u ^ std::uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return double(h) / 4294967295.0;
}

double smooth(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

}  // namespace

double valueNoise(double x, double y, std::uint32_t seed)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = std::int32_t(fx);
    const auto iy = std::int32_t(fy);
    const double tx = smooth(x - fx);
    const double ty = smooth(y - fy);
    const double a = lattice(ix, iy, seed);
    const double b = lattice(ix + 1, iy, seed);
    const double c = lattice(ix, iy + 1, seed);
    const double d = lattice(ix + 1, iy + 1, seed);
    const double top = a + (b - a) * tx;
    const double bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

double fbm(double x, double y, std::uint32_t seed, int octaves)
{
    double sum = 0;
    double amp = 1;
    double total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * valueNoise(x, y, seed + std::uint32_t(i) * 101u);
        total += amp;
        amp *= 0.5;
        x *= 2.03;
        y *= 2.03;
    }
    return sum / total;
}

double turbulence(double x, double y, std::uint32_t seed, int octaves)
{
    double sum = 0;
    double amp = 1;
    double total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * std::abs(valueNoise(x, y, seed + std::uint32_t(i) * 131u) - 0.5) * 2;
        total += amp;
        amp *= 0.5;
        x *= 2.01;
        y *= 2.01;
    }
    return sum / total;
}

}  // namespace artgen
