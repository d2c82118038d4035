#include "picture_file.h"

#include <QByteArray>
#include <QFile>
#include <cstdint>
#include <cstdlib>

namespace kivola {

namespace {

std::uint32_t littleEndian(const QByteArray& bytes, int at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    }
    return value;
}

// Qt's bitmap reader fills the rows missing from a cut-off file without a word; such a file is
// damaged, not a picture. The other formats' readers refuse a short file themselves.
bool bitmapRowsComplete(const QByteArray& bytes) {
    constexpr int kInfoHeaderEnd = 54;
    constexpr std::uint32_t kInfoHeaderSize = 40;
    if (!bytes.startsWith("BM") || bytes.size() < kInfoHeaderEnd || littleEndian(bytes, 14, 4) < kInfoHeaderSize) {
        return true;
    }
    constexpr std::uint32_t kUncompressed = 0;
    constexpr std::uint32_t kBitFields = 3;
    const std::uint32_t compression = littleEndian(bytes, 30, 4);
    if (compression != kUncompressed && compression != kBitFields) {
        return true;
    }
    const std::int64_t width = static_cast<std::int32_t>(littleEndian(bytes, 18, 4));
    const std::int64_t height = static_cast<std::int32_t>(littleEndian(bytes, 22, 4));
    const std::int64_t bitsPerPixel = littleEndian(bytes, 28, 2);
    const std::int64_t rowBytes = (std::abs(width) * bitsPerPixel + 31) / 32 * 4;
    const std::int64_t pixelsAt = littleEndian(bytes, 10, 4);
    if (pixelsAt > bytes.size()) {
        return false;
    }
    // Divided rather than multiplied: a forged header's row count times its row length can
    // exceed any integer.
    return rowBytes == 0 || std::abs(height) <= (bytes.size() - pixelsAt) / rowBytes;
}

} // namespace

QImage readPictureFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestPictureFile) {
        return {};
    }
    const QByteArray bytes = file.read(kLargestPictureFile);
    if (!bitmapRowsComplete(bytes)) {
        return {};
    }
    return QImage::fromData(bytes);
}

} // namespace kivola
