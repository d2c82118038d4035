#include "master_lines.h"

#include <algorithm>
#include <vector>

namespace kivola::master {

namespace {

constexpr int kFiveLength = 5;
// A stretch of a line free of the other side's stones and walls: up to kLineReach cells each
// side of the centre, the centre holding the new stone. Bit i of a mask: cell i holds own stone.
constexpr int kMaxStretch = 2 * kLineReach + 1;
constexpr int kMasks = 1 << kMaxStretch;
constexpr int kStretchShapes = (kLineReach + 1) * (kLineReach + 1);

int runThrough(std::uint32_t mask, int centre, int length) {
    int run = 1;
    for (int i = centre - 1; i >= 0 && ((mask >> i) & 1) != 0; --i) {
        ++run;
    }
    for (int i = centre + 1; i < length && ((mask >> i) & 1) != 0; ++i) {
        ++run;
    }
    return run;
}

// One step weaker: what a shape was one stone before it became this.
constexpr LinePattern oneStoneBefore(LinePattern pattern) {
    switch (pattern) {
    case kFlex4: return kFlex3;
    case kBlock4: return kBlock3;
    case kFlex3: return kFlex2;
    case kBlock3: return kBlock2;
    case kFlex2: return kFlex1;
    case kBlock2: return kBlock1;
    default: return kDead;
    }
}

// Classifies stretches; every five counted must run through the centre, so stones that could
// only make a five elsewhere on the line add nothing.
class StretchReader {
public:
    explicit StretchReader(FiveRule rule) : rule_(rule), memo_(kStretchShapes * kMasks, kUnknown) {}

    LinePattern read(int left, int right, std::uint32_t mask) {
        std::int8_t& known = memo_[(left * (kLineReach + 1) + right) * kMasks + mask];
        if (known == kUnknown) {
            known = static_cast<std::int8_t>(compute(left, right, mask));
        }
        return static_cast<LinePattern>(known);
    }

private:
    static constexpr std::int8_t kUnknown = -1;

    bool isFive(int run) const { return rule_ == FiveRule::ExactFive ? run == kFiveLength : run >= kFiveLength; }

    LinePattern compute(int left, int right, std::uint32_t mask) {
        const int length = left + 1 + right;
        const int centre = left;
        const int run = runThrough(mask, centre, length);
        if (isFive(run)) {
            return kFive;
        }
        if (run > kFiveLength) {
            return kOverline;
        }
        // A five through the centre lies within four cells of it.
        const int first = std::max(0, centre - (kFiveLength - 1));
        const int last = std::min(length - 1, centre + (kFiveLength - 1));
        int fivePoints = 0;
        for (int e = first; e <= last; ++e) {
            if (((mask >> e) & 1) == 0 && isFive(runThrough(mask | 1u << e, centre, length))) {
                ++fivePoints;
            }
        }
        if (fivePoints > 0) {
            return fivePoints > 1 ? kFlex4 : kBlock4;
        }
        LinePattern best = kDead;
        for (int e = first; e <= last; ++e) {
            if (((mask >> e) & 1) == 0) {
                best = std::max(best, oneStoneBefore(read(left, right, mask | 1u << e)));
            }
        }
        return best;
    }

    FiveRule rule_;
    std::vector<std::int8_t> memo_;
};

// The stretch one side sees in a key.
LinePattern readKey(StretchReader& reader, std::uint32_t key, std::uint32_t own) {
    int left = 0;
    int right = 0;
    std::uint32_t leftStones = 0; // bit k - 1: own stone at distance k
    std::uint32_t rightStones = 0;
    for (int k = 1; k <= kLineReach; ++k) {
        const std::uint32_t bits = (key >> neighbourShift(-k)) & 3;
        if (bits != kBitsEmpty && bits != own) {
            break;
        }
        leftStones |= static_cast<std::uint32_t>(bits == own) << (k - 1);
        ++left;
    }
    for (int k = 1; k <= kLineReach; ++k) {
        const std::uint32_t bits = (key >> neighbourShift(k)) & 3;
        if (bits != kBitsEmpty && bits != own) {
            break;
        }
        rightStones |= static_cast<std::uint32_t>(bits == own) << (k - 1);
        ++right;
    }
    std::uint32_t mask = 1u << left;
    for (int k = 1; k <= left; ++k) {
        mask |= ((leftStones >> (k - 1)) & 1) << (left - k);
    }
    mask |= rightStones << (left + 1);
    return reader.read(left, right, mask);
}

std::vector<std::uint8_t> buildTable(FiveRule rule) {
    const bool freestyle = rule == FiveRule::Freestyle;
    std::vector<std::uint8_t> table(freestyle ? kFreestyleMask + 1 : kLineKeys);
    StretchReader reader(rule);
    for (std::uint32_t index = 0; index < table.size(); ++index) {
        // The fifth cells each side, which freestyle ignores, read as empty.
        const std::uint32_t key = freestyle ? index << kFreestyleShift : index;
        table[index] = static_cast<std::uint8_t>(readKey(reader, key, 1) | readKey(reader, key, 2) << 4);
    }
    return table;
}

} // namespace

const std::uint8_t* linePatternTable(FiveRule rule) {
    if (rule == FiveRule::Freestyle) {
        static const std::vector<std::uint8_t> freestyle = buildTable(FiveRule::Freestyle);
        return freestyle.data();
    }
    static const std::vector<std::uint8_t> exact = buildTable(FiveRule::ExactFive);
    return exact.data();
}

LinePattern classifyText(std::string_view line, FiveRule rule) {
    const auto centre = static_cast<int>(line.find('*'));
    std::uint32_t key = 0;
    for (int k = -kLineReach; k <= kLineReach; ++k) {
        if (k == 0) {
            continue;
        }
        const int at = centre + k;
        const char c = at >= 0 && at < static_cast<int>(line.size()) ? line[static_cast<std::size_t>(at)] : '#';
        const std::uint32_t bits = c == 'x' ? 1 : (c == 'o' ? 2 : (c == '.' ? kBitsEmpty : kBitsWall));
        key |= bits << neighbourShift(k);
    }
    return patternFor(linePatternTable(rule)[lineIndex(key, rule)], 1);
}

} // namespace kivola::master
