#pragma once
// The master level in the game. It thinks on a thread of its own under a time budget, so the
// window keeps painting and taking commands meanwhile; any command that changes the board cancels
// it first, and a cancelled search never delivers its move.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "kivola/core/match_state.h"
#include "kivola/opponent/master.h"

class QObject;

namespace kivola {

// The stones of a game in the master's terms: its own are the computer's.
MasterPosition masterPositionOf(const MatchState& state);

// A second a move from the click to the stone: the search stops early enough for the thread's
// start, the answer's way back through the event loop and the drawing.
inline constexpr std::chrono::milliseconds kGameMasterBudget{950};

class MasterPlayer {
public:
    using Answer = std::function<void(BoardPoint)>;

    explicit MasterPlayer(std::chrono::milliseconds budget = kGameMasterBudget);
    ~MasterPlayer();
    MasterPlayer(const MasterPlayer&) = delete;
    MasterPlayer& operator=(const MasterPlayer&) = delete;

    // Starts thinking on the position of state (the computer to move, a point left empty). The
    // answer runs later on context's thread, through its event loop, unless cancel() or another
    // think() comes first or the player is gone by then. context must outlive the player.
    void think(const MatchState& state, QObject* context, Answer answer);
    // Stops the search under way and waits for its thread; its answer is dropped.
    void cancel();
    bool thinking() const { return thinking_; }
    // The share of the budget spent on the search under way, 0 to 100.
    int percentSpent() const;
    // The next search starts without what the last game taught the table.
    void newGame() { freshGame_ = true; }
    std::chrono::milliseconds budget() const { return budget_; }
    // For the searches that come after; the one under way keeps its own.
    void setBudget(std::chrono::milliseconds budget) { budget_ = budget; }

private:
    void join();

    std::chrono::milliseconds budget_;
    // Touched by the worker only while it runs; think() and cancel() join it before anything else.
    MasterOpponent opponent_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    // Bumped by every think() and cancel(); an answer carries the number it was asked under.
    std::shared_ptr<unsigned> generation_ = std::make_shared<unsigned>(0);
    bool thinking_ = false;
    bool freshGame_ = true;
    std::chrono::steady_clock::time_point started_{};
};

} // namespace kivola
