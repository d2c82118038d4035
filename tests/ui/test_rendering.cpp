// Renders the window as a player sees it; KIVOLA_SCREENSHOT_DIR keeps the pictures for the docs.

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include "window_fixture.h"

namespace kivola::test {
namespace {

using Rendering = WindowTest;

QString screenshotDir(const QTemporaryDir& fallback) {
    const QString wanted = qEnvironmentVariable("KIVOLA_SCREENSHOT_DIR");
    return wanted.isEmpty() ? fallback.path() : wanted;
}

TEST_F(Rendering, everySkinShowsTheGameMidWay) {
    QTemporaryDir scratch;
    openWindow({}, 3);
    form1->actSinglePlay->trigger();
    for (const BoardPoint p : {BoardPoint{8, 8}, BoardPoint{9, 7}, BoardPoint{7, 9}, BoardPoint{10, 10}}) {
        if (cell(p.x, p.y) == kEmpty) {
            clickPoint(p.x, p.y);
        }
    }
    ASSERT_GE(stones(), 6);
    const char* names[] = {"wood", "crystal", "marble"};
    QAction* items[] = {form1->N11, form1->N21, form1->N31};
    QImage previous;
    for (int skin = 0; skin < 3; ++skin) {
        items[skin]->trigger();
        // Every stone shown, so the picture does not depend on the blink's phase.
        for (int k = 1; k <= stones(); ++k) {
            form1->piece(k)->show();
        }
        const QImage shot = form1->grab().toImage();
        ASSERT_EQ(shot.width(), 603);
        ASSERT_EQ(shot.height(), form1->chromeHeight() + 424);
        // Where a stone stands the picture differs from the bare board.
        const TPiece* centre = form1->piece(1);
        const QPoint mid = centre->geometry().center() + form1->client->pos();
        const QImage board = form1->qipanPicture->pixmap().toImage();
        EXPECT_NE(shot.pixelColor(mid), board.pixelColor(centre->geometry().center() - QPoint(0, -1)));
        EXPECT_NE(shot, previous) << "each skin looks different";
        previous = shot;
        EXPECT_TRUE(shot.save(QDir(screenshotDir(scratch)).filePath(QStringLiteral("window-%1.png").arg(names[skin]))));
    }
}

} // namespace
} // namespace kivola::test
