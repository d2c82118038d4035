#pragma once
// 大师, the master level: a search of its own beside the three fixed-depth levels. It deepens
// under a time budget, solves forcing wins first, and plays on boards up to 20 x 20 under either
// five rule. It shares nothing with the other levels' search, so choosing it changes nothing of
// theirs.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "kivola/core/match_state.h"

namespace kivola {

enum class FiveRule : std::uint8_t {
    Freestyle, // five or more in a line wins
    ExactFive, // exactly five wins; six or more is no win for either side
};

inline constexpr int kMasterMinSize = 5;
inline constexpr int kMasterMaxSize = 20;
inline constexpr std::chrono::milliseconds kMasterDefaultBudget{1000};
inline constexpr int kMasterMaxDepth = 60; // plies of the main search; forcing lines go further

struct MasterStone {
    BoardPoint point; // 1-based, as on the game's board
    // kOtherStone: the master's own; kLocalStone: its opponent's; kRing: a cell taken by neither
    // side (a finished line of a continuous game), a wall for both.
    std::int32_t code = kOtherStone;
};

struct MasterPosition {
    int width = kBoardSize;
    int height = kBoardSize;
    FiveRule rule = FiveRule::Freestyle;
    std::vector<MasterStone> stones; // in the order they were placed; the master is to move
};

struct MasterLimits {
    std::chrono::milliseconds budget = kMasterDefaultBudget;
    int maxDepth = kMasterMaxDepth;
    // Besides the clock: repeatable play whatever the machine's load (0: no limit).
    std::uint64_t maxNodes = 0;
    // Another thread may set it; the search then returns at once with the best move so far.
    const std::atomic<bool>* cancel = nullptr;
    // Called on the searching thread after each finished iteration, with the answer so far.
    std::function<void(const struct MasterAnswer&)> onIteration;
};

struct MasterAnswer {
    bool found = false; // false only when no empty point is left
    BoardPoint move;
    int depth = 0;           // the deepest iteration completed
    std::int32_t value = 0;  // for the master; beyond kMasterWinFloor a forced win, below its negation a loss
    std::uint64_t nodes = 0; // main search and threat solver together
    std::chrono::microseconds elapsed{0};
};

inline constexpr std::int32_t kMasterWinFloor = 20000;

namespace master {
class Engine;
}

// Keeps its transposition table from move to move; a new game should call newGame().
class MasterOpponent {
public:
    explicit MasterOpponent(std::size_t tableMegabytes = 32);
    ~MasterOpponent();
    MasterOpponent(MasterOpponent&&) noexcept;
    MasterOpponent& operator=(MasterOpponent&&) noexcept;

    // The master's move on position. Positions that cannot arise (a five already standing, stones
    // off the board or on one point twice) still get an empty point when there is one.
    MasterAnswer FindComputerMove(const MasterPosition& position, const MasterLimits& limits);
    void newGame();

private:
    std::unique_ptr<master::Engine> engine_;
};

} // namespace kivola
