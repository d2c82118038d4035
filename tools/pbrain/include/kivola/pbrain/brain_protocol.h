#pragma once
// The engine side of the Gomoku brain protocol (the one Gomocup managers speak), on top of the
// game's opponent. The engine is the computer: its stones are code 2 and the manager's
// opponent's are code 1, on the game's 1-based board; the protocol counts points from 0.
//
// Fed one input line at a time, it answers with zero or more output lines. An ERROR answer to a
// command leaves the position as it was before that command, so the manager can go on.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kivola/core/match_state.h"
#include "kivola/opponent/master.h"
#include "kivola/opponent/opponent.h"
#include "kivola/opponent/random_source.h"

namespace kivola {

// The master plays any board from 5 x 5 to 20 x 20, square or not; the three fixed-depth levels
// only the game's own 15 x 15.
inline constexpr int kProtocolBoardSize = kBoardSize;
inline constexpr int kMinProtocolSize = kMasterMinSize;
inline constexpr int kMaxProtocolSize = kMasterMaxSize;
inline constexpr int kProtocolSpan = kMaxProtocolSize + 2; // with a ring around the largest board

// Bits of INFO rule that change how a game is won; 2 (a continuous game) does not.
inline constexpr std::int64_t kRuleExactFive = 1;
inline constexpr std::int64_t kRuleContinuous = 2;
inline constexpr std::int64_t kRuleRenju = 4;
inline constexpr std::int64_t kRuleCaro = 8;

// A stone of a finished line in a continuous game belongs to neither side. The search's scans
// stop at the ring around the board exactly as at the other colour, for both sides, so the ring's
// code makes it a blocker without a new case in the evaluator.
inline constexpr std::int32_t kBlockerCode = kRing;

// Levels: the look-ahead of 初级, 中级 and 高级 in plies, or the master, which has no fixed depth.
inline constexpr std::int32_t kMasterLevel = 0;

// The level a manager gets until it names one: the strongest.
inline constexpr std::int32_t kDefaultLevel = kMasterLevel;

// A level by its name: 初级, 中级, 高级, 大师 or beginner, intermediate, advanced, master (any case).
std::optional<std::int32_t> levelNamed(std::string_view name);
// Its name as INFO level and --level take it.
std::string_view levelName(std::int32_t level);

// The manager's clock as INFO tells it, in milliseconds; nothing until told.
struct TimeControl {
    std::optional<std::int64_t> turn;  // timeout_turn: the most one move may take (0: as fast as possible)
    std::optional<std::int64_t> match; // timeout_match: the whole game's time (0: no limit)
    std::optional<std::int64_t> left;  // time_left: what remains of it
};

// The master's budget for its next move: the turn's limit or a share of the time left, less a
// margin for the pipes and a loaded machine; 1 s (as in the game) when the manager says nothing.
std::chrono::milliseconds masterBudget(const TimeControl& clock);

struct BrainPosition {
    int width = kProtocolBoardSize;
    int height = kProtocolBoardSize;
    // [x][y] with the board's points at 1..width, 1..height; every other cell is ring.
    std::array<std::array<std::int32_t, kProtocolSpan>, kProtocolSpan> board = emptyBoard(kProtocolBoardSize, kProtocolBoardSize);
    std::vector<BoardPoint> stones; // in the order they were placed (or listed by BOARD)
    // Blockers (kBlockerCode) stand on the board but not among the stones.

    static std::array<std::array<std::int32_t, kProtocolSpan>, kProtocolSpan> emptyBoard(int width, int height);
    bool onBoard(std::int64_t x, std::int64_t y) const { return x >= 1 && x <= width && y >= 1 && y <= height; }
    // The 15 x 15 board as the fixed-depth levels read it.
    WorkBoard workBoard() const;
};

// YXSTOP from the manager, told by the thread that reads the input while the engine thinks: the
// search under way (or the next one, if it has not started) stops at once. Each request holds
// until the YXSTOP line itself reaches the engine in turn.
class StopRequests {
public:
    void request();
    void consume();
    const std::atomic<bool>& flag() const { return flag_; }

private:
    std::mutex mutex_;
    int pending_ = 0;
    std::atomic<bool> flag_{false};
};

class BrainProtocol {
public:
    // random: the tie rule's source for the whole life of the engine; level: the level played
    // until INFO sets another.
    explicit BrainProtocol(RandomSource& random, std::int32_t level = kDefaultLevel);

    // Safe from any thread: see StopRequests.
    void requestStop() { stops_.request(); }

    // One line without its end; tooLong marks a line that was cut. Returns the answers.
    std::vector<std::string> handleLine(std::string_view line, bool tooLong = false);

    // END has been received; further lines are ignored.
    bool ended() const { return ended_; }

    const BrainPosition& position() const { return position_; }
    // The level's look-ahead in plies (1, 5 or 9), or kMasterLevel.
    std::int32_t level() const { return level_; }
    // As in the game: only the beginner level plays without the strong-line bonuses.
    bool bonuses() const { return level_ != kBeginnerDepth; }
    // The last rule that could be read; an unreadable one is refused like an unsupported one.
    std::int64_t rule() const { return rule_; }
    // Freestyle for every level, exact five for the master too, each alone or in a continuous game.
    bool ruleSupported() const;
    const TimeControl& clock() const { return clock_; }

    static std::string aboutText();

private:
    using Answers = std::vector<std::string>;

    Answers command(std::string_view line, bool tooLong);
    Answers blockLine(std::string_view line, bool tooLong);
    Answers start(std::string_view args);
    Answers rectStart(std::string_view args);
    Answers restart(std::string_view args);
    Answers begin(std::string_view args);
    Answers turn(std::string_view args);
    Answers boardDone();
    // INFO is never answered: a problem waits for the next move request.
    void info(std::string_view args, bool tooLong);
    Answers takeBack(std::string_view args);
    Answers play(std::string_view args);

    // The engine's move on the current position, placed; on ERROR nothing changes.
    Answers moveNow();
    // The answer when the search has no stones to go by: the centre, or the best free point.
    BoardPoint openingPoint() const;
    // The level's move on the current position, or a fault.
    std::string searchMove(int& x, int& y);
    void newBoard(int width, int height);
    // Made before any move needs it, so that no move pays for its tables.
    void ensureMaster();
    void clearPosition();
    void place(int x, int y, std::int32_t code);

    RandomSource& random_;
    Opponent opponent_;
    // Made at the master's first move, with a table that fits INFO max_memory.
    std::unique_ptr<MasterOpponent> master_;
    std::size_t masterMegabytes_ = 0;
    std::optional<std::int64_t> maxMemory_;
    StopRequests stops_;
    BrainPosition position_;
    std::int32_t level_;
    std::int64_t rule_ = 0;
    TimeControl clock_;
    std::optional<std::string> unreadableRule_; // echoed, when the last INFO rule was no bitmask
    std::string infoFault_; // the first INFO problem since the last move request
    bool started_ = false;
    bool ended_ = false;

    // Between BOARD and DONE: the new position being read, and the first fault in it. Between a
    // block command the engine does not know (SWAP2BOARD, YXBOARD) and DONE: its name.
    enum class Block { None, Board, Unknown };
    Block block_ = Block::None;
    std::string unknownBlock_;
    BrainPosition pendingBoard_;
    std::string pendingFault_;
};

} // namespace kivola
