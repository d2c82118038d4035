#include "search.h"

#include "search_steps.h"

namespace kivola {

namespace {

constexpr int kSquareSide = 2 * kNeighbourRadius + 1;

// A stone's square on the neighbour map (one cell of ring padding each side): its first column
// and row, and its rows as bits of a column.
constexpr int squareStart(int coordinate) { return coordinate - kNeighbourRadius + 1; }
constexpr std::uint32_t squareRows(int y) { return ((1u << kSquareSide) - 1) << squareStart(y); }

using ColumnRows = std::array<std::uint32_t, kBoardSize>;

// Bit y set where a column's score at row y is at least floor.
inline std::uint32_t rowsAtLeast(const PatternEvaluator::ScoreColumn& values, std::int32_t floor) {
#if defined(__SSE2__)
    const __m128i below = _mm_set1_epi16(static_cast<short>(floor - 1));
    const __m128i low = _mm_cmpgt_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(values.data())), below);
    const __m128i high = _mm_cmpgt_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(values.data()) + 1), below);
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
#else
    std::uint32_t rows = 0;
    for (int y = 0; y < PatternEvaluator::kColumnLanes; ++y) {
        rows |= static_cast<std::uint32_t>(values[y] >= floor) << y;
    }
    return rows;
#endif
}

// Per column of playing points, the rows in reach; answers the columns with any.
std::uint32_t rowsInReach(const std::array<std::uint32_t, kNeighbourSpan>& reachRows, ColumnRows& reachOf) {
    constexpr std::uint32_t kRowLanes = ((1u << kBoardSize) - 1) << kFirstPoint;
    std::uint32_t columns = 0; // bit x - 1: column x has a cell in reach
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        const std::uint32_t rows = (reachRows[x + 1] >> 1) & kRowLanes;
        reachOf[x - kFirstPoint] = rows;
        columns |= static_cast<std::uint32_t>(rows != 0) << (x - kFirstPoint);
    }
    return columns;
}

} // namespace

void Search::markNeighbours(int x, int y, int sign) {
    const int firstRow = squareStart(y);
    for (int i = squareStart(x); i < squareStart(x) + kSquareSide; ++i) {
        auto& column = neighbourMap[i];
        std::uint32_t rows = 0;
        for (int j = firstRow; j < firstRow + kSquareSide; ++j) {
            column[j] += sign;
            rows |= static_cast<std::uint32_t>(column[j] != 0) << j;
        }
        reachRows_[i] = (reachRows_[i] & ~squareRows(y)) | rows;
    }
}

void Search::rebuildNeighbourMap(std::span<const BoardPoint> stones) {
    for (auto& column : neighbourMap) {
        column.fill(0);
    }
    reachRows_.fill(0);
    // Counts only here; a square's rows are in reach whatever the counts beneath.
    for (const BoardPoint& stone : stones) {
        const int firstRow = squareStart(stone.y);
        for (int i = squareStart(stone.x); i < squareStart(stone.x) + kSquareSide; ++i) {
            for (int j = firstRow; j < firstRow + kSquareSide; ++j) {
                ++neighbourMap[i][j];
            }
            reachRows_[i] |= squareRows(stone.y);
        }
    }
}

Search::CoveredRows Search::coverNeighbours(int x, int y) {
    CoveredRows saved;
    const int firstColumn = squareStart(x);
    for (int i = 0; i < kSquareSide; ++i) {
        saved[i] = reachRows_[firstColumn + i];
        reachRows_[firstColumn + i] |= squareRows(y);
    }
    return saved;
}

void Search::uncoverNeighbours(int x, int /*y*/, const CoveredRows& saved) {
    const int firstColumn = squareStart(x);
    for (int i = 0; i < kSquareSide; ++i) {
        reachRows_[firstColumn + i] = saved[i];
    }
}

// The picks of a node on the production evaluator's kept scores: the same scan, pick by pick,
// column by column, where only the rows in reach take part and a cell already picked reads as
// the pick floor.
void Search::selectFromKeptScores(const PatternEvaluator& evaluator, RandomSource& random, int side,
                                  CandidateList& candidates) {
    ColumnRows reachOf; // [x - 1]: bit y when row y is in reach
    ColumnRows pickedOf{};
    const std::uint32_t columns = rowsInReach(reachRows_, reachOf);

    candidates.count = 0;
    bool keepAll = true;
    const int picks = std::min<int>(candidateCount, kMaxCandidates);
    for (int pick = 0; pick < picks; ++pick) {
        std::int32_t best = kPickFloor;
        int bestColumn = -1;
        int bestRow = 0;
        for (std::uint32_t left = columns; left != 0; left &= left - 1) {
            const int column = std::countr_zero(left);
            const PatternEvaluator::ScoreColumn& values = evaluator.scoreColumn(side, column + kFirstPoint);
            // Rows that can tie with or beat the best so far, in order; the best only grows
            // while the column is read, so no other row can. A picked cell scored at least the
            // floor, so it is among them whenever its floor could tie.
            for (std::uint32_t lanes = rowsAtLeast(values, best) & reachOf[column]; lanes != 0; lanes &= lanes - 1) {
                const int y = std::countr_zero(lanes);
                const std::int32_t score = ((pickedOf[column] >> y) & 1) != 0 ? kPickFloor : values[y];
                if (search_detail::takesPick(score, best, random)) {
                    best = score;
                    bestColumn = column;
                    bestRow = y;
                }
            }
        }
        // As on any evaluator: a pick that found no new empty cell ends the picks.
        if (bestColumn < 0 || ((pickedOf[bestColumn] >> bestRow) & 1) != 0) {
            break;
        }
        const int x = bestColumn + kFirstPoint;
        const int y = bestRow;
        if (workBoard[x][y] != kEmpty) {
            break;
        }
        pickedOf[bestColumn] |= 1u << bestRow;
        search_detail::keepPick(candidates, keepAll, Candidate{x, y, best});
    }
}

bool Search::FindComputerMove(const MatchState& state, bool bonuses, SearchProgress& progress,
                              RandomSource& random, int& x, int& y) {
    std::array<BoardPoint, kMaxStones> stones{};
    const int count = std::min<int>(state.stepCount, kMaxStones);
    for (int k = 1; k <= count; ++k) {
        stones[k - 1] = BoardPoint{state.stepX[k], state.stepY[k]};
    }
    return FindComputerMove(std::span<const BoardPoint>(stones.data(), count), bonuses, progress, random, x, y);
}

bool Search::FindComputerMove(std::span<const BoardPoint> stones, bool bonuses, SearchProgress& progress,
                              RandomSource& random, int& x, int& y) {
    return findMove(SearchTools<PatternEvaluator>{evaluator_, progress, random}, stones, bonuses, x, y);
}

// The product instantiates the search for its own evaluator only.
template bool Search::findMove(const SearchTools<PatternEvaluator>&, std::span<const BoardPoint>, bool, int&,
                               int&);
template void Search::SearchPly(const SearchTools<PatternEvaluator>&, int, int, std::int32_t&, std::int32_t,
                                std::int32_t);
template void Search::SelectCandidates(const SearchTools<PatternEvaluator>&, int, CandidateList&);

} // namespace kivola
