#include "kivola/opponent/evaluator.h"

#include <algorithm>
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

std::uint16_t digitOf(const WorkBoard& board, int x, int y, std::int32_t placed) {
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

std::uint16_t readShape(const WorkBoard& board, int x, int y, int direction, std::int32_t placed) {
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

std::int32_t reading(const WorkBoard& board, int x, int y, std::int32_t placed, int side, bool bonuses) {
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

std::int32_t PatternScore(const WorkBoard& workBoard, int x, int y, int side, bool bonuses) {
    return reading(workBoard, x, y, workBoard[x][y], side, bonuses);
}

std::int32_t CellScore(const WorkBoard& workBoard, int x, int y, int side, bool bonuses) {
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
        const WorkBoard board = emptyWorkBoard();
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

void PatternEvaluator::rebuild(const WorkBoard& workBoard) {
    const EmptyBoardState& empty = emptyBoardState();
    shapes_ = empty.shapes;
    sums_ = empty.sums;
    followed_ = emptyWorkBoard();
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        for (int y = kFirstPoint; y <= kLastPoint; ++y) {
            if (workBoard[x][y] != kEmpty) {
                applyStone(x, y, workBoard[x][y], +1);
            }
        }
    }
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        for (int y = kFirstPoint; y <= kLastPoint; ++y) {
            refreshScores(x, y);
        }
    }
}

void PatternEvaluator::attach(WorkBoard& workBoard, bool bonuses) {
    board_ = &workBoard;
    trialDepth_ = 0;
    // Other bonuses change every kept score: start afresh.
    if (!following_ || bonuses != bonuses_) {
        for (int strong = 0; strong < kMostStrong; ++strong) {
            ownBonus_[strong] = bonuses ? ownBonus(strong) : 0;
            foeBonus_[strong] = bonuses ? foeBonus(strong) : 0;
        }
        bonuses_ = bonuses;
        following_ = false;
    }
    if (!following_) {
        rebuild(workBoard);
        following_ = true;
        return;
    }
    // A stone that differs costs two updates; a rebuild costs one per stone and a copy.
    int stones = 0;
    int changes = 0;
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        for (int y = kFirstPoint; y <= kLastPoint; ++y) {
            stones += workBoard[x][y] != kEmpty;
            changes += (workBoard[x][y] != followed_[x][y]) * (1 + (followed_[x][y] != kEmpty));
        }
    }
    if (changes > stones + 8) {
        rebuild(workBoard);
        return;
    }
    for (int x = kFirstPoint; x <= kLastPoint && changes > 0; ++x) {
        for (int y = kFirstPoint; y <= kLastPoint; ++y) {
            const std::int32_t was = followed_[x][y];
            const std::int32_t now = workBoard[x][y];
            if (was != now) {
                if (was != kEmpty) {
                    applyStone(x, y, was, -1);
                }
                if (now != kEmpty) {
                    applyStone(x, y, now, +1);
                }
            }
        }
    }
}

void PatternEvaluator::placeTrial(int x, int y, std::int32_t code) {
    TrialFrame& frame = trials_[trialDepth_];
    frame.x = static_cast<std::int16_t>(x);
    frame.y = static_cast<std::int16_t>(y);
    frame.code = code;
    frame.count = -1;
    frame.score1 = scores_[0][x][y];
    frame.score2 = scores_[1][x][y];
    if (trialDepth_ < kLoggedTrials) {
        frame.count = 0;
        applyStone<true>(x, y, code, +1);
    } else {
        applyStone<false>(x, y, code, +1);
    }
    ++trialDepth_;
}

void PatternEvaluator::takeBackTrial() {
    --trialDepth_;
    const TrialFrame& frame = trials_[trialDepth_];
    followed_[frame.x][frame.y] = kEmpty;
    if (frame.count < 0) {
        applyStone<false>(frame.x, frame.y, frame.code, -1);
        return;
    }
    // Each cell lies on one line through the stone at most, so the order does not matter.
    const auto& changes = trialChanges_[trialDepth_];
    for (int i = 0; i < frame.count; ++i) {
        const TrialChange& change = changes[i];
        const int cell = cellIndex(change.x, change.y);
        shapes_[cell][0][change.direction] = change.shape1;
        shapes_[cell][1][change.direction] = change.shape2;
        sums_[cell] = change.sums;
        scores_[0][change.x][change.y] = change.score1;
        scores_[1][change.x][change.y] = change.score2;
    }
    scores_[0][frame.x][frame.y] = frame.score1;
    scores_[1][frame.x][frame.y] = frame.score2;
}

template <bool kLogged>
void PatternEvaluator::applyStone(int x, int y, std::int32_t code, int sign) {
    using namespace line_shape;
    followed_[x][y] = sign > 0 ? code : kEmpty;
    // The digit the stone takes in the shapes of each colour: own for its colour, blocked for the other.
    const int asColour1 = sign * (code == kLocalStone ? kOwnDigit : kBlockedDigit);
    const int asColour2 = sign * (code == kOtherStone ? kOwnDigit : kBlockedDigit);
    const auto& packed = *packed_;
    TrialChange* log = kLogged ? trialChanges_[trialDepth_].data() : nullptr;
    for (int d = 0; d < kLineDirections; ++d) {
        const int dx = lineDx[d];
        const int dy = lineDy[d];
        // The stone lies k ahead of the cell behind it (half 0) and k behind the cell ahead of it.
        for (int half = 0; half < 2; ++half) {
            const int step = (half == 0 ? -1 : 1) * (dx * kBoardSpan + dy);
            const int sx = half == 0 ? -dx : dx;
            const int sy = half == 0 ? -dy : dy;
            // Cells of the line that are playing points, up to kReach of them.
            int reach = kReach;
            if (sx != 0) {
                reach = std::min(reach, sx > 0 ? kLastPoint - x : x - kFirstPoint);
            }
            if (sy != 0) {
                reach = std::min(reach, sy > 0 ? kLastPoint - y : y - kFirstPoint);
            }
            int cell = cellIndex(x, y);
            int cx = x;
            int cy = y;
            for (int k = 1; k <= reach; ++k) {
                cell += step;
                cx += sx;
                cy += sy;
                const int weight = kDigitWeight[half * kReach + k - 1];
                std::uint16_t& shape1 = shapes_[cell][0][d];
                std::uint16_t& shape2 = shapes_[cell][1][d];
                CellSums& sums = sums_[cell];
                const std::uint16_t old1 = shape1;
                const std::uint16_t old2 = shape2;
                if constexpr (kLogged) {
                    *log++ = TrialChange{static_cast<std::uint8_t>(cx), static_cast<std::uint8_t>(cy),
                                         static_cast<std::uint16_t>(d), old1, old2,
                                         scores_[0][cx][cy], scores_[1][cx][cy], sums};
                }
                shape1 = static_cast<std::uint16_t>(old1 + asColour1 * weight);
                shape2 = static_cast<std::uint16_t>(old2 + asColour2 * weight);
                // Wrapping arithmetic is exact here: every field of the result is a true sum.
                sums[0] += packed[shape1] - packed[old1];
                sums[1] += packed[shape2] - packed[old2];
                // An occupied cell keeps its -1.
                if (followed_[cx][cy] == kEmpty) {
                    refreshEmpty(cx, cy, sums);
                }
            }
        }
    }
    refreshScores(x, y);
    if constexpr (kLogged) {
        trials_[trialDepth_].count = static_cast<std::int32_t>(log - trialChanges_[trialDepth_].data());
    }
}

template void PatternEvaluator::applyStone<false>(int, int, std::int32_t, int);
template void PatternEvaluator::applyStone<true>(int, int, std::int32_t, int);

} // namespace kivola
