// A game against the computer through the real window: clicks, answers, results, take-back.

#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>

#include "kivola/opponent/opponent.h"
#include "window_fixture.h"

namespace kivola::test {
namespace {

using SinglePlay = WindowTest;

constexpr int kValidY = 200; // row 7

TEST_F(SinglePlay, pointerColumnsFollowTheTwentyEightPixelRule) {
    openWindow();
    struct Case {
        int pointerX;
        int column; // 0: the click is ignored
    };
    for (const Case c : {Case{0, 1}, Case{36, 1}, Case{37, 2}, Case{428, 15}, Case{429, 0}}) {
        ui().actSinglePlay->trigger();
        clickPixel(c.pointerX, kValidY);
        if (c.column == 0) {
            EXPECT_EQ(stones(), 0) << "pointer x " << c.pointerX;
            continue;
        }
        ASSERT_EQ(stones(), 2) << "pointer x " << c.pointerX;
        EXPECT_EQ(form1->match().stepX[1], c.column) << "pointer x " << c.pointerX;
        EXPECT_EQ(form1->match().stepY[1], 7);
        EXPECT_EQ(cell(c.column, 7), kLocalStone);
    }
}

TEST_F(SinglePlay, aClickOnAStonesRimIsTakenByTheStone) {
    // On wood and marble a stone reaches a few pixels into its neighbours' click areas.
    QTemporaryDir scratch;
    openWindow();
    for (QAction* skin : {ui().N11, ui().N31}) {
        skin->trigger();
        loadGame(scratch.filePath(QStringLiteral("one.rur")), QByteArray("\x02\x00\x08\x08\x01\x03\x03\x00", 8));
        const QRect stone = form1->piece(1)->geometry();
        clickOnScreen({stone.left() + 1, stone.center().y()});
        while (form1->piece(2)->isVisible()) {
            form1->board().Timer1Timer(); // the blink must not let a click through either
        }
        clickOnScreen(form1->piece(2)->geometry().topLeft());
        EXPECT_EQ(stones(), 2) << skin->text().toStdString();
        clickOnScreen({stone.left() - 6, stone.center().y()});
        EXPECT_EQ(cell(7, 8), kLocalStone) << "beside the stone the board takes the click";
    }
}

TEST_F(SinglePlay, clicksThatMustNotPlaceAStoneAreIgnored) {
    openWindow();
    clickPoint(8, 8);
    EXPECT_EQ(stones(), 0) << "no game started, even on an empty board";

    ui().actSinglePlay->trigger();
    clickPoint(8, 8);
    ASSERT_EQ(stones(), 2);
    const int computerX = form1->match().stepX[2];
    const int computerY = form1->match().stepY[2];
    clickPoint(computerX, computerY);
    clickPoint(8, 8);
    EXPECT_EQ(stones(), 2) << "occupied points take no stone";
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SinglePlay, computerFirstOpensInTheCentreWithTheLabelsSwapped) {
    openWindow();
    ui().N16->trigger();
    EXPECT_TRUE(ui().N16->isChecked());
    EXPECT_FALSE(ui().N15->isChecked());
    QTest::keyClick(form1.get(), Qt::Key_F2);
    ASSERT_EQ(stones(), 1);
    EXPECT_EQ(cell(8, 8), kOtherStone);
    EXPECT_EQ(ui().Label1->text(), QStringLiteral("电脑"));
    EXPECT_EQ(ui().Label2->text(), QStringLiteral("玩家"));
    EXPECT_EQ(form1->match().playerCanMove, 1);
    EXPECT_EQ(form1->piece(1)->pixmap().toImage(), ui().Image2->pixmap().toImage())
        << "the first mover's stone is black whoever moves first";
    EXPECT_EQ(ui().guge1->value(), 0) << "the opening stone needs no search";

    // The option is locked while the game runs; ending the game already follows it.
    EXPECT_FALSE(ui().N15->isEnabled());
    ui().N10->trigger();
    EXPECT_EQ(form1->match().computerFirst, 1);
    EXPECT_EQ(ui().Label1->text(), QStringLiteral("电脑"));
    EXPECT_EQ(stones(), 0) << "ending a game does not let the computer move";
}

// Which stones go and who moves then is the core's rule and the enabling the match's; here
// the button reaches them and the board loses the stones' sprites.
TEST_F(SinglePlay, theTakeBackButtonTakesTheStonesOffTheBoard) {
    openWindow();
    ui().actSinglePlay->trigger();
    clickPoint(8, 8);
    clickPoint(3, 3);
    ASSERT_EQ(stones(), 4);
    ASSERT_NE(form1->piece(4), nullptr);
    ui().sbtnRegret->click();
    EXPECT_EQ(stones(), 2);
    EXPECT_EQ(form1->piece(3), nullptr);
    EXPECT_EQ(form1->piece(4), nullptr);
    ASSERT_NE(form1->piece(2), nullptr);
    EXPECT_TRUE(form1->piece(2)->isVisible());
    EXPECT_TRUE(ui().sbtnRegret->isEnabled()) << "the match's enabling reaches the button";
}

// Chooses the player's move with the same search looking from the player's side.
BoardPoint strongReply(const MatchState& state, RandomSource& random) {
    Opponent strategist;
    strategist.setSearchDepth(kIntermediateDepth);
    WorkBoard board = emptyWorkBoard();
    std::vector<BoardPoint> stones;
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        for (int y = kFirstPoint; y <= kLastPoint; ++y) {
            const int c = state.board[x][y];
            board[x][y] = c == kLocalStone ? kOtherStone : (c == kOtherStone ? kLocalStone : c);
        }
    }
    for (int k = 1; k <= state.stepCount; ++k) {
        stones.push_back({state.stepX[k], state.stepY[k]});
    }
    QuietProgress quiet;
    BoardPoint move;
    EXPECT_TRUE(strategist.FindComputerMove(board, stones, true, quiet, random, move.x, move.y));
    return move;
}

TEST_F(SinglePlay, aStrongPlayerBeatsTheBeginnerAndIsToldSo) {
    SeededRandom random(11);
    bool won = false;
    for (std::uint64_t seed = 1; seed <= 6 && !won; ++seed) {
        openWindow({}, seed);
        ui().actSinglePlay->trigger();
        for (int turn = 0; turn < 120 && form1->match().gameResult == kInProgress; ++turn) {
            const BoardPoint move = stones() == 0 ? BoardPoint{8, 8} : strongReply(form1->match(), random);
            clickPoint(move.x, move.y);
        }
        won = form1->match().gameResult == kLocalStone;
    }
    ASSERT_TRUE(won);
    const int finalStones = stones();
    EXPECT_EQ(form1->match().stepSide[finalStones], kSideLocal) << "the computer does not answer a win";
    ASSERT_TRUE(waitUntil([&] { return !dialogs.shown.empty(); }));
    EXPECT_EQ(dialogs.shown.back().text, QStringLiteral("您赢了！"));
    EXPECT_EQ(dialogs.shown.back().caption, QStringLiteral("结果"));
    EXPECT_FALSE(ui().sbtnRegret->isEnabled()) << "no take-back after a result";
    // The five is marked, the winning stone among its stones.
    const WinningMarks* marks = form1->board().winningMarks();
    EXPECT_TRUE(marks->isVisible());
    EXPECT_GE(marks->marked().size(), 5u);
    EXPECT_NE(std::find(marks->marked().begin(), marks->marked().end(), form1->piece(finalStones)->geometry()),
              marks->marked().end());

    clickPoint(1, 1);
    EXPECT_EQ(stones(), finalStones) << "clicks after the result are ignored";
    EXPECT_TRUE(form1->piece(finalStones)->isVisible());

    // Restart clears the board and keeps the game started.
    ui().sbtnRestart->click();
    EXPECT_EQ(stones(), 0);
    EXPECT_EQ(form1->match().gameResult, kInProgress);
    EXPECT_EQ(form1->match().gameStarted, 1);
    EXPECT_TRUE(marks->marked().empty());
    EXPECT_FALSE(marks->isVisible());
}

TEST_F(SinglePlay, aPlayerWhoNeverDefendsLosesAndIsToldSo) {
    openWindow();
    ui().check2->trigger();
    EXPECT_EQ(form2->searchDepth(), 5);
    EXPECT_TRUE(ui().check2->isChecked());
    EXPECT_FALSE(ui().check1->isChecked());
    ui().actSinglePlay->trigger();
    // Odd columns of odd rows are never neighbours, so the player can never make five.
    for (int y = 1; y <= 15 && form1->match().gameResult == kInProgress; y += 2) {
        for (int x = 1; x <= 15 && form1->match().gameResult == kInProgress; x += 2) {
            if (cell(x, y) == kEmpty) {
                clickPoint(x, y);
            }
        }
    }
    ASSERT_EQ(form1->match().gameResult, kOtherStone);
    EXPECT_EQ(form1->match().stepSide[stones()], kSideOther);
    EXPECT_GE(form1->board().winningMarks()->marked().size(), 5u) << "the computer's five is marked as well";
    ASSERT_TRUE(waitUntil([&] { return !dialogs.shown.empty(); }));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("您输了！"));
    EXPECT_EQ(dialogs.shown[0].caption, QStringLiteral("结果"));
}

} // namespace
} // namespace kivola::test
