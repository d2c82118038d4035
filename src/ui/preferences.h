#pragma once
// The player's choices that outlive a run.

#include <QSettings>
#include <QString>

namespace kivola {

inline QSettings preferences() { return QSettings(QStringLiteral("kivola"), QStringLiteral("kivola")); }
inline const QString kMoveNumbersKey = QStringLiteral("board/moveNumbers");

} // namespace kivola
