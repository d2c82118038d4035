// Looking back at a game and the keyboard's cursor: what the board shows, never the game.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "kivola/core/placement.h"
#include "recording_view.h"
#include "kivola/match/board_keys.h"

namespace kivola::test {
namespace {

// stones alternating from the first mover; computerFirst says whose that is.
MatchState playedGame(int stones, std::uint8_t computerFirst = 0) {
    MatchState state;
    RecordingView display;
    state.gameStarted = 1;
    state.computerFirst = computerFirst;
    for (int k = 0; k < stones; ++k) {
        const bool firstMover = k % 2 == 0;
        const Side side = firstMover == (computerFirst == 0) ? kSideLocal : kSideOther;
        // Two stones per column, far from any five: columns 1..15 then rows beyond.
        AddPiece(state, display, {1 + (k / 2) % 15, 1 + 2 * (k / 30) + k % 2}, side);
    }
    return state;
}

TEST(MoveReview, isOfferedOnlyWhenNoStoneCanArriveUnseen) {
    MatchState state = playedGame(6);
    EXPECT_TRUE(reviewOffered(state)); // a single game, the player to move
    state.playerCanMove = 0;
    EXPECT_FALSE(reviewOffered(state)); // the computer is thinking
    state.netMode = 1;
    state.playerCanMove = 1;
    EXPECT_FALSE(reviewOffered(state)); // a network game under way
    state.gameResult = kLocalStone;
    EXPECT_TRUE(reviewOffered(state)); // decided
    EXPECT_FALSE(reviewOffered(MatchState{}));
}

TEST(MoveReview, stepsThroughAFortyMoveGameAndBackWithoutTouchingIt) {
    const MatchState state = playedGame(40);
    MatchState before = state;
    MoveReview review;
    EXPECT_FALSE(review.step(state, ReviewStep::Forward)); // nothing after the live board
    EXPECT_FALSE(review.step(state, ReviewStep::Last));
    EXPECT_FALSE(review.active());
    EXPECT_EQ(review.shown(state), 40);

    EXPECT_TRUE(review.step(state, ReviewStep::Back));
    EXPECT_TRUE(review.active());
    EXPECT_EQ(review.shown(state), 39);
    EXPECT_EQ(reviewCaption(review.shown(state), state.stepCount), QStringLiteral("第 39 / 40 手"));
    EXPECT_TRUE(review.step(state, ReviewStep::First));
    EXPECT_EQ(review.shown(state), 0);
    EXPECT_FALSE(review.step(state, ReviewStep::Back));
    for (int k = 1; k <= 40; ++k) {
        EXPECT_TRUE(review.step(state, ReviewStep::Forward));
        EXPECT_EQ(review.shown(state), k);
    }
    EXPECT_FALSE(review.step(state, ReviewStep::Forward));
    EXPECT_TRUE(review.active()); // the last move is still a review until it is left
    EXPECT_TRUE(review.step(state, ReviewStep::First));
    EXPECT_TRUE(review.step(state, ReviewStep::Last));
    EXPECT_EQ(review.shown(state), 40);
    review.step(state, ReviewStep::First);
    review.leave();
    EXPECT_FALSE(review.active());
    EXPECT_EQ(review.shown(state), 40);
    EXPECT_EQ(std::memcmp(&before, &state, sizeof state), 0);
}

TEST(BoardCursor, startsOnTheLastStoneShownOrTheCentreAndStaysOnTheBoard) {
    const MatchState state = playedGame(3); // (1,1) (1,2) (2,1)
    BoardCursor cursor;
    EXPECT_FALSE(cursor.visible());
    cursor.move(state, 3, 1, 0); // the first press only shows it
    EXPECT_TRUE(cursor.visible());
    EXPECT_EQ(cursor.point(), (BoardPoint{2, 1}));
    cursor.move(state, 3, 0, -1);
    cursor.move(state, 3, -1, 0);
    cursor.move(state, 3, -1, 0);
    EXPECT_EQ(cursor.point(), (BoardPoint{1, 1}));
    cursor.hide();
    cursor.move(state, 2, 0, 0); // reviewing two stones: the second is the last shown
    EXPECT_EQ(cursor.point(), (BoardPoint{1, 2}));
    cursor.hide();
    cursor.move(MatchState{}, 0, 0, 0);
    EXPECT_EQ(cursor.point(), (BoardPoint{8, 8}));
    for (int k = 0; k < 20; ++k) {
        cursor.move(MatchState{}, 0, 1, 1);
    }
    EXPECT_EQ(cursor.point(), (BoardPoint{15, 15}));
}

TEST(BoardCursor, describesThePointAsTheBoardShowsItWithTheFirstMoversStonesBlack) {
    const MatchState playerFirst = playedGame(2);
    EXPECT_EQ(pointDescription(playerFirst, 2, {1, 1}), QStringLiteral("第 1 行 第 1 列，黑子"));
    EXPECT_EQ(pointDescription(playerFirst, 2, {1, 2}), QStringLiteral("第 2 行 第 1 列，白子"));
    EXPECT_EQ(pointDescription(playerFirst, 1, {1, 2}), QStringLiteral("第 2 行 第 1 列，空"));
    EXPECT_EQ(pointDescription(playerFirst, 2, {8, 3}), QStringLiteral("第 3 行 第 8 列，空"));
    const MatchState computerFirst = playedGame(2, 1);
    EXPECT_EQ(pointDescription(computerFirst, 2, {1, 1}), QStringLiteral("第 1 行 第 1 列，黑子"));
    EXPECT_EQ(pointDescription(computerFirst, 2, {1, 2}), QStringLiteral("第 2 行 第 1 列，白子"));
}

TEST(BoardKeys, leftAndRightLookBackOnlyWhileTheCursorIsHiddenAndEscapeLeaves) {
    const auto kind = [](int key, bool cursor, bool offered, bool reviewing) {
        return boardKeyAction(key, cursor, offered, reviewing).kind;
    };
    EXPECT_EQ(kind(Qt::Key_Left, false, true, false), BoardKey::Review);
    EXPECT_EQ(kind(Qt::Key_Left, true, true, false), BoardKey::CursorMove);
    EXPECT_EQ(kind(Qt::Key_Right, true, true, true), BoardKey::Review); // reviewing, cursor or not
    EXPECT_EQ(kind(Qt::Key_Left, false, false, false), BoardKey::CursorMove); // nothing to look back at
    EXPECT_EQ(kind(Qt::Key_Home, false, false, false), BoardKey::None);
    EXPECT_EQ(kind(Qt::Key_Return, false, true, false), BoardKey::None); // no cursor, no stone
    EXPECT_EQ(kind(Qt::Key_Enter, true, true, true), BoardKey::Leave);
    EXPECT_EQ(kind(Qt::Key_Escape, false, true, false), BoardKey::None);
}

} // namespace
} // namespace kivola::test
