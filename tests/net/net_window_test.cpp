// The network match in the real window, with the library replaced by a recorder: every call
// the window makes is checked, and any event, also a broken one, can be delivered.

#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>

#include "help/about_box.h"
#include "net_window_fixture.h"

namespace kivola::test {
namespace {

TEST_F(NetWindow, openingNetworkPlayMakesTheWindowTallAndLocksTheSinglePlayerCommands) {
    openWindow();
    QTest::keyClick(form1.get(), Qt::Key_F3);
    ASSERT_EQ(library.count("PrepareNetwork"), 1);
    EXPECT_EQ(library.window, static_cast<QWidget*>(form1.get())) << "the library gets the main window";
    EXPECT_EQ(form1->match().netMode, 1);
    EXPECT_EQ(form1->match().playerCanMove, 0);
    EXPECT_EQ(clientHeight(), 512);
    EXPECT_TRUE(ui().Edit1->isEnabled());
    EXPECT_FALSE(ui().guge1->isVisibleTo(form1.get()));
    expectMatchCommands();
    EXPECT_EQ(ui().Label1->text().trimmed(), u("玩家")) << "labels wait for the game to begin";

    library.gameBegin(2, gbk("甲方"), gbk("乙方"));
    EXPECT_EQ(ui().Label1->text(), u("甲方"));
    EXPECT_EQ(ui().Label2->text(), u("乙方"));
    EXPECT_EQ(form1->match().computerFirst, 1) << "the peer holds seat 1";
    EXPECT_EQ(form1->controller().playerName(1), u("甲方"));
    EXPECT_EQ(form1->controller().playerName(2), u("乙方"));
    expectMatchCommands();
}

TEST_F(NetWindow, aRefusedStartLeavesSingleModeWithAnEmptyBoardThatTakesNoClick) {
    openWindow();
    ui().actSinglePlay->trigger();
    clickPoint(8, 8);
    ui().N10->trigger(); // a game must be ended before network play can open
    library.prepareResult = 0;
    ui().actNetWork->trigger();
    EXPECT_EQ(form1->match().netMode, 0);
    EXPECT_EQ(stones(), 0);
    EXPECT_EQ(form1->match().playerCanMove, 0);
    EXPECT_EQ(clientHeight(), 424);
    EXPECT_FALSE(ui().Edit1->isEnabled());
    clickPoint(8, 8);
    EXPECT_EQ(stones(), 0);
    EXPECT_EQ(library.count("SendOneStep"), 0);
    EXPECT_TRUE(dialogs.shown.empty()) << "the program adds no message of its own";
}

TEST_F(NetWindow, gameBeginReadsOnlyTheLowByteOfTheSeatAndClearsTheBoard) {
    openMatch(1);
    library.deliver(YourTurn);
    clickPoint(8, 8);
    ASSERT_EQ(stones(), 1);
    library.gameBegin(0x0102, gbk("乙方"), gbk("甲方"));
    EXPECT_EQ(stones(), 0);
    EXPECT_EQ(cell(8, 8), kEmpty);
    EXPECT_EQ(form1->match().computerFirst, 1);
    EXPECT_EQ(form1->match().playerCanMove, 0);
    EXPECT_EQ(ui().Label1->text(), u("乙方"));
}

TEST_F(NetWindow, localStoneIsPlacedThenSentAsTwoInt32sAndTheTurnPasses) {
    openMatch(1);
    clickPoint(8, 8);
    EXPECT_EQ(stones(), 0) << "no stone before YourTurn";
    library.deliver(YourTurn);
    clickPoint(8, 8);
    ASSERT_EQ(stones(), 1);
    EXPECT_EQ(cell(8, 8), kLocalStone);
    EXPECT_EQ(form1->match().playerCanMove, 0);
    const LibraryCall* sent = library.last("SendOneStep");
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(sent->number, 8);
    std::int32_t point[2];
    std::memcpy(point, sent->bytes.constData(), sizeof point);
    EXPECT_EQ(point[0], 8);
    EXPECT_EQ(point[1], 8);
    EXPECT_EQ(form1->controller().outgoingStep()[0], 8);
    clickPoint(9, 9);
    EXPECT_EQ(library.count("SendOneStep"), 1) << "the turn has passed";
}

TEST_F(NetWindow, peerStoneLandsAsTheOtherSideAndTheLocalPlayerWaitsForYourTurn) {
    openMatch(2);
    library.oneStep(8, 8);
    ASSERT_EQ(stones(), 1);
    EXPECT_EQ(cell(8, 8), kOtherStone);
    EXPECT_EQ(form1->match().stepSide[1], kSideOther);
    EXPECT_EQ(form1->piece(1)->stoneColor, StoneColour::First) << "the first mover's colour";
    EXPECT_TRUE(ui().Timer1->isActive()) << "the newest stone blinks";
    clickPoint(9, 9);
    EXPECT_EQ(stones(), 1) << "not before YourTurn";
    library.deliver(YourTurn);
    clickPoint(9, 9);
    EXPECT_EQ(stones(), 2);
    EXPECT_EQ(form1->piece(2)->stoneColor, StoneColour::Second);
}

TEST_F(NetWindow, badEventsAreIgnoredWithoutTouchingTheGame) {
    openMatch(2);
    library.oneStep(8, 8);
    const MatchState before = form1->match();
    const QString label1 = ui().Label1->text();

    library.gameBegin(3, gbk("丙"), gbk("丁"));
    library.deliver(GameBegin, 1, QByteArray()); // no names at all
    library.deliver(GameBegin, 1, QByteArray("\xFF\xFF\0\x41\0", 5)); // not GBK
    EXPECT_EQ(ui().Label1->text(), label1);
    EXPECT_EQ(stones(), 1);

    for (const auto& [column, row] : {std::pair{0, 5}, std::pair{16, 5}, std::pair{5, 0}, std::pair{5, 16},
                                      std::pair{-1, -1}, std::pair{8, 8}}) {
        library.oneStep(column, row);
    }
    library.deliver(OneStep, 0, QByteArray()); // no point
    EXPECT_EQ(stones(), 1) << "off the board or on an occupied cell";

    library.deliver(YourTurn);
    library.oneStep(9, 9);
    EXPECT_EQ(stones(), 1) << "the local player is to move";
    EXPECT_EQ(cell(9, 9), kEmpty);

    for (int seat : {0, 3, -1, 0x101}) {
        library.deliver(RestartAsked, seat);
        library.deliver(RestartRefused, seat);
        library.deliver(PeerGone, seat, {}, 1);
    }
    library.deliver(8);
    library.deliver(0);
    library.deliver(ChatText, 0, QByteArray());
    library.deliver(ChatText, 0, QByteArray("\x81\0", 2)); // a lead byte without its trail
    EXPECT_FALSE(ui().Timer2->isActive() || ui().Timer3->isActive() || ui().Timer5->isActive() ||
                 ui().Timer8->isActive());
    ASSERT_TRUE(waitForQuiet());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(ui().Memo1->document()->isEmpty());
    EXPECT_EQ(form1->match().board, before.board);
    EXPECT_EQ(form1->match().stepCount, before.stepCount);
    EXPECT_EQ(form1->match().netMode, 1);
}

TEST_F(NetWindow, eventsOutsideAMatchLeaveAGameAgainstTheComputerAlone) {
    openNetworkPlay();
    dialogs.answers = {true};
    ui().N10->trigger();
    ASSERT_EQ(form1->match().netMode, 0);
    ui().actSinglePlay->trigger();
    clickPoint(8, 8);
    ASSERT_EQ(stones(), 2);
    const Board board = form1->match().board;
    library.gameBegin(1, gbk("甲方"), gbk("乙方"));
    library.oneStep(1, 1);
    library.deliver(PeerGone, 2);
    ASSERT_TRUE(waitForQuiet());
    EXPECT_EQ(form1->match().board, board);
    EXPECT_EQ(form1->match().netMode, 0);
    EXPECT_EQ(ui().Label1->text(), u("玩家"));
}

TEST_F(NetWindow, winningLocalStoneIsStillSentAndAnnounced) {
    openMatch(1);
    for (int row = 4; row <= 7; ++row) {
        library.deliver(YourTurn);
        clickPoint(8, row);
        library.oneStep(1, row);
    }
    library.deliver(YourTurn);
    clickPoint(8, 8);
    EXPECT_EQ(form1->match().gameResult, kLocalStone);
    EXPECT_EQ(library.count("SendOneStep"), 5);
    EXPECT_EQ(form1->controller().outgoingStep()[1], 8);
    EXPECT_TRUE(ui().Timer4->isActive());
    ASSERT_TRUE(waitForQuiet());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, u("您赢了！"));
    EXPECT_EQ(dialogs.shown[0].caption, u("结果"));
    library.oneStep(2, 2);
    EXPECT_EQ(stones(), 9) << "after the result no stone enters";
}

TEST_F(NetWindow, peerWinningStoneBringsYouLose) {
    openMatch(2);
    for (int column = 4; column <= 7; ++column) {
        library.oneStep(column, 3);
        library.deliver(YourTurn);
        clickPoint(column, 10);
    }
    library.oneStep(8, 3);
    EXPECT_EQ(form1->match().gameResult, kOtherStone);
    ASSERT_TRUE(waitForQuiet());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, u("您输了！"));
    EXPECT_EQ(dialogs.shown[0].caption, u("结果"));
    expectMatchCommands();
    // The beaten player is shown where the peer's five stands: its five stones, none of the own.
    std::vector<QRect> peerFive;
    for (int k = 1; k <= 9; k += 2) {
        peerFive.push_back(form1->piece(k)->geometry());
    }
    EXPECT_EQ(form1->board().winningMarks()->marked(), peerFive);
    EXPECT_TRUE(form1->board().winningMarks()->isVisible());
    // An agreed restart clears the board, and the marks with it.
    library.gameBegin(1, gbk("乙方"), gbk("甲方"));
    EXPECT_EQ(stones(), 0);
    EXPECT_TRUE(form1->board().winningMarks()->marked().empty());
}

TEST_F(NetWindow, looksBackOnlyOnceTheGameIsDecidedAndAnyEventBringsTheLiveBoard) {
    openMatch(2);
    const auto caption = [&] { return form1->findChild<QLabel*>(QStringLiteral("reviewCaption")); };
    for (int column = 4; column <= 7; ++column) {
        library.oneStep(column, 3);
        library.deliver(YourTurn);
        clickPoint(column, 10);
        // While the game is played a peer's stone must never land unseen: the arrows look back at nothing.
        QTest::keyClick(form1.get(), Qt::Key_Left);
        EXPECT_FALSE(caption()->isVisible());
    }
    library.oneStep(8, 3);
    ASSERT_TRUE(waitForQuiet());
    QTest::keyClick(form1.get(), Qt::Key_Home);
    ASSERT_TRUE(caption()->isVisible());
    EXPECT_FALSE(form1->piece(1)->isVisible());
    library.chat(gbk("再来一局？"));
    EXPECT_FALSE(caption()->isVisible());
    EXPECT_TRUE(form1->piece(1)->isVisible());
    EXPECT_TRUE(form1->board().winningMarks()->isVisible());
}

// A full board without five: 113 points for the first mover, 112 for the second.
struct DrawnBoard {
    std::vector<BoardPoint> first;
    std::vector<BoardPoint> second;
};
DrawnBoard drawnBoard() {
    DrawnBoard board;
    for (int x = 1; x <= 15; ++x) {
        for (int y = 1; y <= 15; ++y) {
            // Pairs of equal stones that shift by two each row never line up five.
            ((x - 1 + 2 * (y - 1)) % 4 < 2 ? board.first : board.second).push_back({x, y});
        }
    }
    return board;
}

TEST_F(NetWindow, localStoneThatFillsTheBoardIsSentAndDrawn) {
    openMatch(1);
    const DrawnBoard board = drawnBoard();
    ASSERT_EQ(board.first.size(), 113u);
    for (std::size_t i = 0; i < board.first.size(); ++i) {
        library.deliver(YourTurn);
        clickPoint(board.first[i].x, board.first[i].y);
        ASSERT_EQ(form1->match().gameResult, i + 1 == board.first.size() ? kDraw : kInProgress) << i;
        if (i < board.second.size()) {
            library.oneStep(board.second[i].x, board.second[i].y);
        }
    }
    EXPECT_EQ(stones(), 225);
    EXPECT_EQ(library.count("SendOneStep"), 113) << "the last stone goes out too";
    ASSERT_TRUE(waitForQuiet());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, u("和棋！"));
    EXPECT_EQ(dialogs.shown[0].caption, u("结果"));
}

TEST_F(NetWindow, peerStoneThatFillsTheBoardIsDrawn) {
    openMatch(2);
    const DrawnBoard board = drawnBoard();
    for (std::size_t i = 0; i < board.first.size(); ++i) {
        library.oneStep(board.first[i].x, board.first[i].y);
        if (i < board.second.size()) {
            library.deliver(YourTurn);
            clickPoint(board.second[i].x, board.second[i].y);
        }
    }
    EXPECT_EQ(stones(), 225);
    EXPECT_EQ(form1->match().gameResult, kDraw);
    ASSERT_TRUE(waitForQuiet());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, u("和棋！"));
}

TEST_F(NetWindow, chatSendsGbkBytesPlusTheNulAndNeverAnEmptyLine) {
    openNetworkPlay();
    typeLine(u("你好, Kivola"));
    const LibraryCall* sent = library.last("SendChat");
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(sent->bytes, gbk("你好, Kivola") + '\0') << "also before the first game begins";
    EXPECT_EQ(sent->number, gbk("你好, Kivola").size() + 1);
    EXPECT_TRUE(ui().Edit1->text().isEmpty());
    EXPECT_TRUE(ui().Memo1->document()->isEmpty()) << "the own line waits for the library's echo";

    QTest::keyClick(ui().Edit1, Qt::Key_Return);
    EXPECT_EQ(library.count("SendChat"), 1) << "an empty line is not sent";

    typeLine(QStringLiteral("   "));
    EXPECT_EQ(library.count("SendChat"), 2) << "a line of blanks is sent";
    EXPECT_EQ(library.last("SendChat")->bytes, QByteArray("   ", 4));
    EXPECT_EQ(library.last("SendChat")->number, 4);
    QTest::keyClick(ui().Edit1, Qt::Key_Enter); // the keypad's Enter too
    EXPECT_EQ(library.count("SendChat"), 2);
    EXPECT_TRUE(ui().Edit1->hasFocus());
}

TEST_F(NetWindow, chatInputRefusesTypingBeyondEightyGbkBytes) {
    openNetworkPlay();
    typeText(ui().Edit1, QString(45, QChar(0x4E2D))); // 中, two bytes each
    EXPECT_EQ(ui().Edit1->text(), QString(40, QChar(0x4E2D)));
    typeText(ui().Edit1, QStringLiteral("x"));
    EXPECT_EQ(ui().Edit1->text().size(), 40) << "not even one byte more";
    ui().Edit1->clear();
    typeText(ui().Edit1, QStringLiteral("a") + QString(40, QChar(0x4E2D)));
    EXPECT_EQ(gbk(ui().Edit1->text()).size(), 79) << "a two-byte character that would cross 80 is refused";
    typeText(ui().Edit1, QStringLiteral("b"));
    EXPECT_EQ(gbk(ui().Edit1->text()).size(), 80);
    QTest::keyClick(ui().Edit1, Qt::Key_Return);
    EXPECT_EQ(library.last("SendChat")->number, 81);

    typeText(ui().Edit1, QString::fromUtf8("😀"));
    EXPECT_TRUE(ui().Edit1->text().isEmpty()) << "a character GBK cannot carry is refused";
}

TEST_F(NetWindow, memoSettlesAtOneHundredAndOneDisplayedLines) {
    openNetworkPlay();
    for (int i = 1; i <= 150; ++i) {
        library.chat(QByteArray("line ") + QByteArray::number(i));
    }
    EXPECT_EQ(form1->memoDisplayedLines(), 101);
    EXPECT_EQ(ui().Memo1->document()->blockCount(), 101);
    EXPECT_EQ(ui().Memo1->document()->firstBlock().text(), QStringLiteral("line 50"));
    EXPECT_EQ(ui().Memo1->document()->lastBlock().text(), QStringLiteral("line 150"));
    library.chat(gbk("乙方：你好"));
    EXPECT_EQ(form1->memoDisplayedLines(), 101);
    EXPECT_EQ(ui().Memo1->document()->lastBlock().text(), u("乙方：你好")) << "as it came, GBK decoded";
}

TEST_F(NetWindow, wrappedTextCountsOncePerDisplayedLine) {
    openNetworkPlay();
    const QByteArray longLine = QByteArray("word ").repeated(60); // several displayed lines
    library.chat(longLine);
    const int wrapped = form1->memoDisplayedLines();
    ASSERT_GE(wrapped, 3);
    for (int i = 1; i <= 100; ++i) {
        library.chat(QByteArray("short ") + QByteArray::number(i));
    }
    // The oldest displayed lines went one per arriving text, the wrapped text's first.
    EXPECT_EQ(form1->memoDisplayedLines(), 101);
    EXPECT_EQ(ui().Memo1->document()->lastBlock().text(), QStringLiteral("short 100"));
    // wrapped - 1 removals: one displayed line of the wrapped text is left.
    const QTextBlock first = ui().Memo1->document()->firstBlock();
    EXPECT_TRUE(first.text().startsWith(QStringLiteral("word")));
    EXPECT_LT(first.text().size(), longLine.size());
    EXPECT_EQ(first.layout()->lineCount(), 1);
    EXPECT_EQ(ui().Memo1->document()->blockCount(), 101);
}

TEST_F(NetWindow, restartRequestGoesToTheLibraryAndLeavesTheBoard) {
    openMatch(1);
    library.deliver(YourTurn);
    clickPoint(8, 8);
    ui().sbtnRestart->click();
    EXPECT_EQ(library.count("RequireRestart"), 1);
    EXPECT_EQ(stones(), 1);
    EXPECT_EQ(cell(8, 8), kLocalStone);

    library.deliver(RestartRefused, 2);
    EXPECT_TRUE(ui().Timer5->isActive());
    EXPECT_EQ(ui().Timer5->interval(), 1);
    ASSERT_TRUE(waitForQuiet());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, u("乙方不同意重新开始"));
    EXPECT_EQ(dialogs.shown[0].caption, u("答复"));
}

TEST_F(NetWindow, restartQuestionIsAnsweredByTheLocalPlayer) {
    openMatch(1);
    dialogs.answers = {true, false};
    library.deliver(RestartAsked, 2);
    EXPECT_FALSE(library.count("ReplyRestart")) << "the question waits for the timer";
    ASSERT_TRUE(waitForQuiet());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, u("乙方 提出重新开始，您同意吗？"));
    EXPECT_EQ(dialogs.shown[0].caption, u("提示"));
    EXPECT_TRUE(dialogs.shown[0].question);
    EXPECT_EQ(library.last("ReplyRestart")->number, -1);
    library.deliver(RestartAsked, 2);
    ASSERT_TRUE(waitForQuiet());
    EXPECT_EQ(library.last("ReplyRestart")->number, 0);
}

TEST_F(NetWindow, peerLeavingShowsTheNoticeOverTheFinalPositionThenReturnsToSingleMode) {
    openMatch(1);
    library.deliver(YourTurn);
    clickPoint(8, 8);
    TAboutBox& about = *form1->findChild<TAboutBox*>();
    about.show();
    library.deliver(PeerGone, 2, {}, 0);
    EXPECT_FALSE(about.isVisible()) << "the about box gets out of the way";
    EXPECT_TRUE(ui().Timer2->isActive());
    EXPECT_EQ(stones(), 1);
    ASSERT_TRUE(waitForQuiet());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, u("乙方退出游戏了"));
    EXPECT_EQ(dialogs.shown[0].caption, u("网络游戏终止"));
    EXPECT_EQ(library.names().back(), "ReleaseNetWork");
    EXPECT_EQ(stones(), 0);
    expectSingleMode();
    EXPECT_EQ(form1->match().playerCanMove, 1);
    EXPECT_EQ(form1->match().gameStarted, 0);
    EXPECT_EQ(ui().Label1->text(), u("玩家"));
    EXPECT_EQ(ui().Label2->text(), u("电脑"));
    EXPECT_EQ(form1->windowTitle(), QStringLiteral("Kivola"));
}

TEST_F(NetWindow, brokenLinkIsReleasedOnlyAfterTheNoticeIsConfirmed) {
    openMatch(2);
    library.oneStep(8, 8);
    library.deliver(PeerGone, 1, {}, 1);
    EXPECT_TRUE(ui().Timer8->isActive());
    EXPECT_EQ(library.count("ReleaseNetWork"), 0);
    ASSERT_TRUE(waitForQuiet());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, u("甲方断线了，确认后自动关闭网络连接，请耐心等待一段时间"));
    EXPECT_EQ(dialogs.shown[0].caption, u("网络游戏终止"));
    EXPECT_EQ(library.count("ReleaseNetWork"), 1);
    expectSingleMode();
}

TEST_F(NetWindow, endingTheMatchDisconnectsWithoutReleasingTheLibrary) {
    openMatch(1);
    dialogs.answers = {false};
    QTest::keyClick(form1.get(), Qt::Key_F5);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, u("正在网络游戏中，是否要中断连接？"));
    EXPECT_EQ(dialogs.shown[0].caption, u("您正在网络对战中"));
    EXPECT_EQ(form1->match().netMode, 1);
    EXPECT_EQ(library.count("SendDisconnect"), 0);
    expectMatchCommands();

    dialogs.answers = {true};
    QTest::keyClick(form1.get(), Qt::Key_F5);
    EXPECT_EQ(library.count("SendDisconnect"), 1);
    EXPECT_EQ(library.last("SendDisconnect")->number, 0);
    EXPECT_EQ(library.count("ReleaseNetWork"), 0);
    expectSingleMode();

    // A new start calls PrepareNetwork directly.
    ui().actNetWork->trigger();
    EXPECT_EQ(library.names().back(), "PrepareNetwork");
    EXPECT_EQ(library.count("ReleaseNetWork"), 0);
}

TEST_F(NetWindow, reconnectingDuringAMatchAsksFirst) {
    openMatch(1);
    dialogs.answers = {false};
    ui().actNetWork->trigger();
    EXPECT_EQ(dialogs.shown.back().text, u("是否要重新连接？"));
    EXPECT_EQ(dialogs.shown.back().caption, u("您正在网络对战中"));
    EXPECT_EQ(library.count("PrepareNetwork"), 1);
    EXPECT_EQ(ui().Label1->text(), u("甲方"));

    dialogs.answers = {true};
    library.prepareResult = 0;
    ui().actNetWork->trigger();
    const std::vector<std::string> names = library.names();
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(names.end() - 3, names.end()), (std::vector<std::string>{"SendDisconnect", "ReleaseNetWork", "PrepareNetwork"}));
    EXPECT_EQ(form1->match().netMode, 0);
    EXPECT_EQ(clientHeight(), 424);
}

TEST_F(NetWindow, closingDuringAMatchNeedsYes) {
    openMatch(1);
    dialogs.answers = {false};
    form1->close();
    EXPECT_TRUE(form1->isVisible());
    EXPECT_EQ(dialogs.shown.back().text, u("确定要结束网络游戏吗？"));
    EXPECT_EQ(dialogs.shown.back().caption, u("您正在网络对战中"));
    EXPECT_EQ(form1->match().netMode, 1);

    dialogs.answers = {true};
    form1->close();
    EXPECT_FALSE(form1->isVisible());
    form1.reset();
    EXPECT_EQ(library.names(), (std::vector<std::string>{"PrepareNetwork", "SendDisconnect", "ReleaseNetWork"}));
}

TEST_F(NetWindow, closingOutsideAMatchAsksNothingAndStillReleasesTheLibrary) {
    openWindow();
    form1->close();
    EXPECT_FALSE(form1->isVisible());
    EXPECT_TRUE(dialogs.shown.empty());
    form1.reset();
    EXPECT_EQ(library.names(), (std::vector<std::string>{"ReleaseNetWork"}));
}

TEST_F(NetWindow, libraryMessagesAreShownAndAnsweredAtOnce) {
    openNetworkPlay();
    QCoreApplication::postEvent(form1.get(), new nw::NetTextEvent(nw::kNetNoticeEvent, gbk("连接被拒绝")));
    dialogs.answers = {true, false};
    QCoreApplication::postEvent(form1.get(), new nw::NetTextEvent(nw::kNetRestartAskEvent, gbk("再来一局？")));
    QCoreApplication::postEvent(form1.get(), new nw::NetTextEvent(nw::kNetRestartAskEvent, gbk("再来一局？")));
    QCoreApplication::sendPostedEvents(form1.get());
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[0].text, u("连接被拒绝"));
    EXPECT_EQ(dialogs.shown[0].caption, QStringLiteral("Information"));
    EXPECT_FALSE(dialogs.shown[0].question);
    EXPECT_EQ(dialogs.shown[1].text, u("再来一局？"));
    EXPECT_EQ(dialogs.shown[1].caption, QStringLiteral("Confirm"));
    EXPECT_TRUE(dialogs.shown[1].question);
    ASSERT_EQ(library.count("ReplyRestart"), 2);
    EXPECT_EQ(library.calls[library.calls.size() - 2].number, -1);
    EXPECT_EQ(library.calls.back().number, 0);
}

} // namespace
} // namespace kivola::test
