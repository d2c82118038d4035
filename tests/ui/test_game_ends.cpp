// The ends of a game against the computer that ordinary play rarely reaches: a full board, by
// either side's stone, and a restart that hands the computer the first move.

#include <QCoreApplication>
#include <algorithm>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "window_fixture.h"

namespace kivola::test {
namespace {

// Runs of at most two along every line, so a board filled this way holds no five.
bool localInPattern(int x, int y) { return (x + 2 * y) % 4 < 2; }

// A saved game of the board filled by the pattern, stones alternating from the first mover,
// with the points in `left` still empty. The local player owns the pattern's cells when he
// moved first and its other cells when the computer did, so the first mover has one stone more.
QByteArray filledBoardFile(bool computerFirst, const std::vector<BoardPoint>& left) {
    std::vector<BoardPoint> mine;
    std::vector<BoardPoint> theirs;
    for (int x = kFirstPoint; x <= kLastPoint; ++x) {
        for (int y = kFirstPoint; y <= kLastPoint; ++y) {
            if (std::none_of(left.begin(), left.end(), [&](const BoardPoint p) { return p.x == x && p.y == y; })) {
                (localInPattern(x, y) != computerFirst ? mine : theirs).push_back({x, y});
            }
        }
    }
    QByteArray out;
    out.append(static_cast<char>(mine.size() + theirs.size())).append(static_cast<char>(computerFirst ? 1 : 0));
    const auto put = [&](const BoardPoint p, Side side) {
        out.append(static_cast<char>(p.x)).append(static_cast<char>(p.y)).append(static_cast<char>(side));
    };
    for (std::size_t i = 0; i < std::max(mine.size(), theirs.size()); ++i) {
        if (computerFirst && i < theirs.size()) {
            put(theirs[i], kSideOther);
        }
        if (i < mine.size()) {
            put(mine[i], kSideLocal);
        }
        if (!computerFirst && i < theirs.size()) {
            put(theirs[i], kSideOther);
        }
    }
    return out;
}

class GameEnds : public WindowTest {};

TEST_F(GameEnds, aFullBoardIsADrawWhoeverPlacesTheLastStone) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    openWindow();
    struct Case {
        bool computerFirst;
        std::vector<BoardPoint> left;
        BoardPoint click;
        Side lastSide;
    };
    ASSERT_TRUE(localInPattern(3, 1));
    ASSERT_TRUE(localInPattern(2, 1));
    ASSERT_FALSE(localInPattern(1, 1));
    const Case cases[] = {
        {false, {{3, 1}}, {3, 1}, kSideLocal},         // the player's click fills the board
        {true, {{1, 1}, {2, 1}}, {1, 1}, kSideOther},  // the computer's answer fills it
    };
    for (const Case& c : cases) {
        const QString file = scratch.filePath(c.computerFirst ? QStringLiteral("c.rur") : QStringLiteral("p.rur"));
        dialogs.shown.clear();
        loadGame(file, filledBoardFile(c.computerFirst, c.left));
        ASSERT_EQ(stones(), kMaxStones - static_cast<int>(c.left.size())) << "computer first " << c.computerFirst;
        ASSERT_EQ(form1->match().playerCanMove, 1);

        clickPoint(c.click.x, c.click.y);
        EXPECT_EQ(stones(), kMaxStones);
        EXPECT_EQ(form1->match().gameResult, kDraw);
        EXPECT_EQ(form1->match().stepSide[kMaxStones], c.lastSide);
        ASSERT_TRUE(waitUntil([&] { return !dialogs.shown.empty(); }));
        ASSERT_TRUE(waitForQuiet());
        ASSERT_EQ(dialogs.shown.size(), 1u) << "one notice for one result";
        EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("和棋！"));
        EXPECT_EQ(dialogs.shown[0].caption, QStringLiteral("结果"));
        EXPECT_FALSE(ui().sbtnRegret->isEnabled());
    }
}

TEST_F(GameEnds, restartWithTheComputerFirstPutsItsStoneDownAtOnce) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    openWindow();
    ui().N16->trigger();
    // A game in which the player moved first; loading leaves labels and option as they were.
    loadGame(scratch.filePath(QStringLiteral("player-first.rur")),
             QByteArray("\x02\x00\x03\x03\x01\x0c\x0c\x00", 8));
    ASSERT_EQ(stones(), 2);
    ASSERT_EQ(form1->match().computerFirst, 0);
    ASSERT_TRUE(ui().Label1->text().startsWith(QStringLiteral("玩家")));

    ui().sbtnRestart->click();
    ASSERT_EQ(stones(), 1);
    EXPECT_EQ(cell(8, 8), kOtherStone);
    EXPECT_EQ(cell(3, 3), kEmpty);
    EXPECT_EQ(form1->match().computerFirst, 1);
    EXPECT_EQ(form1->piece(2), nullptr) << "the old game's sprites are gone";
    EXPECT_EQ(ui().Label1->text(), QStringLiteral("电脑"));
    EXPECT_EQ(ui().Label2->text(), QStringLiteral("玩家"));
    EXPECT_EQ(form1->match().playerCanMove, 1);
    EXPECT_EQ(form1->match().gameStarted, 1);
    EXPECT_FALSE(ui().N15->isEnabled()) << "a restart leaves the options locked";
    EXPECT_TRUE(ui().N10->isEnabled());
    clickPoint(9, 9);
    EXPECT_EQ(stones(), 3) << "the player moves next and the computer answers";
    EXPECT_TRUE(dialogs.shown.empty());
}

} // namespace
} // namespace kivola::test
