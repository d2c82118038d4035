#pragma once
// Looking back at a game and playing it from the keyboard. Both change only what the board shows
// and where the keyboard's cursor stands, never the game.

#include <QString>
#include <Qt>
#include <optional>

#include "kivola/core/match_state.h"

namespace kivola {

// Whether the moves may be stepped through now. Never while a peer's stone may arrive (a network
// game not yet decided) or while the computer is to move: a stone must never land unseen.
bool reviewOffered(const MatchState& state);

enum class ReviewStep { Back, Forward, First, Last };

class MoveReview {
public:
    bool active() const { return active_; }
    // The stones the board shows, 0..stepCount: all of them unless reviewing.
    int shown(const MatchState& state) const { return active_ ? shown_ : state.stepCount; }
    // True when what the board shows changed. Back or First from the live board starts a review;
    // it goes on until leave(), also at the last move.
    bool step(const MatchState& state, ReviewStep step);
    void leave() { active_ = false; }

private:
    bool active_ = false;
    int shown_ = 0;
};

// "第 k / n 手"
QString reviewCaption(int shown, int stones);

class BoardCursor {
public:
    bool visible() const { return visible_; }
    BoardPoint point() const { return point_; }
    // The first move shows the cursor on the last stone shown (the centre on an empty board);
    // later ones move it by (dx, dy), held within the points.
    void move(const MatchState& state, int shown, int dx, int dy);
    void hide() { visible_ = false; }

private:
    bool visible_ = false;
    BoardPoint point_{kCentre, kCentre};
};

// What a screen reader says of a point among the first shown stones: "第 8 行 第 8 列，黑子".
// The first mover's stones are black.
QString pointDescription(const MatchState& state, int shown, BoardPoint point);

// What a key on the board does. The arrows move the cursor; Left and Right step through the moves
// instead while the cursor is hidden (the mouse was used last, or the game is over) and a review
// is offered.
enum class BoardKey { None, CursorMove, Play, Review, Leave };
struct BoardKeyAction {
    BoardKey kind = BoardKey::None;
    int dx = 0;
    int dy = 0;
    ReviewStep step = ReviewStep::Back;
};
BoardKeyAction boardKeyAction(int key, bool cursorVisible, bool offered, bool reviewing);

} // namespace kivola
