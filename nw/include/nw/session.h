#pragma once
// One end of a network game over TCP: hosting or joining, the handshake, seats, turns, chat,
// restart questions, keep-alive and silence detection. The C functions drive one Session;
// tests use Sessions directly, also as a scripted peer of the program, built with other options.

#include <QAbstractSocket>
#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "nw/codec.h"
#include "nw/game_board.h"
#include "nw/nw.h"
#include "nw/nw_export.h"

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace nw {

// An event as the callback receives it; data is the payload NetEvent.Data points to.
struct SessionEvent {
    int type = 0; // a NetEventType
    int seat = 0;
    bool linkLost = false;
    QByteArray data;
    std::uint32_t game = 0; // the session's game when the event was raised

    // OneStep
    int column() const { return int32At(0); }
    int row() const { return int32At(4); }
    // GameBegin: the name of seat 1 or 2, GBK
    QByteArray seatName(int seat) const {
        const QList<QByteArray> parts = data.split('\0');
        return seat >= 1 && seat <= 2 && parts.size() > seat - 1 ? parts[seat - 1] : QByteArray();
    }
    // ChatText: the line without its NUL, GBK
    QByteArray line() const { return data.left(data.indexOf('\0')); }

private:
    int int32At(int offset) const {
        std::int32_t v = 0;
        if (data.size() >= offset + 4) {
            std::memcpy(&v, data.constData() + offset, 4);
        }
        return v;
    }
};

// How much of something a side may do: a burst, refilled at a steady rate.
struct Allowance {
    double burst = 0;
    double perSecond = 0;
};

// What is left of an Allowance.
class Budget {
public:
    void reset(Allowance allowance) {
        allowance_ = allowance;
        tokens_ = allowance.burst;
        clock_.start();
    }
    // Spends one when there is one.
    bool take() {
        const double seconds = clock_.isValid() ? static_cast<double>(clock_.nsecsElapsed()) / 1e9 : 0.0;
        clock_.start();
        tokens_ = std::min(allowance_.burst, tokens_ + seconds * allowance_.perSecond);
        if (tokens_ < 1.0) {
            return false;
        }
        tokens_ -= 1.0;
        return true;
    }

private:
    Allowance allowance_;
    double tokens_ = 0;
    QElapsedTimer clock_;
};

// What a Session is built with; the defaults are the game's (docs/network-protocol.md gives
// the reasons for the numbers).
struct SessionOptions {
    static constexpr int kDefaultKeepAliveMs = 2000;
    // Longer than TCP's retransmission back-off after a blackout of a few seconds (retries at
    // about 0.2, 0.6, 1.4, 3.0, 6.2 s after a loss), short enough to notice a dead link.
    static constexpr int kDefaultSilenceMs = 12000;
    static constexpr int kDefaultConnectMs = 10000;
    // How long a newcomer has to greet. Long enough for a Hello that TCP resends after the
    // retry at 6.2 s, like the game link; mute connections cannot keep a friend out anyway,
    // since the oldest of them gives way to each newcomer.
    static constexpr int kDefaultHandshakeMs = 8000;
    // The peer's chat lines; a peer beyond them is a script, and its link is dropped.
    static constexpr Allowance kDefaultChat{10, 2};
    // Our own lines: inside what the peer accepts by a margin for lines bunched on the way.
    static constexpr Allowance kDefaultOwnChat{4, 1};
    // After an answer to a restart question, the next question waits this long.
    static constexpr int kDefaultRestartSpacingMs = 3000;
    // Frames of any type from the peer; a flood beyond them drops the link.
    static constexpr Allowance kDefaultFrames{100, 50};

    std::uint16_t protocolVersion = wire::kProtocolVersion; // greeted with and required of the peer
    int keepAliveMs = kDefaultKeepAliveMs;
    int silenceMs = kDefaultSilenceMs;
    int connectMs = kDefaultConnectMs;
    int handshakeMs = kDefaultHandshakeMs;
    Allowance chat = kDefaultChat;
    Allowance ownChat = kDefaultOwnChat;
    Allowance frames = kDefaultFrames;
    int restartSpacingMs = kDefaultRestartSpacingMs;
};

class NW_EXPORT Session : public QObject {
    Q_OBJECT
public:
    enum class State {
        Idle,      // nothing open
        Listening, // hosting, waiting for a peer (a peer may be in its handshake)
        Joining,   // connecting to a host or waiting for its welcome
        Connected, // handshake done, games run
    };

    // Newcomers greeted at once; the oldest gives way when all slots are taken.
    static constexpr int kMaxPendingHandshakes = 4;
    // Newcomers told "busy" while a game runs that may still be closing at once.
    static constexpr int kMaxRefusedClosing = 4;
    // What one read takes in; beyond it TCP's own flow control holds a flooding peer back.
    static constexpr qint64 kReadBufferBytes = 16 * 1024;
    static constexpr int kChatBurst = static_cast<int>(SessionOptions::kDefaultChat.burst);
    // Restart questions a peer may ask in a row beyond one per spacing before it is dropped.
    static constexpr int kRestartQuestionBurst = 5;

    explicit Session(QObject* parent = nullptr, SessionOptions options = {});
    ~Session() override;

    // 1..32 GBK bytes without control characters; false (name unchanged) otherwise.
    bool setPlayerName(const QString& name);
    bool setPlayerNameGbk(const QByteArray& gbkName);
    QByteArray playerName() const { return name_; }
    QByteArray peerName() const { return peerName_; }

    // Listens on port (0: any free port, see serverPort()). False, with a notice, on failure.
    bool host(quint16 port = 0, const QHostAddress& address = QHostAddress::Any);
    quint16 serverPort() const;
    // Connects and greets; the outcome comes as joinFinished (a failure also as a notice).
    void join(const QString& hostName, quint16 port);

    // Local actions; each returns whether something was sent.
    bool sendStep(int column, int row);
    // The line also comes back as ChatText. A line not sent (beyond our own allowance, or not
    // plain GBK of 1..200 bytes) comes back as a ChatText note without a name instead.
    bool sendChat(const QByteArray& gbkText);
    // True when sent, or held until the spacing after the last answer has passed.
    bool requireRestart();
    bool replyRestart(bool agree);
    bool sendDisconnect(); // tells the peer, then closes; no local event

    // Closes everything without telling the peer and without any event, as a crash would.
    void stop();
    // Closes a connected link as broken (the peer is no longer served): PeerGone with LinkLost.
    void breakLink();

    State state() const { return state_; }
    bool isHost() const { return isHost_; }
    int seat() const;       // 1 or 2 while connected, else 0
    std::uint32_t gameNumber() const { return game_; }
    bool isMyTurn() const { return state_ == State::Connected && board_.seatToMove() == seat(); }
    bool restartAskedByMe() const { return myAskPending_ || questionHeld_; }
    bool restartAskedByPeer() const { return peerAskPending_; }
    const GameBoard& board() const { return board_; }
    int pendingHandshakes() const { return static_cast<int>(pending_.size()); }

signals:
    void netEvent(const nw::SessionEvent& event);
    void notice(const QString& text);
    // Hosting: a stranger was refused (another version). For the hosting dialog only: once a
    // game runs, it is no news to the player.
    void strangerTurnedAway(const QString& text);
    void joinFinished(bool ok);
    void peerJoined(); // hosting: a friend's handshake completed, the first game begins

private:
    struct Pending {
        QTcpSocket* socket = nullptr;
        QByteArray inbox;
    };

    void onNewConnection();
    void refuseBusy(QTcpSocket* socket);
    void closeRefused(QTcpSocket* socket, const std::string& farewell);
    void onPendingReadyRead(QTcpSocket* socket);
    void dropPending(QTcpSocket* socket);
    void closeAllPending();
    void acceptPeer(QTcpSocket* socket, QByteArray leftover, const wire::Hello& hello);
    void processInbox();
    void sendHeldQuestion();
    void answerPeer(bool agree);
    void onPeerQuestion();
    void onReadyRead();
    void onSocketGone();
    void onSocketError(QAbstractSocket::SocketError error);
    void onConnected();
    void onConnectTimeout();
    void onSilence();
    void sendKeepAlive();

    void adoptSocket(QTcpSocket* socket);
    void handleFrame(const wire::Frame& frame);
    // False: refused and closed; true: the Hello may be accepted.
    bool screenHello(QTcpSocket* socket, const wire::Hello& hello);
    void handleWelcome(const wire::Welcome& welcome);
    void handleRefuse(const wire::Refuse& refuse);
    void handleInGame(const wire::Frame& frame);
    bool write(const std::string& bytes);
    void startGame();
    void emitEvent(int type, int seat, QByteArray data = {}, bool linkLost = false);
    void failJoin(const QString& text);
    void linkBroken(); // PeerGone with LinkLost
    void closeSocket(bool graceful);
    void closeServer();
    int peerSeat() const { return 3 - seat(); }

    State state_ = State::Idle;
    bool isHost_ = false;
    QTcpServer* server_ = nullptr;
    QTcpSocket* socket_ = nullptr;
    QTimer* keepAlive_ = nullptr;
    QTimer* silence_ = nullptr;
    QTimer* connectTimer_ = nullptr;
    QTimer* questionHold_ = nullptr;
    QByteArray inbox_;
    quint64 linkId_ = 0; // changes whenever the socket does, so a stale read loop stops
    std::vector<Pending> pending_; // hosting: newcomers yet to greet, oldest first
    std::shared_ptr<int> refusedClosing_ = std::make_shared<int>(0);
    Budget peerFrames_;
    Budget peerChat_;
    Budget ownChat_;
    Budget peerQuestions_;

    QByteArray name_;
    QByteArray peerName_;
    SessionOptions options_;

    std::uint32_t game_ = 0;
    GameBoard board_;
    bool myAskPending_ = false;
    bool peerAskPending_ = false;
    int settledAsks_ = 0; // our questions a new game settled, their answers still on the way
    bool questionHeld_ = false; // the player asked; sent once the spacing allows
    QElapsedTimer lastAnswerSent_;
    QElapsedTimer lastAnswerReceived_;
};

// The notice text for a failed connect or listen.
NW_EXPORT QString noticeForSocketError(QAbstractSocket::SocketError error, bool listening);

} // namespace nw

Q_DECLARE_METATYPE(nw::SessionEvent)
