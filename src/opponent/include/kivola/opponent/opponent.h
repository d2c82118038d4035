#pragma once
// The computer opponent: chooses the computer's move by a look-ahead search on its own copy of
// the board.

#include <cstdint>
#include <memory>
#include <span>

#include "kivola/core/match_state.h"
#include "kivola/opponent/random_source.h"
#include "kivola/opponent/search_progress.h"
#include "kivola/opponent/work_board.h"

namespace kivola {

inline constexpr int kBeginnerDepth = 1;
inline constexpr int kIntermediateDepth = 5;
inline constexpr int kAdvancedDepth = 9;
inline constexpr int kOpeningStones = 6; // up to this many stones the search looks one ply

class Search;

// The opponent's state, as the hidden holder window keeps it between moves.
class Opponent {
public:
    Opponent();
    ~Opponent();
    // A moved-from opponent may only be assigned to or destroyed.
    Opponent(Opponent&&) noexcept;
    Opponent& operator=(Opponent&&) noexcept;

    // Plies to look ahead: kBeginnerDepth, kIntermediateDepth or kAdvancedDepth. Taken up by
    // the next search.
    void setSearchDepth(std::int32_t depth);
    std::int32_t searchDepth() const;

    // Copies state.board into the working board, then searches; the history lists every stone
    // on it. bonuses: the beginner level is not selected. Answers an empty playing point, or
    // returns false (and leaves x, y alone) when there is none.
    bool FindComputerMove(const MatchState& state, bool bonuses, SearchProgress& progress,
                          RandomSource& random, int& x, int& y);
    // The same for the console engine and the benchmark: the stones on board in the order they
    // were placed (side 2 to move).
    bool FindComputerMove(const WorkBoard& board, std::span<const BoardPoint> stones, bool bonuses,
                          SearchProgress& progress, RandomSource& random, int& x, int& y);

    // Search nodes (leaves included) visited by the last search.
    std::uint64_t nodes() const;

private:
    // On the heap: the search's state and its evaluator's tables are tens of kilobytes.
    std::unique_ptr<Search> search_;
};

} // namespace kivola
