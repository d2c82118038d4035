#pragma once
// Shared helpers of the network tests: an event log per session and bounded waits.

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <functional>
#include <string_view>
#include <vector>

#include "nw/codec.h"
#include "nw/gbk.h"
#include "nw/nw_events.h"
#include "nw/session.h"

namespace nw::test {

inline constexpr int kWaitMs = 5000;
inline const QHostAddress kLoopback = QHostAddress::LocalHost;

// The library's GBK conversion in the Qt types the tests compare; empty where it fails.
inline QByteArray gbk(const QString& text) {
    return QByteArray::fromStdString(utf8ToGbk(text.toStdString()).value_or(std::string()));
}
inline QByteArray gbk(const char* utf8) { return gbk(QString::fromUtf8(utf8)); }
inline QString fromGbk(const QByteArray& gbk) {
    return QString::fromStdString(gbkToUtf8(gbk.toStdString()).value_or(std::string()));
}

// Records what a Session reports, in order.
class EventLog : public QObject {
public:
    explicit EventLog(Session& session) {
        connect(&session, &Session::netEvent, this, [this](const SessionEvent& e) { events.push_back(e); });
        connect(&session, &Session::notice, this, [this](const QString& text) { notices.push_back(text); });
        connect(&session, &Session::strangerTurnedAway, this, [this](const QString& text) { turnedAway.push_back(text); });
        connect(&session, &Session::joinFinished, this, [this](bool ok) { joins.push_back(ok); });
    }

    int count(int type) const {
        return static_cast<int>(std::count_if(events.begin(), events.end(), [type](const SessionEvent& e) { return e.type == type; }));
    }
    const SessionEvent* last(int type) const {
        for (auto it = events.rbegin(); it != events.rend(); ++it)
            if (it->type == type)
                return &*it;
        return nullptr;
    }
    bool waitFor(int type, int atLeast = 1, int timeoutMs = kWaitMs) {
        return QTest::qWaitFor([&] { return count(type) >= atLeast; }, timeoutMs);
    }
    bool waitForNotice(int timeoutMs = kWaitMs) {
        return QTest::qWaitFor([&] { return !notices.isEmpty(); }, timeoutMs);
    }
    std::vector<int> types() const {
        std::vector<int> out;
        for (const SessionEvent& e : events)
            out.push_back(e.type);
        return out;
    }
    void clear() {
        events.clear();
        notices.clear();
        turnedAway.clear();
        joins.clear();
    }

    std::vector<SessionEvent> events;
    QStringList notices;
    QStringList turnedAway; // strangers the host refused, for its dialog
    std::vector<bool> joins;
};

inline QByteArray bytesOf(const std::string& s) { return QByteArray::fromStdString(s); }

// A peer that writes bytes as it likes and keeps everything the host sends.
class RawPeer {
public:
    RawPeer() {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
    }
    bool connectTo(quint16 port) {
        socket.connectToHost(kLoopback, port);
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, kWaitMs);
    }
    bool send(const QByteArray& bytes) {
        const bool written = socket.write(bytes) == bytes.size();
        socket.flush();
        return written;
    }
    bool isClosed() const { return socket.state() == QAbstractSocket::UnconnectedState; }
    bool waitClosed() { return QTest::qWaitFor([&] { return isClosed(); }, kWaitMs); }
    std::vector<wire::Frame> frames() const {
        std::vector<wire::Frame> out;
        std::string_view rest(received.constData(), static_cast<std::size_t>(received.size()));
        for (wire::DecodeResult r = wire::decode(rest); r.status == wire::DecodeStatus::Complete; r = wire::decode(rest)) {
            out.push_back(r.frame);
            rest.remove_prefix(r.consumed);
        }
        return out;
    }
    int count(wire::FrameType type) const {
        const std::vector<wire::Frame> all = frames();
        return static_cast<int>(
            std::count_if(all.begin(), all.end(), [type](const wire::Frame& f) { return wire::typeOf(f) == type; }));
    }

    QTcpSocket socket;
    QByteArray received;
};

// Runs the event loop until what is already queued in it has run: posted events (queued calls
// and zero timers among them) and, a few rounds deep, what those queue in turn. Shows that
// something does NOT happen here without a guess at how long it would take.
inline bool drainEvents(int rounds = 3) {
    QObject marker;
    for (int round = 0; round < rounds; ++round) {
        bool ran = false;
        QMetaObject::invokeMethod(&marker, [&ran] { ran = true; }, Qt::QueuedConnection);
        if (!QTest::qWaitFor([&ran] { return ran; }, kWaitMs))
            return false;
    }
    return true;
}

// A chat line reaches the other side after every frame sent before it on the one stream, so by
// then the other side has done whatever those frames make it do.
inline bool passLine(Session& from, EventLog& toLog) {
    const std::size_t before = toLog.events.size();
    const QByteArray line = from.playerName() + gbk("：") + '~';
    return from.sendChat("~") && QTest::qWaitFor([&] {
        return std::any_of(toLog.events.begin() + static_cast<std::ptrdiff_t>(before), toLog.events.end(),
                           [&](const SessionEvent& e) { return e.type == ChatText && e.line() == line; });
    }, kWaitMs);
}

// Runs the event loop for ms unless broken() comes true first; says whether the time passed
// with it false. For a link that must hold longer than a limit.
inline bool holdsFor(int ms, const std::function<bool()>& broken) {
    QElapsedTimer clock;
    clock.start();
    return QTest::qWaitFor([&] { return broken() || clock.hasExpired(ms); }, ms + kWaitMs) && !broken();
}

// Quick timings for the tests of keep-alive and silence. A loaded machine may leave the tests'
// one thread unscheduled for a good part of a second; the limit is far beyond that and beyond
// many keep-alives, and it still fails a link without them within the bounded waits.
inline constexpr int kQuickKeepAliveMs = 50;
inline constexpr int kQuickSilenceMs = 1500;

} // namespace nw::test
