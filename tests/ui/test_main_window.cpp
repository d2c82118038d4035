// The main window as a player meets it: start state, skins, sprites, blink, menus, error handling.

#include <QDir>
#include <QTextEdit>
#include <QTimer>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "help/about_box.h"
#include "help/help_window.h"
#include "skin.h"
#include "window_fixture.h"

namespace kivola::test {
namespace {

using MainWindow = WindowTest;

TEST_F(MainWindow, startsCompactOnWoodWithOnlyTheSafeCommandsEnabled) {
    openWindow();
    EXPECT_EQ(ui().client->size(), QSize(603, 424));
    EXPECT_EQ(form1->height(), form1->chromeHeight() + 424);
    EXPECT_EQ(form1->pos(), QPoint(5, 5));
    EXPECT_EQ(form1->windowTitle(), QStringLiteral("Kivola"));
    EXPECT_EQ(form1->skinIndex(), 0);
    EXPECT_TRUE(ui().N11->isChecked());
    EXPECT_FALSE(ui().N21->isChecked());
    EXPECT_TRUE(ui().N15->isChecked());
    EXPECT_TRUE(ui().check1->isChecked());
    EXPECT_EQ(form2->searchDepth(), 1);
    EXPECT_FALSE(ui().Edit1->isEnabled());
    EXPECT_FALSE(ui().Timer1->isActive());
    EXPECT_EQ(QDir::currentPath(), QDir(form1->appPath()).absolutePath());
    EXPECT_EQ(ui().Label1->text(), QStringLiteral("玩家  "));
    EXPECT_EQ(ui().Label2->text(), QStringLiteral("电脑  "));
    EXPECT_EQ(ui().qipanPicture->geometry(), QRect(0, -1, 605, 425));
    EXPECT_EQ(ui().guge1->geometry(), QRect(456, 130, 116, 18));
    EXPECT_EQ(ui().sbtnOpenGame->geometry(), QRect(464, 169, 100, 30));
    EXPECT_EQ(ui().Edit1->geometry(), QRect(56, 424, 545, 24));
    EXPECT_EQ(ui().Memo1->geometry(), QRect(24, 445, 577, 65));
    EXPECT_TRUE(ui().sbtnOpenGame->text().isEmpty());

    // Enabling rules right after start.
    EXPECT_FALSE(ui().N3->isEnabled());
    EXPECT_FALSE(ui().sbtnSaveGame->isEnabled());
    EXPECT_TRUE(ui().N4->isEnabled());
    EXPECT_TRUE(ui().sbtnOpenGame->isEnabled());
    EXPECT_FALSE(ui().sbtnRegret->isEnabled());
    EXPECT_FALSE(ui().sbtnRestart->isEnabled());
    EXPECT_FALSE(ui().N10->isEnabled());
    EXPECT_TRUE(ui().N13->isEnabled());
    EXPECT_TRUE(ui().N14->isEnabled());

    // F5 does nothing while its item is disabled.
    QTest::keyClick(form1.get(), Qt::Key_F5);
    EXPECT_EQ(form1->match().gameStarted, 0);
}

TEST_F(MainWindow, menuCaptionsAndShortcutsAreThePrograms) {
    openWindow();
    EXPECT_EQ(ui().N6->text(), QStringLiteral(" 退  出"));
    EXPECT_EQ(ui().N6->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
    EXPECT_EQ(ui().N13->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(ui().N14->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(ui().N10->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(ui().N8->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(ui().N3->text(), QStringLiteral("保存游戏(&S)"));
    EXPECT_EQ(ui().N4->text(), QStringLiteral("打开游戏(&O)"));
    EXPECT_EQ(ui().actRegret->text(), QStringLiteral("悔棋(&U)"));
    EXPECT_EQ(ui().actRestart->statusTip(), QStringLiteral("重新开始游戏"));
    QStringList menus;
    for (QAction* menu : form1->menuBar()->actions()) {
        menus << menu->text();
    }
    EXPECT_EQ(menus, (QStringList{QStringLiteral("游戏(&G)"), QStringLiteral("选项(&O)"), QStringLiteral("帮助(&H)")}));
}

TEST_F(MainWindow, enablingRulesFollowAGameFromStartToEnd) {
    openWindow();
    QTest::keyClick(form1.get(), Qt::Key_F2);
    EXPECT_EQ(form1->match().gameStarted, 1);
    EXPECT_TRUE(ui().N3->isEnabled());
    EXPECT_TRUE(ui().N10->isEnabled());
    EXPECT_FALSE(ui().N14->isEnabled());
    EXPECT_TRUE(ui().sbtnRestart->isEnabled());
    for (QAction* option : {ui().N15, ui().N16, ui().check1, ui().check2, ui().check3}) {
        EXPECT_FALSE(option->isEnabled()) << option->objectName().toStdString();
    }
    EXPECT_FALSE(ui().sbtnRegret->isEnabled()) << "no stone yet";

    clickPoint(8, 8);
    EXPECT_EQ(stones(), 2) << "the computer answers inside the click";
    EXPECT_TRUE(ui().sbtnRegret->isEnabled());

    // F3 is disabled during a single game.
    QTest::keyClick(form1.get(), Qt::Key_F3);
    EXPECT_EQ(form1->match().netMode, 0);

    // F2 during a game starts a new one.
    QTest::keyClick(form1.get(), Qt::Key_F2);
    EXPECT_EQ(stones(), 0);
    EXPECT_EQ(form1->match().gameStarted, 1);
    EXPECT_TRUE(ui().N13->isEnabled());

    // Ending the game with its menu item.
    clickPoint(8, 8);
    ui().N10->trigger();
    EXPECT_EQ(stones(), 0);
    EXPECT_EQ(form1->match().gameStarted, 0);
    EXPECT_FALSE(ui().N3->isEnabled());
    EXPECT_TRUE(ui().N4->isEnabled());
    EXPECT_FALSE(ui().sbtnRestart->isEnabled());
    EXPECT_FALSE(ui().N10->isEnabled());
    EXPECT_TRUE(ui().N14->isEnabled());
    EXPECT_TRUE(ui().check2->isEnabled());
    EXPECT_TRUE(dialogs.shown.empty()) << "ending a single game asks nothing";
}

TEST_F(MainWindow, stoneAtTheCornerStandsWhereEachSkinPutsIt) {
    openWindow();
    ui().actSinglePlay->trigger();
    clickPoint(1, 1);
    TPiece* corner = form1->piece(1);
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(corner->geometry(), QRect(7, 6, 22, 22));
    const QImage woodPicture = corner->pixmap().toImage();

    ui().N21->trigger();
    EXPECT_EQ(form1->skinIndex(), 1);
    EXPECT_TRUE(ui().N21->isChecked());
    EXPECT_FALSE(ui().N11->isChecked());
    EXPECT_EQ(corner->pos(), QPoint(9, 8));
    EXPECT_EQ(ui().sbtnOpenGame->geometry(), QRect(471, 169, 86, 28));
    EXPECT_EQ(ui().sbtnSaveGame->geometry(), QRect(472, 222, 86, 28));
    EXPECT_EQ(ui().sbtnRegret->geometry(), QRect(471, 271, 86, 28));
    EXPECT_EQ(ui().sbtnRestart->geometry(), QRect(470, 324, 86, 28));
    EXPECT_EQ(ui().guge1->geometry(), QRect(456, 130, 116, 18));
    EXPECT_NE(corner->pixmap().toImage(), woodPicture) << "every stone takes the new skin's picture";

    ui().N31->trigger();
    EXPECT_EQ(corner->pos(), QPoint(6, 5));
    EXPECT_EQ(ui().guge1->geometry(), QRect(456, 130, 116, 18));
    // Both stones moved, and the game is untouched.
    const TPiece* answer = form1->piece(2);
    const MatchState& s = form1->match();
    EXPECT_EQ(answer->pos(), QPoint(28 * s.stepX[2] - 19 - 3, 28 * s.stepY[2] - 20 - 3));
    EXPECT_EQ(stones(), 2);
    EXPECT_EQ(answer->pixmap().toImage(), ui().Image1->pixmap().toImage()) << "second mover is white";
    EXPECT_EQ(corner->pixmap().toImage(), ui().Image2->pixmap().toImage()) << "first mover is black";

    // The active skin chosen again reloads all the same.
    ui().N31->trigger();
    EXPECT_EQ(form1->skinIndex(), 2);
    EXPECT_EQ(corner->pos(), QPoint(6, 5));
}

TEST_F(MainWindow, blinkHidesOnlyTheNewestStoneAndStopsWithAResult) {
    openWindow();
    // A tick with no stone changes nothing, not even the interval.
    form1->board().Timer1Timer();
    EXPECT_EQ(ui().Timer1->interval(), 666);

    ui().actSinglePlay->trigger();
    clickPoint(8, 8);
    EXPECT_TRUE(ui().Timer1->isActive()) << "the computer's stone starts the blink";
    TPiece* newest = form1->piece(stones());
    form1->board().Timer1Timer();
    EXPECT_EQ(ui().Timer1->interval(), 2334);
    EXPECT_TRUE(newest->isVisible());
    form1->board().Timer1Timer();
    EXPECT_EQ(ui().Timer1->interval(), 666);
    EXPECT_FALSE(newest->isVisible());
    EXPECT_TRUE(form1->piece(1)->isVisible());

    // Taking back the hidden stone leaves the new newest visible.
    clickPoint(1, 15);
    ASSERT_EQ(stones(), 4);
    form1->board().Timer1Timer();
    form1->board().Timer1Timer();
    ASSERT_FALSE(form1->piece(4)->isVisible());
    ui().sbtnRegret->click();
    EXPECT_EQ(stones(), 2);
    EXPECT_TRUE(form1->piece(2)->isVisible());

    // After a result a tick leaves everything as it is.
    form1->board().Timer1Timer();
    form1->board().Timer1Timer();
    ASSERT_FALSE(form1->piece(stones())->isVisible());
    form1->board().showOutcome({}, true); // as a draw reports it
    form1->board().Timer1Timer();
    EXPECT_EQ(ui().Timer1->interval(), 666);
    EXPECT_FALSE(form1->piece(stones())->isVisible());
}

TEST_F(MainWindow, missingArtworkIsDroppedAndTheProgramGoesOn) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString app = copyApplicationFolder(scratch.path());
    ASSERT_TRUE(QFile::remove(app + QStringLiteral("/res/Picture2.bmp")));
    ASSERT_TRUE(QFile::remove(app + QStringLiteral("/res/2_b.bmp")));
    // A marble board of the player's own, which res/ lets win over the built-in one.
    QImage ownMarble(605, 425, QImage::Format_RGB32);
    ownMarble.fill(QColor(90, 120, 90));
    ASSERT_TRUE(QFile::remove(app + QStringLiteral("/res/Picture3.bmp")));
    ASSERT_TRUE(ownMarble.save(app + QStringLiteral("/res/Picture3.bmp"), "BMP"));
    openWindow(app);
    ui().actSinglePlay->trigger();
    clickPoint(1, 1);

    // The crystal picture is missing: the built-in one stands in, and the crystal skin applies whole.
    ui().N21->trigger();
    EXPECT_EQ(form1->skinIndex(), 1);
    EXPECT_EQ(ui().qipanPicture->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
              QImage(QStringLiteral(":/builtin/Picture2.bmp")).convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(form1->piece(1)->pos(), QPoint(9, 8));
    EXPECT_EQ(ui().sbtnOpenGame->geometry(), QRect(471, 169, 86, 28));
    clickPoint(1, 15);
    ASSERT_EQ(stones(), 4);
    EXPECT_EQ(form1->piece(3)->pos(), QPoint(9, 28 * 15 - 20));

    // Marble's save glyph is missing: the built-in one stands in, and the marble skin applies whole.
    ui().N31->trigger();
    EXPECT_EQ(ui().qipanPicture->pixmap().toImage().convertToFormat(QImage::Format_RGB32), ownMarble);
    EXPECT_EQ(ui().sbtnOpenGame->geometry(), QRect(463, 169, 100, 30));
    EXPECT_EQ(ui().sbtnSaveGame->geometry(), QRect(463, 222, 100, 30));
    EXPECT_EQ(ui().sbtnRestart->geometry(), QRect(463, 324, 100, 30));
    EXPECT_EQ(form1->piece(1)->pos(), QPoint(6, 5));
    EXPECT_EQ(ui().sbtnSaveGame->icon().pixmap(ui().sbtnSaveGame->iconSize()).toImage().convertToFormat(
                  QImage::Format_RGB32),
              QImage(QStringLiteral(":/builtin/2_b.bmp")).copy(0, 0, 96, 26).convertToFormat(QImage::Format_RGB32));

    // The program carries on, enabling rules included.
    clickPoint(8, 8);
    EXPECT_EQ(stones(), 6);
    EXPECT_TRUE(ui().sbtnRegret->isEnabled());
    EXPECT_TRUE(dialogs.shown.empty());
}

} // namespace
} // namespace kivola::test

namespace kivola::test {
namespace {

TEST_F(MainWindow, helpKeyOpensTheTopicOnceAndAboutClosesWithItsButton) {
    openWindow();
    QTest::keyClick(form1.get(), Qt::Key_F1);
    HtmlHelpControl& help = form1->helpControl();
    ASSERT_NE(help.helpLibrary(), nullptr);
    ASSERT_NE(help.helpWindow(), nullptr);
    EXPECT_TRUE(help.helpWindow()->isVisible());
    void* library = help.helpLibrary();
    QTest::keyClick(form1.get(), Qt::Key_F1);
    EXPECT_EQ(help.helpLibrary(), library) << "loaded once";

    // A broken help library is dropped silently and the window goes on.
    help.ReleaseHtmlHelp();
    help.setLibraryName("libkivola-no-such-help.so");
    QTest::keyClick(form1.get(), Qt::Key_F1);
    EXPECT_EQ(help.helpLibrary(), nullptr);
    EXPECT_TRUE(dialogs.shown.empty());
    ui().actSinglePlay->trigger();
    EXPECT_EQ(form1->match().gameStarted, 1);

    TAboutBox& about = *form1->findChild<TAboutBox*>();
    bool wasShown = false;
    QTimer::singleShot(20, [&] {
        wasShown = about.isVisible();
        about.OKButton->click();
    });
    ui().A1->trigger();
    EXPECT_TRUE(wasShown);
    EXPECT_FALSE(about.isVisible());
}

} // namespace
} // namespace kivola::test
