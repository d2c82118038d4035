#pragma once
// Small pieces the main window's source files share.

#include <QString>
#include <string>

namespace kivola::form1detail {

inline QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }
inline QString fromUtf8(const char* text) { return QString::fromUtf8(text); }

} // namespace kivola::form1detail
