// The master level, move numbers, looking back and playing from the keyboard, through the real
// window.

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QToolButton>
#include <QMenu>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <cstring>

#include "window_fixture.h"

namespace kivola::test {
namespace {

// Forty moves and no five: ten columns by four rows, row after row, sides alternating.
QByteArray fortyMoves() {
    QByteArray bytes;
    bytes.append(char(40)).append(char(0));
    for (int k = 0; k < 40; ++k) {
        bytes.append(char(3 + k % 10)).append(char(6 + k / 10)).append(char(k % 2 == 0 ? 1 : 0));
    }
    return bytes;
}

class BoardKeys : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        QSettings(QStringLiteral("kivola"), QStringLiteral("kivola")).clear();
        openWindow();
    }
    void key(int key) { QTest::keyClick(form1.get(), static_cast<Qt::Key>(key)); }
    QLabel* caption() const { return form1->findChild<QLabel*>(QStringLiteral("reviewCaption")); }
    int visibleStones() const {
        int n = 0;
        for (int k = 1; k <= stones(); ++k) {
            n += form1->piece(k)->isVisibleTo(form1.get()) ? 1 : 0;
        }
        return n;
    }
    void wheel(int notches) {
        const QPoint at(200, 200);
        QWheelEvent event(at, ui().qipanPicture->mapToGlobal(at), {}, {0, notches * 120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(ui().qipanPicture, &event);
    }
    // The cursor walks from where it is to the point, then Enter plays there.
    void playByKeys(BoardPoint target) {
        BoardPoint at = cursorPoint();
        for (; at.x < target.x; ++at.x) key(Qt::Key_Right);
        for (; at.x > target.x; --at.x) key(Qt::Key_Left);
        for (; at.y < target.y; ++at.y) key(Qt::Key_Down);
        for (; at.y > target.y; --at.y) key(Qt::Key_Up);
        key(Qt::Key_Return);
    }
    // The player's stones on the first of the points still empty, one after the other.
    void playOn(std::initializer_list<BoardPoint> points, int count) {
        for (const BoardPoint& p : points) {
            if (count > 0 && cell(p.x, p.y) == kEmpty) {
                clickPoint(p.x, p.y);
                --count;
            }
        }
    }
    BoardPoint cursorPoint() const {
        const QWidget* mark = form1->findChild<QWidget*>(QStringLiteral("boardCursor"));
        const QPoint centre = mark->geometry().center();
        return {(centre.x() + 14) / 28, (centre.y() + 14) / 28};
    }
};

TEST_F(BoardKeys, theMasterIsAFourthLevelWhoseStoneComesAfterTheClickAndTheWindowMayCloseWhileItThinks) {
    const QList<QAction*> options = form1->findChild<QMenu*>(QStringLiteral("O1"))->actions();
    const auto at = options.indexOf(ui().check3);
    ASSERT_GE(at, 0);
    ASSERT_EQ(options.value(at + 1), ui().check4);
    EXPECT_EQ(ui().check4->text(), QStringLiteral("大师(&M)"));
    chooseLevel(ui().check4);
    for (QAction* other : {ui().check1, ui().check2, ui().check3}) {
        EXPECT_FALSE(other->isChecked());
    }
    EXPECT_TRUE(ui().check4->isChecked());

    ui().actSinglePlay->trigger();
    EXPECT_FALSE(ui().check4->isEnabled());
    clickPoint(8, 8);
    EXPECT_EQ(stones(), 1) << "the click returns before the master's stone";
    ASSERT_TRUE(form1->controller().computerThinking());
    ASSERT_TRUE(waitUntil([&] { return stones() == 2; }, 10000));
    EXPECT_EQ(ui().guge1->value(), 100);

    // Closed while it thinks: the window goes at once.
    playOn({BoardPoint{3, 3}, BoardPoint{3, 4}}, 1);
    ASSERT_TRUE(form1->controller().computerThinking());
    form1.reset();
}

TEST_F(BoardKeys, moveNumbersAreRememberedAndOffLeavesEveryPixelAsItWas) {
    ui().actSinglePlay->trigger();
    const auto points = {BoardPoint{8, 8}, BoardPoint{7, 9}, BoardPoint{9, 9}, BoardPoint{6, 6}, BoardPoint{10, 4}};
    playOn(points, 2);
    ASSERT_EQ(stones(), 4);
    for (int k = 1; k <= 4; ++k) {
        form1->piece(k)->show();
    }
    const QImage plain = form1->grab().toImage();
    ui().N17->trigger();
    EXPECT_TRUE(ui().N17->isChecked());
    for (int k = 1; k <= 4; ++k) {
        EXPECT_TRUE(form1->piece(k)->numbered);
        EXPECT_EQ(form1->piece(k)->moveNumber, k);
    }
    EXPECT_NE(form1->grab().toImage(), plain);
    playOn(points, 1);
    ASSERT_EQ(stones(), 6);
    EXPECT_TRUE(form1->piece(6)->numbered) << "new stones come numbered";

    // A window opened later starts as the player left it.
    openWindow();
    EXPECT_TRUE(ui().N17->isChecked());
    ui().N17->trigger();
    EXPECT_FALSE(QSettings(QStringLiteral("kivola"), QStringLiteral("kivola")).value("board/moveNumbers").toBool());
    ui().actSinglePlay->trigger();
    playOn(points, 2);
    for (int k = 1; k <= 4; ++k) {
        form1->piece(k)->show();
    }
    EXPECT_EQ(form1->grab().toImage(), plain);
}

TEST_F(BoardKeys, reviewStepsThroughALoadedGameWithoutChangingItAndEveryWayOutShowsTheGame) {
    QTemporaryDir scratch;
    const QString file = scratch.filePath(QStringLiteral("forty.rur"));
    loadGame(file, fortyMoves());
    ASSERT_EQ(stones(), 40);
    const MatchState before = form1->match();

    key(Qt::Key_Left);
    EXPECT_EQ(visibleStones(), 39);
    ASSERT_NE(caption(), nullptr);
    EXPECT_TRUE(caption()->isVisibleTo(form1.get()));
    EXPECT_EQ(caption()->text(), QStringLiteral("第 39 / 40 手"));
    key(Qt::Key_Home);
    EXPECT_EQ(visibleStones(), 0);
    key(Qt::Key_End);
    wheel(3);
    EXPECT_EQ(caption()->text(), QStringLiteral("第 37 / 40 手"));
    wheel(-1);
    EXPECT_EQ(visibleStones(), 38);
    key(Qt::Key_End);
    EXPECT_EQ(visibleStones(), 40);
    EXPECT_EQ(std::memcmp(&before, &form1->match(), sizeof before), 0);
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), fortyMoves());

    // A click on the board ends the review and places nothing.
    key(Qt::Key_Home);
    clickPoint(8, 12);
    EXPECT_FALSE(caption()->isVisible());
    EXPECT_EQ(visibleStones(), 40);
    EXPECT_EQ(stones(), 40);
    // 悔棋 ends it and takes back as ever.
    key(Qt::Key_Left);
    ui().actRegret->trigger();
    EXPECT_FALSE(caption()->isVisible());
    EXPECT_EQ(stones(), 38);
    EXPECT_EQ(visibleStones(), 38);
    // 重来 and F2 end it with a new game.
    for (QAction* command : {ui().actRestart, ui().actSinglePlay}) {
        loadGame(file, fortyMoves());
        key(Qt::Key_Home);
        command->trigger();
        EXPECT_FALSE(caption()->isVisible());
        EXPECT_EQ(stones(), 0);
    }
}

TEST_F(BoardKeys, aGameFromF2ToItsResultWithTheKeyboardAloneAndTheBoardSaysWhereTheCursorIs) {
    key(Qt::Key_F2);
    ASSERT_EQ(form1->match().gameStarted, 1);
    key(Qt::Key_Up); // shows the cursor on the empty board's centre
    EXPECT_EQ(cursorPoint(), (BoardPoint{8, 8}));
    key(Qt::Key_Space);
    ASSERT_EQ(stones(), 2);
    EXPECT_EQ(cell(8, 8), kLocalStone);
    EXPECT_EQ(ui().qipanPicture->accessibleName(), QStringLiteral("棋盘"));
    EXPECT_EQ(ui().qipanPicture->accessibleDescription(), QStringLiteral("第 8 行 第 8 列，黑子"));

    key(Qt::Key_Return); // a taken point: refused as a click there would be
    EXPECT_EQ(stones(), 2);

    // Row 8 from column 1 to 15, then the rows below, until the game ends one way or the other.
    for (int row = 8; form1->match().gameResult == kInProgress && row <= 15; ++row) {
        for (int column = 1; column <= 15 && form1->match().gameResult == kInProgress; ++column) {
            if (cell(column, row) == kEmpty) {
                const int before = stones();
                playByKeys({column, row});
                ASSERT_GT(stones(), before);
            }
        }
    }
    ASSERT_NE(form1->match().gameResult, kInProgress);
    ASSERT_TRUE(waitUntil([&] { return !lastMessage().isEmpty(); }));
    EXPECT_TRUE(lastMessage() == QStringLiteral("您赢了！") || lastMessage() == QStringLiteral("您输了！"))
        << lastMessage().toStdString();
    EXPECT_FALSE(form1->board().cursorShown()) << "a decided game leaves nothing to play at the cursor";

    // The mouse takes over: the cursor goes.
    key(Qt::Key_Escape);
    key(Qt::Key_F2);
    key(Qt::Key_Down);
    EXPECT_TRUE(form1->board().cursorShown());
    QTest::mouseMove(ui().qipanPicture, QPoint(100, 100));
    EXPECT_FALSE(form1->board().cursorShown());

    // Every control a player reaches has a name a screen reader can say.
    for (QWidget* control : std::initializer_list<QWidget*>{ui().sbtnOpenGame, ui().sbtnSaveGame, ui().sbtnRegret,
                                                            ui().sbtnRestart, ui().guge1, ui().Label1,
                                                            ui().Label2, ui().Image1, ui().Image2,
                                                            ui().Edit1, ui().Memo1}) {
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
        EXPECT_FALSE(control->accessibleDescription().isEmpty()) << control->objectName().toStdString();
    }
    EXPECT_EQ(ui().Label1->accessibleName(), QStringLiteral("先行方：玩家"));
}

} // namespace
} // namespace kivola::test
