// The master in the game: it answers through the event loop, and nothing of a cancelled or
// replaced search ever arrives.

#include <gtest/gtest.h>

#include <QObject>
#include <memory>
#include <optional>
#include <vector>

#include "kivola/core/placement.h"
#include "recording_view.h"
#include "event_loop.h"
#include "kivola/match/master_player.h"

namespace kivola::test {
namespace {

// The player moved first: stones alternate, the player's at odd steps.
MatchState gameOf(const std::vector<BoardPoint>& moves) {
    MatchState state;
    RecordingView display;
    state.gameStarted = 1;
    for (const BoardPoint& move : moves) {
        AddPiece(state, display, move, state.stepCount % 2 == 0 ? kSideLocal : kSideOther);
    }
    state.playerCanMove = 0;
    return state;
}

// Both sides hold four in a row, the computer's closed at (3,5); to move, it completes its own at (8,5).
const std::vector<BoardPoint> kBothHaveFour{{4, 10}, {4, 5}, {5, 10}, {5, 5}, {6, 10}, {6, 5}, {7, 10}, {7, 5}, {3, 5}};

TEST(MasterPlayer, answersWithTheComputersOwnFiveThroughTheEventLoopNotInsideTheCall) {
    QObject context;
    MasterPlayer master;
    std::vector<BoardPoint> answers;
    master.think(gameOf(kBothHaveFour), &context, [&answers](BoardPoint point) { answers.push_back(point); });
    EXPECT_TRUE(master.thinking());
    EXPECT_TRUE(answers.empty());
    ASSERT_TRUE(runUntil([&answers] { return !answers.empty(); }));
    EXPECT_FALSE(master.thinking());
    ASSERT_EQ(answers.size(), 1U);
    EXPECT_EQ(answers[0], (BoardPoint{8, 5})); // not the player's five points (3,10) or (8,10)
    EXPECT_EQ(master.percentSpent(), 0);
}

TEST(MasterPlayer, aCancelledOrReplacedSearchNeverAnswersAndADestroyedPlayerNeither) {
    QObject context;
    std::vector<BoardPoint> answers;
    const auto record = [&answers](BoardPoint point) { answers.push_back(point); };
    // A quiet opening with a long budget: only a working cancel lets these return.
    const MatchState open = gameOf({{8, 8}, {9, 9}, {7, 9}});
    {
        MasterPlayer master(std::chrono::minutes(10));
        master.think(open, &context, record);
        master.cancel();
        EXPECT_FALSE(master.thinking());
        ASSERT_TRUE(drainQueue(context));
        EXPECT_TRUE(answers.empty());

        // A new question replaces the one under way; only its answer comes.
        master.think(open, &context, record);
        master.think(gameOf(kBothHaveFour), &context, record);
        ASSERT_TRUE(runUntil([&answers] { return !answers.empty(); }));
        ASSERT_TRUE(drainQueue(context));
        ASSERT_EQ(answers.size(), 1U);
        EXPECT_EQ(answers[0], (BoardPoint{8, 5}));

        master.think(open, &context, record);
    } // destroyed while thinking
    ASSERT_TRUE(drainQueue(context));
    EXPECT_EQ(answers.size(), 1U);
}

} // namespace
} // namespace kivola::test
