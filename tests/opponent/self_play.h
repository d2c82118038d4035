#pragma once
// Games of the opponent against itself, for realistic test positions and the benchmark corpus.

#include <cstdint>
#include <vector>

#include "test_positions.h"

namespace kivola::testing {

struct SelfPlaySettings {
    std::uint64_t seed = 1;
    int depth = kAdvancedDepth;     // both sides search this deep
    int randomOpening = 4;          // stones after the centre placed at random near the others
    int maxStones = 80;
};

// Every position of one game with the side to move shown as 2 (colours swapped where needed),
// from the first stone on, until a five, a full board or maxStones. No position holds a five.
std::vector<Position> selfPlayGame(const SelfPlaySettings& settings);

// The same position with the codes 1 and 2 swapped.
Position swapColours(const Position& position);

} // namespace kivola::testing
