#include "kivola/net/net_match.h"

#include <cstring>

#include "kivola/core/placement.h"
#include "kivola/net/chat_record.h"
#include "kivola/net/gbk_text.h"

namespace kivola {

namespace {

QString utf8(const char* text) { return QString::fromUtf8(text); }

bool isSeat(std::int32_t seat) { return seat == kFirstSeat || seat == kSecondSeat; }

// GameBegin reads only the low byte of its seat.
constexpr std::int32_t lowByte(std::int32_t value) { return value & 0xFF; }

constexpr std::int32_t kStepBytes = 2 * static_cast<std::int32_t>(sizeof(std::int32_t));

} // namespace

std::optional<QByteArray> boundedCString(const char* data) {
    if (data == nullptr) {
        return std::nullopt;
    }
    const std::size_t length = strnlen(data, kLongestEventText + 1);
    if (length > kLongestEventText) {
        return std::nullopt;
    }
    return QByteArray(data, static_cast<qsizetype>(length));
}

const QString& NetMatch::playerName(int seat) const {
    static const QString none;
    return isSeat(seat) ? playerNames_[static_cast<std::size_t>(seat)] : none;
}

bool NetMatch::receive(const NetEvent& event) {
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

bool NetMatch::onGameBegin(const NetEvent& event) {
    const std::int32_t seat = lowByte(event.Seat);
    if (!isSeat(seat)) {
        return false;
    }
    const char* data = static_cast<const char*>(event.Data);
    const auto first = boundedCString(data);
    if (!first) {
        return false;
    }
    const auto second = boundedCString(data + first->size() + 1);
    if (!second) {
        return false;
    }
    const auto name1 = nw::gbkToUtf8(first->toStdString());
    const auto name2 = nw::gbkToUtf8(second->toStdString());
    if (!name1 || !name2) {
        return false;
    }
    playerNames_[kFirstSeat] = QString::fromStdString(*name1);
    playerNames_[kSecondSeat] = QString::fromStdString(*name2);
    // A question about the game that just gave way must not be answered into the new one.
    window_.withdrawRestartQuestions();
    window_.showMatchArea();
    state_.netMode = 1;
    ClearBoard(state_, display_);
    state_.computerFirst = static_cast<std::uint8_t>(seat - 1);
    state_.playerCanMove = 0;
    window_.setSeatLabels(playerNames_[kFirstSeat], playerNames_[kSecondSeat]);
    return true;
}

bool NetMatch::onChatText(const NetEvent& event) {
    const auto bytes = boundedCString(static_cast<const char*>(event.Data));
    if (!bytes) {
        return false;
    }
    const auto line = nw::gbkToUtf8(bytes->toStdString());
    if (!line) {
        return false;
    }
    const auto shown = chatRecordLine(QString::fromStdString(*line), playerNames_[kFirstSeat], playerNames_[kSecondSeat]);
    if (!shown) {
        return false;
    }
    window_.appendChatLine(*shown);
    return true;
}

bool NetMatch::onOneStep(const NetEvent& event) {
    if (event.Data == nullptr) {
        return false;
    }
    std::int32_t point[2];
    std::memcpy(point, event.Data, sizeof point);
    const int column = point[0];
    const int row = point[1];
    // A stone the local player could not have waited for, or one that would overwrite the
    // game, is refused before it reaches the board.
    if (!isPlayingPoint(column, row) || state_.board[column][row] != kEmpty || state_.playerCanMove == 1 ||
        state_.gameResult != kInProgress) {
        return false;
    }
    AddPiece(state_, display_, {column, row}, kSideOther);
    display_.startBlink();
    if (state_.gameResult != kInProgress) {
        host_.announceResult(SinglePlayFlow::resultTextFor(state_.gameResult, false));
    }
    return true;
}

bool NetMatch::onSeatNotice(const NetEvent& event) {
    if (!isSeat(event.Seat)) {
        return false;
    }
    const QString& name = playerNames_[static_cast<std::size_t>(event.Seat)];
    if (event.EventType == RestartAsked) {
        restartAskText_ = name + utf8(nettext::kRestartAsked);
        window_.armNotice(NetNotice::RestartAsked);
    } else if (event.EventType == RestartRefused) {
        refuseText_ = name + utf8(nettext::kRestartRefused);
        window_.armNotice(NetNotice::RestartRefused);
    } else if (event.LinkLost == 0) {
        window_.withdrawRestartQuestions();
        quitText_ = name + utf8(nettext::kPeerQuit);
        window_.armNotice(NetNotice::PeerQuit);
    } else {
        window_.withdrawRestartQuestions();
        lostText_ = name + utf8(nettext::kLinkLost);
        window_.armNotice(NetNotice::LinkLost);
    }
    window_.closeAboutBox();
    return true;
}

bool NetMatch::sendStep(BoardPoint point) {
    outgoingStep_ = {point.x, point.y};
    if (library_->SendOneStep(kStepBytes, outgoingStep_.data()) != 0) {
        return true;
    }
    takeBackUnsentStone(point);
    return false;
}

// The peer never saw the stone, so both boards would differ from here on. Whether the local
// player may move again is for the library to say (YourTurn, GameBegin or PeerGone).
void NetMatch::takeBackUnsentStone(BoardPoint point) {
    const int k = state_.stepCount;
    if (k > 0 && state_.stepX[static_cast<std::size_t>(k)] == point.x &&
        state_.stepY[static_cast<std::size_t>(k)] == point.y &&
        state_.stepSide[static_cast<std::size_t>(k)] == kSideLocal) {
        display_.destroyPiece(k);
        state_.board[point.x][point.y] = kEmpty;
        --state_.stepCount;
        if (state_.gameResult != kInProgress) {
            state_.gameResult = kInProgress;
            window_.withdrawResultNotice();
        }
    }
    state_.playerCanMove = 0;
}

bool NetMatch::sendChat(const QString& line) {
    if (line.isEmpty()) {
        return false;
    }
    const auto gbk = nw::utf8ToGbk(line.toStdString());
    if (!gbk) {
        return false;
    }
    // The count includes the terminating NUL, which std::string keeps behind its data.
    library_->SendChat(static_cast<std::int32_t>(gbk->size()) + 1, gbk->c_str());
    return true;
}

} // namespace kivola
