#pragma once
// Reading and writing a saved game's file, with the message the player sees when it fails.

#include <QDir>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>

#include "kivola/core/saved_game.h"

class QWidget;

namespace kivola {

struct GameFileRead {
    std::optional<SavedGame> game; // checked whole, so a refused file can change nothing
    QString message;               // why the file was refused; empty when game holds it
};

GameFileRead readGameFile(const QString& path);
// Where the open and save dialogs start: the folder last used for a game while it exists, else
// the user's documents folder, else home. Never the program's own folder, which an installed
// copy cannot write to.
QString gameDialogFolder(const QString& lastUsed);
// Puts the current directory back however a file dialog's handler ends.
class CurrentDirectoryKeeper {
public:
    CurrentDirectoryKeeper() : saved_(QDir::currentPath()) {}
    ~CurrentDirectoryKeeper() { QDir::setCurrent(saved_); }
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

private:
    QString saved_;
};

// Empty when written; else the message, and whatever was at path is left as it was.
QString writeGameFile(const QString& path, std::span<const std::uint8_t> bytes);

class DialogService;

// The open and save commands' dialogs over one owner: they start in the folder last used, and
// a file that fails is said so, with the game on the board left as it was.
class GameFileDialogs {
public:
    GameFileDialogs(DialogService& dialogs, QWidget& owner) : dialogs_(dialogs), owner_(owner) {}
    // The checked game of the chosen file; nothing when cancelled or refused.
    std::optional<SavedGame> open();
    void save(const MatchState& state);

private:
    DialogService& dialogs_;
    QWidget& owner_;
    QString folder_; // where a game was last loaded or saved; empty until then
};

} // namespace kivola
