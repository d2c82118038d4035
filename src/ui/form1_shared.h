#pragma once
// Small pieces the main window's source files share.

#include <QFont>
#include <QString>
#include <string>

namespace kivola::form1detail {

inline const QString kSansFamily = QStringLiteral("Noto Sans CJK SC");
inline const QString kSerifFamily = QStringLiteral("Noto Serif CJK SC");

inline QFont pixelFont(const QString& family, int pixels) {
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

inline QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }
inline QString fromUtf8(const char* text) { return QString::fromUtf8(text); }

} // namespace kivola::form1detail
