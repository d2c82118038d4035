#pragma once
// Where the five stands once a game is won, so the window can mark it.

#include <vector>

#include "kivola/core/match_state.h"

namespace kivola {

// The stones from (fromX, fromY) to (toX, toY), both ends included, along one of the four
// directions of the five judgement.
struct LineRun {
    int fromX = 0;
    int fromY = 0;
    int toX = 0;
    int toY = 0;
    friend bool operator==(const LineRun&, const LineRun&) = default;
};

struct WinningLine {
    int stone = 0;             // move number of the stone that decided the game; 0 when none did
    std::vector<LineRun> runs; // one per direction in which that stone made five or more
    friend bool operator==(const WinningLine&, const WinningLine&) = default;
};

// The fives through the newest stone, read off the board as it stands: asked right after the
// stone that decided the game, it names that stone's line at the cost of one stone's look-up.
WinningLine LineOfNewestStone(const MatchState& state);

// The result stands from the first five (stones played past it do not move it), so the line is
// found by replaying the history up to the stone that made it. A game in progress, a draw, or a
// history that does not explain the result gives no line.
WinningLine FindWinningLine(const MatchState& state);

} // namespace kivola
