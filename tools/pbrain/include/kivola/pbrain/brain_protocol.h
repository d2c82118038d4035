#pragma once
// The engine side of the Gomoku brain protocol (the one Gomocup managers speak), on top of the
// game's opponent. The engine is the computer: its stones are code 2 and the manager's
// opponent's are code 1, on the game's 1-based board; the protocol counts points from 0.
//
// Fed one input line at a time, it answers with zero or more output lines. An ERROR answer to a
// command leaves the position as it was before that command, so the manager can go on.

#include <cstdint>
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

struct BrainPosition {
    WorkBoard board = emptyWorkBoard();
    std::vector<BoardPoint> stones; // in the order they were placed (or listed by BOARD)
};

class BrainProtocol {
public:
    // random: the tie rule's source for the whole life of the engine.
    explicit BrainProtocol(RandomSource& random);

    // One line without its end; tooLong marks a line that was cut. Returns the answers.
    std::vector<std::string> handleLine(std::string_view line, bool tooLong = false);

    // END has been received; further lines are ignored.
    bool ended() const { return ended_; }

    const BrainPosition& position() const { return position_; }
    // The level's look-ahead in plies: 1, 5 or 9.
    std::int32_t level() const { return level_; }
    // As in the game: only the beginner level plays without the strong-line bonuses.
    bool bonuses() const { return level_ != kBeginnerDepth; }
    std::int64_t rule() const { return rule_; }
    bool ruleSupported() const { return (rule_ & ~kRuleContinuous) == 0; }

    static std::string aboutText();

private:
    using Answers = std::vector<std::string>;

    Answers command(std::string_view line, bool tooLong);
    Answers boardLine(std::string_view line, bool tooLong);
    Answers start(std::string_view args);
    Answers rectStart(std::string_view args);
    Answers restart(std::string_view args);
    Answers begin(std::string_view args);
    Answers turn(std::string_view args);
    Answers boardDone();
    Answers info(std::string_view args);
    Answers takeBack(std::string_view args);
    Answers play(std::string_view args);

    // The engine's move on the current position, placed; on ERROR nothing changes.
    Answers moveNow();
    void clearPosition();
    void place(int x, int y, std::int32_t code);

    RandomSource& random_;
    Opponent opponent_;
    BrainPosition position_;
    std::int32_t level_ = kBeginnerDepth; // the game starts at its beginner level too
    std::int64_t rule_ = 0;
    bool started_ = false;
    bool ended_ = false;

    // Between BOARD and DONE: the new position being read, and the first fault in it.
    bool readingBoard_ = false;
    BrainPosition pendingBoard_;
    std::string pendingFault_;
};

} // namespace kivola
