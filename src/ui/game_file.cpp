#include "game_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>

#include "dialogs.h"
#include "file_messages.h"

namespace kivola {

namespace {

// The longest file a count byte can announce; anything after it is never read.
constexpr qint64 kLongestGameFile = kSavedHeaderBytes + kSavedStoneBytes * 255;

// Opened without blocking, so a pipe or a device chosen by mistake cannot freeze the window,
// and judged on the opened file itself, so nothing can be swapped in between.
bool openRegularFile(const QString& path, QFile& file, QString& reason) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = failureReason(qt_error_string(errno));
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        reason = notARegularFileReason(QFileInfo(path));
        if (reason.isEmpty()) {
            reason = QStringLiteral("这不是普通文件。");
        }
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        reason = failureReason(file.errorString());
        return false;
    }
    return true;
}

} // namespace

QString gameDialogFolder(const QString& lastUsed) {
    if (!lastUsed.isEmpty() && QFileInfo(lastUsed).isDir()) {
        return lastUsed;
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

GameFileRead readGameFile(const QString& path) {
    QFile file;
    QString reason;
    if (!openRegularFile(path, file, reason)) {
        return {std::nullopt, refusedFileMessage(path, reason)};
    }
    const QByteArray raw = file.read(kLongestGameFile);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(raw.constData()),
                                              static_cast<std::size_t>(raw.size()));
    SavedGameDecoding decoding = DecodeSavedGame(bytes);
    if (!decoding.ok()) {
        return {std::nullopt, refusedFileMessage(path, refusalReason(decoding, bytes))};
    }
    return {std::move(decoding.game), QString()};
}

QString writeGameFile(const QString& path, std::span<const std::uint8_t> bytes) {
    // The save swaps a new file in, which would replace a device, a pipe or a folder (or what a
    // link points at) with a plain file. A link to a regular file is written through and stays a
    // link, as it would when any editor saves over it.
    const QFileInfo target(path);
    const QString special = notARegularFileReason(target);
    if (!special.isEmpty()) {
        return saveFailedMessage(path, special, false);
    }
    const bool hadFile = target.isFile();
    // Written beside the old file and swapped in, so a failure never destroys what was there.
    QSaveFile file(path);
    // Unbuffered, so a short write shows at once instead of vanishing in a late flush.
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                         file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
                             static_cast<qint64>(bytes.size()) &&
                         file.commit();
    if (written) {
        return {};
    }
    const QString reason = failureReason(file.errorString());
    file.cancelWriting();
    return saveFailedMessage(path, reason, hadFile);
}

namespace {
const QString kOpenCaption = QStringLiteral("打开游戏");
const QString kSaveCaption = QStringLiteral("保存游戏");
} // namespace

std::optional<SavedGame> GameFileDialogs::open() {
    const CurrentDirectoryKeeper keeper;
    const QString path = dialogs_.chooseOpenFile(&owner_, kGameFileFilter, kGameFileSuffix, gameDialogFolder(folder_));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    GameFileRead read = readGameFile(path);
    if (!read.game) {
        dialogs_.showMessage(&owner_, read.message, kOpenCaption);
        return std::nullopt;
    }
    folder_ = QFileInfo(path).absolutePath();
    return std::move(read.game);
}

void GameFileDialogs::save(const MatchState& state) {
    const CurrentDirectoryKeeper keeper;
    const QString path = dialogs_.chooseSaveFile(&owner_, kGameFileFilter, kGameFileSuffix, gameDialogFolder(folder_));
    if (path.isEmpty()) {
        return;
    }
    const QString failure = writeGameFile(path, EncodeSavedGame(state));
    if (!failure.isEmpty()) {
        dialogs_.showMessage(&owner_, failure, kSaveCaption);
        return;
    }
    folder_ = QFileInfo(path).absolutePath();
}

} // namespace kivola
