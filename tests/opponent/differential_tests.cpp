// The production evaluator and search against the reference evaluator, on many positions.

#include <gtest/gtest.h>

#include "kivola/opponent/opponent.h"
#include "literal_evaluator.h"
#include "test_positions.h"

namespace kivola {
namespace {

using testing::Position;

TEST(Differential, everyLineShapeScoresAsItsText) {
    // Each shape of the row through (8, 8) built from stones, seen from both colours.
    for (int shape = 0; shape < line_shape::kShapes; ++shape) {
        for (std::int32_t placed : {kLocalStone, kOtherStone}) {
            Board board = emptyBoard();
            for (int digit = 0; digit < line_shape::kDigits; ++digit) {
                const int value = shape / line_shape::kDigitWeight[digit] % 3;
                const int distance = digit % line_shape::kReach + 1;
                const int x = digit < line_shape::kReach ? 8 + distance : 8 - distance;
                board[x][8] = value == 0 ? kEmpty : (value == 1 ? placed : 3 - placed);
            }
            ASSERT_EQ(line_shape::readShape(board, 8, 8, 0, placed), shape);
            for (int side : {kLocalStone, kOtherStone}) {
                for (bool bonuses : {true, false}) {
                    Board copy = board;
                    ASSERT_EQ(CellScore(board, 8, 8, side, bonuses), oracle::CellScore(copy, 8, 8, side, bonuses))
                        << "shape " << shape << " placed " << placed << " side " << side;
                }
            }
        }
    }
}

TEST(Differential, everyCellOfRandomPositionsScoresTheSame) {
    std::mt19937_64 generator(20240601);
    for (int round = 0; round < 2000; ++round) {
        const int count = static_cast<int>(generator() % 101);
        const bool bonuses = round % 4 != 3;
        Position position = testing::randomPosition(generator, count, round % 3 != 0);
        ASSERT_FALSE(testing::hasFive(position.board));
        // The incremental evaluator sees the stones come one by one, as a search would.
        Board work = emptyBoard();
        PatternEvaluator incremental;
        incremental.attach(work, bonuses);
        for (const BoardPoint& stone : position.stones) {
            work[stone.x][stone.y] = position.board[stone.x][stone.y];
            incremental.stonePlaced(stone.x, stone.y, work[stone.x][stone.y]);
        }
        // And a few of them go and come back.
        for (std::size_t k = 0; k < position.stones.size(); k += 7) {
            const BoardPoint stone = position.stones[k];
            const std::int32_t code = work[stone.x][stone.y];
            work[stone.x][stone.y] = kEmpty;
            incremental.stoneTakenBack(stone.x, stone.y, code);
            work[stone.x][stone.y] = code;
            incremental.stonePlaced(stone.x, stone.y, code);
        }
        ASSERT_EQ(work, position.board);
        for (int x = kFirstPoint; x <= kLastPoint; ++x) {
            for (int y = kFirstPoint; y <= kLastPoint; ++y) {
                for (int side : {kLocalStone, kOtherStone}) {
                    const std::int32_t expected = oracle::CellScore(position.board, x, y, side, bonuses);
                    ASSERT_EQ(CellScore(position.board, x, y, side, bonuses), expected)
                        << "round " << round << " cell " << x << "," << y << " side " << side;
                    ASSERT_EQ(incremental.cellScore(x, y, side), expected)
                        << "round " << round << " cell " << x << "," << y << " side " << side;
                }
            }
        }
    }
}

struct SearchOutcome {
    int x = 0;
    int y = 0;
    bool found = false;
    std::uint64_t nodes = 0;
    std::vector<int> draws;
    std::vector<int> gauge;

    bool operator==(const SearchOutcome&) const = default;
};

SearchOutcome search(const Position& position, int depth, bool bonuses, std::uint64_t seed, bool literal) {
    Opponent opponent;
    opponent.workBoard = position.board;
    opponent.searchDepth = depth;
    testing::RecordingRandom random(seed);
    testing::RecordingProgress progress;
    SearchOutcome outcome;
    if (literal) {
        oracle::LiteralEvaluator evaluator;
        outcome.found = opponent.FindComputerMove(evaluator, position.stones, bonuses, progress, random, outcome.x,
                                                  outcome.y);
    } else {
        outcome.found = opponent.FindComputerMove(testing::matchStateOf(position), bonuses, progress, random,
                                                  outcome.x, outcome.y);
    }
    EXPECT_EQ(opponent.workBoard, position.board);
    outcome.nodes = opponent.nodes();
    outcome.draws = std::move(random.draws);
    outcome.gauge = std::move(progress.shown);
    return outcome;
}

void compareSearches(std::uint64_t seed, int positions, int depth, int minStones, int maxStones) {
    std::mt19937_64 generator(seed);
    for (int round = 0; round < positions; ++round) {
        const int count = minStones + static_cast<int>(generator() % (maxStones - minStones + 1));
        const Position position = testing::randomPosition(generator, count, round % 4 != 3);
        const bool bonuses = round % 5 != 4;
        const SearchOutcome production = search(position, depth, bonuses, seed + round, false);
        const SearchOutcome literal = search(position, depth, bonuses, seed + round, true);
        ASSERT_TRUE(production.found);
        EXPECT_EQ(production.x, literal.x) << "depth " << depth << " round " << round;
        EXPECT_EQ(production.y, literal.y) << "depth " << depth << " round " << round;
        EXPECT_EQ(production.nodes, literal.nodes) << "depth " << depth << " round " << round;
        EXPECT_EQ(production.draws, literal.draws) << "depth " << depth << " round " << round;
        EXPECT_EQ(production.gauge, literal.gauge) << "depth " << depth << " round " << round;
    }
}

TEST(Differential, depthOneSearchesAgree) { compareSearches(101, 300, kBeginnerDepth, 0, 100); }

TEST(Differential, depthFiveSearchesAgree) { compareSearches(202, 60, kIntermediateDepth, 7, 100); }

TEST(Differential, depthNineSearchesAgree) { compareSearches(303, 6, kAdvancedDepth, 7, 80); }

} // namespace
} // namespace kivola
