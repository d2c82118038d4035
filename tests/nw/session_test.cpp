// Two library sessions over loopback: every event, seats and restarts, chat, refusals and the
// ways a link ends.

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <functional>

#include "nw/codec.h"
#include "test_support.h"

namespace nw::test {
namespace {


class SessionPair : public ::testing::Test {
protected:
    explicit SessionPair(SessionOptions hostOptions = {}, SessionOptions guestOptions = {})
        : host(nullptr, hostOptions), guest(nullptr, guestOptions) {}

    void SetUp() override {
        ASSERT_TRUE(host.setPlayerName(QStringLiteral("甲方")));
        ASSERT_TRUE(guest.setPlayerName(QStringLiteral("乙方")));
    }

    void connectPair() {
        ASSERT_TRUE(host.host(0, kLoopback));
        ASSERT_NE(host.serverPort(), 0);
        guest.join(QStringLiteral("127.0.0.1"), host.serverPort());
        ASSERT_TRUE(guestLog.waitFor(GameBegin));
        ASSERT_TRUE(hostLog.waitFor(GameBegin));
        ASSERT_EQ(host.state(), Session::State::Connected);
        ASSERT_EQ(guest.state(), Session::State::Connected);
    }

    // The guest's side written by hand: it greets as 乙方, then sends whatever the test likes.
    void connectRawGuest(RawPeer& raw) {
        ASSERT_TRUE(host.host(0, kLoopback));
        ASSERT_TRUE(raw.connectTo(host.serverPort()));
        ASSERT_TRUE(raw.send(bytesOf(wire::encode(wire::Hello{.name = gbk("乙方").toStdString()}))));
        ASSERT_TRUE(hostLog.waitFor(GameBegin));
        ASSERT_EQ(host.state(), Session::State::Connected);
    }

    // The raw guest (seat 2) is to move in game 1, the host's stone at 8,8 has reached it.
    void letRawGuestMove(RawPeer& raw) {
        connectRawGuest(raw);
        ASSERT_TRUE(host.sendStep(8, 8));
        ASSERT_TRUE(QTest::qWaitFor([&] { return raw.frames().size() == 2; }, kWaitMs)); // Welcome, Step
        ASSERT_TRUE(std::holds_alternative<wire::Step>(raw.frames().back()));
    }

    // There and back: each side has handled every frame the other sent before (chat lines only).
    void roundTrip() {
        ASSERT_TRUE(passLine(host, guestLog));
        ASSERT_TRUE(passLine(guest, hostLog));
    }

    // Plays one stone from mover and waits until the other side has it.
    void play(Session& mover, EventLog& otherLog, int column, int row) {
        const int before = otherLog.count(OneStep);
        ASSERT_TRUE(mover.sendStep(column, row)) << column << "," << row;
        ASSERT_TRUE(otherLog.waitFor(OneStep, before + 1));
    }

    Session host;
    Session guest;
    EventLog hostLog{host};
    EventLog guestLog{guest};
};

TEST_F(SessionPair, handshakeBeginsTheFirstGameWithTheHostInSeatOne) {
    connectPair();
    EXPECT_EQ(guestLog.joins, std::vector<bool>{true});
    const SessionEvent* hostBegin = hostLog.last(GameBegin);
    const SessionEvent* guestBegin = guestLog.last(GameBegin);
    EXPECT_EQ(hostBegin->seat, 1);
    EXPECT_EQ(guestBegin->seat, 2);
    // Seat 1's name NUL seat 2's name NUL, back to back, the same on both sides.
    const QByteArray names = gbk("甲方") + '\0' + gbk("乙方") + '\0';
    EXPECT_EQ(hostBegin->data, names);
    EXPECT_EQ(guestBegin->data, names);
    EXPECT_EQ(guestBegin->seatName(1), gbk("甲方"));
    EXPECT_EQ(guestBegin->seatName(2), gbk("乙方"));
    EXPECT_EQ(host.peerName(), gbk("乙方"));
    EXPECT_EQ(guest.peerName(), gbk("甲方"));
    // Only the first mover is told to move.
    EXPECT_EQ(hostLog.types(), (std::vector<int>{GameBegin, YourTurn}));
    EXPECT_EQ(guestLog.types(), (std::vector<int>{GameBegin}));
    EXPECT_TRUE(host.isMyTurn());
    EXPECT_FALSE(guest.isMyTurn());
}

TEST_F(SessionPair, aStoneReachesThePeerFollowedByItsTurn) {
    connectPair();
    play(host, guestLog, 8, 9);
    const SessionEvent* step = guestLog.last(OneStep);
    EXPECT_EQ(step->column(), 8);
    EXPECT_EQ(step->row(), 9);
    EXPECT_EQ(step->data.size(), 8);
    ASSERT_TRUE(guestLog.waitFor(YourTurn));
    EXPECT_EQ(guestLog.types(), (std::vector<int>{GameBegin, OneStep, YourTurn}));
    // The mover hears nothing about its own stone.
    EXPECT_EQ(hostLog.count(OneStep), 0);
    EXPECT_EQ(hostLog.count(YourTurn), 1);

    play(guest, hostLog, 7, 7);
    ASSERT_TRUE(hostLog.waitFor(YourTurn, 2));
    EXPECT_EQ(hostLog.last(OneStep)->column(), 7);
    EXPECT_EQ(host.board().at(7, 7), 2);
    EXPECT_EQ(guest.board().at(8, 9), 1);
}

TEST_F(SessionPair, stonesOutOfTurnOnTakenPointsOrOffTheBoardAreNotSent) {
    connectPair();
    EXPECT_FALSE(guest.sendStep(8, 8)); // seat 2 before seat 1
    EXPECT_FALSE(host.sendStep(0, 8));
    EXPECT_FALSE(host.sendStep(8, 16));
    play(host, guestLog, 8, 8);
    EXPECT_FALSE(host.sendStep(9, 9)); // twice in a row
    EXPECT_FALSE(guest.sendStep(8, 8)); // taken
    roundTrip();
    EXPECT_EQ(guestLog.count(OneStep), 1);
    EXPECT_EQ(hostLog.count(OneStep), 0);
    EXPECT_EQ(host.state(), Session::State::Connected);
}

TEST_F(SessionPair, theDecidingStoneEndsTheTurns) {
    connectPair();
    for (int c = 1; c <= 4; ++c) {
        play(host, guestLog, c, 1);
        play(guest, hostLog, c, 2);
    }
    play(host, guestLog, 5, 1); // five in the first row
    roundTrip();
    EXPECT_EQ(guestLog.count(YourTurn), 4); // not after the fifth stone
    EXPECT_TRUE(host.board().decided());
    EXPECT_TRUE(guest.board().decided());
    EXPECT_FALSE(guest.sendStep(6, 6));
    EXPECT_FALSE(host.sendStep(6, 6));
    EXPECT_EQ(host.state(), Session::State::Connected); // a decided game keeps the link
}

TEST_F(SessionPair, chatLinesGoToBothSidesWithTheSendersName) {
    connectPair();
    ASSERT_TRUE(host.sendChat(gbk("你好")));
    ASSERT_TRUE(guestLog.waitFor(ChatText));
    ASSERT_EQ(hostLog.count(ChatText), 1); // the sender's own line comes back
    const QByteArray expected = gbk("甲方：你好") + '\0';
    EXPECT_EQ(hostLog.last(ChatText)->data, expected);
    EXPECT_EQ(guestLog.last(ChatText)->data, expected);

    ASSERT_TRUE(guest.sendChat(gbk("再见，朋友")));
    ASSERT_TRUE(hostLog.waitFor(ChatText, 2));
    EXPECT_EQ(hostLog.last(ChatText)->line(), gbk("乙方：再见，朋友"));
    EXPECT_EQ(guestLog.last(ChatText)->line(), gbk("乙方：再见，朋友"));
    EXPECT_EQ(fromGbk(hostLog.last(ChatText)->line()), QStringLiteral("乙方：再见，朋友"));
}

TEST_F(SessionPair, chatLinesOutsideTheLimitsAreNotSent) {
    EXPECT_FALSE(host.sendChat("early")); // no peer yet
    connectPair();
    EXPECT_FALSE(host.sendChat(QByteArray()));
    EXPECT_FALSE(host.sendChat(QByteArray(wire::kMaxChat + 1, 'x')));
    EXPECT_FALSE(host.sendChat("\xFF\xFE"));
    EXPECT_FALSE(host.sendChat("two\nlines"));
    EXPECT_TRUE(host.sendChat(QByteArray(wire::kMaxChat, 'x')));
    EXPECT_TRUE(host.sendChat("   ")); // blanks are a line like any other
    ASSERT_TRUE(guestLog.waitFor(ChatText, 2));
    ASSERT_TRUE(passLine(host, guestLog));
    EXPECT_EQ(guestLog.count(ChatText), 3) << "two lines, then the one sent after them";
}

// The sender keeps an allowance inside what its peer accepts, so quick typing is never taken
// for a script: a line beyond it, like one that cannot be sent at all, is kept back and the
// sender's own record says why.
TEST_F(SessionPair, linesNotSentComeBackAsANoteAndQuickTypingNeverDropsTheLink) {
    connectPair();
    int sent = 0;
    for (int i = 0; i < 12; ++i)
        sent += host.sendChat(QByteArray::number(i)) ? 1 : 0;
    EXPECT_FALSE(host.sendChat("two\nlines"));
    EXPECT_GE(sent, static_cast<int>(SessionOptions::kDefaultOwnChat.burst));
    EXPECT_LE(sent, static_cast<int>(SessionOptions::kDefaultOwnChat.burst) + 1);
    ASSERT_TRUE(hostLog.waitFor(ChatText, 13)) << "a line or a note for each";
    EXPECT_EQ(hostLog.last(ChatText)->line(), gbk("（这一行含有不能发送的字符，没有发出）"));
    // A stone follows the lines on the one stream: once it is there, so is every line sent.
    play(host, guestLog, 8, 8);
    EXPECT_EQ(guestLog.count(ChatText), sent);
    EXPECT_EQ(guest.state(), Session::State::Connected);
}

TEST_F(SessionPair, agreedRestartSwapsTheSeatsForBoth) {
    connectPair();
    play(host, guestLog, 8, 8);
    ASSERT_TRUE(guest.requireRestart());
    ASSERT_TRUE(hostLog.waitFor(RestartAsked));
    EXPECT_EQ(hostLog.last(RestartAsked)->seat, 2); // the asker
    EXPECT_EQ(host.board().stones(), 1);            // a question changes nothing yet

    ASSERT_TRUE(host.replyRestart(true));
    ASSERT_TRUE(guestLog.waitFor(GameBegin, 2));
    ASSERT_EQ(hostLog.count(GameBegin), 2);
    EXPECT_EQ(hostLog.last(GameBegin)->seat, 2);
    EXPECT_EQ(guestLog.last(GameBegin)->seat, 1);
    const QByteArray swapped = gbk("乙方") + '\0' + gbk("甲方") + '\0';
    EXPECT_EQ(hostLog.last(GameBegin)->data, swapped);
    EXPECT_EQ(guestLog.last(GameBegin)->data, swapped);
    EXPECT_EQ(host.board().stones(), 0);
    EXPECT_EQ(guest.board().stones(), 0);
    // Now the guest moves first.
    ASSERT_TRUE(guestLog.waitFor(YourTurn, 2));
    EXPECT_EQ(hostLog.count(YourTurn), 1);
    EXPECT_FALSE(host.sendStep(1, 1));
    play(guest, hostLog, 1, 1);
    ASSERT_TRUE(hostLog.waitFor(YourTurn, 2));

    // A second agreed restart swaps back.
    ASSERT_TRUE(host.requireRestart());
    ASSERT_TRUE(guestLog.waitFor(RestartAsked));
    EXPECT_EQ(guestLog.last(RestartAsked)->seat, 2); // the host sits in seat 2 in game two
    ASSERT_TRUE(guest.replyRestart(true));
    ASSERT_TRUE(hostLog.waitFor(GameBegin, 3));
    EXPECT_EQ(hostLog.last(GameBegin)->seat, 1);
    EXPECT_EQ(guest.gameNumber(), 3u);
    EXPECT_EQ(host.gameNumber(), 3u);
}

TEST_F(SessionPair, refusedRestartIsToldToTheAskerOnly) {
    connectPair();
    play(host, guestLog, 8, 8);
    ASSERT_TRUE(host.requireRestart());
    EXPECT_FALSE(host.requireRestart()); // one question at a time
    ASSERT_TRUE(guestLog.waitFor(RestartAsked));
    EXPECT_EQ(guestLog.last(RestartAsked)->seat, 1);
    ASSERT_TRUE(guest.replyRestart(false));
    EXPECT_FALSE(guest.replyRestart(true)); // answered already
    ASSERT_TRUE(hostLog.waitFor(RestartRefused));
    EXPECT_EQ(hostLog.last(RestartRefused)->seat, 2); // the refuser
    roundTrip();
    EXPECT_EQ(hostLog.count(GameBegin), 1);
    EXPECT_EQ(guestLog.count(GameBegin), 1);
    EXPECT_EQ(guestLog.count(RestartRefused), 0);
    EXPECT_EQ(host.board().stones(), 1); // the game goes on
    play(guest, hostLog, 9, 9);
    EXPECT_TRUE(host.requireRestart()); // and may be asked again
}

// Askers that wait only briefly after an answer, so the tests of restarts need not wait long.
class PatientAskers : public SessionPair {
protected:
    static constexpr int kSpacingMs = 500;
    PatientAskers()
        : SessionPair(SessionOptions{.restartSpacingMs = kSpacingMs}, SessionOptions{.restartSpacingMs = kSpacingMs}) {}
};

// A question asked right after an answer is held back until the spacing has passed, so the
// peer puts it to its player rather than refusing it unasked; a new game drops it.
TEST_F(PatientAskers, aQuestionRightAfterAnAnswerWaitsItsTurn) {
    connectPair();
    ASSERT_TRUE(host.requireRestart());
    ASSERT_TRUE(guestLog.waitFor(RestartAsked));
    ASSERT_TRUE(guest.replyRestart(false));
    ASSERT_TRUE(hostLog.waitFor(RestartRefused));
    ASSERT_TRUE(host.requireRestart());
    EXPECT_FALSE(host.requireRestart()) << "one question at a time";
    ASSERT_TRUE(guestLog.waitFor(RestartAsked, 2));
    ASSERT_TRUE(guest.replyRestart(true));
    ASSERT_TRUE(hostLog.waitFor(GameBegin, 2));
    EXPECT_EQ(hostLog.count(RestartRefused), 1) << "never refused unasked";

    QElapsedTimer sinceHeld;
    sinceHeld.start();
    ASSERT_TRUE(host.requireRestart()); // held: an answer just came
    ASSERT_TRUE(guest.requireRestart());
    ASSERT_TRUE(hostLog.waitFor(RestartAsked));
    ASSERT_TRUE(host.replyRestart(true));
    ASSERT_TRUE(guestLog.waitFor(GameBegin, 3));
    // Past the moment the held question would have gone (a coarse timer may be a little late),
    // then a line after it: had it gone, it came first.
    ASSERT_TRUE(QTest::qWaitFor([&] { return sinceHeld.hasExpired(kSpacingMs + kSpacingMs / 2); }, kWaitMs));
    QCoreApplication::processEvents();
    ASSERT_TRUE(passLine(host, guestLog));
    EXPECT_EQ(guestLog.count(RestartAsked), 2) << "the held question went with its game";
    EXPECT_FALSE(host.restartAskedByMe());
}

// Both press restart within one network delay and both agree at once: each side begins the new
// game on its own agreement and lets the other pass, so they end in one game, and may ask again.
TEST_F(PatientAskers, crossedQuestionsAgreedAtOnceEndInOneNewGame) {
    connectPair();
    ASSERT_TRUE(host.requireRestart());
    ASSERT_TRUE(guest.requireRestart());
    ASSERT_TRUE(hostLog.waitFor(RestartAsked));
    ASSERT_TRUE(guestLog.waitFor(RestartAsked));
    ASSERT_TRUE(host.replyRestart(true));
    ASSERT_TRUE(guest.replyRestart(true));
    ASSERT_TRUE(hostLog.waitFor(GameBegin, 2));
    ASSERT_TRUE(guestLog.waitFor(GameBegin, 2));
    roundTrip();
    EXPECT_EQ(host.gameNumber(), 2u);
    EXPECT_EQ(guest.gameNumber(), 2u);
    ASSERT_TRUE(guest.requireRestart());
    ASSERT_TRUE(hostLog.waitFor(RestartAsked, 2));
    EXPECT_EQ(host.state(), Session::State::Connected);
}

TEST_F(SessionPair, anAnswerWithoutAQuestionIsNotSent) {
    connectPair();
    EXPECT_FALSE(host.replyRestart(true));
    EXPECT_FALSE(guest.replyRestart(false));
    roundTrip();
    EXPECT_EQ(hostLog.count(GameBegin), 1);
}

TEST_F(SessionPair, aStoneThatCrossesAnAgreedRestartIsDropped) {
    connectPair();
    play(host, guestLog, 8, 8);
    ASSERT_TRUE(guestLog.waitFor(YourTurn));
    ASSERT_TRUE(guest.requireRestart());
    ASSERT_TRUE(hostLog.waitFor(RestartAsked));
    // The guest moves while the host agrees: the stone belongs to the game being replaced.
    ASSERT_TRUE(guest.sendStep(9, 9));
    ASSERT_TRUE(host.replyRestart(true));
    ASSERT_TRUE(guestLog.waitFor(GameBegin, 2));
    roundTrip();
    EXPECT_EQ(hostLog.count(OneStep), 0);
    EXPECT_EQ(hostLog.count(PeerGone), 0);
    EXPECT_EQ(host.board().stones(), 0);
    EXPECT_EQ(host.state(), Session::State::Connected);
    play(guest, hostLog, 1, 1); // the new game runs normally
}

TEST_F(SessionPair, disconnectTellsThePeerThatThePlayerLeft) {
    connectPair();
    EXPECT_TRUE(guest.sendDisconnect());
    EXPECT_EQ(guest.state(), Session::State::Idle);
    ASSERT_TRUE(hostLog.waitFor(PeerGone));
    EXPECT_EQ(hostLog.last(PeerGone)->seat, 2);
    EXPECT_FALSE(hostLog.last(PeerGone)->linkLost);
    EXPECT_EQ(host.state(), Session::State::Idle);
    // The guest closed once its farewell was written, before the host could read it; what its
    // closing queued has run after this.
    ASSERT_TRUE(drainEvents());
    EXPECT_EQ(guestLog.count(PeerGone), 0);
    EXPECT_EQ(hostLog.count(PeerGone), 1);
    EXPECT_FALSE(host.sendStep(8, 8));
}

TEST_F(SessionPair, aPeerThatClosesItsSocketIsALostLink) {
    connectPair();
    guest.stop();
    ASSERT_TRUE(hostLog.waitFor(PeerGone));
    EXPECT_EQ(hostLog.last(PeerGone)->seat, 2);
    EXPECT_TRUE(hostLog.last(PeerGone)->linkLost);
    EXPECT_EQ(guestLog.count(PeerGone), 0);
}

constexpr SessionOptions kQuick{.keepAliveMs = kQuickKeepAliveMs, .silenceMs = kQuickSilenceMs};

class QuickPair : public SessionPair {
protected:
    QuickPair() : SessionPair(kQuick, kQuick) {}
};

TEST_F(QuickPair, keepAlivesHoldAQuietLinkAndSilenceBreaksIt) {
    connectPair();
    // Half as long again as the silence limit without a move.
    EXPECT_TRUE(holdsFor(kQuickSilenceMs * 3 / 2, [&] { return hostLog.count(PeerGone) + guestLog.count(PeerGone) > 0; }));
    ASSERT_EQ(hostLog.count(PeerGone), 0);
    ASSERT_EQ(guestLog.count(PeerGone), 0);

    // The next guest hangs: it never sends a keep-alive within the test.
    host.stop();
    Session hung{nullptr, SessionOptions{.keepAliveMs = 600000}};
    EventLog hungLog{hung};
    ASSERT_TRUE(hung.setPlayerName(QStringLiteral("乙方")));
    ASSERT_TRUE(host.host(0, kLoopback));
    hung.join(QStringLiteral("127.0.0.1"), host.serverPort());
    ASSERT_TRUE(hungLog.waitFor(GameBegin));
    ASSERT_TRUE(hostLog.waitFor(PeerGone));
    EXPECT_TRUE(hostLog.last(PeerGone)->linkLost);
    EXPECT_EQ(hostLog.last(PeerGone)->seat, 2);
    // The host drops the link, so the guest learns of it too.
    ASSERT_TRUE(hungLog.waitFor(PeerGone));
    EXPECT_TRUE(hungLog.last(PeerGone)->linkLost);
    EXPECT_EQ(hungLog.last(PeerGone)->seat, 1);
}

TEST_F(SessionPair, versionMismatchIsRefusedWithANoticeOnBothSides) {
    ASSERT_TRUE(host.host(0, kLoopback));
    Session newer{nullptr, SessionOptions{.protocolVersion = static_cast<std::uint16_t>(wire::kProtocolVersion + 1)}};
    EventLog newerLog{newer};
    ASSERT_TRUE(newer.setPlayerName(QStringLiteral("乙方")));
    newer.join(QStringLiteral("127.0.0.1"), host.serverPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !newerLog.joins.empty(); }, kWaitMs));
    EXPECT_EQ(newerLog.joins, std::vector<bool>{false});
    ASSERT_EQ(newerLog.notices.size(), 1);
    EXPECT_EQ(newerLog.notices[0], QStringLiteral("双方的程序版本不同，连接被拒绝"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !hostLog.turnedAway.isEmpty(); }, kWaitMs));
    EXPECT_TRUE(hostLog.turnedAway[0].contains(QStringLiteral("版本")));
    EXPECT_TRUE(hostLog.events.empty());
    EXPECT_TRUE(newerLog.events.empty());
    // The host keeps waiting for a peer that fits.
    EXPECT_EQ(host.state(), Session::State::Listening);
    guest.join(QStringLiteral("127.0.0.1"), host.serverPort());
    ASSERT_TRUE(hostLog.waitFor(GameBegin));
}

TEST_F(SessionPair, aThirdPlayerIsToldTheHostIsBusy) {
    connectPair();
    Session third;
    EventLog thirdLog(third);
    third.join(QStringLiteral("127.0.0.1"), host.serverPort());
    ASSERT_TRUE(thirdLog.waitForNotice());
    // The host goes on listening during the game just to say why.
    EXPECT_EQ(thirdLog.notices[0], QStringLiteral("对方正在与别人对战，连接被拒绝"));
    EXPECT_EQ(thirdLog.joins, std::vector<bool>{false});
    play(host, guestLog, 8, 8); // the first pair plays on
}

TEST_F(SessionPair, aMuteConnectionDoesNotKeepTheFriendOut) {
    ASSERT_TRUE(host.host(0, kLoopback));
    QTcpSocket mute; // connects but never greets
    mute.connectToHost(kLoopback, host.serverPort());
    ASSERT_TRUE(mute.waitForConnected(kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.pendingHandshakes() == 1; }, kWaitMs));
    guest.join(QStringLiteral("127.0.0.1"), host.serverPort());
    ASSERT_TRUE(guestLog.waitFor(GameBegin));
    EXPECT_TRUE(guestLog.notices.isEmpty());
    // The friend's greeting won: the mute one is let go.
    ASSERT_TRUE(QTest::qWaitFor([&] { return mute.state() == QAbstractSocket::UnconnectedState; }, kWaitMs));
    EXPECT_EQ(host.pendingHandshakes(), 0);
}

class ImpatientHost : public SessionPair {
protected:
    ImpatientHost() : SessionPair(SessionOptions{.handshakeMs = 300}) {}
};

TEST_F(ImpatientHost, aStrangerThatDoesNotGreetIsDroppedAndTheHostWaitsOn) {
    ASSERT_TRUE(host.host(0, kLoopback));
    QTcpSocket stranger;
    stranger.connectToHost(kLoopback, host.serverPort());
    ASSERT_TRUE(stranger.waitForConnected(kWaitMs));
    stranger.write("GET / HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return stranger.state() == QAbstractSocket::UnconnectedState; }, kWaitMs));
    QTcpSocket mute;
    mute.connectToHost(kLoopback, host.serverPort());
    ASSERT_TRUE(mute.waitForConnected(kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return mute.state() == QAbstractSocket::UnconnectedState; }, kWaitMs));
    EXPECT_TRUE(hostLog.events.empty());
    EXPECT_TRUE(hostLog.notices.empty());
    EXPECT_EQ(host.state(), Session::State::Listening);
    guest.join(QStringLiteral("127.0.0.1"), host.serverPort());
    ASSERT_TRUE(hostLog.waitFor(GameBegin));
}

TEST_F(SessionPair, joiningSomethingThatIsNotAGameFails) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(kLoopback));
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        server.nextPendingConnection()->write("220 mail server ready\r\n");
    });
    guest.join(QStringLiteral("127.0.0.1"), server.serverPort());
    ASSERT_TRUE(guestLog.waitForNotice());
    EXPECT_EQ(guestLog.notices[0], QStringLiteral("对方不是五子棋对战程序"));
    EXPECT_EQ(guestLog.joins, std::vector<bool>{false});
    EXPECT_EQ(guest.state(), Session::State::Idle);
}

// A later version may refuse for a reason this one does not know: still a refusal, not a stranger.
TEST_F(SessionPair, aRefusalForAReasonOfALaterVersionIsStillARefusal) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(kLoopback));
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        server.nextPendingConnection()->write(QByteArray("\x00\x00\x00\x04\x03\x09\x00\x02", 8)); // Refuse 9
    });
    guest.join(QStringLiteral("127.0.0.1"), server.serverPort());
    ASSERT_TRUE(guestLog.waitForNotice());
    EXPECT_EQ(guestLog.notices, QStringList{QStringLiteral("连接被拒绝")});
}

class ImpatientGuest : public SessionPair {
protected:
    ImpatientGuest() : SessionPair({}, SessionOptions{.silenceMs = 300}) {}
};

TEST_F(ImpatientGuest, aHostThatNeverAnswersTimesOut) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(kLoopback));
    guest.join(QStringLiteral("127.0.0.1"), server.serverPort());
    ASSERT_TRUE(guestLog.waitForNotice());
    EXPECT_EQ(guestLog.notices[0], QStringLiteral("连接超时"));
    EXPECT_EQ(guestLog.joins, std::vector<bool>{false});
}

TEST_F(SessionPair, joiningAClosedPortIsRefused) {
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(kLoopback));
        port = probe.serverPort();
    }
    guest.join(QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(guestLog.waitForNotice());
    EXPECT_EQ(guestLog.notices[0], QStringLiteral("连接被拒绝"));
    EXPECT_EQ(guestLog.joins, std::vector<bool>{false});
}

TEST_F(SessionPair, hostingOnABusyPortFailsWithANotice) {
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::Any));
    EXPECT_FALSE(host.host(other.serverPort()));
    ASSERT_EQ(hostLog.notices.size(), 1);
    EXPECT_EQ(hostLog.notices[0], QStringLiteral("端口已被占用"));
    EXPECT_EQ(host.state(), Session::State::Idle);
}

TEST(SessionNotices, connectFailuresHaveTheirOwnTexts) {
    EXPECT_EQ(noticeForSocketError(QAbstractSocket::HostNotFoundError, false), QStringLiteral("找不到主机"));
    EXPECT_EQ(noticeForSocketError(QAbstractSocket::ConnectionRefusedError, false), QStringLiteral("连接被拒绝"));
    EXPECT_EQ(noticeForSocketError(QAbstractSocket::SocketTimeoutError, false), QStringLiteral("连接超时"));
    EXPECT_EQ(noticeForSocketError(QAbstractSocket::AddressInUseError, true), QStringLiteral("端口已被占用"));
}

TEST(SessionNames, namesOutsideTheLimitsAreRefused) {
    Session s;
    EXPECT_TRUE(s.setPlayerName(QStringLiteral("棋手")));
    EXPECT_FALSE(s.setPlayerName(QString()));
    EXPECT_FALSE(s.setPlayerName(QString(17, QChar(0x68CB)))); // 34 GBK bytes
    EXPECT_TRUE(s.setPlayerName(QString(16, QChar(0x68CB))));  // 32: the limit
    EXPECT_FALSE(s.setPlayerName(QStringLiteral("🙂")));       // no GBK form
    EXPECT_FALSE(s.setPlayerNameGbk("a\tb"));
    EXPECT_EQ(s.playerName(), gbk(QString(16, QChar(0x68CB)))); // refusals left it alone
}

// A malformed, oversized or out-of-turn frame never reaches the game: the link is dropped.
struct BadFrame {
    const char* name;
    std::function<QByteArray()> bytes;
};

void PrintTo(const BadFrame& frame, std::ostream* os) { *os << frame.name; }

class HostileGuest : public SessionPair, public ::testing::WithParamInterface<BadFrame> {};

QByteArray rawStep(std::uint32_t game, int column, int row) {
    QByteArray b("\x00\x00\x00\x07\x04", 5);
    for (int shift = 24; shift >= 0; shift -= 8)
        b += static_cast<char>(game >> shift & 0xFF);
    b += static_cast<char>(column);
    b += static_cast<char>(row);
    return b;
}

TEST_P(HostileGuest, linkIsDroppedAndNothingReachesTheGame) {
    RawPeer raw;
    letRawGuestMove(raw);
    hostLog.clear();
    ASSERT_TRUE(raw.send(GetParam().bytes()));
    ASSERT_TRUE(hostLog.waitFor(PeerGone));
    EXPECT_TRUE(hostLog.last(PeerGone)->linkLost);
    EXPECT_EQ(hostLog.last(PeerGone)->seat, 2);
    EXPECT_EQ(hostLog.types(), std::vector<int>{PeerGone});
    EXPECT_EQ(host.board().stones(), 1);
    EXPECT_EQ(host.state(), Session::State::Idle);
}

const BadFrame kBadFrames[] = {
    {"garbage", [] { return QByteArray("this is not a frame at all"); }},
    {"oversized", [] { return QByteArray("\x00\x01\x00\x00\x05", 5); }},
    {"empty", [] { return QByteArray("\x00\x00\x00\x00", 4); }},
    {"unknownType", [] { return QByteArray("\x00\x00\x00\x01\x63", 5); }},
    {"trailingBytes", [] { return rawStep(1, 9, 9).replace(3, 1, "\x08") + 'x'; }},
    {"stepOffTheBoard", [] { return rawStep(1, 16, 9); }},
    {"stepOnATakenPoint", [] { return rawStep(1, 8, 8); }},
    {"stepInAFutureGame", [] { return rawStep(2, 9, 9); }},
    {"answerWithoutQuestion", [] { return bytesOf(wire::encode(wire::RestartReply{true})); }},
    {"greetingInTheGame", [] { return bytesOf(wire::encode(wire::Hello{"KIVOLA-GOMOKU", 1, "x"})); }},
    {"chatNotGbk", [] { return QByteArray("\x00\x00\x00\x04\x05\x02\xFF\xFF", 8); }},
};

TEST_F(SessionPair, aSecondStoneInARowDropsTheLinkAfterTheFirst) {
    RawPeer raw;
    letRawGuestMove(raw);
    hostLog.clear();
    ASSERT_TRUE(raw.send(rawStep(1, 9, 9) + rawStep(1, 10, 10)));
    ASSERT_TRUE(hostLog.waitFor(PeerGone));
    EXPECT_EQ(hostLog.types(), (std::vector<int>{OneStep, YourTurn, PeerGone}));
    EXPECT_EQ(host.board().at(10, 10), 0);
    EXPECT_TRUE(hostLog.last(PeerGone)->linkLost);
}

// A question repeated while one is open, or right after an answer, is refused by the library
// without asking the player (a storm of them drops the link: hostile_peer_test).
TEST_F(SessionPair, repeatedQuestionsAreRefusedWithoutAskingThePlayer) {
    RawPeer raw;
    connectRawGuest(raw);
    hostLog.clear();
    const QByteArray ask = bytesOf(wire::encode(wire::RestartAsk{}));
    auto answers = [&] {
        std::vector<bool> agreed;
        for (const wire::Frame& f : raw.frames())
            if (const auto* reply = std::get_if<wire::RestartReply>(&f))
                agreed.push_back(reply->agree);
        return agreed;
    };
    ASSERT_TRUE(raw.send(ask + ask));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers().size() == 1; }, kWaitMs));
    EXPECT_EQ(hostLog.types(), std::vector<int>{RestartAsked}) << "the player is asked once";
    ASSERT_TRUE(host.replyRestart(false));
    ASSERT_TRUE(raw.send(ask)); // at once after the answer
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers().size() == 3; }, kWaitMs));
    EXPECT_EQ(answers(), std::vector<bool>(3, false));
    EXPECT_EQ(hostLog.types(), std::vector<int>{RestartAsked});
    EXPECT_EQ(host.state(), Session::State::Connected);
}

INSTANTIATE_TEST_SUITE_P(BadFrames, HostileGuest, ::testing::ValuesIn(kBadFrames),
                         [](const ::testing::TestParamInfo<BadFrame>& info) { return std::string(info.param.name); });

} // namespace
} // namespace nw::test
