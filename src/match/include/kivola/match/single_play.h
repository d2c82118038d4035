#pragma once
// A game against the computer from the first click to the result.

#include <optional>
#include <string>

#include "kivola/core/match_state.h"
#include "kivola/core/stone_display.h"
#include "kivola/opponent/opponent.h" // BoardPoint

namespace kivola {

// Texts as the player sees them (UTF-8).
namespace text {
inline constexpr const char* kPlayer = "玩家";
inline constexpr const char* kComputer = "电脑";
inline constexpr const char* kYouWin = "您赢了！";
inline constexpr const char* kYouLose = "您输了！";
inline constexpr const char* kDrawn = "和棋！";
inline constexpr const char* kResultCaption = "结果";
} // namespace text

inline constexpr int kPointPitch = 28;     // pixels between neighbouring points of the picture
inline constexpr int kPointerOffset = 9;   // subtracted before dividing

// The point under the pointer, or nothing when it lies off the 15 x 15 points.
std::optional<BoardPoint> pointFromPointer(int mouseX, int mouseY);

// What the match flow needs from the window around it.
class MatchHost {
public:
    virtual ~MatchHost() = default;
    // Stores the text and arms the one-shot notice, so the box opens after the handler ends.
    virtual void announceResult(const std::string& text) = 0;
    virtual void setSideLabels(const std::string& firstMover, const std::string& secondMover) = 0;
    // Copies the board to the opponent and runs its search.
    virtual BoardPoint GetComputerMove() = 0;
    // The local stone of a network match goes to the peer.
    virtual void sendStep(BoardPoint point) = 0;
};

class SinglePlayFlow {
public:
    SinglePlayFlow(MatchState& state, StoneDisplay& display, MatchHost& host)
        : state_(state), display_(display), host_(host) {}

    // The board click; the point comes from the last pointer position.
    void click(int mouseX, int mouseY);
    void ComputerMove();
    // Clears the board and sets the labels; the computer opens when it moves first.
    void startGame();
    // The clearing part of ending a game: the computer does not move.
    void resetForNoGame();

    static std::string resultTextFor(std::int32_t gameResult, bool localMoved);

private:
    void setLabelsForFirstMover();

    MatchState& state_;
    StoneDisplay& display_;
    MatchHost& host_;
};

} // namespace kivola
