// Games of the master against 高级 (or against itself) in one process, on 15 x 15 freestyle:
// each random 4-stone opening is played twice, colours swapped, and the program judges the games.
//
//   master_match [--games=N] [--budget=MS] [--nodes=N] [--seed=S] [--opponent=advanced|master]
//                [--opponent-budget=MS] [--verbose]
//
// With --nodes the master searches that many nodes a move instead of a time, so that a run gives
// the same games whatever the machine's load and two settings can be compared game by game.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "kivola/opponent/master.h"
#include "kivola/opponent/opponent.h"

namespace {

using kivola::BoardPoint;

constexpr int kSize = kivola::kBoardSize;
constexpr int kOpeningStones = 4;
constexpr int kOpeningReach = 3; // opening stones within this of the centre

struct Options {
    int games = 20;
    int budgetMs = 100;
    int opponentBudgetMs = 100;
    std::uint64_t nodes = 0;
    std::uint64_t seed = 1;
    bool againstMaster = false;
    bool verbose = false;
};

// Colour 0 moves first. A game's stones in order, and each stone's colour.
struct Game {
    std::vector<BoardPoint> stones;
    std::vector<int> colours;
    int at(int x, int y) const {
        for (std::size_t k = 0; k < stones.size(); ++k) {
            if (stones[k].x == x && stones[k].y == y) {
                return colours[k];
            }
        }
        return -1;
    }
};

bool fiveThrough(const Game& game, const BoardPoint& p, int colour) {
    static constexpr int kDirs[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
    for (const auto& dir : kDirs) {
        int run = 1;
        for (int sign : {1, -1}) {
            for (int k = 1; k < 5; ++k) {
                const int x = p.x + sign * k * dir[0];
                const int y = p.y + sign * k * dir[1];
                if (x < 1 || x > kSize || y < 1 || y > kSize || game.at(x, y) != colour) {
                    break;
                }
                ++run;
            }
        }
        if (run >= 5) {
            return true;
        }
    }
    return false;
}

Game randomOpening(std::mt19937_64& random) {
    Game game;
    std::uniform_int_distribution<int> offset(-kOpeningReach, kOpeningReach);
    while (static_cast<int>(game.stones.size()) < kOpeningStones) {
        const BoardPoint p{kivola::kCentre + offset(random), kivola::kCentre + offset(random)};
        if (game.at(p.x, p.y) < 0) {
            game.colours.push_back(static_cast<int>(game.stones.size() % 2));
            game.stones.push_back(p);
        }
    }
    return game;
}

struct Player {
    bool master = false;
    int budgetMs = 100;
    std::uint64_t nodes = 0;
    kivola::MasterOpponent masterSearch;
    kivola::Opponent advanced;
    kivola::SeededRandom random{1};
    double worstMs = 0;
    double totalMs = 0;
    int moves = 0;
    long depthSum = 0;

    BoardPoint move(const Game& game, int colour) {
        const auto started = std::chrono::steady_clock::now();
        BoardPoint answer{};
        if (master) {
            kivola::MasterPosition position;
            for (std::size_t k = 0; k < game.stones.size(); ++k) {
                position.stones.push_back(kivola::MasterStone{
                    game.stones[k], game.colours[k] == colour ? kivola::kOtherStone : kivola::kLocalStone});
            }
            kivola::MasterLimits limits;
            limits.budget = nodes > 0 ? std::chrono::milliseconds(3600000) : std::chrono::milliseconds(budgetMs);
            limits.maxNodes = nodes;
            const kivola::MasterAnswer found = masterSearch.FindComputerMove(position, limits);
            answer = found.move;
            depthSum += found.depth;
        } else {
            kivola::WorkBoard board = kivola::emptyWorkBoard();
            for (std::size_t k = 0; k < game.stones.size(); ++k) {
                board[game.stones[k].x][game.stones[k].y] =
                    game.colours[k] == colour ? kivola::kOtherStone : kivola::kLocalStone;
            }
            advanced.setSearchDepth(kivola::kAdvancedDepth);
            kivola::QuietProgress progress;
            advanced.FindComputerMove(board, game.stones, true, progress, random, answer.x, answer.y);
        }
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        worstMs = std::max(worstMs, ms);
        totalMs += ms;
        ++moves;
        return answer;
    }
};

Game lastGame;

// 1: the master (player A) won, -1: lost, 0: draw; a move on a taken point loses.
int play(Game game, Player& a, Player& b, bool aFirst, int& length) {
    struct Keep {
        Game& game;
        ~Keep() { lastGame = game; }
    } keep{game};
    a.masterSearch.newGame();
    b.masterSearch.newGame();
    for (;;) {
        if (static_cast<int>(game.stones.size()) == kSize * kSize) {
            length = static_cast<int>(game.stones.size());
            return 0;
        }
        const int colour = static_cast<int>(game.stones.size() % 2);
        const bool aMoves = (colour == 0) == aFirst;
        Player& mover = aMoves ? a : b;
        const BoardPoint p = mover.move(game, colour);
        length = static_cast<int>(game.stones.size()) + 1;
        if (p.x < 1 || p.x > kSize || p.y < 1 || p.y > kSize || game.at(p.x, p.y) >= 0) {
            std::fprintf(stderr, "illegal move %d,%d by %s\n", p.x, p.y, aMoves ? "A" : "B");
            return aMoves ? -1 : 1;
        }
        game.stones.push_back(p);
        game.colours.push_back(colour);
        if (fiveThrough(game, p, colour)) {
            return aMoves ? 1 : -1;
        }
    }
}

bool readInt(const char* arg, const char* name, long long& value) {
    const std::size_t length = std::strlen(name);
    if (std::strncmp(arg, name, length) != 0) {
        return false;
    }
    value = std::atoll(arg + length);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        long long value = 0;
        if (readInt(argv[i], "--games=", value)) {
            options.games = static_cast<int>(value);
        } else if (readInt(argv[i], "--budget=", value)) {
            options.budgetMs = static_cast<int>(value);
        } else if (readInt(argv[i], "--nodes=", value)) {
            options.nodes = static_cast<std::uint64_t>(value);
        } else if (readInt(argv[i], "--opponent-budget=", value)) {
            options.opponentBudgetMs = static_cast<int>(value);
        } else if (readInt(argv[i], "--seed=", value)) {
            options.seed = static_cast<std::uint64_t>(value);
        } else if (std::strcmp(argv[i], "--opponent=master") == 0) {
            options.againstMaster = true;
        } else if (std::strcmp(argv[i], "--opponent=advanced") == 0) {
            options.againstMaster = false;
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            options.verbose = true;
        } else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    auto a = std::make_unique<Player>();
    auto b = std::make_unique<Player>();
    a->master = true;
    a->budgetMs = options.budgetMs;
    a->nodes = options.nodes;
    b->master = options.againstMaster;
    b->budgetMs = options.opponentBudgetMs;
    std::mt19937_64 random(options.seed);
    int wins = 0;
    int losses = 0;
    int draws = 0;
    int winsFirst = 0;
    long stones = 0;
    for (int g = 0; g < options.games; ++g) {
        static Game opening;
        if (g % 2 == 0) {
            opening = randomOpening(random);
        }
        const bool aFirst = g % 2 == 0;
        b->random = kivola::SeededRandom(options.seed * 1000 + static_cast<std::uint64_t>(g));
        int length = 0;
        const int result = play(opening, *a, *b, aFirst, length);
        stones += length;
        wins += result > 0;
        losses += result < 0;
        draws += result == 0;
        winsFirst += result > 0 && aFirst;
        if (options.verbose) {
            std::printf("game %3d  master %s  %3d stones  %s\n", g + 1, aFirst ? "first " : "second", length,
                        result > 0 ? "master wins" : (result < 0 ? "master loses" : "draw"));
            if (result < 0) {
                std::printf("  moves:");
                for (const BoardPoint& p : lastGame.stones) {
                    std::printf(" %c%d", 'a' + p.x - 1, p.y);
                }
                std::printf("\n");
            }
            std::fflush(stdout);
        }
    }
    const std::string limit = options.nodes > 0 ? std::to_string(options.nodes) + " nodes"
                                                : std::to_string(options.budgetMs) + " ms";
    std::printf("master (%s) against %s: %d wins (%d moving first), %d losses, %d draws of %d games; "
                "%.1f stones per game\n",
                limit.c_str(), options.againstMaster ? "master" : "高级", wins, winsFirst, losses, draws,
                options.games, static_cast<double>(stones) / std::max(1, options.games));
    std::printf("master: %.1f ms per move on average, %.1f ms at worst, depth %.1f on average\n",
                a->totalMs / std::max(1, a->moves), a->worstMs,
                static_cast<double>(a->depthSum) / std::max(1, a->moves));
    if (options.againstMaster) {
        std::printf("opponent master (%d ms): %.1f ms per move on average, %.1f ms at worst\n", b->budgetMs,
                    b->totalMs / std::max(1, b->moves), b->worstMs);
    }
    return 0;
}
