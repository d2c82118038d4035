#include "kivola/core/placement.h"

#include <cassert>
#include <cstdlib>

#include "kivola/core/winning_line.h"

namespace kivola {

namespace {

struct Step {
    int dx;
    int dy;
};

// Row, down-right diagonal, column, down-left diagonal.
constexpr std::array<Step, 4> kDirections{{{1, 0}, {1, 1}, {0, 1}, {-1, 1}}};

constexpr int kWinningSpan = 4; // end-to-end distance of five in a row

// The run of `code` through (x, y) along one direction. The cell (x, y) itself is not read, so
// it counts as part of the run whether or not it has been written yet.
LineRun runThrough(const Board& board, int x, int y, BoardCode code, Step step) {
    LineRun run{x, y, x, y};
    while (board[run.toX + step.dx][run.toY + step.dy] == code) {
        run.toX += step.dx;
        run.toY += step.dy;
    }
    while (board[run.fromX - step.dx][run.fromY - step.dy] == code) {
        run.fromX -= step.dx;
        run.fromY -= step.dy;
    }
    return run;
}

bool makesFive(const LineRun& run) {
    return std::abs(run.toX - run.fromX) >= kWinningSpan || std::abs(run.toY - run.fromY) >= kWinningSpan;
}

} // namespace

Board emptyBoard() {
    Board board{};
    for (int x = 0; x < kBoardSpan; ++x) {
        for (int y = 0; y < kBoardSpan; ++y) {
            board[x][y] = isPlayingPoint(x, y) ? kEmpty : kRing;
        }
    }
    return board;
}

void ClearBoard(MatchState& state, StoneDisplay& display) {
    for (int k = 1; k <= state.stepCount; ++k) {
        display.destroyPiece(k);
    }
    state.stepCount = 0;
    state.gameResult = kInProgress;
    state.playerCanMove = 1;
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        for (int y = kFirstPoint; y <= kLastPoint; ++y) {
            state.board[x][y] = kEmpty;
        }
    }
    for (int i = 0; i < kBoardSpan; ++i) {
        state.board[i][0] = kRing;
        state.board[i][kBoardSpan - 1] = kRing;
        state.board[0][i] = kRing;
        state.board[kBoardSpan - 1][i] = kRing;
    }
}

void PutOnPiece(MatchState& state, StoneDisplay& display, int x, int y, StoneColour colour) {
    ++state.stepCount;
    display.createPiece(state.stepCount, x, y, colour);
}

void AddPiece(MatchState& state, StoneDisplay& display, BoardPoint point, Side side) {
    const int x = point.x;
    const int y = point.y;
    assert(isPlayingPoint(x, y) && state.board[x][y] == kEmpty && state.stepCount < kMaxStones);
    const BoardCode code = cellCodeOfSide(side);
    // The new cell still holds 0; the ring stops every walk at the edge, so no bounds test.
    for (const Step step : kDirections) {
        if (makesFive(runThrough(state.board, x, y, code, step)) && state.gameResult == kInProgress) {
            state.gameResult = code;
        }
    }
    if (state.stepCount > 0) {
        display.showPiece(state.stepCount);
    }
    PutOnPiece(state, display, x, y, colourOfSide(side, state.computerFirst));
    const int k = state.stepCount;
    state.stepX[k] = static_cast<std::uint8_t>(x);
    state.stepY[k] = static_cast<std::uint8_t>(y);
    state.stepSide[k] = side;
    if (k == kMaxStones && state.gameResult == kInProgress) {
        state.gameResult = kDraw;
    }
    // Written last: the judgement above reads the new point as still empty.
    state.board[x][y] = code;
}

void TakeBackStone(MatchState& state, StoneDisplay& display) {
    const int k = state.stepCount;
    if (k == 0) {
        return;
    }
    display.destroyPiece(k);
    state.board[state.stepX[k]][state.stepY[k]] = kEmpty;
    --state.stepCount;
}

void TakeBackMoves(MatchState& state, StoneDisplay& display) {
    if (state.stepCount == 0) {
        return;
    }
    TakeBackStone(state, display);
    // Stones alternate from the first mover; when the stone now last is the local player's,
    // it goes too, so the local player is to move afterwards.
    const int d = static_cast<int>(state.stepCount) - static_cast<int>(state.computerFirst);
    if (d > 0 && d % 2 == 1) {
        TakeBackStone(state, display);
    }
    state.gameResult = kInProgress;
    state.playerCanMove = 1;
}

WinningLine LineOfNewestStone(const MatchState& state) {
    WinningLine line;
    const int k = state.stepCount;
    if (k == 0) {
        return line;
    }
    const int x = state.stepX[k];
    const int y = state.stepY[k];
    const BoardCode code = cellCodeOfSide(state.stepSide[k]);
    for (const Step step : kDirections) {
        const LineRun run = runThrough(state.board, x, y, code, step);
        if (makesFive(run)) {
            line.runs.push_back(run);
        }
    }
    if (!line.runs.empty()) {
        line.stone = k;
    }
    return line;
}

WinningLine FindWinningLine(const MatchState& state) {
    if (state.gameResult != kLocalStone && state.gameResult != kOtherStone) {
        return {};
    }
    Board board = emptyBoard();
    for (int k = 1; k <= state.stepCount; ++k) {
        const int x = state.stepX[k];
        const int y = state.stepY[k];
        if (!isPlayingPoint(x, y) || board[x][y] != kEmpty) {
            return {};
        }
        // Any side byte other than 0 is the local player's, as when the stone was placed.
        const BoardCode code = cellCodeOfSide(state.stepSide[k]);
        WinningLine line;
        for (const Step step : kDirections) {
            const LineRun run = runThrough(board, x, y, code, step);
            if (makesFive(run)) {
                line.runs.push_back(run);
            }
        }
        if (!line.runs.empty()) {
            if (code != state.gameResult) {
                return {};
            }
            line.stone = k;
            return line;
        }
        board[x][y] = code;
    }
    return {};
}

} // namespace kivola
