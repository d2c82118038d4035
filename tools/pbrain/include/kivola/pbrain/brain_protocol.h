#pragma once
// The engine side of the Gomoku brain protocol (the one Gomocup managers speak), on top of the
// game's opponent. The engine is the computer: its stones are code 2 and the manager's
// opponent's are code 1, on the game's 1-based board; the protocol counts points from 0.
//
// Fed one input line at a time, it answers with zero or more output lines. An ERROR answer to a
// command leaves the position as it was before that command, so the manager can go on.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kivola/core/match_state.h"
#include "kivola/opponent/opponent.h"
#include "kivola/opponent/random_source.h"

namespace kivola {

// The one board size the game and its opponent know.
inline constexpr int kProtocolBoardSize = kBoardSize;

// Bits of INFO rule that change how a game is won; 2 (a continuous game) does not.
inline constexpr std::int64_t kRuleExactFive = 1;
inline constexpr std::int64_t kRuleContinuous = 2;
inline constexpr std::int64_t kRuleRenju = 4;
inline constexpr std::int64_t kRuleCaro = 8;

// A stone of a finished line in a continuous game belongs to neither side. The search's scans
// stop at the ring around the board exactly as at the other colour, for both sides, so the ring's
// code makes it a blocker without a new case in the evaluator.
inline constexpr std::int32_t kBlockerCode = kRing;

// The level a manager gets until it names one.
inline constexpr std::int32_t kDefaultLevel = kAdvancedDepth;

// A level's depth by its name: 初级, 中级, 高级 or beginner, intermediate, advanced (any case).
std::optional<std::int32_t> levelDepth(std::string_view name);

struct BrainPosition {
    WorkBoard board = emptyWorkBoard();
    std::vector<BoardPoint> stones; // in the order they were placed (or listed by BOARD)
    // Blockers (kBlockerCode) stand on the board but not among the stones.
};

class BrainProtocol {
public:
    // random: the tie rule's source for the whole life of the engine; level: the depth played
    // until INFO sets another.
    explicit BrainProtocol(RandomSource& random, std::int32_t level = kDefaultLevel);

    // One line without its end; tooLong marks a line that was cut. Returns the answers.
    std::vector<std::string> handleLine(std::string_view line, bool tooLong = false);

    // END has been received; further lines are ignored.
    bool ended() const { return ended_; }

    const BrainPosition& position() const { return position_; }
    // The level's look-ahead in plies: 1, 5 or 9.
    std::int32_t level() const { return level_; }
    // As in the game: only the beginner level plays without the strong-line bonuses.
    bool bonuses() const { return level_ != kBeginnerDepth; }
    // The last rule that could be read; an unreadable one is refused like an unsupported one.
    std::int64_t rule() const { return rule_; }
    bool ruleSupported() const { return !unreadableRule_ && (rule_ & ~kRuleContinuous) == 0; }

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
    void clearPosition();
    void place(int x, int y, std::int32_t code);

    RandomSource& random_;
    Opponent opponent_;
    BrainPosition position_;
    std::int32_t level_;
    std::int64_t rule_ = 0;
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
