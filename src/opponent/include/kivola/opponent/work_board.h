#pragma once
// The search's own copy of the board: the same codes as plain numbers, for its arithmetic.

#include <array>
#include <cstdint>

#include "kivola/core/match_state.h"

namespace kivola {

using WorkBoard = std::array<std::array<std::int32_t, kBoardSpan>, kBoardSpan>;

constexpr WorkBoard workBoardOf(const Board& board) {
    WorkBoard work{};
    for (int x = 0; x < kBoardSpan; ++x) {
        for (int y = 0; y < kBoardSpan; ++y) {
            work[x][y] = board[x][y];
        }
    }
    return work;
}

inline WorkBoard emptyWorkBoard() { return workBoardOf(emptyBoard()); }

} // namespace kivola
