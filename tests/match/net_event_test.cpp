// The match's reading of library events without any window: every record, also a broken or
// hostile one, either changes the game the way its type says or leaves it untouched.

#include <gtest/gtest.h>

#include <QByteArray>
#include <cstring>
#include <random>
#include <vector>

#include "fake_net_library.h"
#include "kivola/core/placement.h"
#include "kivola/match/match_controller.h"
#include "kivola/net/chat_record.h"
#include "kivola/net/net_event_route.h"
#include "kivola/net/net_events.h"
#include "library_events.h"
#include "recording_view.h"

namespace kivola::test {
namespace {


class NetEvents : public ::testing::Test {
protected:
    NetEvents() { state.netMode = 1; }

    bool deliver(std::int32_t type, std::int32_t seat, void* data, std::int32_t linkLost = 0) {
        return test::deliver(match, type, seat, data, linkLost);
    }
    bool step(std::int32_t column, std::int32_t row) { return deliverStone(match, column, row); }
    bool begin(std::int32_t seat, QByteArray names) { return deliver(GameBegin, seat, names.data()); }
    // The local player's click on a point; the match sends the stone.
    void click(int column, int row) { match.click({column, row}); }

    RecordingView window;
    RecordingView& display = window;
    FakeNetLibrary library;
    ComputerPlayer computer{std::make_unique<SeededRandom>(7)};
    MatchController match{window, window, window, computer, library};
    MatchState& state = match.state();
};

TEST_F(NetEvents, gameBeginTakesBothNamesAndTheLowByteOfTheSeat) {
    ASSERT_TRUE(begin(0x7F02, gbkNames("甲方", "乙方")));
    EXPECT_EQ(match.playerName(1), QString::fromUtf8("甲方"));
    EXPECT_EQ(match.playerName(2), QString::fromUtf8("乙方"));
    EXPECT_EQ(window.label1, QString::fromUtf8("甲方"));
    EXPECT_EQ(state.computerFirst, 1);
    EXPECT_EQ(state.playerCanMove, 0);
    EXPECT_TRUE(match.controls().chatArea);
    EXPECT_TRUE(match.playerName(0).isEmpty());
    EXPECT_TRUE(match.playerName(3).isEmpty());
}

TEST_F(NetEvents, textsAreBoundedSoARecordWithoutItsNulIsRefused) {
    QByteArray longest(static_cast<qsizetype>(kLongestEventText), 'a');
    QByteArray names = longest + '\0' + "b" + '\0';
    EXPECT_TRUE(begin(1, names)) << "the longest name still fits";
    QByteArray tooLong = longest + "a" + '\0' + "b" + '\0';
    window.label1.clear();
    EXPECT_FALSE(begin(1, tooLong));
    EXPECT_TRUE(window.label1.isEmpty());
    QByteArray chat = longest + "a" + '\0';
    EXPECT_FALSE(deliver(ChatText, 0, chat.data()));
    EXPECT_FALSE(deliver(ChatText, 0, nullptr));
    EXPECT_FALSE(deliver(GameBegin, 1, nullptr));
    EXPECT_FALSE(deliver(OneStep, 0, nullptr));
    EXPECT_TRUE(window.lines.empty());
    EXPECT_EQ(boundedCString(nullptr), std::nullopt);
}

TEST_F(NetEvents, noticesNameThePlayerOfTheSeatAndCloseTheAboutBox) {
    ASSERT_TRUE(begin(1, gbkNames("甲方", "乙方")));
    ASSERT_TRUE(deliver(RestartAsked, 2, nullptr));
    EXPECT_EQ(match.noticeText(Notice::RestartAsked), QString::fromUtf8("乙方 提出重新开始，您同意吗？"));
    ASSERT_TRUE(deliver(RestartRefused, 2, nullptr));
    EXPECT_EQ(match.noticeText(Notice::RestartRefused), QString::fromUtf8("乙方不同意重新开始"));
    ASSERT_TRUE(deliver(PeerGone, 2, nullptr, 0));
    EXPECT_EQ(match.noticeText(Notice::PeerQuit), QString::fromUtf8("乙方退出游戏了"));
    ASSERT_TRUE(deliver(PeerGone, 1, nullptr, 5));
    EXPECT_EQ(match.noticeText(Notice::LinkLost), QString::fromUtf8("甲方断线了，确认后自动关闭网络连接，请耐心等待一段时间"));
    EXPECT_EQ(window.notices, (std::vector<Notice>{Notice::RestartAsked, Notice::RestartRefused, Notice::PeerQuit,
                                                   Notice::LinkLost}));
    EXPECT_EQ(window.aboutClosed, 4);
}

// Whatever arrives, the board only ever gains a stone on an empty playing point while the
// peer is to move, and never anything else.
TEST_F(NetEvents, seededHostileRecordsNeverCorruptTheGame) {
    std::mt19937 random(20240611);
    ASSERT_TRUE(begin(2, gbkNames("甲方", "乙方")));
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        const MatchState before = state;
        const std::int32_t type = static_cast<std::int32_t>(random() % 10) - 1;
        const std::int32_t seat = static_cast<std::int32_t>(random() % 7) - 2;
        // A buffer with a NUL at its end, so a text can never be read past it.
        QByteArray payload(static_cast<qsizetype>(random() % 24), '\0');
        for (char& c : payload) {
            c = static_cast<char>(random() % 4 == 0 ? 0 : random() % 256);
        }
        if (random() % 3 == 0) {
            const std::int32_t point[2] = {static_cast<std::int32_t>(random() % 19) - 2,
                                           static_cast<std::int32_t>(random() % 19) - 2};
            payload = QByteArray(reinterpret_cast<const char*>(point), sizeof point);
        }
        payload.append(QByteArray(8, '\0'));
        const bool ok = deliver(type, seat, random() % 10 == 0 ? nullptr : payload.data(), static_cast<std::int32_t>(random() % 2));
        accepted += ok ? 1 : 0;
        if (type == OneStep && ok) {
            ASSERT_EQ(state.stepCount, before.stepCount + 1);
            const int x = state.stepX[state.stepCount];
            const int y = state.stepY[state.stepCount];
            ASSERT_TRUE(isPlayingPoint(x, y));
            ASSERT_EQ(before.board[x][y], kEmpty);
            ASSERT_NE(before.playerCanMove, 1);
            ASSERT_EQ(state.board[x][y], kOtherStone);
        } else if (type != GameBegin || !ok) {
            ASSERT_EQ(state.board, before.board) << "event " << type;
            ASSERT_EQ(state.stepCount, before.stepCount);
        }
        for (int k = 0; k < kBoardSpan; ++k) {
            ASSERT_EQ(state.board[0][k], kRing);
            ASSERT_EQ(state.board[k][kBoardSpan - 1], kRing);
        }
        // Let the game move on now and then, the way the local player would.
        if (random() % 4 == 0) {
            state.playerCanMove = 0;
        }
        if (state.gameResult != kInProgress || state.stepCount >= kMaxStones - 1) {
            ClearBoard(state, display);
            state.playerCanMove = 0;
        }
    }
    EXPECT_GT(accepted, 100) << "the run must also exercise accepted records";
}

TEST_F(NetEvents, nothingIsTakenOutsideAMatch) {
    state.netMode = 0;
    EXPECT_FALSE(begin(1, gbkNames("甲方", "乙方")));
    EXPECT_FALSE(step(8, 8));
    EXPECT_FALSE(deliver(YourTurn, 0, nullptr));
    EXPECT_EQ(state.stepCount, 0);
    EXPECT_FALSE(match.controls().chatArea);
}

TEST_F(NetEvents, outgoingStepKeepsItsPointUntilTheNextLocalStone) {
    click(3, 15);
    EXPECT_EQ(match.outgoingStep(), (std::array<std::int32_t, 2>{3, 15}));
    ASSERT_EQ(library.last("SendOneStep")->number, 8);
    std::int32_t sent[2];
    std::memcpy(sent, library.last("SendOneStep")->bytes.constData(), sizeof sent);
    EXPECT_EQ(sent[0], 3);
    EXPECT_EQ(sent[1], 15);
    EXPECT_FALSE(match.sendChat(QString()));
    EXPECT_FALSE(match.sendChat(QString::fromUtf8("😀"))) << "no GBK form";
    EXPECT_EQ(library.count("SendChat"), 0);
}

// A chat line is shown flat, whatever it names: blanks collapse, invisible characters go, and
// only a line that begins with both players' names (its sender unclear) is refused.
TEST_F(NetEvents, chatLinesAreCollapsedAndMayNameAnyone) {
    const QString host = QString::fromUtf8("Host");
    const QString guest = QString::fromUtf8("Guest");
    auto shown = [&](const char* line) { return chatRecordLine(QString::fromUtf8(line), host, guest); };
    EXPECT_EQ(shown("Guest：\u3000 hi\t\u00a0 \u200b\u202ethere\r\n\u3000"), QString::fromUtf8("Guest：hi there"));
    EXPECT_EQ(shown(""), QString());
    EXPECT_EQ(shown("Guest：hi\u3000\u3000Host：我认输了"), QString::fromUtf8("Guest：hi Host：我认输了"));
    EXPECT_EQ(chatRecordLine(QString::fromUtf8("1：比分1：0"), QString::fromUtf8("1"), guest), QString::fromUtf8("1：比分1：0"));
    // A name that begins with the other name and its colon leaves the sender unclear.
    const QString tricky = QString::fromUtf8("Host：Guest");
    EXPECT_EQ(chatRecordLine(QString::fromUtf8("Host：Guest：hi"), host, tricky), std::nullopt);
    EXPECT_EQ(chatRecordLine(QString::fromUtf8("Host：hi"), host, tricky), QString::fromUtf8("Host：hi"));
    EXPECT_EQ(chatRecordLine(QString::fromUtf8("A  B： x"), QString::fromUtf8("A B"), guest), QString::fromUtf8("A B：x"));

    ASSERT_TRUE(begin(1, gbkNames("甲方", "乙方")));
    QByteArray addressed = gbk("乙方：hi") + QByteArray("\t\t") + gbk("甲方：你先走") + '\0';
    EXPECT_TRUE(deliver(ChatText, 0, addressed.data()));
    EXPECT_EQ(window.lines, (std::vector<QString>{QString::fromUtf8("乙方：hi 甲方：你先走")}));
}

TEST_F(NetEvents, aStoneTheLibraryRefusesLeavesTheBoardAndItsResult) {
    ASSERT_TRUE(begin(1, gbkNames("甲方", "乙方")));
    EXPECT_EQ(window.withdrawals(Notice::RestartAsked), 1) << "a new game withdraws the old questions";
    for (int x = 1; x <= 4; ++x) {
        AddPiece(state, display, {x, 1}, kSideLocal);
    }
    state.playerCanMove = 1;
    library.sendStepResult = 0;
    click(5, 1);
    ASSERT_EQ(library.count("SendOneStep"), 1) << "the winning stone was offered";
    ASSERT_EQ(window.notices, std::vector<Notice>{Notice::Result});
    EXPECT_EQ(state.stepCount, 4);
    EXPECT_EQ(state.board[5][1], kEmpty);
    EXPECT_FALSE(display.live[5]);
    EXPECT_TRUE(display.live[4]);
    EXPECT_EQ(state.gameResult, kInProgress);
    EXPECT_EQ(window.withdrawals(Notice::Result), 1);
    EXPECT_TRUE(match.noticeText(Notice::Result).isEmpty());
    EXPECT_EQ(state.playerCanMove, 0);
    // Until the library gives the turn back no click sends anything or takes a stone off.
    click(6, 6);
    click(1, 1);
    EXPECT_EQ(state.stepCount, 4);
    EXPECT_EQ(library.count("SendOneStep"), 1);
    library.sendStepResult = 1;
    ASSERT_TRUE(deliver(YourTurn, 0, nullptr));
    click(6, 6);
    EXPECT_EQ(state.stepCount, 5);
    EXPECT_EQ(match.outgoingStep(), (std::array<std::int32_t, 2>{6, 6}));
    ASSERT_TRUE(deliver(PeerGone, 2, nullptr, 1));
    EXPECT_EQ(window.withdrawals(Notice::RestartAsked), 2) << "so does the peer's leaving";
}

// The callback carries no context: only the route opened last may see an event, and a route that
// has gone must never be called.
TEST(NetEventRoute, eventsReachTheRouteOpenedLastAndNoneOnceItHasGone) {
    std::vector<int> seen;
    NetEvent event{OneStep, 0, 0, nullptr, 0};
    NetEventRoute first([&](const NetEvent& e) { EXPECT_EQ(e.EventType, OneStep); seen.push_back(1); });
    {
        NetEventRoute second([&](const NetEvent&) { seen.push_back(2); });
        first.open();
        NetEventRoute::NetEventProc(0, &event);
        second.open();
        NetEventRoute::NetEventProc(0, &event);
        NetEventRoute::NetEventProc(0, nullptr);
    }
    NetEventRoute::NetEventProc(0, &event);
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    first.open();
    NetEventRoute::NetEventProc(0, &event);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 1}));
}

} // namespace
} // namespace kivola::test
