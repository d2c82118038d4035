#include "kivola/core/saved_game.h"

#include "kivola/core/placement.h"

namespace kivola {

std::vector<std::uint8_t> EncodeSavedGame(const MatchState& state) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kSavedHeaderBytes + kSavedStoneBytes * state.stepCount);
    bytes.push_back(state.stepCount);
    bytes.push_back(state.computerFirst);
    for (int k = 1; k <= state.stepCount; ++k) {
        bytes.push_back(state.stepX[k]);
        bytes.push_back(state.stepY[k]);
        bytes.push_back(static_cast<std::uint8_t>(state.stepSide[k]));
    }
    return bytes;
}

SavedGameDecoding DecodeSavedGame(std::span<const std::uint8_t> bytes) {
    SavedGameDecoding out;
    out.actual = bytes.size();
    auto refuse = [&out](SavedGameFault fault, int stone = 0) {
        out.fault = fault;
        out.stone = stone;
        out.game.stones.clear();
        return out;
    };
    if (bytes.size() < kSavedHeaderBytes) {
        out.needed = kSavedHeaderBytes;
        return refuse(SavedGameFault::MissingHeader);
    }
    const int count = bytes[0];
    if (count > kMaxStones) {
        return refuse(SavedGameFault::TooManyStones);
    }
    if (bytes[1] > 1) {
        return refuse(SavedGameFault::BadFirstMover);
    }
    out.game.computerFirst = bytes[1];
    out.needed = kSavedHeaderBytes + kSavedStoneBytes * static_cast<std::size_t>(count);
    if (bytes.size() < out.needed) {
        return refuse(SavedGameFault::Truncated);
    }
    std::array<std::array<bool, kBoardSpan>, kBoardSpan> taken{};
    out.game.stones.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::size_t at = kSavedHeaderBytes + kSavedStoneBytes * static_cast<std::size_t>(i);
        const SavedStone stone{bytes[at], bytes[at + 1], bytes[at + 2]};
        if (!isPlayingPoint(stone.x, stone.y)) {
            return refuse(SavedGameFault::PointOffBoard, i + 1);
        }
        if (taken[stone.x][stone.y]) {
            return refuse(SavedGameFault::PointTakenTwice, i + 1);
        }
        taken[stone.x][stone.y] = true;
        out.game.stones.push_back(stone);
    }
    return out;
}

void ReplaySavedGame(MatchState& state, StoneDisplay& display, const SavedGame& game,
                     const std::function<void()>& afterStone) {
    ClearBoard(state, display);
    state.computerFirst = game.computerFirst;
    state.playerCanMove = static_cast<std::uint8_t>(1 - game.computerFirst);
    for (const SavedStone& stone : game.stones) {
        // The raw byte goes into the history, so saving again writes what was read.
        AddPiece(state, display, {stone.x, stone.y}, Side{stone.side});
        state.playerCanMove = static_cast<std::uint8_t>(1 - state.playerCanMove);
        if (afterStone) {
            afterStone();
        }
    }
}

} // namespace kivola
