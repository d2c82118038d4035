// Checks the generated artwork against what the game window relies on: sizes, formats,
// the board grid, legible panels and buttons, transparent stones, and repeatable output.

#include <gtest/gtest.h>

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <utility>
#include <cmath>
#include <vector>

namespace {

const QDir kRes(QStringLiteral(KIVOLA_ART_DIR));

constexpr int kGridFirst = 19;
constexpr int kGridStep = 28;
constexpr int kGridLast = kGridFirst + 14 * kGridStep;

QStringList expectedFiles()
{
    QStringList names;
    for (int s = 0; s < 3; ++s) {
        names << QStringLiteral("Picture%1.bmp").arg(s + 1);
        for (QChar b : {u'a', u'b', u'c', u'd'})
            names << QStringLiteral("%1_%2.bmp").arg(s).arg(b);
        names << QStringLiteral("stone%1_white.png").arg(s) << QStringLiteral("stone%1_black.png").arg(s);
    }
    names << QStringLiteral("kivola.png") << QStringLiteral("kivola-32.png");
    for (qsizetype i = 0, n = names.size(); i < n; ++i) {
        const qsizetype dot = names[i].lastIndexOf(u'.');
        names << names[i].left(dot) + QStringLiteral("@2x") + names[i].mid(dot);
    }
    return names;
}

QString doubled(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return name.left(dot) + QStringLiteral("@2x") + name.mid(dot);
}

// Each 2 x 2 block of the dense picture averaged into one pixel, alpha-weighted like a screen.
QImage halved(const QImage& dense)
{
    const QImage src = dense.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(src.size() / 2, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            int sum[4] = {};
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const QRgb c = src.pixel(2 * x + dx, 2 * y + dy);
                    sum[0] += qRed(c), sum[1] += qGreen(c), sum[2] += qBlue(c), sum[3] += qAlpha(c);
                }
            out.setPixel(x, y, qRgba((sum[0] + 2) / 4, (sum[1] + 2) / 4, (sum[2] + 2) / 4, (sum[3] + 2) / 4));
        }
    return out;
}

// Mean difference per channel, and the share of pixels differing by more than 48 in any.
std::pair<double, double> difference(const QImage& a, const QImage& b)
{
    const QImage pa = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage pb = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double sum = 0;
    int far = 0;
    for (int y = 0; y < pa.height(); ++y)
        for (int x = 0; x < pa.width(); ++x) {
            const QRgb p = pa.pixel(x, y), q = pb.pixel(x, y);
            const int d[] = {std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))};
            sum += (d[0] + d[1] + d[2] + d[3]) / 4.0;
            far += *std::max_element(d, d + 4) > 48;
        }
    const double n = double(pa.width()) * pa.height();
    return {sum / n, far / n};
}

QImage load(const QString& name)
{
    QImage img(kRes.filePath(name));
    EXPECT_FALSE(img.isNull()) << "cannot read " << name.toStdString();
    return img;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

double luma(QRgb c) { return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c); }

// Relative luminance as used for text contrast ratios.
double relativeLuminance(QRgb c)
{
    auto lin = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
}

double meanLumaColumn(const QImage& img, int x)
{
    double sum = 0;
    for (int y = kGridFirst; y <= kGridLast; ++y)
        sum += luma(img.pixel(x, y));
    return sum / (kGridLast - kGridFirst + 1);
}

double meanLumaRow(const QImage& img, int y)
{
    double sum = 0;
    for (int x = kGridFirst; x <= kGridLast; ++x)
        sum += luma(img.pixel(x, y));
    return sum / (kGridLast - kGridFirst + 1);
}

double meanSaturation(const QImage& img, QRect r)
{
    double sum = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            sum += QColor(img.pixel(x, y)).hsvSaturationF();
    return sum / (r.width() * r.height());
}

int runArtgen(const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral(KIVOLA_ARTGEN), args);
    if (!p.waitForFinished(120000))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST(ArtFiles, everyFileIsWrittenWithItsSize)
{
    for (int s = 0; s < 3; ++s) {
        EXPECT_EQ(load(QStringLiteral("Picture%1.bmp").arg(s + 1)).size(), QSize(605, 425));
        // Two images per glyph: the button less a 2-pixel border, twice side by side.
        const QSize glyph = s == 1 ? QSize(2 * 82, 24) : QSize(2 * 96, 26);
        for (QChar b : {u'a', u'b', u'c', u'd'})
            EXPECT_EQ(load(QStringLiteral("%1_%2.bmp").arg(s).arg(b)).size(), glyph) << "skin " << s;
        EXPECT_EQ(load(QStringLiteral("stone%1_white.png").arg(s)).size(), QSize(22, 22));
        EXPECT_EQ(load(QStringLiteral("stone%1_black.png").arg(s)).size(), QSize(22, 22));
    }
    EXPECT_EQ(load(QStringLiteral("kivola.png")).size(), QSize(256, 256));
    EXPECT_EQ(load(QStringLiteral("kivola-32.png")).size(), QSize(32, 31));
}

TEST(ArtFiles, doubleDensityPicturesAreTheSameLayoutAtTwiceTheSize)
{
    for (const QString& name : expectedFiles()) {
        if (name.contains(QLatin1String("@2x")))
            continue;
        const QImage plain = load(name);
        const QImage dense = load(doubled(name));
        ASSERT_EQ(dense.size(), plain.size() * 2) << name.toStdString();
        EXPECT_EQ(dense.hasAlphaChannel(), plain.hasAlphaChannel()) << name.toStdString();
        // Halved again, the dense picture is the plain one but for finer edges and grain; a
        // layout off by a pixel or drawn at the wrong scale differs along every edge.
        const auto [mean, farShare] = difference(halved(dense), plain);
        EXPECT_LT(mean, 3.0) << name.toStdString();
        EXPECT_LT(farShare, 0.01) << name.toStdString();
    }
    // The grid lines are twice as wide at twice the place.
    for (int s = 0; s < 3; ++s) {
        const QImage dense = load(QStringLiteral("Picture%1@2x.bmp").arg(s + 1));
        const QRgb line = dense.pixel(2 * kGridFirst, 2 * 100 + 1);
        EXPECT_EQ(dense.pixel(2 * kGridFirst + 1, 2 * 100 + 1), line) << "skin " << s;
        EXPECT_GT(luma(dense.pixel(2 * (kGridFirst + kGridStep / 2), 2 * 100 + 1)) - luma(line), 60) << "skin " << s;
    }
}

TEST(ArtFiles, bitmapsAreUncompressed24Bit)
{
    for (const QString& name : expectedFiles()) {
        if (!name.endsWith(QLatin1String(".bmp")))
            continue;
        const QByteArray b = bytesOf(kRes.filePath(name));
        ASSERT_GE(b.size(), 54) << name.toStdString();
        EXPECT_EQ(b.left(2), QByteArray("BM")) << name.toStdString();
        const int bpp = quint8(b[28]) | quint8(b[29]) << 8;
        const int compression = quint8(b[30]) | quint8(b[31]) << 8;
        EXPECT_EQ(bpp, 24) << name.toStdString();
        EXPECT_EQ(compression, 0) << name.toStdString();
    }
}

TEST(BoardPicture, gridLinesStandOutFromTheCells)
{
    for (int s = 0; s < 3; ++s) {
        const QImage img = load(QStringLiteral("Picture%1.bmp").arg(s + 1));
        for (int k = 0; k < 15; ++k) {
            const int at = kGridFirst + k * kGridStep;
            // Compare with the middle of the neighbouring cell on the inner side.
            const int cell = k < 14 ? at + kGridStep / 2 : at - kGridStep / 2;
            EXPECT_GT(meanLumaColumn(img, cell) - meanLumaColumn(img, at), 60) << "skin " << s << " column " << at;
            EXPECT_GT(meanLumaRow(img, cell) - meanLumaRow(img, at), 60) << "skin " << s << " row " << at;
        }
        // The grid ends at the last line: just outside it the board is the same either side.
        EXPECT_LT(std::abs(meanLumaColumn(img, kGridLast + 6) - meanLumaColumn(img, kGridLast + 10)), 25) << "skin " << s;
    }
}

TEST(BoardPicture, whiteNameLabelsReadOnThePanel)
{
    // Label rectangles in picture coordinates (the picture stands one pixel above the client).
    const QRect labels[] = {QRect(502, 374, 97, 25), QRect(502, 399, 97, 21)};
    for (int s = 0; s < 3; ++s) {
        const QImage img = load(QStringLiteral("Picture%1.bmp").arg(s + 1));
        for (const QRect& r : labels) {
            std::vector<double> lum;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    lum.push_back(relativeLuminance(img.pixel(x, y)));
            std::sort(lum.begin(), lum.end());
            const double bright = lum[lum.size() * 95 / 100];
            // Contrast ratio of white text against nearly all of the background.
            EXPECT_GE(1.05 / (bright + 0.05), 4.5) << "skin " << s << " label at y " << r.top();
        }
    }
}

TEST(BoardPicture, bothStoneIndicatorsStandOutFromThePanelAtEitherDensity)
{
    // Each indicator where the window shows it: its stone's outer body against the panel just
    // around it, as a non-text contrast ratio.
    const char* colours[] = {"black", "white"};
    for (int s = 0; s < 3; ++s)
        for (const int scale : {1, 2})
            for (int row = 0; row < 2; ++row) {
                const auto file = [&](const QString& name) {
                    return load(scale == 1 ? name : doubled(name)).convertToFormat(QImage::Format_ARGB32);
                };
                QImage shown = file(QStringLiteral("Picture%1.bmp").arg(s + 1))
                                   .copy(QRect(QPoint(464, 371 + 25 * row) * scale, QSize(22, 22) * scale));
                QPainter(&shown).drawImage(0, 0, file(QStringLiteral("stone%1_%2.png").arg(s).arg(colours[row])));
                double lum[2] = {};
                int count[2] = {};
                for (int y = 0; y < shown.height(); ++y)
                    for (int x = 0; x < shown.width(); ++x) {
                        const double d = std::hypot(x + 0.5 - 10.75 * scale, y + 0.5 - 10.75 * scale) / scale;
                        const int ring = d >= 6 && d <= 9 ? 0 : d >= 10.9 && d <= 11.6 ? 1 : -1;
                        if (ring >= 0)
                            lum[ring] += relativeLuminance(shown.pixel(x, y)), ++count[ring];
                    }
                const double body = lum[0] / count[0], around = lum[1] / count[1];
                EXPECT_GE((std::max(body, around) + 0.05) / (std::min(body, around) + 0.05), 3.0)
                    << "skin " << s << " at " << scale << "x, " << colours[row] << " indicator";
            }
}

TEST(ButtonGlyph, disabledHalfIsGreyedAndCaptionReadable)
{
    for (int s = 0; s < 3; ++s) {
        for (QChar b : {u'a', u'b', u'c', u'd'}) {
            const QImage img = load(QStringLiteral("%1_%2.bmp").arg(s).arg(b));
            ASSERT_EQ(img.width() % 2, 0);
            const int w = img.width() / 2;
            const QRect normal(0, 0, w, img.height());
            const QRect disabled(w, 0, w, img.height());
            EXPECT_LT(meanSaturation(img, disabled) + 0.04, meanSaturation(img, normal)) << "skin " << s << " " << b.toLatin1();
            EXPECT_NE(img.copy(normal), img.copy(disabled));

            // A caption needs dark and light pixels well apart in the middle of the face.
            double lo = 255, hi = 0;
            for (int y = 4; y < img.height() - 4; ++y)
                for (int x = 8; x < w - 8; ++x) {
                    lo = std::min(lo, luma(img.pixel(x, y)));
                    hi = std::max(hi, luma(img.pixel(x, y)));
                }
            EXPECT_GT(hi - lo, 120) << "skin " << s << " " << b.toLatin1();
        }
    }
}

TEST(StoneImage, roundOpaqueStoneOnTransparentGround)
{
    for (int s = 0; s < 3; ++s) {
        double mean[2] = {};
        for (int black = 0; black < 2; ++black) {
            const QImage img = load(QStringLiteral("stone%1_%2.png").arg(s).arg(black ? "black" : "white"));
            ASSERT_TRUE(img.hasAlphaChannel());
            for (QPoint corner : {QPoint(0, 0), QPoint(21, 0), QPoint(0, 21), QPoint(21, 21), QPoint(1, 1), QPoint(20, 1)})
                EXPECT_EQ(qAlpha(img.pixel(corner)), 0) << "skin " << s << " corner " << corner.x() << "," << corner.y();
            int opaque = 0;
            for (int y = 6; y < 16; ++y)
                for (int x = 6; x < 16; ++x) {
                    EXPECT_EQ(qAlpha(img.pixel(x, y)), 255);
                    mean[black] += luma(img.pixel(x, y));
                    ++opaque;
                }
            mean[black] /= opaque;
        }
        EXPECT_GT(mean[0] - mean[1], 100) << "white stone must be far lighter than black, skin " << s;
    }
}

TEST(Icon, roundedWithTransparentCorners)
{
    for (const char* name : {"kivola.png", "kivola-32.png"}) {
        const QImage img = load(QString::fromLatin1(name));
        ASSERT_TRUE(img.hasAlphaChannel());
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << name;
        EXPECT_EQ(qAlpha(img.pixel(img.width() - 1, img.height() - 1)), 0) << name;
        EXPECT_EQ(qAlpha(img.pixel(img.width() / 2, img.height() / 2)), 255) << name;
    }
}

TEST(Generator, sameBytesOnEveryRun)
{
    QTemporaryDir first, second;
    ASSERT_TRUE(first.isValid() && second.isValid());
    ASSERT_EQ(runArtgen({first.path()}), 0);
    ASSERT_EQ(runArtgen({second.path()}), 0);

    QStringList written = QDir(first.path()).entryList(QDir::Files, QDir::Name);
    QStringList expected = expectedFiles();
    expected.sort();
    EXPECT_EQ(written, expected);
    for (const QString& name : expected) {
        const QByteArray a = bytesOf(QDir(first.path()).filePath(name));
        EXPECT_FALSE(a.isEmpty()) << name.toStdString();
        EXPECT_EQ(a, bytesOf(QDir(second.path()).filePath(name))) << name.toStdString();
        EXPECT_EQ(a, bytesOf(kRes.filePath(name))) << "build output differs: " << name.toStdString();
    }
}

TEST(Generator, refusesMissingOrUnusableOutputFolder)
{
    EXPECT_NE(runArtgen({}), 0);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile blocker(QDir(dir.path()).filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // A folder cannot be made below a regular file.
    EXPECT_NE(runArtgen({blocker.fileName() + QStringLiteral("/res")}), 0);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
