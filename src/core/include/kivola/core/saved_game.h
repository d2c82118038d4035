#pragma once
// The .rur file: stone count, first-mover flag, then column, row and side of each stone.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "kivola/core/match_state.h"
#include "kivola/core/stone_display.h"

namespace kivola {

struct SavedStone {
    std::uint8_t x = 0;
    std::uint8_t y = 0;
    std::uint8_t side = 0; // kept as read: any nonzero byte places a local stone
};

struct SavedGame {
    std::uint8_t computerFirst = 0;
    std::vector<SavedStone> stones;
};

enum class SavedGameFault {
    None,
    MissingHeader,     // fewer than the two header bytes
    TooManyStones,     // count above 225
    BadFirstMover,     // first-mover byte other than 0 or 1
    Truncated,         // shorter than 2 + 3 * count
    PointOffBoard,     // column or row outside 1..15
    PointTakenTwice,   // the same point named by two stones
};

struct SavedGameDecoding {
    SavedGame game;
    SavedGameFault fault = SavedGameFault::None;
    int stone = 0;              // 1-based stone the fault was found at, 0 for header faults
    std::size_t needed = 0;     // bytes the count announces, for Truncated
    std::size_t actual = 0;     // bytes present

    bool ok() const { return fault == SavedGameFault::None; }
};

inline constexpr std::size_t kSavedHeaderBytes = 2;
inline constexpr std::size_t kSavedStoneBytes = 3;

std::vector<std::uint8_t> EncodeSavedGame(const MatchState& state);

// Checks everything before a caller touches the game, so a refused file changes nothing.
SavedGameDecoding DecodeSavedGame(std::span<const std::uint8_t> bytes);

// Clears the match and replays the stones through AddPiece. afterStone runs after each stone
// (the window redraws there so the stones appear one after another).
void ReplaySavedGame(MatchState& state, StoneDisplay& display, const SavedGame& game,
                     const std::function<void()>& afterStone = {});

} // namespace kivola
