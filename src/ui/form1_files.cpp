// Saving and loading games from the main window.

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTimer>

#include "dialogs.h"
#include "file_messages.h"
#include "form1.h"
#include "kivola/core/saved_game.h"

namespace kivola {

namespace {
// Puts the current directory back however the handler ends.
class CurrentDirectoryKeeper {
public:
    CurrentDirectoryKeeper() : saved_(QDir::currentPath()) {}
    ~CurrentDirectoryKeeper() { QDir::setCurrent(saved_); }
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

private:
    QString saved_;
};

const QString kOpenCaption = QStringLiteral("打开游戏");
const QString kSaveCaption = QStringLiteral("保存游戏");
// The longest file a count byte can announce; anything after it is never read.
constexpr qint64 kLongestGameFile = kSavedHeaderBytes + kSavedStoneBytes * 255;
} // namespace

void TForm1::Timer6Timer() {
    Timer6->stop();
    const CurrentDirectoryKeeper keeper;
    const QString path = dialogs_.chooseOpenFile(this, kGameFileFilter, kGameFileSuffix);
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs_.showMessage(this, refusedFileMessage(path, file.errorString()), kOpenCaption);
        return;
    }
    const QByteArray raw = file.read(kLongestGameFile);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(raw.constData()),
                                              static_cast<std::size_t>(raw.size()));
    // Everything is checked before the board is cleared, so a refused file changes nothing.
    const SavedGameDecoding decoding = DecodeSavedGame(bytes);
    if (!decoding.ok()) {
        dialogs_.showMessage(this, refusedFileMessage(path, refusalReason(decoding, bytes)), kOpenCaption);
        return;
    }
    ReplaySavedGame(state_, *this, decoding.game, [this] { repaint(); });
    state_.gameStarted = 1;
    SetOptionsEnabled(false);
    N10->setEnabled(true);
    N13->setEnabled(true);
    N14->setEnabled(false);
    // A game left with the computer to move goes on as if it had been played here.
    if (state_.gameResult == kInProgress && state_.playerCanMove == 0) {
        ComputerMove();
    }
}

void TForm1::Timer7Timer() {
    Timer7->stop();
    const CurrentDirectoryKeeper keeper;
    const QString path = dialogs_.chooseSaveFile(this, kGameFileFilter, kGameFileSuffix);
    if (path.isEmpty()) {
        return;
    }
    const std::vector<std::uint8_t> bytes = EncodeSavedGame(state_);
    // Written beside the old file and swapped in, so a failure never destroys what was there.
    QSaveFile file(path);
    // Unbuffered, so a short write shows at once instead of vanishing in a late flush.
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                         file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
                             static_cast<qint64>(bytes.size()) &&
                         file.commit();
    if (!written) {
        const QString reason = file.errorString();
        file.cancelWriting();
        dialogs_.showMessage(this, saveFailedMessage(path, reason), kSaveCaption);
    }
}

} // namespace kivola
