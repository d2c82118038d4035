// Renders the window as a player sees it; KIVOLA_SCREENSHOT_DIR keeps the pictures for the docs.
// A process on a scaled screen (the high-density tests) writes name@2x.png.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "window_fixture.h"

namespace kivola::test {
namespace {

using Rendering = WindowTest;

QString screenshotPath(const QTemporaryDir& fallback, const QString& name) {
    const QString wanted = qEnvironmentVariable("KIVOLA_SCREENSHOT_DIR");
    const QString suffix = qApp->devicePixelRatio() > 1 ? QStringLiteral("@2x.png") : QStringLiteral(".png");
    return QDir(wanted.isEmpty() ? fallback.path() : wanted).filePath(name + suffix);
}

// Every stone shown, so the picture does not depend on the blink's phase.
QImage shoot(TForm1& window) {
    for (int k = 1; k <= window.match().stepCount; ++k) {
        window.piece(k)->show();
    }
    return window.grab().toImage();
}

TEST_F(Rendering, everySkinShowsTheGameMidWay) {
    QTemporaryDir scratch;
    openWindow({}, 3);
    ui().actSinglePlay->trigger();
    for (const BoardPoint p : {BoardPoint{8, 8}, BoardPoint{9, 7}, BoardPoint{7, 9}, BoardPoint{10, 10}}) {
        if (cell(p.x, p.y) == kEmpty) {
            clickPoint(p.x, p.y);
        }
    }
    ASSERT_GE(stones(), 6);
    const char* names[] = {"wood", "crystal", "marble"};
    QAction* items[] = {ui().N11, ui().N21, ui().N31};
    QImage previous;
    for (int skin = 0; skin < 3; ++skin) {
        items[skin]->trigger();
        const QImage shot = shoot(*form1);
        const qreal density = shot.devicePixelRatio();
        ASSERT_EQ(shot.width(), qRound(603 * density));
        ASSERT_EQ(shot.height(), qRound((form1->chromeHeight() + 424) * density));
        // Where a stone stands the picture differs from the bare board.
        const TPiece* centre = form1->piece(1);
        const QPoint mid = centre->geometry().center() + ui().client->pos();
        const QImage board = ui().qipanPicture->pixmap().toImage();
        EXPECT_NE(shot.pixelColor(mid * density), board.pixelColor((centre->geometry().center() + QPoint(0, 1)) * density));
        EXPECT_NE(shot, previous) << "each skin looks different";
        previous = shot;
        EXPECT_TRUE(shot.save(screenshotPath(scratch, QStringLiteral("window-%1").arg(names[skin]))));
    }
}

TEST_F(Rendering, aWonGameShowsItsFiveInEverySkin) {
    QTemporaryDir scratch;
    openWindow({}, 3);
    // The second mover blocked the diagonal at one end, then built its own three instead of
    // closing the other: the first mover's ninth stone makes five from (4, 4) to (8, 8).
    const QByteArray game("\x09\x00"
                          "\x07\x07\x01\x08\x07\x00\x08\x08\x01\x07\x06\x00\x06\x06\x01"
                          "\x09\x09\x00\x05\x05\x01\x06\x05\x00\x04\x04\x01",
                          2 + 9 * 3);
    loadGame(scratch.filePath(QStringLiteral("won.rur")), game);
    ASSERT_EQ(form1->match().gameResult, kLocalStone);
    const char* names[] = {"wood", "crystal", "marble"};
    QAction* items[] = {ui().N11, ui().N21, ui().N31};
    for (int skin = 0; skin < 3; ++skin) {
        items[skin]->trigger();
        ASSERT_EQ(form1->board().winningMarks()->marked().size(), 5u);
        QWidget* marks = form1->findChild<QWidget*>(QStringLiteral("winningLine"));
        ASSERT_NE(marks, nullptr);
        marks->setVisible(false);
        const QImage bare = shoot(*form1);
        marks->setVisible(true);
        const QImage shot = shoot(*form1);
        EXPECT_NE(shot, bare) << "the rings show";
        EXPECT_TRUE(shot.save(screenshotPath(scratch, QStringLiteral("window-won-%1").arg(names[skin]))));
    }
}

TEST_F(Rendering, moveNumbersOnEverySkinAndALookBackWithTheCursor) {
    QTemporaryDir scratch;
    openWindow({}, 3);
    ui().actSinglePlay->trigger();
    for (const BoardPoint p : {BoardPoint{8, 8}, BoardPoint{9, 7}, BoardPoint{7, 9}, BoardPoint{10, 10}, BoardPoint{6, 6}}) {
        if (cell(p.x, p.y) == kEmpty && stones() < 8) {
            clickPoint(p.x, p.y);
        }
    }
    ASSERT_EQ(stones(), 8);
    ASSERT_EQ(form1->match().gameResult, kInProgress);
    ui().N17->trigger();
    const char* names[] = {"wood", "crystal", "marble"};
    QAction* items[] = {ui().N11, ui().N21, ui().N31};
    for (int skin = 0; skin < 3; ++skin) {
        items[skin]->trigger();
        const QImage shot = shoot(*form1);
        EXPECT_TRUE(shot.save(screenshotPath(scratch, QStringLiteral("window-numbers-%1").arg(names[skin]))));
    }
    items[0]->trigger();
    for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Left, Qt::Key_Left}) {
        QTest::keyClick(form1.get(), key);
    }
    EXPECT_TRUE(form1->grab().toImage().save(screenshotPath(scratch, QStringLiteral("window-review"))));
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Down, Qt::Key_Down, Qt::Key_Right}) {
        QTest::keyClick(form1.get(), key);
    }
    EXPECT_TRUE(shoot(*form1).save(screenshotPath(scratch, QStringLiteral("window-cursor"))));
    ui().N17->trigger(); // the next window starts without numbers
}

} // namespace
} // namespace kivola::test
