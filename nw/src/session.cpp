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

// What the sender's own record says of a line that was not sent.
QByteArray gbkNote(const char* utf8) { return QByteArray::fromStdString(utf8ToGbk(utf8).value_or(std::string())); }
const char* const kTooQuickNote = "（发得太快了，这一行没有发出）";
const char* const kUnsendableNote = "（这一行含有不能发送的字符，没有发出）";

QString texts(const char* utf8) { return QString::fromUtf8(utf8); }

// Two names a reader of the chat record could mistake for each other: equal once compatibility
// forms (full width, say) and case are folded and blanks left out, or one carrying a colon like
// the "：" that follows a name there (folding turns it into ":").
bool namesLookAlike(const QByteArray& gbkA, const QByteArray& gbkB) {
    auto key = [](const QByteArray& gbk) {
        const QString text = QString::fromStdString(gbkToUtf8(gbk.toStdString()).value_or(std::string()));
        QString folded = text.normalized(QString::NormalizationForm_KC)
                             .toCaseFolded()
                             .normalized(QString::NormalizationForm_KC);
        folded.removeIf([](QChar c) { return c.isSpace() || c.category() == QChar::Other_Format; });
        return folded;
    };
    const QString a = key(gbkA);
    const QString b = key(gbkB);
    return a == b || a.contains(QLatin1Char(':')) || b.contains(QLatin1Char(':'));
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
    : QObject(parent), keepAlive_(new QTimer(this)), silence_(new QTimer(this)),
      connectTimer_(new QTimer(this)), questionHold_(new QTimer(this)), name_(kDefaultName), options_(options) {
    keepAlive_->setInterval(options_.keepAliveMs);
    silence_->setInterval(options_.silenceMs);
    silence_->setSingleShot(true);
    connectTimer_->setInterval(options_.connectMs);
    connectTimer_->setSingleShot(true);
    questionHold_->setSingleShot(true);
    connect(questionHold_, &QTimer::timeout, this, &Session::sendHeldQuestion);
    connect(keepAlive_, &QTimer::timeout, this, &Session::sendKeepAlive);
    connect(silence_, &QTimer::timeout, this, &Session::onSilence);
    connect(connectTimer_, &QTimer::timeout, this, &Session::onConnectTimeout);
}

Session::~Session() { stop(); }

bool Session::setPlayerName(const QString& name) {
    const std::optional<std::string> gbk = utf8ToGbk(name.toStdString());
    return gbk && setPlayerNameGbk(QByteArray::fromStdString(*gbk));
}

bool Session::setPlayerNameGbk(const QByteArray& gbkName) {
    const std::string name = stdOf(gbkName);
    if (name.empty() || name.size() > wire::kMaxName || !isPlainGbkText(name)) {
        return false;
    }
    name_ = gbkName;
    return true;
}

int Session::seat() const {
    if (state_ != State::Connected || game_ == 0) {
        return 0;
    }
    // The host holds seat 1 in odd games: the seats swap at every agreed restart.
    const int hostSeat = game_ % 2 == 1 ? 1 : 2;
    return isHost_ ? hostSeat : 3 - hostSeat;
}

bool Session::host(quint16 port, const QHostAddress& address) {
    stop();
    isHost_ = true;
    game_ = 0; // a new link numbers its games from 1 again
    server_ = new QTcpServer(this);
    if (!server_->listen(address, port)) {
        const QString text = noticeForSocketError(server_->serverError(), true);
        closeServer();
        emit notice(text);
        return false;
    }
    connect(server_, &QTcpServer::newConnection, this, &Session::onNewConnection);
    state_ = State::Listening;
    return true;
}

quint16 Session::serverPort() const { return server_ ? server_->serverPort() : 0; }

void Session::join(const QString& hostName, quint16 port) {
    stop();
    isHost_ = false;
    game_ = 0;
    state_ = State::Joining;
    auto* socket = new QTcpSocket(this);
    socket->setReadBufferSize(kReadBufferBytes);
    adoptSocket(socket);
    silence_->stop(); // the connect timer watches until the link stands
    connect(socket, &QTcpSocket::connected, this, &Session::onConnected);
    connectTimer_->start();
    socket->connectToHost(hostName, port);
}

void Session::onConnected() {
    connectTimer_->stop();
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    silence_->start();
    write(wire::encode(wire::Hello{std::string(wire::kProtocolName), options_.protocolVersion, stdOf(name_)}));
}

void Session::onConnectTimeout() {
    if (state_ == State::Joining) {
        failJoin(noticeForSocketError(QAbstractSocket::SocketTimeoutError, false));
    }
}

void Session::onNewConnection() {
    while (server_ && server_->hasPendingConnections()) {
        QTcpSocket* incoming = server_->nextPendingConnection();
        incoming->setParent(this); // a server's sockets would otherwise die with the server
        incoming->setReadBufferSize(kReadBufferBytes);
        if (state_ != State::Listening) {
            refuseBusy(incoming);
            continue;
        }
        if (static_cast<int>(pending_.size()) >= kMaxPendingHandshakes) {
            dropPending(pending_.front().socket); // the oldest, likely mute, gives way
        }
        incoming->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        pending_.push_back(Pending{incoming, {}});
        connect(incoming, &QTcpSocket::readyRead, this, [this, incoming] { onPendingReadyRead(incoming); });
        connect(incoming, &QTcpSocket::disconnected, this, [this, incoming] { dropPending(incoming); });
        connect(incoming, &QTcpSocket::errorOccurred, this, [this, incoming] { dropPending(incoming); });
        whenOverdue(incoming, options_.handshakeMs, [this, incoming] { dropPending(incoming); });
    }
}

void Session::refuseBusy(QTcpSocket* socket) {
    closeRefused(socket, wire::encode(wire::Refuse{wire::RefuseReason::Busy, options_.protocolVersion}));
}

void Session::closeRefused(QTcpSocket* socket, const std::string& farewell) {
    socket->disconnect(this);
    if (*refusedClosing_ >= kMaxRefusedClosing) {
        // A crowd of newcomers: no farewell for the rest, so none of them lingers.
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++*refusedClosing_;
    connect(socket, &QObject::destroyed, [counter = refusedClosing_] { --*counter; });
    socket->write(farewell.data(), static_cast<qint64>(farewell.size()));
    closeAfterFarewell(socket);
}

void Session::onPendingReadyRead(QTcpSocket* socket) {
    auto it = std::find_if(pending_.begin(), pending_.end(), [socket](const Pending& p) { return p.socket == socket; });
    if (it == pending_.end()) {
        return;
    }
    it->inbox += socket->readAll();
    const wire::DecodeResult result = wire::decode(viewOf(it->inbox));
    if (result.status == wire::DecodeStatus::NeedMore) {
        return;
    }
    const auto* hello = std::get_if<wire::Hello>(&result.frame);
    if (result.status == wire::DecodeStatus::Refused || !hello) {
        dropPending(socket); // a stranger that does not greet first goes without a word
        return;
    }
    const wire::Hello greeting = *hello;
    const QByteArray leftover = it->inbox.mid(static_cast<qsizetype>(result.consumed));
    pending_.erase(it);
    socket->disconnect(this);
    if (screenHello(socket, greeting)) {
        acceptPeer(socket, leftover, greeting);
    }
}

void Session::dropPending(QTcpSocket* socket) {
    auto it = std::find_if(pending_.begin(), pending_.end(), [socket](const Pending& p) { return p.socket == socket; });
    if (it == pending_.end()) {
        return;
    }
    pending_.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void Session::closeAllPending() {
    while (!pending_.empty()) {
        dropPending(pending_.front().socket);
    }
}

bool Session::screenHello(QTcpSocket* socket, const wire::Hello& hello) {
    if (hello.protocol != wire::kProtocolName) {
        closeRefused(socket, wire::encode(wire::Refuse{wire::RefuseReason::WrongProtocol, options_.protocolVersion}));
        return false;
    }
    if (hello.version != options_.protocolVersion) {
        closeRefused(socket, wire::encode(wire::Refuse{wire::RefuseReason::VersionMismatch, options_.protocolVersion}));
        emit strangerTurnedAway(
            texts("对方的程序版本（%1）与本程序（%2）不同，已拒绝其连接").arg(hello.version).arg(options_.protocolVersion));
        return false; // still listening for a peer that fits
    }
    if (namesLookAlike(bytesOf(hello.name), name_)) {
        // Its chat lines would read as the host's own.
        closeRefused(socket, wire::encode(wire::Refuse{wire::RefuseReason::NameTaken, options_.protocolVersion}));
        return false;
    }
    return true;
}

void Session::acceptPeer(QTcpSocket* socket, QByteArray leftover, const wire::Hello& hello) {
    closeAllPending(); // the first valid greeting wins
    adoptSocket(socket);
    peerName_ = bytesOf(hello.name);
    write(wire::encode(wire::Welcome{std::string(wire::kProtocolName), options_.protocolVersion, stdOf(name_)}));
    state_ = State::Connected;
    keepAlive_->start();
    emit peerJoined();
    if (state_ != State::Connected) {
        return;
    }
    startGame();
    // Whatever came right behind the greeting belongs to the game.
    if (state_ == State::Connected && !leftover.isEmpty()) {
        inbox_ = std::move(leftover);
        processInbox();
    }
}

void Session::adoptSocket(QTcpSocket* socket) {
    socket->setParent(this); // a server's sockets would otherwise die with the server
    socket_ = socket;
    const quint64 id = ++linkId_;
    inbox_.clear();
    peerFrames_.reset(options_.frames);
    peerChat_.reset(options_.chat);
    ownChat_.reset(options_.ownChat);
    // A person asks again only after reading the answer; far more often is a script.
    peerQuestions_.reset({kRestartQuestionBurst, 1000.0 / std::max(1, options_.restartSpacingMs)});
    connect(socket, &QTcpSocket::readyRead, this, [this, id] {
        if (id == linkId_) {
            onReadyRead();
        }
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, id] {
        if (id == linkId_) {
            onSocketGone();
        }
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, id](QAbstractSocket::SocketError error) {
        if (id == linkId_) {
            onSocketError(error);
        }
    });
    silence_->start();
}

void Session::onReadyRead() {
    inbox_ += socket_->readAll();
    processInbox();
}

void Session::processInbox() {
    const quint64 id = linkId_;
    qsizetype offset = 0;
    while (id == linkId_) {
        const std::string_view pending(inbox_.constData() + offset, static_cast<std::size_t>(inbox_.size() - offset));
        wire::DecodeResult result = wire::decode(pending);
        if (result.status == wire::DecodeStatus::NeedMore) {
            break;
        }
        // A flood (of keep-alives, say) is refused like a malformed stream: it would keep a core busy.
        if (result.status == wire::DecodeStatus::Refused || !peerFrames_.take()) {
            // Nothing of a malformed stream reaches the game.
            if (state_ == State::Connected) {
                linkBroken();
            } else if (state_ == State::Joining) {
                failJoin(texts("对方不是五子棋对战程序"));
            } else {
                closeSocket(false);
            }
            return;
        }
        offset += static_cast<qsizetype>(result.consumed);
        silence_->start(); // only whole frames count as signs of life
        handleFrame(result.frame);
    }
    if (id == linkId_) {
        inbox_.remove(0, offset);
    }
}

void Session::handleFrame(const wire::Frame& frame) {
    switch (state_) {
    case State::Joining:
        if (const auto* welcome = std::get_if<wire::Welcome>(&frame)) {
            handleWelcome(*welcome);
        } else if (const auto* refuse = std::get_if<wire::Refuse>(&frame)) {
            handleRefuse(*refuse);
        } else {
            failJoin(texts("对方不是五子棋对战程序"));
        }
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
    if (welcome.version != options_.protocolVersion) {
        failJoin(texts("双方的程序版本不同，连接被拒绝"));
        return;
    }
    if (namesLookAlike(bytesOf(welcome.name), name_)) {
        failJoin(texts("对方与您同名，请换一个名字后再加入"));
        return;
    }
    peerName_ = bytesOf(welcome.name);
    connectTimer_->stop();
    state_ = State::Connected;
    keepAlive_->start();
    peerChat_.reset(options_.chat);
    emit joinFinished(true);
    if (state_ == State::Connected) {
        startGame();
    }
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
                if (f.game < game_) {
                    return; // played before a restart crossed it: belongs to no current game
                }
                if (f.game > game_ || board_.place(peerSeat(), f.column, f.row) != GameBoard::Verdict::Ok) {
                    linkBroken();
                    return;
                }
                emitEvent(OneStep, 0, stepData(f.column, f.row));
                if (state_ == State::Connected && !board_.decided()) {
                    emitEvent(YourTurn, 0);
                }
            } else if constexpr (std::is_same_v<F, wire::Chat>) {
                if (!peerChat_.take()) {
                    linkBroken(); // far faster than anyone types: a script
                    return;
                }
                emitEvent(ChatText, 0, peerName_ + kNameSeparator + bytesOf(f.text) + '\0');
            } else if constexpr (std::is_same_v<F, wire::RestartAsk>) {
                onPeerQuestion();
            } else if constexpr (std::is_same_v<F, wire::RestartReply>) {
                lastAnswerReceived_.start();
                if (settledAsks_ > 0) {
                    --settledAsks_; // a new game has settled that question already
                    sendHeldQuestion();
                    return;
                }
                if (!myAskPending_) {
                    linkBroken(); // an answer nobody asked for
                    return;
                }
                myAskPending_ = false;
                if (f.agree) {
                    startGame();
                } else {
                    emitEvent(RestartRefused, peerSeat());
                }
            } else if constexpr (std::is_same_v<F, wire::KeepAlive>) {
                // its arrival has already restarted the silence timer
            } else if constexpr (std::is_same_v<F, wire::Bye>) {
                const int leaver = peerSeat();
                closeSocket(true);
                closeServer();
                state_ = State::Idle;
                emitEvent(PeerGone, leaver, {}, false);
            } else {
                linkBroken(); // a greeting in the middle of a game
            }
        },
        frame);
}

void Session::startGame() {
    ++game_;
    board_.reset();
    // A new game settles every question about the one before. The peer still answers ours (that
    // answer is let pass), and theirs is answered here, so no library waits for a reply in vain.
    if (myAskPending_) {
        myAskPending_ = false;
        ++settledAsks_;
    }
    questionHeld_ = false;
    questionHold_->stop();
    if (peerAskPending_) {
        peerAskPending_ = false;
        answerPeer(false);
    }
    const QByteArray first = seat() == 1 ? name_ : peerName_;
    const QByteArray second = seat() == 1 ? peerName_ : name_;
    emitEvent(GameBegin, seat(), first + '\0' + second + '\0');
    if (state_ == State::Connected && seat() == 1) {
        emitEvent(YourTurn, 0);
    }
}

bool Session::sendStep(int column, int row) {
    if (state_ != State::Connected || board_.check(seat(), column, row) != GameBoard::Verdict::Ok) {
        return false;
    }
    board_.place(seat(), column, row);
    return write(wire::encode(
        wire::Step{game_, static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row)}));
}

bool Session::sendChat(const QByteArray& gbkText) {
    if (state_ != State::Connected) {
        return false;
    }
    const std::string frame = wire::encode(wire::Chat{stdOf(gbkText)});
    if (frame.empty() || !ownChat_.take()) {
        // Said in the record, where the player looks for the line; nothing goes out.
        emitEvent(ChatText, 0, gbkNote(frame.empty() ? kUnsendableNote : kTooQuickNote) + '\0');
        return false;
    }
    if (!write(frame)) {
        return false;
    }
    emitEvent(ChatText, 0, name_ + kNameSeparator + gbkText + '\0');
    return true;
}

bool Session::requireRestart() {
    if (state_ != State::Connected || myAskPending_ || questionHeld_) {
        return false;
    }
    questionHeld_ = true;
    sendHeldQuestion();
    return true;
}

// A question goes out only once every earlier one is answered and the spacing has passed since
// the last answer arrived; the peer, counting from when it sent that answer, then never finds
// it too soon.
void Session::sendHeldQuestion() {
    if (!questionHeld_ || state_ != State::Connected || settledAsks_ > 0) {
        return;
    }
    const qint64 waited = lastAnswerReceived_.isValid() ? lastAnswerReceived_.elapsed() : options_.restartSpacingMs;
    if (waited < options_.restartSpacingMs) {
        questionHold_->start(static_cast<int>(options_.restartSpacingMs - waited));
        return;
    }
    questionHeld_ = false;
    myAskPending_ = write(wire::encode(wire::RestartAsk{}));
}

void Session::onPeerQuestion() {
    if (!peerQuestions_.take()) {
        linkBroken(); // far more questions than a person asks
        return;
    }
    const bool justAnswered = lastAnswerSent_.isValid() && lastAnswerSent_.elapsed() < options_.restartSpacingMs;
    if (peerAskPending_ || justAnswered) {
        answerPeer(false); // without asking the player: a repeat must not bring the box straight back
        return;
    }
    peerAskPending_ = true;
    emitEvent(RestartAsked, peerSeat());
}

void Session::answerPeer(bool agree) {
    write(wire::encode(wire::RestartReply{agree}));
    lastAnswerSent_.start();
}

bool Session::replyRestart(bool agree) {
    if (state_ != State::Connected || !peerAskPending_) {
        return false;
    }
    peerAskPending_ = false;
    answerPeer(agree);
    if (agree) {
        startGame();
    }
    return true;
}

bool Session::sendDisconnect() {
    const bool told = state_ == State::Connected && write(wire::encode(wire::Bye{}));
    closeSocket(true);
    closeAllPending();
    closeServer();
    connectTimer_->stop();
    state_ = State::Idle;
    return told;
}

void Session::stop() {
    closeSocket(false);
    closeAllPending();
    closeServer();
    connectTimer_->stop();
    state_ = State::Idle;
}

void Session::breakLink() {
    if (state_ == State::Connected) {
        linkBroken();
    }
}

bool Session::write(const std::string& bytes) {
    if (!socket_ || bytes.empty()) {
        return false;
    }
    return socket_->write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

void Session::sendKeepAlive() {
    if (state_ == State::Connected) {
        write(wire::encode(wire::KeepAlive{}));
    }
}

void Session::onSilence() {
    if (state_ == State::Connected) {
        linkBroken();
    } else if (state_ == State::Joining) {
        failJoin(noticeForSocketError(QAbstractSocket::SocketTimeoutError, false));
    }
}

void Session::onSocketGone() {
    if (state_ == State::Connected) {
        linkBroken();
    } else if (state_ == State::Joining) {
        failJoin(noticeForSocketError(QAbstractSocket::RemoteHostClosedError, false));
    } else {
        closeSocket(false);
    }
}

void Session::onSocketError(QAbstractSocket::SocketError error) {
    if (state_ == State::Joining && socket_ && socket_->state() != QAbstractSocket::ConnectedState) {
        failJoin(noticeForSocketError(error, false));
    } else {
        onSocketGone();
    }
}

void Session::failJoin(const QString& text) {
    closeSocket(false);
    connectTimer_->stop();
    state_ = State::Idle;
    emit notice(text);
    emit joinFinished(false);
}

void Session::linkBroken() {
    const int leaver = peerSeat();
    closeSocket(false);
    closeAllPending();
    closeServer();
    state_ = State::Idle;
    emitEvent(PeerGone, leaver, {}, true);
}

void Session::emitEvent(int type, int seat, QByteArray data, bool linkLost) {
    emit netEvent(SessionEvent{type, seat, linkLost, std::move(data), game_});
}

void Session::closeSocket(bool graceful) {
    keepAlive_->stop();
    silence_->stop();
    inbox_.clear();
    myAskPending_ = false;
    peerAskPending_ = false;
    settledAsks_ = 0;
    questionHeld_ = false;
    questionHold_->stop();
    lastAnswerSent_.invalidate();
    lastAnswerReceived_.invalidate();
    if (!socket_) {
        return;
    }
    QTcpSocket* socket = socket_;
    socket_ = nullptr;
    ++linkId_;
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
    if (!server_) {
        return;
    }
    server_->close();
    server_->disconnect(this);
    server_->deleteLater();
    server_ = nullptr;
}

} // namespace nw
