// What a hostile peer can make the real window do: floods of notices, markup in names, endless
// chat, chat lines that pass for the other player's, stones the library would not send, and
// questions left on screen after the match they ask about has gone.

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTextEdit>
#include <QTextLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <map>

#include "chat_view.h"
#include "net_window_fixture.h"

namespace kivola::test {
namespace {

class HostilePeer : public NetWindow {
protected:
    // Stone sprites still alive on the board.
    int sprites() const {
        return static_cast<int>(ui().client->findChildren<QLabel*>(QRegularExpression(QStringLiteral("^piece"))).size());
    }
};

QString padded(const char* before, int blanks, const char* after) {
    return u(before) + QString(blanks, QChar(0x3000)) + u(after);
}

std::map<QString, int> boxesByCaption(const FakeDialogs& dialogs) {
    std::map<QString, int> count;
    for (const ShownMessage& m : dialogs.shown) {
        ++count[m.caption];
    }
    return count;
}

TEST_F(HostilePeer, floodsOfEveryKindShowOneBoxOfAKindAtATimeAndTheNewestTextLast) {
    openMatch(1);
    dialogs.answers = std::deque<bool>(8, false);
    // Each box stays "on screen" while the event loop runs, as a modal box does; the first box
    // of a kind brings 500 more of its kind.
    dialogs.holdMs = 150;
    std::map<QString, bool> flooded;
    dialogs.whileShown = [&](const ShownMessage& m) {
        if (std::exchange(flooded[m.caption], true)) {
            return;
        }
        for (int i = 1; i <= 500; ++i) {
            const QByteArray n = QByteArray::number(i);
            if (m.caption == u("Information")) {
                QCoreApplication::postEvent(form1.get(), new nw::NetTextEvent(nw::kNetNoticeEvent, "notice " + n));
            } else if (m.caption == u("Confirm")) {
                QCoreApplication::postEvent(form1.get(), new nw::NetTextEvent(nw::kNetRestartAskEvent, "ask " + n));
            } else if (m.caption == u("提示")) {
                library.deliver(RestartAsked, 2);
            } else if (m.caption == u("答复")) {
                library.deliver(RestartRefused, 2);
            } else if (m.caption == u("结果")) {
                form1->controller().announce(Notice::Result, QStringLiteral("result ") + QString::fromLatin1(n));
            }
        }
    };
    library.deliver(RestartRefused, 2);
    library.deliver(RestartAsked, 2);
    QCoreApplication::postEvent(form1.get(), new nw::NetTextEvent(nw::kNetNoticeEvent, "notice 0"));
    QCoreApplication::postEvent(form1.get(), new nw::NetTextEvent(nw::kNetRestartAskEvent, "ask 0"));
    for (int column = 1; column <= 5; ++column) {
        library.oneStep(column, 1);
        library.deliver(YourTurn);
        clickPoint(column, 3);
    }
    ASSERT_EQ(form1->match().gameResult, kOtherStone);
    ASSERT_TRUE(waitUntil([&] {
        return flooded.size() == 5 && !dialogs.anyOpen() && !ui().Timer3->isActive() && !ui().Timer4->isActive() &&
               !ui().Timer5->isActive();
    }));
    EXPECT_EQ(dialogs.sameKindNested, 0) << "never a box inside a box of its kind";
    EXPECT_LE(dialogs.deepest, 5);
    for (const auto& [caption, boxes] : boxesByCaption(dialogs)) {
        EXPECT_GE(boxes, 1) << caption.toStdString();
        EXPECT_LE(boxes, 2) << caption.toStdString() << ": the repeats merge into one";
    }
    auto lastText = [&](const char* caption) {
        for (auto it = dialogs.shown.rbegin(); it != dialogs.shown.rend(); ++it) {
            if (it->caption == u(caption)) {
                return it->text;
            }
        }
        return QString();
    };
    EXPECT_EQ(lastText("Information"), QStringLiteral("notice 500"));
    EXPECT_EQ(lastText("Confirm"), QStringLiteral("ask 500"));
    EXPECT_EQ(lastText("结果"), QStringLiteral("result 500"));
    const auto boxes = boxesByCaption(dialogs);
    EXPECT_EQ(library.count("ReplyRestart"), boxes.at(u("提示")) + boxes.at(u("Confirm"))) << "one answer per question";
    expectMatchCommands();
}

TEST_F(HostilePeer, markupInNamesAndChatIsShownLiterally) {
    openNetworkPlay();
    const QString image = QStringLiteral("<img src=/dev/zero>");
    const QString bold = QStringLiteral("<b>x</b>");
    library.gameBegin(2, gbk(image), gbk(bold));
    for (QLabel* label : {ui().Label1, ui().Label2}) {
        ASSERT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
        // Laid out as plain text the label needs the width of every character of the markup.
        EXPECT_GE(label->sizeHint().width(), QFontMetrics(label->font()).horizontalAdvance(label->text()));
    }
    EXPECT_EQ(ui().Label1->text(), image);
    EXPECT_EQ(ui().Label2->text(), bold);
    library.chat(gbk(image + u("：") + bold));
    EXPECT_EQ(ui().Memo1->document()->firstBlock().text(), image + u("：") + bold);
    library.deliver(RestartRefused, 1);
    ASSERT_TRUE(waitForQuiet());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, image + u("不同意重新开始"));
    EXPECT_EQ(form1->windowTitle(), QStringLiteral("Kivola")) << "no peer text in the caption";
}

// The real message boxes: plain text, and a question closed under the player when the peer goes.
TEST_F(HostilePeer, realBoxesArePlainTextAndTheRestartQuestionClosesWhenThePeerLeaves) {
    QtDialogService boxes;
    ComputerPlayer computer;
    TForm1 window(boxes, computer, library);
    const WindowControls ui(window);
    window.show();
    ui.actNetWork->trigger();
    const QString bold = QStringLiteral("<b>x</b>");
    library.gameBegin(2, gbk(bold), gbk("乙方"));

    std::vector<std::pair<QString, Qt::TextFormat>> seen;
    QElapsedTimer age;
    age.start();
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        if (age.elapsed() > 5000) {
            box->done(0); // a box nobody closes must not hang the run
            return;
        }
        if (!seen.empty() && seen.back().first == box->text()) {
            return;
        }
        seen.emplace_back(box->text(), box->textFormat());
        if (box->windowTitle() == u("提示")) {
            library.deliver(PeerGone, 1, {}, 0); // the question is to go away unanswered
        } else {
            box->button(QMessageBox::Ok)->click();
        }
    });
    poll.start();
    library.deliver(RestartAsked, 1);
    EXPECT_TRUE(waitUntil([&] { return window.match().netMode == 0 && seen.size() == 2; }));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].first, bold + u(" 提出重新开始，您同意吗？"));
    EXPECT_EQ(seen[1].first, bold + u("退出游戏了"));
    for (const auto& [text, format] : seen) {
        EXPECT_EQ(format, Qt::PlainText) << text.toStdString();
    }
    EXPECT_EQ(library.count("ReplyRestart"), 0) << "a closed question sends no answer";
    EXPECT_EQ(ui.Label1->text(), u("玩家"));
}

TEST_F(HostilePeer, chatRecordStaysFlatOverALongMatch) {
    openNetworkPlay();
    const QByteArray line = gbk("乙方：") + QByteArray("a line of chat, number ");
    for (int i = 1; i <= 20000; ++i) {
        library.chat(line + QByteArray::number(i));
    }
    const QTextDocument& record = *ui().Memo1->document();
    EXPECT_EQ(form1->memoDisplayedLines(), 101);
    EXPECT_EQ(record.blockCount(), 101);
    EXPECT_LT(record.characterCount(), 101 * (line.size() + 6));
    EXPECT_EQ(record.lastBlock().text(), fromGbk(line) + QStringLiteral("20000"));
    EXPECT_FALSE(ui().Memo1->isUndoRedoEnabled());
    EXPECT_EQ(record.availableUndoSteps(), 0) << "no history of removed lines is kept";
}

// A line may name a player ("甲方：你先走" is how people address each other), but no part of it
// can stand where a sender's name stands: every displayed line after a text's first is indented,
// also once the record has trimmed that first line away.
TEST_F(HostilePeer, chatLinesMayNameAPlayerButOnlyATextsFirstLineStartsAtTheMargin) {
    openMatch(1); // 甲方 is the local player, 乙方 the peer
    QTextDocument& record = *ui().Memo1->document();
    const double indent = hangingIndent(*ui().Memo1);
    ASSERT_GT(indent, 8.0);
    auto expectOnlyNamesAtTheMargin = [&] {
        for (QTextBlock block = record.firstBlock(); block.isValid(); block = block.next()) {
            const QTextLayout& layout = *block.layout();
            for (int i = 0; i < layout.lineCount(); ++i) {
                const QTextLine line = layout.lineAt(i);
                const QString text = block.text().mid(line.textStart(), line.textLength());
                if (line.x() < indent / 2) {
                    ASSERT_EQ(i, 0) << text.toStdString();
                    ASSERT_TRUE(text.startsWith(u("乙方：")) || text.startsWith(u("甲方："))) << text.toStdString();
                } else {
                    ASSERT_GE(line.x(), indent - 1) << text.toStdString();
                }
            }
        }
    };
    // The premise, in the real layout: some length wraps the line right before the forged name.
    QString forged;
    for (int n = 10; n <= 60 && forged.isEmpty(); ++n) {
        const QString line = u("乙方：") + QString(n, QChar(0x54C8)) + u("甲方：我认输了");
        library.chat(gbk(line));
        const QTextBlock last = record.lastBlock();
        if (last.layout()->lineCount() == 2 && last.text().mid(last.layout()->lineAt(1).textStart()).startsWith(u("甲方"))) {
            forged = line;
        }
    }
    ASSERT_FALSE(forged.isEmpty()) << "no length wraps right before the name";
    expectOnlyNamesAtTheMargin();

    ui().Memo1->clear();
    library.chat(gbk(padded("乙方：hi", 34, "甲方：我认输了")));
    library.chat(gbk(u("乙方：\t a\r\n\v b ") + QString(8, QChar(0x3000))));
    ASSERT_EQ(record.blockCount(), 2);
    EXPECT_EQ(record.firstBlock().text(), u("乙方：hi 甲方：我认输了")) << "padding collapses, the text is shown";
    EXPECT_EQ(record.lastBlock().text(), u("乙方：a b"));
    typeLine(u("乙方：你先走"));
    library.chat(gbk("甲方：") + library.last("SendChat")->bytes.chopped(1));
    EXPECT_EQ(record.lastBlock().text(), u("甲方：乙方：你先走")) << "the local player may address the peer";

    // Each wrapped text now loses its lines one at a time at the top of the record.
    int trimmedAtTop = 0;
    for (int i = 0; i < 120; ++i) {
        library.chat(gbk(forged));
        expectOnlyNamesAtTheMargin();
        trimmedAtTop += record.firstBlock().layout()->lineAt(0).x() >= indent - 1 ? 1 : 0;
    }
    EXPECT_GT(trimmedAtTop, 0) << "the rest of a trimmed text was at the top";
}

TEST_F(HostilePeer, aStoneTheLibraryRefusesIsTakenBackWithTheResultItMade) {
    openMatch(1);
    library.deliver(YourTurn);
    library.sendStepResult = 0;
    clickPoint(8, 8);
    EXPECT_EQ(library.count("SendOneStep"), 1);
    EXPECT_EQ(stones(), 0);
    EXPECT_EQ(cell(8, 8), kEmpty);
    EXPECT_EQ(form1->piece(1), nullptr);
    EXPECT_EQ(sprites(), 0);
    EXPECT_EQ(form1->match().playerCanMove, 0);
    clickPoint(8, 8);
    EXPECT_EQ(library.count("SendOneStep"), 1) << "the library's next event decides who moves";

    library.sendStepResult = 1;
    for (int row = 4; row <= 7; ++row) {
        library.deliver(YourTurn);
        clickPoint(8, row);
        library.oneStep(1, row);
    }
    ASSERT_EQ(stones(), 8);
    library.deliver(YourTurn);
    library.sendStepResult = 0;
    clickPoint(8, 8); // five in a row, but the peer never sees it
    EXPECT_EQ(form1->match().gameResult, kInProgress);
    EXPECT_EQ(stones(), 8);
    EXPECT_EQ(cell(8, 8), kEmpty);
    EXPECT_FALSE(ui().Timer4->isActive());
    ASSERT_TRUE(waitForQuiet());
    EXPECT_TRUE(dialogs.shown.empty()) << "no result is announced";
    EXPECT_EQ(sprites(), 8);
    expectMatchCommands();

    library.sendStepResult = 1;
    library.deliver(YourTurn);
    clickPoint(8, 8);
    EXPECT_EQ(form1->match().gameResult, kLocalStone) << "once sent, the stone stands";
    EXPECT_EQ(form1->piece(9)->stoneColor, StoneColour::First);
}

TEST_F(HostilePeer, restartQuestionsGoAwayUnansweredWhenTheMatchEndsOrBeginsAnew) {
    openMatch(1);
    // Pending: a new game arrives before the question's timer fires.
    library.deliver(RestartAsked, 2);
    library.gameBegin(1, gbk("甲方"), gbk("乙方"));
    EXPECT_FALSE(ui().Timer3->isActive());
    // Pending: the local player ends the match first.
    library.deliver(RestartAsked, 2);
    dialogs.answers = {true};
    QTest::keyClick(form1.get(), Qt::Key_F5);
    ASSERT_TRUE(waitForQuiet());
    ASSERT_EQ(dialogs.shown.size(), 1u) << "only the end-of-match question";
    EXPECT_EQ(library.count("ReplyRestart"), 0);

    // On screen: the library's own question, when a new game begins.
    ui().actNetWork->trigger();
    library.gameBegin(1, gbk("甲方"), gbk("乙方"));
    dialogs.shown.clear();
    dialogs.holdMs = 5000;
    dialogs.whileShown = [&](const ShownMessage& m) {
        if (m.caption == u("Confirm")) {
            library.gameBegin(2, gbk("乙方"), gbk("甲方"));
        } else if (m.caption == u("提示")) {
            library.deliver(PeerGone, 1, {}, 1);
        }
    };
    QCoreApplication::postEvent(form1.get(), new nw::NetTextEvent(nw::kNetRestartAskEvent, gbk("再来一局？")));
    QCoreApplication::sendPostedEvents(form1.get());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].closedByWindow);
    EXPECT_EQ(ui().Label1->text(), u("乙方"));
    EXPECT_EQ(library.count("ReplyRestart"), 0);
    expectMatchCommands();

    // On screen: the peer's question, when the link drops; the lost notice follows.
    dialogs.holdMs = 0;
    dialogs.answers = {true};
    library.deliver(RestartAsked, 1);
    ASSERT_TRUE(waitUntil([&] { return form1->match().netMode == 0; }));
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[1].caption, u("提示"));
    EXPECT_TRUE(dialogs.shown[1].closedByWindow);
    EXPECT_EQ(dialogs.shown[2].text, u("乙方断线了，确认后自动关闭网络连接，请耐心等待一段时间"));
    EXPECT_EQ(dialogs.closeRequests, (std::vector<QString>{u("Confirm"), u("提示")}));
    EXPECT_EQ(library.count("ReplyRestart"), 0);
    EXPECT_EQ(library.count("ReleaseNetWork"), 1);
    expectSingleMode();
    EXPECT_EQ(dialogs.answers.size(), 1u) << "no answer was taken for a closed question";
}

} // namespace
} // namespace kivola::test
