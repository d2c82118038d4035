#pragma once
// Reset, stone placement with result detection, and take-back.

#include "kivola/core/match_state.h"
#include "kivola/core/stone_display.h"

namespace kivola {

// Destroys every entry, empties the board and history count; keeps the option and mode flags.
void ClearBoard(MatchState& state, StoneDisplay& display);

// Raises stepCount first, then creates entry stepCount: callers rely on that order.
void PutOnPiece(MatchState& state, StoneDisplay& display, int x, int y, StoneColour colour);

// The one way a stone enters the game: judges the result, shows the stone, records it and writes
// its cell. Caller guarantees an empty playing point and fewer than 225 stones.
void AddPiece(MatchState& state, StoneDisplay& display, BoardPoint point, Side side);

// Takes back the newest stone alone: its entry, its cell and the count; the result is the
// caller's to judge. Nothing happens without a stone.
void TakeBackStone(MatchState& state, StoneDisplay& display);

// Takes back the last stone, and the one before it when that leaves the local player's stone
// last, so the local player is always to move afterwards. Nothing happens without a stone.
void TakeBackMoves(MatchState& state, StoneDisplay& display);

constexpr BoardCode cellCodeOfSide(Side side) { return isLocal(side) ? kLocalStone : kOtherStone; }

constexpr StoneColour colourOfSide(Side side, std::uint8_t computerFirst) {
    const bool firstMover = isLocal(side) == (computerFirst == 0);
    return firstMover ? StoneColour::First : StoneColour::Second;
}

} // namespace kivola
