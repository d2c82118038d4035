#pragma once
// One end of a network game over TCP: hosting or joining, the handshake, seats, turns, chat,
// restart questions, keep-alive and silence detection. The C functions drive one Session;
// tests use Sessions directly, also as a scripted peer of the program.

#include <QAbstractSocket>
#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <cstdint>
#include <cstring>

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
        if (data.size() >= offset + 4)
            std::memcpy(&v, data.constData() + offset, 4);
        return v;
    }
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

    static constexpr int kDefaultKeepAliveMs = 2000;
    static constexpr int kDefaultSilenceMs = 6000;
    static constexpr int kDefaultConnectMs = 10000;

    explicit Session(QObject* parent = nullptr);
    ~Session() override;

    // 1..32 GBK bytes without control characters; false (name unchanged) otherwise.
    bool setPlayerName(const QString& name);
    bool setPlayerNameGbk(const QByteArray& gbkName);
    QByteArray playerName() const { return m_name; }
    QByteArray peerName() const { return m_peerName; }

    void setKeepAliveInterval(int ms);
    void setSilenceTimeout(int ms);
    void setConnectTimeout(int ms);
    // false: this end sends no keep-alives any more, as a peer that hangs would.
    void setKeepAliveEnabled(bool enabled);
    // Greets with another version, to exercise the refusal.
    void setProtocolVersion(std::uint16_t version) { m_version = version; }

    // Listens on port (0: any free port, see serverPort()). False, with a notice, on failure.
    bool host(quint16 port = 0, const QHostAddress& address = QHostAddress::Any);
    quint16 serverPort() const;
    // Connects and greets; the outcome comes as joinFinished (a failure also as a notice).
    void join(const QString& hostName, quint16 port);

    // Local actions; each returns whether something was sent.
    bool sendStep(int column, int row);
    bool sendChat(const QByteArray& gbkText); // the line also comes back as ChatText
    bool requireRestart();
    bool replyRestart(bool agree);
    bool sendDisconnect(); // tells the peer, then closes; no local event

    // Closes everything without telling the peer and without any event.
    void stop();
    // Tests: writes bytes as they are, or drops the link the way a crash would.
    bool sendRaw(const QByteArray& bytes);
    void dropLink();

    State state() const { return m_state; }
    bool isHost() const { return m_isHost; }
    int seat() const;       // 1 or 2 while connected, else 0
    std::uint32_t gameNumber() const { return m_game; }
    bool isMyTurn() const { return m_state == State::Connected && m_board.seatToMove() == seat(); }
    bool restartAskedByMe() const { return m_myAskPending; }
    bool restartAskedByPeer() const { return m_peerAskPending; }
    const GameBoard& board() const { return m_board; }

signals:
    void netEvent(const nw::SessionEvent& event);
    void notice(const QString& text);
    void joinFinished(bool ok);

private:
    void onNewConnection();
    void onReadyRead();
    void onSocketGone();
    void onSocketError(QAbstractSocket::SocketError error);
    void onConnected();
    void onConnectTimeout();
    void onSilence();
    void sendKeepAlive();

    void adoptSocket(QTcpSocket* socket);
    void handleFrame(const wire::Frame& frame);
    void handleHello(const wire::Hello& hello);
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

    State m_state = State::Idle;
    bool m_isHost = false;
    QTcpServer* m_server = nullptr;
    QTcpSocket* m_socket = nullptr;
    QTimer* m_keepAlive = nullptr;
    QTimer* m_silence = nullptr;
    QTimer* m_connectTimer = nullptr;
    QByteArray m_inbox;
    quint64 m_linkId = 0; // changes whenever the socket does, so a stale read loop stops

    QByteArray m_name;
    QByteArray m_peerName;
    std::uint16_t m_version;
    bool m_keepAliveEnabled = true;

    std::uint32_t m_game = 0;
    GameBoard m_board;
    bool m_myAskPending = false;
    bool m_peerAskPending = false;
};

// The notice text for a failed connect or listen.
NW_EXPORT QString noticeForSocketError(QAbstractSocket::SocketError error, bool listening);

} // namespace nw

Q_DECLARE_METATYPE(nw::SessionEvent)
