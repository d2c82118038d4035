#include "kivola/match/board_keys.h"

#include <algorithm>
#include <cassert>

#include "kivola/core/placement.h"

namespace kivola {

bool reviewOffered(const MatchState& state) {
    if (state.stepCount == 0) {
        return false;
    }
    if (state.gameResult != kInProgress) {
        return true;
    }
    return state.netMode == 0 && state.playerCanMove != 0;
}

bool MoveReview::step(const MatchState& state, ReviewStep step) {
    const int stones = state.stepCount;
    const int before = shown(state);
    if (!active_ && (step == ReviewStep::Forward || step == ReviewStep::Last)) {
        return false; // already at the game as it stands
    }
    int after = before;
    switch (step) {
    case ReviewStep::Back:
        after = std::max(0, before - 1);
        break;
    case ReviewStep::Forward:
        after = std::min(stones, before + 1);
        break;
    case ReviewStep::First:
        after = 0;
        break;
    case ReviewStep::Last:
        after = stones;
        break;
    }
    if (!active_ && after == before) {
        return false;
    }
    active_ = true;
    shown_ = after;
    return after != before;
}

QString reviewCaption(int shown, int stones) { return QStringLiteral("第 %1 / %2 手").arg(shown).arg(stones); }

void BoardCursor::move(const MatchState& state, int shown, int dx, int dy) {
    assert(shown >= 0 && shown <= state.stepCount);
    if (!visible_) {
        visible_ = true;
        point_ = shown > 0 ? BoardPoint{state.stepX[static_cast<std::size_t>(shown)], state.stepY[static_cast<std::size_t>(shown)]}
                           : BoardPoint{kCentre, kCentre};
        return;
    }
    point_.x = std::clamp(point_.x + dx, kFirstPoint, kLastPoint);
    point_.y = std::clamp(point_.y + dy, kFirstPoint, kLastPoint);
}

QString pointDescription(const MatchState& state, int shown, BoardPoint point) {
    QString what = QStringLiteral("空");
    for (int k = 1; k <= shown; ++k) {
        const auto step = static_cast<std::size_t>(k);
        if (state.stepX[step] == point.x && state.stepY[step] == point.y) {
            const bool black = colourOfSide(state.stepSide[step], state.computerFirst) == StoneColour::First;
            what = black ? QStringLiteral("黑子") : QStringLiteral("白子");
        }
    }
    return QStringLiteral("第 %1 行 第 %2 列，%3").arg(point.y).arg(point.x).arg(what);
}

BoardKeyAction boardKeyAction(int key, bool cursorVisible, bool offered, bool reviewing) {
    const bool reviewKeys = offered && (reviewing || !cursorVisible);
    switch (key) {
    case Qt::Key_Left:
        return reviewKeys ? BoardKeyAction{BoardKey::Review, 0, 0, ReviewStep::Back} : BoardKeyAction{BoardKey::CursorMove, -1, 0};
    case Qt::Key_Right:
        return reviewKeys ? BoardKeyAction{BoardKey::Review, 0, 0, ReviewStep::Forward} : BoardKeyAction{BoardKey::CursorMove, 1, 0};
    case Qt::Key_Home:
        return offered ? BoardKeyAction{BoardKey::Review, 0, 0, ReviewStep::First} : BoardKeyAction{};
    case Qt::Key_End:
        return offered ? BoardKeyAction{BoardKey::Review, 0, 0, ReviewStep::Last} : BoardKeyAction{};
    case Qt::Key_Up:
        return reviewing ? BoardKeyAction{} : BoardKeyAction{BoardKey::CursorMove, 0, -1};
    case Qt::Key_Down:
        return reviewing ? BoardKeyAction{} : BoardKeyAction{BoardKey::CursorMove, 0, 1};
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        return reviewing ? BoardKeyAction{BoardKey::Leave} : (cursorVisible ? BoardKeyAction{BoardKey::Play} : BoardKeyAction{});
    case Qt::Key_Escape:
        return reviewing || cursorVisible ? BoardKeyAction{BoardKey::Leave} : BoardKeyAction{};
    default:
        return {};
    }
}

} // namespace kivola
