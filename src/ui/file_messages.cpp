#include "file_messages.h"

#include <QDir>

namespace kivola {

QString refusalReason(const SavedGameDecoding& decoding, std::span<const std::uint8_t> bytes) {
    const auto stoneByte = [&](int offset) {
        const std::size_t at = kSavedHeaderBytes + kSavedStoneBytes * static_cast<std::size_t>(decoding.stone - 1) +
                               static_cast<std::size_t>(offset);
        return at < bytes.size() ? static_cast<int>(bytes[at]) : 0;
    };
    switch (decoding.fault) {
    case SavedGameFault::None:
        return {};
    case SavedGameFault::MissingHeader:
        return QStringLiteral("文件只有 %1 个字节，不是五子棋数据文件。").arg(decoding.actual);
    case SavedGameFault::TooManyStones:
        return QStringLiteral("文件记录了 %1 步棋，棋盘上最多只有 225 个点。").arg(bytes[0]);
    case SavedGameFault::BadFirstMover:
        return QStringLiteral("先行方标记是 %1，只能是 0（玩家先行）或 1（电脑先行）。").arg(bytes[1]);
    case SavedGameFault::Truncated:
        return QStringLiteral("文件不完整：记录了 %1 步棋，应有 %2 个字节，实际只有 %3 个字节。")
            .arg(bytes[0])
            .arg(decoding.needed)
            .arg(decoding.actual);
    case SavedGameFault::PointOffBoard:
        return QStringLiteral("第 %1 步棋的位置（%2，%3）不在棋盘上。")
            .arg(decoding.stone)
            .arg(stoneByte(0))
            .arg(stoneByte(1));
    case SavedGameFault::PointTakenTwice:
        return QStringLiteral("第 %1 步棋落在（%2，%3），那里已经有棋子了。")
            .arg(decoding.stone)
            .arg(stoneByte(0))
            .arg(stoneByte(1));
    }
    return {};
}

QString refusedFileMessage(const QString& path, const QString& reason) {
    return QStringLiteral("无法打开游戏文件“%1”：\n%2\n\n棋盘上的对局没有改变。")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString saveFailedMessage(const QString& path, const QString& reason) {
    return QStringLiteral("无法保存游戏到“%1”：\n%2\n\n原有的文件没有被改动。").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace kivola
