#pragma once
// Shared helpers of the network tests: an event log per session and bounded waits.

#include <QHostAddress>
#include <QObject>
#include <QTest>
#include <algorithm>
#include <vector>

#include "nw/nw_events.h"
#include "nw/session.h"

namespace nw::test {

inline constexpr int kWaitMs = 5000;
inline const QHostAddress kLoopback = QHostAddress::LocalHost;

inline QByteArray gbk(const char* utf8) { return toGbk(QString::fromUtf8(utf8)); }

// Records what a Session reports, in order.
class EventLog : public QObject {
public:
    explicit EventLog(Session& session) {
        connect(&session, &Session::netEvent, this, [this](const SessionEvent& e) { events.push_back(e); });
        connect(&session, &Session::notice, this, [this](const QString& text) { notices.push_back(text); });
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
        joins.clear();
    }

    std::vector<SessionEvent> events;
    QStringList notices;
    std::vector<bool> joins;
};

// Lets the event loop run for a while, to show that something does NOT happen.
inline void settle(int ms = 200) { QTest::qWait(ms); }

} // namespace nw::test
