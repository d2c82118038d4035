#pragma once
// The computer's side of a match: the opponent's state and the generator its ties draw from.

#include <cstdint>
#include <memory>

#include "kivola/core/match_state.h"
#include "kivola/opponent/opponent.h"
#include "kivola/opponent/random_source.h"

namespace kivola {

class ComputerPlayer {
public:
    // Seeded from the clock when no generator is handed in.
    explicit ComputerPlayer(std::unique_ptr<RandomSource> random = nullptr);

    void setSearchDepth(std::int32_t depth) { opponent_.setSearchDepth(depth); }
    std::int32_t searchDepth() const { return opponent_.searchDepth(); }
    // An empty playing point; throws std::logic_error on a full board, which is already decided.
    BoardPoint FindComputerMove(const MatchState& state, bool bonuses, SearchProgress& progress);

private:
    Opponent opponent_;
    std::unique_ptr<RandomSource> random_;
};

} // namespace kivola
