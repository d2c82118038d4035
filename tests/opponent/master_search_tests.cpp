// The master's search: its transposition table, forced lines, the five rules, and stopping on a
// cancel from another thread.

#include <gtest/gtest.h>

#include <future>

#include "kivola/opponent/master.h"
#include "master_oracle.h"
#include "master_search.h"

namespace kivola::master {
namespace {

using namespace std::chrono_literals;

// A position from a picture on the top left of a 15 x 15 board: 'x' the master's, 'o' the other side's.
MasterPosition positionOf(const std::vector<std::string>& rows, FiveRule rule = FiveRule::Freestyle) {
    MasterPosition position;
    position.rule = rule;
    for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
        for (int x = 0; x < static_cast<int>(rows[static_cast<std::size_t>(y)].size()); ++x) {
            const char c = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            if (c == 'x' || c == 'o') {
                position.stones.push_back(MasterStone{BoardPoint{x + 1, y + 1}, c == 'x' ? kOtherStone : kLocalStone});
            }
        }
    }
    return position;
}

bool emptyIn(const MasterPosition& position, BoardPoint point) {
    for (const MasterStone& stone : position.stones) {
        if (stone.point == point) {
            return false;
        }
    }
    return point.x >= 1 && point.x <= position.width && point.y >= 1 && point.y <= position.height;
}

// Nothing forced for either side for many moves.
const std::vector<std::string> kQuiet{"", "", "", "", "", "", "", "......ox.x.", ".......oo..", ".........x."};

TEST(MasterTable, KeepsDeeperResultsAndMateDistancesFromThePosition) {
    TranspositionTable table(1);
    const std::uint64_t key = 0x1234;
    const std::uint64_t rival = key + table.size(); // the same slot
    // A win two plies from a position met at ply 3 is a win two plies from it at ply 7 too.
    table.store(key, 3, kWin - 5, 42, 6, Bound::Exact);
    TableEntry entry;
    ASSERT_TRUE(table.probe(key, 7, entry));
    EXPECT_EQ(entry.value, kWin - 9);
    EXPECT_EQ(entry.move, 42);
    table.store(rival, 0, 10, 7, 2, Bound::Lower); // shallower, same search: refused
    EXPECT_FALSE(table.probe(rival, 0, entry));
    table.store(key, 0, -20, -1, 8, Bound::Upper); // same position, no move: the known move stays
    ASSERT_TRUE(table.probe(key, 0, entry));
    EXPECT_EQ(entry.move, 42);
    EXPECT_EQ(entry.bound, Bound::Upper);
    table.newSearch(); // an old result gives way to any new one
    table.store(rival, 0, 10, 7, 1, Bound::Lower);
    EXPECT_TRUE(table.probe(rival, 0, entry));
    EXPECT_FALSE(table.probe(key, 0, entry));
}

TEST(MasterTable, ASecondSearchOfThePositionIsCheaperAndAgrees) {
    const MasterPosition position = positionOf(kQuiet);
    Engine engine(4);
    engine.settings().rootVctNodes = 0; // the main search alone
    engine.settings().safetyNodes = 0;
    MasterLimits limits;
    limits.maxDepth = 7;
    limits.budget = 60s;
    const MasterAnswer first = engine.think(position, limits);
    const MasterAnswer again = engine.think(position, limits);
    EXPECT_EQ(first.depth, 7);
    // The move, not its value: cut-offs on the first search's deeper results may settle a quiet
    // position's value elsewhere within the same bounds.
    EXPECT_EQ(again.move, first.move);
    EXPECT_LT(again.nodes, first.nodes / 2);
    engine.newGame(); // forgotten: the same work again, node for node, to the same value
    const MasterAnswer fresh = engine.think(position, limits);
    EXPECT_EQ(fresh.nodes, first.nodes);
    EXPECT_EQ(fresh.move, first.move);
    EXPECT_EQ(fresh.value, first.value);
}

TEST(MasterOpponent, TakesFivesStopsFoursAndPlaysForcedWins) {
    MasterOpponent master(2);
    MasterLimits limits;
    limits.budget = 60s;
    limits.maxDepth = 4;
    // Its own four first, even with the opponent's four on the board.
    MasterAnswer answer = master.FindComputerMove(positionOf({"oooo.", "xxxx.", "....."}), limits);
    EXPECT_EQ(answer.move, (BoardPoint{5, 2}));
    answer = master.FindComputerMove(positionOf({"oooo.", "xx.x.", "....."}), limits);
    EXPECT_EQ(answer.move, (BoardPoint{5, 1}));
    // A chain of fours: the first four, with a proven win.
    answer = master.FindComputerMove(positionOf({"...........", "...........", "..xx.......", "..x..x.....",
                                                 "..x..x.....", "..o...o...."}),
                                     limits);
    EXPECT_EQ(answer.move, (BoardPoint{3, 2}));
    EXPECT_GT(answer.value, kMasterWinFloor);
    // Six in a row wins only in freestyle: under exact five the master must stop o's five instead.
    const std::vector<std::string> overline{"xx.xxx....", "..........", ".oooo....."};
    EXPECT_EQ(master.FindComputerMove(positionOf(overline), limits).move, (BoardPoint{3, 1}));
    answer = master.FindComputerMove(positionOf(overline, FiveRule::ExactFive), limits);
    EXPECT_TRUE(answer.move == (BoardPoint{1, 3}) || answer.move == (BoardPoint{6, 3}));
    EXPECT_LT(answer.value, -kMasterWinFloor); // o's other end still makes five
}

TEST(MasterOpponent, ACancelFromAnotherThreadEndsTheSearchWithALegalMove) {
    const MasterPosition position = positionOf(kQuiet);
    MasterOpponent master(2);
    std::atomic<bool> cancel{true};
    MasterLimits limits;
    limits.budget = 3600s;
    limits.cancel = &cancel;
    // Cancelled before it starts: an answer at once all the same.
    MasterAnswer answer = master.FindComputerMove(position, limits);
    EXPECT_TRUE(answer.found && emptyIn(position, answer.move));
    EXPECT_LT(answer.nodes, 100u);

    cancel = false;
    std::promise<void> firstIteration;
    std::atomic<bool> told{false};
    limits.onIteration = [&](const MasterAnswer&) {
        if (!told.exchange(true)) {
            firstIteration.set_value();
        }
    };
    auto thinking = std::async(std::launch::async, [&] { return master.FindComputerMove(position, limits); });
    ASSERT_EQ(firstIteration.get_future().wait_for(30s), std::future_status::ready);
    cancel = true;
    ASSERT_EQ(thinking.wait_for(30s), std::future_status::ready); // a bound, not a speed requirement
    answer = thinking.get();
    EXPECT_TRUE(answer.found && emptyIn(position, answer.move));
    EXPECT_GT(answer.depth, 0);
}

} // namespace
} // namespace kivola::master
