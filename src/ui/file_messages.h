#pragma once
// What the player is told when a saved game cannot be read or written.

#include <QString>
#include <span>

#include "kivola/core/saved_game.h"

class QCoreApplication;
class QFileInfo;
class QTranslator;

namespace kivola {

inline const QString kGameFileFilter = QStringLiteral("五子棋数据文件(*.rur)");
inline const QString kGameFileSuffix = QStringLiteral("rur");

// Why a file was refused, from the decoding and the bytes it looked at.
QString refusalReason(const SavedGameDecoding& decoding, std::span<const std::uint8_t> bytes);
QString refusedFileMessage(const QString& path, const QString& reason);
// keptFile: a file stood at path before, and it is left as it was.
QString saveFailedMessage(const QString& path, const QString& reason, bool keptFile);

// The common system failures in the program's language; other texts come back unchanged.
QString failureReason(const QString& systemText);
// Empty for a regular file or nothing at all; otherwise why a game cannot live there.
QString notARegularFileReason(const QFileInfo& target);

// Qt's own Simplified Chinese texts, so standard dialogs and buttons speak the program's
// language. The translator belongs to the application; null when the translations are missing.
QTranslator* installQtTranslations(QCoreApplication& app);

} // namespace kivola
