// Scripted raw TCP peers against a hosting Session and against the C functions: what the host
// reports for each misbehaviour, and that it then still serves a well-behaved friend.

#include <QEventLoop>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>

#include "api_support.h"
#include "nw/codec.h"
#include "nw/testing.h"

namespace nw::test {
namespace {

QByteArray enc(const wire::Frame& frame) { return bytesOf(wire::encode(frame)); }

// A frame with any payload, also one encode() would refuse.
QByteArray rawFrame(wire::FrameType type, const QByteArray& fields) {
    const auto length = static_cast<std::uint32_t>(fields.size() + 1);
    QByteArray out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>(length >> shift & 0xFF);
    return out + static_cast<char>(type) + fields;
}

QByteArray hello(const QByteArray& name, std::uint16_t version = wire::kProtocolVersion,
                 const QByteArray& protocol = QByteArray(wire::kProtocolName.data())) {
    QByteArray fields;
    fields += static_cast<char>(protocol.size()) + protocol;
    fields += static_cast<char>(version >> 8);
    fields += static_cast<char>(version & 0xFF);
    fields += static_cast<char>(name.size()) + name;
    return rawFrame(wire::FrameType::Hello, fields);
}

QByteArray chat(const char* utf8) { return enc(wire::Chat{gbk(utf8).toStdString()}); }

class HostUnderAttack : public ::testing::Test {
protected:
    static constexpr int kHandshakeMs = 400;

    void SetUp() override { buildHost(SessionOptions{.handshakeMs = kHandshakeMs}); }

    // A listening host with these options in place of the last one.
    void buildHost(SessionOptions options) {
        hostLog.reset();
        host = std::make_unique<Session>(nullptr, options);
        hostLog = std::make_unique<EventLog>(*host);
        hostSilenceMs = options.silenceMs;
        ASSERT_TRUE(host->setPlayerName(QStringLiteral("甲方")));
        ASSERT_TRUE(host->host(0, kLoopback));
    }

    // A real friend completes a handshake and a stone each way; the host hosts again first if
    // its last game ended, and again once the friend has left.
    void expectServesAFriend() {
        if (host->state() == Session::State::Idle) {
            ASSERT_TRUE(host->host(0, kLoopback));
        }
        ASSERT_EQ(host->state(), Session::State::Listening);
        // Frequent keep-alives, also for a host that notices silence early.
        Session friendly{nullptr, SessionOptions{.keepAliveMs = 100}};
        EventLog friendLog(friendly);
        ASSERT_TRUE(friendly.setPlayerName(QStringLiteral("乙方")));
        hostLog->clear();
        friendly.join(QStringLiteral("127.0.0.1"), host->serverPort());
        ASSERT_TRUE(friendLog.waitFor(GameBegin));
        ASSERT_TRUE(hostLog->waitFor(YourTurn));
        ASSERT_TRUE(host->sendStep(8, 8));
        ASSERT_TRUE(friendLog.waitFor(YourTurn));
        ASSERT_TRUE(friendly.sendStep(9, 9));
        ASSERT_TRUE(hostLog->waitFor(OneStep));
        EXPECT_EQ(hostLog->last(OneStep)->column(), 9);
        ASSERT_TRUE(friendly.sendDisconnect());
        ASSERT_TRUE(hostLog->waitFor(PeerGone));
        hostLog->clear();
        ASSERT_TRUE(host->host(0, kLoopback));
    }

    // The raw peer greets as 丙方 and the host plays its first stone: the peer is to move.
    void greetAndLetHostMove(RawPeer& raw) {
        ASSERT_TRUE(raw.connectTo(host->serverPort()));
        raw.send(hello(gbk("丙方")));
        ASSERT_TRUE(hostLog->waitFor(YourTurn));
        ASSERT_TRUE(host->sendStep(8, 8));
        ASSERT_TRUE(QTest::qWaitFor([&] { return raw.frames().size() == 2; }, kWaitMs)); // Welcome, Step
        EXPECT_TRUE(std::holds_alternative<wire::Welcome>(raw.frames().front()));
        hostLog->clear();
    }

    std::unique_ptr<Session> host;
    std::unique_ptr<EventLog> hostLog;
    int hostSilenceMs = 0;
};

TEST_F(HostUnderAttack, strangersAreRefusedOrDroppedBeforeTheGameAndTheHostListensOn) {
    struct Case {
        const char* name;
        QByteArray bytes;
        int refuseReason; // 0: dropped without a word
        bool notice;      // the host's dialog tells its player
        bool peerResets;  // the stranger goes away itself
    };
    const Case cases[] = {
        {"oversized length", QByteArray("\x00\x01\x00\x00\x01", 5), 0, false, false},
        {"zero length", QByteArray("\x00\x00\x00\x00", 4), 0, false, false},
        {"unknown type", QByteArray("\x00\x00\x00\x01\x63", 5), 0, false, false},
        {"not a greeting", enc(wire::Step{1, 8, 8}), 0, false, false},
        {"other program", QByteArray("GET / HTTP/1.0\r\n\r\n"), 0, false, false},
        {"name not GBK", hello("\xFF\xFF"), 0, false, false},
        {"name with a control character", hello("a\tb"), 0, false, false},
        {"mute", QByteArray(), 0, false, false},
        {"half a header, then gone", QByteArray("\x00\x00\x00", 3), 0, false, true},
        {"wrong protocol", hello(gbk("丙方"), 1, "OTHER-GAME"), 2, false, false},
        {"wrong version", hello(gbk("丙方"), 9), 1, true, false},
        {"the host's own name", hello(gbk("甲方")), 4, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawPeer raw;
        ASSERT_TRUE(raw.connectTo(host->serverPort()));
        raw.send(c.bytes);
        if (c.peerResets)
            raw.socket.abort();
        else
            ASSERT_TRUE(raw.waitClosed()); // the host closes: mute ones at their deadline
        if (c.refuseReason != 0) {
            const std::vector<wire::Frame> frames = raw.frames();
            ASSERT_EQ(frames.size(), 1u);
            const auto* refuse = std::get_if<wire::Refuse>(&frames[0]);
            ASSERT_NE(refuse, nullptr);
            EXPECT_EQ(static_cast<int>(refuse->reason), c.refuseReason);
            EXPECT_EQ(refuse->version, wire::kProtocolVersion);
        } else {
            EXPECT_TRUE(raw.received.isEmpty());
        }
        EXPECT_TRUE(hostLog->notices.isEmpty());
        if (c.notice) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !hostLog->turnedAway.isEmpty(); }, kWaitMs));
            EXPECT_EQ(hostLog->turnedAway, QStringList{QStringLiteral("对方的程序版本（9）与本程序（1）不同，已拒绝其连接")});
        } else {
            EXPECT_TRUE(hostLog->turnedAway.isEmpty());
        }
        EXPECT_TRUE(hostLog->events.empty());
        ASSERT_TRUE(QTest::qWaitFor([&] { return host->pendingHandshakes() == 0; }, kWaitMs));
        hostLog->clear();
        expectServesAFriend();
    }

    // A joining Session learns why its name was refused; names that would read as the host's in
    // the chat record (blanks, width and case aside, or carrying a colon like the separator
    // after a name) count as the same.
    const std::pair<const char*, const char*> twins[] = {
        {"甲方", "甲方"}, {"甲方", "甲 方"}, {"甲方", "甲方\u3000"}, {"甲方", "甲方：我认输了"}, {"甲方", "乙：甲方"},
        {"甲方", "甲方:我认输了"}, {"Host", "host"}, {"Host", "Ｈｏｓｔ"}, {"Host", "ｈＯＳＴ "},
    };
    for (const auto& [hostName, name] : twins) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(host->setPlayerName(QString::fromUtf8(hostName)));
        Session twin;
        EventLog twinLog(twin);
        ASSERT_TRUE(twin.setPlayerName(QString::fromUtf8(name)));
        twin.join(QStringLiteral("127.0.0.1"), host->serverPort());
        ASSERT_TRUE(twinLog.waitForNotice());
        EXPECT_EQ(twinLog.notices, QStringList{QStringLiteral("对方与您同名，请换一个名字后再加入")});
        EXPECT_TRUE(hostLog->events.empty());
        ASSERT_TRUE(QTest::qWaitFor([&] { return host->pendingHandshakes() == 0; }, kWaitMs));
    }
    ASSERT_TRUE(host->setPlayerName(QStringLiteral("甲方")));
    expectServesAFriend();
}

TEST_F(HostUnderAttack, aPeerThatMisbehavesInTheGameIsDroppedAndNothingOfItReachesTheGame) {
    auto step = [](std::uint32_t game, char column, char row) {
        QByteArray f;
        for (int shift = 24; shift >= 0; shift -= 8)
            f += static_cast<char>(game >> shift & 0xFF);
        return rawFrame(wire::FrameType::Step, f + column + row);
    };
    QByteArray flood;
    std::vector<int> floodEvents(Session::kChatBurst, ChatText);
    floodEvents.push_back(PeerGone);
    for (int i = 0; i <= Session::kChatBurst; ++i)
        flood += chat("刷屏");
    struct Case {
        const char* name;
        std::function<void(RawPeer&)> act;
        std::vector<int> events; // what the host reports, in order
        int linkLost;            // of the closing PeerGone; -1: the link stands
        int silenceMs = SessionOptions::kDefaultSilenceMs;
    };
    const Case cases[] = {
        {"zero length", [](RawPeer& p) { p.send(QByteArray("\x00\x00\x00\x00", 4)); }, {PeerGone}, 1},
        {"oversized", [](RawPeer& p) { p.send(QByteArray("\x00\x00\x02\x01\x05", 5)); }, {PeerGone}, 1},
        {"unknown type", [](RawPeer& p) { p.send(QByteArray("\x00\x00\x00\x01\x0A", 5)); }, {PeerGone}, 1},
        {"chat not GBK", [](RawPeer& p) { p.send(rawFrame(wire::FrameType::Chat, "\x02\xFF\xFF")); }, {PeerGone}, 1},
        {"stone off the board", [&](RawPeer& p) { p.send(step(1, 16, 9)); }, {PeerGone}, 1},
        {"stone on a taken point", [&](RawPeer& p) { p.send(step(1, 8, 8)); }, {PeerGone}, 1},
        {"two stones in a row", [&](RawPeer& p) { p.send(step(1, 9, 9) + step(1, 10, 10)); },
         {OneStep, YourTurn, PeerGone}, 1},
        {"stone for a later game", [&](RawPeer& p) { p.send(step(2, 9, 9)); }, {PeerGone}, 1},
        {"unasked restart reply", [](RawPeer& p) { p.send(enc(wire::RestartReply{true})); }, {PeerGone}, 1},
        {"second restart question", [](RawPeer& p) { p.send(enc(wire::RestartAsk{}) + enc(wire::RestartAsk{})); },
         {RestartAsked}, -1},
        {"restart questions in a storm", [](RawPeer& p) { p.send(enc(wire::RestartAsk{}).repeated(12)); },
         {RestartAsked, PeerGone}, 1},
        {"greeting in the game", [](RawPeer& p) { p.send(hello(gbk("丙方"))); }, {PeerGone}, 1},
        {"chat faster than anyone types", [&](RawPeer& p) { p.send(flood); },
         floodEvents, 1},
        {"keep-alive flood", [](RawPeer& p) { p.send(enc(wire::KeepAlive{}).repeated(2000)); }, {PeerGone}, 1},
        {"bye", [](RawPeer& p) { p.send(enc(wire::Bye{})); }, {PeerGone}, 0},
        {"reset", [](RawPeer& p) { p.socket.abort(); }, {PeerGone}, 1},
        {"silence", [](RawPeer&) {}, {PeerGone}, 1, 1000},
        // A header alone is ordinary TCP splitting, not a fault.
        {"header apart from its type byte",
         [](RawPeer& p) {
             p.send(QByteArray("\x00\x00\x00\x01", 4));
             QTest::qWait(300);
             p.send(QByteArray("\x08", 1));
             p.send(chat("还在吗"));
         },
         {ChatText}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.silenceMs != hostSilenceMs) {
            buildHost(SessionOptions{.silenceMs = c.silenceMs, .handshakeMs = kHandshakeMs});
        }
        RawPeer raw;
        greetAndLetHostMove(raw);
        c.act(raw);
        if (c.linkLost >= 0) {
            ASSERT_TRUE(hostLog->waitFor(PeerGone));
            EXPECT_EQ(hostLog->last(PeerGone)->linkLost, c.linkLost == 1);
            EXPECT_EQ(hostLog->last(PeerGone)->seat, 2);
            EXPECT_EQ(host->state(), Session::State::Idle);
            if (c.linkLost == 1 && !raw.isClosed()) {
                EXPECT_TRUE(raw.waitClosed());
            }
        } else {
            ASSERT_TRUE(hostLog->waitFor(c.events.back()));
            EXPECT_EQ(host->state(), Session::State::Connected);
            // The farewell comes after everything else on the stream: a link that ends with it
            // stood until then.
            raw.send(enc(wire::Bye{}));
            ASSERT_TRUE(hostLog->waitFor(PeerGone));
            EXPECT_FALSE(hostLog->last(PeerGone)->linkLost);
            hostLog->events.pop_back();
        }
        EXPECT_EQ(hostLog->types(), c.events);
        if (c.events.front() == ChatText) {
            EXPECT_EQ(hostLog->events.front().line(), c.linkLost < 0 ? gbk("丙方：还在吗") : gbk("丙方：刷屏"));
        }
        EXPECT_EQ(host->board().stones(), c.events.front() == OneStep ? 2 : 1);
        expectServesAFriend();
    }
}

TEST_F(HostUnderAttack, muteConnectionsCannotLockTheFriendOutAndNewcomersDuringTheGameAreBusy) {
    buildHost(SessionOptions{.handshakeMs = 60000}); // only a newcomer pushing it out frees a slot here
    std::vector<std::unique_ptr<RawPeer>> mutes;
    for (int i = 0; i <= Session::kMaxPendingHandshakes; ++i) {
        mutes.push_back(std::make_unique<RawPeer>());
        ASSERT_TRUE(mutes.back()->connectTo(host->serverPort()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return host->pendingHandshakes() == std::min(i + 1, Session::kMaxPendingHandshakes); }, kWaitMs));
    }
    // All slots taken: the oldest gave way, the others wait on.
    ASSERT_TRUE(mutes.front()->waitClosed());
    // The host let the oldest go in the same step as it took the newest; it holds the others.
    EXPECT_EQ(host->pendingHandshakes(), Session::kMaxPendingHandshakes);
    ASSERT_TRUE(drainEvents());
    for (std::size_t i = 1; i < mutes.size(); ++i)
        EXPECT_FALSE(mutes[i]->isClosed()) << i;

    Session friendly;
    EventLog friendLog(friendly);
    ASSERT_TRUE(friendly.setPlayerName(QStringLiteral("乙方")));
    friendly.join(QStringLiteral("127.0.0.1"), host->serverPort());
    ASSERT_TRUE(friendLog.waitFor(GameBegin));
    // The first valid greeting won: every other pending handshake is closed.
    for (auto& mute : mutes)
        EXPECT_TRUE(mute->waitClosed());
    EXPECT_EQ(host->pendingHandshakes(), 0);

    // During the game a crowd of newcomers is told "busy" (or, past the bound, just cut off);
    // none of them lingers and the game goes on.
    std::vector<std::unique_ptr<RawPeer>> crowd;
    for (int i = 0; i < 3 * Session::kMaxRefusedClosing; ++i) {
        crowd.push_back(std::make_unique<RawPeer>());
        crowd.back()->socket.connectToHost(kLoopback, host->serverPort());
    }
    int toldBusy = 0;
    for (auto& newcomer : crowd) {
        ASSERT_TRUE(newcomer->waitClosed());
        const std::vector<wire::Frame> frames = newcomer->frames();
        ASSERT_LE(frames.size(), 1u);
        if (!frames.empty()) {
            ASSERT_TRUE(std::holds_alternative<wire::Refuse>(frames[0]));
            EXPECT_EQ(std::get<wire::Refuse>(frames[0]).reason, wire::RefuseReason::Busy);
            ++toldBusy;
        }
    }
    EXPECT_GE(toldBusy, 1);
    ASSERT_TRUE(hostLog->waitFor(YourTurn));
    ASSERT_TRUE(host->sendStep(7, 7));
    ASSERT_TRUE(friendLog.waitFor(OneStep));
    EXPECT_EQ(host->state(), Session::State::Connected);
    EXPECT_EQ(hostLog->count(PeerGone), 0);
}

// A whole game (handshake, chat, stones, a win, an agreed restart, a stone of the next game,
// farewell) reaches the same events however the stream is cut in two.
TEST(SplitStream, everyCutOfAWholeGameGivesTheEventsOfTheUncutOne) {
    const std::vector<std::pair<int, int>> hostMoves = {{8, 4}, {8, 5}, {8, 6}, {8, 7}, {8, 8}, {3, 3}};
    QByteArray stream = hello(gbk("乙方")) + chat("你好") + enc(wire::KeepAlive{});
    for (int row = 1; row <= 4; ++row)
        stream += enc(wire::Step{1, 1, static_cast<std::uint8_t>(row)}); // after each host stone
    stream += enc(wire::RestartAsk{}) + enc(wire::Step{2, 5, 5}) + chat("再来") + enc(wire::Bye{});

    // The host plays its next stone whenever it is told to move and agrees to a restart.
    auto run = [&](qsizetype cut) {
        Session host;
        EventLog log(host);
        EXPECT_TRUE(host.setPlayerName(QStringLiteral("甲方")));
        std::size_t next = 0;
        QObject::connect(&host, &Session::netEvent, &host, [&](const SessionEvent& e) {
            if (e.type == YourTurn && next < hostMoves.size()) {
                EXPECT_TRUE(host.sendStep(hostMoves[next].first, hostMoves[next].second));
                ++next;
            } else if (e.type == RestartAsked) {
                EXPECT_TRUE(host.replyRestart(true));
            }
        });
        EXPECT_TRUE(host.host(0, kLoopback));
        RawPeer raw;
        EXPECT_TRUE(raw.connectTo(host.serverPort()));
        raw.send(stream.left(cut));
        QTest::qWait(2); // the host reads the first part on its own
        raw.send(stream.mid(cut));
        EXPECT_TRUE(log.waitFor(PeerGone));
        return log.events;
    };
    const std::vector<SessionEvent> whole = run(stream.size());
    const std::vector<int> expected = {GameBegin, YourTurn, ChatText,                       //
                                       OneStep, YourTurn, OneStep, YourTurn, OneStep, YourTurn, OneStep, YourTurn,
                                       RestartAsked, GameBegin, OneStep, YourTurn, ChatText, PeerGone};
    std::vector<int> types;
    for (const SessionEvent& e : whole)
        types.push_back(e.type);
    ASSERT_EQ(types, expected);
    EXPECT_FALSE(whole.back().linkLost);
    for (qsizetype cut = 1; cut < stream.size(); ++cut) {
        const std::vector<SessionEvent> split = run(cut);
        ASSERT_EQ(split.size(), whole.size()) << "cut at " << cut;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            EXPECT_EQ(split[i].type, whole[i].type) << "cut at " << cut << ", event " << i;
            EXPECT_EQ(split[i].seat, whole[i].seat) << "cut at " << cut << ", event " << i;
            EXPECT_EQ(split[i].data, whole[i].data) << "cut at " << cut << ", event " << i;
        }
    }
}

// Counts the callback's calls per batch: each call posts a marker, and the markers of one
// batch are delivered before the next batch begins, never within it.
struct BatchMarkers : QObject {
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++delivered;
        return true;
    }
    void onCall() {
        largestBatch = std::max(largestBatch, posted - delivered + 1);
        ++posted;
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }
    int posted = 0;
    int delivered = 0;
    int largestBatch = 0;
};
BatchMarkers* g_markers = nullptr;

void markingCallback(int32_t unused, NetEvent* event) {
    recordEvent(unused, event);
    if (g_markers)
        g_markers->onCall();
}

// The C functions: the program's side of the same defences.
class ApiUnderAttack : public ::testing::Test {
protected:
    void SetUp() override {
        g_received.clear();
        ASSERT_TRUE(peer.setPlayerName(QStringLiteral("乙方")));
    }
    void TearDown() override {
        ReleaseNetWork();
        g_received.clear();
        testing::setSessionOptions({});
    }
    int32_t prepare(std::function<void(QDialog&)> act) {
        whenDialogOpens(std::move(act));
        return PrepareNetwork(&window, &markingCallback);
    }
    // Hosts through the dialog as 甲方; duringWait runs while it waits, then the peer joins.
    void hostAndLetPeerJoin(const std::function<void(QDialog&, quint16)>& duringWait = {}) {
        ASSERT_NE(prepare([&](QDialog& d) {
            fillAndConfirm(d, true, QStringLiteral("甲方"), 0);
            const quint16 port = testing::currentSession()->serverPort();
            if (duringWait)
                duringWait(d, port);
            peer.join(QStringLiteral("127.0.0.1"), port);
        }), 0);
        ASSERT_TRUE(waitForReceived(GameBegin));
        ASSERT_TRUE(peerLog.waitFor(GameBegin));
    }

    Window window;
    Session peer;
    EventLog peerLog{peer};
};

// What strangers were told shows in the dialog while it waits; once the friend's game begins it
// is no news, and no box about it comes over the game.
TEST_F(ApiUnderAttack, aFloodOfWrongVersionsWhileTheDialogWaitsShowsInTheDialogOnly) {
    QString status;
    hostAndLetPeerJoin([&](QDialog& d, quint16 port) {
        for (int round = 0; round < 20; ++round) {
            std::vector<std::unique_ptr<RawPeer>> wave;
            for (int i = 0; i < 10; ++i) {
                wave.push_back(std::make_unique<RawPeer>());
                wave.back()->socket.connectToHost(kLoopback, port);
                wave.back()->socket.write(hello(gbk("丙方"), static_cast<std::uint16_t>(100 + round)));
            }
            for (auto& raw : wave)
                ASSERT_TRUE(raw->waitClosed());
        }
        status = d.findChild<QLabel*>("statusLabel")->text();
        EXPECT_TRUE(window.texts.empty()); // nothing reaches the window while its dialog is up
    });
    EXPECT_TRUE(status.startsWith(QStringLiteral("正在等待对方加入"))) << status.toStdString();
    EXPECT_TRUE(status.contains(QStringLiteral("对方的程序版本（119）"))) << "the latest";
    ASSERT_TRUE(drainEvents());
    EXPECT_TRUE(window.texts.empty());
}

TEST_F(ApiUnderAttack, aNoticeIsPostedOnlyOnceThePreviousOneWasHandled) {
    QTcpServer occupied;
    ASSERT_TRUE(occupied.listen(QHostAddress::Any));
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(kLoopback));
        closedPort = probe.serverPort();
    }
    std::size_t seenInside = 0;
    // The first notice's handler keeps it open (as a message box would) while two more come.
    window.onNotice = [&] {
        EXPECT_EQ(prepare([&](QDialog& d) { fillAndConfirm(d, true, QStringLiteral("甲方"), occupied.serverPort()); }), 0);
        EXPECT_EQ(prepare([&](QDialog& d) {
            fillAndConfirm(d, false, QStringLiteral("甲方"), closedPort, QStringLiteral("127.0.0.1"));
        }), 0);
        EXPECT_TRUE(drainEvents());
        seenInside = window.texts.size();
    };
    EXPECT_EQ(prepare([&](QDialog& d) { fillAndConfirm(d, true, QStringLiteral("甲方"), occupied.serverPort()); }), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.texts.size() >= 2; }, kWaitMs));
    ASSERT_TRUE(drainEvents());
    EXPECT_EQ(seenInside, 1u);
    EXPECT_EQ(window.maxDepth, 1);
    ASSERT_EQ(window.texts.size(), 2u); // the one between was merged into the latest
    EXPECT_EQ(window.texts[0].second, QStringLiteral("端口已被占用"));
    EXPECT_EQ(window.texts[1].second, QStringLiteral("连接被拒绝"));
}

TEST_F(ApiUnderAttack, eventsComeInSmallBatchesAndAFlowTheProgramCannotTakeBreaksTheLink) {
    testing::setSessionOptions({.ownChat = {1000, 1000}}); // the volume comes from the local side
    hostAndLetPeerJoin();
    ASSERT_TRUE(waitForReceived(YourTurn));
    BatchMarkers markers;
    g_markers = &markers;
    const std::size_t before = g_received.size();
    for (int i = 0; i < 100; ++i) {
        const QByteArray line = QByteArray::number(i);
        ASSERT_NE(SendChat(static_cast<int32_t>(line.size() + 1), line.constData()), 0);
    }
    EXPECT_EQ(g_received.size(), before); // never inside the call
    const bool all = QTest::qWaitFor([&] { return countOf(ChatText) >= 100; }, kWaitMs);
    g_markers = nullptr;
    ASSERT_TRUE(all);
    EXPECT_LE(markers.largestBatch, 16);
    EXPECT_GE(markers.posted, 100);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(g_received[before + static_cast<std::size_t>(i)].data, gbk("甲方：") + QByteArray::number(i));

    // The peer took a hundred lines at once for a script and left; a fresh link for the bound.
    ReleaseNetWork();
    g_received.clear();
    peer.stop();
    peerLog.clear();
    hostAndLetPeerJoin();
    ASSERT_TRUE(waitForReceived(YourTurn));
    g_received.clear();
    int sent = 0;
    for (int i = 0; i < 400; ++i)
        sent += SendChat(3, "hi") != 0 ? 1 : 0;
    EXPECT_LT(sent, 400); // the link broke on the way
    ASSERT_TRUE(waitForReceived(PeerGone));
    ASSERT_TRUE(drainEvents());
    EXPECT_EQ(countOf(ChatText), 256);
    EXPECT_EQ(g_received.back().type, PeerGone);
    EXPECT_NE(g_received.back().linkLost, 0);
    EXPECT_EQ(testing::currentSession()->state(), Session::State::Idle);
}

TEST_F(ApiUnderAttack, aStoneIsSentOnlyOnceItsGameBeganForTheProgram) {
    ASSERT_TRUE(peer.host(0, kLoopback));
    ASSERT_NE(prepare([&](QDialog& d) {
        fillAndConfirm(d, false, QStringLiteral("甲方"), peer.serverPort(), QStringLiteral("127.0.0.1"));
    }), 0);
    ASSERT_TRUE(peerLog.waitFor(YourTurn));
    ASSERT_TRUE(peer.sendStep(8, 8));
    ASSERT_TRUE(waitForReceived(YourTurn));
    // The peer asks for a new game; agreeing begins game 2 (the local side moves first) at once,
    // but the program has not yet heard of it: a click now belongs to game 1.
    ASSERT_TRUE(peer.requireRestart());
    ASSERT_TRUE(waitForReceived(RestartAsked));
    ASSERT_NE(ReplyRestart(-1), 0);
    ASSERT_EQ(testing::currentSession()->gameNumber(), 2u);
    ASSERT_TRUE(testing::currentSession()->isMyTurn());
    const std::int32_t point[2] = {7, 7};
    EXPECT_EQ(SendOneStep(8, point), 0);
    ASSERT_TRUE(waitForReceived(GameBegin, 2));
    EXPECT_NE(SendOneStep(8, point), 0);
    ASSERT_TRUE(peerLog.waitFor(OneStep));
    // One stream: a stone sent before this one would have come first, and a quarrel over it
    // would have ended the link before this one arrived.
    EXPECT_EQ(peerLog.count(OneStep), 1);
    EXPECT_EQ(peerLog.last(OneStep)->column(), 7);
    EXPECT_EQ(peer.state(), Session::State::Connected); // the boards stayed in step
}

} // namespace
} // namespace nw::test
