#include "master_board.h"

#include <algorithm>

namespace kivola::master {

namespace {

// Move ordering: what one line of a cell is worth to the side that would play there.
constexpr std::array<int, kLinePatterns> kAttackWeight{0, 0, 1, 3, 6, 20, 24, 90, 100, 900, 8000};
// Extra for the threat a cell makes over its lines together.
constexpr std::array<int, kThreats> kThreatBonus{0, 0, 0, 500, 1200, 2500, 10000};
constexpr int kMostAttack = 32000;
static_assert(kDirections * kAttackWeight[kFive] <= kMostAttack, "line sums fit 16 bits");

// The evaluation: what an empty cell's line is worth to a side, summed over the board. Fitted to
// the results of 30,000 quiet positions from the master's games against itself (docs/engine.md):
// ones and twos barely tell who wins, threes and fours do. Flex fours and fives never stand in a
// quiet position, so their worths stay as set by hand.
constexpr std::array<int, kLinePatterns> kWorthWeight{0, 0, 1, 0, 0, 1, 22, 59, 113, 160, 400};
constexpr std::array<int, kThreats> kThreatWorth{0, 0, 0, 7, 239, 200, 0};

constexpr int kNearRadius = 2;

struct ZobristKeys {
    // [side][cell]: sides 1 and 2, and 3 for walls.
    std::array<std::array<std::uint64_t, kGridCells>, 3> stone{};
    std::uint64_t side = 0;
};

const ZobristKeys& zobrist() {
    static const ZobristKeys keys = [] {
        ZobristKeys made;
        std::uint64_t state = 0x6b69766f6c61ULL; // fixed, so hashes repeat from run to run
        auto next = [&state] {
            std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            return z ^ (z >> 31);
        };
        for (auto& side : made.stone) {
            for (auto& key : side) {
                key = next();
            }
        }
        made.side = next();
        return made;
    }();
    return keys;
}

} // namespace

std::uint64_t stoneKey(int cell, int side) { return zobrist().stone[side - 1][cell]; }
std::uint64_t sideKey() { return zobrist().side; }

namespace {

// A cell's shape for one side counts its lines: fives in bits 0-2, fours in bits 3-6 (a flex four
// counts two), flex threes in bits 7-9.
constexpr std::array<std::uint16_t, kLinePatterns> kShapeCount{0, 0, 0, 0, 0, 0, 0, 1 << 7, 1 << 3, 2 << 3, 1};
constexpr int kShapeCodes = 1 << 10;

constexpr Threat threatOfShape(int shape) {
    const int fives = shape & 7;
    const int fours = (shape >> 3) & 15;
    const int threes = (shape >> 7) & 7;
    if (fives > 0) {
        return kFiveMove;
    }
    if (fours >= 2) {
        return kFlexFour;
    }
    if (fours == 1) {
        return threes > 0 ? kFourThree : kBlockFour;
    }
    return threes >= 2 ? kDoubleThree : (threes == 1 ? kThree : kQuiet);
}

constexpr std::array<std::uint8_t, kShapeCodes> kThreatOfShape = [] {
    std::array<std::uint8_t, kShapeCodes> table{};
    for (int shape = 0; shape < kShapeCodes; ++shape) {
        table[shape] = threatOfShape(shape);
    }
    return table;
}();

} // namespace

Threat threatOf(const std::array<LinePattern, kDirections>& patterns) {
    int shape = 0;
    for (LinePattern pattern : patterns) {
        shape += kShapeCount[pattern];
    }
    return threatOfShape(shape);
}

Board::Board(int width, int height, FiveRule rule)
    : width_(std::clamp(width, kMasterMinSize, kMasterMaxSize)),
      height_(std::clamp(height, kMasterMinSize, kMasterMaxSize)), rule_(rule), table_(linePatternTable(rule)),
      reach_(rule == FiveRule::Freestyle ? kFreestyleReach : kLineReach) {
    content_.fill(kWallCell);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            content_[cellAt(x, y)] = kEmptyCell;
        }
    }
    emptyCount_ = width_ * height_;
    for (int cell = 0; cell < kGridCells; ++cell) {
        for (int d = 0; d < kDirections; ++d) {
            std::uint32_t key = 0;
            for (int k = -kLineReach; k <= kLineReach; ++k) {
                const int at = cell + k * kStep[d];
                if (k != 0) {
                    const std::uint32_t bits = at >= 0 && at < kGridCells ? content_[at] : kBitsWall;
                    key |= bits << neighbourShift(k);
                }
            }
            keys_[cell][d] = key;
        }
    }
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            enterCell(cellAt(x, y));
        }
    }
    boxes_[0] = Box{kMasterMaxSize, kMasterMaxSize, -1, -1};
    if (toMove_ == kOtherStone) {
        hash_ ^= sideKey();
    }
}

void Board::setSideToMove(int side) {
    if (side != toMove_) {
        toMove_ = side;
        hash_ ^= sideKey();
    }
}

int Board::attack(int cell, int side) const {
    const SideSums& sums = sums_[cell][side - 1];
    return std::min(kMostAttack, sums.attack + kThreatBonus[sums.threat]);
}

void Board::moveThreat(int cell, int s, Threat from, Threat to) {
    auto setOf = [this, s](Threat threat) -> CellSet* {
        switch (threat) {
        case kFiveMove: return &fives_[s];
        case kBlockFour:
        case kFourThree:
        case kFlexFour: return &fours_[s];
        case kThree:
        case kDoubleThree: return &threes_[s];
        default: return nullptr;
        }
    };
    --counts_[s][from];
    ++counts_[s][to];
    CellSet* out = setOf(from);
    CellSet* in = setOf(to);
    if (out != in) {
        if (out != nullptr) {
            out->erase(cell);
        }
        if (in != nullptr) {
            in->insert(cell);
        }
    }
}

void Board::changeLine(int cell, int direction, std::uint8_t packed) {
    const std::uint8_t old = patterns_[cell][direction];
    if (old == packed) {
        return;
    }
    patterns_[cell][direction] = packed;
    for (int s = 0; s < 2; ++s) {
        const LinePattern was = patternFor(old, s + 1);
        const LinePattern now = patternFor(packed, s + 1);
        if (was == now) {
            continue;
        }
        SideSums& sums = sums_[cell][s];
        const auto before = static_cast<Threat>(sums.threat);
        sums.attack = static_cast<std::int16_t>(sums.attack + kAttackWeight[now] - kAttackWeight[was]);
        sums.worth = static_cast<std::int16_t>(sums.worth + kWorthWeight[now] - kWorthWeight[was]);
        sums.shape = static_cast<std::uint16_t>(sums.shape + kShapeCount[now] - kShapeCount[was]);
        const auto after = static_cast<Threat>(kThreatOfShape[sums.shape]);
        potential_[s] += kWorthWeight[now] - kWorthWeight[was] + kThreatWorth[after] - kThreatWorth[before];
        if (after != before) {
            sums.threat = after;
            moveThreat(cell, s, before, after);
        }
    }
}

void Board::leaveCell(int cell) {
    for (int s = 0; s < 2; ++s) {
        SideSums& sums = sums_[cell][s];
        potential_[s] -= sums.worth + kThreatWorth[sums.threat];
        moveThreat(cell, s, static_cast<Threat>(sums.threat), kQuiet);
        --counts_[s][kQuiet];
    }
}

void Board::enterCell(int cell) {
    for (int d = 0; d < kDirections; ++d) {
        patterns_[cell][d] = table_[lineIndex(keys_[cell][d], rule_)];
    }
    for (int s = 0; s < 2; ++s) {
        SideSums sums;
        int shape = 0;
        int attack = 0;
        int worth = 0;
        for (int d = 0; d < kDirections; ++d) {
            const LinePattern line = patternFor(patterns_[cell][d], s + 1);
            shape += kShapeCount[line];
            attack += kAttackWeight[line];
            worth += kWorthWeight[line];
        }
        sums.attack = static_cast<std::int16_t>(attack);
        sums.worth = static_cast<std::int16_t>(worth);
        sums.shape = static_cast<std::uint16_t>(shape);
        sums.threat = kThreatOfShape[shape];
        sums_[cell][s] = sums;
        ++counts_[s][kQuiet];
        moveThreat(cell, s, kQuiet, static_cast<Threat>(sums.threat));
        potential_[s] += worth + kThreatWorth[sums.threat];
    }
}

// Writes bits (a side, a wall, or empty) for cell into the keys of the cells on its lines, and
// re-reads the empty ones.
void Board::setLineBits(int cell, std::uint32_t bits) {
    for (int d = 0; d < kDirections; ++d) {
        for (int k = -reach_; k <= reach_; ++k) {
            if (k == 0) {
                continue;
            }
            // cell sits at distance -k from the cell k steps away.
            const int at = cell + k * kStep[d];
            const int shift = neighbourShift(-k);
            std::uint32_t& key = keys_[at][d];
            key = (key & ~(std::uint32_t{3} << shift)) | bits << shift;
            if (content_[at] == kEmptyCell) {
                changeLine(at, d, table_[lineIndex(key, rule_)]);
            }
        }
    }
}

void Board::place(int cell, int side) {
    leaveCell(cell);
    content_[cell] = static_cast<std::uint8_t>(side);
    --emptyCount_;
    setLineBits(cell, static_cast<std::uint32_t>(side));
    const int x = xOf(cell);
    const int y = yOf(cell);
    for (int dy = -kNearRadius; dy <= kNearRadius; ++dy) {
        for (int dx = -kNearRadius; dx <= kNearRadius; ++dx) {
            ++near_[cell + dy * kStride + dx];
        }
    }
    const Box& box = boxes_[moveCount_];
    boxes_[moveCount_ + 1] = Box{std::min(box.x0, x), std::min(box.y0, y), std::max(box.x1, x), std::max(box.y1, y)};
    moves_[moveCount_++] = static_cast<std::int16_t>(cell);
    hash_ ^= stoneKey(cell, side);
    setSideToMove(opponentOf(side));
}

void Board::undo() {
    const int cell = moves_[--moveCount_];
    const int side = content_[cell];
    for (int dy = -kNearRadius; dy <= kNearRadius; ++dy) {
        for (int dx = -kNearRadius; dx <= kNearRadius; ++dx) {
            --near_[cell + dy * kStride + dx];
        }
    }
    content_[cell] = kEmptyCell;
    ++emptyCount_;
    setLineBits(cell, kBitsEmpty);
    enterCell(cell);
    hash_ ^= stoneKey(cell, side);
    setSideToMove(side);
}

void Board::wall(int cell) {
    if (content_[cell] != kEmptyCell || moveCount_ != 0) {
        return;
    }
    leaveCell(cell);
    content_[cell] = kWallCell;
    --emptyCount_;
    setLineBits(cell, kBitsWall);
    hash_ ^= stoneKey(cell, kWallCell);
}

Board::Box Board::candidateBox() const {
    const Box& box = boxes_[moveCount_];
    if (box.x1 < 0) {
        return box;
    }
    return Box{std::max(0, box.x0 - kNearRadius), std::max(0, box.y0 - kNearRadius),
               std::min(width_ - 1, box.x1 + kNearRadius), std::min(height_ - 1, box.y1 + kNearRadius)};
}

} // namespace kivola::master
