// Stone placement, five detection, colours, ClearBoard and take-back against a recording display.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core_test_support.h"
#include "kivola/core/winning_line.h"

namespace kivola::test {
namespace {

using Op = RecordingDisplay::Op;
using Call = RecordingDisplay::Call;

struct Direction {
    const char* name;
    int dx;
    int dy;
};
constexpr Direction kRow{"row", 1, 0};
constexpr Direction kColumn{"column", 0, 1};
constexpr Direction kDiagonal{"diagonal", 1, 1};
constexpr Direction kAntiDiagonal{"anti-diagonal", -1, 1};
constexpr Direction kDirections[] = {kRow, kColumn, kDiagonal, kAntiDiagonal};

std::vector<Point> lineFrom(Point start, Direction d, int length) {
    std::vector<Point> line;
    for (int i = 0; i < length; ++i) {
        line.push_back({start.x + i * d.dx, start.y + i * d.dy});
    }
    return line;
}

auto fields(const MatchState& s) {
    return std::tie(s.board, s.stepX, s.stepY, s.stepSide, s.stepCount, s.gameResult, s.playerCanMove,
                    s.computerFirst, s.computerFirstOption, s.netMode, s.gameStarted);
}

TEST(CorePlacement, FiveWinsInEveryDirectionWhicheverStoneCompletesIt) {
    // Starts in the middle and against every edge and corner, so the walks must stop at the ring.
    struct Case {
        Direction dir;
        Point start;
    };
    const Case cases[] = {
        {kRow, {6, 8}},        {kRow, {1, 1}},        {kRow, {11, 15}},       {kColumn, {8, 6}},
        {kColumn, {15, 1}},    {kColumn, {1, 11}},    {kDiagonal, {5, 5}},    {kDiagonal, {1, 1}},
        {kDiagonal, {11, 11}}, {kDiagonal, {1, 9}},   {kAntiDiagonal, {10, 4}}, {kAntiDiagonal, {15, 1}},
        {kAntiDiagonal, {5, 11}}, {kAntiDiagonal, {15, 7}},
    };
    for (const Case& c : cases) {
        const std::vector<Point> line = lineFrom(c.start, c.dir, 5);
        for (int last = 0; last < 5; ++last) {
            for (int side : {1, 0}) {
                SCOPED_TRACE(std::string(c.dir.name) + " from (" + std::to_string(c.start.x) + "," +
                             std::to_string(c.start.y) + "), last stone " + std::to_string(last) +
                             ", side " + std::to_string(side));
                MatchState state;
                RecordingDisplay display;
                for (int i = 0; i < 5; ++i) {
                    if (i != last) {
                        place(state, display, line[i], side);
                    }
                }
                ASSERT_EQ(state.gameResult, kInProgress);
                place(state, display, line[last], side);
                EXPECT_EQ(state.gameResult, codeOf(side));
                EXPECT_TRUE(consistent(state, display));
            }
        }
    }
}

TEST(CorePlacement, LinePatternsDecideOnlyUnbrokenRunsOfFiveOrMore) {
    // X the mover's stones, O the other side's, '.' empty, '*' the mover's new stone.
    struct Case {
        const char* line;
        bool wins;
    };
    const Case cases[] = {
        {"XXX*XX", true},    // six
        {"XXXX*XXX", true},  // eight
        {"OXX*XXO", true},   // five closed at both ends still wins
        {"XXX*", false},     // four
        {".XX*X.", false},   // open four
        {"X*XX.X", false},   // five stones with a gap
        {"XX*.XX", false},
        {"XX*XO", false},    // mixed sides
        {"XXOX*", false},
        {"XXXXO*", false},   // the other side's stone interrupts
        {"OOOO*", false},    // the mover's stone does not complete the other side's four
    };
    const Point starts[] = {{4, 8}, {8, 4}, {4, 4}, {12, 4}};
    for (const Case& c : cases) {
        for (int d = 0; d < 4; ++d) {
            for (int side : {1, 0}) {
                SCOPED_TRACE(std::string(c.line) + " along the " + kDirections[d].name + ", side " +
                             std::to_string(side));
                const std::string pattern = c.line;
                const std::vector<Point> line = lineFrom(starts[d], kDirections[d], int(pattern.size()));
                MatchState state;
                RecordingDisplay display;
                Point newStone;
                for (std::size_t i = 0; i < pattern.size(); ++i) {
                    if (pattern[i] == 'X') {
                        place(state, display, line[i], side);
                    } else if (pattern[i] == 'O') {
                        place(state, display, line[i], 1 - side);
                    } else if (pattern[i] == '*') {
                        newStone = line[i];
                    }
                }
                ASSERT_EQ(state.gameResult, kInProgress);
                place(state, display, newStone, side);
                EXPECT_EQ(state.gameResult, c.wins ? codeOf(side) : kInProgress);
            }
        }
    }
}

TEST(CorePlacement, StoneMakingFiveInTwoDirectionsWins) {
    MatchState state;
    RecordingDisplay display;
    placeAll(state, display, {{4, 8}, {5, 8}, {6, 8}, {7, 8}, {8, 4}, {8, 5}, {8, 6}, {8, 7}}, 0);
    ASSERT_EQ(state.gameResult, kInProgress);
    place(state, display, {8, 8}, 0);
    EXPECT_EQ(state.gameResult, kOtherStone);
}

TEST(CorePlacement, FirstResultStandsThroughLaterStones) {
    // A loaded file may hold stones after the five; none of them may change the result.
    for (int earlier : {int(kLocalStone), int(kOtherStone), int(kDraw)}) {
        for (int side : {1, 0}) {
            SCOPED_TRACE("result " + std::to_string(earlier) + ", later five of side " + std::to_string(side));
            MatchState state;
            RecordingDisplay display;
            if (earlier == kDraw) {
                state.gameResult = kDraw;
            } else {
                placeAll(state, display, lineFrom({1, 1}, kRow, 5), earlier == kLocalStone ? 1 : 0);
                ASSERT_EQ(state.gameResult, earlier);
            }
            const int before = state.stepCount;
            placeAll(state, display, lineFrom({3, 10}, kColumn, 5), side);
            EXPECT_EQ(state.gameResult, earlier);
            EXPECT_EQ(state.stepCount, before + 5);
            EXPECT_EQ(state.stepX[state.stepCount], 3);
            EXPECT_EQ(state.stepY[state.stepCount], 14);
            EXPECT_EQ(state.stepSide[state.stepCount], sideOf(side));
        }
    }
}

TEST(CoreWinningLine, NamesTheRunsOfTheStoneThatDecidedAndNothingElse) {
    MatchState state;
    RecordingDisplay display;
    // Sides alternate; the local five on row 8 is completed in its middle by stone 9, which also
    // closes a five on column 6, so both runs are named.
    const Point local[] = {{4, 8}, {5, 8}, {7, 8}, {8, 8}, {6, 4}, {6, 5}, {6, 6}, {6, 7}};
    for (int i = 0; i < 8; ++i) {
        place(state, display, local[i], 1);
        place(state, display, {1 + i, 14 - (i % 2)}, 0);
    }
    EXPECT_EQ(FindWinningLine(state).stone, 0) << "no line while the game is open";
    place(state, display, {6, 8}, 1);
    ASSERT_EQ(state.gameResult, kLocalStone);
    const std::vector<LineRun> expected{{4, 8, 8, 8}, {6, 4, 6, 8}};
    WinningLine line = FindWinningLine(state);
    EXPECT_EQ(line.stone, 17);
    EXPECT_EQ(line.runs, expected);

    // Stones played past the result (a loaded file may hold them), even a longer run of the
    // winner and a five of the other side, leave the deciding line as it was.
    placeAll(state, display, {{9, 8}, {6, 9}}, 1);
    placeAll(state, display, lineFrom({10, 1}, kColumn, 5), 0);
    line = FindWinningLine(state);
    EXPECT_EQ(line.stone, 17);
    EXPECT_EQ(line.runs, expected);

    // A side byte other than 0 or 1 counts as the local player's, as the placement did.
    state.stepSide[9] = Side{7};
    EXPECT_EQ(FindWinningLine(state).stone, 17);

    // A result that the history does not explain names no line.
    MatchState forged = state;
    forged.gameResult = kOtherStone;
    EXPECT_TRUE(FindWinningLine(forged).runs.empty());
    forged.gameResult = kDraw;
    EXPECT_TRUE(FindWinningLine(forged).runs.empty());

    // Taking the winning stone back leaves no line; the stones before it made none.
    MatchState decided;
    RecordingDisplay shown;
    for (int i = 0; i < 4; ++i) {
        place(decided, shown, {i + 1, 1}, 1);
        place(decided, shown, {i + 1, 3}, 0);
    }
    place(decided, shown, {5, 1}, 1);
    ASSERT_EQ(FindWinningLine(decided).runs, (std::vector<LineRun>{{1, 1, 5, 1}}));
    TakeBackMoves(decided, shown);
    EXPECT_EQ(FindWinningLine(decided).stone, 0);
    EXPECT_TRUE(consistent(decided, shown));
}

TEST(CorePlacement, AddPieceRecordsTheStoneAndWritesItsCell) {
    MatchState state;
    RecordingDisplay display;
    placeAll(state, display, {{1, 1}, {2, 2}}, 1);
    AddPiece(state, display, {15, 7}, Side::Other);
    EXPECT_EQ(state.stepCount, 3);
    EXPECT_EQ(state.board[15][7], kOtherStone);
    EXPECT_EQ(state.stepX[3], 15);
    EXPECT_EQ(state.stepY[3], 7);
    EXPECT_EQ(state.stepSide[3], Side::Other);
    ASSERT_TRUE(display.entries.contains(3));
    EXPECT_EQ(display.entries.at(3).at, (Point{15, 7}));
}

TEST(CorePlacement, ColourBelongsToWhoeverMovedFirst) {
    struct Case {
        int computerFirst;
        int side;
        int colour;
    };
    for (const Case c : {Case{0, 1, 1}, Case{0, 0, 0}, Case{1, 1, 0}, Case{1, 0, 1}}) {
        MatchState state;
        RecordingDisplay display;
        state.computerFirst = std::uint8_t(c.computerFirst);
        AddPiece(state, display, {8, 8}, sideOf(c.side));
        EXPECT_EQ(display.entries.at(1).colour, c.colour)
            << "computerFirst " << c.computerFirst << ", side " << c.side;
    }
}

TEST(CorePlacement, PreviousNewestIsShownBeforeTheNextEntryIsCreated) {
    MatchState state;
    RecordingDisplay display;
    place(state, display, {8, 8}, 1);
    EXPECT_EQ(display.calls, (std::vector<Call>{{Op::Create, 1}})) << "no entry to show before the first stone";

    display.blinkOff(1);
    display.calls.clear();
    place(state, display, {9, 9}, 0);
    EXPECT_EQ(display.calls, (std::vector<Call>{{Op::Show, 1}, {Op::Create, 2}}));
    EXPECT_TRUE(display.entries.at(1).visible);

    // Showing an entry that the blink left visible changes nothing.
    place(state, display, {10, 10}, 1);
    EXPECT_TRUE(display.entries.at(2).visible);
    EXPECT_TRUE(consistent(state, display));
}

TEST(CorePlacement, PutOnPieceCountsFirstThenCreatesThatEntry) {
    MatchState state;
    RecordingDisplay display;
    PutOnPiece(state, display, 4, 5, StoneColour::First);
    EXPECT_EQ(state.stepCount, 1);
    ASSERT_EQ(display.calls, (std::vector<Call>{{Op::Create, 1}}));
    EXPECT_EQ(display.entries.at(1).at, (Point{4, 5}));
    EXPECT_EQ(display.entries.at(1).colour, 1);
}

TEST(CorePlacement, FullBoardIsADrawUnlessTheLastStoneMakesFive) {
    for (int computerFirst : {0, 1}) {
        SCOPED_TRACE("computerFirst " + std::to_string(computerFirst));
        MatchState state;
        RecordingDisplay display;
        state.computerFirst = std::uint8_t(computerFirst);
        const std::vector<Point> order = drawGameOrder();
        ASSERT_EQ(order.size(), std::size_t(kMaxStones));
        for (int n = 1; n < kMaxStones; ++n) {
            place(state, display, order[n - 1], isLocalStone(n, computerFirst) ? 1 : 0);
        }
        ASSERT_EQ(state.gameResult, kInProgress);
        place(state, display, order.back(), isLocalStone(kMaxStones, computerFirst) ? 1 : 0);
        EXPECT_EQ(state.gameResult, kDraw);
        EXPECT_EQ(state.stepCount, kMaxStones);
        EXPECT_TRUE(consistent(state, display));
    }

    // Same pattern, but (8, 7) joins the first mover and the last stone (9, 7) closes a row of six.
    const Point joined{8, 7};
    const Point last{9, 7};
    MatchState state;
    RecordingDisplay display;
    for (int x = 1; x <= kBoardSize; ++x) {
        for (int y = 1; y <= kBoardSize; ++y) {
            const Point p{x, y};
            if (p != last) {
                place(state, display, p, p == joined || drawPatternFirstMover(p) ? 1 : 0);
            }
        }
    }
    ASSERT_FALSE(hasFive(state.board, kLocalStone));
    ASSERT_FALSE(hasFive(state.board, kOtherStone));
    ASSERT_EQ(state.gameResult, kInProgress);
    place(state, display, last, 1);
    EXPECT_EQ(state.stepCount, kMaxStones);
    EXPECT_EQ(state.gameResult, kLocalStone);
}

TEST(CoreClearBoard, DestroysEntriesInOrderAndKeepsTheFlags) {
    MatchState state;
    RecordingDisplay display;
    state.computerFirst = 1;
    for (int n = 1; n <= 6; ++n) {
        place(state, display, {n, 3}, isLocalStone(n, 1) ? 1 : 0);
    }
    state.computerFirstOption = 1;
    state.netMode = 1;
    state.gameStarted = 1;
    state.gameResult = kOtherStone;
    state.playerCanMove = 0;
    // Only ClearBoard may repair the ring; damage one cell on each of its four sides.
    state.board[5][0] = kEmpty;
    state.board[5][16] = BoardCode{7};
    state.board[0][9] = kLocalStone;
    state.board[16][9] = kOtherStone;
    const auto historyBefore = std::make_tuple(state.stepX, state.stepY, state.stepSide);
    display.calls.clear();

    ClearBoard(state, display);

    std::vector<Call> destroys;
    for (int k = 1; k <= 6; ++k) {
        destroys.push_back({Op::Destroy, k});
    }
    EXPECT_EQ(display.calls, destroys);
    EXPECT_TRUE(display.entries.empty());
    EXPECT_EQ(state.stepCount, 0);
    EXPECT_EQ(state.gameResult, kInProgress);
    EXPECT_EQ(state.playerCanMove, 1);
    EXPECT_EQ(state.board, emptyBoard());
    EXPECT_TRUE(ringIntact(state.board));
    EXPECT_EQ(state.computerFirst, 1);
    EXPECT_EQ(state.computerFirstOption, 1);
    EXPECT_EQ(state.netMode, 1);
    EXPECT_EQ(state.gameStarted, 1);
    EXPECT_TRUE(std::make_tuple(state.stepX, state.stepY, state.stepSide) == historyBefore);

    // The table is empty again, so the next stone creates entry 1 without clashing.
    place(state, display, {8, 8}, 0);
    EXPECT_EQ(display.entries.size(), 1u);
    EXPECT_TRUE(consistent(state, display));
}

TEST(CoreClearBoard, EmptyGameDestroysNothing) {
    MatchState state;
    RecordingDisplay display;
    ClearBoard(state, display);
    EXPECT_TRUE(display.calls.empty());
    EXPECT_EQ(state.board, emptyBoard());
}

TEST(CoreTakeBack, LeavesTheLocalPlayerToMove) {
    struct Case {
        int computerFirst;
        int before;
        int after;
    };
    const Case cases[] = {
        {0, 4, 2}, {0, 3, 2}, {0, 2, 0}, {0, 1, 0}, // local stones are the odd ones
        {1, 5, 3}, {1, 2, 1}, {1, 3, 1}, {1, 1, 0}, // local stones are the even ones
    };
    for (const Case c : cases) {
        SCOPED_TRACE("computerFirst " + std::to_string(c.computerFirst) + ", " + std::to_string(c.before) +
                     " stones");
        MatchState state;
        RecordingDisplay display;
        state.computerFirst = std::uint8_t(c.computerFirst);
        std::vector<Point> stones;
        for (int n = 1; n <= c.before; ++n) {
            stones.push_back({n, n + 2});
            place(state, display, stones.back(), isLocalStone(n, c.computerFirst) ? 1 : 0);
        }
        state.playerCanMove = 0;
        display.calls.clear();

        TakeBackMoves(state, display);

        EXPECT_EQ(state.stepCount, c.after);
        std::vector<Call> destroys;
        for (int k = c.before; k > c.after; --k) {
            destroys.push_back({Op::Destroy, k});
        }
        EXPECT_EQ(display.calls, destroys) << "the newest entry goes first";
        for (int n = 1; n <= c.before; ++n) {
            const Point p = stones[n - 1];
            EXPECT_EQ(state.board[p.x][p.y], n <= c.after ? cellCodeOfSide(state.stepSide[n]) : kEmpty) << "stone " << n;
        }
        EXPECT_EQ(state.gameResult, kInProgress);
        EXPECT_EQ(state.playerCanMove, 1);
        EXPECT_TRUE(consistent(state, display));
    }
}

TEST(CoreTakeBack, UndoesAWinningMoveAndItsResult) {
    MatchState state;
    RecordingDisplay display;
    // Local stones on row 1, answers on row 3; the ninth stone completes the local five.
    for (int i = 1; i <= 4; ++i) {
        place(state, display, {i, 1}, 1);
        place(state, display, {i, 3}, 0);
    }
    place(state, display, {5, 1}, 1);
    ASSERT_EQ(state.gameResult, kLocalStone);
    TakeBackMoves(state, display);
    EXPECT_EQ(state.stepCount, 8);
    EXPECT_EQ(state.board[5][1], kEmpty);
    EXPECT_EQ(state.gameResult, kInProgress);
    EXPECT_TRUE(consistent(state, display));
    // Replaying the same stone wins again: nothing stale is left behind.
    place(state, display, {5, 1}, 1);
    EXPECT_EQ(state.gameResult, kLocalStone);
}

TEST(CoreTakeBack, WithoutStonesChangesNothing) {
    for (int computerFirst : {0, 1}) {
        MatchState state;
        RecordingDisplay display;
        state.computerFirst = std::uint8_t(computerFirst);
        state.playerCanMove = 0;
        state.gameStarted = 1;
        const MatchState before = state;
        TakeBackMoves(state, display);
        EXPECT_TRUE(fields(state) == fields(before));
        EXPECT_TRUE(display.calls.empty());
    }
}

} // namespace
} // namespace kivola::test
