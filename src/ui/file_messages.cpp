#include "file_messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <cerrno>

namespace kivola {

namespace {
constexpr const char* kFolderReason = "这是一个文件夹，不是文件。";
} // namespace

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

QString saveFailedMessage(const QString& path, const QString& reason, bool keptFile) {
    const QString told = QStringLiteral("无法保存游戏到“%1”：\n%2").arg(QDir::toNativeSeparators(path), reason);
    return keptFile ? told + QStringLiteral("\n\n原有的文件没有被改动。") : told;
}

QString failureReason(const QString& systemText) {
    struct Known {
        int error;
        const char* reason;
    };
    // Qt words these failures with the same system text, wherever in its message it stands.
    static const Known known[] = {
        {EACCES, "没有访问权限。"},
        {EPERM, "操作不被允许（没有权限）。"},
        {ENOENT, "文件或文件夹不存在。"},
        {ENOTDIR, "路径中有一段不是文件夹。"},
        {ENOSPC, "磁盘已满，没有剩余空间。"},
        {EDQUOT, "磁盘配额已用完。"},
        {EROFS, "文件系统是只读的。"},
        {EISDIR, kFolderReason},
        {EFBIG, "文件超出了允许的大小。"},
        {ENAMETOOLONG, "文件名太长。"},
    };
    for (const Known& k : known) {
        if (systemText.contains(qt_error_string(k.error), Qt::CaseInsensitive)) {
            return QString::fromUtf8(k.reason);
        }
    }
    return systemText;
}

QString notARegularFileReason(const QFileInfo& target) {
    // QFileInfo follows links, so a link is judged by what it points at.
    if (!target.exists() || target.isFile()) {
        return {};
    }
    if (target.isDir()) {
        return QString::fromUtf8(kFolderReason);
    }
    return QStringLiteral("这不是普通文件（而是设备、管道或其他特殊文件）。");
}

QTranslator* installQtTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

} // namespace kivola
