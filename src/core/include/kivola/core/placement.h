#pragma once
// Reset, stone placement with result detection, and take-back.

#include "kivola/core/match_state.h"
#include "kivola/core/stone_display.h"

namespace kivola {

// Destroys every entry, empties the board and history count; keeps the option and mode flags.
void ClearBoard(MatchState& state, StoneDisplay& display);

// Raises stepCount first, then creates entry stepCount: callers rely on that order.
void PutOnPiece(MatchState& state, StoneDisplay& display, int x, int y, int colour);

// The one way a stone enters the game. Caller guarantees an empty playing point and fewer
// than 225 stones, and writes the board cell itself afterwards (1 for side 1, 2 for side 0).
void AddPiece(MatchState& state, StoneDisplay& display, int x, int y, int side);

// Takes back the last stone, and the one before it when that leaves the local player's stone
// last, so the local player is always to move afterwards. Nothing happens without a stone.
void TakeBackMoves(MatchState& state, StoneDisplay& display);

// Cell code of a side value: 1 for the local player, 2 for the other side.
constexpr std::int32_t cellCodeOfSide(int side) { return side == kSideOther ? kOtherStone : kLocalStone; }

// Colour 1 belongs to whoever moved first in this game.
constexpr int colourOfSide(int side, std::uint8_t computerFirst) { return computerFirst == 0 ? side : 1 - side; }

} // namespace kivola
