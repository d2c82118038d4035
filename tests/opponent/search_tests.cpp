// Candidate selection and the look-ahead search: the worked cases with the real patterns, and
// the rules of picking, cutting off and choosing with a scripted evaluator.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "kivola/opponent/opponent.h"
#include "search.h"
#include "test_positions.h"

namespace kivola {
namespace {

using testing::matchStateOf;
using testing::Position;
using testing::positionWith;
using testing::RecordingProgress;
using testing::ScriptedRandom;

// Scores from a table, per side; occupied cells are -1 as with the real patterns.
class ScriptedEvaluator final : public CellEvaluator {
public:
    explicit ScriptedEvaluator(std::int32_t otherwise) : otherwise_(otherwise) {}
    void set(int side, int x, int y, std::int32_t score) { scores_[{side, x, y}] = score; }
    void attach(WorkBoard& workBoard, bool) override { board_ = &workBoard; }
    void stonePlaced(int, int, std::int32_t) override {}
    void stoneTakenBack(int, int, std::int32_t) override {}
    std::int32_t cellScore(int x, int y, int side) override {
        if ((*board_)[x][y] != kEmpty) {
            return -1;
        }
        const auto found = scores_.find({side, x, y});
        return found == scores_.end() ? otherwise_ : found->second;
    }

private:
    WorkBoard* board_ = nullptr;
    std::int32_t otherwise_;
    std::map<std::tuple<int, int, int>, std::int32_t> scores_;
};

// A search set up on a position, as the opponent would have it.
Search opponentOn(const Position& position, int depth) {
    Search opponent;
    opponent.workBoard = position.board;
    opponent.searchDepth = depth;
    opponent.rebuildNeighbourMap(position.stones);
    return opponent;
}

std::set<std::pair<int, int>> neighboursOfCentre() {
    std::set<std::pair<int, int>> cells;
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (dx != 0 || dy != 0) {
                cells.insert({8 + dx, 8 + dy});
            }
        }
    }
    return cells;
}

TEST(FindComputerMove, emptyBoardAnswersCentreWithoutSearching) {
    Opponent opponent;
    opponent.setSearchDepth(kAdvancedDepth);
    MatchState state;
    RecordingProgress progress;
    ScriptedRandom random({}, 0);
    int x = 0;
    int y = 0;
    ASSERT_TRUE(opponent.FindComputerMove(state, true, progress, random, x, y));
    EXPECT_EQ(x, 8);
    EXPECT_EQ(y, 8);
    EXPECT_TRUE(progress.shown.empty());
    EXPECT_EQ(progress.repaints, 0);
    EXPECT_EQ(opponent.nodes(), 0u);
}

TEST(FindComputerMove, oneStoneAnswersFirstNeighbourWhenNoTieTakesOver) {
    // The eight neighbours are the best cells (19); the others in reach score 18.
    const Position position = positionWith({{8, 8, kLocalStone}});
    for (int x = 6; x <= 10; ++x) {
        for (int y = 6; y <= 10; ++y) {
            if (x == 8 && y == 8) {
                continue;
            }
            const bool neighbour = neighboursOfCentre().contains({x, y});
            EXPECT_EQ(CellScore(position.board, x, y, kOtherStone, true), neighbour ? 19 : 18) << x << "," << y;
        }
    }
    Search opponent = opponentOn(position, kAdvancedDepth);
    RecordingProgress progress;
    ScriptedRandom random({}, 0);
    int x = 0;
    int y = 0;
    ASSERT_TRUE(opponent.FindComputerMove(matchStateOf(position), true, progress, random, x, y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(7, 7));
    EXPECT_EQ(progress.shown, (std::vector<int>{0, 16, 33, 50, 66, 83, 100}));
    EXPECT_EQ(progress.repaints, 1);
    EXPECT_EQ(opponent.nodes(), 7u) << "one ply: the root and six leaves";
    EXPECT_EQ(opponent.searchDepth, kAdvancedDepth);
}

TEST(FindComputerMove, oneStoneTieTakeoversMoveTheAnswerAlongTheNeighbours) {
    const Position position = positionWith({{8, 8, kLocalStone}});
    {
        // Every tie taken over: the last neighbour in scan order holds the first pick.
        Search opponent = opponentOn(position, kBeginnerDepth);
        QuietProgress progress;
        ScriptedRandom random({}, 9);
        int x = 0;
        int y = 0;
        ASSERT_TRUE(opponent.FindComputerMove(matchStateOf(position), true, progress, random, x, y));
        EXPECT_EQ(std::make_pair(x, y), std::make_pair(9, 9));
    }
    std::set<std::pair<int, int>> answers;
    for (std::uint64_t seed = 0; seed < 200; ++seed) {
        Search opponent = opponentOn(position, kIntermediateDepth);
        QuietProgress progress;
        SeededRandom random(seed);
        int x = 0;
        int y = 0;
        ASSERT_TRUE(opponent.FindComputerMove(matchStateOf(position), true, progress, random, x, y));
        answers.insert({x, y});
    }
    EXPECT_EQ(answers, neighboursOfCentre()) << "every neighbour can win the ties, and nothing else";
}

TEST(FindComputerMove, searchesOnePlyUpToSixStonesAndTheLevelDepthAfter) {
    std::mt19937_64 generator(7);
    for (int stones : {1, 6, 7, 12}) {
        const Position position = testing::randomPosition(generator, stones, true);
        Opponent opponent;
        opponent.setSearchDepth(kAdvancedDepth);
        QuietProgress progress;
        SeededRandom random(stones);
        int x = 0;
        int y = 0;
        ASSERT_TRUE(opponent.FindComputerMove(matchStateOf(position), true, progress, random, x, y));
        EXPECT_EQ(opponent.searchDepth(), kAdvancedDepth) << "the level's depth comes back";
        if (stones <= kOpeningStones) {
            EXPECT_LE(opponent.nodes(), 1u + kMaxCandidates) << stones << " stones: one ply";
        } else {
            EXPECT_GT(opponent.nodes(), 1u + kMaxCandidates) << stones << " stones: the level's depth";
        }
    }
}

TEST(FindComputerMove, atDepthOneAnswersTheBestCell) {
    std::mt19937_64 generator(11);
    for (int round = 0; round < 20; ++round) {
        const Position position = testing::randomPosition(generator, 7 + round, true);
        Search opponent = opponentOn(position, kBeginnerDepth);
        QuietProgress progress;
        ScriptedRandom random({}, 0); // no tie taken over: the first best cell in scan order
        int x = 0;
        int y = 0;
        ASSERT_TRUE(opponent.FindComputerMove(matchStateOf(position), round % 2 == 0, progress, random, x, y));
        std::int32_t best = -100;
        std::pair<int, int> expected{0, 0};
        for (int cx = kFirstPoint; cx <= kLastPoint; ++cx) {
            for (int cy = kFirstPoint; cy <= kLastPoint; ++cy) {
                const std::int32_t score = CellScore(position.board, cx, cy, kOtherStone, round % 2 == 0);
                if (opponent.inReach(cx, cy) && score > best) {
                    best = score;
                    expected = {cx, cy};
                }
            }
        }
        EXPECT_EQ(std::make_pair(x, y), expected) << "round " << round;
    }
}

TEST(FindComputerMove, completesFiveAtOnceWithoutFinishingTheGauge) {
    // 2 has four in a row at (4..7, 8); the player's stones are scattered.
    const Position position = positionWith({{4, 8, 2}, {3, 3, 1}, {5, 8, 2}, {12, 12, 1}, {6, 8, 2},
                                            {12, 3, 1}, {7, 8, 2}, {3, 12, 1}});
    Search opponent = opponentOn(position, kAdvancedDepth);
    RecordingProgress progress;
    progress.setProgress(42);
    progress.shown.clear();
    SeededRandom random(1);
    int x = 0;
    int y = 0;
    ASSERT_TRUE(opponent.FindComputerMove(matchStateOf(position), true, progress, random, x, y));
    EXPECT_TRUE((x == 8 && y == 8) || (x == 3 && y == 8)) << x << "," << y;
    EXPECT_GT(CellScore(position.board, x, y, kOtherStone, true), kImmediateScore);
    EXPECT_EQ(opponent.nodes(), 1u);
    EXPECT_TRUE(progress.shown.empty());
    EXPECT_EQ(progress.progress(), 42) << "the gauge stays where it was";
}

TEST(FindComputerMove, blocksTheOpponentsFour) {
    const Position position = positionWith({{4, 8, 1}, {4, 4, 2}, {5, 8, 1}, {10, 12, 2}, {6, 8, 1},
                                            {12, 4, 2}, {7, 8, 1}});
    Search opponent = opponentOn(position, kIntermediateDepth);
    QuietProgress progress;
    SeededRandom random(3);
    int x = 0;
    int y = 0;
    ASSERT_TRUE(opponent.FindComputerMove(matchStateOf(position), true, progress, random, x, y));
    EXPECT_TRUE((x == 8 && y == 8) || (x == 3 && y == 8)) << x << "," << y;
}

TEST(FindComputerMove, leavesWorkBoardNeighbourMapAndCountAsTheyWere) {
    std::mt19937_64 generator(23);
    for (int round = 0; round < 12; ++round) {
        const Position position = testing::randomPosition(generator, 8 + 4 * round, round % 2 == 0);
        for (int depth : {kBeginnerDepth, kIntermediateDepth, kAdvancedDepth}) {
            Search opponent = opponentOn(position, depth);
            QuietProgress progress;
            SeededRandom random(round);
            int x = 0;
            int y = 0;
            ASSERT_TRUE(opponent.FindComputerMove(matchStateOf(position), true, progress, random, x, y));
            EXPECT_EQ(position.board[x][y], kEmpty);
            EXPECT_EQ(opponent.workBoard, position.board);
            Search fresh;
            fresh.rebuildNeighbourMap(position.stones);
            EXPECT_EQ(opponent.neighbourMap, fresh.neighbourMap);
            EXPECT_EQ(opponent.candidateCount, kCandidatesPerNode);
            EXPECT_EQ(opponent.searchDepth, depth);
            EXPECT_EQ(std::make_pair(opponent.bestX, opponent.bestY), std::make_pair(x, y));
        }
    }
}

TEST(FindComputerMove, matchStateAndStoneListGiveTheSameSearch) {
    // The opponent copies the board itself: neither is handed a working board beforehand, and
    // both search as the search on the copied board does.
    std::mt19937_64 generator(5);
    const Position position = testing::randomPosition(generator, 20, true);
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    Opponent first;
    Opponent second;
    first.setSearchDepth(kIntermediateDepth);
    second.setSearchDepth(kIntermediateDepth);
    QuietProgress progress;
    SeededRandom random1(99);
    SeededRandom random2(99);
    ASSERT_TRUE(first.FindComputerMove(matchStateOf(position), true, progress, random1, x1, y1));
    ASSERT_TRUE(second.FindComputerMove(position.board, position.stones, true, progress, random2, x2, y2));
    EXPECT_EQ(std::make_pair(x1, y1), std::make_pair(x2, y2));
    EXPECT_EQ(first.nodes(), second.nodes());
    Search copied = opponentOn(position, kIntermediateDepth);
    SeededRandom random3(99);
    int x3 = 0;
    int y3 = 0;
    ASSERT_TRUE(copied.FindComputerMove(position.stones, true, progress, random3, x3, y3));
    EXPECT_EQ(std::make_pair(x1, y1), std::make_pair(x3, y3));
    EXPECT_EQ(first.nodes(), copied.nodes());
    EXPECT_GT(first.nodes(), 1u + kMaxCandidates) << "a search at the level's depth";

    // The next move's board replaces the last one whole: a smaller position elsewhere keeps
    // nothing of the first, whichever way it is handed in.
    const Position next = testing::randomPosition(generator, 9, true);
    Search fresh = opponentOn(next, kIntermediateDepth);
    SeededRandom random4(7);
    SeededRandom random5(7);
    SeededRandom random6(7);
    ASSERT_TRUE(fresh.FindComputerMove(next.stones, true, progress, random4, x3, y3));
    ASSERT_TRUE(first.FindComputerMove(next.board, next.stones, true, progress, random5, x1, y1));
    ASSERT_TRUE(second.FindComputerMove(matchStateOf(next), true, progress, random6, x2, y2));
    EXPECT_EQ(std::make_pair(x1, y1), std::make_pair(x3, y3));
    EXPECT_EQ(std::make_pair(x2, y2), std::make_pair(x3, y3));
    EXPECT_EQ(first.nodes(), fresh.nodes());
    EXPECT_EQ(second.nodes(), fresh.nodes());
}

TEST(FindComputerMove, answersAnEmptyCellWhenNoCellPassesThePickFloor) {
    // Every empty cell in reach is an overline for the computer: no candidate at the first ply.
    const Position position = positionWith({{8, 8, kLocalStone}});
    Search opponent = opponentOn(position, kIntermediateDepth);
    ScriptedEvaluator evaluator(-900);
    evaluator.set(kOtherStone, 9, 10, -400);
    QuietProgress progress;
    ScriptedRandom random({}, 0);
    int x = 0;
    int y = 0;
    ASSERT_TRUE(opponent.findMove(SearchTools<CellEvaluator>{evaluator, progress, random}, position.stones, true, x, y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(9, 10));
    EXPECT_EQ(opponent.workBoard, position.board);
}

TEST(FindComputerMove, fullBoardHasNoAnswer) {
    Position position;
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        for (int y = kFirstPoint; y <= kLastPoint; ++y) {
            position.board[x][y] = (x / 2 + y) % 2 == 0 ? kLocalStone : kOtherStone;
            position.stones.push_back({x, y});
        }
    }
    ASSERT_FALSE(testing::hasFive(position.board));
    Search opponent = opponentOn(position, kAdvancedDepth);
    QuietProgress progress;
    SeededRandom random(1);
    int x = -5;
    int y = -5;
    EXPECT_FALSE(opponent.FindComputerMove(position.stones, true, progress, random, x, y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(-5, -5));
    EXPECT_EQ(opponent.workBoard, position.board);
}

TEST(SelectCandidates, picksBestFirstWithTiesTakenOverByHighDraws) {
    // One stone at the centre: 24 empty cells in reach. Two score 50, the rest 10.
    const Position position = positionWith({{8, 8, kLocalStone}});
    Search opponent = opponentOn(position, kAdvancedDepth);
    ScriptedEvaluator evaluator(10);
    evaluator.set(kOtherStone, 7, 7, 50);
    evaluator.set(kOtherStone, 8, 9, 50);
    evaluator.attach(opponent.workBoard, true);
    QuietProgress progress;
    // First pick: ties at (6,7..10), (7,6) draw 0; (8,9) ties with (7,7) and draws 9.
    ScriptedRandom random({0, 0, 0, 0, 0, 9}, 0);
    CandidateList list;
    opponent.SelectCandidates(SearchTools<CellEvaluator>{evaluator, progress, random}, kOtherStone, list);
    ASSERT_EQ(list.count, 3);
    EXPECT_EQ(std::make_tuple(list.items[0].x, list.items[0].y, list.items[0].score), std::make_tuple(8, 9, 50));
    EXPECT_EQ(std::make_tuple(list.items[1].x, list.items[1].y, list.items[1].score), std::make_tuple(7, 7, 50));
    EXPECT_EQ(std::make_tuple(list.items[2].x, list.items[2].y, list.items[2].score), std::make_tuple(6, 6, 10));
    // 6 draws, then 5 (the 10s before (7,7)), then 21 (every 10 after the first).
    EXPECT_EQ(random.drawn, 6 + 5 + 21);
}

TEST(SelectCandidates, aPickAboveThreeFiftyDropsTheOrdinaryOnes) {
    // A double three for the computer at (8, 8): the only cell above 350.
    const Position position = positionWith({{6, 8, 2}, {7, 8, 2}, {8, 6, 2}, {8, 7, 2}, {2, 2, 1}, {14, 14, 1},
                                            {2, 14, 1}, {14, 2, 1}});
    Search opponent = opponentOn(position, kIntermediateDepth);
    int above = 0;
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        for (int y = kFirstPoint; y <= kLastPoint; ++y) {
            above += opponent.inReach(x, y) && CellScore(position.board, x, y, kOtherStone, true) > kForcingScore;
        }
    }
    ASSERT_EQ(above, 1);
    PatternEvaluator evaluator;
    evaluator.attach(opponent.workBoard, true);
    QuietProgress progress;
    SeededRandom random(4);
    CandidateList list;
    opponent.candidateCount = kMaxCandidates;
    opponent.SelectCandidates(SearchTools<PatternEvaluator>{evaluator, progress, random}, kOtherStone, list);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(std::make_tuple(list.items[0].x, list.items[0].y, list.items[0].score), std::make_tuple(8, 8, 486));
    // Without the bonus the same cell is ordinary and the list is full.
    evaluator.attach(opponent.workBoard, false);
    opponent.SelectCandidates(SearchTools<PatternEvaluator>{evaluator, progress, random}, kOtherStone, list);
    EXPECT_EQ(list.count, kMaxCandidates);
}

TEST(SelectCandidates, twoForcingCellsAreBothKept) {
    ScriptedEvaluator evaluator(20);
    evaluator.set(kLocalStone, 7, 9, 400);
    evaluator.set(kLocalStone, 10, 8, 900);
    evaluator.set(kLocalStone, 6, 6, 300);
    const Position position = positionWith({{8, 8, kOtherStone}});
    Search opponent = opponentOn(position, kIntermediateDepth);
    evaluator.attach(opponent.workBoard, true);
    QuietProgress progress;
    ScriptedRandom random({}, 0);
    CandidateList list;
    opponent.SelectCandidates(SearchTools<CellEvaluator>{evaluator, progress, random}, kLocalStone, list);
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(std::make_pair(list.items[0].x, list.items[0].y), std::make_pair(10, 8));
    EXPECT_EQ(std::make_pair(list.items[1].x, list.items[1].y), std::make_pair(7, 9));
}

TEST(SelectCandidates, neverPicksAnOccupiedCell) {
    // Two empty cells above the floor; the occupied centre (-1) outranks the overlines left.
    const Position position = positionWith({{8, 8, kLocalStone}});
    Search opponent = opponentOn(position, kIntermediateDepth);
    ScriptedEvaluator evaluator(-500);
    evaluator.set(kOtherStone, 7, 7, 50);
    evaluator.set(kOtherStone, 9, 9, 40);
    evaluator.attach(opponent.workBoard, true);
    QuietProgress progress;
    ScriptedRandom random({}, 9);
    CandidateList list;
    opponent.SelectCandidates(SearchTools<CellEvaluator>{evaluator, progress, random}, kOtherStone, list);
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(std::make_pair(list.items[0].x, list.items[0].y), std::make_pair(7, 7));
    EXPECT_EQ(std::make_pair(list.items[1].x, list.items[1].y), std::make_pair(9, 9));
}

// A computer node whose children are leaves: three candidates worth 3 each.
struct CutOffFixture {
    Position position = positionWith({{8, 8, kLocalStone}});
    Search opponent = opponentOn(position, 3);
    ScriptedEvaluator evaluator{20};
    QuietProgress progress;
    ScriptedRandom random{{}, 0};

    CutOffFixture() {
        for (int side : {kLocalStone, kOtherStone}) {
            evaluator.set(side, 7, 7, 340);
            evaluator.set(side, 9, 9, 330);
            evaluator.set(side, 7, 9, 320);
        }
        evaluator.attach(opponent.workBoard, true);
    }
    SearchTools<CellEvaluator> tools() { return {evaluator, progress, random}; }
};

// Runs one node and answers how many nodes it visited, itself included.
std::uint64_t runNode(CutOffFixture& fixture, int ply, int side, std::int32_t& slot, std::int32_t alpha,
                      std::int32_t beta) {
    const std::uint64_t before = fixture.opponent.nodes();
    fixture.opponent.SearchPly(fixture.tools(), ply, side, slot, alpha, beta);
    return fixture.opponent.nodes() - before;
}

TEST(SearchPly, computerNodeStopsOnlyWhenAValueExceedsBeta) {
    CutOffFixture cut;
    std::int32_t slot = 0;
    EXPECT_EQ(runNode(cut, 3, kOtherStone, slot, -kSearchBound, 2), 2u) << "the first leaf ends the loop";
    EXPECT_EQ(slot, 3);
    EXPECT_EQ(std::make_pair(cut.opponent.bestX, cut.opponent.bestY), std::make_pair(7, 7));

    // Equal to beta is no cut-off: all three leaves are visited, the first of equals is chosen.
    CutOffFixture equal;
    const Search before = equal.opponent;
    slot = 0;
    EXPECT_EQ(runNode(equal, 3, kOtherStone, slot, -kSearchBound, 3), 4u);
    EXPECT_EQ(slot, 3);
    EXPECT_EQ(std::make_pair(equal.opponent.bestX, equal.opponent.bestY), std::make_pair(7, 7));
    EXPECT_EQ(equal.opponent.workBoard, before.workBoard);
    EXPECT_EQ(equal.opponent.neighbourMap, before.neighbourMap);
}

TEST(SearchPly, playerNodeStopsOnlyWhenAValueFallsBelowAlpha) {
    CutOffFixture cut;
    cut.opponent.searchDepth = 2;
    std::int32_t slot = 0;
    EXPECT_EQ(runNode(cut, 2, kLocalStone, slot, 4, kSearchBound), 2u);
    EXPECT_EQ(slot, 3);
    CutOffFixture equal;
    equal.opponent.searchDepth = 2;
    slot = 0;
    EXPECT_EQ(runNode(equal, 2, kLocalStone, slot, 3, kSearchBound), 4u);
    EXPECT_EQ(slot, 3);
}

TEST(SearchPly, playerNodeChoosesItsSmallestValue) {
    // Leaf values 3, 2, 3 at a player node: the second candidate is chosen.
    CutOffFixture fixture;
    fixture.evaluator.set(kLocalStone, 9, 9, 335);
    fixture.evaluator.set(kLocalStone, 7, 9, 250);
    fixture.opponent.searchDepth = 2;
    std::int32_t slot = 0;
    EXPECT_EQ(runNode(fixture, 2, kLocalStone, slot, -kSearchBound, kSearchBound), 4u);
    EXPECT_EQ(slot, 2);
    EXPECT_EQ(std::make_pair(fixture.opponent.bestX, fixture.opponent.bestY), std::make_pair(7, 9));
}

TEST(SearchPly, leafIsWorthTheSlotOverAHundredTruncated) {
    CutOffFixture fixture;
    for (auto [given, worth] : {std::pair{299, 2}, std::pair{-299, -2}, std::pair{99, 0}, std::pair{2514, 25}}) {
        std::int32_t slot = given;
        EXPECT_EQ(runNode(fixture, fixture.opponent.searchDepth + 1, kLocalStone, slot, 0, 0), 1u);
        EXPECT_EQ(slot, worth);
    }
}

TEST(SearchPly, nodeWithoutCandidatesIsWorthWhatALeafWouldBe) {
    CutOffFixture fixture;
    ScriptedEvaluator overlines(-700);
    overlines.attach(fixture.opponent.workBoard, true);
    fixture.opponent.bestX = 3;
    fixture.opponent.bestY = 4;
    std::int32_t slot = 250;
    const std::uint64_t before = fixture.opponent.nodes();
    fixture.opponent.SearchPly(SearchTools<CellEvaluator>{overlines, fixture.progress, fixture.random}, 2, kLocalStone,
                               slot, -kSearchBound, kSearchBound);
    EXPECT_EQ(fixture.opponent.nodes() - before, 1u);
    EXPECT_EQ(slot, 2);
    EXPECT_EQ(std::make_pair(fixture.opponent.bestX, fixture.opponent.bestY), std::make_pair(3, 4)) << "no move";
    EXPECT_EQ(fixture.opponent.workBoard, fixture.position.board);
}

TEST(SearchPly, immediateAnswerIsNegatedForThePlayer) {
    CutOffFixture fixture;
    fixture.evaluator.set(kLocalStone, 6, 7, 2600);
    std::int32_t slot = 0;
    EXPECT_EQ(runNode(fixture, 2, kLocalStone, slot, -kSearchBound, kSearchBound), 1u);
    EXPECT_EQ(slot, -26);
    EXPECT_EQ(std::make_pair(fixture.opponent.bestX, fixture.opponent.bestY), std::make_pair(6, 7));
}

TEST(SearchPly, secondPlyAddsTenOverItsCountToTheGauge) {
    CutOffFixture fixture;
    RecordingProgress progress;
    progress.setProgress(50);
    progress.shown.clear();
    std::int32_t slot = 0;
    fixture.opponent.SearchPly(SearchTools<CellEvaluator>{fixture.evaluator, progress, fixture.random}, 2,
                               kLocalStone, slot, -kSearchBound, kSearchBound);
    EXPECT_EQ(progress.shown, (std::vector<int>{53, 56, 59}));
}

} // namespace
} // namespace kivola
