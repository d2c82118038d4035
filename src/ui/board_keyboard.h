#pragma once
// The board from the keyboard and the wheel: a cursor to play with, and looking back at the
// moves. Neither changes the game; playing at the cursor is a click on that point.

#include <functional>

#include "kivola/match/board_keys.h"

class QWidget;

namespace kivola {

class BoardView;
class MatchController;

class BoardKeyboard {
public:
    // picture: the board picture, which carries the board's accessible name and the cursor's
    // description. play: what a click on the point does.
    BoardKeyboard(BoardView& board, QWidget& picture, const MatchController& match,
                  std::function<void(BoardPoint)> play);

    // True when the key was the board's.
    bool key(int key);
    // Wheel notches over the board: up (positive) steps back, down forward.
    void wheel(int notches);
    // The live board again, and no cursor: a click, a command or a network event.
    void leave();
    // The mouse is in use: the cursor goes.
    void pointerUsed();
    bool reviewing();

private:
    void review(ReviewStep step);
    void describe();

    BoardView& board_;
    QWidget& picture_;
    const MatchController& match_;
    std::function<void(BoardPoint)> play_;
    MoveReview review_;
    BoardCursor cursor_;
};

} // namespace kivola
