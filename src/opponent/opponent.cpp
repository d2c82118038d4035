#include "kivola/opponent/opponent.h"

#include "search.h"

namespace kivola {

Opponent::Opponent() : search_(std::make_unique<Search>()) {}
Opponent::~Opponent() = default;
Opponent::Opponent(Opponent&&) noexcept = default;
Opponent& Opponent::operator=(Opponent&&) noexcept = default;

void Opponent::setSearchDepth(std::int32_t depth) { search_->searchDepth = depth; }

std::int32_t Opponent::searchDepth() const { return search_->searchDepth; }

bool Opponent::FindComputerMove(const MatchState& state, bool bonuses, SearchProgress& progress,
                                RandomSource& random, int& x, int& y) {
    search_->workBoard = workBoardOf(state.board);
    return search_->FindComputerMove(state, bonuses, progress, random, x, y);
}

bool Opponent::FindComputerMove(const WorkBoard& board, std::span<const BoardPoint> stones, bool bonuses,
                                SearchProgress& progress, RandomSource& random, int& x, int& y) {
    search_->workBoard = board;
    return search_->FindComputerMove(stones, bonuses, progress, random, x, y);
}

std::uint64_t Opponent::nodes() const { return search_->nodes(); }

} // namespace kivola
