#include "kivola/match/single_play.h"

#include "kivola/core/placement.h"

namespace kivola {

std::optional<BoardPoint> pointFromPointer(int mouseX, int mouseY) {
    // Division truncates toward zero, so pixels 0..36 still give point 1.
    const int x = (mouseX - kPointerOffset) / kPointPitch + 1;
    const int y = (mouseY - kPointerOffset) / kPointPitch + 1;
    if (!isPlayingPoint(x, y)) {
        return std::nullopt;
    }
    return BoardPoint{x, y};
}

std::string SinglePlayFlow::resultTextFor(std::int32_t gameResult, bool localMoved) {
    if (gameResult == kDraw) {
        return text::kDrawn;
    }
    return localMoved ? text::kYouWin : text::kYouLose;
}

void SinglePlayFlow::click(int mouseX, int mouseY) {
    if (state_.gameResult != kInProgress || state_.playerCanMove != 1) {
        return;
    }
    const auto point = pointFromPointer(mouseX, mouseY);
    if (!point || state_.board[point->x][point->y] != kEmpty) {
        return;
    }
    const bool network = state_.netMode != 0;
    if (!network && state_.gameStarted == 0) {
        return;
    }
    AddPiece(state_, display_, *point, kSideLocal);
    display_.bringPieceToFront(state_.stepCount);
    if (state_.gameResult != kInProgress) {
        host_.announceResult(resultTextFor(state_.gameResult, true));
        if (network) {
            host_.sendStep(*point);
        }
        return;
    }
    state_.playerCanMove = 0;
    if (network) {
        host_.sendStep(*point);
    } else {
        ComputerMove();
    }
}

void SinglePlayFlow::ComputerMove() {
    display_.stopBlink();
    if (state_.stepCount > 0) {
        display_.showPiece(state_.stepCount);
    }
    const BoardPoint point = host_.GetComputerMove();
    display_.startBlink();
    state_.playerCanMove = 1;
    AddPiece(state_, display_, point, kSideOther);
    if (state_.gameResult != kInProgress) {
        host_.announceResult(resultTextFor(state_.gameResult, false));
    }
}

void SinglePlayFlow::setLabelsForFirstMover() {
    if (state_.computerFirst == 1) {
        host_.setSideLabels(text::kComputer, text::kPlayer);
    } else {
        host_.setSideLabels(text::kPlayer, text::kComputer);
    }
}

void SinglePlayFlow::startGame() {
    state_.computerFirst = state_.computerFirstOption;
    ClearBoard(state_, display_);
    setLabelsForFirstMover();
    if (state_.computerFirst == 1) {
        state_.playerCanMove = 0;
        ComputerMove();
    }
}

void SinglePlayFlow::resetForNoGame() {
    state_.computerFirst = state_.computerFirstOption;
    ClearBoard(state_, display_);
    setLabelsForFirstMover();
}

} // namespace kivola
