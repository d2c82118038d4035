// The library's copy of a game decides which stones it lets through.

#include <gtest/gtest.h>

#include "nw/game_board.h"

namespace nw {
namespace {

using Verdict = GameBoard::Verdict;

TEST(GameBoard, seatOneMovesFirstAndTurnsAlternate) {
    GameBoard board;
    EXPECT_EQ(board.seatToMove(), 1);
    EXPECT_EQ(board.place(2, 8, 8), Verdict::NotYourTurn);
    EXPECT_EQ(board.place(1, 8, 8), Verdict::Ok);
    EXPECT_EQ(board.at(8, 8), 1);
    EXPECT_EQ(board.seatToMove(), 2);
    EXPECT_EQ(board.place(1, 9, 9), Verdict::NotYourTurn);
    EXPECT_EQ(board.place(2, 9, 9), Verdict::Ok);
    EXPECT_EQ(board.stones(), 2);
}

TEST(GameBoard, occupiedAndOutOfRangePointsAreRefusedWithoutEffect) {
    GameBoard board;
    ASSERT_EQ(board.place(1, 8, 8), Verdict::Ok);
    EXPECT_EQ(board.place(2, 8, 8), Verdict::Occupied);
    for (auto [c, r] : {std::pair{0, 1}, {16, 1}, {1, 0}, {1, 16}, {-1, -1}, {100, 100}})
        EXPECT_EQ(board.place(2, c, r), Verdict::OutOfRange) << c << "," << r;
    EXPECT_EQ(board.stones(), 1);
    EXPECT_EQ(board.seatToMove(), 2);
}

TEST(GameBoard, fiveInEveryDirectionDecidesTheGame) {
    const int directions[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
    for (const auto& d : directions) {
        GameBoard board;
        // Seat 1 builds its line from the middle outwards; seat 2 answers far away.
        const int order[5] = {0, 1, -1, 2, -2};
        for (int k = 0; k < 5; ++k) {
            ASSERT_EQ(board.place(1, 8 + order[k] * d[0], 8 + order[k] * d[1]), Verdict::Ok);
            if (k < 4) {
                ASSERT_EQ(board.place(2, 1 + k, 15), Verdict::Ok);
            }
        }
        EXPECT_TRUE(board.decided());
        EXPECT_EQ(board.winner(), 1);
        EXPECT_EQ(board.seatToMove(), 0);
        EXPECT_EQ(board.place(2, 15, 1), Verdict::GameOver);
    }
}

TEST(GameBoard, fourIsNotEnoughAndSixAlsoWins) {
    GameBoard board;
    for (int c : {1, 2, 4, 5}) {
        ASSERT_EQ(board.place(1, c, 1), Verdict::Ok);
        ASSERT_EQ(board.place(2, c, 3), Verdict::Ok);
    }
    ASSERT_EQ(board.place(1, 6, 1), Verdict::Ok); // 1 2 _ 4 5 6: four in a row, a gap
    EXPECT_FALSE(board.decided());
    ASSERT_EQ(board.place(2, 7, 7), Verdict::Ok);
    ASSERT_EQ(board.place(1, 3, 1), Verdict::Ok); // fills the gap: six in a row
    EXPECT_EQ(board.winner(), 1);
}

TEST(GameBoard, fullBoardWithoutFiveIsADraw) {
    // Pairs of columns shifted by one every row: no five anywhere, 113 points for seat 1.
    auto seatOf = [](int c, int r) { return 1 + ((c - 1 + 2 * (r - 1)) / 2) % 2; };
    std::vector<std::pair<int, int>> points[3];
    for (int c = 1; c <= GameBoard::kSize; ++c)
        for (int r = 1; r <= GameBoard::kSize; ++r)
            points[seatOf(c, r)].push_back({c, r});
    ASSERT_EQ(points[1].size(), 113u);
    GameBoard board;
    for (std::size_t i = 0; i < points[1].size(); ++i) {
        ASSERT_EQ(board.place(1, points[1][i].first, points[1][i].second), Verdict::Ok) << i;
        if (i < points[2].size()) {
            ASSERT_EQ(board.place(2, points[2][i].first, points[2][i].second), Verdict::Ok) << i;
        }
    }
    EXPECT_EQ(board.stones(), GameBoard::kPoints);
    EXPECT_TRUE(board.decided());
    EXPECT_EQ(board.winner(), 0);
    EXPECT_EQ(board.seatToMove(), 0);
}

TEST(GameBoard, resetStartsAFreshGame) {
    GameBoard board;
    ASSERT_EQ(board.place(1, 8, 8), Verdict::Ok);
    board.reset();
    EXPECT_EQ(board.at(8, 8), 0);
    EXPECT_EQ(board.stones(), 0);
    EXPECT_EQ(board.seatToMove(), 1);
}

} // namespace
} // namespace nw
