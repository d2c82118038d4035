// Cell scores by line patterns: the worked examples, on the reference evaluator and on both
// forms of the production one.

#include <gtest/gtest.h>

#include "kivola/opponent/evaluator.h"
#include "literal_evaluator.h"
#include "test_positions.h"

namespace kivola {
namespace {

using testing::boardWith;
using testing::Stone;

enum class Scorer { Literal, Stateless, Incremental };

std::string scorerName(const ::testing::TestParamInfo<Scorer>& info) {
    switch (info.param) {
    case Scorer::Literal: return "Literal";
    case Scorer::Stateless: return "Stateless";
    case Scorer::Incremental: return "Incremental";
    }
    return "Unknown";
}

// The incremental evaluator starts from an empty board and is told of every stone, with a
// stray stone placed and taken back on the way, so its updates are what is being checked.
std::int32_t incrementalScore(const WorkBoard& target, int x, int y, int side, bool bonuses) {
    WorkBoard work = emptyWorkBoard();
    PatternEvaluator evaluator;
    evaluator.attach(work, bonuses);
    for (int cx = kFirstPoint; cx <= kLastPoint; ++cx) {
        for (int cy = kFirstPoint; cy <= kLastPoint; ++cy) {
            if (target[cx][cy] != kEmpty) {
                work[cx][cy] = target[cx][cy];
                evaluator.stonePlaced(cx, cy, target[cx][cy]);
            }
        }
    }
    const int strayX = x == kLastPoint ? x - 1 : x + 1;
    if (work[strayX][y] == kEmpty) {
        work[strayX][y] = kOtherStone;
        evaluator.stonePlaced(strayX, y, kOtherStone);
        work[strayX][y] = kEmpty;
        evaluator.stoneTakenBack(strayX, y, kOtherStone);
    }
    return evaluator.cellScore(x, y, side);
}

class CellScoreExamples : public ::testing::TestWithParam<Scorer> {
protected:
    std::int32_t score(WorkBoard board, int x, int y, int side = kOtherStone, bool bonuses = true) const {
        const WorkBoard before = board;
        std::int32_t result = 0;
        switch (GetParam()) {
        case Scorer::Literal: result = oracle::CellScore(board, x, y, side, bonuses); break;
        case Scorer::Stateless: result = CellScore(board, x, y, side, bonuses); break;
        case Scorer::Incremental: result = incrementalScore(board, x, y, side, bonuses); break;
        }
        EXPECT_EQ(board, before) << "scoring must leave the board as it found it";
        return result;
    }
};

TEST_P(CellScoreExamples, openCellScoresEighteen) {
    // Four empty cells on every side: 1 + 4 x 4 attack plus 1 defence.
    EXPECT_EQ(score(emptyWorkBoard(), 8, 8), 18);
    EXPECT_EQ(score(emptyWorkBoard(), 8, 8, kLocalStone), 18);
}

TEST_P(CellScoreExamples, cornerScoresNine) {
    // Three half-open lines (2 each) and one blocked at both ends (1).
    EXPECT_EQ(score(emptyWorkBoard(), 1, 1), 9);
    EXPECT_EQ(score(emptyWorkBoard(), kLastPoint, kLastPoint), 9);
}

TEST_P(CellScoreExamples, occupiedCellIsMinusOne) {
    const WorkBoard board = boardWith({{8, 8, kLocalStone}, {9, 9, kOtherStone}});
    EXPECT_EQ(score(board, 8, 8), -1);
    EXPECT_EQ(score(board, 9, 9, kLocalStone), -1);
}

TEST_P(CellScoreExamples, besideLoneStoneDependsOnSide) {
    const WorkBoard board = boardWith({{7, 8, kOtherStone}});
    EXPECT_EQ(score(board, 8, 8, kOtherStone), 22);
    EXPECT_EQ(score(board, 8, 8, kLocalStone), 19);
}

TEST_P(CellScoreExamples, openFourMaker) {
    EXPECT_EQ(score(boardWith({{5, 8, 2}, {6, 8, 2}, {7, 8, 2}}), 8, 8), 526);
}

TEST_P(CellScoreExamples, doubleThreeEarnsSmallBonusUnlessBeginner) {
    const WorkBoard board = boardWith({{6, 8, 2}, {7, 8, 2}, {8, 6, 2}, {8, 7, 2}});
    EXPECT_EQ(score(board, 8, 8), 486);
    EXPECT_EQ(score(board, 8, 8, kOtherStone, false), 266);
}

TEST_P(CellScoreExamples, closedFourWithThreeEarnsLargeBonus) {
    const WorkBoard board = boardWith({{4, 8, 1}, {5, 8, 2}, {6, 8, 2}, {7, 8, 2}, {8, 6, 2}, {8, 7, 2}});
    EXPECT_EQ(score(board, 8, 8), 787);
}

TEST_P(CellScoreExamples, fiveIsTriedBeforeOpenFour) {
    EXPECT_EQ(score(boardWith({{4, 8, 2}, {5, 8, 2}, {6, 8, 2}, {7, 8, 2}}), 8, 8), 2514);
}

TEST_P(CellScoreExamples, sixScoresBelowThePickFloor) {
    const WorkBoard board = boardWith({{5, 8, 2}, {6, 8, 2}, {7, 8, 2}, {9, 8, 2}, {10, 8, 2}});
    EXPECT_EQ(score(board, 8, 8), -986);
}

TEST_P(CellScoreExamples, blockingAFourReadsAsFoeFive) {
    EXPECT_EQ(score(boardWith({{9, 8, 1}, {10, 8, 1}, {11, 8, 1}, {12, 8, 1}}), 8, 8), 1216);
}

TEST_P(CellScoreExamples, brokenFiveIsTriedBeforeFive) {
    // The defence line 02222202000 matches "22202" (22) before "22222" (1200).
    const WorkBoard board = boardWith({{6, 8, 1}, {9, 8, 1}, {10, 8, 1}, {11, 8, 1}, {12, 8, 1}});
    EXPECT_EQ(score(board, 8, 8), 38);
}

TEST_P(CellScoreExamples, stoneBehindThreeEmptyCellsIsNotRead) {
    EXPECT_EQ(score(boardWith({{12, 8, 2}}), 8, 8), score(emptyWorkBoard(), 8, 8));
    EXPECT_EQ(score(boardWith({{12, 8, 1}}), 8, 8), 18);
    // Beside the cell the same stone is read ("0220" for its own side).
    EXPECT_EQ(score(boardWith({{9, 8, 2}}), 8, 8), 22);
}

TEST_P(CellScoreExamples, scanStoppedAtFiveCellsReadsOpenEnd) {
    // The scan from (11, 8) takes five cells and stops on the ring: its end reads "0", so the
    // row scores "0220" (8), not "1220" (5): attack 1 + 8 + 3 x 4, defence 1.
    EXPECT_EQ(score(boardWith({{14, 8, 2}, {15, 8, 2}}), 11, 8), 22);
}

INSTANTIATE_TEST_SUITE_P(AllScorers, CellScoreExamples,
                         ::testing::Values(Scorer::Literal, Scorer::Stateless, Scorer::Incremental), scorerName);

TEST(LineText, readsFromFarForwardEndToFarBackwardEnd) {
    WorkBoard board = boardWith({{8, 8, 2}});
    EXPECT_EQ(oracle::LineText(board, 8, 8, 1, 0), "000020000");
    board = boardWith({{1, 8, 2}});
    EXPECT_EQ(oracle::LineText(board, 1, 8, 1, 0), "000021");
    board = boardWith({{1, 1, 2}});
    EXPECT_EQ(oracle::LineText(board, 1, 1, -1, 1), "121");
    board = boardWith({{7, 8, 2}, {8, 8, 2}});
    EXPECT_EQ(oracle::LineText(board, 8, 8, 1, 0), "0000220000");
    board = boardWith({{5, 8, 2}, {6, 8, 2}, {7, 8, 2}, {8, 8, 2}});
    EXPECT_EQ(oracle::LineText(board, 8, 8, 1, 0), "0000222200");
    board = boardWith({{4, 8, 1}, {5, 8, 2}, {6, 8, 2}, {7, 8, 2}, {8, 8, 2}});
    EXPECT_EQ(oracle::LineText(board, 8, 8, 1, 0), "000022221");
}

TEST(LineText, limitStopReadsOpenWhateverTheNextCellHolds) {
    // Stopped because five cells were taken, right before the ring: the marker is "0".
    const WorkBoard board = boardWith({{14, 8, 2}, {15, 8, 2}, {11, 8, 2}});
    EXPECT_EQ(oracle::LineText(board, 11, 8, 1, 0), "0220020000");
    // Stopped by five taken right before a stone of the other colour: also "0".
    const WorkBoard blocked = boardWith({{9, 8, 2}, {10, 8, 2}, {11, 8, 2}, {12, 8, 2}, {13, 8, 1}, {8, 8, 2}});
    EXPECT_EQ(oracle::LineText(blocked, 8, 8, 1, 0), "0222220000");
    // Stopped by three empty cells right before the ring: "0".
    const WorkBoard gap = boardWith({{12, 8, 2}});
    EXPECT_EQ(oracle::LineText(gap, 12, 8, 1, 0), "000020000");
}

TEST(PatternScore, attackAndDefenceReadingsOfAnOpenCell) {
    for (bool bonuses : {true, false}) {
        const WorkBoard two = boardWith({{8, 8, kOtherStone}});
        const WorkBoard one = boardWith({{8, 8, kLocalStone}});
        EXPECT_EQ(oracle::PatternScore(two, 8, 8, kOtherStone, bonuses), 17);
        EXPECT_EQ(oracle::PatternScore(one, 8, 8, kOtherStone, bonuses), 1);
        EXPECT_EQ(PatternScore(two, 8, 8, kOtherStone, bonuses), 17);
        EXPECT_EQ(PatternScore(one, 8, 8, kOtherStone, bonuses), 1);
        EXPECT_EQ(PatternScore(one, 8, 8, kLocalStone, bonuses), 17);
    }
    const WorkBoard corner = boardWith({{1, 1, kOtherStone}});
    EXPECT_EQ(PatternScore(corner, 1, 1, kOtherStone, true), 8);
    EXPECT_EQ(oracle::PatternScore(corner, 1, 1, kOtherStone, true), 8);
}

TEST(PatternScore, singleDoubleStrongLineEarnsNoBonus) {
    // A closed four (129, counter 9) alone: no bonus on either evaluator.
    const WorkBoard board = boardWith({{4, 8, 1}, {5, 8, 2}, {6, 8, 2}, {7, 8, 2}, {8, 8, 2}});
    EXPECT_EQ(oracle::PatternScore(board, 8, 8, kOtherStone, true), 1 + 129 + 3 * 4);
    EXPECT_EQ(PatternScore(board, 8, 8, kOtherStone, true), 1 + 129 + 3 * 4);
}

TEST(ShapeTable, lineShapesScoreWhatTheirTextMatches) {
    const auto& table = line_shape::shapeTable();
    // An open cell: nothing but empty cells within four.
    EXPECT_EQ(table[0].ownScore, 4);
    EXPECT_EQ(table[0].foeScore, 0);
    // Every digit blocked: "121".
    EXPECT_EQ(table[line_shape::kShapes - 1].ownScore, 1);
    // Own stones at forward 1..4: "22222" whatever lies behind.
    const int fourAhead = 1 + 3 + 9 + 27;
    EXPECT_EQ(table[fourAhead].ownScore, 2500);
    EXPECT_EQ(table[fourAhead].foeScore, 1200);
    EXPECT_EQ(table[fourAhead].foeStrong, 9);
}

} // namespace
} // namespace kivola
