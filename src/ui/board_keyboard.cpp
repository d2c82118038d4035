#include "board_keyboard.h"

#include <QAccessible>
#include <QWidget>
#include <cstdlib>

#include "board_view.h"
#include "kivola/match/match_controller.h"

namespace kivola {

BoardKeyboard::BoardKeyboard(BoardView& board, QWidget& picture, const MatchController& match,
                             std::function<void(BoardPoint)> play)
    : board_(board), picture_(picture), match_(match), play_(std::move(play)) {
    picture_.setAccessibleName(QStringLiteral("棋盘"));
    picture_.setAccessibleDescription(QStringLiteral("方向键移动光标，回车或空格在光标处落子"));
}

bool BoardKeyboard::reviewing() {
    // A stone placed or taken back has already brought the live board back.
    if (review_.active() && !board_.reviewing()) {
        review_.leave();
    }
    return review_.active();
}

bool BoardKeyboard::key(int key) {
    const MatchState& state = match_.state();
    const bool offered = reviewOffered(state) && !match_.computerThinking();
    const BoardKeyAction action = boardKeyAction(key, board_.cursorShown(), offered, reviewing());
    switch (action.kind) {
    case BoardKey::None:
        return false;
    case BoardKey::Review:
        review(action.step);
        break;
    case BoardKey::CursorMove:
        cursor_.move(state, review_.shown(state), action.dx, action.dy);
        board_.showCursor(cursor_.point());
        describe();
        break;
    case BoardKey::Play:
        play_(cursor_.point());
        describe();
        break;
    case BoardKey::Leave:
        leave();
        break;
    }
    return true;
}

void BoardKeyboard::wheel(int notches) {
    if (notches == 0 || !reviewOffered(match_.state()) || match_.computerThinking()) {
        return;
    }
    reviewing();
    for (int n = 0; n < std::abs(notches); ++n) {
        review(notches > 0 ? ReviewStep::Back : ReviewStep::Forward);
    }
}

void BoardKeyboard::review(ReviewStep step) {
    const MatchState& state = match_.state();
    if (review_.step(state, step)) {
        board_.showFirstStones(review_.shown(state));
    }
    if (board_.cursorShown()) {
        describe();
    }
}

void BoardKeyboard::leave() {
    review_.leave();
    board_.showAllStones();
    pointerUsed();
}

void BoardKeyboard::pointerUsed() {
    if (cursor_.visible()) {
        cursor_.hide();
        board_.hideCursor();
    }
}

void BoardKeyboard::describe() {
    const MatchState& state = match_.state();
    picture_.setAccessibleDescription(pointDescription(state, review_.shown(state), cursor_.point()));
    QAccessibleEvent event(&picture_, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

} // namespace kivola
