// A raw TCP peer attacks the real window hosting through the real libNW: what the player sees
// of each attack, and that the window then still hosts a well-behaved friend.

#include <QApplication>
#include <QLabel>
#include <QTextEdit>
#include <QPointer>
#include <QTcpSocket>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <map>
#include <string_view>

#include "../nw/test_support.h"
#include "loopback_support.h"
#include "nw/codec.h"
#include "nw/gbk.h"
#include "nw/nw_events.h"
#include "nw/testing.h"
#include "window_fixture.h"

namespace kivola::test {
namespace {

namespace wire = nw::wire;

QString u(const char* utf8) { return QString::fromUtf8(utf8); }
QByteArray gbk(const QString& text) {
    return QByteArray::fromStdString(nw::utf8ToGbk(text.toStdString()).value_or(std::string()));
}

QByteArray enc(const wire::Frame& frame) {
    const std::string bytes = wire::encode(frame);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QByteArray hello(const QByteArray& name, std::uint16_t version = wire::kProtocolVersion) {
    return enc(wire::Hello{std::string(wire::kProtocolName), version, name.toStdString()});
}

QByteArray step(int column, int row) {
    return enc(wire::Step{1, static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row)});
}

QByteArray chat(const QString& text) { return enc(wire::Chat{gbk(text).toStdString()}); }

const QHostAddress kLoopback(QHostAddress::LocalHost);

using nw::test::RawPeer;

int agreements(const RawPeer& raw) {
    const std::vector<wire::Frame> frames = raw.frames();
    return static_cast<int>(std::count_if(frames.begin(), frames.end(), [](const wire::Frame& f) {
        const auto* reply = std::get_if<wire::RestartReply>(&f);
        return reply != nullptr && reply->agree;
    }));
}

// The chat record as the player reads it: one entry per displayed line, wrapped lines apart.
QStringList displayedLines(const QTextEdit& memo) {
    QStringList lines;
    for (QTextBlock block = memo.document()->firstBlock(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        if (layout == nullptr || layout->lineCount() == 0) {
            lines << block.text();
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i) {
            lines << block.text().mid(layout->lineAt(i).textStart(), layout->lineAt(i).textLength());
        }
    }
    return lines;
}

class HostileE2E : public WindowTest {
protected:
    using Board = std::map<std::pair<int, int>, int>;

    void SetUp() override {
        WindowTest::SetUp();
        openWindow();
        // What the board and record held while the match's last notice was on screen.
        dialogs.whileShown = [this](const ShownMessage& m) {
            if (m.caption == u("网络游戏终止")) {
                boardAtNotice = board();
                memoLinesAtNotice = form1->memoDisplayedLines();
            }
        };
    }
    void TearDown() override {
        WindowTest::TearDown();
        friendly.stop();
        nw::testing::setSessionTimings(0, 0);
    }

    Board board() const {
        Board stonesOn;
        for (int x = 1; x <= wire::kBoardSize; ++x) {
            for (int y = 1; y <= wire::kBoardSize; ++y) {
                if (cell(x, y) != kEmpty) {
                    stonesOn[{x, y}] = cell(x, y);
                }
            }
        }
        return stonesOn;
    }

    // Hosts as name through the library's dialog; whileWaiting runs in the dialog once it
    // listens. A dialog nobody joins is closed, so a failing case cannot hang the run.
    void hostThroughDialog(const QString& name, const std::function<void(quint16)>& whileWaiting) {
        whenConnectDialogOpens([&](QDialog& d) {
            QPointer<QDialog> dialog(&d);
            QTimer::singleShot(2 * kNetWaitMs, &d, [dialog] {
                if (dialog && dialog->isVisible()) {
                    dialog->reject();
                }
            });
            hostThroughConnectDialog(d, name, [&](quint16 port) {
                ASSERT_NE(port, 0);
                whileWaiting(port);
            });
        });
        ui().actNetWork->trigger();
        ASSERT_EQ(form1->match().netMode, 1);
        ASSERT_TRUE(waitUntil([&] { return ui().Label1->text() == name && form1->match().playerCanMove == 1; }));
    }

    bool waitForBox(const QString& caption, std::size_t from) {
        return waitUntil([&] {
            return std::any_of(dialogs.shown.begin() + static_cast<std::ptrdiff_t>(from), dialogs.shown.end(),
                               [&](const ShownMessage& m) { return m.caption == caption; });
        });
    }
    bool waitForSingleMode() {
        return waitUntil([&] { return form1->match().netMode == 0 && !dialogs.anyOpen(); });
    }

    // The friend is in the game: a stone each way, then the friend leaves and the window says so.
    void playWithFriendUntilItLeaves(const QString& friendName) {
        ASSERT_TRUE(friendLog.waitFor(GameBegin));
        EXPECT_EQ(ui().Label2->text(), friendName);
        clickPoint(8, 8);
        ASSERT_TRUE(friendLog.waitFor(OneStep));
        EXPECT_EQ(friendLog.last(OneStep)->column(), 8);
        ASSERT_TRUE(waitUntil([&] { return friendly.isMyTurn(); }));
        ASSERT_TRUE(friendly.sendStep(9, 9));
        ASSERT_TRUE(waitUntil([&] { return cell(9, 9) == kOtherStone; }));
        const std::size_t before = dialogs.shown.size();
        ASSERT_TRUE(friendly.sendDisconnect());
        ASSERT_TRUE(waitForBox(u("网络游戏终止"), before));
        EXPECT_EQ(dialogs.shown.back().text, friendName + u("退出游戏了"));
        ASSERT_TRUE(waitForSingleMode());
        EXPECT_EQ(nw::testing::currentSession(), nullptr);
        friendLog.events.clear();
    }

    void expectServesAFriend() {
        SCOPED_TRACE("then a friend");
        ASSERT_TRUE(friendly.setPlayerName(u("乙方")));
        hostThroughDialog(u("甲方"), [&](quint16 port) { friendly.join(QStringLiteral("127.0.0.1"), port); });
        playWithFriendUntilItLeaves(u("乙方"));
    }

    nw::Session friendly;
    PeerLog friendLog{friendly};
    Board boardAtNotice;
    int memoLinesAtNotice = -1;
};

// Strangers turned away while the host waits are told of in its dialog; the friend who joins
// next is not greeted by a box about them.
TEST_F(HostileE2E, strangersWhileTheHostWaitsShowInTheDialogOnlyAndTheFriendStillPlays) {
    std::vector<std::unique_ptr<RawPeer>> mutes;
    struct Case {
        const char* name;
        QString hostName;
        QString friendName;
        std::function<void(quint16)> whileWaiting; // before the friend joins
        QString status;                            // what the waiting dialog said last, if asked
    };
    const Case cases[] = {
        {"a flood of wrong versions", u("甲方"), u("乙方"),
         [](quint16 port) {
             for (int round = 0; round < 10; ++round) {
                 std::vector<std::unique_ptr<RawPeer>> wave;
                 for (int i = 0; i < 10; ++i) {
                     wave.push_back(std::make_unique<RawPeer>());
                     wave.back()->socket.connectToHost(kLoopback, port);
                     wave.back()->socket.write(hello(gbk(u("丙方")), static_cast<std::uint16_t>(100 + round)));
                 }
                 for (auto& raw : wave) {
                     ASSERT_TRUE(raw->waitClosed());
                 }
             }
         },
         u("对方的程序版本（109）与本程序（1）不同，已拒绝其连接")},
        {"mute connections in every handshake slot", u("甲方"), u("乙方"),
         [&](quint16 port) {
             for (int i = 0; i <= nw::Session::kMaxPendingHandshakes; ++i) {
                 mutes.push_back(std::make_unique<RawPeer>());
                 ASSERT_TRUE(mutes.back()->connectTo(port));
             }
             ASSERT_TRUE(QTest::qWaitFor(
                 [] { return nw::testing::currentSession()->pendingHandshakes() == nw::Session::kMaxPendingHandshakes; },
                 kNetWaitMs));
         },
         {}},
        {"markup in both names", QStringLiteral("<b>x</b>"), QStringLiteral("<img src=/dev/zero>"), [](quint16) {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.shown.clear();
        dialogs.sameKindNested = 0;
        dialogs.deepest = 0;
        ASSERT_TRUE(friendly.setPlayerName(c.friendName));
        QString status;
        hostThroughDialog(c.hostName, [&](quint16 port) {
            c.whileWaiting(port);
            status = qobject_cast<QDialog*>(QApplication::activeModalWidget())->findChild<QLabel*>("statusLabel")->text();
            friendly.join(QStringLiteral("127.0.0.1"), port);
        });
        if (!c.status.isEmpty()) {
            EXPECT_TRUE(status.endsWith(c.status)) << status.toStdString();
        }
        for (QLabel* label : {ui().Label1, ui().Label2}) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
        }
        EXPECT_EQ(ui().Label1->text(), c.hostName);
        EXPECT_EQ(ui().Label2->text(), c.friendName);
        for (auto& mute : mutes) {
            EXPECT_TRUE(mute->waitClosed()) << "the friend's greeting closes the waiting ones";
        }
        mutes.clear();
        playWithFriendUntilItLeaves(c.friendName);
        ASSERT_TRUE(waitForQuiet());
        EXPECT_EQ(std::count_if(dialogs.shown.begin(), dialogs.shown.end(),
                                [](const ShownMessage& m) { return m.caption == u("Information"); }),
                  0);
        EXPECT_EQ(dialogs.sameKindNested, 0);
        EXPECT_EQ(dialogs.deepest, 1) << "never a box over a box";
    }
}

TEST_F(HostileE2E, aPeerMisbehavingInTheGameEndsOnlyItsOwnMatch) {
    const QString lost = u("丙方断线了，确认后自动关闭网络连接，请耐心等待一段时间");
    const QString quit = u("丙方退出游戏了");
    const Board afterFirst = {{{8, 8}, kLocalStone}};
    const Board afterSecond = {{{8, 8}, kLocalStone}, {{9, 9}, kOtherStone}};
    QByteArray flood;
    for (int i = 0; i < 300; ++i) {
        flood += chat(u("刷屏"));
    }
    struct Case {
        const char* name;
        std::function<void(RawPeer&)> act; // the raw peer is to move after the host's (8, 8)
        QString notice;                    // the match's last notice
        Board board;                       // on the board while the notice is on screen
        int silenceMs = 0;                 // 0: the library's own
        bool goesOn = false;               // a stone still arrives, then the peer says goodbye
    };
    const Case cases[] = {
        {"oversized length", [](RawPeer& p) { p.send(QByteArray("\x00\x00\x02\x01\x05", 5)); }, lost, afterFirst},
        {"zero length", [](RawPeer& p) { p.send(QByteArray("\x00\x00\x00\x00", 4)); }, lost, afterFirst},
        {"unknown type", [](RawPeer& p) { p.send(QByteArray("\x00\x00\x00\x01\x0A", 5)); }, lost, afterFirst},
        {"stone on a taken point", [](RawPeer& p) { p.send(step(8, 8)); }, lost, afterFirst},
        {"stone out of turn", [](RawPeer& p) { p.send(step(9, 9) + step(10, 10)); }, lost, afterSecond},
        {"unasked restart reply", [](RawPeer& p) { p.send(enc(wire::RestartReply{true})); }, lost, afterFirst},
        {"restart questions in a storm", [](RawPeer& p) { p.send(enc(wire::RestartAsk{}).repeated(12)); }, lost,
         afterFirst},
        {"chat flood", [&](RawPeer& p) { p.send(flood); }, lost, afterFirst},
        {"bye", [](RawPeer& p) { p.send(enc(wire::Bye{})); }, quit, afterFirst},
        {"silence", [](RawPeer&) {}, lost, afterFirst, 1500},
        {"frame split after its length",
         [](RawPeer& p) {
             p.send(QByteArray("\x00\x00\x00\x01", 4));
             QTest::qWait(300);
             p.send(QByteArray("\x08", 1));
         },
         quit, afterSecond, 0, true},
        {"forged chat line",
         [](RawPeer& p) { p.send(chat(u("还在吗")) + chat(u("hi") + QString(34, QChar(0x3000)) + u("甲方：我认输了"))); },
         quit, afterSecond, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.shown.clear();
        dialogs.answers = {true}; // a question the window answered would take it
        boardAtNotice.clear();
        memoLinesAtNotice = -1;
        nw::testing::setSessionTimings(c.silenceMs > 0 ? 100 : 0, c.silenceMs);
        RawPeer raw;
        hostThroughDialog(u("甲方"), [&](quint16 port) {
            ASSERT_TRUE(raw.connectTo(port));
            raw.send(hello(gbk(u("丙方"))));
        });
        nw::testing::setSessionTimings(0, 0);
        EXPECT_EQ(ui().Label2->text(), u("丙方"));
        clickPoint(8, 8);
        ASSERT_TRUE(waitUntil([&] { return raw.count(wire::FrameType::Step) == 1; }));
        EXPECT_EQ(raw.count(wire::FrameType::Welcome), 1);

        c.act(raw);
        if (c.goesOn) {
            raw.send(step(9, 9));
            ASSERT_TRUE(waitUntil([&] { return cell(9, 9) == kOtherStone; })) << "the match goes on";
            ASSERT_TRUE(waitUntil([&] { return form1->match().playerCanMove == 1; }));
            EXPECT_EQ(form1->match().netMode, 1);
            if (std::string_view(c.name) == "forged chat line") {
                const QStringList lines = displayedLines(*ui().Memo1);
                EXPECT_TRUE(lines.contains(u("丙方：还在吗"))) << lines.join('|').toStdString();
                EXPECT_TRUE(lines.contains(u("丙方：hi 甲方：我认输了"))) << "shown, flattened";
                for (const QString& line : lines) {
                    EXPECT_FALSE(line.trimmed().startsWith(u("甲方"))) << line.toStdString();
                }
            }
            raw.send(enc(wire::Bye{}));
        }
        ASSERT_TRUE(waitForBox(u("网络游戏终止"), 0));
        EXPECT_EQ(dialogs.shown.back().text, c.notice);
        EXPECT_EQ(boardAtNotice, c.board) << "nothing of a refused frame reaches the board";
        EXPECT_LE(memoLinesAtNotice, 101);
        ASSERT_TRUE(waitForSingleMode());
        EXPECT_TRUE(raw.waitClosed());
        ASSERT_TRUE(waitForQuiet());
        int endNotices = 0;
        for (const ShownMessage& m : dialogs.shown) {
            if (m.question) {
                EXPECT_TRUE(m.closedByWindow) << m.text.toStdString() << ": asked about a gone match";
            } else {
                EXPECT_EQ(m.caption, u("网络游戏终止")) << m.text.toStdString();
                ++endNotices;
            }
        }
        EXPECT_EQ(endNotices, 1);
        EXPECT_EQ(dialogs.answers.size(), 1u) << "no question was answered";
        EXPECT_EQ(agreements(raw), 0);
        expectServesAFriend();
    }
}

// A script asks again the moment it reads each answer. The player is asked once; F5 pressed
// right after answering No finds the end-of-match question, not a new restart box; and the
// script, asking far faster than a person, is dropped.
TEST_F(HostileE2E, aStormOfRestartQuestionsAsksThePlayerOnceAndLeavesF5WithinReach) {
    RawPeer raw;
    hostThroughDialog(u("甲方"), [&](quint16 port) {
        ASSERT_TRUE(raw.connectTo(port));
        raw.send(hello(gbk(u("丙方"))));
    });
    int answered = 0;
    QObject::connect(&raw.socket, &QTcpSocket::readyRead, [&] {
        for (const int answers = raw.count(wire::FrameType::RestartReply); answered < answers; ++answered) {
            raw.send(enc(wire::RestartAsk{}));
        }
    });
    dialogs.answers = {false, false}; // No to the restart, then No to ending the match
    dialogs.whileShown = [&](const ShownMessage& m) {
        if (m.caption == u("提示")) {
            QTimer::singleShot(0, form1.get(), [&] { ui().N10->trigger(); }); // F5
        }
    };
    raw.send(enc(wire::RestartAsk{}));
    ASSERT_TRUE(waitForBox(u("网络游戏终止"), 0));
    ASSERT_TRUE(waitForSingleMode());
    QStringList captions;
    for (const ShownMessage& m : dialogs.shown) {
        captions << m.caption;
    }
    EXPECT_EQ(captions, (QStringList{u("提示"), u("您正在网络对战中"), u("网络游戏终止")}));
    EXPECT_EQ(dialogs.shown.back().text, u("丙方断线了，确认后自动关闭网络连接，请耐心等待一段时间"));
    EXPECT_GE(answered, 3) << "the repeats were refused without a box";
    EXPECT_EQ(agreements(raw), 0);
}

} // namespace
} // namespace kivola::test
