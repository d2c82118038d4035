#include "kivola/opponent/evaluator.h"

#include <string>

#include "kivola/opponent/patterns.h"

namespace kivola {

namespace line_shape {

namespace {

constexpr int kLongestLine = 5; // cells a scan takes, the cell itself included
constexpr int kLongestGap = 3;  // empty cells in a row that end a scan

// One half of a line: appends the characters of the cells a scan takes and returns the end
// marker. A scan stopped by its own limits reads as open, whatever lies beyond.
char scanHalf(std::uint16_t shape, int firstDigit, std::string& cells) {
    int taken = 1; // the cell under test
    int emptyRun = 0;
    for (int k = 0;; ++k) {
        if (taken >= kLongestLine || emptyRun >= kLongestGap) {
            return '0';
        }
        const int digit = shape / kDigitWeight[firstDigit + k] % 3;
        if (digit == kBlockedDigit) {
            return '1';
        }
        ++taken;
        emptyRun = digit == kOpenDigit ? emptyRun + 1 : 0;
        cells.push_back(digit == kOpenDigit ? '0' : '2');
    }
}

template <std::size_t N>
std::int32_t firstMatch(const std::array<PatternRow, N>& rows, std::string_view line) {
    for (const PatternRow& row : rows) {
        if (line.find(row.pattern) != std::string_view::npos) {
            return row.score;
        }
    }
    return 0;
}

std::array<ShapeScore, kShapes> buildShapeTable() {
    std::array<ShapeScore, kShapes> table{};
    std::string forward;
    std::string backward;
    std::string line;
    for (int shape = 0; shape < kShapes; ++shape) {
        forward.clear();
        backward.clear();
        const char forwardEnd = scanHalf(static_cast<std::uint16_t>(shape), 0, forward);
        const char backwardEnd = scanHalf(static_cast<std::uint16_t>(shape), kReach, backward);
        // Far forward end first, through the cell, to the far backward end.
        line.assign(1, forwardEnd);
        line.append(forward.rbegin(), forward.rend());
        line.push_back('2');
        line.append(backward);
        line.push_back(backwardEnd);
        const std::int32_t own = firstMatch(ownPatterns, line);
        const std::int32_t foe = firstMatch(foePatterns, line);
        table[shape] = ShapeScore{static_cast<std::int16_t>(own), static_cast<std::int16_t>(foe),
                                  static_cast<std::uint8_t>(ownStrongCount(own)),
                                  static_cast<std::uint8_t>(foeStrongCount(foe))};
    }
    return table;
}

std::uint16_t digitOf(const Board& board, int x, int y, std::int32_t placed) {
    if (x < 0 || x >= kBoardSpan || y < 0 || y >= kBoardSpan) {
        return kBlockedDigit;
    }
    const std::int32_t cell = board[x][y];
    if (cell == kEmpty) {
        return kOpenDigit;
    }
    return cell == placed ? kOwnDigit : kBlockedDigit;
}

} // namespace

const std::array<ShapeScore, kShapes>& shapeTable() {
    static const std::array<ShapeScore, kShapes> table = buildShapeTable();
    return table;
}

const std::array<std::uint64_t, kShapes>& packedShapeTable() {
    static const std::array<std::uint64_t, kShapes> table = [] {
        std::array<std::uint64_t, kShapes> packed{};
        const auto& shapes = shapeTable();
        for (int shape = 0; shape < kShapes; ++shape) {
            const ShapeScore& line = shapes[shape];
            packed[shape] = static_cast<std::uint64_t>(line.ownScore + PatternEvaluator::kLineBias) |
                            static_cast<std::uint64_t>(line.foeScore + PatternEvaluator::kLineBias)
                                << PatternEvaluator::kFoeScoreShift |
                            static_cast<std::uint64_t>(line.ownStrong) << PatternEvaluator::kOwnStrongShift |
                            static_cast<std::uint64_t>(line.foeStrong) << PatternEvaluator::kFoeStrongShift;
        }
        return packed;
    }();
    return table;
}

std::uint16_t readShape(const Board& board, int x, int y, int direction, std::int32_t placed) {
    const int dx = lineDx[direction];
    const int dy = lineDy[direction];
    std::uint16_t shape = 0;
    for (int k = 1; k <= kReach; ++k) {
        shape += digitOf(board, x + k * dx, y + k * dy, placed) * kDigitWeight[k - 1];
        shape += digitOf(board, x - k * dx, y - k * dy, placed) * kDigitWeight[kReach + k - 1];
    }
    return shape;
}

} // namespace line_shape

namespace {

std::int32_t reading(const Board& board, int x, int y, std::int32_t placed, int side, bool bonuses) {
    const auto& table = line_shape::shapeTable();
    std::int32_t total = 1;
    int strong = 0;
    const bool own = placed == side;
    for (int d = 0; d < kLineDirections; ++d) {
        const line_shape::ShapeScore& line = table[line_shape::readShape(board, x, y, d, placed)];
        total += own ? line.ownScore : line.foeScore;
        strong += own ? line.ownStrong : line.foeStrong;
    }
    if (bonuses) {
        total += own ? ownBonus(strong) : foeBonus(strong);
    }
    return total;
}

} // namespace

std::int32_t PatternScore(const Board& workBoard, int x, int y, int side, bool bonuses) {
    return reading(workBoard, x, y, workBoard[x][y], side, bonuses);
}

std::int32_t CellScore(const Board& workBoard, int x, int y, int side, bool bonuses) {
    if (workBoard[x][y] != kEmpty) {
        return kOccupiedScore;
    }
    return reading(workBoard, x, y, kOtherStone, side, bonuses) +
           reading(workBoard, x, y, kLocalStone, side, bonuses);
}

namespace {

struct EmptyBoardState {
    std::array<std::array<std::array<std::uint16_t, kLineDirections>, 2>, kBoardSpan * kBoardSpan> shapes{};
    std::array<std::array<std::uint64_t, 2>, kBoardSpan * kBoardSpan> sums{};
};

// Every search starts from this and adds its stones.
const EmptyBoardState& emptyBoardState() {
    static const EmptyBoardState state = [] {
        EmptyBoardState built;
        const Board board = emptyBoard();
        const auto& packed = line_shape::packedShapeTable();
        for (int x = kFirstPoint; x <= kLastPoint; ++x) {
            for (int y = kFirstPoint; y <= kLastPoint; ++y) {
                const int cell = x * kBoardSpan + y;
                for (int colour = 1; colour <= 2; ++colour) {
                    for (int d = 0; d < kLineDirections; ++d) {
                        const std::uint16_t shape = line_shape::readShape(board, x, y, d, colour);
                        built.shapes[cell][colour - 1][d] = shape;
                        built.sums[cell][colour - 1] += packed[shape];
                    }
                }
            }
        }
        return built;
    }();
    return state;
}

} // namespace

PatternEvaluator::PatternEvaluator() : packed_(&line_shape::packedShapeTable()) {}

void PatternEvaluator::attach(Board& workBoard, bool bonuses) {
    board_ = &workBoard;
    for (int strong = 0; strong < kMostStrong; ++strong) {
        ownBonus_[strong] = bonuses ? ownBonus(strong) : 0;
        foeBonus_[strong] = bonuses ? foeBonus(strong) : 0;
    }
    const EmptyBoardState& empty = emptyBoardState();
    shapes_ = empty.shapes;
    sums_ = empty.sums;
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        for (int y = kFirstPoint; y <= kLastPoint; ++y) {
            if (workBoard[x][y] != kEmpty) {
                applyStone(x, y, workBoard[x][y], +1);
            }
        }
    }
}

void PatternEvaluator::applyStone(int x, int y, std::int32_t code, int sign) {
    using namespace line_shape;
    // The digit the stone takes in the shapes of each colour: own for its colour, blocked for the other.
    const int asColour1 = sign * (code == kLocalStone ? kOwnDigit : kBlockedDigit);
    const int asColour2 = sign * (code == kOtherStone ? kOwnDigit : kBlockedDigit);
    const auto& packed = *packed_;
    for (int d = 0; d < kLineDirections; ++d) {
        const int dx = lineDx[d];
        const int dy = lineDy[d];
        for (int k = 1; k <= kReach; ++k) {
            // The stone lies k ahead of the cell behind it and k behind the cell ahead of it.
            for (int half = 0; half < 2; ++half) {
                const int qx = half == 0 ? x - k * dx : x + k * dx;
                const int qy = half == 0 ? y - k * dy : y + k * dy;
                if (!isPlayingPoint(qx, qy)) {
                    continue;
                }
                const int weight = kDigitWeight[half * kReach + k - 1];
                const int cell = cellIndex(qx, qy);
                std::uint16_t& shape1 = shapes_[cell][0][d];
                std::uint16_t& shape2 = shapes_[cell][1][d];
                const std::uint16_t old1 = shape1;
                const std::uint16_t old2 = shape2;
                shape1 = static_cast<std::uint16_t>(old1 + asColour1 * weight);
                shape2 = static_cast<std::uint16_t>(old2 + asColour2 * weight);
                // Wrapping arithmetic is exact here: every field of the result is a true sum.
                sums_[cell][0] += packed[shape1] - packed[old1];
                sums_[cell][1] += packed[shape2] - packed[old2];
            }
        }
    }
}

} // namespace kivola
