// On a screen scaled twice the window shows the dense pictures in the same logical rectangles.

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QToolButton>

#include "skin.h"
#include "window_fixture.h"

namespace kivola::test {
namespace {

using HighDensity = WindowTest;

struct Shown {
    QString what;
    QPixmap pixmap;
    QSize logical; // the picture's size in the window
};

std::vector<Shown> picturesInView(const TForm1& w) {
    const WindowControls ui(w);
    std::vector<Shown> shown{{"board", ui.qipanPicture->pixmap(), QSize(605, 425)},
                             {"black indicator", ui.Image2->pixmap(), QSize(22, 22)},
                             {"white indicator", ui.Image1->pixmap(), QSize(22, 22)}};
    const SkinLayout& layout = skinLayout()[w.skinIndex()];
    const QSize glyph = layout.openButton.size() - QSize(4, 4);
    for (QToolButton* b : {ui.sbtnOpenGame, ui.sbtnSaveGame, ui.sbtnRegret, ui.sbtnRestart}) {
        shown.push_back({b->objectName(), b->icon().pixmap(b->iconSize(), 2.0), glyph});
    }
    for (int k = 1; k <= w.match().stepCount; ++k) {
        shown.push_back({QStringLiteral("stone %1").arg(k), w.piece(k)->pixmap(), QSize(22, 22)});
    }
    return shown;
}

void expectDense(const TForm1& w) {
    for (const Shown& s : picturesInView(w)) {
        EXPECT_EQ(s.pixmap.devicePixelRatio(), 2.0) << s.what.toStdString();
        EXPECT_EQ(s.pixmap.size(), s.logical * 2) << s.what.toStdString();
    }
}

TEST_F(HighDensity, densePicturesFillTheDesignedRectangles) {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    // From res/, and from the built-in copy when there is no res/ at all.
    for (const QString& app : {QString(), empty.path()}) {
        SCOPED_TRACE(app.isEmpty() ? "res/" : "built in");
        openWindow(app);
        EXPECT_EQ(ui().client->size(), QSize(603, 424));
        EXPECT_EQ(ui().qipanPicture->geometry(), QRect(0, -1, 605, 425));
        EXPECT_EQ(ui().sbtnRegret->geometry(), QRect(464, 270, 100, 30));
        EXPECT_EQ(ui().sbtnRegret->iconSize(), QSize(96, 26));
        ui().actSinglePlay->trigger();
        clickPoint(1, 1);
        ASSERT_EQ(stones(), 2);
        EXPECT_EQ(form1->piece(1)->geometry(), QRect(7, 6, 22, 22));
        expectDense(*form1);
        ui().N21->trigger();
        EXPECT_EQ(ui().sbtnRestart->geometry(), QRect(470, 324, 86, 28));
        EXPECT_EQ(ui().sbtnRestart->iconSize(), QSize(82, 24));
        EXPECT_EQ(form1->piece(1)->geometry(), QRect(9, 8, 22, 22));
        expectDense(*form1);
    }
}

TEST_F(HighDensity, aDamagedDenseFileFallsBackToThePlainOneInTheSameRectangle) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString app = copyApplicationFolder(scratch.path());
    // A dense board cut short and a dense glyph that is not a picture: their plain files stand in.
    for (const char* name : {"Picture1@2x.bmp", "0_c@2x.bmp"}) {
        QFile file(app + QStringLiteral("/res/") + QString::fromLatin1(name));
        const qint64 size = file.size();
        ASSERT_TRUE(name[0] == 'P' ? file.resize(size / 2) : file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("not a picture");
    }
    ASSERT_TRUE(QFile::remove(app + QStringLiteral("/res/stone0_black@2x.png")));
    openWindow(app);
    EXPECT_EQ(ui().qipanPicture->geometry(), QRect(0, -1, 605, 425));
    EXPECT_EQ(ui().qipanPicture->pixmap().devicePixelRatio(), 1.0);
    EXPECT_EQ(ui().qipanPicture->pixmap().size(), QSize(605, 425));
    EXPECT_EQ(ui().sbtnRegret->geometry(), QRect(464, 270, 100, 30));
    EXPECT_EQ(ui().sbtnRegret->iconSize(), QSize(96, 26));
    EXPECT_EQ(ui().Image2->pixmap().devicePixelRatio(), 1.0);
    EXPECT_EQ(ui().Image1->pixmap().devicePixelRatio(), 2.0);
    EXPECT_EQ(ui().sbtnSaveGame->icon().pixmap(ui().sbtnSaveGame->iconSize(), 2.0).size(), QSize(192, 52));
}

} // namespace
} // namespace kivola::test
