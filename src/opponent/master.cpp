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

} // namespace kivola
