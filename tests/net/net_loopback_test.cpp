// The real window hosting through libNW's own dialog, a scripted peer joining over loopback:
// games to a result, chat, restart questions, and every way the match can end.

#include <QLineEdit>
#include <QTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>

#include "loopback_support.h"
#include "typing.h"
#include "nw/gbk.h"
#include "nw/nw_events.h"
#include "nw/testing.h"
#include "window_fixture.h"

namespace kivola::test {
namespace {

QString u(const char* utf8) { return QString::fromUtf8(utf8); }
QByteArray gbk(const char* utf8) { return QByteArray::fromStdString(nw::utf8ToGbk(utf8).value_or(std::string())); }

// A peer that takes chat lines faster than a person types, for the tests' quick lines.
const nw::SessionOptions kLenientPeer{.chat = {1000, 1000}, .frames = {1000, 1000}};

class NetLoopback : public WindowTest {
protected:
    explicit NetLoopback(const nw::SessionOptions& peerOptions = kLenientPeer) : peer(nullptr, peerOptions) {}

    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(peer.setPlayerName(u("乙方")));
    }
    void TearDown() override {
        WindowTest::TearDown(); // the window's destruction releases the library
        peer.stop();
        nw::testing::setSessionOptions({});
    }

    // The window hosts as 甲方 on a free port; the peer joins; the local player holds seat 1.
    void hostAndLetPeerJoin() {
        openWindow();
        quint16 port = 0;
        whenConnectDialogOpens([&](QDialog& d) {
            hostThroughConnectDialog(d, u("甲方"), [&](quint16 listening) {
                port = listening;
                if (port != 0) {
                    peer.join(QStringLiteral("127.0.0.1"), port);
                }
            });
        });
        ui().actNetWork->trigger();
        ASSERT_NE(port, 0);
        ASSERT_EQ(form1->match().netMode, 1);
        ASSERT_NE(nw::testing::currentSession(), nullptr);
        ASSERT_TRUE(peerLog.waitFor(GameBegin));
        ASSERT_TRUE(waitUntil([&] { return ui().Label1->text() == u("甲方") && localToMove(); }));
        EXPECT_EQ(ui().Label2->text(), u("乙方"));
        EXPECT_EQ(form1->match().computerFirst, 0);
    }

    bool waitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, kNetWaitMs); }
    bool localToMove() const { return form1->match().playerCanMove == 1; }
    bool waitForMessage(std::size_t count) {
        return waitUntil([&] { return dialogs.shown.size() >= count; });
    }
    // The peer's stone, once the local one has reached it.
    void peerPlays(int column, int row) {
        ASSERT_TRUE(waitUntil([&] { return peer.isMyTurn(); }));
        ASSERT_TRUE(peer.sendStep(column, row));
        ASSERT_TRUE(waitUntil([&] { return cell(column, row) == kOtherStone; }));
    }
    void localPlays(int column, int row) {
        ASSERT_TRUE(waitUntil([&] { return localToMove(); }));
        clickPoint(column, row);
        ASSERT_EQ(cell(column, row), kLocalStone);
    }
    void expectMatchCommands() const {
        EXPECT_FALSE(ui().N3->isEnabled());
        EXPECT_FALSE(ui().N4->isEnabled());
        EXPECT_FALSE(ui().sbtnRegret->isEnabled());
        EXPECT_FALSE(ui().check1->isEnabled());
        EXPECT_FALSE(ui().N15->isEnabled());
        EXPECT_FALSE(ui().N13->isEnabled());
        EXPECT_TRUE(ui().N10->isEnabled());
        EXPECT_EQ(form1->height() - form1->chromeHeight(), 512);
    }
    void expectBackInSingleMode() const {
        EXPECT_EQ(form1->match().netMode, 0);
        EXPECT_EQ(stones(), 0);
        EXPECT_EQ(form1->height() - form1->chromeHeight(), 424);
        EXPECT_FALSE(ui().Edit1->isEnabled());
        EXPECT_TRUE(ui().N14->isEnabled());
        EXPECT_TRUE(ui().N13->isEnabled());
        EXPECT_FALSE(ui().N10->isEnabled());
        EXPECT_TRUE(ui().check1->isEnabled());
        EXPECT_EQ(ui().Label1->text(), u("玩家"));
    }

    nw::Session peer;
    PeerLog peerLog{peer};
};

// A peer with the game's own limits.
class NetLoopbackStrictPeer : public NetLoopback {
protected:
    NetLoopbackStrictPeer() : NetLoopback(nw::SessionOptions{}) {}
};

TEST_F(NetLoopback, localFiveWinsOnBothSides) {
    hostAndLetPeerJoin();
    for (int row = 4; row <= 7; ++row) {
        localPlays(8, row);
        expectMatchCommands();
        peerPlays(2, row);
    }
    localPlays(8, 8);
    ASSERT_TRUE(peerLog.waitFor(OneStep, 5)) << "the deciding stone is sent too";
    EXPECT_TRUE(peer.board().decided());
    EXPECT_EQ(peer.board().winner(), 1);
    ASSERT_TRUE(waitForMessage(1));
    EXPECT_EQ(dialogs.shown[0].text, u("您赢了！"));
    EXPECT_EQ(dialogs.shown[0].caption, u("结果"));
    expectMatchCommands();
    EXPECT_FALSE(peer.sendStep(3, 3)) << "the peer's copy is over as well";
}

TEST_F(NetLoopback, peerFiveLosesLocally) {
    hostAndLetPeerJoin();
    const BoardPoint local[] = {{1, 1}, {15, 15}, {1, 15}, {15, 1}, {3, 12}};
    for (int i = 0; i < 5; ++i) {
        localPlays(local[i].x, local[i].y);
        peerPlays(4 + i, 7);
    }
    EXPECT_EQ(form1->match().gameResult, kOtherStone);
    ASSERT_TRUE(waitForMessage(1));
    EXPECT_EQ(dialogs.shown[0].text, u("您输了！"));
    EXPECT_EQ(dialogs.shown[0].caption, u("结果"));
    clickPoint(10, 10);
    EXPECT_EQ(cell(10, 10), kEmpty) << "the game is over";
    EXPECT_EQ(peer.board().winner(), 2);
}

TEST_F(NetLoopback, chatTravelsBothWaysAndTheRecordSettlesAtOneHundredAndOneLines) {
    nw::testing::setSessionOptions({.ownChat = {1000, 1000}});
    hostAndLetPeerJoin();
    typeText(ui().Edit1, u("你好"));
    QTest::keyClick(ui().Edit1, Qt::Key_Return);
    ASSERT_TRUE(peerLog.waitFor(ChatText));
    EXPECT_EQ(peerLog.last(ChatText)->line(), gbk("甲方：你好"));
    ASSERT_TRUE(waitUntil([&] { return ui().Memo1->document()->lastBlock().text() == u("甲方：你好"); }));

    QTest::keyClick(ui().Edit1, Qt::Key_Return);
    typeText(ui().Edit1, QStringLiteral("  "));
    QTest::keyClick(ui().Edit1, Qt::Key_Return);
    ASSERT_TRUE(peerLog.waitFor(ChatText, 2));
    EXPECT_EQ(peerLog.last(ChatText)->line(), gbk("甲方：") + "  ") << "blanks are sent, the empty line was not";

    ASSERT_TRUE(peer.sendChat(gbk("收到")));
    ASSERT_TRUE(waitUntil([&] { return ui().Memo1->document()->lastBlock().text() == u("乙方：收到"); }));

    // The library drops a peer that chats faster than anyone types, so the volume comes from
    // the local side, whose own lines come back to its record (its allowance raised above).
    for (int i = 1; i <= 120; ++i) {
        typeText(ui().Edit1, QString::number(i));
        QTest::keyClick(ui().Edit1, Qt::Key_Return);
    }
    ASSERT_TRUE(waitUntil([&] { return ui().Memo1->document()->lastBlock().text() == u("甲方：120"); }));
    EXPECT_EQ(form1->memoDisplayedLines(), 101);
    EXPECT_EQ(ui().Memo1->document()->firstBlock().text(), u("甲方：20"));
    ASSERT_TRUE(peerLog.waitFor(ChatText, 3 + 120));
    EXPECT_EQ(peerLog.count(ChatText), 3 + 120) << "the peer's record holds its own line too";
}

TEST_F(NetLoopback, restartAskedByThePeerAgreedThenRefused) {
    hostAndLetPeerJoin();
    localPlays(8, 8);
    dialogs.answers = {true};
    ASSERT_TRUE(peer.requireRestart());
    ASSERT_TRUE(waitForMessage(1));
    EXPECT_EQ(dialogs.shown[0].text, u("乙方 提出重新开始，您同意吗？"));
    EXPECT_EQ(dialogs.shown[0].caption, u("提示"));
    ASSERT_TRUE(peerLog.waitFor(GameBegin, 2));
    // The seats swap: the peer opens the second game.
    ASSERT_TRUE(waitUntil([&] { return ui().Label1->text() == u("乙方"); }));
    EXPECT_EQ(stones(), 0);
    EXPECT_EQ(form1->match().computerFirst, 1);
    EXPECT_EQ(form1->match().playerCanMove, 0);
    peerPlays(8, 8);
    localPlays(9, 9);

    dialogs.answers = {false};
    ASSERT_TRUE(waitUntil([&] { return peer.isMyTurn(); }));
    ASSERT_TRUE(peer.requireRestart());
    ASSERT_TRUE(peerLog.waitFor(RestartRefused));
    EXPECT_EQ(peerLog.last(RestartRefused)->seat, 2) << "the local player refused from seat 2";
    EXPECT_EQ(dialogs.shown.back().caption, u("提示"));
    EXPECT_EQ(stones(), 2) << "a refusal leaves the game";
}

TEST_F(NetLoopback, restartAskedLocallyRefusedThenAgreed) {
    hostAndLetPeerJoin();
    localPlays(8, 8);
    ui().sbtnRestart->click();
    ASSERT_TRUE(peerLog.waitFor(RestartAsked));
    EXPECT_EQ(peerLog.last(RestartAsked)->seat, 1);
    EXPECT_EQ(stones(), 1) << "asking leaves the board";
    ASSERT_TRUE(peer.replyRestart(false));
    ASSERT_TRUE(waitForMessage(1));
    EXPECT_EQ(dialogs.shown[0].text, u("乙方不同意重新开始"));
    EXPECT_EQ(dialogs.shown[0].caption, u("答复"));
    EXPECT_EQ(stones(), 1);

    ui().sbtnRestart->click();
    ASSERT_TRUE(peerLog.waitFor(RestartAsked, 2));
    ASSERT_TRUE(peer.replyRestart(true));
    ASSERT_TRUE(waitUntil([&] { return ui().Label1->text() == u("乙方") && stones() == 0; }));
    EXPECT_EQ(form1->match().computerFirst, 1);
}

// A player typing quick lines against a friend with the game's own limits: the lines beyond the
// allowance stay here with a note in the record, and the friend keeps the link.
TEST_F(NetLoopbackStrictPeer, quickTypingIsKeptBackLocallySoTheFriendNeverDropsTheLink) {
    hostAndLetPeerJoin();
    for (int i = 1; i <= 12; ++i) {
        typeText(ui().Edit1, u("好"));
        QTest::keyClick(ui().Edit1, Qt::Key_Return);
    }
    const QString note = u("（发得太快了，这一行没有发出）");
    ASSERT_TRUE(waitUntil([&] { return ui().Memo1->toPlainText().count(u("\n")) == 11; }));
    const QStringList lines = ui().Memo1->toPlainText().split(u("\n"));
    EXPECT_EQ(lines.front(), u("甲方：好"));
    EXPECT_EQ(lines.back(), note);
    // A stone follows the lines on the one stream: once it is there, so is every line sent.
    localPlays(8, 8);
    ASSERT_TRUE(peerLog.waitFor(OneStep));
    EXPECT_EQ(peerLog.count(ChatText), lines.count(u("甲方：好"))) << "every line in the record reached the friend";
    EXPECT_GE(lines.count(note), 6);
    EXPECT_EQ(peerLog.count(PeerGone), 0);
    EXPECT_EQ(form1->match().netMode, 1);
}

// Both press 重来 at once and the peer agrees while the window's question is on screen: the
// question goes away, and afterwards each side's restart still reaches the other.
TEST_F(NetLoopback, crossedRestartQuestionsLeaveBothRestartButtonsWorking) {
    hostAndLetPeerJoin();
    localPlays(8, 8);
    dialogs.holdMs = kNetWaitMs;
    dialogs.whileShown = [&](const ShownMessage& m) {
        if (m.caption == u("提示") && dialogs.shown.size() == 1) {
            ASSERT_TRUE(peerLog.waitFor(RestartAsked));
            ASSERT_TRUE(peer.replyRestart(true));
        }
    };
    ui().sbtnRestart->click();
    ASSERT_TRUE(peer.requireRestart());
    ASSERT_TRUE(waitUntil([&] { return peerLog.count(GameBegin) == 2 && ui().Label1->text() == u("乙方"); }));
    ASSERT_TRUE(waitUntil([&] { return !dialogs.anyOpen(); }));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].closedByWindow) << "the question about the old game went away";
    EXPECT_EQ(stones(), 0);

    dialogs.whileShown = nullptr;
    dialogs.holdMs = 0;
    dialogs.answers = {false};
    ASSERT_TRUE(peer.requireRestart()) << "the peer's restart is not left waiting for an answer";
    ASSERT_TRUE(waitForMessage(2));
    EXPECT_EQ(dialogs.shown[1].text, u("乙方 提出重新开始，您同意吗？"));
    ASSERT_TRUE(peerLog.waitFor(RestartRefused));
    ui().sbtnRestart->click();
    ASSERT_TRUE(peerLog.waitFor(RestartAsked, 2));
    EXPECT_EQ(peer.gameNumber(), nw::testing::currentSession()->gameNumber());
    EXPECT_EQ(peerLog.count(PeerGone), 0);
}

TEST_F(NetLoopback, peerQuittingShowsTheNoticeThenTheWindowReturnsToSingleMode) {
    hostAndLetPeerJoin();
    localPlays(8, 8);
    ASSERT_TRUE(peer.sendDisconnect());
    ASSERT_TRUE(waitForMessage(1));
    EXPECT_EQ(dialogs.shown[0].text, u("乙方退出游戏了"));
    EXPECT_EQ(dialogs.shown[0].caption, u("网络游戏终止"));
    expectBackInSingleMode();
    EXPECT_EQ(nw::testing::currentSession(), nullptr) << "released";
    EXPECT_TRUE(ui().N14->isEnabled());
}

TEST_F(NetLoopback, brokenLinkShowsTheNoticeThenTheWindowReturnsToSingleMode) {
    hostAndLetPeerJoin();
    localPlays(8, 8);
    peerPlays(9, 9);
    peer.stop();
    ASSERT_TRUE(waitForMessage(1));
    EXPECT_EQ(dialogs.shown[0].text, u("乙方断线了，确认后自动关闭网络连接，请耐心等待一段时间"));
    EXPECT_EQ(dialogs.shown[0].caption, u("网络游戏终止"));
    expectBackInSingleMode();
    EXPECT_EQ(nw::testing::currentSession(), nullptr);
}

TEST_F(NetLoopback, endingTheGameAnsweredNoKeepsTheMatchAndYesTellsThePeer) {
    hostAndLetPeerJoin();
    dialogs.answers = {false};
    ui().N10->trigger();
    EXPECT_EQ(form1->match().netMode, 1);
    localPlays(8, 8);
    ASSERT_TRUE(peerLog.waitFor(OneStep)) << "the link still carries stones";

    dialogs.answers = {true};
    ui().N10->trigger();
    ASSERT_TRUE(peerLog.waitFor(PeerGone));
    EXPECT_FALSE(peerLog.last(PeerGone)->linkLost) << "a farewell, not a broken link";
    expectBackInSingleMode();
    ASSERT_TRUE(waitForQuiet());
    EXPECT_EQ(dialogs.shown.size(), 2u) << "no notice of its own leaving";
}

TEST_F(NetLoopback, closingTheWindowAnsweredNoKeepsTheMatchAndYesTellsThePeer) {
    hostAndLetPeerJoin();
    dialogs.answers = {false};
    form1->close();
    EXPECT_TRUE(form1->isVisible());
    localPlays(8, 8);
    ASSERT_TRUE(peerLog.waitFor(OneStep));

    dialogs.answers = {true};
    form1->close();
    EXPECT_FALSE(form1->isVisible());
    form1.reset(); // the program's exit
    ASSERT_TRUE(peerLog.waitFor(PeerGone));
    EXPECT_FALSE(peerLog.last(PeerGone)->linkLost);
    EXPECT_EQ(nw::testing::currentSession(), nullptr);
}

TEST_F(NetLoopback, joiningThroughTheDialogPlaysTheSecondSeat) {
    ASSERT_TRUE(peer.host(0, QHostAddress::LocalHost));
    openWindow();
    const quint16 port = peer.serverPort();
    whenConnectDialogOpens(
        [port](QDialog& d) { fillConnectDialog(d, false, u("丙方"), port, QStringLiteral("127.0.0.1")); });
    ui().actNetWork->trigger();
    ASSERT_EQ(form1->match().netMode, 1);
    ASSERT_TRUE(waitUntil([&] { return ui().Label2->text() == u("丙方"); }));
    EXPECT_EQ(ui().Label1->text(), u("乙方"));
    EXPECT_EQ(form1->match().computerFirst, 1);
    peerPlays(8, 8);
    localPlays(9, 9);
    ASSERT_TRUE(peerLog.waitFor(OneStep));
    EXPECT_EQ(peerLog.last(OneStep)->column(), 9);
}

} // namespace
} // namespace kivola::test
