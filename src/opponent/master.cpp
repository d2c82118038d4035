#include "kivola/opponent/master.h"

#include "master_search.h"

namespace kivola {

MasterOpponent::MasterOpponent(std::size_t tableMegabytes)
    : engine_(std::make_unique<master::Engine>(tableMegabytes)) {}
MasterOpponent::~MasterOpponent() = default;
MasterOpponent::MasterOpponent(MasterOpponent&&) noexcept = default;
MasterOpponent& MasterOpponent::operator=(MasterOpponent&&) noexcept = default;

MasterAnswer MasterOpponent::FindComputerMove(const MasterPosition& position, const MasterLimits& limits) {
    return engine_->think(position, limits);
}

void MasterOpponent::newGame() { engine_->newGame(); }

MasterPosition masterPositionOf(const MatchState& state) {
    MasterPosition position;
    for (int k = 1; k <= state.stepCount && k < kHistoryLength; ++k) {
        const int x = state.stepX[k];
        const int y = state.stepY[k];
        if (isPlayingPoint(x, y) && state.board[x][y] != kEmpty) {
            position.stones.push_back(MasterStone{BoardPoint{x, y}, state.board[x][y]});
        }
    }
    return position;
}

} // namespace kivola
