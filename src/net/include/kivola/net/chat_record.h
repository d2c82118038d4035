#pragma once
// What a chat line may show in the record: no blank runs, no invisible characters, one sender.

#include <QString>
#include <optional>

namespace kivola {

// Every run of blanks (any Unicode space, line breaks and tabs included) becomes one ASCII space,
// invisible control and format characters go, and the ends are trimmed: padding can then no
// longer push part of a line onto a displayed line of its own.
QString collapseBlanks(const QString& text);

// A chat line as the record shows it: "<sender>：<text>", blanks collapsed in both parts and the
// text trimmed; the text may name anyone. nullopt when the line begins with both players' names,
// so its sender is unclear. Empty names are not looked for.
std::optional<QString> chatRecordLine(const QString& line, const QString& seat1Name, const QString& seat2Name);

} // namespace kivola
