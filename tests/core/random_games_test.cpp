// Thousands of seeded random games: stones until five or a full board, with take-backs, resets
// and stones played past a result mixed in. After every step the core must agree with a model
// kept by the test alone and with a brute-force five finder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "core_test_support.h"
#include "kivola/core/winning_line.h"

namespace kivola::test {
namespace {

using Op = RecordingDisplay::Op;
using Call = RecordingDisplay::Call;

constexpr int kGames = 3000;
constexpr int kStepLimit = 600; // per game; take-backs could otherwise keep a game going

struct Stone {
    Point at;
    int side;
};

Board modelEmptyBoard() {
    Board b{};
    for (int x = 0; x < kBoardSpan; ++x) {
        for (int y = 0; y < kBoardSpan; ++y) {
            b[x][y] = (x == 0 || y == 0 || x == kBoardSpan - 1 || y == kBoardSpan - 1) ? kRing : kEmpty;
        }
    }
    return b;
}

class CoreRandomGames : public testing::Test {
protected:
    std::mt19937 rng{20261207u};
    MatchState state;
    RecordingDisplay display;

    // The test's own account of the game.
    Board board = modelEmptyBoard();
    std::vector<Stone> history;
    int result = kInProgress;
    bool playedPastResult = false; // a five may stand off the last stone: only a reset may follow
    int decidingStone = 0;         // stone that made the model's five, and the board just after it
    Board decisionBoard{};

    struct {
        int localWins = 0, otherWins = 0, draws = 0, singleTakeBacks = 0, doubleTakeBacks = 0;
        int resetsMidGame = 0, stonesPastResult = 0;
    } seen;

    int pick(int n) { return int(rng() % unsigned(n)); }

    void reset() {
        const int stones = int(history.size());
        if (stones > 0 && result == kInProgress) {
            ++seen.resetsMidGame;
        }
        state.computerFirst = std::uint8_t(pick(2));
        display.calls.clear();
        ClearBoard(state, display);
        std::vector<Call> expected;
        for (int k = 1; k <= stones; ++k) {
            expected.push_back({Op::Destroy, k});
        }
        ASSERT_EQ(display.calls, expected);
        board = modelEmptyBoard();
        history.clear();
        result = kInProgress;
        playedPastResult = false;
        ASSERT_EQ(state.playerCanMove, 1);
    }

    void placeRandom(bool avoidFives) {
        std::vector<Point> empty;
        empty.reserve(kMaxStones);
        for (int x = 1; x <= kBoardSize; ++x) {
            for (int y = 1; y <= kBoardSize; ++y) {
                if (board[x][y] == 0) {
                    empty.push_back({x, y});
                }
            }
        }
        ASSERT_FALSE(empty.empty());
        const int n = int(history.size()) + 1;
        const int side = isLocalStone(n, state.computerFirst) ? 1 : 0;
        const BoardCode code = codeOf(side);
        // Avoiding fives means trying the empty points in random order; a forced five may remain.
        int at = pick(int(empty.size()));
        for (std::size_t tries = 1; avoidFives && tries < empty.size() && completesFive(board, empty[at], code);
             ++tries) {
            std::swap(empty[at], empty.back());
            empty.pop_back();
            at = pick(int(empty.size()));
        }
        const Point p = empty[at];

        display.calls.clear();
        place(state, display, p, side);
        std::vector<Call> expected;
        if (n > 1) {
            expected.push_back({Op::Show, n - 1});
        }
        expected.push_back({Op::Create, n});
        ASSERT_EQ(display.calls, expected);

        board[p.x][p.y] = code;
        history.push_back({p, side});
        if (result != kInProgress) {
            ++seen.stonesPastResult;
        } else if (hasFive(board, code)) {
            result = code;
            decidingStone = n;
            decisionBoard = board;
            // Read off the board right after the deciding stone, the line is the replay's.
            ASSERT_EQ(LineOfNewestStone(state), FindWinningLine(state));
            ++(code == kLocalStone ? seen.localWins : seen.otherWins);
        } else if (n == kMaxStones) {
            result = kDraw;
            ++seen.draws;
        }
    }

    void takeBack() {
        const int before = int(history.size());
        // The local player is to move afterwards: a stone of the local player left last goes too.
        int after = before - 1;
        if (after > 0 && isLocalStone(after, state.computerFirst)) {
            --after;
        }
        display.calls.clear();
        TakeBackMoves(state, display);
        std::vector<Call> expected;
        for (int k = before; k > after; --k) {
            expected.push_back({Op::Destroy, k});
            board[history.back().at.x][history.back().at.y] = kEmpty;
            history.pop_back();
        }
        ASSERT_EQ(display.calls, expected);
        ++(before - after == 1 ? seen.singleTakeBacks : seen.doubleTakeBacks);
        result = kInProgress;
        // The model's result of 0 holds only if no five stands anywhere; games stop at the first five.
        ASSERT_FALSE(hasFive(board, kLocalStone) || hasFive(board, kOtherStone));
        ASSERT_EQ(state.playerCanMove, 1);
    }

    // Runs of five or more through the deciding stone, walked with bounds tests on the board as
    // it stood when the five was made.
    std::vector<LineRun> modelWinningRuns() const {
        std::vector<LineRun> runs;
        if (result != kLocalStone && result != kOtherStone) {
            return runs;
        }
        const Point p = history[decidingStone - 1].at;
        static constexpr int kDirs[4][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}};
        for (const auto& d : kDirs) {
            auto walk = [&](int sign) {
                Point end = p;
                for (;;) {
                    const Point next{end.x + sign * d[0], end.y + sign * d[1]};
                    if (!isPlayingPoint(next.x, next.y) || decisionBoard[next.x][next.y] != result) {
                        return end;
                    }
                    end = next;
                }
            };
            const Point from = walk(-1);
            const Point to = walk(1);
            if (std::max(std::abs(to.x - from.x), std::abs(to.y - from.y)) >= 4) {
                runs.push_back({from.x, from.y, to.x, to.y});
            }
        }
        return runs;
    }

    void expectAgreement() {
        ASSERT_EQ(state.board, board);
        ASSERT_EQ(int(state.stepCount), int(history.size()));
        for (int k = 1; k <= state.stepCount; ++k) {
            const Stone& s = history[k - 1];
            ASSERT_EQ((Point{state.stepX[k], state.stepY[k]}), s.at) << "history entry " << k;
            ASSERT_EQ(state.stepSide[k], sideOf(s.side)) << "history entry " << k;
        }
        ASSERT_EQ(state.gameResult, result);
        const WinningLine line = FindWinningLine(state);
        const std::vector<LineRun> runs = modelWinningRuns();
        ASSERT_EQ(line.stone, runs.empty() ? 0 : decidingStone);
        ASSERT_TRUE(std::is_permutation(line.runs.begin(), line.runs.end(), runs.begin(), runs.end()));
        ASSERT_TRUE(consistent(state, display));
        ASSERT_EQ(display.misuses, 0);
    }

    void playOneGame() {
        reset();
        // A third of the games steer away from fives and are rarely interrupted, to reach full boards.
        const bool avoidFives = pick(3) == 0;
        const int takeBackPerMille = avoidFives ? 2 : 30;
        const int abandonPerMille = avoidFives ? 1 : 5;
        for (int step = 0; step < kStepLimit && !HasFailure(); ++step) {
            if (result == kInProgress) {
                const int r = pick(1000);
                if (r < takeBackPerMille && !history.empty()) {
                    takeBack();
                } else if (r < takeBackPerMille + abandonPerMille) {
                    return; // abandoned: the next game's reset clears a game in progress
                } else {
                    placeRandom(avoidFives);
                }
            } else if (playedPastResult) {
                return;
            } else {
                const int r = pick(10);
                if (r < 5) {
                    takeBack();
                } else if (r < 7 && history.size() < std::size_t(kMaxStones)) {
                    playedPastResult = true;
                    for (int i = 1 + pick(3); i > 0 && history.size() < std::size_t(kMaxStones); --i) {
                        placeRandom(false);
                    }
                } else {
                    return;
                }
            }
            expectAgreement();
        }
    }
};

TEST_F(CoreRandomGames, AgreeWithAnIndependentModelAfterEveryStep) {
    for (int game = 0; game < kGames; ++game) {
        playOneGame();
        if (HasFailure()) {
            FAIL() << "in random game " << game;
        }
    }
    reset();
    expectAgreement();

    // Every kind of step must actually have happened, or the run proves little.
    EXPECT_GT(seen.localWins, 0);
    EXPECT_GT(seen.otherWins, 0);
    EXPECT_GT(seen.draws, 0);
    EXPECT_GT(seen.singleTakeBacks, 0);
    EXPECT_GT(seen.doubleTakeBacks, 0);
    EXPECT_GT(seen.resetsMidGame, 0);
    EXPECT_GT(seen.stonesPastResult, 0);
    RecordProperty("draws", seen.draws);
    std::printf("wins %d/%d, draws %d, take-backs %d single %d double, resets %d, stones past result %d\n",
                seen.localWins, seen.otherWins, seen.draws, seen.singleTakeBacks, seen.doubleTakeBacks,
                seen.resetsMidGame, seen.stonesPastResult);
}

} // namespace
} // namespace kivola::test
