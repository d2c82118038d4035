// The seven C functions: one process-wide Session plus the connection dialog, and the bridge
// that hands Session events to the program's plain C callback.

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstring>
#include <deque>
#include <optional>

#include "nw/connect_dialog.h"
#include "nw/gbk.h"
#include "nw/nw.h"
#include "nw/nw_events.h"
#include "nw/session.h"

#include "api_state.h"

namespace {

// Lives as a child of the application object, so it never outlives Qt at exit.
class Bridge : public QObject {
public:
    // A program that falls this far behind its peer loses the link rather than memory.
    static constexpr std::size_t kMaxQueued = 256;
    // Events per turn of the event loop, so the window repaints between batches.
    static constexpr int kBatch = 16;

    explicit Bridge(QObject* parent) : QObject(parent) {}

    QPointer<nw::Session> session;
    QPointer<QWidget> window;
    NetEventCallback callback = nullptr;
    // Events wait here so the callback never runs inside a library call or the dialog.
    std::deque<nw::SessionEvent> queue;
    bool holding = false;
    bool flushScheduled = false;
    bool delivering = false;
    // The game whose GameBegin the program has been given: it may only play stones of that one.
    std::uint32_t deliveredGame = 0;
    // At most one notice posted and not yet handled (the program may show each in a box of its
    // own); of those that come meanwhile only the latest waits.
    bool noticeOutstanding = false;
    std::optional<QString> waitingNotice;

    void enqueue(const nw::SessionEvent& event) {
        if (queue.size() < kMaxQueued || event.type == PeerGone) {
            queue.push_back(event);
        } else if (session) {
            session->breakLink(); // its PeerGone, the link's last event, still gets in
        }
        scheduleFlush();
    }

    void scheduleFlush() {
        if (holding || flushScheduled || queue.empty()) {
            return;
        }
        flushScheduled = true;
        QTimer::singleShot(0, this, [this] { flush(); });
    }

    void flush() {
        flushScheduled = false;
        if (delivering) {
            return; // a callback that spins the event loop is not called again inside itself
        }
        delivering = true;
        for (int n = 0; n < kBatch && !holding && callback && !queue.empty(); ++n) {
            const nw::SessionEvent event = std::move(queue.front());
            queue.pop_front();
            if (event.type == GameBegin) {
                deliveredGame = event.game;
            }
            NetEvent record{};
            record.EventType = event.type;
            record.Seat = event.seat;
            // The payload copy stays alive for the whole call.
            QByteArray payload = event.data;
            record.Data = payload.isEmpty() ? nullptr : payload.data();
            record.LinkLost = event.linkLost ? 1 : 0;
            callback(0, &record);
        }
        delivering = false;
        scheduleFlush();
    }

    void notify(const QString& text) {
        if (holding || noticeOutstanding) {
            waitingNotice = text;
        } else {
            post(text);
        }
    }

    void post(const QString& text) {
        if (!window) {
            return;
        }
        noticeOutstanding = true;
        // The event may be destroyed after the bridge (at exit): it only reaches a live one.
        const QPointer<Bridge> self(this);
        const QByteArray gbk = QByteArray::fromStdString(nw::utf8ToGbk(text.toStdString()).value_or(std::string()));
        QCoreApplication::postEvent(window, new nw::NetTextEvent(nw::kNetNoticeEvent, gbk, [self] {
                                        if (self) {
                                            self->noticeHandled();
                                        }
                                    }));
    }

    void noticeHandled() {
        noticeOutstanding = false;
        postWaitingNotice();
    }

    void postWaitingNotice() {
        if (holding || noticeOutstanding || !waitingNotice) {
            return;
        }
        const QString text = *std::exchange(waitingNotice, std::nullopt);
        post(text);
    }

    void dropSession() {
        queue.clear();
        deliveredGame = 0;
        if (!session) {
            return;
        }
        nw::Session* old = session;
        session = nullptr;
        old->disconnect(this);
        old->stop();
        old->deleteLater();
    }
};

QPointer<Bridge>& bridgeSlot() {
    static QPointer<Bridge> slot;
    return slot;
}

// Null without an application object: then there is nothing to connect with.
Bridge* bridge() {
    QPointer<Bridge>& slot = bridgeSlot();
    if (!slot && QCoreApplication::instance()) {
        slot = new Bridge(QCoreApplication::instance());
    }
    return slot;
}

Bridge* existingBridge() { return bridgeSlot(); }

nw::Session* connectedSession() {
    Bridge* b = existingBridge();
    return b && b->session ? b->session.data() : nullptr;
}

bool g_inPrepare = false;

} // namespace

namespace nw::api {

Session* currentSession() { return connectedSession(); }

SessionOptions& sessionOptions() {
    static SessionOptions options;
    return options;
}

} // namespace nw::api

extern "C" {

int32_t PrepareNetwork(void* window, NetEventCallback callback) {
    Bridge* b = bridge();
    if (!b || g_inPrepare) {
        return 0;
    }
    b->dropSession();
    b->waitingNotice.reset();
    b->window = static_cast<QWidget*>(window);
    b->callback = callback;

    auto* session = new nw::Session(b, nw::api::sessionOptions());
    QObject::connect(session, &nw::Session::netEvent, b, [b](const nw::SessionEvent& e) { b->enqueue(e); });
    QObject::connect(session, &nw::Session::notice, b, [b](const QString& text) { b->notify(text); });
    b->session = session;

    g_inPrepare = true;
    b->holding = true;
    int result = QDialog::Rejected;
    {
        nw::ConnectDialog dialog(*session, b->window);
        result = dialog.exec();
    }
    g_inPrepare = false;

    // The bridge may have been released while the dialog ran (the application quitting).
    b = existingBridge();
    if (!b) {
        return 0;
    }
    b->holding = false;
    b->postWaitingNotice();
    if (result != QDialog::Accepted || !b->session || b->session != session) {
        if (b->session == session) {
            b->dropSession();
        }
        return 0;
    }
    b->scheduleFlush();
    return 1;
}

int32_t SendOneStep(int32_t byteCount, const void* step) {
    nw::Session* session = connectedSession();
    if (!session || !step || byteCount != 2 * static_cast<int32_t>(sizeof(int32_t))) {
        return 0;
    }
    int32_t point[2];
    std::memcpy(point, step, sizeof point);
    // Until the program has been given this game's GameBegin, a click belongs to the game before.
    if (session->gameNumber() != existingBridge()->deliveredGame) {
        return 0;
    }
    return session->sendStep(point[0], point[1]) ? 1 : 0;
}

int32_t SendChat(int32_t length, const char* text) {
    nw::Session* session = connectedSession();
    if (!session || !text || length < 1) {
        return 0;
    }
    const QByteArray line(text, static_cast<qsizetype>(strnlen(text, static_cast<std::size_t>(length))));
    if (session->state() == nw::Session::State::Listening) {
        existingBridge()->notify(QStringLiteral("对方还没有加入，消息没有发出"));
        return 0;
    }
    return session->sendChat(line) ? 1 : 0;
}

int32_t RequireRestart(void) {
    nw::Session* session = connectedSession();
    return session && session->requireRestart() ? 1 : 0;
}

int32_t ReplyRestart(int32_t answer) {
    nw::Session* session = connectedSession();
    return session && session->replyRestart(answer != 0) ? 1 : 0;
}

int32_t SendDisconnect(int32_t /*unused*/) {
    nw::Session* session = connectedSession();
    if (!session) {
        return 0;
    }
    // Whatever was still waiting belongs to the match the player just left.
    existingBridge()->queue.clear();
    return session->sendDisconnect() ? 1 : 0;
}

void ReleaseNetWork(void) {
    Bridge* b = existingBridge();
    if (!b) {
        return;
    }
    if (g_inPrepare) {
        // Called from inside the dialog's event loop: close the dialog, PrepareNetwork cleans up.
        if (b->session) {
            b->session->stop();
        }
        if (QWidget* modal = QApplication::activeModalWidget()) {
            if (auto* dialog = qobject_cast<nw::ConnectDialog*>(modal)) {
                dialog->reject();
            }
        }
    }
    b->dropSession();
    b->callback = nullptr;
    b->window = nullptr;
    b->waitingNotice.reset();
}

} // extern "C"
