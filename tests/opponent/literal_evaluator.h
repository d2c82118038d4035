#pragma once
// The reference evaluator: reads each line as text, character by character, and matches the
// pattern tables by substring in their try order. Slow on purpose; the production evaluator must
// agree with it on every cell.

#include <cstdint>
#include <string>

#include "kivola/core/match_state.h"
#include "kivola/opponent/evaluator.h"

namespace kivola::oracle {

// The text of the line through the stone at (x, y) along (dx, dy): far forward end marker,
// cells, the stone, cells, far backward end marker.
std::string LineText(const WorkBoard& workBoard, int x, int y, int dx, int dy);

std::int32_t PatternScore(const WorkBoard& workBoard, int x, int y, int side, bool bonuses);

// Puts 2, then 1 into the empty cell, reads both, and empties it again.
std::int32_t CellScore(WorkBoard& workBoard, int x, int y, int side, bool bonuses);

class LiteralEvaluator final : public CellEvaluator {
public:
    void attach(WorkBoard& workBoard, bool bonuses) override {
        board_ = &workBoard;
        bonuses_ = bonuses;
    }
    void stonePlaced(int, int, std::int32_t) override {}
    void stoneTakenBack(int, int, std::int32_t) override {}
    std::int32_t cellScore(int x, int y, int side) override { return CellScore(*board_, x, y, side, bonuses_); }

private:
    WorkBoard* board_ = nullptr;
    bool bonuses_ = true;
};

} // namespace kivola::oracle
