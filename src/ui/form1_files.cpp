// Saving and loading games from the main window.

#include <QDir>
#include <QTimer>

#include "dialogs.h"
#include "file_messages.h"
#include "form1.h"
#include "game_file.h"
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
} // namespace

void TForm1::Timer6Timer() {
    Timer6->stop();
    const CurrentDirectoryKeeper keeper;
    const QString path = dialogs_.chooseOpenFile(this, kGameFileFilter, kGameFileSuffix);
    if (path.isEmpty()) {
        return;
    }
    const GameFileRead read = readGameFile(path);
    if (!read.game) {
        dialogs_.showMessage(this, read.message, kOpenCaption);
        return;
    }
    ReplaySavedGame(state_, *this, *read.game, [this] { repaint(); });
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
    const QString failure = writeGameFile(path, EncodeSavedGame(state_));
    if (!failure.isEmpty()) {
        dialogs_.showMessage(this, failure, kSaveCaption);
    }
}

} // namespace kivola
