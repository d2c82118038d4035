// Saving and loading games from the main window.

#include <QFileInfo>
#include <QTimer>

#include "dialogs.h"
#include "file_messages.h"
#include "form1.h"
#include "game_file.h"
#include "kivola/core/saved_game.h"

namespace kivola {

namespace {
const QString kOpenCaption = QStringLiteral("打开游戏");
const QString kSaveCaption = QStringLiteral("保存游戏");
} // namespace

void TForm1::Timer6Timer() {
    Timer6->stop();
    const CurrentDirectoryKeeper keeper;
    const QString path = dialogs_.chooseOpenFile(this, kGameFileFilter, kGameFileSuffix, gameDialogFolder(gameFolder_));
    if (path.isEmpty()) {
        return;
    }
    const GameFileRead read = readGameFile(path);
    if (!read.game) {
        dialogs_.showMessage(this, read.message, kOpenCaption);
        return;
    }
    gameFolder_ = QFileInfo(path).absolutePath();
    match_.loadGame(*read.game);
}

void TForm1::Timer7Timer() {
    Timer7->stop();
    const CurrentDirectoryKeeper keeper;
    const QString path = dialogs_.chooseSaveFile(this, kGameFileFilter, kGameFileSuffix, gameDialogFolder(gameFolder_));
    if (path.isEmpty()) {
        return;
    }
    const QString failure = writeGameFile(path, EncodeSavedGame(match()));
    if (!failure.isEmpty()) {
        dialogs_.showMessage(this, failure, kSaveCaption);
        return;
    }
    gameFolder_ = QFileInfo(path).absolutePath();
}

} // namespace kivola
