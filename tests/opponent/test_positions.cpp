#include "test_positions.h"

namespace kivola::testing {

Position positionWith(std::initializer_list<Stone> stones) {
    Position position;
    for (const Stone& stone : stones) {
        position.board[stone.x][stone.y] = stone.code;
        position.stones.push_back(BoardPoint{stone.x, stone.y});
    }
    return position;
}

WorkBoard boardWith(std::initializer_list<Stone> stones) { return positionWith(stones).board; }

namespace {

int runThrough(const WorkBoard& board, int x, int y, int dx, int dy) {
    const std::int32_t code = board[x][y];
    int run = 1;
    for (int sign : {-1, 1}) {
        int cx = x + sign * dx;
        int cy = y + sign * dy;
        while (board[cx][cy] == code) {
            ++run;
            cx += sign * dx;
            cy += sign * dy;
        }
    }
    return run;
}

bool makesFive(const WorkBoard& board, int x, int y) {
    for (int d = 0; d < kLineDirections; ++d) {
        if (runThrough(board, x, y, lineDx[d], lineDy[d]) >= 5) {
            return true;
        }
    }
    return false;
}

} // namespace

bool hasFive(const WorkBoard& board) {
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        for (int y = kFirstPoint; y <= kLastPoint; ++y) {
            if ((board[x][y] == kLocalStone || board[x][y] == kOtherStone) && makesFive(board, x, y)) {
                return true;
            }
        }
    }
    return false;
}

Position randomPosition(std::mt19937_64& generator, int count, bool clustered) {
    Position position;
    std::uniform_int_distribution<int> point(kFirstPoint, kLastPoint);
    std::uniform_int_distribution<int> offset(-2, 2);
    // Side 2 moves after the last stone, so the first stone is 2's when the count is even.
    std::int32_t code = count % 2 == 0 ? kOtherStone : kLocalStone;
    for (int placed = 0; placed < count; ++placed) {
        for (int attempt = 0;; ++attempt) {
            int x = point(generator);
            int y = point(generator);
            if (clustered && !position.stones.empty() && attempt < 200) {
                std::uniform_int_distribution<std::size_t> pick(0, position.stones.size() - 1);
                const BoardPoint near = position.stones[pick(generator)];
                x = near.x + offset(generator);
                y = near.y + offset(generator);
            }
            if (!isPlayingPoint(x, y) || position.board[x][y] != kEmpty) {
                continue;
            }
            position.board[x][y] = code;
            if (makesFive(position.board, x, y)) {
                position.board[x][y] = kEmpty;
                continue;
            }
            position.stones.push_back(BoardPoint{x, y});
            break;
        }
        code = 3 - code;
    }
    return position;
}

MatchState matchStateOf(const Position& position) {
    MatchState state;
    for (int x = 0; x < kBoardSpan; ++x) {
        for (int y = 0; y < kBoardSpan; ++y) {
            state.board[x][y] = static_cast<BoardCode>(position.board[x][y]);
        }
    }
    for (const BoardPoint& stone : position.stones) {
        ++state.stepCount;
        state.stepX[state.stepCount] = static_cast<std::uint8_t>(stone.x);
        state.stepY[state.stepCount] = static_cast<std::uint8_t>(stone.y);
        state.stepSide[state.stepCount] = position.board[stone.x][stone.y] == kLocalStone ? kSideLocal : kSideOther;
    }
    return state;
}

} // namespace kivola::testing
