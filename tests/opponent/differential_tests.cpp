// The production evaluator and search against the reference evaluator, on many positions.

#include <gtest/gtest.h>

#include <iostream>

#include "kivola/opponent/opponent.h"
#include "literal_evaluator.h"
#include "search.h"
#include "self_play.h"
#include "test_positions.h"

namespace kivola {
namespace {

using testing::Position;

TEST(Differential, everyLineShapeScoresAsItsText) {
    // Each shape of the row through (8, 8) built from stones, seen from both colours.
    for (int shape = 0; shape < line_shape::kShapes; ++shape) {
        for (std::int32_t placed : {kLocalStone, kOtherStone}) {
            WorkBoard board = emptyWorkBoard();
            for (int digit = 0; digit < line_shape::kDigits; ++digit) {
                const int value = shape / line_shape::kDigitWeight[digit] % 3;
                const int distance = digit % line_shape::kReach + 1;
                const int x = digit < line_shape::kReach ? 8 + distance : 8 - distance;
                board[x][8] = value == 0 ? kEmpty : (value == 1 ? placed : 3 - placed);
            }
            ASSERT_EQ(line_shape::readShape(board, 8, 8, 0, placed), shape);
            for (int side : {kLocalStone, kOtherStone}) {
                for (bool bonuses : {true, false}) {
                    WorkBoard copy = board;
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
        WorkBoard work = emptyWorkBoard();
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
    Search opponent;
    opponent.workBoard = position.board;
    opponent.searchDepth = depth;
    testing::RecordingRandom random(seed);
    testing::RecordingProgress progress;
    SearchOutcome outcome;
    if (literal) {
        oracle::LiteralEvaluator evaluator;
        outcome.found = opponent.findMove(SearchTools<CellEvaluator>{evaluator, progress, random}, position.stones,
                                          bonuses, outcome.x, outcome.y);
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

// Answers the nodes searched, so callers can tell that the comparison went deep.
std::uint64_t expectSameSearch(const Position& position, int depth, bool bonuses, std::uint64_t seed,
                               const std::string& what) {
    const SearchOutcome production = search(position, depth, bonuses, seed, false);
    const SearchOutcome literal = search(position, depth, bonuses, seed, true);
    EXPECT_TRUE(production.found) << what;
    EXPECT_EQ(std::make_pair(production.x, production.y), std::make_pair(literal.x, literal.y)) << what;
    EXPECT_EQ(production.nodes, literal.nodes) << what;
    EXPECT_EQ(production.draws, literal.draws) << what;
    EXPECT_EQ(production.gauge, literal.gauge) << what;
    return production.nodes;
}

// Random positions are full of fours and mostly end at the first ply; self-played ones are
// quiet enough for the search to go deep.
std::vector<Position> selfPlayedPositions(std::uint64_t firstSeed, int games, int depth) {
    std::vector<Position> positions;
    for (std::uint64_t seed = firstSeed; seed < firstSeed + games; ++seed) {
        testing::SelfPlaySettings settings;
        settings.seed = seed;
        settings.depth = depth;
        for (Position& position : testing::selfPlayGame(settings)) {
            positions.push_back(std::move(position));
        }
    }
    return positions;
}

TEST(Differential, depthOneSearchesAgree) {
    std::mt19937_64 generator(101);
    for (int round = 0; round < 300; ++round) {
        const int count = static_cast<int>(generator() % 101);
        const Position position = testing::randomPosition(generator, count, round % 4 != 3);
        expectSameSearch(position, kBeginnerDepth, round % 5 != 4, round, "random round " + std::to_string(round));
    }
}

TEST(Differential, depthFiveSearchesAgree) {
    const std::vector<Position> positions = selfPlayedPositions(1, 8, kIntermediateDepth);
    ASSERT_GE(positions.size(), 80u);
    std::uint64_t nodes = 0;
    for (std::size_t k = 0; k < positions.size(); ++k) {
        nodes += expectSameSearch(positions[k], kIntermediateDepth, k % 5 != 4, 500 + k,
                                  "self-played " + std::to_string(k));
    }
    EXPECT_GT(nodes, 20 * positions.size()) << "the comparison must reach deep plies";
    std::mt19937_64 generator(202);
    for (int round = 0; round < 40; ++round) {
        const Position position = testing::randomPosition(generator, 7 + static_cast<int>(generator() % 60), true);
        expectSameSearch(position, kIntermediateDepth, true, round, "random round " + std::to_string(round));
    }
}

TEST(Differential, depthNineSearchesAgree) {
    // Every second position of four games, from seven stones on: the reference evaluator needs
    // about a quarter of a second per thousand nodes.
    const std::vector<Position> positions = selfPlayedPositions(11, 4, kAdvancedDepth);
    int compared = 0;
    std::uint64_t nodes = 0;
    for (std::size_t k = 6; k < positions.size(); k += 2) {
        nodes += expectSameSearch(positions[k], kAdvancedDepth, k % 4 != 0, 900 + k, "self-played " + std::to_string(k));
        ++compared;
    }
    EXPECT_GE(compared, 20);
    EXPECT_GT(nodes, 10000u) << "the comparison must reach deep plies";
    std::cout << "[ depth 9 ] " << compared << " positions, " << nodes << " nodes compared\n";
}

} // namespace
} // namespace kivola
