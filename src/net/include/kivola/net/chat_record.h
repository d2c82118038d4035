#pragma once
// The chat record: a word-wrapping text view that keeps a bounded number of displayed lines.

#include <QString>
#include <optional>

class QPlainTextEdit;

namespace kivola {

// Beyond this many displayed lines each arriving text first pushes the oldest line out, so
// the record settles one above it.
inline constexpr int kChatRecordLineLimit = 100;

// Lines as shown: a wrapped text counts once per displayed line; an empty record has none.
int displayedLineCount(const QPlainTextEdit& record);

// Removes the first displayed line; of a wrapped text only the part shown on that line.
void removeFirstDisplayedLine(QPlainTextEdit& record);

// Appends the text as one line, after trimming the oldest displayed line once over the limit.
void appendChatRecordLine(QPlainTextEdit& record, const QString& line);

// Every run of blanks (any Unicode space, line breaks and tabs included) becomes one ASCII space,
// invisible control and format characters go, and the ends are trimmed: padding can then no
// longer push part of a line onto a displayed line of its own.
QString collapseBlanks(const QString& text);

// A chat line as the record shows it: "<sender>：<text>", blanks collapsed in both parts and the
// text trimmed. nullopt when the line could pass for another speaker's: its text names a player
// followed by "：" (a blank between them or not), or it begins with both players' names so its
// sender is unclear. Empty names are not looked for.
std::optional<QString> chatRecordLine(const QString& line, const QString& seat1Name, const QString& seat2Name);

} // namespace kivola
