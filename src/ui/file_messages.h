#pragma once
// What the player is told when a saved game cannot be read or written.

#include <QString>
#include <span>

#include "kivola/core/saved_game.h"

namespace kivola {

inline const QString kGameFileFilter = QStringLiteral("五子棋数据文件(*.rur)");
inline const QString kGameFileSuffix = QStringLiteral("rur");

// Why a file was refused, from the decoding and the bytes it looked at.
QString refusalReason(const SavedGameDecoding& decoding, std::span<const std::uint8_t> bytes);
QString refusedFileMessage(const QString& path, const QString& reason);
QString saveFailedMessage(const QString& path, const QString& reason);

} // namespace kivola
