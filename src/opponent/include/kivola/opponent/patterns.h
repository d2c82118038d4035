#pragma once
// The scored line patterns, in the order in which they are tried: the first row whose pattern
// occurs in a line decides that line's score.
//
// Legend: '2' a stone of the placed colour (the cell under test counts as one), '0' an empty
// cell or an open end, '1' a blocked end (the border or a stone of the other colour).

#include <array>
#include <cstdint>
#include <string_view>

namespace kivola {

struct PatternRow {
    std::string_view pattern;
    std::int32_t score;
};

inline constexpr int kOwnPatternCount = 33;
inline constexpr int kFoePatternCount = 17;

// Read when the placed stone belongs to the side being served (attack).
inline constexpr std::array<PatternRow, kOwnPatternCount> ownPatterns{{
    {"222222", -1000}, // six is never wanted
    {"22222", 2500},
    {"22202", 102},
    {"20222", 102},
    {"22022", 102},
    {"122221", 1},
    {"122220", 129},
    {"022221", 129},
    {"022220", 512},
    {"1202021", 1},
    {"0202021", 9},
    {"1202020", 9},
    {"0202020", 10},
    {"122021", 1},
    {"120221", 1},
    {"12221", 1},
    {"022021", 5},
    {"020221", 5},
    {"122020", 5},
    {"120220", 5},
    {"02221", 8},
    {"12220", 8},
    {"022020", 120},
    {"020220", 120},
    {"02220", 128},
    {"1221", 2},
    {"0221", 5},
    {"1220", 5},
    {"0220", 8},
    {"121", 1},
    {"021", 2},
    {"120", 2},
    {"020", 4},
}};

// Read when the placed stone belongs to the opponent of the side being served (defence).
inline constexpr std::array<PatternRow, kFoePatternCount> foePatterns{{
    {"22202", 22},
    {"22022", 22},
    {"20222", 22},
    {"022020", 22},
    {"020220", 22},
    {"022221", 27},
    {"122220", 27},
    {"022021", 3},
    {"020221", 3},
    {"122020", 3},
    {"120220", 3},
    {"22222", 1200},
    {"022220", 400},
    {"02221", 3},
    {"12220", 3},
    {"02220", 25},
    {"0220", 3},
}};

// Strong lines decide the bonuses of a reading; the counts follow the scores.
inline constexpr std::int32_t kOwnStrongAbove = 100;
inline constexpr std::int32_t kOwnDoubleStrong = 129; // counts 8 more
inline constexpr std::int32_t kFoeStrongAbove = 20;
inline constexpr std::int32_t kFoeDoubleStrong = 27;  // counts 8 more, as does anything above 100
inline constexpr int kStrongWeight = 8;

inline constexpr std::int32_t kOwnFewStrongBonus = 220;  // 1 < count < 8
inline constexpr std::int32_t kFoeFewStrongBonus = 210;
inline constexpr std::int32_t kOwnManyStrongBonus = 520; // count > 9
inline constexpr std::int32_t kFoeManyStrongBonus = 500;

constexpr int ownStrongCount(std::int32_t lineScore) {
    return (lineScore > kOwnStrongAbove ? 1 : 0) + (lineScore == kOwnDoubleStrong ? kStrongWeight : 0);
}

constexpr int foeStrongCount(std::int32_t lineScore) {
    return (lineScore > kFoeStrongAbove ? 1 : 0) +
           (lineScore == kFoeDoubleStrong || lineScore > kOwnStrongAbove ? kStrongWeight : 0);
}

constexpr std::int32_t ownBonus(int strongOwn) {
    return (strongOwn > 1 && strongOwn < kStrongWeight ? kOwnFewStrongBonus : 0) +
           (strongOwn > kStrongWeight + 1 ? kOwnManyStrongBonus : 0);
}

constexpr std::int32_t foeBonus(int strongFoe) {
    return (strongFoe > 1 && strongFoe < kStrongWeight ? kFoeFewStrongBonus : 0) +
           (strongFoe > kStrongWeight + 1 ? kFoeManyStrongBonus : 0);
}

namespace patterns_detail {

constexpr bool onlyLineCharacters(std::string_view text) {
    for (char c : text) {
        if (c != '0' && c != '1' && c != '2') {
            return false;
        }
    }
    return !text.empty();
}

constexpr bool sameReversed(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[b.size() - 1 - i]) {
            return false;
        }
    }
    return true;
}

// A line must score the same whichever way it is read.
template <std::size_t N>
constexpr bool mirrorsPresent(const std::array<PatternRow, N>& rows) {
    for (const PatternRow& row : rows) {
        if (!onlyLineCharacters(row.pattern)) {
            return false;
        }
        bool found = false;
        for (const PatternRow& other : rows) {
            found = found || (sameReversed(row.pattern, other.pattern) && other.score == row.score);
        }
        if (!found) {
            return false;
        }
    }
    return true;
}

} // namespace patterns_detail

static_assert(patterns_detail::mirrorsPresent(ownPatterns), "every own pattern needs its mirror");
static_assert(patterns_detail::mirrorsPresent(foePatterns), "every foe pattern needs its mirror");
static_assert(ownStrongCount(129) == 9 && ownStrongCount(128) == 1 && ownStrongCount(100) == 0);
static_assert(foeStrongCount(27) == 9 && foeStrongCount(400) == 9 && foeStrongCount(1200) == 9 &&
              foeStrongCount(22) == 1 && foeStrongCount(25) == 1 && foeStrongCount(3) == 0);

} // namespace kivola
