#pragma once
// The library's own copy of a game: who moves, which points are taken, whether it is decided.
// It lets the library refuse a stone before it reaches either player's game.

#include <array>
#include <cstdint>

#include "nw/nw_export.h"

namespace nw {

class NW_EXPORT GameBoard {
public:
    static constexpr int kSize = 15;
    static constexpr int kPoints = kSize * kSize;
    static constexpr int kWinLength = 5;

    enum class Verdict { Ok, OutOfRange, Occupied, NotYourTurn, GameOver };

    GameBoard() { reset(); }
    void reset();

    Verdict check(int seat, int column, int row) const;
    // Places the stone when check() allows it.
    Verdict place(int seat, int column, int row);

    // 1 or 2; 0 once the game is decided.
    int seatToMove() const { return decided() ? 0 : toMove_; }
    bool decided() const { return winner_ != 0 || stones_ == kPoints; }
    int winner() const { return winner_; } // 0 while open or drawn
    int stones() const { return stones_; }
    int at(int column, int row) const; // 0 empty, else the seat; 0 outside the board

private:
    bool makesFive(int column, int row) const;

    std::array<std::uint8_t, kPoints> cells_{};
    int toMove_ = 1;
    int winner_ = 0;
    int stones_ = 0;
};

} // namespace nw
