#pragma once
// The one match state of the program: board, move history, result and turn flags.

#include <array>
#include <cstdint>

namespace kivola {

inline constexpr int kBoardSize = 15;             // playing points per side
inline constexpr int kBoardSpan = kBoardSize + 2; // with the ring of -1 around them
inline constexpr int kMaxStones = kBoardSize * kBoardSize;
inline constexpr int kHistoryLength = 300;
inline constexpr int kFirstPoint = 1;
inline constexpr int kLastPoint = kBoardSize;
inline constexpr int kCentre = (kBoardSize + 1) / 2;

// What a cell of `board` holds. Its number is what the search and the winner's `gameResult`
// work with, so it reads as an int; nothing converts into it unasked.
enum BoardCode : std::int32_t {
    kRing = -1,
    kEmpty = 0,
    kLocalStone = 1, // the local player
    kOtherStone = 2, // the computer, or the remote player
};

// Values of `gameResult` besides the winner's board code.
inline constexpr std::int32_t kInProgress = 0;
inline constexpr std::int32_t kDraw = 10;

// Who placed a stone of the history. A saved file's byte is kept as read, so any value other than
// Other is the local player's.
enum class Side : std::uint8_t { Other = 0, Local = 1 };
inline constexpr Side kSideLocal = Side::Local;
inline constexpr Side kSideOther = Side::Other;
constexpr bool isLocal(Side side) { return side != Side::Other; }

// The picture a stone shows: First belongs to whoever moved first in this game.
enum class StoneColour : std::uint8_t { Second = 0, First = 1 };

// A point of the board, column then row.
struct BoardPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const BoardPoint&, const BoardPoint&) = default;
};

constexpr bool isPlayingPoint(int x, int y) {
    return x >= kFirstPoint && x <= kLastPoint && y >= kFirstPoint && y <= kLastPoint;
}

// Indexed [x][y]: the 17 cells of column x are contiguous, so cell (x, y) sits at 17x + y.
using Board = std::array<std::array<BoardCode, kBoardSpan>, kBoardSpan>;

// Board with every playing point empty and the ring set.
Board emptyBoard();

struct MatchState {
    Board board = emptyBoard();
    // Entry k (1..stepCount) is stone k; entry 0 is unused and later entries are stale.
    std::array<std::uint8_t, kHistoryLength> stepX{};
    std::array<std::uint8_t, kHistoryLength> stepY{};
    std::array<Side, kHistoryLength> stepSide{};
    std::uint8_t stepCount = 0;
    std::int32_t gameResult = kInProgress;
    std::uint8_t playerCanMove = 1;
    std::uint8_t computerFirst = 0;
    std::uint8_t computerFirstOption = 0;
    std::uint8_t netMode = 0;
    std::uint8_t gameStarted = 0;
};

static_assert(sizeof(Board) == kBoardSpan * kBoardSpan * sizeof(std::int32_t),
              "the board must be one contiguous block, column after column");

} // namespace kivola
