#pragma once
// The master's knowledge of one line: what a stone put into an empty cell makes along one of the
// four lines through it, read from the ten cells around it on that line.

#include <array>
#include <cstdint>
#include <string_view>

#include "kivola/opponent/master.h"

namespace kivola::master {

// Weakest first. "Flex" shapes can become two fives at once, "block" shapes only one.
enum LinePattern : std::uint8_t {
    kDead,     // no five can ever run through the cell along this line
    kOverline, // exact five only: the stone would make six or more, which does not win
    kBlock1,
    kFlex1,
    kBlock2,
    kFlex2,
    kBlock3,
    kFlex3,
    kBlock4,
    kFlex4,
    kFive,
    kLinePatterns
};

// A line's neighbourhood: the cells at distances 1..5 on both sides, two bits each.
inline constexpr int kLineReach = 5;
inline constexpr int kLineNeighbours = 2 * kLineReach;
inline constexpr std::uint32_t kLineKeys = 1u << (2 * kLineNeighbours);

// Contents as the two bits of a neighbour: empty, a stone of side 1 or 2, or a wall (off the
// board, or a cell taken by neither side).
inline constexpr std::uint32_t kBitsEmpty = 0;
inline constexpr std::uint32_t kBitsWall = 3;

// Where the neighbour at signed distance k (-5..-1, 1..5) sits in a key.
constexpr int neighbourShift(int k) { return 2 * (k < 0 ? k + kLineReach : k + kLineReach - 1); }

// Freestyle never looks at the fifth cell each side (a longer line wins as well): its table is
// indexed by the eight nearer neighbours alone, a table small enough to stay in cache.
inline constexpr int kFreestyleReach = 4;
inline constexpr int kFreestyleShift = 2;
inline constexpr std::uint32_t kFreestyleMask = (1u << (4 * kFreestyleReach)) - 1;

constexpr std::uint32_t lineIndex(std::uint32_t key, FiveRule rule) {
    return rule == FiveRule::Freestyle ? (key >> kFreestyleShift) & kFreestyleMask : key;
}

// Both sides' patterns for every lineIndex: side 1 in the low nibble, side 2 in the high one.
// Built on first use, once per rule.
const std::uint8_t* linePatternTable(FiveRule rule);

constexpr LinePattern patternFor(std::uint8_t packed, int side) {
    return static_cast<LinePattern>(side == 1 ? packed & 0xF : packed >> 4);
}

// The same reading from text, for tests: 'x' own stones, 'o' the other side's, '#' a wall, '.'
// empty, and '*' the (empty) cell the stone goes into. Cells beyond the text are walls.
LinePattern classifyText(std::string_view line, FiveRule rule);

} // namespace kivola::master
