#pragma once
// The opponent's search with its working state, for the opponent library and its tests only:
// the rest of the program goes through Opponent.

#include <array>
#include <cstdint>
#include <span>

#include "kivola/core/match_state.h"
#include "kivola/opponent/evaluator.h"
#include "kivola/opponent/opponent.h"
#include "kivola/opponent/random_source.h"
#include "kivola/opponent/search_progress.h"

namespace kivola {

inline constexpr int kCandidatesPerNode = 3;   // twice as many at the first ply
inline constexpr int kMaxCandidates = 2 * kCandidatesPerNode;
inline constexpr std::int32_t kSearchBound = 10000;
inline constexpr std::int32_t kPickFloor = -100;       // a pick must score above this
inline constexpr std::int32_t kForcingScore = 350;     // picks above this push out the rest
inline constexpr std::int32_t kImmediateScore = 2499;  // above this a node answers at once
inline constexpr std::int32_t kValueScale = 100;       // cell score to search value

// Counters for the coordinates -1..17 on both axes, indexed [x + 1][y + 1].
inline constexpr int kNeighbourSpan = kBoardSpan + 2;
inline constexpr int kNeighbourRadius = 2;
using NeighbourMap = std::array<std::array<std::int32_t, kNeighbourSpan>, kNeighbourSpan>;

struct Candidate {
    int x = 0;
    int y = 0;
    std::int32_t score = 0;
};

struct CandidateList {
    std::array<Candidate, kMaxCandidates> items{};
    int count = 0;
};

// What one search works with besides the opponent's state.
template <class Evaluator>
struct SearchTools {
    Evaluator& evaluator;
    SearchProgress& progress;
    RandomSource& random;
};

// The state the hidden holder window keeps between moves, and the steps of a search on it.
class Search {
public:
    WorkBoard workBoard = emptyWorkBoard();
    std::int32_t searchDepth = kBeginnerDepth;
    std::int32_t candidateCount = kCandidatesPerNode;
    std::int32_t bestX = 10;
    std::int32_t bestY = 10;
    NeighbourMap neighbourMap{};

    // The caller has copied the board into workBoard; the history lists every stone on it.
    // bonuses: the beginner level is not selected. Answers an empty playing point, or returns
    // false (and leaves x, y alone) when there is none.
    bool FindComputerMove(const MatchState& state, bool bonuses, SearchProgress& progress,
                          RandomSource& random, int& x, int& y);
    // The same, with the stones on workBoard in the order they were placed (side 2 to move).
    bool FindComputerMove(std::span<const BoardPoint> stones, bool bonuses, SearchProgress& progress,
                          RandomSource& random, int& x, int& y);

    // Search nodes (leaves included) visited by the last search.
    std::uint64_t nodes() const { return nodes_; }

    bool inReach(int x, int y) const { return neighbourMap[x + 1][y + 1] != 0; }
    // Adds (+1) or removes (-1) a stone's 5 x 5 square. The map is changed only through these two.
    void markNeighbours(int x, int y, int sign);
    void rebuildNeighbourMap(std::span<const BoardPoint> stones);

    // A trial stone of the search: its square joins the cells in reach until uncovered again, last
    // in first out. Only the reach rows follow it; the counters are needed by nothing inside a search.
    using CoveredRows = std::array<std::uint32_t, 2 * kNeighbourRadius + 1>;
    CoveredRows coverNeighbours(int x, int y);
    void uncoverNeighbours(int x, int y, const CoveredRows& saved);

    // The templates are defined in search_steps.h and instantiated for PatternEvaluator in the
    // opponent library; only the tests' library instantiates them for CellEvaluator (any
    // evaluator, called virtually). The evaluator must be attached to workBoard.

    // A whole search on the stones of workBoard, as FindComputerMove.
    template <class Evaluator>
    bool findMove(const SearchTools<Evaluator>& tools, std::span<const BoardPoint> stones, bool bonuses,
                  int& x, int& y);
    // One node: its value goes into slot, its choice into bestX, bestY.
    template <class Evaluator>
    void SearchPly(const SearchTools<Evaluator>& tools, int ply, int side, std::int32_t& slot,
                   std::int32_t alpha, std::int32_t beta);
    // The picks for side among the empty cells in reach, best first.
    template <class Evaluator>
    void SelectCandidates(const SearchTools<Evaluator>& tools, int side, CandidateList& candidates);

private:
    using CandidateValues = std::array<std::int32_t, kMaxCandidates>;

    // A node's picks; true when they already decide the node's value (and choice, if any).
    template <class Evaluator>
    bool answeredByPicks(const SearchTools<Evaluator>& tools, int ply, int side, std::int32_t& slot,
                         CandidateList& candidates);
    void chooseCandidate(int side, const CandidateList& candidates, const CandidateValues& values,
                         std::int32_t& slot);
    // When no cell passed the pick floor: the best empty cell, near the stones if there is one.
    template <class Evaluator>
    bool bestEmptyCell(Evaluator& evaluator);

    // The picks on scores asked of the evaluator cell by cell (any evaluator).
    template <class Evaluator>
    void selectFromScores(const SearchTools<Evaluator>& tools, int side, CandidateList& candidates);
    void selectFromKeptScores(const PatternEvaluator& evaluator, RandomSource& random, int side,
                              CandidateList& candidates);

    PatternEvaluator evaluator_;
    std::uint64_t nodes_ = 0;
    // reachRows_[x + 1] has bit y + 1 set while neighbourMap[x + 1][y + 1] is not 0, so the cells
    // in reach are found without testing every counter at every node.
    std::array<std::uint32_t, kNeighbourSpan> reachRows_{};
};

} // namespace kivola
