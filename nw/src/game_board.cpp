#include "nw/game_board.h"

namespace nw {
namespace {

bool onBoard(int column, int row) {
    return column >= 1 && column <= GameBoard::kSize && row >= 1 && row <= GameBoard::kSize;
}

int indexOf(int column, int row) { return (row - 1) * GameBoard::kSize + (column - 1); }

} // namespace

void GameBoard::reset() {
    cells_.fill(0);
    toMove_ = 1;
    winner_ = 0;
    stones_ = 0;
}

int GameBoard::at(int column, int row) const { return onBoard(column, row) ? cells_[indexOf(column, row)] : 0; }

GameBoard::Verdict GameBoard::check(int seat, int column, int row) const {
    if (decided()) {
        return Verdict::GameOver;
    }
    if (seat != toMove_) {
        return Verdict::NotYourTurn;
    }
    if (!onBoard(column, row)) {
        return Verdict::OutOfRange;
    }
    if (at(column, row) != 0) {
        return Verdict::Occupied;
    }
    return Verdict::Ok;
}

GameBoard::Verdict GameBoard::place(int seat, int column, int row) {
    const Verdict verdict = check(seat, column, row);
    if (verdict != Verdict::Ok) {
        return verdict;
    }
    cells_[indexOf(column, row)] = static_cast<std::uint8_t>(seat);
    ++stones_;
    if (makesFive(column, row)) {
        winner_ = seat;
    }
    toMove_ = 3 - seat;
    return Verdict::Ok;
}

bool GameBoard::makesFive(int column, int row) const {
    const int seat = at(column, row);
    constexpr int kDirections[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
    for (const auto& d : kDirections) {
        int run = 1;
        for (int sign : {1, -1}) {
            int c = column + sign * d[0];
            int r = row + sign * d[1];
            while (at(c, r) == seat) {
                ++run;
                c += sign * d[0];
                r += sign * d[1];
            }
        }
        if (run >= kWinLength) {
            return true;
        }
    }
    return false;
}

} // namespace nw
