#include "nw/session.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <type_traits>

#include "nw/gbk.h"

namespace nw {
namespace {

constexpr int kGracefulCloseMs = 2000;
const QByteArray kNameSeparator = QByteArrayLiteral("\xA3\xBA"); // "：" in GBK
const QByteArray kDefaultName = QByteArrayLiteral("\xCD\xE6\xBC\xD2"); // "玩家" in GBK

QString texts(const char* utf8) { return QString::fromUtf8(utf8); }

const QChar kWideColon(0xFF1A); // "：", what the chat record puts after a name

// Two names a reader of the chat record could mistake for each other: equal but for blanks, or
// one carrying the separator that follows a name there.
bool namesLookAlike(const QByteArray& gbkA, const QByteArray& gbkB) {
    auto key = [](const QByteArray& gbk) {
        QString text = QString::fromStdString(gbkToUtf8(gbk.toStdString()).value_or(std::string()));
        text.removeIf([](QChar c) { return c.isSpace() || c.category() == QChar::Other_Format; });
        return text;
    };
    const QString a = key(gbkA);
    const QString b = key(gbkB);
    return a == b || a.contains(kWideColon) || b.contains(kWideColon);
}

QByteArray bytesOf(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }
std::string stdOf(const QByteArray& b) { return std::string(b.constData(), static_cast<std::size_t>(b.size())); }
std::string_view viewOf(const QByteArray& b) { return {b.constData(), static_cast<std::size_t>(b.size())}; }

// A deadline owned by the socket it watches: it goes with the socket, where a timer that only
// refers to it would live on until it fires, piling up under a crowd of short connections.
template <class F>
void whenOverdue(QTcpSocket* socket, int ms, F action) {
    auto* timer = new QTimer(socket);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, socket, action);
    timer->start(ms);
}

// Lets what was written leave before the link closes, within a bound; unread input would turn
// the close into a reset that may overtake the farewell.
void closeAfterFarewell(QTcpSocket* socket) {
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    whenOverdue(socket, kGracefulCloseMs, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->disconnectFromHost();
}

QByteArray stepData(int column, int row) {
    const std::int32_t v[2] = {column, row};
    return QByteArray(reinterpret_cast<const char*>(v), sizeof v);
}

} // namespace

QString noticeForSocketError(QAbstractSocket::SocketError error, bool listening) {
    if (listening) {
        switch (error) {
        case QAbstractSocket::AddressInUseError: return texts("端口已被占用");
        case QAbstractSocket::SocketAccessError: return texts("没有使用该端口的权限");
        default: return texts("无法在该端口上等待连接");
        }
    }
    switch (error) {
    case QAbstractSocket::HostNotFoundError: return texts("找不到主机");
    case QAbstractSocket::ConnectionRefusedError: return texts("连接被拒绝");
    case QAbstractSocket::SocketTimeoutError: return texts("连接超时");
    case QAbstractSocket::NetworkError: return texts("网络不通");
    case QAbstractSocket::RemoteHostClosedError: return texts("连接被对方关闭");
    default: return texts("无法连接到对方");
    }
}

Session::Session(QObject* parent, SessionOptions options)
    : QObject(parent), m_keepAlive(new QTimer(this)), m_silence(new QTimer(this)),
      m_connectTimer(new QTimer(this)), m_name(kDefaultName), m_options(options) {
    m_keepAlive->setInterval(m_options.keepAliveMs);
    m_silence->setInterval(m_options.silenceMs);
    m_silence->setSingleShot(true);
    m_connectTimer->setInterval(m_options.connectMs);
    m_connectTimer->setSingleShot(true);
    connect(m_keepAlive, &QTimer::timeout, this, &Session::sendKeepAlive);
    connect(m_silence, &QTimer::timeout, this, &Session::onSilence);
    connect(m_connectTimer, &QTimer::timeout, this, &Session::onConnectTimeout);
}

Session::~Session() { stop(); }

bool Session::setPlayerName(const QString& name) {
    const std::optional<std::string> gbk = utf8ToGbk(name.toStdString());
    return gbk && setPlayerNameGbk(QByteArray::fromStdString(*gbk));
}

bool Session::setPlayerNameGbk(const QByteArray& gbkName) {
    const std::string name = stdOf(gbkName);
    if (name.empty() || name.size() > wire::kMaxName || !isPlainGbkText(name))
        return false;
    m_name = gbkName;
    return true;
}

int Session::seat() const {
    if (m_state != State::Connected || m_game == 0)
        return 0;
    // The host holds seat 1 in odd games: the seats swap at every agreed restart.
    const int hostSeat = m_game % 2 == 1 ? 1 : 2;
    return m_isHost ? hostSeat : 3 - hostSeat;
}

bool Session::host(quint16 port, const QHostAddress& address) {
    stop();
    m_isHost = true;
    m_game = 0; // a new link numbers its games from 1 again
    m_server = new QTcpServer(this);
    if (!m_server->listen(address, port)) {
        const QString text = noticeForSocketError(m_server->serverError(), true);
        closeServer();
        emit notice(text);
        return false;
    }
    connect(m_server, &QTcpServer::newConnection, this, &Session::onNewConnection);
    m_state = State::Listening;
    return true;
}

quint16 Session::serverPort() const { return m_server ? m_server->serverPort() : 0; }

void Session::join(const QString& hostName, quint16 port) {
    stop();
    m_isHost = false;
    m_game = 0;
    m_state = State::Joining;
    auto* socket = new QTcpSocket(this);
    socket->setReadBufferSize(kReadBufferBytes);
    adoptSocket(socket);
    m_silence->stop(); // the connect timer watches until the link stands
    connect(socket, &QTcpSocket::connected, this, &Session::onConnected);
    m_connectTimer->start();
    socket->connectToHost(hostName, port);
}

void Session::onConnected() {
    m_connectTimer->stop();
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_silence->start();
    write(wire::encode(wire::Hello{std::string(wire::kProtocolName), m_options.protocolVersion, stdOf(m_name)}));
}

void Session::onConnectTimeout() {
    if (m_state == State::Joining)
        failJoin(noticeForSocketError(QAbstractSocket::SocketTimeoutError, false));
}

void Session::onNewConnection() {
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket* incoming = m_server->nextPendingConnection();
        incoming->setParent(this); // a server's sockets would otherwise die with the server
        incoming->setReadBufferSize(kReadBufferBytes);
        if (m_state != State::Listening) {
            refuseBusy(incoming);
            continue;
        }
        if (static_cast<int>(m_pending.size()) >= kMaxPendingHandshakes)
            dropPending(m_pending.front().socket); // the oldest, likely mute, gives way
        incoming->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_pending.push_back(Pending{incoming, {}});
        connect(incoming, &QTcpSocket::readyRead, this, [this, incoming] { onPendingReadyRead(incoming); });
        connect(incoming, &QTcpSocket::disconnected, this, [this, incoming] { dropPending(incoming); });
        connect(incoming, &QTcpSocket::errorOccurred, this, [this, incoming] { dropPending(incoming); });
        whenOverdue(incoming, m_options.handshakeMs, [this, incoming] { dropPending(incoming); });
    }
}

void Session::refuseBusy(QTcpSocket* socket) {
    closeRefused(socket, wire::encode(wire::Refuse{wire::RefuseReason::Busy, m_options.protocolVersion}));
}

void Session::closeRefused(QTcpSocket* socket, const std::string& farewell) {
    socket->disconnect(this);
    if (*m_refusedClosing >= kMaxRefusedClosing) {
        // A crowd of newcomers: no farewell for the rest, so none of them lingers.
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++*m_refusedClosing;
    connect(socket, &QObject::destroyed, [counter = m_refusedClosing] { --*counter; });
    socket->write(farewell.data(), static_cast<qint64>(farewell.size()));
    closeAfterFarewell(socket);
}

void Session::onPendingReadyRead(QTcpSocket* socket) {
    auto it = std::find_if(m_pending.begin(), m_pending.end(), [socket](const Pending& p) { return p.socket == socket; });
    if (it == m_pending.end())
        return;
    it->inbox += socket->readAll();
    const wire::DecodeResult result = wire::decode(viewOf(it->inbox));
    if (result.status == wire::DecodeStatus::NeedMore)
        return;
    const auto* hello = std::get_if<wire::Hello>(&result.frame);
    if (result.status == wire::DecodeStatus::Refused || !hello) {
        dropPending(socket); // a stranger that does not greet first goes without a word
        return;
    }
    const wire::Hello greeting = *hello;
    const QByteArray leftover = it->inbox.mid(static_cast<qsizetype>(result.consumed));
    m_pending.erase(it);
    socket->disconnect(this);
    if (screenHello(socket, greeting))
        acceptPeer(socket, leftover, greeting);
}

void Session::dropPending(QTcpSocket* socket) {
    auto it = std::find_if(m_pending.begin(), m_pending.end(), [socket](const Pending& p) { return p.socket == socket; });
    if (it == m_pending.end())
        return;
    m_pending.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void Session::closeAllPending() {
    while (!m_pending.empty())
        dropPending(m_pending.front().socket);
}

bool Session::screenHello(QTcpSocket* socket, const wire::Hello& hello) {
    if (hello.protocol != wire::kProtocolName) {
        closeRefused(socket, wire::encode(wire::Refuse{wire::RefuseReason::WrongProtocol, m_options.protocolVersion}));
        return false;
    }
    if (hello.version != m_options.protocolVersion) {
        closeRefused(socket, wire::encode(wire::Refuse{wire::RefuseReason::VersionMismatch, m_options.protocolVersion}));
        emit notice(texts("对方的程序版本（%1）与本程序（%2）不同，已拒绝其连接").arg(hello.version).arg(m_options.protocolVersion));
        return false; // still listening for a peer that fits
    }
    if (namesLookAlike(bytesOf(hello.name), m_name)) {
        // Its chat lines would read as the host's own.
        closeRefused(socket, wire::encode(wire::Refuse{wire::RefuseReason::NameTaken, m_options.protocolVersion}));
        return false;
    }
    return true;
}

void Session::acceptPeer(QTcpSocket* socket, QByteArray leftover, const wire::Hello& hello) {
    closeAllPending(); // the first valid greeting wins
    adoptSocket(socket);
    m_peerName = bytesOf(hello.name);
    write(wire::encode(wire::Welcome{std::string(wire::kProtocolName), m_options.protocolVersion, stdOf(m_name)}));
    m_state = State::Connected;
    m_keepAlive->start();
    emit peerJoined();
    if (m_state != State::Connected)
        return;
    startGame();
    // Whatever came right behind the greeting belongs to the game.
    if (m_state == State::Connected && !leftover.isEmpty()) {
        m_inbox = std::move(leftover);
        processInbox();
    }
}

void Session::adoptSocket(QTcpSocket* socket) {
    socket->setParent(this); // a server's sockets would otherwise die with the server
    m_socket = socket;
    const quint64 id = ++m_linkId;
    m_inbox.clear();
    m_chatTokens = m_options.chat.burst;
    m_chatClock.start();
    connect(socket, &QTcpSocket::readyRead, this, [this, id] {
        if (id == m_linkId)
            onReadyRead();
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, id] {
        if (id == m_linkId)
            onSocketGone();
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, id](QAbstractSocket::SocketError error) {
        if (id == m_linkId)
            onSocketError(error);
    });
    m_silence->start();
}

void Session::onReadyRead() {
    m_inbox += m_socket->readAll();
    processInbox();
}

void Session::processInbox() {
    const quint64 id = m_linkId;
    qsizetype offset = 0;
    while (id == m_linkId) {
        const std::string_view pending(m_inbox.constData() + offset, static_cast<std::size_t>(m_inbox.size() - offset));
        wire::DecodeResult result = wire::decode(pending);
        if (result.status == wire::DecodeStatus::NeedMore)
            break;
        if (result.status == wire::DecodeStatus::Refused) {
            // Nothing of a malformed stream reaches the game.
            if (m_state == State::Connected)
                linkBroken();
            else if (m_state == State::Joining)
                failJoin(texts("对方不是五子棋对战程序"));
            else
                closeSocket(false);
            return;
        }
        offset += static_cast<qsizetype>(result.consumed);
        m_silence->start(); // only whole frames count as signs of life
        handleFrame(result.frame);
    }
    if (id == m_linkId)
        m_inbox.remove(0, offset);
}

void Session::handleFrame(const wire::Frame& frame) {
    switch (m_state) {
    case State::Joining:
        if (const auto* welcome = std::get_if<wire::Welcome>(&frame))
            handleWelcome(*welcome);
        else if (const auto* refuse = std::get_if<wire::Refuse>(&frame))
            handleRefuse(*refuse);
        else
            failJoin(texts("对方不是五子棋对战程序"));
        return;
    case State::Connected:
        handleInGame(frame);
        return;
    case State::Listening: // newcomers are read as pending handshakes, never here
    case State::Idle:
        return;
    }
}

void Session::handleWelcome(const wire::Welcome& welcome) {
    if (welcome.protocol != wire::kProtocolName) {
        failJoin(texts("对方不是五子棋对战程序"));
        return;
    }
    if (welcome.version != m_options.protocolVersion) {
        failJoin(texts("双方的程序版本不同，连接被拒绝"));
        return;
    }
    if (namesLookAlike(bytesOf(welcome.name), m_name)) {
        failJoin(texts("对方与您同名，请换一个名字后再加入"));
        return;
    }
    m_peerName = bytesOf(welcome.name);
    m_connectTimer->stop();
    m_state = State::Connected;
    m_keepAlive->start();
    m_chatTokens = m_options.chat.burst;
    m_chatClock.start();
    emit joinFinished(true);
    if (m_state == State::Connected)
        startGame();
}

void Session::handleRefuse(const wire::Refuse& refuse) {
    switch (refuse.reason) {
    case wire::RefuseReason::VersionMismatch: failJoin(texts("双方的程序版本不同，连接被拒绝")); return;
    case wire::RefuseReason::Busy: failJoin(texts("对方正在与别人对战，连接被拒绝")); return;
    case wire::RefuseReason::WrongProtocol: failJoin(texts("连接被拒绝")); return;
    case wire::RefuseReason::NameTaken: failJoin(texts("对方与您同名，请换一个名字后再加入")); return;
    }
    failJoin(texts("连接被拒绝"));
}

void Session::handleInGame(const wire::Frame& frame) {
    std::visit(
        [this](const auto& f) {
            using F = std::decay_t<decltype(f)>;
            if constexpr (std::is_same_v<F, wire::Step>) {
                if (f.game < m_game)
                    return; // played before a restart crossed it: belongs to no current game
                if (f.game > m_game || m_board.place(peerSeat(), f.column, f.row) != GameBoard::Verdict::Ok) {
                    linkBroken();
                    return;
                }
                emitEvent(OneStep, 0, stepData(f.column, f.row));
                if (m_state == State::Connected && !m_board.decided())
                    emitEvent(YourTurn, 0);
            } else if constexpr (std::is_same_v<F, wire::Chat>) {
                if (!takeChatToken()) {
                    linkBroken(); // far faster than anyone types: a script
                    return;
                }
                emitEvent(ChatText, 0, m_peerName + kNameSeparator + bytesOf(f.text) + '\0');
            } else if constexpr (std::is_same_v<F, wire::RestartAsk>) {
                if (m_peerAskPending) {
                    linkBroken(); // a second question before the first was answered
                    return;
                }
                m_peerAskPending = true;
                emitEvent(RestartAsked, peerSeat());
            } else if constexpr (std::is_same_v<F, wire::RestartReply>) {
                if (!m_myAskPending) {
                    linkBroken(); // an answer nobody asked for
                    return;
                }
                m_myAskPending = false;
                if (f.agree)
                    startGame();
                else
                    emitEvent(RestartRefused, peerSeat());
            } else if constexpr (std::is_same_v<F, wire::KeepAlive>) {
                // its arrival has already restarted the silence timer
            } else if constexpr (std::is_same_v<F, wire::Bye>) {
                const int leaver = peerSeat();
                closeSocket(true);
                closeServer();
                m_state = State::Idle;
                emitEvent(PeerGone, leaver, {}, false);
            } else {
                linkBroken(); // a greeting in the middle of a game
            }
        },
        frame);
}

void Session::startGame() {
    ++m_game;
    m_board.reset();
    const QByteArray first = seat() == 1 ? m_name : m_peerName;
    const QByteArray second = seat() == 1 ? m_peerName : m_name;
    emitEvent(GameBegin, seat(), first + '\0' + second + '\0');
    if (m_state == State::Connected && seat() == 1)
        emitEvent(YourTurn, 0);
}

bool Session::sendStep(int column, int row) {
    if (m_state != State::Connected || m_board.check(seat(), column, row) != GameBoard::Verdict::Ok)
        return false;
    m_board.place(seat(), column, row);
    return write(wire::encode(
        wire::Step{m_game, static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row)}));
}

bool Session::sendChat(const QByteArray& gbkText) {
    if (m_state != State::Connected)
        return false;
    const std::string frame = wire::encode(wire::Chat{stdOf(gbkText)});
    if (frame.empty() || !write(frame))
        return false;
    emitEvent(ChatText, 0, m_name + kNameSeparator + gbkText + '\0');
    return true;
}

bool Session::requireRestart() {
    if (m_state != State::Connected || m_myAskPending)
        return false;
    m_myAskPending = write(wire::encode(wire::RestartAsk{}));
    return m_myAskPending;
}

bool Session::replyRestart(bool agree) {
    if (m_state != State::Connected || !m_peerAskPending)
        return false;
    m_peerAskPending = false;
    if (!write(wire::encode(wire::RestartReply{agree})))
        return false;
    if (agree)
        startGame();
    return true;
}

bool Session::sendDisconnect() {
    const bool told = m_state == State::Connected && write(wire::encode(wire::Bye{}));
    closeSocket(true);
    closeAllPending();
    closeServer();
    m_connectTimer->stop();
    m_state = State::Idle;
    return told;
}

void Session::stop() {
    closeSocket(false);
    closeAllPending();
    closeServer();
    m_connectTimer->stop();
    m_state = State::Idle;
}

void Session::breakLink() {
    if (m_state == State::Connected)
        linkBroken();
}

bool Session::takeChatToken() {
    const double seconds = static_cast<double>(m_chatClock.restart()) / 1000.0;
    m_chatTokens = std::min<double>(m_options.chat.burst, m_chatTokens + seconds * m_options.chat.linesPerSecond);
    if (m_chatTokens < 1.0)
        return false;
    m_chatTokens -= 1.0;
    return true;
}

bool Session::write(const std::string& bytes) {
    if (!m_socket || bytes.empty())
        return false;
    return m_socket->write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

void Session::sendKeepAlive() {
    if (m_state == State::Connected)
        write(wire::encode(wire::KeepAlive{}));
}

void Session::onSilence() {
    if (m_state == State::Connected)
        linkBroken();
    else if (m_state == State::Joining)
        failJoin(noticeForSocketError(QAbstractSocket::SocketTimeoutError, false));
}

void Session::onSocketGone() {
    if (m_state == State::Connected)
        linkBroken();
    else if (m_state == State::Joining)
        failJoin(noticeForSocketError(QAbstractSocket::RemoteHostClosedError, false));
    else
        closeSocket(false);
}

void Session::onSocketError(QAbstractSocket::SocketError error) {
    if (m_state == State::Joining && m_socket && m_socket->state() != QAbstractSocket::ConnectedState)
        failJoin(noticeForSocketError(error, false));
    else
        onSocketGone();
}

void Session::failJoin(const QString& text) {
    closeSocket(false);
    m_connectTimer->stop();
    m_state = State::Idle;
    emit notice(text);
    emit joinFinished(false);
}

void Session::linkBroken() {
    const int leaver = peerSeat();
    closeSocket(false);
    closeAllPending();
    closeServer();
    m_state = State::Idle;
    emitEvent(PeerGone, leaver, {}, true);
}

void Session::emitEvent(int type, int seat, QByteArray data, bool linkLost) {
    emit netEvent(SessionEvent{type, seat, linkLost, std::move(data), m_game});
}

void Session::closeSocket(bool graceful) {
    m_keepAlive->stop();
    m_silence->stop();
    m_inbox.clear();
    m_myAskPending = false;
    m_peerAskPending = false;
    if (!m_socket)
        return;
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    ++m_linkId;
    socket->disconnect(this);
    if (graceful && socket->state() == QAbstractSocket::ConnectedState) {
        // Let what was written (a farewell) leave before the link closes, even if this
        // session is deleted meanwhile; unread input would turn the close into a reset.
        socket->setParent(nullptr);
        socket->flush();
        closeAfterFarewell(socket);
    } else {
        socket->abort();
        socket->deleteLater();
    }
}

void Session::closeServer() {
    if (!m_server)
        return;
    m_server->close();
    m_server->disconnect(this);
    m_server->deleteLater();
    m_server = nullptr;
}

} // namespace nw
