#include "about_box.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using kivola::TAboutBox;

namespace {

// Runs the modal display; action is done once the dialog is up. A watchdog ends a display
// that the action failed to close, so a fault fails the test instead of hanging it.
int runModal(TAboutBox& box, const std::function<void()>& action, bool* watchdogFired)
{
    *watchdogFired = false;
    QTimer::singleShot(0, &box, [&] {
        EXPECT_TRUE(box.isVisible());
        action();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &box, [&] {
        *watchdogFired = true;
        box.done(-1);
    });
    watchdog.start(5000);
    return box.ShowModal();
}

} // namespace

TEST(TAboutBox, ShowsProductAndVersionAtTheirPlaces)
{
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("关于"));
    EXPECT_EQ(box.size(), QSize(292, 89));
    EXPECT_EQ(box.minimumSize(), box.maximumSize()) << "the dialog border does not resize";

    auto* panel = box.findChild<QWidget*>(QStringLiteral("Panel1"));
    auto* image = box.findChild<QLabel*>(QStringLiteral("Image1"));
    auto* product = box.findChild<QLabel*>(QStringLiteral("ProductName"));
    auto* version = box.findChild<QLabel*>(QStringLiteral("Version"));
    auto* ok = box.findChild<QPushButton*>(QStringLiteral("OKButton"));
    ASSERT_TRUE(panel && image && product && version && ok);

    EXPECT_EQ(panel->geometry(), QRect(0, 0, 292, 89));
    EXPECT_EQ(image->geometry(), QRect(8, 8, 32, 31));
    EXPECT_EQ(product->text(), QStringLiteral("Kivola"));
    EXPECT_EQ(product->pos(), QPoint(64, 16));
    EXPECT_EQ(product->font().pixelSize(), 19);
    EXPECT_EQ(version->text(), QStringLiteral("  版本 1.2.7"));
    EXPECT_EQ(version->pos(), QPoint(176, 16));
    EXPECT_EQ(version->font().pixelSize(), 16);
    EXPECT_EQ(ok->text(), QStringLiteral("确定"));
    EXPECT_EQ(ok->geometry(), QRect(215, 60, 75, 25));
    EXPECT_TRUE(ok->isDefault());

    // The labels fit inside the window and do not run into each other.
    EXPECT_LE(product->geometry().right(), version->geometry().left());
    EXPECT_LE(version->geometry().right(), 292);
}

TEST(TAboutBox, PictureComesFromFileOrIsDrawn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage red(32, 31, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString file = dir.filePath(QStringLiteral("kivola-32.png"));
    ASSERT_TRUE(red.save(file));

    TAboutBox fromFile(nullptr, file);
    const QImage shown = fromFile.Image1->pixmap().toImage();
    ASSERT_EQ(shown.size(), QSize(32, 31));
    EXPECT_EQ(shown.pixelColor(16, 15), QColor(Qt::red));

    TAboutBox drawn(nullptr, dir.filePath(QStringLiteral("missing.png")));
    const QImage fallback = drawn.Image1->pixmap().toImage();
    ASSERT_EQ(fallback.size(), QSize(32, 31));
    EXPECT_NE(fallback.pixelColor(16, 15), QColor(Qt::red));
    EXPECT_GT(fallback.pixelColor(16, 15).alpha(), 0) << "the drawn picture is not empty";
}

TEST(TAboutBox, ButtonClickEndsDisplayWithOk)
{
    TAboutBox box;
    bool watchdog = false;
    const int result = runModal(box, [&] { QTest::mouseClick(box.OKButton, Qt::LeftButton); },
                                &watchdog);
    EXPECT_FALSE(watchdog);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_FALSE(box.isVisible());
}

TEST(TAboutBox, EnterPressesTheDefaultButton)
{
    TAboutBox box;
    bool watchdog = false;
    const int result = runModal(box, [&] { QTest::keyClick(&box, Qt::Key_Return); }, &watchdog);
    EXPECT_FALSE(watchdog);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_FALSE(box.isVisible());
}

TEST(TAboutBox, CloseBoxEndsDisplay)
{
    TAboutBox box;
    bool watchdog = false;
    runModal(box, [&] { box.close(); }, &watchdog);
    EXPECT_FALSE(watchdog);
    EXPECT_FALSE(box.isVisible());
}

// The box lives on between showings and can be shown again after each way of closing it.
TEST(TAboutBox, CanBeShownAgainAfterClosing)
{
    TAboutBox box;
    bool watchdog = false;
    runModal(box, [&] { box.close(); }, &watchdog);
    ASSERT_FALSE(watchdog);
    const int result = runModal(box, [&] { box.OKButton->click(); }, &watchdog);
    EXPECT_FALSE(watchdog);
    EXPECT_EQ(result, QDialog::Accepted);
}

TEST(TAboutBox, ClosingFromOutsideOnlyActsWhenShown)
{
    TAboutBox box;
    box.setResult(1234);
    box.CloseIfShown();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), 1234) << "closing a hidden box must change nothing";

    bool watchdog = false;
    runModal(box, [&] { box.CloseIfShown(); }, &watchdog);
    EXPECT_FALSE(watchdog);
    EXPECT_FALSE(box.isVisible());
}

TEST(TAboutBox, IsCentredOnTheScreenWhenShown)
{
    TAboutBox box;
    box.move(0, 0);
    bool watchdog = false;
    QPoint centre;
    runModal(box, [&] {
        centre = box.frameGeometry().center();
        box.OKButton->click();
    }, &watchdog);
    ASSERT_FALSE(watchdog);
    const QPoint screenCentre = box.screen()->availableGeometry().center();
    EXPECT_LE((centre - screenCentre).manhattanLength(), 2);
}
