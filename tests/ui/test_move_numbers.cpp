// Move numbers on the stones of every skin, at one and two times the density: inside the stone's
// face and standing out from it.

#include <QDir>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>

#include "move_number.h"
#include "piece.h"
#include "skin.h"

namespace kivola::test {
namespace {

double luminance(QColor c) {
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(QColor a, QColor b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(MoveNumbers, sitInsideTheStonesFaceAndStandOutOnEverySkinAtEitherDensity) {
    const QString sheetFolder = qEnvironmentVariable("KIVOLA_SCREENSHOT_DIR");
    for (const int density : {1, 2}) {
        const int side = kStoneImageSize * density;
        QImage sheet(side * 3 * 2, side * kSkinCount, QImage::Format_ARGB32);
        sheet.fill(Qt::transparent);
        for (int skin = 0; skin < kSkinCount; ++skin) {
            for (const StoneColour colour : {StoneColour::First, StoneColour::Second}) {
                const QString name = QStringLiteral(":/builtin/stone%1_%2%3.png")
                                         .arg(skin)
                                         .arg(colour == StoneColour::First ? "black" : "white")
                                         .arg(density == 2 ? "@2x" : "");
                const QImage stone = QImage(name).convertToFormat(QImage::Format_ARGB32);
                ASSERT_EQ(stone.width(), side) << name.toStdString();
                const QColor face = stone.pixelColor(side / 2, side / 2);
                EXPECT_GE(contrast(face, moveNumberColour(colour)), 4.5) << name.toStdString();
                int column = 0;
                for (const int number : {8, 88, 225}) {
                    QImage numbered = stone;
                    numbered.setDevicePixelRatio(density);
                    {
                        QPainter painter(&numbered);
                        paintMoveNumber(painter, QRectF(0, 0, kStoneImageSize, kStoneImageSize), number, colour);
                    }
                    // Every pixel the number touched lies within the face, clear of the rim.
                    int touched = 0;
                    const double reach = side * 0.42;
                    for (int y = 0; y < side; ++y) {
                        for (int x = 0; x < side; ++x) {
                            if (numbered.pixel(x, y) != stone.pixel(x, y)) {
                                ++touched;
                                EXPECT_LE(std::hypot(x + 0.5 - side / 2.0, y + 0.5 - side / 2.0), reach)
                                    << name.toStdString() << " " << number << " at " << x << "," << y;
                            }
                        }
                    }
                    EXPECT_GT(touched, 6 * density * density) << name.toStdString() << " " << number;
                    numbered.setDevicePixelRatio(1);
                    QPainter(&sheet).drawImage(QPoint((column++ + (colour == StoneColour::First ? 0 : 3)) * side, skin * side),
                                               numbered);
                }
            }
        }
        if (!sheetFolder.isEmpty()) {
            sheet.save(QDir(sheetFolder).filePath(density == 2 ? "move-numbers@2x.png" : "move-numbers.png"));
        }
    }
}

} // namespace
} // namespace kivola::test
