#include "kivola/opponent/random_source.h"

#include <chrono>

namespace kivola {

std::uint64_t SeededRandom::next64() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int SeededRandom::nextDigit() {
    // Rejects the top sliver of the range so every digit is exactly equally likely.
    constexpr std::uint64_t kDigits = 10;
    constexpr std::uint64_t kLimit = ~std::uint64_t{0} - (~std::uint64_t{0} % kDigits + 1) % kDigits;
    std::uint64_t value = next64();
    while (value > kLimit) {
        value = next64();
    }
    return static_cast<int>(value % kDigits);
}

ClockSeededRandom::ClockSeededRandom()
    : SeededRandom(static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())) {}

} // namespace kivola
