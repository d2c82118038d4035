// The seven C functions as the program calls them: the dialog driven by a test timer, the
// callback and the notice events on a window, a test Session as the peer.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTimer>
#include <QWidget>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

#include "nw/connect_dialog.h"
#include "nw/nw.h"
#include "nw/testing.h"
#include "api_support.h"

namespace nw::test {
namespace {

class NetworkApi : public ::testing::Test {
protected:
    void SetUp() override {
        g_received.clear();
        ASSERT_TRUE(peer.setPlayerName(QStringLiteral("乙方")));
    }
    void TearDown() override {
        ReleaseNetWork();
        testing::setSessionTimings(0, 0);
        g_received.clear();
    }

    int32_t prepare(std::function<void(QDialog&)> act) {
        whenDialogOpens(std::move(act));
        g_inPrepareCall = true;
        const int32_t result = PrepareNetwork(&window, &recordEvent);
        g_inPrepareCall = false;
        return result;
    }

    // The program hosts through the dialog as 甲方; the test's peer joins while it waits.
    void hostAndLetPeerJoin() { hostAndLetJoin(peer, peerLog); }
    void hostAndLetJoin(Session& joiner, EventLog& joinerLog) {
        quint16 port = 0;
        ASSERT_NE(prepare([&](QDialog& d) {
            fillAndConfirm(d, true, QStringLiteral("甲方"), 0);
            port = testing::currentSession()->serverPort();
            joiner.join(QStringLiteral("127.0.0.1"), port);
        }), 0);
        ASSERT_NE(port, 0);
        ASSERT_TRUE(waitForReceived(GameBegin));
        ASSERT_TRUE(joinerLog.waitFor(GameBegin));
        ASSERT_TRUE(waitForReceived(YourTurn));
    }

    Window window;
    Session peer;
    EventLog peerLog{peer};
};

TEST(NetworkApiRelease, releaseIsAcceptedWithNoConnectionAndTwice) {
    ReleaseNetWork();
    ReleaseNetWork();
    EXPECT_EQ(testing::currentSession(), nullptr);
    // Calls without a connection are refused, not crashes.
    const std::int32_t step[2] = {8, 8};
    EXPECT_EQ(SendOneStep(8, step), 0);
    EXPECT_EQ(SendChat(3, "hi"), 0);
    EXPECT_EQ(RequireRestart(), 0);
    EXPECT_EQ(ReplyRestart(-1), 0);
    EXPECT_EQ(SendDisconnect(0), 0);
    ReleaseNetWork();
}

TEST_F(NetworkApi, hostingKeepsTheDialogOpenWithPortAndAddressesUntilAFriendJoins) {
    bool sawWidgets = false;
    const int32_t result = prepare([&](QDialog& d) {
        sawWidgets = d.findChild<QLineEdit*>("nameEdit") && d.findChild<QLineEdit*>("addressEdit") &&
                     d.findChild<QPushButton*>("cancelButton") && d.findChild<QWidget*>("statusLabel");
        // The dialog belongs to the main window and opens with the login name.
        EXPECT_EQ(d.parentWidget(), &window);
        EXPECT_EQ(d.findChild<QLineEdit*>("nameEdit")->text(), defaultPlayerName());
        fillAndConfirm(d, true, QStringLiteral("甲方"), 0); // any free port
        // Listening, still open: the player reads the port and addresses to give the friend.
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(testing::currentSession()->state(), Session::State::Listening);
        const quint16 port = testing::currentSession()->serverPort();
        EXPECT_NE(port, 0);
        EXPECT_EQ(d.findChild<QLabel*>("portLabel")->text(), QString::number(port));
        EXPECT_TRUE(d.findChild<QLabel*>("portLabel")->isVisible());
        EXPECT_FALSE(d.findChild<QLabel*>("addressLabel")->text().isEmpty());
        EXPECT_EQ(d.findChild<QLabel*>("statusLabel")->textFormat(), Qt::PlainText);
        EXPECT_FALSE(d.findChild<QPushButton*>("okButton")->isEnabled());
        EXPECT_TRUE(d.findChild<QPushButton*>("cancelButton")->isEnabled());
        QTimer::singleShot(300, &d, [this, port] { peer.join(QStringLiteral("127.0.0.1"), port); });
    });
    EXPECT_TRUE(sawWidgets);
    EXPECT_NE(result, 0);
    ASSERT_NE(testing::currentSession(), nullptr);
    EXPECT_EQ(testing::currentSession()->state(), Session::State::Connected);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // the dialog closed itself
    EXPECT_TRUE(g_received.empty()); // events come once the program is back in its loop
    ASSERT_TRUE(waitForReceived(YourTurn));
    EXPECT_EQ(g_received[0].type, GameBegin);
}

TEST(ConnectDialogAddresses, ipv4FirstThenIpv6AndLoopbackOnlyWhenAlone) {
    const QHostAddress v4("192.168.1.20"), v6("2001:db8::5"), lo4("127.0.0.1"), lo6("::1");
    EXPECT_EQ(addressesForFriend({lo4, v6, lo6, v4}), (QStringList{"192.168.1.20", "2001:db8::5"}));
    EXPECT_EQ(addressesForFriend({lo6, lo4}), (QStringList{"::1", "127.0.0.1"}));
    EXPECT_TRUE(addressesForFriend({}).isEmpty());
}

TEST_F(NetworkApi, eventsReachTheCallbackAfterPrepareReturns) {
    hostAndLetPeerJoin();
    for (const Received& r : g_received)
        EXPECT_FALSE(r.insidePrepare);
    const Received* begin = lastOf(GameBegin);
    EXPECT_EQ(begin->seat, 1);
    EXPECT_EQ(begin->data, gbk("甲方") + '\0' + gbk("乙方") + '\0');
    EXPECT_EQ(g_received[0].type, GameBegin);
    EXPECT_EQ(g_received[1].type, YourTurn);
}

TEST_F(NetworkApi, stonesTravelBothWaysThroughTheCFunctions) {
    hostAndLetPeerJoin();
    const std::int32_t step[2] = {8, 9};
    EXPECT_NE(SendOneStep(8, step), 0);
    ASSERT_TRUE(peerLog.waitFor(OneStep));
    EXPECT_EQ(peerLog.last(OneStep)->column(), 8);
    EXPECT_EQ(peerLog.last(OneStep)->row(), 9);
    EXPECT_EQ(SendOneStep(8, step), 0); // out of turn: not sent

    ASSERT_TRUE(peer.sendStep(3, 4));
    ASSERT_TRUE(waitForReceived(OneStep));
    EXPECT_EQ(lastOf(OneStep)->column, 3);
    EXPECT_EQ(lastOf(OneStep)->row, 4);
    ASSERT_TRUE(waitForReceived(YourTurn, 2));
    EXPECT_EQ(g_received.back().type, YourTurn);

    const std::int32_t taken[2] = {3, 4};
    EXPECT_EQ(SendOneStep(8, taken), 0);
    EXPECT_EQ(SendOneStep(4, step), 0);    // wrong byte count
    EXPECT_EQ(SendOneStep(8, nullptr), 0);
    // A line sent after them arrives after anything they sent.
    const int linesBefore = peerLog.count(ChatText);
    EXPECT_NE(SendChat(2, "~"), 0);
    ASSERT_TRUE(peerLog.waitFor(ChatText, linesBefore + 1));
    EXPECT_EQ(peerLog.count(OneStep), 1);
}

TEST_F(NetworkApi, chatLinesComeBackWithTheSendersName) {
    hostAndLetPeerJoin();
    const QByteArray line = gbk("你好");
    EXPECT_NE(SendChat(static_cast<int32_t>(line.size() + 1), line.constData()), 0);
    ASSERT_TRUE(waitForReceived(ChatText));
    EXPECT_EQ(lastOf(ChatText)->data, gbk("甲方：你好"));
    ASSERT_TRUE(peerLog.waitFor(ChatText));
    EXPECT_EQ(peerLog.last(ChatText)->line(), gbk("甲方：你好"));

    ASSERT_TRUE(peer.sendChat(gbk("收到")));
    ASSERT_TRUE(waitForReceived(ChatText, 2));
    EXPECT_EQ(lastOf(ChatText)->data, gbk("乙方：收到"));
}

TEST_F(NetworkApi, restartRefusedAndAgreedThroughTheCallback) {
    hostAndLetPeerJoin();
    EXPECT_NE(RequireRestart(), 0);
    ASSERT_TRUE(peerLog.waitFor(RestartAsked));
    EXPECT_EQ(peerLog.last(RestartAsked)->seat, 1);
    ASSERT_TRUE(peer.replyRestart(false));
    ASSERT_TRUE(waitForReceived(RestartRefused));
    EXPECT_EQ(lastOf(RestartRefused)->seat, 2);

    ASSERT_TRUE(peer.requireRestart());
    ASSERT_TRUE(waitForReceived(RestartAsked));
    EXPECT_EQ(lastOf(RestartAsked)->seat, 2);
    ASSERT_TRUE(drainEvents());
    // The question comes as the event only, so the player is asked once, not twice.
    EXPECT_TRUE(window.texts.empty());
    EXPECT_NE(ReplyRestart(-1), 0);
    EXPECT_EQ(ReplyRestart(-1), 0); // a second answer has no question left
    ASSERT_TRUE(waitForReceived(GameBegin, 2));
    EXPECT_EQ(lastOf(GameBegin)->seat, 2);
    EXPECT_EQ(lastOf(GameBegin)->data, gbk("乙方") + '\0' + gbk("甲方") + '\0');
    ASSERT_TRUE(peerLog.waitFor(GameBegin, 2));
    EXPECT_EQ(peerLog.last(GameBegin)->seat, 1);
    ASSERT_TRUE(peerLog.waitFor(YourTurn));
}

TEST_F(NetworkApi, peerLeavingAndLinkBreakingAreTold) {
    hostAndLetPeerJoin();
    ASSERT_TRUE(peer.sendDisconnect());
    ASSERT_TRUE(waitForReceived(PeerGone));
    EXPECT_EQ(lastOf(PeerGone)->seat, 2);
    EXPECT_EQ(lastOf(PeerGone)->linkLost, 0);
    ReleaseNetWork();

    g_received.clear();
    hostAndLetPeerJoin();
    peer.stop();
    ASSERT_TRUE(waitForReceived(PeerGone));
    EXPECT_EQ(lastOf(PeerGone)->seat, 2);
    EXPECT_NE(lastOf(PeerGone)->linkLost, 0);
}

TEST_F(NetworkApi, silenceOfThePeerIsALostLink) {
    Session quick{nullptr, SessionOptions{.keepAliveMs = kQuickKeepAliveMs, .silenceMs = kQuickSilenceMs}};
    EventLog quickLog{quick};
    ASSERT_TRUE(quick.setPlayerName(QStringLiteral("乙方")));
    testing::setSessionTimings(kQuickKeepAliveMs, kQuickSilenceMs);
    hostAndLetJoin(quick, quickLog);
    // Keep-alives hold the quiet link past the silence limit.
    EXPECT_TRUE(holdsFor(kQuickSilenceMs * 3 / 2, [] { return countOf(PeerGone) > 0; }));
    ASSERT_EQ(countOf(PeerGone), 0);
    ReleaseNetWork();

    // A peer that hangs: no keep-alive within the test.
    Session hung{nullptr, SessionOptions{.keepAliveMs = 600000}};
    EventLog hungLog{hung};
    ASSERT_TRUE(hung.setPlayerName(QStringLiteral("乙方")));
    g_received.clear();
    hostAndLetJoin(hung, hungLog);
    testing::setSessionTimings(0, 0);
    ASSERT_TRUE(waitForReceived(PeerGone));
    EXPECT_NE(lastOf(PeerGone)->linkLost, 0);
}

TEST_F(NetworkApi, prepareWorksAgainAfterDisconnectWithoutRelease) {
    hostAndLetPeerJoin();
    EXPECT_NE(SendDisconnect(0), 0);
    ASSERT_TRUE(peerLog.waitFor(PeerGone));
    EXPECT_EQ(peerLog.last(PeerGone)->linkLost, false);
    EXPECT_EQ(countOf(PeerGone), 0); // the local side hears nothing of its own leaving

    g_received.clear();
    peerLog.clear();
    hostAndLetPeerJoin();
    EXPECT_EQ(lastOf(GameBegin)->seat, 1);
    // Nor later: the new game's greeting came through the peer after it had closed the old link.
    EXPECT_EQ(countOf(PeerGone), 0);
}

TEST_F(NetworkApi, disconnectThenReleaseStillTellsThePeerThePlayerLeft) {
    // The program's reconnect path: the farewell must leave even though release follows at once.
    hostAndLetPeerJoin();
    EXPECT_NE(SendDisconnect(0), 0);
    ReleaseNetWork();
    ASSERT_TRUE(peerLog.waitFor(PeerGone));
    EXPECT_FALSE(peerLog.last(PeerGone)->linkLost);
}

TEST_F(NetworkApi, cancelOrReleaseWhileWaitingStopsHostingAndFreesThePort) {
    for (const bool cancel : {true, false}) {
        quint16 port = 0;
        const int32_t result = prepare([&](QDialog& d) {
            fillAndConfirm(d, true, QStringLiteral("甲方"), 0);
            port = testing::currentSession()->serverPort();
            if (cancel)
                d.findChild<QPushButton*>("cancelButton")->click();
            else
                ReleaseNetWork(); // the program quitting while the dialog waits
        });
        EXPECT_EQ(result, 0) << cancel;
        ASSERT_NE(port, 0);
        EXPECT_EQ(testing::currentSession(), nullptr);
        ReleaseNetWork();
        QTcpServer again;
        EXPECT_TRUE(again.listen(QHostAddress::Any, port)) << cancel;
    }
    ASSERT_TRUE(drainEvents());
    EXPECT_TRUE(g_received.empty());
    EXPECT_TRUE(window.texts.empty());
}

TEST_F(NetworkApi, releaseWhileConnectedLeavesThePeerWithALostLink) {
    hostAndLetPeerJoin();
    ReleaseNetWork();
    ASSERT_TRUE(peerLog.waitFor(PeerGone));
    EXPECT_TRUE(peerLog.last(PeerGone)->linkLost);
    ReleaseNetWork();
    const std::size_t before = g_received.size();
    ASSERT_TRUE(drainEvents());
    EXPECT_EQ(g_received.size(), before); // nothing after release
}

TEST_F(NetworkApi, cancelledDialogReturnsZeroQuietly) {
    const int32_t result = prepare([](QDialog& d) { d.findChild<QPushButton*>("cancelButton")->click(); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(testing::currentSession(), nullptr);
    ASSERT_TRUE(drainEvents());
    EXPECT_TRUE(window.texts.empty());
}

TEST_F(NetworkApi, busyPortFailsWithANoticeAfterPrepareReturns) {
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::Any));
    const int32_t result = prepare([&](QDialog& d) { fillAndConfirm(d, true, QStringLiteral("甲方"), other.serverPort()); });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(window.texts.empty()); // posted, shown once the program is back in its loop
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.texts.empty(); }, kWaitMs));
    EXPECT_EQ(window.texts[0].first, kNetNoticeEvent);
    EXPECT_EQ(window.texts[0].second, QStringLiteral("端口已被占用"));
}

TEST_F(NetworkApi, joiningThroughTheDialogReturnsOnceGreeted) {
    ASSERT_TRUE(peer.host(0, kLoopback));
    const int32_t result = prepare([&](QDialog& d) {
        fillAndConfirm(d, false, QStringLiteral("甲方"), peer.serverPort(), QStringLiteral("127.0.0.1"));
    });
    EXPECT_NE(result, 0);
    EXPECT_EQ(testing::currentSession()->state(), Session::State::Connected);
    EXPECT_TRUE(g_received.empty()); // held until the program is back in its loop
    ASSERT_TRUE(waitForReceived(GameBegin));
    EXPECT_EQ(lastOf(GameBegin)->seat, 2);
    EXPECT_EQ(lastOf(GameBegin)->data, gbk("乙方") + '\0' + gbk("甲方") + '\0');
    ASSERT_TRUE(peerLog.waitFor(YourTurn));
    ASSERT_TRUE(peer.sendStep(8, 8));
    ASSERT_TRUE(waitForReceived(YourTurn));
}

TEST_F(NetworkApi, joinRefusedThroughTheDialogIsANotice) {
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(kLoopback));
        port = probe.serverPort();
    }
    const int32_t result = prepare([&](QDialog& d) {
        fillAndConfirm(d, false, QStringLiteral("甲方"), port, QStringLiteral("127.0.0.1"));
    });
    EXPECT_EQ(result, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.texts.empty(); }, kWaitMs));
    EXPECT_EQ(window.texts[0].second, QStringLiteral("连接被拒绝"));
    EXPECT_EQ(testing::currentSession(), nullptr);
}

TEST_F(NetworkApi, dialogKeepsAskingForAUsableName) {
    QString status;
    const int32_t result = prepare([&](QDialog& d) {
        fillAndConfirm(d, true, QString(), 0);
        status = d.findChild<QLabel*>("statusLabel")->text();
        fillAndConfirm(d, true, QString(40, QLatin1Char('n')), 0);
        EXPECT_TRUE(d.isVisible());
        // The separator the chat record puts after names would let one name fake another; an
        // ASCII colon reads the same.
        fillAndConfirm(d, true, QStringLiteral("甲方:我认输了"), 0);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.findChild<QLabel*>("statusLabel")->text(), QStringLiteral("名字中不能有冒号（“：”或“:”）"));
        d.findChild<QPushButton*>("cancelButton")->click();
    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(status.isEmpty());
}

TEST_F(NetworkApi, chatWhileWaitingForAPeerIsNotSentAndSaysWhy) {
    EXPECT_EQ(prepare([](QDialog& d) {
        fillAndConfirm(d, true, QStringLiteral("甲方"), 0);
        EXPECT_EQ(SendChat(3, "hi"), 0);
        d.findChild<QPushButton*>("cancelButton")->click();
    }), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.texts.empty(); }, kWaitMs));
    EXPECT_EQ(window.texts[0].first, kNetNoticeEvent);
    EXPECT_EQ(window.texts[0].second, QStringLiteral("对方还没有加入，消息没有发出"));
    EXPECT_TRUE(g_received.empty());
}

} // namespace
} // namespace nw::test
