#include "kivola/opponent/opponent.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kivola {

namespace {

constexpr int kSearchingSide = kOtherStone; // the computer
constexpr int kTieTakeoverAbove = 7;        // a draw of 8 or 9 moves a tie's pick along

constexpr int opposite(int side) { return kLocalStone + kOtherStone - side; }

// Once a pick above the forcing score is made, later picks at or below it are dropped.
void keepPick(CandidateList& candidates, bool& keepAll, const Candidate& pick) {
    if (pick.score > kForcingScore) {
        keepAll = false;
    }
    if (!keepAll && pick.score <= kForcingScore) {
        return;
    }
    candidates.items[candidates.count++] = pick;
}

// Places a trial stone and takes it back on every way out of the scope, so no early exit can
// leave the working board, the cells in reach or the evaluator dirty.
template <class Evaluator>
class TrialStone {
public:
    // belowIsLeaf: the node below only values the slot, so neither the cells in reach nor the
    // evaluator needs to follow this stone (both would be back as they were before anything reads them).
    TrialStone(Opponent& opponent, Evaluator& evaluator, int x, int y, int code, bool belowIsLeaf)
        : opponent_(opponent), evaluator_(evaluator), x_(x), y_(y), code_(code), follow_(!belowIsLeaf) {
        opponent_.workBoard[x_][y_] = code_;
        if (follow_) {
            saved_ = opponent_.coverNeighbours(x_, y_);
            if constexpr (std::is_same_v<Evaluator, PatternEvaluator>) {
                evaluator_.placeTrial(x_, y_, code_);
            } else {
                evaluator_.stonePlaced(x_, y_, code_);
            }
        }
    }
    ~TrialStone() {
        opponent_.workBoard[x_][y_] = kEmpty;
        if (follow_) {
            opponent_.uncoverNeighbours(x_, y_, saved_);
            if constexpr (std::is_same_v<Evaluator, PatternEvaluator>) {
                evaluator_.takeBackTrial();
            } else {
                evaluator_.stoneTakenBack(x_, y_, code_);
            }
        }
    }
    TrialStone(const TrialStone&) = delete;
    TrialStone& operator=(const TrialStone&) = delete;

private:
    Opponent& opponent_;
    Evaluator& evaluator_;
    int x_;
    int y_;
    int code_;
    bool follow_;
    Opponent::CoveredRows saved_{};
};

// The early game is searched one ply deep whatever the level; the level's depth comes back
// however the search ends.
class OpeningDepth {
public:
    OpeningDepth(std::int32_t& depth, std::size_t stones) : depth_(depth), saved_(depth), active_(stones <= kOpeningStones) {
        if (active_) {
            depth_ = kBeginnerDepth;
        }
    }
    ~OpeningDepth() {
        if (active_) {
            depth_ = saved_;
        }
    }
    OpeningDepth(const OpeningDepth&) = delete;
    OpeningDepth& operator=(const OpeningDepth&) = delete;

private:
    std::int32_t& depth_;
    std::int32_t saved_;
    bool active_;
};

constexpr int kScanBlock = 8;

// Whether any of kScanBlock values is at least floor: two vector compares where SSE2 is there.
inline bool anyAtLeast(const std::int32_t* values, std::int32_t floor) {
#if defined(__SSE2__)
    static_assert(kScanBlock == 8);
    const __m128i below = _mm_set1_epi32(floor - 1);
    const __m128i low = _mm_cmpgt_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(values)), below);
    const __m128i high = _mm_cmpgt_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(values) + 1), below);
    return _mm_movemask_epi8(_mm_or_si128(low, high)) != 0;
#else
    bool any = false;
    for (int i = 0; i < kScanBlock; ++i) {
        any |= values[i] >= floor;
    }
    return any;
#endif
}

} // namespace

void Opponent::markNeighbours(int x, int y, int sign) {
    constexpr std::uint32_t kSquareRows = (1u << (2 * kNeighbourRadius + 1)) - 1;
    const int firstRow = y - kNeighbourRadius + 1;
    for (int i = x - kNeighbourRadius + 1; i <= x + kNeighbourRadius + 1; ++i) {
        auto& column = neighbourMap[i];
        std::uint32_t rows = 0;
        for (int j = firstRow; j < firstRow + 2 * kNeighbourRadius + 1; ++j) {
            column[j] += sign;
            rows |= static_cast<std::uint32_t>(column[j] != 0) << j;
        }
        reachRows_[i] = (reachRows_[i] & ~(kSquareRows << firstRow)) | rows;
    }
}

void Opponent::rebuildNeighbourMap(std::span<const BoardPoint> stones) {
    for (auto& column : neighbourMap) {
        column.fill(0);
    }
    reachRows_.fill(0);
    // Counts only here; a square's rows are in reach whatever the counts beneath.
    constexpr std::uint32_t kSquareRows = (1u << (2 * kNeighbourRadius + 1)) - 1;
    for (const BoardPoint& stone : stones) {
        const int firstRow = stone.y - kNeighbourRadius + 1;
        const std::uint32_t square = kSquareRows << firstRow;
        for (int i = stone.x - kNeighbourRadius + 1; i <= stone.x + kNeighbourRadius + 1; ++i) {
            for (int j = firstRow; j < firstRow + 2 * kNeighbourRadius + 1; ++j) {
                ++neighbourMap[i][j];
            }
            reachRows_[i] |= square;
        }
    }
}

Opponent::CoveredRows Opponent::coverNeighbours(int x, int y) {
    constexpr std::uint32_t kSquareRows = (1u << (2 * kNeighbourRadius + 1)) - 1;
    CoveredRows saved;
    const int firstColumn = x - kNeighbourRadius + 1;
    const std::uint32_t square = kSquareRows << (y - kNeighbourRadius + 1);
    for (int i = 0; i < 2 * kNeighbourRadius + 1; ++i) {
        saved[i] = reachRows_[firstColumn + i];
        reachRows_[firstColumn + i] |= square;
    }
    return saved;
}

void Opponent::uncoverNeighbours(int x, int /*y*/, const CoveredRows& saved) {
    const int firstColumn = x - kNeighbourRadius + 1;
    for (int i = 0; i < 2 * kNeighbourRadius + 1; ++i) {
        reachRows_[firstColumn + i] = saved[i];
    }
}

// The picks of a node on the production evaluator's kept scores: the same scan, pick by pick,
// column by column, where only the rows in reach take part and a cell already picked reads as
// the pick floor.
void Opponent::selectFromKeptScores(const PatternEvaluator& evaluator, RandomSource& random, int side,
                                    CandidateList& candidates) {
    using Column = PatternEvaluator::ScoreColumn;
    constexpr std::uint32_t kRowLanes = ((1u << kBoardSize) - 1) << kFirstPoint;
    std::array<std::uint32_t, kBoardSize> reachOf; // [x - 1]: bit y when row y is in reach
    std::array<std::uint32_t, kBoardSize> pickedOf{};
    std::uint32_t columns = 0; // bit x - 1: column x has a cell in reach
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        const std::uint32_t rows = (reachRows_[x + 1] >> 1) & kRowLanes;
        reachOf[x - kFirstPoint] = rows;
        columns |= static_cast<std::uint32_t>(rows != 0) << (x - kFirstPoint);
    }

    candidates.count = 0;
    bool keepAll = true;
    const int picks = std::min<int>(candidateCount, kMaxCandidates);
    for (int pick = 0; pick < picks; ++pick) {
        std::int32_t best = kPickFloor;
        int bestColumn = -1;
        int bestRow = 0;
        for (std::uint32_t left = columns; left != 0; left &= left - 1) {
            const int column = std::countr_zero(left);
            const Column& values = evaluator.scoreColumn(side, column + kFirstPoint);
            // Rows that can tie with or beat the best so far, in order; the best only grows
            // while the column is read, so no other row can. A picked cell scored at least the
            // floor, so it is among them whenever its floor could tie.
#if defined(__SSE2__)
            const __m128i floor = _mm_set1_epi16(static_cast<short>(best - 1));
            const __m128i low = _mm_cmpgt_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(values.data())), floor);
            const __m128i high = _mm_cmpgt_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(values.data()) + 1), floor);
            std::uint32_t lanes = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
#else
            std::uint32_t lanes = 0;
            for (int y = 0; y < PatternEvaluator::kColumnLanes; ++y) {
                lanes |= static_cast<std::uint32_t>(values[y] >= best) << y;
            }
#endif
            for (lanes &= reachOf[column]; lanes != 0; lanes &= lanes - 1) {
                const int y = std::countr_zero(lanes);
                const std::int32_t score = ((pickedOf[column] >> y) & 1) != 0 ? kPickFloor : values[y];
                if (score == best && random.nextDigit() > kTieTakeoverAbove) {
                    bestColumn = column;
                    bestRow = y;
                }
                if (score > best) {
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
        keepPick(candidates, keepAll, Candidate{x, y, best});
    }
}

template <class Evaluator>
void Opponent::SelectCandidates(const SearchTools<Evaluator>& tools, int side, CandidateList& candidates) {
    if constexpr (std::is_same_v<Evaluator, PatternEvaluator>) {
        selectFromKeptScores(tools.evaluator, tools.random, side, candidates);
    } else {
        selectFromScores(tools, side, candidates);
    }
}

template <class Evaluator>
void Opponent::selectFromScores(const SearchTools<Evaluator>& tools, int side, CandidateList& candidates) {
    // The table holds only the cells in reach, in scan order: a cell out of reach (worth -10000)
    // can neither tie with nor beat a pick. Its length is padded to whole blocks with a value
    // that takes part in nothing.
    constexpr int kBlock = kScanBlock;
    constexpr std::int32_t kInert = std::numeric_limits<std::int32_t>::min(); // below any score
    constexpr std::uint32_t kPlayingRows = ((1u << kBoardSize) - 1) << (kFirstPoint + 1);
    alignas(16) std::array<std::int32_t, kMaxStones + kBlock> scores;
    std::array<std::uint8_t, kMaxStones + kBlock> cells; // column * 16 + row
    int size = 0;
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        // Rows ascending within a column: the scan order of the pick.
        for (std::uint32_t rows = reachRows_[x + 1] & kPlayingRows; rows != 0; rows &= rows - 1) {
            const int y = std::countr_zero(rows) - 1;
            cells[size] = static_cast<std::uint8_t>(x << 4 | y);
            scores[size++] = tools.evaluator.cellScore(x, y, side);
        }
    }
    const int blocks = (size + kBlock - 1) / kBlock;
    std::fill(scores.begin() + size, scores.begin() + blocks * kBlock, kInert);

    candidates.count = 0;
    bool keepAll = true;
    std::array<int, kMaxCandidates> taken{}; // table slots picked so far, listed or dropped
    const int picks = std::min<int>(candidateCount, kMaxCandidates);
    for (int pick = 0; pick < picks; ++pick) {
        std::int32_t best = kPickFloor;
        int slot = -1;
        for (int block = 0; block < blocks; ++block) {
            const std::int32_t* values = scores.data() + block * kBlock;
            // Most blocks hold nothing that ties with or beats the best so far: skip them whole.
            if (!anyAtLeast(values, best)) {
                continue;
            }
            for (int i = 0; i < kBlock; ++i) {
                const std::int32_t score = values[i];
                if (score == best && tools.random.nextDigit() > kTieTakeoverAbove) {
                    slot = block * kBlock + i;
                }
                if (score > best) {
                    best = score;
                    slot = block * kBlock + i;
                }
            }
        }
        // Only empty cells not yet picked are listed; a pick that found none means the empty
        // cells in reach have run out, and the node makes fewer picks.
        if (slot < 0 || std::find(taken.begin(), taken.begin() + pick, slot) != taken.begin() + pick) {
            break;
        }
        const int x = cells[slot] >> 4;
        const int y = cells[slot] & 15;
        if (workBoard[x][y] != kEmpty) {
            break;
        }
        taken[pick] = slot;
        scores[slot] = kPickFloor;
        keepPick(candidates, keepAll, Candidate{x, y, best});
    }
}

template <class Evaluator>
void Opponent::SearchPly(const SearchTools<Evaluator>& tools, int ply, int side, std::int32_t& slot,
                         std::int32_t alpha, std::int32_t beta) {
    ++nodes_;
    if (ply == searchDepth + 1) {
        slot /= kValueScale; // the score of the candidate whose move led here
        return;
    }
    if (ply == 1) {
        candidateCount *= 2;
    }
    CandidateList candidates;
    SelectCandidates(tools, side, candidates);
    if (ply == 1) {
        candidateCount /= 2;
    }
    const int n = candidates.count;
    if (n == 0) {
        // Nothing left to play here: the node is worth what a leaf would be.
        slot /= kValueScale;
        return;
    }
    const Candidate& first = candidates.items[0];
    if (first.score > kImmediateScore) {
        bestX = first.x;
        bestY = first.y;
        slot = (side == kSearchingSide ? first.score : -first.score) / kValueScale;
        return;
    }

    std::array<std::int32_t, kMaxCandidates> values{};
    const bool childIsLeaf = ply == searchDepth;
    for (int k = 0; k < n; ++k) {
        if (ply == 1) {
            tools.progress.setProgress(k * 100 / n);
        } else if (ply == 2) {
            tools.progress.setProgress(tools.progress.progress() + 10 / n);
        }
        const Candidate& candidate = candidates.items[k];
        values[k] = candidate.score;
        {
            TrialStone<Evaluator> trial(*this, tools.evaluator, candidate.x, candidate.y, side, childIsLeaf);
            SearchPly(tools, ply + 1, opposite(side), values[k], alpha, beta);
        }
        // Strict comparisons: a value equal to the bound does not end the loop.
        if (side == kSearchingSide) {
            alpha = std::max(alpha, values[k]);
            if (values[k] > beta) {
                std::fill(values.begin() + k + 1, values.begin() + n, -kSearchBound);
                break;
            }
        } else {
            beta = std::min(beta, values[k]);
            if (values[k] < alpha) {
                std::fill(values.begin() + k + 1, values.begin() + n, kSearchBound);
                break;
            }
        }
    }

    int chosen = 0;
    for (int k = 1; k < n; ++k) {
        if (side == kSearchingSide ? values[k] > values[chosen] : values[k] < values[chosen]) {
            chosen = k;
        }
    }
    bestX = candidates.items[chosen].x;
    bestY = candidates.items[chosen].y;
    slot = values[chosen];
    if (ply == 1) {
        tools.progress.setProgress(100);
    }
}

template <class Evaluator>
bool Opponent::findMove(const SearchTools<Evaluator>& tools, std::span<const BoardPoint> stones, bool bonuses,
                        int& x, int& y) {
    nodes_ = 0;
    if (stones.empty()) {
        x = kCentre;
        y = kCentre;
        return true;
    }
    rebuildNeighbourMap(stones);
    tools.evaluator.attach(workBoard, bonuses);
    {
        OpeningDepth depth(searchDepth, stones.size());
        tools.progress.repaintNow();
        // Cleared so that a first ply without any candidate shows.
        bestX = 0;
        bestY = 0;
        std::int32_t slot = 0;
        SearchPly(tools, 1, kSearchingSide, slot, -kSearchBound, kSearchBound);
    }
    if (isPlayingPoint(bestX, bestY) && workBoard[bestX][bestY] == kEmpty) {
        x = bestX;
        y = bestY;
        return true;
    }
    // No cell passed the pick floor (only overlines are left near the stones): take the best
    // empty cell anyway, so the answer is always a legal point.
    bool found = false;
    std::int32_t best = 0;
    for (int pass = 0; pass < 2 && !found; ++pass) {
        for (int cx = kFirstPoint; cx <= kLastPoint; ++cx) {
            for (int cy = kFirstPoint; cy <= kLastPoint; ++cy) {
                if (workBoard[cx][cy] != kEmpty || (pass == 0 && !inReach(cx, cy))) {
                    continue;
                }
                const std::int32_t score = tools.evaluator.cellScore(cx, cy, kSearchingSide);
                if (!found || score > best) {
                    found = true;
                    best = score;
                    bestX = cx;
                    bestY = cy;
                }
            }
        }
    }
    if (found) {
        x = bestX;
        y = bestY;
    }
    return found;
}

bool Opponent::FindComputerMove(const MatchState& state, bool bonuses, SearchProgress& progress,
                                RandomSource& random, int& x, int& y) {
    std::array<BoardPoint, kMaxStones> stones{};
    const int count = std::min<int>(state.stepCount, kMaxStones);
    for (int k = 1; k <= count; ++k) {
        stones[k - 1] = BoardPoint{state.stepX[k], state.stepY[k]};
    }
    return FindComputerMove(std::span<const BoardPoint>(stones.data(), count), bonuses, progress, random, x, y);
}

bool Opponent::FindComputerMove(std::span<const BoardPoint> stones, bool bonuses, SearchProgress& progress,
                                RandomSource& random, int& x, int& y) {
    return findMove(SearchTools<PatternEvaluator>{evaluator_, progress, random}, stones, bonuses, x, y);
}

bool Opponent::FindComputerMove(CellEvaluator& evaluator, std::span<const BoardPoint> stones, bool bonuses,
                                SearchProgress& progress, RandomSource& random, int& x, int& y) {
    return findMove(SearchTools<CellEvaluator>{evaluator, progress, random}, stones, bonuses, x, y);
}

template void Opponent::SearchPly(const SearchTools<PatternEvaluator>&, int, int, std::int32_t&, std::int32_t,
                                  std::int32_t);
template void Opponent::SearchPly(const SearchTools<CellEvaluator>&, int, int, std::int32_t&, std::int32_t,
                                  std::int32_t);
template void Opponent::SelectCandidates(const SearchTools<PatternEvaluator>&, int, CandidateList&);
template void Opponent::SelectCandidates(const SearchTools<CellEvaluator>&, int, CandidateList&);

} // namespace kivola
