#include "self_play.h"

#include <random>

namespace kivola::testing {

Position swapColours(const Position& position) {
    Position swapped = position;
    for (const BoardPoint& stone : position.stones) {
        swapped.board[stone.x][stone.y] = 3 - position.board[stone.x][stone.y];
    }
    return swapped;
}

std::vector<Position> selfPlayGame(const SelfPlaySettings& settings) {
    std::mt19937_64 generator(settings.seed);
    SeededRandom random(settings.seed * 7919 + 1);
    QuietProgress progress;
    Opponent opponent;
    opponent.setSearchDepth(settings.depth);
    std::vector<Position> positions;
    // Kept from the view of the side that moves next: its stones are 2.
    Position game;
    while (static_cast<int>(game.stones.size()) < settings.maxStones &&
           static_cast<int>(game.stones.size()) < kMaxStones) {
        if (!game.stones.empty()) {
            positions.push_back(game);
        }
        int x = 0;
        int y = 0;
        const int placed = static_cast<int>(game.stones.size());
        if (placed >= 1 && placed <= settings.randomOpening) {
            std::uniform_int_distribution<int> offset(-2, 2);
            std::uniform_int_distribution<std::size_t> pick(0, game.stones.size() - 1);
            do {
                const BoardPoint near = game.stones[pick(generator)];
                x = near.x + offset(generator);
                y = near.y + offset(generator);
            } while (!isPlayingPoint(x, y) || game.board[x][y] != kEmpty);
        } else {
            if (!opponent.FindComputerMove(game.board, game.stones, true, progress, random, x, y)) {
                break;
            }
        }
        game.board[x][y] = kOtherStone;
        game.stones.push_back(BoardPoint{x, y});
        if (hasFive(game.board)) {
            break;
        }
        game = swapColours(game);
    }
    return positions;
}

} // namespace kivola::testing
