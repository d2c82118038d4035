#include "kivola/match/computer_player.h"

#include <stdexcept>

namespace kivola {

ComputerPlayer::ComputerPlayer(std::unique_ptr<RandomSource> random)
    : random_(random ? std::move(random) : std::make_unique<ClockSeededRandom>()) {
    opponent_.setSearchDepth(kBeginnerDepth);
}

BoardPoint ComputerPlayer::FindComputerMove(const MatchState& state, bool bonuses, SearchProgress& progress) {
    int x = 0;
    int y = 0;
    if (!opponent_.FindComputerMove(state, bonuses, progress, *random_, x, y)) {
        // Only a full board has no empty point, and a full board is already decided.
        throw std::logic_error("no empty point left for the computer");
    }
    return {x, y};
}

} // namespace kivola
