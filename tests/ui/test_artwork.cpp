// The window's pictures: whole before and without res/, whatever file there is damaged; stones
// in their own colours; the marks of a winning line.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <algorithm>
#include <memory>
#include <set>

#include "skin.h"
#include "window_fixture.h"

namespace kivola::test {
namespace {

using Artwork = WindowTest;

QImage flat(const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32); }
QImage flat(const QPixmap& pixmap) { return flat(pixmap.toImage()); }
QImage builtIn(const QString& name) { return flat(QImage(QStringLiteral(":/builtin/") + name)); }
QImage normalLook(const QToolButton* button) { return flat(button->icon().pixmap(button->iconSize())); }
QImage normalHalf(const QImage& glyph) { return glyph.copy(0, 0, glyph.width() / 2, glyph.height()); }

// Every file of res/ the window reads.
QStringList windowFiles() {
    QStringList names;
    for (int s = 0; s < kSkinCount; ++s) {
        names << QStringLiteral("Picture%1.bmp").arg(s + 1);
        for (QChar b : {u'a', u'b', u'c', u'd'}) {
            names << QStringLiteral("%1_%2.bmp").arg(s).arg(b);
        }
        names << QStringLiteral("stone%1_white.png").arg(s) << QStringLiteral("stone%1_black.png").arg(s);
    }
    return names;
}

QToolButton* const* buttonsOf(const TForm1& w) {
    const WindowControls ui(w);
    static QToolButton* buttons[4];
    buttons[0] = ui.sbtnOpenGame;
    buttons[1] = ui.sbtnSaveGame;
    buttons[2] = ui.sbtnRegret;
    buttons[3] = ui.sbtnRestart;
    return buttons;
}

// The side panel, board picture and indicators of one skin, as the player sees them.
void expectSkinInView(const TForm1& w, int skin) {
    const WindowControls ui(w);
    const SkinLayout& layout = skinLayout()[skin];
    const QRect rects[] = {layout.openButton, layout.saveButton, layout.regretButton, layout.restartButton};
    EXPECT_EQ(ui.qipanPicture->geometry(), QRect(0, -1, 605, 425));
    EXPECT_EQ(ui.guge1->geometry(), layout.gauge);
    EXPECT_EQ(ui.Image2->geometry(), QRect(layout.firstStone, QSize(22, 22)));
    EXPECT_EQ(ui.Image1->geometry(), QRect(layout.secondStone, QSize(22, 22)));
    EXPECT_EQ(ui.Label1->pos(), layout.firstLabel);
    EXPECT_EQ(ui.Label2->pos(), layout.secondLabel);
    EXPECT_EQ(flat(ui.qipanPicture->pixmap()), builtIn(QStringLiteral("Picture%1.bmp").arg(skin + 1)));
    for (int b = 0; b < 4; ++b) {
        const QToolButton* button = buttonsOf(w)[b];
        EXPECT_EQ(button->geometry(), rects[b]) << button->objectName().toStdString();
        EXPECT_EQ(normalLook(button), normalHalf(builtIn(QStringLiteral("%1_%2.bmp").arg(skin).arg(QChar(u'a' + b)))))
            << button->objectName().toStdString();
    }
    EXPECT_EQ(flat(ui.Image2->pixmap()), builtIn(QStringLiteral("stone%1_black.png").arg(skin)));
    EXPECT_EQ(flat(ui.Image1->pixmap()), builtIn(QStringLiteral("stone%1_white.png").arg(skin)));
}

// Every stone shows its colour's indicator and stands where the skin in view puts it.
void expectStonesInView(const TForm1& w, int skin) {
    const WindowControls ui(w);
    const MatchState& s = w.match();
    const int offset = skinLayout()[skin].pieceOffset;
    for (int k = 1; k <= s.stepCount; ++k) {
        const TPiece* sprite = w.piece(k);
        const QImage& indicator = flat((sprite->stoneColor == StoneColour::First ? ui.Image2 : ui.Image1)->pixmap());
        EXPECT_FALSE(indicator.isNull());
        EXPECT_EQ(flat(sprite->pixmap()), indicator) << "stone " << k;
        EXPECT_EQ(sprite->geometry(),
                  QRect(28 * s.stepX[k] - 19 + offset, 28 * s.stepY[k] - 20 + offset, 22, 22))
            << "stone " << k;
    }
}

TEST_F(Artwork, withoutAResFolderTheWindowIsTheDesignedWoodWindowAndPlays) {
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    openWindow(empty.path());
    expectSkinInView(*form1, 0);
    EXPECT_TRUE(ui().sbtnOpenGame->isEnabled());
    EXPECT_FALSE(ui().sbtnSaveGame->isEnabled());

    ui().actSinglePlay->trigger();
    clickPoint(8, 8);
    ASSERT_EQ(stones(), 2) << "the board takes the click and the computer answers";
    expectStonesInView(*form1, 0);
    EXPECT_TRUE(ui().sbtnRegret->isEnabled());
    EXPECT_TRUE(ui().sbtnSaveGame->isEnabled());

    // Every board is built in: the marble skin applies whole, stones placed meanwhile included.
    ui().N31->trigger();
    EXPECT_EQ(form1->skinIndex(), 2);
    EXPECT_TRUE(ui().N31->isChecked());
    expectSkinInView(*form1, 2);
    clickPoint(3, 12);
    ASSERT_EQ(stones(), 4);
    expectStonesInView(*form1, 2);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Artwork, anyOneFileMissingCutShortOrNotAPictureLeavesTheWindowWholeAndPlayable) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString app = copyApplicationFolder(scratch.path());
    enum class Damage { Missing, CutShort, NotAPicture };
    for (const QString& name : windowFiles()) {
        const QString file = app + QStringLiteral("/res/") + name;
        QFile original(file);
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        const QByteArray bytes = original.readAll();
        original.close();
        for (const Damage damage : {Damage::Missing, Damage::CutShort, Damage::NotAPicture}) {
            SCOPED_TRACE(name.toStdString() + (damage == Damage::Missing    ? " missing"
                                               : damage == Damage::CutShort ? " cut short"
                                                                            : " not a picture"));
            QFile::remove(file);
            if (damage != Damage::Missing) {
                QFile broken(file);
                ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
                broken.write(damage == Damage::CutShort ? bytes.left(bytes.size() * 2 / 3)
                                                        : QByteArray("GIF89a, or so it says"));
            }
            openWindow(app);
            expectSkinInView(*form1, 0);
            ui().actSinglePlay->trigger();
            clickPoint(8, 8);
            ASSERT_EQ(stones(), 2);
            expectStonesInView(*form1, 0);
            EXPECT_TRUE(ui().sbtnRegret->isEnabled());

            // Every other skin applies whole, its own damaged board picture included.
            for (int skin : {1, 2, 0}) {
                (skin == 1 ? ui().N21 : skin == 2 ? ui().N31 : ui().N11)->trigger();
                EXPECT_EQ(form1->skinIndex(), skin);
                expectSkinInView(*form1, skin);
                expectStonesInView(*form1, skin);
            }
            clickPoint(2, 14);
            EXPECT_EQ(stones(), 4);
            EXPECT_TRUE(dialogs.shown.empty());
            form1.reset();
            QFile::remove(file);
            QFile restored(file);
            ASSERT_TRUE(restored.open(QIODevice::WriteOnly));
            restored.write(bytes);
        }
    }
}

TEST_F(Artwork, fromTheThirdStoneOnEachCopiesThePictureOfTheStoneTwoMovesEarlier) {
    openWindow();
    ui().actSinglePlay->trigger();
    clickPoint(8, 8);
    ASSERT_EQ(stones(), 2);
    const QImage black = flat(ui().Image2->pixmap());
    const QImage white = flat(ui().Image1->pixmap());
    // Indicators changed behind the sprites' backs show whether a stone copied or was re-pictured.
    QPixmap red(22, 22);
    red.fill(Qt::red);
    QPixmap blue(22, 22);
    blue.fill(Qt::blue);
    ui().Image2->setPixmap(red);
    ui().Image1->setPixmap(blue);
    clickPoint(3, 3);
    ASSERT_EQ(stones(), 4);
    EXPECT_EQ(flat(form1->piece(3)->pixmap()), black);
    EXPECT_EQ(flat(form1->piece(4)->pixmap()), white);
    EXPECT_TRUE(form1->piece(3)->pictureDue) << "a copied picture still waits for its skin's";
    // A skin change re-pictures every stone from its colour's indicator.
    ui().N11->trigger();
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(flat(form1->piece(k)->pixmap()), k % 2 == 1 ? black : white) << "stone " << k;
        EXPECT_FALSE(form1->piece(k)->pictureDue);
    }
}

TEST_F(Artwork, aLoadedGameWhoseSidesDoNotAlternateShowsEveryStoneInItsColour) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    openWindow();
    // Sides 1 1 0 0 0 1: from stone 3 on the stone two moves earlier is often the other side's.
    const QByteArray game("\x06\x00"
                          "\x03\x03\x01"
                          "\x05\x03\x01"
                          "\x07\x03\x00"
                          "\x09\x03\x00"
                          "\x0b\x03\x00"
                          "\x0d\x03\x01",
                          2 + 6 * 3);
    for (bool computerFirst : {false, true}) {
        QByteArray file = game;
        file[1] = char(computerFirst);
        loadGame(scratch.filePath(QStringLiteral("mixed.rur")), file);
        // With the computer to move after the replay, it answers: one stone more.
        ASSERT_EQ(stones(), computerFirst ? 7 : 6);
        for (int k = 1; k <= stones(); ++k) {
            const bool local = isLocal(form1->match().stepSide[k]);
            EXPECT_EQ(form1->piece(k)->stoneColor == StoneColour::First, local != computerFirst) << "stone " << k;
        }
        expectStonesInView(*form1, 0);
    }
}

// Nine stones, the first mover's five on the diagonal from (4, 4) to (8, 8) made by the last.
QByteArray wonGame() {
    return QByteArray("\x09\x00"
                      "\x07\x07\x01\x08\x07\x00\x08\x08\x01\x07\x06\x00\x06\x06\x01"
                      "\x09\x09\x00\x05\x05\x01\x06\x05\x00\x04\x04\x01",
                      2 + 9 * 3);
}

std::vector<QRect> sorted(std::vector<QRect> rects) {
    std::sort(rects.begin(), rects.end(), [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
    return rects;
}

TEST_F(Artwork, theFiveIsMarkedUntilItsStoneIsTakenBackOrTheBoardCleared) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    openWindow();
    const WinningMarks* marks = form1->board().winningMarks();
    EXPECT_FALSE(marks->isVisible());
    loadGame(scratch.filePath(QStringLiteral("won.rur")), wonGame());
    ASSERT_EQ(form1->match().gameResult, kLocalStone);
    auto fiveInView = [&] {
        std::vector<QRect> five;
        for (int k : {9, 7, 5, 1, 3}) {
            five.push_back(form1->piece(k)->geometry());
        }
        return sorted(five);
    };
    EXPECT_TRUE(marks->isVisible());
    EXPECT_EQ(sorted(marks->marked()), fiveInView());
    // Drawn above every stone: a ring pixel just outside the winning stone is the ring's red.
    EXPECT_EQ(marks->parentWidget()->children().constLast(), marks);
    const QRect last = form1->piece(9)->geometry();
    const QColor ring = ui().client->grab().toImage().pixelColor(last.center().x() + 13, last.center().y());
    EXPECT_GT(ring.red(), ring.green() + 60) << ring.name().toStdString();

    // The rings follow the stones to another skin.
    ui().N21->trigger();
    EXPECT_EQ(sorted(marks->marked()), fiveInView());
    EXPECT_EQ(marks->marked().front().topLeft(), QPoint(28 * 4 - 19, 28 * 4 - 20));

    // Taking the winning stone back (the idle-time update follows every command) unmarks it.
    form1->actRegretExecute();
    form1->ActionList1Update();
    EXPECT_EQ(stones(), 8);
    EXPECT_TRUE(marks->marked().empty());
    EXPECT_FALSE(marks->isVisible());

    // Stones past the result, as a file may hold them, leave the five marked and under the rings.
    QByteArray past = wonGame() + QByteArray("\x0c\x0c\x00\x0c\x0d\x01", 6);
    past[0] = 11;
    loadGame(scratch.filePath(QStringLiteral("past.rur")), past);
    ASSERT_EQ(stones(), 11);
    EXPECT_EQ(sorted(marks->marked()), fiveInView());
    EXPECT_EQ(marks->parentWidget()->children().constLast(), marks);

    // Restart clears the board, and the marks with it.
    ui().sbtnRestart->click();
    EXPECT_EQ(stones(), 0);
    EXPECT_TRUE(marks->marked().empty());
    EXPECT_FALSE(marks->isVisible());
}

// Two fives crossing at the deciding stone ring it once, a run read from its far end marks the
// same stones, and every ring sits where that point's sprite stands in the skin.
TEST(WinningStones, crossingFivesShareTheDecidingStoneAndEachRingSitsOnItsSprite) {
    const WinningLine line{9, {LineRun{4, 8, 8, 8}, LineRun{8, 12, 8, 8}}};
    QWidget client;
    for (const Skin skin : {Skin::Wood, Skin::Crystal, Skin::Marble}) {
        const std::vector<QRect> rings = winningStones(line, kBoardPictureOrigin, skin);
        std::set<std::pair<int, int>> sprites;
        // The row from (4, 8) and the column from (8, 12), both ending on (8, 8).
        for (int i = 0; i < 9; ++i) {
            const int x = i < 5 ? 4 + i : 8;
            const int y = i < 5 ? 8 : 4 + i;
            const std::unique_ptr<TPiece> sprite(
                makePiece(&client, 1, spriteBase(kBoardPictureOrigin, x, y), StoneColour::First, skin));
            sprites.insert({sprite->x(), sprite->y()});
        }
        ASSERT_EQ(rings.size(), 9u) << "skin " << skinNumber(skin);
        std::set<std::pair<int, int>> ringed;
        for (const QRect& ring : rings) {
            EXPECT_EQ(ring.size(), QSize(kStoneImageSize, kStoneImageSize));
            ringed.insert({ring.x(), ring.y()});
        }
        EXPECT_EQ(ringed, sprites) << "skin " << skinNumber(skin);
    }
}

} // namespace
} // namespace kivola::test
