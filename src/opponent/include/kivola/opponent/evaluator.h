#pragma once
// Cell scoring by line patterns. A cell is worth, for a side, the sum of two readings: a stone of
// 2 imagined in it and a stone of 1 imagined in it; each reading adds the pattern scores of the
// four lines through the cell and, unless the beginner level is selected, bonuses for several
// strong lines.

#include <array>
#include <cstdint>

#include "kivola/core/match_state.h"
#include "kivola/opponent/work_board.h"

namespace kivola {

// Scan directions (dx, dy), in scoring order: row, down-right, column, down-left.
inline constexpr std::array<std::int32_t, 4> lineDx{1, 1, 0, -1};
inline constexpr std::array<std::int32_t, 4> lineDy{0, 1, 1, 1};
inline constexpr int kLineDirections = 4;

inline constexpr std::int32_t kOccupiedScore = -1;

// What the search asks of a cell scorer. The search writes its trial stones into the board it
// attached and reports each one, so an evaluator may keep scores up to date as stones come and go.
class CellEvaluator {
public:
    virtual ~CellEvaluator() = default;
    // Takes the whole position. The board stays attached (and must outlive the use) until the
    // next attach; it changes only through the two reports below.
    virtual void attach(WorkBoard& workBoard, bool bonuses) = 0;
    // workBoard[x][y] has just become code (1 or 2).
    virtual void stonePlaced(int x, int y, std::int32_t code) = 0;
    // workBoard[x][y] held code and has just become empty again.
    virtual void stoneTakenBack(int x, int y, std::int32_t code) = 0;
    // CellScore of a playing point for side 1 or 2 on the attached board; -1 when occupied.
    virtual std::int32_t cellScore(int x, int y, int side) = 0;
};

// One reading: the cell must hold a stone (the placed colour); side is the side served.
std::int32_t PatternScore(const WorkBoard& workBoard, int x, int y, int side, bool bonuses);

// Both readings of an empty cell, or -1 for an occupied one. Leaves the board as it is.
std::int32_t CellScore(const WorkBoard& workBoard, int x, int y, int side, bool bonuses);

namespace line_shape {

// A line through a cell, seen from the placed colour, is fixed by the eight cells at distances
// 1..4 on either side (a scan reads no further). Each is one base-3 digit: 0 empty, 1 the placed
// colour, 2 blocked (the other colour, the ring, or beyond it). Digits 0..3 are the forward
// cells at distance 1..4, digits 4..7 the backward ones.
inline constexpr int kReach = 4;
inline constexpr int kDigits = 2 * kReach;
inline constexpr int kShapes = 6561; // 3^8
inline constexpr std::array<std::uint16_t, kDigits> kDigitWeight{1, 3, 9, 27, 81, 243, 729, 2187};

inline constexpr std::uint16_t kOpenDigit = 0;
inline constexpr std::uint16_t kOwnDigit = 1;
inline constexpr std::uint16_t kBlockedDigit = 2;

struct ShapeScore {
    std::int16_t ownScore;   // the line's score read against the own patterns
    std::int16_t foeScore;   // read against the foe patterns
    std::uint8_t ownStrong;  // what the line adds to the strong-line counters
    std::uint8_t foeStrong;
};

// Built once, on first use, from the pattern tables.
const std::array<ShapeScore, kShapes>& shapeTable();
// The same four fields packed for PatternEvaluator's sums (scores biased to stay positive).
const std::array<std::uint64_t, kShapes>& packedShapeTable();

// The shape of the line through (x, y) along direction d, seen from placed colour.
std::uint16_t readShape(const WorkBoard& board, int x, int y, int direction, std::int32_t placed);

} // namespace line_shape

// The production evaluator: line shapes are kept per cell, direction and colour and are updated
// when a stone comes or goes (a stone changes only the cells within four along its four lines).
// Each cell also keeps, per colour, the sums over its four lines of what the shape table says, so
// a score is a few additions away.
class PatternEvaluator final : public CellEvaluator {
public:
    PatternEvaluator();
    // Brings the kept state to the new board by the stones that differ from the board it last
    // followed (between two moves of a game, only a couple), or rebuilds it when that is cheaper.
    void attach(WorkBoard& workBoard, bool bonuses) override;
    void stonePlaced(int x, int y, std::int32_t code) override { applyStone(x, y, code, +1); }
    void stoneTakenBack(int x, int y, std::int32_t code) override { applyStone(x, y, code, -1); }
    std::int32_t cellScore(int x, int y, int side) override {
        if ((*board_)[x][y] != kEmpty) {
            return kOccupiedScore;
        }
        return emptyCellScore(cellIndex(x, y), side);
    }

    // The search's trial stones come and go last in, first out: a trial logs what it overwrites,
    // so taking it back is a copy rather than a recount. The board is written by the caller, as
    // with stonePlaced and stoneTakenBack.
    void placeTrial(int x, int y, std::int32_t code);
    void takeBackTrial();

    // CellScore of an empty cell (index x * kBoardSpan + y) for side 1 or 2.
    std::int32_t emptyCellScore(int cell, int side) const {
        // Side s reads its own colour as attack and the other colour as defence.
        const auto& sums = sums_[cell];
        const std::uint64_t attack = sums[side - 1];
        const std::uint64_t defence = sums[2 - side];
        std::int32_t score = kBaseScore + static_cast<std::int32_t>(attack & kFieldMask) +
                             static_cast<std::int32_t>((defence >> kFoeScoreShift) & kFieldMask);
        const std::uint64_t strongOwn = (attack >> kOwnStrongShift) & kFieldMask;
        const std::uint64_t strongFoe = defence >> kFoeStrongShift;
        if ((strongOwn | strongFoe) != 0) { // rare: most cells have no strong line
            score += ownBonus_[strongOwn] + foeBonus_[strongFoe];
        }
        return score;
    }
    static constexpr int cellIndex(int x, int y) { return x * kBoardSpan + y; }

    // Every cell's CellScore for one side, kept up to date as stones are reported: row y of
    // column x at [x][y], rows 1..15 (the other entries mean nothing). Valid while the attached
    // board holds exactly the stones reported.
    static constexpr int kColumnLanes = 16;
    using ScoreColumn = std::array<std::int16_t, kColumnLanes>;
    const ScoreColumn& scoreColumn(int side, int x) const { return scores_[side - 1][x]; }

    // The sums of four lines fit 16-bit fields: line scores are stored with this bias added.
    static constexpr std::int32_t kLineBias = 4096;
    static constexpr std::int32_t kBaseScore = 2 - 2 * kLineDirections * kLineBias; // 1 per reading
    static constexpr std::uint64_t kFieldMask = 0xFFFF;
    static constexpr int kFoeScoreShift = 16;
    static constexpr int kOwnStrongShift = 32;
    static constexpr int kFoeStrongShift = 48;
    static constexpr int kMostStrong = 64; // four lines of at most 9 each

private:
    using CellShapes = std::array<std::array<std::uint16_t, kLineDirections>, 2>;
    using CellSums = std::array<std::uint64_t, 2>;

    template <bool kLogged>
    void applyStone(int x, int y, std::int32_t code, int sign);
    void applyStone(int x, int y, std::int32_t code, int sign) { applyStone<false>(x, y, code, sign); }
    void rebuild(const WorkBoard& workBoard);
    // Recomputes both sides' entries of a playing point from its sums and whether it is occupied.
    void refreshScores(int x, int y) {
        if (followed_[x][y] != kEmpty) {
            scores_[0][x][y] = kOccupiedScore;
            scores_[1][x][y] = kOccupiedScore;
        } else {
            refreshEmpty(x, y, sums_[cellIndex(x, y)]);
        }
    }
    // Both sides' scores of an empty cell, from its sums: emptyCellScore for both at once.
    void refreshEmpty(int x, int y, const CellSums& sums) {
        const std::uint64_t colour1 = sums[0];
        const std::uint64_t colour2 = sums[1];
        std::int32_t score1 = kBaseScore + static_cast<std::int32_t>(colour1 & kFieldMask) +
                              static_cast<std::int32_t>((colour2 >> kFoeScoreShift) & kFieldMask);
        std::int32_t score2 = kBaseScore + static_cast<std::int32_t>(colour2 & kFieldMask) +
                              static_cast<std::int32_t>((colour1 >> kFoeScoreShift) & kFieldMask);
        if (((colour1 | colour2) >> kOwnStrongShift) != 0) { // rare: most cells have no strong line
            score1 += ownBonus_[(colour1 >> kOwnStrongShift) & kFieldMask] + foeBonus_[colour2 >> kFoeStrongShift];
            score2 += ownBonus_[(colour2 >> kOwnStrongShift) & kFieldMask] + foeBonus_[colour1 >> kFoeStrongShift];
        }
        scores_[0][x][y] = static_cast<std::int16_t>(score1);
        scores_[1][x][y] = static_cast<std::int16_t>(score2);
    }


    // What a trial stone overwrote in one cell: the line it shares with the stone, and the sums.
    struct TrialChange {
        std::uint8_t x;
        std::uint8_t y;
        std::uint16_t direction;
        std::uint16_t shape1;
        std::uint16_t shape2;
        std::int16_t score1;
        std::int16_t score2;
        CellSums sums;
    };
    static constexpr int kChangesPerStone = kLineDirections * 2 * line_shape::kReach;
    static constexpr int kLoggedTrials = 16; // deeper trials are recounted when taken back
    struct TrialFrame {
        std::int16_t x;
        std::int16_t y;
        std::int32_t code;
        std::int32_t count; // changes logged, or -1 when the trial went unlogged
        std::int16_t score1; // the stone's own cell before it came
        std::int16_t score2;
    };

    WorkBoard* board_ = nullptr;
    const std::array<std::uint64_t, line_shape::kShapes>* packed_;
    bool bonuses_ = false;
    bool following_ = false; // whether followed_ describes the state below
    // The stones the state below stands for: the attached board as of the last report.
    WorkBoard followed_{};
    std::array<std::int32_t, kMostStrong> ownBonus_{};
    std::array<std::int32_t, kMostStrong> foeBonus_{};
    // shapes_[cell][colour - 1][direction]: the cell's lines with that colour imagined in it.
    std::array<CellShapes, kBoardSpan * kBoardSpan> shapes_{};
    // sums_[cell][colour - 1]: own score, foe score, own strong and foe strong counts summed over
    // the four lines, one 16-bit field each.
    std::array<CellSums, kBoardSpan * kBoardSpan> sums_{};
    // scores_[side - 1][x][y]: see scoreColumn.
    alignas(16) std::array<std::array<ScoreColumn, kBoardSpan>, 2> scores_{};
    std::array<TrialFrame, kMaxStones> trials_{};
    int trialDepth_ = 0;
    std::array<std::array<TrialChange, kChangesPerStone>, kLoggedTrials> trialChanges_{};
};

} // namespace kivola
