#pragma once
// GBK conversions through glibc iconv: Qt 6.4's own converters do not know GBK.

#include <optional>
#include <string>
#include <string_view>

#include "nw/nw_export.h"

namespace nw {

// Strict: nullopt on any byte sequence that is not GBK.
NW_EXPORT std::optional<std::string> gbkToUtf8(std::string_view gbk);
// Strict: nullopt when a character has no GBK form or the input is not UTF-8.
NW_EXPORT std::optional<std::string> utf8ToGbk(std::string_view utf8);

// Valid GBK without control characters (bytes below 0x20 and 0x7F), so it can travel as a
// C string and be shown on one line.
NW_EXPORT bool isPlainGbkText(std::string_view gbk);

} // namespace nw
