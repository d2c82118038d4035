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

std::uint32_t bigEndian(const QByteArray& bytes, qsizetype at) {
    std::uint32_t value = 0;
    for (qsizetype i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    }
    return value;
}

std::uint32_t crc32(const char* data, qsizetype size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i) {
        crc ^= static_cast<std::uint8_t>(data[i]);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// The PNG library reports a damaged file on stderr, once per file read, before Qt refuses it.
// So a PNG is walked first: every chunk whole and matching its checksum, up to the end chunk.
bool pngChunksComplete(const QByteArray& bytes) {
    static const QByteArray kSignature("\x89PNG\r\n\x1a\n", 8);
    if (!bytes.startsWith(kSignature)) {
        return true;
    }
    constexpr qsizetype kChunkFrame = 12; // length, type and checksum
    qsizetype at = kSignature.size();
    while (bytes.size() - at >= kChunkFrame) {
        const std::uint32_t length = bigEndian(bytes, at);
        if (length > static_cast<std::uint32_t>(bytes.size() - at - kChunkFrame)) {
            return false;
        }
        const qsizetype typeAt = at + 4;
        const qsizetype crcAt = typeAt + 4 + length;
        if (crc32(bytes.constData() + typeAt, 4 + length) != bigEndian(bytes, crcAt)) {
            return false;
        }
        if (bytes.mid(typeAt, 4) == "IEND") {
            return true;
        }
        at = crcAt + 4;
    }
    return false;
}

} // namespace

QImage readPictureFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestPictureFile) {
        return {};
    }
    const QByteArray bytes = file.read(kLargestPictureFile);
    if (!bitmapRowsComplete(bytes) || !pngChunksComplete(bytes)) {
        return {};
    }
    return QImage::fromData(bytes);
}

} // namespace kivola
