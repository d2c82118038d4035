#include "kivola/match/match_controller.h"

#include "kivola/core/placement.h"
#include "kivola/core/winning_line.h"
#include "kivola/match/texts.h"

#include <utility>

namespace kivola {

namespace {

constexpr std::array<std::int32_t, 3> kLevelDepths{kBeginnerDepth, kIntermediateDepth, kAdvancedDepth};

} // namespace

MatchController::MatchController(MatchView& view, StoneDisplay& stones, SearchProgress& progress,
                                 ComputerPlayer& computer, NetLibrary& library)
    : view_(view), stones_(stones), progress_(progress), computer_(computer), library_(library) {
    computer_.setSearchDepth(kLevelDepths[static_cast<std::size_t>(level_)]);
    // The gauge shows the share of the master's budget spent so far.
    thinkingGauge_.setInterval(50);
    QObject::connect(&thinkingGauge_, &QTimer::timeout, &answers_, [this] { progress_.setProgress(master_.percentSpent()); });
}

void MatchController::publish() {
    if (state_.gameResult != kLocalStone && state_.gameResult != kOtherStone) {
        winningLine_ = {};
    }
    MatchReport now{controls(),   computerFirstOption(), level_, firstMover_, secondMover_,
                    winningLine_, state_.gameResult != kInProgress};
    if (now != reported_) {
        const MatchReport before = std::exchange(reported_, std::move(now));
        view_.matchChanged(reported_, before);
    }
}

void MatchController::noteStone() {
    if (state_.gameResult != kLocalStone && state_.gameResult != kOtherStone) {
        winningLine_ = {};
    } else if (winningLine_.stone == 0) {
        // Stones played past the result leave the deciding line as it was.
        winningLine_ = LineOfNewestStone(state_);
    }
}

void MatchController::place(BoardPoint point, Side side) {
    AddPiece(state_, stones_, point, side);
    noteStone();
}

MatchMode MatchController::mode() const {
    if (state_.netMode != 0) {
        return MatchMode::Network;
    }
    return state_.gameStarted != 0 ? MatchMode::Single : MatchMode::None;
}

Controls MatchController::controls() const {
    const bool net = state_.netMode != 0;
    const bool started = state_.gameStarted != 0;
    Controls c;
    c.save = !net && started;
    c.load = !net;
    c.regret = !net && state_.stepCount >= 2 && state_.gameResult == kInProgress;
    c.restart = started || net;
    c.endGame = started || net;
    c.singlePlay = !net;
    c.netPlay = net || !started;
    c.options = !net && !started;
    c.chatArea = net;
    return c;
}

QString MatchController::resultTextFor(std::int32_t gameResult, bool localMoved) {
    if (gameResult == kDraw) {
        return utf8(text::kDrawn);
    }
    return utf8(localMoved ? text::kYouWin : text::kYouLose);
}

void MatchController::reset() {
    const Command command(*this);
    stopThinking();
    stones_.stopBlink();
    state_.gameResult = kInProgress;
    state_.netMode = 0;
    state_.computerFirst = 0;
    state_.computerFirstOption = 0;
    state_.stepCount = 0;
    state_.playerCanMove = 1;
    state_.board = emptyBoard();
    state_.gameStarted = 0;
}

void MatchController::setComputerFirst(bool computerFirst) {
    const Command command(*this);
    state_.computerFirstOption = computerFirst ? 1 : 0;
}

void MatchController::setLevel(Level level) {
    const Command command(*this);
    level_ = level;
    // The fixed-depth opponent keeps its depth while the master plays.
    if (level != Level::Master) {
        computer_.setSearchDepth(kLevelDepths[static_cast<std::size_t>(level)]);
    }
}

// Clears the board and sets the labels; the computer opens when it moves first.
void MatchController::startGame() {
    clearForNoGame();
    if (state_.computerFirst == 1) {
        state_.playerCanMove = 0;
        ComputerMove();
    }
}

void MatchController::clearForNoGame() {
    stopThinking();
    master_.newGame();
    state_.computerFirst = state_.computerFirstOption;
    ClearBoard(state_, stones_);
    showSingleSideLabels(state_.computerFirst == 1);
}

void MatchController::showSingleSideLabels(bool computerFirst) {
    const QString player = utf8(text::kPlayer);
    const QString computer = utf8(text::kComputer);
    firstMover_ = computerFirst ? computer : player;
    secondMover_ = computerFirst ? player : computer;
}

void MatchController::startSinglePlay() {
    const Command command(*this);
    state_.gameStarted = 1;
    publish();
    startGame();
}

void MatchController::restart() {
    const Command command(*this);
    if (state_.netMode != 0) {
        library_.RequireRestart();
        return;
    }
    startGame();
}

void MatchController::takeBack() {
    const Command command(*this);
    // Taken back while the master thinks, the player's own stone goes and the player moves again.
    stopThinking();
    TakeBackMoves(state_, stones_);
}

void MatchController::click(BoardPoint point) {
    const Command command(*this);
    if (state_.gameResult != kInProgress || state_.playerCanMove != 1) {
        return;
    }
    if (!isPlayingPoint(point.x, point.y) || state_.board[point.x][point.y] != kEmpty) {
        return;
    }
    if (state_.netMode == 0 && state_.gameStarted == 0) {
        return;
    }
    placeLocalStone(point);
}

void MatchController::placeLocalStone(BoardPoint point) {
    place(point, kSideLocal);
    stones_.bringPieceToFront(state_.stepCount);
    const bool decided = state_.gameResult != kInProgress;
    if (decided) {
        announceResult(true);
    } else {
        state_.playerCanMove = 0;
    }
    if (state_.netMode != 0) {
        sendStep(point);
    } else if (!decided) {
        ComputerMove();
    }
}

void MatchController::ComputerMove() {
    const Command command(*this);
    stones_.stopBlink();
    if (state_.stepCount > 0) {
        stones_.showPiece(state_.stepCount);
    }
    // The window shows the match as it stands while the search keeps it waiting.
    publish();
    if (level_ == Level::Master) {
        progress_.setProgress(0);
        thinkingGauge_.start();
        master_.think(state_, &answers_, [this](BoardPoint point) {
            const Command answered(*this);
            thinkingGauge_.stop();
            progress_.setProgress(100);
            // Every command that changes the board stops the search first; this only guards it.
            if (state_.gameResult == kInProgress && state_.playerCanMove == 0 && isPlayingPoint(point.x, point.y) &&
                state_.board[point.x][point.y] == kEmpty) {
                finishComputerMove(point);
            }
        });
        return;
    }
    finishComputerMove(GetComputerMove());
}

void MatchController::stopThinking() {
    if (!master_.thinking()) {
        return;
    }
    master_.cancel();
    thinkingGauge_.stop();
    progress_.setProgress(0);
    state_.playerCanMove = 1;
    stones_.startBlink();
}

void MatchController::finishComputerMove(BoardPoint point) {
    stones_.startBlink();
    state_.playerCanMove = 1;
    place(point, kSideOther);
    if (state_.gameResult != kInProgress) {
        announceResult(false);
    }
}

BoardPoint MatchController::GetComputerMove() {
    // The beginner plays without the shape bonuses.
    return computer_.FindComputerMove(state_, level_ != Level::Beginner, progress_);
}

void MatchController::announce(Notice notice, const QString& text) {
    noticeTexts_[static_cast<std::size_t>(notice)] = text;
    view_.armNotice(notice);
}

void MatchController::announceResult(bool localMoved) {
    announce(Notice::Result, resultTextFor(state_.gameResult, localMoved));
}

void MatchController::loadGame(const SavedGame& game) {
    // The panel names the file's first mover as black, whatever the option says, before the
    // stones appear.
    const Command command(*this);
    stopThinking();
    showSingleSideLabels(game.computerFirst == 1);
    winningLine_ = {};
    publish();
    ReplaySavedGame(state_, stones_, game, [this] {
        noteStone();
        view_.stoneReplayed();
    });
    state_.gameStarted = 1;
    publish();
    // A game left with the computer to move goes on as if it had been played here.
    if (state_.gameResult == kInProgress && state_.playerCanMove == 0) {
        ComputerMove();
    }
}

bool MatchController::endGame() {
    const Command command(*this);
    if (state_.netMode != 0) {
        if (!view_.confirm(Question::EndNetMatch)) {
            return false;
        }
        // The library stays loaded: a later start of network play opens it anew.
        library_.SendDisconnect(0);
    }
    endMatch();
    return true;
}

} // namespace kivola
