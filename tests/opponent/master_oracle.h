#pragma once
// Brute force for the master's tests: a plain board that knows only what a five is, drawn from a
// picture, and exhaustive threat searches on it that share nothing with the master's tables.

#include <string>
#include <vector>

#include "kivola/opponent/master.h"
#include "master_board.h"

namespace kivola::master::oracle {

// Sides as on the master's board: 1 and 2; walls 3.
struct PlainBoard {
    int width = 0;
    int height = 0;
    FiveRule rule = FiveRule::Freestyle;
    std::vector<int> cells; // [y * width + x]

    // Rows of 'x' (side 2, the attacker and side to move), 'o' (side 1), '#' (a wall), '.' (empty).
    static PlainBoard from(const std::vector<std::string>& rows, FiveRule rule = FiveRule::Freestyle);
    int at(int x, int y) const { return cells[static_cast<std::size_t>(y * width + x)]; }
    int& at(int x, int y) { return cells[static_cast<std::size_t>(y * width + x)]; }
    bool inside(int x, int y) const { return x >= 0 && x < width && y >= 0 && y < height; }
    // Whether a stone of side on the empty (x, y) makes a five through it.
    bool makesFive(int x, int y, int side) const;
    // The empty points where side would make a five, as x + y * width.
    std::vector<int> fivePoints(int side) const;
    // The master's board with the same stones (walls, then side 1, then side 2), side to move.
    Board master(int toMove) const;
};

// Whether side, to move, wins by fours alone with at most fours of them (a four that leaves two
// five points may be the last).
bool bruteVcf(PlainBoard& board, int side, int fours);

// Plays the master's solver's line from the position and answers whether the attacker (side to
// move) really wins within its stones: every defender reply is tried, and the solver (asked
// afresh on each new position) must find the attacker's next move each time.
bool solverLineWins(PlainBoard board, int attacker, int stones, bool withThrees);

} // namespace kivola::master::oracle
