#pragma once
// The opponent's only source of chance: the tie rule of candidate selection.

#include <cstdint>

namespace kivola {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Uniform over 0..9.
    virtual int nextDigit() = 0;
};

// SplitMix64 with an unbiased reduction: the same seed gives the same digits on every platform,
// which std::uniform_int_distribution does not promise.
class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}
    int nextDigit() override;
    std::uint64_t next64();

private:
    std::uint64_t state_;
};

// What the program uses: seeded once from the clock when it is made.
class ClockSeededRandom final : public SeededRandom {
public:
    ClockSeededRandom();
};

} // namespace kivola
