// Picture files from res/ are anyone's: bounded, cut-short bitmaps and forged headers refused.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <unistd.h>

#include <QTemporaryFile>
#include <cstdio>
#include <cstring>

#include "picture_file.h"

namespace kivola::test {
namespace {

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes;
}

void putLittleEndian(QByteArray& bytes, int at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = char(value >> (8 * i) & 0xFF);
    }
}

// What is written to stderr meanwhile: the PNG library writes there itself, past Qt's handler.
class StderrCapture {
public:
    StderrCapture() : saved_(::dup(STDERR_FILENO)) {
        file_.open();
        std::fflush(stderr);
        ::dup2(file_.handle(), STDERR_FILENO);
    }
    ~StderrCapture() {
        restore();
        ::close(saved_);
    }
    QByteArray said() {
        restore();
        return file_.readAll();
    }

private:
    void restore() {
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
    }
    QTemporaryFile file_;
    int saved_;
};

TEST(PictureFile, readsWholePicturesAndRefusesDamagedOrForgedOnesWithoutAWord) {
    StderrCapture stderrOutput;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto read = [&](const QByteArray& bytes) {
        const QString path = dir.filePath(QStringLiteral("picture"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        return readPictureFile(path);
    };
    QImage board(60, 43, QImage::Format_RGB888);
    board.fill(QColor(200, 150, 90));
    const QByteArray bmp = encoded(board, "BMP");
    EXPECT_EQ(read(bmp).size(), QSize(60, 43));

    // One byte short of the last row, or only the headers: refused, not filled in.
    EXPECT_TRUE(read(bmp.left(bmp.size() - 1)).isNull());
    EXPECT_TRUE(read(bmp.left(54)).isNull());
    EXPECT_TRUE(read(bmp.left(20)).isNull());

    // Rows stored top-down (a negative height) count the same.
    QByteArray topDown = bmp;
    putLittleEndian(topDown, 22, std::uint32_t(-43));
    EXPECT_EQ(read(topDown).size(), QSize(60, 43));
    EXPECT_TRUE(read(topDown.left(topDown.size() - 1)).isNull());

    // Headers that promise far more pixels than follow, up to sizes that overflow 32 bits.
    for (const std::uint32_t side : {std::uint32_t(61), std::uint32_t(100000), std::uint32_t(0x7FFFFFFF),
                                     std::uint32_t(0x80000000)}) {
        QByteArray forged = bmp;
        putLittleEndian(forged, 18, side);
        putLittleEndian(forged, 22, side);
        EXPECT_TRUE(read(forged).isNull()) << side;
    }
    QByteArray farOffset = bmp;
    putLittleEndian(farOffset, 10, 0xFFFFFFF0u);
    EXPECT_TRUE(read(farOffset).isNull());

    // A stone image cut short, a file that is not a picture, an empty and a missing file.
    QImage stone(22, 22, QImage::Format_ARGB32);
    stone.fill(Qt::transparent);
    const QByteArray png = encoded(stone, "PNG");
    EXPECT_EQ(read(png).size(), QSize(22, 22));
    EXPECT_TRUE(read(png.left(png.size() - 12)).isNull());
    EXPECT_TRUE(read(png.left(png.size() - 1)).isNull());
    QByteArray flipped = png;
    flipped[png.indexOf("IDAT") + 10] = char(flipped[png.indexOf("IDAT") + 10] ^ 0x55);
    EXPECT_TRUE(read(flipped).isNull());
    EXPECT_EQ(read(png + "after the end chunk").size(), QSize(22, 22));
    EXPECT_TRUE(read("BM and then nothing a bitmap would hold").isNull());
    EXPECT_TRUE(read({}).isNull());
    EXPECT_TRUE(readPictureFile(dir.filePath(QStringLiteral("absent.bmp"))).isNull());

    // Nothing larger than the bound is read at all, however it starts.
    QByteArray huge = bmp;
    huge.resize(kLargestPictureFile + 1);
    EXPECT_TRUE(read(huge).isNull());
    EXPECT_EQ(stderrOutput.said(), QByteArray());
}

} // namespace
} // namespace kivola::test
