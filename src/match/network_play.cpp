// The match against a remote player: what the library's events do to it, the local stone and
// chat going out, restart answers and the end of the match.

#include "kivola/core/placement.h"
#include "kivola/match/match_controller.h"
#include "kivola/match/texts.h"
#include "kivola/net/chat_record.h"
#include "kivola/net/gbk_text.h"
#include "kivola/net/net_events.h"

namespace kivola {

namespace {

constexpr std::int32_t kStepBytes = 2 * static_cast<std::int32_t>(sizeof(std::int32_t));

} // namespace

const QString& MatchController::playerName(int seat) const {
    static const QString none;
    return isSeat(seat) ? playerNames_[static_cast<std::size_t>(seat)] : none;
}

bool MatchController::startNetMatch(void* window, NetEventCallback callback) {
    const Command command(*this);
    stopThinking();
    if (state_.netMode != 0) {
        if (!view_.confirm(Question::Reconnect)) {
            return false;
        }
        library_.SendDisconnect(0);
        releaseNetwork();
        state_.netMode = 0;
    }
    ClearBoard(state_, stones_);
    state_.playerCanMove = 0;
    // Drawn before the library's dialog keeps the window waiting.
    publish();
    if (library_.PrepareNetwork(window, callback) == 0) {
        return false;
    }
    state_.netMode = 1;
    publish();
    view_.clearChat();
    return true;
}

bool MatchController::receive(const NetEvent& event) {
    const Command command(*this);
    // Outside a match nothing the library says may touch a game against the computer.
    if (state_.netMode == 0) {
        return false;
    }
    switch (event.EventType) {
    case GameBegin: return onGameBegin(event);
    case YourTurn:
        state_.playerCanMove = 1;
        return true;
    case ChatText: return onChatText(event);
    case OneStep: return onOneStep(event);
    case RestartAsked:
    case PeerGone:
    case RestartRefused: return onSeatNotice(event);
    default: return false;
    }
}

bool MatchController::onGameBegin(const NetEvent& event) {
    const auto begin = readGameBegin(event);
    if (!begin) {
        return false;
    }
    playerNames_[kFirstSeat] = begin->firstName;
    playerNames_[kSecondSeat] = begin->secondName;
    // A question about the game that just gave way must not be answered into the new one; the
    // library has answered it already.
    view_.withdrawNotice(Notice::RestartAsked);
    ClearBoard(state_, stones_);
    state_.computerFirst = static_cast<std::uint8_t>(begin->seat - 1);
    state_.playerCanMove = 0;
    firstMover_ = begin->firstName;
    secondMover_ = begin->secondName;
    return true;
}

bool MatchController::onChatText(const NetEvent& event) {
    const auto line = readChatText(event);
    if (!line) {
        return false;
    }
    const auto shown = chatRecordLine(*line, playerNames_[kFirstSeat], playerNames_[kSecondSeat]);
    if (!shown) {
        return false;
    }
    view_.appendChatLine(*shown);
    return true;
}

bool MatchController::onOneStep(const NetEvent& event) {
    const auto point = readStep(event);
    // A stone the local player could not have waited for, or one that would overwrite the
    // game, is refused before it reaches the board.
    if (!point || !isPlayingPoint(point->x, point->y) || state_.board[point->x][point->y] != kEmpty ||
        state_.playerCanMove == 1 || state_.gameResult != kInProgress) {
        return false;
    }
    place(*point, kSideOther);
    stones_.startBlink();
    if (state_.gameResult != kInProgress) {
        announceResult(false);
    }
    return true;
}

bool MatchController::onSeatNotice(const NetEvent& event) {
    if (!isSeat(event.Seat)) {
        return false;
    }
    const QString& name = playerNames_[static_cast<std::size_t>(event.Seat)];
    if (event.EventType == RestartAsked) {
        announce(Notice::RestartAsked, name + utf8(nettext::kRestartAsked));
    } else if (event.EventType == RestartRefused) {
        announce(Notice::RestartRefused, name + utf8(nettext::kRestartRefused));
    } else {
        view_.withdrawNotice(Notice::RestartAsked);
        const bool lost = event.LinkLost != 0;
        announce(lost ? Notice::LinkLost : Notice::PeerQuit, name + utf8(lost ? nettext::kLinkLost : nettext::kPeerQuit));
    }
    view_.closeAboutBox();
    return true;
}

// When the library does not send the stone, the stone and any result it made are taken back,
// and the player waits for the library's next word.
bool MatchController::sendStep(BoardPoint point) {
    outgoingStep_ = {point.x, point.y};
    if (library_.SendOneStep(kStepBytes, outgoingStep_.data()) != 0) {
        return true;
    }
    takeBackUnsentStone(point);
    return false;
}

// The peer never saw the stone, so both boards would differ from here on. Whether the local
// player may move again is for the library to say (YourTurn, GameBegin or PeerGone).
void MatchController::takeBackUnsentStone(BoardPoint point) {
    const auto k = static_cast<std::size_t>(state_.stepCount);
    if (k > 0 && state_.stepX[k] == point.x && state_.stepY[k] == point.y && state_.stepSide[k] == kSideLocal) {
        TakeBackStone(state_, stones_);
        if (state_.gameResult != kInProgress) {
            state_.gameResult = kInProgress;
            view_.withdrawNotice(Notice::Result);
            noticeTexts_[static_cast<std::size_t>(Notice::Result)].clear();
        }
    }
    state_.playerCanMove = 0;
}

bool MatchController::sendChat(const QString& line) {
    if (line.isEmpty()) {
        return false;
    }
    const auto gbk = toGbk(line);
    if (!gbk) {
        return false;
    }
    // The count includes the terminating NUL, which QByteArray keeps behind its data.
    library_.SendChat(static_cast<std::int32_t>(gbk->size()) + 1, gbk->constData());
    return true;
}

void MatchController::answerRestart(bool agree) { library_.ReplyRestart(agree ? kReplyAgree : kReplyRefuse); }

void MatchController::releaseNetwork() {
    library_.ReleaseNetWork();
    view_.networkReleased();
}

void MatchController::endMatch() {
    const Command command(*this);
    view_.withdrawNotice(Notice::RestartAsked);
    // The match they would end is over; a later repeat of either would end the next one.
    view_.withdrawNotice(Notice::PeerQuit);
    view_.withdrawNotice(Notice::LinkLost);
    clearForNoGame();
    state_.netMode = 0;
    state_.gameStarted = 0;
}

void MatchController::afterPeerQuit() {
    const Command command(*this);
    if (state_.netMode != 0) {
        endMatch();
    }
}

void MatchController::afterLinkLost() {
    const Command command(*this);
    if (state_.netMode != 0) {
        releaseNetwork();
        endMatch();
    }
}

bool MatchController::mayClose() { return state_.netMode == 0 || view_.confirm(Question::Close); }

void MatchController::shutDown() {
    stopThinking();
    if (state_.netMode != 0) {
        library_.SendDisconnect(0);
    }
    // Released even when no match was ever opened.
    library_.ReleaseNetWork();
}

} // namespace kivola
