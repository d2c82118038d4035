#pragma once
// Positions and recording fakes shared by the opponent tests.

#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

#include "kivola/core/match_state.h"
#include "kivola/opponent/evaluator.h"
#include "kivola/opponent/opponent.h"

namespace kivola::testing {

struct Stone {
    int x;
    int y;
    std::int32_t code;
};

struct Position {
    WorkBoard board = emptyWorkBoard();
    std::vector<BoardPoint> stones; // in placing order
};

Position positionWith(std::initializer_list<Stone> stones);
WorkBoard boardWith(std::initializer_list<Stone> stones);

// Five or more in a row of either code anywhere on the board.
bool hasFive(const WorkBoard& board);

// A legal position with count stones and side 2 to move: sides alternate, no stone makes five.
// Clustered positions put each stone near the earlier ones, so lines and threats are common.
Position randomPosition(std::mt19937_64& generator, int count, bool clustered);

// A full copy of the history into a match state, as the window holds it.
MatchState matchStateOf(const Position& position);

// Seeded digits, each one kept.
class RecordingRandom final : public RandomSource {
public:
    explicit RecordingRandom(std::uint64_t seed) : source_(seed) {}
    int nextDigit() override {
        draws.push_back(source_.nextDigit());
        return draws.back();
    }
    std::vector<int> draws;

private:
    SeededRandom source_;
};

// Digits from a script, then a fixed digit.
class ScriptedRandom final : public RandomSource {
public:
    ScriptedRandom(std::vector<int> script, int afterwards) : script_(std::move(script)), afterwards_(afterwards) {}
    int nextDigit() override {
        ++drawn;
        return next_ < script_.size() ? script_[next_++] : afterwards_;
    }
    int drawn = 0;

private:
    std::vector<int> script_;
    std::size_t next_ = 0;
    int afterwards_;
};

// A gauge that remembers every value it showed.
class RecordingProgress final : public SearchProgress {
public:
    void setProgress(int percent) override {
        value_ = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
        shown.push_back(value_);
    }
    int progress() const override { return value_; }
    void repaintNow() override { ++repaints; }
    std::vector<int> shown;
    int repaints = 0;

private:
    int value_ = 0;
};

} // namespace kivola::testing
