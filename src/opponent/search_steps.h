#pragma once
// The search's templates. Included only where they are instantiated: by the opponent library for
// its own evaluator, and by the tests' library for any evaluator.

#include <algorithm>
#include <bit>
#include <limits>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "search.h"

namespace kivola {

namespace search_detail {

inline constexpr int kSearchingSide = kOtherStone; // the computer
inline constexpr int kTieTakeoverAbove = 7;        // a draw of 8 or 9 moves a tie's pick along

constexpr int opposite(int side) { return kLocalStone + kOtherStone - side; }

// A higher score takes the pick; an equal one takes it over on a drawn 8 or 9, and only an
// equal one draws, so both scans use the generator alike.
inline bool takesPick(std::int32_t score, std::int32_t best, RandomSource& random) {
    return score > best || (score == best && random.nextDigit() > kTieTakeoverAbove);
}

// Once a pick above the forcing score is made, later picks at or below it are dropped.
inline void keepPick(CandidateList& candidates, bool& keepAll, const Candidate& pick) {
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
    TrialStone(Search& search, Evaluator& evaluator, int x, int y, int code, bool belowIsLeaf)
        : search_(search), evaluator_(evaluator), x_(x), y_(y), code_(code), follow_(!belowIsLeaf) {
        search_.workBoard[x_][y_] = code_;
        if (follow_) {
            saved_ = search_.coverNeighbours(x_, y_);
            if constexpr (std::is_same_v<Evaluator, PatternEvaluator>) {
                evaluator_.placeTrial(x_, y_, code_);
            } else {
                evaluator_.stonePlaced(x_, y_, code_);
            }
        }
    }
    ~TrialStone() {
        search_.workBoard[x_][y_] = kEmpty;
        if (follow_) {
            search_.uncoverNeighbours(x_, y_, saved_);
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
    Search& search_;
    Evaluator& evaluator_;
    int x_;
    int y_;
    int code_;
    bool follow_;
    Search::CoveredRows saved_{};
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

inline constexpr int kScanBlock = 8;

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

// The cells in reach in scan order with their scores. The table's length is padded to whole
// blocks with a value that takes part in nothing.
struct ScoreTable {
    static constexpr std::int32_t kInert = std::numeric_limits<std::int32_t>::min(); // below any score
    alignas(16) std::array<std::int32_t, kMaxStones + kScanBlock> scores;
    std::array<std::uint8_t, kMaxStones + kScanBlock> cells; // column * 16 + row
    int blocks = 0;
};

// A cell out of reach (worth -10000) can neither tie with nor beat a pick, so only the cells in
// reach are asked for.
template <class Evaluator, std::size_t kSpan>
void fillScoreTable(Evaluator& evaluator, int side, const std::array<std::uint32_t, kSpan>& reachRows,
                    ScoreTable& table) {
    constexpr std::uint32_t kPlayingRows = ((1u << kBoardSize) - 1) << (kFirstPoint + 1);
    int size = 0;
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        // Rows ascending within a column: the scan order of the pick.
        for (std::uint32_t rows = reachRows[x + 1] & kPlayingRows; rows != 0; rows &= rows - 1) {
            const int y = std::countr_zero(rows) - 1;
            table.cells[size] = static_cast<std::uint8_t>(x << 4 | y);
            table.scores[size++] = evaluator.cellScore(x, y, side);
        }
    }
    table.blocks = (size + kScanBlock - 1) / kScanBlock;
    std::fill(table.scores.begin() + size, table.scores.begin() + table.blocks * kScanBlock, ScoreTable::kInert);
}

} // namespace search_detail

template <class Evaluator>
void Search::SelectCandidates(const SearchTools<Evaluator>& tools, int side, CandidateList& candidates) {
    if constexpr (std::is_same_v<Evaluator, PatternEvaluator>) {
        selectFromKeptScores(tools.evaluator, tools.random, side, candidates);
    } else {
        selectFromScores(tools, side, candidates);
    }
}

template <class Evaluator>
void Search::selectFromScores(const SearchTools<Evaluator>& tools, int side, CandidateList& candidates) {
    using search_detail::kScanBlock;
    search_detail::ScoreTable table;
    search_detail::fillScoreTable(tools.evaluator, side, reachRows_, table);

    candidates.count = 0;
    bool keepAll = true;
    std::array<int, kMaxCandidates> taken{}; // table slots picked so far, listed or dropped
    const int picks = std::min<int>(candidateCount, kMaxCandidates);
    for (int pick = 0; pick < picks; ++pick) {
        std::int32_t best = kPickFloor;
        int slot = -1;
        for (int block = 0; block < table.blocks; ++block) {
            const std::int32_t* values = table.scores.data() + block * kScanBlock;
            // Most blocks hold nothing that ties with or beats the best so far: skip them whole.
            if (!search_detail::anyAtLeast(values, best)) {
                continue;
            }
            for (int i = 0; i < kScanBlock; ++i) {
                const std::int32_t score = values[i];
                if (search_detail::takesPick(score, best, tools.random)) {
                    best = score;
                    slot = block * kScanBlock + i;
                }
            }
        }
        // Only empty cells not yet picked are listed; a pick that found none means the empty
        // cells in reach have run out, and the node makes fewer picks.
        if (slot < 0 || std::find(taken.begin(), taken.begin() + pick, slot) != taken.begin() + pick) {
            break;
        }
        const int x = table.cells[slot] >> 4;
        const int y = table.cells[slot] & 15;
        if (workBoard[x][y] != kEmpty) {
            break;
        }
        taken[pick] = slot;
        table.scores[slot] = kPickFloor;
        search_detail::keepPick(candidates, keepAll, Candidate{x, y, best});
    }
}

template <class Evaluator>
bool Search::answeredByPicks(const SearchTools<Evaluator>& tools, int ply, int side, std::int32_t& slot,
                             CandidateList& candidates) {
    if (ply == 1) {
        candidateCount *= 2;
    }
    SelectCandidates(tools, side, candidates);
    if (ply == 1) {
        candidateCount /= 2;
    }
    if (candidates.count == 0) {
        // Nothing left to play here: the node is worth what a leaf would be.
        slot /= kValueScale;
        return true;
    }
    const Candidate& first = candidates.items[0];
    if (first.score > kImmediateScore) {
        bestX = first.x;
        bestY = first.y;
        slot = (side == search_detail::kSearchingSide ? first.score : -first.score) / kValueScale;
        return true;
    }
    return false;
}

inline void Search::chooseCandidate(int side, const CandidateList& candidates, const CandidateValues& values,
                                    std::int32_t& slot) {
    // Of equal values the first is chosen.
    int chosen = 0;
    for (int k = 1; k < candidates.count; ++k) {
        if (side == search_detail::kSearchingSide ? values[k] > values[chosen] : values[k] < values[chosen]) {
            chosen = k;
        }
    }
    bestX = candidates.items[chosen].x;
    bestY = candidates.items[chosen].y;
    slot = values[chosen];
}

template <class Evaluator>
void Search::SearchPly(const SearchTools<Evaluator>& tools, int ply, int side, std::int32_t& slot,
                       std::int32_t alpha, std::int32_t beta) {
    ++nodes_;
    if (ply == searchDepth + 1) {
        slot /= kValueScale; // the score of the candidate whose move led here
        return;
    }
    CandidateList candidates;
    if (answeredByPicks(tools, ply, side, slot, candidates)) {
        return;
    }
    const int n = candidates.count;
    CandidateValues values{};
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
            search_detail::TrialStone<Evaluator> trial(*this, tools.evaluator, candidate.x, candidate.y, side,
                                                       childIsLeaf);
            SearchPly(tools, ply + 1, search_detail::opposite(side), values[k], alpha, beta);
        }
        // Strict comparisons: a value equal to the bound does not end the loop.
        if (side == search_detail::kSearchingSide) {
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
    chooseCandidate(side, candidates, values, slot);
    if (ply == 1) {
        tools.progress.setProgress(100);
    }
}

template <class Evaluator>
bool Search::bestEmptyCell(Evaluator& evaluator) {
    bool found = false;
    std::int32_t best = 0;
    for (int pass = 0; pass < 2 && !found; ++pass) {
        for (int cx = kFirstPoint; cx <= kLastPoint; ++cx) {
            for (int cy = kFirstPoint; cy <= kLastPoint; ++cy) {
                if (workBoard[cx][cy] != kEmpty || (pass == 0 && !inReach(cx, cy))) {
                    continue;
                }
                const std::int32_t score = evaluator.cellScore(cx, cy, search_detail::kSearchingSide);
                if (!found || score > best) {
                    found = true;
                    best = score;
                    bestX = cx;
                    bestY = cy;
                }
            }
        }
    }
    return found;
}

template <class Evaluator>
bool Search::findMove(const SearchTools<Evaluator>& tools, std::span<const BoardPoint> stones, bool bonuses,
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
        search_detail::OpeningDepth depth(searchDepth, stones.size());
        tools.progress.repaintNow();
        // Cleared so that a first ply without any candidate shows.
        bestX = 0;
        bestY = 0;
        std::int32_t slot = 0;
        SearchPly(tools, 1, search_detail::kSearchingSide, slot, -kSearchBound, kSearchBound);
    }
    // No cell passed the pick floor (only overlines are left near the stones): take the best
    // empty cell anyway, so the answer is always a legal point.
    const bool found = (isPlayingPoint(bestX, bestY) && workBoard[bestX][bestY] == kEmpty) ||
                       bestEmptyCell(tools.evaluator);
    if (found) {
        x = bestX;
        y = bestY;
    }
    return found;
}

} // namespace kivola
