#include "master_oracle.h"

#include "master_threats.h"

namespace kivola::master::oracle {

namespace {

constexpr int kDirs[4][2] = {{1, 0}, {0, 1}, {1, 1}, {-1, 1}};

bool attackerWins(PlainBoard& board, int attacker, int stones, bool withThrees);

// Whether the attacker, to move, now has a point that leaves it two five points.
bool hasFlexFour(PlainBoard& board, int attacker) {
    for (int y = 0; y < board.height; ++y) {
        for (int x = 0; x < board.width; ++x) {
            if (board.at(x, y) == 0) {
                board.at(x, y) = attacker;
                const bool two = board.fivePoints(attacker).size() >= 2;
                board.at(x, y) = 0;
                if (two) {
                    return true;
                }
            }
        }
    }
    return false;
}

// The defender to move: true when every reply loses within the attacker's stones.
bool defenderLoses(PlainBoard& board, int attacker, int stones, bool withThrees) {
    const int defender = 3 - attacker;
    if (!board.fivePoints(defender).empty()) {
        return false;
    }
    const std::vector<int> fives = board.fivePoints(attacker);
    if (fives.size() >= 2) {
        return stones >= 1;
    }
    if (fives.size() == 1) {
        int& cell = board.cells[static_cast<std::size_t>(fives.front())];
        cell = defender;
        const bool wins = attackerWins(board, attacker, stones, withThrees);
        cell = 0;
        return wins;
    }
    if (!withThrees) {
        return false; // the attacker's stone made no four
    }
    for (int& cell : board.cells) {
        if (cell != 0) {
            continue;
        }
        cell = defender;
        const bool plainlyLost = stones >= 2 && board.fivePoints(defender).empty() && hasFlexFour(board, attacker);
        const bool lost = plainlyLost || attackerWins(board, attacker, stones, withThrees);
        cell = 0;
        if (!lost) {
            return false;
        }
    }
    return true;
}

bool attackerWins(PlainBoard& board, int attacker, int stones, bool withThrees) {
    if (!board.fivePoints(attacker).empty()) {
        return stones >= 1;
    }
    const std::vector<int> blocks = board.fivePoints(3 - attacker);
    if (blocks.size() >= 2 || stones <= 0) {
        return false;
    }
    int move = -1;
    if (blocks.size() == 1) {
        move = blocks.front();
    } else {
        Board master = board.master(attacker);
        Deadline deadline;
        ThreatSolver solver;
        int found = -1;
        const int length = withThrees ? solver.vct(master, deadline, stones, UINT64_MAX, found)
                                      : solver.vcf(master, deadline, stones, found);
        if (length == 0 || found < 0) {
            return false;
        }
        move = Board::yOf(found) * board.width + Board::xOf(found);
        if (!board.inside(Board::xOf(found), Board::yOf(found)) || board.cells[static_cast<std::size_t>(move)] != 0) {
            return false;
        }
    }
    board.cells[static_cast<std::size_t>(move)] = attacker;
    const bool wins = defenderLoses(board, attacker, stones - 1, withThrees);
    board.cells[static_cast<std::size_t>(move)] = 0;
    return wins;
}

} // namespace

PlainBoard PlainBoard::from(const std::vector<std::string>& rows, FiveRule rule) {
    PlainBoard board;
    board.height = static_cast<int>(rows.size());
    board.width = static_cast<int>(rows.front().size());
    board.rule = rule;
    for (const std::string& row : rows) {
        for (char c : row) {
            board.cells.push_back(c == 'x' ? 2 : (c == 'o' ? 1 : (c == '#' ? kWallCell : 0)));
        }
    }
    return board;
}

bool PlainBoard::makesFive(int x, int y, int side) const {
    for (const auto& dir : kDirs) {
        int run = 1;
        for (int sign : {1, -1}) {
            for (int k = 1; inside(x + sign * k * dir[0], y + sign * k * dir[1]) &&
                            at(x + sign * k * dir[0], y + sign * k * dir[1]) == side;
                 ++k) {
                ++run;
            }
        }
        if (rule == FiveRule::ExactFive ? run == 5 : run >= 5) {
            return true;
        }
    }
    return false;
}

std::vector<int> PlainBoard::fivePoints(int side) const {
    std::vector<int> points;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (at(x, y) == 0 && makesFive(x, y, side)) {
                points.push_back(y * width + x);
            }
        }
    }
    return points;
}

Board PlainBoard::master(int toMove) const {
    Board board(width, height, rule);
    for (int pass : {kWallCell, std::uint8_t{1}, std::uint8_t{2}}) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (at(x, y) != pass) {
                    continue;
                }
                if (pass == kWallCell) {
                    board.wall(Board::cellAt(x, y));
                } else {
                    board.place(Board::cellAt(x, y), pass);
                }
            }
        }
    }
    board.setSideToMove(toMove);
    return board;
}

bool bruteVcf(PlainBoard& board, int side, int fours) {
    if (!board.fivePoints(side).empty()) {
        return true;
    }
    const std::vector<int> blocks = board.fivePoints(3 - side);
    if (blocks.size() >= 2 || (blocks.size() == 1 && fours <= 0)) {
        return false;
    }
    for (std::size_t c = 0; c < board.cells.size(); ++c) {
        if (board.cells[c] != 0 || (blocks.size() == 1 && static_cast<int>(c) != blocks.front())) {
            continue;
        }
        board.cells[c] = side;
        const std::vector<int> points = board.fivePoints(side);
        bool wins = points.size() >= 2;
        if (points.size() == 1 && fours >= 1) {
            board.cells[static_cast<std::size_t>(points.front())] = 3 - side;
            wins = bruteVcf(board, side, fours - 1);
            board.cells[static_cast<std::size_t>(points.front())] = 0;
        }
        board.cells[c] = 0;
        if (wins) {
            return true;
        }
    }
    return false;
}

bool solverLineWins(PlainBoard board, int attacker, int stones, bool withThrees) {
    return attackerWins(board, attacker, stones, withThrees);
}

} // namespace kivola::master::oracle
