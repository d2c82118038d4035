// The master's line reading, its board's kept threats and its threat solvers, each checked
// against brute force that knows nothing but what a five is.

#include <gtest/gtest.h>

#include <random>

#include "master_lines.h"
#include "master_oracle.h"
#include "master_threats.h"

namespace kivola::master {
namespace {

using oracle::PlainBoard;

TEST(MasterLines, ShapesReadAsTheirNames) {
    // '*' is the cell the stone goes into; the text ends in walls.
    const struct {
        const char* line;
        LinePattern freestyle;
        LinePattern exact;
    } cases[] = {
        {".xx*xxx.", kFive, kOverline},   // six or more: a win only in freestyle
        {"..x*xxx.x..", kFive, kFive},    // a gap keeps the sixth stone out of the five
        {"...xx*x....", kFlex4, kFlex4},
        {"o.xx*x....", kFlex4, kFlex4},
        {"oxx*x.....", kBlock4, kBlock4},
        {"..x.*xx...", kBlock4, kBlock4}, // one five point, in the gap
        {".x.x*x.x.", kFlex4, kFlex4},    // two five points on one line
        {"x.xx*..", kBlock4, kBlock4},
        {"xx.x*x..", kBlock4, kBlock3},   // exact five: the gap would make six
        {"...x*x...", kFlex3, kFlex3},
        {"..x.*x...", kFlex3, kFlex3},
        {"o.xx*.o", kBlock3, kBlock3},    // five cells between the walls: no flex four fits
        {"oxx*..", kBlock3, kBlock3},
        {"...*x....", kFlex2, kFlex2},
        {"o*x...", kBlock2, kBlock2},
        {"....*....", kFlex1, kFlex1},
        {"o...*o", kDead, kDead},         // four cells: no five fits
        {"#x.*x#", kDead, kDead},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(classifyText(c.line, FiveRule::Freestyle), c.freestyle) << c.line;
        EXPECT_EQ(classifyText(c.line, FiveRule::ExactFive), c.exact) << c.line;
    }
}

// A random game on a small board, stones near each other, stopped before anyone makes five.
PlainBoard randomPlain(std::mt19937_64& random, int size, int stones, FiveRule rule) {
    PlainBoard board = PlainBoard::from(std::vector<std::string>(static_cast<std::size_t>(size), std::string(static_cast<std::size_t>(size), '.')), rule);
    std::uniform_int_distribution<int> offset(-2, 2);
    int x = size / 2;
    int y = size / 2;
    for (int placed = 0, tries = 0; placed < stones && tries < 1000; ++tries) {
        const int nx = std::clamp(x + offset(random), 0, size - 1);
        const int ny = std::clamp(y + offset(random), 0, size - 1);
        const int side = placed % 2 == 0 ? 2 : 1;
        if (board.at(nx, ny) == 0 && !board.makesFive(nx, ny, side)) {
            board.at(nx, ny) = side;
            ++placed;
            x = nx;
            y = ny;
        }
    }
    return board;
}

TEST(MasterBoard, KeptStateIsThatOfAFreshBoardThroughPlaceAndUndo) {
    // What the board keeps up to date stone by stone must be what it reads from scratch.
    std::mt19937_64 random(7);
    auto expectSame = [](const Board& kept, const Board& fresh) {
        ASSERT_EQ(kept.hash(), fresh.hash());
        ASSERT_EQ(kept.potential(1), fresh.potential(1));
        ASSERT_EQ(kept.potential(2), fresh.potential(2));
        for (int cell = 0; cell < kGridCells; ++cell) {
            ASSERT_EQ(kept.content(cell), fresh.content(cell));
            for (int side = 1; side <= 2 && kept.isEmpty(cell); ++side) {
                ASSERT_EQ(kept.threat(cell, side), fresh.threat(cell, side)) << cell;
                ASSERT_EQ(kept.attack(cell, side), fresh.attack(cell, side)) << cell;
                ASSERT_EQ(kept.fives(side).contains(cell), fresh.fives(side).contains(cell));
                ASSERT_EQ(kept.fours(side).contains(cell), fresh.fours(side).contains(cell));
                ASSERT_EQ(kept.threes(side).contains(cell), fresh.threes(side).contains(cell));
                ASSERT_EQ(kept.nearStones(cell), fresh.nearStones(cell));
            }
        }
    };
    for (const auto& [size, rule] : {std::pair{15, FiveRule::Freestyle}, {20, FiveRule::ExactFive}, {7, FiveRule::Freestyle}}) {
        PlainBoard plain = randomPlain(random, size, size * 2, rule);
        Board kept = plain.master(2);
        std::uniform_int_distribution<int> coordinate(0, size - 1);
        for (int step = 0; step < 60; ++step) {
            const int x = coordinate(random);
            const int y = coordinate(random);
            if (plain.at(x, y) == 0 && step % 3 != 2) {
                plain.at(x, y) = kept.sideToMove();
                kept.place(Board::cellAt(x, y), kept.sideToMove());
            } else if (kept.lastMove() >= 0 && kept.stones() > 0) {
                const int last = kept.lastMove();
                plain.at(Board::xOf(last), Board::yOf(last)) = 0;
                kept.undo();
            }
            expectSame(kept, plain.master(kept.sideToMove()));
        }
    }
}

// Five points a stone at (x, y) would leave on the lines through it, each making a five with it.
int fivePointsThrough(PlainBoard& plain, int x, int y, int side) {
    constexpr int kDirs[4][2] = {{1, 0}, {0, 1}, {1, 1}, {-1, 1}};
    int points = 0;
    plain.at(x, y) = side;
    for (const auto& dir : kDirs) {
        for (int k = -4; k <= 4; ++k) {
            const int ex = x + k * dir[0];
            const int ey = y + k * dir[1];
            if (k == 0 || !plain.inside(ex, ey) || plain.at(ex, ey) != 0) {
                continue;
            }
            plain.at(ex, ey) = side;
            int run = 1;
            for (int sign : {1, -1}) {
                for (int j = 1; plain.inside(x + sign * j * dir[0], y + sign * j * dir[1]) &&
                                plain.at(x + sign * j * dir[0], y + sign * j * dir[1]) == side;
                     ++j) {
                    ++run;
                }
            }
            points += plain.rule == FiveRule::ExactFive ? run == 5 : run >= 5;
            plain.at(ex, ey) = 0;
        }
    }
    plain.at(x, y) = 0;
    return points;
}

TEST(MasterBoard, ThreatsAreThoseOfBruteForce) {
    // A cell's threat for a side follows from how many five points its stone would leave.
    std::mt19937_64 random(11);
    for (int round = 0; round < 30; ++round) {
        const FiveRule rule = round % 3 == 0 ? FiveRule::ExactFive : FiveRule::Freestyle;
        PlainBoard plain = randomPlain(random, 9, 16 + round % 12, rule);
        const Board board = plain.master(2);
        for (int y = 0; y < plain.height; ++y) {
            for (int x = 0; x < plain.width; ++x) {
                const int cell = Board::cellAt(x, y);
                for (int side = 1; side <= 2 && plain.at(x, y) == 0; ++side) {
                    const int points = fivePointsThrough(plain, x, y, side);
                    const bool five = plain.makesFive(x, y, side);
                    EXPECT_EQ(board.fives(side).contains(cell), five);
                    EXPECT_EQ(board.threat(cell, side) >= kBlockFour && board.threat(cell, side) != kDoubleThree,
                              five || points >= 1);
                    EXPECT_EQ(board.threat(cell, side) == kFlexFour, !five && points >= 2);
                }
            }
        }
    }
}

// A chain of three fours: (2,1) forces (2,0), then (4,3) is a four and a three, then (3,3) leaves
// two five points.
const std::vector<std::string> kFourChain{
    ".........",
    ".........",
    "..xx.....",
    "..x..x...",
    "..x..x...",
    "..o...o..",
    ".........",
    ".........",
    ".........",
};

TEST(MasterThreats, VcfFindsHandMadeWinsAndNoFalseOnes) {
    struct Case {
        std::vector<std::string> picture;
        bool wins;
    };
    std::vector<std::string> brokenChain = kFourChain;
    brokenChain[0] = "...ooo..."; // the first block at (2,0) now makes o a flex four
    const std::vector<Case> cases{
        {kFourChain, true},
        {{".........", ".oxxx....", ".........", ".....x...", ".....x...", ".....x...", ".....o...", ".........",
          "........."},
         true}, // (5,1) makes two fours at once
        {brokenChain, false},
        {{".........", ".o.......", ".oxxx....", ".o.......", ".........", ".........", ".........", ".........",
          "........."},
         false}, // one four, blocked: nothing follows
        {{"..........", "..........", "..xxxx....", ".........."}, true}, // a five on the board's edge
        {{"xxxx.", "....."}, true},
        {{"oxxxx#"}, false}, // no room for a five
    };
    for (const Case& c : cases) {
        PlainBoard plain = PlainBoard::from(c.picture);
        Board board = plain.master(2);
        Deadline deadline;
        ThreatSolver solver;
        int move = -1;
        const int stones = solver.vcf(board, deadline, 10, move);
        EXPECT_EQ(stones > 0, c.wins) << c.picture[0];
        EXPECT_EQ(oracle::bruteVcf(plain, 2, 10), c.wins) << c.picture[0];
        if (stones > 0) {
            EXPECT_TRUE(oracle::solverLineWins(plain, 2, stones, false)) << c.picture[0];
        }
    }
    // The chain needs all its fours: with one fewer there is none.
    PlainBoard plain = PlainBoard::from(kFourChain);
    Board board = plain.master(2);
    Deadline deadline;
    ThreatSolver solver;
    int move = -1;
    EXPECT_EQ(solver.vcf(board, deadline, 1, move), 0);
    EXPECT_EQ(solver.vcf(board, deadline, 2, move), 4);
    EXPECT_EQ(move, Board::cellAt(2, 1));
}

TEST(MasterThreats, VcfAgreesWithBruteForceOnRandomPositions) {
    std::mt19937_64 random(5);
    int wins = 0;
    for (int round = 0; round < 150; ++round) {
        const FiveRule rule = round % 4 == 0 ? FiveRule::ExactFive : FiveRule::Freestyle;
        PlainBoard plain = randomPlain(random, 9, 14 + round % 16, rule);
        if (!plain.fivePoints(1).empty() || !plain.fivePoints(2).empty()) {
            continue; // a five to make or to stop: not a question for the solver
        }
        Board board = plain.master(2);
        Deadline deadline;
        ThreatSolver solver;
        int move = -1;
        const int stones = solver.vcf(board, deadline, 3, move);
        ASSERT_EQ(stones > 0, oracle::bruteVcf(plain, 2, 3)) << round;
        if (stones > 0) {
            ++wins;
            EXPECT_TRUE(oracle::solverLineWins(plain, 2, stones, false)) << round;
        }
    }
    EXPECT_GT(wins, 5); // the sample holds wins as well as non-wins
}

TEST(MasterThreats, VctFindsWinsThroughThreesAndNotWhereADefenceHolds) {
    struct Case {
        std::vector<std::string> picture;
        bool wins;
    };
    std::vector<std::string> brokenChain = kFourChain;
    brokenChain[0] = "...ooo...";
    const std::vector<Case> cases{
        {{".........", ".........", "...x.....", "...x.....", "....xx...", ".........", ".........", ".......o.",
          "........o"},
         true},         // (3,4) makes two flex threes
        {brokenChain, true}, // no VCF, but a three first wins
        {{".........", ".........", "...x.....", ".........", "....x....", ".........", ".........", ".......o.",
          "........o"},
         false},        // one three at most: it is stopped
        {{".........", ".........", "...x.....", "...x.....", "....xx...", ".........", ".ooo.....", ".......o.",
          "........o"},
         false}, // o's flex three comes first
    };
    for (const Case& c : cases) {
        PlainBoard plain = PlainBoard::from(c.picture);
        Board board = plain.master(2);
        Deadline deadline;
        ThreatSolver solver;
        int move = -1;
        const int stones = solver.vct(board, deadline, 6, UINT64_MAX, move);
        EXPECT_EQ(stones > 0, c.wins) << c.picture[4];
        if (stones > 0) {
            EXPECT_TRUE(oracle::solverLineWins(plain, 2, stones, true)) << c.picture[4];
        }
    }
}

} // namespace
} // namespace kivola::master
